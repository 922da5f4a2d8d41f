// Clipboard transfer of text in the escaped wide-string form ("\u20AC") that edits and memos with
// the escape option hold.
#include "binding/methods.h"

#include "toolkit/clipbrd.h"
#include "toolkit/menus.h"
#include "toolkit/stdctrls.h"

namespace {

// Whether a UTF-16 text holds a character that the ANSI code page (Windows-1252) lacks.
bool beyondAnsi(const std::u16string& wide)
{
    for (char16_t unit : wide) {
        if (unit >= 0xD800 && unit <= 0xDFFF) // half of a pair: beyond the basic plane
            return true;
        if (CharToCp1252(unit) < 0)
            return true;
    }
    return false;
}

} // namespace

void TQelCommonMethods::SetWideStringToClipboard(const std::string& s)
{
    if (IsExtString(s))
        Clipboard()->SetAsWideText(ExtStringToWideString(s));
    else
        Clipboard()->SetAsText(s);
}

std::string TQelCommonMethods::GetExtStringFromClipboard()
{
    TClipboard* clipboard = Clipboard();
    if (clipboard->HasFormat(CF_UNICODETEXT)) {
        const std::u16string wide = clipboard->AsWideText();
        if (beyondAnsi(wide))
            return WideStringToExtString(wide);
    }
    return clipboard->AsText();
}

void TQelCommonMethods::ClipboardCut(TCustomEdit* edit, bool escaped)
{
    if (!escaped) {
        edit->CutToClipboard();
        return;
    }
    SetWideStringToClipboard(edit->SelText());
    edit->SetSelText("");
}

void TQelCommonMethods::ClipboardCopy(TCustomEdit* edit, bool escaped)
{
    if (!escaped) {
        edit->CopyToClipboard();
        return;
    }
    SetWideStringToClipboard(edit->SelText());
}

void TQelCommonMethods::ClipboardPaste(TCustomEdit* edit, bool escaped)
{
    if (!escaped) {
        edit->PasteFromClipboard();
        return;
    }
    edit->SetSelText(GetExtStringFromClipboard());
}

void TQelCommonMethods::AddClipboardItems(TPopupMenu* menu, TCustomEdit* edit, std::function<bool()> escaped)
{
    const auto add = [menu](const char* caption, const char* shortcut, TNotifyEvent ev) {
        menu->Items()->Add(MakeMenuItem(menu, caption, shortcut, std::move(ev)));
    };
    add("Ausschneiden", "Ctrl+X", TNotifyEvent([edit, escaped](TObject*) { ClipboardCut(edit, escaped()); }));
    add("Kopieren", "Ctrl+C", TNotifyEvent([edit, escaped](TObject*) { ClipboardCopy(edit, escaped()); }));
    add("Einfügen", "Ctrl+V", TNotifyEvent([edit, escaped](TObject*) { ClipboardPaste(edit, escaped()); }));
    add("-", "", nullptr);
    add("Alles markieren", "Ctrl+A", TNotifyEvent([edit](TObject*) { edit->SelectAll(); }));
}
