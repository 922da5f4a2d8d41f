#pragma once
// Shared helpers of the object database tests: a database from a schema written for the test, a
// recording notification target and temporary files.
#include "objdb/qeldatabase.h"
#include "objdb/qelerror.h"
#include "objdb/qelobject.h"
#include "objdb/qelsql.h"
#include "objdb/qelvector.h"
#include "support/private_dir.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

// Customers with every field kind, addresses with validity, a sub-object; used by most tests.
inline const char* const kTestSchema = R"(
fieldtype 40001 Kennzeichen : Text length=8
class 40011 Hinweis table=T_Hinweis format="<Text>"
  field Text Text
end
class 40010 Adresse : Gültigkeit table=T_Adresse format="<Ort>"
  field Ort Text length=20 mandatory
  field Strasse Text
  vector Hinweise Hinweis
end
class 40012 Konto table=T_Konto format="<Bank>"
  field Bank Text
  field IBAN Text length=34
end
class 40020 Kunde : Objekt table=Kunde format="<Name>"
  field Name Text length=10 mandatory
  field Ort Text
  field Anzahl Ganzzahl
  field Betrag Betrag
  field Aktiv Boolesch
  field Seit Datum
  field Zeitpunkt DatumZeit
  field Beginn Uhrzeit
  field Stufe Auswahl domain="Gold=G|Silber=S|Bronze"
  field Sprachen Mehrfachauswahl domain="Deutsch|Englisch|Französisch"
  field Rollen Merkmale domain="Kunde|Lieferant|Partner"
  field Notiz Langtext length=20
  field Chef Referenz ref=Kunde
  field Kz Kennzeichen default="NEU"
  vector Adressen Adresse max=3
  subobject Konto Konto
end
class 40021 Grosskunde : Kunde
  field Rabatt Betrag
end
class 40030 Lieferant : Objekt table=Lieferant format="<Name>"
  field Name Text
end
)";

// The suite runs against SQLite in memory, or with QEL_TEST_STORE=postgresql against a fresh
// schema of its own on the server that QEL_PG_URL names (the test command starts one).
inline bool OnPostgres()
{
    const char* s = std::getenv("QEL_TEST_STORE");
    return s && std::string(s) == "postgresql";
}

// Runs one statement on the test server; throws with the server's message.
inline void PgExec(const std::string& url, const std::string& sql)
{
    PGconn* c = PQconnectdb(url.c_str());
    std::string error;
    if (PQstatus(c) != CONNECTION_OK)
        error = PQerrorMessage(c);
    else {
        PGresult* r = PQexec(c, sql.c_str());
        if (PQresultStatus(r) != PGRES_COMMAND_OK)
            error = PQresultErrorMessage(r);
        PQclear(r);
    }
    PQfinish(c);
    if (!error.empty())
        throw std::runtime_error("PostgreSQL-Testserver: " + error);
}

inline std::string PgServerUrl()
{
    const char* url = std::getenv("QEL_PG_URL");
    if (!url || !*url)
        throw std::runtime_error("kein PostgreSQL-Testserver: QEL_PG_URL ist nicht gesetzt");
    return url;
}

// A connection string to a new empty schema (all connections to it see the same store).
inline std::string FreshPgStore()
{
    static int counter = 0;
    const std::string url = PgServerUrl();
    const std::string schema = "t" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
    PgExec(url, "CREATE SCHEMA " + schema);
    return url + (url.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" + schema;
}

// Where a test's database lives: memory stays memory on SQLite and becomes a fresh schema on the
// server.
inline std::string TestStore(const std::string& path = ":memory:")
{
    return OnPostgres() && path == ":memory:" ? FreshPgStore() : path;
}

class TestDb {
public:
    explicit TestDb(const std::string& schema = kTestSchema, const std::string& path = ":memory:")
        : db(std::make_unique<TQelDatabase>())
        , store(TestStore(path))
    {
        TQelOpenOptions o;
        o.schemaText = schema;
        o.schemaFile = "test.qelschema";
        o.create = true;
        o.computerName = "testrechner";
        o.userName = "tester";
        db->Open(store, o);
        SetQelDatabase(db.get());
    }
    ~TestDb()
    {
        if (QelDatabase() == db.get())
            SetQelDatabase(nullptr);
    }
    TQelDatabase* operator->() const { return db.get(); }
    TQelClassKey cls(const char* name) const { return db->FindClass(name)->Key(); }
    TQelObject* create(const char* cls, const char* name = nullptr)
    {
        TQelObject* o = db->CreateObject(this->cls(cls));
        if (name)
            o->FieldByName("Name")->set_AsString(name);
        return o;
    }
    std::unique_ptr<TQelDatabase> db;
    std::string store; // what was opened: give it to a second database for the same store
};

// Runs a statement beside the library, as another program on the same store would.
inline void ExecOutside(const TestDb& db, const std::string& sql)
{
    if (OnPostgres())
        PgExec(db.store, sql);
    else if (sqlite3_exec(db->Handle(), sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db->Handle()));
}

// The first column of the first row of a query through the library (-1 without a row).
inline std::int64_t QueryInt(TQelDatabase* db, const std::string& sql)
{
    auto q = db->CreateSQLEngine()->Query(sql);
    q->Open();
    return q->Eof() ? -1 : q->AsInteger(0);
}

struct Note {
    unsigned msg;
    WPARAM w;
    LPARAM l;
};

class Recorder : public TQelNotifyTarget {
public:
    LRESULT Perform(unsigned msg, WPARAM w, LPARAM l) override
    {
        notes.push_back({ msg, w, l });
        if (onPerform)
            onPerform(msg, w, l);
        return 0;
    }
    void Repaint() override { ++repaints; }
    int count(unsigned msg) const
    {
        int n = 0;
        for (const auto& x : notes)
            n += x.msg == msg;
        return n;
    }
    const Note* last(unsigned msg) const
    {
        for (auto it = notes.rbegin(); it != notes.rend(); ++it)
            if (it->msg == msg)
                return &*it;
        return nullptr;
    }
    static LPARAM lp(const TQelObjectInterface* oi) { return reinterpret_cast<LPARAM>(oi); }
    std::vector<Note> notes;
    int repaints = 0;
    std::function<void(unsigned, WPARAM, LPARAM)> onPerform;
};

// A file path in a fresh private temporary folder, removed with the object.
class TempFile {
public:
    explicit TempFile(const std::string& name = "test.qeldb")
        : dir_("qelobjdb_test")
        , path_(dir_.file(name))
    {
    }
    const std::string& path() const { return path_; }
    std::string dir() const { return dir_.path().string(); }

private:
    PrivateDir dir_;
    std::string path_;
};

inline std::unique_ptr<TQelDatabase> openFile(const std::string& path, const std::string& schema = "")
{
    auto db = std::make_unique<TQelDatabase>();
    TQelOpenOptions o;
    o.schemaText = schema;
    o.schemaFile = "test.qelschema";
    o.create = !schema.empty();
    o.busyTimeoutMs = 50;
    db->Open(path, o);
    return db;
}
