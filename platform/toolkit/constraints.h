#pragma once
// Size constraints of a control: the smallest and largest width and height it may take
// (0: no limit). The control clamps its bounds to them.
#include "toolkit/component.h"
#include "toolkit/tkevent.h"

class TSizeConstraints : public TObject {
public:
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int v);
    int MinHeight() const { return minHeight_; }
    void SetMinHeight(int v);
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int v);
    int MaxHeight() const { return maxHeight_; }
    void SetMaxHeight(int v);

    // `width` and `height` within the limits.
    int ClampWidth(int width) const;
    int ClampHeight(int height) const;

    // After every change of a limit.
    TNotifyEvent OnChange;

private:
    void Set(int& field, int v);
    int minWidth_ = 0;
    int minHeight_ = 0;
    int maxWidth_ = 0;
    int maxHeight_ = 0;
};
