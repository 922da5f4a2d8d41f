// The tab order a .ui file lists (<tabstops>): applied within each parent, followed by the Tab
// key; names that are no control are reported, and damaged lists load or fail cleanly.
#include "QelObjCntrl.h"
#include "toolkit/extctrls.h"
#include "toolkit/form.h"
#include "toolkit/stdctrls.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <random>

namespace {

std::string Edit(const std::string& name, int x, int y)
{
    return R"(<widget class="TEdit" name=")" + name + R"(">
    <property name="geometry"><rect><x>)"
        + std::to_string(x) + "</x><y>" + std::to_string(y)
        + R"(</y><width>80</width><height>24</height></rect></property>
   </widget>
)";
}

// Three edits on the form and two on a panel, each created in the order a, b, c / d, e; the
// tab stops name them in another order, across the parents, as Qt Designer writes them.
std::string TabForm(const std::string& tabstops)
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>TabForm</class>
 <widget class="QWidget" name="TabForm">
  <property name="geometry"><rect><x>0</x><y>0</y><width>400</width><height>200</height></rect></property>
)" + Edit("edA", 8, 8)
        + Edit("edB", 100, 8) + Edit("edC", 200, 8) + R"(<widget class="TPanel" name="pnl">
   <property name="geometry"><rect><x>8</x><y>60</y><width>300</width><height>100</height></rect></property>
)" + Edit("edD", 8, 8)
        + Edit("edE", 100, 8) + R"(</widget>
 </widget>
 <tabstops>
)" + tabstops
        + R"( </tabstops>
 <resources/>
 <connections/>
</ui>
)";
}

std::string Stops(std::initializer_list<const char*> names)
{
    std::string s;
    for (const char* n : names)
        s += std::string("  <tabstop>") + n + "</tabstop>\n";
    return s;
}

std::vector<std::string> qtWarnings;
void CollectWarnings(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtWarningMsg)
        qtWarnings.push_back(text.toStdString());
}

class TabStops : public ::testing::Test {
protected:
    TabStops() { qtWarnings.clear(); }
    TFormLoadResult load(const std::string& tabstops)
    {
        const QtMessageHandler old = qInstallMessageHandler(&CollectWarnings);
        TFormLoadResult r = QelObjCntrl::LoadFormText(&form, TabForm(tabstops), &form);
        qInstallMessageHandler(old);
        return r;
    }
    TWinControl* at(const char* name) { return dynamic_cast<TWinControl*>(form.FindComponent(name)); }
    // Where the focus goes after pressing Tab (or Shift+Tab) in the focused control.
    std::string tab(Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
        QApplication::processEvents();
        TWinControl* focused = nullptr;
        for (const char* n : { "edA", "edB", "edC", "edD", "edE" })
            if (at(n)->Focused())
                focused = at(n);
        return focused ? focused->Name() : std::string("(keines)");
    }
    TForm form { nullptr };
};

TEST_F(TabStops, TheListedOrderHoldsWithinEachParentAndTheTabKeyFollowsIt)
{
    const TFormLoadResult r = load(Stops({ "edC", "edE", "edA", "edD" }));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
    EXPECT_TRUE(qtWarnings.empty()) << qtWarnings.front();

    // The listed ones first, in the file's order; edB and the panel, not listed, after them.
    EXPECT_EQ(at("edC")->TabOrder(), 0);
    EXPECT_EQ(at("edA")->TabOrder(), 1);
    EXPECT_EQ(at("edB")->TabOrder(), 2);
    EXPECT_EQ(at("pnl")->TabOrder(), 3);
    EXPECT_EQ(at("edE")->TabOrder(), 0);
    EXPECT_EQ(at("edD")->TabOrder(), 1);

    form.Show();
    at("edC")->SetFocus();
    QApplication::processEvents();
    ASSERT_TRUE(at("edC")->Focused());
    EXPECT_EQ(tab(), "edA");
    EXPECT_EQ(tab(), "edB");
    EXPECT_EQ(tab(), "edE"); // into the panel, which takes no focus itself
    EXPECT_EQ(tab(), "edD");
    EXPECT_EQ(tab(), "edC"); // and round again
    EXPECT_EQ(tab(Qt::ShiftModifier), "edD");
}

TEST_F(TabStops, WithoutAListTheCreationOrderStays)
{
    const TFormLoadResult r = load("");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
    EXPECT_EQ(at("edA")->TabOrder(), 0);
    EXPECT_EQ(at("edC")->TabOrder(), 2);
    EXPECT_EQ(at("edD")->TabOrder(), 0);
}

TEST_F(TabStops, UnknownAndRepeatedNamesAreReportedOrIgnored)
{
    // The top widget, a name nobody has and a repeated name: the rest of the list still applies.
    const TFormLoadResult r = load(Stops({ "edB", "edNix", "TabForm", "edA", "edB", " edE " }));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.warnings,
        (std::vector<std::string> { "Unbekanntes Steuerelement \"edNix\" in der Tabulatorreihenfolge",
            "Unbekanntes Steuerelement \"TabForm\" in der Tabulatorreihenfolge" }));
    EXPECT_EQ(at("edB")->TabOrder(), 0);
    EXPECT_EQ(at("edA")->TabOrder(), 1);
    EXPECT_EQ(at("edC")->TabOrder(), 2);
    EXPECT_EQ(at("edE")->TabOrder(), 0);
}

TEST_F(TabStops, DamagedListsLoadOrFailCleanly)
{
    const std::string good = TabForm(Stops({ "edC", "edE", "edA", "edD", "edB" }));
    const std::size_t from = good.find("<tabstops>");
    std::mt19937 rng(20261208);
    const char alphabet[] = "<>/=\"x \n";
    for (int round = 0; round < 150; ++round) {
        std::string text = good;
        for (int e = 1 + static_cast<int>(rng() % 4); e > 0; --e) {
            const std::size_t pos = from + rng() % (text.size() - from);
            if (rng() % 2)
                text[pos] = alphabet[rng() % (sizeof(alphabet) - 1)];
            else
                text.erase(pos, 1 + rng() % 10);
        }
        TForm target(nullptr);
        const QtMessageHandler old = qInstallMessageHandler(&CollectWarnings);
        const TFormLoadResult r = QelObjCntrl::LoadFormText(&target, text, &target);
        qInstallMessageHandler(old);
        if (!r.ok)
            continue;
        // Whatever was applied, every edit keeps exactly one place in its parent's order.
        std::vector<TWinControl*> list;
        target.GetTabOrderList(list);
        EXPECT_EQ(list.size(), 6u) << round;
    }
}

} // namespace
