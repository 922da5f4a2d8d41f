#pragma once
// Colours and fonts. A colour is 0x00BBGGRR, or a system colour (0xFF0000nn) that follows the
// desktop palette (clWindow, clBtnFace, ...).
#include "toolkit/component.h"
#include "toolkit/tkdefs.h"
#include "toolkit/tkevent.h"

#include <cstdint>
#include <optional>
#include <string>

enum TColor : std::int32_t {};

inline constexpr TColor clSystemColor = TColor(static_cast<std::int32_t>(0xFF000000u));
inline constexpr TColor SysColor(int index)
{
    return TColor(clSystemColor | index);
}

inline constexpr TColor clScrollBar = SysColor(0);
inline constexpr TColor clBackground = SysColor(1);
inline constexpr TColor clActiveCaption = SysColor(2);
inline constexpr TColor clInactiveCaption = SysColor(3);
inline constexpr TColor clMenu = SysColor(4);
inline constexpr TColor clWindow = SysColor(5);
inline constexpr TColor clWindowFrame = SysColor(6);
inline constexpr TColor clMenuText = SysColor(7);
inline constexpr TColor clWindowText = SysColor(8);
inline constexpr TColor clCaptionText = SysColor(9);
inline constexpr TColor clActiveBorder = SysColor(10);
inline constexpr TColor clInactiveBorder = SysColor(11);
inline constexpr TColor clAppWorkSpace = SysColor(12);
inline constexpr TColor clHighlight = SysColor(13);
inline constexpr TColor clHighlightText = SysColor(14);
inline constexpr TColor clBtnFace = SysColor(15);
inline constexpr TColor clBtnShadow = SysColor(16);
inline constexpr TColor clGrayText = SysColor(17);
inline constexpr TColor clBtnText = SysColor(18);
inline constexpr TColor clInactiveCaptionText = SysColor(19);
inline constexpr TColor clBtnHighlight = SysColor(20);
inline constexpr TColor cl3DDkShadow = SysColor(21);
inline constexpr TColor cl3DLight = SysColor(22);
inline constexpr TColor clInfoText = SysColor(23);
inline constexpr TColor clInfoBk = SysColor(24);
inline constexpr TColor clHotLight = SysColor(26);
// The light ends of the caption gradients: selection colours that keep dark text readable.
inline constexpr TColor clGradientActiveCaption = SysColor(27);
inline constexpr TColor clGradientInactiveCaption = SysColor(28);

inline constexpr TColor clBlack = TColor(0x000000);
inline constexpr TColor clMaroon = TColor(0x000080);
inline constexpr TColor clGreen = TColor(0x008000);
inline constexpr TColor clOlive = TColor(0x008080);
inline constexpr TColor clNavy = TColor(0x800000);
inline constexpr TColor clPurple = TColor(0x800080);
inline constexpr TColor clTeal = TColor(0x808000);
inline constexpr TColor clGray = TColor(0x808080);
inline constexpr TColor clSilver = TColor(0xC0C0C0);
inline constexpr TColor clRed = TColor(0x0000FF);
inline constexpr TColor clLime = TColor(0x00FF00);
inline constexpr TColor clYellow = TColor(0x00FFFF);
inline constexpr TColor clBlue = TColor(0xFF0000);
inline constexpr TColor clFuchsia = TColor(0xFF00FF);
inline constexpr TColor clAqua = TColor(0xFFFF00);
inline constexpr TColor clWhite = TColor(0xFFFFFF);
inline constexpr TColor clMoneyGreen = TColor(0xC0DCC0);
inline constexpr TColor clSkyBlue = TColor(0xF0CAA6);
inline constexpr TColor clCream = TColor(0xF0FBFF);
inline constexpr TColor clMedGray = TColor(0xA4A0A0);
inline constexpr TColor clNone = TColor(0x1FFFFFFF);
inline constexpr TColor clDefault = TColor(0x20000000);

inline constexpr TColor RGB(int r, int g, int b)
{
    return TColor((b & 0xFF) << 16 | (g & 0xFF) << 8 | (r & 0xFF));
}
// The 0x00BBGGRR value of a colour; system colours are looked up in the current palette.
TColor ColorToRGB(TColor color);
// "clGray", "clWindow", ... or "$00BBGGRR" for colours without a name.
std::string ColorToString(TColor color);
// Accepts the names above (any case), "$BBGGRR", "#RRGGBB" and decimal numbers.
std::optional<TColor> IdentToColor(const std::string& text);
// As IdentToColor; an unknown text gives `fallback`.
TColor StringToColor(const std::string& text, TColor fallback = clBlack);

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;

// A font description; a control tells its widget whenever it changes.
class TFont : public TObject {
public:
    TFont();

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    // Size in points.
    int Size() const { return size_; }
    void SetSize(int size);
    // Height in pixels at the screen's resolution (negative: character height, as usual).
    int Height() const;
    void SetHeight(int height);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);

    // Copies name, size, colour and style (not the change handler).
    void Assign(const TFont& other);
    bool SameAs(const TFont& other) const;

    // Called after every change.
    TNotifyEvent OnChange;

private:
    void Changed();
    std::string name_;
    int size_ = 9;
    TColor color_ = clWindowText;
    TFontStyles style_;
};

// Width in pixels of `text` drawn in `font` on the screen.
int TextWidth(const TFont& font, const std::string& text);

// A picture in memory (button glyphs): loaded from and saved to image files.
class TBitmap : public TObject {
public:
    TBitmap();
    ~TBitmap() override;

    bool LoadFromFile(const std::string& path);
    bool SaveToFile(const std::string& path) const;
    int Width() const;
    int Height() const;
    bool Empty() const;
    // A new picture of that size filled with `color`.
    void SetSize(int width, int height, TColor color = clWhite);
    void Assign(const TBitmap& other);

    struct Data;
    // The picture's storage (the toolkit's own code draws it).
    Data& Storage() const { return *data_; }

private:
    Data* data_;
};
