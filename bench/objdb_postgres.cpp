// The PostgreSQL store, each beside its raw libpq anchor in the same run:
//   ListEx of 100,000 objects (6 fields, every value read) against the same SELECT through libpq;
//   committing 10,000 changed objects in one transaction against one prepared raw UPDATE batch;
//   the time from a commit on workstation A to its instance notification on workstation B,
//   B polling, and B asleep in the Qt event loop with its notification socket watched, against a
//   bare NOTIFY reaching a second libpq connection.
// Needs a server: QEL_PG_URL names an empty database or schema (scripts/pg-cluster.sh starts one).
#include "binding/qelremoteglue.h"
#include "binding/qeltimerglue.h"
#include "objdb/qeldatabase.h"
#include "objdb/qelobject.h"
#include "objdb/qelsql.h"
#include "support/objdb_bench_schema.h"

#include <libpq-fe.h>

#include <QCoreApplication>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <poll.h>
#include <string>
#include <thread>

namespace {

const int kObjects = 100000;
const int kCommits = 10000;

std::string serverUrl()
{
    const char* u = std::getenv("QEL_PG_URL");
    return u ? u : "";
}

PGconn* rawConnection()
{
    PGconn* c = PQconnectdb(serverUrl().c_str());
    if (PQstatus(c) != CONNECTION_OK) {
        std::fprintf(stderr, "%s", PQerrorMessage(c));
        PQfinish(c);
        return nullptr;
    }
    return c;
}

void raw(PGconn* c, const std::string& sql)
{
    PGresult* r = PQexec(c, sql.c_str());
    if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK)
        std::fprintf(stderr, "%s: %s", sql.c_str(), PQresultErrorMessage(r));
    PQclear(r);
}

// The store, made once: the library installs the tables, the rows go in through one SQL statement
// each (how they got there does not matter to what is measured).
TQelDatabase* database()
{
    static TQelDatabase* db = []() -> TQelDatabase* {
        if (serverUrl().empty())
            return nullptr;
        if (PGconn* c = rawConnection()) {
            raw(c, "DROP SCHEMA public CASCADE; CREATE SCHEMA public");
            PQfinish(c);
        }
        auto* d = new TQelDatabase();
        TQelOpenOptions o;
        o.schemaText = kBenchSchema;
        o.create = true;
        o.remotePollMs = 0;
        d->Open(serverUrl(), o);
        PGconn* c = rawConnection();
        const std::string cls = std::to_string(d->FindClass("Eintrag")->Key().Id()),
                          n = std::to_string(kObjects);
        raw(c,
            "INSERT INTO objekt (k, klasse, geloescht, version) SELECT g, " + cls
                + ", 0, 1 FROM generate_series(1, " + n + ") g");
        raw(c,
            "INSERT INTO eintrag (k, klasse, geloescht, name, vorname, nummer, betrag, datum, ort) SELECT g, "
                + cls
                + ", 0, 'Name ' || g, CASE WHEN g % 2 = 1 THEN 'Jürgen' ELSE 'Anna' END, g, g * 1.25, "
                  "DATE '1980-05-01' + (g % 28), (ARRAY['Köln','Düsseldorf','München','Lübeck','Görlitz'])[1 "
                  "+ g % 5] "
                  "FROM generate_series(1, "
                + n + ") g");
        raw(c, "ANALYZE");
        PQfinish(c);
        return d;
    }();
    return db;
}

void BM_ListExPostgres(benchmark::State& state)
{
    TQelDatabase* db = database();
    if (!db) {
        state.SkipWithError("QEL_PG_URL is not set");
        return;
    }
    auto engine = db->CreateSQLEngine();
    const TQelClassKey cls = db->FindClass("Eintrag")->Key();
    for (auto _ : state) {
        auto q = engine->ListEx(cls, lfNotDeleted, "", "Name,Vorname,Nummer,Betrag,Datum,Ort");
        q->Open();
        std::size_t bytes = 0;
        int rows = 0;
        for (; !q->Eof(); q->Next()) {
            for (int c = 0; c < 7; ++c)
                bytes += q->AsStringView(c).size();
            ++rows;
        }
        benchmark::DoNotOptimize(bytes);
        if (rows != kObjects)
            state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_ListExPostgres)->Unit(benchmark::kMillisecond);

// Anchor: the statement ListEx runs, through libpq, every value read as text.
void BM_RawLibpqList(benchmark::State& state)
{
    TQelDatabase* db = database();
    if (!db) {
        state.SkipWithError("QEL_PG_URL is not set");
        return;
    }
    std::string sql = db->CreateSQLEngine()->ListStatement(
        db->FindClass("Eintrag")->Key(), lfNotDeleted, "", "Name,Vorname,Nummer,Betrag,Datum,Ort");
    // The library folds quoted names as the server folds unquoted ones; here that is done by hand.
    for (char& ch : sql)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    PGconn* c = rawConnection();
    for (auto _ : state) {
        PGresult* r = PQexec(c, sql.c_str());
        std::size_t bytes = 0;
        const int rows = PQntuples(r);
        for (int i = 0; i < rows; ++i)
            for (int col = 0; col < 7; ++col) {
                benchmark::DoNotOptimize(PQgetvalue(r, i, col));
                bytes += static_cast<std::size_t>(PQgetlength(r, i, col));
            }
        PQclear(r);
        benchmark::DoNotOptimize(bytes);
        if (rows != kObjects)
            state.SkipWithError("wrong row count");
    }
    PQfinish(c);
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_RawLibpqList)->Unit(benchmark::kMillisecond);

void BM_Commit10000Postgres(benchmark::State& state)
{
    TQelDatabase* db = database();
    if (!db) {
        state.SkipWithError("QEL_PG_URL is not set");
        return;
    }
    int round = 0;
    for (auto _ : state) {
        ++round;
        db->StartTransaction();
        for (int k = 1; k <= kCommits; ++k) {
            TQelObject* obj = db->GetObjectA(TQelObjectKey(k));
            obj->FieldByName("Ort")->set_AsString("Ort " + std::to_string(round));
            if (!obj->Commit())
                state.SkipWithError(obj->ErrorMessage().c_str());
        }
        if (!db->CommitTransaction())
            state.SkipWithError("commit failed");
    }
    state.SetItemsProcessed(state.iterations() * kCommits);
}
BENCHMARK(BM_Commit10000Postgres)->Unit(benchmark::kMillisecond)->Iterations(3);

// Anchor: one prepared UPDATE run 10,000 times in one transaction.
void BM_RawLibpqUpdateBatch(benchmark::State& state)
{
    if (!database()) {
        state.SkipWithError("QEL_PG_URL is not set");
        return;
    }
    PGconn* c = rawConnection();
    PQclear(PQprepare(c, "u", "UPDATE eintrag SET ort = $1 WHERE k = $2", 0, nullptr));
    int round = 0;
    for (auto _ : state) {
        ++round;
        raw(c, "BEGIN");
        const std::string ort = "Roh " + std::to_string(round);
        for (int k = 1; k <= kCommits; ++k) {
            const std::string key = std::to_string(k);
            const char* v[] = { ort.c_str(), key.c_str() };
            PQclear(PQexecPrepared(c, "u", 2, v, nullptr, nullptr, 0));
        }
        raw(c, "COMMIT");
    }
    PQfinish(c);
    state.SetItemsProcessed(state.iterations() * kCommits);
}
BENCHMARK(BM_RawLibpqUpdateBatch)->Unit(benchmark::kMillisecond)->Iterations(3);

// From A's commit returning to B hearing the instance notification, B waiting on the socket.
void BM_CommitToNotification(benchmark::State& state)
{
    TQelDatabase* db = database();
    if (!db) {
        state.SkipWithError("QEL_PG_URL is not set");
        return;
    }
    TQelDatabase b;
    TQelOpenOptions o;
    o.remotePollMs = 0;
    b.Open(serverUrl(), o);
    int heard = 0;
    b.SubscribeInstanceNotification(
        b.FindClass("Eintrag")->Key(), [&](int, TQelClassKey, TQelObjectKey, TQelObject*) { ++heard; });
    TQelObject* obj = db->GetObjectA(TQelObjectKey(kObjects));
    int round = 0;
    for (auto _ : state) {
        obj->FieldByName("Ort")->set_AsString("Meldung " + std::to_string(++round));
        if (!obj->Commit())
            state.SkipWithError(obj->ErrorMessage().c_str());
        const int before = heard;
        while (heard == before)
            if (b.ReceiveChanges() == 0)
                std::this_thread::yield();
    }
}
BENCHMARK(BM_CommitToNotification)->Unit(benchmark::kMicrosecond)->Iterations(200);

// The same, B as an application runs it: its notification socket watched on the Qt event loop
// (no polling), the loop asleep until the server sends.
void BM_CommitToNotificationOnEventLoop(benchmark::State& state)
{
    TQelDatabase* db = database();
    if (!db) {
        state.SkipWithError("QEL_PG_URL is not set");
        return;
    }
    TQelDatabase b;
    TQelOpenOptions o;
    o.remotePollMs = 0;
    b.Open(serverUrl(), o);
    QelInstallQtTimers(&b);
    if (!QelWatchingRemoteChanges(&b)) {
        state.SkipWithError("no notification socket");
        return;
    }
    int heard = 0;
    b.SubscribeInstanceNotification(
        b.FindClass("Eintrag")->Key(), [&](int, TQelClassKey, TQelObjectKey, TQelObject*) { ++heard; });
    TQelObject* obj = db->GetObjectA(TQelObjectKey(kObjects - 1));
    QTimer wake; // should nothing arrive, the loop still wakes up to give up
    wake.start(500);
    int round = 0;
    for (auto _ : state) {
        obj->FieldByName("Ort")->set_AsString("Schleife " + std::to_string(++round));
        if (!obj->Commit())
            state.SkipWithError(obj->ErrorMessage().c_str());
        const int before = heard;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (heard == before && std::chrono::steady_clock::now() < until)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (heard == before) {
            state.SkipWithError("the notification did not arrive");
            break;
        }
    }
}
BENCHMARK(BM_CommitToNotificationOnEventLoop)->Unit(benchmark::kMicrosecond)->Iterations(200);

// Anchor: a bare NOTIFY on one libpq connection reaching another.
void BM_RawNotify(benchmark::State& state)
{
    if (!database()) {
        state.SkipWithError("QEL_PG_URL is not set");
        return;
    }
    PGconn* a = rawConnection();
    PGconn* b = rawConnection();
    raw(b, "LISTEN roh");
    for (auto _ : state) {
        raw(a, "NOTIFY roh, 'x'");
        for (;;) {
            PQconsumeInput(b);
            if (PGnotify* n = PQnotifies(b)) {
                PQfreemem(n);
                break;
            }
            pollfd p { PQsocket(b), POLLIN, 0 };
            ::poll(&p, 1, 100);
        }
    }
    PQfinish(a);
    PQfinish(b);
}
BENCHMARK(BM_RawNotify)->Unit(benchmark::kMicrosecond)->Iterations(200);

} // namespace
