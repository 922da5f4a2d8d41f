// Keyboard and mouse handling of the grid: moving the current cell, selecting rows, opening and
// closing editors, clicking anchors and node glyphs.
#include "toolkit/gridcontrol.h"

#include "toolkit/form.h"
#include "toolkit/gridwidget.h"
#include "toolkit/minihtml.h"
#include "toolkit/minihtmlrender.h"

#include <QApplication>

#include <algorithm>
#include <utility>

using qel::grid::kGlyphSize;
using qel::grid::kLevelIndent;

int TCustomGrid::nextVisibleCol(int col, int step) const
{
    for (int c = col + step; c >= fixedCols_ && c < ColCount(); c += step)
        if (!store_.colHidden(c))
            return c;
    return -1;
}

void TCustomGrid::selectRowsForMove(int newRow, TShiftState shift, bool fromMouse)
{
    const bool extend = shift.Contains(ssShift) && (options_.Contains(goRangeSelect) || disjunctRowSelect_);
    const bool toggle = fromMouse && shift.Contains(ssCtrl) && disjunctRowSelect_;
    if (toggle) {
        const int real = RealRowIndex(newRow);
        store_.setRowSelected(real, !store_.rowSelected(real));
        anchorRow_ = newRow;
        return;
    }
    if (!extend)
        anchorRow_ = newRow;
    store_.clearRowSelection();
    const int top = std::min(anchorRow_, newRow), bottom = std::max(anchorRow_, newRow);
    for (int r = std::max(top, FixedRows()); r <= bottom; ++r)
        store_.setRowSelected(RealRowIndex(r), true);
}

bool TCustomGrid::moveTo(int col, int row, TShiftState shift, bool fromMouse)
{
    if (col < fixedCols_ || row < FixedRows() || col >= ColCount() || row >= DisplRowCount()
        || store_.colHidden(col))
        return false;
    if (const auto* m = store_.mergeAt(col, RealRowIndex(row))) {
        // A merged cell is entered at its base cell.
        col = m->col;
        const int base = DisplRowIndex(m->row);
        if (base >= FixedRows())
            row = base;
    }
    const bool moving = col != col_ || row != row_;
    if (moving) {
        closeEditor(true);
        if (!SelectCell(col, row))
            return false;
        col_ = col;
        row_ = row;
    }
    selectRowsForMove(row, shift, fromMouse);
    ScrollInView(col, row);
    ContentChanged();
    if (moving && options_.Contains(goAlwaysShowEditor))
        openEditor(TEditorStart::SelectAll);
    return true;
}

bool TCustomGrid::FocusCell(int col, int row)
{
    if (col == col_ && row == row_)
        return true;
    return moveTo(col, row, {}, false);
}

void TCustomGrid::KeyDown(WORD& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    if (key == 0)
        return;
    if (shift.Contains(ssCtrl) && (key == VK_TAB || key == VK_PRIOR || key == VK_NEXT)) {
        // Ctrl+Tab leaves a grid that moves between its cells with Tab; Ctrl+PgDn/PgUp turn
        // the pages around it (the default handling of every control). The cell being edited
        // keeps its text.
        closeEditor(true);
        if (key == VK_TAB && options_.Contains(goTabs)) {
            if (TCustomForm* form = GetParentForm(this))
                form->SelectNext(this, !shift.Contains(ssShift), true);
            key = 0;
        }
        return;
    }
    const int page = std::max(1, VisibleRowCount() - 1);
    const int firstRow = FixedRows(), lastRow = DisplRowCount() - 1;
    const int firstCol = nextVisibleCol(fixedCols_ - 1, 1), lastCol = nextVisibleCol(ColCount(), -1);
    int col = col_, row = row_;
    switch (key) {
    case VK_UP:
        row = std::max(firstRow, row - 1);
        break;
    case VK_DOWN:
        row = std::min(lastRow, row + 1);
        break;
    case VK_PRIOR:
        row = std::max(firstRow, row - page);
        break;
    case VK_NEXT:
        row = std::min(lastRow, row + page);
        break;
    case VK_LEFT:
        if (const int c = nextVisibleCol(col, -1); c >= 0)
            col = c;
        break;
    case VK_RIGHT:
        if (const int c = nextVisibleCol(col, 1); c >= 0)
            col = c;
        break;
    case VK_HOME:
        if (shift.Contains(ssCtrl))
            row = firstRow;
        col = firstCol;
        break;
    case VK_END:
        if (shift.Contains(ssCtrl))
            row = lastRow;
        col = lastCol;
        break;
    case VK_TAB: {
        if (!options_.Contains(goTabs))
            return;
        const bool back = shift.Contains(ssShift);
        const int c = nextVisibleCol(col, back ? -1 : 1);
        if (c >= 0) {
            col = c;
        } else if (back ? row > firstRow : row < lastRow) {
            row += back ? -1 : 1;
            col = back ? lastCol : firstCol;
        } else {
            // Past the last cell: leave the grid as Tab does elsewhere.
            closeEditor(true);
            if (TCustomForm* form = GetParentForm(this))
                form->SelectNext(this, !back, true);
            key = 0;
            return;
        }
        shift >> ssShift;
        break;
    }
    case VK_F2:
        openEditor(TEditorStart::CaretAtEnd);
        key = 0;
        return;
    case VK_RETURN:
        if (EditorMode())
            closeEditor(true);
        else if (options_.Contains(goEditing))
            openEditor(TEditorStart::CaretAtEnd);
        key = 0;
        return;
    case VK_ESCAPE:
        if (EditorMode()) {
            closeEditor(false);
            key = 0;
        }
        return;
    default:
        return;
    }
    if (firstRow > lastRow || firstCol < 0)
        return;
    moveTo(col, row, shift, false);
    key = 0;
}

void TCustomGrid::KeyPress(char32_t& key)
{
    TCustomControl::KeyPress(key);
    // A printable character starts the editor with that character as its text.
    if (key < 32 || key == 127 || EditorMode() || !options_.Contains(goEditing))
        return;
    const std::string typed = FromQString(QString::fromUcs4(&key, 1));
    openEditor(TEditorStart::Typed, &typed);
    if (EditorMode())
        key = 0;
}

bool TCustomGrid::nodeGlyphHit(int col, int row, int x, int y) const
{
    const int real = RealRowIndex(row);
    if (!store_.isNode(real) || store_.nodeSpan(real) < 2 || col != nextVisibleCol(fixedCols_ - 1, 1))
        return false;
    const TRect r = CellRect(col, row);
    const int left = r.Left + 2 + store_.nodeLevel(real) * kLevelIndent;
    return x >= left - 2 && x <= left + kGlyphSize + 2 && y >= r.Top && y < r.Bottom;
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    anchorPressed_ = false;
    sizedCol_ = -1;
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    if (button == mbLeft && col >= 0 && row >= 0) {
        if (row < FixedRows() || col < fixedCols_) {
            // A click on a fixed row sorts by that column (unless it was the start of a resize).
            const QPoint hp = view().columnHeader().mapFrom(gridWidget_, QPoint(x, y));
            if (row < FixedRows() && col >= fixedCols_ && !view().columnHeader().onSectionBorder(hp))
                SortByClick(col);
        } else if (nodeGlyphHit(col, row, x, y)) {
            const int real = RealRowIndex(row);
            closeEditor(true);
            store_.setNodeContracted(real, !store_.nodeContracted(real));
            LayoutChanged();
        } else {
            const bool wasCurrent = col == col_ && row == row_;
            if (CanFocus() && !Focused())
                SetFocus();
            if (moveTo(col, row, shift, true)) {
                // Anchors react on release over the same anchor; remember the press.
                anchorPressed_ = !shift.Contains(ssShift) && !shift.Contains(ssCtrl)
                    && anchorAt(col_, row_, x, y, nullptr);
                // A click on the current cell opens the editor with the text selected (typing
                // replaces it); a double click opens it to extend the text.
                if ((wasCurrent || shift.Contains(ssDouble)) && !anchorPressed_
                    && options_.Contains(goEditing) && !shift.Contains(ssShift) && !shift.Contains(ssCtrl))
                    openEditor(shift.Contains(ssDouble) ? TEditorStart::CaretAtEnd : TEditorStart::SelectAll);
            }
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && anchorPressed_) {
        anchorPressed_ = false;
        int col = -1, row = -1;
        MouseToCell(x, y, col, row);
        std::string href;
        if (col >= 0 && anchorAt(col, row, x, y, &href)) {
            bool autoHandle = true;
            AnchorClick(col, row, href, autoHandle);
        }
    }
    TCustomControl::MouseUp(button, shift, x, y);
    // The header has finished the resize with its own handling of the release.
    if (button == mbLeft && sizedCol_ >= 0)
        EndColumnSize(std::exchange(sizedCol_, -1));
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y)
{
    // Hand cursor over anchors, as links look elsewhere.
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    const bool overAnchor = col >= 0 && anchorAt(col, row, x, y, nullptr);
    gridWidget_->viewport()->setCursor(overAnchor ? Qt::PointingHandCursor : QtCursor(Cursor()));
    TCustomControl::MouseMove(shift, x, y);
}

bool TCustomGrid::WantsKey(WORD key) const
{
    switch (key) {
    case VK_TAB:
        return options_.Contains(goTabs);
    case VK_RETURN:
        return options_.Contains(goEditing) || EditorMode();
    case VK_ESCAPE:
        return EditorMode() || keyFromEditor_;
    default:
        return TCustomControl::WantsKey(key);
    }
}

void TCustomGrid::DefaultHandler(TMessage& message)
{
    // Mouse messages skip the windowed control's default handling, which reads the pending Qt
    // event as a key event; the plain control's handling runs the Qt default as it should.
    if (message.Msg >= WM_MOUSEMOVE && message.Msg <= WM_MBUTTONDBLCLK)
        TControl::DefaultHandler(message);
    else
        TCustomControl::DefaultHandler(message);
}

std::string TCustomGrid::hintAt(int x, int y)
{
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    std::string hint;
    if (col >= 0 && row >= 0)
        GetCellHint(col, row, hint);
    if (hint.empty() && ShowHint())
        hint = Hint();
    return hint;
}
