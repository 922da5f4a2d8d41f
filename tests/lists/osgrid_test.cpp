// TQelOpenSelectGrid: rows from the application's query, skipped records, cancelled and empty
// loads, progress on long loads, and a failing statement.
#include "lists/qelosgrid.h"
#include "lists_fixture.h"

#include "toolkit/classes.h"

namespace {

class OpenSelectGridTest : public GridFixture<TQelOpenSelectGrid> {
protected:
    void SetUp() override
    {
        GridFixture::SetUp();
        grid->SetColumns("Name:-1;Vorname:-1");
        grid->OnSetStatement = TQelSetStatementEvent([this](TObject*, TQelSQLQuery* q, bool& ok) {
            q->set_SQL(statement);
            ok = run;
        });
        grid->OnLoadEntry
            = TQelLoadEntryEvent([this](TObject*, TQelSQLQuery* q, bool& accept, TStrings* row) {
                  clock.Advance(msPerRecord);
                  EXPECT_EQ(row->Count(), grid->ColCount());
                  accept = q->AsString(0) != skip;
                  row->Put(0, q->AsString(0));
                  row->Put(1, q->AsString(1));
                  row->PutObject(1, &tag);
              });
    }
    void addPersons(int n)
    {
        static const char* const names[] = { "Müller", "Özdemir", "Schmidt", "Weiß" };
        db->StartTransaction();
        for (int i = 0; i < n; ++i) {
            TQelObject* p = create("Person");
            p->FieldByName("Name")->set_AsString(std::string(names[i % 4]) + " " + std::to_string(i));
            p->FieldByName("Vorname")->set_AsString("V" + std::to_string(i));
            ASSERT_TRUE(p->Commit());
        }
        db->CommitTransaction();
    }

    std::string statement = "SELECT Name, Vorname FROM Person ORDER BY Vorname";
    bool run = true;
    std::string skip = "-";
    int msPerRecord = 0;
    TStringList tag;
};

TEST_F(OpenSelectGridTest, EachAcceptedRecordBecomesARow)
{
    addPersons(4);
    skip = "Schmidt 2";
    grid->Reload();
    ASSERT_EQ(grid->RowCount(), 1 + 3);
    EXPECT_EQ(grid->GetCellsEx(0, 1), "Müller 0");
    EXPECT_EQ(grid->GetCellsEx(1, 1), "V0");
    EXPECT_EQ(grid->GetCellsEx(0, 2), "Özdemir 1");
    EXPECT_EQ(grid->GetCellsEx(0, 3), "Weiß 3");
    EXPECT_EQ(grid->GetObjectsEx(1, 3), &tag);
    EXPECT_EQ(grid->GetObjectsEx(0, 3), nullptr);
    EXPECT_EQ(grid->GetCellsEx(0, 0), "Name"); // the header stays
}

TEST_F(OpenSelectGridTest, NothingHappensWithoutBothEventsOrWithoutDatabase)
{
    addPersons(2);
    grid->SetRowCount(5);
    grid->SetCellsEx(0, 4, "alt");
    auto load = grid->OnLoadEntry;
    grid->OnLoadEntry = nullptr;
    grid->Reload();
    EXPECT_EQ(grid->RowCount(), 5);
    grid->OnLoadEntry = load;
    SetQelDatabase(nullptr);
    grid->Reload();
    SetQelDatabase(db.get());
    EXPECT_EQ(grid->RowCount(), 5);
    EXPECT_EQ(grid->GetCellsEx(0, 4), "alt");
}

TEST_F(OpenSelectGridTest, ACancelledOrEmptyLoadLeavesOneEmptyRow)
{
    addPersons(3);
    grid->Reload();
    ASSERT_EQ(grid->RowCount(), 4);
    run = false;
    grid->Reload();
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->GetCellsEx(0, 1), "");
    EXPECT_EQ(grid->GetObjectsEx(1, 1), nullptr); // no stale object from the earlier load
    run = true;
    skip = "";
    statement = "SELECT Name, Vorname FROM Person WHERE Name = 'niemand'";
    grid->Reload();
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->GetCellsEx(1, 1), "");
}

TEST_F(OpenSelectGridTest, ProgressIsReportedOnceALoadIsSlowEarly)
{
    addPersons(30);
    std::vector<std::pair<int, int>> progress;
    grid->OnProgress
        = TQelProgressEvent([&](TObject*, int done, int total) { progress.emplace_back(done, total); });
    msPerRecord = 50; // 100 ms after the second record, when a fifteenth is read
    grid->Reload();
    ASSERT_EQ(progress.size(), 30u);
    EXPECT_EQ(progress.front(), std::make_pair(2, 30));
    EXPECT_EQ(progress[28], std::make_pair(30, 30));
    EXPECT_EQ(progress.back(), std::make_pair(30, 30)); // the final report
    EXPECT_EQ(db->TimerTasks()->Count(), 0);

    // Slow only later than a tenth: just the final report.
    progress.clear();
    msPerRecord = 20; // 100 ms after record 5, a sixth
    grid->Reload();
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>> { { 30, 30 } }));
    EXPECT_EQ(grid->RowCount(), 31);
}

TEST_F(OpenSelectGridTest, AFailingStatementIsLoggedAndPassedOn)
{
    addPersons(2);
    db->LogManager()->set_Active(true);
    statement = "SELECT Name FROM KeineTabelle";
    EXPECT_THROW(grid->Reload(), std::exception);
    EXPECT_EQ(grid->RowCount(), 2);
    const auto errors = db->LogManager()->EntriesOf("Error");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].Text.find("Exception in TQelOpenSelectGrid::Reload(), nach CP 1"), std::string::npos);
}

} // namespace
