// Listing 100,000 objects of a class with 6 fields in a select grid (query, column layout, cell
// texts formatted for their fields, no sort) against filling a QTableWidget with the same texts
// already in memory, and against reading the rows with the raw SQLite API, in the same run.
#include "support/selectgrid_bench.h"

#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace selectgrid_bench;

constexpr int kObjects = 100000;

void BM_SelectGridLoad(benchmark::State& state)
{
    auto grid = MakeGrid(kObjects);
    FullLoadLoop(state, *grid, kObjects);
}
BENCHMARK(BM_SelectGridLoad)->Unit(benchmark::kMillisecond);

// The cell texts of the list, read once.
const std::vector<std::string>& texts()
{
    static const std::vector<std::string> cells = [] {
        std::vector<std::string> out;
        auto grid = MakeGrid(kObjects);
        out.reserve(static_cast<std::size_t>(kObjects) * kCols);
        for (int r = 1; r <= kObjects; ++r)
            for (int c = 0; c < kCols; ++c)
                out.push_back(grid->GetCellsEx(c, r));
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
    RawReadLoop(state, kObjects);
}
BENCHMARK(BM_RawSqliteRead)->Unit(benchmark::kMillisecond);

} // namespace
