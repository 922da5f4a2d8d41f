#include "toolkit/graphics.h"

#include "toolkit/qtbridge.h"
#include "toolkit/screen.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPalette>
#include <QPixmap>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace {

struct NamedColor {
    const char* name;
    TColor color;
};

constexpr std::array kNamedColors {
    NamedColor { "clBlack", clBlack },
    NamedColor { "clMaroon", clMaroon },
    NamedColor { "clGreen", clGreen },
    NamedColor { "clOlive", clOlive },
    NamedColor { "clNavy", clNavy },
    NamedColor { "clPurple", clPurple },
    NamedColor { "clTeal", clTeal },
    NamedColor { "clGray", clGray },
    NamedColor { "clSilver", clSilver },
    NamedColor { "clRed", clRed },
    NamedColor { "clLime", clLime },
    NamedColor { "clYellow", clYellow },
    NamedColor { "clBlue", clBlue },
    NamedColor { "clFuchsia", clFuchsia },
    NamedColor { "clAqua", clAqua },
    NamedColor { "clWhite", clWhite },
    NamedColor { "clMoneyGreen", clMoneyGreen },
    NamedColor { "clSkyBlue", clSkyBlue },
    NamedColor { "clCream", clCream },
    NamedColor { "clMedGray", clMedGray },
    NamedColor { "clNone", clNone },
    NamedColor { "clDefault", clDefault },
    NamedColor { "clScrollBar", clScrollBar },
    NamedColor { "clBackground", clBackground },
    NamedColor { "clActiveCaption", clActiveCaption },
    NamedColor { "clInactiveCaption", clInactiveCaption },
    NamedColor { "clMenu", clMenu },
    NamedColor { "clWindow", clWindow },
    NamedColor { "clWindowFrame", clWindowFrame },
    NamedColor { "clMenuText", clMenuText },
    NamedColor { "clWindowText", clWindowText },
    NamedColor { "clCaptionText", clCaptionText },
    NamedColor { "clActiveBorder", clActiveBorder },
    NamedColor { "clInactiveBorder", clInactiveBorder },
    NamedColor { "clAppWorkSpace", clAppWorkSpace },
    NamedColor { "clHighlight", clHighlight },
    NamedColor { "clHighlightText", clHighlightText },
    NamedColor { "clBtnFace", clBtnFace },
    NamedColor { "clBtnShadow", clBtnShadow },
    NamedColor { "clGrayText", clGrayText },
    NamedColor { "clBtnText", clBtnText },
    NamedColor { "clInactiveCaptionText", clInactiveCaptionText },
    NamedColor { "clBtnHighlight", clBtnHighlight },
    NamedColor { "cl3DDkShadow", cl3DDkShadow },
    NamedColor { "cl3DLight", cl3DLight },
    NamedColor { "clInfoText", clInfoText },
    NamedColor { "clInfoBk", clInfoBk },
    NamedColor { "clHotLight", clHotLight },
    NamedColor { "clGradientActiveCaption", clGradientActiveCaption },
    NamedColor { "clGradientInactiveCaption", clGradientInactiveCaption },
};

std::optional<QPalette::ColorRole> SystemRole(TColor color)
{
    switch (color & 0xFF) {
    case 0:
    case 4:
    case 15:
    case 22:
        return QPalette::Button;
    case 1:
    case 12:
        return QPalette::Window;
    case 2:
    case 13:
        return QPalette::Highlight;
    case 3:
    case 16:
    case 21:
        return QPalette::Dark;
    case 5:
        return QPalette::Base;
    case 7:
    case 8:
        return QPalette::Text;
    case 9:
    case 14:
        return QPalette::HighlightedText;
    case 6:
    case 10:
    case 11:
        return QPalette::Mid;
    case 17:
    case 19:
        return QPalette::PlaceholderText;
    case 18:
        return QPalette::ButtonText;
    case 20:
        return QPalette::Light;
    case 23:
        return QPalette::ToolTipText;
    case 24:
        return QPalette::ToolTipBase;
    case 26:
        return QPalette::Link;
    }
    return std::nullopt;
}

} // namespace

TColor ColorToRGB(TColor color)
{
    if ((color & clSystemColor) != clSystemColor)
        return TColor(color & 0x00FFFFFF);
    const QPalette palette = QApplication::palette();
    if (auto role = SystemRole(color)) {
        QColor c = palette.color(QPalette::Active, *role);
        return RGB(c.red(), c.green(), c.blue());
    }
    const int index = color & 0xFF;
    if (index == 27 || index == 28) {
        // The highlight colour mixed into the base colour: a quarter for the active caption's
        // light end, an eighth for the inactive one's.
        const QColor h = palette.color(QPalette::Active, QPalette::Highlight);
        const QColor b = palette.color(QPalette::Active, QPalette::Base);
        const int share = index == 27 ? 4 : 8;
        auto mix = [share](int hc, int bc) { return bc + (hc - bc) / share; };
        return RGB(mix(h.red(), b.red()), mix(h.green(), b.green()), mix(h.blue(), b.blue()));
    }
    return clBlack;
}

std::string ColorToString(TColor color)
{
    for (auto& n : kNamedColors)
        if (n.color == color)
            return n.name;
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(color));
    return buf;
}

std::optional<TColor> IdentToColor(const std::string& text)
{
    for (auto& n : kNamedColors)
        if (strcasecmp(n.name, text.c_str()) == 0)
            return n.color;
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    if (text[0] == '$') {
        unsigned long v = std::strtoul(text.c_str() + 1, &end, 16);
        return *end == 0 && text.size() > 1 ? std::optional(TColor(static_cast<std::int32_t>(v)))
                                            : std::nullopt;
    }
    if (text[0] == '#' && text.size() == 7) {
        unsigned long v = std::strtoul(text.c_str() + 1, &end, 16);
        if (*end != 0)
            return std::nullopt;
        return RGB(static_cast<int>(v >> 16), static_cast<int>(v >> 8), static_cast<int>(v));
    }
    long v = std::strtol(text.c_str(), &end, 10);
    return *end == 0 ? std::optional(TColor(static_cast<std::int32_t>(v))) : std::nullopt;
}

TColor StringToColor(const std::string& text, TColor fallback)
{
    return IdentToColor(text).value_or(fallback);
}

TFont::TFont()
    : name_(DefaultFontName())
{
}

void TFont::SetName(const std::string& name)
{
    if (name_ == name)
        return;
    name_ = name;
    Changed();
}

void TFont::SetSize(int size)
{
    if (size_ == size || size == 0)
        return;
    size_ = size < 0 ? -size : size;
    Changed();
}

int TFont::Height() const
{
    return -(size_ * Screen()->PixelsPerInch() + 36) / 72;
}

void TFont::SetHeight(int height)
{
    int px = height < 0 ? -height : height;
    SetSize((px * 72 + Screen()->PixelsPerInch() / 2) / Screen()->PixelsPerInch());
}

void TFont::SetColor(TColor color)
{
    if (color_ == color)
        return;
    color_ = color;
    Changed();
}

void TFont::SetStyle(TFontStyles style)
{
    if (style_ == style)
        return;
    style_ = style;
    Changed();
}

void TFont::Assign(const TFont& other)
{
    if (SameAs(other))
        return;
    name_ = other.name_;
    size_ = other.size_;
    color_ = other.color_;
    style_ = other.style_;
    Changed();
}

bool TFont::SameAs(const TFont& other) const
{
    return name_ == other.name_ && size_ == other.size_ && color_ == other.color_ && style_ == other.style_;
}

void TFont::Changed()
{
    OnChange(this);
}

TBitmap::TBitmap()
    : data_(new Data)
{
}

TBitmap::~TBitmap()
{
    delete data_;
}

bool TBitmap::LoadFromFile(const std::string& path)
{
    return data_->pixmap.load(ToQString(path));
}

bool TBitmap::SaveToFile(const std::string& path) const
{
    return data_->pixmap.save(ToQString(path));
}

int TBitmap::Width() const
{
    return data_->pixmap.width();
}

int TBitmap::Height() const
{
    return data_->pixmap.height();
}

bool TBitmap::Empty() const
{
    return data_->pixmap.isNull();
}

void TBitmap::SetSize(int width, int height, TColor color)
{
    data_->pixmap = QPixmap(std::max(0, width), std::max(0, height));
    data_->pixmap.fill(ToQColor(color));
}

void TBitmap::Assign(const TBitmap& other)
{
    data_->pixmap = other.data_->pixmap;
}

int TextWidth(const TFont& font, const std::string& text)
{
    return QFontMetrics(ToQFont(font)).horizontalAdvance(ToQString(text));
}
