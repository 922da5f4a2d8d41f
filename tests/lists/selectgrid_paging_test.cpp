// The select grid's long lists read in pages on idle time: the finished list equals a full load,
// the remembered and the user's selection, searching and sorting during the load, changes of
// objects that arrive meanwhile, the list cache, and the progress bar of long loads.
#include "lists/Listcache.h"
#include "selectgrid_fixture.h"

#include <set>

namespace {

// Every cell of the loaded rows, row by row.
std::vector<std::vector<std::string>> rows(TQelSelectGrid* g)
{
    std::vector<std::vector<std::string>> out;
    for (int r = g->FirstDataRow(); r < g->FirstDataRow() + g->EntryCount(); ++r) {
        out.emplace_back();
        for (int c = 0; c < g->ColCount(); ++c)
            out.back().push_back(g->Cells(c, r));
    }
    return out;
}

} // namespace

class SelectGridPagingTest : public SelectGridTest {
protected:
    void SetUp() override
    {
        SelectGridTest::SetUp();
        TQelSelectGrid::ResetLastSearch();
        grid->SetFieldSettings("");
        db->StartTransaction();
        for (int i = 0; i < kPersons; ++i)
            keys.push_back(person("Name" + std::to_string(i), i % 2 ? "Jürgen" : "Anna", i % 4, "",
                std::to_string(1 + i % 28) + ".05.1980")
                               ->Key());
        ASSERT_TRUE(db->CommitTransaction());
        grid->set_ClassName("Person");
        full = rows(grid);
        ASSERT_EQ(static_cast<int>(full.size()), kPersons);
        grid->AfterReload = [this](TObject*) { ++afterReloads; };
    }
    void paged(int first, int page)
    {
        grid->set_FirstPageRows(first);
        grid->set_PageRows(page);
    }
    // Runs the load's steps until the list is complete (or a step limit is reached).
    int drain()
    {
        int steps = 0;
        while (grid->Loading() && steps < 10000) {
            clock.Advance(1);
            ++steps;
        }
        return steps;
    }

    static constexpr int kPersons = 40;
    std::vector<TQelObjectKey> keys;
    std::vector<std::vector<std::string>> full;
    int afterReloads = 0;
};

TEST_F(SelectGridPagingTest, PagedLoadEndsWithTheRowsOfAFullLoad)
{
    paged(10, 7);
    grid->Reload();
    ASSERT_TRUE(grid->Loading());
    EXPECT_EQ(grid->EntryCount(), 10);
    EXPECT_EQ(grid->RowCount(), 11);
    EXPECT_EQ(afterReloads, 0); // the list is not complete yet
    clock.Advance(1);
    EXPECT_EQ(grid->EntryCount(), 17);
    EXPECT_EQ(drain(), 4); // 24, 31, 38, 40
    EXPECT_FALSE(grid->Loading());
    EXPECT_EQ(afterReloads, 1);
    EXPECT_EQ(rows(grid), full);
    EXPECT_EQ(grid->RowCount(), kPersons + 1);
    EXPECT_TRUE(grid->IsHiddenColumn(0));
    // A list that fits the first page is complete at once.
    paged(kPersons, 1);
    grid->Reload();
    EXPECT_FALSE(grid->Loading());
    EXPECT_EQ(rows(grid), full);
    EXPECT_EQ(afterReloads, 2);
}

TEST_F(SelectGridPagingTest, RememberedKeyIsSelectedWhenItsRowComes)
{
    const TQelObjectKey late = keys[33];
    grid->set_SelectedKey(late);
    paged(5, 5);
    grid->Reload();
    EXPECT_EQ(grid->Row(), grid->FirstDataRow()); // not read yet
    drain();
    EXPECT_EQ(grid->get_SelectedKey(), late);

    // The user's choice during the load wins over the remembered key.
    grid->Reload();
    ASSERT_TRUE(grid->Loading());
    grid->SelectRow(grid->FirstDataRow() + 2);
    drain();
    EXPECT_EQ(grid->get_SelectedKey(), keys[2]);

    // Selecting a key that has not come yet selects it once it comes.
    grid->Reload();
    grid->set_SelectedKey(keys[38]);
    drain();
    EXPECT_EQ(grid->get_SelectedKey(), keys[38]);
}

TEST_F(SelectGridPagingTest, SearchAndSortDuringTheLoadSeeTheWholeList)
{
    paged(5, 5);
    grid->Reload();
    ASSERT_TRUE(grid->Loading());
    EXPECT_TRUE(grid->Lookup("Name37", false, true));
    EXPECT_FALSE(grid->Loading());
    EXPECT_EQ(grid->get_SelectedKey(), keys[37]);
    EXPECT_EQ(afterReloads, 1);

    grid->Reload();
    ASSERT_TRUE(grid->Loading());
    grid->SortByColumn(grid->ColumnByName("Kinder"), sdDescending);
    EXPECT_FALSE(grid->Loading());
    EXPECT_EQ(grid->EntryCount(), kPersons);
    EXPECT_EQ(grid->Cells(grid->ColumnByName("Kinder"), grid->FirstDataRow()), "3");
    EXPECT_EQ(grid->Cells(grid->ColumnByName("Kinder"), grid->FirstDataRow() + kPersons - 1), "0");
}

TEST_F(SelectGridPagingTest, ChangesDuringTheLoadAreAppliedOnceItIsComplete)
{
    paged(10, 10);
    grid->Reload();
    ASSERT_TRUE(grid->Loading());
    const auto change = [&](int i, const std::string& name) {
        TQelObject* p = db->GetObjectA(keys[static_cast<std::size_t>(i)]);
        p->FieldByName("Name")->set_AsString(name);
        ASSERT_TRUE(p->Commit());
    };
    change(3, "Geändert3"); // row already shown
    change(25, "Geändert25"); // row still to come
    TQelObject* gone = db->GetObjectA(keys[30]);
    ASSERT_TRUE(gone->Delete());
    TQelObject* fresh = person("Neu", "Nina");
    EXPECT_EQ(grid->EntryCount(), 10); // nothing applied yet
    drain();
    const int name = grid->ColumnByName("Name");
    EXPECT_EQ(grid->EntryCount(), kPersons); // one gone, one new
    EXPECT_EQ(grid->Cells(name, grid->get_row(keys[3])), "Geändert3");
    EXPECT_EQ(grid->Cells(name, grid->get_row(keys[25])), "Geändert25");
    EXPECT_EQ(grid->get_row(keys[30]), -1);
    EXPECT_GE(grid->get_row(fresh->Key()), grid->FirstDataRow());
    // Every key once.
    std::set<std::string> seen;
    for (int r = grid->FirstDataRow(); r < grid->FirstDataRow() + grid->EntryCount(); ++r)
        EXPECT_TRUE(seen.insert(grid->Cells(0, r)).second) << grid->Cells(0, r);
}

TEST_F(SelectGridPagingTest, AListStillLoadingIsNotCached)
{
    ASSERT_NE(TQelListCache::Instance(), nullptr);
    TQelListCache::Instance()->Clear();
    TQelSelectGridOptions o = grid->get_SelectGridOptions();
    o << soUseCache;
    grid->set_SelectGridOptions(o);
    paged(10, 10);
    grid->Reload();
    ASSERT_TRUE(grid->Loading());
    const std::string key = TQelListCache::KeyOf(grid);
    grid->set_ClassName("Firma");
    EXPECT_FALSE(grid->Loading());
    EXPECT_FALSE(TQelListCache::Instance()->Has(key));
    clock.Advance(10); // no step of the old load runs on
    EXPECT_EQ(grid->EntryCount(), 0);

    // Coming back queries the whole list; a complete one is cached and restored whole.
    grid->set_ClassName("Person");
    drain();
    EXPECT_EQ(rows(grid), full);
    grid->set_ClassName("Firma");
    EXPECT_TRUE(TQelListCache::Instance()->Has(key));
    grid->set_ClassName("Person");
    EXPECT_TRUE(grid->LastStatement().empty());
    EXPECT_FALSE(grid->Loading());
    EXPECT_EQ(rows(grid), full);
    TQelListCache::Instance()->Clear();
}

TEST_F(SelectGridPagingTest, LongLoadsShowProgressUntilTheyEnd)
{
    db->StartTransaction();
    for (int i = kPersons; i < 700; ++i)
        person("Name" + std::to_string(i), "X");
    ASSERT_TRUE(db->CommitTransaction());
    paged(1, 1);
    grid->Reload();
    clock.Advance(TQelSelectGrid::ProgressDelayMs - 10);
    EXPECT_TRUE(grid->Loading());
    EXPECT_TRUE(grid->LoadProgress() == nullptr || !grid->LoadProgress()->Visible());
    clock.Advance(20);
    ASSERT_NE(grid->LoadProgress(), nullptr);
    EXPECT_TRUE(grid->LoadProgress()->Visible());
    EXPECT_EQ(grid->LoadProgress()->Max(), 700);
    EXPECT_EQ(grid->LoadProgress()->Position(), grid->EntryCount());
    EXPECT_NE(grid->LoadProgress()->Text().find("von 700 Einträgen geladen"), std::string::npos)
        << grid->LoadProgress()->Text();
    drain();
    EXPECT_EQ(grid->EntryCount(), 700);
    EXPECT_FALSE(grid->LoadProgress()->Visible());
}
