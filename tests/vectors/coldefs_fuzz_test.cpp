// The column specifications of the reverse vector grid, the vector grid and the detail grid from
// mutated lines: text whose length changes with its case ("ß", "ɐ"), characters of three and four
// bytes, and bytes that are no UTF-8 at all never stop a parser, and what it takes out of a line
// is a piece of that line. Bounded and deterministic: the same lines on every run.
#include "vectors/qeldgfieldnames.h"
#include "vectors/qelrvgcoldefs.h"
#include "vectors/qelvgcoldefs.h"

#include "binding/objdb.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const char* const kSeeds[] = {
    "Name",
    "ɐɐɐɐ AS x",
    "ɐɐɐɐ as Überschrift/READONLY",
    "Straße AS Straße/HINT: Die Straße",
    "ß AS ß",
    "İstanbul AS Ort/LENGTH:20c",
    "ﬁrma AS ﬁ/COMBO NOREF",
    "Telefone[0].Nummer AS Telefon/READONLY LENGTH:110",
    "Name/OBJREF LENGTH:130",
    "Email AS E-Mail/LENGTH:190",
    "😀 AS 😀😀/HINT:😀",
    "Ort AS \xC3",
    "\xFF\xFE AS \xE2\x82/HINT:\xC3\xA4\xC3",
    "Name AS 'Der \"Name\"'/STRING CUSTOM",
    "* Allgemein AS 'Allgemeine Angaben'",
    "FIELDPATH Adressen[0]",
    "FİELDPATH x",
    "Ort AS 'Ort (erste Adresse)' READONLY",
    "Bewertung/COMBOLIST(A,B,ɐ) AS Bewertung",
    "...",
};

const char* const kPieces[] = { "ɐ", "ß", "ẞ", "İ", "ı", "ﬁ", "Ω", "😀", "€", "ä", "\xC3", "\xFF", "\xE2\x82",
    "\xF0\x9F", "\xC0\x80", " AS ", " as ", " aS ", "/", "HINT:", "LENGTH:", "READONLY", "'", "\"", "(", ")",
    "@", "*", "FIELDPATH ", " ", "\t", "\\", "\\u0250", ";", "//", "...", "\0" };

std::string mutate(std::mt19937& rnd, std::string s)
{
    for (int m = 0, k = 1 + static_cast<int>(rnd() % 4); m < k; ++m) {
        const std::size_t at = s.empty() ? 0 : rnd() % (s.size() + 1);
        switch (rnd() % 3) {
        case 0: // a byte or three go, possibly in the middle of a character
            if (!s.empty() && at < s.size())
                s.erase(at, 1 + rnd() % 3);
            break;
        case 1:
            s.insert(at, kPieces[rnd() % std::size(kPieces)]);
            break;
        default: // a piece of the line again, somewhere else
            if (!s.empty()) {
                const std::size_t from = rnd() % s.size();
                s.insert(at, s.substr(from, 1 + rnd() % 6));
            }
            break;
        }
    }
    return s;
}

std::vector<std::string> randomLines(std::mt19937& rnd)
{
    std::vector<std::string> lines;
    for (int n = static_cast<int>(rnd() % 4); n >= 0; --n) {
        const std::string seed = kSeeds[rnd() % std::size(kSeeds)];
        lines.push_back(rnd() % 5 == 0 ? seed : mutate(rnd, seed));
    }
    return lines;
}

bool contains(const std::string& line, const std::string& piece)
{
    return line.find(piece) != std::string::npos;
}

TEST(ColDefsFuzz, ReverseGridLinesSplitInsideTheLine)
{
    std::mt19937 rnd(20260312);
    for (int round = 0; round < 4000; ++round) {
        const std::vector<std::string> lines = randomLines(rnd);
        TQelRVGColDefs spec;
        ASSERT_NO_THROW(spec = QelParseRVGColDefs(lines)) << ::testing::PrintToString(lines);
        ASSERT_EQ(spec.Columns.size(), lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const TQelRVGColumn& c = spec.Columns[i];
            if (!c.Info)
                continue;
            SCOPED_TRACE(lines[i]);
            ASSERT_EQ(c.Entry, c.Info->Name);
            ASSERT_TRUE(contains(lines[i], c.Info->Name));
            ASSERT_TRUE(contains(lines[i], c.Info->Caption));
            if (Utf8IsValid(lines[i])) {
                ASSERT_TRUE(Utf8IsValid(c.Info->Name));
                ASSERT_TRUE(Utf8IsValid(c.Info->Caption));
                ASSERT_TRUE(Utf8IsValid(c.Info->Hint));
            }
        }
        ASSERT_NO_THROW(QelRVGExpandEllipsis(spec, { "Name", "ɐɐ", "Straße" }));
    }
}

TEST(ColDefsFuzz, VectorGridLinesStayInsideTheLine)
{
    std::mt19937 rnd(13032026);
    for (int round = 0; round < 4000; ++round) {
        const std::vector<std::string> lines = randomLines(rnd);
        TQelVGColDefs spec;
        ASSERT_NO_THROW(spec = QelParseVGColDefs(lines)) << ::testing::PrintToString(lines);
        for (const TQelVGColumn& c : spec.Columns) {
            ASSERT_GE(c.Line, 1);
            ASSERT_LE(c.Line, static_cast<int>(lines.size()));
            const std::string& line = lines[static_cast<std::size_t>(c.Line - 1)];
            SCOPED_TRACE(line);
            ASSERT_TRUE(c.Info);
            ASSERT_FALSE(c.Entry.empty());
            ASSERT_LE(c.Entry.size(), line.size());
            if (Utf8IsValid(line)) {
                ASSERT_TRUE(Utf8IsValid(c.Entry));
                ASSERT_TRUE(Utf8IsValid(c.Info->Caption));
                ASSERT_TRUE(Utf8IsValid(c.Info->PropName));
            }
        }
        ASSERT_NO_THROW(QelVGExpandEllipsis(spec, { "Ort", "ɐɐ" }));
    }
}

TEST(ColDefsFuzz, DetailGridLinesStayInsideTheLine)
{
    std::mt19937 rnd(312);
    for (int round = 0; round < 4000; ++round) {
        const std::vector<std::string> lines = randomLines(rnd);
        std::vector<TQelDGLine> rows;
        ASSERT_NO_THROW(rows = QelParseDGFieldNames(lines)) << ::testing::PrintToString(lines);
        for (const TQelDGLine& l : rows) {
            ASSERT_GE(l.Line, 0);
            ASSERT_LT(l.Line, static_cast<int>(lines.size()));
            const std::string& line = lines[static_cast<std::size_t>(l.Line)];
            SCOPED_TRACE(line);
            ASSERT_LE(l.Name.size() + l.Caption.size(), line.size());
            ASSERT_LE(l.Params.size(), l.Name.size());
            if (Utf8IsValid(line)) {
                ASSERT_TRUE(Utf8IsValid(l.Name));
                ASSERT_TRUE(Utf8IsValid(l.Caption));
                ASSERT_TRUE(Utf8IsValid(l.Params));
            }
        }
    }
}

} // namespace
