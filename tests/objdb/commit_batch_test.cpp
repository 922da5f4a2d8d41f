// Many objects committed in one transaction, and many marked deleted in one command, on a store
// two workstations share: each object is checked (locks, versions) and refused on its own, what
// is refused leaves no trace, and the other workstation hears every change once.
#include "objdb_test_support.h"

#include "objdb/qelobjcommands.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

class CommitBatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = OnPostgres() ? FreshPgStore() : file.path();
        a = openFile(store, kTestSchema);
        b = openFile(store);
        b->SubscribeInstanceNotification(
            b->FindClass("Kunde")->Key(), [this](int event, TQelClassKey, TQelObjectKey key, TQelObject*) {
                heard.push_back({ event, key.Id() });
            });
    }
    // Takes in B's changes until `count` arrived or about two seconds passed.
    void receive(std::size_t count)
    {
        for (int i = 0; i < 400 && heard.size() < count; ++i) {
            if (!b->ReceiveChanges())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    std::vector<TQelObject*> stored(std::initializer_list<const char*> names)
    {
        std::vector<TQelObject*> out;
        for (const char* n : names) {
            TQelObject* k = a->CreateObject(a->FindClass("Kunde")->Key());
            k->FieldByName("Name")->set_AsString(n);
            EXPECT_TRUE(k->Commit()) << k->ErrorMessage();
            out.push_back(k);
        }
        return out;
    }
    std::int64_t storedVersion(TQelObject* o)
    {
        return QueryInt(b.get(), "SELECT VERSION FROM OBJEKT WHERE K = " + o->Key().ToString());
    }
    void lock(TQelObject* o, int session)
    {
        a->CreateSQLEngine()->Execute("INSERT INTO QEL_SPERRE (K, SITZUNG, ZEIT) VALUES ("
            + o->Key().ToString() + ", " + std::to_string(session) + ", 0)");
    }
    // A session that is certainly alive and not A's: on SQLite a process, on the server B.
    int liveSession() const { return OnPostgres() ? b->SessionNumber() : 1; }
    // A process id that has ended: no process and no server session has it.
    static int endedSession()
    {
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(0);
        int status = 0;
        ::waitpid(child, &status, 0);
        return static_cast<int>(child);
    }
    // Runs on A's own connection, inside A's transaction when one is open.
    void onA(const std::string& sql) { a->CreateSQLEngine()->Execute(sql); }

    TempFile file;
    std::string store;
    std::unique_ptr<TQelDatabase> a, b;
    std::vector<std::pair<int, int>> heard; // event, key
};

} // namespace

TEST_F(CommitBatch, LocksOfLiveSessionsRefuseTheirObjectAloneAndThoseOfEndedSessionsGo)
{
    auto objs = stored({ "Xaver", "Yvonne", "Zora" });
    lock(objs[1], liveSession());
    a->StartTransaction();
    for (TQelObject* o : objs)
        o->FieldByName("Ort")->set_AsString("Neu");
    EXPECT_TRUE(objs[0]->Commit()) << objs[0]->ErrorMessage();
    EXPECT_FALSE(objs[1]->Commit());
    EXPECT_EQ(
        objs[1]->ErrorMessage(), "'Yvonne' ist von Sitzung " + std::to_string(liveSession()) + " gesperrt.");
    EXPECT_FALSE(objs[1]->Conflict());
    // The refused object's row is untouched, the stored one's changed.
    EXPECT_EQ(QueryInt(a.get(), "SELECT COUNT(*) FROM Kunde WHERE Ort = 'Neu'"), 1);
    EXPECT_TRUE(objs[2]->Commit()) << objs[2]->ErrorMessage();
    // The lock ends inside the transaction: the refused object is stored after all.
    onA("DELETE FROM QEL_SPERRE");
    EXPECT_TRUE(objs[1]->Commit()) << objs[1]->ErrorMessage();
    ASSERT_TRUE(a->CommitTransaction());
    EXPECT_EQ(QueryInt(b.get(), "SELECT COUNT(*) FROM Kunde WHERE Ort = 'Neu'"), 3);
    for (TQelObject* o : objs) {
        EXPECT_EQ(o->Version(), 2) << o->Name();
        EXPECT_EQ(storedVersion(o), 2) << o->Name();
    }

    // A lock left by a session that ended no longer counts and is cleared by the commit.
    lock(objs[0], endedSession());
    objs[0]->FieldByName("Ort")->set_AsString("Später");
    EXPECT_TRUE(objs[0]->Commit()) << objs[0]->ErrorMessage();
    EXPECT_EQ(QueryInt(b.get(), "SELECT COUNT(*) FROM QEL_SPERRE"), 0);
    EXPECT_EQ(storedVersion(objs[0]), 3);

    // A newer version stored by B is a conflict, whatever the lock table holds; overwriting takes
    // the version after B's.
    TQelObject* onB = b->GetObjectA(objs[2]->Key());
    onB->FieldByName("Ort")->set_AsString("Bonn");
    ASSERT_TRUE(onB->Commit()) << onB->ErrorMessage();
    objs[2]->FieldByName("Ort")->set_AsString("Aachen");
    EXPECT_FALSE(objs[2]->Commit());
    EXPECT_TRUE(objs[2]->Conflict());
    EXPECT_EQ(QueryInt(a.get(), "SELECT COUNT(*) FROM Kunde WHERE Ort = 'Bonn'"), 1);
    EXPECT_TRUE(objs[2]->CommitOverwriting()) << objs[2]->ErrorMessage();
    EXPECT_EQ(objs[2]->Version(), 4);
    EXPECT_EQ(storedVersion(objs[2]), 4);
}

TEST_F(CommitBatch, ARefusedRowInsideATransactionIsUndoneAloneAndEveryChangeIsToldOnce)
{
    auto objs = stored({ "A", "B", "C", "D", "E" });
    receive(5);
    heard.clear();
    if (OnPostgres())
        onA("CREATE FUNCTION nein() RETURNS trigger AS $$ BEGIN IF OLD.name = 'C' THEN RAISE EXCEPTION "
            "'verweigert'; END IF; RETURN NEW; END $$ LANGUAGE plpgsql; CREATE TRIGGER nein BEFORE UPDATE ON "
            "Kunde FOR EACH ROW EXECUTE FUNCTION nein()");
    else
        onA("CREATE TRIGGER nein BEFORE UPDATE ON Kunde WHEN OLD.Name = 'C' BEGIN SELECT RAISE(ABORT, "
            "'verweigert'); END");
    a->StartTransaction();
    for (TQelObject* o : objs)
        o->FieldByName("Ort")->set_AsString("Köln");
    for (TQelObject* o : objs) {
        if (o == objs[2]) {
            EXPECT_FALSE(o->Commit());
            EXPECT_NE(o->ErrorMessage().find("verweigert"), std::string::npos) << o->ErrorMessage();
            EXPECT_TRUE(o->Touched());
            EXPECT_EQ(o->Version(), 1);
        } else {
            EXPECT_TRUE(o->Commit()) << o->ErrorMessage();
        }
    }
    // Inside the transaction the refused row shows nothing of its attempt, the others their change.
    EXPECT_EQ(QueryInt(a.get(), "SELECT VERSION FROM OBJEKT WHERE K = " + objs[2]->Key().ToString()), 1);
    EXPECT_EQ(QueryInt(a.get(), "SELECT COUNT(*) FROM Kunde WHERE Ort = 'Köln'"), 4);
    onA(OnPostgres() ? "DROP TRIGGER nein ON Kunde" : "DROP TRIGGER nein");
    EXPECT_TRUE(objs[2]->Commit()) << objs[2]->ErrorMessage();
    ASSERT_TRUE(a->CommitTransaction());

    EXPECT_EQ(QueryInt(b.get(), "SELECT COUNT(*) FROM Kunde WHERE Ort = 'Köln'"), 5);
    for (TQelObject* o : objs) {
        EXPECT_EQ(o->Version(), 2) << o->Name();
        EXPECT_EQ(storedVersion(o), 2) << o->Name();
        EXPECT_FALSE(o->Touched());
    }
    receive(5);
    std::multiset<std::pair<int, int>> want;
    for (TQelObject* o : objs)
        want.insert({ ieStored, o->Key().Id() });
    const std::multiset<std::pair<int, int>> got(heard.begin(), heard.end());
    EXPECT_EQ(got, want);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(b->ReceiveChanges(), 0) << "nothing told twice";
}

TEST_F(CommitBatch, MarkingManyDeletedWithOneUnknownKeyChangesNothing)
{
    auto objs = stored({ "A", "B", "C" });
    receive(3);
    TQelObjectCommands commands(a.get());
    ASSERT_TRUE(commands.MarkDeleted({ objs[1]->Key() })) << commands.ErrorMessage();
    receive(4);
    heard.clear();
    auto deletedCount = [&](const char* table) {
        return QueryInt(b.get(), std::string("SELECT COUNT(*) FROM ") + table + " WHERE GELOESCHT <> 0");
    };

    const TQelObjectKey unknown(987654);
    EXPECT_FALSE(commands.MarkDeleted({ objs[0]->Key(), objs[1]->Key(), objs[2]->Key(), unknown }));
    EXPECT_EQ(commands.ErrorMessage(), "Objekt 987654 ist nicht gespeichert.");
    EXPECT_EQ(deletedCount("OBJEKT"), 1);
    EXPECT_EQ(deletedCount("Kunde"), 1);
    EXPECT_FALSE(objs[0]->Deleted());

    // The one deleted already is left as it is and not told again; a key given twice counts once.
    ASSERT_TRUE(commands.MarkDeleted({ objs[0]->Key(), objs[1]->Key(), objs[2]->Key(), objs[0]->Key() }))
        << commands.ErrorMessage();
    EXPECT_EQ(deletedCount("OBJEKT"), 3);
    EXPECT_EQ(deletedCount("Kunde"), 3);
    EXPECT_TRUE(objs[0]->Deleted());
    EXPECT_TRUE(objs[2]->Deleted());
    receive(2);
    const std::vector<std::pair<int, int>> both { { ieDeleted, objs[0]->Key().Id() },
        { ieDeleted, objs[2]->Key().Id() } };
    EXPECT_EQ(heard, both);

    heard.clear();
    ASSERT_TRUE(commands.MarkDeleted({ objs[2]->Key(), objs[2]->Key() }, false)) << commands.ErrorMessage();
    EXPECT_EQ(deletedCount("OBJEKT"), 2);
    EXPECT_EQ(deletedCount("Kunde"), 2);
    EXPECT_FALSE(objs[2]->Deleted());
    receive(1);
    const std::vector<std::pair<int, int>> one { { ieRecovered, objs[2]->Key().Id() } };
    EXPECT_EQ(heard, one);
    // Nothing to change: no transaction is committed and nobody hears of it.
    const int stamp = a->ChangeStamp();
    EXPECT_TRUE(commands.MarkDeleted({ objs[0]->Key() }));
    EXPECT_EQ(a->ChangeStamp(), stamp);
}
