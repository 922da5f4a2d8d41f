#include "objdb/qeltext.h"

#include <algorithm>
#include <array>
#include <clocale>
#include <cwctype>
#include <locale.h>
#include <vector>
#include <wctype.h>

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kSharpS = 0x00DF;
constexpr char32_t kCapitalSharpS = 0x1E9E;

// The C.UTF-8 locale for case mapping; created once, never freed (lives as long as the process).
locale_t ctype_locale()
{
    static const locale_t loc = [] {
        for (const char* name : { "C.UTF-8", "C.utf8", "en_US.UTF-8" })
            if (locale_t l = newlocale(LC_CTYPE_MASK, name, locale_t(0)))
                return l;
        return locale_t(0);
    }();
    return loc;
}

bool is_cont(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Windows-1252 codes 0x80..0x9F; the unassigned ones map to the C1 control of the same value.
constexpr std::array<char32_t, 32> kCp1252High = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020,
    0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C,
    0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };

// Collation values of the Windows-1252 codes (see CollationValue).
constexpr std::array<std::uint8_t, 256> make_collation()
{
    std::array<std::uint8_t, 256> t {};
    auto set = [&t](std::initializer_list<int> codes, int value) {
        for (int c : codes)
            t[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(value);
    };
    auto range = [&t](int from, int to, int value) {
        for (int c = from; c <= to; ++c)
            t[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(value);
    };
    // 0 is the default: 00-08, 0A-1F, 7F, 81, 9D, 9E, A0, AC, AD.
    set({ 0x27, 0x60, 0x82 }, 1);
    set({ 0x2D, 0xAF }, 2);
    set({ 0x09, 0x20, 0xB6 }, 3);
    set({ 0x21, 0xA1, 0xBB }, 4);
    set({ 0x22, 0x84, 0x93, 0xAB }, 5);
    set({ 0x23, 0x86, 0x87 }, 6);
    set({ 0x24, 0xA2, 0xA3, 0xA4, 0xA5 }, 7);
    set({ 0x25, 0x89, 0xF7 }, 8);
    set({ 0x26 }, 9);
    set({ 0x28, 0x29 }, 10);
    set({ 0x2A }, 11);
    set({ 0x2C, 0x92, 0xB4 }, 12);
    set({ 0x2E, 0x85, 0x91, 0xA8, 0xB7, 0xB8 }, 13);
    set({ 0x2F }, 14);
    set({ 0x3A }, 15);
    set({ 0x3B }, 16);
    set({ 0x3F, 0xBF }, 17);
    set({ 0x40, 0x99, 0xA9, 0xAA, 0xAE }, 18);
    set({ 0x5B, 0x5C, 0x5D }, 19);
    set({ 0x5E, 0x5F, 0x88, 0x8D, 0x8E, 0x8F, 0x90, 0x95, 0x96, 0x97, 0xB0 }, 20);
    set({ 0x7B, 0x7C, 0x7D, 0xA6 }, 21);
    set({ 0x7E, 0x94, 0x98 }, 22);
    set({ 0x2B, 0xB1, 0xBC, 0xBD, 0xBE }, 23);
    set({ 0x3D }, 24);
    set({ 0x3C, 0x3E, 0x8B, 0x9B }, 25);
    set({ 0xA7 }, 26);
    set({ 0x80 }, 27);
    set({ 0x30, 0xBA }, 28);
    set({ 0x31, 0xB9 }, 29);
    set({ 0x32, 0xB2 }, 30);
    set({ 0x33, 0xB3 }, 31);
    for (int d = 4; d <= 9; ++d)
        set({ 0x30 + d }, 28 + d);
    set({ 0x41, 0x61 }, 38);
    range(0xC0, 0xC6, 38);
    range(0xE0, 0xE6, 38);
    set({ 0x42, 0x62 }, 39);
    set({ 0x43, 0x63, 0xC7, 0xE7 }, 40);
    set({ 0x44, 0x64, 0xD0, 0xF0 }, 41);
    set({ 0x45, 0x65 }, 42);
    range(0xC8, 0xCB, 42);
    range(0xE8, 0xEB, 42);
    set({ 0x46, 0x66, 0x83 }, 43);
    set({ 0x47, 0x67 }, 44);
    set({ 0x48, 0x68 }, 45);
    set({ 0x49, 0x69 }, 46);
    range(0xCC, 0xCF, 46);
    range(0xEC, 0xEF, 46);
    set({ 0x4A, 0x6A }, 47);
    set({ 0x4B, 0x6B }, 48);
    set({ 0x4C, 0x6C }, 49);
    set({ 0x4D, 0x6D, 0xB5 }, 50);
    set({ 0x4E, 0x6E, 0xD1, 0xF1 }, 51);
    set({ 0x4F, 0x6F, 0x8C, 0x9C, 0xD8, 0xF8 }, 52);
    range(0xD2, 0xD6, 52);
    range(0xF2, 0xF6, 52);
    set({ 0x50, 0x70 }, 53);
    set({ 0x51, 0x71 }, 54);
    set({ 0x52, 0x72 }, 55);
    set({ 0x53, 0x73, 0x8A, 0x9A, 0xDF }, 56);
    set({ 0x54, 0x74 }, 57);
    set({ 0x55, 0x75 }, 58);
    range(0xD9, 0xDC, 58);
    range(0xF9, 0xFC, 58);
    set({ 0x56, 0x76 }, 59);
    set({ 0x57, 0x77 }, 60);
    set({ 0x58, 0x78, 0xD7 }, 61);
    set({ 0x59, 0x79, 0x9F, 0xDD, 0xDE, 0xFD, 0xFE, 0xFF }, 62);
    set({ 0x5A, 0x7A }, 63);
    return t;
}
constexpr std::array<std::uint8_t, 256> kCollation = make_collation();

// Appends the folded form of `c` (one or two code points).
void fold_into(std::u32string& out, char32_t c)
{
    if (c == kSharpS || c == kCapitalSharpS) {
        out += U"ss";
        return;
    }
    out += CharLower(c);
}

std::u32string fold32(std::string_view s)
{
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();)
        fold_into(out, Utf8Next(s, pos));
    return out;
}

// Primary collation weight of a folded character: the table for Windows-1252 characters, after all
// of them for any other character.
std::uint32_t weight(char32_t c)
{
    int code = CharToCp1252(c);
    return code >= 0 ? kCollation[static_cast<std::size_t>(code)] : 64u + static_cast<std::uint32_t>(c);
}

template <int N> std::int64_t pack_key(std::string_view text)
{
    std::int64_t key = 0;
    int n = 0;
    for (std::size_t pos = 0; pos < text.size() && n < N;) {
        char32_t c = Utf8Next(text, pos);
        if (c == kSharpS || c == kCapitalSharpS) {
            key = (key << 6) | kCollation['S'];
            if (++n < N)
                key = (key << 6) | kCollation['S'];
            else
                break;
        } else {
            int code = CharToCp1252(c);
            if (code < 0) {
                // Sorts after every letter: saturate the rest, so that no text that compares
                // greater can get a smaller key.
                for (; n < N; ++n)
                    key = (key << 6) | 63;
                return key;
            }
            key = (key << 6) | kCollation[static_cast<std::size_t>(code)];
        }
        ++n;
    }
    for (; n < N; ++n)
        key <<= 6;
    return key;
}

} // namespace

// --- Decoding and encoding -----------------------------------------------------------------------

char32_t Utf8Next(std::string_view s, std::size_t& pos)
{
    auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    int len = 0;
    char32_t c = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, c = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, c = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, c = b0 & 0x07, min = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + static_cast<std::size_t>(len) > s.size()) {
        ++pos;
        return kReplacement;
    }
    for (int i = 1; i < len; ++i) {
        auto b = static_cast<unsigned char>(s[pos + static_cast<std::size_t>(i)]);
        if (!is_cont(b)) {
            ++pos;
            return kReplacement;
        }
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += static_cast<std::size_t>(len);
    return c;
}

void Utf8Append(std::string& out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::u32string Utf8ToU32(std::string_view s)
{
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();)
        out += Utf8Next(s, pos);
    return out;
}

std::string U32ToUtf8(std::u32string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (char32_t c : s)
        Utf8Append(out, c);
    return out;
}

std::u16string Utf8ToU16(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();) {
        char32_t c = Utf8Next(s, pos);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string U16ToUtf8(std::u16string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        Utf8Append(out, c); // a lone surrogate becomes U+FFFD
    }
    return out;
}

// --- Characters and positions --------------------------------------------------------------------

bool Utf8IsValid(std::string_view s)
{
    for (std::size_t pos = 0; pos < s.size();) {
        std::size_t before = pos;
        char32_t c = Utf8Next(s, pos);
        // U+FFFD written literally takes 3 bytes; a replacement for a bad byte takes one.
        if (c == kReplacement && pos - before == 1)
            return false;
    }
    return true;
}

std::string Utf8Sanitize(std::string_view s)
{
    if (Utf8IsValid(s))
        return std::string(s);
    std::string out;
    out.reserve(s.size() + 8);
    for (std::size_t pos = 0; pos < s.size();)
        Utf8Append(out, Utf8Next(s, pos));
    return out;
}

std::size_t Utf8Length(std::string_view s)
{
    std::size_t n = 0;
    for (std::size_t pos = 0; pos < s.size(); ++n)
        Utf8Next(s, pos);
    return n;
}

std::size_t Utf8Offset(std::string_view s, std::size_t charIndex)
{
    std::size_t pos = 0;
    for (std::size_t i = 0; i < charIndex && pos < s.size(); ++i)
        Utf8Next(s, pos);
    return pos;
}

std::size_t Utf8CharIndex(std::string_view s, std::size_t byteOffset)
{
    std::size_t n = 0;
    for (std::size_t pos = 0; pos < s.size() && pos < byteOffset; ++n)
        Utf8Next(s, pos);
    return n;
}

std::string Utf8Substr(std::string_view s, std::size_t charPos, std::size_t count)
{
    std::size_t from = Utf8Offset(s, charPos);
    std::string_view rest = s.substr(from);
    if (count == std::string_view::npos)
        return std::string(rest);
    return std::string(rest.substr(0, Utf8Offset(rest, count)));
}

// --- Case ----------------------------------------------------------------------------------------

char32_t CharUpper(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - 32 : c;
    locale_t loc = ctype_locale();
    return loc ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), loc)) : c;
}

char32_t CharLower(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if (c == kCapitalSharpS)
        return kSharpS;
    locale_t loc = ctype_locale();
    return loc ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), loc)) : c;
}

std::string AnsiUpperCase(std::string_view s)
{
    std::string out;
    out.reserve(s.size() + 2);
    for (std::size_t pos = 0; pos < s.size();) {
        char32_t c = Utf8Next(s, pos);
        if (c == kSharpS)
            out += "SS";
        else
            Utf8Append(out, CharUpper(c));
    }
    return out;
}

std::string AnsiLowerCase(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();)
        Utf8Append(out, CharLower(Utf8Next(s, pos)));
    return out;
}

std::string TextFold(std::string_view s)
{
    return U32ToUtf8(fold32(s));
}

namespace {
bool is_ascii(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}
char ascii_lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// AnsiCompareText for two ASCII texts, without allocating.
int compare_ascii(std::string_view a, std::string_view b)
{
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int wa = kCollation[static_cast<unsigned char>(ascii_lower(a[i]))];
        int wb = kCollation[static_cast<unsigned char>(ascii_lower(b[i]))];
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = 0; i < n; ++i) {
        char la = ascii_lower(a[i]);
        char lb = ascii_lower(b[i]);
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    return 0;
}
} // namespace

int AnsiCompareText(std::string_view a, std::string_view b)
{
    if (is_ascii(a) && is_ascii(b))
        return compare_ascii(a, b);
    std::u32string fa = fold32(a);
    std::u32string fb = fold32(b);
    std::size_t n = std::min(fa.size(), fb.size());
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t wa = weight(fa[i]);
        std::uint32_t wb = weight(fb[i]);
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    if (fa.size() != fb.size())
        return fa.size() < fb.size() ? -1 : 1;
    int c = fa.compare(fb);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool AnsiSameText(std::string_view a, std::string_view b)
{
    if (is_ascii(a) && is_ascii(b))
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
            return ascii_lower(x) == ascii_lower(y);
        });
    return fold32(a) == fold32(b);
}

std::size_t TextFindCI(std::string_view s, std::string_view needle, std::size_t from)
{
    if (from > s.size())
        return std::string_view::npos;
    if (needle.empty())
        return from;
    std::u32string fn = fold32(needle);
    // Fold the text and remember, per folded code point, the byte offset of its character and
    // whether it is the first code point of that character's folding.
    std::u32string ft;
    std::vector<std::size_t> offset;
    std::vector<bool> starts;
    ft.reserve(s.size() - from);
    for (std::size_t pos = from; pos < s.size();) {
        std::size_t at = pos;
        std::size_t before = ft.size();
        fold_into(ft, Utf8Next(s, pos));
        for (std::size_t k = before; k < ft.size(); ++k) {
            offset.push_back(at);
            starts.push_back(k == before);
        }
    }
    offset.push_back(s.size());
    starts.push_back(true);
    for (std::size_t i = 0; i + fn.size() <= ft.size(); ++i) {
        // A match begins and ends on character boundaries ("ss" of "ß" is not split).
        if (starts[i] && starts[i + fn.size()] && ft.compare(i, fn.size(), fn) == 0)
            return offset[i];
    }
    return std::string_view::npos;
}

bool TextStartsWithCI(std::string_view s, std::string_view prefix)
{
    return TextPrefixLengthCI(s, prefix) != std::string_view::npos;
}

std::size_t TextPrefixLengthCI(std::string_view s, std::string_view prefix)
{
    const std::u32string fp = fold32(prefix);
    std::u32string ft;
    std::size_t chars = 0;
    for (std::size_t pos = 0; ft.size() < fp.size() && pos < s.size(); ++chars)
        fold_into(ft, Utf8Next(s, pos));
    // Longer means the prefix ends inside a character's folding.
    return ft == fp ? chars : std::string_view::npos;
}

// --- Windows-1252 --------------------------------------------------------------------------------

int CharToCp1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] == c)
            return static_cast<int>(0x80 + i);
    return -1;
}

char32_t Cp1252ToChar(unsigned char code)
{
    return code >= 0x80 && code < 0xA0 ? kCp1252High[code - 0x80u] : code;
}

std::string Utf8ToCp1252(std::string_view s, bool* lossless)
{
    if (lossless)
        *lossless = true;
    std::string out;
    out.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();) {
        int code = CharToCp1252(Utf8Next(s, pos));
        if (code < 0) {
            code = '?';
            if (lossless)
                *lossless = false;
        }
        out += static_cast<char>(code);
    }
    return out;
}

std::string Cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char b : bytes)
        Utf8Append(out, Cp1252ToChar(static_cast<unsigned char>(b)));
    return out;
}

// --- Collation keys ------------------------------------------------------------------------------

int CollationValue(unsigned char code)
{
    return kCollation[code];
}

std::int32_t str2key(std::string_view text)
{
    return static_cast<std::int32_t>(pack_key<5>(text));
}

std::int64_t str2key64(std::string_view text)
{
    return pack_key<10>(text);
}

std::string HtmlEscape(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}
