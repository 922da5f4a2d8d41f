#pragma once
// TProgressBar: a bar that shows how far a long operation has come (Min to Max, Position).
#include "toolkit/wincontrol.h"

class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent* owner);

    int Min() const { return min_; }
    int Max() const { return max_; }
    // Max below Min is taken as Min.
    void SetRange(int min, int max);
    int Position() const { return position_; }
    // Clamped to the range.
    void SetPosition(int position);
    // The text drawn on the bar ("" for none).
    void SetText(const std::string& text);
    std::string Text() const { return text_; }

private:
    void Changed();
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    std::string text_;
};
