// The grid control under real input: current cell, hidden columns, row mapping, selection,
// anchors, sorting from the header, nodes and batched updates.
#include "grid_fixture.h"

#include "toolkit/gridmodel.h"
#include "toolkit/qtbridge.h"

#include <QToolTip>

#include <QSignalSpy>

TEST_F(GridTest, ClicksAndKeysMoveTheCurrentCellAroundHiddenColumns)
{
    grid->HideColumn(1);
    click(2, 3);
    EXPECT_EQ(grid->Col(), 2); // the hidden column keeps its index
    EXPECT_EQ(grid->Row(), 3);
    key(Qt::Key_Left);
    EXPECT_EQ(grid->Col(), 0); // column 1 is skipped
    key(Qt::Key_Right);
    EXPECT_EQ(grid->Col(), 2);
    key(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 4);
    key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Col(), 0);
    EXPECT_TRUE(grid->CellRect(1, 2).Width() == 0);
    int c = -1, r = -1;
    const TRect rect = grid->CellRect(2, 2);
    grid->MouseToCell(rect.Left + 3, rect.Top + 3, c, r);
    EXPECT_EQ(c, 2);
    EXPECT_EQ(r, 2);
    grid->UnHideColumnsAll();
    key(Qt::Key_Right);
    EXPECT_EQ(grid->Col(), 1);
}

TEST_F(GridTest, HeadersFromAStringListAndTextWidthInTheGridFont)
{
    TStringList titles;
    titles.SetCommaText("Name,Vorname");
    grid->SetColumnHeaders(titles);
    EXPECT_EQ(grid->GetCellsEx(0, 0), "Name");
    EXPECT_EQ(grid->GetCellsEx(1, 0), "Vorname");
    EXPECT_EQ(grid->GetCellsEx(2, 0), "Kopf 2");
    EXPECT_NEAR(grid->TextWidth("XXXXXXXXXX"), 10 * grid->TextWidth("X"), 5); // fractional advances
    grid->Font().SetSize(20);
    EXPECT_GT(
        grid->TextWidth("X"), QFontMetrics(QFont(ToQString(grid->Font().Name()), 9)).horizontalAdvance("X"));
}

TEST_F(GridTest, SelectCellCanRefuseAMove)
{
    grid->OnSelectCell = [](TObject*, int, int row, bool& can) { can = row != 4; };
    click(1, 3);
    ASSERT_EQ(grid->Row(), 3);
    click(1, 4);
    EXPECT_EQ(grid->Row(), 3);
    ASSERT_FALSE(grid->selects.empty());
    EXPECT_EQ(grid->selects.back(), std::make_pair(1, 4));
    key(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 3);
}

TEST_F(GridTest, DisjointAndRangeRowSelection)
{
    grid->SetOptions(grid->Options() << goRowSelect << goRangeSelect);
    grid->SetDisjunctRowSelect(true);
    click(0, 1);
    EXPECT_EQ(grid->GetRowSelectCount(), 1);
    click(0, 3, Qt::ControlModifier);
    click(0, 5, Qt::ControlModifier);
    EXPECT_EQ(grid->GetRowSelectCount(), 3);
    EXPECT_TRUE(grid->GetRowSelect(3));
    EXPECT_FALSE(grid->GetRowSelect(2));
    click(0, 3, Qt::ControlModifier); // toggles off
    EXPECT_FALSE(grid->GetRowSelect(3));
    EXPECT_EQ(grid->GetRowSelectCount(), 2);
    click(0, 2);
    click(0, 4, Qt::ShiftModifier);
    EXPECT_EQ(grid->GetRowSelectCount(), 3);
    EXPECT_TRUE(grid->GetRowSelect(2) && grid->GetRowSelect(3) && grid->GetRowSelect(4));
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(grid->GetRowSelectCount(), 4);
    key(Qt::Key_Up);
    EXPECT_EQ(grid->GetRowSelectCount(), 1);
    grid->ClearRowSelect();
    EXPECT_EQ(grid->GetRowSelectCount(), 0);
}

TEST_F(GridTest, AnchorClickReportsTheHref)
{
    grid->SetCellsEx(1, 2, R"(Kunde: <A href="obj:17">Müller</A>)");
    std::vector<std::tuple<int, int, std::string>> clicks;
    grid->OnAnchorClick = [&](TObject* sender, int row, int col, std::string href, bool&) {
        EXPECT_EQ(sender, grid);
        clicks.emplace_back(col, row, href);
    };
    QFont f = ToQFont(grid->Font());
    const int textStart = 2 + QFontMetrics(f).horizontalAdvance("Kunde: ");
    click(1, 2, {}, 3); // on "Kunde: ", no anchor
    EXPECT_TRUE(clicks.empty());
    click(1, 2, {}, textStart + 4);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0], std::make_tuple(1, 2, std::string("obj:17")));
    click(1, 2, {}, 95); // right of the text
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(GridTest, HeaderClickSortsByTheColumnFormatAndRowsFollow)
{
    const char* values[] = { "10", "9", "100", "-1", "x" };
    for (int r = 1; r < 6; ++r)
        grid->SetCellsEx(3, r, values[r - 1]);
    int tag = 0;
    grid->SetObjectsEx(0, 3, &tag); // travels with "100"
    grid->SortSettings().Show = true;
    grid->style = ssNumeric;
    click(2, 2);
    ASSERT_EQ(grid->GetCellsEx(2, 2), "2/2");
    const TRect head = grid->CellRect(3, 0);
    QTest::mouseClick(headerViewport(), Qt::LeftButton, {},
        headerViewport()->mapFrom(
            grid->Handle(), QPoint((head.Left + head.Right) / 2, (head.Top + head.Bottom) / 2)));
    std::vector<std::string> col3;
    for (int r = 1; r < 6; ++r)
        col3.push_back(grid->GetCellsEx(3, r));
    EXPECT_EQ(col3, (std::vector<std::string> { "x", "-1", "9", "10", "100" }));
    EXPECT_EQ(grid->GetObjectsEx(0, 5), &tag);
    EXPECT_EQ(grid->GetCellsEx(0, 5), "0/3");
    EXPECT_FALSE(grid->swaps.empty());
    EXPECT_EQ(grid->GetCellsEx(2, grid->RealRowIndex(grid->Row())), "2/2"); // current row followed
    // Second click: descending; text style compares as text.
    grid->style = ssAlphabetic;
    QTest::mouseClick(headerViewport(), Qt::LeftButton, {},
        headerViewport()->mapFrom(
            grid->Handle(), QPoint((head.Left + head.Right) / 2, (head.Top + head.Bottom) / 2)));
    EXPECT_EQ(grid->SortSettings().Direction, sdDescending);
    EXPECT_EQ(grid->GetCellsEx(3, 1), "x");
    EXPECT_EQ(grid->GetCellsEx(3, 2), "9");
}

TEST_F(GridTest, NodeGlyphContractsAndMappingFollows)
{
    grid->AddNode(2, 3); // rows 2..4
    EXPECT_TRUE(grid->IsNode(2));
    click(0, 2, {}, 6); // on the glyph
    EXPECT_TRUE(grid->GetNodeState(2));
    EXPECT_EQ(grid->DisplRowCount(), 4);
    EXPECT_EQ(grid->RealRowIndex(3), 5);
    EXPECT_EQ(grid->DisplRowIndex(3), -1);
    EXPECT_EQ(grid->Cells(0, 3), "0/5");
    click(0, 3);
    EXPECT_EQ(grid->GetCellsEx(0, grid->RealRowIndex(grid->Row())), "0/5");
    grid->ExpandNode(2);
    EXPECT_EQ(grid->DisplRowCount(), 6);
    grid->HideRow(1);
    EXPECT_EQ(grid->RealRowIndex(1), 2);
    grid->UnHideRowsAll();
    EXPECT_EQ(grid->RealRowIndex(1), 1);
}

TEST_F(GridTest, UpdatesAreBatchedIntoOneReset)
{
    auto* model = static_cast<qel::grid::GridView*>(grid->Handle())->model();
    QSignalSpy resets(model, &QAbstractItemModel::modelReset);
    grid->BeginUpdate();
    grid->SetRowCount(1001);
    for (int r = 1; r < 1001; ++r)
        grid->SetCellsEx(1, r, "Zeile " + std::to_string(r));
    grid->HideColumn(3);
    grid->MergeCells(0, 1, 2, 1);
    EXPECT_EQ(resets.count(), 0);
    grid->EndUpdate();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model->rowCount(), 1000);
    EXPECT_EQ(model->data(model->index(999, 1), Qt::DisplayRole).toString(), "Zeile 1000");
}

TEST_F(GridTest, HintsShowTruncatedTextWithoutMarkup)
{
    grid->SetHintShowCells(true);
    grid->SetCellsEx(1, 2, "<B>ein sehr langer Text, der nicht in die Spalte passt</B>");
    EXPECT_TRUE(grid->IsCellTruncated(1, 2));
    EXPECT_FALSE(grid->IsCellTruncated(1, 3));
    QHelpEvent tip(QEvent::ToolTip, cellPoint(1, 2), viewport()->mapToGlobal(cellPoint(1, 2)));
    QApplication::sendEvent(viewport(), &tip);
    EXPECT_EQ(QToolTip::text(), "ein sehr langer Text, der nicht in die Spalte passt");
}

TEST_F(GridTest, DraggingAColumnBorderReportsTheNewWidth)
{
    grid->SetOptions(grid->Options() << goColSizing);
    std::vector<int> ended;
    grid->OnEndColumnSize = [&](TObject*, int col) { ended.push_back(col); };
    QWidget* header = headerViewport();
    const TRect head = grid->CellRect(1, 0);
    const QPoint border
        = header->mapFrom(grid->Handle(), QPoint(head.Right - 1, (head.Top + head.Bottom) / 2));
    QTest::mousePress(header, Qt::LeftButton, {}, border);
    QMouseEvent move(QEvent::MouseMove, QPointF(border + QPoint(40, 0)),
        header->mapToGlobal(QPointF(border + QPoint(40, 0))), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(header, &move);
    EXPECT_TRUE(ended.empty()); // still dragging
    QTest::mouseRelease(header, Qt::LeftButton, {}, border + QPoint(40, 0));
    EXPECT_EQ(ended, std::vector<int> { 1 }); // once, when the border is let go
    EXPECT_EQ(grid->resized, 1);
    EXPECT_EQ(grid->resizedWidth, 140);
    EXPECT_EQ(grid->ColWidths(1), 140);
    EXPECT_EQ(grid->CellRect(2, 1).Left, grid->CellRect(1, 1).Right);
    EXPECT_EQ(grid->GetCellsEx(1, 0), "Kopf 1"); // resizing is no click: no sorting, no move
    // A click on a cell afterwards ends no resize.
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, cellPoint(1, 2));
    EXPECT_EQ(ended.size(), 1u);
}

namespace {

// Records the client size each Resize saw.
class TSizeRecordingGrid : public TAdvStringGrid {
public:
    using TAdvStringGrid::TAdvStringGrid;
    int resizes = 0;
    int seenWidth = -1, seenHeight = -1;

protected:
    void Resize() override
    {
        TAdvStringGrid::Resize();
        ++resizes;
        seenWidth = ClientWidth();
        seenHeight = ClientHeight();
    }
};

} // namespace

TEST(GridResize, AGridLaidOutBeforeItIsShownHearsItsRealClientSize)
{
    TForm form(nullptr);
    form.SetClientWidth(700);
    form.SetClientHeight(400);
    auto* grid = new TSizeRecordingGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 640, 300); // while nothing is shown yet
    form.Show();
    QWidget* window = form.Handle()->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QApplication::processEvents();
    ASSERT_GT(grid->resizes, 0);
    EXPECT_EQ(grid->seenWidth, grid->ClientWidth());
    EXPECT_EQ(grid->seenHeight, grid->ClientHeight());
    EXPECT_GT(grid->ClientWidth(), 600); // the frame, not a default size

    // Shown: a new size reaches Resize with the client size that goes with it, and a second
    // resize event of the same size does not repeat it.
    grid->SetBounds(0, 0, 500, 250);
    QApplication::processEvents();
    EXPECT_EQ(grid->seenWidth, grid->ClientWidth());
    EXPECT_LT(grid->ClientWidth(), 500);
    const int before = grid->resizes;
    QApplication::processEvents();
    EXPECT_EQ(grid->resizes, before);
}
