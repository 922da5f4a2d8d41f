#include "toolkit/toolbar.h"

#include "toolkit/menus.h"

#include <QPushButton>

#include <algorithm>

TToolButton::TToolButton(TComponent* owner)
    : TButton(owner)
{
    static_cast<QPushButton*>(Handle())->setFlat(true);
    SetNeverFocused();
    SetAlign(alLeft);
}

void TToolButton::SetMenuItem(TMenuItem* item)
{
    if (menuItem_ == item)
        return;
    if (menuItem_)
        menuItem_->RemoveFreeNotification(this);
    menuItem_ = item;
    if (!item)
        return;
    item->FreeNotification(this);
    SetCaption(item->Caption());
    SetHint(item->Hint().empty() ? item->Caption() : item->Hint());
    SetShowHint(true);
    imageIndex_ = item->ImageIndex();
    SetEnabled(item->Enabled());
    if (TWinControl* bar = Parent())
        bar->Realign(); // the caption may have changed the width
}

void TToolButton::Click()
{
    if (menuItem_) {
        if (menuItem_->Enabled())
            menuItem_->Click();
        return;
    }
    TButton::Click();
}

void TToolButton::Notification(TComponent* component, TOperation operation)
{
    TButton::Notification(component, operation);
    if (operation == opRemove && component == menuItem_)
        menuItem_ = nullptr;
}

TToolBar::TToolBar(TComponent* owner)
    : TCustomControl(owner)
{
    SetBounds(0, 0, 150, 29);
}

TToolButton* TToolBar::AddButton(const std::string& caption, const std::string& hint)
{
    auto* button = new TToolButton(this);
    button->SetParent(this);
    button->SetCaption(caption);
    button->SetHint(hint.empty() ? caption : hint);
    button->SetShowHint(true);
    Realign();
    return button;
}

int TToolBar::ButtonCount() const
{
    int n = 0;
    for (int i = 0; i < GetControlCount(); ++i)
        n += dynamic_cast<TToolButton*>(GetControl(i)) ? 1 : 0;
    return n;
}

TToolButton* TToolBar::Buttons(int index) const
{
    for (int i = 0; i < GetControlCount(); ++i)
        if (auto* b = dynamic_cast<TToolButton*>(GetControl(i)); b && index-- == 0)
            return b;
    return nullptr;
}

void TToolBar::SetButtonWidth(int width)
{
    buttonWidth_ = std::max(0, width);
    Realign();
}

void TToolBar::AlignControls(TRect& rect)
{
    // Tool buttons go left to right in the order they were put on the bar (their alLeft only
    // makes putting one on the bar lay the bar out again).
    int x = rect.Left;
    const int h = rect.Height();
    for (int i = 0; i < GetControlCount(); ++i) {
        auto* b = dynamic_cast<TToolButton*>(GetControl(i));
        if (!b || !b->Visible())
            continue;
        const int w = buttonWidth_ > 0
            ? buttonWidth_
            : std::max(h, static_cast<QPushButton*>(b->Handle())->sizeHint().width());
        b->SetBounds(x, rect.Top, w, h);
        x += w;
    }
    rect.Left = x;
}
