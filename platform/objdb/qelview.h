#pragma once
// Stored views ("Ansicht"; the user interface calls them "Filter"): a named search condition over
// one class, kept as an object of the built-in class 1020 "Ansicht" so that every workstation of
// the store sees the same views.
//
// A view may have parameters: its condition then names them as ":<field>" (for example
// "Person.Ort = :Ort"), and a parameter instance is an object of the view's parameter class
// whose fields hold the values. The instances a view keeps (vector "Instanzen") are listed
// beside it; MakeSearchCondition puts an instance's values into the condition, each quoted by
// the store's dialect.
//
// Views form a tree: a view with a parent view ("Oberansicht") narrows its parent and carries the
// parent's condition too; siblings are ordered by "Position", then by name.
#include "objdb/qelkeys.h"

#include <memory>
#include <string>
#include <vector>

class TQelAnsicht;
class TQelAnsichtLib;
class TQelFieldList;

// The key of a view object. The queries consult the current database's view library.
class TQelAnsichtKey : public TQelObjectKey {
public:
    using TQelObjectKey::TQelObjectKey;
    constexpr explicit TQelAnsichtKey(TQelObjectKey key)
        : TQelObjectKey(key.Id())
    {
    }
    // The view, when the key names a stored view.
    TQelAnsicht* Ansicht() const;
    // This view is `other` or one of its descendants (parent-view chain).
    bool DerivesFrom(TQelAnsichtKey other) const;
    // Tree level: 1 for a view without parent view, 2 for its children, ...; 0 for no view.
    int Depth() const;
    friend constexpr bool operator==(TQelAnsichtKey a, TQelAnsichtKey b) = default;
};

namespace qelcls {
inline constexpr int Ansicht = 1020; // stored views
inline constexpr int AnsichtInstanz = 1021; // vector element: one stored parameter instance
inline constexpr int Ansichtsparameter = 1022; // abstract base of parameter classes
} // namespace qelcls

class TQelAnsicht {
public:
    TQelAnsichtKey Key() const { return key_; }
    TQelObject* Object() const; // the stored view object
    std::string Name() const; // "Bezeichnung"
    // The name users see: the name, and with an instance the instance's text in parentheses,
    // "Personen nach Ort (Ort=Bonn)".
    std::string NiceName(const TQelFieldList* params = nullptr) const;
    // "<class name>:<view name>", the form SearchConditionByRepr reads.
    std::string Repr() const;

    // The class the view was defined for.
    TQelClassKey Basisklasse() const;
    // The class the view lists: its Basisklasse when the schema knows it, else an invalid key.
    TQelClassKey TrueClassType() const;
    // Offered for a grid of class `cls`: the view's class is `cls`, a base of it or derived from
    // it.
    bool IsValidFor(TQelClassKey cls) const;
    // The view lists deleted objects.
    bool ShowDeleted() const;
    // Own condition as stored (parameters as ":<field>").
    std::string Condition() const;

    // Parameters.
    bool HasParams() const { return ParamClass().Valid(); }
    TQelClassKey ParamClass() const;
    // The full condition: the parent views' conditions and this one's, each in parentheses and
    // joined by " AND " (a single non-empty one stands as it is, empty ones are left out), with the
    // instance's values put in for the parameters (a parameter left empty, or no instance, gives NULL).
    // `prefix`, when not empty, replaces the class's table name in front of the field names ("Person.Ort"
    // becomes "<prefix>.Ort"), so the condition can be used on another alias.
    std::string MakeSearchCondition(const TQelFieldList* params, const std::string& prefix) const;

    // Stored parameter instances, in stored order.
    std::vector<TQelFieldList*> Instances() const;
    bool HasInstance(const TQelFieldList* params) const;
    // "<field>=<value>" for each filled parameter field, joined by ", ".
    std::string InstanceText(const TQelFieldList* params) const;
    // The stored instance whose text equals `text`; with `create`, a new one is made from `text`
    // (same format as InstanceText; unknown names are ignored), stored with the view, and
    // returned. Null for a view without parameters.
    TQelFieldList* FindInstanceByParams(const std::string& text, bool create = true);
    // A new parameter object, not yet stored with the view (for the parameter dialog).
    TQelFieldList* NewInstance();
    // Stores `params` as one of the view's instances (no-op when it already is one).
    bool AddInstance(TQelFieldList* params);
    // An id of the instance that is valid while the program runs (0 for null).
    int InstanceId(const TQelFieldList* params) const;
    TQelFieldList* InstanceById(int id) const;
    // Stores the instance as a view of its own (parameters put into the condition, same class and
    // parent, name = NiceName(params)) and removes it from this view. Null on failure, with the
    // database's error text in `error`.
    TQelAnsicht* DetachInstance(TQelFieldList* params, std::string* error = nullptr);
    // Removes the instance from the view (and from the store).
    bool RemoveInstance(TQelFieldList* params);

    // Tree.
    TQelAnsichtKey ParentKey() const;
    TQelAnsicht* Parent() const;
    int Position() const;
    // As the key's queries, but on this view's own library (not the current database's).
    int Depth() const;
    bool DerivesFrom(TQelAnsichtKey other) const;
    // Keys of every view below this one, depth first (children before their own children's
    // siblings), without this view.
    std::vector<TQelAnsichtKey> DescendantList() const;
    // This view is never to be combined with `other`: `other` is listed in the view's
    // "Ausschluesse" (comma-separated view keys).
    bool Excludes(TQelAnsichtKey other) const;

private:
    friend class TQelAnsichtLib;
    TQelAnsicht(TQelAnsichtLib* lib, TQelAnsichtKey key);
    TQelAnsichtLib* lib_;
    TQelAnsichtKey key_;
};

// The views of one database, loaded at first use and kept current through the instance
// notifications of the view class.
class TQelAnsichtLib {
public:
    explicit TQelAnsichtLib(TQelDatabase* db);
    ~TQelAnsichtLib();
    TQelAnsichtLib(const TQelAnsichtLib&) = delete;
    TQelAnsichtLib& operator=(const TQelAnsichtLib&) = delete;

    // Every view not marked deleted, in tree order: each view before its children, siblings by
    // position and then by name.
    std::vector<TQelAnsicht*> Tree();
    TQelAnsicht* Find(TQelAnsichtKey key);
    // First view in tree order with this name (exact); null when none.
    TQelAnsicht* FindByName(const std::string& name);
    // The full condition (no instance, no prefix) of the view written "<class>:<view>"; "" when
    // no such view.
    std::string SearchConditionByRepr(const std::string& repr);

    // Creates and stores a view; null (with the reason in `error`) when the class is unknown, the
    // name is empty or the store refuses.
    TQelAnsicht* CreateView(TQelClassKey cls, const std::string& name, const std::string& condition,
        TQelAnsichtKey parent = {}, TQelClassKey paramClass = {}, bool showDeleted = false,
        std::string* error = nullptr);
    // Deletes a view object (marked deleted) and forgets it; its descendants stay (callers delete
    // them first).
    bool DeleteView(TQelAnsichtKey key);

    TQelDatabase* Database() const { return db_; }

private:
    friend class TQelAnsicht;
    friend class TQelAnsichtKey;
    void load();
    // The parent as the tree uses it: a stored parent that is no listed view, or one that closes
    // a cycle of parents in the stored data, counts as none.
    TQelAnsichtKey parentOf(TQelAnsichtKey key);
    std::vector<TQelAnsicht*> childrenOf(TQelAnsichtKey key);
    int depthOf(TQelAnsichtKey key);
    bool derives(TQelAnsichtKey key, TQelAnsichtKey other);
    int instanceId(TQelObjectKey instance);
    TQelObjectKey instanceById(int id) const;
    // Stored views changed (here or elsewhere): read them again at the next question.
    void changed();
    TQelDatabase* db_;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The view library of the current database (created on first use, freed with the database);
// null without an open database.
TQelAnsichtLib* QelAnsichten();
TQelAnsichtLib* QelAnsichten(TQelDatabase* db);
