#include "binding/qelobjecttreenodes.h"

#include <cstdint>

TQelObjectTreeNodes::TQelObjectTreeNodes(TTreeView& view)
    : view_(view)
{
    view_.OnExpanding = [this](TObject*, TTreeNode* node, bool& allow) {
        const TQelObjectKey key = KeyOfNode(node);
        if (node->Count() == 0 && key.Valid() && nodes_.count(key.Id()))
            addChildren(node, key);
        allow = node->Count() > 0;
    };
}

// The view is not touched: it may be gone already (a form destroys its children first), and it
// opens no node while it is destroyed.
TQelObjectTreeNodes::~TQelObjectTreeNodes() = default;

TQelObjectKey TQelObjectTreeNodes::KeyOfNode(const TTreeNode* node)
{
    return node ? TQelObjectKey(static_cast<int>(reinterpret_cast<std::intptr_t>(node->Data())))
                : TQelObjectKey();
}

void* TQelObjectTreeNodes::KeyData(TQelObjectKey key)
{
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(key.Id()));
}

void TQelObjectTreeNodes::Clear()
{
    nodes_.clear();
}

void TQelObjectTreeNodes::Fill(TQelObjectTree* tree, TTreeNode* parent)
{
    nodes_.clear();
    tree_ = tree;
    if (tree_)
        addChildren(parent, TQelObjectKey());
}

void TQelObjectTreeNodes::addChildren(TTreeNode* parent, TQelObjectKey key)
{
    if (!tree_)
        return;
    const std::vector<TQelObjectKey>& keys = key.Valid() ? tree_->Children(key) : tree_->Roots();
    std::vector<TQelObjectKey> shown;
    std::vector<std::string> texts;
    shown.reserve(keys.size());
    texts.reserve(keys.size());
    for (TQelObjectKey k : keys)
        if (!accepts || accepts(k)) {
            shown.push_back(k);
            texts.push_back(tree_->Name(k));
        }
    const std::vector<TTreeNode*> added = view_.AddChildren(parent, texts);
    for (std::size_t i = 0; i < added.size(); ++i) {
        added[i]->SetData(KeyData(shown[i]));
        if (tree_->HasChildren(shown[i]))
            added[i]->SetHasChildren(true);
        nodes_[shown[i].Id()] = added[i];
    }
}

TTreeNode* TQelObjectTreeNodes::NodeOfKey(TQelObjectKey key)
{
    if (!key.Valid() || !tree_ || !tree_->Contains(key))
        return nullptr;
    if (auto it = nodes_.find(key.Id()); it != nodes_.end())
        return it->second;
    for (TQelObjectKey a : tree_->Ancestors(key)) {
        auto it = nodes_.find(a.Id());
        if (it == nodes_.end())
            return nullptr; // a branch left out
        if (it->second->Count() == 0)
            addChildren(it->second, a);
    }
    auto it = nodes_.find(key.Id());
    return it != nodes_.end() ? it->second : nullptr;
}
