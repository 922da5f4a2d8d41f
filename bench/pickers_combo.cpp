// The combo over a reference to 10,000 firms: filling its list against a QComboBox over a
// QSqlQueryModel of the same table (all rows fetched), and one completion step after a keystroke
// (goal: well under a frame, 16 ms).
#include "objdb/qeldatabase.h"
#include "objdb/qelobject.h"
#include "pickers/QelCombo.h"
#include "support/bench_tempdir.h"

#include "toolkit/form.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTest>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

namespace {

const int kFirms = 10000;

const char* const kSchema = R"(
class 60010 Firma : Objekt table=Firma format="<Name>"
  field Name Text length=80
end
class 60020 Person : Objekt table=Person format="<Name>"
  field Name Text length=60
  field Arbeitgeber Referenz ref=Firma
end
)";

std::string databasePath()
{
    return (qel::bench::PrivateDir() / "combo.qeldb").string();
}

TQelDatabase& database()
{
    static TQelDatabase* db = [] {
        std::filesystem::remove(databasePath());
        auto* d = new TQelDatabase();
        TQelOpenOptions o;
        o.schemaText = kSchema;
        o.create = true;
        d->Open(databasePath(), o);
        SetQelDatabase(d);
        const TQelClassKey cls = d->FindClass("Firma")->Key();
        static const char* const towns[] = { "Köln", "Düsseldorf", "München", "Lübeck", "Görlitz" };
        d->StartTransaction();
        for (int i = 0; i < kFirms; ++i) {
            TQelObject* f = d->CreateObject(cls);
            char name[64];
            std::snprintf(name, sizeof name, "Firma %05d %s", i, towns[i % 5]);
            f->FieldByName("Name")->set_AsString(name);
            if (!f->Commit())
                std::fprintf(stderr, "%s\n", f->ErrorMessage().c_str());
            d->FreeObject(f);
        }
        d->CommitTransaction();
        return d;
    }();
    return *db;
}

struct TComboForm {
    TComboForm()
    {
        TQelDatabase& db = database();
        person = db.CreateObject(db.FindClass("Person")->Key());
        form.SetBounds(0, 0, 400, 200);
        combo = new TQelCombo(&form);
        combo->SetParent(&form);
        combo->SetBounds(10, 10, 300, 24);
        combo->set_FieldPath("Arbeitgeber");
        combo->ConnectFL(person->FieldList(), false);
    }
    ~TComboForm() { database().FreeObject(person); }
    TForm form { nullptr };
    TQelObject* person = nullptr;
    TQelCombo* combo = nullptr;
};

// The combo fills its list from the query (key and name of every firm).
void BM_ComboFill(benchmark::State& state)
{
    TComboForm f;
    for (auto _ : state) {
        f.combo->Reload(-1, "");
        if (f.combo->Items().Count() != kFirms)
            state.SkipWithError("wrong item count");
    }
    state.SetItemsProcessed(state.iterations() * kFirms);
}
BENCHMARK(BM_ComboFill)->Unit(benchmark::kMillisecond);

// Anchor: a plain QComboBox over a QSqlQueryModel of the same rows, every row fetched.
void BM_QComboBoxSqlModel(benchmark::State& state)
{
    database();
    {
        QSqlDatabase sql = QSqlDatabase::addDatabase("QSQLITE", "bench");
        sql.setDatabaseName(QString::fromStdString(databasePath()));
        if (!sql.open()) {
            state.SkipWithError("QSQLITE not available");
            return;
        }
        QComboBox box;
        for (auto _ : state) {
            auto* model = new QSqlQueryModel(&box);
            model->setQuery(QSqlQuery("SELECT K, Name FROM Firma WHERE GELOESCHT = 0", sql));
            while (model->canFetchMore())
                model->fetchMore();
            box.setModel(model); // the combo deletes the model it owned before
            box.setModelColumn(1);
            if (box.count() != kFirms)
                state.SkipWithError("wrong row count");
        }
        state.SetItemsProcessed(state.iterations() * kFirms);
    }
    QSqlDatabase::removeDatabase("bench");
}
BENCHMARK(BM_QComboBoxSqlModel)->Unit(benchmark::kMillisecond);

// One keystroke into the focused combo: the typed start is completed from the 10,000 items and
// the reference written. The typed letters match no firm, so every item is looked at.
void BM_ComboCompletionStep(benchmark::State& state)
{
    TComboForm f;
    f.form.Show();
    QApplication::processEvents();
    f.combo->SetFocus();
    f.combo->SetDroppedDown(false);
    QApplication::processEvents();
    auto* box = static_cast<QComboBox*>(f.combo->Handle());
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        box->lineEdit()->selectAll();
        state.ResumeTiming();
        QTest::keyClick(box, i++ % 2 ? 'z' : 'y');
    }
    if (f.combo->Items().Count() != kFirms)
        state.SkipWithError("wrong item count");
}
BENCHMARK(BM_ComboCompletionStep)->Unit(benchmark::kMillisecond);

// The same with a text that completes (the first firm of a town, found after some items).
void BM_ComboCompletionStepFound(benchmark::State& state)
{
    TComboForm f;
    f.form.Show();
    QApplication::processEvents();
    f.combo->SetFocus();
    f.combo->SetDroppedDown(false);
    QApplication::processEvents();
    auto* box = static_cast<QComboBox*>(f.combo->Handle());
    for (auto _ : state) {
        state.PauseTiming();
        box->lineEdit()->selectAll();
        state.ResumeTiming();
        QTest::keyClick(box, 'f');
    }
    if (f.combo->get_SelectedText().rfind("Firma", 0) != 0)
        state.SkipWithError("not completed");
}
BENCHMARK(BM_ComboCompletionStepFound)->Unit(benchmark::kMillisecond);

} // namespace
