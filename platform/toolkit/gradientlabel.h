#pragma once
// A label whose background is a colour gradient from Color to ColorTo: across the whole label
// (horizontal or vertical), or as a line under, over or beside the text. Text too long for the
// label can end in an ellipsis, or keep the end of a path and shorten its beginning.
#include "toolkit/stdctrls.h"

#include <string>

enum TGradientType {
    gtFullHorizontal, // the whole label, Color at the left
    gtFullVertical, // the whole label, Color at the top
    gtBottomLine, // a line of LineWidth at the bottom edge, on a plain background
    gtCenterLine, // a line through the middle, right of the text
    gtTopLine, // a line at the top edge
};
// gdRightToLeft swaps the two colours (for vertical gradients: ColorTo at the top).
enum TGradientDirection { gdLeftToRight, gdRightToLeft };
enum TEllipsType { etNone, etEndEllips, etPathEllips };
inline constexpr const char* kGradientTypeNames[]
    = { "gtFullHorizontal", "gtFullVertical", "gtBottomLine", "gtCenterLine", "gtTopLine" };
static_assert(std::size(kGradientTypeNames) == gtTopLine + 1);
inline constexpr const char* kGradientDirectionNames[] = { "gdLeftToRight", "gdRightToLeft" };
static_assert(std::size(kGradientDirectionNames) == gdRightToLeft + 1);
inline constexpr const char* kEllipsTypeNames[] = { "etNone", "etEndEllips", "etPathEllips" };
static_assert(std::size(kEllipsTypeNames) == etPathEllips + 1);

class TGradientLabel : public TCustomLabel {
public:
    explicit TGradientLabel(TComponent* owner);

    // clNone: no gradient, the label is filled with Color (or transparent).
    TColor ColorTo() const { return colorTo_; }
    void SetColorTo(TColor c);
    TGradientType GradientType() const { return gradientType_; }
    void SetGradientType(TGradientType t);
    TGradientDirection GradientDirection() const { return direction_; }
    void SetGradientDirection(TGradientDirection d);
    TEllipsType EllipsType() const { return ellipsType_; }
    void SetEllipsType(TEllipsType t);
    // Thickness of the line gradients in pixels (at least 1).
    int LineWidth() const { return lineWidth_; }
    void SetLineWidth(int w);
    // Distance of left- or right-aligned text from the label's edge.
    int Indent() const { return indent_; }
    void SetIndent(int v);
    // Whether '&' marks an accelerator (as in other labels); off, the caption shows as written.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool v);

    // The text as drawn into `width` pixels (after accelerator handling and ellipsis).
    std::string DisplayText(int width) const;

protected:
    void ShowCaption() override;
    void ApplyColor() override;

private:
    void Changed();

    TColor colorTo_ = clWhite;
    TGradientType gradientType_ = gtFullHorizontal;
    TGradientDirection direction_ = gdLeftToRight;
    TEllipsType ellipsType_ = etNone;
    int lineWidth_ = 2;
    int indent_ = 0;
    bool showAccelChar_ = true;
};
