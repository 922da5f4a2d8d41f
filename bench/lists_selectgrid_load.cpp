// The select grid's loading paths over 100,000 objects with 6 fields, each beside its anchor in
// the same run: the full load against the same query read with the raw SQLite API into a vector
// of strings and against a QSqlQueryModel fetching every row; the list restored from the list
// cache against the full load; one single-row reload with the whole list shown.
#include "lists/Listcache.h"
#include "lists/QelSelectGrid.h"
#include "support/objdb_bench_data.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <sqlite3.h>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int kObjects = 100000;
constexpr int kCols = 7; // the key and six fields
const char* const kFields = "Name,Vorname,Nummer,Betrag,Datum,Ort";
const char* const kQuery
    = "SELECT K, Name, Vorname, Nummer, Betrag, Datum, Ort FROM Eintrag WHERE GELOESCHT = 0";

TQelDatabase& database()
{
    TQelDatabase& db = QelBenchDatabase(kObjects);
    SetQelDatabase(&db);
    if (!TQelListCache::Instance())
        TQelListCache::UnitInitialize();
    return db;
}

std::unique_ptr<TQelSelectGrid> makeGrid(bool cache)
{
    database();
    auto grid = std::make_unique<TQelSelectGrid>(nullptr);
    grid->SetBounds(0, 0, 900, 600);
    grid->set_AutoSortUpTo(0);
    TQelSelectGridOptions o = grid->get_SelectGridOptions();
    o >> soHideEmptyCols;
    if (cache)
        o << soUseCache;
    grid->set_SelectGridOptions(o);
    grid->set_ClassName("Eintrag");
    grid->set_Fields(kFields);
    grid->Reload();
    return grid;
}

void BM_SelectGridFullLoad(benchmark::State& state)
{
    auto grid = makeGrid(false);
    for (auto _ : state) {
        grid->Reload();
        if (grid->EntryCount() != kObjects)
            state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_SelectGridFullLoad)->Unit(benchmark::kMillisecond);

// Anchor: the same rows as text through the raw SQLite API.
void BM_RawSqliteRead(benchmark::State& state)
{
    sqlite3* h = database().Handle();
    for (auto _ : state) {
        std::vector<std::string> out;
        out.reserve(static_cast<std::size_t>(kObjects) * kCols);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(h, kQuery, -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW)
            for (int c = 0; c < kCols; ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
                out.emplace_back(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(s, c)));
            }
        sqlite3_finalize(s);
        if (out.size() != static_cast<std::size_t>(kObjects) * kCols)
            state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_RawSqliteRead)->Unit(benchmark::kMillisecond);

// Anchor: QSqlQueryModel over a file copy of the store, fetching every row.
void BM_QSqlQueryModelFetchAll(benchmark::State& state)
{
    const std::string path = QDir::temp().filePath("qel_bench_selectgrid_load.sqlite").toStdString();
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
