#pragma once
// TQelDatabase: one open object store in an SQLite file (or ":memory:"). It owns every object in
// memory (one per key), the schema, the log manager and the timer tasks.
#include "objdb/qelkeys.h"
#include "objdb/qelnotify.h"
#include "objdb/qelschema.h"
#include "objdb/qelsettings.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
class TQelObject;
class TQelSQLEngine;
class TQelSQLDialect;
class TQelStorage;
class TQelLogManager;
class TQelTimerTasks;
class TQelAnsichtLib;

struct TQelOpenOptions {
    // Schema for a new file, or a newer schema for an existing one (new classes, tables and
    // columns are added). Empty: an existing file uses the schema stored in it.
    std::string schemaText;
    std::string schemaFile = "schema";
    bool create = false; // create the file when it is missing
    bool readOnly = false; // open without writing; commits fail
    int busyTimeoutMs = 2000;
    std::string computerName; // empty: the host name
    std::string userName; // empty: the login name
    std::string partitionName = "Standard";
    // How often changes committed by other workstations (or other processes on the same SQLite
    // file) are looked for (milliseconds, through the timer tasks, on the thread that runs them);
    // 0: only when ReceiveChanges is called.
    int remotePollMs = 20;
};

class TQelDatabase {
public:
    using TInstanceHandler
        = std::function<void(int event, TQelClassKey cls, TQelObjectKey key, TQelObject* obj)>;
    using TDatabaseHandler = std::function<void(int event, TQelDatabase* db)>;

    TQelDatabase();
    ~TQelDatabase();
    TQelDatabase(const TQelDatabase&) = delete;
    TQelDatabase& operator=(const TQelDatabase&) = delete;

    // Opens (or with options.create creates) the store; throws TQelOpenError naming the file and
    // the cause (missing, not SQLite, no object database, read-only, locked, bad schema).
    void Open(const std::string& path, const TQelOpenOptions& options = {});
    void Close();
    // Open and schema loaded.
    bool Initialized() const { return schema_ != nullptr; }
    const std::string& FileName() const { return path_; }
    bool ReadOnly() const { return readOnly_; }
    const TQelSchema& Schema() const { return *schema_; }
    const TQelKlasse* Klasse(TQelClassKey key) const;
    const TQelKlasse* FindClass(const std::string& name) const;
    const TQelFeldtyp* Feldtyp(TQelFieldKey key) const;

    bool Debug() const { return debug_; }
    void set_Debug(bool v) { debug_ = v; }

    // Objects. GetObjectA loads a stored object (none when the key is unknown or removed).
    TQelObject* GetObjectA(TQelObjectKey key);
    // The object when it is in memory; never loads.
    TQelObject* CachedObject(TQelObjectKey key) const;
    std::vector<TQelObject*> CachedObjects() const;
    // A new object of a concrete object class; stored by its first Commit. None for an abstract
    // class, a vector class or an unknown key.
    TQelObject* CreateObject(TQelClassKey cls);
    // Drops an object from memory (a new one is gone for good); its targets hear 0x8504.
    void FreeObject(TQelObject* obj, int reserved = 0);
    // Removes a stored object for good (with its elements); a new one is freed. `force` also
    // removes an object that is not marked deleted.
    bool DeleteObject(TQelObjectKey key, bool force = false);
    // New objects not yet stored, oldest first.
    std::vector<TQelObject*> NewObjects() const;
    std::int64_t CountObjects(bool withDeleted = false) const;

    // SQL.
    std::unique_ptr<TQelSQLEngine> CreateSQLEngine();
    std::unique_ptr<TQelSQLDialect> CreateSQLDialect() const;

    // Object transactions: commits inside one are written together by CommitTransaction; their
    // objects count as stored only then (RollbackTransaction leaves them touched). The group is
    // written whole or not at all: while a member's last commit in it was refused (and the member
    // is still in memory), CommitTransaction writes nothing, rolls the transaction back and
    // returns false.
    void StartTransaction();
    bool CommitTransaction();
    void RollbackTransaction();
    bool InTransaction() const { return transactionDepth_ > 0; }

    // Followers: objects stored together with an owner (a new document with the object it was
    // added to). A commit of the owner, even one with nothing of its own to write, also writes
    // each follower that is new or touched, in the same transaction; it fails (and writes none of
    // them) when a follower cannot be stored. A follower has one owner; freeing either ends it.
    void SetCommitOwner(TQelObjectKey follower, TQelObjectKey owner);
    TQelObjectKey CommitOwner(TQelObjectKey follower) const;

    // Moves with every commit that wrote data (and is stored in the file).
    int ChangeStamp() const { return changeStamp_; }
    // Now, as days since 1899-12-30 (local time).
    double TimeStamp() const;
    int SessionNumber() const { return session_; }

    // Settings.
    TQelComputer* Computer();
    TQelUser* User();
    TQelPartition* Partition();
    TQelSettingsObject* SettingsObject(TQelSettingsLevel level);
    std::string GetSettings(TQelSettingsLevel level, const std::string& name);
    // Stores at once (the owner is committed). Throws TQelError when there are no settings or the
    // name cannot name a setting (TQelNameWertVector::NameError).
    void SetSetting(TQelSettingsLevel level, const std::string& name, const std::string& value);

    // Adds `value` to a choice domain for good: to the domain of field type `type` when it is
    // valid, else to the own domain of `def`. Kept in the database's settings and applied again
    // when the file is opened. False (with LastDomainError) when it cannot be stored.
    bool ExtendDomain(const TQelFelddefinition* def, TQelFieldKey type, const std::string& value);
    const std::string& LastDomainError() const { return domainError_; }

    // Notifications.
    int SubscribeInstanceNotification(TQelClassKey cls, TInstanceHandler handler, int mask = ieAll);
    void CancelSubscription(int id);
    int StartNotification(TDatabaseHandler handler);
    void StopNotification(int id);
    // Sent by objects (and by the store).
    void NotifyInstance(int event, const TQelObject* obj);
    void NotifyInstance(int event, TQelClassKey cls, TQelObjectKey key);
    void NotifyDatabase(int event);
    // Takes in the changes other workstations committed since the last call: objects in memory
    // that are not touched here are read again, and every change is sent as the same instance
    // notification a local commit sends. Returns how many arrived. Cheap when nothing arrived (on
    // SQLite only the file's data version is read): the timer tasks call it every remotePollMs,
    // the UI may call it whenever it is idle or NotifySocket is readable.
    int ReceiveChanges();
    // A file descriptor that becomes readable when other workstations commit (the server
    // connection's socket); -1 when there is none (SQLite: look when idle).
    int NotifySocket() const;

    // The stored views (created on first use, freed on Close); null while no store is open.
    TQelAnsichtLib* Ansichten();

    TQelLogManager* LogManager() const { return log_.get(); }
    TQelTimerTasks* TimerTasks() const { return timers_.get(); }

    // The SQLite handle, for programs that read the store beside the library (benchmark anchors,
    // tests of the stored rows).
    sqlite3* Handle() const;

private:
    // Internals shared by the units of the library, and only by them.
    friend class TQelObjectInterface;
    friend class TQelObject;
    friend class TQelVector;
    friend class TQelBlobField;
    friend class TQelFileStore;
    friend class TQelDokument;
    friend class TQelObjectKey;
    friend class TQelStorage;
    friend class TQelSQLEngine;
    friend class TQelSQLQuery;
    friend class TQelQuery;
    friend class TQelObjectCommands;
    TQelStorage& Storage() const { return *storage_; }
    TQelObjectKey AllocateKey();
    bool CommitObject(TQelObject* obj);
    // Commits one object; inside a transaction it notes whether the object was refused.
    bool commitSingle(TQelObject* obj);
    bool writeSingle(TQelObject* obj);
    // Re-reads the change stamp after a write and tells the database handlers.
    void StampMoved();

    TQelObject* makeObject(const TQelKlasse* cls, TQelObjectKey key, bool isNew);
    TQelSettingsObject* settingsObject(int classId, const std::string& name);
    void freeAll();
    void applyDomainExtensions();

    std::string path_;
    bool readOnly_ = false;
    bool debug_ = false;
    std::unique_ptr<TQelSchema> schema_;
    std::unique_ptr<TQelStorage> storage_;
    std::unique_ptr<TQelLogManager> log_;
    std::unique_ptr<TQelTimerTasks> timers_;
    std::map<int, std::unique_ptr<TQelObject>> objects_;
    std::unordered_map<int, int> commitOwners_; // follower key -> owner key
    std::vector<TQelObject*> newObjects_;
    std::int64_t nextKey_ = 1;
    std::int64_t keyBlockEnd_ = 0; // last key of the block reserved in a shared store
    int changeStamp_ = 0;
    int session_ = 0;
    int transactionDepth_ = 0;
    std::set<int> refusedInTransaction_; // keys of members whose last commit was refused
    bool receiving_ = false;
    bool stampMovedInTransaction_ = false;
    struct Snapshot;
    std::vector<std::unique_ptr<Snapshot>> deferred_;
    std::unordered_map<int, Snapshot*> deferredByKey_;
    Snapshot* snapshotOf(TQelObject* obj);
    void accept(TQelObject* obj, bool notify);
    TQelOpenOptions options_;
    std::map<int, std::pair<TQelClassKey, std::pair<int, TInstanceHandler>>> instanceSubs_;
    std::map<int, TDatabaseHandler> dbSubs_;
    int nextSubscription_ = 1;
    std::map<std::pair<int, std::string>, TQelSettingsObject*> settingsObjects_;
    std::string domainError_;
    std::unique_ptr<TQelAnsichtLib> views_;
    void pollChanges();
};
