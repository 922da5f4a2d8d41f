#include "objdb/qelstrings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Strings, SplitStringKeepsEmptyParts)
{
    EXPECT_EQ(SplitString("0,1/0,2//A100", "/"), (TQelStringList { "0,1", "0,2", "", "A100" }));
    EXPECT_EQ(SplitString("abc", "/"), (TQelStringList { "abc" }));
    EXPECT_EQ(SplitString("a/", "/"), (TQelStringList { "a", "" }));
    EXPECT_TRUE(SplitString("", "/").empty());
}

TEST(Strings, MakeSlDoesNotSplitInsideQuotes)
{
    EXPECT_EQ(make_sl("10c/0;'a;b'/0;;20", ";"), (TQelStringList { "10c/0", "'a;b'/0", "", "20" }));
    EXPECT_EQ(make_sl(" Name , \"x,y\" ", ","), (TQelStringList { " Name ", " \"x,y\" " }));
    // An unclosed quote does not swallow the rest of the list.
    EXPECT_EQ(make_sl("O'Brien;Meier", ";"), (TQelStringList { "O'Brien", "Meier" }));
    EXPECT_TRUE(make_sl("", ";").empty());
}

TEST(Strings, CposSkipsQuotedRuns)
{
    std::string line = "Name AS \"A/B\"/READONLY";
    EXPECT_EQ(cpos(line, '/', true, false), 13);
    EXPECT_EQ(cpos(line, '/', false, false), 10);
    EXPECT_EQ(cpos("a/b/c", '/', true, true), 3);
    EXPECT_EQ(cpos("O'Brien/READONLY", '/', true, false), 7);
    EXPECT_EQ(cpos("'a@b'", '@', true, false), -1);
    EXPECT_EQ(cpos("@Name", '@', true, false), 0);
    EXPECT_EQ(cpos("x'y'z", '\'', true, false), 1);
}

TEST(Strings, ExtractQuotedStringUnquotesWholeRunsOnly)
{
    EXPECT_EQ(extract_quoted_string("  \"Der Name\"  ", 1), "Der Name");
    EXPECT_EQ(extract_quoted_string("'O''Brien'", 1), "O'Brien");
    EXPECT_EQ(extract_quoted_string("\"'x'\"", 1), "'x'");
    EXPECT_EQ(extract_quoted_string("\"'x'\"", 2), "x");
    EXPECT_EQ(extract_quoted_string(" Name ", 1), "Name");
    EXPECT_EQ(extract_quoted_string("'a' und 'b'", 1), "'a' und 'b'");
    EXPECT_EQ(extract_quoted_string("\"offen", 1), "\"offen");
    EXPECT_EQ(extract_quoted_string("''", 1), "");
    EXPECT_EQ(dequote("'Straße'"), "Straße");
}

TEST(Strings, UnescapeAndEscape)
{
    EXPECT_EQ(unescape("Zeile 1\\nZeile 2\\t\\\"x\\\""), "Zeile 1\nZeile 2\t\"x\"");
    EXPECT_EQ(unescape("\\u00e4\\x41\\U0001F600"), "äA😀");
    EXPECT_EQ(unescape("\\q \\u12 \\uD800 ende\\"), "\\q \\u12 \\uD800 ende\\");
    std::string raw = "C:\\neu\\\ttab\nzeile\\";
    EXPECT_EQ(unescape(escape(raw)), raw);
}

TEST(Strings, ExtStringsAreLosslessBothWays)
{
    EXPECT_EQ(Utf8ToExtString("Grüße €"), "Grüße €");
    EXPECT_FALSE(IsExtString("Grüße €"));
    EXPECT_EQ(Utf8ToExtString("Жук"), "\\u0416\\u0443\\u043A");
    EXPECT_EQ(Utf8ToExtString("😀"), "\\U0001F600");
    EXPECT_TRUE(IsExtString("\\u0416"));
    EXPECT_FALSE(IsExtString("C:\\temp\\uxyz"));
    for (std::string text :
        { "C:\\temp", "C:\\u0416 ist kein Escape", "\\", "a\\U0001F600b", "Жук und Käfer 😀" }) {
        std::string ext = Utf8ToExtString(text);
        EXPECT_EQ(ExtStringToUtf8(ext), text) << ext;
    }
    EXPECT_EQ(Utf8ToExtString("C:\\temp"), "C:\\temp"); // plain backslashes stay readable
    std::u16string wide = u"Жук 😀 Käfer";
    EXPECT_EQ(ExtStringToWideString(WideStringToExtString(wide)), wide);
}

TEST(Strings, SmallConversions)
{
    EXPECT_EQ(InsertDelimiters("01022024"), "01.02.2024");
    EXPECT_EQ(InsertDelimiters(" 0102 "), "01.02.");
    EXPECT_EQ(InsertDelimiters("010224"), "01.02.24");
    EXPECT_EQ(InsertDelimiters("01022024153045"), "01.02.2024 15:30:45");
    EXPECT_EQ(InsertDelimiters("01.02.2024"), "01.02.2024");
    EXPECT_EQ(InsertDelimiters("12345"), "12345");
    EXPECT_EQ(ExchangeWrongFileChars("Rechnung 1/2: \"Ä\"?"), "Rechnung 1_2_ _Ä__");
    EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
    EXPECT_EQ(TrimLeft("  x "), "x ");
    EXPECT_EQ(TrimRight("  x "), "  x");
}

TEST(Strings, FormatTakesStdStrings)
{
    std::string message = "Datei fehlt";
    std::string_view view = "Sicht";
    EXPECT_EQ(FormatStr("Exception in X::Reload(), nach CP %d: %s", 3, message),
        "Exception in X::Reload(), nach CP 3: Datei fehlt");
    EXPECT_EQ(FormatStr("%s/%s/%.2d:%.2d", view, "c", 1, 15), "Sicht/c/01:15");
    EXPECT_EQ(FormatStr("100%%"), "100%");
    std::string longText(1000, 'x');
    EXPECT_EQ(FormatStr("<%s>", longText), "<" + longText + ">");
}

} // namespace
