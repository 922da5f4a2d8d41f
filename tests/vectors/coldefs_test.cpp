// The column definition of the vector grid: every form of line, malformed lines reported with
// their line number, and a bounded fuzz run of random and mutated lines.
#include "vectors/qelvgcoldefs.h"

#include "binding/objdb.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct Case {
    const char* line;
    const char* entry; // nullptr: no column
    const char* caption;
    const char* prop;
    const char* length;
    const char* hint;
    int flags;
    int issues;
};

const Case kCases[] = {
    { "Ort", "Ort", "Ort", "", "", "", 0, 0 },
    { "  Ort  ", "Ort", "Ort", "", "", "", 0, 0 },
    { "Ort AS Wohnort", "Ort", "Wohnort", "", "", "", 0, 0 },
    { "Ort as \"Wohn ort\"", "Ort", "Wohn ort", "", "", "", 0, 0 },
    { "'Ort' As 'Ein AS Zwei'", "Ort", "Ein AS Zwei", "", "", "", 0, 0 },
    { "Adressen.Telefone AS Tel", "Adressen.Telefone", "Tel", "", "", "", 0, 0 },
    { "Arbeitgeber.Name", "Arbeitgeber.Name", "Arbeitgeber.Name", "", "", "", 0, 0 },
    { "Telefone@Nummer AS Nummern", "Telefone", "Nummern", "Nummer", "", "", 0, 0 },
    { "@Name AS Element", "@", "Element", "Name", "", "", 0, 0 },
    { "Ort/READONLY", "Ort", "Ort", "", "", "", TQelVGInfo::READONLY, 0 },
    { "Ort/FIXED", "Ort", "Ort", "", "", "", TQelVGInfo::FIXED | TQelVGInfo::READONLY, 0 },
    { "Notiz/CUSTOM,STRING HIDETIME", "Notiz", "Notiz", "", "", "",
        TQelVGInfo::CUSTOM | TQelVGInfo::STRING | TQelVGInfo::HIDETIME, 0 },
    { "Ort/readonly", "Ort", "Ort", "", "", "", 0, 1 }, // keywords are case-sensitive
    { "Ort/BLAH", "Ort", "Ort", "", "", "", 0, 1 },
    { "Ort/LENGTH: 20c/50 READONLY", "Ort", "Ort", "", "20C/50", "", TQelVGInfo::READONLY, 0 },
    { "Ort/LENGTH:'Musterstadt'/100", "Ort", "Ort", "", "'MUSTERSTADT'/100", "", 0, 0 },
    { "Ort/LENGTH:30% HINT: Der  Ort\\n ", "Ort", "Ort", "", "30%", "Der  Ort\n", 0, 0 },
    { "Ort/HINT: siehe LENGTH:20", "Ort", "Ort", "", "", "siehe LENGTH:20", 0, 0 },
    { "Ort/HINT:READONLY", "Ort", "Ort", "", "", "READONLY", 0, 0 },
    { "Ort/LENGTH:'offen", "Ort", "Ort", "", "", "", 0, 2 }, // no length, and the rest is unknown
    { "Ort/LENGTH:", "Ort", "Ort", "", "", "", 0, 1 },
    { "'a/b' AS x/READONLY", "a/b", "x", "", "", "", TQelVGInfo::READONLY, 0 },
    { "Ort AS ", "Ort AS", "Ort AS", "", "", "", 0, 0 }, // trimmed first: " AS" is part of the name
    { "Ort AS  /READONLY", "Ort", "", "", "", "", TQelVGInfo::READONLY, 1 },
    { "Telefone@", "Telefone", "Telefone@", "", "", "", 0, 1 },
    { "/READONLY", nullptr, "", "", "", "", 0, 1 },
    { "'' AS Titel", nullptr, "", "", "", "", 0, 1 },
    { "; Kommentar", nullptr, "", "", "", "", 0, 0 },
    { "// Kommentar", nullptr, "", "", "", "", 0, 0 },
    { "-- Kommentar", nullptr, "", "", "", "", 0, 0 },
    { "   ", nullptr, "", "", "", "", 0, 0 },
};

} // namespace

TEST(VGColDefs, TableOfLineForms)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.line);
        const TQelVGColDefs spec = QelParseVGColDefs({ "Erste", c.line });
        ASSERT_FALSE(spec.Columns.empty());
        EXPECT_EQ(spec.Columns[0].Entry, "Erste");
        if (!c.entry) {
            EXPECT_EQ(spec.Columns.size(), 1u);
        } else {
            ASSERT_EQ(spec.Columns.size(), 2u);
            const TQelVGColumn& col = spec.Columns[1];
            EXPECT_EQ(col.Entry, c.entry);
            EXPECT_EQ(col.Line, 2);
            ASSERT_TRUE(col.Info);
            EXPECT_EQ(col.Info->Caption, c.caption);
            EXPECT_EQ(col.Info->PropName, c.prop);
            EXPECT_EQ(col.Info->Length, c.length);
            EXPECT_EQ(col.Info->Hint, c.hint);
            EXPECT_EQ(col.Info->Flags, c.flags);
        }
        EXPECT_EQ(static_cast<int>(spec.Issues.size()), c.issues);
        for (const TQelVGSpecIssue& issue : spec.Issues) {
            EXPECT_EQ(issue.Line, 2) << issue.Text;
            EXPECT_FALSE(issue.Text.empty());
        }
    }
}

TEST(VGColDefs, MalformedLinesAreReportedAndTheOthersKept)
{
    const TQelVGColDefs spec
        = QelParseVGColDefs({ "Strasse", "", "/CUSTOM", "PLZ/LENGTH:x", "Ort AS Stadt" });
    ASSERT_EQ(spec.Columns.size(), 3u);
    EXPECT_EQ(spec.Columns[0].Entry, "Strasse");
    EXPECT_EQ(spec.Columns[1].Entry, "PLZ");
    EXPECT_EQ(spec.Columns[2].Info->Caption, "Stadt");
    EXPECT_EQ(spec.Columns[2].Line, 5);
    ASSERT_EQ(spec.Issues.size(), 3u);
    EXPECT_EQ(spec.Issues[0].Line, 3);
    EXPECT_EQ(spec.Issues[1].Line, 4);
    EXPECT_EQ(spec.Issues[2].Line, 4);
    EXPECT_NE(spec.Issues[2].Text.find("\"x\""), std::string::npos) << spec.Issues[2].Text;
}

TEST(VGColDefs, LongOptionsAndCaptionsAreCutAtCharacters)
{
    std::string caption;
    for (int i = 0; i < 1200; ++i)
        caption += "ä";
    const TQelVGColDefs spec
        = QelParseVGColDefs({ "Ort AS " + caption + "/LENGTH:" + std::string(1500, '9') });
    ASSERT_EQ(spec.Columns.size(), 1u);
    EXPECT_EQ(Utf8Length(spec.Columns[0].Info->Caption), 999u);
    EXPECT_EQ(spec.Columns[0].Info->Length.size(), 992u) << "999 option characters less \"LENGTH:\"";
    EXPECT_EQ(spec.Issues.size(), 2u);
}

TEST(VGColDefs, EllipsisExpandsInPlaceWithoutRepeatingNamedFields)
{
    TQelVGColDefs spec = QelParseVGColDefs({ "Ort AS Stadt", "...", "strasse" });
    QelVGExpandEllipsis(spec, { "Standard", "Strasse", "PLZ", "ORT", "Land" });
    std::vector<std::string> entries;
    for (const TQelVGColumn& c : spec.Columns)
        entries.push_back(c.Entry);
    EXPECT_EQ(entries, (std::vector<std::string> { "Ort", "Standard", "PLZ", "Land", "strasse" }));
    EXPECT_FALSE(spec.Columns[1].Info) << "expanded columns have no record";
    EXPECT_TRUE(spec.Columns[4].Info);

    TQelVGColDefs empty = QelParseVGColDefs({});
    QelVGExpandEllipsis(empty, { "A", "B" });
    ASSERT_EQ(empty.Columns.size(), 2u);
    EXPECT_EQ(empty.Columns[1].Entry, "B");
}

TEST(VGColDefs, FuzzRandomAndMutatedLines)
{
    const char* const pieces[] = { "Ort", "Telefone", ".", "@", "/", " AS ", " as ", "'", "\"", "CUSTOM",
        "READONLY", "FIXED", "STRING", "HIDETIME", "HINT:", "LENGTH:", "20", "c", "%", "\\", "\\u00e4", "\\x",
        ";", "//", "--", "...", " ", "\t", "ä", "\xC3", "\xFF", ",", "\0" };
    std::mt19937 rnd(17);
    std::vector<std::string> seeds;
    for (const Case& c : kCases)
        seeds.emplace_back(c.line);
    for (int round = 0; round < 5000; ++round) {
        std::vector<std::string> lines;
        const int n = 1 + static_cast<int>(rnd() % 4);
        for (int l = 0; l < n; ++l) {
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
            lines.push_back(s);
        }
        TQelVGColDefs spec;
        ASSERT_NO_THROW(spec = QelParseVGColDefs(lines));
        for (const TQelVGColumn& c : spec.Columns) {
            ASSERT_FALSE(c.Entry.empty());
            ASSERT_TRUE(c.Info);
            ASSERT_GE(c.Line, 1);
            ASSERT_LE(c.Line, n);
            ASSERT_LE(Utf8Length(c.Info->Length), 999u);
        }
        for (const TQelVGSpecIssue& i : spec.Issues)
            ASSERT_TRUE(i.Line >= 1 && i.Line <= n);
        ASSERT_NO_THROW(QelVGExpandEllipsis(spec, { "Ort", "PLZ" }));
    }
}
