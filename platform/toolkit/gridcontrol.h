// TCustomGrid and TStringGrid: a grid control that keeps its cells itself and shows them through
// a Qt model/view, with the classic overridable hooks and in-place editing.
//
// Coordinates: columns are always real column indexes (a hidden column keeps its index and is
// skipped on screen); rows are display rows (the rows on screen, counting fixed rows) unless a
// function says "real" or ends in Ex. RealRowIndex/DisplRowIndex convert. Hooks receive display
// rows. Without hidden rows or contracted nodes both are the same.
#pragma once

#include "toolkit/gridhost.h"
#include "toolkit/gridstore.h"
#include "toolkit/gridtypes.h"
#include "toolkit/wincontrol.h"

#include <memory>
#include <string>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class QRect;
class QWidget;
class TEditLink;

namespace qel::grid {
class GridView;
class GridWidget;
class InplaceEditor;
struct CellLook;
} // namespace qel::grid

using TGetEditorTypeEvent = TEvent<TObject*, int, int, TEditorType&>;
using TSelectCellEvent = TEvent<TObject*, int, int, bool&>;
using TComboChangeEvent = TEvent<TObject*, int, int, int, std::string>;
using TEllipsClickEvent = TEvent<TObject*, int, int, std::string&>;
// (Sender, row, col, anchor, auto handle).
using TGridAnchorClickEvent = TEvent<TObject*, int, int, std::string, bool&>;
// (Sender, col).
using TGridColumnEvent = TEvent<TObject*, int>;

class TCustomGrid : private qel::grid::GridHost, public TCustomControl {
public:
    explicit TCustomGrid(TComponent* owner);
    ~TCustomGrid() override;

    // Layout.
    int ColCount() const { return store_.colCount(); }
    void SetColCount(int count);
    // All rows, shown or not.
    int RowCount() const { return store_.rowCount(); }
    void SetRowCount(int count);
    // Rows on screen (fixed rows included).
    int DisplRowCount() const { return store_.displayRowCount(); }
    int FixedRows() const { return store_.fixedRows(); }
    void SetFixedRows(int count);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int count);
    int ColWidths(int col) const { return store_.colWidth(col); }
    void SetColWidths(int col, int width);
    int DefaultColWidth() const { return store_.defaultColWidth(); }
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int height);
    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions options);

    // Colours of the grid beside Color (the cell background).
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor c);
    TColor SelectionColor() const { return selectionColor_; }
    void SetSelectionColor(TColor c);
    TColor SelectionTextColor() const { return selectionTextColor_; }
    void SetSelectionTextColor(TColor c);
    TColor GridLineColor() const { return gridLineColor_; }
    void SetGridLineColor(TColor c);
    TColor URLColor() const { return urlColor_; }
    void SetURLColor(TColor c);

    // Batch changes: between BeginUpdate and the last EndUpdate the view is neither reset nor
    // repainted; EndUpdate brings it up to date once.
    void BeginUpdate();
    void EndUpdate();

    // Current cell (column, display row). Moving asks SelectCell first.
    int Col() const { return col_; }
    void SetCol(int col) { FocusCell(col, row_); }
    int Row() const { return row_; }
    void SetRow(int row) { FocusCell(col_, row); }
    // Moves the current cell to (col, row) and scrolls it into view; false when refused.
    bool FocusCell(int col, int row);
    int TopRow() const;
    void SetTopRow(int row);
    int VisibleRowCount() const;
    void ScrollInView(int col, int row);

    // Row index conversions; -1 for rows that do not exist (or are hidden, for DisplRowIndex).
    int RealRowIndex(int displRow) const { return store_.realRow(displRow); }
    int DisplRowIndex(int realRow) const { return store_.displayRow(realRow); }

    // Cell rectangle in client coordinates (empty when not on screen); MouseToCell is the reverse
    // (-1 where there is no cell).
    TRect CellRect(int col, int row) const;
    void MouseToCell(int x, int y, int& col, int& row) const;
    int ClientWidth() const override;
    int ClientHeight() const override;

    // Selection: the current cell, a range (goRangeSelect) and disjoint rows (DisjunctRowSelect).
    // Row flags travel with their rows when rows are sorted.
    TGridRect Selection() const;
    bool DisjunctRowSelect() const { return disjunctRowSelect_; }
    void SetDisjunctRowSelect(bool v) { disjunctRowSelect_ = v; }
    bool GetRowSelect(int row) const { return store_.rowSelected(RealRowIndex(row)); }
    void SetRowSelect(int row, bool selected);
    void ClearRowSelect();
    int GetRowSelectCount() const { return store_.selectedRowCount(); }

    // In-place editing.
    bool EditorMode() const { return editor_ != nullptr; }
    void SetEditorMode(bool on);
    void ShowInplaceEdit() { SetEditorMode(true); }
    void HideInplaceEdit() { SetEditorMode(false); }
    // Edit mode = goEditing: switching off hides the editor first; switching on shows it.
    bool EditMode() const { return options_.Contains(goEditing); }
    void SetEditMode(bool on);
    // The link used for edCustom; not owned (links usually belong to the code that chooses them).
    TEditLink* EditLink() const { return editLink_; }
    void SetEditLink(TEditLink* link);
    TEditorType DefaultEditor() const { return defaultEditor_; }
    void SetDefaultEditor(TEditorType t) { defaultEditor_ = t; }
    // The list of the combo editors (edComboEdit, edComboList).
    void ClearComboString() { comboItems_.clear(); }
    void AddComboString(const std::string& s) { comboItems_.push_back(s); }
    const std::vector<std::string>& ComboItems() const { return comboItems_; }
    // The button of edEditBtn.
    const std::string& EditButtonCaption() const { return editButtonCaption_; }
    void SetEditButtonCaption(const std::string& c) { editButtonCaption_ = c; }
    bool EditButtonRightAligned() const { return editButtonRight_; }
    void SetEditButtonRightAligned(bool v) { editButtonRight_ = v; }
    // Texts a check box editor writes.
    void SetCheckTexts(const std::string& checked, const std::string& unchecked);
    // The open editor's widget (built-in editors) or the link's editor control widget; tests use it.
    QWidget* InplaceEditorWidget() const;

    // Hints: a truncated cell shows its text (mark-up stripped) as hint.
    bool HintShowCells() const { return hintShowCells_; }
    void SetHintShowCells(bool v) { hintShowCells_ = v; }
    // True when the cell's text does not fit its (merged) cell.
    bool IsCellTruncated(int col, int row);

    // Size of a text in the grid's font (for column widths given in characters or sample texts).
    int TextWidth(const std::string& text) const;
    int TextHeight(const std::string& text) const;

    // Paints the grid, all rows, onto a paged device (PDF, printer) with fixed rows on every page.
    void PaintPages(QPagedPaintDevice& device, const std::string& title);

    TGetEditorTypeEvent OnGetEditorType;
    TSelectCellEvent OnSelectCell;
    TComboChangeEvent OnComboChange;
    TEllipsClickEvent OnEllipsClick;
    TGridAnchorClickEvent OnAnchorClick;
    // The user has dragged the border of column `col` and let go of it (an application keeps the
    // widths it wants kept here).
    TGridColumnEvent OnEndColumnSize;

protected:
    // Hooks. Rows are display rows.
    // Asked before the current cell moves; false keeps it.
    virtual bool SelectCell(int col, int row);
    // Paints one cell; the default draws background, lines, node glyph and the (mini-HTML) text.
    virtual void DrawCell(int col, int row, const TRect& rect, TGridDrawState state);
    virtual void ColWidthsChanged();
    // The user dragged column `col` to `newWidth` (may be changed).
    virtual void UpdateColSize(int col, int& newWidth);
    // The user let go of the border of column `col` after dragging it; the default calls
    // OnEndColumnSize.
    virtual void EndColumnSize(int col);
    // Whether the editor may open on the current cell now.
    virtual bool CanEditShow();
    // The text an editor starts with, and the text it hands back (on every change for the built-in
    // editors, on closing for links).
    virtual std::string GetEditText(int col, int row);
    virtual void SetEditText(int col, int row, const std::string& value);
    // Answer true means the cell may be edited (preset true); a grid narrows it per cell.
    virtual void GetCellReadOnly(int col, int row, bool& answer);
    virtual void GetEditorType(int col, int row, TEditorType& editor);
    virtual void GetCellColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font);
    virtual void GetCellAlign(int col, int row, TAlignment& hAlign, TVerticalAlignment& vAlign);
    virtual void GetCellHint(int col, int row, std::string& hint);
    virtual void AnchorClick(int col, int row, const std::string& anchor, bool& autoHandle);
    virtual void EllipsClick(int col, int row, std::string& value);
    virtual void ComboChange(int col, int row, int itemIndex, const std::string& selection);
    // Column sorting (TAdvStringGrid fills these in).
    virtual void SortByClick(int col);
    // The mark the header of `col` shows: 1 sorted ascending, -1 descending, 0 none.
    virtual int SortMark(int col) const;

    // Toolkit overrides.
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void Resize() override;
    // Tab with goTabs, Return while editing is possible, Escape while an editor is open.
    bool WantsKey(WORD key) const override;
    void Notification(TComponent* component, TOperation operation) override;
    void DefaultHandler(TMessage& message) override;
    QWidget* ClientWidget() const override;

    // Structure changed (rows, columns, order, hidden, merges, nodes): reset the view.
    void LayoutChanged();
    // Cell contents or styles changed: repaint (once, later).
    void ContentChanged();
    // Column widths or hidden columns changed.
    void ColumnsChanged();

    qel::grid::GridStore store_;

private:
    friend class qel::grid::GridWidget;
    friend class qel::grid::InplaceEditor;
    friend class TEditLink;

    // GridHost
    const qel::grid::GridStore& gridStore() const override { return store_; }
    int gridFixedCols() const override { return fixedCols_; }
    void paintGridCell(QPainter& painter, int col, int row, const QRect& rect) override;

    void defaultDrawCell(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state);
    void computeLook(int col, int row, TGridDrawState state, qel::grid::CellLook& look);
    // True when (x, y) lies on an anchor of cell (col, row) (merged cells: of their base cell).
    bool anchorAt(int col, int row, int x, int y, std::string* href);
    TGridDrawState drawState(int col, int row) const;
    bool nodeGlyphHit(int col, int row, int x, int y) const;
    std::string hintAt(int x, int y);
    void columnResizedByUser(int col, int width);
    // The viewport got a new size outside SetBounds (first shown, scroll bars came or went).
    void viewportResized();
    void clampCurrent();
    bool moveTo(int col, int row, TShiftState shift, bool fromMouse);
    int nextVisibleCol(int col, int step) const;
    void selectRowsForMove(int newRow, TShiftState shift, bool fromMouse);
    // `typed`: the character that opened the editor (with TEditorStart::Typed).
    void openEditor(TEditorStart start, const std::string* typed = nullptr);
    void closeEditor(bool accept);
    void placeEditor();
    void editorKey(WORD key, TShiftState shift);
    // Keys and focus loss inside an editor are handled after the editor's event has finished,
    // because handling them may destroy the editor.
    void postEditorKey(WORD key, TShiftState shift);
    void postEditorExit();
    QRect editorRect(int col, int row) const;
    qel::grid::GridView& view() const;

    qel::grid::GridWidget* gridWidget_;
    int fixedCols_ = 0;
    int defaultRowHeight_ = 22;
    TGridOptions options_;
    TColor fixedColor_ = clBtnFace;
    TColor selectionColor_ = clHighlight;
    TColor selectionTextColor_ = clHighlightText;
    TColor gridLineColor_ = clSilver;
    TColor urlColor_ = clBlue;
    int col_ = 0;
    int row_ = 0;
    int anchorRow_ = 0;
    bool disjunctRowSelect_ = false;
    int updateCount_ = 0;
    bool pendingLayout_ = false;
    bool pendingColumns_ = false;
    bool repaintPosted_ = false;
    bool hintShowCells_ = false;
    // The client size the last Resize ran with.
    int resizedWidth_ = -1;
    int resizedHeight_ = -1;
    QPainter* painter_ = nullptr; // set while DrawCell runs
    bool printing_ = false;

    std::unique_ptr<qel::grid::InplaceEditor> editor_;
    TEditLink* editLink_ = nullptr;
    TEditorType defaultEditor_ = edNormal;
    std::vector<std::string> comboItems_;
    std::string editButtonCaption_ = "...";
    bool editButtonRight_ = true;
    std::string checkTrue_ = "1";
    std::string checkFalse_ = "0";
    bool anchorPressed_ = false;
    bool keyFromEditor_ = false; // a key handed on from a closing editor is being handled
    int sizedCol_ = -1; // the column whose border the user is dragging
};

// A grid of texts with an object per cell, addressed by column and display row.
// Batches a grid's view updates for the life of a scope (BeginUpdate ... EndUpdate).
class TGridUpdateScope {
public:
    explicit TGridUpdateScope(TCustomGrid& grid)
        : grid_(grid)
    {
        grid_.BeginUpdate();
    }
    ~TGridUpdateScope() { grid_.EndUpdate(); }
    TGridUpdateScope(const TGridUpdateScope&) = delete;
    TGridUpdateScope& operator=(const TGridUpdateScope&) = delete;

private:
    TCustomGrid& grid_;
};

class TStringGrid : public TCustomGrid {
public:
    explicit TStringGrid(TComponent* owner);

    std::string Cells(int col, int row) const { return std::string(store_.text(col, RealRowIndex(row))); }
    void SetCells(int col, int row, const std::string& text);
    void* Objects(int col, int row) const { return store_.object(col, RealRowIndex(row)); }
    void SetObjects(int col, int row, void* object);
};
