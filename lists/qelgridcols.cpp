#include "lists/qelgridcols.h"

#include "binding/objdb.h"

#include <algorithm>
#include <charconv>

namespace {

// An integer that fills the whole text (blanks around it trimmed).
bool parseInt(std::string_view text, int& value)
{
    const std::string t = Trim(text);
    if (t.empty())
        return false;
    const char* first = t.data();
    const char* last = t.data() + t.size();
    if (*first == '+')
        ++first;
    int v = 0;
    const auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last)
        return false;
    value = v;
    return true;
}

int widthOf(std::string_view part, const TQelTextMeasure& measure)
{
    const char last = part.back();
    const std::string_view before = part.substr(0, part.size() - 1);
    int n = 0;
    switch (last) {
    case 'c':
    case 'C': {
        if (!parseInt(before, n) || n < 1)
            n = 1;
        n = std::min(n, QelGridMaxChars);
        const int w = measure ? measure(std::string(static_cast<std::size_t>(n), 'X')) : n * 8;
        return std::clamp(w, 1, QelGridMaxPixels);
    }
    case '\'':
    case '"': {
        // The text between the first and the last character ("'" alone holds none).
        const std::string sample
            = part.size() >= 2 ? std::string(part.substr(1, part.size() - 2)) : std::string();
        const int w = measure ? measure(sample) : 0;
        return std::clamp(w, 1, QelGridMaxPixels);
    }
    case '%':
        // A share is never negative: "-30%" is no share and takes the default.
        if (!parseInt(before, n) || n < 0)
            n = 100;
        return -std::min(n, QelGridMaxShare);
    default:
        if (!parseInt(part, n))
            return -100;
        return std::clamp(n, -QelGridMaxShare, QelGridMaxPixels);
    }
}

} // namespace

void QelApplyColSettings(TQelGridColInfo& info, std::string_view settings, const TQelTextMeasure& measure)
{
    // The first "/" outside a quoted sample text ends the width part.
    const int slash = cpos(settings, '/', true, false);
    const std::string width
        = Trim(slash < 0 ? settings : settings.substr(0, static_cast<std::size_t>(slash)));
    int stretch = 100;
    if (slash >= 0) {
        const std::string_view rest = settings.substr(static_cast<std::size_t>(slash) + 1);
        if (!parseInt(rest.substr(0, 99), stretch))
            stretch = 100;
    }
    info.Stretch = std::clamp(stretch, 0, QelGridMaxShare);
    if (width.empty())
        return;
    info.Spec = width;
    info.Width = widthOf(width, measure);
}

std::string QelColSettingsText(const TQelGridColInfo& info)
{
    return info.Spec + "/" + std::to_string(info.Stretch);
}

std::vector<std::string> QelSplitColSettings(std::string_view all)
{
    return make_sl(all, ";");
}

void QelAppendCollationKey(std::string_view text, std::string& out)
{
    auto weight = [&out](int code) {
        out += static_cast<char>(CollationValue(static_cast<unsigned char>(code)) + 1);
    };
    out.reserve(out.size() + 2 * text.size() + 1);
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        for (const char c : text)
            weight(c >= 'A' && c <= 'Z' ? c + 32 : c);
        out += '\0';
        for (const char c : text)
            out += c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        return;
    }
    // Weights.
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c = Utf8Next(text, pos);
        if (c < 0x80) {
            weight(c >= 'A' && c <= 'Z' ? static_cast<int>(c + 32) : static_cast<int>(c));
            continue;
        }
        if (c == 0xDF || c == 0x1E9E) { // ß, capital ß
            weight('s');
            weight('s');
            continue;
        }
        c = CharLower(c);
        if (const int code = CharToCp1252(c); code >= 0) {
            weight(code);
        } else {
            out += '\xFF';
            out += static_cast<char>((c >> 16) & 0xFF);
            out += static_cast<char>((c >> 8) & 0xFF);
            out += static_cast<char>(c & 0xFF);
        }
    }
    // Then case and accents: the folded text (UTF-8 byte order is code point order).
    out += '\0';
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t c = Utf8Next(text, pos);
        if (c < 0x80)
            out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        else if (c == 0xDF || c == 0x1E9E)
            out += "ss";
        else
            Utf8Append(out, CharLower(c));
    }
}
