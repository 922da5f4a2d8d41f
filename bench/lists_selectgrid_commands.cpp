// The select grid's commands on many rows, each beside its anchor in the same run: deleting
// 10,000 selected entries in one command (question answered by BeforeDeleteQuery, the list
// reloaded once afterwards) and the object database's part of it alone, against one raw SQLite
// UPDATE of the same rows; saving 100,000 rows as CSV against a plain std::ofstream loop writing
// the same strings.
#include "lists/QelSelectGrid.h"
#include "support/bench_tempdir.h"
#include "support/objdb_bench_data.h"

#include <sqlite3.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kObjects = 10000;
constexpr int kCsvRows = 100000;
constexpr int kCsvCols = 8;

TQelDatabase& database()
{
    TQelDatabase& db = QelBenchDatabase(kObjects);
    SetQelDatabase(&db);
    return db;
}

std::vector<TQelObjectKey> allKeys(TQelDatabase& db)
{
    std::vector<TQelObjectKey> keys;
    auto q = db.CreateSQLEngine()->Query("SELECT K FROM Eintrag");
    for (q->Open(); !q->Eof(); q->Next())
        keys.emplace_back(static_cast<int>(q->AsInteger(0)));
    return keys;
}

void recoverAll(TQelDatabase& db)
{
    TQelObjectCommands commands(&db);
    commands.MarkDeleted(allKeys(db), false);
}

void BM_GridDeleteSelected(benchmark::State& state)
{
    TQelDatabase& db = database();
    TQelSelectGrid grid(nullptr);
    grid.SetBounds(0, 0, 900, 600);
    grid.set_AutoSortUpTo(0);
    TQelSelectGridOptions o = grid.get_SelectGridOptions();
    o >> soHideEmptyCols << soMultiSelect;
    grid.set_SelectGridOptions(o);
    grid.set_ClassName("Eintrag");
    grid.set_Fields("Name,Ort");
    grid.BeforeDeleteQuery
        = [](TObject*, int, TQelClassKey, TQelObjectKey, bool&, std::string& q) { q.clear(); };
    for (auto _ : state) {
        state.PauseTiming();
        recoverAll(db);
        grid.Reload();
        for (int r = grid.FirstDataRow(); r < grid.RowCount(); ++r)
            grid.SetRowSelect(r, true);
        state.ResumeTiming();
        grid.DeleteSelected();
        if (grid.EntryCount() != 0)
            state.SkipWithError("rows left");
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
    recoverAll(db);
}
BENCHMARK(BM_GridDeleteSelected)->Unit(benchmark::kMillisecond);

void BM_ObjdbMarkDeleted(benchmark::State& state)
{
    TQelDatabase& db = database();
    const std::vector<TQelObjectKey> keys = allKeys(db);
    TQelObjectCommands commands(&db);
    for (auto _ : state) {
        if (!commands.MarkDeleted(keys, true))
            state.SkipWithError(commands.ErrorMessage().c_str());
        state.PauseTiming();
        commands.MarkDeleted(keys, false);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_ObjdbMarkDeleted)->Unit(benchmark::kMillisecond);

// Anchor: one UPDATE of the same rows in one transaction.
void BM_RawSqliteUpdate(benchmark::State& state)
{
    sqlite3* h = database().Handle();
    for (auto _ : state) {
        sqlite3_exec(h, "BEGIN; UPDATE Eintrag SET GELOESCHT = 1 WHERE GELOESCHT = 0; COMMIT", nullptr,
            nullptr, nullptr);
        if (sqlite3_changes(h) != kObjects)
            state.SkipWithError("wrong row count");
        state.PauseTiming();
        sqlite3_exec(h, "UPDATE Eintrag SET GELOESCHT = 0", nullptr, nullptr, nullptr);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_RawSqliteUpdate)->Unit(benchmark::kMillisecond);

// ---- CSV --------------------------------------------------------------------------------------

std::string cellText(int col, int row)
{
    static const char* const towns[] = { "Köln", "Düsseldorf", "München", "Lübeck", "Görlitz" };
    switch (col) {
    case 0:
        return std::to_string(row);
    case 1:
        return "Name " + std::to_string(row);
    case 2:
        return row % 2 ? "Jürgen" : "Anna";
    case 3:
        return towns[row % 5];
    case 4:
        return std::to_string(1 + row % 28) + ".05.1980";
    case 5:
        return std::to_string(row * 3) + ",25";
    case 6:
        return row % 97 ? "Kunde" : "Kunde; \"VIP\"";
    default:
        return row % 50 ? "" : "=1+1";
    }
}

std::string csvFile()
{
    return (qel::bench::PrivateDir() / "liste.csv").string();
}

TAdvStringGrid& csvGrid()
{
    static TAdvStringGrid* grid = [] {
        auto* g = new TAdvStringGrid(nullptr);
        g->SetColCount(kCsvCols);
        g->SetRowCount(kCsvRows + 1);
        for (int c = 0; c < kCsvCols; ++c)
            g->SetCellsEx(c, 0, "Spalte " + std::to_string(c));
        for (int r = 1; r <= kCsvRows; ++r)
            for (int c = 0; c < kCsvCols; ++c)
                g->SetCellsEx(c, r, cellText(c, r));
        g->SetDelimiter(';');
        g->SetCsvFormulaGuard(true);
        return g;
    }();
    return *grid;
}

void BM_SaveListAsCsv(benchmark::State& state)
{
    TAdvStringGrid& grid = csvGrid();
    for (auto _ : state)
        grid.SaveToCSV(csvFile());
    state.SetItemsProcessed(state.iterations() * kCsvRows);
}
BENCHMARK(BM_SaveListAsCsv)->Unit(benchmark::kMillisecond);

// Anchor: the same strings with ';' and line ends through std::ofstream, no quoting.
void BM_OfstreamLoop(benchmark::State& state)
{
    TAdvStringGrid& grid = csvGrid();
    for (auto _ : state) {
        std::ofstream out(csvFile(), std::ios::binary | std::ios::trunc);
        for (int r = 0; r <= kCsvRows; ++r) {
            for (int c = 0; c < kCsvCols; ++c) {
                if (c)
                    out << ';';
                out << grid.GetCellsEx(c, r);
            }
            out << "\r\n";
        }
    }
    state.SetItemsProcessed(state.iterations() * kCsvRows);
}
BENCHMARK(BM_OfstreamLoop)->Unit(benchmark::kMillisecond);

} // namespace
