// Commands over several objects (delete, recover, remove, merge, flags), deep copies, repairs and
// document templates.
#include "objdb_test_support.h"

#include "objdb/qelobjcommands.h"
#include "objdb/qeltemplate.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <sys/stat.h>

namespace {

const char* const kMergeSchema = R"(
class 41001 Anschrift table=M_Anschrift format="<Ort>"
  field Ort Text length=20
end
class 41002 Bank table=M_Bank format="<Name>"
  field Name Text
  field IBAN Text
end
class 41010 Person : Objekt table=M_Person format="<Name>" flags="Wichtig|Keine Werbung"
  field Name Text length=10 mandatory
  field Art Auswahl domain="A|B"
  field Notiz Langtext
  field Partner Referenz ref=Person
  vector Adressen Anschrift max=2
  subobject Konto Bank
end
class 41011 Kunde : Person flags="Stammkunde"
end
class 41003 Kontakt table=M_Kontakt format="<Rolle>"
  field Rolle Text
  field Person Referenz ref=Person
end
class 41020 Firma : Objekt table=M_Firma format="<Name>"
  field Name Text
  field Chef Referenz ref=Person
  field Irgendwas Referenz ref=Objekt
  vector Kontakte Kontakt
end
class 41030 Beziehung : Objekt abstract
  field Gegenueber Referenz ref=Person
end
class 41031 Vertrag : Beziehung table=M_Vertrag format="<Nummer>"
  field Nummer Text
end
)";

class ObjCommandsTest : public ::testing::Test {
protected:
    explicit ObjCommandsTest(const std::string& path = ":memory:")
        : db(kMergeSchema, path)
    {
    }
    TQelObject* person(const char* name)
    {
        TQelObject* p = db.create("Person", name);
        EXPECT_TRUE(p->Commit()) << p->ErrorMessage();
        return p;
    }
    TQelObject* firm(const char* name, TQelObject* chef, std::vector<TQelObject*> contacts)
    {
        TQelObject* f = db.create("Firma", name);
        static_cast<TQelRefField*>(f->FieldByName("Chef"))->set_AsKey(chef->Key());
        for (TQelObject* c : contacts) {
            TQelFieldList* e = f->FieldList()->VectorByName("Kontakte")->Add()->FieldList();
            e->FieldByName("Rolle")->set_AsString("Einkauf");
            static_cast<TQelRefField*>(e->FieldByName("Person"))->set_AsKey(c->Key());
        }
        EXPECT_TRUE(f->Commit()) << f->ErrorMessage();
        return f;
    }
    std::int64_t count(const std::string& sql) { return QueryInt(db.db.get(), sql); }
    TestDb db;
};

} // namespace

// ---- delete, recover, remove ------------------------------------------------------------------

TEST(ObjCommandsFile, DeleteAndRecoverSurviveReopeningTheFile)
{
    if (OnPostgres())
        GTEST_SKIP() << "a file of its own";
    TempFile file;
    TQelObjectKey a, b, c;
    {
        TestDb db(kMergeSchema, file.path());
        a = db.create("Person", "Anna")->Key();
        for (TQelObject* o : db->NewObjects())
            ASSERT_TRUE(o->Commit());
        TQelObject* pb = db.create("Person", "Bert");
        TQelObject* pc = db.create("Person", "Carl");
        ASSERT_TRUE(pb->Commit() && pc->Commit());
        b = pb->Key();
        c = pc->Key();
        TQelObjectCommands commands(db.db.get());
        int deleted = 0;
        db->SubscribeInstanceNotification(db.cls("Person"),
            [&](int event, TQelClassKey, TQelObjectKey, TQelObject*) { deleted += event == ieDeleted; });
        ASSERT_TRUE(commands.MarkDeleted({ a, b, c })) << commands.ErrorMessage();
        EXPECT_EQ(deleted, 3);
        EXPECT_TRUE(pb->Deleted());
        // Deleted objects are kept: counted with the deleted ones only.
        EXPECT_EQ(db->CountObjects(false), db->CountObjects(true) - 3);
    }
    {
        TestDb db(kMergeSchema, file.path());
        TQelObject* pb = db->GetObjectA(b);
        ASSERT_NE(pb, nullptr);
        EXPECT_TRUE(pb->Deleted());
        TQelObjectCommands commands(db.db.get());
        ASSERT_TRUE(commands.MarkDeleted({ b, c }, false)) << commands.ErrorMessage();
        EXPECT_FALSE(pb->Deleted());
    }
    TestDb db(kMergeSchema, file.path());
    EXPECT_TRUE(db->GetObjectA(a)->Deleted());
    EXPECT_FALSE(db->GetObjectA(b)->Deleted());
    EXPECT_FALSE(db->GetObjectA(c)->Deleted());
    EXPECT_EQ(QueryInt(db.db.get(), "SELECT COUNT(*) FROM M_Person WHERE GELOESCHT = 1"), 1);
}

TEST_F(ObjCommandsTest, RemovingForGoodNeedsDeletedObjectsAndTakesTheirFlags)
{
    TQelObject* a = person("Anna");
    TQelObject* b = person("Bert");
    const TQelObjectKey ka = a->Key(), kb = b->Key();
    TQelObjectCommands commands(db.db.get());
    ASSERT_TRUE(commands.CheckFlag({ ka }, 1, true));
    ASSERT_TRUE(commands.MarkDeleted({ ka }));
    // Bert is not deleted: the whole command is refused, Anna stays too.
    EXPECT_FALSE(commands.RemoveForGood({ ka, kb }));
    EXPECT_EQ(commands.FailedKey(), kb);
    EXPECT_NE(db->GetObjectA(ka), nullptr);
    ASSERT_TRUE(commands.RemoveForGood({ ka })) << commands.ErrorMessage();
    EXPECT_EQ(db->GetObjectA(ka), nullptr);
    EXPECT_EQ(count("SELECT COUNT(*) FROM QEL_MERKMAL"), 0);
    EXPECT_FALSE(commands.MarkDeleted({ TQelObjectKey(987654) }));
    TQelObject* fresh = db.create("Person", "Neu");
    EXPECT_FALSE(commands.MarkDeleted({ fresh->Key() })) << "a new object is not stored yet";
}

TEST_F(ObjCommandsTest, AFailingStatementLeavesEveryObjectAsItWas)
{
    if (OnPostgres())
        GTEST_SKIP() << "SQLite trigger";
    std::vector<TQelObjectKey> keys;
    std::vector<TQelObject*> objs;
    for (const char* n : { "Anna", "Bert", "Carl" }) {
        objs.push_back(person(n));
        keys.push_back(objs.back()->Key());
    }
    ExecOutside(db,
        "CREATE TRIGGER stop BEFORE UPDATE OF GELOESCHT ON M_Person WHEN NEW.Name = 'Carl' BEGIN "
        "SELECT RAISE(ABORT, 'Platte voll'); END");
    int notes = 0;
    db->SubscribeInstanceNotification(
        db.cls("Person"), [&](int, TQelClassKey, TQelObjectKey, TQelObject*) { ++notes; });
    TQelObjectCommands commands(db.db.get());
    EXPECT_FALSE(commands.MarkDeleted(keys));
    EXPECT_NE(commands.ErrorMessage().find("Platte voll"), std::string::npos) << commands.ErrorMessage();
    EXPECT_NE(commands.ErrorMessage().find("nichts wurde geändert"), std::string::npos);
    EXPECT_EQ(notes, 0);
    for (TQelObject* o : objs)
        EXPECT_FALSE(o->Deleted());
    EXPECT_EQ(count("SELECT COUNT(*) FROM OBJEKT WHERE GELOESCHT = 1"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM M_Person WHERE GELOESCHT = 1"), 0);
}

TEST_F(ObjCommandsTest, AFullDiskLeavesEveryObjectAsItWas)
{
    if (OnPostgres())
        GTEST_SKIP() << "SQLite page limit";
    std::vector<TQelObjectKey> keys;
    for (int i = 0; i < 50; ++i)
        keys.push_back(person(("P" + std::to_string(i)).c_str())->Key());
    // Every deleted row writes two pages of log: after a few of them the store may grow no further.
    ExecOutside(db, "CREATE TABLE grow_log (x BLOB)");
    ExecOutside(db,
        "CREATE TRIGGER grow AFTER UPDATE OF GELOESCHT ON M_Person BEGIN INSERT INTO grow_log VALUES "
        "(zeroblob("
            + std::to_string(2 * count("PRAGMA page_size")) + ")); END");
    ExecOutside(db, "PRAGMA max_page_count = " + std::to_string(count("PRAGMA page_count") + 10));
    TQelObjectCommands commands(db.db.get());
    EXPECT_FALSE(commands.MarkDeleted(keys));
    ExecOutside(db, "PRAGMA max_page_count = 1073741823");
    EXPECT_NE(commands.ErrorMessage().find("full"), std::string::npos) << commands.ErrorMessage();
    EXPECT_EQ(count("SELECT COUNT(*) FROM OBJEKT WHERE GELOESCHT = 1"), 0);
    EXPECT_FALSE(db->GetObjectA(keys.back())->Deleted());
}

// ---- merge ------------------------------------------------------------------------------------

TEST_F(ObjCommandsTest, MergeLeavesNoReferenceToTheMergedPersons)
{
    TQelObject* keep = person("Anna");
    TQelObject* dup1 = person("Anna2");
    TQelObject* dup2 = person("Anna3");
    TQelObject* other = person("Bert");
    static_cast<TQelRefField*>(other->FieldByName("Partner"))->set_AsKey(dup1->Key());
    ASSERT_TRUE(other->Commit());
    TQelObject* f1 = firm("Alpha", dup1, { dup2, other, dup1 });
    TQelObject* f2 = firm("Beta", dup2, {});
    static_cast<TQelRefField*>(f2->FieldByName("Irgendwas"))->set_AsKey(dup1->Key()); // refers to any object
    ASSERT_TRUE(f2->Commit());
    const TQelObjectKey k1 = dup1->Key(), k2 = dup2->Key(), target = keep->Key();

    int stored = 0;
    db->SubscribeInstanceNotification(db.cls("Firma"),
        [&](int event, TQelClassKey, TQelObjectKey, TQelObject*) { stored += event == ieStored; });
    TQelObjectCommands commands(db.db.get());
    int deleted = 0, references = 0;
    ASSERT_TRUE(commands.Merge(target, { k1, k2 }, deleted, references)) << commands.ErrorMessage();
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(references, 6); // Bert's partner, two chefs, two contacts, one untyped reference
    EXPECT_EQ(stored, 2);
    // In the store ...
    const std::string merged = k1.ToString() + ", " + k2.ToString();
    EXPECT_EQ(
        count("SELECT COUNT(*) FROM M_Firma WHERE Chef IN (" + merged + ") OR Irgendwas IN (" + merged + ")"),
        0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM M_Kontakt WHERE Person IN (" + merged + ")"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM M_Person WHERE Partner IN (" + merged + ")"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM M_Kontakt WHERE Person = " + target.ToString()), 2);
    // ... and in memory: the holders were read again.
    EXPECT_EQ(static_cast<TQelRefField*>(f1->FieldByName("Chef"))->AsKey(), target);
    EXPECT_EQ(static_cast<TQelRefField*>(
                  f1->FieldList()->VectorByName("Kontakte")->FieldList(3)->FieldByName("Person"))
                  ->AsKey(),
        target);
    EXPECT_EQ(static_cast<TQelRefField*>(other->FieldByName("Partner"))->AsKey(), target);
    EXPECT_FALSE(f1->Touched());
    EXPECT_TRUE(db->GetObjectA(k1)->Deleted());
    EXPECT_TRUE(db->GetObjectA(k2)->Deleted());
    EXPECT_FALSE(keep->Deleted());
    EXPECT_EQ(keep->FieldByName("Name")->AsString(), "Anna");
    // A holder changed here afterwards still commits: its version moved with the merge.
    f1->FieldByName("Name")->set_AsString("Alpha AG");
    EXPECT_TRUE(f1->Commit()) << f1->ErrorMessage();
}

TEST_F(ObjCommandsTest, MergeRedirectsReferencesAnAbstractBaseDeclares)
{
    TQelObject* keep = person("Anna");
    TQelObject* dup = person("Anna2");
    TQelObject* contract = db.create("Vertrag");
    contract->FieldByName("Nummer")->set_AsString("V-1");
    static_cast<TQelRefField*>(contract->FieldByName("Gegenueber"))->set_AsKey(dup->Key());
    ASSERT_TRUE(contract->Commit()) << contract->ErrorMessage();

    TQelObjectCommands commands(db.db.get());
    int deleted = 0, references = 0;
    ASSERT_TRUE(commands.Merge(keep->Key(), { dup->Key() }, deleted, references)) << commands.ErrorMessage();
    EXPECT_EQ(references, 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM M_Vertrag WHERE Gegenueber = " + dup->Key().ToString()), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM M_Vertrag WHERE Gegenueber = " + keep->Key().ToString()), 1);
    EXPECT_EQ(static_cast<TQelRefField*>(contract->FieldByName("Gegenueber"))->AsKey(), keep->Key());
}

TEST_F(ObjCommandsTest, AMergeThatFailsMidwayChangesNothing)
{
    if (OnPostgres())
        GTEST_SKIP() << "SQLite trigger";
    TQelObject* keep = person("Anna");
    TQelObject* dup = person("Anna2");
    TQelObject* f = firm("Alpha", dup, { dup });
    ExecOutside(db,
        "CREATE TRIGGER stop BEFORE UPDATE OF GELOESCHT ON M_Person BEGIN "
        "SELECT RAISE(ABORT, 'Sperre im Weg'); END");
    TQelObjectCommands commands(db.db.get());
    int deleted = 0, references = 0;
    EXPECT_FALSE(commands.Merge(keep->Key(), { dup->Key() }, deleted, references));
    EXPECT_NE(commands.ErrorMessage().find("Sperre im Weg"), std::string::npos);
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(references, 0);
    EXPECT_EQ(count("SELECT Chef FROM M_Firma"), dup->Key().Id());
    EXPECT_EQ(count("SELECT Person FROM M_Kontakt"), dup->Key().Id());
    EXPECT_EQ(static_cast<TQelRefField*>(f->FieldByName("Chef"))->AsKey(), dup->Key());
    EXPECT_FALSE(dup->Deleted());
    // The version did not move either: the firm still commits.
    f->FieldByName("Name")->set_AsString("Alpha AG");
    EXPECT_TRUE(f->Commit()) << f->ErrorMessage();
}

TEST_F(ObjCommandsTest, MergeRefusesWhileAHolderHasUnsavedChanges)
{
    TQelObject* keep = person("Anna");
    TQelObject* dup = person("Anna2");
    TQelObject* f = firm("Alpha", dup, {});
    f->FieldByName("Name")->set_AsString("Ungespeichert");
    TQelObjectCommands commands(db.db.get());
    int deleted = 0, references = 0;
    EXPECT_FALSE(commands.Merge(keep->Key(), { dup->Key() }, deleted, references));
    EXPECT_EQ(commands.FailedKey(), f->Key());
    EXPECT_EQ(f->FieldByName("Name")->AsString(), "Ungespeichert");
    EXPECT_EQ(count("SELECT Chef FROM M_Firma"), dup->Key().Id());
    EXPECT_FALSE(commands.Merge(dup->Key(), { dup->Key(), TQelObjectKey(99999) }, deleted, references));
}

// ---- flags ------------------------------------------------------------------------------------

TEST_F(ObjCommandsTest, FlagsAreDefinedPerClassAndSetPerObject)
{
    TQelObjectCommands commands(db.db.get());
    EXPECT_TRUE(commands.FlagsImplemented());
    EXPECT_EQ(commands.GetDefinedFlags(db.cls("Kunde")),
        (std::vector<std::string> { "Wichtig", "Keine Werbung", "Stammkunde" }));
    EXPECT_TRUE(commands.GetDefinedFlags(db.cls("Firma")).empty());
    TQelObject* a = person("Anna");
    TQelObject* k = db.create("Kunde", "Kurt");
    ASSERT_TRUE(k->Commit());
    ASSERT_TRUE(commands.CheckFlag({ a->Key(), k->Key() }, 1, true));
    EXPECT_TRUE(commands.HasFlag(a->Key(), 1));
    EXPECT_FALSE(commands.HasFlag(a->Key(), 0));
    ASSERT_TRUE(commands.CheckFlag({ a->Key(), k->Key() }, 1, true)) << "setting twice is harmless";
    // The third flag is the customer's only: a person refuses it, and nothing is set.
    EXPECT_FALSE(commands.CheckFlag({ k->Key(), a->Key() }, 2, true));
    EXPECT_FALSE(commands.HasFlag(k->Key(), 2));
    ASSERT_TRUE(commands.CheckFlag({ a->Key() }, 1, false));
    EXPECT_FALSE(commands.HasFlag(a->Key(), 1));
    EXPECT_TRUE(commands.HasFlag(k->Key(), 1));
}

// ---- copy and repair --------------------------------------------------------------------------

TEST_F(ObjCommandsTest, ACopyIsDeep)
{
    TQelObject* a = db.create("Person", "Anna");
    a->FieldByName("Notiz")->set_AsString("lange Notiz");
    a->FieldByName("Art")->set_AsString("B");
    for (const char* ort : { "Köln", "Bonn" })
        a->FieldList()->VectorByName("Adressen")->Add()->FieldList()->FieldByName("Ort")->set_AsString(ort);
    a->FieldList()->FindField("Konto.IBAN", true)->set_AsString("DE02");
    ASSERT_TRUE(a->Commit());
    // From the store, with the long text not loaded yet.
    const TQelObjectKey key = a->Key();
    db->FreeObject(a);
    a = db->GetObjectA(key);

    TQelObject* copy = nullptr;
    ASSERT_EQ(a->Clone(TQelClassKey(), copy), "");
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->IsNew());
    ASSERT_TRUE(copy->Commit()) << copy->ErrorMessage();
    EXPECT_NE(copy->Key(), key);
    EXPECT_EQ(copy->FieldByName("Notiz")->AsString(), "lange Notiz");
    EXPECT_EQ(copy->FieldByName("Art")->AsString(), "B");
    EXPECT_EQ(copy->FieldList()->FindField("Adressen[1].Ort")->AsString(), "Bonn");
    EXPECT_EQ(copy->FieldList()->FindField("Konto.IBAN")->AsString(), "DE02");
    // Own element rows: changing the copy leaves the original alone.
    copy->FieldList()->FindField("Adressen[0].Ort")->set_AsString("Aachen");
    copy->FieldList()->FindField("Konto.IBAN")->set_AsString("DE99");
    ASSERT_TRUE(copy->Commit());
    EXPECT_EQ(count("SELECT COUNT(*) FROM M_Anschrift"), 4);
    db->FreeObject(a);
    a = db->GetObjectA(key);
    EXPECT_EQ(a->FieldList()->FindField("Adressen[0].Ort")->AsString(), "Köln");
    EXPECT_EQ(a->FieldList()->FindField("Konto.IBAN")->AsString(), "DE02");
    // Into a derived class; an abstract or unknown class is refused.
    TQelObject* kunde = nullptr;
    ASSERT_EQ(a->Clone(db.cls("Kunde"), kunde), "");
    EXPECT_EQ(kunde->ClassKey(), db.cls("Kunde"));
    EXPECT_EQ(kunde->FieldList()->FindField("Adressen[1].Ort")->AsString(), "Bonn");
    TQelObject* none = nullptr;
    EXPECT_NE(a->Clone(TQelClassKey(qelcls::Objekt), none), "");
    EXPECT_EQ(none, nullptr);
}

TEST_F(ObjCommandsTest, RepairListsItsMeasuresAndMakesTheObjectStorable)
{
    TQelObject* a = db.create("Person");
    a->FieldByName("Art")->set_AsString("A");
    for (int i = 0; i < 3; ++i)
        a->FieldList()->VectorByName("Adressen")->Insert(1);
    EXPECT_EQ(a->FieldList()->VectorByName("Adressen")->Count(), 2) << "the vector refuses a third element";
    a->FieldList()->FindField("Adressen[0].Ort")->set_AsString("Ein sehr langer Ortsname über zwanzig");
    EXPECT_FALSE(a->DeepValid());
    std::string measures;
    EXPECT_TRUE(a->DeepForceValid(measures));
    EXPECT_NE(measures.find("Feld 'Name': leeres Pflichtfeld mit '?' gefüllt"), std::string::npos)
        << measures;
    EXPECT_NE(measures.find("Adressen[0].Feld 'Ort': auf 20 Zeichen gekürzt"), std::string::npos) << measures;
    EXPECT_EQ(a->FieldList()->FindField("Adressen[0].Ort")->AsString(), "Ein sehr langer Orts");
    EXPECT_TRUE(a->Commit()) << a->ErrorMessage();
    EXPECT_TRUE(a->DeepForceValid(measures));
    EXPECT_EQ(measures, "");
}

// ---- templates --------------------------------------------------------------------------------

TEST_F(ObjCommandsTest, TemplatesFillInFieldsAndWriteFiles)
{
    TQelObject* a = db.create("Person", "O<b>&'");
    a->FieldList()->VectorByName("Adressen")->Add()->FieldList()->FieldByName("Ort")->set_AsString("Köln");
    ASSERT_TRUE(a->Commit());
    std::string error;
    const TQelObjectKey html = TQelRTFVorlage::Create(db.db.get(), "Brief", db.cls("Person"), "html",
        "<p>Name: <Name>, <Adressen[0].Ort><Adressen[1].Ort>, <<Name> <Unbekannt> <i>x</i></p>", error);
    ASSERT_TRUE(html.Valid()) << error;
    const TQelObjectKey text = TQelRTFVorlage::Create(
        db.db.get(), "Adresse", db.cls("Kunde"), "txt", "<Name>\n<Adressen[0].Ort>", error);
    ASSERT_TRUE(text.Valid()) << error;
    ASSERT_TRUE(
        TQelRTFVorlage::Create(db.db.get(), "Firmenblatt", db.cls("Firma"), "txt", "<Name>", error).Valid());

    // A person sees its own template and its derived class's; a firm only the firm's.
    std::vector<TQelRTFVorlage> found = TQelRTFVorlage::FindeVorlagen(db.db.get(), db.cls("Person"));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].Name(), "Adresse");
    EXPECT_EQ(found[1].Name(), "Brief");
    EXPECT_EQ(TQelRTFVorlage::FindeVorlagen(db.db.get(), db.cls("Firma")).size(), 1u);

    TQelRTFVorlage brief(db.db.get(), html);
    EXPECT_EQ(brief.Render(a), "<p>Name: O&lt;b&gt;&amp;&#39;, Köln, <Name> <Unbekannt> <i>x</i></p>");
    TempFile dir;
    std::string written;
    ASSERT_TRUE(brief.Export(a, dir.dir(), &written)) << brief.ErrorMessage();
    EXPECT_EQ(std::filesystem::path(written).filename().string(), "O_b_&'.html");
    std::ifstream in(written);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), brief.Render(a));
    // An existing file is kept; the next export gets a name of its own.
    std::string second;
    ASSERT_TRUE(brief.Export(a, dir.dir(), &second));
    EXPECT_EQ(std::filesystem::path(second).filename().string(), "O_b_&' (2).html");
    EXPECT_FALSE(brief.Export(a, dir.dir() + "/fehlt"));
    EXPECT_NE(brief.ErrorMessage().find("gibt es nicht"), std::string::npos);

    TQelRTFVorlage adresse(db.db.get(), text);
    std::string opened, verb;
    ASSERT_TRUE(adresse.Execute(a, "open", "\nGruß", [&](const std::string& f, const std::string& v) {
        opened = f;
        verb = v;
        return true;
    }));
    EXPECT_EQ(verb, "open");
    std::ifstream shown(opened);
    std::stringstream shownText;
    shownText << shown.rdbuf();
    EXPECT_EQ(shownText.str(), "O<b>&'\nKöln\nGruß");
    std::filesystem::remove(opened);
}

// A value in an attribute of either quote stays inside it.
TEST_F(ObjCommandsTest, HtmlValuesCannotLeaveTheirAttribute)
{
    TQelObject* f = db.create("Firma", "x' onmouseover='alert(1)\" a=\"<b>&");
    ASSERT_TRUE(f->Commit());
    std::string error;
    const TQelObjectKey key = TQelRTFVorlage::Create(
        db.db.get(), "Karte", db.cls("Firma"), "html", "<a title='<Name>' href=\"<Name>\">", error);
    ASSERT_TRUE(key.Valid()) << error;
    const std::string value = "x&#39; onmouseover=&#39;alert(1)&quot; a=&quot;&lt;b&gt;&amp;";
    EXPECT_EQ(TQelRTFVorlage(db.db.get(), key).Render(f), "<a title='" + value + "' href=\"" + value + "\">");
}

// The object's name becomes a file name the file system takes: whole characters up to its limit,
// no hidden file.
TEST_F(ObjCommandsTest, TemplateExportNamesFitTheFileSystem)
{
    std::string error;
    const TQelObjectKey key
        = TQelRTFVorlage::Create(db.db.get(), "Blatt", db.cls("Firma"), "txt", "<Name>", error);
    ASSERT_TRUE(key.Valid()) << error;
    TQelRTFVorlage blatt(db.db.get(), key);
    std::string smileys;
    for (int i = 0; i < 100; ++i)
        smileys += "\xF0\x9F\x98\x80"; // 400 bytes
    const std::pair<std::string, std::string> cases[] = { { smileys, smileys.substr(0, 200) + ".txt" },
        { "x" + smileys, "x" + smileys.substr(0, 196) + ".txt" }, { ".profil", "profil.txt" },
        { "..", "" /* nothing left: the object's key */ }, { "../a/b", "_a_b.txt" } };
    TempFile dir;
    for (const auto& [name, expected] : cases) {
        TQelObject* f = db.create("Firma", name.c_str());
        ASSERT_TRUE(f->Commit());
        std::string written;
        ASSERT_TRUE(blatt.Export(f, dir.dir(), &written)) << blatt.ErrorMessage();
        const std::string got = std::filesystem::path(written).filename().string();
        EXPECT_EQ(std::filesystem::path(written).parent_path(), std::filesystem::path(dir.dir()));
        EXPECT_EQ(got, expected.empty() ? "Objekt " + f->Key().ToString() + ".txt" : expected);
        EXPECT_LE(got.size(), 255u);
        std::ifstream in(written);
        std::stringstream content;
        content << in.rdbuf();
        EXPECT_EQ(content.str(), name);
    }
}

// Print previews are written to a folder made for them alone: a link another user planted where
// earlier versions wrote leads nowhere.
TEST_F(ObjCommandsTest, TemplatePreviewsGoToAFreshPrivateFolder)
{
    namespace fs = std::filesystem;
    TempFile scratch;
    const fs::path tmp = fs::path(scratch.dir()) / "tmp";
    const fs::path victim = fs::path(scratch.dir()) / "fremd";
    fs::create_directories(tmp);
    fs::create_directories(victim);
    fs::permissions(victim, fs::perms(0755));
    fs::create_directory_symlink(victim, tmp / ("qelvorlagen-" + std::to_string(::getuid())));
    const char* before = std::getenv("TMPDIR");
    const std::string saved = before ? before : "";
    ::setenv("TMPDIR", tmp.c_str(), 1);

    TQelObject* a = person("Anna");
    std::string error;
    const TQelObjectKey key
        = TQelRTFVorlage::Create(db.db.get(), "Zettel", db.cls("Person"), "txt", "<Name>", error);
    ASSERT_TRUE(key.Valid()) << error;
    TQelRTFVorlage zettel(db.db.get(), key);
    std::vector<std::string> opened;
    auto open = [&](const std::string& f, const std::string&) {
        opened.push_back(f);
        return true;
    };
    const bool shown = zettel.Execute(a, "open", "", open) && zettel.Execute(a, "open", "!", open);
    if (before)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    ASSERT_TRUE(shown) << zettel.ErrorMessage();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(fs::is_empty(victim));
    EXPECT_EQ(fs::status(victim).permissions(), fs::perms(0755));
    for (const std::string& f : opened) {
        const fs::path folder = fs::path(f).parent_path();
        EXPECT_EQ(folder.parent_path(), tmp) << f;
        EXPECT_FALSE(fs::is_symlink(folder)) << f;
        EXPECT_EQ(fs::symlink_status(folder).permissions(), fs::perms::owner_all) << f;
        struct stat st { };
        ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, ::getuid());
    }
    EXPECT_NE(opened[0], opened[1]);
    std::ifstream first(opened[0]), second(opened[1]);
    std::stringstream t1, t2;
    t1 << first.rdbuf();
    t2 << second.rdbuf();
    EXPECT_EQ(t1.str(), "Anna");
    EXPECT_EQ(t2.str(), "Anna!");
}

TEST_F(ObjCommandsTest, TemplateRenderingSurvivesArbitraryText)
{
    TQelObject* a = person("Anna");
    std::mt19937 rng(4711);
    const std::string alphabet = "<<>>[].NameAdressen0 Ort\xC3\xA4\n&\"'x";
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int len = static_cast<int>(rng() % 60);
        for (int i = 0; i < len; ++i)
            text += alphabet[rng() % alphabet.size()];
        const std::string html = QelRenderTemplate(text, a, true);
        const std::string plain = QelRenderTemplate(text, a, false);
        // Without placeholders nothing but "<<" changes.
        if (text.find('<') == std::string::npos) {
            EXPECT_EQ(plain, text);
        }
        // "Anna" is shorter than "<Name>", a missing element gives nothing: never longer.
        EXPECT_LE(plain.size(), text.size()) << text;
        // Only values are escaped, and "Anna" needs no escaping.
        EXPECT_EQ(html, plain) << text;
    }
    EXPECT_EQ(QelRenderTemplate(std::string(1000, '<') + "Name>", a, false), std::string(500, '<') + "Name>");
    EXPECT_EQ(
        QelRenderTemplate("<" + std::string(300, 'N') + ">", a, false), "<" + std::string(300, 'N') + ">");
    EXPECT_EQ(QelRenderTemplate("<Name", a, false), "<Name");
    EXPECT_EQ(QelRenderTemplate("<Name>", nullptr, false), "<Name>");
}
