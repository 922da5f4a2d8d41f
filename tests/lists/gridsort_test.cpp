// Sorting in TQelGrid: German texts by collation keys (umlauts, ß, case), numbers and dates by
// value, empty cells first; by a click on the header as the user sorts.
#include "held_sort.h"
#include "lists_fixture.h"

#include "toolkit/classes.h"

#include <QLineEdit>
#include <QTimer>

#include <chrono>
#include <functional>
#include <random>
#include <thread>
#include <vector>

namespace {

class GridSortTest : public GridFixture<TQelGrid> {
protected:
    void fill(const std::vector<std::string>& texts, int col = 0)
    {
        grid->SetColCount(std::max(grid->ColCount(), col + 1));
        grid->SetRowCount(1 + static_cast<int>(texts.size()));
        for (std::size_t i = 0; i < texts.size(); ++i)
            grid->SetCellsEx(col, 1 + static_cast<int>(i), texts[i]);
    }
    std::vector<std::string> column(int col = 0) const
    {
        std::vector<std::string> out;
        for (int r = 1; r < grid->RowCount(); ++r)
            out.push_back(grid->GetCellsEx(col, r));
        return out;
    }
    void clickHeader(int col)
    {
        QWidget* header = headerViewport();
        const TRect head = grid->CellRect(col, 0);
        QTest::mouseClick(header, Qt::LeftButton, {},
            header->mapFrom(
                grid->Handle(), QPoint((head.Left + head.Right) / 2, (head.Top + head.Bottom) / 2)));
        settle();
    }
};

const std::vector<std::string> kGerman = { "Zebra", "Straße", "äpfel", "", "Stroh", "Apfel", "STRASSE", "arm",
    "Ärger", "Birne", "<s>Aal</s>", "abc", "Strasse", "Öl", "Ofen" };

TEST_F(GridSortTest, GermanTextsSortByCollationKeysWithUmlautsBesideTheirLetters)
{
    fill(kGerman);
    grid->SetColCount(2);
    grid->SortSettings().Show = true;
    grid->SortSettings().Column = 1; // the first click on column 0 sorts ascending
    clickHeader(0);
    // Äpfel and Apfel have equal keys and go by their text; the three spellings of Straße are
    // equal and keep their order; mark-up does not count.
    const std::vector<std::string> ascending = { "", "<s>Aal</s>", "abc", "Apfel", "äpfel", "Ärger", "arm",
        "Birne", "Ofen", "Öl", "Straße", "STRASSE", "Strasse", "Stroh", "Zebra" };
    EXPECT_EQ(column(), ascending);
    clickHeader(0); // again: descending
    const std::vector<std::string> descending = { "Zebra", "Stroh", "Straße", "STRASSE", "Strasse", "Öl",
        "Ofen", "Birne", "arm", "Ärger", "äpfel", "Apfel", "abc", "<s>Aal</s>", "" };
    EXPECT_EQ(column(), descending);
    EXPECT_EQ(grid->SortSettings().Direction, sdDescending);
}

TEST_F(GridSortTest, WithoutCollationKeysTheCollatorSortsAlike)
{
    fill({ "Zebra", "äpfel", "Birne", "Apfel", "arm", "" });
    grid->set_AnsiSortByIndex(false);
    grid->SortByColumn(0, sdAscending);
    const auto sorted = column();
    EXPECT_EQ(sorted.front(), "");
    EXPECT_EQ(sorted.back(), "Zebra");
    EXPECT_EQ(sorted[3], "arm");
    EXPECT_EQ(sorted[4], "Birne");
}

TEST_F(GridSortTest, NumbersAndDatesSortByValueWithEmptyCellsFirst)
{
    grid->SetColCount(3);
    fill({ "10", "9", "", "-3", "1.234,5", "100" }, 0);
    fill({ "01.02.2020", "31.12.2019", "15.01.2020", "", "01.02.2020 08:30", "02.01.2020" }, 1);
    fill({ "10", "9", "abc", "", "2", "1" }, 2); // not all numbers: text
    grid->SortByColumn(0, sdAscending);
    EXPECT_EQ(column(0), (std::vector<std::string> { "", "-3", "9", "10", "100", "1.234,5" }));
    grid->SortByColumn(1, sdAscending);
    EXPECT_EQ(column(1),
        (std::vector<std::string> {
            "", "31.12.2019", "02.01.2020", "15.01.2020", "01.02.2020", "01.02.2020 08:30" }));
    grid->SortByColumn(1, sdDescending);
    EXPECT_EQ(column(1).back(), "");
    grid->SortByColumn(2, sdAscending);
    EXPECT_EQ(column(2), (std::vector<std::string> { "", "1", "10", "2", "9", "abc" }));
}

TEST_F(GridSortTest, AColumnSortStyleOverridesTheContents)
{
    fill({ "10", "9", "100" });
    grid->set_ColSortStyle(0, ssAnsiAlphaNoCase);
    grid->SortByColumn(0, sdAscending);
    EXPECT_EQ(column(), (std::vector<std::string> { "10", "100", "9" }));
    grid->set_ColSortStyle(0, ssNumeric);
    grid->SortByColumn(0, sdAscending);
    EXPECT_EQ(column(), (std::vector<std::string> { "9", "10", "100" }));
}

TEST_F(GridSortTest, CellObjectsTravelWithTheirRowsAndAreNotOverwritten)
{
    fill({ "Zebra", "Apfel", "Mango" });
    grid->SetColCount(2);
    TStringList tags[3];
    for (int r = 1; r <= 3; ++r) {
        grid->SetObjectsEx(0, r, &tags[r - 1]);
        grid->SetCellsEx(1, r, "Zeile " + std::to_string(r));
    }
    grid->SortByColumn(0, sdAscending);
    EXPECT_EQ(column(0), (std::vector<std::string> { "Apfel", "Mango", "Zebra" }));
    EXPECT_EQ(column(1), (std::vector<std::string> { "Zeile 2", "Zeile 3", "Zeile 1" }));
    EXPECT_EQ(grid->GetObjectsEx(0, 1), &tags[1]);
    EXPECT_EQ(grid->GetObjectsEx(0, 3), &tags[0]);
}

TEST_F(GridSortTest, AChangedCellSortsByItsNewText)
{
    fill({ "Birne", "Apfel", "Citrone" });
    grid->SortByColumn(0, sdAscending);
    grid->SetCellsEx(0, 1, "Zwetschge"); // was Apfel
    grid->SortByColumn(0, sdAscending);
    EXPECT_EQ(column(), (std::vector<std::string> { "Birne", "Citrone", "Zwetschge" }));
}

class HeldSortGrid : public HeldSort<TQelGrid> {
public:
    using HeldSort<TQelGrid>::HeldSort;
    using TQelGrid::SortMark;
};

class HeldSortTest : public GridFixture<HeldSortGrid> {
protected:
    static constexpr int kRows = 3000;

    // kRows names in a scattered order in column 0, each row's first position in column 1.
    void fillNames()
    {
        grid->SetColCount(2);
        grid->SetRowCount(1 + kRows);
        for (int i = 0; i < kRows; ++i) {
            grid->SetCellsEx(0, 1 + i, "Name " + std::to_string((i * 7919) % kRows));
            grid->SetCellsEx(1, 1 + i, std::to_string(i));
        }
    }
    // Column 0 is in order by the grid's own comparison, rows that compare equal in their first
    // order (column 1).
    void expectSorted(bool descending = false)
    {
        for (int r = 2; r < grid->RowCount(); ++r) {
            int res = 0;
            grid->RawCompare(0, r - 1, r, res);
            if (descending)
                res = -res;
            ASSERT_LE(res, 0) << grid->GetCellsEx(0, r - 1) << " before " << grid->GetCellsEx(0, r);
            if (res == 0) {
                ASSERT_LT(std::stoi(grid->GetCellsEx(1, r - 1)), std::stoi(grid->GetCellsEx(1, r)))
                    << "equal texts keep their order: " << grid->GetCellsEx(0, r);
            }
        }
    }
};

// Random texts of many kinds: umlauts, ß, case, shared beginnings, mark-up, characters outside
// Windows-1252, empty cells.
std::vector<std::string> randomTexts(int count, unsigned seed)
{
    const char* const parts[] = { "a", "A", "ä", "Ä", "b", "s", "S", "ß", "ss", "SS", "o", "ö", "Ö", "é", "E",
        "z", "Z", "€", "ł", "Ω", "字", "😀", " ", "-", "1", "9", "Name ", "Straße ", "<b>", "</b>" };
    std::mt19937 rnd(seed);
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
        std::string t;
        const int len = static_cast<int>(rnd() % 14);
        for (int k = 0; k < len; ++k)
            t += parts[rnd() % std::size(parts)];
        texts.push_back(t);
    }
    return texts;
}

TEST_F(HeldSortTest, TheOrderIsTheOrderOfTheGridsOwnComparisonOnRandomTexts)
{
    for (const unsigned seed : { 1u, 2u, 3u }) {
        const auto texts = randomTexts(4000, seed);
        // The ten-character key begins with the five-character one (the grid's keys rely on it).
        for (const auto& t : texts)
            ASSERT_EQ(str2key(t), str2key64(t) >> 30) << t;
        grid->SetColCount(2);
        grid->SetRowCount(1 + static_cast<int>(texts.size()));
        for (std::size_t i = 0; i < texts.size(); ++i) {
            grid->SetCellsEx(0, 1 + static_cast<int>(i), texts[i]);
            grid->SetCellsEx(1, 1 + static_cast<int>(i), std::to_string(i));
        }
        grid->SortByColumn(0, sdAscending);
        expectSorted();
        // Descending from the ascending order: rows that compare equal keep that order.
        for (int r = 1; r < grid->RowCount(); ++r)
            grid->SetCellsEx(1, r, std::to_string(r));
        grid->SortByColumn(0, sdDescending);
        expectSorted(true);
    }
}

TEST_F(HeldSortTest, ALongSortLetsOtherWindowsAnswerButItsGridTakesNoClickOrKeyAndTheCurrentRowFollows)
{
    fillNames();
    grid->SortSettings().Show = true;
    grid->FocusCell(0, 5);
    const std::string current = grid->GetCellsEx(1, grid->Row());
    QWidget* port = viewport();
    QLineEdit other; // another window answers meanwhile
    other.show();
    grid->during = [&] {
        QTest::keyClicks(&other, "ja");
        QTest::mouseClick(port, Qt::LeftButton, {}, cellPoint(0, 2));
        QTest::keyClick(port, Qt::Key_Down);
        EXPECT_EQ(grid->SortMark(0), 0) << "the mark shows once the rows are in order";
    };
    grid->SortByColumn(0, sdAscending);
    EXPECT_TRUE(grid->ran);
    EXPECT_EQ(other.text().toStdString(), "ja");
    expectSorted();
    EXPECT_EQ(grid->GetCellsEx(0, 1), "Name 0");
    // Neither the click nor the key moved the current row: it is the same row, in its new place.
    EXPECT_EQ(grid->GetCellsEx(1, grid->Row()), current);
    EXPECT_EQ(grid->SortMark(0), 1);
    // Afterwards the grid takes input again.
    const int shown = grid->TopRow() + 1;
    QTest::mouseClick(port, Qt::LeftButton, {}, cellPoint(0, shown));
    EXPECT_EQ(grid->Row(), shown);
}

TEST_F(HeldSortTest, CellsChangedDuringTheSortAreSortedByWhatTheyHoldAtTheEnd)
{
    fillNames();
    grid->during = [&] {
        grid->SetCellsEx(0, 7, "Aaron"); // was in the middle
        grid->RemoveRows(3, 2);
    };
    grid->SortByColumn(0, sdAscending);
    EXPECT_TRUE(grid->ran);
    EXPECT_EQ(grid->RowCount(), 1 + kRows - 2);
    EXPECT_EQ(grid->GetCellsEx(0, 1), "Aaron");
    EXPECT_EQ(grid->GetCellsEx(1, 1), "6");
    expectSorted();
}

TEST_F(HeldSortTest, ASortBegunDuringTheSortWinsAndTheFirstOneStops)
{
    fillNames();
    grid->SortSettings().Show = true;
    grid->during = [&] { grid->SortByColumn(0, sdDescending); };
    grid->SortByColumn(0, sdAscending);
    EXPECT_TRUE(grid->ran);
    EXPECT_EQ(grid->GetCellsEx(0, 1), "Name 999");
    expectSorted(true);
    EXPECT_EQ(grid->SortMark(0), -1);
}

TEST_F(HeldSortTest, AGridDestroyedDuringItsSortIsLeftAlone)
{
    fillNames();
    bool ran = false;
    grid->during = [&] {
        ran = true;
        form.reset(); // the form with its grid
    };
    grid->SortByColumn(0, sdAscending);
    EXPECT_TRUE(ran);
    EXPECT_EQ(form, nullptr);
}

} // namespace
