#include "objdb/qelstrings.h"

#include "objdb/qeltext.h"

#include <cctype>
#include <cstdio>
#include <optional>

namespace {

bool is_blank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}
bool is_quote(char c)
{
    return c == '\'' || c == '"';
}

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The value of `digits` hex digits at `pos`, or -1.
long parse_hex(std::string_view s, std::size_t pos, int digits)
{
    if (pos + static_cast<std::size_t>(digits) > s.size())
        return -1;
    long v = 0;
    for (int i = 0; i < digits; ++i) {
        int h = hex_value(s[pos + static_cast<std::size_t>(i)]);
        if (h < 0)
            return -1;
        v = v * 16 + h;
    }
    return v;
}

bool is_scalar(long v)
{
    return v >= 0 && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF);
}

// A "\uXXXX" / "\UXXXXXXXX" escape at `pos` (which holds the backslash): its code point and length.
std::optional<std::pair<char32_t, std::size_t>> ext_escape_at(std::string_view s, std::size_t pos)
{
    if (pos + 1 >= s.size() || s[pos] != '\\')
        return std::nullopt;
    int digits = s[pos + 1] == 'u' ? 4 : (s[pos + 1] == 'U' ? 8 : 0);
    if (digits == 0)
        return std::nullopt;
    long v = parse_hex(s, pos + 2, digits);
    if (!is_scalar(v))
        return std::nullopt;
    return std::make_pair(static_cast<char32_t>(v), static_cast<std::size_t>(2 + digits));
}

// End (exclusive) of the quoted run opened at `pos`, or npos when the quote is not closed.
std::size_t quote_end(std::string_view s, std::size_t pos)
{
    std::size_t close = s.find(s[pos], pos + 1);
    return close == std::string_view::npos ? close : close + 1;
}

void append_hex_escape(std::string& out, char32_t c)
{
    char buf[16];
    if (c > 0xFFFF)
        std::snprintf(buf, sizeof buf, "\\U%08X", static_cast<unsigned>(c));
    else
        std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
    out += buf;
}

} // namespace

// --- Trimming ------------------------------------------------------------------------------------

std::string TrimLeft(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && is_blank(s[i]))
        ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s)
{
    std::size_t n = s.size();
    while (n > 0 && is_blank(s[n - 1]))
        --n;
    return std::string(s.substr(0, n));
}

std::string Trim(std::string_view s)
{
    return std::string(TrimView(s));
}

std::string_view TrimView(std::string_view s)
{
    std::size_t i = 0;
    std::size_t n = s.size();
    while (i < n && is_blank(s[i]))
        ++i;
    while (n > i && is_blank(s[n - 1]))
        --n;
    return s.substr(i, n - i);
}

// --- Splitting -----------------------------------------------------------------------------------

TQelStringList SplitString(std::string_view text, std::string_view delimiters)
{
    TQelStringList parts;
    if (text.empty())
        return parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = text.find_first_of(delimiters, start);
        parts.emplace_back(
            text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos)
            break;
        start = at + 1;
    }
    return parts;
}

TQelStringList make_sl(std::string_view text, std::string_view delimiters)
{
    TQelStringList parts;
    if (text.empty())
        return parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i];
        if (is_quote(c)) {
            std::size_t end = quote_end(text, i);
            i = end == std::string_view::npos ? i + 1 : end;
        } else if (delimiters.find(c) != std::string_view::npos) {
            parts.emplace_back(text.substr(start, i - start));
            start = ++i;
        } else {
            ++i;
        }
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

// --- Searching and unquoting ---------------------------------------------------------------------

int cpos(std::string_view text, char c, bool skipQuoted, bool fromEnd)
{
    int found = -1;
    for (std::size_t i = 0; i < text.size();) {
        char ch = text[i];
        if (skipQuoted && is_quote(ch) && ch != c) {
            std::size_t end = quote_end(text, i);
            if (end != std::string_view::npos) {
                i = end;
                continue;
            }
        }
        if (ch == c) {
            found = static_cast<int>(i);
            if (!fromEnd)
                return found;
        }
        ++i;
    }
    return found;
}

std::string extract_quoted_string(std::string_view text, int levels)
{
    std::string s = Trim(text);
    for (int level = 0; level < levels; ++level) {
        if (s.size() < 2 || !is_quote(s.front()))
            break;
        char q = s.front();
        std::string inner;
        std::size_t i = 1;
        bool closed = false;
        while (i < s.size()) {
            if (s[i] == q) {
                if (i + 1 < s.size() && s[i + 1] == q) { // doubled quote stands for one
                    inner += q;
                    i += 2;
                    continue;
                }
                closed = true;
                break;
            }
            inner += s[i++];
        }
        // Only a text that is one quoted run as a whole is unquoted.
        if (!closed || i + 1 != s.size())
            break;
        s = std::move(inner);
    }
    return s;
}

std::string dequote(std::string_view text)
{
    return extract_quoted_string(text, 1);
}

std::string unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        char e = text[i + 1];
        std::size_t used = 2;
        switch (e) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case '0':
            out += '\0';
            break;
        case '\\':
        case '\'':
        case '"':
        case '/':
            out += e;
            break;
        case 'x': {
            long v = parse_hex(text, i + 2, 2);
            if (v < 0) {
                used = 0;
                break;
            }
            Utf8Append(out, static_cast<char32_t>(v));
            used = 4;
            break;
        }
        case 'u':
        case 'U': {
            auto esc = ext_escape_at(text, i);
            if (!esc) {
                used = 0;
                break;
            }
            Utf8Append(out, esc->first);
            used = esc->second;
            break;
        }
        default:
            used = 0;
        }
        if (used == 0) {
            out += c; // not an escape: keep the backslash; the next character follows as usual
            continue;
        }
        i += used - 1;
    }
    return out;
}

std::string escape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\0':
            out += "\\0";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// --- Escaped wide strings ------------------------------------------------------------------------

bool IsExtString(std::string_view s)
{
    for (std::size_t pos = s.find('\\'); pos != std::string_view::npos; pos = s.find('\\', pos + 1))
        if (ext_escape_at(s, pos))
            return true;
    return false;
}

std::string Utf8ToExtString(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t at = pos;
        char32_t c = Utf8Next(text, pos);
        // A backslash is escaped only where it would read as an escape.
        if (CharToCp1252(c) < 0 || (c == '\\' && ext_escape_at(text, at)))
            append_hex_escape(out, c);
        else
            Utf8Append(out, c);
    }
    return out;
}

std::string ExtStringToUtf8(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        if (auto esc = ext_escape_at(s, i)) {
            Utf8Append(out, esc->first);
            i += esc->second;
        } else {
            out += s[i++];
        }
    }
    return out;
}

std::u16string ExtStringToWideString(std::string_view s)
{
    return Utf8ToU16(ExtStringToUtf8(s));
}

std::string WideStringToExtString(std::u16string_view wide)
{
    return Utf8ToExtString(U16ToUtf8(wide));
}

// --- Small conversions ---------------------------------------------------------------------------

std::string InsertDelimiters(std::string_view text)
{
    std::string t = Trim(text);
    if (t.empty() || t.find_first_not_of("0123456789") != std::string::npos)
        return std::string(text);
    auto part = [&t](std::size_t at, std::size_t n) { return t.substr(at, n); };
    switch (t.size()) {
    case 4:
        return part(0, 2) + "." + part(2, 2) + ".";
    case 6:
        return part(0, 2) + "." + part(2, 2) + "." + part(4, 2);
    case 8:
        return part(0, 2) + "." + part(2, 2) + "." + part(4, 4);
    case 12:
        return part(0, 2) + "." + part(2, 2) + "." + part(4, 4) + " " + part(8, 2) + ":" + part(10, 2);
    case 14:
        return part(0, 2) + "." + part(2, 2) + "." + part(4, 4) + " " + part(8, 2) + ":" + part(10, 2) + ":"
            + part(12, 2);
    default:
        return std::string(text);
    }
}

std::string ExchangeWrongFileChars(std::string_view name)
{
    std::string out(name);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < ' '
            || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    return out;
}

// --- printf-style formatting ---------------------------------------------------------------------

std::string FormatStrV(const char* format, std::va_list args)
{
    if (!format)
        return {};
    std::va_list copy;
    va_copy(copy, args);
    char small[256];
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0)
        return {};
    if (static_cast<std::size_t>(n) < sizeof small)
        return std::string(small, static_cast<std::size_t>(n));
    std::string out(static_cast<std::size_t>(n), '\0');
    std::vsnprintf(out.data(), out.size() + 1, format, args);
    return out;
}

std::string FormatStrC(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::string s = FormatStrV(format, args);
    va_end(args);
    return s;
}

std::string qel_format_detail::format_raw(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::string s = FormatStrV(format, args);
    va_end(args);
    return s;
}

std::string AsciiUpper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
