#include "objdb/qelsample.h"
#include "objdb_test_support.h"

#include <gtest/gtest.h>

namespace {

std::string schemaError(const std::string& text)
{
    try {
        TQelSchema::Load(text, "bad.qelschema");
    } catch (const TQelSchemaError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(Schema, BuiltinTypesAndClassesCarryTheirIds)
{
    auto s = TQelSchema::Load("", "leer");
    for (int id : { 3001, 3002, 3003, 3004, 3005, 3008, 3009, 3010, 3015, 3018, 13423 })
        EXPECT_EQ(s->FieldType(id)->Urtyp(), id) << id;
    EXPECT_EQ(s->FieldType(3006)->Urtyp(), 3003);
    EXPECT_EQ(s->FieldType(3007)->Urtyp(), 3003);
    for (int id : { 3011, 3012, 3013, 3014 })
        EXPECT_TRUE(s->FieldType(id)->IsA(3005));
    EXPECT_TRUE(s->FieldType(13422)->IsA(3015));
    EXPECT_TRUE(s->FieldType(13426)->IsA(3001));
    EXPECT_FALSE(s->FieldType(3011)->IsA(3002));
    EXPECT_TRUE(s->Class(12001)->abstract);
    EXPECT_TRUE(s->Class(1011)->IsObjectClass());
    EXPECT_FALSE(s->Class(12010)->IsObjectClass());
}

TEST(Schema, ClassesInheritFieldsTableAndNameFormat)
{
    auto s = TQelSchema::Load(kTestSchema, "test");
    const TQelKlasse* gk = s->ClassByName("Grosskunde");
    ASSERT_TRUE(gk);
    EXPECT_EQ(gk->get_Parent()->name, "Kunde");
    EXPECT_EQ(gk->TableName(), "Kunde");
    EXPECT_EQ(gk->Fields().front()->name, "Name");
    EXPECT_EQ(gk->Fields().back()->name, "Rabatt");
    EXPECT_EQ(gk->NameFormat(), "<Name>");
    EXPECT_TRUE(gk->FindFelddefinition("name")); // case-insensitive
    EXPECT_EQ(gk->FindVektordefinition("Adressen")->get_Vektorklasse()->name, "Adresse");
    EXPECT_EQ(s->ClassByName("Kunde")->FindReferenceDefinition(gk->Key())->name, "Chef");
    EXPECT_EQ(s->ClassByName("Adresse")->Fields().front()->name, "Standard"); // from Gültigkeit
    EXPECT_TRUE(s->ObjectClassByName("Kunde"));
    EXPECT_FALSE(s->ObjectClassByName("Adresse"));
    EXPECT_TRUE(s->VectorClassByName("Adresse"));
    const auto* stufe = s->ClassByName("Kunde")->FindFelddefinition("Stufe");
    EXPECT_EQ(stufe->Domain()[0].abbr, "G");
    EXPECT_EQ(stufe->Domain()[2].abbr, "Bronze");
    EXPECT_EQ(s->ClassByName("Kunde")->FindFelddefinition("Kz")->Length(), 8); // from its field type
}

TEST(Schema, BadSchemaNamesFileLineAndProblem)
{
    struct Case {
        const char* text;
        int line;
        const char* problem;
    };
    const Case cases[] = {
        { "class 50001 A : Objekt table=A\n  field X Txt\nend\n", 2, "unbekannter Feldtyp 'Txt'" },
        { "\nclass 50001 A : Objekt table=A\n  field X Text\n", 2, "nicht mit 'end'" },
        { "field X Text\n", 1, "außerhalb einer Klasse" },
        { "class 50001 A : Nirgends table=A\nend\n", 1, "unbekannte Klasse 'Nirgends'" },
        { "class 3001 A : Objekt table=A\nend\n", 1, "schon vergeben" },
        { "class 50001 A : Objekt table=A\n field K Text\nend\n", 2, "reserviert" },
        { "class 50001 A : Objekt table=A\n field X Text\n field x Text\nend\n", 3, "gibt es" },
        { "class 50001 A : Objekt table=A\n field X Auswahl\nend\n", 2, "Wertebereich" },
        { "class 50001 A : Objekt table=A\n field X Referenz\nend\n", 2, "ref=" },
        { "class 50001 A : Objekt table=A-B\nend\n", 1, "kein SQL-Name" },
        { "class 50001 A : Objekt\nend\n", 1, "braucht eine Tabelle" },
        { "class 50001 A : Objekt table=A\n field X Text length=viel\nend\n", 2, "Zahl" },
        { "class 50001 A : Objekt table=A\n field X Text description=\"offen\nend\n", 2,
            "nicht geschlossen" },
        { "class 50001 A : Objekt table=A\nend\nclass 50002 B : A table=B\nend\n", 3,
            "Tabelle ihrer Basisklasse" },
        { "class 50001 A : Objekt table=A\n vector V A\nend\n", 2, "Objektklasse" },
        { "tabelle X\n", 1, "unbekanntes Schlüsselwort" },
        { "class 50001 A : Objekt table=OBJEKT\nend\n", 1, "vorbehalten" },
    };
    for (const Case& c : cases) {
        const std::string msg = schemaError(c.text);
        EXPECT_NE(msg.find("bad.qelschema, Zeile " + std::to_string(c.line) + ":"), std::string::npos)
            << c.text << msg;
        EXPECT_NE(msg.find(c.problem), std::string::npos) << c.text << " -> " << msg;
    }
}

TEST(Schema, ABadSchemaLeavesTheDatabaseClosedAndTheFileUntouched)
{
    TempFile file;
    {
        auto db = openFile(file.path(), kTestSchema);
        TQelObject* k = db->CreateObject(db->FindClass("Kunde")->Key());
        k->FieldByName("Name")->set_AsString("Erster");
        ASSERT_TRUE(k->Commit()) << k->ErrorMessage();
    }
    TQelDatabase db;
    TQelOpenOptions o;
    o.schemaText
        = std::string(kTestSchema) + "class 50001 Kaputt : Objekt table=Kaputt\n field X Unbekannt\nend\n";
    o.schemaFile = "neu.qelschema";
    try {
        db.Open(file.path(), o);
        FAIL() << "opened with a bad schema";
    } catch (const TQelOpenError& e) {
        EXPECT_NE(std::string(e.what()).find(file.path()), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("neu.qelschema, Zeile"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(db.Initialized());
    // The stored schema is unchanged: the file opens with it and has no table Kaputt.
    auto again = openFile(file.path());
    EXPECT_FALSE(again->FindClass("Kaputt"));
    EXPECT_EQ(again->CountObjects(), 1);
}

TEST(Schema, ANewerSchemaAddsTablesAndColumnsToAnExistingFile)
{
    TempFile file;
    {
        auto db = openFile(file.path(), kTestSchema);
        TQelObject* k = db->CreateObject(db->FindClass("Kunde")->Key());
        k->FieldByName("Name")->set_AsString("Alt");
        ASSERT_TRUE(k->Commit());
    }
    const std::string newer
        = std::string(kTestSchema) + "class 50001 Projekt : Objekt table=Projekt\n field Titel Text\nend\n";
    std::string grown = newer;
    grown.replace(grown.find("  field Kz Kennzeichen"), 0, "  field Telefon Text\n");
    auto db = openFile(file.path(), grown);
    auto q = db->CreateSQLEngine()->ListEx(db->FindClass("Kunde")->Key(), 0, "", "Name,Telefon");
    q->Open();
    ASSERT_FALSE(q->Eof());
    EXPECT_EQ(q->AsString(1), "Alt");
    EXPECT_TRUE(q->IsNull(2));
    EXPECT_TRUE(db->CreateObject(db->FindClass("Projekt")->Key()));
}

TEST(Schema, DemoSchemaLoadsWithWhatTheControlsNeed)
{
    auto s = TQelSchema::Load(QelDemoSchemaText(), QelDemoSchemaFile);
    const TQelKlasse* p = s->ClassByName("Person");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->FindFelddefinition("Anrede")->type->Urtyp(), 3008);
    EXPECT_EQ(p->FindFelddefinition("Geburtsdatum")->type->id, 3011);
    EXPECT_EQ(p->FindFelddefinition("Gehalt")->type->Urtyp(), 3003);
    EXPECT_EQ(p->FindFelddefinition("Aktiv")->type->id, 3004);
    EXPECT_EQ(p->FindFelddefinition("Bemerkung")->type->id, 3015);
    EXPECT_EQ(p->FindFelddefinition("Arbeitgeber")->ReferencedClass(), s->ClassByName("Firma")->Key());
    EXPECT_TRUE(p->FindVektordefinition("Adressen")->get_Vektorklasse()->IsA(12001));
    EXPECT_TRUE(p->FindVektordefinition("Bank")->Single());
}
