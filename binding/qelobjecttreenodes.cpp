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
    answers_.clear();
}

void TQelObjectTreeNodes::Fill(TQelObjectTree* tree, TTreeNode* parent)
{
    Clear();
    tree_ = tree;
    if (tree_)
        addChildren(parent, TQelObjectKey());
}

bool TQelObjectTreeNodes::accepted(TQelObjectKey key)
{
    if (!accepts)
        return true;
    const auto [it, fresh] = answers_.try_emplace(key.Id(), true);
    if (fresh)
        it->second = accepts(key);
    return it->second;
}

std::vector<TQelObjectKey> TQelObjectTreeNodes::topKeys()
{
    std::vector<TQelObjectKey> top;
    if (!accepts) {
        top = tree_->Roots();
        return top;
    }
    // Depth first, so that an object lifted to the top follows the branch it comes from.
    std::vector<std::pair<TQelObjectKey, bool>> pending; // key, whether its parent has a node
    const std::vector<TQelObjectKey>& roots = tree_->Roots();
    for (auto it = roots.rbegin(); it != roots.rend(); ++it)
        pending.emplace_back(*it, false);
    while (!pending.empty()) {
        const auto [key, parentShown] = pending.back();
        pending.pop_back();
        const bool shown = accepted(key);
        if (shown && !parentShown)
            top.push_back(key);
        const std::vector<TQelObjectKey>& children = tree_->Children(key);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            pending.emplace_back(*it, shown);
    }
    return top;
}

void TQelObjectTreeNodes::addChildren(TTreeNode* parent, TQelObjectKey key)
{
    if (!tree_)
        return;
    std::vector<TQelObjectKey> shown;
    if (key.Valid()) {
        for (TQelObjectKey k : tree_->Children(key))
            if (accepted(k))
                shown.push_back(k);
    } else {
        shown = topKeys();
    }
    std::vector<std::string> texts;
    texts.reserve(shown.size());
    for (TQelObjectKey k : shown)
        texts.push_back(tree_->Name(k));
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
    if (!key.Valid() || !tree_ || !tree_->Contains(key) || !accepted(key))
        return nullptr;
    if (auto it = nodes_.find(key.Id()); it != nodes_.end())
        return it->second;
    // The node hangs below its ancestors after the last refused one (that one has no node).
    std::vector<TQelObjectKey> chain = tree_->Ancestors(key);
    for (std::size_t i = chain.size(); i-- > 0;)
        if (!accepted(chain[i])) {
            chain.erase(chain.begin(), chain.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            break;
        }
    for (TQelObjectKey a : chain) {
        auto it = nodes_.find(a.Id());
        if (it == nodes_.end())
            return nullptr;
        if (it->second->Count() == 0)
            addChildren(it->second, a);
    }
    auto it = nodes_.find(key.Id());
    return it != nodes_.end() ? it->second : nullptr;
}
