#pragma once
// TQelDataMultiEdit: the multi-edit bound to references: to one reference field (one value at
// most) or to a vector whose elements each hold a reference field (one value per element). The
// lookup lists the referenced class through a query of its own; the values are the referenced
// objects' names, and every change writes their keys back into the field or the vector.
//
// FieldPath: a reference field, or a vector optionally followed by "/" and the name of the
// reference field of its elements (without it: the elements' first reference field).
// The values' objects are key items (KeyItem); OnSearch and OnNew hand one back for the object
// they found or made.
#include "pickers/QelCombo.h"
#include "pickers/qelmultiedit.h"

#include <memory>
#include <string>
#include <unordered_map>

using TQelOpenObjectKeyEvent = TEvent<TObject*, TQelObjectKey>;
using TQelSearchConditionEvent = TEvent<TObject*, const std::string&, std::string&>;
using TQelObjectNameEvent = TEvent<TObject*, TQelObject*, std::string&>;

class TQelDataMultiEdit : public TQelDataControl<TQelMultiEdit> {
public:
    explicit TQelDataMultiEdit(TComponent* owner);
    ~TQelDataMultiEdit() override;

    bool get_Connected() const { return vector() || refField(); }
    // The values from the bound data.
    void Reload();
    // The reference field of element n (1-based) of the bound vector, or the bound field for n = 1.
    TQelRefField* get_field(int n) const;
    TQelClassKey get_RefClassType() const;
    // The key of value i (0 when out of range or free text).
    TQelObjectKey get_SelectedKeys(int i) const;
    // Adds the object as a value (once; replaces a trailing free-text value).
    void AddKey(TQelObjectKey key);
    std::string obj_name(TQelObject* obj);
    // The item that stands for `key` as a value's object (owned by the control).
    TObject* KeyItem(TQelObjectKey key);
    void set_mark(bool on, int flags, TColor color);

    bool get_NullRefsAllowed() const { return nullRefsAllowed_; }
    void set_NullRefsAllowed(bool v) { nullRefsAllowed_ = v; }
    std::string get_SQLSelect() const { return sqlSelect_; }
    void set_SQLSelect(const std::string& s) { sqlSelect_ = s; }
    std::string get_SQLRestriction() const { return sqlRestriction_; }
    void set_SQLRestriction(const std::string& s) { sqlRestriction_ = s; }
    std::string get_SQLOrder() const { return sqlOrder_; }
    void set_SQLOrder(const std::string& s) { sqlOrder_ = s; }
    std::string get_RestrictedClassType() const { return restrictedClassType_; }
    void set_RestrictedClassType(const std::string& s) { restrictedClassType_ = s; }
    std::string get_DefaultViewName() const { return defaultViewName_; }
    void set_DefaultViewName(const std::string& s) { defaultViewName_ = s; }

    TQelOpenObjectKeyEvent OnOpenObjectKey;
    TQelSearchConditionEvent GetSearchConditionEvent;
    TQelObjectNameEvent GetObjectName;

    void Repaint() override;

protected:
    void ShowListbox() override;
    void ChangeEditors() override;
    bool DoLookup(const std::string& text, TStrings* results, int& index) override;
    bool RemoveItem(int index) override;
    void DoOpenObject(TObject* obj) override;
    bool ignore_lookup_minlength() override;
    void Change() override;
    void DoExit() override;
    void WndProc(TMessage& m) override;

private:
    TQelVector* vector() const { return link_.Vector(); }
    TQelRefField* refField() const { return QelSafeCast<TQelRefField>(link_.Field()); }
    void write();
    void apply_read_only(bool readOnly);
    // The lookup statement for `condition` (with "@HEAD@" for the name column).
    std::unique_ptr<TQelSQLQuery> lookup_query(TQelClassKey cls, std::string condition, int maxRows);

    // The reference field of the elements that the values stand for.
    const TQelFelddefinition* refDef_ = nullptr;
    bool nullRefsAllowed_ = false;
    std::string sqlSelect_, sqlRestriction_, sqlOrder_, restrictedClassType_, defaultViewName_;
    std::unordered_map<int, std::unique_ptr<TQelComboItem>> items_;
    // The look before read-only mode.
    TColor savedColor_ = clWindow;
    TQelBorderStyle savedBorder_ = mbsSingle;
    bool savedButton_ = true;
    bool readOnlyLook_ = false;
    bool reloading_ = false;
};
