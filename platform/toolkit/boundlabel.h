#pragma once
// The caption label that a labelled edit or combo keeps beside itself on its parent.
#include "toolkit/graphics.h"

#include <memory>
#include <string>

class QWidget;
class TWinControl;

// Where the label sits relative to its control.
enum TLabelPosition {
    lpLeftTop,
    lpLeftCenter,
    lpLeftBottom,
    lpTopLeft,
    lpBottomLeft,
    lpLeftTopLeft,
    lpLeftCenterLeft,
    lpLeftBottomLeft,
    lpTopCenter,
    lpBottomCenter,
    lpRightTop,
    lpRightCenter,
    lpRightBottom,
    lpTopRight,
    lpBottomRight,
};
inline constexpr const char* kLabelPositionNames[] = { "lpLeftTop", "lpLeftCenter", "lpLeftBottom",
    "lpTopLeft", "lpBottomLeft", "lpLeftTopLeft", "lpLeftCenterLeft", "lpLeftBottomLeft", "lpTopCenter",
    "lpBottomCenter", "lpRightTop", "lpRightCenter", "lpRightBottom", "lpTopRight", "lpBottomRight" };
static_assert(std::size(kLabelPositionNames) == lpBottomRight + 1);

class TBoundLabel {
public:
    explicit TBoundLabel(TWinControl& control);
    ~TBoundLabel();
    TBoundLabel(const TBoundLabel&) = delete;
    TBoundLabel& operator=(const TBoundLabel&) = delete;

    // An empty caption shows no label.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    TLabelPosition Position() const { return position_; }
    void SetPosition(TLabelPosition position);
    // Distance in pixels between label and control.
    int Margin() const { return margin_; }
    void SetMargin(int margin);
    TFont& Font() { return font_; }
    // The label stays enabled when the control is disabled.
    bool AlwaysEnabled() const { return alwaysEnabled_; }
    void SetAlwaysEnabled(bool v);

    // The label's widget (tests read it), or nullptr before the control has a parent.
    QWidget* Handle() const;
    // Follows the control's parent, bounds, visibility and enabled state.
    void Update();

private:
    TWinControl& control_;
    std::string caption_;
    TLabelPosition position_ = lpTopLeft;
    int margin_ = 4;
    bool alwaysEnabled_ = false;
    TFont font_;
    struct Widget;
    std::unique_ptr<Widget> widget_;
};
