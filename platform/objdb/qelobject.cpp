#include "objdb/qelobject.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelstorage.h"
#include "objdb/qelstrings.h"
#include "objdb/qelvector.h"

TQelObject::TQelObject(TQelDatabase* db, const TQelKlasse* cls, TQelObjectKey key, bool isNew)
    : TQelObjectInterface(db, nullptr)
    , cls_(cls)
    , key_(key)
    , fieldList_(std::make_unique<TQelFieldList>(db, this, cls))
    , isNew_(isNew)
{
}

TQelObject::~TQelObject()
{
    announceDestroyed();
    fieldList_.reset();
}

std::string TQelObject::Name() const
{
    const std::string& fmt = cls_->NameFormat();
    if (!fmt.empty()) {
        std::string n = fieldList_->MakeName(fmt, "");
        if (n != fmt && !Trim(n).empty())
            return n;
    }
    for (int i = 1; i <= fieldList_->FieldCount(); ++i) {
        TQelField* f = fieldList_->Field(i);
        if (f->Urtyp() == qelft::Text && !f->Null())
            return f->AsString();
    }
    return cls_->name + " " + key_.ToString();
}

std::string TQelObject::Path() const
{
    return cls_->name + "#" + key_.ToString();
}

std::string TQelObject::Description() const
{
    return cls_->description.empty() ? cls_->name : cls_->description;
}

std::string TQelObject::Info() const
{
    return TQelObjectInterface::Info() + "\nKlasse: " + cls_->name + " (" + std::to_string(cls_->id)
        + ")\nSchlüssel: " + key_.ToString() + (isNew_ ? "\nneu (nicht gespeichert)" : "")
        + (deleted_ ? "\ngelöscht" : "");
}

bool TQelObject::Touched() const
{
    return isNew_ || fieldList_->Touched();
}

bool TQelObject::Valid() const
{
    return fieldList_->Valid();
}

bool TQelObject::Commit()
{
    return db_ && db_->CommitObject(this);
}

bool TQelObject::CommitOverwriting()
{
    overwrite_ = true;
    const bool ok = Commit();
    overwrite_ = false;
    return ok;
}

void TQelObject::Rollback(const std::string& path)
{
    if (!path.empty()) {
        fieldList_->Rollback(path);
        return;
    }
    std::weak_ptr<bool> alive = LifeToken();
    fieldList_->Revert();
    if (isNew_)
        fieldList_->ApplyDefaults();
    if (!alive.expired())
        rolledBack();
}

bool TQelObject::CanDelete(bool, bool) const
{
    return !isNew_ && !deleted_;
}

// Marks the stored row deleted or recovered, in a transaction of its own unless one is open.
bool TQelObject::writeDeleted(TQelDatabase* db, TQelObject* obj, bool deleted, std::string& error)
{
    if (!db || !db->Initialized() || db->ReadOnly()) {
        error = "Datenbank ist nicht zum Schreiben geöffnet";
        return false;
    }
    TQelStorage& st = db->Storage();
    const bool own = !db->InTransaction();
    try {
        if (own)
            st.Begin();
        st.WriteDeleted(obj, deleted);
        st.NextChangeStamp();
        if (own)
            st.CommitTx();
    } catch (const std::exception& e) {
        if (own)
            st.RollbackTx();
        error = std::string(deleted ? "Löschen" : "Wiederherstellen") + " fehlgeschlagen: " + e.what();
        return false;
    }
    return true;
}

bool TQelObject::Delete(bool, bool, bool)
{
    if (isNew_) {
        errorMessage_ = "Das Objekt ist noch nicht gespeichert.";
        return false;
    }
    if (deleted_)
        return true;
    if (!writeDeleted(db_, this, true, errorMessage_))
        return false;
    deleted_ = true;
    db_->StampMoved();
    std::weak_ptr<bool> alive = LifeToken();
    Notify(WM_ODB_OBJECTDELETED);
    if (!alive.expired())
        db_->NotifyInstance(ieDeleted, this);
    return true;
}

bool TQelObject::Recover()
{
    if (!deleted_)
        return !isNew_;
    if (!writeDeleted(db_, this, false, errorMessage_))
        return false;
    deleted_ = false;
    db_->StampMoved();
    std::weak_ptr<bool> alive = LifeToken();
    Notify(WM_ODB_OBJECTDELETED);
    if (!alive.expired())
        db_->NotifyInstance(ieRecovered, this);
    return true;
}

bool TQelObject::Reload()
{
    if (isNew_ || !db_ || !db_->Initialized())
        return false;
    try {
        db_->Storage().LoadObject(this);
    } catch (const std::exception& e) {
        errorMessage_ = std::string("Neu laden fehlgeschlagen: ") + e.what();
        return false;
    }
    std::weak_ptr<bool> alive = LifeToken();
    Notify(WM_ODB_OIRELOADED);
    if (!alive.expired())
        RepaintAll();
    return true;
}

void TQelObject::SetStoredState(bool isNew, bool deleted)
{
    isNew_ = isNew;
    deleted_ = deleted;
}

void TQelObject::ForEachChild(const std::function<void(TQelObjectInterface*)>& fn)
{
    fn(fieldList_.get());
}
