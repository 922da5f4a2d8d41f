#pragma once
// TQelObjectTreeNodes: shows a TQelObjectTree in a toolkit tree view, a level at a time: a node
// gets its children when it opens (or when a key below it is asked for), so a tree of many
// thousand objects shows at the cost of its top level. Each node carries its object's key.
#include "binding/objdb.h"
#include "binding/toolkit.h"

#include "toolkit/treeview.h"

#include <functional>
#include <unordered_map>

class TQelObjectTreeNodes {
public:
    // Takes over the view's OnExpanding.
    explicit TQelObjectTreeNodes(TTreeView& view);
    ~TQelObjectTreeNodes();
    TQelObjectTreeNodes(const TQelObjectTreeNodes&) = delete;
    TQelObjectTreeNodes& operator=(const TQelObjectTreeNodes&) = delete;

    // Whether an object gets a node (its branch is left out with it). Unset: every object.
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

    TTreeView& view_;
    TQelObjectTree* tree_ = nullptr;
    std::unordered_map<int, TTreeNode*> nodes_;
};
