#include "objdb/qeltext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

int sign(int v)
{
    return (v > 0) - (v < 0);
}

TEST(Text, LengthsAndPositionsCountCharacters)
{
    EXPECT_EQ(Utf8Length("ÄÖÜäöüßabc"), 10u);
    EXPECT_EQ(Utf8Length("€😀x"), 3u);
    EXPECT_EQ(Utf8Substr("Grüße aus Köln", 2, 3), "üße");
    EXPECT_EQ(Utf8Substr("Köln", 3), "n");
    EXPECT_EQ(Utf8Substr("Köln", 9, 2), "");
    EXPECT_EQ(Utf8Offset("Köln", 2), 3u);
    EXPECT_EQ(Utf8Offset("Köln", 99), 5u);
    EXPECT_EQ(Utf8CharIndex("Köln", 3), 2u);
    // A broken sequence counts one character per stray byte and is kept, not dropped.
    std::string broken = "a\xC3z\xE2\x82";
    EXPECT_EQ(Utf8Length(broken), 5u);
    EXPECT_EQ(Utf8Substr(broken, 1, 1), "\xC3");
}

TEST(Text, ValidityAndRoundTrips)
{
    EXPECT_TRUE(Utf8IsValid("Grüße \xEF\xBF\xBD")); // U+FFFD written literally is valid
    for (const char* bad : { "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF" })
        EXPECT_FALSE(Utf8IsValid(bad)) << bad;
    EXPECT_EQ(Utf8Sanitize("a\xFF"
                           "b"),
        "a\xEF\xBF\xBD"
        "b");
    std::string text = "Grüße, Жук, 😀";
    EXPECT_EQ(U16ToUtf8(Utf8ToU16(text)), text);
    EXPECT_EQ(Utf8ToU16("😀").size(), 2u);
    EXPECT_EQ(U32ToUtf8(Utf8ToU32(text)), text);
    EXPECT_EQ(U16ToUtf8(std::u16string { u'a', char16_t(0xD800), u'b' }),
        "a\xEF\xBF\xBD"
        "b");
}

TEST(Text, GermanCaseMapping)
{
    EXPECT_EQ(AnsiUpperCase("Straße äöü"), "STRASSE ÄÖÜ");
    EXPECT_EQ(AnsiLowerCase("ÄÖÜ STRAẞE"), "äöü straße");
    EXPECT_EQ(AnsiUpperCase("жук éàç"), "ЖУК ÉÀÇ");
    EXPECT_EQ(TextFold("Straße STRAẞE"), "strasse strasse");
    EXPECT_TRUE(AnsiSameText("Straße", "STRASSE"));
    EXPECT_TRUE(AnsiSameText("Müller", "MÜLLER"));
    EXPECT_FALSE(AnsiSameText("Müller", "Muller"));
}

TEST(Text, CompareSortsLikeAGermanDictionary)
{
    std::vector<std::string> words
        = { "Zebra", "äpfel", "Birne", "Apfel", "10", "Äpfel", "-x", "Жук", "apfelbaum" };
    std::stable_sort(words.begin(), words.end(),
        [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
    EXPECT_EQ(words,
        (std::vector<std::string> {
            "-x", "10", "Apfel", "äpfel", "Äpfel", "apfelbaum", "Birne", "Zebra", "Жук" }));
    EXPECT_EQ(AnsiCompareText("abc", "ABC"), 0);
    EXPECT_EQ(AnsiCompareText("Straße", "STRASSE"), 0);
    EXPECT_LT(AnsiCompareText("a", "ab"), 0);
}

TEST(Text, CompareIsAConsistentOrderAndMatchesSameText)
{
    std::vector<std::string> samples = { "", "a", "A", "ä", "Ä", "ab", "ß", "ss", "SS", "st", "Zak", "Zж",
        "жa", "zz", "1", "!", " ", "\xC2\xA0", "Œuvre", "oeuvre", "ж", "Ж", "€", "e", "é", "É" };
    for (const auto& a : samples) {
        for (const auto& b : samples) {
            int ab = AnsiCompareText(a, b);
            EXPECT_EQ(sign(ab), -sign(AnsiCompareText(b, a))) << a << " / " << b;
            EXPECT_EQ(ab == 0, AnsiSameText(a, b)) << a << " / " << b;
            // The collation key only coarsens the order.
            if (str2key(a) < str2key(b)) {
                EXPECT_LT(ab, 0) << a << " / " << b;
            }
        }
    }
}

TEST(Text, AsciiShortcutAgreesWithTheGeneralComparison)
{
    // Prefixing the same non-ASCII character keeps the order but takes the general path.
    std::vector<std::string> samples = { "", "a", "A", "ab", "aB", "b", "1", "-", "_", " ", "Zz", "zZa" };
    for (const auto& a : samples) {
        for (const auto& b : samples) {
            EXPECT_EQ(sign(AnsiCompareText(a, b)), sign(AnsiCompareText("é" + a, "é" + b)))
                << a << " / " << b;
            EXPECT_EQ(AnsiSameText(a, b), AnsiSameText("é" + a, "é" + b)) << a << " / " << b;
        }
    }
}

TEST(Text, CaseInsensitiveSearch)
{
    EXPECT_EQ(TextFindCI("Name as 'Der Name'", " AS "), 4u);
    EXPECT_EQ(TextFindCI("Hauptstraße 5", "STRASSE"), 5u);
    EXPECT_EQ(TextFindCI("GROSS", "ß"), 3u);
    EXPECT_EQ(TextFindCI("Maß", "s"), std::string::npos); // "ß" is not split
    EXPECT_EQ(TextFindCI("ÄÄ", "ä", 1), 2u);
    EXPECT_EQ(TextFindCI("abc", "", 2), 2u);
    EXPECT_TRUE(TextStartsWithCI("Ärger", "äR"));
    EXPECT_TRUE(TextStartsWithCI("Straße", "STRASS"));
    EXPECT_FALSE(TextStartsWithCI("Straße", "STRAS"));
    EXPECT_FALSE(TextStartsWithCI("St", "Straße"));
    // Characters, not bytes, and the folding of one character may stand for several typed ones.
    EXPECT_EQ(TextPrefixLengthCI("ßen AG", "ss"), 1u);
    EXPECT_EQ(TextPrefixLengthCI("Ärger", "äR"), 2u);
    EXPECT_EQ(TextPrefixLengthCI("名前です", "名前"), 2u);
    EXPECT_EQ(TextPrefixLengthCI("Maß", ""), 0u);
    EXPECT_EQ(TextPrefixLengthCI("Maß", "mas"), std::string::npos);
}

TEST(Text, Windows1252Mapping)
{
    bool lossless = false;
    EXPECT_EQ(Utf8ToCp1252("€Ä ß", &lossless), "\x80\xC4 \xDF");
    EXPECT_TRUE(lossless);
    EXPECT_EQ(Utf8ToCp1252("Жx", &lossless), "?x");
    EXPECT_FALSE(lossless);
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all), &lossless), all);
    EXPECT_TRUE(lossless);
    EXPECT_EQ(Cp1252ToUtf8("\x9C"), "œ");
}

TEST(Text, CollationKeys)
{
    EXPECT_EQ(CollationValue('0'), 28);
    EXPECT_EQ(CollationValue('9'), 37);
    EXPECT_EQ(CollationValue(0xDF), 56);
    EXPECT_EQ(CollationValue(0xA0), 0);
    EXPECT_EQ(str2key(""), 0);
    EXPECT_EQ(str2key("a"), 38 << 24);
    EXPECT_EQ(str2key("abcde"), (38 << 24) | (39 << 18) | (40 << 12) | (41 << 6) | 42);
    EXPECT_EQ(str2key("abcdefgh"), str2key("ABCDE"));
    EXPECT_EQ(str2key("Äpfel"), str2key("Apfel"));
    EXPECT_EQ(str2key("Straße"), str2key("STRASSE"));
    EXPECT_EQ(str2key("Maß"), str2key("MASS"));
    EXPECT_LT(str2key("Apfel"), str2key("Birne"));
    EXPECT_LT(str2key("Zebra"), str2key("Жук"));
    EXPECT_EQ(str2key64("abcdefghij") >> 30, str2key("abcde"));
    EXPECT_EQ(str2key64("abcdefghij") & 0x3FFFFFFF, str2key("fghij"));
}

} // namespace
