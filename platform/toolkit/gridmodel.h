// Qt model over a grid store. The model shows the scrolling part of the grid: display rows from
// the first non-fixed row, columns from the first non-fixed column (hidden columns included; the
// view hides them). Fixed rows and columns are drawn by the view's header sections.
//
// Cell texts are converted to QString only when the view asks for a cell, i.e. for the cells on
// screen; painting goes straight to the host and bypasses data() altogether.
#pragma once

#include "toolkit/gridhost.h"

#include <QAbstractTableModel>

namespace qel::grid {

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(GridHost& host, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Tells the views that rows, columns or their order changed (one reset, however many changes).
    void reset();

    int firstDisplayRow() const;
    int firstCol() const;

private:
    GridHost& host_;
    int rows_ = 0; // counts as of the last reset, so views never see a count change behind their back
    int cols_ = 0;
};

} // namespace qel::grid
