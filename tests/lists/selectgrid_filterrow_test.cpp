// The select grid's filter row as a clerk uses it: cells entered by a click, a slow second click,
// a double click, F2 or Up from the first data row, text typed with real keys, F5 to filter; and
// the list opening with the filter row in sight.
#include "selectgrid_fixture.h"
#include "support/typing.h"

#include <QLineEdit>

class SelectGridFilterRowTest : public SelectGridTest {
protected:
    void SetUp() override
    {
        SelectGridTest::SetUp();
        grid->SetFieldSettings("");
        TQelSelectGridOptions o = grid->get_SelectGridOptions();
        o << soFilter;
        o >> soHideEmptyCols;
        grid->set_SelectGridOptions(o);
    }
    QPoint cellPoint(int col, int row) const { return GridCellPoint(grid, col, row); }
    void click(int col, int row) { ClickGridCell(grid, col, row); }
    void key(Qt::Key k, Qt::KeyboardModifiers m = {})
    {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, k, m);
        QApplication::processEvents(); // keys an editor hands on reach the grid queued
    }
    // The editor open on the filter row's cell of `header`, or null.
    QLineEdit* editor(const std::string& header) const
    {
        if (grid->Row() != 1 || grid->Col() != grid->ColumnByName(header))
            return nullptr;
        return qobject_cast<QLineEdit*>(grid->InplaceEditorWidget());
    }
    // The names the list shows, in the order of the rows.
    std::vector<std::string> names() const { return column("Name"); }
    // The stored persons whose field matches, read with SQL (sorted by name as the grid is).
    std::vector<std::string> stored(const std::string& where) const
    {
        std::vector<std::string> out;
        auto engine = db->CreateSQLEngine();
        auto q = engine->Query("SELECT Name FROM Person WHERE " + where + " ORDER BY Name");
        q->Open();
        for (q->First(); !q->Eof(); q->Next())
            out.push_back(q->AsString(0));
        return out;
    }
};

TEST_F(SelectGridFilterRowTest, TypedCellsFilterOnF5AsTheClerkTypedThem)
{
    person("O'Brien", "Siobhán", 1, "", "01.05.1970");
    person("OBrien", "Sean", 0, "", "01.05.1970");
    person("5%", "Rabatt", 2, "", "02.06.1971");
    person("50", "Fünfzig", 0, "", "03.07.1972");
    person("Mü", "Kurz", 0, "", "04.08.1973");
    person("Müller", "Lang", 3, "", "05.09.1974");
    grid->set_ClassName("Person");
    grid->SortSettings().Column = grid->ColumnByName("Name");
    grid->Reload();
    ASSERT_EQ(grid->EntryCount(), 6);
    const int name = grid->ColumnByName("Name"), born = grid->ColumnByName("Geboren");
    grid->SetFocus();

    // A click into the cell, then typing: the first key opens the editor with itself as text.
    click(name, 1);
    EXPECT_EQ(grid->Row(), 1);
    TypeWhereTheFocusIs("O'Brien");
    ASSERT_NE(editor("Name"), nullptr);
    EXPECT_EQ(editor("Name")->text().toStdString(), "O'Brien");
    key(Qt::Key_F5); // from inside the editor
    EXPECT_EQ(names(), (std::vector<std::string> { "O'Brien" })) << grid->LastStatement();
    EXPECT_EQ(grid->Cells(name, 1), "O'Brien");
    EXPECT_EQ(grid->FilterObject()->FieldByName("Name")->AsString(), "O'Brien");

    // Up from the first data row, then typing replaces the cell's text.
    ASSERT_EQ(grid->Row(), grid->FirstDataRow());
    key(Qt::Key_Up);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Col(), name);
    TypeWhereTheFocusIs("5%");
    key(Qt::Key_F5);
    EXPECT_EQ(names(), (std::vector<std::string> { "5%" })) << "a percent sign is no wildcard";
    EXPECT_EQ(names(), stored("Name = '5%'"));

    // A double click opens the editor to extend the text; Ctrl+A and typing replace it.
    QTest::mouseDClick(GridViewport(grid), Qt::LeftButton, {}, cellPoint(name, 1));
    ASSERT_NE(editor("Name"), nullptr);
    EXPECT_EQ(editor("Name")->cursorPosition(), 2);
    key(Qt::Key_A, Qt::ControlModifier);
    TypeWhereTheFocusIs("Mü");
    key(Qt::Key_F5);
    EXPECT_EQ(names(), (std::vector<std::string> { "Mü" }));
    EXPECT_EQ(grid->Cells(name, 1), "Mü");

    // A slow second click on the current cell opens it with the text selected: Delete empties it.
    click(name, 1);
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    click(name, 1);
    ASSERT_NE(editor("Name"), nullptr);
    EXPECT_EQ(editor("Name")->selectedText().toStdString(), "Mü");
    key(Qt::Key_Delete);
    key(Qt::Key_Return);
    // F2 on another cell opens its editor; a date typed there filters by that day.
    for (int i = 0; i < 8 && grid->Col() < born; ++i)
        key(Qt::Key_Right);
    ASSERT_EQ(grid->Col(), born);
    ASSERT_EQ(grid->Row(), 1);
    key(Qt::Key_F2);
    ASSERT_NE(editor("Geboren"), nullptr);
    TypeWhereTheFocusIs("01.05.1970");
    key(Qt::Key_Return);
    EXPECT_EQ(grid->InplaceEditorWidget(), nullptr);
    key(Qt::Key_F5);
    EXPECT_EQ(names(), (std::vector<std::string> { "O'Brien", "OBrien" }));
    EXPECT_EQ(grid->Cells(name, 1), "");
    EXPECT_EQ(grid->Cells(born, 1), "01.05.1970");
    // The filter object is never stored.
    EXPECT_TRUE(grid->FilterObject()->IsNew());
}

TEST_F(SelectGridFilterRowTest, AValueTheFieldCannotReadFiltersNothing)
{
    person("Meier", "Anna", 0, "", "01.05.1970");
    person("Schulz", "Bernd", 0, "", "01.01.2000");
    grid->set_ClassName("Person");
    grid->Reload();
    const int born = grid->ColumnByName("Geboren");
    grid->SetFocus();
    click(born, 1);
    // A month 13: every prefix of it that reads as a date is gone once the whole text is typed.
    TypeWhereTheFocusIs("01.13.1970");
    key(Qt::Key_F5);
    EXPECT_EQ(grid->EntryCount(), 2) << grid->LastStatement();
    EXPECT_TRUE(grid->FilterObject()->FieldByName("Geboren")->NullOrDefault());
    EXPECT_EQ(grid->Cells(born, 1), "");
}

TEST_F(SelectGridFilterRowTest, DataRowsTakeNoTyping)
{
    person("Meier", "Anna");
    person("Schulz", "Bernd");
    grid->set_ClassName("Person");
    grid->Reload();
    grid->SetFocus();
    const int name = grid->ColumnByName("Name");
    click(name, grid->FirstDataRow());
    TypeWhereTheFocusIs("x");
    EXPECT_EQ(grid->InplaceEditorWidget(), nullptr);
    EXPECT_EQ(column("Name"), (std::vector<std::string> { "Meier", "Schulz" }));
    key(Qt::Key_F2);
    EXPECT_EQ(grid->InplaceEditorWidget(), nullptr);
}

// A list loaded before its window shows (as a form builds it) opens at its top: the filter row
// stands under the header, the selected first person below it.
TEST_F(SelectGridFilterRowTest, TheListOpensWithTheFilterRowInSight)
{
    for (int i = 0; i < 60; ++i)
        person("Person" + std::to_string(100 + i), "X");
    TForm other(nullptr);
    other.SetBounds(0, 0, 600, 300);
    auto* list = new TQelSelectGrid(&other);
    list->SetParent(&other);
    list->SetAlign(alClient);
    list->SetFieldSettings("Name,Vorname");
    list->set_SelectGridOptions(list->get_SelectGridOptions() << soFilter);
    list->set_ClassName("Person");
    list->Reload();
    other.Show();
    QApplication::processEvents();
    EXPECT_EQ(list->TopRow(), 1);
    EXPECT_GT(list->CellRect(1, 1).Width(), 0);
    EXPECT_EQ(list->Row(), list->FirstDataRow());
    // F5 with the first person selected keeps the top too.
    list->SetFocus();
    QTest::keyClick(list->Handle(), Qt::Key_F5);
    EXPECT_EQ(list->TopRow(), 1);
    // Far down and back to the first person: the list shows from its top again, not from the
    // first person with the filter row just out of sight.
    list->SelectRow(list->FirstDataRow() + 55, 0);
    EXPECT_GT(list->TopRow(), 20);
    list->SelectRow(list->FirstDataRow(), 0);
    EXPECT_EQ(list->TopRow(), 1);
    list->set_SelectedKey(list->get_Key(list->FirstDataRow() + 55));
    list->set_SelectedKey(list->get_Key(list->FirstDataRow() + 1));
    EXPECT_EQ(list->TopRow(), 1);
}
