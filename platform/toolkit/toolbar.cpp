#include "toolkit/toolbar.h"

#include "toolkit/stdctrls.h"

#include <algorithm>

namespace {

constexpr int kGap = 4;

} // namespace

TToolBar::TToolBar(TComponent* owner)
    : TCustomPanel(owner)
{
    SetBevelOuter(bvNone);
    SetShowCaption(false);
    SetHeight(30);
}

TButton* TToolBar::AddButton(const std::string& caption, const std::string& hint)
{
    auto* button = new TButton(this);
    button->SetParent(this);
    button->SetCaption(caption);
    button->SetHint(hint);
    button->SetShowHint(!hint.empty());
    FreeNotification(button);
    buttons_.push_back(button);
    layout();
    return button;
}

TButton* TToolBar::Buttons(int index) const
{
    return index >= 0 && index < ButtonCount() ? buttons_[static_cast<std::size_t>(index)] : nullptr;
}

void TToolBar::SetButtonWidth(int width)
{
    buttonWidth_ = std::max(16, width);
    layout();
}

void TToolBar::Notification(TComponent* component, TOperation operation)
{
    TCustomPanel::Notification(component, operation);
    if (operation == opRemove)
        buttons_.erase(std::remove(buttons_.begin(), buttons_.end(), component), buttons_.end());
}

void TToolBar::layout()
{
    int left = kGap;
    for (TButton* b : buttons_) {
        b->SetBounds(left, 3, buttonWidth_, std::max(16, Height() - 6));
        left += buttonWidth_ + kGap;
    }
}
