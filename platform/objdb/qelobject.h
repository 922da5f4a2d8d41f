#pragma once
// TQelObject: one object in memory. The database owns it (one per key); its field list holds the
// values. Changes stay in memory until Commit writes them in one SQLite transaction.
#include "objdb/qelfieldlist.h"
#include "objdb/qeloi.h"

#include <memory>
#include <string>

class TQelObject : public TQelObjectInterface {
public:
    TQelObject(TQelDatabase* db, const TQelKlasse* cls, TQelObjectKey key, bool isNew);
    ~TQelObject() override;

    int OIType() const override { return oiObject; }
    // The class's name template filled in; without one "<class> <key>".
    std::string Name() const override;
    std::string ObjectName() const { return Name(); }
    std::string Path() const override;
    std::string Description() const override;
    std::string Info() const override;
    TQelObject* Object() const override { return const_cast<TQelObject*>(this); }
    TQelFieldList* BaseFieldList() const override { return fieldList_.get(); }
    bool Null() const override { return fieldList_->Null(); }
    bool Touched() const override;
    bool Valid() const override;
    bool Commit() override;
    void Rollback(const std::string& path = "") override;

    TQelObjectKey Key() const { return key_; }
    TQelClassKey ClassKey() const { return TQelClassKey(cls_->id); }
    const TQelKlasse* Klasse() const { return cls_; }
    TQelFieldList* FieldList() const { return fieldList_.get(); }
    TQelFieldList* get_FieldList() const { return fieldList_.get(); }
    TQelField* FieldByName(const std::string& name) const { return fieldList_->FieldByName(name); }
    // Never stored yet.
    bool IsNew() const { return isNew_; }
    bool Deleted() const { return deleted_; }

    // Marks the object deleted (kept in the store until removed for good); stored at once.
    bool Delete(bool a = true, bool b = true, bool c = true);
    bool Recover();
    // Whether Delete would succeed (not new, not deleted yet).
    bool CanDelete(bool a = true, bool b = true) const;
    // Reads the stored values again; unsaved changes are lost.
    bool Reload();
    // A commit is refused when another workstation stored the object since it was loaded here
    // (Conflict() tells it). The user then chooses: Reload (their changes are lost) or
    // CommitOverwriting (the other workstation's changes are replaced by these).
    bool Conflict() const { return conflict_; }
    bool CommitOverwriting();
    // Valid, including every element.
    bool DeepValid() const { return Valid(); }
    // Repairs what keeps the object from being stored: unreadable input is dropped, texts are cut
    // to their length, empty mandatory texts filled with "?", values outside their domain removed,
    // surplus vector elements dropped. `measures` lists what was done, one line each. Returns
    // whether the object is valid afterwards (nothing is committed).
    bool DeepForceValid(std::string& measures);
    // A new, uncommitted object of class `cls` (0: this object's class) with copies of this
    // object's field values, vectors and sub-objects (long texts included). Returns "" and the copy,
    // or the reason it could not be made.
    std::string Clone(TQelClassKey cls, TQelObject*& copy);
    // How many of the object's interfaces (itself included) have registered targets.
    std::size_t RegisteredInterfaceCount() const { return registry_.Count(); }

    // Store support.
    void SetStoredState(bool isNew, bool deleted);
    // The stored version this object was loaded with (moves with every commit of it anywhere).
    std::int64_t Version() const { return version_; }
    void SetVersion(std::int64_t v) { version_ = v; }
    bool Overwriting() const { return overwrite_; }
    void SetConflict(bool c) { conflict_ = c; }
    void AcceptStored()
    {
        fieldList_->AcceptStored();
        isNew_ = false;
    }

protected:
    void ForEachChild(const std::function<void(TQelObjectInterface*)>& fn) override;
    TQelTargetRegistry* targetRegistry() override { return &registry_; }

private:
    static bool writeDeleted(TQelDatabase* db, TQelObject* obj, bool deleted, std::string& error);
    friend class TQelDatabase;
    const TQelKlasse* cls_;
    TQelObjectKey key_;
    // Declared before the field list so that it outlives every interface inside the object.
    TQelTargetRegistry registry_;
    std::unique_ptr<TQelFieldList> fieldList_;
    bool isNew_;
    bool deleted_ = false;
    std::int64_t version_ = 0;
    bool conflict_ = false;
    bool overwrite_ = false;
};
