// Menu items, the cursor stack, opening files, small conversions, list-box selection, panels
// around HTML labels and the wide-text clipboard.
#include "binding/methods.h"

#include "toolkit/clipbrd.h"
#include "toolkit/extctrls.h"
#include "toolkit/htmlctrls.h"
#include "toolkit/listbox.h"
#include "toolkit/scripteddialogs.h"

#include <gtest/gtest.h>

namespace {

using M = TQelCommonMethods;

class THandlers : public TObject {
public:
    void New(TObject*) { ++news; }
    void Open(TObject*) { }
    int news = 0;
};

} // namespace

TEST(Menus, ItemsTakeCtrlAsStrg)
{
    TPopupMenu menu(nullptr);
    THandlers h;
    TMenuItem* item
        = M::MakeMenuItem(&menu, "&Neu", "Ctrl+N", TNotifyEvent(&h, &THandlers::New), 7, true, true, 2);
    menu.Items()->Add(item);
    EXPECT_EQ(item->Caption(), "&Neu");
    EXPECT_EQ(item->ShortCut(), TextToShortCut("Strg+N"));
    EXPECT_NE(item->ShortCut(), 0);
    EXPECT_EQ(item->Tag(), 7);
    EXPECT_TRUE(item->RadioItem());
    EXPECT_TRUE(item->Checked());
    EXPECT_EQ(item->GroupIndex(), 2);
    item->Click();
    EXPECT_EQ(h.news, 1);
    EXPECT_EQ(item->Owner(), &menu);

    TMenuItem* plain = M::MakeMenuItem(&menu, "Ohne", "", nullptr);
    EXPECT_EQ(plain->ShortCut(), 0);
    EXPECT_FALSE(plain->Checked());
    delete plain;
}

TEST(Menus, FindByCaptionShortcutHandlerAndTag)
{
    TPopupMenu menu(nullptr);
    THandlers h;
    TMenuItem* open = M::MakeMenuItem(&menu, "Öffnen", "Ctrl+O", TNotifyEvent(&h, &THandlers::Open), 1);
    TMenuItem* neu = M::MakeMenuItem(&menu, "Neu", "Ctrl+Shift+N", TNotifyEvent(&h, &THandlers::New), 2);
    TMenuItem* neu2 = M::MakeMenuItem(&menu, "Neu", "", nullptr, 3);
    TMenuItem* sub = M::MakeMenuItem(&menu, "Versteckt", "", nullptr, 9);
    for (TMenuItem* i : { open, neu, neu2 })
        menu.Items()->Add(i);
    neu2->Add(sub); // only direct items count

    EXPECT_EQ(M::find_menu_item(&menu, "öFFNEN", "", nullptr, 0), open);
    EXPECT_EQ(M::find_menu_item(&menu, "neu", "", nullptr, 0), neu);
    EXPECT_EQ(M::find_menu_item(&menu, "neu", "", nullptr, 3), neu2);
    EXPECT_EQ(M::find_menu_item(&menu, "", "Ctrl+Shift+N", nullptr, 0), neu);
    EXPECT_EQ(M::find_menu_item(&menu, "", "Strg+O", nullptr, 0), open);
    EXPECT_EQ(M::find_menu_item(&menu, "", "Kein Kürzel", nullptr, 0), nullptr);
    EXPECT_EQ(M::find_menu_item(&menu, "", "", TNotifyEvent(&h, &THandlers::New), 0), neu);
    EXPECT_EQ(M::find_menu_item(&menu, "Öffnen", "", TNotifyEvent(&h, &THandlers::New), 0), nullptr);
    EXPECT_EQ(M::FindMenuItemByTag(&menu, 3), neu2);
    EXPECT_EQ(M::FindMenuItemByTag(&menu, 9), nullptr);
    EXPECT_EQ(M::find_menu_item(nullptr, "Neu", "", nullptr, 0), nullptr);
}

TEST(CursorStack, NestedCallsRestoreInOrder)
{
    Screen()->SetCursor(crDefault);
    M::SetCursor(5); // the hourglass
    EXPECT_EQ(Screen()->Cursor(), crHourGlass);
    M::SetCursor(crHandPoint);
    EXPECT_EQ(Screen()->Cursor(), crHandPoint);
    M::SetCursor(crHandPoint);
    EXPECT_EQ(Screen()->Cursor(), crHandPoint);
    M::RestoreCursor();
    EXPECT_EQ(Screen()->Cursor(), crHandPoint);
    M::RestoreCursor();
    EXPECT_EQ(Screen()->Cursor(), crHourGlass);
    M::RestoreCursor();
    EXPECT_EQ(Screen()->Cursor(), crDefault);

    // Unpaired: an empty stack gives the default cursor.
    Screen()->SetCursor(crCross);
    M::RestoreCursor();
    EXPECT_EQ(Screen()->Cursor(), crDefault);
}

namespace {

// Records the cursor shown while a file is being opened.
class TCursorWatchingDialogs : public TScriptedDialogs {
public:
    TCursor cursorDuringOpen = crDefault;
    bool OpenWithProgram(const std::string& file, const std::string& parameters) override
    {
        cursorDuringOpen = Screen()->Cursor();
        return TScriptedDialogs::OpenWithProgram(file, parameters);
    }
};

} // namespace

TEST(OpenFile, GoesThroughTheDialogServiceUnderTheHourglass)
{
    auto owned = std::make_unique<TCursorWatchingDialogs>();
    TCursorWatchingDialogs* dialogs = owned.get();
    auto previous = SetDialogService(std::move(owned));
    Screen()->SetCursor(crDefault);

    EXPECT_TRUE(M::OpenFile("/tmp/Bericht März.pdf", ""));
    EXPECT_EQ(dialogs->cursorDuringOpen, crHourGlass);
    EXPECT_EQ(Screen()->Cursor(), crDefault);
    ASSERT_EQ(dialogs->Questions().size(), 1u);
    EXPECT_EQ(dialogs->LastQuestion().kind, TScriptedDialogs::TKind::OpenWithProgram);
    EXPECT_EQ(dialogs->LastQuestion().text, "/tmp/Bericht März.pdf");

    dialogs->SetOpenResult(false);
    EXPECT_FALSE(M::OpenFile("/usr/bin/programm", "-x 'a b'"));
    EXPECT_EQ(dialogs->LastQuestion().value, "-x 'a b'");
    EXPECT_EQ(Screen()->Cursor(), crDefault);
    SetDialogService(std::move(previous));
}

TEST(SmallConversions, MinutesString)
{
    EXPECT_EQ(M::MinutesString(75), "01:15");
    EXPECT_EQ(M::MinutesString(0), "00:00");
    EXPECT_EQ(M::MinutesString(59), "00:59");
    EXPECT_EQ(M::MinutesString(6000), "100:00");
    // Negative minutes read as a negative duration, not "-1:-15" as the plain formula gives.
    EXPECT_EQ(M::MinutesString(-75), "-01:15");
    EXPECT_EQ(M::MinutesString(-5), "-00:05");
}

TEST(ListBoxSelection, FirstIndexAndAllIndexes)
{
    TForm form(nullptr);
    TListBox list(&form);
    list.SetParent(&form);
    for (const char* s : { "null", "eins", "zwei", "drei" })
        list.Items().Add(s);
    TQelList<int> indexes;
    indexes.Add(42);
    EXPECT_EQ(M::GetSelectIndex(&list, &indexes), -1);
    EXPECT_EQ(indexes.Count(), 0);

    list.SetItemIndex(2);
    EXPECT_EQ(M::GetSelectIndex(&list, nullptr), 2);

    list.SetMultiSelect(true);
    list.SetSelected(3, true);
    list.SetSelected(1, true);
    EXPECT_EQ(M::GetSelectIndex(&list, &indexes), 1);
    ASSERT_EQ(indexes.Count(), 3);
    EXPECT_EQ(indexes[0], 1);
    EXPECT_EQ(indexes[1], 2);
    EXPECT_EQ(indexes[2], 3);
    EXPECT_EQ(M::GetSelectIndex(nullptr, &indexes), -1);
    EXPECT_EQ(indexes.Count(), 0);
}

TEST(Panels, SizeFollowsTheHtmlLabel)
{
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 50, 20);
    auto* label = new THTMLabel(panel);
    label->SetParent(panel);
    label->SetLeft(6);
    label->SetTop(4);
    label->HTMLText().Add("<B>Achtung:</B> ein längerer Hinweistext");
    ASSERT_GT(label->Width(), 100);
    M::AdaptPanelWidth(panel, label);
    EXPECT_EQ(panel->ClientWidth(), label->Width() + 12);
    EXPECT_EQ(panel->Height(), 20);
    label->HTMLText().Add("zweite Zeile");
    M::AdaptPanelSize(panel, label);
    EXPECT_EQ(panel->ClientWidth(), label->Width() + 12);
    EXPECT_EQ(panel->ClientHeight(), label->Height() + 8);
}

TEST(WideClipboard, EscapedCharactersTravelAsUnicode)
{
    M::SetWideStringToClipboard("Preis: 5 \\u20AC, Stra\\u00DFe? nein: \\u0141\\u00F3d\\u017A");
    EXPECT_EQ(Clipboard()->AsText(), "Preis: 5 €, Straße? nein: Łódź");
    // € and ß exist in the ANSI code page, Ł and ź do not: the text comes back escaped.
    const std::string ext = M::GetExtStringFromClipboard();
    EXPECT_TRUE(IsExtString(ext));
    EXPECT_EQ(ExtStringToUtf8(ext), "Preis: 5 €, Straße? nein: Łódź");

    M::SetWideStringToClipboard("Müller & Söhne, 5 €");
    EXPECT_EQ(Clipboard()->AsText(), "Müller & Söhne, 5 €");
    EXPECT_EQ(M::GetExtStringFromClipboard(), "Müller & Söhne, 5 €");

    Clipboard()->SetAsText("Emoji 😀");
    EXPECT_EQ(ExtStringToUtf8(M::GetExtStringFromClipboard()), "Emoji 😀");
    EXPECT_TRUE(IsExtString(M::GetExtStringFromClipboard()));
}

TEST(SubControls, CollectsByClassDirectOrRecursive)
{
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* outer = new TListBox(&form);
    outer->SetParent(&form);
    auto* inner = new TListBox(&form);
    inner->SetParent(panel);
    TQelPtrList<TCustomListBox> direct, all;
    M::GetSubControls<TCustomListBox>(&form, false, &direct);
    M::GetSubControls<TCustomListBox>(&form, true, &all);
    ASSERT_EQ(direct.Count(), 1);
    EXPECT_EQ(direct[0], outer);
    ASSERT_EQ(all.Count(), 2); // depth first, in child order
    EXPECT_EQ(all[0], inner);
    EXPECT_EQ(all[1], outer);
}
