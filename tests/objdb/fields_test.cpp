#include "objdb_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class Fields : public ::testing::Test {
protected:
    TestDb db;
    TQelObject* obj = db.create("Kunde", "Anna");
    TQelField* f(const char* name) { return obj->FieldByName(name); }
};

struct RoundTrip {
    const char* field;
    const char* typed;
    const char* shown; // nullptr: the text is refused (kept, field invalid)
};

} // namespace

TEST_F(Fields, TextRoundTripOfEveryKind)
{
    const RoundTrip cases[] = {
        { "Ort", "  Köln ", "  Köln " },
        { "Anzahl", " 42 ", "42" },
        { "Anzahl", "-7", "-7" },
        { "Anzahl", "4x", nullptr },
        { "Betrag", "1234,5", "1.234,50" },
        { "Betrag", "1.234.567,891", "1.234.567,89" },
        { "Betrag", "12.5", "12,50" },
        { "Betrag", "-0,5", "-0,50" },
        { "Betrag", "1,2,3", nullptr },
        { "Aktiv", "ja", "Ja" },
        { "Aktiv", "0", "Nein" },
        { "Aktiv", "vielleicht", nullptr },
        { "Seit", "17.5.1980", "17.05.1980" },
        { "Seit", "1.2.03", "01.02.2003" },
        { "Seit", "1980-05-17", "17.05.1980" },
        { "Seit", "31.02.2020", nullptr },
        { "Seit", "29.02.2020", "29.02.2020" },
        { "Zeitpunkt", "17.05.1980 8:05", "17.05.1980 08:05" },
        { "Zeitpunkt", "17.05.1980", "17.05.1980 00:00" },
        { "Beginn", "7:30", "07:30" },
        { "Beginn", "24:00", nullptr },
        { "Stufe", "silber", "Silber" },
        { "Stufe", "G", "Gold" },
        { "Stufe", "Br", "Bronze" },
        { "Stufe", "Platin", nullptr },
        { "Sprachen", "englisch, Deutsch", "Deutsch, Englisch" },
        { "Rollen", "Partner", "Partner" },
        { "Notiz", "lang & breit", "lang & breit" },
    };
    for (const RoundTrip& c : cases) {
        TQelField* fld = f(c.field);
        fld->set_AsString(c.typed);
        if (c.shown) {
            EXPECT_EQ(fld->AsString(), c.shown) << c.field << " <- " << c.typed;
            EXPECT_TRUE(fld->Valid()) << c.field << " <- " << c.typed << ": " << fld->ValidityError();
            // Reading back what is shown gives the same value.
            const TQelValue v = fld->Value();
            fld->set_AsString(fld->AsString());
            EXPECT_EQ(fld->Value(), v) << c.field;
        } else {
            EXPECT_EQ(fld->AsString(), c.typed) << c.field << ": a refused text stays as typed";
            EXPECT_TRUE(fld->SyntaxError()) << c.field << " <- " << c.typed;
            EXPECT_FALSE(fld->Valid());
        }
        fld->set_AsString("");
        EXPECT_TRUE(fld->Null()) << c.field;
    }
}

TEST_F(Fields, DeadEndsPerKind)
{
    struct D {
        const char* field;
        const char* text;
        bool dead;
    };
    const D cases[] = {
        { "Name", "ÄÖÜäöüßabc", false }, // 10 characters, though 20 bytes
        { "Name", "ÄÖÜäöüßabcd", true }, { "Anzahl", "-", false }, { "Anzahl", "12a", true },
        { "Betrag", "1.234,", false }, { "Betrag", "1,234", true }, // three decimals for an amount of two
        { "Betrag", "12€", false }, { "Betrag", "1250,-", false }, { "Betrag", "12,50 %", false },
        { "Betrag", "12,-5", true }, { "Betrag", "12€5", true }, // what follows the notation is a dead end
        { "Aktiv", "Ne", false }, { "Aktiv", "Nö", true }, { "Seit", "17.", false },
        { "Seit", "17.05.19", false }, { "Seit", "32", true }, { "Seit", "17.13", true },
        { "Seit", "17.05.1980 10", true }, // a date has no time
        { "Zeitpunkt", "17.05.1980 23:5", false }, { "Zeitpunkt", "17.05.1980 24", true },
        { "Beginn", "12:6", false }, // reads as 12:06
        { "Beginn", "12:61", true }, { "Stufe", "Si", false }, { "Stufe", "X", true },
        { "Stufe", "s", false }, // abbreviation
    };
    for (const D& c : cases)
        EXPECT_EQ(f(c.field)->DeadEnd(c.text), c.dead) << c.field << " '" << c.text << "'";
}

// Every field type of the date and time family.
TEST(DateTimeDeadEnds, PrefixesThatCanStillBecomeValidAreAccepted)
{
    TestDb db(R"(
class 40040 Termin : Objekt table=T_Termin
  field D Datum
  field Z DatumZeit
  field ZS DatumZeitSekunden
  field U Uhrzeit
  field US UhrzeitSekunden
end
)");
    TQelObject* obj = db.create("Termin");
    ASSERT_NE(obj, nullptr);
    struct Prefixes {
        const char* field;
        std::vector<const char*> accepted, refused;
    };
    const Prefixes cases[] = {
        { "D", // day and month of one digit as well as two, as "1.5.2020" reads
            { "5", "1.", "1.5", "1.3", "1.5.", "1.5.2020", "15.5.2020", "9.12.1999", "0", "05.", "3", "4.",
                "31.1", "29.2.", "29.2.202", "29.2.2020", "1.5.0", " 1.5", "1.5 " },
            { "32", "0.", "00", "1.13", "1.0.", "1.00", "31.4", "30.2", "29.2.2021", "1.5.20201", "1.5.0000",
                "1.5.2020.", "1..", ".5", "123", "1x", "1.5.2020 9" } },
        { "Z", { "1.5.2020 9", "1.5.2020 9:", "1.5.2020 9:05", "1.5.2020 ", "5", "1.3", "1.5 9:05", "1.5 " },
            { "1.5.2020 24", "1.5.2020 9:60", "5 9", "32", "1.13", "29.2.2021 9", "1.5.2020 9::" } },
        { "ZS", { "1.5.2020 9:05:3", "15.5.2020 23:59:59" }, { "1.5.2020 9:05:60", "1.13" } },
        { "U", { "9", "9:", "9:0", "9:05", "0:5", "23:59" },
            { "24", "9:60", "9:05:00", ":5", "123", "9:x" } },
        { "US", { "9:05:0", "9:05:59" }, { "9:05:60", "9:05:00:" } },
    };
    for (const Prefixes& c : cases) {
        TQelField* fld = obj->FieldByName(c.field);
        for (const char* t : c.accepted)
            EXPECT_FALSE(fld->DeadEnd(t)) << c.field << " '" << t << "'";
        for (const char* t : c.refused)
            EXPECT_TRUE(fld->DeadEnd(t)) << c.field << " '" << t << "'";
    }
}

TEST_F(Fields, ChoiceIndexesFollowTheDomainWithItsNullEntry)
{
    auto* stufe = static_cast<TQelChoiceField*>(f("Stufe"));
    EXPECT_EQ(stufe->GetDomain(), (std::vector<std::string> { "", "Gold", "Silber", "Bronze" }));
    EXPECT_EQ(stufe->AsIndex(), 0);
    stufe->set_AsIndex(2);
    EXPECT_EQ(stufe->AsString(), "Silber");
    EXPECT_EQ(stufe->AsIndex(), 2);
    stufe->set_AsIndex(0);
    EXPECT_TRUE(stufe->Null());
    EXPECT_TRUE(stufe->InDomain("gold"));
    EXPECT_FALSE(stufe->InDomain("Go"));
    EXPECT_EQ(stufe->Abbr("Silber"), "S");
    EXPECT_EQ(TQelChoiceField::Surface(" Gold "), "Gold");
    auto* aktiv = static_cast<TQelBoolField*>(f("Aktiv"));
    EXPECT_EQ(aktiv->GetDomain(), (std::vector<std::string> { "", "Ja", "Nein" }));
}

TEST_F(Fields, MultiChoiceAndFlagsKeepTheirPositions)
{
    TQelField* sprachen = f("Sprachen");
    sprachen->set_AsInteger(5);
    EXPECT_EQ(sprachen->AsString(), "Deutsch, Französisch");
    auto* rollen = static_cast<TQelFlagsField*>(f("Rollen"));
    rollen->set_ValueAsFlags(".X.");
    EXPECT_EQ(rollen->AsString(), "Lieferant");
    rollen->set_AsString("Partner, Kunde");
    EXPECT_EQ(rollen->ValueAsFlags(), "X.X");
}

TEST_F(Fields, DatesFormatWithoutTimeAndConvertToDayNumbers)
{
    auto* z = static_cast<TQelDateTimeField*>(f("Zeitpunkt"));
    z->set_AsString("17.05.1980 14:30");
    EXPECT_EQ(z->GetFormatted(1), "17.05.1980");
    EXPECT_EQ(std::get<std::string>(z->Value()), "1980-05-17 14:30:00");
    EXPECT_NEAR(z->AsDateTime(), 29358 + 14.5 / 24, 1e-6); // 1980-05-17 is day 29358 after 1899-12-30
    z->set_AsDateTime(29358.25);
    EXPECT_EQ(z->AsString(), "17.05.1980 06:00");
}

TEST_F(Fields, NullValueMandatoryDefaultsAndLength)
{
    EXPECT_EQ(f("Kz")->AsString(), "NEU"); // default of a new object
    EXPECT_TRUE(f("Kz")->NullOrDefault());
    EXPECT_FALSE(f("Kz")->Null());
    f("Name")->set_AsString("");
    EXPECT_NE(f("Name")->ValidityError().find("Pflichtfeld"), std::string::npos);
    f("Name")->set_AsString("Zu langer Name");
    EXPECT_NE(f("Name")->ValidityError().find("länger als 10"), std::string::npos);
    EXPECT_EQ(f("Name")->MaxLength(), 10);
    EXPECT_EQ(f("Name")->NullValue(), "");
    EXPECT_EQ(f("Betrag")->HardType(), 3003);
    EXPECT_TRUE(f("Seit")->IsA(TQelFieldKey(3005)));
    EXPECT_TRUE(f("Seit")->FieldType().IsA(TQelFieldKey(3005)));
    EXPECT_FALSE(f("Seit")->IsA(3013));
}

TEST_F(Fields, SqlValuesAreQuotedLiterals)
{
    TQelSQLDialect d;
    f("Ort")->set_AsString("O'Brien; DROP TABLE Kunde; --");
    EXPECT_EQ(d.ValueString(f("Ort")), "'O''Brien; DROP TABLE Kunde; --'");
    f("Betrag")->set_AsString("12,5");
    EXPECT_EQ(d.ValueString(f("Betrag")), "12.5");
    f("Seit")->set_AsString("1.2.2003");
    EXPECT_EQ(d.ValueString(f("Seit")), "'2003-02-01'");
    EXPECT_EQ(d.ValueString(f("Anzahl")), "NULL");
    EXPECT_EQ(d.Upper("Müßig"), "MÜSSIG");
}

TEST_F(Fields, ReferencesResolveCheckAndName)
{
    TQelObject* chef = db.create("Kunde", "Chefin");
    ASSERT_TRUE(chef->Commit()) << chef->ErrorMessage();
    auto* ref = static_cast<TQelRefField*>(f("Chef"));
    ref->set_AsObject(chef);
    EXPECT_EQ(ref->AsKey(), chef->Key());
    EXPECT_EQ(ref->AsString(), "Chefin");
    EXPECT_EQ(ref->get_AsObject(), chef);
    EXPECT_EQ(ref->ClassType(), db.cls("Kunde"));
    ref->set_AsString("#999999");
    EXPECT_NE(ref->ValidityError().find("ungültiger Schlüssel"), std::string::npos);
    TQelObject* l = db.create("Lieferant", "Fremd");
    ASSERT_TRUE(l->Commit());
    ref->set_AsKey(l->Key());
    EXPECT_NE(ref->ValidityError().find("Falscher Objekttyp"), std::string::npos);
    ref->set_AsObject(nullptr);
    EXPECT_TRUE(ref->Null());
}

TEST_F(Fields, LongTextsLoadOnlyWhenAsked)
{
    f("Notiz")->set_AsString("Langer Text");
    ASSERT_TRUE(obj->Commit()) << obj->ErrorMessage();
    const TQelObjectKey key = obj->Key();
    db->FreeObject(obj);
    TQelObject* again = db->GetObjectA(key);
    auto* notiz = static_cast<TQelTextField*>(again->FieldByName("Notiz"));
    EXPECT_FALSE(notiz->Loaded());
    Recorder r;
    notiz->ConnectControl(&r);
    EXPECT_EQ(notiz->BufferAsString(), "Langer Text");
    EXPECT_TRUE(notiz->Loaded());
    EXPECT_EQ(r.count(WM_ODB_BLOBLOADED), 1);
    notiz->set_BufferAsString("Geändert");
    EXPECT_TRUE(notiz->ReloadBlob());
    EXPECT_EQ(notiz->BufferAsString(), "Langer Text");
    notiz->DisconnectControl(&r);
}

TEST_F(Fields, ReplaceTextChangesAByteRangeAsAWholeWriteWould)
{
    TQelField* ort = f("Ort");
    Recorder r;
    ort->ConnectControl(&r);
    ASSERT_TRUE(ort->ReplaceText(0, 0, "Köln 😀 東京"));
    EXPECT_EQ(ort->AsString(), "Köln 😀 東京");
    EXPECT_EQ(r.count(WM_ODB_FIELDTOUCHED), 1);
    // "ö" is two bytes, the emoji four, each CJK character three.
    ASSERT_TRUE(ort->ReplaceText(1, 2, "oe"));
    ASSERT_TRUE(ort->ReplaceText(6, 4, "und"));
    EXPECT_EQ(ort->AsString(), "Koeln und 東京");
    ASSERT_TRUE(ort->ReplaceText(10, 3, ""));
    EXPECT_EQ(ort->AsString(), "Koeln und 京");
    EXPECT_EQ(r.count(WM_ODB_FIELDTOUCHED), 4);
    // The same bytes again change nothing and tell nobody.
    EXPECT_TRUE(ort->ReplaceText(0, 5, "Koeln"));
    EXPECT_EQ(r.count(WM_ODB_FIELDTOUCHED), 4);
    // Inside a character, beyond the end: refused, the value kept.
    EXPECT_FALSE(ort->ReplaceText(11, 1, "x"));
    EXPECT_FALSE(ort->ReplaceText(10, 2, "x"));
    EXPECT_FALSE(ort->ReplaceText(14, 0, "x"));
    EXPECT_FALSE(ort->ReplaceText(13, 1, ""));
    EXPECT_EQ(ort->AsString(), "Koeln und 京");
    // Removing everything leaves the field null, as the empty text does.
    ASSERT_TRUE(ort->ReplaceText(0, 13, ""));
    EXPECT_TRUE(ort->Null());
    EXPECT_FALSE(ort->Touched());
    ort->DisconnectControl(&r);
    // A number, or a text kept as a syntax error, is no text to cut.
    f("Anzahl")->set_AsString("42");
    EXPECT_FALSE(f("Anzahl")->ReplaceText(0, 1, "5"));
    EXPECT_EQ(f("Anzahl")->AsString(), "42");
    f("Seit")->set_AsString("31.02.2020");
    EXPECT_FALSE(f("Seit")->ReplaceText(0, 1, "2"));
}

TEST_F(Fields, ReplaceTextInALongTextLoadsItFirstAndIsStoredAndChecked)
{
    f("Notiz")->set_AsString("Grüße");
    ASSERT_TRUE(obj->Commit()) << obj->ErrorMessage();
    const TQelObjectKey key = obj->Key();
    db->FreeObject(obj);
    TQelObject* again = db->GetObjectA(key);
    auto* notiz = static_cast<TQelTextField*>(again->FieldByName("Notiz"));
    ASSERT_FALSE(notiz->Loaded());
    // The range counts in the stored text: read before the change.
    ASSERT_TRUE(notiz->ReplaceText(7, 0, " aus Köln"));
    EXPECT_EQ(notiz->BufferAsString(), "Grüße aus Köln");
    EXPECT_TRUE(notiz->Valid());
    ASSERT_TRUE(notiz->ReplaceText(17, 0, " am Rhein"));
    EXPECT_FALSE(notiz->Valid()); // 23 characters, 20 allowed
    EXPECT_FALSE(again->Commit());
    ASSERT_TRUE(notiz->ReplaceText(17, 9, ""));
    ASSERT_TRUE(again->Commit()) << again->ErrorMessage();
    db->FreeObject(again);
    EXPECT_EQ(db->GetObjectA(key)->FieldByName("Notiz")->AsString(), "Grüße aus Köln");
}

TEST_F(Fields, FormattedTextConvertsBetweenHtmlTextAndRtf)
{
    TQelSchema const& s = db->Schema();
    ASSERT_TRUE(s.FieldType(13422));
    TestDb d2(std::string(kTestSchema)
        + "class 50001 Akte : Objekt table=Akte\n field Text FormatierterText\nend\n");
    TQelObject* a = d2.create("Akte");
    auto* t = dynamic_cast<TQelERVTextField*>(a->FieldByName("Text"));
    ASSERT_TRUE(t);
    t->set_AsTXT("Zeile 1 <a>\nZeile 2");
    EXPECT_EQ(t->AsHTML(), "<p>Zeile 1 &lt;a&gt;</p>\n<p>Zeile 2</p>\n");
    EXPECT_EQ(t->AsTXT(), "Zeile 1 <a>\nZeile 2");
    t->set_AsRTF("{\\rtf1\\ansi {\\*\\generator x;}Hallo\\par Welt}");
    EXPECT_EQ(t->AsTXT(), "Hallo\nWelt");
    t->AddTXT("mehr");
    EXPECT_EQ(t->AsTXT(), "Hallo\nWelt\nmehr");
    t->set_AsTXT("a\nb\n"); // as a file's lines are read: a break after each
    EXPECT_EQ(t->AsHTML(), "<p>a</p>\n<p>b</p>\n");
    t->AddTXT("c\n");
    EXPECT_EQ(t->AsTXT(), "a\nb\nc");
    // A whole document as rich-text editors write it: its head is no text.
    t->set_AsHTML("<html><head><title>Brief</title><style type=\"text/css\">\np { margin: 0; }\n</STYLE>"
                  "</head><body><p style=\"x\">Hallo <b>Welt</b></p></body></html>");
    EXPECT_EQ(t->AsTXT(), "Hallo Welt");
    TErvTypFormatierbarerText doc;
    ASSERT_TRUE(t->export_xmldata(doc));
    EXPECT_EQ(doc.html, t->AsHTML());
    doc.html = "<p>neu</p>";
    ASSERT_TRUE(t->import_xmldata(doc));
    EXPECT_EQ(t->AsTXT(), "neu");
    doc.html = std::string("a\0b", 3);
    EXPECT_FALSE(t->import_xmldata(doc));
    EXPECT_FALSE(t->ErrorMessage().empty());
    EXPECT_EQ(t->AsTXT(), "neu");
}

TEST(LongText, AWriteWithoutReadingFirstIsStored)
{
    TempFile file;
    TQelObjectKey key;
    {
        auto db = openFile(file.path(), kTestSchema);
        TQelObject* k = db->CreateObject(db->FindClass("Kunde")->Key());
        k->FieldByName("Name")->set_AsString("Anna");
        k->FieldByName("Notiz")->set_AsString("alt");
        ASSERT_TRUE(k->Commit()) << k->ErrorMessage();
        key = k->Key();
    }
    // Each writer on an object fresh from the file, the blob never read; a second database reads back.
    const std::vector<std::pair<std::string, std::function<void(TQelTextField*)>>> writers = {
        { "neu", [](TQelTextField* f) { f->set_AsString("neu"); } },
        { "Puffer", [](TQelTextField* f) { f->set_BufferAsString("Puffer"); } },
        { "", [](TQelTextField* f) { f->set_Null(true); } },
    };
    for (const auto& [expected, write] : writers) {
        {
            auto db = openFile(file.path());
            TQelObject* k = db->GetObjectA(key);
            ASSERT_TRUE(k);
            auto* notiz = static_cast<TQelTextField*>(k->FieldByName("Notiz"));
            ASSERT_FALSE(notiz->Loaded());
            write(notiz);
            EXPECT_TRUE(notiz->Touched()) << expected;
            EXPECT_TRUE(k->Touched()) << expected;
            ASSERT_TRUE(k->Commit()) << k->ErrorMessage();
        }
        auto db = openFile(file.path());
        TQelObject* k = db->GetObjectA(key);
        ASSERT_TRUE(k);
        EXPECT_EQ(k->FieldByName("Notiz")->AsString(), expected);
        EXPECT_EQ(k->FieldByName("Name")->AsString(), "Anna");
    }
}
