// Field widgets under real input: combos, memo, check box, labelled edit, buttons, panels.
#include "tk_test_util.h"
#include "toolkit/advctrls.h"
#include "toolkit/buttons.h"
#include "toolkit/extctrls.h"
#include "toolkit/htmlctrls.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

class TProbeCombo : public TAdvComboBox {
public:
    TProbeCombo(TComponent* owner, HookLog& log)
        : TAdvComboBox(owner)
        , log_(log)
    {
    }

protected:
    void Change() override
    {
        log_.push_back("change " + Text());
        TAdvComboBox::Change();
    }
    void Select() override
    {
        log_.push_back("select " + std::to_string(ItemIndex()));
        TAdvComboBox::Select();
    }
    void DropDown() override
    {
        log_.push_back("dropdown");
        TAdvComboBox::DropDown();
    }
    void CloseUp() override
    {
        log_.push_back("closeup");
        TAdvComboBox::CloseUp();
    }
    void KeyDown(WORD& key, TShiftState shift) override
    {
        log_.push_back("down " + std::to_string(key));
        TAdvComboBox::KeyDown(key, shift);
    }

private:
    HookLog& log_;
};

struct WidgetForm : ::testing::Test {
    HookLog log;
    TForm form { nullptr };
    void SetUp() override { form.SetBounds(0, 0, 500, 400); }
};

TEST_F(WidgetForm, ComboItemsCarryObjectsAndCodeChangesRunNoHooks)
{
    auto* combo = new TProbeCombo(&form, log);
    combo->SetParent(&form);
    TObject a, b;
    combo->Items().AddObject("Apfel", &a);
    combo->Items().AddObject("Birne", &b);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "");
    EXPECT_EQ(combo->Items().Objects(1), &b);
    EXPECT_EQ(combo->Items().IndexOfObject(&a), 0);
    combo->SetItemIndex(1);
    combo->SetText("frei");
    EXPECT_TRUE(log.empty());
    combo->SetStyle(csDropDownList);
    combo->SetText("birne");
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), "Birne");
    combo->SetText("Kiwi");
    EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(WidgetForm, ComboTypingChangesAndPickingSelectsAfterCloseUp)
{
    auto* combo = new TProbeCombo(&form, log);
    combo->SetParent(&form);
    combo->Items().SetCommaText("Apfel,Birne,Kirsche");
    ASSERT_TRUE(ShowActive(form));
    combo->SetFocus();
    QTest::keyClicks(combo->Handle(), "Ki");
    EXPECT_EQ(combo->Text(), "Ki");
    const HookLog typed { "down 75", "change K", "down 73", "change Ki" };
    EXPECT_EQ(log, typed);

    log.clear();
    combo->SetDroppedDown(true);
    EXPECT_TRUE(combo->DroppedDown());
    auto* box = static_cast<QComboBox*>(combo->Handle());
    QAbstractItemView* view = box->view();
    const QRect r = view->visualRect(view->model()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->Text(), "Birne");
    const HookLog picked { "dropdown", "closeup", "select 1", "change Birne" };
    EXPECT_EQ(log, picked);
}

TEST_F(WidgetForm, SimpleComboNeverDropsAndSortedItemsStaySorted)
{
    auto* combo = new TProbeCombo(&form, log);
    combo->SetParent(&form);
    combo->SetStyle(csSimple);
    combo->SetDroppedDown(true);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_TRUE(log.empty());
    combo->SetSorted(true);
    combo->Items().Add("Zitrone");
    combo->Items().Add("apfel");
    combo->Items().Add("Mango");
    auto* box = static_cast<QComboBox*>(combo->Handle());
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(0), "apfel");
    EXPECT_EQ(box->itemText(2), "Zitrone");
}

TEST_F(WidgetForm, MemoLinesCaretAndReturn)
{
    auto* memo = new TMemo(&form);
    memo->SetParent(&form);
    memo->Lines().Add("eins");
    memo->Lines().Add("zwei");
    EXPECT_EQ(memo->Text(), "eins\nzwei");
    EXPECT_EQ(memo->Lines().Count(), 2);
    ASSERT_TRUE(ShowActive(form));
    memo->SetFocus();
    memo->SetCaretPos({ 2, 1 });
    EXPECT_EQ(memo->CaretPos(), (TPoint { 2, 1 }));
    QTest::keyClick(memo->Handle(), Qt::Key_Return);
    QTest::sendKeyEvent(
        QTest::Click, memo->Handle(), Qt::Key_Adiaeresis, QStringLiteral("ä"), Qt::NoModifier);
    EXPECT_EQ(memo->Lines().Count(), 3);
    EXPECT_EQ(memo->Lines()[2], "äei");
    EXPECT_EQ(memo->CaretPos(), (TPoint { 1, 2 }));
    memo->SetReadOnly(true);
    QTest::keyClicks(memo->Handle(), "x");
    EXPECT_EQ(memo->Lines()[2], "äei");
}

TEST_F(WidgetForm, CheckBoxClicksAndSwallowedReleaseKeepsState)
{
    struct TGuardedBox : THTMLCheckBox {
        using THTMLCheckBox::THTMLCheckBox;
        int clicks = 0;
        bool blockRelease = false;
        void Click() override
        {
            ++clicks;
            THTMLCheckBox::Click();
        }
        void WndProc(TMessage& m) override
        {
            if (blockRelease && m.Msg == WM_LBUTTONUP)
                return;
            THTMLCheckBox::WndProc(m);
        }
    };
    auto* box = new TGuardedBox(&form);
    box->SetParent(&form);
    box->SetCaption("<b>Aktiv</b>");
    box->SetWidth(150);
    ASSERT_TRUE(ShowActive(form));
    QTest::mouseClick(box->Handle(), Qt::LeftButton, {}, QPoint(100, box->Height() / 2));
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(box->clicks, 1);
    box->blockRelease = true;
    QTest::mouseClick(box->Handle(), Qt::LeftButton);
    EXPECT_TRUE(box->Checked());
    EXPECT_FALSE(static_cast<QAbstractButton*>(box->Handle())->isDown());
    // Programmatic changes click too, unless clicks are disabled.
    box->SetChecked(false);
    EXPECT_EQ(box->clicks, 2);
    box->SetClicksDisabled(true);
    box->SetChecked(true);
    EXPECT_EQ(box->clicks, 2);
    box->SetReadOnly(true);
    box->blockRelease = false;
    QTest::mouseClick(box->Handle(), Qt::LeftButton);
    EXPECT_TRUE(box->Checked());
}

TEST_F(WidgetForm, AdvEditLabelFollowsTheEdit)
{
    auto* edit = new TAdvEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(100, 50, 120, 24);
    edit->SetLabelCaption("Name");
    edit->SetLabelPosition(lpLeftCenter);
    QWidget* label = edit->EditLabel().Handle();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(static_cast<QLabel*>(label)->text(), "Name");
    EXPECT_EQ(label->geometry().right() + 1 + edit->LabelMargin(), 100);
    edit->SetLabelPosition(lpTopLeft);
    EXPECT_EQ(label->x(), 100);
    EXPECT_EQ(label->geometry().bottom() + 1 + edit->LabelMargin(), 50);
    edit->SetLeft(200);
    EXPECT_EQ(label->x(), 200);
    ASSERT_TRUE(ShowActive(form));
    EXPECT_TRUE(label->isVisible());
    edit->Hide();
    EXPECT_FALSE(label->isVisible());
    edit->Show();
    edit->SetEnabled(false);
    EXPECT_FALSE(label->isEnabled());
    edit->SetLabelAlwaysEnabled(true);
    EXPECT_TRUE(label->isEnabled());
}

TEST_F(WidgetForm, AdvEditSelectionCountsCharacters)
{
    auto* edit = new TAdvEdit(&form);
    edit->SetParent(&form);
    edit->SetText("Grüße 😀 dir");
    edit->SetSelStart(6);
    edit->SetSelLength(1);
    EXPECT_EQ(edit->SelText(), "😀");
    EXPECT_EQ(edit->SelStart(), 6);
    EXPECT_EQ(edit->GetTextLen(), 11);
    edit->SetReadOnly(true);
    EXPECT_TRUE(static_cast<QLineEdit*>(edit->Handle())->isReadOnly());
}

TEST_F(WidgetForm, DefaultAndCancelButtonsAnswerReturnAndEscape)
{
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    auto* ok = new TBitBtn(&form);
    ok->SetParent(&form);
    ok->SetKind(bkOK);
    auto* cancel = new TBitBtn(&form);
    cancel->SetParent(&form);
    cancel->SetKind(bkCancel);
    EXPECT_EQ(ok->Caption(), "OK");
    EXPECT_EQ(cancel->Caption(), "Abbrechen");
    int result = 0;
    TCustomForm::TModalDriver old = TCustomForm::SetModalDriver([&](TCustomForm* f) {
        edit->SetFocus();
        QTest::keyClick(edit->Handle(), Qt::Key_Return);
        result = f->ModalResult();
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(result, mrOk);
    TCustomForm::SetModalDriver([&](TCustomForm*) {
        edit->SetFocus();
        QTest::keyClick(edit->Handle(), Qt::Key_Escape);
    });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    // A driver that leaves the form open fails instead of blocking.
    TCustomForm::SetModalDriver([](TCustomForm*) {});
    EXPECT_THROW(form.ShowModal(), std::logic_error);
    TCustomForm::SetModalDriver(old);
}

TEST_F(WidgetForm, AlignAndAnchorsFollowTheParent)
{
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 300, 200);
    panel->SetBevelOuter(bvNone);
    auto* top = new TPanel(&form);
    top->SetParent(panel);
    top->SetHeight(30);
    top->SetAlign(alTop);
    auto* client = new TPanel(&form);
    client->SetParent(panel);
    client->SetAlign(alClient);
    auto* corner = new TButton(&form);
    corner->SetParent(top);
    corner->SetBounds(220, 2, 75, 25);
    corner->SetAnchors({ akTop, akRight });
    EXPECT_EQ(top->BoundsRect(), Bounds(0, 0, 300, 30));
    EXPECT_EQ(client->BoundsRect(), Bounds(0, 30, 300, 170));
    panel->SetWidth(400);
    EXPECT_EQ(top->Width(), 400);
    EXPECT_EQ(client->BoundsRect(), Bounds(0, 30, 400, 170));
    EXPECT_EQ(corner->Left(), 320);
    // A bevel takes its width from the client area.
    panel->SetBevelOuter(bvRaised);
    EXPECT_EQ(top->BoundsRect(), Bounds(1, 1, 398, 30));
}

} // namespace
