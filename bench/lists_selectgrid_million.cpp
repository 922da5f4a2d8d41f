// A list of 1,000,000 objects with 6 fields in the select grid: the time until the first screen
// of rows stands (the rest is read on idle time) and the time of the whole list read at once,
// beside the same rows read with the raw SQLite API; and the memory the grid keeps per row.
#include "support/selectgrid_bench.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

using namespace selectgrid_bench;

constexpr int kObjects = 1000000;

// Bytes the program holds on the heap: small blocks plus the large ones malloc maps on its own.
std::size_t heapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// Until Reload returns and the grid has painted the rows on screen.
void BM_MillionFirstScreen(benchmark::State& state)
{
    auto grid = MakeGrid(kObjects);
    grid->CompleteLoad();
    for (auto _ : state) {
        grid->Reload();
        grid->Repaint();
        if (!grid->Loading() || grid->EntryCount() >= kObjects)
            state.SkipWithError("the list was read at once");
    }
    grid->CompleteLoad();
}
BENCHMARK(BM_MillionFirstScreen)->Unit(benchmark::kMillisecond);

// The whole list: the first page, then every further page at once.
void BM_MillionWholeList(benchmark::State& state)
{
    auto grid = MakeGrid(kObjects);
    FullLoadLoop(state, *grid, kObjects);
}
BENCHMARK(BM_MillionWholeList)->Unit(benchmark::kMillisecond);

// Anchor: the same rows as text through the raw SQLite API.
void BM_MillionRawSqliteRead(benchmark::State& state)
{
    RawReadLoop(state, kObjects);
}
BENCHMARK(BM_MillionRawSqliteRead)->Unit(benchmark::kMillisecond);

// Heap the grid holds for the whole list, per row (key and six cells), and what of it is not the
// cells' texts themselves (overhead_per_row).
void BM_MillionBytesPerRow(benchmark::State& state)
{
    Database(kObjects);
    double perRow = 0, overhead = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        auto grid = MakeGrid(kObjects);
        grid->CompleteLoad();
        const std::size_t after = heapInUse();
        perRow = static_cast<double>(after - before) / kObjects;
        std::size_t texts = 0;
        for (int r = grid->FirstDataRow(); r < grid->FirstDataRow() + grid->EntryCount(); ++r)
            for (int c = 0; c < grid->ColCount(); ++c)
                texts += grid->CellTextEx(c, r).size();
        overhead = perRow - static_cast<double>(texts) / kObjects;
        if (grid->EntryCount() != kObjects)
            state.SkipWithError("wrong row count");
    }
    state.counters["bytes_per_row"] = perRow;
    state.counters["overhead_per_row"] = overhead;
}
BENCHMARK(BM_MillionBytesPerRow)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
