// Listing 100,000 objects of a class with 6 fields in a select grid (query, column layout, cell
// texts formatted for their fields, no sort) against filling a QTableWidget with the same texts
// already in memory, and against reading the rows with the raw SQLite API, in the same run.
#include "lists/QelSelectGrid.h"
#include "support/objdb_bench_data.h"

#include <QTableWidget>
#include <sqlite3.h>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int kObjects = 100000;
constexpr int kCols = 7; // the key and six fields

TQelDatabase& database()
{
    TQelDatabase& db = QelBenchDatabase(kObjects);
    SetQelDatabase(&db);
    return db;
}

void BM_SelectGridLoad(benchmark::State& state)
{
    database();
    TQelSelectGrid grid(nullptr);
    grid.SetBounds(0, 0, 900, 600);
    grid.set_AutoSortUpTo(0);
    grid.set_SelectGridOptions(grid.get_SelectGridOptions() >> soHideEmptyCols);
    grid.set_ClassName("Eintrag");
    grid.set_Fields("Name,Vorname,Nummer,Betrag,Datum,Ort");
    for (auto _ : state) {
        grid.Reload();
        if (grid.EntryCount() != kObjects)
            state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_SelectGridLoad)->Unit(benchmark::kMillisecond);

// The cell texts of the list, read once.
const std::vector<std::string>& texts()
{
    static const std::vector<std::string> cells = [] {
        std::vector<std::string> out;
        TQelSelectGrid grid(nullptr);
        database();
        grid.set_AutoSortUpTo(0);
        grid.set_ClassName("Eintrag");
        grid.set_Fields("Name,Vorname,Nummer,Betrag,Datum,Ort");
        grid.Reload();
        out.reserve(static_cast<std::size_t>(kObjects) * kCols);
        for (int r = 1; r <= kObjects; ++r)
            for (int c = 0; c < kCols; ++c)
                out.push_back(grid.GetCellsEx(c, r));
        return out;
    }();
    return cells;
}

// Anchor: a QTableWidget laid out with the same headers and filled with the same texts.
void BM_QTableWidgetFill(benchmark::State& state)
{
    const std::vector<std::string>& cells = texts();
    const QStringList headers { "K", "Name", "Vorname", "Nummer", "Betrag", "Datum", "Ort" };
    for (auto _ : state) {
        QTableWidget table;
        table.resize(900, 600);
        table.setColumnCount(kCols);
        table.setHorizontalHeaderLabels(headers);
        table.setRowCount(kObjects);
        for (int r = 0; r < kObjects; ++r)
            for (int c = 0; c < kCols; ++c)
                table.setItem(r, c,
                    new QTableWidgetItem(
                        QString::fromStdString(cells[static_cast<std::size_t>(r) * kCols + c])));
        table.setColumnHidden(0, true);
        table.resizeColumnsToContents();
        benchmark::DoNotOptimize(table.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_QTableWidgetFill)->Unit(benchmark::kMillisecond);

// Anchor: the rows read as text with the raw SQLite API into a vector.
void BM_RawSqliteRead(benchmark::State& state)
{
    sqlite3* h = database().Handle();
    for (auto _ : state) {
        std::vector<std::string> out;
        out.reserve(static_cast<std::size_t>(kObjects) * kCols);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(h,
            "SELECT K, Name, Vorname, Nummer, Betrag, Datum, Ort FROM Eintrag WHERE GELOESCHT = 0", -1, &s,
            nullptr);
        while (sqlite3_step(s) == SQLITE_ROW)
            for (int c = 0; c < kCols; ++c)
                out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, c)),
                    static_cast<std::size_t>(sqlite3_column_bytes(s, c)));
        sqlite3_finalize(s);
        if (out.size() != static_cast<std::size_t>(kObjects) * kCols)
            state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_RawSqliteRead)->Unit(benchmark::kMillisecond);

} // namespace
