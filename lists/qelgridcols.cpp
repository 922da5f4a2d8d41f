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
