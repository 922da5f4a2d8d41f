#include "toolkit/listview.h"

#include "toolkit/dragdata.h"
#include "toolkit/qtbridge.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>

namespace {

TListItem* itemOf(const QTreeWidgetItem* row)
{
    return row ? static_cast<TListItem*>(row->data(0, Qt::UserRole + 1).value<void*>()) : nullptr;
}

std::vector<std::string> localFiles(const QMimeData* data)
{
    std::vector<std::string> files;
    if (data && data->hasUrls())
        for (const QUrl& u : data->urls())
            if (u.isLocalFile())
                files.push_back(FromQString(u.toLocalFile()));
    return files;
}

} // namespace

// The Qt view: rows as tree-widget items; edit starts, drags and drops go to the control.
class TListViewWidget : public TScrollBridgeWidget<QTreeWidget> {
public:
    TCustomListView* view() const { return static_cast<TCustomListView*>(Control()); }
    bool editing() const { return state() == QAbstractItemView::EditingState; }

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override
    {
        if (trigger != QAbstractItemView::AllEditTriggers && (trigger & editTriggers()) == 0)
            return false;
        TListItem* item = itemOf(itemFromIndex(index));
        if (!view() || !item || index.column() != 0 || !view()->CanEdit(item))
            return false;
        return QTreeWidget::edit(index, trigger, event);
    }
    void startDrag(Qt::DropActions) override
    {
        if (!view() || !view()->DragEnabled() || selectedItems().isEmpty())
            return;
        auto* drag = new QDrag(this);
        drag->setMimeData(QelControlDragData(view()));
        drag->exec(Qt::MoveAction);
    }
    void dragEnterEvent(QDragEnterEvent* e) override { accept(e); }
    void dragMoveEvent(QDragMoveEvent* e) override { accept(e); }
    void dropEvent(QDropEvent* e) override
    {
        TCustomListView* v = view();
        if (!v)
            return;
        const QPoint p = e->position().toPoint();
        if (TControl* source = QelDragSource(e->mimeData())) {
            if (v->DragOver(source, p.x(), p.y())) {
                e->acceptProposedAction();
                v->DragDrop(source, p.x(), p.y());
            }
            return;
        }
        const auto files = localFiles(e->mimeData());
        if (v->AcceptFiles() && !files.empty()) {
            e->acceptProposedAction();
            v->FilesDropped(files);
        }
    }

private:
    void accept(QDropEvent* e)
    {
        TCustomListView* v = view();
        const QPoint p = e->position().toPoint();
        bool ok = false;
        if (TControl* source = QelDragSource(e->mimeData()))
            ok = v && v->DragOver(source, p.x(), p.y());
        else
            ok = v && v->AcceptFiles() && !localFiles(e->mimeData()).empty();
        if (ok)
            e->acceptProposedAction();
        else
            e->ignore();
    }
};

// --- rows --------------------------------------------------------------------------------------

int TListItem::Index() const
{
    return owner_->IndexOf(this);
}

void TListItem::SetCaption(const std::string& caption)
{
    caption_ = caption;
    owner_->updateRow(this);
}

void TListItem::SetSubItems(std::vector<std::string> items)
{
    subItems_ = std::move(items);
    owner_->updateRow(this);
}

void TListItem::SetImageIndex(int index)
{
    imageIndex_ = index;
    owner_->updateRow(this);
}

void TListItem::SetGreyed(bool v)
{
    greyed_ = v;
    owner_->updateRow(this);
}

bool TListItem::Selected() const
{
    return static_cast<QTreeWidgetItem*>(row_)->isSelected();
}

void TListItem::SetSelected(bool v)
{
    owner_->settingSelection_ = true;
    static_cast<QTreeWidgetItem*>(row_)->setSelected(v);
    owner_->settingSelection_ = false;
}

void TListItem::EditCaption()
{
    auto* tree = static_cast<QTreeWidget*>(owner_->Handle());
    auto* row = static_cast<QTreeWidgetItem*>(row_);
    tree->setCurrentItem(row, 0, QItemSelectionModel::NoUpdate);
    tree->editItem(row, 0);
}

// --- the view ----------------------------------------------------------------------------------

TCustomListView::TCustomListView(TComponent* owner)
    : TWinControl(owner, new TListViewWidget())
{
    auto* tree = static_cast<QTreeWidget*>(widget_);
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    tree->setColumnCount(1);
    tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    tree->setDragDropMode(QAbstractItemView::DragOnly);
    tree->header()->setSectionsClickable(true);
    tree->header()->setStretchLastSection(true); // the last column takes the rest of the width
    QObject::connect(tree, &QTreeWidget::itemSelectionChanged, tree, [this] {
        if (!settingSelection_)
            Change();
    });
    QObject::connect(tree, &QTreeWidget::currentItemChanged, tree, [this] {
        if (!settingSelection_)
            Change();
    });
    QObject::connect(tree, &QTreeWidget::itemChanged, tree, [this](QTreeWidgetItem* row, int column) {
        if (!updatingRow_ && column == 0)
            if (TListItem* item = itemOf(row))
                editFinished(item, FromQString(row->text(0)));
    });
    QObject::connect(tree->header(), &QHeaderView::sectionClicked, tree, [this](int c) { ColClick(c); });
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    SetBounds(0, 0, 250, 150);
    applyStyle();
}

TCustomListView::~TCustomListView()
{
    if (auto* tree = static_cast<QTreeWidget*>(widget_)) {
        const QSignalBlocker block(tree);
        tree->clear();
    }
}

TListItem* TCustomListView::Item(int index) const
{
    return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)].get() : nullptr;
}

int TCustomListView::IndexOf(const TListItem* item) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item)
            return static_cast<int>(i);
    return -1;
}

TListItem* TCustomListView::AddItem()
{
    items_.push_back(std::unique_ptr<TListItem>(new TListItem(this)));
    TListItem* item = items_.back().get();
    auto* row = new QTreeWidgetItem();
    row->setData(0, Qt::UserRole + 1, QVariant::fromValue(static_cast<void*>(item)));
    row->setFlags(row->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled);
    item->row_ = row;
    {
        const QSignalBlocker block(widget_);
        static_cast<QTreeWidget*>(widget_)->addTopLevelItem(row);
    }
    updateRow(item);
    return item;
}

void TCustomListView::DeleteItem(TListItem* item)
{
    const int i = IndexOf(item);
    if (i < 0)
        return;
    {
        settingSelection_ = true;
        const QSignalBlocker block(widget_);
        delete static_cast<QTreeWidgetItem*>(item->row_);
        settingSelection_ = false;
    }
    items_.erase(items_.begin() + i);
    Change();
}

void TCustomListView::ClearItems()
{
    {
        const QSignalBlocker block(widget_);
        static_cast<QTreeWidget*>(widget_)->clear();
    }
    items_.clear();
}

void TCustomListView::CustomSort(const std::function<bool(const TListItem*, const TListItem*)>& less)
{
    std::stable_sort(items_.begin(), items_.end(),
        [&](const std::unique_ptr<TListItem>& a, const std::unique_ptr<TListItem>& b) {
            return less(a.get(), b.get());
        });
    rebuildOrder();
}

void TCustomListView::rebuildOrder()
{
    auto* tree = static_cast<QTreeWidget*>(widget_);
    const QSignalBlocker block(tree);
    settingSelection_ = true;
    std::vector<bool> selected;
    for (auto& it : items_)
        selected.push_back(static_cast<QTreeWidgetItem*>(it->row_)->isSelected());
    QTreeWidgetItem* current = tree->currentItem();
    while (tree->topLevelItemCount() > 0)
        tree->takeTopLevelItem(0);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        auto* row = static_cast<QTreeWidgetItem*>(items_[i]->row_);
        tree->addTopLevelItem(row);
        row->setSelected(selected[i]);
    }
    if (current)
        tree->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    settingSelection_ = false;
}

void TCustomListView::updateRow(TListItem* item)
{
    auto* row = static_cast<QTreeWidgetItem*>(item->row_);
    if (!row)
        return;
    updatingRow_ = true;
    row->setText(0, ToQString(item->caption_));
    for (int c = 1; c < std::max(ColumnCount(), 1); ++c) {
        const auto k = static_cast<std::size_t>(c - 1);
        row->setText(c, k < item->subItems_.size() ? ToQString(item->subItems_[k]) : QString());
        if (c < ColumnCount())
            row->setTextAlignment(c,
                columns_[static_cast<std::size_t>(c)].alignment == taRightJustify
                    ? Qt::AlignRight | Qt::AlignVCenter
                    : Qt::AlignLeft | Qt::AlignVCenter);
    }
    const int img = item->imageIndex_;
    row->setIcon(0,
        img >= 0 && img < ImageCount() ? QIcon(images_[static_cast<std::size_t>(img)]->Storage().pixmap)
                                       : QIcon());
    QFont f = row->font(0);
    f.setItalic(item->greyed_);
    row->setFont(0, f);
    row->setForeground(0, item->greyed_ ? QBrush(Qt::gray) : QBrush());
    updatingRow_ = false;
}

void TCustomListView::AddColumn(const std::string& caption, int width, TAlignment alignment)
{
    columns_.push_back({ caption, width, alignment });
    auto* tree = static_cast<QTreeWidget*>(widget_);
    QStringList labels;
    for (const Column& c : columns_)
        labels << ToQString(c.caption);
    tree->setColumnCount(ColumnCount());
    tree->setHeaderLabels(labels);
    tree->setColumnWidth(ColumnCount() - 1, width);
    if (alignment == taRightJustify)
        tree->headerItem()->setTextAlignment(ColumnCount() - 1, Qt::AlignRight | Qt::AlignVCenter);
    for (auto& it : items_)
        updateRow(it.get());
}

void TCustomListView::ClearColumns()
{
    columns_.clear();
    auto* tree = static_cast<QTreeWidget*>(widget_);
    tree->setColumnCount(1);
    tree->setHeaderLabels({ QString() });
}

std::string TCustomListView::ColumnCaption(int index) const
{
    return index >= 0 && index < ColumnCount() ? columns_[static_cast<std::size_t>(index)].caption
                                               : std::string();
}

int TCustomListView::ColumnWidth(int index) const
{
    return index >= 0 && index < ColumnCount() ? columns_[static_cast<std::size_t>(index)].width : 0;
}

int TCustomListView::AddImage(const TBitmap& image)
{
    images_.push_back(std::make_unique<TBitmap>());
    images_.back()->Assign(image);
    return ImageCount() - 1;
}

void TCustomListView::ClearImages()
{
    images_.clear();
}

int TCustomListView::ImageCount() const
{
    return static_cast<int>(images_.size());
}

void TCustomListView::SetViewStyle(TViewStyle style)
{
    viewStyle_ = style;
    applyStyle();
}

void TCustomListView::applyStyle()
{
    auto* tree = static_cast<QTreeWidget*>(widget_);
    tree->setHeaderHidden(viewStyle_ != vsReport);
    const int size = viewStyle_ == vsIcon ? 32 : 16;
    tree->setIconSize(QSize(size, size));
    for (int c = 1; c < tree->columnCount(); ++c)
        tree->setColumnHidden(c, viewStyle_ != vsReport);
}

void TCustomListView::SetMultiSelect(bool v)
{
    multiSelect_ = v;
    static_cast<QTreeWidget*>(widget_)->setSelectionMode(
        v ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

TListItem* TCustomListView::Selected() const
{
    for (auto& it : items_)
        if (it->Selected())
            return it.get();
    return nullptr;
}

TListItem* TCustomListView::ItemFocused() const
{
    return itemOf(static_cast<QTreeWidget*>(widget_)->currentItem());
}

std::vector<TListItem*> TCustomListView::SelectedItems() const
{
    std::vector<TListItem*> out;
    for (auto& it : items_)
        if (it->Selected())
            out.push_back(it.get());
    return out;
}

int TCustomListView::SelCount() const
{
    return static_cast<int>(SelectedItems().size());
}

int TCustomListView::ItemIndex() const
{
    TListItem* s = Selected();
    return s ? s->Index() : -1;
}

void TCustomListView::SetItemIndex(int index)
{
    auto* tree = static_cast<QTreeWidget*>(widget_);
    TListItem* item = Item(index);
    settingSelection_ = true;
    tree->clearSelection();
    if (item)
        tree->setCurrentItem(
            static_cast<QTreeWidgetItem*>(item->row_), 0, QItemSelectionModel::ClearAndSelect);
    settingSelection_ = false;
    Change();
}

void TCustomListView::SelectAll()
{
    if (multiSelect_)
        static_cast<QTreeWidget*>(widget_)->selectAll();
}

void TCustomListView::ClearSelection()
{
    static_cast<QTreeWidget*>(widget_)->clearSelection();
}

bool TCustomListView::IsEditing() const
{
    auto* tree = static_cast<TListViewWidget*>(widget_);
    return tree->editing();
}

void TCustomListView::Arrange()
{
    static_cast<QTreeWidget*>(widget_)->doItemsLayout();
}

void TCustomListView::SetAcceptFiles(bool v)
{
    acceptFiles_ = v;
    widget_->setAcceptDrops(acceptFiles_ || dragEnabled_);
}

void TCustomListView::SetDragEnabled(bool v)
{
    dragEnabled_ = v;
    auto* tree = static_cast<QTreeWidget*>(widget_);
    tree->setDragEnabled(v);
    widget_->setAcceptDrops(acceptFiles_ || dragEnabled_);
}

void TCustomListView::Change()
{
    OnChange(this);
}

bool TCustomListView::CanEdit(TListItem*)
{
    return !readOnly_;
}

void TCustomListView::Edit(TListItem*, std::string&)
{
}

void TCustomListView::editFinished(TListItem* item, const std::string& text)
{
    std::string t = text;
    Edit(item, t);
    if (IndexOf(item) < 0)
        return;
    if (!t.empty())
        item->caption_ = t;
    updateRow(item);
}

void TCustomListView::ColClick(int)
{
}

void TCustomListView::FilesDropped(const std::vector<std::string>&)
{
}

void TCustomListView::ApplyColor()
{
    QPalette pal = widget_->palette();
    pal.setColor(QPalette::Base, ToQColor(Color()));
    widget_->setPalette(pal);
}
