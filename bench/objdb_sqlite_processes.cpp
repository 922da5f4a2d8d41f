// Two databases on one SQLite file, as two processes of one machine use it, each beside its raw
// SQLite anchor in the same run:
//   looking for changes when there are none (what the UI does whenever it is idle) against a bare
//   PRAGMA data_version;
//   the time from a commit on A until B hears its instance notification, B looking as fast as it
//   can, against a raw UPDATE on one connection seen by data_version on another.
#include "objdb/qeldatabase.h"
#include "objdb/qelobject.h"
#include "support/bench_tempdir.h"
#include "support/objdb_bench_schema.h"

#include <sqlite3.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

std::string benchFile()
{
    static const std::string path = [] {
        const auto p = qel::bench::PrivateDir() / "processes.qeldb";
        std::filesystem::remove(p);
        return p.string();
    }();
    return path;
}

std::unique_ptr<TQelDatabase> open(bool create)
{
    auto db = std::make_unique<TQelDatabase>();
    TQelOpenOptions o;
    o.schemaText = create ? kBenchSchema : "";
    o.create = create;
    o.remotePollMs = 0;
    db->Open(benchFile(), o);
    return db;
}

struct TPair {
    std::unique_ptr<TQelDatabase> a = open(true), b = open(false);
    TQelObject* obj = nullptr;
    int heard = 0;
    TPair()
    {
        obj = a->CreateObject(a->FindClass("Eintrag")->Key());
        obj->FieldByName("Name")->set_AsString("Eintrag");
        obj->Commit();
        b->SubscribeInstanceNotification(b->FindClass("Eintrag")->Key(),
            [this](int, TQelClassKey, TQelObjectKey, TQelObject*) { ++heard; });
        while (b->ReceiveChanges() > 0) { }
    }
};

TPair& pair()
{
    static TPair* p = new TPair();
    return *p;
}

void BM_IdleLookForChanges(benchmark::State& state)
{
    TPair& p = pair();
    for (auto _ : state)
        benchmark::DoNotOptimize(p.b->ReceiveChanges());
}
BENCHMARK(BM_IdleLookForChanges);

void BM_RawDataVersion(benchmark::State& state)
{
    sqlite3* h = nullptr;
    sqlite3_open(benchFile().c_str(), &h);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(h, "PRAGMA data_version", -1, &s, nullptr);
    for (auto _ : state) {
        sqlite3_step(s);
        benchmark::DoNotOptimize(sqlite3_column_int64(s, 0));
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_close(h);
}
BENCHMARK(BM_RawDataVersion);

void BM_CommitToNotificationSqlite(benchmark::State& state)
{
    TPair& p = pair();
    static int round = 0; // the runs of a benchmark must not store the same value again
    for (auto _ : state) {
        p.obj->FieldByName("Ort")->set_AsString("Ort " + std::to_string(++round));
        if (!p.obj->Commit()) {
            state.SkipWithError(p.obj->ErrorMessage().c_str());
            break;
        }
        const int before = p.heard;
        for (int i = 0; p.heard == before && i < 1000000; ++i)
            p.b->ReceiveChanges();
        if (p.heard == before) {
            state.SkipWithError("the change did not arrive");
            break;
        }
    }
}
BENCHMARK(BM_CommitToNotificationSqlite)->Unit(benchmark::kMicrosecond);

// Anchor: one raw UPDATE committed on a connection, noticed through data_version on another.
void BM_RawCommitSeenByDataVersion(benchmark::State& state)
{
    pair(); // the file and its table
    sqlite3 *a = nullptr, *b = nullptr;
    sqlite3_open(benchFile().c_str(), &a);
    sqlite3_open(benchFile().c_str(), &b);
    sqlite3_stmt *up = nullptr, *dv = nullptr;
    sqlite3_prepare_v2(
        a, "UPDATE EINTRAG SET ORT = ? WHERE K = (SELECT MIN(K) FROM EINTRAG)", -1, &up, nullptr);
    sqlite3_prepare_v2(b, "PRAGMA data_version", -1, &dv, nullptr);
    auto version = [&] {
        sqlite3_step(dv);
        const auto v = sqlite3_column_int64(dv, 0);
        sqlite3_reset(dv);
        return v;
    };
    std::int64_t seen = version();
    static int round = 0;
    for (auto _ : state) {
        const std::string ort = "Roh " + std::to_string(++round);
        sqlite3_bind_text(up, 1, ort.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(up);
        sqlite3_reset(up);
        std::int64_t v = seen;
        while ((v = version()) == seen) { }
        seen = v;
    }
    sqlite3_finalize(up);
    sqlite3_finalize(dv);
    sqlite3_close(a);
    sqlite3_close(b);
}
BENCHMARK(BM_RawCommitSeenByDataVersion)->Unit(benchmark::kMicrosecond);

} // namespace
