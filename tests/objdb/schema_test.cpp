#include "objdb/qelsample.h"
#include "objdb_test_support.h"

#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <typeinfo>

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

TEST(Schema, SqlKeywordsAreRefusedAsTableColumnFieldAndVectorNames)
{
    const char* const keywords[] = { "Select", "Order", "Group", "Index", "Unique", "Collate", "References",
        "Constraint", "Cast", "Raise", "Current_date", "Current_time", "Current_timestamp", "select" };
    for (const std::string kw : keywords) {
        const std::string head = "# Schlüsselwörter\nclass 50010 Teil table=T_Teil\n field Text Text\nend\n";
        const struct {
            std::string text;
            int line;
        } cases[] = {
            { "# Schlüsselwörter\nclass 50001 A : Objekt table=" + kw + "\nend\n", 2 },
            { "# Schlüsselwörter\nclass 50001 A : Objekt table=A\n field " + kw + " Text\nend\n", 3 },
            { "# Schlüsselwörter\nclass 50001 A : Objekt table=A\n field X Text column=" + kw + "\nend\n",
                3 },
            { head + "class 50001 A : Objekt table=A\n field X Text\n vector " + kw + " Teil\nend\n", 7 },
            { head + "class 50001 A : Objekt table=A\n subobject " + kw + " Teil\nend\n", 6 },
        };
        for (const auto& c : cases) {
            try {
                TQelSchema::Load(c.text, "bad.qelschema");
                ADD_FAILURE() << "loaded: " << c.text;
            } catch (const TQelSchemaError& e) {
                EXPECT_EQ(e.File(), "bad.qelschema");
                EXPECT_EQ(e.Line(), c.line) << c.text;
                EXPECT_NE(e.Problem().find("'" + kw + "' ist ein SQL-Schlüsselwort"), std::string::npos)
                    << c.text << " -> " << e.what();
            }
        }
    }
}

TEST(Schema, NamesCloseToSqlKeywordsLoadCommitAndReadBack)
{
    const std::string schema = std::string(kTestSchema) + R"(
class 50020 Eintrag table=T_Eintrag
  field Selektion Text
end
class 50021 Ordnung : Objekt table=Ordnung format="<Gruppe>"
  field Gruppe Text
  field Datum Datum
  field Indexwert Ganzzahl
  field Orders Text column=Bestellungen
  vector Gruppen Eintrag
end
)";
    TempFile file;
    TQelObjectKey key;
    {
        auto db = openFile(file.path(), schema);
        TQelObject* o = db->CreateObject(db->FindClass("Ordnung")->Key());
        o->FieldByName("Gruppe")->set_AsString("Erste");
        o->FieldByName("Datum")->set_AsString("17.05.1980");
        o->FieldByName("Indexwert")->set_AsString("7");
        o->FieldByName("Orders")->set_AsString("viele");
        o->FieldList()->FindField("Gruppen[0].Selektion", true)->set_AsString("Auswahl");
        ASSERT_TRUE(o->Commit()) << o->ErrorMessage();
        key = o->Key();
    }
    auto db = openFile(file.path());
    SetQelDatabase(db.get());
    TQelObject* o = db->GetObjectA(key);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->FieldByName("Gruppe")->AsString(), "Erste");
    EXPECT_EQ(o->FieldByName("Datum")->AsString(), "17.05.1980");
    EXPECT_EQ(o->FieldByName("Indexwert")->AsString(), "7");
    EXPECT_EQ(o->FieldByName("Orders")->AsString(), "viele");
    EXPECT_EQ(o->FieldList()->FindField("Gruppen[0].Selektion")->AsString(), "Auswahl");
    // Conditions name tables and columns without quotes; the statements around them quote.
    auto engine = db->CreateSQLEngine();
    const std::string cond = "Ordnung.Gruppe = 'Erste' AND Ordnung.Datum = '1980-05-17' AND "
                             "Ordnung_Gruppen1.Selektion = 'Auswahl' AND OBJEKT.K = "
        + key.ToString();
    auto q = engine->ListEx(db->FindClass("Ordnung")->Key(), lfNotDeleted, cond, "Gruppe,Bestellungen");
    EXPECT_NE(q->SQL().find("\"Ordnung\".\"Gruppe\""), std::string::npos) << q->SQL();
    q->Open();
    ASSERT_FALSE(q->Eof());
    EXPECT_EQ(q->AsString(1), "Erste");
    EXPECT_EQ(q->AsString(2), "viele");
    SetQelDatabase(nullptr);
}

TEST(Schema, MutatedSchemaTextsAreRefusedNeverCrash)
{
    // Deterministic: the same few thousand texts on every run.
    std::mt19937 rnd(20240517);
    const std::string base = std::string(kTestSchema)
        + "class 50021 Ordnung : Objekt table=Ordnung\n  field Gruppe Text default=\"x\"\n  vector Gruppen "
          "Hinweis max=2\nend\n";
    std::vector<std::string> lines;
    std::istringstream in(base);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    const char* const words[] = { "Select", "Order", "K", "OBJEKT", "class", "field", "vector", "end", ":",
        "table=", "=", "\"", "[", "]", ".", "99999999999", "-1", "0", "Kunde", "Text", "Referenz",
        "ref=Kunde", "max=", "domain=\"a|a\"", "\xC3", "\xFF", "column=Name", "#", "\r", "\t" };
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rnd() % std::max<std::size_t>(n, 1)); };
    int refused = 0, loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::string> l = lines;
        const int edits = 1 + static_cast<int>(pick(4));
        for (int e = 0; e < edits && !l.empty(); ++e) {
            std::string& line = l[pick(l.size())];
            switch (pick(7)) {
            case 0: // random byte
                line.insert(pick(line.size() + 1), 1, static_cast<char>(rnd() & 0xFF));
                break;
            case 1: // cut line
                line.resize(pick(line.size() + 1));
                break;
            case 2: // duplicated line
                l.insert(l.begin() + static_cast<std::ptrdiff_t>(pick(l.size())), line);
                break;
            case 3: // dropped line
                l.erase(l.begin() + static_cast<std::ptrdiff_t>(pick(l.size())));
                break;
            case 4: { // a word replaced by a keyword or a sign
                std::size_t at = line.find(' ', pick(line.size() + 1));
                if (at == std::string::npos)
                    at = 0;
                line.insert(at, std::string(" ") + words[pick(std::size(words))]);
                break;
            }
            case 5: // overwritten byte
                if (!line.empty())
                    line[pick(line.size())] = static_cast<char>(rnd() & 0xFF);
                break;
            default: // name of the table or field replaced by an SQL word
                if (std::size_t eq = line.find("table="); eq != std::string::npos)
                    line = line.substr(0, eq) + "table=" + words[pick(2)];
                else if (line.rfind("  field ", 0) == 0)
                    line = std::string("  field ") + words[pick(2)] + " Text";
            }
        }
        std::string text;
        for (const std::string& x : l)
            text += x + "\n";
        try {
            TQelSchema::Load(text, "fuzz.qelschema");
            ++loaded;
        } catch (const TQelSchemaError& e) {
            EXPECT_EQ(e.File(), "fuzz.qelschema");
            EXPECT_FALSE(e.Problem().empty());
            ++refused;
        } catch (const std::exception& e) {
            ADD_FAILURE() << "unexpected " << typeid(e).name() << ": " << e.what() << "\n" << text;
            break;
        }
    }
    EXPECT_GT(refused, 1000);
    EXPECT_GT(loaded, 10);
}
