#include "toolkit/gridview.h"

#include <QAbstractButton>

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace qel::grid {

GridDelegate::GridDelegate(GridHost& host, GridModel& model, QObject* parent)
    : QStyledItemDelegate(parent)
    , host_(host)
    , model_(model)
{
}

void GridDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    host_.paintGridCell(
        *painter, index.column() + model_.firstCol(), index.row() + model_.firstDisplayRow(), option.rect);
}

GridHeader::GridHeader(Qt::Orientation orientation, GridHost& host, GridModel& model, QWidget* parent)
    : QHeaderView(orientation, parent)
    , host_(host)
    , model_(model)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setMinimumSectionSize(0);
}

bool GridHeader::onSectionBorder(QPoint pos) const
{
    if (orientation() != Qt::Horizontal || sectionResizeMode(0) == QHeaderView::Fixed)
        return false;
    const int x = pos.x();
    return logicalIndexAt(x - 3) != logicalIndexAt(x + 3);
}

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    const auto& store = host_.gridStore();
    if (orientation() == Qt::Horizontal) {
        const int col = logicalIndex + model_.firstCol();
        for (int r = 0; r < store.fixedRows(); ++r)
            host_.paintGridCell(*painter, col, r,
                QRect(rect.left(), rect.top() + r * fixedRowHeight_, rect.width(), fixedRowHeight_));
    } else {
        const int row = logicalIndex + model_.firstDisplayRow();
        int x = rect.left();
        for (int c = 0; c < model_.firstCol(); ++c) {
            const int w = store.colHidden(c) ? 0 : store.colWidth(c);
            if (w > 0)
                host_.paintGridCell(*painter, c, row, QRect(x, rect.top(), w, rect.height()));
            x += w;
        }
    }
}

GridView::GridView(GridHost& host, QWidget* parent)
    : QTableView(parent)
    , host_(host)
    , model_(new GridModel(host, this))
{
    colHeader_ = new GridHeader(Qt::Horizontal, host, *model_, this);
    rowHeader_ = new GridHeader(Qt::Vertical, host, *model_, this);
    setHorizontalHeader(colHeader_);
    setVerticalHeader(rowHeader_);
    setModel(model_);
    setItemDelegate(new GridDelegate(host, *model_, this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setShowGrid(false); // the host paints the lines with its own colour and options
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    rowHeader_->setSectionResizeMode(QHeaderView::Fixed);
    rowHeader_->setMinimumSectionSize(1);
    colHeader_->setStretchLastSection(false);
    corner_ = findChild<QAbstractButton*>();
    if (corner_)
        corner_->installEventFilter(this);
    connect(colHeader_, &QHeaderView::sectionResized, this, [this](int logical, int, int newSize) {
        if (!syncingWidths_)
            emit columnResized(logical + model_->firstCol(), newSize);
    });
}

QModelIndex GridView::indexOf(int col, int displayRow) const
{
    return model_->index(displayRow - model_->firstDisplayRow(), col - model_->firstCol());
}

void GridView::syncColumnWidths()
{
    const auto& store = host_.gridStore();
    syncingWidths_ = true;
    const int first = model_->firstCol();
    for (int c = first; c < store.colCount(); ++c) {
        const bool hidden = store.colHidden(c);
        if (isColumnHidden(c - first) != hidden)
            setColumnHidden(c - first, hidden);
        if (!hidden && colHeader_->sectionSize(c - first) != store.colWidth(c))
            colHeader_->resizeSection(c - first, store.colWidth(c));
    }
    int fixedWidth = 0;
    for (int c = 0; c < first && c < store.colCount(); ++c)
        fixedWidth += store.colHidden(c) ? 0 : store.colWidth(c);
    rowHeader_->setVisible(first > 0 && fixedWidth > 0);
    rowHeader_->setFixedWidth(fixedWidth);
    syncingWidths_ = false;
}

void GridView::syncLayout(int defaultRowHeight)
{
    const auto& store = host_.gridStore();
    rowHeader_->setDefaultSectionSize(defaultRowHeight);
    colHeader_->setFixedRowHeight(defaultRowHeight);
    colHeader_->setVisible(store.fixedRows() > 0);
    colHeader_->setFixedHeight(store.fixedRows() * defaultRowHeight);
    syncColumnWidths();
    clearSpans();
    const int firstRow = model_->firstDisplayRow();
    const int firstCol = model_->firstCol();
    for (const auto& m : store.merges()) {
        const int displ = store.displayRow(m.row);
        if (displ < firstRow || m.col < firstCol)
            continue; // merges inside the fixed part are drawn cell by cell
        int spanY = 0; // rows of the merge that are shown
        for (int r = m.row; r < m.row + m.spanY; ++r)
            spanY += store.rowShown(r) ? 1 : 0;
        setSpan(displ - firstRow, m.col - firstCol, std::max(1, spanY), m.spanX);
    }
}

bool GridView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && watched == corner_ && corner_) {
        auto* corner = static_cast<QWidget*>(watched);
        QPainter painter(corner);
        const auto& store = host_.gridStore();
        const int h = store.fixedRows() > 0 ? corner->height() / store.fixedRows() : 0;
        for (int r = 0; r < store.fixedRows(); ++r) {
            int x = 0;
            for (int c = 0; c < model_->firstCol(); ++c) {
                const int w = store.colHidden(c) ? 0 : store.colWidth(c);
                if (w > 0)
                    host_.paintGridCell(painter, c, r, QRect(x, r * h, w, h));
                x += w;
            }
        }
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace qel::grid
