// The demo's persons list: every person listed under German captions, the stored filters as
// tabs, and Enter opening the selected person in the person form.
#include "demo_database.h"
#include "demo_fixture.h"
#include "person_form.h"
#include "person_list.h"

#include "lists/QelSelectGrid.h"
#include "support/select_grid_input.h"
#include "support/typing.h"
#include "toolkit/scripteddialogs.h"
#include "toolkit/tabset.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

// A click on tab `index` as the user makes it.
void ClickTab(TAdvTabSet* tabs, int index)
{
    QWidget* bar = tabs->Handle()->findChild<QWidget*>();
    const TRect r = tabs->TabRect(index);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    QApplication::processEvents();
}

} // namespace

TEST(PersonList, ListsFiltersAndOpensPersons)
{
    QTemporaryDir dir;
    DemoDatabase store = openDemoDatabase(dir.filePath("demo.qeldb").toStdString(), 40, 4);
    ASSERT_TRUE(store.error.empty()) << store.error;
    SetQelDatabase(store.db.get());
    {
        TPersonListForm list(nullptr, store.db.get());
        list.Show();
        TQelSelectGrid* grid = list.Grid();
        EXPECT_EQ(grid->EntryCount(), 40);
        EXPECT_GE(grid->ColumnByName("Name"), 1);
        EXPECT_EQ(grid->SortSettings().Column, grid->ColumnByName("Name"));
        EXPECT_NE(list.StatusText().find("40 Personen"), std::string::npos) << list.StatusText();

        // One tab per filter without parameters or stored instance, and the full view first.
        TAdvTabSet* tabs = list.Tabs();
        ASSERT_GE(tabs->TabCount(), 3);
        EXPECT_EQ(tabs->TabCaption(0), "(Vollansicht)");
        int active = -1;
        for (int i = 0; i < tabs->TabCount(); ++i)
            if (tabs->TabCaption(i) == "Aktive Personen")
                active = i;
        ASSERT_GE(active, 0);
        ClickTab(tabs, active);
        EXPECT_EQ(grid->get_CurrentViewName(), "Aktive Personen");
        const int aktiv = grid->ColumnByName("Aktiv");
        ASSERT_GE(aktiv, 0);
        for (int row = grid->FirstDataRow(); row < grid->FirstDataRow() + grid->EntryCount(); ++row)
            EXPECT_EQ(grid->Cells(aktiv, row), "Ja") << row;
        EXPECT_LT(grid->EntryCount(), 40);

        grid->SetFocus();
        QTest::keyClick(grid->Handle(), Qt::Key_Return);
        ASSERT_NE(list.PersonForm(), nullptr);
        EXPECT_EQ(list.PersonForm()->Person()->Key(), grid->get_SelectedKey());
    }
    SetQelDatabase(nullptr);
}

// The persons list's popup menu offers every command; the list prints into a PDF and saves as a
// CSV file a spreadsheet opens with its umlauts.
TEST(PersonList, TheMenuOffersEveryCommandAndWritesPdfAndCsv)
{
    QTemporaryDir dir;
    DemoDatabase store = openDemoDatabase(dir.filePath("demo.qeldb").toStdString(), 30, 4);
    ASSERT_TRUE(store.error.empty()) << store.error;
    SetQelDatabase(store.db.get());
    TScopedScriptedDialogs dialogs;
    {
        TPersonListForm list(nullptr, store.db.get());
        list.Show();
        TQelSelectGrid* grid = list.Grid();
        grid->SelectRow(grid->FirstDataRow(), 0);
        grid->SetRowSelect(grid->FirstDataRow() + 1, true);
        grid->update_popup_menu();
        using C = TQelSelectGrid;
        for (C::TCommand c : { C::cmdCreate, C::cmdEdit, C::cmdDelete, C::cmdMerge, C::cmdPrint,
                 C::cmdPrintList, C::cmdSaveCSV, C::cmdExport, C::cmdPreview, C::cmdAttributes })
            EXPECT_TRUE(grid->CommandItem(c)->Visible()) << grid->CommandItem(c)->Caption();
        EXPECT_EQ(grid->CommandItem(C::cmdMerge)->Caption(), "2 Personen zusammenfassen");
        EXPECT_EQ(grid->CommandItem(C::cmdExport)->Count(), 2); // "Adressetikett", "Personenblatt"
        EXPECT_EQ(grid->CommandItem(C::cmdAttributes)->Items(0)->Caption(), "VIP");
        grid->SelectRow(grid->FirstDataRow(), 0);
        grid->update_popup_menu();
        EXPECT_TRUE(grid->CommandItem(C::cmdCopy)->Visible());

        const std::string pdf = dir.filePath("liste.pdf").toStdString();
        dialogs->AnswerFiles({ pdf });
        grid->CommandItem(C::cmdPrintList)->Click();
        ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(pdf)));

        const std::string csv = dir.filePath("liste.csv").toStdString();
        dialogs->AnswerFiles({ csv });
        grid->CommandItem(C::cmdSaveCSV)->Click();
        QFile file(QString::fromStdString(csv));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
        const QString text = QString::fromUtf8(bytes.mid(3));
        // The header row first, then every person: what the list shows, without the hidden key
        // column and without the filter row.
        EXPECT_TRUE(text.startsWith("Anrede;Titel;Vorname;Name;")) << text.left(80).toStdString();
        EXPECT_EQ(text.count("\r\n"), 1 + grid->EntryCount());
        EXPECT_FALSE(text.contains("\r\n;;")) << "an empty line of the filter row";
    }
    SetQelDatabase(nullptr);
}

// ---- the list as a clerk meets it ---------------------------------------------------------------

class PersonListTest : public DemoDbTest {
protected:
    void SetUp() override
    {
        DemoDbTest::SetUp();
        list = std::make_unique<TPersonListForm>(nullptr, store.db.get());
        showActive(*list);
        grid = list->Grid();
        grid->SetFocus();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        list.reset();
        DemoDbTest::TearDown();
    }
    void click(int col, int row) { ClickGridCell(grid, col, row); }
    void key(Qt::Key k, Qt::KeyboardModifiers m = {})
    {
        QTest::keyClick(QApplication::focusWidget(), k, m);
        QApplication::processEvents();
    }
    std::vector<std::string> column(const std::string& header) const { return ListedColumn(grid, header); }
    // How many persons not deleted the store holds with `where`.
    int stored(const std::string& where) const
    {
        auto q = store.db->CreateSQLEngine()->Query(
            "SELECT COUNT(*) FROM Person JOIN OBJEKT ON OBJEKT.K = Person.K WHERE OBJEKT.GELOESCHT = 0 AND "
            + where);
        q->Open();
        q->First();
        return static_cast<int>(q->AsInteger(0));
    }

    std::unique_ptr<TPersonListForm> list;
    TQelSelectGrid* grid = nullptr;
};

TEST_F(PersonListTest, OpensWithTheFilterRowInSight)
{
    EXPECT_EQ(grid->TopRow(), 1);
    EXPECT_GT(grid->CellRect(grid->ColumnByName("Name"), 1).Width(), 0);
    EXPECT_EQ(grid->Row(), grid->FirstDataRow());
}

TEST_F(PersonListTest, NamesAndDatesTypedIntoTheFilterRowFilterOnF5)
{
    const int name = grid->ColumnByName("Name"), born = grid->ColumnByName("Geburtsdatum");
    ASSERT_GT(name, 0);
    ASSERT_GT(born, 0);
    click(name, 1);
    TypeWhereTheFocusIs("O'Brien");
    key(Qt::Key_F5);
    const std::vector<std::string> obriens = column("Name");
    EXPECT_EQ(static_cast<int>(obriens.size()), stored("Person.Name = 'O''Brien'"));
    for (const std::string& n : obriens)
        EXPECT_EQ(n, "O'Brien");
    EXPECT_NE(list->StatusText().find(std::to_string(obriens.size()) + " Person"), std::string::npos)
        << list->StatusText();

    // Up from the first data row and typing replaces the name.
    key(Qt::Key_Up);
    TypeWhereTheFocusIs("Müller");
    key(Qt::Key_F5);
    const std::vector<std::string> muellers = column("Name");
    EXPECT_EQ(static_cast<int>(muellers.size()), stored("Person.Name = 'Müller'"));
    ASSERT_FALSE(muellers.empty());
    for (const std::string& n : muellers)
        EXPECT_EQ(n, "Müller");

    // A birth date of one of them, typed into its cell after F2, leaves the persons of that day.
    const std::string day = grid->Cells(born, grid->FirstDataRow());
    click(name, 1);
    key(Qt::Key_F2);
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Backspace);
    key(Qt::Key_Return);
    click(born, 1);
    key(Qt::Key_F2);
    TypeWhereTheFocusIs(QString::fromStdString(day));
    key(Qt::Key_F5);
    ASSERT_GE(grid->EntryCount(), 1);
    for (const std::string& d : column("Geburtsdatum"))
        EXPECT_EQ(d, day);
    EXPECT_EQ(grid->Cells(name, 1), "");
    const std::string iso = day.substr(6, 4) + "-" + day.substr(3, 2) + "-" + day.substr(0, 2);
    EXPECT_EQ(grid->EntryCount(), stored("Person.Geburtsdatum = '" + iso + "'"));
}

TEST_F(PersonListTest, DraggedWidthsStandAfterF5AndTabsAndInTheNextWindow)
{
    auto shownWidths = [](TQelSelectGrid* g) {
        std::map<std::string, int> out;
        for (int c = 1; c < g->ColCount(); ++c)
            if (!g->IsHiddenColumn(c))
                out[g->Cells(c, 0)] = g->ColWidths(c);
        return out;
    };
    const int vorname = grid->ColumnByName("Vorname");
    const int before = grid->ColWidths(vorname);
    DragGridColumnBorder(grid, vorname, 50);
    const std::map<std::string, int> dragged = shownWidths(grid);
    ASSERT_EQ(dragged.at("Vorname"), before + 50);

    key(Qt::Key_F5);
    EXPECT_EQ(shownWidths(grid), dragged) << "F5";
    // Each filter's tab (its columns stretch into the width its rows leave), then the full view
    // again: the dragged widths.
    TAdvTabSet* tabs = list->Tabs();
    ASSERT_EQ(tabs->TabCaption(0), "(Vollansicht)");
    for (int i = 1; i < tabs->TabCount(); ++i) {
        ClickTab(tabs, i);
        ASSERT_NE(grid->get_CurrentViewName(), "");
        ClickTab(tabs, 0);
        ASSERT_EQ(grid->get_CurrentViewName(), "");
        EXPECT_EQ(shownWidths(grid), dragged) << "back from " << tabs->TabCaption(i);
    }

    // Kept for the user: the next persons list opens with them.
    list.reset();
    TPersonListForm next(nullptr, store.db.get());
    showActive(next);
    EXPECT_EQ(next.Grid()->ColWidths(vorname), dragged.at("Vorname"));
}

// The demo's user administers the demo: the filter of deleted persons has its tab, and the menu
// over a deleted person restores it.
TEST_F(PersonListTest, DeletedPersonsAreShownAndRestoredFromTheMenu)
{
    ASSERT_TRUE(store.db->User()->IsAdmin());
    TAdvTabSet* tabs = list->Tabs();
    int deletedTab = -1;
    for (int i = 0; i < tabs->TabCount(); ++i)
        if (tabs->TabCaption(i) == "Gelöschte Personen")
            deletedTab = i;
    ASSERT_GE(deletedTab, 0);
    ClickTab(tabs, deletedTab);
    EXPECT_EQ(column("Name"), (std::vector<std::string> { "Altmann", "Vogt" }));
    EXPECT_EQ(grid->Color(), TQelSelectGrid::DeletedViewColor);
    const TQelObjectKey altmann = grid->get_Key(grid->FirstDataRow());

    // A right click on Altmann opens the menu: only restore and final delete, both enabled.
    const QPoint at = GridCellPoint(grid, grid->ColumnByName("Name"), grid->FirstDataRow());
    QTest::mouseClick(GridViewport(grid), Qt::LeftButton, {}, at);
    QContextMenuEvent ev(QContextMenuEvent::Mouse, at, GridViewport(grid)->mapToGlobal(at));
    QApplication::sendEvent(GridViewport(grid), &ev);
    for (int i = 0; i < 200 && grid->PopupPending(); ++i)
        QTest::qWait(5);
    QMenu* menu = grid->PopupMenu()->Handle();
    ASSERT_NE(menu, nullptr);
    QAction* restore = nullptr;
    std::vector<std::string> commands;
    for (QAction* a : menu->actions()) {
        if (!a->isVisible() || a->isSeparator())
            continue;
        commands.push_back(a->text().toStdString());
        if (a->text() == "Person 'Altmann, Erika' wiederherstellen")
            restore = a;
    }
    ASSERT_NE(restore, nullptr) << ::testing::PrintToString(commands);
    EXPECT_TRUE(restore->isEnabled());
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "Person 'Altmann, Erika' endgültig löschen"), 1);
    EXPECT_EQ(std::find(commands.begin(), commands.end(), "Person 'Altmann, Erika' löschen"), commands.end());
    restore->trigger();
    grid->PopupMenu()->CloseMenu();
    QApplication::processEvents();

    EXPECT_EQ(column("Name"), (std::vector<std::string> { "Vogt" }));
    EXPECT_EQ(stored("Person.K = " + altmann.ToString()), 1) << "stored as not deleted";
    ClickTab(tabs, 0);
    EXPECT_NE(grid->get_row(altmann), -1);
}
