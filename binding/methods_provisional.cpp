// Stand-ins until the UI utilities land; replaced by methods_ui.cpp.
#include "binding/methods.h"

#include "toolkit/clipbrd.h"

TMenuItem* TQelCommonMethods::MakeMenuItem(TComponent* owner, const std::string& caption, const std::string& shortcut,
    TNotifyEvent onClick, int tag, bool radioItem, bool checked, int groupIndex)
{
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    if (!shortcut.empty()) {
        std::string s = shortcut;
        if (auto p = s.find("Ctrl"); p != std::string::npos)
            s.replace(p, 4, "Strg");
        item->SetShortCut(TextToShortCut(s));
    }
    item->OnClick = onClick;
    item->SetTag(tag);
    item->SetRadioItem(radioItem);
    item->SetChecked(checked);
    item->SetGroupIndex(groupIndex);
    return item;
}

void TQelCommonMethods::SetWideStringToClipboard(const std::string& s)
{
    Clipboard()->SetAsText(IsExtString(s) ? ExtStringToUtf8(s) : s);
}

std::string TQelCommonMethods::GetExtStringFromClipboard()
{
    return Utf8ToExtString(Clipboard()->AsText());
}
