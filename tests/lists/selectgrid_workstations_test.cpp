// Two workstations on one store: B's select grid follows what A commits, one row at a time, on
// an SQLite file shared by two databases and on a PostgreSQL schema (QEL_PG_URL). With
// QEL_TEST_STORE=postgresql the server is required and its absence fails the test.
#include "selectgrid_fixture.h"
#include "support/private_dir.h"

#include <libpq-fe.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace {

bool serverRequired()
{
    const char* s = std::getenv("QEL_TEST_STORE");
    return s && std::string(s) == "postgresql";
}

std::string serverUrl()
{
    const char* u = std::getenv("QEL_PG_URL");
    return u ? u : "";
}

// A connection string to a new empty schema on the test server.
std::string freshServerStore()
{
    static int counter = 0;
    const std::string url = serverUrl();
    const std::string schema = "sg" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
    PGconn* c = PQconnectdb(url.c_str());
    PGresult* r = PQexec(c, ("CREATE SCHEMA " + schema).c_str());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    const std::string error = PQerrorMessage(c);
    PQclear(r);
    PQfinish(c);
    if (!ok)
        throw std::runtime_error("Testschema kann nicht angelegt werden: " + error);
    return url + (url.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" + schema;
}

} // namespace

class SelectGridWorkstations : public SelectGridTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        QelDbTest::SetUp();
        const bool server = GetParam();
        if (server && serverUrl().empty()) {
            if (serverRequired())
                FAIL() << "kein PostgreSQL-Testserver: QEL_PG_URL ist nicht gesetzt";
            GTEST_SKIP() << "QEL_PG_URL is not set";
        }
        const std::string store = server ? freshServerStore() : (scratch.path() / "office.qeldb").string();
        TQelOpenOptions o;
        o.schemaText = kSelectGridSchema;
        o.create = true;
        db->Open(store, o); // B, the workstation whose grid is watched
        other = std::make_unique<TQelDatabase>();
        other->Open(store);
        startGrid();
    }
    void TearDown() override
    {
        other.reset();
        SelectGridTest::TearDown();
    }
    TQelObject* commitOnA(const std::string& name)
    {
        TQelObject* p = other->CreateObject(other->FindClass("Person")->Key());
        p->FieldByName("Name")->set_AsString(name);
        EXPECT_TRUE(p->Commit()) << p->ErrorMessage();
        return p;
    }
    // Lets B's timer tasks run (they look for remote changes every 20 ms) until `done` or 5 s.
    bool until(const std::function<bool()>& done)
    {
        for (int i = 0; i < 500; ++i) {
            clock.Advance(20);
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    PrivateDir scratch { "qel_sg_ws" };
    std::unique_ptr<TQelDatabase> other; // A
};

TEST_P(SelectGridWorkstations, ACommitOnAReloadsOneRowOfBsGrid)
{
    int heard = 0;
    db->SubscribeInstanceNotification(
        db->FindClass("Person")->Key(), [&](int, TQelClassKey, TQelObjectKey, TQelObject*) { ++heard; },
        ieCreated | ieStored);
    TQelObject* anna = commitOnA("Meier");
    for (int i = 0; i < 20; ++i)
        commitOnA("Zeh" + std::to_string(i));
    ASSERT_TRUE(until([&] { return heard == 21; })) << heard;
    grid->set_ClassName("Person");
    grid->Reload();
    ASSERT_EQ(grid->EntryCount(), 21);
    const int nameCol = grid->ColumnByName("Name");
    const int row = grid->get_row(anna->Key());
    ASSERT_GE(row, grid->FirstDataRow());
    // Marks in the other rows show whether the list was read again.
    for (int r = grid->FirstDataRow(); r < grid->FirstDataRow() + grid->EntryCount(); ++r)
        if (r != row)
            grid->SetCellsEx(nameCol, r, "mark");
    int reloads = 0;
    grid->AfterReload = [&](TObject*) { ++reloads; };

    anna->FieldByName("Name")->set_AsString("Meier-Lüdenscheid");
    ASSERT_TRUE(anna->Commit()) << anna->ErrorMessage();
    ASSERT_TRUE(until([&] { return grid->Cells(nameCol, row) == "Meier-Lüdenscheid"; }))
        << grid->Cells(nameCol, row);
    EXPECT_EQ(reloads, 1);
    EXPECT_NE(grid->LastSingleStatement().find("OBJEKT.K = " + anna->Key().ToString()), std::string::npos)
        << grid->LastSingleStatement();
    for (int r = grid->FirstDataRow(); r < grid->FirstDataRow() + grid->EntryCount(); ++r) {
        if (r != row) {
            EXPECT_EQ(grid->Cells(nameCol, r), "mark") << r;
        }
    }

    // A new object committed on A gets a row of its own; the rest stays as it was.
    TQelObject* neu = commitOnA("Neu");
    ASSERT_TRUE(until([&] { return grid->get_row(neu->Key()) >= 0; }));
    EXPECT_EQ(grid->EntryCount(), 22);
    EXPECT_EQ(reloads, 2);
    EXPECT_EQ(grid->Cells(nameCol, grid->get_row(neu->Key())), "Neu");
}

INSTANTIATE_TEST_SUITE_P(Stores, SelectGridWorkstations, ::testing::Values(false, true),
    [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "PostgreSQL" : "SQLite"; });
