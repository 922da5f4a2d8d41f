#include "toolkit/gridmodel.h"

#include "toolkit/minihtml.h"

#include <algorithm>

namespace qel::grid {

GridModel::GridModel(GridHost& host, QObject* parent)
    : QAbstractTableModel(parent)
    , host_(host)
{
    // No reset here: the host may still be under construction; it resets once it is ready.
}

int GridModel::firstDisplayRow() const
{
    return host_.gridStore().fixedRows();
}

int GridModel::firstCol() const
{
    return host_.gridFixedCols();
}

void GridModel::reset()
{
    beginResetModel();
    const auto& store = host_.gridStore();
    rows_ = std::max(0, store.displayRowCount() - firstDisplayRow());
    cols_ = std::max(0, store.colCount() - firstCol());
    endResetModel();
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : cols_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const auto& store = host_.gridStore();
    const int row = store.realRow(index.row() + firstDisplayRow());
    const std::string_view text = store.text(index.column() + firstCol(), row);
    if (role == Qt::DisplayRole)
        return QString::fromStdString(minihtml::Strip(text));
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    const auto& store = host_.gridStore();
    if (orientation == Qt::Horizontal)
        return store.fixedRows() > 0
            ? QString::fromStdString(minihtml::Strip(store.text(section + firstCol(), 0)))
            : QVariant();
    return firstCol() > 0
        ? QString::fromStdString(minihtml::Strip(store.text(0, store.realRow(section + firstDisplayRow()))))
        : QVariant();
}

} // namespace qel::grid
