// Filling and painting a large grid: TAdvStringGrid (SetCellsEx into its own store, Qt view over
// it) against QTableWidget and QStandardItemModel given the same 100,000 x 6 texts in this run.
#include "toolkit/advstringgrid.h"
#include "toolkit/form.h"

#include <QApplication>
#include <QPixmap>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kCols = 6;

const std::vector<std::string>& texts()
{
    static const std::vector<std::string> t = [] {
        std::vector<std::string> v;
        v.reserve(static_cast<std::size_t>(kRows) * kCols);
        const char* names[] = { "Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer" };
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c)
                v.push_back(c == 0 ? std::to_string(100000 + r)
                                   : std::string(names[(r + c) % 6]) + " " + std::to_string(r));
        return v;
    }();
    return t;
}

const std::vector<QString>& qtexts()
{
    static const std::vector<QString> t = [] {
        std::vector<QString> v;
        v.reserve(texts().size());
        for (const auto& s : texts())
            v.push_back(QString::fromStdString(s));
        return v;
    }();
    return t;
}

void fillGrid(TAdvStringGrid& grid)
{
    const auto& t = texts();
    grid.BeginUpdate();
    grid.SetColCount(kCols);
    grid.SetRowCount(kRows + 1);
    std::size_t i = 0;
    for (int r = 1; r <= kRows; ++r)
        for (int c = 0; c < kCols; ++c)
            grid.SetCellsEx(c, r, t[i++]);
    grid.EndUpdate();
}

void BM_Fill_TAdvStringGrid(benchmark::State& state)
{
    texts();
    for (auto _ : state) {
        auto* grid = new TAdvStringGrid(nullptr);
        fillGrid(*grid);
        benchmark::DoNotOptimize(grid->GetCellsEx(5, kRows));
        state.PauseTiming();
        delete grid;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

// The same without BeginUpdate/EndUpdate: each SetCellsEx only stores and marks a repaint.
void BM_Fill_TAdvStringGrid_NoBatch(benchmark::State& state)
{
    const auto& t = texts();
    for (auto _ : state) {
        auto* grid = new TAdvStringGrid(nullptr);
        grid->SetColCount(kCols);
        grid->SetRowCount(kRows + 1);
        std::size_t i = 0;
        for (int r = 1; r <= kRows; ++r)
            for (int c = 0; c < kCols; ++c)
                grid->SetCellsEx(c, r, t[i++]);
        benchmark::DoNotOptimize(grid->GetCellsEx(5, kRows));
        state.PauseTiming();
        delete grid;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

// Fills a Qt container the way its users do: one item object per cell.
template <class Container, class Item>
void fillQt(benchmark::State& state, void (Container::*setItem)(int, int, Item*))
{
    const auto& t = qtexts();
    for (auto _ : state) {
        auto* target = new Container();
        target->setColumnCount(kCols);
        target->setRowCount(kRows);
        std::size_t i = 0;
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c)
                (target->*setItem)(r, c, new Item(t[i++]));
        benchmark::DoNotOptimize(target);
        state.PauseTiming();
        delete target;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

void BM_Fill_QTableWidget(benchmark::State& state)
{
    fillQt<QTableWidget, QTableWidgetItem>(state, &QTableWidget::setItem);
}

void BM_Fill_QStandardItemModel(benchmark::State& state)
{
    fillQt<QStandardItemModel, QStandardItem>(state, &QStandardItemModel::setItem);
}

// Painting the viewport of a filled 100,000-row grid at successive scroll positions.
class TCountingGrid : public TAdvStringGrid {
public:
    using TAdvStringGrid::TAdvStringGrid;
    long drawn = 0;

protected:
    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override
    {
        ++drawn;
        TAdvStringGrid::DrawCell(col, row, rect, state);
    }
};

void BM_ScrollPaint_TAdvStringGrid(benchmark::State& state)
{
    TForm form(nullptr);
    form.SetClientWidth(800);
    form.SetClientHeight(600);
    auto* grid = new TCountingGrid(&form);
    grid->SetParent(&form);
    grid->SetAlign(alClient);
    grid->SetFixedCols(0);
    fillGrid(*grid);
    for (int c = 0; c < kCols; ++c)
        grid->SetCellsEx(c, 0, "Spalte " + std::to_string(c));
    form.Show();
    QApplication::processEvents();
    int top = 1;
    long frames = 0;
    grid->drawn = 0;
    for (auto _ : state) {
        top = (top + 997) % (kRows - 40) + 1;
        grid->SetTopRow(top);
        QPixmap shot = grid->Handle()->grab();
        benchmark::DoNotOptimize(shot);
        ++frames;
    }
    state.counters["cells_per_frame"] = static_cast<double>(grid->drawn) / static_cast<double>(frames);
}

void BM_ScrollPaint_QTableWidget(benchmark::State& state)
{
    QTableWidget table;
    table.resize(800, 600);
    const auto& t = qtexts();
    table.setColumnCount(kCols);
    table.setRowCount(kRows);
    std::size_t i = 0;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c)
            table.setItem(r, c, new QTableWidgetItem(t[i++]));
    table.show();
    QApplication::processEvents();
    int top = 0;
    for (auto _ : state) {
        top = (top + 997) % (kRows - 40);
        table.scrollTo(table.model()->index(top, 0), QAbstractItemView::PositionAtTop);
        QPixmap shot = table.grab();
        benchmark::DoNotOptimize(shot);
    }
}

} // namespace

BENCHMARK(BM_Fill_TAdvStringGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill_TAdvStringGrid_NoBatch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill_QTableWidget)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill_QStandardItemModel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollPaint_TAdvStringGrid)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollPaint_QTableWidget)->Unit(benchmark::kMicrosecond);
