#pragma once
// TTreeView: nodes (TTreeNode) with a text, an image and a data pointer, below each other;
// selection, expanding, alphabetical sorting, nodes dragged within the tree or to other
// controls, and drops of other controls' rows (TDragTarget).
//
// Lazy expansion: a node marked HasChildren shows its expand button before it has children;
// opening it (by the user, Expand or MakeVisible) runs Expanding first, where the owner adds
// the children (AddChildren adds a level in one batch).
#include "toolkit/dragdrop.h"
#include "toolkit/graphics.h"
#include "toolkit/wincontrol.h"

#include <memory>
#include <string>
#include <vector>

class TTreeView;

class TTreeNode {
public:
    TTreeView* Owner() const { return owner_; }
    TTreeNode* Parent() const { return parent_; }
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    int Count() const { return static_cast<int>(children_.size()); }
    TTreeNode* Item(int index) const;
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    void* Data() const { return data_; }
    void SetData(void* d) { data_ = d; }
    int Level() const { return parent_ ? parent_->Level() + 1 : 0; }
    bool Selected() const;
    void Expand(bool recurse);
    void Collapse();
    bool Expanded() const;
    // Shows the expand button even while the node has no children (yet).
    bool HasChildren() const { return hasChildren_ || !children_.empty(); }
    void SetHasChildren(bool v);

private:
    friend class TTreeView;
    friend class TAdvTreeComboBox;
    TTreeNode(TTreeView* owner, TTreeNode* parent)
        : owner_(owner)
        , parent_(parent)
    {
    }
    TTreeView* owner_;
    TTreeNode* parent_;
    std::string text_;
    std::vector<std::unique_ptr<TTreeNode>> children_;
    int imageIndex_ = -1;
    void* data_ = nullptr;
    void* row_ = nullptr;
    bool hasChildren_ = false;
};

using TTVExpandingEvent = TEvent<TObject*, TTreeNode*, bool&>;

class TTreeView : public TWinControl, public TDragTarget {
public:
    explicit TTreeView(TComponent* owner);
    ~TTreeView() override;

    int RootCount() const { return static_cast<int>(roots_.size()); }
    TTreeNode* Root(int index) const;
    // A new last child of `parent` (a new root for nullptr).
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
    // New last children of `parent` (roots for nullptr), one per text, added as one batch.
    std::vector<TTreeNode*> AddChildren(TTreeNode* parent, const std::vector<std::string>& texts);
    void DeleteChildren(TTreeNode* node);
    void DeleteNode(TTreeNode* node);
    void Clear();
    // Every node, depth first.
    std::vector<TTreeNode*> AllNodes() const;

    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* node);
    void FullExpand();
    // Opens the node's ancestors and scrolls the node into view.
    void MakeVisible(TTreeNode* node);
    // Whether the node's row is shown (its ancestors are open).
    bool IsVisible(const TTreeNode* node) const;
    // Sorts every level by text, ignoring case.
    void AlphaSort();
    TTreeNode* GetNodeAt(int x, int y) const;
    // Client point of a node's middle (tests drop there).
    TPoint NodePoint(const TTreeNode* node) const;

    int AddImage(const TBitmap& image);
    void ClearImages();

    // Nodes can be dragged (within the tree and to other controls).
    bool DragEnabled() const { return dragEnabled_; }
    void SetDragEnabled(bool v);
    // Changes arrive as one batch (BeginUpdate / EndUpdate nest).
    void BeginUpdate();
    void EndUpdate();

    TNotifyEvent OnChange;
    // Before a node opens; the handler adds its children or sets the flag false to keep it shut.
    TTVExpandingEvent OnExpanding;
    // A node was clicked with the mouse (after the selection moved to it).
    TEvent<TObject*, TTreeNode*> OnNodeClick;

protected:
    // The selected node changed.
    virtual void Change(TTreeNode* node);
    // A node is about to open; false keeps it shut. Runs OnExpanding.
    virtual bool Expanding(TTreeNode* node);
    virtual void NodeClicked(TTreeNode* node);
    void ApplyColor() override;

private:
    friend class TTreeNode;
    friend class TTreeViewWidget;
    void updateRow(TTreeNode* node);
    void expanded(TTreeNode* node);
    TTreeNode* newNode(TTreeNode* parent, const std::string& text);

    std::vector<std::unique_ptr<TTreeNode>> roots_;
    std::vector<std::unique_ptr<TBitmap>> images_;
    bool dragEnabled_ = false;
    bool settingSelection_ = false;
    int updates_ = 0;
};
