// Listing 100,000 objects of one class with 6 fields through TQelSQLEngine::ListEx, reading every
// value, against iterating the same table with the raw SQLite API in the same run.
#include "objdb/qeldatabase.h"
#include "objdb/qelobject.h"
#include "objdb/qelsql.h"
#include "support/objdb_bench_data.h"

#include <sqlite3.h>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

const int kObjects = 100000;

TQelDatabase& database()
{
    return QelBenchDatabase(kObjects);
}

// Reads every value of every row; `Read` is the accessor under test.
template <class Read> void listAll(benchmark::State& state, Read read)
{
    TQelDatabase& db = database();
    auto engine = db.CreateSQLEngine();
    const TQelClassKey cls = db.FindClass("Eintrag")->Key();
    for (auto _ : state) {
        auto q = engine->ListEx(cls, lfNotDeleted, "", "Name,Vorname,Nummer,Betrag,Datum,Ort");
        q->Open();
        std::size_t bytes = 0;
        int rows = 0;
        for (; !q->Eof(); q->Next()) {
            for (int c = 0; c < 7; ++c)
                bytes += read(*q, c);
            ++rows;
        }
        benchmark::DoNotOptimize(bytes);
        if (rows != kObjects)
            state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}

void BM_ListEx(benchmark::State& state)
{
    listAll(state, [](TQelSQLQuery& q, int c) { return q.AsStringView(c).size(); });
}
BENCHMARK(BM_ListEx)->Unit(benchmark::kMillisecond);

// The same through the std::string accessor (what a grid storing cell texts does).
void BM_ListExStrings(benchmark::State& state)
{
    listAll(state, [](TQelSQLQuery& q, int c) { return q.AsString(c).size(); });
}
BENCHMARK(BM_ListExStrings)->Unit(benchmark::kMillisecond);

// Anchor: the raw SQLite API over the same table and columns, reading every value as text.
void BM_RawSqlite(benchmark::State& state)
{
    TQelDatabase& db = database();
    sqlite3* h = db.Handle();
    for (auto _ : state) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(
            h, "SELECT K, Name, Vorname, Nummer, Betrag, Datum, Ort FROM Eintrag", -1, &s, nullptr);
        std::size_t bytes = 0;
        int rows = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            for (int c = 0; c < 7; ++c) {
                const unsigned char* t = sqlite3_column_text(s, c);
                benchmark::DoNotOptimize(t);
                bytes += static_cast<std::size_t>(sqlite3_column_bytes(s, c));
            }
            ++rows;
        }
        sqlite3_finalize(s);
        benchmark::DoNotOptimize(bytes);
        if (rows != kObjects)
            state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_RawSqlite)->Unit(benchmark::kMillisecond);

} // namespace
