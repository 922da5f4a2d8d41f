#pragma once
// Vectors (ordered elements of one element class) and their elements (sub-objects). Element
// indexes are 1-based everywhere except in paths ("Adressen[0]" is element 1).
#include "objdb/qelcontainers.h"
#include "objdb/qelfieldlist.h"
#include "objdb/qeloi.h"

#include <memory>
#include <string>
#include <vector>

class TQelSubObject;

class TQelVector : public TQelObjectInterface {
public:
    TQelVector(TQelFieldList* owner, const TQelVektordefinition* def);
    ~TQelVector() override;

    int OIType() const override { return oiVector; }
    std::string Name() const override { return def_->name; }
    std::string Path() const override;
    std::string Description() const override { return def_->Description(); }
    std::string Info() const override;
    bool Null() const override { return elements_.empty(); }
    bool Touched() const override;
    bool Valid() const override;
    void Rollback(const std::string& path = "") override;

    const TQelVektordefinition* Definition() const { return def_; }
    const std::string& VectorName() const { return def_->name; }
    TQelClassKey ClassType() const { return def_->ClassType(); }
    TQelClassKey get_ClassType() const { return ClassType(); }
    const TQelKlasse* get_Vektorklasse() const { return def_->elementClass; }
    // 12001 when the elements are validity records, else 0.
    int Kind() const;
    bool Single() const { return def_->single; }
    int MaxCount() const { return def_->MaxCount(); }
    // The definition path without indexes ("Adressen", "Adressen.Telefone"): the V column.
    std::string StorePath() const;

    int Count() const { return static_cast<int>(elements_.size()); }
    TQelSubObject* Item(int index) const; // 1-based; none outside
    TQelFieldList* FieldList(int index) const;
    TQelFieldList* get_FieldList(int index) const { return FieldList(index); }
    int IndexOf(const TQelSubObject* element) const; // 1-based; 0 when not an element
    // A prototype element (not part of the vector) whose field list describes the element class.
    TQelSubObject* get_Template() const;

    // The values of field `name` of every element joined by `sep`.
    std::string GetAll(const std::string& name, char sep) const;
    // Writes the values of `text` (split at `sep`, trimmed) into field `name` of the elements in
    // order. With `adjust` elements are appended for extra values and surplus elements removed.
    bool SetAll(const std::string& name, const std::string& text, char sep, bool adjust);
    // SetAll for an editor that showed `before` (GetAll's text) and now holds `after`: only the
    // values the user changed are written, element by element. Elements are appended for extra
    // values and surplus ones removed only while the vector still holds `before`; when it changed
    // meanwhile, an element is written only if it still holds the value that was shown for it.
    bool SetAllChanged(
        const std::string& name, const std::string& before, const std::string& after, char sep);

    // Inserts a new element before `index` (beyond the end: appends); none at MaxCount.
    TQelSubObject* Insert(int index, int reserved = -1);
    TQelSubObject* Add();
    TQelSubObject* NewItem(int reserved = 0) { return Insert(Count() + 1, reserved); }
    bool Delete(int index);
    bool Remove(TQelSubObject* element);
    bool Exchange(int a, int b);
    bool MoveBy(TQelSubObject* element, int delta);

    // Constraints (comma-joined): "s" standard element, "a" active element; an empty text admits
    // every element. IndexOfFirst gives the first admitted index (0: none); with `allocate` a new
    // element is added when none fits (as standard element for "s").
    int IndexOfFirst(const std::string& constraints, bool allocate, bool reserved = false);
    // The first admitted index from `index` on; allocates only for index <= Count() + 1.
    int IndexOfNext(int index, const std::string& constraints, bool allocate, bool reserved = false);
    // Fills `map` with element indexes (1-based) in the order given by `order`: field names joined
    // by ",", each optionally prefixed "-" for descending; empty keeps the stored order.
    void LoadMap(const std::string& order, std::vector<int>& map) const;
    void LoadMap(const std::string& order, TQelList<int>* map) const;

    // Store support.
    void LoadElements(std::vector<std::unique_ptr<TQelSubObject>> elements);
    void AcceptStored();
    bool StructureTouched() const { return structureTouched_; }
    const std::vector<std::int64_t>& StoredRows() const { return storedRows_; }
    std::unique_ptr<TQelSubObject> MakeElement();
    // Restores the stored elements without notifying (re-read from the store when the structure
    // changed; the rebuilt elements announce 0x8504).
    void Revert();
    // The element became the standard element: clears the others and tells the vector's targets.
    void StandardSet(TQelSubObject* element);

protected:
    void ForEachChild(const std::function<void(TQelObjectInterface*)>& fn) override;

private:
    friend class TQelSubObject;
    friend class TQelDatabase;

    const TQelVektordefinition* def_;
    std::vector<std::unique_ptr<TQelSubObject>> elements_;
    mutable std::unique_ptr<TQelSubObject> template_;
    // Rows of the stored elements (for rollback and for deleting removed rows on commit).
    std::vector<std::int64_t> storedRows_;
    bool structureTouched_ = false;
};

class TQelSubObject : public TQelObjectInterface {
public:
    TQelSubObject(TQelVector* owner, const TQelKlasse* cls);
    ~TQelSubObject() override;

    int OIType() const override { return oiSubObject; }
    // The element class's name template filled in, else "<class> <index>".
    std::string Name() const override;
    std::string Path() const override;
    std::string Description() const override;
    std::string Info() const override;
    TQelFieldList* BaseFieldList() const override { return fieldList_.get(); }
    bool Null() const override { return fieldList_->Null(); }
    bool Touched() const override;
    bool Valid() const override { return fieldList_->Valid(); }
    void Rollback(const std::string& path = "") override { fieldList_->Rollback(path); }

    int VectorIndex() const;
    TQelVector* ParentVector() const;
    TQelFieldList* FieldList() const { return fieldList_.get(); }
    TQelFieldList* get_FieldList() const { return fieldList_.get(); }
    // Added since the vector was last stored.
    bool IsNew() const { return row_ == 0; }
    // Admitted by the constraints of TQelVector::IndexOfFirst.
    bool Check(const std::string& constraints) const;
    // Copies the field values (and nested vectors) of `source` into this element.
    void Assign(const TQelSubObject* source, int mode = 128, const std::string& reserved = "");
    // Validity records (element class 12001 or derived) are TQelGueltigkeit.
    bool IsValidity() const;

    std::int64_t Row() const { return row_; }
    void SetRow(std::int64_t r) { row_ = r; }

protected:
    void ForEachChild(const std::function<void(TQelObjectInterface*)>& fn) override;

private:
    std::unique_ptr<TQelFieldList> fieldList_;
    std::int64_t row_ = 0; // EK of the stored row; 0 while new
};

// Validity records: elements of a class deriving from 12001 ("Gültigkeit"), with the fields
// Standard (boolean), GueltigAb and GueltigBis (dates, both inclusive, null = open).
class TQelGueltigkeit : public TQelSubObject {
public:
    using TQelSubObject::TQelSubObject;
    // Valid today.
    bool Active() const;
    bool Standard() const;
    // Setting it true clears the former standard element of the vector.
    void set_Standard(bool v);
    // Ends the validity: the last valid day becomes the day before `date` (days since 1899-12-30;
    // -2147483647.0 means today). The reason goes to the element's error message for the log.
    void Deactivate(double date, const std::string& reason = "");
};
