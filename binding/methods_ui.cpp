// Small UI utilities: popup-menu items, the cursor stack, opening files, list-box selection,
// panels around HTML labels. The password box lives with its dialog (controls/).
#include "binding/methods.h"
#include "binding/qelownmenu.h"

#include "objdb/qelfilefield.h"
#include "objdb/qelfiles.h"

#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"
#include "toolkit/htmlctrls.h"
#include "toolkit/listbox.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

// The German key names parse; "Ctrl" is the English one users and code still write.
std::string germanShortCutText(std::string text)
{
    for (std::size_t pos = text.find("Ctrl"); pos != std::string::npos; pos = text.find("Ctrl", pos + 4))
        text.replace(pos, 4, "Strg");
    return text;
}

// The cursor stack: one node per SetCursor, freed by RestoreCursor.
struct TCursorNode {
    TCursor cursor;
    std::unique_ptr<TCursorNode> next;
};
std::unique_ptr<TCursorNode> g_cursorStack;

// The extension of file contents by their first bytes; "bin" when they tell none.
std::string extensionOf(const std::string& head)
{
    static const struct {
        const char* magic;
        std::size_t size;
        const char* ext;
    } kinds[] = { { "%PDF", 4, "pdf" }, { "\x89PNG", 4, "png" }, { "\xFF\xD8\xFF", 3, "jpg" },
        { "GIF8", 4, "gif" }, { "PK\x03\x04", 4, "zip" }, { "{\\rtf", 5, "rtf" } };
    for (const auto& k : kinds)
        if (head.compare(0, k.size, k.magic, k.size) == 0)
            return k.ext;
    return "bin";
}

// Keeps the hourglass up for a scope, also when it is left by an exception.
class THourGlass {
public:
    THourGlass() { TQelCommonMethods::SetCursor(crHourGlass); }
    ~THourGlass() { TQelCommonMethods::RestoreCursor(); }
    THourGlass(const THourGlass&) = delete;
    THourGlass& operator=(const THourGlass&) = delete;
};

} // namespace

TMenuItem* TQelCommonMethods::MakeMenuItem(TComponent* owner, const std::string& caption,
    const std::string& shortcut, TNotifyEvent onClick, int tag, bool radioItem, bool checked, int groupIndex)
{
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    if (!shortcut.empty())
        item->SetShortCut(TextToShortCut(germanShortCutText(shortcut)));
    item->OnClick = std::move(onClick);
    item->SetTag(tag);
    item->SetRadioItem(radioItem);
    item->SetGroupIndex(groupIndex);
    item->SetChecked(checked);
    return item;
}

TMenuItem* TQelCommonMethods::find_menu_item(
    TMenu* menu, const std::string& caption, const std::string& shortcut, TNotifyEvent onClick, int tag)
{
    if (!menu)
        return nullptr;
    const TShortCut wanted = shortcut.empty() ? 0 : TextToShortCut(germanShortCutText(shortcut));
    TMenuItem* items = menu->Items();
    for (int i = 0; i < items->Count(); ++i) {
        TMenuItem* item = items->Items(i);
        if (!caption.empty() && !AnsiSameText(item->Caption(), caption))
            continue;
        // A shortcut text that names no key matches no item.
        if (!shortcut.empty() && (wanted == 0 || item->ShortCut() != wanted))
            continue;
        if (onClick && !(item->OnClick == onClick))
            continue;
        if (tag != 0 && item->Tag() != tag)
            continue;
        return item;
    }
    return nullptr;
}

TMenuItem* TQelCommonMethods::FindMenuItemByTag(TMenu* menu, int tag)
{
    return find_menu_item(menu, {}, {}, nullptr, tag);
}

void TQelCommonMethods::SetCursor(TCursor c)
{
    if (c == 5)
        c = crHourGlass;
    const TCursor saved = Screen()->Cursor();
    g_cursorStack = std::make_unique<TCursorNode>(TCursorNode { saved, std::move(g_cursorStack) });
    if (c != saved)
        Screen()->SetCursor(c);
}

void TQelCommonMethods::RestoreCursor()
{
    TCursor c = crDefault;
    if (g_cursorStack) {
        c = g_cursorStack->cursor;
        g_cursorStack = std::move(g_cursorStack->next);
    }
    if (c != Screen()->Cursor())
        Screen()->SetCursor(c);
}

bool TQelCommonMethods::OpenFile(const std::string& file, const std::string& parameters)
{
    THourGlass wait;
    return Dialogs().OpenWithProgram(file, parameters);
}

bool TQelCommonMethods::OpenFieldWithProgram(TQelField* field)
{
    if (!field)
        return false;
    const std::string name = QelSafeFileName(field->Name(), "Feld");
    std::string error;
    const std::string folder = QelFreshTempFolder(error);
    std::string path;
    if (!folder.empty()) {
        if (auto* file = dynamic_cast<TQelFileField*>(field)) {
            // Exported first, then named by what its first bytes are.
            const std::string bare = folder + "/" + name;
            if (!file->Export(bare)) {
                error = file->ErrorMessage();
            } else {
                char head[8] = {};
                std::ifstream in(bare, std::ios::binary);
                in.read(head, sizeof head);
                path = bare + "." + extensionOf(std::string(head, static_cast<std::size_t>(in.gcount())));
                std::error_code ec;
                std::filesystem::rename(bare, path, ec);
                if (ec)
                    path = bare;
            }
        } else if (auto* erv = dynamic_cast<TQelERVTextField*>(field)) {
            path = folder + "/" + name + ".html";
            QelWriteNewFile(path, erv->AsHTML(), error);
        } else if (auto* blob = dynamic_cast<TQelBlobField*>(field)) {
            path = folder + "/" + name + ".txt";
            QelWriteNewFile(path, blob->BufferAsString(), error);
        } else {
            return false;
        }
    }
    if (error.empty() && OpenFile(path, ""))
        return true;
    ShowMessage("Das Feld \"" + field->Name() + "\" kann nicht geöffnet werden."
        + (error.empty() ? std::string() : "\n\n" + error));
    return false;
}

std::string TQelCommonMethods::MinutesString(int minutes)
{
    if (minutes < 0) // "-01:15", not "-01:-15"
        return "-" + MinutesString(-minutes);
    return FormatStr("%.2d:%.2d", minutes / 60, minutes % 60);
}

int TQelCommonMethods::GetSelectIndex(TCustomListBox* lb, TQelList<int>* indexes)
{
    if (indexes)
        indexes->Clear();
    if (!lb)
        return -1;
    int first = -1;
    for (int i = 0; i < lb->Count(); ++i) {
        if (!lb->Selected(i))
            continue;
        if (first < 0)
            first = i;
        if (!indexes)
            break;
        indexes->Add(i);
    }
    return first;
}

// The label keeps its distance to the panel's left (top) edge on the far side too.
void TQelCommonMethods::AdaptPanelWidth(TCustomPanel* panel, THTMLabel* label)
{
    if (panel && label)
        panel->SetClientWidth(label->Left() + label->Width() + label->Left());
}

void TQelCommonMethods::AdaptPanelHeight(TCustomPanel* panel, THTMLabel* label)
{
    if (panel && label)
        panel->SetClientHeight(label->Top() + label->Height() + label->Top());
}

void TQelCommonMethods::AdaptPanelSize(TCustomPanel* panel, THTMLabel* label)
{
    AdaptPanelWidth(panel, label);
    AdaptPanelHeight(panel, label);
}

TPopupMenu* QelOwnPopupMenu(TControl* control, bool wanted)
{
    TPopupMenu* menu = control->PopupMenu();
    if (!wanted) {
        if (menu && menu->Owner() == control) {
            control->SetPopupMenu(nullptr);
            delete menu;
        }
        return nullptr;
    }
    if (!menu) {
        menu = new TPopupMenu(control);
        control->SetPopupMenu(menu);
    }
    menu->SetAutoPopup(true);
    menu->Items()->Clear();
    return menu;
}
