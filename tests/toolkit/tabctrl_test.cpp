// The tab control under real clicks: the user's choice raises OnChange, the program's does not;
// the client area lies below the tabs.
#include "toolkit/extctrls.h"
#include "toolkit/form.h"
#include "toolkit/tabctrl.h"

#include <QApplication>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

TEST(TabControl, ClicksRaiseChangeAndTheClientAreaLiesBelowTheTabs)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
    auto* tabs = new TTabControl(&form);
    tabs->SetParent(&form);
    tabs->SetBounds(0, 0, 400, 200);
    std::vector<int> asked;
    tabs->OnGetImageIndex = TEvent<TObject*, int, int&>([&](TObject*, int index, int& image) {
        asked.push_back(index);
        image = index;
    });
    int changes = 0;
    tabs->OnChange = TNotifyEvent([&](TObject*) { ++changes; });
    tabs->AddTab("Eins");
    tabs->AddTab("Zwei");
    tabs->AddTab("Drei");
    EXPECT_EQ(asked, (std::vector<int> { 0, 1, 2 }));
    EXPECT_EQ(tabs->TabIndex(), 0);

    tabs->SetTabIndex(2);
    EXPECT_EQ(changes, 0) << "the program's choice is no change";
    tabs->SetTabIndex(7);
    EXPECT_EQ(tabs->TabIndex(), 2);

    form.Show();
    QApplication::processEvents();
    auto* bar = tabs->Handle()->findChild<QTabBar*>();
    ASSERT_NE(bar, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(tabs->TabIndex(), 1);
    EXPECT_EQ(changes, 1);

    tabs->SetTabCaption(1, "Zweite");
    EXPECT_EQ(tabs->TabCaption(1), "Zweite");
    auto* client = new TPanel(&form);
    client->SetParent(tabs);
    client->SetAlign(alClient);
    EXPECT_GE(client->Top(), bar->sizeHint().height());
    EXPECT_GT(client->Height(), 100);

    tabs->ClearTabs();
    EXPECT_EQ(tabs->TabCount(), 0);
    EXPECT_EQ(tabs->TabIndex(), -1);
    EXPECT_EQ(changes, 1);
}
