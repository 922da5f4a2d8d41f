// German noun phrases built from the nouns of the schema.
#include "objdb_test_support.h"

#include "objdb/qelnp.h"
#include "objdb/qelstrings.h"
#include "objdb/qelview.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const char* const kNounSchema = R"(
fieldtype 41001 Telefonnummer : Text noun=Telefonnummer gender=f plural=Telefonnummern
class 41010 Person : Objekt table=Person noun=Person gender=f plural=Personen
  field Name Text
end
class 41011 Telefon : Objekt table=Telefon noun=Telefon gender=n plural=Telefone
end
class 41012 Kunde : Objekt table=Kunde noun=Kunde gender=m plural=Kunden genitive=Kunden
end
class 41013 Adresse : Objekt table=Adresse noun=Adresse gender=f plural=Adressen
end
class 41014 Firma : Objekt table=Firma noun=Firma gender=f plural=Firmen
end
class 41015 Prozess : Objekt table=Prozess noun=Prozess gender=m plural=Prozesse genitive=Prozesses
end
class 41016 Haus : Objekt table=Haus noun=Haus gender=n plural=Häuser
end
class 41017 Auto : Objekt table=Auto noun=Auto gender=n plural=Autos
end
class 41018 Ohne : Objekt table=Ohne
end
)";

class NounPhrases : public ::testing::Test {
protected:
    TestDb db { kNounSchema };
    std::string np(const char* cls, const char* adj, int c = 1, bool singular = true)
    {
        return MakeNP(db.cls(cls), adj, c, singular, 'm');
    }
};

TEST_F(NounPhrases, PhrasesTheControlsUse)
{
    const TQelClassKey filter(qelcls::Ansicht);
    EXPECT_EQ(np("Person", "d,gewählt", 1), "die gewählte Person");
    EXPECT_EQ(MakeNP(filter, "Neu", 4), "Neuen Filter");
    EXPECT_EQ(MakeNP(filter, "abgeleitet", 4, false), "abgeleitete Filter");
    EXPECT_EQ(MakeNP(filter, "dies", 1, false), "diese Filter");
    EXPECT_EQ(np("Adresse", "Weiter", 4), "Weitere Adresse");
    EXPECT_EQ(np("Firma", "Ander", 4), "Andere Firma");
    EXPECT_EQ(MakeNP(filter, "D", 1), "Der Filter");
    EXPECT_EQ(MakeNP(filter, "d", 2), "des Filters");
    EXPECT_EQ(np("Person", "d", 3, false), "den Personen");
    EXPECT_EQ(np("Telefon", "d", 1), "das Telefon");
    EXPECT_EQ(np("Firma", "", 4), "Firma");
    EXPECT_EQ(MakeNP(filter, "d", 1, false), "die Filter");
}

TEST_F(NounPhrases, ArticlesAndAdjectivesAgreeInEveryCase)
{
    // Weak endings after the definite article, masculine and neuter.
    EXPECT_EQ(np("Kunde", "d,neu", 1), "der neue Kunde");
    EXPECT_EQ(np("Kunde", "d,neu", 2), "des neuen Kunden");
    EXPECT_EQ(np("Kunde", "d,neu", 4), "den neuen Kunden");
    EXPECT_EQ(np("Telefon", "d,neu", 2), "des neuen Telefons");
    // Mixed endings after "ein" and "kein"; "ein" has no plural, the plural declines strongly.
    EXPECT_EQ(np("Kunde", "ein,neu", 1), "ein neuer Kunde");
    EXPECT_EQ(np("Person", "ein,weiter", 3), "einer weiteren Person");
    EXPECT_EQ(np("Person", "ein,neu", 1, false), "neue Personen");
    EXPECT_EQ(np("Person", "kein,gewählt", 1, false), "keine gewählten Personen");
    EXPECT_EQ(np("Telefon", "kein", 2), "keines Telefons");
    // Strong endings without article.
    EXPECT_EQ(np("Telefon", "neu", 3), "neuem Telefon");
    EXPECT_EQ(np("Person", "neu", 2, false), "neuer Personen");
    // Demonstratives, several adjectives, a stem ending in "e".
    EXPECT_EQ(np("Telefon", "dies", 2), "dieses Telefons");
    EXPECT_EQ(np("Person", "dies,ander,gewählt", 3, false), "diesen anderen gewählten Personen");
    EXPECT_EQ(np("Firma", "d,leise", 2), "der leisen Firma");
    // Case numbers outside 1..4 count as nominative.
    EXPECT_EQ(np("Kunde", "d", 7), "der Kunde");
}

TEST_F(NounPhrases, NounFormsFollowGenderEndingsAndDeclaredGenitive)
{
    EXPECT_EQ(np("Haus", "d", 2), "des Hauses");
    EXPECT_EQ(np("Prozess", "d", 2), "des Prozesses");
    EXPECT_EQ(np("Prozess", "d", 3), "dem Prozess");
    EXPECT_EQ(np("Haus", "d", 3, false), "den Häusern");
    EXPECT_EQ(np("Auto", "d", 3, false), "den Autos"); // plural ending in s keeps it
    EXPECT_EQ(np("Kunde", "d", 3, false), "den Kunden");
}

TEST_F(NounPhrases, CapitalLetterOfTheFirstWordStartsThePhrase)
{
    EXPECT_EQ(np("Person", "D,gewählt", 1), "Die gewählte Person");
    EXPECT_EQ(np("Person", "d Gewählt", 1), "die gewählte Person"); // blanks separate words too
    EXPECT_EQ(np("Person", " Ein , neu ", 4), "Eine neue Person");
    EXPECT_EQ(np("Firma", "Äußer", 1), "Äußere Firma");
}

TEST_F(NounPhrases, FieldTypesClassesWithoutNounsAndUnknownKeys)
{
    const TQelFieldKey tel(41001);
    EXPECT_EQ(MakeNP(tel, "d,gewählt", 1), "die gewählte Telefonnummer");
    EXPECT_EQ(MakeNP(tel, "", 3, false), "Telefonnummern");
    // Without noun information the name serves as a neuter noun with an unchanged plural.
    const TQelNameInfo ohne = GetNameInfo(db.cls("Ohne"));
    EXPECT_EQ(ohne.noun, "Ohne");
    EXPECT_EQ(ohne.gender, 'n');
    EXPECT_EQ(np("Ohne", "d", 1, false), "die Ohne");
    EXPECT_EQ(np("Ohne", "ein,neu", 1), "ein neues Ohne");
    // A key that names nothing: no noun; the phrase is still declined by the gender argument.
    EXPECT_TRUE(GetNameInfo(TQelKey(987654)).noun.empty());
    EXPECT_EQ(MakeNP(TQelKey(987654), "d,gewählt", 1, true, 'f'), "die gewählte");
    EXPECT_EQ(MakeNP(TQelKey(987654), "", 1), "");
    EXPECT_EQ(FreeMakeNP({}, "Neu", 4, true, 'x'), "Neuen");
    SetQelDatabase(nullptr);
    EXPECT_EQ(MakeNP(db.cls("Person"), "d", 1), "der"); // no database: no noun
}

TEST(NounPhraseFuzz, AnyAdjectiveListGivesOneTidyPhraseEndingInTheNoun)
{
    TQelNameInfo info;
    info.noun = "Person";
    info.gender = 'f';
    info.plural = "Personen";
    const char* const pieces[]
        = { "d", "D", "ein", "kein", "dies", ",", " ", "Ä", "\xC3", "e", "neu", "Weiter", "\t", "ß", "'" };
    std::mt19937 rng(11);
    for (int round = 0; round < 5000; ++round) {
        std::string adjective;
        for (int i = static_cast<int>(rng() % 8); i > 0; --i)
            adjective += pieces[rng() % std::size(pieces)];
        const int casus = static_cast<int>(rng() % 12) - 3;
        const bool singular = rng() % 2 == 0;
        const std::string np = FreeMakeNP(info, adjective, casus, singular, static_cast<char>(rng()));
        const std::string noun = singular ? "Person" : "Personen";
        ASSERT_GE(np.size(), noun.size()) << adjective;
        ASSERT_EQ(np.compare(np.size() - noun.size(), noun.size(), noun), 0) << adjective << " -> " << np;
        ASSERT_EQ(np.find("  "), std::string::npos) << adjective << " -> " << np;
        ASSERT_NE(np.front(), ' ') << adjective;
    }
}

// Noun information written by an application for a control: the forms it names, the rest from
// the noun's class or field type, else the defaults; never a gender the text did not give.
TEST_F(NounPhrases, NameInfoTextsTakeTheirFormsFromTheTextOrTheDatabase)
{
    const TQelNameInfo person = GetNameInfo(db.cls("Person"));
    auto np = [&](const char* text, const char* adj, int c = 4) {
        return FreeMakeNP(ParseNameInfo(text, person), adj, c, true, 'm');
    };
    EXPECT_EQ(np("Wohnsitz gender=m plural=Wohnsitze", "Weiter"), "Weiteren Wohnsitz");
    EXPECT_EQ(np("Wohnsitz gender=m", "d,gewählt", 1), "der gewählte Wohnsitz");
    EXPECT_EQ(np("noun=Konto gender=n plural=Konten", "Weiter"), "Weiteres Konto");
    EXPECT_EQ(FreeMakeNP(ParseNameInfo("Konto gender=n plural=Konten", person), "", 3, false), "Konten");
    // A bare noun: the fallback's forms when it is the fallback's noun, else those of the class
    // or field type of the database with that noun.
    EXPECT_EQ(np("person", "d,gewählt", 1), "die gewählte person");
    EXPECT_EQ(np("Kunde", "d", 2), "des Kunden");
    EXPECT_EQ(np("Haus", "d", 3), "dem Haus");
    EXPECT_EQ(FreeMakeNP(ParseNameInfo("Haus", person), "", 1, false), "Häuser");
    EXPECT_EQ(np("Telefonnummer", "Weiter"), "Weitere Telefonnummer");
    // Stated forms win over the database's; unknown nouns are neuter with an unchanged plural.
    EXPECT_EQ(np("Kunde gender=f", "d", 1), "die Kunde");
    EXPECT_EQ(np("Gerät", "Weiter"), "Weiteres Gerät");
    EXPECT_EQ(np("Gerät gender=x", "Weiter"), "Weiteres Gerät") << "a gender that is none is ignored";
    EXPECT_EQ(np("Sitz  \t gender=m", "ein,ander"), "einen anderen Sitz");
    // No noun: the fallback as it is.
    for (const char* none : { "", "  ", "gender=m", "plural=Xe genitive=Xs" }) {
        const TQelNameInfo info = ParseNameInfo(none, person);
        EXPECT_EQ(info.noun, "Person") << none;
        EXPECT_EQ(info.gender, 'f') << none;
        EXPECT_EQ(info.plural, "Personen") << none;
    }
}

TEST(NounPhraseFuzz, AnyNameInfoTextGivesItsNounOrTheFallback)
{
    TQelNameInfo fallback;
    fallback.noun = "Straße";
    fallback.gender = 'f';
    fallback.plural = "Straßen";
    const char* const pieces[]
        = { "Straße", "STRASSE", "Wohnsitz", " ", "\t", "=", "noun=", "gender=", "m", "f", "n",
              "plural=", "genitive=", "ẞ", "ɐ", "😀", "\xC3", "\xFF", "\"", "'", "noun=Ärger", "gender=n" };
    std::mt19937 rng(36);
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        for (int i = static_cast<int>(rng() % 8); i > 0; --i)
            text += pieces[rng() % std::size(pieces)];
        const TQelNameInfo info = ParseNameInfo(text, fallback);
        ASSERT_TRUE(info.gender == 'm' || info.gender == 'f' || info.gender == 'n') << text;
        ASSERT_FALSE(info.noun.empty()) << text;
        if (info.noun != fallback.noun) {
            for (const std::string& word : SplitString(info.noun, " "))
                ASSERT_NE(text.find(word), std::string::npos) << text << " -> " << info.noun;
        }
        const std::string np = FreeMakeNP(info, "d,weiter", 4, true, 'm');
        ASSERT_GE(np.size(), info.noun.size()) << text;
    }
}

TEST(NounSchema, AttributesAreReadAndCheckedOnClassesAndFieldTypes)
{
    auto s = TQelSchema::Load(kNounSchema, "n.qelschema");
    const TQelKlasse* k = s->ClassByName("Kunde");
    EXPECT_EQ(k->nameInfo.noun, "Kunde");
    EXPECT_EQ(k->nameInfo.gender, 'm');
    EXPECT_EQ(k->nameInfo.plural, "Kunden");
    EXPECT_EQ(k->nameInfo.genitive, "Kunden");
    EXPECT_EQ(s->FieldType(41001)->nameInfo.gender, 'f');
    EXPECT_EQ(s->Class(qelcls::Ansicht)->nameInfo.noun, "Filter");
    EXPECT_TRUE(s->ClassByName("Ohne")->nameInfo.noun.empty());
    EXPECT_THROW(
        TQelSchema::Load("class 41020 X : Objekt table=X noun=X gender=w\nend\n", "x"), TQelSchemaError);
    EXPECT_THROW(TQelSchema::Load("class 41020 X : Objekt table=X plural=Xe\nend\n", "x"), TQelSchemaError);
    EXPECT_THROW(TQelSchema::Load("fieldtype 41002 Y : Text nomen=Y\n", "x"), TQelSchemaError);
}

} // namespace
