// The object tree: levels by parent field, names read a level at a time, objects whose parent is
// missing at the top, circles of parents cut and logged, and following commits.
#include "objdb_test_support.h"

#include "objdb/qellog.h"
#include "objdb/qelobjecttree.h"

#include <gtest/gtest.h>

namespace {

const char* const kTreeSchema = R"(
class 43010 Firma : Objekt table=Firma format="<Name>"
  field Name Text
  field Mutter Referenz ref=Firma
end
class 43011 Filiale : Firma
  field Nummer Ganzzahl
end
class 43020 Person : Objekt table=Person format="<Name>"
  field Name Text
  field Arbeitgeber Referenz ref=Firma
end
)";

class ObjectTree : public ::testing::Test {
protected:
    ObjectTree()
        : db(kTreeSchema)
    {
    }
    TQelObject* firm(const std::string& name, TQelObject* parent = nullptr, const char* cls = "Firma")
    {
        TQelObject* f = db.create(cls, name.c_str());
        if (parent)
            static_cast<TQelRefField*>(f->FieldByName("Mutter"))->set_AsKey(parent->Key());
        EXPECT_TRUE(f->Commit()) << f->ErrorMessage();
        return f;
    }
    std::vector<std::string> names(TQelObjectTree& t, const std::vector<TQelObjectKey>& keys)
    {
        std::vector<std::string> out;
        for (TQelObjectKey k : keys)
            out.push_back(t.Name(k));
        return out;
    }
    // Points `child` at `parent` behind the library's back, as stored data may do.
    void setParentOutside(TQelObject* child, TQelObject* parent)
    {
        ExecOutside(db,
            "UPDATE Firma SET Mutter = " + parent->Key().ToString()
                + " WHERE K = " + child->Key().ToString());
    }
    TestDb db;
};

TEST_F(ObjectTree, LevelsAreSortedByNameAndDerivedClassesJoin)
{
    TQelObject* holding = firm("Holding");
    TQelObject* zeta = firm("zeta GmbH", holding);
    firm("Alpha AG", holding);
    firm("Ärzte eG", holding, "Filiale");
    firm("Beta KG", zeta);
    firm("Andere");

    TQelObjectTree t(db.db.get(), db.cls("Firma"));
    ASSERT_NE(t.ParentField(), nullptr);
    EXPECT_EQ(t.ParentField()->Name(), "Mutter");
    ASSERT_TRUE(t.Load());
    EXPECT_EQ(t.Count(), 6);
    EXPECT_EQ(names(t, t.Roots()), (std::vector<std::string> { "Andere", "Holding" }));
    EXPECT_EQ(names(t, t.Children(holding->Key())),
        (std::vector<std::string> { "Alpha AG", "Ärzte eG", "zeta GmbH" }));
    EXPECT_TRUE(t.HasChildren(zeta->Key()));
    EXPECT_FALSE(t.HasChildren(t.Children(zeta->Key()).front()));
    const TQelObjectKey beta = t.Children(zeta->Key()).front();
    EXPECT_EQ(t.Ancestors(beta), (std::vector<TQelObjectKey> { holding->Key(), zeta->Key() }));
    EXPECT_TRUE(t.CutKeys().empty());
}

TEST_F(ObjectTree, MissingOrDeletedParentsPutObjectsAtTheTop)
{
    TQelObject* gone = firm("Weg");
    TQelObject* orphan = firm("Waise", gone);
    TQelObject* person = db.create("Person", "Muster");
    ASSERT_TRUE(person->Commit());
    ExecOutside(
        db, "UPDATE Firma SET Mutter = " + person->Key().ToString() + " WHERE K = " + gone->Key().ToString());
    ASSERT_TRUE(gone->Delete());

    TQelObjectTree t(db.db.get(), db.cls("Firma"));
    ASSERT_TRUE(t.Load());
    EXPECT_EQ(t.Roots(), (std::vector<TQelObjectKey> { orphan->Key() }));
    EXPECT_FALSE(t.Contains(gone->Key()));
    EXPECT_TRUE(t.Ancestors(orphan->Key()).empty());
}

TEST_F(ObjectTree, CirclesOfParentsAreCutOnceAndLogged)
{
    TQelObject* top = firm("Oben");
    TQelObject* a = firm("A", top);
    TQelObject* b = firm("B", a);
    TQelObject* c = firm("C", b);
    TQelObject* self = firm("Selbst");
    TQelObject* below = firm("Darunter", c);
    // a -> c -> b -> a: a circle hanging nowhere; "Selbst" is its own parent.
    setParentOutside(a, c);
    setParentOutside(self, self);
    db->LogManager()->Clear();

    TQelObjectTree t(db.db.get(), db.cls("Firma"));
    ASSERT_TRUE(t.Load());
    EXPECT_EQ(t.Count(), 6);
    ASSERT_EQ(t.CutKeys().size(), 2u);
    // Every object shows exactly once: walking the levels from the top reaches all of them.
    std::vector<TQelObjectKey> seen;
    std::function<void(const std::vector<TQelObjectKey>&)> walk
        = [&](const std::vector<TQelObjectKey>& level) {
              for (TQelObjectKey k : level) {
                  ASSERT_LT(seen.size(), 10u) << "a circle was not cut";
                  seen.push_back(k);
                  walk(t.Children(k));
              }
          };
    walk(t.Roots());
    std::sort(seen.begin(), seen.end());
    std::vector<TQelObjectKey> all { top->Key(), a->Key(), b->Key(), c->Key(), self->Key(), below->Key() };
    std::sort(all.begin(), all.end());
    EXPECT_EQ(seen, all);
    for (TQelObjectKey k : all)
        EXPECT_LT(t.Ancestors(k).size(), 4u);
    const auto errors = db->LogManager()->EntriesOf(QEL_LOG_ERROR);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].Text.find("Vorfahre"), std::string::npos);
}

TEST_F(ObjectTree, NamesComeFromMemoryForLoadedObjectsAndCommitsReload)
{
    TQelObject* top = firm("Oben");
    TQelObjectTree t(db.db.get(), db.cls("Firma"));
    ASSERT_TRUE(t.Load());
    int updates = 0;
    t.set_OnUpdate([&] { ++updates; });
    TQelObject* child = firm("Kind", top);
    EXPECT_EQ(updates, 1);
    ASSERT_EQ(t.Children(top->Key()).size(), 1u);
    EXPECT_EQ(t.Name(child->Key()), "Kind");

    t.set_OnUpdate({});
    firm("Später", top);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(t.Children(top->Key()).size(), 1u); // no longer followed
}

TEST_F(ObjectTree, ClassWithoutParentFieldListsEveryObjectAtTheTop)
{
    TQelObject* p = db.create("Person", "O'Brien");
    ASSERT_TRUE(p->Commit());
    TQelObjectTree t(db.db.get(), db.cls("Person"));
    EXPECT_EQ(t.ParentField(), nullptr);
    ASSERT_TRUE(t.Load());
    EXPECT_EQ(names(t, t.Roots()), (std::vector<std::string> { "O'Brien" }));
}

} // namespace
