// The detail grid's line parser: headers, field-list switches, rows with flags in any order and
// case, editor parts, quotes and comments; a bounded fuzz run of random and mutated lines.
#include "vectors/qeldgfieldnames.h"

#include "binding/objdb.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <set>

namespace {

using K = TQelDGLineKind;

struct FieldNameCase {
    const char* line;
    K kind;
    const char* name;
    const char* caption;
    bool custom, force, readOnly;
    int type;
    const char* params;
};

const FieldNameCase kFieldNameCases[] = {
    { "", K::Skip, "", "", false, false, false, 0, "" },
    { "; Kommentar", K::Skip, "", "", false, false, false, 0, "" },
    { "  // Name", K::Skip, "", "", false, false, false, 0, "" },
    { "-- Name", K::Skip, "", "", false, false, false, 0, "" },
    { "* Allgemein", K::Header, "Allgemein", "", false, false, false, 0, "" },
    { "*allg as 'Allgemeine Angaben'", K::Header, "allg", "Allgemeine Angaben", false, false, false, 0, "" },
    { "* Kopf READONLY", K::Header, "Kopf READONLY", "", false, false, false, 0, "" },
    { "FIELDPATH Bank", K::FieldPath, "Bank", "", false, false, false, 0, "" },
    { "fieldpath  Adressen[0] ", K::FieldPath, "Adressen[0]", "", false, false, false, 0, "" },
    { "FIELDPATH", K::FieldPath, "", "", false, false, false, 0, "" },
    { "FieldPath Extra custom", K::FieldPath, "Extra", "", true, false, false, 0, "" },
    { "FIELDPATH CUSTOM", K::FieldPath, "", "", true, false, false, 0, "" },
    { "FIELDPATHS", K::Row, "FIELDPATHS", "", false, false, false, 0, "" },
    { "Name", K::Row, "Name", "", false, false, false, 0, "" },
    { "Name AS Firmenname", K::Row, "Name", "Firmenname", false, false, false, 0, "" },
    { "Name as \"Name AS Text\"", K::Row, "Name", "Name AS Text", false, false, false, 0, "" },
    { "Name readonly", K::Row, "Name", "", false, false, true, 0, "" },
    { "Name AS Firma force Readonly CUSTOM", K::Row, "Name", "Firma", true, true, true, 0, "" },
    { "Name READONLY READONLY", K::Row, "Name", "", false, false, true, 0, "" },
    { "READONLY", K::Row, "READONLY", "", false, false, false, 0, "" },
    { "NameREADONLY", K::Row, "NameREADONLY", "", false, false, false, 0, "" },
    { "Farbe/COMBOLIST(rot,grün,blau) AS Farbe", K::Row, "Farbe/COMBOLIST(rot,grün,blau)", "Farbe", false,
        false, false, 3, "rot,grün,blau" },
    { "Art/comboedit(a as b, c) as Art", K::Row, "Art/comboedit(a as b, c)", "Art", false, false, false, 2,
        "a as b, c" },
    { "Menge/Numeric", K::Row, "Menge/Numeric", "", false, false, false, 11, "" },
    { "Satz/FLOAT readonly", K::Row, "Satz/FLOAT", "", false, false, true, 13, "" },
    { "X/SPINNER", K::Row, "X/SPINNER", "", false, false, false, 0, "" },
    { "X/COMBOLIST(a,(b)", K::Row, "X/COMBOLIST(a,(b)", "", false, false, false, 3, "a,(b" },
    { "X/COMBOLIST(a,b", K::Row, "X/COMBOLIST(a,b", "", false, false, false, 3, "a,b" },
    { "'O''Brien' AS 'Herr O''Brien'", K::Row, "O'Brien", "Herr O'Brien", false, false, false, 0, "" },
    { "<Name>.Ort AS Ort", K::Row, "<Name>.Ort", "Ort", false, false, false, 0, "" },
};

} // namespace

TEST(DGFieldNames, LinesParseIntoTheirParts)
{
    for (const FieldNameCase& c : kFieldNameCases) {
        SCOPED_TRACE(c.line);
        const TQelDGLine l = QelParseDGLine(c.line);
        EXPECT_EQ(l.Kind, c.kind);
        if (c.kind == K::Skip)
            continue;
        EXPECT_EQ(l.Name, c.name);
        EXPECT_EQ(l.Caption, c.caption);
        EXPECT_EQ(l.Custom, c.custom);
        EXPECT_EQ(l.Force, c.force);
        EXPECT_EQ(l.ReadOnly, c.readOnly);
        EXPECT_EQ(l.Type, c.type);
        EXPECT_EQ(l.Params, c.params);
    }
}

TEST(DGFieldNames, PlainNamesAndKindWords)
{
    EXPECT_EQ(QelDGPlainName("Farbe/COMBOLIST(rot,grün)"), "Farbe");
    EXPECT_EQ(QelDGPlainName(" Adresse.Ort "), "Adresse.Ort");
    EXPECT_EQ(QelDGPlainName("/NUMERIC"), "");
    EXPECT_EQ(QelDGEditorKind("combolist"), qelDGComboList);
    EXPECT_EQ(QelDGEditorKind("COMBOLISTE"), qelDGNormal);
    EXPECT_EQ(QelDGEditorKind(""), qelDGNormal);
}

TEST(DGFieldNames, SkippedLinesKeepTheLineNumbersOfTheOthers)
{
    const auto lines = QelParseDGFieldNames({ "* Kopf", "", "; x", "Name", "FIELDPATH Bank", "IBAN" });
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].Line, 0);
    EXPECT_EQ(lines[1].Line, 3);
    EXPECT_EQ(lines[2].Kind, K::FieldPath);
    EXPECT_EQ(lines[3].Line, 5);
}

TEST(DGFieldNames, LongLinesParseInLinearTime)
{
    // Many trailing flags, quotes without partners and open parentheses.
    std::string flags = "Name";
    std::string quotes = "Name";
    for (int i = 0; i < 40000; ++i) {
        flags += i % 2 ? " READONLY" : " force";
        quotes += "'(\" ";
    }
    const auto start = std::chrono::steady_clock::now();
    const TQelDGLine a = QelParseDGLine(flags);
    const TQelDGLine b = QelParseDGLine(quotes + " AS x");
    const auto ms
        = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
              .count();
    EXPECT_EQ(a.Name, "Name");
    EXPECT_TRUE(a.ReadOnly && a.Force);
    EXPECT_EQ(b.Kind, K::Row);
    EXPECT_LT(ms, 2000);
}

TEST(DGFieldNames, FuzzRandomAndMutatedLines)
{
    const char* const pieces[] = { "Name", "*", "FIELDPATH", "fieldpath ", " AS ", " as ", "'", "\"",
        " CUSTOM", " force", " READONLY", "/", "COMBOLIST", "(", ")", ",", ";", "//", "--", " ", "\t", "ä",
        "\xC3", "\xFF", "Adressen[0]", ".", "<Name>", "\0" };
    std::mt19937 rnd(23);
    std::vector<std::string> seeds;
    for (const FieldNameCase& c : kFieldNameCases)
        seeds.emplace_back(c.line);
    for (int round = 0; round < 20000; ++round) {
        std::string s;
        if (rnd() % 2) {
            s = seeds[rnd() % seeds.size()];
            for (int m = 0, k = static_cast<int>(rnd() % 4); m < k && !s.empty(); ++m) {
                const std::size_t at = rnd() % s.size();
                if (rnd() % 2)
                    s.erase(at, 1 + rnd() % 3);
                else
                    s.insert(at, pieces[rnd() % std::size(pieces)]);
            }
        } else {
            for (int p = 0, k = static_cast<int>(rnd() % 10); p < k; ++p)
                s += pieces[rnd() % std::size(pieces)];
        }
        SCOPED_TRACE(s);
        const TQelDGLine l = QelParseDGLine(s);
        // Parsing is deterministic and never invents text.
        const TQelDGLine again = QelParseDGLine(s);
        ASSERT_EQ(l.Kind, again.Kind);
        ASSERT_EQ(l.Name, again.Name);
        ASSERT_LE(l.Name.size() + l.Caption.size(), s.size());
        ASSERT_LE(l.Params.size(), l.Name.size());
        if (l.Kind == K::Skip)
            continue;
        const std::set<int> kinds { 0, 2, 3, 5, 11, 12, 13, 14 };
        ASSERT_TRUE(kinds.count(l.Type));
        ASSERT_TRUE(l.Type == 0 || l.Name.find('/') != std::string::npos);
        // Unquoted names carry no surrounding blanks, rows no trailing flags.
        if (s.find_first_of("'\"") != std::string::npos)
            continue;
        ASSERT_EQ(l.Name, Trim(l.Name));
        ASSERT_EQ(l.Caption, Trim(l.Caption));
        if (l.Kind == K::Row && l.Caption.empty()) {
            const TQelDGLine inner = QelParseDGLine(l.Name);
            ASSERT_FALSE(inner.Kind == K::Row && (inner.Custom || inner.Force || inner.ReadOnly)) << l.Name;
        }
    }
}
