#include "objdb/qelobjcommands.h"

#include "objdb/qeldatabase.h"
#include "objdb/qellog.h"
#include "objdb/qelnotify.h"
#include "objdb/qelobject.h"
#include "objdb/qelstorage.h"

#include <map>
#include <memory>
#include <set>
#include <stdexcept>

namespace {

using TRows = std::vector<std::pair<std::int64_t, const TQelKlasse*>>;

std::int64_t id(TQelObjectKey key)
{
    return static_cast<std::int64_t>(key.Id());
}

std::string objectName(TQelDatabase* db, TQelObjectKey key)
{
    if (TQelObject* obj = db->CachedObject(key))
        return obj->Name();
    return "Objekt " + key.ToString();
}

// One transaction of the store; rolled back unless committed.
class TStoreTransaction {
public:
    explicit TStoreTransaction(TQelStorage& st)
        : st_(st)
    {
        st_.Begin();
    }
    ~TStoreTransaction()
    {
        if (open_)
            try {
                st_.RollbackTx();
            } catch (...) { // the connection is gone; nothing was committed
            }
    }
    void Commit()
    {
        st_.CommitTx();
        open_ = false;
    }

private:
    TQelStorage& st_;
    bool open_ = true;
};

} // namespace

bool TQelObjectCommands::fail(const std::string& message, TQelObjectKey key)
{
    error_ = message;
    failed_ = key;
    if (db_ && db_->LogManager())
        db_->LogManager()->Write(QEL_LOG_ERROR, message);
    return false;
}

bool TQelObjectCommands::writable()
{
    error_.clear();
    failed_ = TQelObjectKey();
    if (!db_ || !db_->Initialized())
        return fail("Die Datenbank ist nicht geöffnet.");
    if (db_->ReadOnly())
        return fail("Die Datenbank ist nur zum Lesen geöffnet.");
    if (db_->InTransaction())
        return fail("Während einer offenen Transaktion nicht möglich.");
    return true;
}

// ---- deleting and recovering -------------------------------------------------------------------

namespace {

// The stored rows of the keys; fails on a key that is new or unknown.
bool storedRows(TQelDatabase* db, TQelStorage& st, const std::vector<TQelObjectKey>& keys,
    std::map<std::int64_t, std::pair<const TQelKlasse*, bool>>& rows, TQelObjectKey& bad)
{
    std::vector<std::int64_t> ids;
    for (TQelObjectKey k : keys)
        ids.push_back(id(k));
    for (const auto& [key, row] : st.ObjectRows(ids))
        if (const TQelKlasse* cls = db->Schema().Class(row.first))
            rows[key] = { cls, row.second };
    for (TQelObjectKey k : keys)
        if (!rows.count(id(k))) {
            bad = k;
            return false;
        }
    return true;
}

// After the commit: the objects in memory take the new state, and every object's targets and the
// subscribers of its class hear of it.
void markInMemory(TQelDatabase* db, const TRows& rows, bool deleted)
{
    const int event = deleted ? ieDeleted : ieRecovered;
    for (const auto& [key, cls] : rows) {
        const TQelObjectKey k(static_cast<int>(key));
        TQelObject* obj = db->CachedObject(k);
        if (!obj) {
            db->NotifyInstance(event, cls->Key(), k);
            continue;
        }
        obj->SetStoredState(false, deleted);
        std::weak_ptr<bool> alive = obj->LifeToken();
        obj->Notify(WM_ODB_OBJECTDELETED);
        if (!alive.expired())
            db->NotifyInstance(event, obj);
    }
}

} // namespace

bool TQelObjectCommands::MarkDeleted(const std::vector<TQelObjectKey>& keys, bool deleted)
{
    if (!writable())
        return false;
    TQelStorage& st = db_->Storage();
    const char* what = deleted ? "Löschen" : "Wiederherstellen";
    TRows rows;
    try {
        std::map<std::int64_t, std::pair<const TQelKlasse*, bool>> stored;
        TQelObjectKey bad;
        if (!storedRows(db_, st, keys, stored, bad))
            return fail(objectName(db_, bad) + " ist nicht gespeichert.", bad);
        std::set<std::int64_t> seen;
        for (TQelObjectKey k : keys)
            if (const auto& [cls, isDeleted] = stored[id(k)];
                isDeleted != deleted && seen.insert(id(k)).second)
                rows.emplace_back(id(k), cls);
        if (rows.empty())
            return true;
        TStoreTransaction tx(st);
        st.WriteDeletedMany(rows, deleted);
        st.NextChangeStamp();
        tx.Commit();
    } catch (const std::exception& e) {
        return fail(std::string(what) + " fehlgeschlagen, nichts wurde geändert: " + e.what());
    }
    db_->StampMoved();
    markInMemory(db_, rows, deleted);
    return true;
}

bool TQelObjectCommands::RemoveForGood(const std::vector<TQelObjectKey>& keys)
{
    if (!writable())
        return false;
    TQelStorage& st = db_->Storage();
    TRows rows;
    try {
        std::map<std::int64_t, std::pair<const TQelKlasse*, bool>> stored;
        TQelObjectKey bad;
        if (!storedRows(db_, st, keys, stored, bad))
            return fail(objectName(db_, bad) + " ist nicht gespeichert.", bad);
        for (TQelObjectKey k : keys) {
            const auto& [cls, isDeleted] = stored[id(k)];
            if (!isDeleted)
                return fail("Nur gelöschte Objekte können endgültig entfernt werden.", k);
            rows.emplace_back(id(k), cls);
        }
        TStoreTransaction tx(st);
        for (const auto& [key, cls] : rows)
            st.RemoveObject(TQelObjectKey(static_cast<int>(key)), cls);
        st.NextChangeStamp();
        tx.Commit();
    } catch (const std::exception& e) {
        return fail(std::string("Entfernen fehlgeschlagen, nichts wurde geändert: ") + e.what());
    }
    for (const auto& [key, cls] : rows) {
        const TQelObjectKey k(static_cast<int>(key));
        if (TQelObject* obj = db_->CachedObject(k))
            db_->FreeObject(obj);
        else
            db_->NotifyInstance(ieGone, cls->Key(), k);
    }
    db_->StampMoved();
    return true;
}

// ---- merging -----------------------------------------------------------------------------------

bool TQelObjectCommands::Merge(
    TQelObjectKey target, const std::vector<TQelObjectKey>& others, int& deleted, int& references)
{
    deleted = 0;
    references = 0;
    if (!writable())
        return false;
    TQelStorage& st = db_->Storage();
    TRows merged;
    std::set<std::int64_t> owners;
    try {
        std::vector<TQelObjectKey> all(others);
        all.push_back(target);
        std::map<std::int64_t, std::pair<const TQelKlasse*, bool>> stored;
        TQelObjectKey bad;
        if (!storedRows(db_, st, all, stored, bad))
            return fail(objectName(db_, bad) + " ist nicht gespeichert.", bad);
        if (stored[id(target)].second)
            return fail(objectName(db_, target) + " ist gelöscht.", target);
        std::set<std::int64_t> seen { id(target) };
        for (auto it = others.rbegin(); it != others.rend(); ++it)
            if (seen.insert(id(*it)).second)
                merged.emplace_back(id(*it), stored[id(*it)].first);

        TStoreTransaction tx(st);
        for (const auto& [key, cls] : merged)
            references += st.RedirectReferences(key, id(target), cls, owners);
        // An object holding one of the references must not have changes of its own in memory:
        // they would be lost by the reload below, or overwrite the merge when committed.
        for (std::int64_t owner : owners)
            if (TQelObject* obj = db_->CachedObject(TQelObjectKey(static_cast<int>(owner)));
                obj && obj->Touched())
                return fail(obj->Name()
                        + " ist in dieser Sitzung geändert und nicht gespeichert; bitte zuerst "
                          "speichern oder verwerfen.",
                    obj->Key());
        st.MarkChanged(owners);
        TRows toDelete;
        for (const auto& row : merged)
            if (!stored[row.first].second)
                toDelete.push_back(row);
        st.WriteDeletedMany(toDelete, true);
        st.NextChangeStamp();
        tx.Commit();
    } catch (const std::exception& e) {
        references = 0;
        return fail(std::string("Zusammenfassen fehlgeschlagen, nichts wurde geändert: ") + e.what());
    }
    db_->StampMoved();
    deleted = static_cast<int>(merged.size());
    // The holders of the references read their rows again; then the merged objects are deleted.
    for (std::int64_t owner : owners) {
        const TQelObjectKey k(static_cast<int>(owner));
        if (TQelObject* obj = db_->CachedObject(k)) {
            std::weak_ptr<bool> alive = obj->LifeToken();
            obj->Reload();
            if (!alive.expired())
                db_->NotifyInstance(ieStored, obj);
        } else {
            int classId = 0;
            bool isDeleted = false;
            if (st.ObjectRow(k, classId, isDeleted))
                db_->NotifyInstance(ieStored, TQelClassKey(classId), k);
        }
    }
    markInMemory(db_, merged, true);
    return true;
}

// ---- flags -------------------------------------------------------------------------------------

bool TQelObjectCommands::FlagsImplemented() const
{
    return db_ && db_->Initialized();
}

std::vector<std::string> TQelObjectCommands::GetDefinedFlags(TQelClassKey cls) const
{
    const TQelKlasse* k = db_ && db_->Initialized() ? db_->Klasse(cls) : nullptr;
    return k ? k->DefinedFlags() : std::vector<std::string>();
}

bool TQelObjectCommands::HasFlag(TQelObjectKey key, int index)
{
    if (!FlagsImplemented() || index < 0 || !key.Valid())
        return false;
    try {
        return db_->Storage().HasFlag(id(key), index);
    } catch (const std::exception& e) {
        fail(std::string("Attribut nicht lesbar: ") + e.what(), key);
        return false;
    }
}

bool TQelObjectCommands::CheckFlag(const std::vector<TQelObjectKey>& keys, int index, bool on)
{
    if (!writable())
        return false;
    if (index < 0)
        return fail("Unbekanntes Attribut.");
    TQelStorage& st = db_->Storage();
    try {
        std::map<std::int64_t, std::pair<const TQelKlasse*, bool>> stored;
        TQelObjectKey bad;
        if (!storedRows(db_, st, keys, stored, bad))
            return fail(objectName(db_, bad) + " ist nicht gespeichert.", bad);
        for (TQelObjectKey k : keys)
            if (index >= static_cast<int>(stored[id(k)].first->DefinedFlags().size()))
                return fail("Die Klasse von " + objectName(db_, k) + " kennt dieses Attribut nicht.", k);
        TStoreTransaction tx(st);
        for (TQelObjectKey k : keys)
            st.SetFlag(id(k), index, on);
        tx.Commit();
    } catch (const std::exception& e) {
        return fail(std::string("Attribut setzen fehlgeschlagen, nichts wurde geändert: ") + e.what());
    }
    return true;
}
