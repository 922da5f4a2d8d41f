// Sorting a select grid whose sort lets the event loop turn: a single row reloaded or the whole
// list read again meanwhile ends in a list in order, the selected object kept.
#include "held_sort.h"
#include "selectgrid_fixture.h"

#include <QTimer>
#include <sqlite3.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

using HeldSelectGrid = HeldSort<TQelSelectGrid>;

class SelectGridSortTest : public SelectGridTest {
protected:
    static constexpr int kPersons = 400;

    void SetUp() override
    {
        SelectGridTest::SetUp();
        delete grid;
        held = new HeldSelectGrid(form.get());
        grid = held;
        grid->SetName("Personen");
        grid->SetParent(form.get());
        grid->SetBounds(0, 30, 700, 360);
        for (int i = 0; i < kPersons; ++i)
            persons.push_back(person("Name " + std::to_string((i * 7919) % kPersons), "Anna"));
        grid->set_ClassName("Person");
        grid->set_Fields("Name,Vorname");
        grid->Reload();
        ASSERT_EQ(grid->EntryCount(), kPersons);
        nameCol = grid->ColumnByName("Name");
    }
    void expectSorted()
    {
        const int first = grid->FirstDataRow();
        for (int r = first + 1; r < first + grid->EntryCount(); ++r) {
            int res = 0;
            held->RawCompare(nameCol, r - 1, r, res);
            ASSERT_LE(res, 0) << grid->GetCellsEx(nameCol, r - 1) << " before "
                              << grid->GetCellsEx(nameCol, r);
        }
    }

    HeldSelectGrid* held = nullptr;
    std::vector<TQelObject*> persons;
    int nameCol = -1;
};

TEST_F(SelectGridSortTest, ARowReloadedDuringTheSortTakesItsPlaceInTheOrderAndTheSelectionStays)
{
    const TQelObjectKey selected = persons[123]->Key();
    grid->set_SelectedKey(selected);
    TQelObject* renamed = persons[200];
    held->during = [&] {
        renamed->FieldByName("Name")->set_AsString("Aaron");
        ASSERT_TRUE(renamed->Commit()) << renamed->ErrorMessage();
        grid->reload_single(renamed->Key());
    };
    grid->SortByColumn(nameCol, sdAscending);
    EXPECT_TRUE(held->ran);
    expectSorted();
    const std::vector<std::string> names = column("Name");
    ASSERT_EQ(names.size(), static_cast<std::size_t>(kPersons));
    EXPECT_EQ(names.front(), "Aaron");
    EXPECT_EQ(grid->get_row(renamed->Key()), grid->FirstDataRow());
    EXPECT_EQ(grid->get_SelectedKey(), selected);
    // The stored row holds the new name.
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(
        sqlite3_prepare_v2(db->Handle(), "SELECT Name FROM Person WHERE K = ?", -1, &s, nullptr), SQLITE_OK);
    sqlite3_bind_int64(s, 1, renamed->Key().Id());
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "Aaron");
    sqlite3_finalize(s);
}

TEST_F(SelectGridSortTest, AListReadAgainDuringTheSortEndsInOrderWithItsNewTexts)
{
    const TQelObjectKey selected = persons[7]->Key();
    grid->set_SelectedKey(selected);
    held->during = [&] {
        // Another workstation renamed a person; the list is read again.
        const std::string sql
            = "UPDATE Person SET Name = 'Aaron' WHERE K = " + persons[300]->Key().ToString();
        ASSERT_EQ(sqlite3_exec(db->Handle(), sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        grid->Reload();
    };
    grid->SortByColumn(nameCol, sdAscending);
    EXPECT_TRUE(held->ran);
    ASSERT_EQ(grid->EntryCount(), kPersons);
    expectSorted();
    EXPECT_EQ(column("Name").front(), "Aaron");
    EXPECT_EQ(grid->get_SelectedKey(), selected);
}

} // namespace
