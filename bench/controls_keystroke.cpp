// One keystroke in a TQelEdit while 200 other edits are registered on the same object (the
// keystroke is written to the field, every control of the object is notified and re-reads),
// against one keystroke in a plain QLineEdit. Keystrokes alternate between a letter and Backspace.
#include "support/edit_bench_form.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

constexpr int kOthers = 200;
constexpr int kFields = 201;

void typeOne(QWidget* w, bool letter)
{
    if (letter)
        QTest::keyClick(w, Qt::Key_A);
    else
        QTest::keyClick(w, Qt::Key_Backspace);
}

void BM_QelEditKeystroke(benchmark::State& state)
{
    TEditBenchDb data(kFields);
    TForm form(nullptr);
    form.SetBounds(0, 0, 800, 600);
    auto edits = buildEditForm(form, kOthers + 1, kFields, 10);
    TQelCommonMethods::ConnectSubControls(&form, data.objects[0]->FieldList(), false);
    TQelEdit* typed = edits[0];
    form.Show();
    typed->SetFocus();
    QApplication::processEvents();
    TQelField* field = data.objects[0]->FieldList()->Field(1);
    bool letter = true;
    for (auto _ : state) {
        typeOne(typed->Handle(), letter);
        letter = !letter;
    }
    if (field->AsString() != typed->Text())
        state.SkipWithError("the keystrokes did not reach the field");
}
BENCHMARK(BM_QelEditKeystroke)->Unit(benchmark::kMicrosecond);

void BM_QLineEditKeystroke(benchmark::State& state)
{
    QLineEdit edit;
    edit.setText("Wert 0");
    edit.show();
    edit.setFocus();
    QApplication::processEvents();
    bool letter = true;
    for (auto _ : state) {
        typeOne(&edit, letter);
        letter = !letter;
    }
}
BENCHMARK(BM_QLineEditKeystroke)->Unit(benchmark::kMicrosecond);

} // namespace
