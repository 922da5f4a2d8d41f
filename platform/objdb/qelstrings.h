#pragma once
// String helpers of the library: splitting, quote-aware search, unquoting, escapes, the escaped
// wide-string form and printf-style formatting. Positions returned here are byte offsets into the
// UTF-8 text (every character searched for is ASCII, so an offset never splits a character).

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

using TQelStringList = std::vector<std::string>;

// --- Trimming ------------------------------------------------------------------------------------
// Removes leading/trailing blanks and control characters (bytes up to ' ').
std::string Trim(std::string_view s);
// The same without a copy: a view into `s`.
std::string_view TrimView(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// ASCII letters in upper case, other bytes as they are (SQL keywords, identifiers).
std::string AsciiUpper(std::string s);

// --- Splitting -----------------------------------------------------------------------------------

// Splits at every occurrence of any character of `delimiters`; empty parts are kept ("a//b" gives
// three parts), an empty text gives an empty list. Used for position strings ("0.1/0.2/...").
TQelStringList SplitString(std::string_view text, std::string_view delimiters);

// Splits at the characters of `delimiters` that stand outside quoted runs ('...' or "..."), so a
// quoted sample text may itself hold a delimiter. Parts are kept verbatim (quotes and blanks
// included); an empty text gives an empty list. Used for column settings and name lists.
TQelStringList make_sl(std::string_view text, std::string_view delimiters = ",");

// --- Searching and unquoting ---------------------------------------------------------------------

// Byte offset of the first (or, with `fromEnd`, the last) `c` in `text`, -1 when there is none.
// With `skipQuoted` an occurrence inside a quoted run ('...' or "...") does not count; a quote
// without a closing partner (the apostrophe in O'Brien) is an ordinary character.
int cpos(std::string_view text, char c, bool skipQuoted, bool fromEnd);

// Trims `text` and, when it is one quoted run ('...' or "...") as a whole, removes the quotes and
// turns a doubled quote inside into one; repeated for up to `levels` nested levels. Any other text
// comes back trimmed and otherwise unchanged (nothing is dropped).
std::string extract_quoted_string(std::string_view text, int levels);
// One level of extract_quoted_string.
std::string dequote(std::string_view text);

// Resolves backslash escapes: \n \r \t \\ \' \" \/ \0, \xHH (Latin-1 character), \uXXXX and
// \UXXXXXXXX (code points). An unknown or malformed escape stays as written.
std::string unescape(std::string_view text);
// The reverse for line breaks, tabs and backslashes, so that unescape(escape(s)) == s.
std::string escape(std::string_view text);

// --- Escaped wide strings ------------------------------------------------------------------------
// Text that must fit the Windows-1252 ("ANSI") code page carries every other character as
// "\uXXXX" (or "\UXXXXXXXX" above U+FFFF). A backslash that would read as such an escape is itself
// written as "\u005C", so the conversion is lossless both ways.

// True when `s` holds at least one escape of this form.
bool IsExtString(std::string_view s);
// UTF-8 text -> escaped form (only Windows-1252 characters stay literal).
std::string Utf8ToExtString(std::string_view text);
// Escaped form -> UTF-8 text.
std::string ExtStringToUtf8(std::string_view s);
// The same with UTF-16 wide text (the clipboard's Unicode format).
std::u16string ExtStringToWideString(std::string_view s);
std::string WideStringToExtString(std::u16string_view wide);

// --- Small conversions ---------------------------------------------------------------------------

// Digits-only date text with its delimiters inserted: "ddmm" -> "dd.mm.", "ddmmyy" -> "dd.mm.yy",
// "ddmmyyyy" -> "dd.mm.yyyy", "ddmmyyyyhhmm[ss]" -> "dd.mm.yyyy hh:mm[:ss]" (after trimming);
// any other text is returned unchanged.
std::string InsertDelimiters(std::string_view text);
// Replaces the characters that file names may not contain (\ / : * ? " < > | and control
// characters) with '_'.
std::string ExchangeWrongFileChars(std::string_view name);

// --- printf-style formatting ---------------------------------------------------------------------

std::string FormatStrV(const char* format, std::va_list args);
std::string FormatStrC(const char* format, ...) __attribute__((format(printf, 1, 2)));

namespace qel_format_detail {
std::string format_raw(const char* format, ...); // FormatStrC without the compile-time check

// Strings are held as std::string for the call and passed as const char*; enums as their value.
template <class T> decltype(auto) hold(const T& v)
{
    if constexpr (std::is_convertible_v<const T&, std::string_view> && !std::is_same_v<T, std::nullptr_t>)
        return std::string(std::string_view(v));
    else if constexpr (std::is_enum_v<T>)
        return static_cast<std::underlying_type_t<T>>(v);
    else
        return v;
}
template <class T> auto pass(const T& v)
{
    if constexpr (std::is_same_v<T, std::string>)
        return v.c_str();
    else
        return v;
}
} // namespace qel_format_detail

// printf-style formatting that also takes std::string and std::string_view for %s:
// FormatStr("nach CP %d: %s", cp, message).
template <class... Args> std::string FormatStr(const char* format, const Args&... args)
{
    auto held = std::make_tuple(qel_format_detail::hold(args)...);
    return std::apply(
        [format](const auto&... h) {
            return qel_format_detail::format_raw(format, qel_format_detail::pass(h)...);
        },
        held);
}
