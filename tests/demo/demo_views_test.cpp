// The stored filters and nouns a new demo database starts with.
#include "demo_fixture.h"

#include "objdb/qelnp.h"
#include "objdb/qelobject.h"
#include "objdb/qelsql.h"
#include "objdb/qelvector.h"
#include "objdb/qelview.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class DemoViews : public DemoDbTest {
protected:
    // Objects a view lists as a select grid would ask for them: deleted ones only when the view
    // shows them.
    std::vector<TQelObject*> listed(const TQelAnsicht* v, const TQelFieldList* params = nullptr)
    {
        auto q = store.db->CreateSQLEngine()->ListEx(
            v->Basisklasse(), v->ShowDeleted() ? 0 : lfNotDeleted, v->MakeSearchCondition(params, ""));
        EXPECT_TRUE(q->TryOpen()) << q->ErrorMessage();
        std::vector<TQelObject*> out;
        for (; q->Success() && !q->Eof(); q->Next())
            out.push_back(store.db->GetObjectA(TQelObjectKey(static_cast<int>(q->AsInteger(0)))));
        return out;
    }
    TQelAnsicht* find(const char* name)
    {
        TQelAnsicht* v = QelAnsichten()->FindByName(name);
        EXPECT_NE(v, nullptr) << name;
        return v;
    }
};

TEST_F(DemoViews, EverySeededViewListsSampleObjectsThatFitIt)
{
    std::vector<std::string> tree;
    for (const TQelAnsicht* v : QelAnsichten()->Tree())
        tree.push_back(v->Repr());
    EXPECT_EQ(tree,
        std::vector<std::string>({ "Person:Aktive Personen", "Person:Aktive mit Kindern",
            "Firma:Firmen im Handel", "Person:Gelöschte Personen", "Person:Personen nach Ort" }));

    TQelAnsicht* active = find("Aktive Personen");
    const std::vector<TQelObject*> actives = listed(active);
    EXPECT_GT(actives.size(), 100u);
    for (TQelObject* p : actives)
        EXPECT_TRUE(p->FieldByName("Aktiv")->AsBool()) << p->Name();

    TQelAnsicht* withChildren = find("Aktive mit Kindern");
    EXPECT_TRUE(withChildren->DerivesFrom(active->Key()));
    const std::vector<TQelObject*> parents = listed(withChildren);
    EXPECT_GT(parents.size(), 0u);
    EXPECT_LT(parents.size(), actives.size());
    for (TQelObject* p : parents)
        EXPECT_TRUE(p->FieldByName("Aktiv")->AsBool() && p->FieldByName("Kinder")->AsInteger() > 0)
            << p->Name();

    TQelAnsicht* byTown = find("Personen nach Ort");
    ASSERT_EQ(byTown->Instances().size(), 1u);
    TQelFieldList* koeln = byTown->Instances().front();
    EXPECT_EQ(byTown->NiceName(koeln), "Personen nach Ort (Ort=Köln)");
    const std::vector<TQelObject*> inKoeln = listed(byTown, koeln);
    EXPECT_GT(inKoeln.size(), 0u);
    for (TQelObject* p : inKoeln)
        EXPECT_EQ(p->FieldList()->FindField("Adressen[0].Ort")->AsString(), "Köln") << p->Name();

    TQelAnsicht* deleted = find("Gelöschte Personen");
    EXPECT_TRUE(deleted->ShowDeleted());
    const std::vector<TQelObject*> gone = listed(deleted);
    ASSERT_EQ(gone.size(), 2u);
    for (TQelObject* p : gone)
        EXPECT_TRUE(p->Deleted()) << p->Name();

    const std::vector<TQelObject*> trade = listed(find("Firmen im Handel"));
    EXPECT_GT(trade.size(), 0u);
    for (TQelObject* f : trade)
        EXPECT_EQ(f->FieldByName("Branche")->AsString(), "Handel") << f->Name();
}

TEST_F(DemoViews, DemoClassesAndTypesCarryTheirNouns)
{
    const TQelDatabase& db = *store.db;
    EXPECT_EQ(MakeNP(db.FindClass("Person")->Key(), "d,gewählt", 1), "die gewählte Person");
    EXPECT_EQ(MakeNP(db.FindClass("Mitarbeiter")->Key(), "Neu", 4), "Neuen Mitarbeiter");
    EXPECT_EQ(MakeNP(db.FindClass("Firma")->Key(), "Ander", 4), "Andere Firma");
    EXPECT_EQ(MakeNP(db.FindClass("Adresse")->Key(), "Weiter", 4), "Weitere Adresse");
    EXPECT_EQ(MakeNP(db.FindClass("Telefon")->Key(), "d", 3, false), "den Telefonnummern");
    EXPECT_EQ(MakeNP(db.FindClass("Bankverbindung")->Key(), "ein", 1), "eine Bankverbindung");
    EXPECT_EQ(MakeNP(db.Schema().FieldTypeByName("Postleitzahl")->Key(), "d", 1), "die Postleitzahl");
    EXPECT_EQ(MakeNP(db.Schema().FieldTypeByName("Anrede")->Key(), "d", 1, false), "die Anreden");
}

} // namespace
