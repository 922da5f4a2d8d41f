// The select grid's views: the search condition they make with the base filter, the view menu
// and tabs, deleting views, and the per-class filter and location settings.
#include "selectgrid_fixture.h"

#include <QTabBar>

#include <algorithm>

namespace {

bool contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace

TEST_F(SelectGridTest, ViewsJoinTheBaseFilterUnlessTheyDeriveFromIt)
{
    TQelAnsicht* base = view("Mit Kindern", "Person.Kinder > 0");
    TQelAnsicht* child = view("Viele Kinder", "Person.Kinder > 2", base);
    TQelAnsicht* other = view("Meiers", "Person.Name = 'Meier'");
    grid->set_ClassName("Person");
    grid->set_BaseFilter(base->Key());
    EXPECT_EQ(grid->get_CurrentView(), base);
    EXPECT_EQ(grid->get_CurrentViewName(), ""); // the base filter is not a view of the user's
    EXPECT_EQ(grid->get_search_condition(nullptr, nullptr, base->Key()), "Person.Kinder > 0");

    // A view below the base filter carries its condition already.
    EXPECT_EQ(
        grid->get_search_condition(child, nullptr, base->Key()), child->MakeSearchCondition(nullptr, ""));
    // Any other is restricted to it.
    EXPECT_EQ(grid->get_search_condition(other, nullptr, base->Key()),
        "(Person.Kinder > 0) AND (" + other->MakeSearchCondition(nullptr, "") + ")");

    person("Meier", "Anna", 0);
    person("Meier", "Bernd", 3);
    person("Schulz", "Clara", 1);
    grid->SetCurrentView(other, nullptr, "", true);
    EXPECT_EQ(grid->get_CurrentViewName(), "Meiers");
    EXPECT_EQ(column("Vorname"), std::vector<std::string>({ "Bernd" }));
    grid->SetCurrentView(nullptr, nullptr, "", true);
    EXPECT_EQ(grid->get_SearchCondition(), "Person.Kinder > 0");
    EXPECT_EQ(column("Vorname"), std::vector<std::string>({ "Bernd", "Clara" }));
}

TEST_F(SelectGridTest, ParameterViewsAskAndKeepTheirInstances)
{
    person("Meier", "Anna", 0, "Bonn");
    person("Schulz", "Clara", 0, "Köln");
    person("O'Brien", "Dan", 0, "Bonn'; DROP TABLE Person; --");
    TQelAnsicht* byTown
        = view("Personen nach Ort", "Person_Adressen1.Ort = :Ort", nullptr, "Person", cls("OrtParameter"));
    grid->set_ClassName("Person");

    // Without OnQueryParams a view with parameters cannot be applied, and is not offered.
    grid->SetCurrentView(byTown, nullptr, "", true);
    EXPECT_EQ(grid->get_CurrentView(), nullptr);
    EXPECT_FALSE(contains(menuCaptions(), "Personen nach Ort..."));

    int asked = 0;
    std::string answer = "Ort=Bonn";
    grid->OnQueryParams
        = [&](TObject*, TQelClassKey, TQelAnsicht*&, TQelFieldList*&, std::string& text, bool& ok) {
              ++asked;
              text = answer;
              ok = !answer.empty();
          };
    grid->init_popupmenu(true, 0);
    EXPECT_TRUE(contains(menuCaptions(), "Personen nach Ort..."));
    menuItem("Personen nach Ort...")->Click();
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(grid->get_CurrentView(), byTown);
    ASSERT_NE(grid->get_CurrentParams(), nullptr);
    EXPECT_EQ(column("Name"), std::vector<std::string>({ "Meier" }));
    // The stored instance is offered as an entry of its own, checked while current.
    const std::string instanceCaption = byTown->NiceName(grid->get_CurrentParams());
    ASSERT_NE(menuItem(instanceCaption), nullptr);
    EXPECT_TRUE(menuItem(instanceCaption)->Checked());

    // A hostile parameter is a value, not SQL.
    answer = "Ort=Bonn'; DROP TABLE Person; --";
    menuItem("Personen nach Ort...")->Click();
    EXPECT_EQ(column("Name"), std::vector<std::string>({ "O'Brien" }));

    // Cancelled: nothing changes.
    TQelFieldList* before = grid->get_CurrentParams();
    answer.clear();
    menuItem("Personen nach Ort...")->Click();
    EXPECT_EQ(grid->get_CurrentParams(), before);
}

TEST_F(SelectGridTest, OffersOnlyViewsThatFitClassBaseFilterAndUser)
{
    TQelAnsicht* base = view("Mit Kindern", "Person.Kinder > 0");
    view("Viele Kinder", "Person.Kinder > 2", base);
    TQelAnsicht* loose = view("Meiers", "Person.Name = 'Meier'");
    view("Firmen", "Firma.Name <> ''", nullptr, "Firma");
    view("Gelöschte", "", nullptr, "Person", {}, true);
    view("Nur Mitarbeiter", "Mitarbeiter.Nummer > 0", nullptr, "Mitarbeiter");
    grid->set_ClassName("Person");

    std::vector<std::string> menu = menuCaptions();
    EXPECT_TRUE(contains(menu, "(Vollansicht)"));
    EXPECT_TRUE(contains(menu, "Mit Kindern"));
    EXPECT_TRUE(contains(menu, "    Viele Kinder")); // one level down
    EXPECT_TRUE(contains(menu, "Nur Mitarbeiter")); // a derived class's view fits
    EXPECT_FALSE(contains(menu, "Firmen"));
    EXPECT_FALSE(contains(menu, "Gelöschte")); // only administrators see deleted objects
    db->User()->FieldByName("Admin")->set_AsBool(true);
    grid->init_popupmenu(true, 0);
    EXPECT_TRUE(contains(menuCaptions(), "Gelöschte"));

    // With a base filter: its own view goes, its children and unrelated root views stay, and a
    // view that excludes the base filter goes.
    grid->set_BaseFilter(base->Key());
    clock.Advance(TQelSelectGrid::MenuDelayMs);
    menu = menuCaptions();
    EXPECT_FALSE(contains(menu, "Mit Kindern"));
    EXPECT_TRUE(contains(menu, "    Viele Kinder"));
    EXPECT_TRUE(contains(menu, "Meiers"));
    loose->Object()->FieldByName("Ausschluesse")->set_AsString(base->Key().ToString());
    ASSERT_TRUE(loose->Object()->Commit());
    grid->init_popupmenu(true, 0);
    EXPECT_FALSE(contains(menuCaptions(), "Meiers"));

    // The application may rename or refuse entries.
    grid->OnAddFilter
        = [](TObject*, TQelAnsicht* v, std::string& caption, bool& accept, TQelAnsicht*, TQelClassKey) {
              if (v->Name() == "Nur Mitarbeiter")
                  accept = false;
              caption = "[" + caption + "]";
          };
    grid->init_popupmenu(true, 0);
    menu = menuCaptions();
    EXPECT_FALSE(contains(menu, "[Nur Mitarbeiter]"));
    EXPECT_TRUE(contains(menu, "    [Viele Kinder]"));
}

TEST_F(SelectGridTest, TabsFollowTheViewsAndApplyThemOnClick)
{
    person("Meier", "Anna", 0);
    person("Schulz", "Bernd", 2);
    view("Mit Kindern", "Person.Kinder > 0");
    view("Alle Meiers", "Person.Name = 'Meier'");
    auto* tabs = new TAdvTabSet(form.get());
    tabs->SetParent(form.get());
    tabs->SetBounds(0, 0, 700, 28);
    grid->set_ViewTabSet(tabs);
    grid->set_ClassName("Person");

    ASSERT_EQ(tabs->TabCount(), 3);
    // Sorted by caption, blanks ignored.
    EXPECT_EQ(tabs->TabCaption(0), "(Vollansicht)");
    EXPECT_EQ(tabs->TabCaption(1), "Alle Meiers");
    EXPECT_EQ(tabs->TabCaption(2), "Mit Kindern");
    EXPECT_EQ(tabs->TabIndex(), 0);
    EXPECT_EQ(grid->EntryCount(), 2);

    QWidget* bar = tabs->Handle()->findChild<QWidget*>();
    ASSERT_NE(bar, nullptr);
    const TRect r = tabs->TabRect(2);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    EXPECT_EQ(grid->get_CurrentViewName(), "Mit Kindern");
    EXPECT_EQ(column("Name"), std::vector<std::string>({ "Schulz" }));
    EXPECT_EQ(tabs->TabIndex(), 2);

    // A tab control beside it shows the same tabs and applies them too.
    auto* tabCtl = new TTabControl(form.get());
    tabCtl->SetParent(form.get());
    tabCtl->SetBounds(0, 390, 700, 28);
    grid->set_ViewTabCtl(tabCtl);
    ASSERT_EQ(tabCtl->TabCount(), 3);
    EXPECT_EQ(tabCtl->TabCaption(1), "Alle Meiers");
    EXPECT_EQ(tabCtl->TabIndex(), 2);
    auto* qbar = tabCtl->Handle()->findChild<QTabBar*>();
    ASSERT_NE(qbar, nullptr);
    QTest::mouseClick(qbar, Qt::LeftButton, {}, qbar->tabRect(1).center());
    EXPECT_EQ(grid->get_CurrentViewName(), "Alle Meiers");
    EXPECT_EQ(tabs->TabIndex(), 1);

    // Choosing from the menu moves the tabs too.
    menuItem("Mit Kindern")->Click();
    EXPECT_EQ(tabs->TabIndex(), 2);
    EXPECT_EQ(tabCtl->TabIndex(), 2);
    menuItem("Alle Meiers")->Click();
    EXPECT_EQ(tabs->TabIndex(), 1);
    menuItem("(Vollansicht)")->Click();
    EXPECT_EQ(tabs->TabIndex(), 0);
    EXPECT_EQ(grid->EntryCount(), 2);
}

TEST_F(SelectGridTest, DeletingAViewAsksAndTakesItsDescendantsOnlyOnYes)
{
    grid->set_SelectGridOptions(grid->get_SelectGridOptions() << soFilterAdmin);
    TQelAnsicht* top = view("Mit Kindern", "Person.Kinder > 0");
    TQelAnsicht* mid = view("Viele Kinder", "Person.Kinder > 2", top);
    TQelAnsicht* low = view("Sehr viele Kinder", "Person.Kinder > 5", mid);
    grid->set_ClassName("Person");
    grid->set_CurrentView(top);

    const std::string del = "Filter 'Mit Kindern' löschen";
    ASSERT_NE(menuItem(del), nullptr);
    dialogs->AnswerBox(IDNO);
    menuItem(del)->Click();
    const auto& q = dialogs->LastQuestion();
    EXPECT_EQ(q.caption, "Filter löschen");
    EXPECT_EQ(q.text,
        "Der Filter 'Mit Kindern' hat 2 abgeleitete Filter.\n\nSollen diese Filter (" + mid->Key().ToString()
            + ", " + low->Key().ToString() + ") wirklich gelöscht werden?");
    EXPECT_EQ(QelAnsichten()->Tree().size(), 3u);
    EXPECT_EQ(grid->get_CurrentView(), top);

    grid->set_CurrentView(low);
    dialogs->AnswerBox(IDNO);
    menuItem("Filter 'Sehr viele Kinder' löschen")->Click();
    EXPECT_EQ(dialogs->LastQuestion().text, "Soll der Filter 'Sehr viele Kinder' wirklich gelöscht werden?");

    grid->set_CurrentView(top);
    dialogs->AnswerBox(IDYES);
    menuItem(del)->Click();
    EXPECT_TRUE(QelAnsichten()->Tree().empty());
    EXPECT_EQ(grid->get_CurrentView(), nullptr);
    EXPECT_FALSE(contains(menuCaptions(), "Mit Kindern"));
}

TEST_F(SelectGridTest, SavingAnInstanceMakesAViewOfItsOwn)
{
    grid->set_SelectGridOptions(grid->get_SelectGridOptions() << soFilterAdmin);
    person("Meier", "Anna", 0, "Bonn");
    person("Schulz", "Clara", 0, "Köln");
    TQelAnsicht* byTown
        = view("Personen nach Ort", "Person_Adressen1.Ort = :Ort", nullptr, "Person", cls("OrtParameter"));
    grid->set_ClassName("Person");
    grid->SetCurrentView(byTown, nullptr, "Ort=Köln", true);
    ASSERT_NE(grid->get_CurrentParams(), nullptr);
    const std::string name = byTown->NiceName(grid->get_CurrentParams());
    TMenuItem* save = menuItem("Filter '" + name + "' speichern");
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(save->Enabled());
    save->Click();
    ASSERT_NE(grid->get_CurrentView(), byTown);
    ASSERT_NE(grid->get_CurrentView(), nullptr);
    EXPECT_EQ(grid->get_CurrentParams(), nullptr);
    EXPECT_FALSE(grid->get_CurrentView()->HasParams());
    EXPECT_EQ(column("Name"), std::vector<std::string>({ "Schulz" }));
}

TEST_F(SelectGridTest, ClassSettingsRememberKeySortAndView)
{
    TQelAnsicht* withKids = view("Mit Kindern", "Person.Kinder > 0");
    TQelObject* anna = person("Meier", "Anna", 1);
    person("Schulz", "Bernd", 2);
    grid->set_ClassName("Person");
    grid->set_CurrentView(withKids);
    grid->set_SelectedKey(anna->Key());
    const int vorname = grid->ColumnByName("Vorname");
    grid->SortByColumn(vorname, sdDescending);
    grid->set_ClassName("Firma");
    EXPECT_EQ(grid->get_CurrentView(), nullptr); // not valid for firms

    TStringList loc, filter;
    grid->GetLocSettings(&loc);
    grid->GetFilterSettings(&filter);
    // The class left last stands first.
    EXPECT_EQ(loc.Names(0), cls("Firma").ToString());
    EXPECT_EQ(
        loc.Values(cls("Person").ToString()), anna->Key().ToString() + "/" + std::to_string(vorname) + "/1");
    EXPECT_EQ(filter.Values(cls("Person").ToString()), withKids->Key().ToString());
    EXPECT_EQ(filter.Values(cls("Firma").ToString()), "");

    grid->set_ClassName("Person");
    EXPECT_EQ(grid->get_CurrentView(), withKids);
    EXPECT_EQ(grid->get_SelectedKey(), anna->Key());
    EXPECT_EQ(grid->SortSettings().Direction, sdDescending);

    // A key alone: sort column 1, ascending.
    TStringList bare;
    bare.Add(cls("Person").ToString() + "=17");
    grid->set_ClassName("Firma");
    grid->SetLocSettings(&bare);
    grid->set_ClassName("Person");
    EXPECT_EQ(grid->SortSettings().Column, 1);
    EXPECT_EQ(grid->SortSettings().Direction, sdAscending);

    // An instance id of an earlier run drops the view.
    TQelAnsicht* byTown
        = view("Personen nach Ort", "Person_Adressen1.Ort = :Ort", nullptr, "Person", cls("OrtParameter"));
    TStringList stale;
    stale.Add(cls("Person").ToString() + "=" + byTown->Key().ToString() + "/987654");
    grid->set_ClassName("Firma");
    grid->SetFilterSettings(&stale);
    grid->set_ClassName("Person");
    EXPECT_EQ(grid->get_CurrentView(), nullptr);
    EXPECT_EQ(grid->get_SearchCondition(), "");
}
