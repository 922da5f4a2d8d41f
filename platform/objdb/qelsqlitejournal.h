#pragma once
// The change journal of an SQLite file. A commit writes one row per changed object inside the
// committing transaction; the other connections on the file (other processes, or other databases
// of this process) notice the commit through the file's data version and read the rows after the
// last one they saw. Internal to the library.
//
//   QEL_AENDERUNG(NR, ART, KLASSE, K, SITZUNG, STAND, QUELLE, ZEIT)
//     NR counts up (never reused), ART the instance event, QUELLE the writing connection,
//     ZEIT seconds since 1970; rows older than a day are removed by later commits.
#include "objdb/qelconnection.h"

#include <cstdint>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class TQelSqliteJournal {
public:
    explicit TQelSqliteJournal(sqlite3* h);
    ~TQelSqliteJournal();
    TQelSqliteJournal(const TQelSqliteJournal&) = delete;
    TQelSqliteJournal& operator=(const TQelSqliteJournal&) = delete;

    // Writes `change` inside the running transaction (the table is made on first use); throws
    // TQelSQLError.
    void Write(const TQelRemoteChange& change);
    // The rows other connections committed since the last call; only the data version is read
    // while it stands still.
    std::vector<TQelRemoteChange> Read();

    static constexpr int kKeepSeconds = 24 * 3600;

private:
    sqlite3_stmt* statement(sqlite3_stmt*& s, const char* sql);
    std::int64_t dataVersion();
    std::int64_t lastRow();
    void dropStatements();

    sqlite3* h_;
    std::int64_t token_; // tells this connection's rows from the others'
    std::int64_t seenVersion_ = -1;
    std::int64_t lastRow_ = 0;
    int written_ = 0;
    sqlite3_stmt* version_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* select_ = nullptr;
};
