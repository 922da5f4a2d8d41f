// The connection to an SQLite file (or ":memory:"). Changes of other processes on the same file
// are seen through the file's data version.
#include "objdb/qelconnection.h"
#include "objdb/qelerror.h"
#include "objdb/qelsqlfunctions.h"
#include "objdb/qelsqlitejournal.h"
#include "objdb/qelsqlitevfs.h"
#include "objdb/qelstrings.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <map>
#include <unistd.h>

namespace {

class TSqliteCursor final : public TQelCursor {
public:
    TSqliteCursor(sqlite3* db, sqlite3_stmt* s, std::string sql)
        : db_(db)
        , s_(s)
    {
        sql_ = std::move(sql);
    }
    ~TSqliteCursor() override { sqlite3_finalize(s_); }

    void Bind(int i, const TQelValue& v) override
    {
        if (std::holds_alternative<std::monostate>(v))
            sqlite3_bind_null(s_, i);
        else if (auto* n = std::get_if<std::int64_t>(&v))
            sqlite3_bind_int64(s_, i, *n);
        else if (auto* d = std::get_if<double>(&v))
            sqlite3_bind_double(s_, i, *d);
        else {
            const std::string& s = std::get<std::string>(v);
            sqlite3_bind_text(s_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        }
    }
    bool Step() override
    {
        const int rc = sqlite3_step(s_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        std::string msg = sqlite3_errmsg(db_);
        sqlite3_reset(s_);
        throw TQelSQLError(msg, sql_);
    }
    void Reset() override
    {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }
    int ColumnCount() const override { return sqlite3_column_count(s_); }
    std::string ColumnName(int col) const override
    {
        const char* n = sqlite3_column_name(s_, col);
        return n ? n : "";
    }
    std::string ColumnType(int col) const override
    {
        const char* d = sqlite3_column_decltype(s_, col);
        return d ? AsciiUpper(d) : std::string();
    }
    bool IsNull(int col) const override { return sqlite3_column_type(s_, col) == SQLITE_NULL; }
    TQelValue Column(int col) const override
    {
        switch (sqlite3_column_type(s_, col)) {
        case SQLITE_INTEGER:
            return static_cast<std::int64_t>(sqlite3_column_int64(s_, col));
        case SQLITE_FLOAT:
            return sqlite3_column_double(s_, col);
        case SQLITE_NULL:
            return std::monostate {};
        default:
            return std::string(Text(col));
        }
    }
    std::string_view Text(int col) const override
    {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, col));
        return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(s_, col)))
                 : std::string_view();
    }
    std::int64_t Int(int col) const override { return sqlite3_column_int64(s_, col); }
    double Real(int col) const override { return sqlite3_column_double(s_, col); }
    bool ReadOnly() const override { return sqlite3_stmt_readonly(s_) != 0; }

private:
    sqlite3* db_;
    sqlite3_stmt* s_;
};

class TSqliteConnection final : public TQelConnection {
public:
    TSqliteConnection(sqlite3* h, bool memory)
        : h_(h)
    {
        if (!memory)
            journal_ = std::make_unique<TQelSqliteJournal>(h);
    }
    ~TSqliteConnection() override
    {
        deferred_.clear();
        journal_.reset();
        sqlite3_close(h_);
    }

    std::unique_ptr<TQelCursor> Prepare(const std::string& sql) override
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(h_, sql.c_str(), static_cast<int>(sql.size()), &s, nullptr) != SQLITE_OK) {
            std::string msg = sqlite3_errmsg(h_);
            sqlite3_finalize(s);
            throw TQelSQLError(msg, sql);
        }
        if (!s)
            throw TQelSQLError("leere Anweisung", sql);
        return std::make_unique<TSqliteCursor>(h_, s, sql);
    }
    void Exec(const std::string& sql) override
    {
        char* err = nullptr;
        if (sqlite3_exec(h_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            std::string msg = err ? err : sqlite3_errmsg(h_);
            sqlite3_free(err);
            throw TQelSQLError(msg, sql);
        }
    }
    void ExecQuietly(const std::string& sql) override
    {
        sqlite3_exec(h_, sql.c_str(), nullptr, nullptr, nullptr);
    }
    std::string ErrorText() const override { return sqlite3_errmsg(h_); }
    bool InTransaction() const override { return !sqlite3_get_autocommit(h_); }
    void Begin() override { Exec("BEGIN IMMEDIATE"); }
    // Reading the catalogue also proves the file is SQLite.
    std::set<std::string> Tables() override
    {
        std::set<std::string> out;
        sqlite3_stmt* st = nullptr;
        int rc
            = sqlite3_prepare_v2(h_, "SELECT name FROM sqlite_master WHERE type='table'", -1, &st, nullptr);
        if (rc == SQLITE_OK) {
            while ((rc = sqlite3_step(st)) == SQLITE_ROW)
                out.insert(AsciiUpper(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))));
            if (rc == SQLITE_DONE)
                rc = SQLITE_OK;
        }
        sqlite3_finalize(st);
        if (rc == SQLITE_NOTADB)
            throw TQelSQLError("keine SQLite-Datenbank (" + std::string(sqlite3_errmsg(h_)) + ")", "");
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            throw TQelSQLError(
                "von einem anderen Prozess gesperrt (" + std::string(sqlite3_errmsg(h_)) + ")", "");
        if (rc != SQLITE_OK)
            throw TQelSQLError(sqlite3_errmsg(h_), "");
        return out;
    }
    std::set<std::string> Columns(const std::string& table) override
    {
        std::set<std::string> out;
        auto c = Prepare("SELECT name FROM pragma_table_info(?)");
        c->Bind(1, table);
        while (c->Step())
            out.insert(AsciiUpper(std::string(c->Text(0))));
        return out;
    }
    bool HasIndex(const std::string& name) override
    {
        auto c = Prepare("SELECT 1 FROM sqlite_master WHERE type = 'index' AND upper(name) = upper(?)");
        c->Bind(1, name);
        return c->Step();
    }
    std::int64_t LastInsertId() override { return sqlite3_last_insert_rowid(h_); }
    int Changes() override { return sqlite3_changes(h_); }
    std::string TypeName(const std::string& type, bool) const override { return type; }
    std::string AutoKey() const override { return "INTEGER PRIMARY KEY"; }
    // Nothing to save on a file: the statement runs now, prepared once.
    void Defer(const std::string& sql) override
    {
        auto& c = deferred_[sql];
        if (!c)
            c = Prepare(sql);
        c->Step(); // resets itself when it fails
        c->Reset();
    }
    void Announce(const std::vector<TQelRemoteChange>& changes) override
    {
        if (journal_)
            for (const TQelRemoteChange& ch : changes)
                journal_->Write(ch);
    }
    std::vector<TQelRemoteChange> Arrived() override
    {
        return journal_ ? journal_->Read() : std::vector<TQelRemoteChange> {};
    }
    bool Shared() const override { return journal_ != nullptr; }
    std::string NulSpelling() const override { return "char(0)"; }
    // Processes on one machine share the file: the process id is the session.
    int SessionId() const override { return static_cast<int>(getpid()); }
    bool SessionAlive(int session) override
    {
        return session > 0 && (::kill(session, 0) == 0 || errno == EPERM);
    }
    sqlite3* SqliteHandle() const override { return h_; }

private:
    sqlite3* h_;
    std::unique_ptr<TQelSqliteJournal> journal_; // none in memory: nobody else can write there
    std::map<std::string, std::unique_ptr<TQelCursor>> deferred_;
};

} // namespace

std::unique_ptr<TQelConnection> QelOpenSqlite(const std::string& path, bool readOnly, bool create, int busyMs)
{
    const bool memory = path.empty() || path == ":memory:";
    // A connection belongs to one thread: without its own mutex every call into SQLite saves a
    // lock and an unlock (a tenth of reading a long list).
    const int flags = SQLITE_OPEN_NOMUTEX
        | (readOnly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0)));
    sqlite3* h = nullptr;
    if (sqlite3_open_v2(memory ? ":memory:" : path.c_str(), &h, flags, memory ? nullptr : QelGatherVfsName())
        != SQLITE_OK) {
        std::string msg = h ? sqlite3_errmsg(h) : "unbekannter Fehler";
        sqlite3_close(h);
        throw TQelSQLError(msg, "");
    }
    // The default 4 KB pages stay: 64 KB pages stream document blobs faster but make every
    // object commit write sixteen times the journal and take 2.5 times as long. The gathering
    // file layer gives large contents the few large writes instead.
    sqlite3_busy_timeout(h, std::max(0, busyMs));
    sqlite3_extended_result_codes(h, 0);
    QelRegisterSqlFunctions(h);
    return std::make_unique<TSqliteConnection>(h, memory);
}
