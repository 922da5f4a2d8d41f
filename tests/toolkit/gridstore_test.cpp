#include "toolkit/gridio.h"
#include "toolkit/gridsort.h"
#include "toolkit/gridstore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <sstream>

using namespace qel::grid;

namespace {

GridStore makeStore(int cols, int rows)
{
    GridStore s;
    s.setColCount(cols);
    s.setRowCount(rows);
    s.setFixedRows(1);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            s.setText(c, r, std::to_string(c) + ":" + std::to_string(r));
    return s;
}

std::vector<std::string> column(const GridStore& s, int col)
{
    std::vector<std::string> out;
    for (int r = s.fixedRows(); r < s.rowCount(); ++r)
        out.emplace_back(s.text(col, r));
    return out;
}

void sortBy(GridStore& s, int col, TSortStyle style, bool descending = false)
{
    SortRequest req;
    req.col = col;
    req.style = style;
    req.descending = descending;
    req.firstRow = s.fixedRows();
    req.endRow = s.rowCount();
    ApplyOrder(s, req.firstRow, SortOrder(s, req), nullptr);
}

} // namespace

TEST(GridStore, ResizingKeepsCellsAndObjects)
{
    auto s = makeStore(3, 4);
    int tag = 0;
    s.setObject(2, 3, &tag);
    s.setColCount(5);
    EXPECT_EQ(s.text(2, 3), "2:3");
    EXPECT_EQ(s.object(2, 3), &tag);
    EXPECT_EQ(s.text(4, 3), "");
    s.setColCount(2);
    EXPECT_EQ(s.text(1, 3), "1:3");
    EXPECT_EQ(s.text(2, 3), ""); // out of range reads empty
    s.setText(7, 7, "ignored"); // out of range writes nothing
    s.insertRows(1, 2);
    EXPECT_EQ(s.rowCount(), 6);
    EXPECT_EQ(s.text(0, 3), "0:1");
    s.removeRows(1, 2);
    EXPECT_EQ(s.text(0, 1), "0:1");
    s.setRowCount(2);
    EXPECT_EQ(s.rowCount(), 2);
    EXPECT_EQ(s.text(1, 1), "1:1");
}

TEST(GridStore, SnapshotRestoresTextsAndWidthsAlone)
{
    GridStore store;
    store.setColCount(3);
    store.setRowCount(4);
    store.setColWidth(1, 77);
    int token = 0;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            store.setText(c, r, "c" + std::to_string(c) + "r" + std::to_string(r) + std::string(r * 10, 'x'));
            store.setObject(c, r, &token);
        }
    const GridStore::Snapshot snap = store.snapshot();
    // Later changes of the store do not reach the snapshot.
    store.assignText(0, 0, "neu");
    EXPECT_EQ(snap.text(0, 0), "c0r0");

    GridStore other;
    other.setColCount(5);
    other.setRowCount(9);
    other.setRowHidden(2, true);
    other.setRowSelected(3, true);
    other.mergeCells(0, 0, 2, 2);
    other.setText(4, 8, "alt");
    other.restore(snap);
    EXPECT_EQ(other.colCount(), 3);
    EXPECT_EQ(other.rowCount(), 4);
    EXPECT_EQ(other.colWidth(1), 77);
    EXPECT_EQ(other.displayRowCount(), 4);
    EXPECT_EQ(other.selectedRowCount(), 0);
    EXPECT_TRUE(other.merges().empty());
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(other.text(c, r), store.text(c, r) == "neu" ? "c0r0" : store.text(c, r));
            EXPECT_EQ(other.object(c, r), nullptr);
        }
}

// A row keeps its cells' texts in one block: writing one cell (longer, shorter, empty, past the
// last written one, or from another cell of the same row) must leave the others as they were.
TEST(GridStore, WritingOneCellKeepsTheRowsOtherCells)
{
    GridStore s;
    s.setColCount(5);
    s.setRowCount(2);
    s.setText(0, 0, "4711");
    s.setText(1, 0, "Jürgen");
    s.setText(3, 0, "Straße 5, Köln");
    s.setText(0, 1, "other row");
    const auto row0 = [&] {
        std::vector<std::string> out;
        for (int c = 0; c < s.colCount(); ++c)
            out.emplace_back(s.text(c, 0));
        return out;
    };
    s.setText(1, 0, "Hans-Jürgen Müller-Lüdenscheidt");
    EXPECT_EQ(row0(),
        (std::vector<std::string> { "4711", "Hans-Jürgen Müller-Lüdenscheidt", "", "Straße 5, Köln", "" }));
    s.setText(1, 0, "Ö");
    s.setText(4, 0, "zuletzt");
    s.setText(0, 0, "");
    EXPECT_EQ(row0(), (std::vector<std::string> { "", "Ö", "", "Straße 5, Köln", "zuletzt" }));
    // From a cell of the same row: the longer text and the equal-length one.
    s.assignText(2, 0, s.text(3, 0));
    s.assignText(1, 0, s.text(3, 0).substr(0, 2));
    EXPECT_EQ(row0(), (std::vector<std::string> { "", "St", "Straße 5, Köln", "Straße 5, Köln", "zuletzt" }));
    s.setText(4, 0, "");
    s.setText(3, 0, "");
    s.setText(2, 0, "");
    s.setText(1, 0, "");
    EXPECT_EQ(row0(), std::vector<std::string>(5));
    EXPECT_EQ(s.text(0, 1), "other row");
}

TEST(GridStore, WritingAWholeRowEmptiesTheCellsPastItsTexts)
{
    auto s = makeStore(4, 3);
    const std::string_view texts[] = { "1", "Äbersold", "Zoë" };
    s.assignRow(1, texts, 3);
    EXPECT_EQ(s.text(1, 1), "Äbersold");
    EXPECT_EQ(s.text(2, 1), "Zoë");
    EXPECT_EQ(s.text(3, 1), "");
    EXPECT_EQ(s.text(3, 2), "3:2");
    // The row's own texts in another order, of the same lengths: each is read before it is
    // overwritten.
    s.setText(0, 2, "abc");
    s.setText(1, 2, "xyz");
    const std::string_view swapped[] = { s.text(1, 2), s.text(0, 2), s.text(3, 2), s.text(2, 2) };
    s.assignRow(2, swapped, 4);
    EXPECT_EQ(column(s, 0).back(), "xyz");
    EXPECT_EQ(column(s, 1).back(), "abc");
    EXPECT_EQ(column(s, 2).back(), "3:2");
    EXPECT_EQ(column(s, 3).back(), "2:2");
    s.assignRow(2, nullptr, 0);
    EXPECT_EQ(column(s, 2).back(), "");
}

TEST(GridStore, ColumnsGivenUpAndAddedAgainStartEmpty)
{
    auto s = makeStore(4, 2);
    int tag = 0;
    s.setObject(3, 1, &tag);
    s.setObject(0, 1, &tag);
    s.setColCount(2);
    s.setColCount(4);
    EXPECT_EQ(s.text(1, 1), "1:1");
    EXPECT_EQ(s.text(2, 1), "");
    EXPECT_EQ(s.text(3, 1), "");
    EXPECT_EQ(s.object(3, 1), nullptr);
    EXPECT_EQ(s.object(0, 1), &tag);
}

TEST(GridStore, ObjectsTravelWithTheirRowsAndGoWithTheirTexts)
{
    auto s = makeStore(3, 6);
    int a = 0, b = 0;
    s.setObject(0, 2, &a);
    s.setObject(2, 4, &b);
    s.setObject(1, 5, nullptr); // clearing a row without objects is no change
    s.moveRow(2, 5);
    EXPECT_EQ(s.object(0, 5), &a);
    EXPECT_EQ(s.text(0, 5), "0:2");
    EXPECT_EQ(s.object(2, 3), &b);
    s.swapRows(3, 1);
    EXPECT_EQ(s.object(2, 1), &b);
    EXPECT_EQ(s.object(2, 3), nullptr);
    s.insertRows(0, 1);
    s.removeRows(1, 1);
    EXPECT_EQ(s.object(2, 1), &b);
    EXPECT_EQ(s.object(0, 5), &a);
    s.clearRows(5, 1);
    EXPECT_EQ(s.object(0, 5), nullptr);
    EXPECT_EQ(s.text(0, 5), "");
    s.clearCells();
    EXPECT_EQ(s.object(2, 1), nullptr);
    EXPECT_EQ(s.text(1, 1), "");
}

TEST(GridStore, ARestoredStoreAndItsSnapshotChangeApart)
{
    auto s = makeStore(2, 3);
    const GridStore::Snapshot snap = s.snapshot();
    GridStore other;
    other.restore(snap);
    other.setText(1, 2, "geändert");
    s.setText(1, 1, "auch geändert");
    EXPECT_EQ(snap.text(1, 2), "1:2");
    EXPECT_EQ(snap.text(1, 1), "1:1");
    other.restore(snap);
    EXPECT_EQ(other.text(1, 2), "1:2");
    EXPECT_EQ(snap.text(5, 1), "");
}

// Emptied rows keep their blocks for the next texts: they must read empty, copy as empty, and
// take texts of the old size as well as of any other.
TEST(GridStore, EmptiedRowsReadEmptyAndTakeNewTexts)
{
    auto s = makeStore(3, 4);
    s.clearCells();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(s.text(c, r), "");
    const GridStore::Snapshot emptied = s.snapshot();
    EXPECT_EQ(emptied.text(0, 1), "");
    const std::string_view same[] = { "9:9", "8:8", "7:7" };
    s.assignRow(1, same, 3);
    s.setText(2, 2, "Größer als vorher");
    s.setText(0, 3, "");
    EXPECT_EQ(s.text(1, 1), "8:8");
    EXPECT_EQ(s.text(2, 2), "Größer als vorher");
    EXPECT_EQ(s.text(0, 2), "");
    EXPECT_EQ(s.text(0, 3), "");
    // Restored over rows of other lengths, some emptied: the snapshot's texts and nothing else.
    auto source = makeStore(3, 3);
    source.setText(1, 2, "ä");
    const GridStore::Snapshot snap = source.snapshot();
    s.setRowSelected(1, true);
    s.setRowHidden(2, true);
    s.restore(snap);
    EXPECT_EQ(s.rowCount(), 3);
    EXPECT_EQ(column(s, 1), (std::vector<std::string> { "1:1", "ä" }));
    EXPECT_EQ(s.text(2, 2), "2:2");
    EXPECT_FALSE(s.rowSelected(1));
    EXPECT_EQ(s.displayRowCount(), 3);
    s.restore(emptied);
    EXPECT_EQ(s.text(1, 2), "");
}

TEST(GridStore, StylesFollowRowsAndCellsWinOverRows)
{
    auto s = makeStore(3, 4);
    s.setRowColor(2, 0x00FF00);
    s.setCellColor(1, 2, 0x0000FF);
    s.setCellFontStyle(0, 3, 1);
    EXPECT_EQ(s.cellStyle(0, 2).color, 0x00FF00);
    EXPECT_EQ(s.cellStyle(1, 2).color, 0x0000FF);
    s.swapRows(2, 3);
    EXPECT_EQ(s.cellStyle(0, 3).color, 0x00FF00);
    EXPECT_EQ(s.cellStyle(0, 2).fontStyle, 1);
    EXPECT_EQ(s.cellStyle(0, 2).color, NoColor);
}

TEST(GridStore, DisplayMappingWithHiddenRowsAndNodes)
{
    auto s = makeStore(2, 10); // rows 1..9 are data
    EXPECT_EQ(s.displayRowCount(), 10);
    EXPECT_EQ(s.realRow(5), 5);

    s.addNode(2, 4); // heads rows 2..5
    s.addNode(3, 2); // nested: rows 3..4
    EXPECT_EQ(s.nodeLevel(2), 0);
    EXPECT_EQ(s.nodeLevel(3), 1);
    EXPECT_EQ(s.nodeLevel(4), 2);
    EXPECT_EQ(s.nodeLevel(6), 0);

    s.setNodeContracted(3, true); // hides row 4
    EXPECT_EQ(s.displayRowCount(), 9);
    EXPECT_EQ(s.displayRow(4), -1);
    EXPECT_EQ(s.realRow(4), 5);
    s.setNodeContracted(2, true); // hides 3..5, inner state kept
    EXPECT_EQ(s.displayRowCount(), 7);
    EXPECT_EQ(s.realRow(3), 6);
    EXPECT_EQ(s.displayRow(6), 3);
    s.setRowHidden(8, true);
    EXPECT_EQ(s.displayRowCount(), 6);
    EXPECT_EQ(s.realRow(5), 9);
    s.setNodeContracted(2, false); // inner node stays contracted
    EXPECT_EQ(s.displayRow(3), 3);
    EXPECT_EQ(s.displayRow(4), -1);
    s.setRowHidden(0, true); // fixed rows are always shown
    EXPECT_EQ(s.displayRow(0), 0);
    EXPECT_EQ(s.realRow(100), -1);
}

TEST(GridStore, SelectionCountsAndTravelsWithRows)
{
    auto s = makeStore(2, 6);
    s.setRowSelected(2, true);
    s.setRowSelected(4, true);
    s.setRowSelected(4, true);
    EXPECT_EQ(s.selectedRowCount(), 2);
    s.swapRows(2, 5);
    EXPECT_TRUE(s.rowSelected(5));
    EXPECT_FALSE(s.rowSelected(2));
    s.removeRows(4, 2);
    EXPECT_EQ(s.selectedRowCount(), 0);
    s.setRowSelected(1, true);
    s.clearRowSelection();
    EXPECT_FALSE(s.rowSelected(1));
}

TEST(GridStore, MergesReplaceOverlapsAndShiftWithRows)
{
    auto s = makeStore(4, 6);
    s.mergeCells(1, 2, 3, 1);
    ASSERT_NE(s.mergeAt(3, 2), nullptr);
    EXPECT_EQ(s.mergeAt(3, 2)->col, 1);
    EXPECT_EQ(s.mergeAt(0, 2), nullptr);
    s.mergeCells(2, 1, 1, 2); // overlaps the first: replaces it
    EXPECT_EQ(s.merges().size(), 1u);
    EXPECT_EQ(s.mergeAt(3, 2), nullptr);
    s.insertRows(0, 1);
    ASSERT_NE(s.mergeAt(2, 3), nullptr);
    s.mergeCells(0, 5, 10, 10); // clipped to the table
    EXPECT_EQ(s.mergeAt(0, 5)->spanX, 4);
    EXPECT_EQ(s.mergeAt(0, 5)->spanY, 2);
    s.splitAllCells();
    EXPECT_TRUE(s.merges().empty());
}

TEST(GridStore, MovingARowShiftsTheOthersAndTakesItsStylesAlong)
{
    auto s = makeStore(3, 7); // data rows 1..6
    s.setRowFontColor(6, 0x808080);
    s.setCellFontStyle(2, 6, 1);
    s.setRowSelected(6, true);
    s.mergeCells(0, 1, 3, 1);
    EXPECT_TRUE(s.moveRow(6, 2)); // the merge at row 1 lies outside rows 2..6
    EXPECT_EQ(column(s, 1), (std::vector<std::string> { "1:1", "1:6", "1:2", "1:3", "1:4", "1:5" }));
    EXPECT_EQ(s.cellStyle(0, 2).fontColor, 0x808080);
    EXPECT_EQ(s.cellStyle(2, 2).fontStyle, 1);
    EXPECT_EQ(s.cellStyle(2, 6).fontStyle, -1);
    EXPECT_TRUE(s.rowSelected(2));
    EXPECT_EQ(s.selectedRowCount(), 1);
    ASSERT_NE(s.mergeAt(2, 1), nullptr); // untouched

    s.moveRow(2, 6); // and back down
    EXPECT_EQ(column(s, 1), (std::vector<std::string> { "1:1", "1:2", "1:3", "1:4", "1:5", "1:6" }));
    EXPECT_TRUE(s.rowSelected(6));

    // A merge inside the range moves with its row and the layout must be rebuilt.
    EXPECT_FALSE(s.moveRow(1, 4));
    ASSERT_NE(s.mergeAt(2, 4), nullptr);
    EXPECT_EQ(s.mergeAt(2, 4)->row, 4);
    EXPECT_EQ(s.mergeAt(2, 1), nullptr);
    EXPECT_EQ(s.text(0, 4), "0:1");
    EXPECT_EQ(s.text(0, 1), "0:2");
    s.splitAllCells();
    s.setRowHidden(3, true);
    EXPECT_FALSE(s.moveRow(2, 5));
    EXPECT_TRUE(s.moveRow(5, 6));
    s.moveRow(0, 99); // out of range: nothing
    EXPECT_EQ(s.rowCount(), 7);
}

TEST(GridSort, StylesOrderAsUsersExpect)
{
    GridStore s;
    s.setColCount(3);
    s.setRowCount(6);
    s.setFixedRows(1);
    const char* names[] = { "Zander", "äpfel", "Bauer", "apfel", "Öl" };
    const char* nums[] = { "10", "1.234,5", "-3", "x", "9,5" };
    const char* dates[] = { "01.02.2020", "31.12.2019", "2020-01-15", "", "01.02.2020 10:00" };
    for (int i = 0; i < 5; ++i) {
        s.setText(0, i + 1, names[i]);
        s.setText(1, i + 1, nums[i]);
        s.setText(2, i + 1, dates[i]);
    }
    sortBy(s, 0, ssAnsiAlphaNoCase);
    EXPECT_EQ(column(s, 0), (std::vector<std::string> { "apfel", "äpfel", "Bauer", "Öl", "Zander" }));
    sortBy(s, 1, ssNumeric);
    EXPECT_EQ(column(s, 1), (std::vector<std::string> { "x", "-3", "9,5", "10", "1.234,5" }));
    sortBy(s, 1, ssNumeric, true);
    EXPECT_EQ(column(s, 1), (std::vector<std::string> { "1.234,5", "10", "9,5", "-3", "x" }));
    sortBy(s, 2, ssDate);
    EXPECT_EQ(column(s, 2),
        (std::vector<std::string> { "", "31.12.2019", "2020-01-15", "01.02.2020", "01.02.2020 10:00" }));
    EXPECT_EQ(s.text(0, 0), ""); // the fixed row does not move
}

TEST(GridSort, RawCompareSeesUnmovedRowsAndSwapsAreReported)
{
    auto s = makeStore(1, 6);
    long keys[] = { 0, 50, 10, 40, 20, 30 };
    for (int r = 1; r < 6; ++r)
        s.setObject(0, r, reinterpret_cast<void*>(keys[r]));
    SortRequest req;
    req.style = ssRaw;
    req.firstRow = 1;
    req.endRow = 6;
    req.rawCompare = [&](int a, int b) {
        const auto ka = reinterpret_cast<long>(s.object(0, a));
        const auto kb = reinterpret_cast<long>(s.object(0, b));
        return ka < kb ? -1 : ka > kb ? 1 : 0;
    };
    std::vector<std::string> mirror = column(s, 0); // a list kept in step through the swaps
    ApplyOrder(s, 1, SortOrder(s, req), [&](int a, int b) { std::swap(mirror[a - 1], mirror[b - 1]); });
    EXPECT_EQ(column(s, 0), (std::vector<std::string> { "0:2", "0:4", "0:5", "0:3", "0:1" }));
    EXPECT_EQ(mirror, column(s, 0));
}

TEST(GridSort, KeysThenTieKeysDecideAndEqualRowsKeepTheirOrder)
{
    // Row texts: "<key>|<tie key>"; the tie key is asked only for rows whose keys tie.
    const char* rows[] = { "5|b", "1|z", "5|a", "9|", "5|b", "1|z" };
    for (const bool wide : { false, true }) { // keys small, and keys spanning all 64 bits
        GridStore s;
        s.setColCount(1);
        s.setRowCount(7);
        s.setFixedRows(1);
        for (int r = 1; r < 7; ++r)
            s.setText(0, r, rows[r - 1]);
        std::vector<int> tieAsked;
        SortRequest req;
        req.style = ssRaw;
        req.firstRow = 1;
        req.endRow = 7;
        req.rawCompare = [](int, int) -> int {
            ADD_FAILURE() << "raw compare asked";
            return 0;
        };
        req.sortKey = [&](int row) -> std::int64_t {
            const std::int64_t k = s.text(0, row)[0] - '0';
            return wide ? (k == 9 ? INT64_MAX : k == 1 ? INT64_MIN : k) : k;
        };
        req.tieKey = [&](int row, std::string& out) {
            tieAsked.push_back(row);
            out += s.text(0, row).substr(2);
        };
        ApplyOrder(s, 1, SortOrder(s, req), nullptr);
        EXPECT_EQ(column(s, 0), (std::vector<std::string> { "1|z", "1|z", "5|a", "5|b", "5|b", "9|" }))
            << wide;
        std::sort(tieAsked.begin(), tieAsked.end());
        EXPECT_EQ(tieAsked, (std::vector<int> { 1, 2, 3, 5, 6 })) << wide; // not row 4 ("9|")
        req.descending = true;
        ApplyOrder(s, 1, SortOrder(s, req), nullptr);
        EXPECT_EQ(column(s, 0), (std::vector<std::string> { "9|", "5|b", "5|b", "5|a", "1|z", "1|z" }))
            << wide;
    }
}

TEST(GridSort, NodesMoveWithTheirRowsAndMappingFollows)
{
    GridStore s;
    s.setColCount(1);
    s.setRowCount(7);
    s.setFixedRows(1);
    const char* t[] = { "H", "c", "b", "b-1", "b-2", "a", "a-1" };
    for (int r = 0; r < 7; ++r)
        s.setText(0, r, t[r]);
    s.addNode(2, 3);
    s.addNode(5, 2);
    s.setNodeContracted(2, true);
    sortBy(s, 0, ssAlphabetic);
    EXPECT_EQ(column(s, 0), (std::vector<std::string> { "a", "a-1", "b", "b-1", "b-2", "c" }));
    EXPECT_TRUE(s.nodeContracted(3));
    EXPECT_EQ(s.nodeSpan(3), 3);
    EXPECT_EQ(s.displayRowCount(), 5); // b-1 and b-2 stay hidden
    EXPECT_EQ(s.realRow(4), 6); // "c"
}

TEST(GridIo, CsvQuotesWhatNeedsQuotingAndReadsItBack)
{
    GridStore s;
    s.setColCount(3);
    s.setRowCount(2);
    s.setText(0, 0, "plain");
    s.setText(1, 0, "a;b");
    s.setText(2, 0, "sagt \"hallo\"");
    s.setText(0, 1, "zwei\nZeilen");
    s.setText(1, 1, " Rand ");
    s.setText(2, 1, "Müller");
    std::ostringstream out;
    CsvOptions opt;
    opt.delimiter = ';';
    opt.byteOrderMark = false;
    WriteCsv(s, out, opt);
    EXPECT_EQ(out.str(), "plain;\"a;b\";\"sagt \"\"hallo\"\"\"\r\n\"zwei\nZeilen\";\" Rand \";Müller\r\n");

    std::istringstream in("\xEF\xBB\xBF" + out.str());
    const auto rows = ReadCsv(in, ';');
    ASSERT_EQ(rows.size(), 2u);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(rows[r][c], s.text(c, r));

    s.setColHidden(1, true);
    opt.includeHidden = false;
    opt.alwaysQuote = true;
    std::ostringstream out2;
    WriteCsv(s, out2, opt);
    EXPECT_EQ(out2.str(), "\"plain\";\"sagt \"\"hallo\"\"\"\r\n\"zwei\nZeilen\";\"Müller\"\r\n");
}

TEST(GridIo, BinaryRoundTripAndDamagedStreamsChangeNothing)
{
    auto s = makeStore(3, 5);
    s.setText(1, 2, std::string("mit\0Null", 8));
    s.setColWidth(2, 123);
    std::stringstream buf;
    WriteBinary(s, buf);
    const std::string bytes = buf.str();

    GridStore t;
    std::istringstream in(bytes);
    ReadBinary(t, in);
    ASSERT_EQ(t.colCount(), 3);
    ASSERT_EQ(t.rowCount(), 5);
    EXPECT_EQ(t.colWidth(2), 123);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(t.text(c, r), s.text(c, r));

    for (std::size_t cut : { std::size_t { 3 }, std::size_t { 20 }, bytes.size() - 1 }) {
        GridStore u = makeStore(2, 2);
        std::istringstream bad(bytes.substr(0, cut));
        EXPECT_THROW(ReadBinary(u, bad), std::runtime_error);
        EXPECT_EQ(u.rowCount(), 2);
        EXPECT_EQ(u.text(1, 1), "1:1");
    }
    std::string huge = bytes;
    huge[14] = '\x7F'; // millions of rows the stream does not hold
    std::istringstream bad(huge);
    GridStore u;
    EXPECT_THROW(ReadBinary(u, bad), std::runtime_error);
}

TEST(GridStore, PermutingRowsMovesTheirCellsStylesFlagsAndMergesAndTakesOnlyAPermutation)
{
    auto s = makeStore(2, 7); // rows 1..6 take part
    int tag = 0;
    s.setObject(1, 2, &tag);
    s.setRowColor(3, 0x123456);
    s.setRowSelected(5, true);
    s.mergeCells(0, 4, 2, 1);
    const std::uint64_t before = s.contentVersion();
    // Two cycles (1 2 3) and (4 5), row 6 stays.
    s.permuteRows(1, { 3, 1, 2, 5, 4, 6 });
    EXPECT_EQ(column(s, 0), (std::vector<std::string> { "0:3", "0:1", "0:2", "0:5", "0:4", "0:6" }));
    EXPECT_EQ(s.object(1, 3), &tag);
    EXPECT_EQ(s.rowStyle(1).color, 0x123456);
    EXPECT_TRUE(s.rowSelected(4));
    EXPECT_EQ(s.selectedRowCount(), 1);
    ASSERT_EQ(s.merges().size(), 1u);
    EXPECT_EQ(s.merges()[0].row, 5);
    EXPECT_NE(s.contentVersion(), before);
    // A row twice, or one outside the range: nothing moves.
    const auto kept = column(s, 0);
    s.permuteRows(1, { 1, 1, 2, 3, 4, 5 });
    s.permuteRows(1, { 0, 1, 2, 3, 4, 5 });
    s.permuteRows(2, { 2, 3, 4, 5, 6, 7 });
    EXPECT_EQ(column(s, 0), kept);
}
