#include "toolkit/listbox.h"

#include "toolkit/mirroredstrings.h"
#include "toolkit/qtbridge.h"

#include <QListWidget>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

class TListWidget : public TScrollBridgeWidget<QListWidget> {
public:
    TListWidget() = default;
};

// Gives every item the list box's item height.
class TItemHeightDelegate : public QStyledItemDelegate {
public:
    explicit TItemHeightDelegate(QObject* parent)
        : QStyledItemDelegate(parent)
    {
    }
    int height = 16;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(height);
        return s;
    }
};

} // namespace

// The items, mirrored into the Qt list as they change.
class TCustomListBox::TListBoxItems : public TMirroredStrings {
public:
    explicit TListBoxItems(TCustomListBox& box)
        : TMirroredStrings(MakeMirror(box))
    {
    }

private:
    static TMirror MakeMirror(TCustomListBox& box)
    {
        const auto list = [&box] { return static_cast<QListWidget*>(box.Handle()); };
        TMirror m;
        m.insert = [list](int index, const std::string& s) { list()->insertItem(index, ToQString(s)); };
        m.put = [list](int index, const std::string& s) { list()->item(index)->setText(ToQString(s)); };
        m.remove = [list](int index) { delete list()->takeItem(index); };
        m.clear = [list] { list()->clear(); };
        m.rebuild = [list](const TMirroredStrings& items) {
            list()->clear();
            list()->addItems(ItemTexts(items));
        };
        m.apply = [list](const std::function<void()>& change) {
            if (QListWidget* l = list()) {
                const QSignalBlocker block(l);
                change();
            }
        };
        return m;
    }
};

TCustomListBox::TCustomListBox(TComponent* owner)
    : TCustomListBox(owner, new TListWidget())
{
}

TCustomListBox::TCustomListBox(TComponent* owner, QWidget* widget)
    : TWinControl(owner, widget)
    , items_(std::make_unique<TListBoxItems>(*this))
{
    Init();
}

TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::Init()
{
    auto* list = static_cast<QListWidget*>(widget_);
    auto* delegate = new TItemHeightDelegate(list);
    delegate->height = itemHeight_;
    list->setItemDelegate(delegate);
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    QObject::connect(list, &QListWidget::itemSelectionChanged, list, [this] {
        if (!settingSelection_)
            Change();
    });
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
    PublishLines<static_cast<const TStrings& (TCustomListBox::*)() const>(&TCustomListBox::Items),
        &TCustomListBox::SetItems>("Items");
    Publish<&TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex>("ItemIndex");
    Publish<&TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect>("MultiSelect");
    Publish<&TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight>("ItemHeight");
    Publish<&TCustomListBox::Sorted, &TCustomListBox::SetSorted>("Sorted");
}

TStrings& TCustomListBox::Items()
{
    return *items_;
}

const TStrings& TCustomListBox::Items() const
{
    return *items_;
}

void TCustomListBox::SetItems(const TStrings& items)
{
    items_->Assign(items);
}

int TCustomListBox::ItemIndex() const
{
    return static_cast<QListWidget*>(widget_)->currentRow();
}

void TCustomListBox::SetItemIndex(int index)
{
    auto* list = static_cast<QListWidget*>(widget_);
    if (index < 0 || index >= Count())
        index = -1;
    settingSelection_ = true;
    if (multiSelect_)
        list->setCurrentRow(index, QItemSelectionModel::NoUpdate);
    else if (index < 0)
        list->setCurrentRow(-1, QItemSelectionModel::Clear);
    else
        list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    settingSelection_ = false;
}

void TCustomListBox::SetMultiSelect(bool v)
{
    if (multiSelect_ == v)
        return;
    multiSelect_ = v;
    auto* list = static_cast<QListWidget*>(widget_);
    settingSelection_ = true;
    list->setSelectionMode(v ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    if (!v) {
        const int current = list->currentRow();
        list->clearSelection();
        if (current >= 0)
            list->item(current)->setSelected(true);
    }
    settingSelection_ = false;
}

bool TCustomListBox::Selected(int index) const
{
    const QListWidgetItem* item = static_cast<QListWidget*>(widget_)->item(index);
    return item && item->isSelected();
}

void TCustomListBox::SetSelected(int index, bool selected)
{
    auto* list = static_cast<QListWidget*>(widget_);
    QListWidgetItem* item = list->item(index);
    if (!item)
        return;
    settingSelection_ = true;
    if (!multiSelect_ && selected)
        list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    else
        item->setSelected(selected);
    settingSelection_ = false;
}

int TCustomListBox::SelCount() const
{
    return static_cast<int>(static_cast<QListWidget*>(widget_)->selectedItems().size());
}

void TCustomListBox::ClearSelection()
{
    settingSelection_ = true;
    static_cast<QListWidget*>(widget_)->clearSelection();
    settingSelection_ = false;
}

void TCustomListBox::SelectAll()
{
    if (!multiSelect_)
        return;
    settingSelection_ = true;
    static_cast<QListWidget*>(widget_)->selectAll();
    settingSelection_ = false;
}

void TCustomListBox::SetItemHeight(int height)
{
    height = std::max(1, height);
    if (itemHeight_ == height)
        return;
    itemHeight_ = height;
    auto* list = static_cast<QListWidget*>(widget_);
    // A list drawing its items itself asks ItemHeight in its own delegate.
    if (auto* d = dynamic_cast<TItemHeightDelegate*>(list->itemDelegate()))
        d->height = height;
    list->doItemsLayout();
}

bool TCustomListBox::Sorted() const
{
    return items_->Sorted();
}

void TCustomListBox::SetSorted(bool v)
{
    items_->SetSorted(v);
}

void TCustomListBox::Change()
{
    OnChange(this);
}

void TCustomListBox::ApplyColor()
{
    QPalette pal = widget_->palette();
    pal.setColor(QPalette::Base, ToQColor(Color()));
    widget_->setPalette(pal);
}

TListBox::TListBox(TComponent* owner)
    : TCustomListBox(owner)
{
}
