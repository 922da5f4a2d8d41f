#include "objdb_test_support.h"

#include <sqlite3.h>

#include <fstream>
#include <gtest/gtest.h>

namespace {

std::string openError(const std::string& path, TQelOpenOptions o = {})
{
    o.busyTimeoutMs = 50;
    TQelDatabase db;
    try {
        db.Open(path, o);
    } catch (const TQelOpenError& e) {
        EXPECT_FALSE(db.Initialized());
        EXPECT_EQ(e.Path(), path);
        return e.what();
    }
    return "";
}

bool contains(const std::string& s, const std::string& part)
{
    return s.find(part) != std::string::npos;
}

} // namespace

TEST(Open, MissingFileIsRefusedUnlessCreating)
{
    TempFile file;
    const std::string msg = openError(file.path());
    EXPECT_TRUE(contains(msg, file.path()) && contains(msg, "Datei nicht gefunden")) << msg;
    EXPECT_FALSE(std::filesystem::exists(file.path()));
    EXPECT_TRUE(contains(openError(file.dir()), "Verzeichnis"));
}

TEST(Open, NonSqliteAndForeignSqliteFilesAreRefused)
{
    TempFile file("junk.qeldb");
    {
        std::ofstream out(file.path());
        out << "this is not sqlite at all, just some text that is long enough for a header........";
    }
    std::string msg = openError(file.path());
    EXPECT_TRUE(contains(msg, "junk.qeldb") && contains(msg, "keine SQLite-Datenbank")) << msg;
    TQelOpenOptions create;
    create.create = true;
    EXPECT_TRUE(contains(openError(file.path(), create), "keine SQLite-Datenbank"))
        << "creating never overwrites";

    // The old throwaway demo format: SQLite with an OBJEKT table but no object database.
    TempFile old("old.qeldb");
    sqlite3* h = nullptr;
    sqlite3_open(old.path().c_str(), &h);
    sqlite3_exec(h, "CREATE TABLE OBJEKT (K INTEGER PRIMARY KEY, KLASSE INTEGER, NAME TEXT)", nullptr,
        nullptr, nullptr);
    sqlite3_close(h);
    msg = openError(old.path(), create);
    EXPECT_TRUE(contains(msg, "old.qeldb") && contains(msg, "QEL_INFO")) << msg;
}

TEST(Open, ReadOnlyFilesOpenOnlyForReading)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores file permissions";
    TempFile file;
    TQelObjectKey key;
    {
        auto db = openFile(file.path(), kTestSchema);
        TQelObject* k = db->CreateObject(db->FindClass("Kunde")->Key());
        k->FieldByName("Name")->set_AsString("Nur lesen");
        ASSERT_TRUE(k->Commit());
        key = k->Key();
    }
    std::filesystem::permissions(file.path(), std::filesystem::perms::owner_read);
    EXPECT_TRUE(contains(openError(file.path()), "schreibgeschützt"));
    TQelOpenOptions ro;
    ro.readOnly = true;
    TQelDatabase db;
    db.Open(file.path(), ro);
    TQelObject* k = db.GetObjectA(key);
    ASSERT_TRUE(k);
    k->FieldByName("Name")->set_AsString("Doch");
    EXPECT_FALSE(k->Commit());
    EXPECT_TRUE(contains(k->ErrorMessage(), "nur zum Lesen")) << k->ErrorMessage();
}

TEST(Open, ReadOnlyModeRefusesCommitsEvenWhenTheFileIsWritable)
{
    TempFile file;
    {
        openFile(file.path(), kTestSchema);
    }
    TQelOpenOptions ro;
    ro.readOnly = true;
    TQelDatabase db;
    db.Open(file.path(), ro);
    TQelObject* k = db.CreateObject(db.FindClass("Kunde")->Key());
    k->FieldByName("Name")->set_AsString("X");
    EXPECT_FALSE(k->Commit());
    EXPECT_TRUE(contains(k->ErrorMessage(), file.path()));
}

TEST(Open, AFileLockedByAnotherConnectionIsNamedAsLocked)
{
    TempFile file;
    {
        openFile(file.path(), kTestSchema);
    }
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.path().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const std::string msg = openError(file.path());
    EXPECT_TRUE(contains(msg, file.path()) && contains(msg, "gesperrt")) << msg;
    // Open before the lock, commit while it is held: refused with the reason, nothing lost in memory.
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    auto db = openFile(file.path());
    TQelObject* k = db->CreateObject(db->FindClass("Kunde")->Key());
    k->FieldByName("Name")->set_AsString("Wartet");
    sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    EXPECT_FALSE(k->Commit());
    EXPECT_TRUE(contains(k->ErrorMessage(), "locked")) << k->ErrorMessage();
    EXPECT_TRUE(k->IsNew());
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(k->Commit()) << k->ErrorMessage();
}

TEST(Open, AStoreIsARealSqliteFileWithReadableTables)
{
    TempFile file;
    {
        openFile(file.path(), kTestSchema);
    }
    sqlite3* h = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.path().c_str(), &h, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    std::vector<std::string> tables;
    sqlite3_exec(
        h, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name",
        [](void* p, int, char** v, char**) {
            static_cast<std::vector<std::string>*>(p)->push_back(v[0]);
            return 0;
        },
        &tables, nullptr);
    sqlite3_close(h);
    for (const char* t : { "Kunde", "Lieferant", "OBJEKT", "QEL_INFO", "QEL_SPERRE", "T_Adresse", "T_Konto" })
        EXPECT_NE(std::find(tables.begin(), tables.end(), t), tables.end()) << t;
}

TEST(Open, AMissingOrUnknownFormatRowIsRefusedAsAnUnknownFormat)
{
    for (const char* damage : { "DELETE FROM QEL_INFO WHERE NAME = 'format'",
             "UPDATE QEL_INFO SET WERT = 'qelobjdb 99' WHERE NAME = 'format'" }) {
        TempFile file;
        {
            openFile(file.path(), kTestSchema);
        }
        sqlite3* h = nullptr;
        ASSERT_EQ(sqlite3_open(file.path().c_str(), &h), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(h, damage, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(h);
        const std::string msg = openError(file.path());
        EXPECT_TRUE(contains(msg, file.path()) && contains(msg, "unbekanntes Datenbankformat"))
            << damage << ": " << msg;
        // The database stays usable for the next open.
        TQelDatabase db;
        EXPECT_THROW(db.Open(file.path(), {}), TQelOpenError);
        EXPECT_FALSE(db.Initialized());
    }
}
