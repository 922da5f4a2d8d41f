// Workstations as separate processes on one store: a child process opens its own connection
// (the same SQLite file, or the same server schema), does its work and then waits to be told to
// end or to be killed, as a crashing workstation would be.
#include "objdb_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

class TChild {
public:
    // `work` runs in the child and returns its result (0..99); the child then waits.
    explicit TChild(const std::function<int()>& work)
    {
        if (::pipe(up_) != 0 || ::pipe(down_) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(up_[0]);
            ::close(down_[1]);
            int rc = 90;
            try {
                rc = work();
            } catch (...) {
                rc = 91;
            }
            const char c = static_cast<char>(rc);
            (void)!::write(up_[1], &c, 1);
            char x;
            (void)!::read(down_[0], &x, 1);
            _exit(rc); // leaves the parent's connections alone
        }
        ::close(up_[1]);
        ::close(down_[0]);
    }
    ~TChild()
    {
        Kill();
        ::close(up_[0]);
        ::close(down_[1]);
    }
    // The child's result once its work is done; -1 when it said nothing within 20 s.
    int Ready()
    {
        pollfd p { up_[0], POLLIN, 0 };
        char c = 0;
        if (pid_ <= 0 || ::poll(&p, 1, 20000) != 1 || ::read(up_[0], &c, 1) != 1)
            return -1;
        return c;
    }
    // Lets the child end normally; returns its exit code.
    int Finish()
    {
        (void)!::write(down_[1], "x", 1);
        return reap();
    }
    void Kill()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            reap();
        }
    }

private:
    int reap()
    {
        int status = 0;
        if (pid_ <= 0 || ::waitpid(pid_, &status, 0) != pid_)
            return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int up_[2] = { -1, -1 };
    int down_[2] = { -1, -1 };
    pid_t pid_ = -1;
};

class Processes : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = OnPostgres() ? FreshPgStore() : file.path();
        a = openFile(store, kTestSchema);
    }
    TQelObject* create(const char* name)
    {
        TQelObject* k = a->CreateObject(a->FindClass("Kunde")->Key());
        k->FieldByName("Name")->set_AsString(name);
        EXPECT_TRUE(k->Commit()) << k->ErrorMessage();
        return k;
    }
    // Takes in changes until `count` arrived or 5 s passed.
    int receive(TQelDatabase& db, int count)
    {
        int n = 0;
        for (int i = 0; i < 1000 && n < count; ++i) {
            n += db.ReceiveChanges();
            if (n < count)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return n;
    }
    TempFile file;
    std::string store;
    std::unique_ptr<TQelDatabase> a;
};

} // namespace

TEST_F(Processes, CommitsDeletesAndRemovalsOfAnotherProcessArriveInOrder)
{
    std::vector<std::pair<int, int>> heard;
    a->SubscribeInstanceNotification(
        a->FindClass("Kunde")->Key(), [&](int event, TQelClassKey, TQelObjectKey key, TQelObject*) {
            heard.push_back({ event, key.Id() });
        });
    const TQelObjectKey kept = create("Bleibt")->Key(); // stays in memory here
    heard.clear();
    const std::string at = store;
    TChild child([at, key = kept] {
        auto other = openFile(at);
        const TQelClassKey cls = other->FindClass("Kunde")->Key();
        for (int i = 0; i < 30; ++i) {
            TQelObject* o = other->CreateObject(cls);
            o->FieldByName("Name")->set_AsString("P" + std::to_string(i));
            if (!o->Commit())
                return 2;
        }
        TQelObject* o = other->GetObjectA(key);
        o->FieldByName("Ort")->set_AsString("Prozess");
        if (!o->Commit() || !o->Delete() || !o->Recover() || !o->Delete())
            return 3;
        return other->DeleteObject(key) ? 0 : 4;
    });
    ASSERT_EQ(child.Ready(), 0);
    ASSERT_EQ(receive(*a, 35), 35);
    ASSERT_EQ(heard.size(), 35u);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(heard[i].first, ieCreated) << i;
    EXPECT_LT(heard[0].second, heard[29].second) << "in the order of the commits";
    const int k = kept.Id();
    EXPECT_EQ(std::vector(heard.begin() + 30, heard.end()),
        (std::vector<std::pair<int, int>> {
            { ieStored, k }, { ieDeleted, k }, { ieRecovered, k }, { ieDeleted, k }, { ieGone, k } }));
    EXPECT_EQ(a->CachedObject(kept), nullptr) << "removed elsewhere: gone here too";
    EXPECT_EQ(a->ChangeStamp(), openFile(store)->ChangeStamp()) << "one change stamp for all processes";
    EXPECT_EQ(child.Finish(), 0);
    EXPECT_EQ(a->ReceiveChanges(), 0) << "each change arrives once";
}

TEST_F(Processes, ALockOfAnotherProcessHoldsUntilTheProcessDies)
{
    TQelObject* obj = create("Anna");
    const TQelObjectKey key = obj->Key();
    const std::string at = store;
    TChild child([at, key] {
        TQelDatabase* other = openFile(at).release(); // open until the process ends
        return other->CreateSQLEngine()->Lock(key) ? 0 : 2;
    });
    ASSERT_EQ(child.Ready(), 0);
    auto engine = a->CreateSQLEngine();
    int session = 0;
    double time = 0;
    ASSERT_TRUE(engine->IsLocked(key, session, time));
    EXPECT_NE(session, a->SessionNumber());
    EXPECT_GT(time, 0);
    EXPECT_FALSE(engine->Lock(key)) << "the other process holds it";
    obj->FieldByName("Ort")->set_AsString("Aachen");
    EXPECT_FALSE(obj->Commit());
    EXPECT_NE(obj->ErrorMessage().find("gesperrt"), std::string::npos) << obj->ErrorMessage();

    // The workstation crashes: its lock no longer counts (the server notices the lost
    // connection a moment later).
    child.Kill();
    bool locked = true;
    for (int i = 0; i < 300 && locked; ++i) {
        locked = engine->IsLocked(key, session, time);
        if (locked)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(locked);
    EXPECT_TRUE(obj->Commit()) << obj->ErrorMessage();
    EXPECT_TRUE(engine->Lock(key));
}

TEST_F(Processes, AProcessKilledDuringACommitLeavesEveryObjectWhollyOld)
{
    TQelObject* first = create("Erste");
    TQelObject* second = create("Zweite");
    const std::string at = store;
    TChild child([at, k1 = first->Key(), k2 = second->Key()] {
        TQelDatabase* other = openFile(at).release(); // its transaction open until it is killed
        other->StartTransaction();
        for (TQelObjectKey key : { k1, k2 }) {
            TQelObject* o = other->GetObjectA(key);
            o->FieldByName("Ort")->set_AsString("Neu");
            o->FieldList()->FindField("Adressen[0].Ort", true)->set_AsString("Ulm");
            if (!o->Commit())
                return 2;
        }
        return 0; // killed before the transaction commits
    });
    ASSERT_EQ(child.Ready(), 0);
    child.Kill();
    EXPECT_EQ(a->ReceiveChanges(), 0) << "nothing was committed";
    auto c = openFile(store);
    for (TQelObjectKey key : { first->Key(), second->Key() }) {
        TQelObject* seen = c->GetObjectA(key);
        ASSERT_NE(seen, nullptr);
        EXPECT_EQ(seen->FieldByName("Ort")->AsString(), "");
        EXPECT_EQ(seen->FieldList()->VectorByName("Adressen")->Count(), 0);
    }
    // The store is usable at once: nothing of the dead transaction holds it.
    bool stored = false;
    for (int i = 0; i < 300 && !stored; ++i) {
        first->FieldByName("Ort")->set_AsString("Danach");
        stored = first->Commit();
        if (!stored)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(stored) << first->ErrorMessage();
    EXPECT_EQ(receive(*c, 1), 1);
    EXPECT_EQ(c->GetObjectA(first->Key())->FieldByName("Ort")->AsString(), "Danach");
}

TEST_F(Processes, OldJournalRowsGoWithALaterCommitAndNewOnesStillArrive)
{
    if (OnPostgres())
        GTEST_SKIP() << "the server tells changes through NOTIFY, without a journal";
    create("Anna"); // makes the journal
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(store.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw,
                  "INSERT INTO QEL_AENDERUNG (ART, KLASSE, K, SITZUNG, STAND, QUELLE, ZEIT) "
                  "VALUES (2, 40020, 999, 1, 1, 1, 1)",
                  nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(raw);
    auto b = openFile(store);
    auto c = openFile(store); // its first commit clears out old rows
    TQelObject* o = c->CreateObject(c->FindClass("Kunde")->Key());
    o->FieldByName("Name")->set_AsString("Cora");
    ASSERT_TRUE(o->Commit()) << o->ErrorMessage();
    EXPECT_EQ(QueryInt(a.get(), "SELECT COUNT(*) FROM QEL_AENDERUNG WHERE ZEIT = 1"), 0);
    std::vector<int> keys;
    b->SubscribeInstanceNotification(b->FindClass("Kunde")->Key(),
        [&](int, TQelClassKey, TQelObjectKey key, TQelObject*) { keys.push_back(key.Id()); });
    EXPECT_EQ(receive(*b, 1), 1);
    EXPECT_EQ(keys, std::vector<int> { o->Key().Id() });
}
