#pragma once
// TQelFieldList: the fields and vectors of an object or of a vector element, in definition order
// (inherited first). Paths: names joined with "."; "Vektor[i]" names element i (from 0); a
// sub-object is reached by its name alone; a reference field followed by more names continues in
// the referenced object (never created).
#include "objdb/qelfield.h"
#include "objdb/qeloi.h"

#include <functional>
#include <memory>
#include <vector>

class TQelVector;
class TQelSubObject;

class TQelFieldList : public TQelObjectInterface {
public:
    TQelFieldList(TQelDatabase* db, TQelObjectInterface* owner, const TQelKlasse* cls);
    ~TQelFieldList() override;

    int OIType() const override { return oiFieldList; }
    std::string Name() const override;
    std::string Path() const override;
    std::string Description() const override;
    std::string Info() const override;
    TQelFieldList* BaseFieldList() const override { return const_cast<TQelFieldList*>(this); }
    bool Null() const override;
    bool NullOrDefault() const override;
    bool Touched() const override;
    bool Valid() const override;
    void Rollback(const std::string& path = "") override;

    // The class (object class or element class) whose fields this list holds.
    TQelClassKey Key() const { return TQelClassKey(cls_->id); }
    const TQelKlasse* Klasse() const { return cls_; }
    bool get_Meta() const { return cls_->meta; }
    // The next field list of the chain (none: each object has one list).
    TQelFieldList* NextFieldList() const { return nullptr; }
    // The element this list belongs to (none for an object's own list).
    TQelSubObject* ParentSubObject() const;

    // Resolves a path to an interface whose OIType is in `mask` (0: any); none when the path names
    // nothing or something else. With `allowCreate` missing vector elements and sub-objects on the
    // way are created, but only when the whole path resolves (against the element classes where
    // elements are missing); a path that names nothing creates nothing. A reference followed by
    // more names continues in the referenced object, never out of an element still to be created.
    TQelObjectInterface* FindOI(const std::string& path, int mask, bool allowCreate) const;
    // Whether FindOI(path, mask, true) would find something; creates and touches nothing.
    bool PathResolvable(const std::string& path, int mask) const;
    template <class T> T* FindTypedOI(const std::string& path, bool allowCreate = false) const
    {
        return dynamic_cast<T*>(FindOI(path, 0, allowCreate));
    }
    TQelField* FindField(const std::string& path, bool allowCreate = false) const;
    // "" gives this list; a sub-object or element path gives its list.
    TQelFieldList* FindFieldList(const std::string& path, bool allowCreate = false) const;

    enum : int {
        efFields = 1, // the fields of this list
        efElements = 2, // the fields of the elements of its vectors, recursively
    };
    // Visits fields; the callback returns false to stop. Returns false when stopped.
    bool ForEachField(const std::function<bool(TQelField*)>& fn, int flags = efFields) const;

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TQelField* Field(int index) const; // 1-based
    TQelField* FieldByName(const std::string& name) const;
    int VectorCount() const { return static_cast<int>(vectors_.size()); }
    TQelVector* Vector(int index) const; // 1-based
    TQelVector* VectorByName(const std::string& name) const;
    // Fields, then vectors (1-based).
    int ItemCount() const { return FieldCount() + VectorCount(); }
    TQelObjectInterface* Item(int index) const;

    std::string GetPropA(const std::string& name, const std::string& def) const override;
    bool SetPropA(const std::string& name, const std::string& value, bool strict = false) override;

    // Called by a field after its value changed (validity bookkeeping of elements).
    void FieldChanged(TQelField* f);

    // Store support: sets every field to its definition default (new objects and elements).
    void ApplyDefaults();
    void AcceptStored();
    // Restores stored values and elements without notifying.
    void Revert();

protected:
    void ForEachChild(const std::function<void(TQelObjectInterface*)>& fn) override;

private:
    struct PathStep;
    static bool splitPath(const std::string& path, std::vector<PathStep>& steps);
    // Whether the steps from `at` would resolve in an element of `cls` that does not exist yet.
    static bool classResolves(
        const TQelKlasse* cls, const std::vector<PathStep>& steps, std::size_t at, int mask);
    bool resolvable(const std::vector<PathStep>& steps, std::size_t at, int mask) const;
    TQelObjectInterface* resolve(
        const std::vector<PathStep>& steps, std::size_t at, int mask, bool allowCreate) const;

    const TQelKlasse* cls_;
    std::vector<std::unique_ptr<TQelField>> fields_;
    std::vector<std::unique_ptr<TQelVector>> vectors_;
};
