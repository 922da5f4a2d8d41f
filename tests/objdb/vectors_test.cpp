#include "objdb_test_support.h"

#include <gtest/gtest.h>

namespace {

class Vectors : public ::testing::Test {
protected:
    TestDb db;
    TQelObject* k = db.create("Kunde", "Anna");
    TQelVector* v = k->FieldList()->VectorByName("Adressen");
    TQelSubObject* add(const char* ort)
    {
        TQelSubObject* e = v->Add();
        e->FieldList()->FieldByName("Ort")->set_AsString(ort);
        return e;
    }
    std::string orte() const { return v->GetAll("Ort", ','); }
};

} // namespace

TEST_F(Vectors, EditsAndTheirNotifications)
{
    Recorder r;
    v->ConnectControl(&r);
    add("A");
    add("B");
    EXPECT_EQ(r.count(WM_ODB_ELEMENTADDED), 2);
    EXPECT_EQ(r.last(WM_ODB_ELEMENTADDED)->w, 2u) << "WParam is the new element's index";
    EXPECT_EQ(r.last(WM_ODB_ELEMENTADDED)->l, Recorder::lp(v));
    TQelSubObject* c = v->Insert(1);
    c->FieldList()->FieldByName("Ort")->set_AsString("C");
    EXPECT_EQ(r.last(WM_ODB_ELEMENTADDED)->w, 1u);
    EXPECT_EQ(orte(), "C,A,B");
    EXPECT_EQ(v->Item(2)->VectorIndex(), 2);
    EXPECT_FALSE(v->Add()) << "MaxCount 3";
    EXPECT_TRUE(v->Exchange(1, 3));
    EXPECT_EQ(orte(), "B,A,C");
    EXPECT_EQ(r.count(WM_ODB_VECTORCHANGED), 1);
    EXPECT_FALSE(v->Exchange(0, 1));
    EXPECT_TRUE(v->MoveBy(v->Item(1), 2));
    EXPECT_EQ(orte(), "A,C,B");

    // The removed element's own targets hear 0x8504 before the vector's hear 0x8508.
    Recorder onElement;
    TQelFieldList* gone = v->Item(2)->FieldList();
    gone->ConnectControl(&onElement);
    std::vector<unsigned> order;
    onElement.onPerform = [&](unsigned m, WPARAM, LPARAM) { order.push_back(m); };
    r.onPerform = [&](unsigned m, WPARAM, LPARAM) { order.push_back(m); };
    EXPECT_TRUE(v->Delete(2));
    EXPECT_EQ(order, (std::vector<unsigned> { WM_ODB_OIDESTROYED, WM_ODB_ELEMENTREMOVED }));
    EXPECT_EQ(onElement.last(WM_ODB_OIDESTROYED)->l, Recorder::lp(gone));
    EXPECT_EQ(r.last(WM_ODB_ELEMENTREMOVED)->w, 2u);
    EXPECT_EQ(orte(), "A,B");
    EXPECT_FALSE(v->Delete(5));
    EXPECT_TRUE(v->Remove(v->Item(1)));
    EXPECT_EQ(orte(), "B");
    v->DisconnectControl(&r);
}

TEST_F(Vectors, GetAllSetAll)
{
    add("A");
    add("B");
    EXPECT_TRUE(v->SetAll("Ort", "X, Y ,Z", ',', true));
    EXPECT_EQ(orte(), "X,Y,Z");
    EXPECT_TRUE(v->SetAll("Ort", "Q", ',', false));
    EXPECT_EQ(orte(), "Q,Y,Z") << "without adjusting surplus elements stay";
    EXPECT_TRUE(v->SetAll("Ort", "Q", ',', true));
    EXPECT_EQ(orte(), "Q");
    EXPECT_FALSE(v->SetAll("Gibtsnicht", "1", ',', true));
    EXPECT_TRUE(v->SetAll("Ort", "", ',', true));
    EXPECT_EQ(v->Count(), 0);
}

TEST_F(Vectors, ValidityStandardActiveAndConstraints)
{
    EXPECT_EQ(v->Kind(), 12001);
    auto* a = dynamic_cast<TQelGueltigkeit*>(add("A"));
    auto* b = dynamic_cast<TQelGueltigkeit*>(add("B"));
    ASSERT_TRUE(a && b);
    Recorder r, onA;
    v->ConnectControl(&r);
    a->FieldList()->FieldByName("Standard")->ConnectControl(&onA);
    a->set_Standard(true);
    b->set_Standard(true);
    EXPECT_FALSE(a->Standard()) << "the former standard element is cleared";
    EXPECT_TRUE(b->Standard());
    EXPECT_EQ(onA.repaints, 1) << "a field changed by the library repaints its targets";
    EXPECT_EQ(r.last(WM_ODB_STANDARDCHANGED)->w, 2u);
    EXPECT_EQ(v->IndexOfFirst("s", false), 2);
    EXPECT_TRUE(a->Active());
    a->Deactivate(-2147483647.0, "");
    EXPECT_FALSE(a->Active());
    EXPECT_TRUE(r.count(WM_ODB_ELEMENTSTATE) >= 1);
    EXPECT_EQ(v->IndexOfFirst("a", false), 2);
    EXPECT_EQ(v->IndexOfNext(1, "", false), 1);
    EXPECT_EQ(v->IndexOfNext(3, "", false), 0);
    EXPECT_TRUE(a->Check("Ort=a"));
    EXPECT_FALSE(a->Check("Ort=b"));
    b->set_Standard(false);
    EXPECT_EQ(v->IndexOfFirst("s", false), 0);
    EXPECT_EQ(v->IndexOfFirst("s", true), 3) << "allocates a new standard element";
    EXPECT_TRUE(static_cast<TQelGueltigkeit*>(v->Item(3))->Standard());
    EXPECT_EQ(v->IndexOfNext(4, "", true), 0) << "at MaxCount nothing is allocated";
    v->DisconnectControl(&r);
    a->FieldList()->FieldByName("Standard")->DisconnectControl(&onA);
}

TEST_F(Vectors, LoadMapOrdersByFields)
{
    add("Bonn")->FieldList()->FieldByName("Strasse")->set_AsString("2");
    add("Aachen")->FieldList()->FieldByName("Strasse")->set_AsString("1");
    add("Bonn")->FieldList()->FieldByName("Strasse")->set_AsString("3");
    std::vector<int> map;
    v->LoadMap("", map);
    EXPECT_EQ(map, (std::vector<int> { 1, 2, 3 }));
    v->LoadMap("Ort,-Strasse", map);
    EXPECT_EQ(map, (std::vector<int> { 2, 3, 1 }));
    TQelList<int> list;
    v->LoadMap("-Ort", &list);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[2], 2);
}

TEST_F(Vectors, AssignCopiesElementsWithNestedVectors)
{
    TQelSubObject* a = add("A");
    a->FieldList()->FindField("Hinweise[0].Text", true)->set_AsString("h");
    TQelSubObject* b = add("B");
    b->Assign(a, 128, "");
    EXPECT_EQ(b->FieldList()->FieldByName("Ort")->AsString(), "A");
    EXPECT_EQ(b->FieldList()->FindField("Hinweise[0].Text")->AsString(), "h");
}

TEST_F(Vectors, RollbackOfAVectorRebuildsItsElements)
{
    add("A");
    ASSERT_TRUE(k->Commit()) << k->ErrorMessage();
    add("B");
    v->Item(1)->FieldList()->FieldByName("Ort")->set_AsString("A2");
    Recorder r;
    v->ConnectControl(&r);
    v->Rollback();
    EXPECT_EQ(orte(), "A");
    EXPECT_EQ(r.count(WM_ODB_OIROLLEDBACK), 1);
    EXPECT_EQ(r.last(WM_ODB_OIROLLEDBACK)->l, Recorder::lp(v));
    EXPECT_FALSE(v->Touched());
    v->DisconnectControl(&r);
}
