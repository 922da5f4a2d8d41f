#include "objdb/qelobjecttree.h"

#include "objdb/qeldatabase.h"
#include "objdb/qellog.h"
#include "objdb/qelnamecolumns.h"
#include "objdb/qelobject.h"
#include "objdb/qelschema.h"
#include "objdb/qelsql.h"
#include "objdb/qeltext.h"

#include <algorithm>
#include <deque>
#include <unordered_set>

TQelObjectTree::TQelObjectTree(TQelDatabase* db, TQelClassKey cls, const TQelFelddefinition* parentField)
    : db_(db)
    , cls_(cls)
    , parentField_(parentField)
{
    if (!parentField_ && db_)
        if (const TQelKlasse* k = db_->Klasse(cls_))
            parentField_ = k->GuessParentField();
}

TQelObjectTree::~TQelObjectTree()
{
    set_OnUpdate({});
}

bool TQelObjectTree::Load()
{
    nodes_.clear();
    roots_.clear();
    cut_.clear();
    rootsSorted_ = false;
    loaded_ = false;
    const TQelKlasse* k = db_ ? db_->Klasse(cls_) : nullptr;
    if (!k)
        return false;
    std::unique_ptr<TQelSQLQuery> q;
    try {
        q = db_->CreateSQLEngine()->ListEx(
            cls_, lfNotDeleted | lfNoMetaFields, "", parentField_ ? parentField_->Name() : std::string());
    } catch (const std::exception&) {
        return false;
    }
    if (!q->TryOpen())
        return false;
    const bool withParent = parentField_ && q->FieldCount() > 1;
    for (; !q->Eof(); q->Next())
        nodes_[static_cast<int>(q->AsInteger(0))].parent
            = TQelObjectKey(withParent && !q->IsNull(1) ? static_cast<int>(q->AsInteger(1)) : 0);
    q->Close();
    // Parents are linked in key order, so that siblings come in a stable order before sorting.
    std::vector<int> keys;
    keys.reserve(nodes_.size());
    for (const auto& [key, node] : nodes_)
        keys.push_back(key);
    std::sort(keys.begin(), keys.end());
    for (int key : keys) {
        Node& n = nodes_[key];
        auto parent = n.parent.Valid() && n.parent.Id() != key ? nodes_.find(n.parent.Id()) : nodes_.end();
        if (parent == nodes_.end()) {
            if (n.parent.Id() == key)
                cut_.push_back(TQelObjectKey(key)); // its own parent
            n.parent = TQelObjectKey();
            roots_.emplace_back(key);
        } else {
            parent->second.children.emplace_back(key);
        }
    }
    cutCycles();
    if (!cut_.empty())
        if (TQelLogManager* log = db_->LogManager())
            for (TQelObjectKey key : cut_)
                log->WriteFmt(QEL_LOG_ERROR,
                    "TQelObjectTree: %s #%d ist sein eigener Vorfahre (%s); "
                    "die Kette wurde dort abgeschnitten",
                    k->Name(), key.Id(), parentField_ ? parentField_->Name() : std::string());
    loaded_ = true;
    return true;
}

void TQelObjectTree::cutCycles()
{
    // Everything reached from the top is fine; what is left hangs on a circle of parents.
    std::unordered_set<int> reached;
    std::deque<int> queue;
    auto reach = [&](int from) {
        queue.push_back(from);
        reached.insert(from);
        while (!queue.empty()) {
            const int k = queue.front();
            queue.pop_front();
            for (TQelObjectKey c : nodes_[k].children)
                if (reached.insert(c.Id()).second)
                    queue.push_back(c.Id());
        }
    };
    for (TQelObjectKey r : roots_)
        reach(r.Id());
    if (reached.size() == nodes_.size())
        return;
    std::vector<int> rest;
    for (const auto& [key, node] : nodes_)
        if (!reached.count(key))
            rest.push_back(key);
    std::sort(rest.begin(), rest.end());
    for (int start : rest) {
        if (reached.count(start))
            continue;
        // Walk up until a key repeats: that key is on the circle and is cut from its parent.
        std::unordered_set<int> walked;
        int k = start;
        while (walked.insert(k).second)
            k = nodes_[k].parent.Id();
        Node& cutNode = nodes_[k];
        auto& siblings = nodes_[cutNode.parent.Id()].children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), TQelObjectKey(k)), siblings.end());
        cutNode.parent = TQelObjectKey();
        roots_.emplace_back(k);
        cut_.emplace_back(k);
        reach(k);
    }
}

void TQelObjectTree::nameAll(std::vector<TQelObjectKey>& keys, bool& sorted)
{
    if (sorted)
        return;
    const TQelKlasse* k = db_ ? db_->Klasse(cls_) : nullptr;
    std::vector<TQelObjectKey> unnamed;
    for (TQelObjectKey key : keys)
        if (!nodes_[key.Id()].named)
            unnamed.push_back(key);
    if (k && !unnamed.empty()) {
        const TQelNameColumns names(k);
        const std::size_t chunk = static_cast<std::size_t>(db_->CreateSQLDialect()->MaxElemsInValueList());
        for (std::size_t from = 0; from < unnamed.size(); from += chunk) {
            std::string in;
            for (std::size_t i = from; i < std::min(unnamed.size(), from + chunk); ++i)
                in += (in.empty() ? "" : ",") + unnamed[i].ToString();
            try {
                auto q = db_->CreateSQLEngine()->ListEx(
                    cls_, lfNotDeleted | lfNoMetaFields, "K IN (" + in + ")", names.FieldNames());
                if (!q->TryOpen())
                    continue;
                for (; !q->Eof(); q->Next()) {
                    const TQelObjectKey key(static_cast<int>(q->AsInteger(0)));
                    if (auto it = nodes_.find(key.Id()); it != nodes_.end()) {
                        it->second.name = names.NameOf(*q, 1, key);
                        it->second.named = true;
                    }
                }
            } catch (const std::exception&) {
                // The names stay unread; the key names the node below.
            }
        }
    }
    for (TQelObjectKey key : keys) {
        Node& n = nodes_[key.Id()];
        if (TQelObject* obj = db_ ? db_->CachedObject(key) : nullptr)
            n.name = obj->Name(); // what the user sees elsewhere, changes included
        else if (!n.named)
            n.name = (k ? k->Name() + " " : std::string()) + key.ToString();
        n.named = true;
    }
    std::stable_sort(keys.begin(), keys.end(), [&](TQelObjectKey a, TQelObjectKey b) {
        return AnsiCompareText(nodes_[a.Id()].name, nodes_[b.Id()].name) < 0;
    });
    sorted = true;
}

const std::vector<TQelObjectKey>& TQelObjectTree::Roots()
{
    nameAll(roots_, rootsSorted_);
    return roots_;
}

const std::vector<TQelObjectKey>& TQelObjectTree::Children(TQelObjectKey key)
{
    auto it = nodes_.find(key.Id());
    if (it == nodes_.end())
        return none_;
    Node& n = it->second;
    nameAll(n.children, n.sorted);
    return n.children;
}

bool TQelObjectTree::HasChildren(TQelObjectKey key) const
{
    auto it = nodes_.find(key.Id());
    return it != nodes_.end() && !it->second.children.empty();
}

TQelObjectKey TQelObjectTree::Parent(TQelObjectKey key) const
{
    auto it = nodes_.find(key.Id());
    return it != nodes_.end() ? it->second.parent : TQelObjectKey();
}

std::vector<TQelObjectKey> TQelObjectTree::Ancestors(TQelObjectKey key) const
{
    std::vector<TQelObjectKey> out;
    // After Load the parents form no circle; the bound guards a tree changed in between.
    for (TQelObjectKey p = Parent(key); p.Valid() && out.size() <= nodes_.size(); p = Parent(p))
        out.push_back(p);
    std::reverse(out.begin(), out.end());
    return out;
}

std::string TQelObjectTree::Name(TQelObjectKey key)
{
    auto it = nodes_.find(key.Id());
    if (it == nodes_.end())
        return {};
    if (!it->second.named) {
        // Its siblings are named with it: the level is about to be shown anyway.
        const TQelObjectKey parent = it->second.parent;
        if (parent.Valid())
            Children(parent);
        else
            Roots();
    }
    return nodes_[key.Id()].name;
}

void TQelObjectTree::set_OnUpdate(std::function<void()> handler)
{
    onUpdate_ = std::move(handler);
    if (onUpdate_ && !subscription_ && db_) {
        subscription_ = db_->SubscribeInstanceNotification(
            cls_,
            [this](int, TQelClassKey, TQelObjectKey, TQelObject*) {
                Load();
                if (onUpdate_)
                    onUpdate_();
            },
            ieCreated | ieStored | ieDeleted | ieRecovered);
    } else if (!onUpdate_ && subscription_) {
        if (db_)
            db_->CancelSubscription(subscription_);
        subscription_ = 0;
    }
}
