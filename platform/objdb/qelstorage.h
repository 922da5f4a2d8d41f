#pragma once
// The store under a TQelDatabase: its connection (SQLite or PostgreSQL), the tables, and reading
// and writing objects. Internal to the library.
//
// Tables:
//   QEL_INFO(NAME, WERT)          format mark, change stamp, schema text and file name, the
//                                 highest object key reserved by a workstation
//   OBJEKT(K, KLASSE, GELOESCHT, ERSTELLT, GEAENDERT)   every object
//   QEL_SPERRE(K, SITZUNG, ZEIT)  object locks
//   <class table>(K, KLASSE, GELOESCHT, <field columns>)   one row per object; a class and the
//                                 classes derived from it share the table
//   <element table>(EK, K, V, P, NR, <field columns>)       one row per vector element: K the
//                                 object, V the vector path ("Adressen", "Adressen.Telefone"),
//                                 P the EK of the parent element (0 at the top), NR from 1
#include "objdb/qelconnection.h"
#include "objdb/qelfield.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

class TQelDatabase;
class TQelObject;
class TQelVector;
class TQelSubObject;
class TQelSchema;
struct TQelOpenOptions;

// A prepared statement from the cache, reset and unbound when the scope ends.
class TQelStmt {
public:
    explicit TQelStmt(TQelCursor* c)
        : c_(c)
    {
    }
    ~TQelStmt() { c_->Reset(); }
    TQelStmt(const TQelStmt&) = delete;
    TQelStmt& operator=(const TQelStmt&) = delete;
    TQelStmt& Bind(int i, const TQelValue& v)
    {
        c_->Bind(i, v);
        return *this;
    }
    TQelStmt& Bind(int i, std::int64_t v) { return Bind(i, TQelValue { v }); }
    TQelStmt& Bind(int i, const std::string& v) { return Bind(i, TQelValue { v }); }
    // True for a row, false at the end; throws TQelSQLError.
    bool Step() { return c_->Step(); }
    void Run() { Step(); }
    TQelValue Column(int i) const { return c_->Column(i); }
    std::int64_t Int(int i) const { return c_->Int(i); }
    double Real(int i) const { return c_->Real(i); }
    std::string Text(int i) const { return std::string(c_->Text(i)); }

private:
    TQelCursor* c_;
};

class TQelStorage {
public:
    explicit TQelStorage(TQelDatabase* db)
        : db_(db)
    {
    }
    ~TQelStorage();

    // Opens the file or the server database (a postgresql:// connection string); throws
    // TQelOpenError. Returns the schema text stored in it (empty for a new store) through
    // `schemaText`/`schemaFile`.
    void Open(
        const std::string& path, const TQelOpenOptions& o, std::string& schemaText, std::string& schemaFile);
    void Close();
    bool IsOpen() const { return c_ != nullptr; }
    TQelConnection& Connection() const { return *c_; }
    sqlite3* Handle() const { return c_ ? c_->SqliteHandle() : nullptr; }
    const std::string& Path() const { return path_; }

    TQelStmt Prepare(const std::string& sql);
    // The statement of a short key (a table and the columns a row write sets): `text` puts the
    // statement together only the first time the key is met.
    TQelStmt PrepareKeyed(const std::string& key, const std::function<std::string()>& text);
    void Exec(const std::string& sql);
    std::string ErrorText() const;

    // Creates missing tables and columns for `schema` and stores its text.
    void Install(const TQelSchema& schema);
    // The built-in schema part the file was last installed with ("" for files older than the
    // mark): a different one means the library's own tables need installing.
    const std::string& StoredBuiltinText() const { return builtinText_; }
    std::int64_t MaxKey();
    // Reserves `count` object keys for this connection alone and returns the first: workstations
    // on one store never give two new objects the same key. Runs in a transaction of its own
    // unless one is open; throws TQelSQLError.
    std::int64_t ReserveKeys(int count);
    int ChangeStamp();
    // Increments the stored stamp inside the running transaction; returns the new one.
    int NextChangeStamp();

    void Begin();
    void CommitTx();
    void RollbackTx();
    void Savepoint();
    void ReleaseSavepoint();
    void RollbackToSavepoint();

    // Objects.
    bool ObjectRow(TQelObjectKey key, int& classId, bool& deleted);
    // Class and deleted mark of every stored one of `keys` (a few statements for many keys).
    std::map<std::int64_t, std::pair<int, bool>> ObjectRows(const std::vector<std::int64_t>& keys);
    void LoadObject(TQelObject* obj);
    void LoadVector(TQelVector* v, TQelObjectKey key, std::int64_t parentRow);
    bool LoadBlob(const TQelField* f, TQelValue& out, std::string& error);
    // Writes inside the running transaction; elements that got rows are added to `newRows`.
    void WriteObject(TQelObject* obj, std::vector<TQelSubObject*>& newRows);
    void WriteDeleted(TQelObject* obj, bool deleted);
    // Marks many stored objects deleted (or not) with a few statements per class table.
    void WriteDeletedMany(const std::vector<std::pair<std::int64_t, const TQelKlasse*>>& rows, bool deleted);
    // Rewrites every stored reference to `from` held by a field that may refer to objects of `cls`
    // onto `to` (object and element tables); the objects whose rows changed are added to `owners`.
    // Returns how many references changed.
    int RedirectReferences(
        std::int64_t from, std::int64_t to, const TQelKlasse* cls, std::set<std::int64_t>& owners);
    // A new version for objects whose rows were changed without their own commit.
    void MarkChanged(const std::set<std::int64_t>& keys);
    // Object flags (numbered from 0 as the class defines them).
    bool HasFlag(std::int64_t key, int nr);
    void SetFlag(std::int64_t key, int nr, bool on);
    void RemoveObject(TQelObjectKey key, const TQelKlasse* cls);

    // Whether the content table marks the rows not yet stored (TQelFileStore); false only for a
    // store from before the mark that could not be given it.
    bool ContentMarks() const { return contentMarks_; }
    void SetContentMarks(bool v) { contentMarks_ = v; }

private:
    void insertRow(const std::string& table, const std::vector<std::pair<std::string, TQelValue>>& fixed,
        TQelFieldList* fl);
    // Writes the touched fields (and `extra`) of a row; nothing when there is nothing to write.
    void updateRow(const std::string& table, const std::string& keyColumn, std::int64_t key,
        TQelFieldList* fl, const std::pair<std::string, TQelValue>* extra);
    // Moves a stored object's version inside the running transaction and gives the new one;
    // throws TQelLockedError or TQelConflictError when it is refused. True when the class row's
    // touched fields were written with it.
    bool moveVersion(TQelObject* obj, const std::string& stamp, std::int64_t& version);
    void writeVector(
        TQelObjectKey key, TQelVector* v, std::int64_t parentRow, std::vector<TQelSubObject*>& newRows);
    // Contents of the file fields just written: see the .cpp. `before` holds what the row
    // referred to before the write, in the order of the file fields among `fields`.
    void contentsWritten(const std::vector<TQelField*>& fields, const std::vector<std::int64_t>& before);
    void removeContent(std::int64_t id);
    // The contents the row refers to through the file fields among `defs`, in their order.
    std::vector<std::int64_t> storedContents(const std::string& table, const std::string& keyColumn,
        std::int64_t key, const std::vector<const TQelFelddefinition*>& defs);
    void removeElementTree(
        TQelObjectKey key, const TQelKlasse* cls, const std::string& path, std::int64_t row);
    void readFields(TQelFieldList* fl, TQelStmt& st, int firstCol);
    std::string selectColumns(const TQelKlasse* cls) const;
    void ensureTable(
        const std::string& table, bool element, const std::vector<const TQelFelddefinition*>& cols);
    std::string now() const;

    std::string type(const TQelFelddefinition* def) const;
    // Tells the other workstations of a change when the running transaction commits.
    void announce(int event, const TQelKlasse* cls, std::int64_t key);
    void openSqlite(const std::string& path, const TQelOpenOptions& o, bool& fresh);

    TQelDatabase* db_;
    std::unique_ptr<TQelConnection> c_;
    std::string path_;
    std::map<std::string, std::unique_ptr<TQelCursor>> cache_;
    std::unordered_map<std::string, TQelCursor*> keyed_; // statements of cache_ by their key
    // Changes of the running transaction, told to the other workstations just before it commits
    // (with the stamp it moved to); a rolled-back savepoint drops the ones it made.
    std::vector<TQelRemoteChange> pending_;
    std::size_t savepointMark_ = 0;
    int txStamp_ = 0;
    int session_ = 0; // the connection's session, read when the transaction began
    int savepointDepth_ = 0;
    std::string builtinText_;
    bool contentMarks_ = true;
};

// Declared SQL type of a field's column.
std::string QelColumnType(const TQelFelddefinition* def);
