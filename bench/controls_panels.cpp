// Containers: connecting a form of 20 pages × 25 edits, each page a field panel on its own
// sub-object with a nested panel inside, against QDataWidgetMapper mapping the same 500
// QLineEdits on the pages of a QTabWidget; and selecting another tab of a tab control over a
// vector of 100 elements (goal: well under one frame, 16 ms), against QDataWidgetMapper moving
// to another row beside a QTabBar.
#include "binding/methods.h"
#include "controls/QelEdit.h"
#include "controls/QelPageControl.h"
#include "controls/QelPanel.h"
#include "controls/QelTabControl.h"

#include <QDataWidgetMapper>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

namespace {

constexpr int kPages = 20;
constexpr int kPerPage = 25;
constexpr int kElements = 100;
constexpr int kElementFields = 6;

std::string value(int record, int page, int field)
{
    return (record ? "Anderer Wert " : "Wert ") + std::to_string(page) + "." + std::to_string(field);
}

std::string schema()
{
    std::string s = "class 50101 Teil table=Teil\n";
    for (int f = 0; f < kPerPage; ++f)
        s += "  field F" + std::to_string(f) + " Text length=40\n";
    s += "end\nclass 50102 Posten table=Posten format=\"<F0>\"\n";
    for (int f = 0; f < kElementFields; ++f)
        s += "  field F" + std::to_string(f) + " Text length=40\n";
    s += "end\nclass 50103 Akte : Objekt table=Akte\n";
    for (int p = 0; p < kPages; ++p)
        s += "  subobject S" + std::to_string(p) + " Teil\n";
    return s + "  vector Posten Posten\nend\n";
}

struct TPanelBenchDb {
    TPanelBenchDb()
    {
        TQelOpenOptions o;
        o.schemaText = schema();
        o.create = true;
        db.Open(":memory:", o);
        SetQelDatabase(&db);
        for (int r = 0; r < 2; ++r) {
            objects[r] = db.CreateObject(db.FindClass("Akte")->Key());
            TQelFieldList* fl = objects[r]->FieldList();
            for (int p = 0; p < kPages; ++p)
                for (int f = 0; f < kPerPage; ++f)
                    fl->FindField("S" + std::to_string(p) + ".F" + std::to_string(f), true)
                        ->set_AsString(value(r, p, f));
            TQelVector* v = fl->VectorByName("Posten");
            for (int e = 0; e < kElements; ++e) {
                TQelFieldList* el = v->Add()->FieldList();
                for (int f = 0; f < kElementFields; ++f)
                    el->Field(f + 1)->set_AsString(value(r, e, f));
            }
        }
    }
    ~TPanelBenchDb() { SetQelDatabase(nullptr); }
    TQelDatabase db;
    TQelObject* objects[2] = {};
};

TQelEdit* addEdit(TForm& form, TWinControl* parent, const std::string& path, int y)
{
    auto* e = new TQelEdit(&form);
    e->SetParent(parent);
    e->SetBounds(4, y, 160, 22);
    e->set_FieldPath(path);
    return e;
}

void BM_ConnectPagesOfPanels(benchmark::State& state)
{
    TPanelBenchDb data;
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 800);
    auto* pages = new TQelPageControl(&form);
    pages->SetParent(&form);
    pages->SetAlign(alClient);
    for (int p = 0; p < kPages; ++p) {
        auto* sheet = new TTabSheet(&form);
        sheet->SetCaption("Seite " + std::to_string(p + 1));
        sheet->SetPageControl(pages);
        auto* outer = new TQelPanel(&form);
        outer->SetParent(sheet);
        outer->SetAlign(alClient);
        outer->set_FieldPath("S" + std::to_string(p));
        auto* inner = new TQelPanel(&form);
        inner->SetParent(outer);
        inner->SetAlign(alClient);
        for (int f = 0; f < kPerPage; ++f)
            addEdit(form, inner, "F" + std::to_string(f), 4 + 24 * f);
    }
    int record = 0;
    for (auto _ : state) {
        const int connected
            = TQelCommonMethods::ConnectSubControls(&form, data.objects[record]->FieldList(), false);
        benchmark::DoNotOptimize(connected);
        record ^= 1;
    }
    state.SetItemsProcessed(state.iterations() * kPages * kPerPage);
}
BENCHMARK(BM_ConnectPagesOfPanels)->Unit(benchmark::kMicrosecond);

void BM_QDataWidgetMapperOnPages(benchmark::State& state)
{
    const int columns = kPages * kPerPage;
    QStandardItemModel model(2, columns);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < columns; ++c)
            model.setItem(
                r, c, new QStandardItem(QString::fromStdString(value(r, c / kPerPage, c % kPerPage))));
    QTabWidget tabs;
    QDataWidgetMapper mapper;
    mapper.setModel(&model);
    for (int p = 0; p < kPages; ++p) {
        auto* page = new QWidget;
        auto* outer = new QWidget(page);
        auto* inner = new QWidget(outer);
        auto* layout = new QVBoxLayout(inner);
        for (int f = 0; f < kPerPage; ++f) {
            auto* e = new QLineEdit(inner);
            layout->addWidget(e);
            mapper.addMapping(e, p * kPerPage + f);
        }
        tabs.addTab(page, QString("Seite %1").arg(p + 1));
    }
    int record = 0;
    for (auto _ : state) {
        mapper.setCurrentIndex(record);
        record ^= 1;
    }
    state.SetItemsProcessed(state.iterations() * columns);
}
BENCHMARK(BM_QDataWidgetMapperOnPages)->Unit(benchmark::kMicrosecond);

void BM_SwitchTabOf100Elements(benchmark::State& state)
{
    TPanelBenchDb data;
    TForm form(nullptr);
    form.SetBounds(0, 0, 800, 400);
    auto* tabs = new TQelTabControl(&form);
    tabs->SetParent(&form);
    tabs->SetAlign(alClient);
    tabs->set_FieldPath("Posten");
    auto* panel = new TQelPanel(&form);
    panel->SetParent(tabs);
    panel->SetAlign(alClient);
    for (int f = 0; f < kElementFields; ++f)
        addEdit(form, panel, "F" + std::to_string(f), 4 + 24 * f);
    TQelCommonMethods::ConnectSubControls(&form, data.objects[0]->FieldList(), false);
    int tab = 0;
    for (auto _ : state) {
        tab = (tab + 37) % kElements;
        tabs->set_TabIndex(tab);
        benchmark::DoNotOptimize(tabs->get_VectorIndex());
    }
}
BENCHMARK(BM_SwitchTabOf100Elements)->Unit(benchmark::kMicrosecond);

void BM_QTabBarAndMapperRow(benchmark::State& state)
{
    QStandardItemModel model(kElements, kElementFields);
    for (int r = 0; r < kElements; ++r)
        for (int c = 0; c < kElementFields; ++c)
            model.setItem(r, c, new QStandardItem(QString::fromStdString(value(0, r, c))));
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* bar = new QTabBar(&window);
    layout->addWidget(bar);
    for (int r = 0; r < kElements; ++r)
        bar->addTab(model.item(r, 0)->text());
    QDataWidgetMapper mapper;
    mapper.setModel(&model);
    for (int c = 0; c < kElementFields; ++c) {
        auto* e = new QLineEdit(&window);
        layout->addWidget(e);
        mapper.addMapping(e, c);
    }
    int tab = 0;
    for (auto _ : state) {
        tab = (tab + 37) % kElements;
        bar->setCurrentIndex(tab);
        mapper.setCurrentIndex(tab);
    }
}
BENCHMARK(BM_QTabBarAndMapperRow)->Unit(benchmark::kMicrosecond);

} // namespace
