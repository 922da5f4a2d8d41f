#include "objdb/qelsqlitejournal.h"

#include "objdb/qelerror.h"

#include <sqlite3.h>

#include <ctime>
#include <random>
#include <string>
#include <unistd.h>

namespace {

const char* const kCreate = "CREATE TABLE IF NOT EXISTS QEL_AENDERUNG (NR INTEGER PRIMARY KEY AUTOINCREMENT, "
                            "ART INTEGER NOT NULL, KLASSE INTEGER NOT NULL, K INTEGER NOT NULL, SITZUNG "
                            "INTEGER NOT NULL, STAND INTEGER NOT NULL, QUELLE INTEGER NOT NULL, ZEIT INTEGER "
                            "NOT NULL)";
const char* const kInsert = "INSERT INTO QEL_AENDERUNG (ART, KLASSE, K, SITZUNG, STAND, QUELLE, ZEIT) VALUES "
                            "(?, ?, ?, ?, ?, ?, ?)";
const char* const kSelect
    = "SELECT NR, ART, KLASSE, K, SITZUNG, STAND, QUELLE FROM QEL_AENDERUNG WHERE NR > ? "
      "ORDER BY NR";

std::int64_t newToken()
{
    std::random_device rd;
    const std::uint64_t r = (std::uint64_t(rd()) << 32) ^ rd() ^ (std::uint64_t(::getpid()) << 16);
    return static_cast<std::int64_t>(r >> 1) | 1; // positive, never 0
}

} // namespace

TQelSqliteJournal::TQelSqliteJournal(sqlite3* h)
    : h_(h)
    , token_(newToken())
{
    // What was committed before this connection opened is not news to it.
    seenVersion_ = dataVersion();
    lastRow_ = lastRow();
}

TQelSqliteJournal::~TQelSqliteJournal()
{
    dropStatements();
}

void TQelSqliteJournal::dropStatements()
{
    for (sqlite3_stmt** s : { &version_, &insert_, &select_ }) {
        sqlite3_finalize(*s);
        *s = nullptr;
    }
}

sqlite3_stmt* TQelSqliteJournal::statement(sqlite3_stmt*& s, const char* sql)
{
    if (!s && sqlite3_prepare_v2(h_, sql, -1, &s, nullptr) != SQLITE_OK) {
        sqlite3_finalize(s);
        s = nullptr;
    }
    return s;
}

std::int64_t TQelSqliteJournal::dataVersion()
{
    sqlite3_stmt* s = statement(version_, "PRAGMA data_version");
    if (!s)
        return -1;
    const std::int64_t v = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
    sqlite3_reset(s);
    return v;
}

std::int64_t TQelSqliteJournal::lastRow()
{
    sqlite3_stmt* s = nullptr;
    std::int64_t row = 0;
    if (sqlite3_prepare_v2(h_, "SELECT COALESCE(MAX(NR), 0) FROM QEL_AENDERUNG", -1, &s, nullptr) == SQLITE_OK
        && sqlite3_step(s) == SQLITE_ROW)
        row = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    return row;
}

void TQelSqliteJournal::Write(const TQelRemoteChange& ch)
{
    // The table may be missing (a file written before the journal), or its creation may have been
    // rolled back with an earlier transaction: make it and try once more.
    for (int attempt = 0;; ++attempt) {
        if (!insert_) {
            char* err = nullptr;
            if (sqlite3_exec(h_, kCreate, nullptr, nullptr, &err) != SQLITE_OK) {
                const std::string msg = err ? err : sqlite3_errmsg(h_);
                sqlite3_free(err);
                throw TQelSQLError(msg, kCreate);
            }
        }
        sqlite3_stmt* s = statement(insert_, kInsert);
        if (!s)
            throw TQelSQLError(sqlite3_errmsg(h_), kInsert);
        sqlite3_bind_int(s, 1, ch.event);
        sqlite3_bind_int(s, 2, ch.classId);
        sqlite3_bind_int64(s, 3, ch.key);
        sqlite3_bind_int(s, 4, ch.session);
        sqlite3_bind_int(s, 5, ch.stamp);
        sqlite3_bind_int64(s, 6, token_);
        sqlite3_bind_int64(s, 7, static_cast<std::int64_t>(std::time(nullptr)));
        const int rc = sqlite3_step(s);
        sqlite3_reset(s);
        if (rc == SQLITE_DONE)
            break;
        const std::string msg = sqlite3_errmsg(h_);
        if (rc != SQLITE_ERROR || attempt > 0)
            throw TQelSQLError(msg, kInsert);
        sqlite3_finalize(insert_);
        insert_ = nullptr;
    }
    // Old rows go now and then, in the same transaction.
    if (written_++ % 1000 == 0) {
        const std::string prune = "DELETE FROM QEL_AENDERUNG WHERE ZEIT < "
            + std::to_string(static_cast<std::int64_t>(std::time(nullptr)) - kKeepSeconds);
        sqlite3_exec(h_, prune.c_str(), nullptr, nullptr, nullptr);
    }
}

std::vector<TQelRemoteChange> TQelSqliteJournal::Read()
{
    std::vector<TQelRemoteChange> out;
    const std::int64_t v = dataVersion();
    if (v < 0 || v == seenVersion_)
        return out;
    sqlite3_stmt* s = statement(select_, kSelect);
    if (!s) {
        seenVersion_ = v; // no journal yet: whatever changed was not an object
        return out;
    }
    sqlite3_bind_int64(s, 1, lastRow_);
    std::int64_t last = lastRow_;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        last = sqlite3_column_int64(s, 0);
        if (sqlite3_column_int64(s, 6) == token_)
            continue; // written here
        TQelRemoteChange ch;
        ch.event = sqlite3_column_int(s, 1);
        ch.classId = sqlite3_column_int(s, 2);
        ch.key = sqlite3_column_int64(s, 3);
        ch.session = sqlite3_column_int(s, 4);
        ch.stamp = sqlite3_column_int(s, 5);
        out.push_back(ch);
    }
    sqlite3_reset(s);
    // A read cut short (the file busy) is tried again at the next call.
    if (rc == SQLITE_DONE) {
        seenVersion_ = v;
        lastRow_ = last;
    } else {
        out.clear();
    }
    return out;
}
