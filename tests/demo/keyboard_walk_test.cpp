// The demo's windows as a clerk works them with the keyboard only: Tab and Shift+Tab visit every
// control that takes input once, in reading order, and come back to the start; no control keeps
// the focus or opens a list on its own.
#include "demo_fixture.h"
#include "firm_form.h"
#include "navigation_window.h"
#include "person_form.h"
#include "person_list.h"
#include "person_search.h"

#include "controls/QelPageControl.h"
#include "lists/QelSelectGrid.h"
#include "support/focus_chain.h"
#include "toolkit/gridcontrol.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

TWinControl* OwnerOf(QWidget* w)
{
    for (QWidget* p = w; p; p = p->parentWidget())
        if (auto* c = dynamic_cast<TWinControl*>(TControl::FromWidget(p)))
            return c;
    return nullptr;
}

// A control's name; a control's unnamed part (the editor of a formatted-text memo) goes by
// the name of the control it belongs to.
QString NameOf(const TControl* c)
{
    for (const TControl* p = c; p; p = p->Parent())
        if (!p->Name().empty())
            return QString::fromStdString(p->Name());
    return QStringLiteral("?");
}

QString OwnerName(QWidget* w)
{
    return NameOf(OwnerOf(w));
}

// A grid that moves between its cells with Tab is left with Ctrl+Tab.
bool TakesTab(QWidget* w)
{
    const auto* grid = dynamic_cast<TCustomGrid*>(OwnerOf(w));
    return grid && grid->Options().Contains(goTabs);
}

// The controls of a window that a person can reach by Tab now: shown, enabled, tab stops.
QStringList Reachable(const TWinControl& form)
{
    std::vector<TWinControl*> all;
    form.GetTabOrderList(all);
    QStringList names;
    for (TWinControl* c : all)
        if (c->TabStop() && c->CanFocus() && c->Handle()->isVisible())
            names << NameOf(c);
    return names;
}

class KeyboardWalkTest : public DemoDbTest {
protected:
    KeyboardWalkTest()
        : DemoDbTest(30, 8)
    {
    }
    void TearDown() override
    {
        personForm.reset();
        firmForm.reset();
        listForm.reset();
        searchForm.reset();
        navigation.reset();
        DemoDbTest::TearDown();
    }
    template <class T> T* control(TForm& form, const char* name)
    {
        auto* c = dynamic_cast<T*>(form.FindComponent(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    // Starts on `first`, walks forward and back and checks both walks: closed, each control
    // once, every reachable control visited, the backward walk the forward one reversed.
    FocusChain walk(TForm& form, TWinControl* first, const char* what)
    {
        first->SetFocus();
        QApplication::processEvents();
        EXPECT_TRUE(first->Focused()) << what;
        const FocusChain forward = RecordFocusChain(OwnerName, true, TakesTab);
        std::printf(
            "[ focus chain ] %s:\n  %s\n", what, qPrintable(forward.Controls().join(QLatin1String(", "))));
        EXPECT_TRUE(forward.closed) << what << ": " << forward.trap.toStdString() << "\n"
                                    << forward.Text().toStdString();
        EXPECT_TRUE(forward.Repeated().isEmpty())
            << what << ": reached twice: " << forward.Repeated().join(", ").toStdString();
        const QStringList visited = forward.Controls();
        for (const QString& name : Reachable(form))
            EXPECT_TRUE(visited.contains(name)) << what << ": " << name.toStdString() << " skipped";

        EXPECT_TRUE(first->Focused());
        const FocusChain backward = RecordFocusChain(OwnerName, false, TakesTab);
        EXPECT_TRUE(backward.closed) << what << " backwards: " << backward.trap.toStdString();
        QStringList back = backward.Controls();
        if (!back.isEmpty())
            std::reverse(back.begin() + 1, back.end());
        EXPECT_EQ(back, visited) << what << ": Shift+Tab does not walk the same way back";
        return forward;
    }
    static void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), k, m);
        QApplication::processEvents();
    }

    std::unique_ptr<TPersonForm> personForm;
    std::unique_ptr<TFirmForm> firmForm;
    std::unique_ptr<TPersonListForm> listForm;
    std::unique_ptr<TPersonSearchForm> searchForm;
    std::unique_ptr<TNavigationWindow> navigation;
};

TEST_F(KeyboardWalkTest, PersonFormFirstPageInReadingOrder)
{
    personForm = std::make_unique<TPersonForm>(nullptr, store.db.get());
    ASSERT_TRUE(personForm->ShowPerson());
    showActive(*personForm);
    const FocusChain chain = walk(*personForm, personForm->Pages(), "Person, Allgemein");
    EXPECT_EQ(chain.Controls(),
        (QStringList { "pcPerson", "edAnrede", "edTitel", "edVorname", "edName", "edGeburtsdatum", "edGehalt",
            "edEmail", "edEintritt", "edKinder", "edObjektpfad", "cbAktiv", "cgSprachen", "clRollen",
            "cbAnrede", "cbAktivWahl", "cbArbeitgeber", "grdAuswahl", "cbArbeitgeberSuche", "btnPrev",
            "btnNext", "btnDiscard", "btnSave" }));
}

// A button reached by Tab shows that it has the focus: it looks different from the same button
// without the focus.
TEST_F(KeyboardWalkTest, ButtonsShowTheFocus)
{
    personForm = std::make_unique<TPersonForm>(nullptr, store.db.get());
    ASSERT_TRUE(personForm->ShowPerson());
    showActive(*personForm);
    // Not the default button: that one is marked all the time.
    auto* discard = control<TWinControl>(*personForm, "btnDiscard");
    control<TWinControl>(*personForm, "btnNext")->SetFocus();
    key(Qt::Key_Tab);
    ASSERT_TRUE(discard->Focused());
    const QImage focused = discard->Handle()->grab().toImage();
    key(Qt::Key_Tab);
    ASSERT_FALSE(discard->Focused());
    const QImage unfocused = discard->Handle()->grab().toImage();
    EXPECT_NE(focused, unfocused) << "no focus frame on the button";
}

TEST_F(KeyboardWalkTest, PersonFormEveryPage)
{
    personForm = std::make_unique<TPersonForm>(nullptr, store.db.get());
    ASSERT_TRUE(personForm->ShowPerson());
    showActive(*personForm);
    TQelPageControl* pages = personForm->Pages();
    for (int i = 1; i < pages->PageCount(); ++i) {
        pages->SetActivePageIndex(i);
        QApplication::processEvents();
        const std::string what = "Person, " + pages->Pages(i)->Caption();
        walk(*personForm, pages, what.c_str());
    }
}

TEST_F(KeyboardWalkTest, PersonsList)
{
    listForm = std::make_unique<TPersonListForm>(nullptr, store.db.get());
    showActive(*listForm);
    const FocusChain chain = walk(*listForm, listForm->Grid(), "Personen");
    EXPECT_TRUE(chain.Controls().contains("tabFilter")) << "the view tabs are reached by Tab";
}

TEST_F(KeyboardWalkTest, SearchWindow)
{
    searchForm = std::make_unique<TPersonSearchForm>(nullptr, store.db.get());
    showActive(*searchForm);
    walk(*searchForm, control<TWinControl>(*searchForm, "cbAnrede"), "Suche");
}

TEST_F(KeyboardWalkTest, FirmForm)
{
    firmForm = std::make_unique<TFirmForm>(nullptr, store.db.get());
    ASSERT_TRUE(firmForm->ShowFirm());
    showActive(*firmForm);
    std::vector<TWinControl*> all;
    firmForm->GetTabOrderList(all);
    const auto first
        = std::find_if(all.begin(), all.end(), [](TWinControl* c) { return c->TabStop() && c->CanFocus(); });
    ASSERT_NE(first, all.end());
    walk(*firmForm, *first, "Firma");
}

TEST_F(KeyboardWalkTest, NavigationWindow)
{
    navigation = std::make_unique<TNavigationWindow>(nullptr, store.db.get());
    showActive(*navigation);
    std::vector<TWinControl*> all;
    navigation->GetTabOrderList(all);
    const auto first
        = std::find_if(all.begin(), all.end(), [](TWinControl* c) { return c->TabStop() && c->CanFocus(); });
    ASSERT_NE(first, all.end());
    walk(*navigation, *first, "Navigation");
}

} // namespace
