#include "toolkit/htmllistbox.h"

#include "toolkit/minihtmlrender.h"
#include "toolkit/qtbridge.h"

#include <QApplication>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Draws an item's text as mini-HTML over the style's item background.
class THtmlItemDelegate : public QStyledItemDelegate {
public:
    THtmlItemDelegate(QObject* parent, const TCustomListBox* box)
        : QStyledItemDelegate(parent)
        , box_(box)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* w = opt.widget;
        (w ? w->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);
        qel::minihtml::RenderStyle style;
        style.font = opt.font;
        const bool selected = opt.state & QStyle::State_Selected;
        style.color = opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        painter->save();
        qel::minihtml::Paint(*painter, qel::minihtml::Parse(text.toStdString()), opt.rect, style);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(box_->ItemHeight());
        return s;
    }

private:
    const TCustomListBox* box_;
};

} // namespace

THTMListBox::THTMListBox(TComponent* owner)
    : TCustomListBox(owner)
{
    auto* list = static_cast<QListWidget*>(Handle());
    QAbstractItemDelegate* old = list->itemDelegate();
    list->setItemDelegate(new THtmlItemDelegate(list, this));
    delete old;
}

int THTMListBox::ItemAtPos(int x, int y) const
{
    auto* list = static_cast<QListWidget*>(Handle());
    const QPoint p = list->viewport()->mapFrom(list, QPoint(x, y));
    QListWidgetItem* item = list->itemAt(p);
    return item ? list->row(item) : -1;
}

TRect THTMListBox::ItemRect(int index) const
{
    auto* list = static_cast<QListWidget*>(Handle());
    QListWidgetItem* item = index >= 0 && index < list->count() ? list->item(index) : nullptr;
    if (!item)
        return {};
    const QRect r = list->visualItemRect(item);
    const QPoint tl = list->viewport()->mapTo(list, r.topLeft());
    return TRect { tl.x(), tl.y(), tl.x() + r.width(), tl.y() + r.height() };
}
