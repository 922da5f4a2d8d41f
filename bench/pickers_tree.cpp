// A hierarchy of 100,000 firms (100 at the top, 999 below each): opening the object tree view
// on it and expanding one node against a QTreeView over a QStandardItemModel filled with the
// same nodes from the same store (goal: faster, since levels are read when they open).
#include "documents/QelObjectTreeView.h"
#include "objdb/qeldatabase.h"
#include "objdb/qelobject.h"

#include "toolkit/form.h"

#include <sqlite3.h>

#include <QApplication>
#include <QStandardItemModel>
#include <QTreeView>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <unordered_map>

namespace {

const int kTop = 100;
const int kBelow = 999;

const char* const kSchema = R"(
class 61010 Firma : Objekt table=Firma format="<Name>"
  field Name Text length=80
  field Mutter Referenz ref=Firma
end
)";

TQelDatabase& database()
{
    static TQelDatabase* db = [] {
        auto* d = new TQelDatabase();
        TQelOpenOptions o;
        o.schemaText = kSchema;
        o.create = true;
        d->Open(":memory:", o);
        SetQelDatabase(d);
        const TQelClassKey cls = d->FindClass("Firma")->Key();
        d->StartTransaction(); // one bulk transaction
        for (int t = 0; t < kTop; ++t) {
            TQelObject* top = d->CreateObject(cls);
            top->FieldByName("Name")->set_AsString("Konzern " + std::to_string(t));
            const TQelObjectKey topKey = top->Key();
            if (!top->Commit())
                std::fprintf(stderr, "%s\n", top->ErrorMessage().c_str());
            d->FreeObject(top);
            for (int b = 0; b < kBelow; ++b) {
                TQelObject* f = d->CreateObject(cls);
                f->FieldByName("Name")->set_AsString(
                    "Tochter " + std::to_string(t) + "." + std::to_string(b));
                static_cast<TQelRefField*>(f->FieldByName("Mutter"))->set_AsKey(topKey);
                if (!f->Commit())
                    std::fprintf(stderr, "%s\n", f->ErrorMessage().c_str());
                d->FreeObject(f);
            }
        }
        d->CommitTransaction();
        return d;
    }();
    return *db;
}

void BM_ObjectTreeViewOpenAndExpand(benchmark::State& state)
{
    TQelDatabase& db = database();
    const TQelClassKey cls = db.FindClass("Firma")->Key();
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 600);
    for (auto _ : state) {
        auto* tree = new TQelObjectTreeView(&form);
        tree->SetParent(&form);
        tree->SetBounds(0, 0, 300, 600);
        tree->set_Mode(otmObjects);
        tree->set_ClassType(cls);
        tree->Reload();
        TTreeNode* top = tree->Root(kTop / 2);
        top->Expand(false);
        benchmark::DoNotOptimize(top->Count());
        if (top->Count() != kBelow)
            state.SkipWithError("wrong child count");
        delete tree;
    }
}
BENCHMARK(BM_ObjectTreeViewOpenAndExpand)->Unit(benchmark::kMillisecond);

// The anchor: every node read with the raw SQLite API and put into a QStandardItemModel.
void BM_QTreeViewStandardModel(benchmark::State& state)
{
    TQelDatabase& db = database();
    for (auto _ : state) {
        QStandardItemModel model;
        QTreeView view;
        view.resize(300, 600);
        std::unordered_map<int, QStandardItem*> items;
        std::vector<std::pair<QStandardItem*, int>> parents;
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db.Handle(),
            "SELECT Firma.K, Firma.Mutter, Firma.Name FROM Firma JOIN OBJEKT ON OBJEKT.K = Firma.K "
            "WHERE OBJEKT.GELOESCHT = 0 ORDER BY Firma.Name",
            -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            auto* item = new QStandardItem(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2))));
            items[sqlite3_column_int(stmt, 0)] = item;
            parents.emplace_back(item, sqlite3_column_int(stmt, 1));
        }
        sqlite3_finalize(stmt);
        for (auto& [item, parent] : parents) {
            auto it = parent ? items.find(parent) : items.end();
            if (it != items.end())
                it->second->appendRow(item);
            else
                model.appendRow(item);
        }
        view.setModel(&model);
        const QModelIndex top = model.index(kTop / 2, 0);
        view.expand(top);
        benchmark::DoNotOptimize(model.rowCount(top));
        if (model.rowCount(top) != kBelow)
            state.SkipWithError("wrong child count");
        view.setModel(nullptr);
    }
}
BENCHMARK(BM_QTreeViewStandardModel)->Unit(benchmark::kMillisecond);

} // namespace
