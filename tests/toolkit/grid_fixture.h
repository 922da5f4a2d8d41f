// Shared set-up of the grid tests: a shown form with one grid, and real input on its cells.
#pragma once

#include "toolkit/advstringgrid.h"
#include "toolkit/form.h"
#include "toolkit/gridview.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

// A grid that records its hooks; tests switch behaviour through the public members.
class TRecordingGrid : public TAdvStringGrid {
public:
    using TAdvStringGrid::TAdvStringGrid;

    struct Edit {
        int col, row;
        std::string value;
    };
    std::vector<Edit> edits;
    std::vector<std::pair<int, int>> selects;
    TEditorType editorFor2 = edNormal; // editor type of column 2
    int readOnlyCol = -1; // this column may not be edited
    TSortStyle style = ssAutomatic;
    std::vector<std::pair<int, int>> swaps;
    std::string ellipsisAnswer = "gewählt";
    int resized = -1, resizedWidth = -1;

protected:
    void SetEditText(int col, int row, const std::string& value) override
    {
        edits.push_back({ col, row, value });
        TAdvStringGrid::SetEditText(col, row, value);
    }
    bool SelectCell(int col, int row) override
    {
        selects.emplace_back(col, row);
        return TAdvStringGrid::SelectCell(col, row);
    }
    void GetEditorType(int col, int row, TEditorType& editor) override
    {
        if (col == 2)
            editor = editorFor2;
        TAdvStringGrid::GetEditorType(col, row, editor);
    }
    void GetCellReadOnly(int col, int, bool& answer) override { answer = col != readOnlyCol; }
    void GetColFormat(int, TSortStyle& s) override { s = style; }
    void SortSwapRows(int a, int b) override { swaps.emplace_back(a, b); }
    void EllipsClick(int, int, std::string& value) override { value = ellipsisAnswer; }
    void UpdateColSize(int col, int& width) override
    {
        resized = col;
        resizedWidth = width;
    }
};

class GridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetClientWidth(520);
        form->SetClientHeight(300);
        grid = new TRecordingGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 520, 300);
        grid->SetColCount(4);
        grid->SetRowCount(6);
        grid->SetFixedRows(1);
        grid->SetFixedCols(0);
        for (int c = 0; c < 4; ++c) {
            grid->SetColWidths(c, 100);
            grid->SetCellsEx(c, 0, "Kopf " + std::to_string(c));
            for (int r = 1; r < 6; ++r)
                grid->SetCellsEx(c, r, std::to_string(c) + "/" + std::to_string(r));
        }
        form->Show();
        QWidget* window = form->Handle()->window();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        grid->SetFocus();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        form.reset();
        QApplication::processEvents();
    }

    QWidget* viewport() const { return static_cast<qel::grid::GridView*>(grid->Handle())->viewport(); }
    QWidget* headerViewport() const
    {
        return static_cast<qel::grid::GridView*>(grid->Handle())->horizontalHeader()->viewport();
    }
    // A point of cell (col, display row) in viewport coordinates, `dx` pixels from its left edge.
    QPoint cellPoint(int col, int row, int dx = -1) const
    {
        const TRect r = grid->CellRect(col, row);
        const QPoint p(dx < 0 ? (r.Left + r.Right) / 2 : r.Left + dx, (r.Top + r.Bottom) / 2);
        return viewport()->mapFrom(grid->Handle(), p);
    }
    void click(int col, int row, Qt::KeyboardModifiers mods = {}, int dx = -1)
    {
        QTest::mouseClick(viewport(), Qt::LeftButton, mods, cellPoint(col, row, dx));
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = {})
    {
        QTest::keyClick(QApplication::focusWidget(), k, mods);
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }

    std::unique_ptr<TForm> form;
    TRecordingGrid* grid = nullptr;
};
