// The demo's navigation window: the grid beside the class tree lists the chosen class as a clerk
// reads it.
#include "demo_fixture.h"
#include "navigation_window.h"

#include "lists/QelSelectGrid.h"
#include "support/select_grid_input.h"

#include <algorithm>

class NavigationWindowTest : public DemoDbTest {
protected:
    NavigationWindowTest()
        : DemoDbTest(40, 6)
    {
    }
    void SetUp() override
    {
        DemoDbTest::SetUp();
        window = std::make_unique<TNavigationWindow>(nullptr, store.db.get());
        showActive(*window);
        grid = window->Grid();
    }
    void TearDown() override
    {
        window.reset();
        DemoDbTest::TearDown();
    }
    std::unique_ptr<TNavigationWindow> window;
    TQelSelectGrid* grid = nullptr;
};

// Firms: headers are the fields' captions, the parent firm shows its name, the founding day its
// date; every column can be read.
TEST_F(NavigationWindowTest, FirmsReadAsTheClerkReadsThem)
{
    window->ChooseClass("Firma");
    QApplication::processEvents();
    ASSERT_EQ(grid->GridClass(), store.db->FindClass("Firma")->Key());
    std::vector<std::string> headers;
    for (int c = 1; c < grid->ColCount(); ++c)
        if (!grid->IsHiddenColumn(c))
            headers.push_back(grid->Cells(c, 0));
    EXPECT_EQ(headers,
        (std::vector<std::string> { "Name", "Branche", "Gegründet", "Umsatz", "Muttergesellschaft" }));
    // The columns are still known by their fields.
    const int parent = grid->ColumnByName("Mutter"), founded = grid->ColumnByName("Gruendung");
    ASSERT_EQ(grid->Cells(parent, 0), "Muttergesellschaft");
    ASSERT_EQ(grid->Cells(founded, 0), "Gegründet");

    int withParent = 0;
    for (int r = grid->FirstDataRow(); r < grid->FirstDataRow() + grid->EntryCount(); ++r) {
        TQelObject* firm = grid->get_Object(r);
        ASSERT_NE(firm, nullptr);
        auto* ref = dynamic_cast<TQelRefField*>(firm->FieldByName("Mutter"));
        ASSERT_NE(ref, nullptr);
        if (ref->AsKey().Valid()) {
            ++withParent;
            EXPECT_EQ(grid->Cells(parent, r), store.db->GetObjectA(ref->AsKey())->Name()) << firm->Name();
        } else {
            EXPECT_EQ(grid->Cells(parent, r), "");
        }
        EXPECT_EQ(grid->Cells(founded, r), firm->FieldByName("Gruendung")->AsString());
        EXPECT_EQ(grid->Cells(founded, r).size(), 10u) << grid->Cells(founded, r); // dd.mm.yyyy
    }
    EXPECT_GT(withParent, 0);
    // Sorted by a click on the header, parent firms go by their names.
    ClickGridCell(grid, parent, 0);
    std::vector<std::string> names = ListedColumn(grid, "Muttergesellschaft");
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(),
        [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; }));
}

// Persons, whose columns do not all fit: the employer by name, languages as words, and no column
// squeezed below what a name needs (the grid scrolls sideways instead).
TEST_F(NavigationWindowTest, PersonsKeepEveryColumnReadable)
{
    window->ChooseClass("Person");
    QApplication::processEvents();
    const int employer = grid->ColumnByName("Arbeitgeber"), languages = grid->ColumnByName("Sprachen");
    ASSERT_GT(employer, 0);
    ASSERT_GT(languages, 0);
    EXPECT_EQ(grid->Cells(grid->ColumnByName("Email"), 0), "E-Mail");
    int employed = 0;
    for (int r = grid->FirstDataRow(); r < grid->FirstDataRow() + grid->EntryCount(); ++r) {
        TQelObject* person = grid->get_Object(r);
        const TQelObjectKey firm = dynamic_cast<TQelRefField*>(person->FieldByName("Arbeitgeber"))->AsKey();
        if (firm.Valid()) {
            ++employed;
            EXPECT_EQ(grid->Cells(employer, r), store.db->GetObjectA(firm)->Name());
        }
        EXPECT_EQ(grid->Cells(languages, r), person->FieldByName("Sprachen")->AsString());
    }
    EXPECT_GT(employed, 0);

    const int readable = grid->TextWidth(std::string(TQelGrid::MinReadableChars, 'X'));
    int total = 0;
    for (int c = 1; c < grid->ColCount(); ++c) {
        if (grid->IsHiddenColumn(c))
            continue;
        total += grid->ColWidths(c);
        EXPECT_GE(grid->ColWidths(c), std::min(readable, grid->TextWidth(grid->Cells(c, 0)) + 8))
            << grid->Cells(c, 0);
    }
    for (const char* field : { "Vorname", "Name", "Email" })
        EXPECT_GE(grid->ColWidths(grid->ColumnByName(field)), readable) << field;
    EXPECT_GT(total, grid->ClientWidth()) << "the columns do not fit: the grid scrolls";
}
