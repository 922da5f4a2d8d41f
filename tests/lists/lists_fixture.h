#pragma once
// A fresh in-memory database per test (persons), made current, whose timer tasks run on a manual
// clock, and a shown form with one grid of type G on it; real mouse input on its cells.
#include "lists/QelGrid.h"
#include "support/qel_db_fixture.h"
#include "support/select_grid_input.h"

#include "toolkit/gridview.h"

#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <gtest/gtest.h>

inline constexpr const char* kListsSchema = R"(
class 32010 Person : Objekt table=Person format="<Name>, <Vorname>"
  field Name Text length=60
  field Vorname Text length=40
  field Kinder Ganzzahl
  field Geboren Datum
end
)";

template <class G> class GridFixture : public QelDbTest {
protected:
    GridFixture()
        : QelDbTest(kListsSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        db->TimerTasks()->set_Clock(&clock);
        db->TimerTasks()->set_Dispatcher(&clock);
        form->SetBounds(0, 0, 640, 360);
        grid = new G(form.get());
        grid->SetName("Liste");
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 600, 300);
        grid->SetFixedRows(1);
        grid->SetFixedCols(0);
        form->Show();
        QWidget* window = form->Handle()->window();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        settle();
    }
    void TearDown() override
    {
        form.reset();
        QApplication::processEvents();
        QelDbTest::TearDown();
    }

    qel::grid::GridView* view() const { return static_cast<qel::grid::GridView*>(grid->Handle()); }
    QWidget* viewport() const { return view()->viewport(); }
    QWidget* headerViewport() const { return view()->horizontalHeader()->viewport(); }
    // Sum of the widths of the shown columns.
    int shownWidth() const
    {
        int sum = 0;
        for (int c = 0; c < grid->ColCount(); ++c)
            sum += grid->IsHiddenColumn(c) ? 0 : grid->ColWidths(c);
        return sum;
    }
    QPoint cellPoint(int col, int row) const
    {
        const TRect r = grid->CellRect(col, row);
        return viewport()->mapFrom(grid->Handle(), QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    }
    // Drags the right border of column `col` in the header by `dx` pixels.
    void dragBorder(int col, int dx) { DragGridColumnBorder(grid, col, dx); }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }

    // The database is closed in TearDown, before the clock goes.
    TQelManualClock clock;
    G* grid = nullptr;
};
