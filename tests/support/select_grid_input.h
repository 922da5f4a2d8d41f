#pragma once
// A shown select grid as a person uses it: the point of a cell on the screen, a click on it, and
// the texts a column shows in the listed rows.
#include "lists/QelSelectGrid.h"
#include "toolkit/gridview.h"

#include <QHeaderView>
#include <QTest>

#include <string>
#include <vector>

inline QWidget* GridViewport(TCustomGrid* grid)
{
    return static_cast<qel::grid::GridView*>(grid->Handle())->viewport();
}

// The middle of the cell in the grid's viewport (the cell must be on screen).
inline QPoint GridCellPoint(TCustomGrid* grid, int col, int row)
{
    const TRect r = grid->CellRect(col, row);
    return GridViewport(grid)->mapFrom(
        grid->Handle(), QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
}

inline void ClickGridCell(TCustomGrid* grid, int col, int row, Qt::KeyboardModifiers modifiers = {})
{
    QTest::mouseClick(GridViewport(grid), Qt::LeftButton, modifiers, GridCellPoint(grid, col, row));
}

// Drags the right border of column `col` in the header by `dx` pixels and lets it go.
inline void DragGridColumnBorder(TCustomGrid* grid, int col, int dx)
{
    QWidget* header = static_cast<qel::grid::GridView*>(grid->Handle())->horizontalHeader()->viewport();
    const TRect head = grid->CellRect(col, 0);
    const QPoint border
        = header->mapFrom(grid->Handle(), QPoint(head.Right - 1, (head.Top + head.Bottom) / 2));
    QTest::mousePress(header, Qt::LeftButton, {}, border);
    for (int step = 1; step <= 4; ++step) {
        const QPointF to(border + QPoint(dx * step / 4, 0));
        QMouseEvent move(QEvent::MouseMove, to, header->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(header, &move);
    }
    QTest::mouseRelease(header, Qt::LeftButton, {}, border + QPoint(dx, 0));
    QApplication::processEvents();
}

// The texts of the column headed `header` in the loaded rows, top to bottom.
inline std::vector<std::string> ListedColumn(const TQelSelectGrid* grid, const std::string& header)
{
    std::vector<std::string> out;
    const int c = grid->ColumnByName(header);
    for (int r = grid->FirstDataRow(); c >= 0 && r < grid->FirstDataRow() + grid->EntryCount(); ++r)
        out.push_back(grid->Cells(c, r));
    return out;
}
