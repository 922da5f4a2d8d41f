#include "toolkit/advstringgrid.h"

#include "toolkit/gridio.h"
#include "toolkit/gridsort.h"
#include "toolkit/qtbridge.h"
#include "toolkit/screen.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPageSize>
#include <QPdfWriter>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace {

std::runtime_error fileError(const char* format, const std::string& fileName)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, format, fileName.c_str());
    return std::runtime_error(buf);
}

// Swallows the user's input (keys, clicks, wheel, context menu) aimed at a window or anything
// inside it, and the window system's requests to close it, for as long as it lives.
class InputHold : public QObject {
public:
    explicit InputHold(QWidget* window)
        : window_(window)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputHold() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Close:
            if (watched != window_ || !event->spontaneous())
                return false;
            event->ignore();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu: {
            auto* target = qobject_cast<QWidget*>(watched);
            return window_ && target && (target == window_ || window_->isAncestorOf(target));
        }
        default:
            return false;
        }
    }

private:
    QPointer<QWidget> window_;
};

} // namespace

TAdvStringGrid::TAdvStringGrid(TComponent* owner)
    : TStringGrid(owner)
{
}

TAdvStringGrid::~TAdvStringGrid()
{
    *alive_ = false;
}

void TAdvStringGrid::SetCellsEx(int col, int row, const std::string& text)
{
    store_.setText(col, row, text);
    ContentChanged();
}

void TAdvStringGrid::SetCellsEx(int col, int row, std::string&& text)
{
    store_.setText(col, row, std::move(text));
    ContentChanged();
}

void TAdvStringGrid::AssignCellsEx(int col, int row, std::string_view text)
{
    store_.assignText(col, row, text);
    ContentChanged();
}

void TAdvStringGrid::AssignRowEx(int row, const std::string_view* texts, int count)
{
    store_.assignRow(row, texts, count);
    ContentChanged();
}

void TAdvStringGrid::Clear()
{
    store_.clearCells();
    store_.clearStyles();
    store_.splitAllCells();
    store_.removeAllNodes();
    sortedCol_ = -1; // the rows that come next are in no known order
    LayoutChanged();
}

void TAdvStringGrid::ClearNormalCells()
{
    for (int r = FixedRows(); r < RowCount(); ++r)
        for (int c = FixedCols(); c < ColCount(); ++c) {
            store_.setText(c, r, std::string());
            store_.setObject(c, r, nullptr);
        }
    ContentChanged();
}

void TAdvStringGrid::SetColumnHeaders(const TStrings& titles)
{
    if (FixedRows() == 0)
        return;
    for (int c = 0; c < titles.Count() && c < ColCount(); ++c)
        store_.setText(c, 0, titles.Get(c));
    ContentChanged();
}

void TAdvStringGrid::InsertRows(int row, int count)
{
    store_.insertRows(row, count);
    LayoutChanged();
}

void TAdvStringGrid::RemoveRows(int row, int count)
{
    store_.removeRows(row, count);
    LayoutChanged();
}

void TAdvStringGrid::MoveRow(int from, int to)
{
    // Rows of one height and no spans in the way: the view only needs to paint again.
    if (store_.moveRow(from, to))
        ContentChanged();
    else
        LayoutChanged();
}

void TAdvStringGrid::HideColumn(int col)
{
    store_.setColHidden(col, true);
    ColumnsChanged();
}

void TAdvStringGrid::UnHideColumn(int col)
{
    store_.setColHidden(col, false);
    ColumnsChanged();
}

void TAdvStringGrid::UnHideColumnsAll()
{
    for (int c = 0; c < ColCount(); ++c)
        store_.setColHidden(c, false);
    ColumnsChanged();
}

void TAdvStringGrid::HideRow(int realRow)
{
    store_.setRowHidden(realRow, true);
    LayoutChanged();
}

void TAdvStringGrid::UnHideRow(int realRow)
{
    store_.setRowHidden(realRow, false);
    LayoutChanged();
}

void TAdvStringGrid::UnHideRowsAll()
{
    for (int r = 0; r < RowCount(); ++r)
        store_.setRowHidden(r, false);
    LayoutChanged();
}

// ---- styles -----------------------------------------------------------------------------------

namespace {
TColor asColor(std::int32_t v)
{
    return static_cast<TColor>(v);
}
} // namespace

TColor TAdvStringGrid::Colors(int col, int row) const
{
    return asColor(store_.cellStyle(col, RealRowIndex(row)).color);
}

void TAdvStringGrid::SetColors(int col, int row, TColor color)
{
    store_.setCellColor(col, RealRowIndex(row), color);
    ContentChanged();
}

TColor TAdvStringGrid::FontColors(int col, int row) const
{
    return asColor(store_.cellStyle(col, RealRowIndex(row)).fontColor);
}

void TAdvStringGrid::SetFontColors(int col, int row, TColor color)
{
    store_.setCellFontColor(col, RealRowIndex(row), color);
    ContentChanged();
}

TFontStyles TAdvStringGrid::FontStyles(int col, int row) const
{
    const int s = store_.cellStyle(col, RealRowIndex(row)).fontStyle;
    return s < 0 ? TFontStyles() : TFontStyles::FromInt(static_cast<std::uint64_t>(s));
}

void TAdvStringGrid::SetFontStyles(int col, int row, TFontStyles style)
{
    store_.setCellFontStyle(col, RealRowIndex(row), static_cast<int>(style.ToInt()));
    ContentChanged();
}

TColor TAdvStringGrid::RowColor(int row) const
{
    return asColor(store_.rowStyle(RealRowIndex(row)).color);
}

void TAdvStringGrid::SetRowColor(int row, TColor color)
{
    store_.setRowColor(RealRowIndex(row), color);
    ContentChanged();
}

TColor TAdvStringGrid::RowFontColor(int row) const
{
    return asColor(store_.rowStyle(RealRowIndex(row)).fontColor);
}

void TAdvStringGrid::SetRowFontColor(int row, TColor color)
{
    store_.setRowFontColor(RealRowIndex(row), color);
    ContentChanged();
}

// ---- merges and nodes -------------------------------------------------------------------------

void TAdvStringGrid::MergeCells(int col, int row, int spanX, int spanY)
{
    store_.mergeCells(col, RealRowIndex(row), spanX, spanY);
    LayoutChanged();
}

void TAdvStringGrid::SplitCells(int col, int row)
{
    store_.splitCells(col, RealRowIndex(row));
    LayoutChanged();
}

void TAdvStringGrid::SplitAllCells()
{
    store_.splitAllCells();
    LayoutChanged();
}

bool TAdvStringGrid::IsMergedCell(int col, int row) const
{
    return store_.mergeAt(col, RealRowIndex(row)) != nullptr;
}

void TAdvStringGrid::AddNode(int row, int span)
{
    store_.addNode(RealRowIndex(row), span);
    LayoutChanged();
}

void TAdvStringGrid::RemoveNode(int row)
{
    store_.removeNode(RealRowIndex(row));
    LayoutChanged();
}

void TAdvStringGrid::RemoveAllNodes()
{
    store_.removeAllNodes();
    LayoutChanged();
}

void TAdvStringGrid::ExpandNode(int row)
{
    store_.setNodeContracted(RealRowIndex(row), false);
    LayoutChanged();
}

void TAdvStringGrid::ContractNode(int row)
{
    store_.setNodeContracted(RealRowIndex(row), true);
    LayoutChanged();
}

void TAdvStringGrid::ExpandAll()
{
    for (int r = 0; r < RowCount(); ++r)
        store_.setNodeContracted(r, false);
    LayoutChanged();
}

void TAdvStringGrid::ContractAll()
{
    for (int r = 0; r < RowCount(); ++r)
        store_.setNodeContracted(r, true);
    LayoutChanged();
}

bool TAdvStringGrid::IsNode(int row) const
{
    return store_.isNode(RealRowIndex(row));
}

bool TAdvStringGrid::GetNodeState(int row) const
{
    return store_.nodeContracted(RealRowIndex(row));
}

int TAdvStringGrid::GetNodeSpan(int row) const
{
    return store_.nodeSpan(RealRowIndex(row));
}

int TAdvStringGrid::GetNodeLevel(int row) const
{
    return store_.nodeLevel(RealRowIndex(row));
}

// ---- sorting ----------------------------------------------------------------------------------

void TAdvStringGrid::GetColFormat(int, TSortStyle&)
{
}

void TAdvStringGrid::RawCompare(int col, int row1, int row2, int& res)
{
    res = store_.text(col, row1).compare(store_.text(col, row2));
}

void TAdvStringGrid::SortSwapRows(int, int)
{
}

bool TAdvStringGrid::UsesSortKeys(int)
{
    return false;
}

std::int64_t TAdvStringGrid::SortKey(int, int)
{
    return 0;
}

void TAdvStringGrid::SortTieKey(int, int, std::string&)
{
}

void TAdvStringGrid::SortRowsMoved(int firstRow, const std::vector<int>& order)
{
    qel::grid::ReplaySwaps(firstRow, order, [this](int a, int b) { SortSwapRows(a, b); });
}

void TAdvStringGrid::QSort()
{
    // A long sort lets the event loop turn now and then, so that the program keeps painting and
    // other windows answer; the grid's window takes no user input (and does not close) until the
    // rows are in place.
    // After each turn the sort looks at what happened meanwhile: the grid gone, or a later sort
    // begun (both end it at once), or the cells changed (it starts again over the present cells).
    const std::uint64_t generation = ++sortGeneration_;
    const std::shared_ptr<bool> alive = alive_;
    const int endRow = std::min(SortEndRow(), RowCount());
    if (endRow - FixedRows() >= 2) {
        TWaitCursor wait;
        HideInplaceEdit();
        qel::grid::SortRequest req;
        req.col = sortSettings_.Column;
        req.descending = sortSettings_.Direction == sdDescending;
        req.firstRow = FixedRows();
        req.endRow = endRow;
        TSortStyle style = ssAutomatic;
        GetColFormat(req.col, style);
        req.style = style;
        req.rawCompare = [this, col = req.col](int a, int b) {
            int res = 0;
            RawCompare(col, a, b, res);
            return res;
        };
        if ((style == ssRaw || style == ssCustom) && UsesSortKeys(req.col)) {
            req.sortKey = [this, col = req.col](int row) { return SortKey(col, row); };
            req.tieKey = [this, col = req.col](int row, std::string& out) { SortTieKey(col, row, out); };
        }
        const std::uint64_t content = store_.contentVersion();
        bool changed = false;
        std::unique_ptr<QObject> inputHold;
        // The last turn of the loop; it outlives the sort's last call of `proceed` below.
        auto last = std::chrono::steady_clock::now();
        // After a few fresh starts the sort runs to its end without turning the loop.
        if (sortRestarts_ < kSortRestarts && QCoreApplication::instance()) {
            req.proceed = [&] {
                if (std::chrono::steady_clock::now() - last < kSortTurnInterval)
                    return true;
                if (!inputHold)
                    inputHold = std::make_unique<InputHold>(Handle() ? Handle()->window() : nullptr);
                QCoreApplication::processEvents();
                last = std::chrono::steady_clock::now();
                if (!*alive || generation != sortGeneration_)
                    return false;
                changed = store_.contentVersion() != content;
                return !changed;
            };
        }
        std::vector<int> order = qel::grid::SortOrder(store_, req);
        if (req.proceed && !order.empty())
            req.proceed(); // a last turn before the rows move
        inputHold.reset();
        if (!*alive || generation != sortGeneration_)
            return; // the grid is gone, or a later sort has taken its place
        if (changed) {
            ++sortRestarts_;
            QSort();
            if (*alive)
                --sortRestarts_;
            return;
        }
        // The current row follows its contents.
        const int currentReal = RealRowIndex(Row());
        int followed = currentReal;
        if (currentReal >= req.firstRow && currentReal < req.firstRow + static_cast<int>(order.size()))
            followed = req.firstRow
                + static_cast<int>(std::find(order.begin(), order.end(), currentReal) - order.begin());
        qel::grid::ApplyOrder(store_, req.firstRow, order, nullptr);
        SortRowsMoved(req.firstRow, order);
        LayoutChanged();
        if (const int displ = DisplRowIndex(followed); displ >= FixedRows())
            FocusCell(Col(), displ);
    }
    // The header's mark shows once the rows are in their order.
    sortedCol_ = sortSettings_.Column;
    sortedDirection_ = sortSettings_.Direction;
    ContentChanged();
}

void TAdvStringGrid::SortByColumn(int col, TSortDirection direction)
{
    sortSettings_.Column = col;
    sortSettings_.Direction = direction;
    QSort();
}

int TAdvStringGrid::SortMark(int col) const
{
    if (!sortSettings_.Show || col != sortedCol_)
        return 0;
    return sortedDirection_ == sdDescending ? -1 : 1;
}

void TAdvStringGrid::SortByClick(int col)
{
    if (!sortSettings_.Show)
        return;
    const TSortDirection dir
        = col == sortSettings_.Column && sortSettings_.Direction == sdAscending ? sdDescending : sdAscending;
    SortByColumn(col, dir);
}

// ---- files ------------------------------------------------------------------------------------

void TAdvStringGrid::SaveToCSV(const std::string& fileName)
{
    TWaitCursor wait;
    std::ostringstream out;
    qel::grid::CsvOptions options;
    options.delimiter = delimiter_;
    options.alwaysQuote = alwaysQuotes_;
    options.includeHidden = saveHidden_;
    options.formulaGuard = formulaGuard_;
    options.rowFilter = [this](int row) { return WritesCsvRow(row); };
    qel::grid::WriteCsv(store_, out, options);
    // A failed write never leaves a truncated file behind, nor touches any other file.
    std::string error;
    if (!out || !qel::grid::ReplaceFile(fileName, out.str(), error))
        throw std::runtime_error(
            error.empty() ? "Die Datei \"" + fileName + "\" kann nicht geschrieben werden." : error);
}

bool TAdvStringGrid::WritesCsvRow(int)
{
    return true;
}

void TAdvStringGrid::LoadFromCSV(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw fileError("Die Datei \"%s\" kann nicht gelesen werden.", fileName);
    const auto rows = qel::grid::ReadCsv(in, delimiter_);
    std::size_t cols = 0;
    for (const auto& r : rows)
        cols = std::max(cols, r.size());
    BeginUpdate();
    store_.splitAllCells();
    store_.removeAllNodes();
    store_.setRowCount(0);
    store_.setColCount(static_cast<int>(std::max<std::size_t>(cols, 1)));
    store_.setRowCount(static_cast<int>(rows.size()));
    std::vector<std::string_view> texts;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        texts.assign(rows[r].begin(), rows[r].end());
        store_.assignRow(static_cast<int>(r), texts.data(), static_cast<int>(texts.size()));
    }
    LayoutChanged();
    EndUpdate();
}

void TAdvStringGrid::SaveToStream(std::ostream& out) const
{
    qel::grid::WriteBinary(store_, out);
}

void TAdvStringGrid::LoadFromSnapshot(const TCellsSnapshot& snapshot)
{
    HideInplaceEdit();
    store_.restore(snapshot);
    LayoutChanged();
}

void TAdvStringGrid::LoadFromStream(std::istream& in)
{
    HideInplaceEdit();
    qel::grid::ReadBinary(store_, in); // throws before changing anything on damaged data
    store_.splitAllCells();
    store_.removeAllNodes();
    LayoutChanged();
}

// ---- printing ---------------------------------------------------------------------------------

void TAdvStringGrid::Print()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw std::runtime_error("Es ist kein Standarddrucker eingerichtet.");
    QPrinter printer(info, QPrinter::ScreenResolution);
    printer.setDocName(ToQString(printSettings_.Title));
    TWaitCursor wait;
    PaintPages(printer, printSettings_.Title);
}

bool TAdvStringGrid::HasPrinter()
{
    return !QPrinterInfo::defaultPrinter().isNull();
}

void TAdvStringGrid::PrintToPDF(const std::string& fileName)
{
    TWaitCursor wait;
    std::error_code ec;
    std::filesystem::remove(fileName, ec);
    {
        QPdfWriter writer(ToQString(fileName));
        writer.setResolution(96);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setTitle(ToQString(printSettings_.Title));
        PaintPages(writer, printSettings_.Title);
    }
    // The writer reports no failure of its own: an unwritable place leaves no file.
    if (!std::filesystem::exists(fileName, ec))
        throw fileError("Die Datei \"%s\" kann nicht geschrieben werden.", fileName);
}
