// The person form's general and bank pages (a page control, six sheets, the controls of two of
// them) loaded from demo/person_form.ui and connected to a person, against the same controls
// built in code and connected the same way. The .ui holds the whole form: the loaded text keeps
// only the widgets the code builds, so that both sides make the same controls. Each iteration
// makes a new form and drops it.
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

TQelEdit* edit(TForm& form, TWinControl* parent, const char* path, const char* caption, int x, int y, int w,
    TQelEditOptions options = {})
{
    auto* e = new TQelEdit(&form);
    e->SetName(std::string("ed") + path);
    e->SetParent(parent);
    e->SetBounds(x, y, w, 24);
    e->set_FieldPath(path);
    e->SetLabelCaption(caption);
    e->set_EditOptions(options);
    return e;
}

// What person_form.ui describes, written out by hand.
void buildInCode(TForm& form)
{
    auto* pages = new TQelPageControl(&form);
    pages->SetName("pcPerson");
    pages->SetParent(&form);
    pages->SetBounds(0, 56, 960, 590);
    pages->SetAlign(alClient);
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
    const int col1 = 16, col2 = 224, col3 = 432, w = 192;
    edit(form, general, "Anrede", "Anrede", col1, 28, 100);
    edit(form, general, "Titel", "Titel", col1 + 116, 28, w - 116);
    edit(form, general, "Vorname", "Vorname", col2, 28, w);
    edit(form, general, "Name", "Name", col3, 28, w);
    edit(form, general, "Geburtsdatum", "Geburtsdatum", col1, 84, w, { eoAcceptWithoutDelimiters });
    edit(form, general, "Gehalt", "Gehalt (€)", col2, 84, w);
    edit(form, general, "Email", "E-Mail", col3, 84, w);
    edit(form, general, "Eintritt", "Eintritt (ohne Uhrzeit)", col1, 140, w, { eoHideTime });
    edit(form, general, "Kinder", "Kinder", col2, 140, 80);
    auto* caption = new TLabel(&form);
    caption->SetName("lblArbeitgeberTitel");
    caption->SetParent(general);
    caption->SetBounds(col3, 122, w, 16);
    caption->SetCaption("Arbeitgeber");
    auto* employer = new TQelGradientLabel(&form);
    employer->SetName("lblArbeitgeber");
    employer->SetParent(general);
    employer->SetBounds(col3, 140, w, 24);
    employer->Font().SetStyle({ fsBold });
    employer->set_FieldPath("Arbeitgeber");
    employer->SetColor(TColor(0xFAF0E6));
    employer->SetColorTo(clWhite);
    TQelEdit* path = edit(form, general, "", "Objektpfad (Eigenschaft der Feldliste)", col1, 196,
        col3 + w - col1, { eoLabelLook });
    path->SetName("edObjektpfad");
    path->set_FieldProp("Path");
    for (auto [name, x, y, aw, ah] :
        { std::tuple { "pnlChoices", 640, 0, 312, 344 }, std::tuple { "pnlGroups", 8, 236, 368, 200 } }) {
        auto* p = new TPanel(&form);
        p->SetName(name);
        p->SetParent(general);
        p->SetBounds(x, y, aw, ah);
        p->SetBevelOuter(bvNone);
    }
    auto* bank = new TQelPanel(&form);
    bank->SetName("pnlBank");
    bank->SetParent(bankPage);
    bank->SetBounds(8, 8, 640, 200);
    bank->set_FieldPath("Bank");
    auto* title = new TLabel(&form);
    title->SetName("lblBankverbindung");
    title->SetParent(bank);
    title->SetBounds(8, 4, 300, 18);
    title->Font().SetStyle({ fsBold });
    title->SetCaption("Bankverbindung");
    edit(form, bank, "Bank", "Bank", 8, 48, 304);
    edit(form, bank, "IBAN", "IBAN", 8, 104, 304);
    edit(form, bank, "BIC", "BIC", 328, 104, 144);
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
