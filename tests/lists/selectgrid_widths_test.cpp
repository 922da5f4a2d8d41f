// The select grid's column widths over its loads: widths a user drags and widths an application
// loads for the user stand after F5, a view change and an options change.
#include "selectgrid_fixture.h"

#include <map>

class SelectGridWidthsTest : public SelectGridTest {
protected:
    void SetUp() override
    {
        SelectGridTest::SetUp();
        grid->SetFieldSettings("");
        grid->SetOptions(grid->Options() << goColSizing);
        person("Meier", "Anna", 2, "", "01.05.1970");
        person("Schulz", "Bernd", 0, "", "02.06.1971");
        person("Zeh", "Carla", 1);
        grid->set_ClassName("Person");
        grid->Reload();
        grid->SetFocus();
        QApplication::processEvents();
    }
    // The widths of the columns on screen, by header.
    std::map<std::string, int> widths() const
    {
        std::map<std::string, int> out;
        for (int c = 1; c < grid->ColCount(); ++c)
            if (!grid->IsHiddenColumn(c))
                out[grid->Cells(c, 0)] = grid->ColWidths(c);
        return out;
    }
    void dragBorder(int col, int dx) { DragGridColumnBorder(grid, col, dx); }
};

TEST_F(SelectGridWidthsTest, DraggedWidthsStandAfterF5AViewChangeAndAnOptionsChange)
{
    const std::map<std::string, int> guessed = widths();
    const int vorname = grid->ColumnByName("Vorname");
    dragBorder(vorname, 60);
    const std::map<std::string, int> dragged = widths();
    ASSERT_EQ(dragged.at("Vorname"), guessed.at("Vorname") + 60);
    // The column right of the border gave the width; the others stand as they were.
    EXPECT_NEAR(dragged.at("Name"), guessed.at("Name") - 60, 1);
    EXPECT_EQ(dragged.at("Kinder"), guessed.at("Kinder"));

    QTest::keyClick(grid->Handle(), Qt::Key_F5);
    EXPECT_EQ(widths(), dragged) << "F5";

    // A view whose rows leave a column empty hides it; back in the full view all stand again.
    TQelAnsicht* unborn = view("Ohne Geburtstag", "Person.Geboren IS NULL");
    grid->SetCurrentView(unborn, nullptr, "", true);
    ASSERT_EQ(grid->EntryCount(), 1);
    EXPECT_TRUE(grid->IsHiddenColumn(grid->ColumnByName("Geboren")));
    grid->SetCurrentView(nullptr, nullptr, "", true);
    EXPECT_EQ(widths(), dragged) << "view change";

    grid->set_SelectGridOptions(grid->get_SelectGridOptions() << soMultiSelect);
    EXPECT_EQ(widths(), dragged) << "options change";
}

TEST_F(SelectGridWidthsTest, WidthsLoadedForTheUserStandAfterTheNextLoad)
{
    // Pixel widths that do not stretch, for every column (the hidden key column too).
    std::string stored;
    for (int c = 0; c < grid->ColCount(); ++c)
        stored
            += (c ? ";" : "") + std::to_string(c == grid->ColumnByName("Kinder") ? 44 : 100 + 10 * c) + "/0";
    db->User()->NameWert().WriteString("ListeColSettings", stored);
    grid->LoadColWidths("Liste");
    const std::map<std::string, int> loaded = widths();
    EXPECT_EQ(loaded.at("Kinder"), 44);
    EXPECT_EQ(loaded.at("Name"), 100 + 10 * grid->ColumnByName("Name"));
    grid->Reload();
    EXPECT_EQ(widths(), loaded);
    // Another class lists other fields: their widths are its own.
    grid->set_ClassName("Firma");
    EXPECT_NE(grid->ColumnByName("Name"), -1);
    EXPECT_EQ(grid->ColumnByName("Anrede"), -1);
}
