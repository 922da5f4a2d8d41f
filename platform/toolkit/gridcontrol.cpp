#include "toolkit/gridcontrol.h"

#include "toolkit/editlink.h"
#include "toolkit/gridwidget.h"
#include "toolkit/minihtml.h"
#include "toolkit/minihtmlrender.h"

#include <QFontMetrics>
#include <QMetaObject>
#include <QScrollBar>

#include <algorithm>

using qel::grid::GridView;
using qel::grid::GridWidget;

TCustomGrid::TCustomGrid(TComponent* owner)
    : GridHost()
    , TCustomControl(owner, new GridWidget(*this))
    , gridWidget_(static_cast<GridWidget*>(Handle()))
{
    gridWidget_->setFocusPolicy(Qt::StrongFocus);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    options_ = { goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect };
    store_.setColCount(5);
    store_.setRowCount(5);
    store_.setFixedRows(1);
    fixedCols_ = 1;
    col_ = row_ = anchorRow_ = 1;
    QObject::connect(gridWidget_, &GridView::columnResized, gridWidget_,
        [this](int col, int width) { columnResizedByUser(col, width); });
    SetBounds(0, 0, 320, 120);
    LayoutChanged();
}

TCustomGrid::~TCustomGrid()
{
    Destroying();
    editor_.reset();
}

GridView& TCustomGrid::view() const
{
    return *gridWidget_;
}

QWidget* TCustomGrid::ClientWidget() const
{
    // Child controls (editor controls of links) sit on the cells, inside the scrolling area.
    return gridWidget_->viewport();
}

// ---- update batching --------------------------------------------------------------------------

void TCustomGrid::BeginUpdate()
{
    ++updateCount_;
}

void TCustomGrid::EndUpdate()
{
    if (updateCount_ == 0 || --updateCount_ > 0)
        return;
    if (pendingLayout_)
        LayoutChanged();
    else if (pendingColumns_)
        ColumnsChanged();
    ContentChanged();
}

void TCustomGrid::LayoutChanged()
{
    if (updateCount_ > 0) {
        pendingLayout_ = true;
        return;
    }
    pendingLayout_ = pendingColumns_ = false;
    clampCurrent();
    view().gridModel().reset();
    view().syncLayout(defaultRowHeight_);
    placeEditor();
    ContentChanged();
}

void TCustomGrid::ColumnsChanged()
{
    if (updateCount_ > 0) {
        pendingColumns_ = true;
        return;
    }
    pendingColumns_ = false;
    view().syncColumnWidths();
    placeEditor();
    ContentChanged();
}

void TCustomGrid::ContentChanged()
{
    if (updateCount_ > 0 || repaintPosted_)
        return;
    // One repaint per turn of the event loop, however many cells change in between.
    repaintPosted_ = true;
    QPointer<QWidget> guard(gridWidget_);
    QMetaObject::invokeMethod(
        gridWidget_,
        [this, guard] {
            if (!guard)
                return;
            repaintPosted_ = false;
            gridWidget_->viewport()->update();
            view().columnHeader().viewport()->update();
            view().rowHeader().viewport()->update();
        },
        Qt::QueuedConnection);
}

// ---- layout -----------------------------------------------------------------------------------

void TCustomGrid::SetColCount(int count)
{
    count = std::max(0, count);
    if (count == ColCount())
        return;
    if (editor_ && editor_->col() >= count)
        closeEditor(false);
    store_.setColCount(count);
    LayoutChanged();
}

void TCustomGrid::SetRowCount(int count)
{
    count = std::max(0, count);
    if (count == RowCount())
        return;
    if (editor_ && RealRowIndex(editor_->row()) >= count)
        closeEditor(false);
    if (count > RowCount())
        store_.reserveRows(count);
    store_.setRowCount(count);
    LayoutChanged();
}

void TCustomGrid::SetFixedRows(int count)
{
    store_.setFixedRows(std::max(0, count));
    LayoutChanged();
}

void TCustomGrid::SetFixedCols(int count)
{
    fixedCols_ = std::max(0, count);
    LayoutChanged();
}

void TCustomGrid::SetColWidths(int col, int width)
{
    if (col < 0 || col >= ColCount() || store_.colWidth(col) == std::max(0, width))
        return;
    store_.setColWidth(col, width);
    ColumnsChanged();
    ColWidthsChanged();
}

void TCustomGrid::SetDefaultColWidth(int width)
{
    store_.setDefaultColWidth(std::max(0, width));
    for (int c = 0; c < ColCount(); ++c)
        store_.setColWidth(c, width);
    ColumnsChanged();
    ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int height)
{
    defaultRowHeight_ = std::max(1, height);
    LayoutChanged();
}

void TCustomGrid::SetOptions(TGridOptions options)
{
    const bool editingOff = options_.Contains(goEditing) && !options.Contains(goEditing);
    if (editingOff || options.Contains(goRowSelect))
        closeEditor(true);
    options_ = options;
    view().columnHeader().setSectionResizeMode(
        options_.Contains(goColSizing) ? QHeaderView::Interactive : QHeaderView::Fixed);
    ContentChanged();
}

void TCustomGrid::SetFixedColor(TColor c)
{
    fixedColor_ = c;
    ContentChanged();
}

void TCustomGrid::SetSelectionColor(TColor c)
{
    selectionColor_ = c;
    ContentChanged();
}

void TCustomGrid::SetSelectionTextColor(TColor c)
{
    selectionTextColor_ = c;
    ContentChanged();
}

void TCustomGrid::SetGridLineColor(TColor c)
{
    gridLineColor_ = c;
    ContentChanged();
}

void TCustomGrid::SetURLColor(TColor c)
{
    urlColor_ = c;
    ContentChanged();
}

void TCustomGrid::SetCheckTexts(const std::string& checked, const std::string& unchecked)
{
    checkTrue_ = checked;
    checkFalse_ = unchecked;
}

void TCustomGrid::columnResizedByUser(int col, int width)
{
    sizedCol_ = col;
    int w = width;
    store_.setColWidth(col, w);
    UpdateColSize(col, w);
    if (w != width) {
        store_.setColWidth(col, w);
        ColumnsChanged();
    }
    placeEditor();
    ColWidthsChanged();
}

void TCustomGrid::clampCurrent()
{
    const int rows = DisplRowCount();
    row_ = std::clamp(row_, std::min(FixedRows(), std::max(0, rows - 1)), std::max(0, rows - 1));
    col_ = std::clamp(col_, std::min(fixedCols_, std::max(0, ColCount() - 1)), std::max(0, ColCount() - 1));
    if (store_.colHidden(col_)) {
        const int next = nextVisibleCol(col_, 1);
        col_ = next >= 0 ? next : std::max(0, nextVisibleCol(col_, -1));
    }
    anchorRow_ = std::clamp(anchorRow_, 0, std::max(0, rows - 1));
}

// ---- geometry ---------------------------------------------------------------------------------

// The headers count while the grid is hidden too (isVisibleTo, not isVisible), so that a grid
// laid out before it is shown measures what it will have.
int TCustomGrid::ClientWidth() const
{
    const auto& v = view();
    return v.viewport()->width() + (v.rowHeader().isVisibleTo(&v) ? v.rowHeader().width() : 0);
}

int TCustomGrid::ClientHeight() const
{
    const auto& v = view();
    return v.viewport()->height() + (v.columnHeader().isVisibleTo(&v) ? v.columnHeader().height() : 0);
}

int TCustomGrid::TopRow() const
{
    const int r = view().rowAt(0);
    return r < 0 ? FixedRows() : r + FixedRows();
}

void TCustomGrid::SetTopRow(int row)
{
    const QModelIndex idx = view().indexOf(std::max(fixedCols_, nextVisibleCol(fixedCols_ - 1, 1)), row);
    if (idx.isValid())
        view().scrollTo(idx, QAbstractItemView::PositionAtTop);
}

int TCustomGrid::VisibleRowCount() const
{
    return std::max(0, view().viewport()->height() / std::max(1, defaultRowHeight_));
}

void TCustomGrid::ScrollInView(int col, int row)
{
    QModelIndex idx = view().indexOf(col < fixedCols_ ? fixedCols_ : col, row);
    if (idx.isValid())
        view().scrollTo(idx);
}

QRect TCustomGrid::editorRect(int col, int row) const
{
    const QModelIndex idx = view().indexOf(col, row);
    return idx.isValid() ? view().visualRect(idx) : QRect();
}

TRect TCustomGrid::CellRect(int col, int row) const
{
    if (col < 0 || col >= ColCount() || row < 0 || row >= DisplRowCount() || store_.colHidden(col))
        return {};
    const QPoint off = gridWidget_->viewportOffset();
    int x = 0, w = 0, y = 0, h = 0;
    if (col < fixedCols_) {
        x = gridWidget_->frameWidth();
        for (int c = 0; c < col; ++c)
            x += store_.colHidden(c) ? 0 : store_.colWidth(c);
        w = store_.colWidth(col);
    }
    if (row < FixedRows()) {
        y = gridWidget_->frameWidth() + row * defaultRowHeight_;
        h = defaultRowHeight_;
    }
    if (col >= fixedCols_ || row >= FixedRows()) {
        const int vc = col >= fixedCols_ ? col : std::max(fixedCols_, 0);
        const int vr = row >= FixedRows() ? row : FixedRows();
        const QModelIndex idx
            = view().indexOf(std::min(vc, ColCount() - 1), std::min(vr, DisplRowCount() - 1));
        if (!idx.isValid())
            return {};
        const QRect r = view().visualRect(idx).translated(off);
        if (col >= fixedCols_) {
            x = r.x();
            w = r.width();
        }
        if (row >= FixedRows()) {
            y = r.y();
            h = r.height();
        }
    }
    return Bounds(x, y, w, h);
}

void TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const
{
    col = row = -1;
    const QPoint off = gridWidget_->viewportOffset();
    const int frame = gridWidget_->frameWidth();
    if (x < off.x()) {
        int left = frame;
        for (int c = 0; c < fixedCols_ && c < ColCount(); ++c) {
            const int w = store_.colHidden(c) ? 0 : store_.colWidth(c);
            if (x >= left && x < left + w)
                col = c;
            left += w;
        }
    } else {
        const int c = view().columnAt(x - off.x());
        col = c < 0 ? -1 : c + fixedCols_;
    }
    if (y < off.y()) {
        const int r = (y - frame) / std::max(1, defaultRowHeight_);
        row = y >= frame && r < FixedRows() ? r : -1;
    } else {
        const int r = view().rowAt(y - off.y());
        row = r < 0 ? -1 : r + FixedRows();
    }
    if (col < 0 || row < 0)
        col = row = -1;
}

int TCustomGrid::TextWidth(const std::string& text) const
{
    return QFontMetrics(ToQFont(Font())).horizontalAdvance(ToQString(text));
}

int TCustomGrid::TextHeight(const std::string& text) const
{
    return QFontMetrics(ToQFont(Font())).boundingRect(ToQString(text)).height();
}

// ---- selection --------------------------------------------------------------------------------

TGridRect TCustomGrid::Selection() const
{
    if (options_.Contains(goRangeSelect) || options_.Contains(goRowSelect)) {
        const int top = std::min(anchorRow_, row_), bottom = std::max(anchorRow_, row_);
        if (options_.Contains(goRowSelect))
            return { fixedCols_, top, ColCount() - 1, bottom };
        return { col_, top, col_, bottom };
    }
    return { col_, row_, col_, row_ };
}

void TCustomGrid::SetRowSelect(int row, bool selected)
{
    store_.setRowSelected(RealRowIndex(row), selected);
    ContentChanged();
}

void TCustomGrid::ClearRowSelect()
{
    store_.clearRowSelection();
    ContentChanged();
}

// ---- editing entry points ---------------------------------------------------------------------

void TCustomGrid::SetEditorMode(bool on)
{
    if (on)
        openEditor(TEditorStart::SelectAll);
    else
        closeEditor(true);
}

void TCustomGrid::SetEditMode(bool on)
{
    if (on == EditMode())
        return;
    if (!on) {
        closeEditor(true);
        options_ >> goEditing;
        Repaint();
    } else {
        options_ << goEditing;
        openEditor(TEditorStart::SelectAll);
    }
}

// ---- default hooks ----------------------------------------------------------------------------

bool TCustomGrid::SelectCell(int col, int row)
{
    bool can = true;
    OnSelectCell(this, col, row, can);
    return can;
}

void TCustomGrid::ColWidthsChanged()
{
}

void TCustomGrid::UpdateColSize(int, int&)
{
}

int TCustomGrid::SortMark(int) const
{
    return 0;
}

void TCustomGrid::EndColumnSize(int col)
{
    OnEndColumnSize(this, col);
}

bool TCustomGrid::CanEditShow()
{
    if (!options_.Contains(goEditing) || options_.Contains(goRowSelect))
        return false;
    if (col_ < fixedCols_ || row_ < FixedRows() || col_ >= ColCount() || row_ >= DisplRowCount())
        return false;
    if (store_.colHidden(col_))
        return false;
    bool editable = true;
    GetCellReadOnly(col_, row_, editable);
    return editable;
}

std::string TCustomGrid::GetEditText(int col, int row)
{
    return std::string(store_.text(col, RealRowIndex(row)));
}

void TCustomGrid::SetEditText(int col, int row, const std::string& value)
{
    store_.setText(col, RealRowIndex(row), value);
    ContentChanged();
}

void TCustomGrid::GetCellReadOnly(int, int, bool&)
{
}

void TCustomGrid::GetEditorType(int col, int row, TEditorType& editor)
{
    OnGetEditorType(this, col, row, editor);
}

void TCustomGrid::GetCellColor(int, int, TGridDrawState, TBrush*, TFont*)
{
}

void TCustomGrid::GetCellAlign(int, int, TAlignment&, TVerticalAlignment&)
{
}

void TCustomGrid::GetCellHint(int col, int row, std::string& hint)
{
    if (hintShowCells_ && IsCellTruncated(col, row))
        hint = qel::minihtml::Strip(store_.text(col, RealRowIndex(row)));
}

void TCustomGrid::AnchorClick(int col, int row, const std::string& anchor, bool& autoHandle)
{
    OnAnchorClick(this, row, col, anchor, autoHandle);
}

void TCustomGrid::EllipsClick(int col, int row, std::string& value)
{
    OnEllipsClick(this, col, row, value);
}

void TCustomGrid::ComboChange(int col, int row, int itemIndex, const std::string& selection)
{
    OnComboChange(this, col, row, itemIndex, selection);
}

void TCustomGrid::SortByClick(int)
{
}

void TCustomGrid::Resize()
{
    resizedWidth_ = ClientWidth();
    resizedHeight_ = ClientHeight();
    TCustomControl::Resize();
    placeEditor();
}

void TCustomGrid::viewportResized()
{
    // A grid sized while hidden lays out its viewport only when it is first shown; SetBounds
    // itself calls Resize once it is done.
    if (updatingBounds_ || (ClientWidth() == resizedWidth_ && ClientHeight() == resizedHeight_))
        return;
    Resize();
}

// ---- TStringGrid ------------------------------------------------------------------------------

TStringGrid::TStringGrid(TComponent* owner)
    : TCustomGrid(owner)
{
}

void TStringGrid::SetCells(int col, int row, const std::string& text)
{
    store_.setText(col, RealRowIndex(row), text);
    ContentChanged();
}

void TStringGrid::SetObjects(int col, int row, void* object)
{
    store_.setObject(col, RealRowIndex(row), object);
}
