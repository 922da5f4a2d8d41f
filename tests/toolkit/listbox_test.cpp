// List boxes, form size constraints, and the tab order after a child is destroyed.
#include "tk_test_util.h"

#include "toolkit/form.h"
#include "toolkit/listbox.h"
#include "toolkit/stdctrls.h"

#include <QListWidget>
#include <gtest/gtest.h>

namespace {

QListWidget* widgetOf(TCustomListBox& list)
{
    return static_cast<QListWidget*>(list.Handle());
}

} // namespace

TEST(ListBox, ItemsAreMirroredAndSelectedByClicks)
{
    TForm form(nullptr);
    form.SetBounds(50, 50, 300, 300);
    TListBox list(&form);
    list.SetParent(&form);
    list.SetBounds(10, 10, 200, 200);
    list.Items().Add("Berta");
    list.Items().Add("Anton");
    list.Items().Insert(1, "Cäsar");
    list.Items().BeginUpdate();
    for (int i = 0; i < 5; ++i)
        list.Items().Add("Eintrag " + std::to_string(i));
    EXPECT_EQ(widgetOf(list)->count(), 3); // rebuilt once at the end of the block
    list.Items().EndUpdate();
    ASSERT_EQ(widgetOf(list)->count(), 8);
    EXPECT_EQ(widgetOf(list)->item(1)->text().toStdString(), "Cäsar");
    list.Items().Delete(0);
    list.SetSorted(true);
    EXPECT_EQ(widgetOf(list)->item(0)->text().toStdString(), "Anton");
    EXPECT_EQ(widgetOf(list)->count(), list.Count());

    int changes = 0;
    list.OnChange = [&changes](TObject*) { ++changes; };
    ASSERT_TRUE(ShowActive(form));
    QWidget* viewport = widgetOf(list)->viewport();
    QTest::mouseClick(
        viewport, Qt::LeftButton, {}, widgetOf(list)->visualItemRect(widgetOf(list)->item(1)).center());
    EXPECT_EQ(list.ItemIndex(), 1);
    EXPECT_TRUE(list.Selected(1));
    EXPECT_EQ(changes, 1);
    list.SetItemIndex(2); // from code: no change event
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(list.Selected(1));
    EXPECT_EQ(list.SelCount(), 1);

    list.SetMultiSelect(true);
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier,
        widgetOf(list)->visualItemRect(widgetOf(list)->item(4)).center());
    EXPECT_TRUE(list.Selected(2));
    EXPECT_TRUE(list.Selected(4));
    EXPECT_EQ(list.SelCount(), 2);
    list.SetMultiSelect(false); // only the current item stays selected
    EXPECT_EQ(list.SelCount(), 1);
    EXPECT_TRUE(list.Selected(4));
}

TEST(ListBox, ItemHeightSizesTheRows)
{
    TForm form(nullptr);
    TListBox list(&form);
    list.SetParent(&form);
    list.Items().Add("a");
    list.Items().Add("b");
    list.SetItemHeight(30);
    form.Show();
    QApplication::processEvents();
    EXPECT_EQ(widgetOf(list)->visualItemRect(widgetOf(list)->item(0)).height(), 30);
    EXPECT_EQ(widgetOf(list)->visualItemRect(widgetOf(list)->item(1)).top(), 30);
    EXPECT_EQ(list.GetPropValue("ItemHeight").AsInteger(), 30);
}

TEST(FormConstraints, BoundsStayWithinTheLimits)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    form.Constraints().SetMinWidth(300);
    EXPECT_EQ(form.Width(), 300); // a change resizes into the limits
    form.Constraints().SetMaxHeight(150);
    form.SetClientHeight(400);
    EXPECT_EQ(form.Height(), 150);
    form.SetBounds(0, 0, 10, 10);
    EXPECT_EQ(form.Width(), 300);
    EXPECT_EQ(form.Height(), 10);
    EXPECT_EQ(form.Handle()->minimumWidth(), 300);
    form.Constraints().SetMinWidth(0);
    form.SetWidth(40);
    EXPECT_EQ(form.Width(), 40);
}

TEST(TabOrder, DestroyedChildLeavesTheTabOrder)
{
    TForm form(nullptr);
    auto* first = new TEdit(&form);
    first->SetParent(&form);
    auto* second = new TEdit(&form);
    second->SetParent(&form);
    delete first;
    std::vector<TWinControl*> order;
    form.GetTabOrderList(order);
    EXPECT_EQ(order, std::vector<TWinControl*> { second });
}
