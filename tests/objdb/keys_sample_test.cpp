#include "objdb/qelsample.h"
#include "objdb_test_support.h"

#include <gtest/gtest.h>

TEST(Keys, AskTheCurrentDatabaseAndAreFalseWithoutOne)
{
    const TQelClassKey kunde(40020), gross(40021), objekt(1005);
    EXPECT_FALSE(gross.IsA(kunde)) << "no current database";
    EXPECT_FALSE(kunde.Exists());
    {
        TestDb db;
        EXPECT_TRUE(gross.IsA(kunde));
        EXPECT_TRUE(gross.DerivesFrom(objekt));
        EXPECT_TRUE(kunde.IsA(kunde));
        EXPECT_FALSE(kunde.IsA(gross));
        EXPECT_TRUE(TQelClassKey(1010).Meta());
        EXPECT_FALSE(kunde.Meta());
        EXPECT_EQ(gross.Name(), "Grosskunde");
        EXPECT_FALSE(TQelClassKey(4711).Exists());
        EXPECT_TRUE(TQelFieldKey(40001).IsA(TQelFieldKey(3001)));
        EXPECT_EQ(TQelFieldKey(3012).Urtyp(), 3005);
        EXPECT_EQ(TQelFieldKey(40001).Name(), "Kennzeichen");

        TQelObject* k = db.create("Grosskunde", "G");
        ASSERT_TRUE(k->Commit());
        const TQelObjectKey key = k->Key();
        db->FreeObject(k);
        EXPECT_TRUE(key.Exists()) << "stored, though not in memory";
        EXPECT_EQ(key.ClassKey(), gross);
        EXPECT_TRUE(key.IsA(kunde));
        EXPECT_EQ(key.Object()->Name(), "G");
        EXPECT_FALSE(TQelObjectKey().Exists());
        EXPECT_EQ(std::hash<TQelObjectKey>()(key), std::hash<int>()(key.Id()));
    }
    EXPECT_EQ(QelDatabase(), nullptr) << "a closed test database clears the global";
}

TEST(Paths, ReferencesAreFollowedButNeverCreated)
{
    TestDb db;
    TQelObject* chef = db.create("Kunde", "Chefin");
    chef->FieldByName("Ort")->set_AsString("Köln");
    ASSERT_TRUE(chef->Commit());
    TQelObject* k = db.create("Kunde", "Anna");
    EXPECT_FALSE(k->FieldList()->FindOI("Chef.Ort", 16, true)) << "no object behind the reference";
    static_cast<TQelRefField*>(k->FieldByName("Chef"))->set_AsObject(chef);
    EXPECT_EQ(k->FieldList()->FindOI("Chef.Ort", 16, false), chef->FieldByName("Ort"));
    EXPECT_EQ(k->MakeName("<Name> bei <Chef.Name> in <Chef.Ort>", ""), "Anna bei Chefin in Köln");
    EXPECT_FALSE(k->FieldList()->FindOI("Chef.Adressen[0].Ort", 16, true))
        << "no creation in a referenced object";
    EXPECT_EQ(chef->FieldList()->VectorByName("Adressen")->Count(), 0);
}

// A transaction is written whole or not at all: a refused member refuses the group, unless it is
// stored on a second try or dropped from memory.
TEST(Commit, AFailedCommitInsideATransactionRefusesTheGroup)
{
    TestDb db;
    TQelObject* good = db.create("Kunde", "Gut");
    TQelObject* bad = db.create("Kunde"); // without its mandatory name
    db->StartTransaction();
    EXPECT_TRUE(good->Commit());
    EXPECT_FALSE(bad->Commit());
    EXPECT_FALSE(db->CommitTransaction());
    EXPECT_FALSE(db->InTransaction());
    EXPECT_TRUE(good->IsNew());
    EXPECT_TRUE(bad->IsNew());
    EXPECT_EQ(db->CountObjects(), 0);
    EXPECT_FALSE(db->CommitTransaction()) << "no transaction running";

    db->StartTransaction();
    EXPECT_TRUE(good->Commit());
    EXPECT_FALSE(bad->Commit());
    bad->FieldByName("Name")->set_AsString("Besser");
    EXPECT_TRUE(bad->Commit());
    EXPECT_TRUE(db->CommitTransaction());
    EXPECT_FALSE(good->IsNew() || bad->IsNew());
    EXPECT_EQ(db->CountObjects(), 2);

    TQelObject* third = db.create("Kunde", "Dritter");
    TQelObject* dropped = db.create("Kunde");
    db->StartTransaction();
    EXPECT_TRUE(third->Commit());
    EXPECT_FALSE(dropped->Commit());
    db->FreeObject(dropped);
    EXPECT_TRUE(db->CommitTransaction());
    EXPECT_EQ(db->CountObjects(), 3);
}

TEST(Sample, TheSameSeedGivesTheSameData)
{
    auto names = [](unsigned seed) {
        TQelDatabase db;
        TQelOpenOptions o;
        o.schemaText = QelDemoSchemaText();
        o.create = true;
        db.Open(":memory:", o);
        TQelSampleOptions opt;
        opt.persons = 25;
        opt.firms = 4;
        opt.seed = seed;
        const TQelSampleResult r = QelGenerateSampleData(db, opt);
        EXPECT_EQ(r.persons.size(), 25u);
        EXPECT_EQ(r.firms.size(), 4u);
        EXPECT_TRUE(db.CachedObjects().empty()) << "the generator frees what it made";
        std::vector<std::string> out;
        int standards = 0, withAddresses = 0;
        for (TQelObjectKey k : r.persons) {
            TQelObject* p = db.GetObjectA(k);
            out.push_back(p->Name());
            EXPECT_TRUE(p->Valid());
            TQelVector* v = p->FieldList()->VectorByName("Adressen");
            withAddresses += v->Count() > 0;
            for (int i = 1; i <= v->Count(); ++i)
                standards += static_cast<TQelGueltigkeit*>(v->Item(i))->Standard();
            if (TQelObject* firm
                = static_cast<TQelRefField*>(p->FieldByName("Arbeitgeber"))->get_AsObject()) {
                EXPECT_EQ(firm->Klasse()->name, "Firma");
            }
        }
        EXPECT_EQ(standards, withAddresses) << "one standard address per person with addresses";
        return out;
    };
    const auto a = names(7);
    EXPECT_EQ(a, names(7));
    EXPECT_NE(a, names(8));
}

TEST(Sample, NeedsTheDemoSchema)
{
    TestDb db;
    EXPECT_THROW(QelGenerateSampleData(*db.db), TQelError);
    EXPECT_EQ(db->CountObjects(), 0);
}
