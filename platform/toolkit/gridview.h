// The Qt view of a grid: a QTableView over GridModel whose cells, headers (the fixed rows and
// columns) and corner are all painted by the grid host. The view keeps no selection or editor of
// its own; the grid owns both and only asks the view to scroll and repaint.
#pragma once

#include "toolkit/gridmodel.h"

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>

namespace qel::grid {

class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    GridDelegate(GridHost& host, GridModel& model, QObject* parent);
    void paint(
        QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    GridHost& host_;
    GridModel& model_;
};

// Horizontal header = the fixed rows stacked; vertical header = the fixed columns side by side.
class GridHeader : public QHeaderView {
    Q_OBJECT
public:
    GridHeader(Qt::Orientation orientation, GridHost& host, GridModel& model, QWidget* parent);
    // Row height of the fixed rows (horizontal header only).
    void setFixedRowHeight(int height) { fixedRowHeight_ = height; }
    // True when pos lies on a section border, where a press starts resizing rather than a click.
    bool onSectionBorder(QPoint pos) const;
    // The header's own handling of an event of its viewport (used after the grid has seen it).
    bool handleViewportEvent(QEvent* event) { return viewportEvent(event); }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    GridHost& host_;
    GridModel& model_;
    int fixedRowHeight_ = 22;
};

class GridView : public QTableView {
    Q_OBJECT
public:
    GridView(GridHost& host, QWidget* parent);

    GridModel& gridModel() { return *model_; }
    GridHeader& columnHeader() { return *colHeader_; }
    GridHeader& rowHeader() { return *rowHeader_; }
    const GridHeader& columnHeader() const { return *colHeader_; }
    const GridHeader& rowHeader() const { return *rowHeader_; }

    // Re-applies spans, hidden columns, widths and header sizes from the store (after reset()).
    void syncLayout(int defaultRowHeight);
    void syncColumnWidths();
    // Model index of a cell given in grid coordinates (column, display row); invalid in fixed parts.
    QModelIndex indexOf(int col, int displayRow) const;

signals:
    // The user dragged the border of a scrolling column to `width`.
    void columnResized(int col, int width);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    GridHost& host_;
    GridModel* model_;
    GridHeader* colHeader_;
    GridHeader* rowHeader_;
    bool syncingWidths_ = false;
    QWidget* corner_ = nullptr; // the table's corner button, painted as the fixed top-left cells
};

} // namespace qel::grid
