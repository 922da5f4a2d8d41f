// Position strings: a control's bounds relative to its parent's client area ("0.1/0.2/0.5/0.25"),
// so that a stored position fits any resolution.
#include "binding/methods.h"

#include <charconv>
#include <clocale>
#include <cmath>

namespace {

// Which of the four values a flag text asks for.
struct TPosFlags {
    bool l = false, t = false, w = false, h = false;
    bool absolute = false; // "A": width and height in pixels
    bool centre = false; // "C": values out of range become half the extent
};

TPosFlags parseFlags(const std::string& flags)
{
    std::string f = AnsiUpperCase(Trim(flags));
    if (f.empty())
        f = "LTWH";
    TPosFlags p;
    for (char ch : f)
        switch (ch) {
        case 'L':
            p.l = true;
            break;
        case 'T':
            p.t = true;
            break;
        case 'W':
            p.w = true;
            break;
        case 'H':
            p.h = true;
            break;
        case 'P':
            p.l = p.t = true;
            break;
        case 'E':
            p.w = p.h = true;
            break;
        case 'X':
            p.l = p.w = true;
            break;
        case 'Y':
            p.t = p.h = true;
            break;
        case 'A':
            p.absolute = p.l = p.t = p.w = p.h = true;
            break;
        case 'C':
            p.centre = true;
            break;
        default:
            break;
        }
    return p;
}

// The client extent that positions are relative to: the parent's, or the screen's.
void referenceExtent(const TControl* c, int& width, int& height)
{
    if (const TWinControl* parent = c->Parent()) {
        width = parent->ClientWidth();
        height = parent->ClientHeight();
    } else {
        width = Screen()->Width();
        height = Screen()->Height();
    }
}

char decimalSeparator()
{
    const std::lconv* lc = std::localeconv();
    return lc && lc->decimal_point && *lc->decimal_point ? *lc->decimal_point : '.';
}

// Up to 15 significant digits with the locale's decimal separator.
std::string formatRatio(double r)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, r, std::chars_format::general, 15);
    std::string s(buf, res.ptr);
    for (char& ch : s)
        if (ch == '.')
            ch = decimalSeparator();
    return s;
}

// A ratio written with either separator (positions move between machines); 0 when invalid.
double parseRatio(std::string text)
{
    text = Trim(text);
    for (char& ch : text)
        if (ch == ',')
            ch = '.';
    double r = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), r);
    return res.ec == std::errc() && res.ptr == text.data() + text.size() && std::isfinite(r) ? r : 0.0;
}

// An absolute pixel count after the leading "A"; 0 when invalid.
int parsePixels(const std::string& item)
{
    const std::string text = Trim(std::string_view(item).substr(1));
    int v = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    return res.ec == std::errc() && res.ptr == text.data() + text.size() ? v : 0;
}

} // namespace

std::string TQelCommonMethods::get_posinfo(TControl* c, const std::string& flags)
{
    if (!c)
        return {};
    const TPosFlags f = parseFlags(flags);
    int pw = 0, ph = 0;
    referenceExtent(c, pw, ph);
    std::string info;
    auto add = [&info](const std::string& item) {
        if (!info.empty())
            info += '/';
        info += item;
    };
    if (f.l)
        add(formatRatio(relx(c->Left(), pw)));
    if (f.t)
        add(formatRatio(rely(c->Top(), ph)));
    if (f.w)
        add(f.absolute ? "A" + std::to_string(c->Width()) : formatRatio(relx(c->Width(), pw)));
    if (f.h)
        add(f.absolute ? "A" + std::to_string(c->Height()) : formatRatio(rely(c->Height(), ph)));
    return info;
}

bool TQelCommonMethods::set_posinfo(
    TControl* c, const std::string& info, const std::string& flags, double fw, double fh)
{
    if (!c || info.empty())
        return false;
    const TQelStringList items = SplitString(info, "/");
    int pw = 0, ph = 0;
    referenceExtent(c, pw, ph);
    pw = static_cast<int>(pw * fw);
    ph = static_cast<int>(ph * fh);
    const TPosFlags f = parseFlags(flags);

    int bounds[4] = { c->Left(), c->Top(), c->Width(), c->Height() };
    const bool wanted[4] = { f.l, f.t, f.w, f.h };
    std::size_t used = 0;
    for (int i = 0; i < 4 && used < items.size(); ++i) {
        if (!wanted[i])
            continue;
        const std::string& item = items[used++];
        const bool horizontal = i == 0 || i == 2;
        const int extent = horizontal ? pw : ph;
        int v = 0;
        if (!item.empty() && (item[0] == 'A' || item[0] == 'a'))
            v = parsePixels(item);
        else
            v = horizontal ? absx(parseRatio(item), extent) : absy(parseRatio(item), extent);
        const bool isPosition = i < 2;
        const bool outOfRange = isPosition ? (v < -20 || v >= extent - 10) : (v < 5 || v >= extent);
        if (outOfRange && f.centre)
            v = extent / 2;
        bounds[i] = v;
    }
    if (used != items.size())
        return false;
    c->SetBounds(bounds[0], bounds[1], bounds[2], bounds[3]);
    return true;
}
