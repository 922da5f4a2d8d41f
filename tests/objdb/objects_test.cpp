#include "objdb_test_support.h"

#include <gtest/gtest.h>

namespace {

int rows(TQelDatabase* db, const std::string& sql)
{
    return static_cast<int>(QueryInt(db, sql));
}

} // namespace

TEST(Paths, ResolveFieldsVectorsElementsAndSubObjects)
{
    TestDb db;
    TQelObject* k = db.create("Kunde", "Anna");
    TQelFieldList* fl = k->FieldList();
    EXPECT_EQ(fl->FindOI("Name", 16, false), k->FieldByName("Name"));
    EXPECT_EQ(fl->FindOI("name", 16, false), k->FieldByName("Name"));
    EXPECT_FALSE(fl->FindOI("Name", 8, false)) << "a field is not a vector";
    EXPECT_EQ(fl->FindOI("Adressen", 8, false), fl->VectorByName("Adressen"));
    EXPECT_FALSE(fl->FindOI("Nichts", 16, true));
    EXPECT_FALSE(fl->FindOI("", 16, false));
    EXPECT_FALSE(fl->FindOI("Name.", 16, false));
    EXPECT_FALSE(fl->FindOI("Adressen[x].Ort", 16, true));
    EXPECT_FALSE(fl->FindOI("Adressen[0", 16, true));
    EXPECT_EQ(fl->FindFieldList(""), fl);

    // Without creation nothing appears; with it the elements on the way are made.
    EXPECT_FALSE(fl->FindOI("Adressen[1].Ort", 16, false));
    EXPECT_EQ(fl->VectorByName("Adressen")->Count(), 0);
    TQelObjectInterface* ort = fl->FindOI("Adressen[1].Ort", 16, true);
    ASSERT_TRUE(ort);
    EXPECT_EQ(fl->VectorByName("Adressen")->Count(), 2);
    EXPECT_EQ(ort->Path(), k->Path() + ".Adressen[1].Ort");
    EXPECT_EQ(fl->FindOI(ort->Path().substr(k->Path().size() + 1), 16, false), ort);
    EXPECT_FALSE(fl->FindOI("Adressen[5].Ort", 16, true)) << "the vector holds at most 3";
    EXPECT_EQ(fl->VectorByName("Adressen")->Count(), 2) << "nothing is appended on the way to nothing";
    auto* el = fl->FindTypedOI<TQelSubObject>("Adressen[0]");
    ASSERT_TRUE(el);
    EXPECT_EQ(el->VectorIndex(), 1);
    EXPECT_EQ(fl->FindOI("Adressen[0]", 4, false), el->FieldList());
    // Nested vectors inside elements.
    EXPECT_TRUE(fl->FindOI("Adressen[0].Hinweise[0].Text", 16, true));

    // A sub-object is reached by its name and created only when allowed.
    EXPECT_FALSE(fl->FindOI("Konto.Bank", 16, false));
    EXPECT_FALSE(fl->FindOI("Konto", 16, true)) << "asking for a field creates no sub-object";
    EXPECT_EQ(fl->VectorByName("Konto")->Count(), 0);
    TQelObjectInterface* bank = fl->FindOI("Konto.Bank", 16, true);
    ASSERT_TRUE(bank);
    EXPECT_EQ(fl->FindOI("Konto", 2, false), bank->Owner()->Owner());
    EXPECT_EQ(static_cast<TQelSubObject*>(fl->FindOI("Konto", 2, false))->VectorIndex(), 1);
}

TEST(Paths, APathThatNamesNothingCreatesNothing)
{
    TempFile file;
    TQelObjectKey key;
    {
        auto db = openFile(file.path(), kTestSchema);
        TQelObject* k = db->CreateObject(db->FindClass("Kunde")->Key());
        k->FieldByName("Name")->set_AsString("Anna");
        k->FieldList()->FindField("Adressen[0].Ort", true)->set_AsString("Köln");
        ASSERT_TRUE(k->Commit()) << k->ErrorMessage();
        key = k->Key();
    }
    auto db = openFile(file.path());
    TQelObject* k = db->GetObjectA(key);
    ASSERT_TRUE(k);
    TQelFieldList* fl = k->FieldList();
    TQelVector* konto = fl->VectorByName("Konto");
    TQelVector* adressen = fl->VectorByName("Adressen");
    for (const char* bad : { "Konto.GibtEsNicht", "Konto.Bank.Mehr", "Konto[0].GibtEsNicht",
             "Adressen[3].GibtEsNicht", "Adressen[2].GibtEsNicht", "Adressen[1].Hinweise[0].GibtEsNicht",
             "Adressen[0].Hinweise[4].Nichts", "Adressen[3].Ort", "Adressen[2].Ort.Mehr", "Konto.Bank[0]" }) {
        EXPECT_FALSE(fl->FindOI(bad, 16, true)) << bad;
        EXPECT_FALSE(fl->PathResolvable(bad, 16)) << bad;
        EXPECT_EQ(konto->Count(), 0) << bad;
        EXPECT_EQ(adressen->Count(), 1) << bad;
        EXPECT_EQ(adressen->FieldList(1)->VectorByName("Hinweise")->Count(), 0) << bad;
        EXPECT_FALSE(k->Touched()) << bad;
    }
    ASSERT_TRUE(k->Commit()) << k->ErrorMessage();
    EXPECT_EQ(rows(db.get(), "SELECT COUNT(*) FROM T_Konto"), 0);
    EXPECT_EQ(rows(db.get(), "SELECT COUNT(*) FROM T_Adresse"), 1);

    // A path that resolves still creates what it passes through.
    TQelObjectInterface* bank = fl->FindOI("Konto.Bank", 16, true);
    ASSERT_TRUE(bank);
    EXPECT_EQ(konto->Count(), 1);
    EXPECT_TRUE(fl->FindOI("Adressen[2].Hinweise[1].Text", 16, true));
    EXPECT_EQ(adressen->Count(), 3);
}

TEST(Paths, PathResolvableAgreesWithFindOIAndCreatesNothing)
{
    TestDb db;
    TQelObject* chef = db.create("Kunde", "Chef");
    chef->FieldList()->FindField("Konto.Bank", true)->set_AsString("Sparkasse");
    ASSERT_TRUE(chef->Commit()) << chef->ErrorMessage();
    struct Case {
        const char* path;
        int mask;
    };
    const Case cases[] = { { "Name", 16 }, { "name", 0 }, { "Name", 8 }, { "Nichts", 16 }, { "Adressen", 8 },
        { "Adressen", 16 }, { "Adressen[0]", 2 }, { "Adressen[0]", 4 }, { "Adressen[0]", 16 },
        { "Adressen[0]", 0 }, { "Adressen[2].Ort", 16 }, { "Adressen[3].Ort", 16 },
        { "Adressen[0].Nichts", 16 }, { "Adressen[1].Hinweise[5].Text", 16 }, { "Adressen[0].Hinweise", 8 },
        { "Adressen.Ort", 16 }, { "Konto", 2 }, { "Konto", 16 }, { "Konto.Bank", 16 },
        { "Konto.GibtEsNicht", 16 }, { "Konto[0].IBAN", 16 }, { "Konto[1].IBAN", 16 }, { "Chef.Name", 16 },
        { "Chef.Konto.Bank", 16 }, { "Chef.Konto.Nichts", 16 }, { "Chef.Adressen[0].Ort", 16 },
        { "Name.Mehr", 16 }, { "Adressen[x]", 2 }, { "Adressen[0", 2 }, { "Konto.", 16 }, { "", 4 },
        { "", 16 } };
    for (const bool withChef : { false, true }) {
        for (const Case& c : cases) {
            // Each case on an untouched object, so that one case's creation cannot help the next.
            TQelObject* k = db.create("Kunde", "Anna");
            if (withChef)
                static_cast<TQelRefField*>(k->FieldByName("Chef"))->set_AsObject(chef);
            ASSERT_TRUE(k->Commit()) << k->ErrorMessage();
            TQelFieldList* fl = k->FieldList();
            const bool answer = fl->PathResolvable(c.path, c.mask);
            EXPECT_FALSE(k->Touched()) << c.path;
            EXPECT_FALSE(chef->Touched()) << c.path;
            EXPECT_EQ(fl->VectorByName("Adressen")->Count() + fl->VectorByName("Konto")->Count(), 0)
                << c.path;
            EXPECT_EQ(answer, fl->FindOI(c.path, c.mask, true) != nullptr)
                << c.path << " mask " << c.mask << (withChef ? " with Chef" : "");
            if (!answer) {
                EXPECT_FALSE(k->Touched()) << c.path;
            }
            EXPECT_FALSE(chef->Touched()) << "a referenced object is never extended: " << c.path;
            db->FreeObject(k);
        }
    }
}

TEST(Paths, OwnerChainAndInterfaceKinds)
{
    TestDb db;
    TQelObject* k = db.create("Kunde", "Anna");
    TQelObjectInterface* ort = k->FieldList()->FindOI("Adressen[0].Ort", 16, true);
    EXPECT_EQ(ort->OIType(), 16);
    TQelObjectInterface* el = ort->GetTransitiveOwner(2);
    TQelObjectInterface* vec = ort->GetTransitiveOwner(8);
    EXPECT_EQ(el->OIType(), 2);
    EXPECT_EQ(vec->OIType(), 8);
    EXPECT_EQ(ort->GetTransitiveOwner(4), QelSafeCast<TQelSubObject>(el)->FieldList());
    EXPECT_EQ(ort->Object(), k);
    EXPECT_EQ(k->OIType(), 1);
    EXPECT_TRUE(ort->IsPartOf(vec));
    EXPECT_TRUE(ort->IsPartOf(ort));
    EXPECT_FALSE(vec->IsPartOf(ort));
    EXPECT_FALSE(ort->IsPartOf(nullptr));
    EXPECT_EQ(QelSafeCast<TQelVector>(vec), vec);
    EXPECT_FALSE(QelSafeCast<TQelVector>(ort));
    EXPECT_FALSE(QelSafeCast<TQelVector>(nullptr));
    EXPECT_EQ(static_cast<TQelVector*>(vec)->ClassType(), db.cls("Adresse"));
    EXPECT_EQ(k->FieldList()->Key(), db.cls("Kunde"));
    EXPECT_TRUE(k->FieldList()->Key().IsA(TQelClassKey(1005)));
    EXPECT_FALSE(QelSafeCast<TQelSubObject>(el)->FieldList()->Key().IsA(TQelClassKey(1005)));
}

TEST(Objects, NamesPropertiesAndTemplates)
{
    TestDb db;
    TQelObject* k = db.create("Kunde", "Anna");
    EXPECT_EQ(k->Name(), "Anna");
    k->FieldByName("Ort")->set_AsString("Köln");
    EXPECT_EQ(k->MakeName("<Name> aus <Ort>", "?"), "Anna aus Köln");
    EXPECT_EQ(k->MakeName("<b><Name></b>", ""), "<b>Anna</b>") << "tags that name no field stay";
    EXPECT_EQ(k->MakeName("ohne Platzhalter <x>", "?"), "ohne Platzhalter <x>");
    EXPECT_EQ(k->MakeName("<Anzahl>", "leer"), "leer");
    EXPECT_EQ(k->GetPropA("Ort", "-"), "Köln");
    EXPECT_EQ(k->GetPropA("K", ""), k->Key().ToString());
    EXPECT_EQ(k->GetPropA("Unbekannt", "vorgabe"), "vorgabe");
    EXPECT_TRUE(k->FieldList()->SetPropA("Farbe", "blau", false));
    EXPECT_EQ(k->FieldList()->GetPropA("Farbe", ""), "blau");
    EXPECT_FALSE(k->FieldList()->SetPropA("Sonstwas", "x", true));
    EXPECT_TRUE(k->FieldList()->SetPropA("Anzahl", "3", false));
    EXPECT_EQ(k->FieldByName("Anzahl")->AsInteger(), 3);
    auto* v = k->FieldList()->VectorByName("Adressen");
    EXPECT_EQ(v->get_Template()->FieldList()->Klasse()->name, "Adresse");
    EXPECT_EQ(v->Count(), 0);
    TQelSubObject* a = v->Add();
    a->FieldList()->FieldByName("Ort")->set_AsString("Bonn");
    EXPECT_EQ(a->Name(), "Bonn");
    EXPECT_EQ(v->Add()->Name(), "Adresse 2");
    EXPECT_EQ(k->Description(), "Kunde");
    EXPECT_NE(k->FieldByName("Ort")->Info().find("Spalte: Ort"), std::string::npos);
}

TEST(Objects, IdentityMapNewObjectsAndFreeing)
{
    TestDb db;
    TQelObject* a = db.create("Kunde", "A");
    TQelObject* b = db.create("Kunde", "B");
    EXPECT_EQ(db->NewObjects(), (std::vector<TQelObject*> { a, b }));
    EXPECT_TRUE(a->IsNew());
    EXPECT_TRUE(a->Key().Exists());
    ASSERT_TRUE(a->Commit()) << a->ErrorMessage();
    EXPECT_FALSE(a->IsNew());
    EXPECT_EQ(db->NewObjects(), (std::vector<TQelObject*> { b }));
    EXPECT_EQ(db->GetObjectA(a->Key()), a) << "one object in memory per key";
    const TQelObjectKey bk = b->Key();
    db->FreeObject(b);
    EXPECT_FALSE(db->GetObjectA(bk)) << "a freed new object is gone";
    EXPECT_FALSE(bk.Exists());
    EXPECT_FALSE(db->CreateObject(db.cls("Adresse"))) << "vector classes make no objects";
    EXPECT_FALSE(db->CreateObject(TQelClassKey(1005))) << "abstract";
    EXPECT_FALSE(db->GetObjectA(TQelObjectKey(4711)));
    EXPECT_TRUE(a->Key().IsA(db.cls("Kunde")));
    EXPECT_FALSE(a->Key().IsA(db.cls("Lieferant")));
}

TEST(Commit, StoresAndRollsBackAcrossReopening)
{
    TempFile file;
    TQelObjectKey key;
    int stamp = 0;
    {
        auto db = openFile(file.path(), kTestSchema);
        TQelObject* k = db->CreateObject(db->FindClass("Kunde")->Key());
        k->FieldByName("Name")->set_AsString("O'Brien");
        k->FieldByName("Betrag")->set_AsString("1.250,75");
        k->FieldByName("Seit")->set_AsString("01.02.2003");
        k->FieldByName("Notiz")->set_AsString("lang");
        k->FieldList()->FindField("Adressen[0].Ort", true)->set_AsString("Köln");
        k->FieldList()->FindField("Adressen[1].Ort", true)->set_AsString("Bonn");
        k->FieldList()->FindField("Adressen[1].Hinweise[0].Text", true)->set_AsString("Hinterhaus");
        k->FieldList()->FindField("Konto.IBAN", true)->set_AsString("DE00");
        stamp = db->ChangeStamp();
        ASSERT_TRUE(k->Commit()) << k->ErrorMessage();
        EXPECT_NE(db->ChangeStamp(), stamp);
        EXPECT_FALSE(k->Touched());
        key = k->Key();
        stamp = db->ChangeStamp();
    }
    {
        auto db = openFile(file.path());
        SetQelDatabase(db.get());
        EXPECT_EQ(db->ChangeStamp(), stamp);
        TQelObject* k = db->GetObjectA(key);
        ASSERT_TRUE(k);
        EXPECT_EQ(k->Name(), "O'Brien");
        EXPECT_EQ(k->FieldByName("Betrag")->AsString(), "1.250,75");
        EXPECT_EQ(k->FieldByName("Seit")->AsString(), "01.02.2003");
        EXPECT_EQ(k->FieldByName("Kz")->AsString(), "NEU");
        EXPECT_EQ(k->FieldByName("Notiz")->AsString(), "lang");
        TQelVector* v = k->FieldList()->VectorByName("Adressen");
        ASSERT_EQ(v->Count(), 2);
        EXPECT_EQ(v->FieldList(2)->FieldByName("Ort")->AsString(), "Bonn");
        EXPECT_EQ(k->FieldList()->FindField("Adressen[1].Hinweise[0].Text")->AsString(), "Hinterhaus");
        EXPECT_EQ(k->FieldList()->FindField("Konto.IBAN")->AsString(), "DE00");

        // Edit, then roll back: the stored values return, vectors included.
        k->FieldByName("Name")->set_AsString("Geändert");
        v->Delete(1);
        v->Add()->FieldList()->FieldByName("Ort")->set_AsString("Neu");
        v->Exchange(1, 2);
        EXPECT_TRUE(k->Touched());
        k->Rollback();
        EXPECT_FALSE(k->Touched());
        EXPECT_EQ(k->Name(), "O'Brien");
        ASSERT_EQ(v->Count(), 2);
        EXPECT_EQ(v->FieldList(1)->FieldByName("Ort")->AsString(), "Köln");

        // Edit and store: one element removed, one moved, one added.
        v->Delete(1);
        v->Add()->FieldList()->FieldByName("Ort")->set_AsString("Aachen");
        k->FieldByName("Betrag")->set_AsString("");
        ASSERT_TRUE(k->Commit()) << k->ErrorMessage();
        SetQelDatabase(nullptr);
    }
    auto db = openFile(file.path());
    TQelObject* k = db->GetObjectA(key);
    TQelVector* v = k->FieldList()->VectorByName("Adressen");
    ASSERT_EQ(v->Count(), 2);
    EXPECT_EQ(v->FieldList(1)->FieldByName("Ort")->AsString(), "Bonn");
    EXPECT_EQ(k->FieldList()->FindField("Adressen[0].Hinweise[0].Text")->AsString(), "Hinterhaus");
    EXPECT_EQ(v->FieldList(2)->FieldByName("Ort")->AsString(), "Aachen");
    EXPECT_TRUE(k->FieldByName("Betrag")->Null());
    EXPECT_EQ(rows(db.get(), "SELECT COUNT(*) FROM T_Adresse"), 2) << "the removed element's row is gone";
    EXPECT_EQ(rows(db.get(), "SELECT COUNT(*) FROM T_Hinweis"), 1);
}

TEST(Commit, RefusesMandatoryAndLengthViolationsWithoutWriting)
{
    TestDb db;
    TQelObject* k = db.create("Kunde");
    EXPECT_FALSE(k->Commit());
    EXPECT_NE(k->ErrorMessage().find("Pflichtfeld"), std::string::npos) << k->ErrorMessage();
    EXPECT_TRUE(k->IsNew());
    k->FieldByName("Name")->set_AsString("Viel zu langer Name");
    EXPECT_FALSE(k->Commit());
    EXPECT_NE(k->ErrorMessage().find("länger als 10 Zeichen"), std::string::npos);
    k->FieldByName("Name")->set_AsString("Gut");
    k->FieldList()->FindField("Adressen[0].Strasse", true)->set_AsString("ohne Ort");
    EXPECT_FALSE(k->Commit());
    EXPECT_NE(k->ErrorMessage().find("Adressen[0]"), std::string::npos) << k->ErrorMessage();
    EXPECT_EQ(rows(db.db.get(), "SELECT COUNT(*) FROM OBJEKT WHERE KLASSE = 40020"), 0);
    k->FieldByName("Anzahl")->set_AsString("zwölf");
    k->FieldList()->FindField("Adressen[0].Ort")->set_AsString("Ulm");
    EXPECT_FALSE(k->Commit());
    EXPECT_NE(k->ErrorMessage().find("ungültiger Wert 'zwölf'"), std::string::npos);
    k->FieldByName("Anzahl")->set_AsString("12");
    const int stamp = db->ChangeStamp();
    ASSERT_TRUE(k->Commit()) << k->ErrorMessage();
    EXPECT_NE(db->ChangeStamp(), stamp);
    EXPECT_EQ(rows(db.db.get(), "SELECT COUNT(*) FROM OBJEKT WHERE KLASSE = 40020"), 1);
}

TEST(Commit, AFailingWriteLeavesFileAndStoredStateUnchanged)
{
    TestDb db;
    TQelObject* k = db.create("Kunde", "Alt");
    ASSERT_TRUE(k->Commit());
    k->FieldByName("Name")->set_AsString("Neu");
    k->FieldList()->FindField("Adressen[0].Ort", true)->set_AsString("Ulm");
    // A trigger makes the store refuse the update, as a full disk or a constraint would.
    if (OnPostgres())
        ExecOutside(db,
            "CREATE FUNCTION nein() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION 'verweigert'; END $$ "
            "LANGUAGE "
            "plpgsql; CREATE TRIGGER nein BEFORE UPDATE ON Kunde FOR EACH ROW EXECUTE FUNCTION nein()");
    else
        ExecOutside(
            db, "CREATE TRIGGER nein BEFORE UPDATE ON Kunde BEGIN SELECT RAISE(ABORT, 'verweigert'); END");
    const int stamp = db->ChangeStamp();
    EXPECT_FALSE(k->Commit());
    EXPECT_NE(k->ErrorMessage().find("verweigert"), std::string::npos) << k->ErrorMessage();
    EXPECT_EQ(db->ChangeStamp(), stamp);
    EXPECT_TRUE(k->Touched());
    EXPECT_EQ(std::get<std::string>(k->FieldByName("Name")->StoredValue()), "Alt");
    EXPECT_EQ(k->FieldList()->VectorByName("Adressen")->Item(1)->Row(), 0) << "element still unstored";
    EXPECT_EQ(rows(db.db.get(), "SELECT COUNT(*) FROM T_Adresse"), 0);
    ExecOutside(db, OnPostgres() ? "DROP TRIGGER nein ON Kunde" : "DROP TRIGGER nein");
    ASSERT_TRUE(k->Commit()) << k->ErrorMessage();
    EXPECT_EQ(rows(db.db.get(), "SELECT COUNT(*) FROM T_Adresse"), 1);
}

TEST(Commit, TransactionsStoreTogetherOrRestoreTouchedState)
{
    TestDb db;
    TQelObject* a = db.create("Kunde", "A");
    TQelObject* b = db.create("Kunde", "B");
    db->StartTransaction();
    ASSERT_TRUE(a->Commit());
    ASSERT_TRUE(b->Commit());
    b->FieldByName("Ort")->set_AsString("Köln");
    ASSERT_TRUE(b->Commit()) << "a second commit in the same transaction updates";
    db->RollbackTransaction();
    EXPECT_TRUE(a->IsNew());
    EXPECT_TRUE(b->Touched());
    EXPECT_EQ(rows(db.db.get(), "SELECT COUNT(*) FROM Kunde"), 0);
    EXPECT_EQ(db->NewObjects().size(), 2u);

    Recorder r;
    a->ConnectControl(&r);
    db->StartTransaction();
    ASSERT_TRUE(a->Commit());
    ASSERT_TRUE(b->Commit());
    EXPECT_EQ(r.count(WM_ODB_OISTORED), 0) << "stored notices wait for the end of the transaction";
    ASSERT_TRUE(db->CommitTransaction());
    EXPECT_EQ(r.count(WM_ODB_OISTORED), 1);
    EXPECT_EQ(rows(db.db.get(), "SELECT COUNT(*) FROM Kunde"), 2);
    EXPECT_TRUE(db->NewObjects().empty());
    a->DisconnectControl(&r);
}

TEST(Objects, DeleteMarksRecoverAndRemoveForGood)
{
    TestDb db;
    TQelObject* k = db.create("Kunde", "Weg");
    EXPECT_FALSE(k->Delete()) << "a new object cannot be marked";
    ASSERT_TRUE(k->Commit());
    k->FieldList()->FindField("Adressen[0].Ort", true)->set_AsString("Ulm");
    ASSERT_TRUE(k->Commit());
    const TQelObjectKey key = k->Key();
    EXPECT_FALSE(db->DeleteObject(key)) << "only deleted objects are removed without force";
    ASSERT_TRUE(k->Delete());
    EXPECT_TRUE(k->Deleted());
    EXPECT_EQ(rows(db.db.get(), "SELECT GELOESCHT FROM OBJEKT WHERE K = " + key.ToString()), 1);
    EXPECT_EQ(db->CountObjects(), db->CountObjects(true) - 1);
    ASSERT_TRUE(k->Recover());
    EXPECT_FALSE(k->Deleted());
    ASSERT_TRUE(k->Delete());
    ASSERT_TRUE(db->DeleteObject(key));
    EXPECT_FALSE(db->CachedObject(key));
    EXPECT_FALSE(key.Exists());
    EXPECT_EQ(rows(db.db.get(), "SELECT COUNT(*) FROM T_Adresse"), 0);
    TQelObject* other = db.create("Kunde", "Sofort");
    ASSERT_TRUE(other->Commit());
    EXPECT_TRUE(db->DeleteObject(other->Key(), true));
}

TEST(Objects, ReloadReadsTheStoreAgain)
{
    TestDb db;
    TQelObject* k = db.create("Kunde", "Alt");
    ASSERT_TRUE(k->Commit());
    k->FieldByName("Name")->set_AsString("Ungespeichert");
    ExecOutside(db, "UPDATE Kunde SET Name = 'Von außen'");
    Recorder r;
    k->FieldByName("Name")->ConnectControl(&r);
    ASSERT_TRUE(k->Reload());
    EXPECT_EQ(k->Name(), "Von außen");
    EXPECT_EQ(r.count(WM_ODB_OIRELOADED), 1);
    EXPECT_EQ(r.repaints, 1);
    k->FieldByName("Name")->DisconnectControl(&r);
}
