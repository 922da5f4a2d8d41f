// Connecting a form of 500 TQelEdits in nested panels to an object's field list with
// ConnectSubControls, against QDataWidgetMapper mapping 500 QLineEdits to a row of a
// QStandardItemModel. Both switch between two records on every iteration.
#include "support/edit_bench_form.h"

#include <QDataWidgetMapper>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <QWidget>

#include <benchmark/benchmark.h>

namespace {

constexpr int kEdits = 500;
constexpr int kFields = 50;

void BM_ConnectSubControls(benchmark::State& state)
{
    TEditBenchDb data(kFields);
    TForm form(nullptr);
    buildEditForm(form, kEdits, kFields, 10);
    int record = 0;
    for (auto _ : state) {
        const int connected
            = TQelCommonMethods::ConnectSubControls(&form, data.objects[record]->FieldList(), false);
        benchmark::DoNotOptimize(connected);
        record ^= 1;
    }
    state.SetItemsProcessed(state.iterations() * kEdits);
}
BENCHMARK(BM_ConnectSubControls)->Unit(benchmark::kMicrosecond);

void BM_QDataWidgetMapper(benchmark::State& state)
{
    QStandardItemModel model(2, kEdits);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < kEdits; ++c)
            model.setItem(
                r, c, new QStandardItem(QString::fromStdString(TEditBenchDb::value(r, c % kFields))));
    QWidget window;
    QVBoxLayout layout(&window);
    QDataWidgetMapper mapper;
    mapper.setModel(&model);
    for (int c = 0; c < kEdits; ++c) {
        auto* e = new QLineEdit(&window);
        layout.addWidget(e);
        mapper.addMapping(e, c);
    }
    int record = 0;
    for (auto _ : state) {
        mapper.setCurrentIndex(record);
        record ^= 1;
    }
    state.SetItemsProcessed(state.iterations() * kEdits);
}
BENCHMARK(BM_QDataWidgetMapper)->Unit(benchmark::kMicrosecond);

} // namespace
