#include "tk_test_util.h"
#include "toolkit/htmlgroups.h"
#include "toolkit/registry.h"
#include "toolkit/richeditframe.h"
#include "toolkit/stdctrls.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

struct GroupForm : ::testing::Test {
    TForm form { nullptr };
    void SetUp() override { form.SetBounds(0, 0, 500, 400); }
    static QAbstractButton* button(TWinControl* g, int i)
    {
        return g->Handle()->findChild<QAbstractButton*>(QStringLiteral("item%1").arg(i));
    }
    static void click(TWinControl* g, int i)
    {
        QAbstractButton* b = button(g, i);
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    }
    static void setItems(TCustomHTMLGroup& g, std::initializer_list<const char*> items)
    {
        TStringList l;
        for (const char* t : items)
            l.Add(t);
        g.SetItems(l);
    }
};

} // namespace

TEST_F(GroupForm, RadioGroupUserChoiceClicksProgramChoiceDoesNot)
{
    THTMLRadioGroup g(&form);
    g.SetParent(&form);
    g.SetBounds(10, 10, 200, 100);
    int clicks = 0;
    g.OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
    setItems(g, { "<b>Eins</b>", "Zwei", "Drei" });
    ASSERT_TRUE(ShowActive(form));
    g.SetItemIndex(1);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(button(&g, 1)->isChecked());
    click(&g, 2);
    EXPECT_EQ(g.ItemIndex(), 2);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button(&g, 1)->isChecked());
    click(&g, 2); // already chosen
    EXPECT_EQ(clicks, 1);
    // New items keep the choice where it still exists.
    setItems(g, { "A", "B", "C", "D" });
    EXPECT_EQ(g.ItemIndex(), 2);
    EXPECT_TRUE(button(&g, 2)->isChecked());
}

TEST_F(GroupForm, CheckGroupReadOnlyItemsIgnoreTheUser)
{
    THTMLCheckGroup g(&form);
    g.SetParent(&form);
    g.SetBounds(10, 10, 200, 100);
    int clicks = 0;
    g.OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
    setItems(g, { "Eins", "Zwei" });
    g.SetChecked(0, true);
    ASSERT_TRUE(ShowActive(form));
    click(&g, 1);
    EXPECT_TRUE(g.Checked(1));
    EXPECT_EQ(g.ClickedIndex(), 1);
    EXPECT_EQ(clicks, 1);
    g.SetItemReadOnly(0, true);
    click(&g, 0);
    EXPECT_TRUE(g.Checked(0));
    EXPECT_EQ(clicks, 1);
    // A click handler that replaces the items does not pull the clicked button away under Qt.
    g.OnClick = TNotifyEvent([&](TObject*) { setItems(g, { "Neu" }); });
    click(&g, 1);
    QApplication::processEvents();
    EXPECT_EQ(g.Items().Count(), 1);
    EXPECT_NE(button(&g, 0), nullptr);
    EXPECT_EQ(button(&g, 1), nullptr);
}

TEST_F(GroupForm, CheckListBoxSpaceChecksAndCodeDoesNotNotify)
{
    TCheckListBox l(&form);
    l.SetParent(&form);
    l.SetBounds(10, 10, 200, 100);
    int notices = 0;
    l.OnClickCheck = TNotifyEvent([&](TObject*) { ++notices; });
    l.Items().Add("b");
    l.Items().Add("a");
    l.SetChecked(0, true);
    EXPECT_TRUE(l.Checked(0));
    EXPECT_EQ(notices, 0);
    ASSERT_TRUE(ShowActive(form));
    auto* list = static_cast<QListWidget*>(l.Handle());
    list->setFocus();
    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_TRUE(l.Checked(1));
    EXPECT_EQ(notices, 1);
    l.SetSorted(true); // rebuilt items carry boxes again
    EXPECT_EQ(l.Items().Get(0), "a");
    EXPECT_TRUE(list->item(0)->flags() & Qt::ItemIsUserCheckable);
}

TEST_F(GroupForm, RichEditFrameIsFoundByNameAndAnsweredByPublishedMembers)
{
    RegisterRichEditFrame();
    TComponent* c = CreateComponent(RichEditFrameClassName, &form);
    auto* frame = dynamic_cast<TWinControl*>(c);
    ASSERT_NE(frame, nullptr);
    frame->SetParent(&form);
    frame->SetBounds(10, 10, 300, 200);
    EXPECT_TRUE(frame->GetPropValue("IsEmpty").AsBoolean());
    EXPECT_EQ(frame->GetPropValue("XMLComp").AsString(), "");
    ASSERT_TRUE(frame->SetPropValue("XMLComp", "<p>Hallo <i>Welt</i></p>"));
    EXPECT_FALSE(frame->GetPropValue("IsEmpty").AsBoolean());
    EXPECT_NE(frame->GetPropValue("XMLComp").AsString().find("font-style:italic"), std::string::npos);
    EXPECT_TRUE(frame->HasPublishedMethod("rvechange"));
    EXPECT_TRUE(frame->InvokePublishedMethod("RVEChange", &form));
    EXPECT_FALSE(frame->InvokePublishedMethod("GibtEsNicht", &form));
    frame->SetPropValue("ReadOnly", true);
    EXPECT_TRUE(frame->Handle()->findChild<QTextEdit*>()->isReadOnly());
}

// By keys: Tab lands on the chosen item, the arrows choose the neighbour (wrapping round), Tab and
// Shift+Tab leave the group for the controls around it.
TEST_F(GroupForm, RadioGroupByKeys)
{
    TEdit before(&form), after(&form);
    before.SetParent(&form);
    THTMLRadioGroup g(&form);
    g.SetParent(&form);
    g.SetBounds(10, 40, 200, 100);
    after.SetParent(&form);
    after.SetTop(150);
    int clicks = 0;
    g.OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
    setItems(g, { "Eins", "Zwei", "Drei" });
    g.SetItemIndex(1);
    ASSERT_TRUE(ShowActive(form));
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}) {
        QTest::keyClick(QApplication::focusWidget(), k, m);
        QApplication::processEvents();
    };
    before.SetFocus();
    key(Qt::Key_Tab);
    ASSERT_TRUE(g.Focused());
    EXPECT_EQ(QApplication::focusWidget(), button(&g, 1));
    key(Qt::Key_Down);
    EXPECT_EQ(g.ItemIndex(), 2);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(QApplication::focusWidget(), button(&g, 2));
    key(Qt::Key_Down);
    EXPECT_EQ(g.ItemIndex(), 0);
    key(Qt::Key_Up);
    EXPECT_EQ(g.ItemIndex(), 2);
    EXPECT_EQ(clicks, 3);
    key(Qt::Key_Tab);
    EXPECT_TRUE(after.Focused());
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), button(&g, 2)) << "back on the chosen item";
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(before.Focused());
}
