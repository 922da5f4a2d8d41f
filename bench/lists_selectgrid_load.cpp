// The select grid's loading paths over 100,000 objects with 6 fields, each beside its anchor in
// the same run: the full load against the same query read with the raw SQLite API into a vector
// of strings and against a QSqlQueryModel fetching every row; the list restored from the list
// cache against the full load; one single-row reload with the whole list shown.
#include "support/bench_tempdir.h"
#include "support/selectgrid_bench.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlQueryModel>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

using namespace selectgrid_bench;

constexpr int kObjects = 100000;

TQelDatabase& database()
{
    return Database(kObjects);
}
std::unique_ptr<TQelSelectGrid> makeGrid(bool cache)
{
    return MakeGrid(kObjects, cache);
}

void BM_SelectGridFullLoad(benchmark::State& state)
{
    auto grid = makeGrid(false);
    FullLoadLoop(state, *grid, kObjects);
}
BENCHMARK(BM_SelectGridFullLoad)->Unit(benchmark::kMillisecond);

// Anchor: the same rows as text through the raw SQLite API.
void BM_RawSqliteRead(benchmark::State& state)
{
    RawReadLoop(state, kObjects);
}
BENCHMARK(BM_RawSqliteRead)->Unit(benchmark::kMillisecond);

// Anchor: QSqlQueryModel over a file copy of the store, fetching every row.
void BM_QSqlQueryModelFetchAll(benchmark::State& state)
{
    const std::string path = (qel::bench::PrivateDir() / "selectgrid_load.sqlite").string();
    {
        sqlite3* file = nullptr;
        sqlite3_open(path.c_str(), &file);
        sqlite3_backup* b = sqlite3_backup_init(file, "main", database().Handle(), "main");
        sqlite3_backup_step(b, -1);
        sqlite3_backup_finish(b);
        sqlite3_close(file);
    }
    {
        QSqlDatabase qdb = QSqlDatabase::addDatabase("QSQLITE", "bench");
        qdb.setDatabaseName(QString::fromStdString(path));
        qdb.open();
        for (auto _ : state) {
            QSqlQueryModel model;
            model.setQuery(QSqlQuery(kQuery, qdb));
            while (model.canFetchMore())
                model.fetchMore();
            if (model.rowCount() != kObjects)
                state.SkipWithError("wrong row count");
        }
        qdb.close();
    }
    QSqlDatabase::removeDatabase("bench");
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_QSqlQueryModelFetchAll)->Unit(benchmark::kMillisecond);

// The same list restored from the list cache (the database has not changed since it was saved).
void BM_SelectGridFromListCache(benchmark::State& state)
{
    auto grid = makeGrid(true);
    TQelListCache::Instance()->Save(grid.get());
    for (auto _ : state) {
        grid->Reload();
        if (grid->EntryCount() != kObjects || !grid->LastStatement().empty())
            state.SkipWithError("not restored from the cache");
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_SelectGridFromListCache)->Unit(benchmark::kMillisecond);

// One row reloaded while 100,000 rows are listed.
void BM_ReloadSingle(benchmark::State& state)
{
    auto grid = makeGrid(false);
    const TQelObjectKey key = grid->get_Key(grid->FirstDataRow() + kObjects / 2);
    for (auto _ : state)
        if (!grid->reload_single(key) || grid->EntryCount() != kObjects)
            state.SkipWithError("single reload failed");
}
BENCHMARK(BM_ReloadSingle)->Unit(benchmark::kMicrosecond);

} // namespace
