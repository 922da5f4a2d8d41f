#pragma once
// What the select-grid benchmarks share: the store of `objects` bench entries as the current
// database, a grid listing them (6 fields, no sort, no hidden columns), and the anchor that reads
// the same rows as text with the raw SQLite API.
#include "lists/Listcache.h"
#include "lists/QelSelectGrid.h"
#include "support/objdb_bench_data.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

namespace selectgrid_bench {

constexpr int kCols = 7; // the key and six fields
inline const char* const kFields = "Name,Vorname,Nummer,Betrag,Datum,Ort";
inline const char* const kQuery
    = "SELECT K, Name, Vorname, Nummer, Betrag, Datum, Ort FROM Eintrag WHERE GELOESCHT = 0";

inline TQelDatabase& Database(int objects)
{
    TQelDatabase& db = QelBenchDatabase(objects);
    SetQelDatabase(&db);
    if (!TQelListCache::Instance())
        TQelListCache::UnitInitialize();
    return db;
}

// A grid of screen size over the bench class, loaded once.
inline std::unique_ptr<TQelSelectGrid> MakeGrid(int objects, bool cache = false)
{
    Database(objects);
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

// The anchor: every row of the list as text through the raw SQLite API; returns the cell count.
inline std::size_t RawRead(sqlite3* h, int objects)
{
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(objects) * kCols);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(h, kQuery, -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW)
        for (int c = 0; c < kCols; ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
            out.emplace_back(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(s, c)));
        }
    sqlite3_finalize(s);
    return out.size();
}

// The anchor as a benchmark body.
inline void RawReadLoop(benchmark::State& state, int objects)
{
    sqlite3* h = Database(objects).Handle();
    for (auto _ : state)
        if (RawRead(h, objects) != static_cast<std::size_t>(objects) * kCols)
            state.SkipWithError("wrong row count");
    state.SetItemsProcessed(state.iterations() * objects);
}

// Full loads of the grid, each complete (pages still to come read at once).
inline void FullLoadLoop(benchmark::State& state, TQelSelectGrid& grid, int objects)
{
    for (auto _ : state) {
        grid.Reload();
        grid.CompleteLoad();
        if (grid.EntryCount() != objects)
            state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * objects);
}

} // namespace selectgrid_bench
