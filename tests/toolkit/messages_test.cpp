// Messages sent by code reach the same default handling as input: text, characters, keys,
// clipboard commands; combos answer keys and item changes as the classic controls do.
#include "tk_test_util.h"
#include "toolkit/clipbrd.h"
#include "toolkit/combobox.h"
#include "toolkit/stdctrls.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <gtest/gtest.h>

namespace {

TEST(Messages, PerformedTextCharactersAndKeysEditTheText)
{
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    int changes = 0;
    edit->OnChange = TNotifyEvent([&](TObject*) { ++changes; });
    const std::string text = "abc";
    EXPECT_EQ(edit->Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())), 1);
    EXPECT_EQ(edit->Text(), "abc");
    EXPECT_EQ(edit->Perform(WM_GETTEXTLENGTH), 3);
    edit->SetSelStart(3);
    edit->Perform(WM_KEYDOWN, VK_HOME);
    EXPECT_EQ(edit->SelStart(), 0);
    edit->Perform(WM_CHAR, U'ü');
    EXPECT_EQ(edit->Text(), "üabc");
    edit->Perform(WM_CHAR, 8); // backspace
    EXPECT_EQ(edit->Text(), "abc");
    EXPECT_EQ(changes, 3);

    edit->SelectAll();
    edit->CopyToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "abc");
    edit->SetSelStart(3);
    edit->PasteFromClipboard();
    EXPECT_EQ(edit->Text(), "abcabc");
    edit->SetReadOnly(true);
    edit->PasteFromClipboard();
    edit->Perform(WM_CHAR, U'x');
    EXPECT_EQ(edit->Text(), "abcabc");
}

TEST(Messages, MemoKeepsItsBudgetAndGivesReturnAwayWithoutWantReturns)
{
    TForm form(nullptr);
    auto* memo = new TMemo(&form);
    memo->SetParent(&form);
    auto* ok = new TButton(&form);
    ok->SetParent(&form);
    ok->SetDefault(true);
    int clicked = 0;
    ok->OnClick = TNotifyEvent([&](TObject*) { ++clicked; });
    ASSERT_TRUE(ShowActive(form));
    memo->SetFocus();
    memo->SetMaxLength(3);
    QTest::keyClicks(memo->Handle(), "abcd");
    EXPECT_EQ(memo->Text(), "abc");
    QTest::keyClick(memo->Handle(), Qt::Key_Return);
    EXPECT_EQ(memo->Text(), "abc\n");
    EXPECT_EQ(clicked, 0);
    memo->SetWantReturns(false);
    QTest::keyClick(memo->Handle(), Qt::Key_Return);
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(memo->Text(), "abc\n");
    memo->SetWantTabs(true);
    memo->SetMaxLength(0);
    QTest::keyClick(memo->Handle(), Qt::Key_Tab);
    EXPECT_EQ(memo->Text(), "abc\n\t");
    EXPECT_TRUE(memo->Focused());
}

TEST(Messages, ListComboSelectsWithArrowKeysAndSwallowedKeysDoNothing)
{
    struct TGuardedCombo : TComboBox {
        using TComboBox::TComboBox;
        bool readOnly = false;
        int selects = 0;
        void Select() override
        {
            ++selects;
            TComboBox::Select();
        }
        void WndProc(TMessage& m) override
        {
            if (readOnly && m.Msg >= WM_KEYDOWN && m.Msg <= WM_CHAR)
                return;
            TComboBox::WndProc(m);
        }
    };
    TForm form(nullptr);
    auto* combo = new TGuardedCombo(&form);
    combo->SetParent(&form);
    combo->SetStyle(csDropDownList);
    combo->Items().SetCommaText("eins,zwei,drei");
    combo->SetItemIndex(0);
    ASSERT_TRUE(ShowActive(form));
    combo->SetFocus();
    QTest::keyClick(combo->Handle(), Qt::Key_Down);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->selects, 1);
    combo->readOnly = true;
    QTest::keyClick(combo->Handle(), Qt::Key_Down);
    EXPECT_EQ(combo->ItemIndex(), 1);

    // An editable combo keeps its typed text while the items change in an update block.
    combo->readOnly = false;
    combo->SetStyle(csDropDown);
    combo->SetText("zw");
    combo->Items().BeginUpdate();
    combo->Items().Clear();
    combo->Items().Add("zwanzig");
    combo->Items().Add("zwölf");
    combo->Items().EndUpdate();
    EXPECT_EQ(combo->Text(), "zw");
    EXPECT_EQ(static_cast<QComboBox*>(combo->Handle())->count(), 2);
    combo->SetDropWidth(400);
    combo->SetDroppedDown(true);
    EXPECT_GE(static_cast<QComboBox*>(combo->Handle())->view()->minimumWidth(), 400);
    combo->SetDroppedDown(false);
    combo->SetSelStart(1);
    combo->SetSelLength(5);
    EXPECT_EQ(combo->SelText(), "w");
    combo->Clear();
    EXPECT_EQ(combo->Items().Count(), 0);
    EXPECT_EQ(combo->Text(), "");
}

} // namespace
