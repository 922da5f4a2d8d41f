#pragma once
// TTreeView: nodes (TTreeNode) with a text, an image and a data pointer, below each other;
// selection, expanding, alphabetical sorting, nodes dragged within the tree or to other
// controls, and drops of other controls' rows (TDragTarget).
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
    bool Expanded() const;

private:
    friend class TTreeView;
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
};

class TTreeView : public TWinControl, public TDragTarget {
public:
    explicit TTreeView(TComponent* owner);
    ~TTreeView() override;

    int RootCount() const { return static_cast<int>(roots_.size()); }
    TTreeNode* Root(int index) const;
    // A new last child of `parent` (a new root for nullptr).
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
    void DeleteNode(TTreeNode* node);
    void Clear();
    // Every node, depth first.
    std::vector<TTreeNode*> AllNodes() const;

    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* node);
    void FullExpand();
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

protected:
    // The selected node changed.
    virtual void Change(TTreeNode* node);
    void ApplyColor() override;

private:
    friend class TTreeNode;
    friend class TTreeViewWidget;
    void updateRow(TTreeNode* node);

    std::vector<std::unique_ptr<TTreeNode>> roots_;
    std::vector<std::unique_ptr<TBitmap>> images_;
    bool dragEnabled_ = false;
    bool settingSelection_ = false;
    int updates_ = 0;
};
