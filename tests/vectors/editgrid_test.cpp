// The edit grid's tree after collapsing and expanding, the state colours its cells get after a
// touch (through display rows that no longer match real rows), Escape rolling a field back, and
// elements added while a level is expanded.
#include "binding/methods.h"
#include "support/qel_db_fixture.h"
#include "support/typing.h"
#include "vectors/QelEditGrid.h"

#include "toolkit/gridview.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr const char* kEditGridSchema = R"(
class 65001 Tel table=EG_Tel format="<Nummer>"
  field Nummer Text length=30
end
class 65002 Ort table=EG_Ort format="<Name>"
  field Name Text length=40
  field PLZ Text length=5
end
class 65003 Kunde : Objekt table=EG_Kunde format="<Name>"
  field Name Text length=60
  field Umsatz Betrag
  vector Orte Ort
  vector Telefone Tel
end
)";

// The cell look, as the grid paints it.
class TLookEditGrid : public TQelEditGrid {
public:
    using TQelEditGrid::TQelEditGrid;
    TColor captionColor(int displayRow)
    {
        TBrush brush;
        TFont font;
        GetCellColor(colName, displayRow, {}, &brush, &font);
        return font.Color();
    }
    TColor valueBackground(int displayRow)
    {
        TBrush brush;
        TFont font;
        GetCellColor(colValue, displayRow, {}, &brush, &font);
        return brush.Color();
    }
};

class EditGridTest : public QelDbTest {
protected:
    EditGridTest()
        : QelDbTest(kEditGridSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        customer = create("Kunde");
        fl()->FieldByName("Name")->set_AsString("Meier");
        for (const char* ort : { "Bonn", "Köln" })
            vector("Orte")->Add()->FieldList()->FieldByName("Name")->set_AsString(ort);
        vector("Telefone")->Add()->FieldList()->FieldByName("Nummer")->set_AsString("0228 1");
        ASSERT_TRUE(customer->Commit()) << customer->ErrorMessage();
        grid = add<TLookEditGrid>(form.get(), "egKunde");
        grid->SetBounds(10, 10, 500, 350);
        grid->ConnectFL(fl(), false);
    }
    void TearDown() override
    {
        QApplication::processEvents();
        QelDbTest::TearDown();
    }
    TQelFieldList* fl() const { return customer->FieldList(); }
    TQelVector* vector(const char* name) const { return fl()->VectorByName(name); }
    TQelField* phone() const { return vector("Telefone")->Item(1)->FieldList()->FieldByName("Nummer"); }
    int display(const TQelObjectInterface* oi) const { return grid->DisplRowIndex(grid->FindRow(oi)); }
    // The form shown and active, for real input.
    void show()
    {
        form->Show();
        QWidget* window = form->Handle()->window();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    void click(int col, int displayRow)
    {
        auto* view = static_cast<qel::grid::GridView*>(grid->Handle());
        const TRect r = grid->CellRect(col, displayRow);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
            view->viewport()->mapFrom(
                grid->Handle(), QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2)));
        QApplication::processEvents();
    }

    TQelObject* customer = nullptr;
    TLookEditGrid* grid = nullptr;
};

} // namespace

TEST_F(EditGridTest, CollapsedRowsKeepTheirStateColoursAfterATouch)
{
    grid->set_ExpandLevel(5);
    ASSERT_EQ(grid->DisplRowCount(), grid->RowCount());
    const int orte = grid->FindRow(vector("Orte"));
    const int telefone = grid->FindRow(vector("Telefone"));
    ASSERT_GT(telefone, orte);
    EXPECT_EQ(grid->RowKind(orte), 'V');
    EXPECT_EQ(grid->GetCellsEx(TQelEditGrid::colName, telefone), "Telefone (1)");

    // Collapsing the first vector moves the phone's row up on screen, not in the store.
    grid->ContractNode(grid->DisplRowIndex(orte));
    const int shown = display(phone());
    ASSERT_GE(shown, 0);
    EXPECT_LT(shown, grid->FindRow(phone()));
    EXPECT_EQ(grid->Cells(TQelEditGrid::colValue, shown), "0228 1");
    EXPECT_EQ(grid->captionColor(shown), TColor(0x000000)) << "stored and untouched";

    // A touch colours the row it belongs to, on screen where it now is.
    grid->write("0228 2", grid->FindRow(phone()));
    EXPECT_EQ(phone()->AsString(), "0228 2");
    EXPECT_EQ(grid->captionColor(shown), TColor(0x00CC00));
    EXPECT_EQ(grid->captionColor(display(fl()->FieldByName("Name"))), TColor(0x000000));
    phone()->set_AsString("");
    EXPECT_EQ(grid->captionColor(shown), TColor(0x55AA55)) << "touched and null";
    EXPECT_EQ(grid->Cells(TQelEditGrid::colValue, shown), "");
    fl()->FieldByName("Umsatz")->set_AsString("viel");
    EXPECT_EQ(grid->captionColor(display(fl()->FieldByName("Umsatz"))), TColor(0xFF00FF));

    // Expanding again puts every row back; the colours stay with their fields.
    grid->ExpandNode(grid->DisplRowIndex(orte));
    EXPECT_EQ(display(phone()), grid->FindRow(phone()));
    EXPECT_EQ(grid->captionColor(display(phone())), TColor(0x55AA55));
    EXPECT_EQ(grid->valueBackground(1), TColor(0xC0DCC0));
    grid->set_ReadOnly(true);
    EXPECT_EQ(grid->captionColor(display(phone())), TColor(0x000000)) << "a read-only grid paints black";
    EXPECT_EQ(grid->valueBackground(1), clWindow);
}

TEST_F(EditGridTest, AnAddedElementKeepsTheExpandLevel)
{
    grid->set_ExpandLevel(1);
    const int before = grid->DisplRowCount();
    // Level 1: the vectors' element rows show, the elements' own fields do not.
    TQelFieldList* bonn = vector("Orte")->FieldList(1);
    EXPECT_GE(display(bonn), 0);
    EXPECT_LT(display(bonn->FieldByName("Name")), 0);
    vector("Orte")->Add()->FieldList()->FieldByName("Name")->set_AsString("Ulm");
    EXPECT_EQ(grid->GetCellsEx(TQelEditGrid::colName, grid->FindRow(vector("Orte"))), "Orte (3)");
    EXPECT_EQ(grid->DisplRowCount(), before + 1) << "one more element row, its fields collapsed";
    EXPECT_LT(display(vector("Orte")->FieldList(3)->FieldByName("Name")), 0);
    grid->set_ExpandLevel(0);
    EXPECT_LT(display(bonn), 0);
    EXPECT_GE(display(vector("Telefone")), 0);
}

TEST_F(EditGridTest, EscapeRollsTheRowsFieldBack)
{
    show();
    grid->set_ExpandLevel(5);
    TQelField* name = fl()->FieldByName("Name");
    grid->write("Schulze", grid->FindRow(name));
    EXPECT_EQ(name->AsString(), "Schulze");
    click(TQelEditGrid::colName, display(name));
    ASSERT_EQ(grid->RealRowIndex(grid->Row()), grid->FindRow(name));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(name->AsString(), "Meier");
    EXPECT_EQ(grid->GetCellsEx(TQelEditGrid::colValue, grid->FindRow(name)), "Meier");
    EXPECT_EQ(grid->captionColor(display(name)), TColor(0x000000));
}

TEST_F(EditGridTest, TypingOverAValueReplacesIt)
{
    show();
    grid->set_ExpandLevel(5);
    TQelField* name = fl()->FieldByName("Name");
    click(TQelEditGrid::colValue, display(phone()));
    click(TQelEditGrid::colValue, display(name));
    ASSERT_EQ(grid->RealRowIndex(grid->Row()), grid->FindRow(name));
    ASSERT_FALSE(grid->EditorMode());
    TypeWhereTheFocusIs("Schäfer");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(name->AsString(), "Schäfer");
    EXPECT_EQ(grid->GetCellsEx(TQelEditGrid::colValue, grid->FindRow(name)), "Schäfer");
}

TEST_F(EditGridTest, TheBindingWalkConnectsIt)
{
    grid->Disconnect();
    EXPECT_FALSE(grid->Connected());
    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), fl(), false), 1);
    EXPECT_TRUE(grid->Connected());
    EXPECT_EQ(grid->GetCellsEx(TQelEditGrid::colValue, grid->FindRow(fl()->FieldByName("Name"))), "Meier");
}
