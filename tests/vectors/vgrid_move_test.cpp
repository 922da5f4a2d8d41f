// Moves and exchanges of elements, made by the grid's commands or by anyone else, move the
// grid's rows: after every step the grid shows what a full reload would show.
#include "vgrid_fixture.h"

#include <random>

namespace {

class VGridMove : public VGridTest {
protected:
    void SetUp() override
    {
        VGridTest::SetUp();
        // The phones: no validity, no max.
        for (int i = 1; i <= 9; ++i)
            phones()->Add()->FieldList()->FieldByName("Nummer")->set_AsString("0221-" + std::to_string(i));
        grid->set_FieldPath("Telefone");
        TQelVectorGridOptions o = grid->get_VectorGridOptions();
        o << voLineNumbers;
        grid->set_VectorGridOptions(o);
        // A custom column that depends on the element's position.
        grid->OnGetValue = TQelGetValueEvent(
            [](TObject*, TQelVector* v, int ix, const std::string& name, std::string& value) {
                if (name.compare("POS") == 0)
                    value = std::to_string(ix) + "/" + std::to_string(v->Count());
            });
        columns({ "Nummer", "Pos/CUSTOM", "@Name AS Kopie" });
        connect();
    }
    TQelVector* phones() const { return person->FieldList()->VectorByName("Telefone"); }
    std::vector<std::string> shown() const
    {
        std::vector<std::string> cells;
        for (int r = 0; r < grid->RowCount(); ++r)
            for (int c = 0; c < grid->ColCount(); ++c)
                cells.push_back(grid->Cells(c, r));
        return cells;
    }
    // The rows as they are against the rows a reload gives.
    void expectAsReloaded(const std::string& step)
    {
        const std::vector<std::string> now = shown();
        grid->Reload();
        EXPECT_EQ(now, shown()) << step;
    }
};

} // namespace

TEST_F(VGridMove, CommandsAndOutsideMovesKeepTheRowsAsAReloadWould)
{
    grid->set_VectorIndex(9);
    grid->moveup_event();
    EXPECT_EQ(grid->get_VectorIndex(), 8);
    EXPECT_EQ(grid->Cells(1, 8), "0221-9");
    EXPECT_EQ(grid->Cells(0, 8), "8");
    EXPECT_EQ(grid->Cells(2, 8), "8/9");
    expectAsReloaded("move up");
    grid->movedown_event();
    EXPECT_EQ(grid->Cells(1, 9), "0221-9");
    expectAsReloaded("move down");

    grid->set_VectorIndex(2);
    ASSERT_TRUE(grid->exchange_items(2, 7, true));
    EXPECT_EQ(grid->get_VectorIndex(), 7) << "the cursor follows the exchanged element";
    EXPECT_EQ(grid->Cells(1, 7), "0221-2");
    EXPECT_EQ(grid->Cells(1, 2), "0221-7");
    expectAsReloaded("exchange 2 and 7");

    // Anyone else moving elements: the notification moves the rows.
    phones()->MoveBy(phones()->Item(9), -8);
    settle();
    EXPECT_EQ(grid->Cells(1, 1), "0221-9");
    expectAsReloaded("last to the top");
    phones()->MoveBy(phones()->Item(1), 8);
    settle();
    expectAsReloaded("top to the bottom");

    std::mt19937 rnd(17);
    for (int step = 0; step < 60; ++step) {
        const int n = phones()->Count();
        const int a = 1 + static_cast<int>(rnd() % n);
        const int b = 1 + static_cast<int>(rnd() % n);
        switch (rnd() % 4) {
        case 0:
            phones()->MoveBy(phones()->Item(a), b - a);
            break;
        case 1:
            phones()->Exchange(a, b);
            break;
        case 2:
            grid->set_VectorIndex(a);
            grid->moveup_event();
            break;
        default:
            grid->set_VectorIndex(a);
            grid->movedown_event();
        }
        settle();
        expectAsReloaded("step " + std::to_string(step));
        if (HasFailure())
            break;
    }
    EXPECT_EQ(grid->RowCount(), phones()->Count() + 2) << "the add row stays last";
}

TEST_F(VGridMove, RewritingInPlaceStillShowsTheNewValues)
{
    // Same order, new values (SetAll reports a changed vector): the rows are read again.
    phones()->SetAll("Nummer", "1,2,3,4,5,6,7,8,9", ',', false);
    settle();
    EXPECT_EQ(grid->Cells(1, 4), "4");
    // An element removed and one added meanwhile behind the grid's back (frozen): a later move
    // reloads rather than moving rows of elements that are gone.
    grid->set_Frozen(true);
    phones()->Delete(3);
    phones()->Add()->FieldList()->FieldByName("Nummer")->set_AsString("neu");
    phones()->Exchange(1, 2);
    grid->set_Frozen(false);
    EXPECT_EQ(grid->Cells(1, 9), "neu");
    expectAsReloaded("after frozen changes");
}

TEST_F(VGridMove, AnOpenEditorIsReopenedOnItsElementAfterAMoveFromOutside)
{
    click(1, 3);
    key(Qt::Key_F2);
    QLineEdit* line = editorLine();
    ASSERT_NE(line, nullptr);
    QTest::keyClick(line, Qt::Key_End);
    QTest::keyClicks(line, "7");
    settle();
    phones()->MoveBy(phones()->Item(3), -2);
    settle();
    EXPECT_EQ(phones()->Item(1)->FieldList()->FieldByName("Nummer")->AsString(), "0221-37");
    EXPECT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->Row(), 1) << "the editor follows its field";
    key(Qt::Key_Return);
    EXPECT_EQ(phones()->Item(2)->FieldList()->FieldByName("Nummer")->AsString(), "0221-1");
    expectAsReloaded("after the editor closed");
}
