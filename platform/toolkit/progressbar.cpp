#include "toolkit/progressbar.h"

#include "toolkit/qtbridge.h"

#include <QProgressBar>

#include <algorithm>

namespace {

class TProgressBarWidget : public TBridgeWidget<QProgressBar> {
public:
    TProgressBarWidget() { setTextVisible(true); }
};

} // namespace

TProgressBar::TProgressBar(TComponent* owner)
    : TWinControl(owner, new TProgressBarWidget())
{
    SetBounds(0, 0, 150, 17);
    SetTabStop(false);
    Changed();
}

void TProgressBar::SetRange(int min, int max)
{
    min_ = min;
    max_ = std::max(min, max);
    position_ = std::clamp(position_, min_, max_);
    Changed();
}

void TProgressBar::SetPosition(int position)
{
    position_ = std::clamp(position, min_, max_);
    Changed();
}

void TProgressBar::SetText(const std::string& text)
{
    text_ = text;
    Changed();
}

void TProgressBar::Changed()
{
    auto* bar = static_cast<QProgressBar*>(widget_);
    bar->setRange(min_, max_);
    bar->setValue(position_);
    bar->setFormat(text_.empty() ? QString() : QString::fromStdString(text_));
}
