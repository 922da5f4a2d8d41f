// Real input reaches the hooks in the classic order: enter before the first key, key down before
// the character, change after the text changed, exit when the focus leaves.
#include "tk_test_util.h"
#include "toolkit/stdctrls.h"

#include <QApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

class TProbeEdit : public TEdit {
public:
    TProbeEdit(TComponent* owner, HookLog& log)
        : TEdit(owner)
        , log_(log)
    {
    }
    bool swallowKeys = false;
    bool zeroKeyDown = false;

protected:
    void WndProc(TMessage& m) override
    {
        if (swallowKeys && (m.Msg == WM_KEYDOWN || m.Msg == WM_CHAR))
            return;
        TEdit::WndProc(m);
    }
    void DoEnter() override
    {
        log_.push_back("enter " + Name());
        TEdit::DoEnter();
    }
    void DoExit() override
    {
        log_.push_back("exit " + Name());
        TEdit::DoExit();
    }
    void KeyDown(WORD& key, TShiftState shift) override
    {
        log_.push_back("down " + std::to_string(key) + (shift.Contains(ssShift) ? "+shift" : ""));
        if (zeroKeyDown && key != VK_TAB)
            key = 0;
        TEdit::KeyDown(key, shift);
    }
    void KeyPress(char32_t& key) override
    {
        log_.push_back("press " + std::to_string(static_cast<unsigned>(key)));
        if (key == U',')
            key = U'.';
        if (key == U'x')
            key = 0;
        TEdit::KeyPress(key);
    }
    void Change() override
    {
        log_.push_back("change " + Text());
        TEdit::Change();
    }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override
    {
        log_.push_back(std::string("mousedown") + (s.Contains(ssDouble) ? " double" : ""));
        TEdit::MouseDown(b, s, x, y);
    }
    void DblClick() override
    {
        log_.push_back("dblclick");
        TEdit::DblClick();
    }

private:
    HookLog& log_;
};

struct InputForm : ::testing::Test {
    HookLog log;
    TForm form { nullptr };
    TProbeEdit* first = new TProbeEdit(&form, log);
    TProbeEdit* second = new TProbeEdit(&form, log);

    void SetUp() override
    {
        first->SetName("First");
        second->SetName("Second");
        first->SetParent(&form);
        second->SetParent(&form);
        second->SetTop(40);
        ASSERT_TRUE(ShowActive(form));
    }
};

TEST_F(InputForm, EnterPrecedesKeysAndKeyDownPrecedesCharacter)
{
    QTest::mouseClick(first->Handle(), Qt::LeftButton);
    QTest::keyClicks(first->Handle(), "ab");
    EXPECT_EQ(first->Text(), "ab");
    const HookLog expected { "enter First", "mousedown", "down 65", "press 97", "change a", "down 66",
        "press 98", "change ab" };
    EXPECT_EQ(log, expected);
}

TEST_F(InputForm, TabLeavesAndEntersInTabOrder)
{
    first->SetFocus();
    log.clear();
    QTest::keyClick(first->Handle(), Qt::Key_Tab);
    EXPECT_TRUE(second->Focused());
    const HookLog expected { "down 9", "exit First", "enter Second" };
    EXPECT_EQ(log, expected);

    log.clear();
    QTest::keyClick(second->Handle(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(first->Focused());
    // The Shift key itself arrives first, as VK_SHIFT.
    const HookLog back { "down 16+shift", "down 9+shift", "exit Second", "enter First" };
    EXPECT_EQ(log, back);

    // Tab order, not creation order, decides; controls without tab stop are skipped.
    auto* third = new TProbeEdit(&form, log);
    third->SetName("Third");
    third->SetParent(&form);
    third->SetTabOrder(0);
    EXPECT_EQ(form.FindNextControl(first, true, true, false), second);
    EXPECT_EQ(form.FindNextControl(second, true, true, false), third);
    third->SetTabStop(false);
    EXPECT_EQ(form.FindNextControl(second, true, true, false), first);
}

TEST_F(InputForm, KeyPressMayReplaceOrDropTheCharacter)
{
    first->SetFocus();
    QTest::keyClicks(first->Handle(), "1,2x3");
    EXPECT_EQ(first->Text(), "1.23");
}

TEST_F(InputForm, ZeroedKeyDownStillDeliversTheCharacterButSwallowedMessagesDoNot)
{
    first->SetFocus();
    first->zeroKeyDown = true;
    QTest::keyClicks(first->Handle(), "ab");
    EXPECT_EQ(first->Text(), "ab"); // only WM_CHAR types, as with the classic controls
    first->SetText("");
    first->swallowKeys = true;
    log.clear();
    QTest::keyClicks(first->Handle(), "ab");
    EXPECT_EQ(first->Text(), "");
    EXPECT_TRUE(log.empty());
}

TEST_F(InputForm, ArrowKeysMoveTheCaretThroughTheDefaultHandling)
{
    first->SetFocus();
    first->SetText("abc");
    first->SetSelStart(3);
    QTest::keyClick(first->Handle(), Qt::Key_Left);
    EXPECT_EQ(first->SelStart(), 2);
    first->zeroKeyDown = true;
    QTest::keyClick(first->Handle(), Qt::Key_Left);
    EXPECT_EQ(first->SelStart(), 2);
}

TEST_F(InputForm, HeldKeysAreDownUntilReleasedAndRepeatsDoNotCount)
{
    first->SetFocus();
    EXPECT_GE(GetKeyState(VK_DOWN), 0);
    QTest::keyPress(first->Handle(), Qt::Key_Down);
    QTest::keyPress(first->Handle(), Qt::Key_PageUp);
    EXPECT_LT(GetKeyState(VK_DOWN), 0);
    EXPECT_LT(GetKeyState(VK_PRIOR), 0);
    // Holding a key repeats press and release; the repeated release does not end it.
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(first->Handle(), &repeat);
    EXPECT_LT(GetKeyState(VK_DOWN), 0);
    QTest::keyRelease(first->Handle(), Qt::Key_Down);
    EXPECT_GE(GetKeyState(VK_DOWN), 0);
    EXPECT_LT(GetKeyState(VK_PRIOR), 0);
    // Keys released while another program has the input are forgotten with the activation.
    QEvent away(QEvent::ApplicationDeactivate);
    QApplication::sendEvent(qApp, &away);
    EXPECT_GE(GetKeyState(VK_PRIOR), 0);
}

TEST_F(InputForm, DoubleClickGivesDblClickThenMouseDownWithDouble)
{
    QTest::mouseDClick(first->Handle(), Qt::LeftButton);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 2], "dblclick");
    EXPECT_EQ(log.back(), "mousedown double");
}

TEST_F(InputForm, ProgrammaticTextFiresChangeOnlyWhenDifferent)
{
    first->SetText("x");
    first->SetText("x");
    EXPECT_EQ(std::count(log.begin(), log.end(), "change x"), 1);
}

TEST_F(InputForm, FocusLeavingToNothingExits)
{
    first->SetFocus();
    log.clear();
    first->Handle()->clearFocus();
    const HookLog expected { "exit First" };
    EXPECT_EQ(log, expected);
}

} // namespace

namespace {

class TProbePanel : public TCustomControl {
public:
    TProbePanel(TComponent* owner, HookLog& log)
        : TCustomControl(owner)
        , log_(log)
    {
    }

protected:
    void DoEnter() override { log_.push_back("enter " + Name()); }
    void DoExit() override { log_.push_back("exit " + Name()); }
    void Loaded() override
    {
        log_.push_back("loaded " + Name());
        TCustomControl::Loaded();
    }

private:
    HookLog& log_;
};

TEST(Containers, FocusLeavesAndEntersEveryContainerOnTheWay)
{
    HookLog log;
    TForm form(nullptr);
    auto* left = new TProbePanel(&form, log);
    left->SetName("Left");
    auto* right = new TProbePanel(&form, log);
    right->SetName("Right");
    auto* a = new TProbeEdit(&form, log);
    a->SetName("A");
    auto* b = new TProbeEdit(&form, log);
    b->SetName("B");
    left->SetParent(&form);
    right->SetParent(&form);
    right->SetLeft(200);
    left->SetBounds(0, 0, 150, 100);
    right->SetBounds(200, 0, 150, 100);
    a->SetParent(left);
    b->SetParent(right);
    ASSERT_TRUE(ShowActive(form));
    a->SetFocus();
    const HookLog in { "enter Left", "enter A" };
    EXPECT_EQ(log, in);
    log.clear();
    QTest::mouseClick(b->Handle(), Qt::LeftButton);
    const HookLog across { "exit A", "exit Left", "enter Right", "enter B", "mousedown" };
    EXPECT_EQ(log, across);
    // Freeing the focused control drops it without messages to a freed object.
    log.clear();
    delete right;
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(form.EnteredControl(), nullptr);
    a->SetFocus();
    EXPECT_EQ(form.EnteredControl(), a);
}

TEST(Containers, KeyPreviewGivesTheFormTheKeyFirst)
{
    struct TPreviewForm : TForm {
        using TForm::TForm;
        void KeyDown(WORD& key, TShiftState shift) override
        {
            if (key == VK_F5)
                key = 0;
            TForm::KeyDown(key, shift);
        }
    };
    HookLog log;
    TPreviewForm form(nullptr);
    auto* edit = new TProbeEdit(&form, log);
    edit->SetName("E");
    edit->SetParent(&form);
    form.SetKeyPreview(true);
    ASSERT_TRUE(ShowActive(form));
    edit->SetFocus();
    log.clear();
    QTest::keyClick(edit->Handle(), Qt::Key_F5);
    QTest::keyClick(edit->Handle(), Qt::Key_F6);
    EXPECT_EQ(log, HookLog { "down 117" });
}

TEST(Containers, LoadedRunsOnceForEveryComponentAfterLoading)
{
    HookLog log;
    TForm form(nullptr);
    form.BeginLoading();
    auto* p = new TProbePanel(&form, log);
    p->SetName("P");
    EXPECT_TRUE(p->ComponentState().Contains(csLoading));
    auto* q = new TProbePanel(&form, log);
    q->SetName("Q");
    form.EndLoading();
    form.EndLoading();
    EXPECT_EQ(log, (HookLog { "loaded P", "loaded Q" }));
    EXPECT_FALSE(p->ComponentState().Contains(csLoading));
}

} // namespace
