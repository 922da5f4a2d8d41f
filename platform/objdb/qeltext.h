#pragma once
// UTF-8 text utilities used throughout the library and the package.
//
// Text is UTF-8 in std::string. Lengths, positions and "characters" count Unicode code points, not
// bytes; a byte that does not start a valid sequence counts as one character of its own (decoded
// as U+FFFD), so no function here loses or reorders text because of bad input.
//
// Case mapping comes from the C library's C.UTF-8 locale (towupper_l/towlower_l), with the German
// rules on top: upper-casing turns "ß" into "SS", case folding maps "ß" and "ẞ" to "ss", so
// "Straße" and "STRASSE" compare equal.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// --- Decoding and encoding -----------------------------------------------------------------------

// Decodes the character at byte `pos` and advances `pos` past it; an invalid byte gives U+FFFD and
// advances by one. `pos` must be < s.size().
char32_t Utf8Next(std::string_view s, std::size_t& pos);
// Appends the UTF-8 form of `c` (surrogates and values above U+10FFFF are written as U+FFFD).
void Utf8Append(std::string& out, char32_t c);

std::u32string Utf8ToU32(std::string_view s);
std::string U32ToUtf8(std::u32string_view s);
// UTF-16 ("wide text" of the clipboard); lone surrogates become U+FFFD.
std::u16string Utf8ToU16(std::string_view s);
std::string U16ToUtf8(std::u16string_view s);

// --- Characters and positions --------------------------------------------------------------------

bool Utf8IsValid(std::string_view s);
// The text with every invalid byte replaced by U+FFFD.
std::string Utf8Sanitize(std::string_view s);
// Number of characters.
std::size_t Utf8Length(std::string_view s);
// Byte offset where character `charIndex` starts; s.size() when the text is shorter.
std::size_t Utf8Offset(std::string_view s, std::size_t charIndex);
// Number of characters that start before `byteOffset` (a caret position from a byte offset).
std::size_t Utf8CharIndex(std::string_view s, std::size_t byteOffset);
// `count` characters from character `charPos` (clipped to the text).
std::string Utf8Substr(std::string_view s, std::size_t charPos, std::size_t count = std::string_view::npos);

// Text for HTML mark-up and attributes of either quote: & < > " and ' as entities.
std::string HtmlEscape(std::string_view s);

// --- Case ----------------------------------------------------------------------------------------

char32_t CharUpper(char32_t c);
char32_t CharLower(char32_t c);
// Upper case; "ß" becomes "SS" as German spelling does.
std::string AnsiUpperCase(std::string_view s);
// Lower case; "ẞ" becomes "ß".
std::string AnsiLowerCase(std::string_view s);
// Case folding for comparisons: lower case, "ß" and "ẞ" become "ss".
std::string TextFold(std::string_view s);
// Case-insensitive comparison in German dictionary order (<0, 0, >0): letters with umlauts and
// accents sort with their base letter (Apfel, Äpfel, Birne), digits after punctuation, letters
// last; texts equal apart from accents order by their folded code points. 0 exactly when
// AnsiSameText is true.
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);
// Byte offset of the first case-insensitive occurrence of `needle` at or after byte `from` (npos
// when none). An empty needle is found at `from`.
std::size_t TextFindCI(std::string_view s, std::string_view needle, std::size_t from = 0);
bool TextStartsWithCI(std::string_view s, std::string_view prefix);
// How many characters of `s` make up `prefix` without regard to case ("ß" is one character of
// "ßen" for the prefix "ss"); npos when `s` does not start with it.
std::size_t TextPrefixLengthCI(std::string_view s, std::string_view prefix);

// --- Windows-1252 --------------------------------------------------------------------------------
// For algorithms defined on 8-bit character codes (collation keys, byte hashes).

// The Windows-1252 code of `c`, or -1 when the code page has no such character.
int CharToCp1252(char32_t c);
// The character of a Windows-1252 code; the five unassigned codes map to the C1 controls.
char32_t Cp1252ToChar(unsigned char code);
// One byte per character; characters outside the code page become '?' and clear `*lossless`.
std::string Utf8ToCp1252(std::string_view s, bool* lossless = nullptr);
std::string Cp1252ToUtf8(std::string_view bytes);

// --- Collation keys ------------------------------------------------------------------------------

// Collation value 0..63 of a Windows-1252 code: letters fold case and accents, digits follow the
// punctuation, control characters and some blanks count 0.
int CollationValue(unsigned char code);
// Key of the first 5 characters (after "ß" -> "SS"), 6 bits each, the first in the highest bits;
// a missing character counts 0. A character outside Windows-1252 sorts after every letter: it and
// all later places count 63. The key order thus never contradicts AnsiCompareText (texts with
// smaller keys compare smaller; equal keys decide nothing).
std::int32_t str2key(std::string_view text);
// The same for 10 characters into 60 bits.
std::int64_t str2key64(std::string_view text);
