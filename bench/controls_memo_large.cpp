// A memo over a long text stored as a blob: connecting a form that shows 1 MB of it (the blob read
// from the database and put into the memo) against giving a QPlainTextEdit the same text, and one
// keystroke at the end of a text of 1 MB and of 10 MB against the same key in the QPlainTextEdit.
#include "binding/methods.h"
#include "controls/QelMemo.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

constexpr const char* kSchema = "class 50101 Akte : Objekt table=Akte\n  field Titel Text length=40\n"
                                "  field Inhalt Langtext\nend\n";

// About `megabytes` MB of lines of German text, umlauts included.
std::string longText(std::size_t megabytes = 1)
{
    std::string s;
    for (int i = 0; s.size() < megabytes * 1'000'000; ++i)
        s += "Zeile " + std::to_string(i) + ": Grüße aus Köln, Straße und Übergabe; viel Text.\n";
    return s;
}

struct TMemoBenchDb {
    explicit TMemoBenchDb(std::size_t megabytes = 1)
        : text(longText(megabytes))
    {
        TQelOpenOptions o;
        o.schemaText = kSchema;
        o.create = true;
        db.Open(":memory:", o);
        SetQelDatabase(&db);
        TQelObject* a = db.CreateObject(db.FindClass("Akte")->Key());
        a->FieldByName("Inhalt")->set_AsString(text);
        a->Commit();
        key = a->Key();
        db.FreeObject(a);
        obj = db.GetObjectA(key);
    }
    ~TMemoBenchDb() { SetQelDatabase(nullptr); }
    TQelBlobField* blob() const { return static_cast<TQelBlobField*>(obj->FieldByName("Inhalt")); }

    const std::string text;
    TQelDatabase db;
    TQelObjectKey key;
    TQelObject* obj = nullptr;
};

TQelMemo* memoOn(TForm& form)
{
    form.SetBounds(0, 0, 800, 600);
    auto* m = new TQelMemo(&form);
    m->SetName("mmInhalt");
    m->SetParent(&form);
    m->SetBounds(10, 10, 700, 500);
    m->set_FieldPath("Inhalt");
    m->set_InstantLoad(true);
    return m;
}

void BM_ConnectFormWithLongTextMemo(benchmark::State& state)
{
    TMemoBenchDb data;
    TForm form(nullptr);
    TQelMemo* m = memoOn(form);
    form.Show();
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        TQelCommonMethods::DisconnectSubControls(&form, false);
        data.blob()->Unload(); // read from the database again, as when a form opens
        m->Clear();
        QApplication::processEvents();
        state.ResumeTiming();
        TQelCommonMethods::ConnectSubControls(&form, data.obj->FieldList(), false);
        QApplication::processEvents();
    }
    if (m->Text() != data.text)
        state.SkipWithError("the memo does not show the text");
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(data.text.size()));
}
BENCHMARK(BM_ConnectFormWithLongTextMemo)->Unit(benchmark::kMillisecond);

void BM_PlainTextEditGivenLongText(benchmark::State& state)
{
    const std::string text = longText();
    QWidget window;
    window.resize(800, 600);
    auto* edit = new QPlainTextEdit(&window);
    edit->setGeometry(10, 10, 700, 500);
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        edit->clear();
        state.ResumeTiming();
        edit->setPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        QApplication::processEvents();
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_PlainTextEditGivenLongText)->Unit(benchmark::kMillisecond);

void BM_KeystrokeAtEndOfLongTextMemo(benchmark::State& state)
{
    TMemoBenchDb data(static_cast<std::size_t>(state.range(0)));
    TForm form(nullptr);
    TQelMemo* m = memoOn(form);
    TQelCommonMethods::ConnectSubControls(&form, data.obj->FieldList(), false);
    form.Show();
    m->SetFocus();
    QApplication::processEvents();
    QTest::keyClick(m->Handle(), Qt::Key_End, Qt::ControlModifier);
    bool letter = true;
    for (auto _ : state) {
        QTest::keyClick(m->Handle(), letter ? Qt::Key_A : Qt::Key_Backspace);
        letter = !letter;
    }
    if (data.blob()->BufferAsString() != m->Text())
        state.SkipWithError("the keystrokes did not reach the field");
}
BENCHMARK(BM_KeystrokeAtEndOfLongTextMemo)->ArgName("MB")->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_KeystrokeAtEndOfLongTextPlainTextEdit(benchmark::State& state)
{
    const std::string text = longText(static_cast<std::size_t>(state.range(0)));
    QWidget window;
    window.resize(800, 600);
    auto* edit = new QPlainTextEdit(&window);
    edit->setGeometry(10, 10, 700, 500);
    edit->setPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    window.show();
    edit->setFocus();
    QApplication::processEvents();
    QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
    bool letter = true;
    for (auto _ : state) {
        QTest::keyClick(edit, letter ? Qt::Key_A : Qt::Key_Backspace);
        letter = !letter;
    }
}
BENCHMARK(BM_KeystrokeAtEndOfLongTextPlainTextEdit)
    ->ArgName("MB")
    ->Arg(1)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond);

} // namespace
