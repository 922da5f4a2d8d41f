// The connection to a PostgreSQL database through libpq. Statements are prepared once per
// connection with '?' marks turned into $n; changes are announced with NOTIFY in the committing
// transaction and read back from LISTEN without blocking.
#include "objdb/qelconnection.h"
#include "objdb/qelerror.h"

#include <libpq-fe.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <utility>

namespace {

const char* const kChannel = "qel_aenderung";

// The channel of the connection's store. Each schema of a database is a store of its own and
// needs a channel of its own, or its workstations would hear of the other stores' changes; the
// default schema keeps the channel every earlier version listens on. A name of any length fits the
// server's 63 bytes as a hash.
std::string storeChannel(PGconn* h)
{
    PGresult* r = PQexec(h, "SELECT current_schema()");
    const bool got = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1 && !PQgetisnull(r, 0, 0);
    const std::string schema = got ? PQgetvalue(r, 0, 0) : "";
    PQclear(r);
    if (schema.empty() || schema == "public")
        return kChannel;
    std::uint64_t hash = 1469598103934665603ULL; // FNV-1a
    for (const unsigned char c : schema) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return std::string(kChannel) + "_" + hex;
}

// Type oids of the server's built-in types.
enum : unsigned {
    oidBool = 16,
    oidBytea = 17,
    oidInt8 = 20,
    oidInt2 = 21,
    oidInt4 = 23,
    oidText = 25,
    oidFloat4 = 700,
    oidFloat8 = 701,
    oidVarchar = 1043,
    oidDate = 1082,
    oidTime = 1083,
    oidTimestamp = 1114,
    oidNumeric = 1700,
};

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// '?' marks outside quotes and comments become $1, $2, ... Quoted names are folded to lower case
// as the server folds unquoted ones: names are not case-sensitive in this library.
std::string numberMarks(const std::string& sql, int& count)
{
    std::string out;
    out.reserve(sql.size() + 16);
    count = 0;
    char quote = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (quote) {
            out += quote == '"' ? static_cast<char>(std::tolower(static_cast<unsigned char>(c))) : c;
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            out += c;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            const std::size_t end = sql.find('\n', i);
            const std::size_t stop = end == std::string::npos ? sql.size() : end;
            out.append(sql, i, stop - i);
            i = stop - 1;
        } else if (c == '?') {
            out += "$" + std::to_string(++count);
        } else {
            out += c;
        }
    }
    return out;
}

// Only statements that read: SELECT, VALUES, or WITH whose parts write nothing. Words inside
// quotes do not count.
bool readsOnly(const std::string& sql)
{
    std::string words;
    char quote = 0;
    for (char c : sql) {
        if (quote) {
            if (c == quote)
                quote = 0;
            words += ' ';
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            words += ' ';
            continue;
        }
        words += static_cast<char>(std::isalnum(static_cast<unsigned char>(c)) || c == '_'
                ? std::toupper(static_cast<unsigned char>(c))
                : ' ');
    }
    std::size_t b = words.find_first_not_of(' ');
    if (b == std::string::npos)
        return false;
    const std::string first = words.substr(b, words.find(' ', b) - b);
    if (first != "SELECT" && first != "WITH" && first != "VALUES" && first != "TABLE")
        return false;
    const std::string padded = " " + words + " ";
    for (const char* w : { " INSERT ", " UPDATE ", " DELETE ", " MERGE ", " INTO ", " FOR UPDATE" })
        if (padded.find(w) != std::string::npos)
            return false;
    return true;
}

std::string hexDecode(const char* p, int n)
{
    // Output format hex: \x followed by two digits per byte.
    std::string out;
    if (n < 2 || p[0] != '\\' || p[1] != 'x')
        return std::string(p, static_cast<std::size_t>(n));
    auto digit = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    for (int i = 2; i + 1 < n; i += 2)
        out += static_cast<char>(digit(p[i]) * 16 + digit(p[i + 1]));
    return out;
}

bool validUtf8(const std::string& s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == 0)
            return false;
        const int n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (n < 0 || i + n >= s.size() + (n == 0 ? 1 : 0))
            return false;
        for (int k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        i += n + 1;
    }
    return true;
}

class TPgConnection;

class TPgCursor final : public TQelCursor {
public:
    TPgCursor(TPgConnection* c, std::string name, std::string sql, PGresult* described)
        : c_(c)
        , name_(std::move(name))
        , described_(described)
    {
        sql_ = std::move(sql);
        const auto n = static_cast<std::size_t>(PQnparams(described));
        values_.resize(n);
        null_.assign(n, true);
        binary_.assign(n, false);
        bytes_.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            bytes_[i] = PQparamtype(described, static_cast<int>(i)) == oidBytea;
    }
    ~TPgCursor() override
    {
        clear();
        if (described_)
            PQclear(described_);
    }

    void Bind(int i, const TQelValue& v) override
    {
        if (i < 1 || i > static_cast<int>(values_.size()))
            throw TQelSQLError("Parameter " + std::to_string(i) + " gibt es nicht", sql_);
        const auto k = static_cast<std::size_t>(i - 1);
        null_[k] = std::holds_alternative<std::monostate>(v);
        binary_[k] = false;
        if (auto* n = std::get_if<std::int64_t>(&v))
            values_[k] = std::to_string(*n);
        else if (auto* d = std::get_if<double>(&v)) {
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.17g", *d);
            values_[k] = buf;
        } else if (auto* s = std::get_if<std::string>(&v)) {
            values_[k] = *s;
            binary_[k] = bytes_[k] || !validUtf8(*s); // binary contents go as bytes
        }
    }
    bool Step() override;
    void Reset() override
    {
        clear();
        std::fill(null_.begin(), null_.end(), true);
    }
    int ColumnCount() const override;
    // The name as the statement spells it (the server reports unquoted names in lower case).
    std::string ColumnName(int col) const override
    {
        const PGresult* r = res_ ? res_ : described_;
        if (!r || col < 0 || col >= PQnfields(r))
            return {};
        const std::string lower = PQfname(r, col);
        const std::string u = upper(lower), text = upper(sql_);
        for (std::size_t p = text.find(u); p != std::string::npos; p = text.find(u, p + 1)) {
            const auto word = [&](std::size_t i) {
                return i < text.size()
                    && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_');
            };
            if ((p == 0 || !word(p - 1)) && !word(p + u.size()))
                return sql_.substr(p, u.size());
        }
        return lower;
    }
    std::string ColumnType(int col) const override
    {
        const PGresult* r = res_ ? res_ : described_;
        switch (PQftype(r, col)) {
        case oidInt8:
        case oidInt4:
            return "INTEGER";
        case oidInt2:
        case oidBool:
            return "BOOLEAN";
        case oidFloat4:
        case oidFloat8:
        case oidNumeric:
            return "REAL";
        case oidDate:
            return "DATE";
        case oidTime:
            return "TIME";
        case oidTimestamp:
            return "DATETIME";
        case oidText:
        case oidBytea:
            return PQftable(r, col) ? "CLOB" : "";
        case oidVarchar:
            return "TEXT";
        default:
            return {};
        }
    }
    bool IsNull(int col) const override { return !res_ || row_ < 0 || PQgetisnull(res_, row_, col); }
    TQelValue Column(int col) const override
    {
        if (IsNull(col))
            return std::monostate {};
        switch (PQftype(res_, col)) {
        case oidInt8:
        case oidInt4:
        case oidInt2:
            return Int(col);
        case oidBool:
            return std::int64_t(*PQgetvalue(res_, row_, col) == 't');
        case oidFloat4:
        case oidFloat8:
        case oidNumeric:
            return Real(col);
        default:
            return std::string(Text(col));
        }
    }
    std::string_view Text(int col) const override
    {
        if (IsNull(col))
            return {};
        if (PQftype(res_, col) == oidBytea) {
            decoded_ = hexDecode(PQgetvalue(res_, row_, col), PQgetlength(res_, row_, col));
            return decoded_;
        }
        return std::string_view(
            PQgetvalue(res_, row_, col), static_cast<std::size_t>(PQgetlength(res_, row_, col)));
    }
    std::int64_t Int(int col) const override
    {
        if (IsNull(col))
            return 0;
        const char* p = PQgetvalue(res_, row_, col);
        if (PQftype(res_, col) == oidBool)
            return *p == 't';
        return std::strtoll(p, nullptr, 10);
    }
    double Real(int col) const override
    {
        return IsNull(col) ? 0.0 : std::strtod(PQgetvalue(res_, row_, col), nullptr);
    }
    bool ReadOnly() const override { return readsOnly(sql_); }

private:
    void clear()
    {
        if (res_)
            PQclear(res_);
        res_ = nullptr;
        row_ = -1;
    }
    TPgConnection* c_;
    std::string name_;
    std::vector<std::string> values_;
    std::vector<bool> null_;
    std::vector<bool> binary_;
    std::vector<bool> bytes_; // parameters the server reads as bytes
    PGresult* res_ = nullptr;
    int row_ = -1;
    mutable std::string decoded_;
    PGresult* described_;
    friend class TPgConnection;
};

class TPgConnection final : public TQelConnection {
public:
    TPgConnection(PGconn* h, std::string channel)
        : h_(h)
        , channel_(std::move(channel))
    {
    }
    ~TPgConnection() override { PQfinish(h_); }

    // The server's message, or a German one when the connection is gone.
    std::string problem(const PGresult* r) const
    {
        if (PQstatus(h_) == CONNECTION_BAD)
            return "Verbindung zum Datenbankserver verloren: " + trimmed(PQerrorMessage(h_));
        const char* m = r ? PQresultErrorMessage(r) : nullptr;
        return trimmed(m && *m ? m : PQerrorMessage(h_));
    }
    static std::string trimmed(std::string s)
    {
        while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
            s.pop_back();
        return s;
    }
    void check(PGresult* r, const std::string& sql)
    {
        const auto st = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
        if (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK) {
            changes_ = std::atoi(PQcmdTuples(r));
            return;
        }
        std::string msg = problem(r);
        if (r)
            PQclear(r);
        throw TQelSQLError(msg, sql);
    }

    std::unique_ptr<TQelCursor> Prepare(const std::string& sql) override
    {
        sendDeferred();
        int params = 0;
        const std::string text = numberMarks(sql, params);
        const std::string name = "q" + std::to_string(++statements_);
        PGresult* r = PQprepare(h_, name.c_str(), text.c_str(), 0, nullptr);
        check(r, sql);
        PQclear(r);
        // The parameter and column types the server inferred.
        PGresult* d = PQdescribePrepared(h_, name.c_str());
        check(d, sql);
        return std::make_unique<TPgCursor>(this, name, sql, d);
    }
    // The deferred statements go in the same text: the server stops at the first that fails.
    void Exec(const std::string& sql) override
    {
        int marks = 0;
        std::string text = deferredText();
        text += numberMarks(sql, marks);
        PGresult* r = PQexec(h_, text.c_str());
        check(r, sql);
        PQclear(r);
    }
    // Clean-up runs whether or not the deferred statements fail.
    void ExecQuietly(const std::string& sql) override
    {
        if (const std::string before = deferredText(); !before.empty())
            PQclear(PQexec(h_, before.c_str()));
        int marks = 0;
        PQclear(PQexec(h_, numberMarks(sql, marks).c_str()));
    }
    void Defer(const std::string& sql) override
    {
        int marks = 0;
        deferred_.push_back(numberMarks(sql, marks));
    }
    // The deferred statements as one text ("a;b;"), taken from the queue.
    std::string deferredText()
    {
        std::string text;
        for (const std::string& d : deferred_)
            text += d + ";";
        deferred_.clear();
        return text;
    }
    void sendDeferred()
    {
        if (deferred_.empty())
            return;
        const std::string text = deferredText();
        PGresult* r = PQexec(h_, text.c_str());
        check(r, text);
        PQclear(r);
    }
    // Runs a prepared statement, the deferred statements before it in the same round trip.
    PGresult* runPrepared(
        const std::string& name, int n, const char* const* values, const int* lengths, const int* formats)
    {
        if (deferred_.empty() || PQenterPipelineMode(h_) != 1) {
            sendDeferred();
            return PQexecPrepared(h_, name.c_str(), n, values, lengths, formats, 0);
        }
        std::vector<std::string> before;
        before.swap(deferred_);
        bool sent = true;
        for (const std::string& sql : before)
            sent = sent && PQsendQueryParams(h_, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
        sent = sent && PQsendQueryPrepared(h_, name.c_str(), n, values, lengths, formats, 0) == 1;
        sent = sent && PQpipelineSync(h_) == 1;
        // Each statement's result followed by a null, then the sync point. The first failure wins;
        // the statements after it come back aborted.
        PGresult* failed = nullptr;
        PGresult* own = nullptr;
        for (std::size_t i = 0; sent && i <= before.size(); ++i) {
            PGresult* r = PQgetResult(h_);
            if (!r)
                break;
            while (PGresult* more = PQgetResult(h_))
                PQclear(more);
            const auto st = PQresultStatus(r);
            if (failed)
                PQclear(r);
            else if (i == before.size())
                own = r;
            else if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK)
                failed = r;
            else
                PQclear(r);
        }
        while (PGresult* r = PQgetResult(h_)) {
            const bool sync = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
            PQclear(r);
            if (sync)
                break;
        }
        PQexitPipelineMode(h_);
        if (failed) {
            if (own)
                PQclear(own);
            return failed;
        }
        return own; // null when the connection broke: check() tells
    }
    std::string ErrorText() const override { return problem(nullptr); }
    bool InTransaction() const override
    {
        const auto s = PQtransactionStatus(h_);
        return s == PQTRANS_INTRANS || s == PQTRANS_INERROR || s == PQTRANS_ACTIVE;
    }
    void Begin() override { Exec("BEGIN"); }
    std::set<std::string> Tables() override
    {
        std::set<std::string> out;
        auto c = Prepare(
            "SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema()");
        while (c->Step())
            out.insert(upper(std::string(c->Text(0))));
        return out;
    }
    std::set<std::string> Columns(const std::string& table) override
    {
        std::set<std::string> out;
        auto c = Prepare("SELECT column_name FROM information_schema.columns WHERE table_schema = "
                         "current_schema() AND upper(table_name) = upper(?)");
        c->Bind(1, table);
        while (c->Step())
            out.insert(upper(std::string(c->Text(0))));
        return out;
    }
    bool HasIndex(const std::string& name) override
    {
        auto c
            = Prepare("SELECT 1 FROM pg_indexes WHERE schemaname = current_schema() AND upper(indexname) = "
                      "upper(?)");
        c->Bind(1, name);
        return c->Step();
    }
    std::int64_t LastInsertId() override
    {
        sendDeferred();
        PGresult* r = PQexec(h_, "SELECT lastval()");
        check(r, "SELECT lastval()");
        const std::int64_t id = std::strtoll(PQgetvalue(r, 0, 0), nullptr, 10);
        PQclear(r);
        return id;
    }
    int Changes() override { return changes_; }
    std::string TypeName(const std::string& type, bool blob) const override
    {
        if (blob)
            return "BYTEA";
        if (type == "INTEGER")
            return "BIGINT";
        if (type == "REAL")
            return "DOUBLE PRECISION";
        if (type == "BOOLEAN")
            return "SMALLINT";
        if (type == "DATETIME")
            return "TIMESTAMP";
        if (type == "DATE" || type == "TIME")
            return type;
        // German sorting and case folding, whatever the database's own locale.
        return std::string(type == "CLOB" ? "TEXT" : "VARCHAR") + " COLLATE \"de-x-icu\"";
    }
    std::string AutoKey() const override { return "BIGSERIAL PRIMARY KEY"; }
    // One statement for all changes of a transaction: the payloads (numbers and blanks only) go
    // as one text array, each told as a notification of its own, in order.
    void Announce(const std::vector<TQelRemoteChange>& changes) override
    {
        if (changes.empty())
            return;
        std::string list = "{";
        for (const TQelRemoteChange& ch : changes) {
            if (list.size() > 1)
                list += ',';
            list += '"' + std::to_string(ch.event) + " " + std::to_string(ch.classId) + " "
                + std::to_string(ch.key) + " " + std::to_string(ch.session) + " " + std::to_string(ch.stamp)
                + '"';
        }
        list += '}';
        sendDeferred();
        const char* values[] = { channel_.c_str(), list.c_str() };
        PGresult* r = PQexecParams(h_, "SELECT pg_notify($1, p) FROM unnest($2::text[]) AS p", 2, nullptr,
            values, nullptr, nullptr, 0);
        check(r, "NOTIFY");
        PQclear(r);
    }
    std::vector<TQelRemoteChange> Arrived() override
    {
        std::vector<TQelRemoteChange> out;
        if (PQconsumeInput(h_) == 0)
            return out;
        while (PGnotify* n = PQnotifies(h_)) {
            TQelRemoteChange ch;
            long long key = 0;
            if (std::sscanf(
                    n->extra, "%d %d %lld %d %d", &ch.event, &ch.classId, &key, &ch.session, &ch.stamp)
                    >= 4
                && n->be_pid != PQbackendPID(h_)) {
                ch.key = key;
                out.push_back(ch);
            }
            PQfreemem(n);
        }
        return out;
    }
    bool Shared() const override { return true; }
    int NotifySocket() const override { return PQsocket(h_); }
    std::string NulSpelling() const override { return "chr(0)"; }
    bool ChangesInWith() const override { return true; }
    // The server process serving this connection is the session; it ends when the connection
    // does, also when a workstation crashes (the server notices the lost connection).
    int SessionId() const override { return PQbackendPID(h_); }
    bool SessionAlive(int session) override
    {
        auto c = Prepare("SELECT 1 FROM pg_stat_activity WHERE pid = ?");
        c->Bind(1, std::int64_t(session));
        return c->Step();
    }

    PGconn* h_;
    std::string channel_; // where the store's changes are announced
    int statements_ = 0;
    int changes_ = 0;
    std::vector<std::string> deferred_; // sent with the next statement
};

bool TPgCursor::Step()
{
    if (!res_) {
        std::vector<const char*> p(values_.size());
        std::vector<int> len(values_.size()), fmt(values_.size());
        for (std::size_t i = 0; i < values_.size(); ++i) {
            p[i] = null_[i] ? nullptr : values_[i].c_str();
            len[i] = static_cast<int>(values_[i].size());
            fmt[i] = binary_[i] ? 1 : 0;
        }
        PGresult* r = c_->runPrepared(name_, static_cast<int>(p.size()), p.data(), len.data(), fmt.data());
        c_->check(r, sql_);
        res_ = r;
        row_ = -1;
    }
    if (row_ + 1 < PQntuples(res_)) {
        ++row_;
        return true;
    }
    return false;
}

int TPgCursor::ColumnCount() const
{
    return PQnfields(res_ ? res_ : described_);
}

} // namespace

bool QelIsPostgresTarget(const std::string& target)
{
    return target.rfind("postgresql://", 0) == 0 || target.rfind("postgres://", 0) == 0;
}

std::unique_ptr<TQelConnection> QelOpenPostgres(const std::string& conninfo, int timeoutMs)
{
    const std::string shown = QelHidePassword(conninfo);
    const int seconds = std::max(2, (timeoutMs + 999) / 1000);
    const std::string t = std::to_string(seconds);
    // The store's own timeouts and encoding come after the connection string and win. A server
    // that goes away without closing the connection is given up after the timeout (TCP), not
    // waited for.
    const std::string userTimeout = std::to_string(std::max(1000, timeoutMs * 5));
    const char* keys[] = { "dbname", "connect_timeout", "client_encoding", "keepalives_idle",
        "keepalives_interval", "keepalives_count", "tcp_user_timeout", nullptr };
    const char* vals[] = { conninfo.c_str(), t.c_str(), "UTF8", "5", "2", "2", userTimeout.c_str(), nullptr };
    PGconn* h = PQconnectdbParams(keys, vals, 1);
    if (!h)
        throw TQelOpenError(shown, "keine Verbindung zum Datenbankserver (kein Speicher)");
    if (PQstatus(h) != CONNECTION_OK) {
        std::string msg = PQerrorMessage(h);
        PQfinish(h);
        while (!msg.empty() && msg.back() == '\n')
            msg.pop_back();
        std::string cause = "keine Verbindung zum Datenbankserver";
        if (msg.find("password") != std::string::npos || msg.find("Passwort") != std::string::npos)
            cause = "Anmeldung abgelehnt (Benutzer oder Passwort falsch)";
        else if (msg.find("does not exist") != std::string::npos && msg.find("database") != std::string::npos)
            cause = "die Datenbank gibt es auf dem Server nicht";
        else if (msg.find("timeout") != std::string::npos)
            cause = "der Datenbankserver antwortet nicht (Zeitüberschreitung)";
        // The server's text may quote the connection string: never with its password.
        throw TQelOpenError(shown, cause + " (" + QelHidePassword(msg) + ")");
    }
    // A statement that waits longer than this for the server or a lock fails instead of hanging.
    const std::string setup
        = "SET DateStyle = ISO; SET statement_timeout = " + std::to_string(std::max(1000, timeoutMs * 5))
        + "; SET lock_timeout = " + std::to_string(std::max(500, timeoutMs));
    PGresult* r = PQexec(h, setup.c_str());
    std::string channel;
    if (PQresultStatus(r) == PGRES_COMMAND_OK) {
        PQclear(r);
        channel = storeChannel(h);
        r = PQexec(h, ("LISTEN \"" + channel + "\"").c_str());
    }
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
    if (!ok) {
        std::string msg = PQerrorMessage(h);
        PQfinish(h);
        throw TQelOpenError(shown, "Sitzung kann nicht eingerichtet werden (" + QelHidePassword(msg) + ")");
    }
    PQsetNoticeProcessor(
        h, [](void*, const char*) {}, nullptr);
    return std::make_unique<TPgConnection>(h, channel);
}
