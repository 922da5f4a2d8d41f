#include "controls/QelPasswordEdit.h"

namespace {

const std::string kPlaceholder(12, '*');

// Keys that move the focus, the caret or nothing at all: they leave the stored password alone.
bool editsText(WORD key)
{
    switch (key) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
    case VK_PAUSE:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS:
        return false;
    default:
        break;
    }
    if (key >= VK_PRIOR && key <= VK_DOWN) // page keys, Home, End, arrows
        return false;
    if (key >= VK_F1 && key <= VK_F24)
        return false;
    return true;
}

} // namespace

TQelPasswordEdit::TQelPasswordEdit(TComponent* owner)
    : TQelDataControl(owner)
{
    link_.hooks.readOnlyChanged = [this](bool v) { SetReadOnly(v); };
    Publish<&TQelPasswordEdit::getPassword, &TQelPasswordEdit::setPassword>("Password");
}

bool TQelPasswordEdit::showsPlaceholder() const
{
    return Text() == kPlaceholder;
}

std::string TQelPasswordEdit::getPassword() const
{
    return showsPlaceholder() ? password_ : Text();
}

void TQelPasswordEdit::setPassword(const std::string& p)
{
    password_ = p;
    SetText(p.empty() ? std::string() : kPlaceholder);
}

void TQelPasswordEdit::KeyDown(WORD& key, TShiftState shift)
{
    if (!ReadOnly() && editsText(key) && showsPlaceholder())
        SetText(std::string());
    TEdit::KeyDown(key, shift);
}
