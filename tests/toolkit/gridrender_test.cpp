// Renders a grid with mini-HTML cells, a merged row, a hidden column and coloured rows to a PNG
// (kept under $QEL_TEST_OUTPUT) and checks what must be visible on it.
#include "grid_fixture.h"
#include "support/test_output.h"

#include <QDir>
#include <QImage>
#include <QPixmap>

namespace {

class TColouringGrid : public TRecordingGrid {
public:
    using TRecordingGrid::TRecordingGrid;

protected:
    void GetCellColor(int, int row, TGridDrawState state, TBrush* brush, TFont* font) override
    {
        if (row == 4 && !state.Contains(gdFixed)) {
            brush->SetColor(clAqua);
            font->SetStyle(font->Style() << fsBold);
        }
    }
    void GetCellAlign(int col, int, TAlignment& h, TVerticalAlignment&) override
    {
        if (col == 3)
            h = taRightJustify;
    }
};

int countPixels(const QImage& img, const QRect& area, const std::function<bool(QColor)>& pred)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += pred(img.pixelColor(x, y));
    return n;
}

QRect qrect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height()).adjusted(1, 1, -2, -2);
}

} // namespace

TEST(GridRender, HtmlCellsMergesHiddenColumnAndColouredRows)
{
    TForm form(nullptr);
    form.SetClientWidth(560);
    form.SetClientHeight(200);
    auto* grid = new TColouringGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 560, 200);
    grid->SetColCount(5);
    grid->SetRowCount(7);
    grid->SetFixedRows(1);
    grid->SetFixedCols(1);
    const int widths[] = { 30, 160, 80, 160, 100 };
    const char* heads[] = { "", "Name", "Versteckt", "Status", "Notiz" };
    for (int c = 0; c < 5; ++c) {
        grid->SetColWidths(c, widths[c]);
        grid->SetCellsEx(c, 0, heads[c]);
    }
    for (int r = 1; r < 7; ++r) {
        grid->SetCellsEx(0, r, std::to_string(r));
        grid->SetCellsEx(2, r, "VERSTECKT");
    }
    grid->SetCellsEx(1, 1, R"(<A href="">Müller, Hans</A>)");
    grid->SetCellsEx(3, 1, "<E>ungültiger Schlüssel</E>");
    grid->SetCellsEx(1, 2, R"(<FONT color="clGray">nicht gesetzt</FONT>)");
    grid->SetCellsEx(3, 2, "<B>fett</B> und <S>durchgestrichen</S>");
    grid->SetCellsEx(1, 3, "Schmidt");
    grid->SetCellsEx(3, 3, "rechtsbündig");
    grid->SetCellsEx(1, 4, "Hook-Zeile");
    grid->SetRowColor(3, clYellow);
    grid->SetCellsEx(1, 6, R"(<A href="">Weitere Adresse hinzufügen</A>)");
    grid->MergeCells(1, 6, 4, 1);
    grid->HideColumn(2);
    grid->FocusCell(4, 5); // keep the selection away from the checked cells
    form.Show();
    QApplication::processEvents();

    const QImage img = grid->Handle()->grab().toImage();
    const QString path = QDir(TestOutputDir()).filePath("grid_render.png");
    ASSERT_TRUE(img.save(path));

    // Hidden column: no room on screen, the next column starts where the previous one ends.
    EXPECT_EQ(grid->CellRect(2, 1).Width(), 0);
    EXPECT_EQ(grid->CellRect(3, 1).Left, grid->CellRect(1, 1).Right);
    // Merged add row spans the visible data columns.
    const TRect merged = grid->CellRect(1, 6);
    EXPECT_EQ(merged.Width(), 160 + 160 + 100);
    const int boundary = grid->CellRect(3, 5).Left - 1; // the line between columns 1 and 3 in row 5
    const QColor line
        = img.pixelColor(boundary, (grid->CellRect(3, 5).Top + grid->CellRect(3, 5).Bottom) / 2);
    const QColor inMerge = img.pixelColor(boundary, merged.Top + 2);
    EXPECT_NE(line, inMerge) << "a column line runs through the merged cell";

    auto isBlue = [](QColor c) { return c.blue() > 150 && c.red() < 100 && c.green() < 100; };
    auto isRed = [](QColor c) { return c.red() > 150 && c.green() < 80 && c.blue() < 80; };
    auto isGray = [](QColor c) {
        return std::abs(c.red() - 128) < 30 && c.red() == c.green() && c.green() == c.blue();
    };
    EXPECT_GT(countPixels(img, qrect(grid->CellRect(1, 1)), isBlue), 20) << "link text";
    EXPECT_GT(countPixels(img, qrect(grid->CellRect(3, 1)), isRed), 20) << "error text";
    EXPECT_GT(countPixels(img, qrect(grid->CellRect(1, 2)), isGray), 20) << "grey text";
    EXPECT_GT(countPixels(img, qrect(merged), isBlue), 40) << "link in the merged row";
    // Coloured row (SetRowColor) and the row the GetCellColor hook paints.
    const QRect yellow = qrect(grid->CellRect(1, 3));
    EXPECT_GT(countPixels(img, yellow, [](QColor c) { return c == QColor(255, 255, 0); }),
        yellow.width() * yellow.height() / 2);
    const QRect aqua = qrect(grid->CellRect(1, 4));
    EXPECT_GT(countPixels(img, aqua, [](QColor c) { return c == QColor(0, 255, 255); }),
        aqua.width() * aqua.height() / 2);
    // Right alignment from GetCellAlign: text only in the right part of column 3, row 3.
    const QRect right = qrect(grid->CellRect(3, 3));
    auto dark = [](QColor c) { return c.lightness() < 100; };
    EXPECT_EQ(countPixels(img, QRect(right.left(), right.top(), right.width() / 3, right.height()), dark), 0);
    EXPECT_GT(
        countPixels(img,
            QRect(right.right() - right.width() / 2, right.top(), right.width() / 2, right.height()), dark),
        10);
}

// A click on a header sorts by its column and marks that header with a triangle at its right end,
// up for ascending, down after a second click; the other headers carry no mark.
TEST(GridRender, TheSortedColumnsHeaderShowsTheDirection)
{
    TForm form(nullptr);
    form.SetClientWidth(400);
    form.SetClientHeight(160);
    auto* grid = new TAdvStringGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 400, 160);
    grid->SetColCount(3);
    grid->SetRowCount(4);
    grid->SetFixedRows(1);
    grid->SetFixedCols(0);
    grid->SortSettings().Show = true;
    const char* rows[][3] = { { "Name", "Ort", "Alter" }, { "Zeh", "Bonn", "3" }, { "Adam", "Köln", "12" },
        { "Meier", "Aachen", "7" } };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            grid->SetCellsEx(c, r, rows[r][c]);
    for (int c = 0; c < 3; ++c)
        grid->SetColWidths(c, 120);
    form.Show();
    QApplication::processEvents();
    QWidget* header = static_cast<qel::grid::GridView*>(grid->Handle())->horizontalHeader()->viewport();
    auto markArea = [&](int col) {
        const TRect r = grid->CellRect(col, 0);
        const QPoint topLeft = header->mapFrom(grid->Handle(), QPoint(r.Right - 18, r.Top + 2));
        return QRect(topLeft, QSize(16, r.Height() - 4));
    };
    auto dark = [](QColor c) { return c.lightness() < 100; };
    // The rows of the mark that hold its widest and its narrowest line.
    auto markShape = [&](int col) {
        const QImage img = header->grab().toImage();
        const QRect area = markArea(col);
        int widestY = -1, widest = 0, narrowestY = -1, narrowest = 1000;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const int n = countPixels(img, QRect(area.left(), y, area.width(), 1), dark);
            if (n > widest)
                widest = n, widestY = y;
            if (n > 0 && n < narrowest)
                narrowest = n, narrowestY = y;
        }
        return std::pair { widestY, narrowestY };
    };
    const QImage before = header->grab().toImage();
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(countPixels(before, markArea(c), dark), 0) << "no mark before sorting, column " << c;

    QTest::mouseClick(header, Qt::LeftButton, {}, header->mapFrom(grid->Handle(), QPoint(180, 10)));
    QApplication::processEvents();
    EXPECT_EQ(grid->Cells(1, 1), "Aachen");
    const QImage sorted = header->grab().toImage();
    sorted.save(QDir(TestOutputDir()).filePath("grid_sort_mark.png"));
    EXPECT_GT(countPixels(sorted, markArea(1), dark), 10);
    EXPECT_EQ(countPixels(sorted, markArea(0), dark), 0);
    EXPECT_EQ(countPixels(sorted, markArea(2), dark), 0);
    const auto [upWide, upNarrow] = markShape(1);
    EXPECT_GT(upWide, upNarrow) << "ascending: the point on top";

    QTest::mouseClick(header, Qt::LeftButton, {}, header->mapFrom(grid->Handle(), QPoint(180, 10)));
    QApplication::processEvents();
    EXPECT_EQ(grid->Cells(1, 1), "Köln");
    const auto [downWide, downNarrow] = markShape(1);
    EXPECT_LT(downWide, downNarrow) << "descending: the point below";

    // Rows refilled from scratch are in no known order: the mark goes.
    grid->Clear();
    QApplication::processEvents();
    EXPECT_EQ(countPixels(header->grab().toImage(), markArea(1), dark), 0);
}
