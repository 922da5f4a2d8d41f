#pragma once
// TQelObjectTree: the objects of one class arranged by a parent field (a reference to the same
// class). Load reads every object's key and parent in one query; names are read a level at a
// time, when that level is first asked for, so a tree of many thousand objects opens at the cost
// of its keys. An object whose parent is empty, missing or of another class stands at the top.
// A chain of parents that returns to where it started (stored data can hold one) is cut: the
// object where the walk closed the circle stands at the top, and the cut is logged.
#include "objdb/qelkeys.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class TQelDatabase;
class TQelFelddefinition;
class TQelKlasse;

class TQelObjectTree {
public:
    // `parentField` null: the field the class proposes (TQelKlasse::GuessParentField).
    TQelObjectTree(TQelDatabase* db, TQelClassKey cls, const TQelFelddefinition* parentField = nullptr);
    ~TQelObjectTree();
    TQelObjectTree(const TQelObjectTree&) = delete;
    TQelObjectTree& operator=(const TQelObjectTree&) = delete;

    TQelClassKey ClassKey() const { return cls_; }
    const TQelFelddefinition* ParentField() const { return parentField_; }

    // Reads keys and parents anew (names are read again when asked); false when the query failed.
    bool Load();
    bool Loaded() const { return loaded_; }
    int Count() const { return static_cast<int>(nodes_.size()); }
    bool Contains(TQelObjectKey key) const { return nodes_.count(key.Id()) > 0; }

    // The top level and the children of `key`, ordered by name (ignoring case).
    const std::vector<TQelObjectKey>& Roots();
    const std::vector<TQelObjectKey>& Children(TQelObjectKey key);
    bool HasChildren(TQelObjectKey key) const;
    // The parent in the tree (0 at the top, and for a cut object).
    TQelObjectKey Parent(TQelObjectKey key) const;
    // The ancestors of `key` in the tree, outermost first, without `key` itself.
    std::vector<TQelObjectKey> Ancestors(TQelObjectKey key) const;
    // The object's name (an object in memory gives its current name).
    std::string Name(TQelObjectKey key);
    // The objects whose parent chain was cut at the last Load.
    const std::vector<TQelObjectKey>& CutKeys() const { return cut_; }

    // Automatic updating: while set, every stored, created, deleted or recovered object of the
    // class reloads the tree, and then `handler` runs. An empty handler switches it off.
    void set_OnUpdate(std::function<void()> handler);

private:
    struct Node {
        TQelObjectKey parent; // 0 at the top
        std::vector<TQelObjectKey> children;
        std::string name;
        bool named = false;
        bool sorted = false;
    };
    void nameAll(std::vector<TQelObjectKey>& keys, bool& sorted);
    void cutCycles();

    TQelDatabase* db_;
    TQelClassKey cls_;
    const TQelFelddefinition* parentField_;
    bool loaded_ = false;
    std::unordered_map<int, Node> nodes_;
    std::vector<TQelObjectKey> roots_;
    bool rootsSorted_ = false;
    std::vector<TQelObjectKey> cut_;
    std::function<void()> onUpdate_;
    int subscription_ = 0;
    static inline const std::vector<TQelObjectKey> none_ {};
};
