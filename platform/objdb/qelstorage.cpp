#include "objdb/qelstorage.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelerror.h"
#include "objdb/qelnotify.h"
#include "objdb/qelobject.h"
#include "objdb/qelsql.h"
#include "objdb/qelsqlfunctions.h"
#include "objdb/qelvector.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <set>
#include <unistd.h>

namespace {

const char* const kFormat = "qelobjdb 1";

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool isBlob(const TQelFelddefinition* d)
{
    return d->IsBlob();
}

std::string q(const std::string& name)
{
    return QelQuoteName(name);
}

// A column qualified with its table: never read as a string literal when the column is missing.
std::string qq(const std::string& table, const std::string& column)
{
    return q(table) + "." + q(column);
}

} // namespace

std::string QelColumnType(const TQelFelddefinition* def)
{
    switch (def->type->Urtyp()) {
    case qelft::Integer:
    case qelft::MultiChoice:
    case qelft::Reference:
    case qelft::File: // the ID of the content's row
        return "INTEGER";
    case qelft::Amount:
        return "REAL";
    case qelft::Boolean:
        return "BOOLEAN";
    case qelft::DateTime:
        if (def->type->IsA(qelft::Date))
            return "DATE";
        if (def->type->IsA(qelft::TimeMinutes) || def->type->IsA(qelft::TimeSeconds))
            return "TIME";
        return "DATETIME";
    case qelft::LongText:
        return "CLOB";
    default:
        return "TEXT";
    }
}

// ---------------------------------------------------------------------------------------------

TQelStorage::~TQelStorage()
{
    Close();
}

void TQelStorage::Close()
{
    keyed_.clear();
    cache_.clear();
    c_.reset();
    savepointDepth_ = 0;
    builtinText_.clear();
}

std::string TQelStorage::ErrorText() const
{
    return c_ ? c_->ErrorText() : "keine Verbindung";
}

TQelStmt TQelStorage::Prepare(const std::string& sql)
{
    if (!c_)
        throw TQelSQLError("Die Datenbank ist nicht geöffnet.", sql);
    auto it = cache_.find(sql);
    if (it == cache_.end())
        it = cache_.emplace(sql, c_->Prepare(sql)).first;
    return TQelStmt(it->second.get());
}

TQelStmt TQelStorage::PrepareKeyed(const std::string& key, const std::function<std::string()>& text)
{
    if (auto it = keyed_.find(key); it != keyed_.end() && c_)
        return TQelStmt(it->second);
    const std::string sql = text();
    Prepare(sql); // puts it into the cache
    TQelCursor* c = cache_.find(sql)->second.get();
    keyed_[key] = c;
    return TQelStmt(c);
}

void TQelStorage::Exec(const std::string& sql)
{
    if (!c_)
        throw TQelSQLError("Die Datenbank ist nicht geöffnet.", sql);
    c_->Exec(sql);
}

void TQelStorage::openSqlite(const std::string& path, const TQelOpenOptions& o, bool& fresh)
{
    namespace fs = std::filesystem;
    const bool memory = path.empty() || path == ":memory:";
    std::error_code ec;
    const bool exists = !memory && fs::exists(path, ec);
    if (!memory && !exists && !o.create)
        throw TQelOpenError(path, "Datei nicht gefunden");
    if (exists && fs::is_directory(path, ec))
        throw TQelOpenError(path, "ist ein Verzeichnis, keine Datenbankdatei");
    if (exists && !o.readOnly && ::access(path.c_str(), W_OK) != 0)
        throw TQelOpenError(path, "Datei ist schreibgeschützt (kein Schreibrecht)");
    if (exists && ::access(path.c_str(), R_OK) != 0)
        throw TQelOpenError(path, "Datei kann nicht gelesen werden (kein Leserecht)");
    try {
        c_ = QelOpenSqlite(path, o.readOnly, o.create, o.busyTimeoutMs);
    } catch (const TQelSQLError& e) {
        throw TQelOpenError(path,
            (exists ? "kann nicht geöffnet werden: " : "kann nicht angelegt werden: ")
                + std::string(e.what()));
    }
    fresh = memory || !exists;
}

void TQelStorage::Open(
    const std::string& path, const TQelOpenOptions& o, std::string& schemaText, std::string& schemaFile)
{
    Close();
    path_ = path;
    contentMarks_ = true;
    const bool server = QelIsPostgresTarget(path);
    bool fresh = false;
    if (server)
        c_ = QelOpenPostgres(path, o.busyTimeoutMs);
    else
        openSqlite(path, o, fresh);

    const std::string shown = server ? QelHidePassword(path) : path;
    auto fail = [&](const std::string& cause) {
        Close();
        throw TQelOpenError(shown, cause);
    };

    // Is this an object database?
    std::set<std::string> tables;
    std::string error;
    try {
        tables = c_->Tables();
    } catch (const TQelSQLError& e) {
        error = e.what();
    }
    if (!error.empty())
        fail(error);
    if (tables.empty()) {
        if (!o.create && !fresh)
            fail(server ? "keine Objektdatenbank (die Datenbank enthält keine Tabellen)"
                        : "keine Objektdatenbank (die Datei enthält keine Tabellen)");
        if (o.readOnly)
            fail("leere Datei kann nicht nur lesend angelegt werden");
        return; // a new store: the caller installs the schema
    }
    if (!tables.count("QEL_INFO"))
        fail(tables.count("OBJEKT") ? "keine Objektdatenbank dieses Formats (Tabelle QEL_INFO fehlt; "
                                      "ältere Beispieldatei? Bitte löschen, sie wird neu angelegt)"
                                    : "keine Objektdatenbank (Tabelle QEL_INFO fehlt)");
    // The statement lives in the cache: it must be done with before a failure closes the store.
    std::string format;
    try {
        auto q = Prepare("SELECT NAME, WERT FROM QEL_INFO");
        while (q.Step()) {
            const std::string n = q.Text(0);
            if (n == "format")
                format = q.Text(1);
            else if (n == "schema")
                schemaText = q.Text(1);
            else if (n == "schemafile")
                schemaFile = q.Text(1);
            else if (n == "builtin")
                builtinText_ = q.Text(1);
        }
    } catch (const TQelSQLError& e) {
        error = e.what();
    }
    if (!error.empty())
        fail(error);
    if (format != kFormat)
        fail("unbekanntes Datenbankformat '" + format + "' (erwartet '" + kFormat + "')");
    // Stores older than object versions get the column; their objects start at version 1.
    if (!o.readOnly && tables.count("OBJEKT") && !c_->Columns("OBJEKT").count("VERSION")) {
        try {
            Exec("ALTER TABLE OBJEKT ADD COLUMN VERSION " + c_->TypeName("INTEGER", false)
                + " NOT NULL DEFAULT 1");
        } catch (const TQelSQLError& e) {
            error = e.what();
        }
        if (!error.empty())
            fail(error);
    }
}

void TQelStorage::Begin()
{
    pending_.clear();
    savepointMark_ = 0;
    txStamp_ = 0;
    session_ = c_->SessionId();
    c_->Begin();
}

void TQelStorage::CommitTx()
{
    std::vector<TQelRemoteChange> changes;
    changes.swap(pending_);
    for (TQelRemoteChange& ch : changes)
        ch.stamp = txStamp_;
    c_->Announce(changes);
    session_ = 0;
    Exec("COMMIT");
}

void TQelStorage::RollbackTx()
{
    pending_.clear();
    session_ = 0;
    if (c_ && c_->InTransaction())
        c_->ExecQuietly("ROLLBACK");
}

// A server gets the savepoint and its release with the statements that follow them.
void TQelStorage::Savepoint()
{
    c_->Defer("SAVEPOINT qel_obj");
    savepointMark_ = pending_.size();
}

void TQelStorage::ReleaseSavepoint()
{
    c_->Defer("RELEASE qel_obj");
}

void TQelStorage::RollbackToSavepoint()
{
    pending_.resize(std::min(savepointMark_, pending_.size()));
    c_->ExecQuietly("ROLLBACK TO qel_obj");
    c_->ExecQuietly("RELEASE qel_obj");
}

std::string TQelStorage::now() const
{
    // Formatting the clock costs more than writing a row; it changes once a second.
    static thread_local std::time_t last = 0;
    static thread_local std::string text;
    const std::time_t t = std::time(nullptr);
    if (t != last) {
        std::tm tm {};
        localtime_r(&t, &tm);
        char buf[32];
        std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
        text = buf;
        last = t;
    }
    return text;
}

void TQelStorage::ensureTable(
    const std::string& table, bool element, const std::vector<const TQelFelddefinition*>& cols)
{
    const std::set<std::string> have = c_->Columns(table);
    const std::string i = c_->TypeName("INTEGER", false), t = c_->TypeName("TEXT", false);
    if (have.empty()) {
        std::string sql = "CREATE TABLE " + q(table)
            + (element ? " (EK " + c_->AutoKey() + ", K " + i + " NOT NULL, V " + t + " NOT NULL, P " + i
                        + " NOT NULL DEFAULT 0, NR " + i + " NOT NULL"
                       : " (K " + i + " PRIMARY KEY, KLASSE " + i + " NOT NULL, GELOESCHT " + i
                        + " NOT NULL DEFAULT 0");
        for (const auto* c : cols)
            sql += ", " + q(c->column) + " " + type(c);
        sql += ")";
        Exec(sql);
        if (element)
            Exec("CREATE INDEX " + q(table + "_KVPNR") + " ON " + q(table) + " (K, V, P, NR)");
        else
            Exec("CREATE INDEX " + q(table + "_KLASSE") + " ON " + q(table) + " (KLASSE, GELOESCHT)");
        return;
    }
    for (const auto* c : cols)
        if (!have.count(upper(c->column)))
            Exec("ALTER TABLE " + q(table) + " ADD COLUMN " + q(c->column) + " " + type(c));
}

std::string TQelStorage::type(const TQelFelddefinition* def) const
{
    return c_->TypeName(QelColumnType(def), isBlob(def));
}

void TQelStorage::Install(const TQelSchema& schema)
{
    Begin();
    try {
        const std::string i = c_->TypeName("INTEGER", false), t = c_->TypeName("TEXT", false),
                          dt = c_->TypeName("DATETIME", false), r = c_->TypeName("REAL", false);
        Exec("CREATE TABLE IF NOT EXISTS QEL_INFO (NAME " + t + " PRIMARY KEY, WERT " + t + ")");
        Exec("CREATE TABLE IF NOT EXISTS OBJEKT (K " + i + " PRIMARY KEY, KLASSE " + i
            + " NOT NULL, GELOESCHT " + i + " NOT NULL DEFAULT 0, ERSTELLT " + dt + ", GEAENDERT " + dt
            + ", VERSION " + i + " NOT NULL DEFAULT 1)");
        Exec("CREATE TABLE IF NOT EXISTS QEL_SPERRE (K " + i + " PRIMARY KEY, SITZUNG " + i
            + " NOT NULL, ZEIT " + r + ")");
        Exec("CREATE TABLE IF NOT EXISTS QEL_MERKMAL (K " + i + " NOT NULL, NR " + i
            + " NOT NULL, PRIMARY KEY (K, NR))");
        // One table per name: the union of the columns of the classes stored in it.
        std::map<std::string, std::pair<bool, std::vector<const TQelFelddefinition*>>> tables;
        std::map<std::string, std::string> spelled;
        for (const TQelKlasse* k : schema.Classes()) {
            if (k->table.empty())
                continue;
            auto& [element, cols] = tables[upper(k->table)];
            spelled[upper(k->table)] = k->table;
            element = !k->IsObjectClass();
            for (const auto* f : k->Fields())
                if (std::none_of(cols.begin(), cols.end(),
                        [&](auto* c) { return upper(c->column) == upper(f->column); }))
                    cols.push_back(f);
        }
        for (const auto& [u, t] : tables)
            ensureTable(spelled[u], t.first, t.second);
        auto put = [&](const std::string& n, const std::string& v) {
            Prepare("INSERT INTO QEL_INFO (NAME, WERT) VALUES (?, ?) ON CONFLICT (NAME) DO UPDATE SET WERT = "
                    "excluded.WERT")
                .Bind(1, n)
                .Bind(2, v)
                .Run();
        };
        put("format", kFormat);
        put("schema", schema.Text());
        put("schemafile", schema.FileName());
        put("builtin", TQelSchema::BuiltinText());
        builtinText_ = TQelSchema::BuiltinText();
        Exec("INSERT INTO QEL_INFO (NAME, WERT) VALUES ('stand', '0') ON CONFLICT (NAME) DO NOTHING");
        CommitTx();
    } catch (...) {
        RollbackTx();
        throw;
    }
}

std::int64_t TQelStorage::MaxKey()
{
    auto q = Prepare("SELECT COALESCE(MAX(K), 0) FROM OBJEKT");
    q.Step();
    return q.Int(0);
}

std::int64_t TQelStorage::ReserveKeys(int count)
{
    const bool own = !c_->InTransaction();
    if (own)
        Begin();
    try {
        Prepare("INSERT INTO QEL_INFO (NAME, WERT) VALUES ('schluessel', '0') ON CONFLICT (NAME) DO NOTHING")
            .Run();
        std::int64_t high = 0;
        {
            auto q = Prepare("UPDATE QEL_INFO SET WERT = CAST(WERT AS INTEGER) + ? WHERE NAME = 'schluessel' "
                             "RETURNING WERT");
            q.Bind(1, std::int64_t(count));
            high = q.Step() ? q.Int(0) : 0;
        }
        // Keys handed out before reservations existed (or by hand) are skipped.
        if (const std::int64_t used = MaxKey(); high - count < used) {
            high = used + count;
            Prepare("UPDATE QEL_INFO SET WERT = ? WHERE NAME = 'schluessel'")
                .Bind(1, std::to_string(high))
                .Run();
        }
        if (own)
            Exec("COMMIT"); // nothing to announce
        return high - count + 1;
    } catch (...) {
        if (own)
            RollbackTx();
        throw;
    }
}

int TQelStorage::ChangeStamp()
{
    auto q = Prepare("SELECT WERT FROM QEL_INFO WHERE NAME = 'stand'");
    return q.Step() ? static_cast<int>(q.Int(0)) : 0;
}

int TQelStorage::NextChangeStamp()
{
    auto q
        = Prepare("UPDATE QEL_INFO SET WERT = CAST(WERT AS INTEGER) + 1 WHERE NAME = 'stand' RETURNING WERT");
    txStamp_ = q.Step() ? static_cast<int>(q.Int(0)) : 0;
    return txStamp_;
}

bool TQelStorage::ObjectRow(TQelObjectKey key, int& classId, bool& deleted)
{
    auto q = Prepare("SELECT KLASSE, GELOESCHT FROM OBJEKT WHERE K = ?");
    q.Bind(1, static_cast<std::int64_t>(key.Id()));
    if (!q.Step())
        return false;
    classId = static_cast<int>(q.Int(0));
    deleted = q.Int(1) != 0;
    return true;
}

std::string TQelStorage::selectColumns(const TQelKlasse* cls) const
{
    std::string s;
    for (const auto* f : cls->Fields())
        if (!isBlob(f))
            s += ", " + qq(cls->table, f->column);
    return s;
}

void TQelStorage::readFields(TQelFieldList* fl, TQelStmt& st, int col)
{
    for (int i = 1; i <= fl->FieldCount(); ++i) {
        TQelField* f = fl->Field(i);
        if (auto* b = dynamic_cast<TQelBlobField*>(f))
            b->Unload();
        else
            f->LoadStored(st.Column(col++));
    }
}

void TQelStorage::LoadObject(TQelObject* obj)
{
    const TQelKlasse* cls = obj->Klasse();
    {
        auto q
            = Prepare("SELECT GELOESCHT" + selectColumns(cls) + " FROM " + ::q(cls->table) + " WHERE K = ?");
        q.Bind(1, static_cast<std::int64_t>(obj->Key().Id()));
        if (!q.Step())
            throw TQelError("Objekt " + obj->Key().ToString() + " fehlt in der Tabelle " + cls->table);
        readFields(obj->FieldList(), q, 1);
    }
    {
        auto q = Prepare("SELECT VERSION FROM OBJEKT WHERE K = ?");
        q.Bind(1, static_cast<std::int64_t>(obj->Key().Id()));
        obj->SetVersion(q.Step() ? q.Int(0) : 0);
    }
    for (int i = 1; i <= obj->FieldList()->VectorCount(); ++i)
        LoadVector(obj->FieldList()->Vector(i), obj->Key(), 0);
}

void TQelStorage::LoadVector(TQelVector* v, TQelObjectKey key, std::int64_t parentRow)
{
    const TQelKlasse* ec = v->get_Vektorklasse();
    std::vector<std::unique_ptr<TQelSubObject>> elements;
    {
        auto q = Prepare("SELECT EK" + selectColumns(ec) + " FROM " + ::q(ec->table)
            + " WHERE K = ? AND V = ? AND P = ? ORDER BY NR");
        q.Bind(1, static_cast<std::int64_t>(key.Id())).Bind(2, v->StorePath()).Bind(3, parentRow);
        while (q.Step()) {
            auto e = v->MakeElement();
            e->SetRow(q.Int(0));
            readFields(e->FieldList(), q, 1);
            elements.push_back(std::move(e));
        }
    }
    v->LoadElements(std::move(elements));
    for (int i = 1; i <= v->Count(); ++i) {
        TQelSubObject* e = v->Item(i);
        for (int j = 1; j <= e->FieldList()->VectorCount(); ++j)
            LoadVector(e->FieldList()->Vector(j), key, e->Row());
    }
}

bool TQelStorage::LoadBlob(const TQelField* f, TQelValue& out, std::string& error)
{
    TQelFieldList* fl = f->FieldList();
    TQelObject* obj = f->Object();
    if (!obj) {
        error = "Feld gehört zu keinem Objekt";
        return false;
    }
    try {
        if (TQelSubObject* so = fl->ParentSubObject()) {
            if (so->Row() == 0) {
                out = std::monostate {};
                return true;
            }
            auto q = Prepare("SELECT " + qq(fl->Klasse()->table, f->ColumnName()) + " FROM "
                + ::q(fl->Klasse()->table) + " WHERE EK = ?");
            q.Bind(1, so->Row());
            out = q.Step() ? q.Column(0) : TQelValue {};
            return true;
        }
        if (obj->IsNew()) {
            out = std::monostate {};
            return true;
        }
        auto q = Prepare("SELECT " + qq(fl->Klasse()->table, f->ColumnName()) + " FROM "
            + ::q(fl->Klasse()->table) + " WHERE K = ?");
        q.Bind(1, static_cast<std::int64_t>(obj->Key().Id()));
        if (!q.Step()) {
            error = "Objekt " + obj->Key().ToString() + " ist nicht gespeichert";
            return false;
        }
        out = q.Column(0);
        return true;
    } catch (const TQelError& e) {
        error = e.what();
        return false;
    }
}

namespace {

// The fields a write stores: every writable one (insert) or the touched ones (update).
std::vector<TQelField*> writtenFields(TQelFieldList* fl, bool touchedOnly)
{
    std::vector<TQelField*> out;
    for (int i = 1; i <= fl->FieldCount(); ++i) {
        TQelField* f = fl->Field(i);
        if (f->Writable() && (!touchedOnly || f->Touched()))
            out.push_back(f);
    }
    return out;
}

bool holdsFile(const TQelFelddefinition* def)
{
    return def->type->Urtyp() == qelft::File;
}

std::int64_t contentId(const TQelValue& v)
{
    const auto* n = std::get_if<std::int64_t>(&v);
    return n ? *n : 0;
}

} // namespace

// A content (TQelFileStore) belongs to the row that refers to it from the commit on, in the same
// transaction: a new one loses the mark of its session, one the row no longer refers to goes.
void TQelStorage::contentsWritten(
    const std::vector<TQelField*>& fields, const std::vector<std::int64_t>& before)
{
    std::size_t i = 0;
    for (TQelField* f : fields) {
        if (!holdsFile(f->Definition()))
            continue;
        const std::int64_t now = contentId(f->Value());
        const std::int64_t old = i < before.size() ? before[i] : 0;
        ++i;
        if (now > 0 && contentMarks_)
            Prepare("UPDATE QEL_DATEI SET SITZUNG = NULL WHERE ID = ? AND SITZUNG IS NOT NULL")
                .Bind(1, now)
                .Run();
        if (old > 0 && old != now)
            removeContent(old);
    }
}

void TQelStorage::removeContent(std::int64_t id)
{
    Prepare("DELETE FROM QEL_DATEI_TEIL WHERE DATEI = ?").Bind(1, id).Run();
    Prepare("DELETE FROM QEL_DATEI WHERE ID = ?").Bind(1, id).Run();
}

std::vector<std::int64_t> TQelStorage::storedContents(const std::string& table, const std::string& keyColumn,
    std::int64_t key, const std::vector<const TQelFelddefinition*>& defs)
{
    std::string cols;
    for (const TQelFelddefinition* d : defs)
        if (holdsFile(d))
            cols += (cols.empty() ? "" : ", ") + q(d->column);
    std::vector<std::int64_t> out;
    if (cols.empty())
        return out;
    const auto count = static_cast<int>(std::count_if(defs.begin(), defs.end(), holdsFile));
    auto st = Prepare("SELECT " + cols + " FROM " + q(table) + " WHERE " + keyColumn + " = ?");
    st.Bind(1, key);
    if (st.Step())
        for (int i = 0; i < count; ++i)
            out.push_back(contentId(st.Column(i)));
    return out;
}

void TQelStorage::insertRow(
    const std::string& table, const std::vector<std::pair<std::string, TQelValue>>& fixed, TQelFieldList* fl)
{
    const std::vector<TQelField*> fields = writtenFields(fl, false);
    std::string cols, marks;
    for (const auto& [name, value] : fixed) {
        cols += (cols.empty() ? "" : ", ") + name;
        marks += marks.empty() ? "?" : ", ?";
    }
    for (TQelField* f : fields) {
        cols += ", " + q(f->ColumnName());
        marks += ", ?";
    }
    auto st = Prepare("INSERT INTO " + q(table) + " (" + cols + ") VALUES (" + marks + ")");
    int n = 1;
    for (const auto& [name, value] : fixed)
        st.Bind(n++, value);
    for (TQelField* f : fields)
        st.Bind(n++, f->Value());
    st.Run();
    contentsWritten(fields, {});
}

namespace {

// "A" = ?, "B" = ?: the SET list that writes `fields`, after `extra` when there is one.
std::string setList(const std::vector<TQelField*>& fields, const std::pair<std::string, TQelValue>* extra)
{
    std::string sets = extra ? extra->first + " = ?" : "";
    for (TQelField* f : fields)
        sets += (sets.empty() ? "" : ", ") + q(f->ColumnName()) + " = ?";
    return sets;
}

// The key of a row write: its kind, the table, the key column and the columns it sets.
std::string rowKey(char kind, const std::string& table, const std::string& keyColumn,
    const std::pair<std::string, TQelValue>* extra, const std::vector<TQelField*>& fields)
{
    std::string key(1, kind);
    key += table;
    key += '\n';
    key += keyColumn;
    if (extra)
        key += '\n' + extra->first;
    for (TQelField* f : fields) {
        key += '\n';
        key += f->ColumnName();
    }
    return key;
}

std::vector<const TQelFelddefinition*> definitionsOf(const std::vector<TQelField*>& fields)
{
    std::vector<const TQelFelddefinition*> defs;
    defs.reserve(fields.size());
    for (TQelField* f : fields)
        defs.push_back(f->Definition());
    return defs;
}

} // namespace

void TQelStorage::updateRow(const std::string& table, const std::string& keyColumn, std::int64_t key,
    TQelFieldList* fl, const std::pair<std::string, TQelValue>* extra)
{
    const std::vector<TQelField*> fields = writtenFields(fl, true);
    if (fields.empty() && !extra)
        return;
    // What the row refers to now, which may be newer than what this object loaded.
    const std::vector<std::int64_t> before = storedContents(table, keyColumn, key, definitionsOf(fields));
    auto st = PrepareKeyed(rowKey('U', table, keyColumn, extra, fields), [&] {
        return "UPDATE " + q(table) + " SET " + setList(fields, extra) + " WHERE " + keyColumn + " = ?";
    });
    int n = 1;
    if (extra)
        st.Bind(n++, extra->second);
    for (TQelField* f : fields)
        st.Bind(n++, f->Value());
    st.Bind(n, key).Run();
    contentsWritten(fields, before);
}

void TQelStorage::WriteObject(TQelObject* obj, std::vector<TQelSubObject*>& newRows)
{
    const TQelKlasse* cls = obj->Klasse();
    TQelFieldList* fl = obj->FieldList();
    const auto key = static_cast<std::int64_t>(obj->Key().Id());
    const std::string stamp = now();
    std::int64_t version = 0;
    if (obj->IsNew()) {
        Prepare("INSERT INTO OBJEKT (K, KLASSE, GELOESCHT, ERSTELLT, GEAENDERT, VERSION) VALUES (?, ?, 0, ?, "
                "?, 1)")
            .Bind(1, key)
            .Bind(2, static_cast<std::int64_t>(cls->id))
            .Bind(3, stamp)
            .Bind(4, stamp)
            .Run();
        insertRow(cls->table,
            { { "K", key }, { "KLASSE", std::int64_t(cls->id) }, { "GELOESCHT", std::int64_t(0) } }, fl);
        version = 1;
    } else {
        if (!moveVersion(obj, stamp, version))
            updateRow(cls->table, "K", key, fl, nullptr);
    }
    for (int i = 1; i <= fl->VectorCount(); ++i)
        writeVector(obj->Key(), fl->Vector(i), 0, newRows);
    obj->SetVersion(version);
    announce(obj->IsNew() ? ieCreated : ieStored, cls, key);
}

namespace {

// The version move, with the version check unless overwriting and the lock check on request; the
// four texts are put together once, not per stored object.
const std::string& versionMoveStatement(bool overwriting, bool checkLock)
{
    static const std::array<std::string, 4> texts = [] {
        const std::string move = "UPDATE OBJEKT SET GEAENDERT = ?, VERSION = VERSION + 1 WHERE OBJEKT.K = ?";
        const std::string version = " AND VERSION = ?";
        const std::string lockFree
            = " AND NOT EXISTS (SELECT 1 FROM QEL_SPERRE WHERE QEL_SPERRE.K = ? AND QEL_SPERRE.SITZUNG <> ?)";
        return std::array<std::string, 4> { move + version, move + version + lockFree, move,
            move + lockFree };
    }();
    return texts[(overwriting ? 2 : 0) + (checkLock ? 1 : 0)];
}

} // namespace

// The version moves first: a newer one stored elsewhere, or another session's lock, refuses the
// whole commit. One statement checks both and moves it; only a refusal looks closer. A server
// that runs changes inside WITH gets the class row's touched fields in that same statement (one
// round trip per object): the row changes only when the version moved.
bool TQelStorage::moveVersion(TQelObject* obj, const std::string& stamp, std::int64_t& version)
{
    const auto key = static_cast<std::int64_t>(obj->Key().Id());
    const std::int64_t session = db_->SessionNumber();
    const TQelKlasse* cls = obj->Klasse();
    std::vector<TQelField*> rowFields;
    if (c_->ChangesInWith())
        rowFields = writtenFields(obj->FieldList(), true);
    // Without RETURNING: SQLite buffers returned rows in a table of their own, which costs more
    // than the update. The version is the expected one plus one; only overwriting reads it.
    auto moved = [&](bool checkLock, bool withRow) {
        const std::string& move = versionMoveStatement(obj->Overwriting(), checkLock);
        auto st = withRow
            ? PrepareKeyed(rowKey(static_cast<char>('0' + (obj->Overwriting() ? 2 : 0) + (checkLock ? 1 : 0)),
                               cls->table, "K", nullptr, rowFields),
                [&] {
                    return "WITH v AS (" + move + " RETURNING OBJEKT.K) UPDATE " + q(cls->table) + " SET "
                        + setList(rowFields, nullptr) + " WHERE K IN (SELECT K FROM v)";
                })
            : Prepare(move);
        int n = 1;
        st.Bind(n, stamp);
        st.Bind(++n, key);
        if (!obj->Overwriting())
            st.Bind(++n, obj->Version());
        if (checkLock) {
            st.Bind(++n, key);
            st.Bind(++n, session);
        }
        if (withRow)
            for (TQelField* f : rowFields)
                st.Bind(++n, f->Value());
        st.Run();
        return c_->Changes() > 0;
    };
    auto newVersion = [&] {
        if (!obj->Overwriting())
            return obj->Version() + 1;
        auto q = Prepare("SELECT VERSION FROM OBJEKT WHERE K = ?");
        q.Bind(1, key);
        return q.Step() ? q.Int(0) : 0;
    };
    if (!rowFields.empty()) {
        // What the row refers to now, which may be newer than what this object loaded.
        const std::vector<std::int64_t> before
            = storedContents(cls->table, "K", key, definitionsOf(rowFields));
        if (moved(true, true)) {
            contentsWritten(rowFields, before);
            version = newVersion();
            return true;
        }
    } else if (moved(true, false)) {
        version = newVersion();
        return false;
    }
    // A lock of a session that has ended no longer counts (IsLocked removes it).
    int holder = 0;
    double since = 0;
    if (db_->CreateSQLEngine()->IsLocked(obj->Key(), holder, since) && holder != session)
        throw TQelLockedError(
            "'" + obj->Name() + "' ist von Sitzung " + std::to_string(holder) + " gesperrt.");
    if (moved(false, false)) {
        version = newVersion();
        return false;
    }
    throw TQelConflictError("'" + obj->Name()
        + "' wurde inzwischen an einem anderen Arbeitsplatz geändert. Neu laden (die eigenen "
          "Änderungen gehen verloren) oder überschreiben (die anderen gehen verloren)?");
}

void TQelStorage::announce(int event, const TQelKlasse* cls, std::int64_t key)
{
    pending_.push_back({ event, cls ? cls->id : 0, key, session_ ? session_ : c_->SessionId(), 0 });
}

void TQelStorage::writeVector(
    TQelObjectKey key, TQelVector* v, std::int64_t parentRow, std::vector<TQelSubObject*>& newRows)
{
    const TQelKlasse* ec = v->get_Vektorklasse();
    const std::string path = v->StorePath();
    const auto k = static_cast<std::int64_t>(key.Id());
    if (v->StructureTouched()) {
        std::set<std::int64_t> kept;
        for (int i = 1; i <= v->Count(); ++i)
            kept.insert(v->Item(i)->Row());
        for (std::int64_t r : v->StoredRows())
            if (!kept.count(r))
                removeElementTree(key, ec, path, r);
    }
    for (int i = 1; i <= v->Count(); ++i) {
        TQelSubObject* e = v->Item(i);
        TQelFieldList* fl = e->FieldList();
        const std::pair<std::string, TQelValue> nr { "NR", std::int64_t(i) };
        if (e->Row() == 0) {
            insertRow(ec->table, { { "K", k }, { "V", path }, { "P", parentRow }, nr }, fl);
            e->SetRow(c_->LastInsertId());
            newRows.push_back(e);
        } else {
            // Positions are rewritten only when elements were added, removed or moved.
            updateRow(ec->table, "EK", e->Row(), fl, v->StructureTouched() ? &nr : nullptr);
        }
        for (int j = 1; j <= fl->VectorCount(); ++j)
            writeVector(key, fl->Vector(j), e->Row(), newRows);
    }
}

void TQelStorage::removeElementTree(
    TQelObjectKey key, const TQelKlasse* cls, const std::string& path, std::int64_t row)
{
    const auto k = static_cast<std::int64_t>(key.Id());
    for (const auto* vd : cls->Vectors()) {
        const TQelKlasse* ec = vd->elementClass;
        const std::string sub = path + "." + vd->name;
        std::vector<std::int64_t> rows;
        {
            auto q = Prepare("SELECT EK FROM " + ::q(ec->table) + " WHERE K = ? AND V = ? AND P = ?");
            q.Bind(1, k).Bind(2, sub).Bind(3, row);
            while (q.Step())
                rows.push_back(q.Int(0));
        }
        for (auto r : rows)
            removeElementTree(key, ec, sub, r);
    }
    for (std::int64_t id : storedContents(cls->table, "EK", row, cls->Fields()))
        if (id > 0)
            removeContent(id);
    Prepare("DELETE FROM " + q(cls->table) + " WHERE EK = ?").Bind(1, row).Run();
}

void TQelStorage::WriteDeleted(TQelObject* obj, bool deleted)
{
    const auto key = static_cast<std::int64_t>(obj->Key().Id());
    Prepare("UPDATE OBJEKT SET GELOESCHT = ?, GEAENDERT = ? WHERE K = ?")
        .Bind(1, static_cast<std::int64_t>(deleted))
        .Bind(2, now())
        .Bind(3, key)
        .Run();
    Prepare("UPDATE " + q(obj->Klasse()->table) + " SET GELOESCHT = ? WHERE K = ?")
        .Bind(1, static_cast<std::int64_t>(deleted))
        .Bind(2, key)
        .Run();
    announce(deleted ? ieDeleted : ieRecovered, obj->Klasse(), key);
}

namespace {

// Key lists go into statements of one fixed shape, "IN (?, ..., ?)" with kKeysPerStatement
// parameters, so that the statement cache holds one statement per table, not one per list.
constexpr std::size_t kKeysPerStatement = 200;

const std::string& keyParams()
{
    static const std::string text = [] {
        std::string s = "(?";
        for (std::size_t i = 1; i < kKeysPerStatement; ++i)
            s += ",?";
        return s + ")";
    }();
    return text;
}

// Runs `sql` (ending in "IN " + keyParams(), its own parameters first) for each chunk of keys; a
// short last chunk repeats its last key.
template <class Step>
void forKeyChunks(TQelStorage& st, const std::string& sql, int firstParam,
    const std::vector<std::int64_t>& keys, const std::function<void(TQelStmt&)>& bindOwn, Step step)
{
    for (std::size_t i = 0; i < keys.size(); i += kKeysPerStatement) {
        TQelStmt stmt = st.Prepare(sql);
        bindOwn(stmt);
        for (std::size_t j = 0; j < kKeysPerStatement; ++j)
            stmt.Bind(firstParam + static_cast<int>(j), keys[std::min(i + j, keys.size() - 1)]);
        step(stmt);
    }
}

} // namespace

std::map<std::int64_t, std::pair<int, bool>> TQelStorage::ObjectRows(const std::vector<std::int64_t>& keys)
{
    std::map<std::int64_t, std::pair<int, bool>> out;
    forKeyChunks(
        *this, "SELECT K, KLASSE, GELOESCHT FROM OBJEKT WHERE K IN " + keyParams(), 1, keys, [](TQelStmt&) {},
        [&](TQelStmt& st) {
            while (st.Step())
                out[st.Int(0)] = { static_cast<int>(st.Int(1)), st.Int(2) != 0 };
        });
    return out;
}

void TQelStorage::WriteDeletedMany(
    const std::vector<std::pair<std::int64_t, const TQelKlasse*>>& rows, bool deleted)
{
    std::map<std::string, std::vector<std::int64_t>> byTable;
    std::vector<std::int64_t> all;
    for (const auto& [key, cls] : rows) {
        byTable[cls->table].push_back(key);
        all.push_back(key);
    }
    const std::int64_t flag = deleted ? 1 : 0;
    const std::string stamp = now();
    auto run = [](TQelStmt& st) { st.Run(); };
    forKeyChunks(
        *this, "UPDATE OBJEKT SET GELOESCHT = ?, GEAENDERT = ? WHERE K IN " + keyParams(), 3, all,
        [&](TQelStmt& st) { st.Bind(1, flag).Bind(2, stamp); }, run);
    for (const auto& [table, keys] : byTable)
        forKeyChunks(
            *this, "UPDATE " + q(table) + " SET GELOESCHT = ? WHERE K IN " + keyParams(), 2, keys,
            [&](TQelStmt& st) { st.Bind(1, flag); }, run);
    for (const auto& [key, cls] : rows)
        announce(deleted ? ieDeleted : ieRecovered, cls, key);
}

int TQelStorage::RedirectReferences(
    std::int64_t from, std::int64_t to, const TQelKlasse* cls, std::set<std::int64_t>& owners)
{
    // Classes sharing a table share its columns: visit every table column once. A class's table
    // holds the columns of the fields it inherits from a base without a table of its own.
    std::set<std::pair<std::string, std::string>> done;
    int changed = 0;
    for (const TQelKlasse* k : db_->Schema().Classes()) {
        if (k->table.empty())
            continue;
        for (const TQelFelddefinition* f : k->Fields()) {
            if (f->type->Urtyp() != qelft::Reference)
                continue;
            if (f->refClass.Valid() && !cls->IsA(f->refClass.Id()))
                continue;
            if (!done.insert({ upper(k->table), upper(f->column) }).second)
                continue;
            {
                auto st
                    = Prepare("SELECT DISTINCT K FROM " + q(k->table) + " WHERE " + q(f->column) + " = ?");
                st.Bind(1, from);
                while (st.Step())
                    owners.insert(st.Int(0));
            }
            Prepare("UPDATE " + q(k->table) + " SET " + q(f->column) + " = ? WHERE " + q(f->column) + " = ?")
                .Bind(1, to)
                .Bind(2, from)
                .Run();
            changed += c_->Changes();
        }
    }
    return changed;
}

void TQelStorage::MarkChanged(const std::set<std::int64_t>& keys)
{
    const std::string stamp = now();
    for (std::int64_t key : keys) {
        int classId = 0;
        bool deleted = false;
        if (!ObjectRow(TQelObjectKey(static_cast<int>(key)), classId, deleted))
            continue;
        Prepare("UPDATE OBJEKT SET VERSION = VERSION + 1, GEAENDERT = ? WHERE K = ?")
            .Bind(1, stamp)
            .Bind(2, key)
            .Run();
        announce(ieStored, db_->Schema().Class(classId), key);
    }
}

bool TQelStorage::HasFlag(std::int64_t key, int nr)
{
    auto st = Prepare("SELECT 1 FROM QEL_MERKMAL WHERE K = ? AND NR = ?");
    st.Bind(1, key).Bind(2, static_cast<std::int64_t>(nr));
    return st.Step();
}

void TQelStorage::SetFlag(std::int64_t key, int nr, bool on)
{
    if (on)
        Prepare("INSERT INTO QEL_MERKMAL (K, NR) VALUES (?, ?) ON CONFLICT (K, NR) DO NOTHING")
            .Bind(1, key)
            .Bind(2, static_cast<std::int64_t>(nr))
            .Run();
    else
        Prepare("DELETE FROM QEL_MERKMAL WHERE K = ? AND NR = ?")
            .Bind(1, key)
            .Bind(2, static_cast<std::int64_t>(nr))
            .Run();
}

void TQelStorage::RemoveObject(TQelObjectKey key, const TQelKlasse* cls)
{
    const auto k = static_cast<std::int64_t>(key.Id());
    for (const auto* vd : cls->Vectors()) {
        const TQelKlasse* ec = vd->elementClass;
        std::vector<std::int64_t> rows;
        {
            auto q = Prepare("SELECT EK FROM " + ::q(ec->table) + " WHERE K = ? AND V = ? AND P = 0");
            q.Bind(1, k).Bind(2, vd->name);
            while (q.Step())
                rows.push_back(q.Int(0));
        }
        for (auto r : rows)
            removeElementTree(key, ec, vd->name, r);
    }
    for (std::int64_t id : storedContents(cls->table, "K", k, cls->Fields()))
        if (id > 0)
            removeContent(id);
    Prepare("DELETE FROM " + q(cls->table) + " WHERE K = ?").Bind(1, k).Run();
    Prepare("DELETE FROM OBJEKT WHERE K = ?").Bind(1, k).Run();
    Prepare("DELETE FROM QEL_SPERRE WHERE K = ?").Bind(1, k).Run();
    Prepare("DELETE FROM QEL_MERKMAL WHERE K = ?").Bind(1, k).Run();
    announce(ieGone, cls, k);
}
