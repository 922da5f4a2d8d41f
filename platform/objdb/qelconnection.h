#pragma once
// The connection under a store: one small implementation per database server (SQLite, PostgreSQL).
// Everything above speaks SQL with '?' marks through it and never learns which server runs.
// Internal to the library.
#include "objdb/qelvalue.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

// A prepared statement: bind, step through rows, read columns. Reset readies it for another run.
class TQelCursor {
public:
    virtual ~TQelCursor() = default;
    virtual void Bind(int i, const TQelValue& v) = 0; // from 1
    // True for a row, false at the end; throws TQelSQLError.
    virtual bool Step() = 0;
    virtual void Reset() = 0;
    virtual int ColumnCount() const = 0;
    virtual std::string ColumnName(int col) const = 0;
    // The column's declared type as the library names it (INTEGER, REAL, BOOLEAN, DATE, TIME,
    // DATETIME, CLOB, TEXT); empty when the server does not know it.
    virtual std::string ColumnType(int col) const = 0;
    virtual bool IsNull(int col) const = 0;
    virtual TQelValue Column(int col) const = 0;
    // Valid until the next step.
    virtual std::string_view Text(int col) const = 0;
    virtual std::int64_t Int(int col) const = 0;
    virtual double Real(int col) const = 0;
    // The statement only reads.
    virtual bool ReadOnly() const = 0;
    const std::string& SQL() const { return sql_; }

protected:
    std::string sql_;
};

// A change another workstation committed, as it arrives.
struct TQelRemoteChange {
    int event = 0;
    int classId = 0;
    std::int64_t key = 0;
    int session = 0;
    int stamp = 0; // the change stamp the committing transaction moved to
};

class TQelConnection {
public:
    virtual ~TQelConnection() = default;
    virtual std::unique_ptr<TQelCursor> Prepare(const std::string& sql) = 0;
    // Runs statements without result rows; throws TQelSQLError.
    virtual void Exec(const std::string& sql) = 0;
    // Runs a statement and ignores failure (clean-up after a failure).
    virtual void ExecQuietly(const std::string& sql) = 0;
    virtual std::string ErrorText() const = 0;
    virtual bool InTransaction() const = 0;
    virtual void Begin() = 0;
    // Tables and columns that exist, upper case.
    virtual std::set<std::string> Tables() = 0;
    virtual std::set<std::string> Columns(const std::string& table) = 0;
    // Whether an index of that name exists (names compare without regard to case).
    virtual bool HasIndex(const std::string& name) = 0;
    // Key of the row the last INSERT into a table with an automatic key made.
    virtual std::int64_t LastInsertId() = 0;
    // Rows the last statement changed.
    virtual int Changes() = 0;
    // The server's name of a column type the library declares (INTEGER, REAL, ..., see
    // TQelCursor::ColumnType); `blob` for binary contents.
    virtual std::string TypeName(const std::string& type, bool blob) const = 0;
    // Column definition of an automatic row key.
    virtual std::string AutoKey() const = 0;
    // Runs a statement without parameters and result rows (a savepoint) together with the next
    // statement that goes to the server, saving it a round trip of its own; SQLite runs it at once.
    // A failure is reported by the call that sends it, which then runs nothing of its own.
    virtual void Defer(const std::string& sql) = 0;
    // Sends `changes` to the other connections on the same store when the running transaction
    // commits (called inside that transaction, just before COMMIT).
    virtual void Announce(const std::vector<TQelRemoteChange>& changes) = 0;
    // Changes of other connections committed since the last call. Cheap when there are none and
    // never waits for other connections longer than the busy timeout.
    virtual std::vector<TQelRemoteChange> Arrived() = 0;
    // Other connections can change this store (a file or a server, not ":memory:").
    virtual bool Shared() const = 0;
    // A file descriptor that becomes readable when changes arrive; -1 when there is none.
    virtual int NotifySocket() const { return -1; }
    // This connection's session number, unique among the store's live connections, and whether
    // another session still runs (its locks end with it).
    virtual int SessionId() const = 0;
    virtual bool SessionAlive(int session) = 0;
    // The server runs a changing statement inside WITH (WITH v AS (UPDATE ... RETURNING ...)
    // UPDATE ...), so that two changes travel as one statement.
    virtual bool ChangesInWith() const { return false; }
    // How a literal spells a NUL byte (the dialect joins it between quoted parts).
    virtual std::string NulSpelling() const = 0;
    // The SQLite handle, for programs that read the file beside the library; null on a server.
    virtual sqlite3* SqliteHandle() const { return nullptr; }
};

// Opens a connection; throws TQelOpenError naming `target` (the password left out).
std::unique_ptr<TQelConnection> QelOpenSqlite(
    const std::string& path, bool readOnly, bool create, int busyMs);
std::unique_ptr<TQelConnection> QelOpenPostgres(const std::string& conninfo, int timeoutMs);
// True when `target` names a PostgreSQL database (postgresql://..., postgres://...).
bool QelIsPostgresTarget(const std::string& target);
// `target` without its password, for messages: a connection string keeps its form with "***" for
// every value libpq would read as the password; any other text loses what follows "password="
// and the password of a "scheme://user:password@" it holds.
std::string QelHidePassword(const std::string& target);
