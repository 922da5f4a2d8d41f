// The person form's general and bank pages (a page control, six sheets, the controls of two of
// them, in their layouts) loaded from demo/person_form.ui and connected to a person, against the
// same controls in the same layouts built in code and connected the same way. The .ui holds the whole form:
// the loaded text keeps only the widgets the code builds, so that both sides make the same controls. Each
// iteration makes a new form and drops it.
#include "QelObjCntrl.h"
#include "binding/methods.h"
#include "controls/QelEdit.h"
#include "controls/QelGradientLabel.h"
#include "controls/QelPageControl.h"
#include "controls/QelPanel.h"
#include "demo_database.h"
#include "person_form.h"
#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <benchmark/benchmark.h>
#include <set>
#include <stdexcept>

namespace {

struct TBenchPerson {
    QTemporaryDir dir;
    DemoDatabase store;
    TQelObject* person = nullptr;
    TBenchPerson()
    {
        store = openDemoDatabase(dir.filePath("bench.qeldb").toStdString(), 4, 2);
        if (!store.error.empty())
            throw std::runtime_error(store.error);
        SetQelDatabase(store.db.get());
        auto q = store.db->CreateSQLEngine()->ListEx(
            store.db->FindClass("Person")->Key(), lfNotDeleted, "", "", "");
        q->Open();
        person = store.db->GetObjectA(TQelObjectKey(static_cast<int>(q->AsInteger(0))));
    }
    ~TBenchPerson() { SetQelDatabase(nullptr); }
};

TQelEdit* edit(TForm& form, const char* path, const char* caption, TQelEditOptions options = {})
{
    auto* e = new TQelEdit(&form);
    e->SetName(std::string("ed") + path);
    e->set_FieldPath(path);
    e->SetLabelCaption(caption);
    e->set_EditOptions(options);
    return e;
}

TPanel* panel(TForm& form, const char* name)
{
    auto* p = new TPanel(&form);
    p->SetName(name);
    p->SetBevelOuter(bvNone);
    return p;
}

void margins(QLayout* l, int left, int top, int right, int bottom)
{
    l->setContentsMargins(left, top, right, bottom);
}

// What person_form.ui describes, written out by hand: the same controls in the same layouts.
void buildInCode(TForm& form)
{
    auto* rows = new QVBoxLayout(form.ClientWidget());
    margins(rows, 0, 0, 0, 0);
    rows->setSpacing(0);
    auto* pages = new TQelPageControl(&form);
    pages->SetName("pcPerson");
    rows->addWidget(pages->Handle(), 1);
    auto sheet = [&](const char* name, const char* caption) {
        auto* s = new TTabSheet(&form);
        s->SetName(name);
        s->SetParent(pages);
        s->SetCaption(caption);
        return s;
    };
    TTabSheet* general = sheet("tsAllgemein", "Allgemein");
    sheet("tsAdressen", "Adressen");
    TTabSheet* bankPage = sheet("tsBank", "Bank");
    sheet("tsNotizen", "Notizen");
    sheet("tsDokumente", "Dokumente");
    sheet("tsBeziehungen", "Beziehungen");

    auto* generalRow = new QHBoxLayout(general->Handle());
    margins(generalRow, 16, 12, 12, 12);
    generalRow->setSpacing(16);
    auto* left = new QVBoxLayout();
    left->setSpacing(12);
    generalRow->addLayout(left, 1);
    auto* grid = new QGridLayout();
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(10);
    left->addLayout(grid);
    auto* salutation = new QHBoxLayout();
    salutation->addWidget(edit(form, "Anrede", "Anrede")->Handle(), 3);
    salutation->addWidget(edit(form, "Titel", "Titel")->Handle(), 2);
    grid->addLayout(salutation, 0, 0);
    grid->addWidget(edit(form, "Vorname", "Vorname")->Handle(), 0, 1);
    grid->addWidget(edit(form, "Name", "Name")->Handle(), 0, 2);
    grid->addWidget(
        edit(form, "Geburtsdatum", "Geburtsdatum", { eoAcceptWithoutDelimiters })->Handle(), 1, 0);
    grid->addWidget(edit(form, "Gehalt", "Gehalt (€)")->Handle(), 1, 1);
    grid->addWidget(edit(form, "Email", "E-Mail")->Handle(), 1, 2);
    grid->addWidget(edit(form, "Eintritt", "Eintritt (ohne Uhrzeit)", { eoHideTime })->Handle(), 2, 0);
    grid->addWidget(edit(form, "Kinder", "Kinder")->Handle(), 2, 1);
    auto* employerBox = new QVBoxLayout();
    employerBox->setSpacing(2);
    auto* caption = new TLabel(&form);
    caption->SetName("lblArbeitgeberTitel");
    caption->SetCaption("Arbeitgeber");
    employerBox->addWidget(caption->Handle());
    auto* employer = new TQelGradientLabel(&form);
    employer->SetName("lblArbeitgeber");
    employer->Handle()->setMinimumHeight(24);
    employer->Font().SetStyle({ fsBold });
    employer->set_FieldPath("Arbeitgeber");
    employer->SetColor(TColor(0xFAF0E6));
    employer->SetColorTo(clWhite);
    employerBox->addWidget(employer->Handle());
    grid->addLayout(employerBox, 2, 2);
    TQelEdit* path = edit(form, "", "Objektpfad (Eigenschaft der Feldliste)", { eoLabelLook });
    path->SetName("edObjektpfad");
    path->set_FieldProp("Path");
    grid->addWidget(path->Handle(), 3, 0, 1, 3);
    for (int c = 0; c < 3; ++c)
        grid->setColumnStretch(c, 1);
    // The panels of the groups and the choices (their controls are not part of the comparison).
    TPanel* groups = panel(form, "pnlGroups");
    auto* groupsRow = new QHBoxLayout(groups->Handle());
    margins(groupsRow, 0, 4, 0, 0);
    groupsRow->addLayout(new QVBoxLayout());
    groupsRow->addLayout(new QVBoxLayout());
    groupsRow->addStretch();
    left->addWidget(groups->Handle());
    left->addStretch();
    TPanel* choices = panel(form, "pnlChoices");
    choices->Handle()->setMinimumWidth(300);
    choices->Handle()->setMaximumWidth(360);
    auto* choiceRows = new QVBoxLayout(choices->Handle());
    margins(choiceRows, 0, 0, 0, 0);
    choiceRows->setSpacing(10);
    choiceRows->addLayout(new QHBoxLayout());
    choiceRows->addStretch();
    generalRow->addWidget(choices->Handle());

    auto* bankRows = new QVBoxLayout(bankPage->Handle());
    margins(bankRows, 8, 8, 16, 12);
    auto* bankRow = new QHBoxLayout();
    bankRows->addLayout(bankRow);
    bankRows->addStretch();
    auto* bank = new TQelPanel(&form);
    bank->SetName("pnlBank");
    bank->Handle()->setMinimumWidth(500);
    bank->set_FieldPath("Bank");
    bankRow->addWidget(bank->Handle());
    bankRow->addStretch(1);
    auto* bankGrid = new QGridLayout(bank->Handle());
    margins(bankGrid, 8, 8, 8, 12);
    bankGrid->setHorizontalSpacing(16);
    bankGrid->setVerticalSpacing(10);
    auto* title = new TLabel(&form);
    title->SetName("lblBankverbindung");
    title->Font().SetStyle({ fsBold });
    title->SetCaption("Bankverbindung");
    bankGrid->addWidget(title->Handle(), 0, 0, 1, 2);
    bankGrid->addWidget(edit(form, "Bank", "Bank")->Handle(), 1, 0);
    bankGrid->addWidget(edit(form, "IBAN", "IBAN")->Handle(), 2, 0);
    bankGrid->addWidget(edit(form, "BIC", "BIC")->Handle(), 2, 1);
    bankGrid->setColumnStretch(0, 2);
    bankGrid->setColumnStretch(1, 1);
}

// The person form's .ui with only the widgets (and tab stops) named in `keep`; the top widget stays.
std::string UiWithOnly(const std::set<std::string>& keep)
{
    QXmlStreamReader in { QByteArray(kPersonFormUi) };
    QByteArray out;
    QXmlStreamWriter w(&out);
    int depth = 0; // widgets opened so far, to tell the top one
    while (!in.atEnd()) {
        in.readNext();
        if (in.isStartElement()) {
            const bool widget = in.name() == QLatin1String("widget");
            const std::string name = in.attributes().value(QLatin1String("name")).toString().toStdString();
            if (widget && depth++ > 0 && !keep.count(name)) {
                in.skipCurrentElement();
                --depth;
                continue;
            }
            if (in.name() == QLatin1String("tabstop")) {
                const QString stop = in.readElementText();
                if (keep.count(stop.toStdString()))
                    w.writeTextElement(QStringLiteral("tabstop"), stop);
                continue;
            }
        }
        if (in.isEndElement() && in.name() == QLatin1String("widget"))
            --depth;
        w.writeCurrentToken(in);
    }
    return out.toStdString();
}

void BM_LoadAndConnectFromUi(benchmark::State& state)
{
    TBenchPerson data;
    std::set<std::string> names;
    {
        TForm sample(nullptr);
        buildInCode(sample);
        for (int i = 0; i < sample.GetComponentCount(); ++i)
            names.insert(sample.GetComponent(i)->Name());
    }
    const std::string ui = UiWithOnly(names);
    for (auto _ : state) {
        TForm form(nullptr);
        form.SetBounds(0, 0, 960, 720);
        const TFormLoadResult r = QelObjCntrl::LoadFormText(&form, ui, &form);
        state.counters["controls"] = static_cast<double>(r.controls.size());
        if (!r.ok || !r.warnings.empty())
            state.SkipWithError("person_form.ui did not load cleanly");
        benchmark::DoNotOptimize(
            TQelCommonMethods::ConnectSubControls(&form, data.person->FieldList(), false));
    }
}
BENCHMARK(BM_LoadAndConnectFromUi)->Unit(benchmark::kMillisecond);

void BM_BuildAndConnectInCode(benchmark::State& state)
{
    TBenchPerson data;
    for (auto _ : state) {
        TForm form(nullptr);
        form.SetBounds(0, 0, 960, 720);
        buildInCode(form);
        state.counters["controls"] = static_cast<double>(form.GetComponentCount());
        benchmark::DoNotOptimize(
            TQelCommonMethods::ConnectSubControls(&form, data.person->FieldList(), false));
    }
}
BENCHMARK(BM_BuildAndConnectInCode)->Unit(benchmark::kMillisecond);

} // namespace
