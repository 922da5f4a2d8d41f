// Committing 10,000 changed objects in one transaction (objects per second), beside the raw
// SQLite anchor that updates the same rows with one prepared statement.
#include "objdb/qeldatabase.h"
#include "objdb/qelobject.h"
#include "objdb/qelsql.h"
#include "support/objdb_bench_schema.h"

#include <sqlite3.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

namespace {

const int kObjects = 10000;

struct Fixture {
    TQelDatabase db;
    std::vector<TQelObject*> objects;
    Fixture()
    {
        TQelOpenOptions o;
        o.schemaText = kBenchSchema;
        o.create = true;
        db.Open(":memory:", o);
        const TQelClassKey cls = db.FindClass("Eintrag")->Key();
        db.StartTransaction();
        for (int i = 0; i < kObjects; ++i) {
            TQelObject* obj = db.CreateObject(cls);
            obj->FieldByName("Name")->set_AsString("Name " + std::to_string(i));
            obj->FieldByName("Nummer")->set_AsInteger(i);
            obj->Commit();
            objects.push_back(obj);
        }
        db.CommitTransaction();
    }
};

Fixture& fixture()
{
    static Fixture* f = new Fixture();
    return *f;
}

void BM_CommitChangedObjects(benchmark::State& state)
{
    Fixture& f = fixture();
    int round = 0;
    for (auto _ : state) {
        ++round;
        state.PauseTiming();
        for (TQelObject* o : f.objects) {
            o->FieldByName("Ort")->set_AsString("Ort " + std::to_string(round));
            o->FieldByName("Betrag")->set_AsFloat(round * 1.5);
        }
        state.ResumeTiming();
        f.db.StartTransaction();
        for (TQelObject* o : f.objects)
            if (!o->Commit())
                state.SkipWithError(o->ErrorMessage().c_str());
        f.db.CommitTransaction();
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
    state.counters["objects/s"]
        = benchmark::Counter(static_cast<double>(state.iterations() * kObjects), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CommitChangedObjects)->Unit(benchmark::kMillisecond);

// Anchor: the same two columns of the same rows updated with one prepared statement.
void BM_RawSqliteUpdate(benchmark::State& state)
{
    Fixture& f = fixture();
    sqlite3* h = f.db.Handle();
    int round = 0;
    for (auto _ : state) {
        ++round;
        sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(h, "UPDATE Eintrag SET Ort = ?, Betrag = ? WHERE K = ?", -1, &s, nullptr);
        const std::string ort = "Roh " + std::to_string(round);
        for (TQelObject* o : f.objects) {
            sqlite3_bind_text(s, 1, ort.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(s, 2, round * 1.5);
            sqlite3_bind_int(s, 3, o->Key().Id());
            sqlite3_step(s);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
    state.counters["objects/s"]
        = benchmark::Counter(static_cast<double>(state.iterations() * kObjects), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RawSqliteUpdate)->Unit(benchmark::kMillisecond);

} // namespace
