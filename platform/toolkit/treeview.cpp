#include "toolkit/treeview.h"

#include "toolkit/dragdata.h"
#include "toolkit/qtbridge.h"

#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <algorithm>
#include <functional>

namespace {

TTreeNode* nodeOf(const QTreeWidgetItem* row)
{
    return row ? static_cast<TTreeNode*>(row->data(0, Qt::UserRole + 1).value<void*>()) : nullptr;
}

} // namespace

class TTreeViewWidget : public TScrollBridgeWidget<QTreeWidget> {
public:
    TTreeView* view() const { return static_cast<TTreeView*>(Control()); }

protected:
    void startDrag(Qt::DropActions) override
    {
        if (!view() || !view()->DragEnabled() || !currentItem())
            return;
        auto* drag = new QDrag(this);
        drag->setMimeData(QelControlDragData(view()));
        drag->exec(Qt::MoveAction);
    }
    void dragEnterEvent(QDragEnterEvent* e) override { accept(e); }
    void dragMoveEvent(QDragMoveEvent* e) override { accept(e); }
    void dropEvent(QDropEvent* e) override
    {
        TTreeView* v = view();
        TControl* source = QelDragSource(e->mimeData());
        const QPoint p = e->position().toPoint();
        if (v && source && v->DragOver(source, p.x(), p.y())) {
            e->acceptProposedAction();
            v->DragDrop(source, p.x(), p.y());
        } else {
            e->ignore();
        }
    }

private:
    void accept(QDropEvent* e)
    {
        TTreeView* v = view();
        TControl* source = QelDragSource(e->mimeData());
        const QPoint p = e->position().toPoint();
        if (v && source && v->DragOver(source, p.x(), p.y()))
            e->acceptProposedAction();
        else
            e->ignore();
    }
};

void TTreeNode::SetText(const std::string& text)
{
    text_ = text;
    owner_->updateRow(this);
}

TTreeNode* TTreeNode::Item(int index) const
{
    return index >= 0 && index < Count() ? children_[static_cast<std::size_t>(index)].get() : nullptr;
}

void TTreeNode::SetImageIndex(int index)
{
    imageIndex_ = index;
    owner_->updateRow(this);
}

bool TTreeNode::Selected() const
{
    return owner_->Selected() == this;
}

void TTreeNode::Expand(bool recurse)
{
    if (!HasChildren())
        return;
    static_cast<QTreeWidgetItem*>(row_)->setExpanded(true);
    if (recurse)
        for (std::size_t i = 0; i < children_.size(); ++i) // Expanding may add children
            children_[i]->Expand(true);
}

void TTreeNode::Collapse()
{
    static_cast<QTreeWidgetItem*>(row_)->setExpanded(false);
}

void TTreeNode::SetHasChildren(bool v)
{
    hasChildren_ = v;
    static_cast<QTreeWidgetItem*>(row_)->setChildIndicatorPolicy(
        v ? QTreeWidgetItem::ShowIndicator : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

bool TTreeNode::Expanded() const
{
    return static_cast<QTreeWidgetItem*>(row_)->isExpanded();
}

TTreeView::TTreeView(TComponent* owner)
    : TWinControl(owner, new TTreeViewWidget())
{
    auto* tree = static_cast<QTreeWidget*>(widget_);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setDragDropMode(QAbstractItemView::DragDrop);
    tree->setAcceptDrops(true);
    tree->setIconSize(QSize(16, 16));
    QObject::connect(tree, &QTreeWidget::currentItemChanged, tree, [this](QTreeWidgetItem* current) {
        if (!settingSelection_)
            Change(nodeOf(current));
    });
    QObject::connect(tree, &QTreeWidget::itemExpanded, tree, [this](QTreeWidgetItem* row) {
        if (TTreeNode* node = nodeOf(row))
            expanded(node);
    });
    QObject::connect(tree, &QTreeWidget::itemClicked, tree, [this](QTreeWidgetItem* row) {
        if (TTreeNode* node = nodeOf(row))
            NodeClicked(node);
    });
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    SetBounds(0, 0, 180, 200);
}

TTreeView::~TTreeView()
{
    if (auto* tree = static_cast<QTreeWidget*>(widget_)) {
        const QSignalBlocker block(tree);
        tree->clear();
    }
}

TTreeNode* TTreeView::Root(int index) const
{
    return index >= 0 && index < RootCount() ? roots_[static_cast<std::size_t>(index)].get() : nullptr;
}

TTreeNode* TTreeView::newNode(TTreeNode* parent, const std::string& text)
{
    auto& list = parent ? parent->children_ : roots_;
    list.push_back(std::unique_ptr<TTreeNode>(new TTreeNode(this, parent)));
    TTreeNode* node = list.back().get();
    node->text_ = text;
    auto* row = new QTreeWidgetItem();
    row->setData(0, Qt::UserRole + 1, QVariant::fromValue(static_cast<void*>(node)));
    row->setFlags(row->flags() | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
    row->setText(0, ToQString(text));
    node->row_ = row;
    return node;
}

TTreeNode* TTreeView::AddChild(TTreeNode* parent, const std::string& text)
{
    TTreeNode* node = newNode(parent, text);
    auto* row = static_cast<QTreeWidgetItem*>(node->row_);
    const QSignalBlocker block(widget_);
    if (parent)
        static_cast<QTreeWidgetItem*>(parent->row_)->addChild(row);
    else
        static_cast<QTreeWidget*>(widget_)->addTopLevelItem(row);
    return node;
}

std::vector<TTreeNode*> TTreeView::AddChildren(TTreeNode* parent, const std::vector<std::string>& texts)
{
    std::vector<TTreeNode*> nodes;
    nodes.reserve(texts.size());
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(texts.size()));
    (parent ? parent->children_ : roots_)
        .reserve((parent ? parent->children_ : roots_).size() + texts.size());
    for (const std::string& text : texts) {
        nodes.push_back(newNode(parent, text));
        rows.push_back(static_cast<QTreeWidgetItem*>(nodes.back()->row_));
    }
    const QSignalBlocker block(widget_);
    if (parent)
        static_cast<QTreeWidgetItem*>(parent->row_)->addChildren(rows);
    else
        static_cast<QTreeWidget*>(widget_)->addTopLevelItems(rows);
    return nodes;
}

void TTreeView::DeleteChildren(TTreeNode* node)
{
    if (!node)
        return;
    const QSignalBlocker block(widget_);
    const QList<QTreeWidgetItem*> rows = static_cast<QTreeWidgetItem*>(node->row_)->takeChildren();
    qDeleteAll(rows);
    node->children_.clear();
}

void TTreeView::DeleteNode(TTreeNode* node)
{
    if (!node)
        return;
    auto& list = node->parent_ ? node->parent_->children_ : roots_;
    {
        const QSignalBlocker block(widget_);
        delete static_cast<QTreeWidgetItem*>(node->row_);
    }
    list.erase(std::find_if(list.begin(), list.end(), [&](auto& p) { return p.get() == node; }));
}

void TTreeView::Clear()
{
    {
        const QSignalBlocker block(widget_);
        static_cast<QTreeWidget*>(widget_)->clear();
    }
    roots_.clear();
}

std::vector<TTreeNode*> TTreeView::AllNodes() const
{
    std::vector<TTreeNode*> out;
    std::function<void(const std::vector<std::unique_ptr<TTreeNode>>&)> walk = [&](auto& list) {
        for (auto& n : list) {
            out.push_back(n.get());
            walk(n->children_);
        }
    };
    walk(roots_);
    return out;
}

TTreeNode* TTreeView::Selected() const
{
    return nodeOf(static_cast<QTreeWidget*>(widget_)->currentItem());
}

void TTreeView::SetSelected(TTreeNode* node)
{
    auto* tree = static_cast<QTreeWidget*>(widget_);
    tree->setCurrentItem(node ? static_cast<QTreeWidgetItem*>(node->row_) : nullptr);
}

void TTreeView::FullExpand()
{
    // Node by node, so that nodes loaded on opening get their children on the way.
    for (std::size_t i = 0; i < roots_.size(); ++i)
        roots_[i]->Expand(true);
}

void TTreeView::MakeVisible(TTreeNode* node)
{
    if (!node)
        return;
    std::vector<TTreeNode*> up;
    for (TTreeNode* p = node->parent_; p; p = p->parent_)
        up.push_back(p);
    for (auto it = up.rbegin(); it != up.rend(); ++it)
        if (!(*it)->Expanded())
            (*it)->Expand(false);
    static_cast<QTreeWidget*>(widget_)->scrollToItem(static_cast<QTreeWidgetItem*>(node->row_));
}

bool TTreeView::IsVisible(const TTreeNode* node) const
{
    for (const TTreeNode* p = node ? node->parent_ : nullptr; p; p = p->parent_)
        if (!p->Expanded())
            return false;
    return node != nullptr;
}

void TTreeView::expanded(TTreeNode* node)
{
    if (!Expanding(node) || node->children_.empty()) {
        const QSignalBlocker block(widget_);
        static_cast<QTreeWidgetItem*>(node->row_)->setExpanded(false);
    }
}

bool TTreeView::Expanding(TTreeNode* node)
{
    bool allow = true;
    OnExpanding(this, node, allow);
    return allow;
}

void TTreeView::NodeClicked(TTreeNode* node)
{
    OnNodeClick(this, node);
}

void TTreeView::AlphaSort()
{
    std::function<void(std::vector<std::unique_ptr<TTreeNode>>&)> sortLevel = [&](auto& list) {
        std::stable_sort(list.begin(), list.end(), [](auto& a, auto& b) {
            return ToQString(a->text_).compare(ToQString(b->text_), Qt::CaseInsensitive) < 0;
        });
        for (auto& n : list)
            sortLevel(n->children_);
    };
    sortLevel(roots_);
    // Rebuild the Qt rows in the new order, keeping selection and expansion.
    auto* tree = static_cast<QTreeWidget*>(widget_);
    const QSignalBlocker block(tree);
    settingSelection_ = true;
    TTreeNode* current = Selected();
    std::function<void(std::vector<std::unique_ptr<TTreeNode>>&)> reorder = [&](auto& list) {
        for (auto& n : list) {
            auto* row = static_cast<QTreeWidgetItem*>(n->row_);
            const bool expanded = row->isExpanded();
            if (QTreeWidgetItem* p = row->parent())
                p->removeChild(row);
            else
                tree->takeTopLevelItem(tree->indexOfTopLevelItem(row));
            if (n->parent_)
                static_cast<QTreeWidgetItem*>(n->parent_->row_)->addChild(row);
            else
                tree->addTopLevelItem(row);
            row->setExpanded(expanded);
            reorder(n->children_);
        }
    };
    reorder(roots_);
    if (current)
        tree->setCurrentItem(static_cast<QTreeWidgetItem*>(current->row_));
    settingSelection_ = false;
}

TTreeNode* TTreeView::GetNodeAt(int x, int y) const
{
    return nodeOf(static_cast<QTreeWidget*>(widget_)->itemAt(x, y));
}

TPoint TTreeView::NodePoint(const TTreeNode* node) const
{
    auto* tree = static_cast<QTreeWidget*>(widget_);
    const QRect r = tree->visualItemRect(static_cast<QTreeWidgetItem*>(node->row_));
    return { r.center().x(), r.center().y() };
}

int TTreeView::AddImage(const TBitmap& image)
{
    images_.push_back(std::make_unique<TBitmap>());
    images_.back()->Assign(image);
    return static_cast<int>(images_.size()) - 1;
}

void TTreeView::ClearImages()
{
    images_.clear();
}

void TTreeView::SetDragEnabled(bool v)
{
    dragEnabled_ = v;
    static_cast<QTreeWidget*>(widget_)->setDragEnabled(v);
}

void TTreeView::BeginUpdate()
{
    if (updates_++ == 0)
        widget_->setUpdatesEnabled(false);
}

void TTreeView::EndUpdate()
{
    if (updates_ > 0 && --updates_ == 0)
        widget_->setUpdatesEnabled(true);
}

void TTreeView::updateRow(TTreeNode* node)
{
    auto* row = static_cast<QTreeWidgetItem*>(node->row_);
    if (!row)
        return;
    const QSignalBlocker block(widget_);
    row->setText(0, ToQString(node->text_));
    const int img = node->imageIndex_;
    row->setIcon(0,
        img >= 0 && img < static_cast<int>(images_.size())
            ? QIcon(images_[static_cast<std::size_t>(img)]->Storage().pixmap)
            : QIcon());
}

void TTreeView::Change(TTreeNode*)
{
    OnChange(this);
}

void TTreeView::ApplyColor()
{
    QPalette pal = widget_->palette();
    pal.setColor(QPalette::Base, ToQColor(Color()));
    widget_->setPalette(pal);
}
