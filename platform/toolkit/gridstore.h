// Cell store of the string grid: text and object per cell, styles, merges, hidden columns and
// rows, row nodes, row selection, and the mapping between display rows and real rows.
//
// All coordinates here are real: column and row indexes into the stored table, whatever is
// hidden. The display row of a real row is its position among the rows that are shown (rows
// hidden by HideRow or inside a contracted node are not); fixed rows are always shown.
// Each row keeps its cells' texts in one block (their end offsets, then the texts), so a row costs
// one allocation whatever its cell count; objects, styles and nodes are kept only for rows that
// have them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qel::grid {

constexpr std::int32_t NoColor = 0x1FFFFFFF; // toolkit's clNone: not set, inherit

struct CellStyle {
    std::int32_t color = NoColor; // background
    std::int32_t fontColor = NoColor; // text colour
    int fontStyle = -1; // TGridFontStyleBit combination, -1 = not set
};

struct Merge {
    int col = 0, row = 0, spanX = 1, spanY = 1;
    bool covers(int c, int r) const { return c >= col && c < col + spanX && r >= row && r < row + spanY; }
};

class GridStore {
    // The texts of one row's cells in one block: the cell count, the end offset of each cell's
    // text, then the texts one after the other. An empty row holds no block; cells past the
    // count are empty.
    class RowTexts {
    public:
        RowTexts() = default;
        RowTexts(const RowTexts& other);
        RowTexts(RowTexts&& other) noexcept
            : data_(std::exchange(other.data_, nullptr))
        {
        }
        RowTexts& operator=(const RowTexts& other);
        RowTexts& operator=(RowTexts&& other) noexcept
        {
            std::swap(data_, other.data_);
            return *this;
        }
        ~RowTexts();

        int count() const;
        std::string_view text(int col) const;
        void assign(int col, std::string_view text);
        // Becomes the given texts; cells past them are empty.
        void assignAll(const std::string_view* texts, int count);
        // Drops the cells from `count` on.
        void truncate(int count);
        void clear();
        // Empties the cells but keeps the block for the next texts of the same size.
        void empty();

    private:
        std::size_t bytes() const;
        char* data_ = nullptr;
    };

public:
    GridStore();

    // The texts and column widths of a whole store, kept apart from it (objects, styles, merges,
    // nodes and hidden flags are not part of it).
    class Snapshot {
    public:
        int colCount() const { return cols_; }
        int rowCount() const { return rows_; }
        std::string_view text(int col, int row) const
        {
            return col >= 0 && col < cols_ && row >= 0 && row < rows_
                ? texts_[static_cast<std::size_t>(row)].text(col)
                : std::string_view();
        }

    private:
        friend class GridStore;
        int cols_ = 0;
        int rows_ = 0;
        std::vector<int> widths_;
        std::vector<RowTexts> texts_;
    };
    Snapshot snapshot() const;
    // Becomes the snapshot's cells, unstyled, unmerged, with no nodes, hidden rows or selection.
    void restore(const Snapshot& snapshot);

    int colCount() const { return cols_; }
    int rowCount() const { return rows_; }
    void setColCount(int count);
    void setRowCount(int count);
    void reserveRows(int count);

    // A cell's text; valid until a cell of its row changes.
    std::string_view text(int col, int row) const;
    void setText(int col, int row, std::string_view text) { assignText(col, row, text); }
    void assignText(int col, int row, std::string_view text);
    // Writes the row's cells from column 0 on at once (cells past `count` become empty).
    void assignRow(int row, const std::string_view* texts, int count);
    void* object(int col, int row) const;
    void setObject(int col, int row, void* object);
    bool validCell(int col, int row) const { return col >= 0 && row >= 0 && col < cols_ && row < rows_; }

    // Empties texts and objects of all cells (or of rows [first, first+count)); keeps layout.
    void clearCells();
    void clearRows(int first, int count);
    void insertRows(int at, int count);
    void removeRows(int at, int count);
    void swapRows(int a, int b);
    // Puts the rows [first, first + order.size()) into `order` at once: position first + i gets
    // the row that was at order[i] (each of the range's rows once). Styles, selection flags and
    // merges travel with their rows.
    void permuteRows(int first, const std::vector<int>& order);
    // Moves row `from` to position `to`; the rows between shift by one. Styles, selection flags
    // and merges travel with their rows. True when the shown rows kept their layout (no hidden
    // row, node or merge in the moved range), so that a repaint shows the result.
    bool moveRow(int from, int to);

    // Styles: a cell's own setting wins over its row's.
    CellStyle cellStyle(int col, int row) const;
    void setCellColor(int col, int row, std::int32_t color);
    void setCellFontColor(int col, int row, std::int32_t color);
    void setCellFontStyle(int col, int row, int style);
    void setRowColor(int row, std::int32_t color);
    void setRowFontColor(int row, std::int32_t color);
    void setRowFontStyle(int row, int style);
    CellStyle rowStyle(int row) const;
    void clearStyles();

    // Columns.
    int colWidth(int col) const;
    void setColWidth(int col, int width);
    bool colHidden(int col) const;
    void setColHidden(int col, bool hidden);
    int hiddenColCount() const;
    int defaultColWidth() const { return defaultColWidth_; }
    void setDefaultColWidth(int width) { defaultColWidth_ = width; }

    // Rows hidden by the program (filters); nodes hide rows of their own.
    bool rowHidden(int row) const;
    void setRowHidden(int row, bool hidden);

    // Row selection (multi-row and disjoint); flags travel with their rows when rows move.
    bool rowSelected(int row) const;
    void setRowSelected(int row, bool selected);
    void clearRowSelection();
    int selectedRowCount() const { return selectedCount_; }

    // Row nodes: a node row heads `span` rows (itself included); contracting hides the others.
    void addNode(int row, int span);
    void removeNode(int row);
    void removeAllNodes();
    bool isNode(int row) const;
    int nodeSpan(int row) const;
    bool nodeContracted(int row) const;
    void setNodeContracted(int row, bool contracted);
    int nodeLevel(int row) const; // number of nodes that enclose the row (0 at top level)
    int nodeCount() const { return nodeCount_; }

    // Merged cells; a merge is stored by its base (top-left) cell.
    void mergeCells(int col, int row, int spanX, int spanY);
    void splitCells(int col, int row);
    void splitAllCells();
    const std::vector<Merge>& merges() const { return merges_; }
    const Merge* mergeAt(int col, int row) const; // the merge that covers the cell, or null

    // Display mapping. displayRow gives -1 for a hidden row; realRow -1 when out of range.
    int displayRowCount() const;
    int realRow(int displayRow) const;
    int displayRow(int realRow) const;
    bool rowShown(int row) const { return displayRow(row) >= 0; }
    int fixedRows() const { return fixedRows_; }
    void setFixedRows(int n);
    // Changes whenever the set or order of shown rows changes (views relayout on a change).
    std::uint64_t layoutVersion() const { return layoutVersion_; }
    // Changes whenever a text, the set or order of rows, or the columns change.
    std::uint64_t contentVersion() const { return contentVersion_ + layoutVersion_; }

private:
    // What only some rows have.
    struct RowExtra {
        std::vector<std::pair<int, CellStyle>> cellStyles; // sparse, by column
        std::vector<void*> objects; // by column, as far as one was set
        CellStyle style;
        int nodeSpan = 0;
        bool contracted = false;
    };
    struct RowMeta {
        RowTexts texts;
        std::unique_ptr<RowExtra> extra;
        bool hidden = false;
        bool selected = false;

        int nodeSpan() const { return extra ? extra->nodeSpan : 0; }
        bool contracted() const { return extra && extra->contracted; }
        RowExtra& more()
        {
            if (!extra)
                extra = std::make_unique<RowExtra>();
            return *extra;
        }
    };
    struct ColMeta {
        int width;
        bool hidden = false;
    };

    CellStyle* ownStyle(int col, int row, bool create);
    void invalidateLayout();
    void rebuildMapping() const;

    int cols_ = 0;
    int rows_ = 0;
    int fixedRows_ = 0;
    int defaultColWidth_ = 64;
    std::vector<RowMeta> rowMeta_;
    std::vector<ColMeta> colMeta_;
    std::vector<Merge> merges_;
    int selectedCount_ = 0;
    int nodeCount_ = 0;
    int hiddenRowCount_ = 0;
    std::uint64_t layoutVersion_ = 1;
    std::uint64_t contentVersion_ = 0; // texts and columns; rows count through layoutVersion_

    mutable bool mappingValid_ = false;
    mutable bool identity_ = true;
    mutable std::vector<int> displToReal_;
    mutable std::vector<int> realToDispl_;
    mutable std::vector<int> levels_;
};

} // namespace qel::grid
