#include "toolkit/htmltreeview.h"

#include "toolkit/minihtmlrender.h"
#include "toolkit/qtbridge.h"

#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace {

class THTMLNodeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const std::string text = FromQString(index.data(Qt::DisplayRole).toString());
        if (!qel::minihtml::IsMarkup(text)) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        // The row's background, focus and icon as usual; the text drawn from its mark-up.
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text.clear();
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget);
        qel::minihtml::RenderStyle look;
        look.font = opt.font;
        look.color = opt.palette.color(
            opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text);
        painter->save();
        qel::minihtml::Paint(*painter, qel::minihtml::Parse(text), textRect, look);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const std::string text = FromQString(index.data(Qt::DisplayRole).toString());
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (qel::minihtml::IsMarkup(text)) {
            qel::minihtml::RenderStyle look;
            look.font = option.font;
            const QSize need = qel::minihtml::Extent(qel::minihtml::Parse(text), look);
            const QSize plain = option.fontMetrics.size(0, index.data(Qt::DisplayRole).toString());
            size.setWidth(size.width() - plain.width() + need.width());
        }
        return size;
    }
};

} // namespace

THTMLTreeview::THTMLTreeview(TComponent* owner)
    : TTreeView(owner)
{
    auto* tree = static_cast<QTreeWidget*>(Handle());
    tree->setItemDelegate(new THTMLNodeDelegate(tree));
}
