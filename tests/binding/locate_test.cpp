#include "binding_fixture.h"

TEST_F(BindingTest, FullFieldPathSkipsEmptyLevels)
{
    auto* konto = add<TTestPanel>(form.get(), "pnlKonto", "Konto");
    auto* plain = add<TCustomControl>(konto, "pnlPlain");
    auto* e = add<TTestEdit>(plain, "edBank", "Bankname");
    auto* noPath = add<TTestEdit>(plain, "edNoPath");
    EXPECT_EQ(TQelCommonMethods::FieldPath(e, true), "Konto.Bankname");
    EXPECT_EQ(TQelCommonMethods::FieldPath(e, false), "Bankname");
    EXPECT_EQ(TQelCommonMethods::FieldPath(noPath, true), "Konto");
    EXPECT_EQ(TQelCommonMethods::FieldPath(plain, true), "Konto");
    EXPECT_EQ(TQelCommonMethods::FieldPath(plain, false), "");
    EXPECT_EQ(TQelCommonMethods::FieldPath(nullptr, true), "");
}

TEST_F(BindingTest, ConnectionInfoTexts)
{
    EXPECT_EQ(TQelCommonMethods::ConnectionInfo(nullptr, nullptr, nullptr, ""),
        "Name = -\n\nBase = -\n\nFieldPath = -\n\nNicht verbunden.");

    auto* e = add<TTestEdit>(form.get(), "edOrt", "Adressen[1].Ort");
    ASSERT_EQ(e->ConnectFL(fl(), false), 1);
    TQelField* ort = e->link.Field();
    const std::string info = TQelCommonMethods::ConnectionInfo(e, ort, fl(), e->get_FieldPath());
    EXPECT_EQ(info.rfind("Name = edOrt\n\nBase = " + fl()->Path() + "\n\nFieldPath = Adressen[1].Ort\n\n"
                      + "Verbunden mit:\n\n" + ort->Path() + "\n\n",
                  0),
        0u)
        << info;

    // a field list of an element tells how many elements its vector has
    TQelFieldList* element = ort->FieldList();
    const std::string elementInfo = TQelCommonMethods::ConnectionInfo(e, element, fl(), "x");
    EXPECT_NE(elementInfo.find(element->Path() + " (von 2)\n\n"), std::string::npos) << elementInfo;
}

TEST_F(BindingTest, JumpToFindsTheVisibleEnabledControlAndOpensItsPage)
{
    auto* pages = add<TPageControl>(form.get(), "pcMain");
    pages->SetBounds(0, 0, 500, 300);
    auto* first = new TTabSheet(form.get());
    first->SetCaption("Allgemein");
    first->SetPageControl(pages);
    auto* second = new TTabSheet(form.get());
    second->SetCaption("Bank");
    second->SetPageControl(pages);
    auto* konto = add<TTestPanel>(second, "pnlKonto", "Konto");
    konto->SetBounds(0, 0, 300, 200);
    auto* bank = add<TTestEdit>(konto, "edBank", "Bankname");
    add<TTestEdit>(first, "edName", "Name");
    ASSERT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), fl(), false), 3);
    form->Show();

    TQelField* bankname = bank->link.Field();
    ASSERT_EQ(pages->ActivePage(), first);
    EXPECT_EQ(TQelCommonMethods::JumpTo(bankname, form.get(), true), bank);
    EXPECT_EQ(pages->ActivePage(), second);

    EXPECT_EQ(TQelCommonMethods::JumpTo(nullptr, form.get(), false), nullptr);
    EXPECT_EQ(TQelCommonMethods::JumpTo(bankname, nullptr, false), nullptr);
}

TEST_F(BindingTest, JumpToSkipsInactiveHiddenAndEmptyControls)
{
    auto* inactive = add<TTestEdit>(form.get(), "edNameINACTIVE", "Name");
    auto* hidden = add<TTestEdit>(form.get(), "edNameHidden", "Name");
    auto* flat = add<TTestEdit>(form.get(), "edNameFlat", "Name");
    auto* pages = add<TPageControl>(form.get(), "pcMain");
    pages->SetBounds(0, 150, 500, 200);
    auto* visibleSheet = new TTabSheet(form.get());
    visibleSheet->SetPageControl(pages);
    auto* hiddenSheet = new TTabSheet(form.get());
    hiddenSheet->SetPageControl(pages);
    hiddenSheet->SetTabVisible(false);
    auto* onHiddenTab = add<TTestEdit>(hiddenSheet, "edOnHiddenTab", "Name");
    ASSERT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), fl(), false), 4);
    hidden->SetVisible(false);
    flat->SetHeight(0);
    TQelField* name = fl()->FieldByName("Name");

    EXPECT_EQ(TQelCommonMethods::JumpTo(name, form.get(), false), nullptr);

    auto* target = add<TTestEdit>(visibleSheet, "edTarget", "Name");
    ASSERT_EQ(target->ConnectFL(fl(), false), 1);
    EXPECT_EQ(TQelCommonMethods::JumpTo(name, form.get(), false), target);
    (void)inactive;
    (void)onHiddenTab;
}

TEST_F(BindingTest, TreeHelpers)
{
    auto* plain = add<TCustomControl>(form.get(), "pnl");
    auto* a = add<TTestEdit>(plain, "a", "Name");
    auto* b = add<TTestEdit>(plain, "b", "Vorname");
    auto* c = add<TTestEdit>(form.get(), "c", "Kinder");
    a->SetTabStop(true);
    b->SetTabStop(false);
    c->SetTabStop(true);

    EXPECT_EQ(TQelCommonMethods::PerformRecursively(form.get(), WM_NULL, 0, 0, true), 5);
    EXPECT_EQ(TQelCommonMethods::PerformRecursively(nullptr, WM_NULL, 0, 0, false), 0);
    EXPECT_EQ(TQelCommonMethods::top_control(a), form.get());
    EXPECT_EQ(TQelCommonMethods::GetFormA(a), form.get());
    EXPECT_EQ(TQelCommonMethods::GetFormA(nullptr), nullptr);

    EXPECT_EQ(TQelCommonMethods::FindNextControl(form.get(), a, true, false, false), b);
    EXPECT_EQ(TQelCommonMethods::FindNextControl(form.get(), a, true, false, true), c);
    EXPECT_EQ(TQelCommonMethods::FindNextControl(form.get(), a, true, true, true), nullptr);
    EXPECT_EQ(TQelCommonMethods::FindNextControl(form.get(), c, true, false, false), nullptr);

    ASSERT_TRUE(ShowActive(*form));
    TQelCommonMethods::SelectNext(a, true, true);
    EXPECT_TRUE(c->Focused());
    EXPECT_EQ(TQelCommonMethods::FindFocusedControl(form.get()), c);
}
