#include "demo_database.h"
#include "demo_options.h"
#include "objdb/qelobject.h"
#include "objdb/qelsql.h"

#include <sqlite3.h>

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList argv(std::initializer_list<const char*> a)
{
    QStringList l { "qeldemo" };
    for (auto* s : a)
        l << QString::fromUtf8(s);
    return l;
}

} // namespace

TEST(DemoOptions, HeadlessImpliesScreenshotsToDefaultFolder)
{
    auto o = parseDemoOptions(argv({}), true);
    EXPECT_EQ(o.screenshotDir, "out/screenshots");
    EXPECT_EQ(o.dbPath, defaultDatabasePath());
    EXPECT_TRUE(parseDemoOptions(argv({}), false).screenshotDir.isEmpty());
}

TEST(DemoOptions, ExplicitPathsAndErrors)
{
    auto o = parseDemoOptions(argv({ "--db", "/tmp/x.qeldb", "--screenshot", "shots" }), false);
    EXPECT_EQ(o.dbPath, "/tmp/x.qeldb");
    EXPECT_EQ(o.screenshotDir, "shots");
    EXPECT_EQ(
        parseDemoOptions(argv({ "--screenshot", "--db", "a" }), false).screenshotDir, "out/screenshots");
    EXPECT_FALSE(parseDemoOptions(argv({ "--db" }), false).error.isEmpty());
    EXPECT_FALSE(parseDemoOptions(argv({ "--frobnicate" }), false).error.isEmpty());
    EXPECT_TRUE(parseDemoOptions(argv({ "--help" }), false).helpShown);
}

TEST(DemoDatabase, CreatesSampleDataOnceAndReopens)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("sub/demo.qeldb").toStdString();
    auto first = openDemoDatabase(path, 30, 5);
    ASSERT_TRUE(first.error.empty()) << first.error;
    EXPECT_TRUE(first.created);
    // The sample persons and firms, five stored filters and the one parameter they keep, two
    // document templates, five sample documents for each of the first five persons (the deleted
    // former persons do not count), six languages, and the settings of the demo's user, who
    // administers the demo.
    EXPECT_EQ(first.objectCount, 35 + 5 + 1 + 2 + 25 + 6 + 1);
    EXPECT_TRUE(first.db->User()->IsAdmin());
    first.db.reset();
    auto second = openDemoDatabase(path);
    ASSERT_TRUE(second.error.empty()) << second.error;
    EXPECT_FALSE(second.created);
    EXPECT_EQ(second.objectCount, first.objectCount);
    // The persons are real objects of the demo schema.
    auto q = second.db->CreateSQLEngine()->ListEx(
        second.db->FindClass("Person")->Key(), lfNotDeleted, "", "Name");
    EXPECT_EQ(q->CountRecords(), 30);
    q->Open();
    TQelObject* p = second.db->GetObjectA(TQelObjectKey(static_cast<int>(q->AsInteger(0))));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->FieldByName("Name")->AsString(), q->AsString(1));
}

TEST(DemoDatabase, RefusesFilesThatAreNoObjectDatabase)
{
    QTemporaryDir dir;
    const QString junk = dir.filePath("junk.qeldb");
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not sqlite at all, just some text that is long enough for a header........");
    f.close();
    auto s = openDemoDatabase(junk.toStdString());
    EXPECT_FALSE(s.db);
    EXPECT_NE(s.error.find("junk.qeldb"), std::string::npos);
    EXPECT_NE(s.error.find("keine SQLite-Datenbank"), std::string::npos) << s.error;
    EXPECT_TRUE(QFile::exists(junk)) << "a refused file is never removed";

    // The throwaway file of earlier demo versions: SQLite, but no object database.
    const std::string old = dir.filePath("old.qeldb").toStdString();
    sqlite3* h = nullptr;
    sqlite3_open(old.c_str(), &h);
    sqlite3_exec(h,
        "CREATE TABLE OBJEKT (K INTEGER PRIMARY KEY, KLASSE INTEGER NOT NULL, NAME TEXT);"
        "INSERT INTO OBJEKT (KLASSE, NAME) VALUES (20001, 'Müller, Anna')",
        nullptr, nullptr, nullptr);
    sqlite3_close(h);
    auto o = openDemoDatabase(old);
    EXPECT_NE(o.error.find("old.qeldb"), std::string::npos);
    EXPECT_NE(o.error.find("keine Objektdatenbank"), std::string::npos) << o.error;
}
