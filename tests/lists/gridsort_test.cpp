// Sorting in TQelGrid: German texts by collation keys (umlauts, ß, case), numbers and dates by
// value, empty cells first; by a click on the header as the user sorts.
#include "lists_fixture.h"

#include "toolkit/classes.h"

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

} // namespace
