// Opening the demo database and loading one object with a vector of 20 elements (time), beside
// reading the same rows with the raw SQLite API.
#include "objdb/qeldatabase.h"
#include "objdb/qelobject.h"
#include "objdb/qelsample.h"
#include "objdb/qelvector.h"
#include "support/bench_tempdir.h"

#include <sqlite3.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace {

struct DemoFile {
    std::string path;
    TQelObjectKey key;
    DemoFile()
    {
        path = (qel::bench::PrivateDir() / "demo.qeldb").string();
        std::filesystem::remove(path);
        TQelDatabase db;
        TQelOpenOptions o;
        o.schemaText = QelDemoSchemaText();
        o.schemaFile = QelDemoSchemaFile;
        o.create = true;
        db.Open(path, o);
        QelGenerateSampleData(db, {});
        // One person with 20 addresses.
        TQelObject* p = db.CreateObject(db.FindClass("Person")->Key());
        p->FieldByName("Name")->set_AsString("Zwanzig");
        TQelVector* v = p->FieldList()->VectorByName("Adressen");
        for (int i = 0; i < 20; ++i)
            v->Add()->FieldList()->FieldByName("Ort")->set_AsString("Ort " + std::to_string(i));
        p->Commit();
        key = p->Key();
    }
    ~DemoFile() { std::filesystem::remove(path); }
};

DemoFile& demo()
{
    static DemoFile f;
    return f;
}

void BM_OpenDemoAndLoadObject(benchmark::State& state)
{
    DemoFile& f = demo();
    for (auto _ : state) {
        TQelDatabase db;
        db.Open(f.path);
        TQelObject* p = db.GetObjectA(f.key);
        if (!p || p->FieldList()->VectorByName("Adressen")->Count() != 20)
            state.SkipWithError("object not loaded");
        benchmark::DoNotOptimize(p);
    }
}
BENCHMARK(BM_OpenDemoAndLoadObject)->Unit(benchmark::kMicrosecond);

void BM_LoadObjectOnly(benchmark::State& state)
{
    DemoFile& f = demo();
    TQelDatabase db;
    db.Open(f.path);
    for (auto _ : state) {
        TQelObject* p = db.GetObjectA(f.key);
        benchmark::DoNotOptimize(p);
        db.FreeObject(p);
    }
}
BENCHMARK(BM_LoadObjectOnly)->Unit(benchmark::kMicrosecond);

// Anchor: opening the file with SQLite and reading the person's row and its 20 address rows.
void BM_RawSqliteOpenAndRead(benchmark::State& state)
{
    DemoFile& f = demo();
    for (auto _ : state) {
        sqlite3* h = nullptr;
        sqlite3_open_v2(f.path.c_str(), &h, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(h, "SELECT * FROM Person WHERE K = ?", -1, &s, nullptr);
        sqlite3_bind_int(s, 1, f.key.Id());
        int n = 0;
        while (sqlite3_step(s) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(s); ++c)
                n += sqlite3_column_bytes(s, c);
        sqlite3_finalize(s);
        sqlite3_prepare_v2(
            h, "SELECT * FROM Adresse WHERE K = ? AND V = 'Adressen' AND P = 0 ORDER BY NR", -1, &s, nullptr);
        sqlite3_bind_int(s, 1, f.key.Id());
        while (sqlite3_step(s) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(s); ++c)
                n += sqlite3_column_bytes(s, c);
        sqlite3_finalize(s);
        sqlite3_close(h);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_RawSqliteOpenAndRead)->Unit(benchmark::kMicrosecond);

} // namespace
