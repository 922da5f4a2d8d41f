#include "objdb_test_support.h"

#include "objdb/qeltext.h"

#include <gtest/gtest.h>

namespace {

class Sql : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* n : { "Müller", "Meier", "O'Brien", "50% Rabatt", "a;b" }) {
            TQelObject* k = db.create("Kunde", n);
            k->FieldByName("Anzahl")->set_AsInteger(static_cast<int>(keys.size()));
            k->FieldList()
                ->FindField("Adressen[0].Ort", true)
                ->set_AsString(keys.size() % 2 ? "Bonn" : "Köln");
            ASSERT_TRUE(k->Commit()) << k->ErrorMessage();
            keys.push_back(k->Key());
        }
        TQelObject* g = db.create("Grosskunde", "Groß");
        g->FieldByName("Rabatt")->set_AsString("5");
        ASSERT_TRUE(g->Commit());
        keys.push_back(g->Key());
        engine = db->CreateSQLEngine();
    }
    std::vector<std::string> names(
        const std::string& cond, int flags = lfNotDeleted, const std::string& order = "Kunde.K")
    {
        auto q = engine->ListEx(db.cls("Kunde"), flags, cond, "Name", order);
        q->Open();
        std::vector<std::string> out;
        for (; !q->Eof(); q->Next())
            out.push_back(q->AsString(1));
        return out;
    }
    TestDb db;
    std::vector<TQelObjectKey> keys;
    std::unique_ptr<TQelSQLEngine> engine;
    TQelSQLDialect d = *db->CreateSQLDialect();
};

} // namespace

TEST_F(Sql, ConditionsUseTheNamingConventions)
{
    EXPECT_EQ(names("Kunde.Name LIKE 'M%'"), (std::vector<std::string> { "Müller", "Meier" }));
    EXPECT_EQ(names("Kunde.Name LIKE 'M%' AND OBJEKT.K = " + keys[1].ToString()),
        (std::vector<std::string> { "Meier" }));
    EXPECT_EQ(names("O_EXT.K=" + keys[0].ToString()), (std::vector<std::string> { "Müller" }));
    EXPECT_EQ(names("K IN (" + keys[0].ToString() + "," + keys[2].ToString() + ")"),
        (std::vector<std::string> { "Müller", "O'Brien" }));
    EXPECT_EQ(names("Kunde_Adressen1.Ort = 'Bonn'"), (std::vector<std::string> { "Meier", "50% Rabatt" }));
    EXPECT_EQ(names("Anzahl = 2"), (std::vector<std::string> { "O'Brien" }));
    EXPECT_EQ(names("UPPER(Kunde.Name) LIKE " + d.ValueString(d.Upper("mü") + "%")),
        (std::vector<std::string> { "Müller" }));
    EXPECT_EQ(names("EXISTS (SELECT * FROM T_Adresse WHERE K = Kunde.K AND Ort = 'Köln')").size(), 3u);
    EXPECT_EQ(names("", lfNotDeleted | lfNoDerived).size(), 5u);
    EXPECT_EQ(names("").size(), 6u);
    // SQLite sorts by bytes, the server by German rules (letters before punctuation and digits).
    EXPECT_EQ(names("", lfNotDeleted, "Kunde.Name DESC").front(), OnPostgres() ? "O'Brien" : "a;b");
    if (OnPostgres()) {
        EXPECT_EQ(names("Kunde.Name IN ('Müller', 'Meier')", lfNotDeleted, "Kunde.Name"),
            (std::vector<std::string> { "Meier", "Müller" }));
    }
}

TEST_F(Sql, HostileValuesAreQuotedNeverExecuted)
{
    for (const std::string& v : { std::string("O'Brien"), std::string("50% Rabatt"), std::string("a;b"),
             std::string("x'; DELETE FROM Kunde; --"), std::string("\" OR 1=1 --") }) {
        const auto found = names("Kunde.Name = " + d.ValueString(v));
        EXPECT_EQ(found.size(), v.front() == 'x' || v.front() == '"' ? 0u : 1u) << v;
    }
    EXPECT_EQ(db->CountObjects(), 6);
    // A filter object's fields become literals through the dialect.
    TQelObject* filter = db.create("Kunde", "O'Brien");
    EXPECT_EQ(names("Kunde.Name = " + d.ValueString(filter->FieldByName("Name"))),
        (std::vector<std::string> { "O'Brien" }));
    db->FreeObject(filter);
}

TEST_F(Sql, AStoredTextWithNulBytesIsFoundThroughItsLiteral)
{
    const std::string withNul("A\0B'", 4), onlyNul("\0", 1);
    for (const std::string& v : { withNul, onlyNul }) {
        TQelObject* k = db.create("Kunde");
        k->FieldByName("Name")->SetValue(v);
        if (OnPostgres()) {
            // The server keeps no NUL in text: the commit is refused and writes nothing.
            const std::int64_t before = db->CountObjects(true);
            EXPECT_FALSE(k->Commit());
            EXPECT_FALSE(k->ErrorMessage().empty());
            EXPECT_EQ(db->CountObjects(true), before);
            db->FreeObject(k);
            continue;
        }
        ASSERT_TRUE(k->Commit()) << k->ErrorMessage();
        const TQelObjectKey key = k->Key();
        db->FreeObject(k);
        TQelObject* again = db->GetObjectA(key);
        ASSERT_EQ(again->FieldByName("Name")->AsString(), v) << "the store keeps the bytes";
        // From the stored field and from the text: the same one object, not the text cut at NUL.
        EXPECT_EQ(names("Kunde.Name = " + d.ValueString(again->FieldByName("Name"))),
            (std::vector<std::string> { v }));
        EXPECT_EQ(names("Kunde.Name = " + d.ValueString(v) + " AND Kunde.K = " + key.ToString()).size(), 1u);
    }
    EXPECT_TRUE(names("Kunde.Name = " + d.ValueString(std::string("AB'"))).empty());
    EXPECT_EQ(d.ValueString(std::string("a\0b", 3)),
        OnPostgres() ? "('a' || chr(0) || 'b')" : "('a' || char(0) || 'b')");
}

TEST_F(Sql, RejectedConditionsThrowWithSqlitesMessageAndChangeNothing)
{
    const int stamp = db->ChangeStamp();
    auto bad = engine->ListEx(db.cls("Kunde"), 0, "Kunde.Nichts = 1");
    try {
        bad->Open();
        FAIL();
    } catch (const TQelSQLError& e) {
        EXPECT_NE(AnsiUpperCase(e.what()).find(
                      OnPostgres() ? "KUNDE.NICHTS DOES NOT EXIST" : "NO SUCH COLUMN: KUNDE.NICHTS"),
            std::string::npos)
            << e.what();
        EXPECT_NE(e.Sql().find("Kunde.Nichts"), std::string::npos);
    }
    EXPECT_FALSE(bad->Success());
    EXPECT_FALSE(bad->TryOpen());
    auto sneaky = engine->ListEx(db.cls("Kunde"), 0, "1=1; DELETE FROM Kunde");
    EXPECT_THROW(sneaky->Open(), TQelSQLError);
    EXPECT_THROW(engine->Query("DELETE FROM Kunde")->Open(), TQelSQLError) << "queries only read";
    EXPECT_EQ(db->CountObjects(), 6);
    EXPECT_EQ(db->ChangeStamp(), stamp);
    EXPECT_THROW(engine->ListEx(db.cls("Adresse"), 0, ""), TQelSQLError) << "vector classes have no list";
}

TEST_F(Sql, QueryShapeCountsTypesAndColumns)
{
    auto q = engine->ListEx(
        db.cls("Kunde"), lfNotDeleted, "", "Name,Anzahl,Betrag,Aktiv,Seit,Zeitpunkt,Beginn,Notiz");
    q->Open();
    EXPECT_EQ(q->CountRecords(), 6);
    EXPECT_EQ(q->FieldCount(), 9);
    EXPECT_EQ(q->FieldName(0), "K");
    EXPECT_EQ(q->FindField("Kunde.Anzahl"), 2);
    EXPECT_EQ(q->FindField("anzahl"), 2);
    EXPECT_EQ(q->FindField("Fehlt"), -1);
    const TQelFieldDataType types[] = { fdtInteger, fdtString, fdtInteger, fdtFloat, fdtSmallInt, fdtDate,
        fdtDateTime, fdtTime, fdtMemo };
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(q->FieldDataType(i), types[i]) << i;
    EXPECT_EQ(q->AsInteger(0), keys[0].Id());
    int n = 0;
    for (q->First(); !q->Eof(); q->Next())
        ++n;
    EXPECT_EQ(n, 6);
    auto keysOnly = engine->ListEx(db.cls("Kunde"), lfKeysOnly, "", "Name");
    keysOnly->Open();
    EXPECT_EQ(keysOnly->FieldCount(), 1);
    auto limited = engine->ListEx(db.cls("Kunde"), 0, "", "", "", 2);
    EXPECT_EQ(limited->CountRecords(), 2);
}

TEST_F(Sql, DeletedObjectsAreMarkedUntilRemoved)
{
    TQelObject* k = db->GetObjectA(keys[0]);
    ASSERT_TRUE(k->Delete());
    EXPECT_EQ(names("", lfNotDeleted).size(), 5u);
    EXPECT_EQ(names("", lfDeleted), (std::vector<std::string> { "Müller" }));
    EXPECT_EQ(names("", 0).size(), 6u);
    auto app
        = engine->SetExtended("SELECT Kunde.K, Kunde.Name FROM Kunde ORDER BY Kunde.Name", db.cls("Kunde"));
    EXPECT_NE(app->SQL().find("WHERE (\"Kunde\".GELOESCHT = 0) ORDER BY"), std::string::npos) << app->SQL();
    EXPECT_EQ(app->CountRecords(), 5);
    EXPECT_EQ(
        QelAddCondition("SELECT * FROM A WHERE x = 1", "y = 2"), "SELECT * FROM A WHERE x = 1 AND (y = 2)");
    EXPECT_EQ(TQelSQLEngine::make_sql_str("Straßen-Liste"), "Strassen_Liste");
}

TEST_F(Sql, LocksNameSessionAndTime)
{
    int session = 0;
    double time = 0;
    EXPECT_FALSE(engine->IsLocked(keys[0], session, time));
    EXPECT_TRUE(engine->Lock(keys[0]));
    EXPECT_TRUE(engine->IsLocked(keys[0], session, time));
    EXPECT_EQ(session, db->SessionNumber());
    EXPECT_GT(time, 40000.0);
    // A lock of another live session blocks commits of the object (process 1 always runs; on the
    // server a second connection is the other session).
    std::unique_ptr<TQelDatabase> other = OnPostgres() ? openFile(db.store) : nullptr;
    const int otherSession = other ? other->SessionNumber() : 1;
    db->CreateSQLEngine()->Execute("UPDATE QEL_SPERRE SET SITZUNG = " + std::to_string(otherSession)
        + " WHERE K = " + keys[0].ToString());
    TQelObject* k = db->GetObjectA(keys[0]);
    k->FieldByName("Ort")->set_AsString("gesperrt");
    EXPECT_FALSE(k->Commit());
    EXPECT_NE(k->ErrorMessage().find("Sitzung " + std::to_string(otherSession)), std::string::npos);
    std::string err;
    EXPECT_TRUE(engine->Unlock(keys[0], err));
    EXPECT_FALSE(engine->Unlock(keys[0], err));
    EXPECT_TRUE(k->Commit());
}
