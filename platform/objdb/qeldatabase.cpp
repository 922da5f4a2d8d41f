#include "objdb/qeldatabase.h"
#include "objdb/qelblobstream.h"
#include "objdb/qeldocuments.h"

#include "objdb/qelerror.h"
#include "objdb/qellog.h"
#include "objdb/qelobject.h"
#include "objdb/qelsql.h"
#include "objdb/qelstorage.h"
#include "objdb/qeltimertasks.h"
#include "objdb/qelvector.h"
#include "objdb/qelview.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <set>
#include <unistd.h>

namespace {

TQelDatabase* gCurrent = nullptr;

std::string hostName()
{
    char buf[256] = {};
    if (gethostname(buf, sizeof buf - 1) == 0 && buf[0])
        return buf;
    return "localhost";
}

std::string loginName()
{
    for (const char* var : { "USER", "LOGNAME" })
        if (const char* v = std::getenv(var); v && *v)
            return v;
    return "benutzer";
}

} // namespace

TQelDatabase* QelDatabase()
{
    return gCurrent;
}

void SetQelDatabase(TQelDatabase* db)
{
    gCurrent = db;
}

// State of an object before a commit inside a transaction, restored when the transaction is
// rolled back (the object is touched again, new ones are new again).
struct TQelDatabase::Snapshot {
    TQelObjectKey key;
    std::weak_ptr<bool> alive;
    bool wasNew = false;
    TQelObject* object = nullptr; // valid while `alive`
    std::int64_t version = 0; // the stored version before the transaction
    struct FieldState {
        TQelField* f;
        std::weak_ptr<bool> alive;
        TQelValue stored;
    };
    struct VectorState {
        TQelVector* v;
        std::weak_ptr<bool> alive;
        std::vector<std::int64_t> rows;
        bool structureTouched;
    };
    struct ElementState {
        TQelSubObject* e;
        std::weak_ptr<bool> alive;
        std::int64_t row;
    };
    std::vector<FieldState> fields;
    std::vector<VectorState> vectors;
    std::vector<ElementState> elements;

    void capture(TQelFieldList* fl)
    {
        captureFields(fl, nullptr);
        for (int i = 1; i <= fl->VectorCount(); ++i) {
            TQelVector* v = fl->Vector(i);
            vectors.push_back({ v, v->LifeToken(), v->storedRows_, v->structureTouched_ });
            for (int j = 1; j <= v->Count(); ++j) {
                TQelSubObject* e = v->Item(j);
                elements.push_back({ e, e->LifeToken(), e->Row() });
                capture(e->FieldList());
            }
        }
    }

    // A commit changes the stored values of the touched fields only: those are kept. Another
    // commit of the object in the same transaction adds the fields it touches (`held`: the ones
    // kept already).
    void captureFields(TQelFieldList* fl, const std::set<TQelField*>* held)
    {
        for (int i = 1; i <= fl->FieldCount(); ++i) {
            TQelField* f = fl->Field(i);
            if (f->Writable() && f->Touched() && !(held && held->count(f)))
                fields.push_back({ f, f->LifeToken(), f->StoredValue() });
        }
        for (int i = 1; i <= fl->VectorCount(); ++i) {
            TQelVector* v = fl->Vector(i);
            for (int j = 1; j <= v->Count(); ++j)
                if (held)
                    captureFields(v->Item(j)->FieldList(), held);
        }
    }

    void captureMore(TQelFieldList* fl)
    {
        std::set<TQelField*> held;
        for (const FieldState& s : fields)
            held.insert(s.f);
        captureFields(fl, &held);
    }

    void restore()
    {
        if (object && !alive.expired())
            object->SetVersion(version);
        for (auto& s : fields)
            if (!s.alive.expired())
                s.f->SetStoredValue(s.stored);
        for (auto& s : vectors)
            if (!s.alive.expired()) {
                s.v->storedRows_ = s.rows;
                s.v->structureTouched_ = s.structureTouched;
            }
        for (auto& s : elements)
            if (!s.alive.expired())
                s.e->SetRow(s.row);
    }
};

TQelDatabase::TQelDatabase()
    : storage_(std::make_unique<TQelStorage>(this))
    , log_(std::make_unique<TQelLogManager>())
    , timers_(std::make_unique<TQelTimerTasks>())
{
}

TQelAnsichtLib* TQelDatabase::Ansichten()
{
    if (!Initialized())
        return nullptr;
    if (!views_)
        views_ = std::make_unique<TQelAnsichtLib>(this);
    return views_.get();
}

TQelDatabase::~TQelDatabase()
{
    Close();
    if (gCurrent == this)
        gCurrent = nullptr;
}

void TQelDatabase::Open(const std::string& path, const TQelOpenOptions& options)
{
    Close();
    std::string storedText, storedFile;
    storage_->Open(path, options, storedText, storedFile);
    const bool fresh = storedText.empty() && storedFile.empty();
    try {
        std::unique_ptr<TQelSchema> schema;
        if (!options.schemaText.empty())
            schema = TQelSchema::Load(options.schemaText, options.schemaFile);
        else
            schema = TQelSchema::Load(storedText, storedFile.empty() ? path + " (Schema)" : storedFile);
        const bool changed = fresh || (!options.schemaText.empty() && options.schemaText != storedText)
            || storage_->StoredBuiltinText() != TQelSchema::BuiltinText();
        if (changed && !options.readOnly)
            storage_->Install(*schema);
        schema_ = std::move(schema);
        nextKey_ = storage_->MaxKey() + 1;
        keyBlockEnd_ = 0;
        changeStamp_ = storage_->ChangeStamp();
    } catch (const TQelSchemaError& e) {
        storage_->Close();
        throw TQelOpenError(QelHidePassword(path), std::string("Schema fehlerhaft: ") + e.what());
    } catch (const TQelSQLError& e) {
        storage_->Close();
        const std::string msg = e.what();
        const bool busy = msg.find("locked") != std::string::npos;
        throw TQelOpenError(
            QelHidePassword(path), busy ? "von einem anderen Prozess gesperrt (" + msg + ")" : msg);
    }
    path_ = QelHidePassword(path); // shown in messages: never with a password
    readOnly_ = options.readOnly;
    options_ = options;
    session_ = storage_->Connection().SessionId();
    if (!readOnly_) {
        // Contents of imports whose program was killed before it committed them.
        try {
            TQelFileStore(this).RemoveOrphans();
        } catch (const std::exception& e) {
            log_->Write(QEL_LOG_ERROR, std::string("Verwaiste Dokumentinhalte: ") + e.what());
        }
    }
    applyDomainExtensions();
    NotifyDatabase(deSchemaChanged);
    if (options.remotePollMs > 0 && storage_->Connection().Shared())
        pollChanges();
}

void TQelDatabase::pollChanges()
{
    timers_->Start(TQelTimerEvent { this, 1,
                       [this](TQelTaskId, std::intptr_t) {
                           ReceiveChanges();
                           if (Initialized())
                               pollChanges();
                       } },
        options_.remotePollMs);
}

int TQelDatabase::NotifySocket() const
{
    return Initialized() ? storage_->Connection().NotifySocket() : -1;
}

int TQelDatabase::ReceiveChanges()
{
    // A handler that runs an event loop (a message box) must not take in later changes before
    // the earlier ones are all told.
    if (!Initialized() || receiving_)
        return 0;
    struct TReceiving {
        bool& flag;
        ~TReceiving() { flag = false; }
    } receiving { receiving_ = true };
    std::vector<TQelRemoteChange> changes;
    try {
        changes = storage_->Connection().Arrived();
    } catch (const std::exception& e) {
        log_->Write(QEL_LOG_ERROR, std::string("ReceiveChanges: ") + e.what());
        return 0;
    }
    for (const TQelRemoteChange& ch : changes) {
        const TQelObjectKey key(static_cast<int>(ch.key));
        TQelObject* obj = CachedObject(key);
        if (obj && !obj->IsNew()) {
            if (ch.event == ieGone) {
                FreeObject(obj); // tells ieGone itself
                continue;
            }
            if (ch.event == ieDeleted || ch.event == ieRecovered)
                obj->SetStoredState(false, ch.event == ieDeleted);
            // What the user changed here stays; their commit then meets the newer version.
            if (!obj->Touched())
                obj->Reload();
        }
        NotifyInstance(ch.event, TQelClassKey(ch.classId), key);
    }
    if (!changes.empty())
        StampMoved();
    return static_cast<int>(changes.size());
}

void TQelDatabase::Close()
{
    if (!schema_ && !storage_->IsOpen())
        return;
    if (schema_)
        NotifyDatabase(deClosing);
    // The views hold subscriptions and look at objects: they go before the objects do.
    views_.reset();
    if (transactionDepth_ > 0) {
        storage_->RollbackTx();
        transactionDepth_ = 0;
        deferred_.clear();
        deferredByKey_.clear();
    }
    timers_->StopAllOf(this);
    freeAll();
    storage_->Close();
    schema_.reset();
    path_.clear();
}

void TQelDatabase::freeAll()
{
    settingsObjects_.clear();
    newObjects_.clear();
    commitOwners_.clear();
    // Objects leave one by one so that each one's targets hear 0x8504 while the others still exist.
    while (!objects_.empty()) {
        auto it = objects_.begin();
        std::unique_ptr<TQelObject> obj = std::move(it->second);
        objects_.erase(it);
        obj.reset();
    }
}

const TQelKlasse* TQelDatabase::Klasse(TQelClassKey key) const
{
    return schema_ ? schema_->Class(key.Id()) : nullptr;
}

const TQelKlasse* TQelDatabase::FindClass(const std::string& name) const
{
    return schema_ ? schema_->ClassByName(name) : nullptr;
}

const TQelFeldtyp* TQelDatabase::Feldtyp(TQelFieldKey key) const
{
    return schema_ ? schema_->FieldType(key.Id()) : nullptr;
}

TQelObject* TQelDatabase::makeObject(const TQelKlasse* cls, TQelObjectKey key, bool isNew)
{
    std::unique_ptr<TQelObject> obj;
    if (cls->IsA(qelcls::Computer))
        obj = std::make_unique<TQelComputer>(this, cls, key, isNew);
    else if (cls->IsA(qelcls::Benutzer))
        obj = std::make_unique<TQelUser>(this, cls, key, isNew);
    else if (cls->IsA(qelcls::Partition))
        obj = std::make_unique<TQelPartition>(this, cls, key, isNew);
    else if (cls->IsA(qelcls::Einstellungen))
        obj = std::make_unique<TQelSettingsObject>(this, cls, key, isNew);
    else if (cls->IsA(qelcls::Dokument))
        obj = std::make_unique<TQelDokument>(this, cls, key, isNew);
    else
        obj = std::make_unique<TQelObject>(this, cls, key, isNew);
    TQelObject* raw = obj.get();
    objects_[key.Id()] = std::move(obj);
    return raw;
}

TQelObject* TQelDatabase::CachedObject(TQelObjectKey key) const
{
    auto it = objects_.find(key.Id());
    return it == objects_.end() ? nullptr : it->second.get();
}

std::vector<TQelObject*> TQelDatabase::CachedObjects() const
{
    std::vector<TQelObject*> out;
    for (const auto& [k, o] : objects_)
        out.push_back(o.get());
    return out;
}

TQelObject* TQelDatabase::GetObjectA(TQelObjectKey key)
{
    if (!key.Valid() || !Initialized())
        return nullptr;
    if (TQelObject* o = CachedObject(key))
        return o;
    try {
        int classId = 0;
        bool deleted = false;
        if (!storage_->ObjectRow(key, classId, deleted))
            return nullptr;
        const TQelKlasse* cls = schema_->Class(classId);
        if (!cls || cls->table.empty())
            return nullptr;
        TQelObject* obj = makeObject(cls, key, false);
        obj->SetStoredState(false, deleted);
        try {
            storage_->LoadObject(obj);
        } catch (...) {
            objects_.erase(key.Id());
            throw;
        }
        NotifyInstance(ieLoaded, obj);
        return CachedObject(key);
    } catch (const std::exception& e) {
        log_->Write(QEL_LOG_ERROR, "GetObjectA(" + key.ToString() + "): " + e.what());
        return nullptr;
    }
}

TQelObject* TQelDatabase::CreateObject(TQelClassKey clsKey)
{
    const TQelKlasse* cls = Klasse(clsKey);
    if (!cls || cls->abstract || !cls->IsObjectClass() || cls->table.empty())
        return nullptr;
    TQelObject* obj = makeObject(cls, AllocateKey(), true);
    obj->FieldList()->ApplyDefaults();
    newObjects_.push_back(obj);
    NotifyInstance(ieLoaded, obj);
    return obj;
}

TQelObjectKey TQelDatabase::AllocateKey()
{
    // On a store other workstations write to, keys come from a block reserved in the store.
    if (nextKey_ > keyBlockEnd_ && !readOnly_ && storage_->Connection().Shared()) {
        const int block = 64;
        try {
            nextKey_ = storage_->ReserveKeys(block);
            keyBlockEnd_ = nextKey_ + block - 1;
        } catch (const std::exception& e) {
            log_->Write(QEL_LOG_ERROR, std::string("AllocateKey: ") + e.what());
        }
    }
    return TQelObjectKey(static_cast<int>(nextKey_++));
}

void TQelDatabase::FreeObject(TQelObject* obj, int)
{
    if (!obj)
        return;
    auto it = objects_.find(obj->Key().Id());
    if (it == objects_.end() || it->second.get() != obj)
        return;
    const TQelClassKey cls = obj->ClassKey();
    const TQelObjectKey key = obj->Key();
    commitOwners_.erase(key.Id());
    refusedInTransaction_.erase(key.Id()); // no longer a member of a running group
    for (auto f = commitOwners_.begin(); f != commitOwners_.end();)
        f = f->second == key.Id() ? commitOwners_.erase(f) : std::next(f);
    newObjects_.erase(std::remove(newObjects_.begin(), newObjects_.end(), obj), newObjects_.end());
    for (auto s = settingsObjects_.begin(); s != settingsObjects_.end();)
        s = s->second == obj ? settingsObjects_.erase(s) : std::next(s);
    std::unique_ptr<TQelObject> gone = std::move(it->second);
    objects_.erase(it);
    gone.reset();
    NotifyInstance(ieGone, cls, key);
}

bool TQelDatabase::DeleteObject(TQelObjectKey key, bool force)
{
    TQelObject* obj = CachedObject(key);
    if (obj && obj->IsNew()) {
        FreeObject(obj);
        return true;
    }
    if (!Initialized() || readOnly_)
        return false;
    int classId = 0;
    bool deleted = false;
    if (!storage_->ObjectRow(key, classId, deleted))
        return false;
    const TQelKlasse* cls = schema_->Class(classId);
    if (!cls || (!deleted && !force)) {
        if (obj)
            obj->SetErrorMessage("Nur gelöschte Objekte können endgültig entfernt werden.");
        return false;
    }
    const bool own = !InTransaction();
    try {
        if (own)
            storage_->Begin();
        storage_->RemoveObject(key, cls);
        storage_->NextChangeStamp();
        if (own)
            storage_->CommitTx();
    } catch (const std::exception& e) {
        if (own)
            storage_->RollbackTx();
        if (obj)
            obj->SetErrorMessage(std::string("Entfernen fehlgeschlagen: ") + e.what());
        log_->Write(QEL_LOG_ERROR, "DeleteObject(" + key.ToString() + "): " + e.what());
        return false;
    }
    if (obj)
        FreeObject(obj);
    else
        NotifyInstance(ieGone, TQelClassKey(classId), key);
    StampMoved();
    return true;
}

std::vector<TQelObject*> TQelDatabase::NewObjects() const
{
    return newObjects_;
}

std::int64_t TQelDatabase::CountObjects(bool withDeleted) const
{
    if (!Initialized())
        return 0;
    auto q = storage_->Prepare(
        withDeleted ? "SELECT COUNT(*) FROM OBJEKT" : "SELECT COUNT(*) FROM OBJEKT WHERE GELOESCHT = 0");
    q.Step();
    return q.Int(0);
}

std::unique_ptr<TQelSQLEngine> TQelDatabase::CreateSQLEngine()
{
    if (!Initialized())
        return nullptr;
    return std::make_unique<TQelSQLEngine>(this);
}

std::unique_ptr<TQelSQLDialect> TQelDatabase::CreateSQLDialect() const
{
    if (storage_->IsOpen())
        return std::make_unique<TQelSQLDialect>(storage_->Connection().NulSpelling());
    return std::make_unique<TQelSQLDialect>();
}

sqlite3* TQelDatabase::Handle() const
{
    return storage_->Handle();
}

double TQelDatabase::TimeStamp() const
{
    std::time_t t = std::time(nullptr);
    std::tm tm {};
    localtime_r(&t, &tm);
    return QelToday() + (tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec) / 86400.0;
}

void TQelDatabase::StampMoved()
{
    if (Initialized())
        changeStamp_ = storage_->ChangeStamp();
    if (!InTransaction())
        NotifyDatabase(deCommitted);
}

// --- commit -----------------------------------------------------------------------------------

namespace {

std::string firstInvalid(TQelFieldList* fl)
{
    for (int i = 1; i <= fl->FieldCount(); ++i)
        if (std::string why = fl->Field(i)->ValidityError(); !why.empty())
            return why;
    for (int i = 1; i <= fl->VectorCount(); ++i) {
        TQelVector* v = fl->Vector(i);
        if (v->MaxCount() > 0 && v->Count() > v->MaxCount())
            return "Vektor '" + v->VectorName() + "' hat mehr als " + std::to_string(v->MaxCount())
                + " Elemente";
        for (int j = 1; j <= v->Count(); ++j)
            if (std::string why = firstInvalid(v->Item(j)->FieldList()); !why.empty())
                return v->VectorName() + "[" + std::to_string(j - 1) + "]: " + why;
    }
    return {};
}

} // namespace

void TQelDatabase::SetCommitOwner(TQelObjectKey follower, TQelObjectKey owner)
{
    if (!owner.Valid() || owner == follower)
        commitOwners_.erase(follower.Id());
    else
        commitOwners_[follower.Id()] = owner.Id();
}

TQelObjectKey TQelDatabase::CommitOwner(TQelObjectKey follower) const
{
    auto it = commitOwners_.find(follower.Id());
    return it == commitOwners_.end() ? TQelObjectKey() : TQelObjectKey(it->second);
}

bool TQelDatabase::CommitObject(TQelObject* obj)
{
    std::vector<TQelObject*> followers;
    for (const auto& [follower, owner] : commitOwners_) {
        if (owner != obj->Key().Id())
            continue;
        TQelObject* f = CachedObject(TQelObjectKey(follower));
        if (f && f != obj && !f->Deleted() && (f->IsNew() || f->Touched()))
            followers.push_back(f);
    }
    if (followers.empty())
        return commitSingle(obj);
    // Stored in key order, so that the outcome does not depend on the map's order.
    std::sort(followers.begin(), followers.end(),
        [](const TQelObject* a, const TQelObject* b) { return a->Key().Id() < b->Key().Id(); });
    const bool own = !InTransaction();
    if (own) {
        try {
            StartTransaction();
        } catch (const std::exception& e) {
            obj->SetErrorMessage("'" + obj->Name() + "' kann nicht gespeichert werden: " + e.what());
            return false;
        }
    }
    bool ok = commitSingle(obj);
    for (TQelObject* f : followers) {
        if (!ok)
            break;
        if (!commitSingle(f)) {
            obj->SetErrorMessage(f->ErrorMessage());
            ok = false;
        }
    }
    if (!own)
        return ok;
    if (!ok) {
        const std::string why = obj->ErrorMessage();
        RollbackTransaction();
        obj->SetErrorMessage(why);
        return false;
    }
    if (!CommitTransaction()) {
        obj->SetErrorMessage("'" + obj->Name() + "' kann nicht gespeichert werden.");
        return false;
    }
    return true;
}

bool TQelDatabase::commitSingle(TQelObject* obj)
{
    const bool ok = writeSingle(obj);
    if (InTransaction()) {
        if (ok)
            refusedInTransaction_.erase(obj->Key().Id());
        else
            refusedInTransaction_.insert(obj->Key().Id());
    }
    return ok;
}

bool TQelDatabase::writeSingle(TQelObject* obj)
{
    obj->SetErrorMessage("");
    if (!Initialized()) {
        obj->SetErrorMessage("Die Datenbank ist nicht geöffnet.");
        return false;
    }
    if (readOnly_) {
        obj->SetErrorMessage(path_ + ": die Datenbank ist nur zum Lesen geöffnet.");
        return false;
    }
    if (std::string why = firstInvalid(obj->FieldList()); !why.empty()) {
        obj->SetErrorMessage("'" + obj->Name() + "' kann nicht gespeichert werden: " + why);
        return false;
    }
    if (!obj->Touched())
        return true;
    // Another session's lock refuses the write: the store checks it as it moves the version.
    const bool own = !InTransaction();
    // Inside a transaction the stored state must be restorable until the transaction ends.
    std::unique_ptr<Snapshot> snap;
    if (Snapshot* held = own ? nullptr : snapshotOf(obj))
        held->captureMore(obj->FieldList());
    else if (!own) {
        snap = std::make_unique<Snapshot>();
        snap->key = obj->Key();
        snap->alive = obj->LifeToken();
        snap->wasNew = obj->IsNew();
        snap->object = obj;
        snap->version = obj->Version();
        snap->capture(obj->FieldList());
    }
    std::vector<TQelSubObject*> newRows;
    try {
        if (own)
            storage_->Begin();
        else
            storage_->Savepoint();
        storage_->WriteObject(obj, newRows);
        if (own || !stampMovedInTransaction_)
            storage_->NextChangeStamp();
        if (own)
            storage_->CommitTx();
        else
            storage_->ReleaseSavepoint();
    } catch (const std::exception& e) {
        if (own)
            storage_->RollbackTx();
        else
            storage_->RollbackToSavepoint();
        for (TQelSubObject* e2 : newRows)
            e2->SetRow(0);
        if (dynamic_cast<const TQelLockedError*>(&e)) {
            obj->SetErrorMessage(e.what());
            return false;
        }
        const bool conflict = dynamic_cast<const TQelConflictError*>(&e) != nullptr;
        obj->SetConflict(conflict);
        obj->SetErrorMessage(conflict ? std::string(e.what())
                                      : "'" + obj->Name() + "' kann nicht gespeichert werden ("
                    + (path_.empty() ? ":memory:" : path_) + "): " + e.what());
        return false;
    }
    obj->SetConflict(false);
    if (own) {
        accept(obj, true);
        StampMoved();
    } else {
        accept(obj, false);
        stampMovedInTransaction_ = true;
        if (snap) {
            deferredByKey_[obj->Key().Id()] = snap.get();
            deferred_.push_back(std::move(snap));
        }
    }
    return true;
}

TQelDatabase::Snapshot* TQelDatabase::snapshotOf(TQelObject* obj)
{
    auto it = deferredByKey_.find(obj->Key().Id());
    return it != deferredByKey_.end() && !it->second->alive.expired() ? it->second : nullptr;
}

void TQelDatabase::accept(TQelObject* obj, bool notify)
{
    const bool wasNew = obj->IsNew();
    obj->AcceptStored();
    newObjects_.erase(std::remove(newObjects_.begin(), newObjects_.end(), obj), newObjects_.end());
    if (!notify)
        return;
    std::weak_ptr<bool> alive = obj->LifeToken();
    obj->Notify(WM_ODB_OISTORED);
    if (!alive.expired())
        NotifyInstance(wasNew ? ieCreated : ieStored, obj);
}

void TQelDatabase::StartTransaction()
{
    if (!Initialized())
        throw TQelError("Die Datenbank ist nicht geöffnet.");
    if (transactionDepth_++ == 0) {
        stampMovedInTransaction_ = false;
        refusedInTransaction_.clear();
        try {
            storage_->Begin();
        } catch (...) {
            transactionDepth_ = 0;
            throw;
        }
    }
}

bool TQelDatabase::CommitTransaction()
{
    if (transactionDepth_ == 0)
        return false;
    if (transactionDepth_ > 1) {
        --transactionDepth_;
        return true;
    }
    if (!refusedInTransaction_.empty()) {
        log_->Write(QEL_LOG_ERROR,
            "CommitTransaction: " + std::to_string(refusedInTransaction_.size())
                + " Objekt(e) der Transaktion nicht gespeichert; die Transaktion wird zurückgesetzt.");
        RollbackTransaction();
        return false;
    }
    transactionDepth_ = 0;
    try {
        storage_->CommitTx();
    } catch (const std::exception& e) {
        log_->Write(QEL_LOG_ERROR, std::string("CommitTransaction: ") + e.what());
        storage_->RollbackTx();
        keyBlockEnd_ = 0;
        for (auto& s : deferred_)
            if (!s->alive.expired())
                s->restore();
        deferred_.clear();
        deferredByKey_.clear();
        return false;
    }
    std::vector<std::unique_ptr<Snapshot>> done;
    done.swap(deferred_);
    deferredByKey_.clear();
    for (auto& s : done) {
        if (s->alive.expired())
            continue;
        TQelObject* obj = CachedObject(s->key);
        if (!obj)
            continue;
        std::weak_ptr<bool> alive = obj->LifeToken();
        obj->Notify(WM_ODB_OISTORED);
        if (!alive.expired())
            NotifyInstance(s->wasNew ? ieCreated : ieStored, obj);
    }
    StampMoved();
    return true;
}

void TQelDatabase::RollbackTransaction()
{
    if (transactionDepth_ == 0)
        return;
    transactionDepth_ = 0;
    refusedInTransaction_.clear();
    storage_->RollbackTx();
    keyBlockEnd_ = 0; // a block reserved inside it was rolled back with it
    for (auto& s : deferred_) {
        if (s->alive.expired())
            continue;
        s->restore();
        if (TQelObject* obj = CachedObject(s->key); obj && s->wasNew) {
            obj->SetStoredState(true, false);
            newObjects_.push_back(obj);
        }
    }
    deferred_.clear();
    deferredByKey_.clear();
    changeStamp_ = storage_->ChangeStamp();
}

// --- settings ---------------------------------------------------------------------------------

TQelSettingsObject* TQelDatabase::settingsObject(int classId, const std::string& name)
{
    const auto slot = std::make_pair(classId, name);
    if (auto it = settingsObjects_.find(slot); it != settingsObjects_.end())
        return it->second;
    if (!Initialized())
        return nullptr;
    std::int64_t key = 0;
    {
        auto q = storage_->Prepare("SELECT K FROM QEL_EINSTELLUNGEN WHERE KLASSE = ? AND Bezeichnung = ? AND "
                                   "GELOESCHT = 0 ORDER BY K");
        q.Bind(1, static_cast<std::int64_t>(classId)).Bind(2, name);
        key = q.Step() ? q.Int(0) : 0;
    }
    TQelSettingsObject* found = nullptr;
    if (key)
        found = dynamic_cast<TQelSettingsObject*>(GetObjectA(TQelObjectKey(static_cast<int>(key))));
    if (!found) {
        found = dynamic_cast<TQelSettingsObject*>(CreateObject(TQelClassKey(classId)));
        if (!found)
            return nullptr;
        found->FieldByName("Bezeichnung")->set_AsString(name);
        if (!readOnly_ && !found->Commit())
            log_->Write(QEL_LOG_ERROR, "Einstellungen '" + name + "': " + found->ErrorMessage());
    }
    settingsObjects_[slot] = found;
    return found;
}

TQelComputer* TQelDatabase::Computer()
{
    const std::string name = options_.computerName.empty() ? hostName() : options_.computerName;
    return static_cast<TQelComputer*>(settingsObject(qelcls::Computer, name));
}

TQelUser* TQelDatabase::User()
{
    const std::string name = options_.userName.empty() ? loginName() : options_.userName;
    return static_cast<TQelUser*>(settingsObject(qelcls::Benutzer, name));
}

TQelPartition* TQelDatabase::Partition()
{
    return static_cast<TQelPartition*>(settingsObject(qelcls::Partition, options_.partitionName));
}

TQelSettingsObject* TQelDatabase::SettingsObject(TQelSettingsLevel level)
{
    switch (level) {
    case slComputer:
        return Computer();
    case slUser:
        return User();
    case slPartition:
        return Partition();
    case slDatabase:
        return settingsObject(qelcls::Einstellungen, "Datenbank");
    case slClient:
        return settingsObject(qelcls::Einstellungen, "Mandant");
    case slProduct:
        return settingsObject(qelcls::Einstellungen, "Produkt");
    case slOS:
        return settingsObject(qelcls::Einstellungen, "Betriebssystem");
    }
    return nullptr;
}

std::string TQelDatabase::GetSettings(TQelSettingsLevel level, const std::string& name)
{
    TQelSettingsObject* o = SettingsObject(level);
    return o ? o->NameWert().ReadString(name) : std::string();
}

void TQelDatabase::SetSetting(TQelSettingsLevel level, const std::string& name, const std::string& value)
{
    TQelSettingsObject* o = SettingsObject(level);
    if (!o)
        throw TQelError("Einstellungen sind nicht verfügbar (Datenbank nicht geöffnet).");
    if (const std::string error = o->NameWert().NameError(name); !error.empty())
        throw TQelError(error);
    if (o->NameWert().WriteString(name, value))
        o->ForceCommit();
}

// --- notifications ----------------------------------------------------------------------------

int TQelDatabase::SubscribeInstanceNotification(TQelClassKey cls, TInstanceHandler handler, int mask)
{
    const int id = nextSubscription_++;
    instanceSubs_[id] = { cls, { mask, std::move(handler) } };
    return id;
}

void TQelDatabase::CancelSubscription(int id)
{
    instanceSubs_.erase(id);
}

int TQelDatabase::StartNotification(TDatabaseHandler handler)
{
    const int id = nextSubscription_++;
    dbSubs_[id] = std::move(handler);
    return id;
}

void TQelDatabase::StopNotification(int id)
{
    dbSubs_.erase(id);
}

void TQelDatabase::NotifyInstance(int event, const TQelObject* obj)
{
    if (obj)
        NotifyInstance(event, obj->ClassKey(), obj->Key());
}

void TQelDatabase::NotifyInstance(int event, TQelClassKey cls, TQelObjectKey key)
{
    if (instanceSubs_.empty())
        return;
    std::vector<int> ids;
    for (const auto& [id, sub] : instanceSubs_)
        ids.push_back(id);
    const TQelKlasse* k = Klasse(cls);
    for (int id : ids) {
        auto it = instanceSubs_.find(id);
        if (it == instanceSubs_.end())
            continue;
        const auto& [subCls, rest] = it->second;
        if (!(rest.first & event))
            continue;
        if (subCls.Valid() && (!k || !k->IsA(subCls.Id())))
            continue;
        TInstanceHandler h = rest.second; // the handler may cancel its own subscription
        h(event, cls, key, CachedObject(key));
    }
}

void TQelDatabase::NotifyDatabase(int event)
{
    std::vector<int> ids;
    for (const auto& [id, h] : dbSubs_)
        ids.push_back(id);
    for (int id : ids) {
        auto it = dbSubs_.find(id);
        if (it == dbSubs_.end())
            continue;
        TDatabaseHandler h = it->second;
        h(event, this);
    }
}
