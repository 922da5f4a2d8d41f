// What the grid's Qt model and view need from the grid control (no Qt types here, so that the
// control's public header stays free of Qt).
#pragma once

#include "toolkit/gridstore.h"

class QPainter;
class QRect;

namespace qel::grid {

// What the Qt side needs from the grid that owns the store.
class GridHost {
public:
    virtual const GridStore& gridStore() const = 0;
    virtual int gridFixedCols() const = 0;
    // Paints cell (col, display row) into rect, fixed cells included.
    virtual void paintGridCell(QPainter& painter, int col, int displayRow, const QRect& rect) = 0;

protected:
    ~GridHost() = default;
};

} // namespace qel::grid
