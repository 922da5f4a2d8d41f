// TQelGrid: column settings and their layout, per-user widths with the held-back width notice,
// custom popup-menu items, the edit mode and the per-cell editing question.
#include "lists_fixture.h"

#include "toolkit/menus.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>

#include <cmath>

namespace {

using GridTest = GridFixture<TQelGrid>;

// ---- the settings of one column -----------------------------------------------------------------

struct SettingsCase {
    const char* settings;
    const char* readBack;
    int width; // 0: measured, see `measured`
    int stretch;
    const char* measured = nullptr; // the text whose pixel width is the width
};

TEST_F(GridTest, ColumnSettingsReadEveryFormAndFallBackOnWhatTheyCannotRead)
{
    const SettingsCase cases[] = {
        { "120", "120/100", 120, 100 },
        { " 80 / 20 ", "80/20", 80, 20 },
        { "-50/100", "-50/100", -50, 100 },
        { "30%/0", "30%/0", -30, 0 },
        { "%", "%/100", -100, 100 }, // share without a number: 100
        { "-30%", "-30%/100", -100, 100 }, // a negative share is none
        { "15c", "15c/100", 0, 100, "XXXXXXXXXXXXXXX" },
        { "C", "C/100", 0, 100, "X" }, // no number: one character
        { "-4c", "-4c/100", 0, 100, "X" },
        { "'Datum'", "'Datum'/100", 0, 100, "Datum" },
        { "\"Straße\"/7", "\"Straße\"/7", 0, 7, "Straße" },
        { "'TT/MM'/40", "'TT/MM'/40", 0, 40, "TT/MM" }, // a "/" in a sample text is no stretch
        { "abx", "abx/100", -100, 100 },
        { "abc", "abc/100", 0, 100, "X" }, // the last character decides: "ab" characters -> 1
        { "12.5", "12.5/100", -100, 100 },
        { "80/x", "80/100", 80, 100 }, // stretch that is no number: 100
        { "80/-5", "80/0", 80, 0 }, // negative stretch: does not stretch
        { "99999999999", "99999999999/100", -100, 100 }, // out of range: no integer
        { "2147483647", "2147483647/100", QelGridMaxPixels, 100 },
        { "-2147483648", "-2147483648/100", -QelGridMaxShare, 100 },
        { "50/2147483647", "50/1000000", 50, QelGridMaxShare },
    };
    grid->SetColCount(2);
    for (const SettingsCase& c : cases) {
        SCOPED_TRACE(c.settings);
        grid->set_ColSettings(1, "-100/100");
        grid->set_ColSettings(1, c.settings);
        const TQelGridColInfo* info = grid->ColInfo(1);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(grid->get_ColSettings(1), c.readBack);
        EXPECT_EQ(info->Width, c.measured ? grid->TextWidth(c.measured) : c.width);
        EXPECT_EQ(info->Stretch, c.stretch);
    }
    // A huge character count is measured capped, not as a string of a billion letters.
    grid->set_ColSettings(1, "999999999c");
    EXPECT_EQ(grid->ColInfo(1)->Width,
        std::min(grid->TextWidth(std::string(QelGridMaxChars, 'X')), QelGridMaxPixels));
    // An empty width part keeps the width rule; the stretch is set.
    grid->set_ColSettings(1, "120/50");
    grid->set_ColSettings(1, " /30");
    EXPECT_EQ(grid->get_ColSettings(1), "120/30");
    EXPECT_EQ(grid->ColInfo(1)->Width, 120);
}

TEST_F(GridTest, ColumnsFrom32OnHaveNoSettings)
{
    grid->SetColCount(34);
    EXPECT_EQ(grid->get_ColSettings(0), "-100/100"); // the initial record
    grid->set_ColSettings(32, "50");
    EXPECT_EQ(grid->get_ColSettings(32), "");
    EXPECT_EQ(grid->ColInfo(32), nullptr);
    grid->set_ColSettings(-1, "50");
    EXPECT_EQ(grid->get_ColSettings(-1), "");
    const std::string all = grid->get_AllColSettings();
    EXPECT_EQ(all.substr(all.size() - 10), "-100/100;;"); // columns 32 and 33 read back empty
}

TEST_F(GridTest, AllColSettingsSetTheColumnCountAndEachColumnTooManyOrTooFew)
{
    grid->set_AllColSettings("120/100;-50/100;20c/100;'Datum'");
    EXPECT_EQ(grid->ColCount(), 4);
    EXPECT_EQ(grid->get_AllColSettings(), "120/100;-50/100;20c/100;'Datum'/100");
    grid->set_AllColSettings("10;20");
    EXPECT_EQ(grid->ColCount(), 2);
    EXPECT_EQ(grid->get_AllColSettings(), "10/100;20/100");
    // Empty width parts keep what the columns had (columns 2 and 3 still hold their records);
    // an empty text changes nothing.
    grid->set_AllColSettings(";/5;x;");
    EXPECT_EQ(grid->ColCount(), 4);
    EXPECT_EQ(grid->get_AllColSettings(), "10/100;20/5;x/100;'Datum'/100");
    grid->set_AllColSettings("");
    EXPECT_EQ(grid->ColCount(), 4);
    // A ";" inside a sample text does not split.
    grid->set_AllColSettings("'a;b'/10;5");
    EXPECT_EQ(grid->ColCount(), 2);
    EXPECT_EQ(grid->get_ColSettings(0), "'a;b'/10");
    EXPECT_EQ(grid->GetPropValue("AllColSettings").AsString(), "'a;b'/10;5/100");
}

TEST_F(GridTest, SetColumnsTakesTitlesAndSettings)
{
    grid->set_AllColSettings("1;2;77/3");
    grid->SetColumns("Name:120/50;Vorname;Ort:20c:x");
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_EQ(grid->GetCellsEx(0, 0), "Name");
    EXPECT_EQ(grid->GetCellsEx(1, 0), "Vorname");
    EXPECT_EQ(grid->GetCellsEx(2, 0), "Ort");
    EXPECT_EQ(grid->get_ColSettings(0), "120/50");
    EXPECT_EQ(grid->get_ColSettings(1), "2/100"); // a title alone keeps the settings
    EXPECT_EQ(grid->get_ColSettings(2), "20c:x/100"); // everything after the first ":"
}

// ---- layout -------------------------------------------------------------------------------------

TEST_F(GridTest, SharesFillTheClientWidthAfterTheFixedColumns)
{
    grid->set_AllColSettings("100/0;-1/100;-3/100");
    grid->RefreshColumnWidths(true, 0);
    const int client = grid->ClientWidth();
    EXPECT_EQ(grid->ColWidths(0), 100);
    const int rest = client - 100;
    EXPECT_NEAR(grid->ColWidths(1), rest / 4.0, 1.0);
    EXPECT_NEAR(grid->ColWidths(2), rest * 3 / 4.0, 1.0);
    EXPECT_LE(client - shownWidth(), 1); // remainders of truncation only
    EXPECT_GE(client - shownWidth(), 0);
}

TEST_F(GridTest, OnlyFixedWidthsStandWhenNothingStretches)
{
    grid->set_AllColSettings("100/0;150/0");
    grid->RefreshColumnWidths(true, 0);
    EXPECT_EQ(grid->ColWidths(0), 100);
    EXPECT_EQ(grid->ColWidths(1), 150);
    // With a stretch weight the second pass hands the surplus to that column.
    grid->set_ColSettings(1, "150/100");
    grid->RefreshColumnWidths(true, 0);
    EXPECT_EQ(grid->ColWidths(0), 100);
    EXPECT_EQ(grid->ColWidths(1), grid->ClientWidth() - 100);
}

// Columns that do not fit the client width shrink only down to a readable width (a share gets
// that width too); the grid then scrolls sideways. A column already narrower keeps its width.
TEST_F(GridTest, ColumnsThatDoNotFitStopAtAReadableWidth)
{
    const int readable = grid->TextWidth(std::string(TQelGrid::MinReadableChars, 'X'));
    grid->set_AllColSettings("500/0;250/100;250/100;-1/100;40/100");
    grid->RefreshColumnWidths(true, 0);
    ASSERT_LT(grid->ClientWidth(), 500 + 3 * readable + 40);
    EXPECT_EQ(grid->ColWidths(0), 500);
    EXPECT_EQ(grid->ColWidths(1), readable);
    EXPECT_EQ(grid->ColWidths(2), readable);
    EXPECT_EQ(grid->ColWidths(3), readable);
    EXPECT_EQ(grid->ColWidths(4), 40);
    EXPECT_GT(shownWidth(), grid->ClientWidth());
}

TEST_F(GridTest, ResizingTheGridStretchesTheColumnsByTheirWeights)
{
    grid->set_AllColSettings("100/0;100/100;100/300");
    grid->RefreshColumnWidths(true, 0);
    const int before = grid->ClientWidth();
    const int w1 = grid->ColWidths(1), w2 = grid->ColWidths(2);
    grid->SetBounds(0, 0, 600 + 200, 300);
    settle();
    const int grown = grid->ClientWidth() - before;
    ASSERT_EQ(grown, 200);
    EXPECT_EQ(grid->ColWidths(0), 100);
    EXPECT_EQ(grid->ColWidths(1), w1 + 50);
    EXPECT_EQ(grid->ColWidths(2), w2 + 150);
    EXPECT_LE(grid->ClientWidth() - shownWidth(), 1); // the truncation remainder of the first layout
}

// Stretched pixels are handed out whole: the columns fill the width exactly, and a grid made wider
// and narrower again (a scroll bar that comes and goes) is back at its widths.
TEST_F(GridTest, WiderAndNarrowerAgainGivesTheSameWidths)
{
    grid->set_AllColSettings("100/0;100/100;100/100;100/100");
    grid->RefreshColumnWidths(true, 0);
    std::vector<int> before;
    for (int c = 0; c < 4; ++c)
        before.push_back(grid->ColWidths(c));
    EXPECT_EQ(shownWidth(), grid->ClientWidth());
    for (int grow : { 10, 7, 1 }) {
        grid->SetBounds(0, 0, 600 + grow, 300);
        settle();
        EXPECT_EQ(shownWidth(), grid->ClientWidth()) << grow;
        grid->SetBounds(0, 0, 600, 300);
        settle();
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(grid->ColWidths(c), before[static_cast<std::size_t>(c)]) << grow << " column " << c;
    }
}

TEST_F(GridTest, DraggingABorderChangesOnlyTheColumnsRightOfIt)
{
    grid->SetOptions(grid->Options() << goColSizing);
    grid->set_AllColSettings("100;100;-1;-1");
    grid->RefreshColumnWidths(true, 0);
    const int client = grid->ClientWidth();
    const int w0 = grid->ColWidths(0), w1 = grid->ColWidths(1), w3 = grid->ColWidths(3);
    dragBorder(2, 40); // the border between columns 2 and 3
    settle();
    EXPECT_EQ(grid->ColWidths(0), w0);
    EXPECT_EQ(grid->ColWidths(1), w1);
    EXPECT_EQ(grid->ColWidths(3), w3 - 40); // gives what column 2 took
    EXPECT_EQ(shownWidth(), client);
}

TEST_F(GridTest, ColumnsFrom32OnKeepTheirWidthsAndCountInNoSum)
{
    grid->SetColCount(34);
    for (int c = 0; c < 34; ++c)
        grid->SetColWidths(c, 33);
    grid->set_ColSettings(0, "-1");
    for (int c = 1; c < 32; ++c)
        grid->set_ColSettings(c, "10/0");
    grid->RefreshColumnWidths(true, 0);
    EXPECT_EQ(grid->ColWidths(32), 33);
    EXPECT_EQ(grid->ColWidths(33), 33);
    EXPECT_EQ(grid->ColWidths(1), 10);
    EXPECT_EQ(grid->ColWidths(0), grid->ClientWidth() - 31 * 10);
}

TEST_F(GridTest, HiddenColumnsTakeNoShareOfTheWidth)
{
    grid->set_AllColSettings("40;-1;-1");
    grid->HideColumn(0);
    const int hidden = grid->ColWidths(0);
    grid->RefreshColumnWidths(true, 0);
    EXPECT_EQ(grid->ColWidths(0), hidden);
    EXPECT_NEAR(grid->ColWidths(1), grid->ClientWidth() / 2.0, 1.0);
    EXPECT_LE(grid->ClientWidth() - shownWidth(), 1);
}

// ---- per-user storage and the held-back width notice ------------------------------------------

TEST_F(GridTest, SavingStoresPlainPixelWidthsPerUserAndLoadingLaysThemOut)
{
    grid->set_AllColSettings("35;180;-1");
    grid->RefreshColumnWidths(true, 0);
    const int w2 = grid->ColWidths(2);
    grid->SaveColWidths("Personen");
    const std::string stored = db->User()->NameWert().ReadString("PersonenColSettings");
    EXPECT_EQ(stored, "35/100;180/100;" + std::to_string(w2) + "/100");
    EXPECT_EQ(grid->get_AllColSettings(), stored); // the grid's settings became the pixel widths

    db->User()->NameWert().WriteString("PersonenColSettings", "50/0;-1/100;-1/100");
    grid->LoadColWidths("Personen");
    EXPECT_EQ(grid->ColWidths(0), 50);
    EXPECT_NEAR(grid->ColWidths(1), (grid->ClientWidth() - 50) / 2.0, 1.0);
    EXPECT_EQ(shownWidth(), grid->ClientWidth());
}

TEST_F(GridTest, LoadingWithoutStoredValueRecomputesFromTheCurrentSettings)
{
    grid->set_AllColSettings("-1;-1");
    grid->SetColWidths(0, 10);
    grid->LoadColWidths("Unbekannt");
    EXPECT_EQ(grid->get_AllColSettings(), "-1/100;-1/100");
    EXPECT_NEAR(grid->ColWidths(0), grid->ClientWidth() / 2.0, 1.0);
}

TEST_F(GridTest, StoredWidthsNeverChangeTheColumnCount)
{
    grid->SetColCount(3);
    db->User()->NameWert().WriteString("PersonenColSettings", "10/0;20/0;30/0;40/0;50/0");
    grid->LoadColWidths("Personen");
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_EQ(grid->get_ColSettings(3), "40/0"); // kept for a column that comes later
    db->User()->NameWert().WriteString("PersonenColSettings", "70");
    grid->LoadColWidths("Personen");
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_EQ(grid->get_AllColSettings(), "70/100;20/0;30/0");
}

TEST_F(GridTest, EmptyNameOrNoDatabaseStoresAndLoadsNothing)
{
    grid->set_AllColSettings("-1;-1");
    grid->SaveColWidths("");
    EXPECT_EQ(grid->get_AllColSettings(), "-1/100;-1/100");
    EXPECT_EQ(db->User()->NameWert().Count(), 0);
    SetQelDatabase(nullptr);
    grid->SaveColWidths("Personen");
    grid->LoadColWidths("Personen");
    EXPECT_EQ(grid->get_AllColSettings(), "-1/100;-1/100");
    SetQelDatabase(db.get());
    EXPECT_EQ(db->User()->NameWert().Count(), 0);
}

TEST_F(GridTest, ManyWidthNoticesWithin100MsGiveOneWrite)
{
    grid->SetColCount(3);
    int writes = 0;
    grid->OnColWidthsChanged = TNotifyEvent([&](TObject*) {
        ++writes;
        grid->SaveColWidths("Personen");
    });
    grid->SetColWidths(0, 60);
    clock.Advance(60);
    grid->SetColWidths(1, 70);
    grid->SetBounds(0, 0, 500, 300); // the resize stretches every column: more notices
    settle();
    clock.Advance(99);
    EXPECT_EQ(writes, 0);
    clock.Advance(1);
    EXPECT_EQ(writes, 1);
    clock.Advance(1000);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(db->User()->NameWert().ReadString("PersonenColSettings"), grid->get_AllColSettings());
    EXPECT_EQ(db->TimerTasks()->Count(), 0);
}

TEST_F(GridTest, DestroyingTheGridStopsItsPendingNotice)
{
    int notices = 0;
    grid->OnColWidthsChanged = TNotifyEvent([&](TObject*) { ++notices; });
    grid->SetColWidths(0, 77);
    EXPECT_EQ(db->TimerTasks()->Count(), 1);
    delete grid;
    grid = nullptr;
    EXPECT_EQ(db->TimerTasks()->Count(), 0);
    clock.Advance(500);
    EXPECT_EQ(notices, 0);
}

TEST_F(GridTest, WithoutDatabaseTheWidthNoticeIsDropped)
{
    int notices = 0;
    clock.Advance(1000); // the notice of the first layout
    grid->OnColWidthsChanged = TNotifyEvent([&](TObject*) { ++notices; });
    SetQelDatabase(nullptr);
    grid->SetColWidths(0, 77);
    SetQelDatabase(db.get());
    EXPECT_EQ(db->TimerTasks()->Count(), 0);
    clock.Advance(500);
    EXPECT_EQ(notices, 0);
}

// ---- custom menu items --------------------------------------------------------------------------

class GridMenuTest : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        menu = new TPopupMenu(form.get());
        own = new TMenuItem(menu);
        own->SetCaption("Öffnen");
        menu->Items()->Add(own);
        grid->SetPopupMenu(menu);
        grid->OnAddCustomMenuItems = TQelAddCustomMenuItemsEvent([this](TObject*, int) {
            for (const char* caption : { "Markieren", "Exportieren" }) {
                auto* item = new TMenuItem(menu);
                item->SetCaption(caption);
                grid->AddCustomMenuItem(caption[0] == 'M' ? 11 : 12, item);
            }
        });
    }
    void openMenu()
    {
        const QPoint at = viewport()->mapTo(grid->Handle(), cellPoint(0, 1));
        QContextMenuEvent ev(QContextMenuEvent::Mouse, at, grid->Handle()->mapToGlobal(at));
        QApplication::sendEvent(grid->Handle(), &ev);
    }
    std::vector<std::string> shownCaptions() const
    {
        std::vector<std::string> captions;
        if (QMenu* shown = menu->Handle())
            for (QAction* a : shown->actions())
                captions.push_back(a->isSeparator() ? "-" : a->text().toStdString());
        return captions;
    }
    TPopupMenu* menu = nullptr;
    TMenuItem* own = nullptr;
};

TEST_F(GridMenuTest, TheApplicationAddsItemsAndASeparatorOnRequest)
{
    EXPECT_EQ(grid->add_custom_menu_items(nullptr, TQelGrid::cmiSeparator), 2);
    ASSERT_EQ(menu->Items()->Count(), 4);
    EXPECT_EQ(menu->Items()->Items(1)->Caption(), "Markieren");
    EXPECT_TRUE(menu->Items()->Items(3)->IsLine());
    EXPECT_EQ(grid->GetCustomMenuItemId(menu->Items()->Items(2)), 12);
    EXPECT_EQ(grid->GetCustomMenuItemId(own), 0);
    EXPECT_EQ(grid->GetCustomMenuItemId(nullptr), 0);
    // Again: the records are replaced (the old menu items stay with their menu) ...
    EXPECT_EQ(grid->add_custom_menu_items(nullptr, 0), 2);
    EXPECT_EQ(menu->Items()->Count(), 6);
    EXPECT_EQ(grid->GetCustomMenuItemId(menu->Items()->Items(1)), 0);
    // ... or kept.
    EXPECT_EQ(grid->add_custom_menu_items(nullptr, TQelGrid::cmiKeepItems), 4);
    // Another menu takes the items when given.
    TPopupMenu other(nullptr);
    EXPECT_EQ(grid->add_custom_menu_items(&other, TQelGrid::cmiSeparator), 2);
    EXPECT_EQ(other.Items()->Count(), 3);
    EXPECT_EQ(grid->AddCustomMenuItem(1, nullptr), nullptr);
}

TEST_F(GridMenuTest, NoSeparatorWithoutItems)
{
    grid->OnAddCustomMenuItems = nullptr;
    EXPECT_EQ(grid->add_custom_menu_items(nullptr, TQelGrid::cmiSeparator), 0);
    EXPECT_EQ(menu->Items()->Count(), 1);
}

TEST_F(GridMenuTest, ItemsAreRefreshedBeforeTheMenuOpens)
{
    grid->add_custom_menu_items(nullptr, 0);
    int marked = 0;
    std::vector<int> order;
    grid->OnUpdateMenuItem = TQelUpdateMenuItemEvent([&](TObject* sender, int id, TMenuItem* item) {
        EXPECT_EQ(sender, grid);
        order.push_back(id);
        if (id == 11)
            item->SetCaption("Markieren (" + std::to_string(marked) + ")");
        else
            item->SetEnabled(marked > 0);
    });
    marked = 3;
    openMenu();
    EXPECT_EQ(order, (std::vector<int> { 12, 11 })); // last to first
    EXPECT_EQ(shownCaptions(), (std::vector<std::string> { "Öffnen", "Markieren (3)", "Exportieren" }));
    ASSERT_NE(menu->Handle(), nullptr);
    EXPECT_TRUE(menu->Handle()->actions()[2]->isEnabled());
    menu->CloseMenu();

    // Invisible items are not asked.
    menu->Items()->Items(2)->SetVisible(false);
    order.clear();
    marked = 0;
    openMenu();
    EXPECT_EQ(order, std::vector<int> { 11 });
    EXPECT_EQ(shownCaptions(), (std::vector<std::string> { "Öffnen", "Markieren (0)" }));
    menu->CloseMenu();
}

TEST_F(GridMenuTest, AFreedMenuItemTakesItsRecordAlong)
{
    grid->add_custom_menu_items(nullptr, 0);
    int asked = 0;
    grid->OnUpdateMenuItem = TQelUpdateMenuItemEvent([&](TObject*, int, TMenuItem*) { ++asked; });
    menu->Items()->Delete(1); // the application rebuilds its menu
    EXPECT_EQ(grid->GetCustomMenuItemCount(), 1);
    grid->update_menu_items();
    EXPECT_EQ(asked, 1);
    menu->Items()->Clear();
    EXPECT_EQ(grid->GetCustomMenuItemCount(), 0);
    grid->update_menu_items();
    EXPECT_EQ(asked, 1);
}

// ---- editing ------------------------------------------------------------------------------------

TEST_F(GridTest, EditModeFollowsGoEditing)
{
    EXPECT_FALSE(grid->get_EditMode());
    grid->set_EditMode(true);
    EXPECT_TRUE(grid->Options().Contains(goEditing));
    EXPECT_TRUE(grid->GetPropValue("EditMode").AsBoolean());
    grid->SetPropValue("EditMode", false);
    EXPECT_FALSE(grid->Options().Contains(goEditing));
}

TEST_F(GridTest, TheApplicationAnswersWhichCellsMayBeEdited)
{
    grid->SetColCount(3);
    grid->SetRowCount(4);
    for (int r = 1; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            grid->SetCellsEx(c, r, "z" + std::to_string(c) + std::to_string(r));
    std::vector<std::pair<int, int>> asked;
    grid->OnGetCellReadOnly = TQelGetCellReadOnlyEvent([&](TObject* sender, int col, int row, bool& answer) {
        EXPECT_EQ(sender, grid);
        EXPECT_TRUE(answer); // preset by the toolkit
        asked.emplace_back(col, row);
        answer = col == 1; // true: may be edited
    });
    grid->set_EditMode(true);
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, cellPoint(2, 2));
    settle();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
    settle();
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_FALSE(asked.empty());
    EXPECT_EQ(asked.back(), std::make_pair(2, 2));

    QTest::mouseClick(viewport(), Qt::LeftButton, {}, cellPoint(1, 2));
    settle();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
    settle();
    ASSERT_TRUE(grid->EditorMode());
    auto* line = qobject_cast<QLineEdit*>(grid->InplaceEditorWidget());
    ASSERT_NE(line, nullptr);
    QTest::keyClick(line, Qt::Key_End);
    QTest::sendKeyEvent(QTest::Click, line, Qt::Key_Adiaeresis, QStringLiteral("ä"), Qt::NoModifier);
    QTest::keyClick(line, Qt::Key_Return);
    settle();
    EXPECT_EQ(grid->GetCellsEx(1, 2), "z12ä");
    EXPECT_EQ(grid->GetCellsEx(2, 2), "z22");
}

} // namespace
