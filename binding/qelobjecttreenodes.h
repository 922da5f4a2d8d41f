#pragma once
// TQelObjectTreeNodes: shows a TQelObjectTree in a toolkit tree view, a level at a time: a node
// gets its children when it opens (or when a key below it is asked for), so a tree of many
// thousand objects shows at the cost of its top level. Each node carries its object's key.
#include "binding/objdb.h"
#include "binding/toolkit.h"

#include "toolkit/treeview.h"

#include <functional>
#include <unordered_map>
#include <vector>

class TQelObjectTreeNodes {
public:
    // Takes over the view's OnExpanding.
    explicit TQelObjectTreeNodes(TTreeView& view);
    ~TQelObjectTreeNodes();
    TQelObjectTreeNodes(const TQelObjectTreeNodes&) = delete;
    TQelObjectTreeNodes& operator=(const TQelObjectTreeNodes&) = delete;

    // Whether an object gets a node; asked once per object and fill. An object whose parent has
    // no node is shown at the top. Unset: every object (and the tree is read a level at a time).
    std::function<bool(TQelObjectKey)> accepts;

    // Adds the top level of `tree` (kept, not owned) below `parent` (the view's roots for null).
    void Fill(TQelObjectTree* tree, TTreeNode* parent = nullptr);
    // Forgets the nodes (call before the view is cleared).
    void Clear();
    // The node of `key`, the levels above it read on the way; none when it is not in the tree.
    TTreeNode* NodeOfKey(TQelObjectKey key);
    static TQelObjectKey KeyOfNode(const TTreeNode* node);
    static void* KeyData(TQelObjectKey key);

private:
    void addChildren(TTreeNode* parent, TQelObjectKey key);
    bool accepted(TQelObjectKey key);
    // The objects of the top level, in the order of a walk from the roots: the accepted roots
    // and, with `accepts` set, every accepted object below a refused one.
    std::vector<TQelObjectKey> topKeys();

    TTreeView& view_;
    TQelObjectTree* tree_ = nullptr;
    std::unordered_map<int, TTreeNode*> nodes_;
    std::unordered_map<int, bool> answers_;
};
