// Sorting 100,000 grid rows by a text column: TQelGrid through its collation keys (str2key, ties
// by AnsiCompareText) against the same grid sorting through QCollator sort keys, and against
// sorting the bare texts with QCollator sort keys, all in the same run. Two sets of texts: names
// that repeat (many equal keys, so many tie-breaks) and words that are nearly all different.
#include "lists/QelGrid.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;

std::vector<std::string> makeTexts(int kind)
{
    static const char* const surnames[] = { "Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer",
        "Wagner", "Becker", "Schulz", "Hoffmann", "Schäfer", "Koch", "Bauer", "Richter", "Klein", "Wolf",
        "Schröder", "Neumann", "Schwarz", "Zimmermann", "Braun", "Krüger", "Hofmann", "Hartmann", "Lange",
        "Schmitt", "Werner", "Schmitz", "Krause", "Meier", "Lehmann", "Schmid", "Schulze", "Maier", "Köhler",
        "Herrmann", "König", "Walter", "Mayer", "Huber", "Kaiser", "Fuchs", "Peters", "Lang", "Scholz",
        "Möller", "Weiß", "Jung", "Hahn", "Schubert", "Vogel", "Friedrich", "Keller", "Günther", "Frank",
        "Berger", "Winkler", "Roth", "Beck", "Lorenz", "Özdemir", "Ångström", "Straßburger", "Äbersold" };
    static const char* const given[] = { "Anna", "Jürgen", "Hans", "Ilse", "Björn", "Özlem", "Karl", "Lena",
        "Mia", "Paul", "Ömer", "Sören", "Uwe", "Zoë", "Ärne", "Günter", "Heike", "Jörg", "Lutz", "Renée" };
    const std::string letters[] = { "a", "b", "c", "d", "e", "f", "g", "h", "i", "k", "l", "m", "n", "o", "p",
        "r", "s", "t", "u", "w", "z", "ä", "ö", "ü", "ß", "A", "B", "M", "S", "Ä", "Ö", "Ü" };
    std::mt19937 rnd(4711);
    std::vector<std::string> texts;
    texts.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        if (kind == 0) {
            texts.push_back(
                std::string(surnames[rnd() % std::size(surnames)]) + ", " + given[rnd() % std::size(given)]);
        } else {
            std::string w;
            const int len = 5 + static_cast<int>(rnd() % 8);
            for (int k = 0; k < len; ++k)
                w += letters[rnd() % std::size(letters)];
            texts.push_back(std::move(w));
        }
    }
    return texts;
}

const std::vector<std::string>& texts(int kind)
{
    static const std::vector<std::string> sets[2] = { makeTexts(0), makeTexts(1) };
    return sets[kind];
}

// Sorts a one-column grid of the texts, refilled in their first order before each run.
void sortGrid(benchmark::State& state, bool collationKeys)
{
    const auto& data = texts(static_cast<int>(state.range(0)));
    TQelGrid grid(nullptr);
    grid.SetFixedCols(0);
    grid.SetFixedRows(1);
    grid.SetColCount(1);
    grid.SetRowCount(1 + kRows);
    grid.set_AnsiSortByIndex(collationKeys);
    grid.set_ColSortStyle(0, ssAnsiAlphaNoCase);
    for (auto _ : state) {
        state.PauseTiming();
        grid.BeginUpdate();
        for (int r = 0; r < kRows; ++r)
            grid.SetCellsEx(0, 1 + r, data[static_cast<std::size_t>(r)]);
        grid.EndUpdate();
        state.ResumeTiming();
        grid.SortByColumn(0, sdAscending);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_GridSortByCollationKeys(benchmark::State& state)
{
    sortGrid(state, true);
}
BENCHMARK(BM_GridSortByCollationKeys)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Anchor: the same grid, text compared through QCollator sort keys.
void BM_GridSortByQCollator(benchmark::State& state)
{
    sortGrid(state, false);
}
BENCHMARK(BM_GridSortByQCollator)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Anchor: the bare texts sorted with QCollator sort keys (conversion to QString included).
void BM_QCollatorSortKeys(benchmark::State& state)
{
    const auto& data = texts(static_cast<int>(state.range(0)));
    QCollator collator { QLocale(QLocale::German, QLocale::Germany) };
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (auto _ : state) {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(data.size());
        for (const auto& t : data)
            keys.push_back(collator.sortKey(QString::fromUtf8(t)));
        std::vector<int> order(data.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return keys[static_cast<std::size_t>(a)].compare(keys[static_cast<std::size_t>(b)]) < 0;
        });
        benchmark::DoNotOptimize(order.data());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_QCollatorSortKeys)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
