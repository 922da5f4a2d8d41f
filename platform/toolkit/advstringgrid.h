// TAdvStringGrid: the string grid the package's grids derive from. Adds to TStringGrid access by
// real row (the ...Ex functions), hidden columns and rows, cell colours and font styles, merged
// cells, row nodes, sorting with per-column formats and a raw compare hook, CSV, binary streams,
// printing, and clickable anchors in the cells' mini-HTML (see minihtml.h).
//
// Rows: the Ex accessors, HideRow and the hooks RawCompare / SortSwapRows take real rows; every
// other function takes display rows like TCustomGrid.
#pragma once

#include "toolkit/classes.h"
#include "toolkit/gridcontrol.h"

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class TAdvStringGrid : public TStringGrid {
public:
    explicit TAdvStringGrid(TComponent* owner);
    ~TAdvStringGrid() override;

    // Cells by column and real row.
    std::string GetCellsEx(int col, int row) const { return std::string(store_.text(col, row)); }
    void SetCellsEx(int col, int row, const std::string& text);
    void SetCellsEx(int col, int row, std::string&& text);
    // Writes a cell without a temporary string.
    void AssignCellsEx(int col, int row, std::string_view text);
    // Writes the cells of a row from column 0 on at once (cells past `count` become empty): for
    // fills, where it costs one allocation per row.
    void AssignRowEx(int row, const std::string_view* texts, int count);
    // A cell's text without a copy; valid until a cell of its row changes.
    std::string_view CellTextEx(int col, int row) const { return store_.text(col, row); }
    void* GetObjectsEx(int col, int row) const { return store_.object(col, row); }
    void SetObjectsEx(int col, int row, void* object) { store_.setObject(col, row, object); }
    // Empties every cell (texts and objects) and removes styles, merges and nodes.
    void Clear();
    // Empties the non-fixed cells.
    void ClearNormalCells();
    // Header texts: line i becomes the text of column i in the first fixed row.
    void SetColumnHeaders(const TStrings& titles);
    // Rows by real index.
    void InsertRows(int row, int count);
    void RemoveRows(int row, int count);
    // Moves real row `from` to `to` (the rows between shift by one), cells, styles and all.
    void MoveRow(int from, int to);

    // Hidden columns keep their index; hidden rows (real index) leave the display.
    void HideColumn(int col);
    void UnHideColumn(int col);
    void UnHideColumnsAll();
    bool IsHiddenColumn(int col) const { return store_.colHidden(col); }
    int NumHiddenColumns() const { return store_.hiddenColCount(); }
    void HideRow(int realRow);
    void UnHideRow(int realRow);
    void UnHideRowsAll();
    bool IsHiddenRow(int realRow) const { return store_.rowHidden(realRow); }

    // Cell and row colours (clNone: not set) and font styles.
    TColor Colors(int col, int row) const;
    void SetColors(int col, int row, TColor color);
    TColor FontColors(int col, int row) const;
    void SetFontColors(int col, int row, TColor color);
    TFontStyles FontStyles(int col, int row) const;
    void SetFontStyles(int col, int row, TFontStyles style);
    TColor RowColor(int row) const;
    void SetRowColor(int row, TColor color);
    TColor RowFontColor(int row) const;
    void SetRowFontColor(int row, TColor color);

    // Merged cells: (col, row) is the top-left cell of the span.
    void MergeCells(int col, int row, int spanX, int spanY);
    void SplitCells(int col, int row);
    void SplitAllCells();
    bool IsMergedCell(int col, int row) const;

    // Row nodes: row heads `span` rows (itself included); contracting hides the others.
    void AddNode(int row, int span);
    void RemoveNode(int row);
    void RemoveAllNodes();
    void ExpandNode(int row);
    void ContractNode(int row);
    void ExpandAll();
    void ContractAll();
    bool IsNode(int row) const;
    // True when the node is contracted.
    bool GetNodeState(int row) const;
    int GetNodeSpan(int row) const;
    int GetNodeLevel(int row) const;

    // Sorting by SortSettings().Column and Direction over the non-fixed rows.
    TSortSettings& SortSettings() { return sortSettings_; }
    virtual void QSort();
    void SortByColumn(int col, TSortDirection direction);

    // CSV (all rows, fixed ones included; UTF-8). Failures throw std::runtime_error with a
    // German message and leave the file (or the grid) as far as possible untouched.
    char Delimiter() const { return delimiter_; }
    void SetDelimiter(char d) { delimiter_ = d; }
    bool AlwaysQuotes() const { return alwaysQuotes_; }
    void SetAlwaysQuotes(bool v) { alwaysQuotes_ = v; }
    // Texts a spreadsheet would read as formulas are written as text (see gridio.h).
    bool CsvFormulaGuard() const { return formulaGuard_; }
    void SetCsvFormulaGuard(bool v) { formulaGuard_ = v; }
    bool SaveHiddenCells() const { return saveHidden_; }
    void SetSaveHiddenCells(bool v) { saveHidden_ = v; }
    void SaveToCSV(const std::string& fileName);
    void LoadFromCSV(const std::string& fileName);
    // Binary form of the cells (see gridio.h).
    void SaveToStream(std::ostream& out) const;
    void LoadFromStream(std::istream& in);
    // A copy of all cell texts and column widths in memory, and the grid made of such a copy
    // again (cell objects cleared, no styles, merges or nodes): the fast form of the two above.
    using TCellsSnapshot = qel::grid::GridStore::Snapshot;
    TCellsSnapshot SaveToSnapshot() const { return store_.snapshot(); }
    void LoadFromSnapshot(const TCellsSnapshot& snapshot);

    // Printing on the default printer, or into a PDF file.
    TPrintSettings& PrintSettings() { return printSettings_; }
    void Print();
    // Whether a default printer is set up (Print throws without one).
    static bool HasPrinter();
    void PrintToPDF(const std::string& fileName);

protected:
    // The sort style of a column; the default leaves ssAutomatic (numbers, dates, else text).
    virtual void GetColFormat(int col, TSortStyle& style);
    // Compare hook of ssRaw / ssCustom columns: res < 0, 0, > 0 for real rows row1 and row2.
    virtual void RawCompare(int col, int row1, int row2, int& res);
    // Collation keys of an ssRaw / ssCustom column: when UsesSortKeys(col) is true, rows sort by
    // SortKey (taken once per row and sort), rows with equal keys by the bytes SortTieKey appends
    // (asked only for them), instead of by RawCompare.
    virtual bool UsesSortKeys(int col);
    virtual std::int64_t SortKey(int col, int row);
    virtual void SortTieKey(int col, int row, std::string& out);
    // Every exchange of two real rows while sorting.
    virtual void SortSwapRows(int row1, int row2);
    // The rows [firstRow, firstRow + order.size()) have been put into `order` (position
    // firstRow + i holds the row that was at order[i]); by default told as swaps to SortSwapRows.
    virtual void SortRowsMoved(int firstRow, const std::vector<int>& order);
    // The end (exclusive) of the rows QSort orders; rows below it keep their place.
    virtual int SortEndRow() { return RowCount(); }
    // Whether SaveToCSV writes real row `row` (hidden rows aside, see SaveHiddenCells).
    virtual bool WritesCsvRow(int row);
    void SortByClick(int col) override;
    // With SortSettings().Show: the column and direction of the last sort, until the grid is
    // cleared.
    int SortMark(int col) const override;

private:
    // How often a long sort lets the event loop turn, and how often it starts again when the
    // cells change meanwhile before it runs to its end in one go.
    static constexpr std::chrono::milliseconds kSortTurnInterval { 25 };
    static constexpr int kSortRestarts = 3;

    TSortSettings sortSettings_;
    std::uint64_t sortGeneration_ = 0;
    int sortRestarts_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    int sortedCol_ = -1;
    TSortDirection sortedDirection_ = sdAscending;
    TPrintSettings printSettings_;
    char delimiter_ = ',';
    bool alwaysQuotes_ = false;
    bool saveHidden_ = true;
    bool formulaGuard_ = false;
};
