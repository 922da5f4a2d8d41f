// One keystroke in a TQelEdit while 200 other edits are registered on the same object, when the
// object holds 10,000 vector elements, against the same keystroke on the same form over an object
// without elements. A keystroke notifies every control of the object; the elements carry no
// controls, so the cost should not depend on how many there are.
#include "objdb/qelvector.h"
#include "support/edit_bench_form.h"

#include <QApplication>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

constexpr int kOthers = 200;
constexpr int kFields = 201;
constexpr int kElements = 10000;

void keystrokes(benchmark::State& state, int elements)
{
    TEditBenchDb data(kFields, true);
    TQelObject* obj = data.objects[0];
    TQelVector* v = obj->FieldList()->VectorByName("Posten");
    for (int i = 0; i < elements; ++i)
        v->Add()->FieldList()->FieldByName("Text")->set_AsString("Posten " + std::to_string(i));
    TForm form(nullptr);
    form.SetBounds(0, 0, 800, 600);
    auto edits = buildEditForm(form, kOthers + 1, kFields, 10);
    TQelCommonMethods::ConnectSubControls(&form, obj->FieldList(), false);
    TQelEdit* typed = edits[0];
    form.Show();
    typed->SetFocus();
    QApplication::processEvents();
    TQelField* field = obj->FieldList()->Field(1);
    bool letter = true;
    for (auto _ : state) {
        QTest::keyClick(typed->Handle(), letter ? Qt::Key_A : Qt::Key_Backspace);
        letter = !letter;
    }
    if (field->AsString() != typed->Text())
        state.SkipWithError("the keystrokes did not reach the field");
    if (v->Count() != elements)
        state.SkipWithError("the vector lost elements");
}

void BM_KeystrokeObjectWithElements(benchmark::State& state)
{
    keystrokes(state, kElements);
}
BENCHMARK(BM_KeystrokeObjectWithElements)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeObjectWithoutElements(benchmark::State& state)
{
    keystrokes(state, 0);
}
BENCHMARK(BM_KeystrokeObjectWithoutElements)->Unit(benchmark::kMicrosecond);

} // namespace
