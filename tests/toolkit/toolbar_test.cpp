// The tool bar: buttons left to right in the order they were put on it, and buttons that mirror
// a menu item (caption, hint, image, enabled state) and run it when clicked.
#include "toolkit/form.h"
#include "toolkit/menus.h"
#include "toolkit/toolbar.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QPushButton* push(TToolButton* b)
{
    return qobject_cast<QPushButton*>(b->Handle());
}

} // namespace

TEST(ToolBar, ButtonsMirrorMenuItemsAndRunThem)
{
    TForm form(nullptr);
    form.SetClientWidth(400);
    auto* bar = new TToolBar(&form);
    bar->SetParent(&form);
    bar->SetBounds(0, 0, 400, 28);
    std::vector<TToolButton*> buttons;
    for (int i = 0; i < 3; ++i) {
        buttons.push_back(new TToolButton(bar));
        buttons.back()->SetParent(bar);
    }
    ASSERT_EQ(bar->ButtonCount(), 3);
    EXPECT_EQ(bar->Buttons(2), buttons[2]);
    EXPECT_EQ(bar->Buttons(3), nullptr);

    TPopupMenu menu(nullptr);
    auto* item = new TMenuItem(&menu);
    item->SetCaption("Element löschen");
    item->SetImageIndex(11);
    int runs = 0;
    item->OnClick = [&](TObject*) { ++runs; };
    menu.Items()->Add(item);
    buttons[1]->SetMenuItem(item);
    EXPECT_EQ(buttons[1]->Caption(), "Element löschen");
    EXPECT_EQ(buttons[1]->Hint(), "Element löschen");
    EXPECT_EQ(buttons[1]->ImageIndex(), 11);
    // Left to right in the order they were put on the bar, each as wide as its caption needs.
    EXPECT_EQ(buttons[0]->Left(), 0);
    EXPECT_EQ(buttons[1]->Left(), buttons[0]->Left() + buttons[0]->Width());
    EXPECT_EQ(buttons[2]->Left(), buttons[1]->Left() + buttons[1]->Width());
    EXPECT_GT(buttons[1]->Width(), buttons[0]->Width());
    EXPECT_EQ(buttons[1]->Height(), 28);

    form.Show();
    QApplication::processEvents();
    QTest::mouseClick(push(buttons[1]), Qt::LeftButton);
    EXPECT_EQ(runs, 1);
    item->SetEnabled(false);
    buttons[1]->Click();
    EXPECT_EQ(runs, 1) << "a disabled item does not run";

    int own = 0;
    buttons[1]->OnClick = [&](TObject*) { ++own; };
    menu.Items()->Clear(); // frees the item: the button lets it go and clicks as a button again
    EXPECT_EQ(buttons[1]->MenuItem(), nullptr);
    buttons[1]->Click();
    EXPECT_EQ(own, 1);
    EXPECT_EQ(runs, 1);

    bar->SetButtonWidth(50);
    EXPECT_EQ(buttons[2]->Left(), 100);
}
