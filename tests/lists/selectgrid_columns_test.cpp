// The select grid's columns: field settings per class (and across reopening the file), the cell
// texts, empty columns, sorting, and opening a row.
#include "selectgrid_fixture.h"
#include "support/private_dir.h"

TEST_F(SelectGridTest, FieldsComeFromTheParentClassesFirst)
{
    grid->set_ClassName("Person");
    grid->set_Fields("Name,Vorname");
    grid->set_ClassName("Mitarbeiter");
    EXPECT_EQ(grid->get_Fields(), "Name,Vorname");
    grid->set_Fields("Nummer");
    EXPECT_EQ(grid->get_Fields(), "Name,Vorname,Nummer");

    TQelObject* m = create("Mitarbeiter");
    m->FieldByName("Name")->set_AsString("Meier");
    m->FieldByName("Nummer")->set_AsInteger(7);
    ASSERT_TRUE(m->Commit());
    grid->Reload();
    ASSERT_EQ(grid->ColCount(), 4);
    EXPECT_EQ(grid->Cells(1, 0), "Name");
    EXPECT_EQ(grid->Cells(3, 0), "Nummer");
    EXPECT_EQ(grid->Cells(3, 1), "7");
    EXPECT_EQ(grid->get_Felddefinition(3), db->FindClass("Mitarbeiter")->FindFelddefinition("Nummer"));
    EXPECT_TRUE(grid->IsHiddenColumn(0));
}

TEST_F(SelectGridTest, UnknownOrHostileFieldNamesNeverReachTheStatement)
{
    person("Meier", "Anna");
    grid->set_ClassName("Person");
    grid->set_Fields("Name,Gibtsnicht,1); DROP TABLE Person; --,Name");
    grid->Reload();
    EXPECT_EQ(grid->ColCount(), 2);
    EXPECT_EQ(grid->Cells(1, 1), "Meier");
    EXPECT_EQ(grid->LastStatement().find("DROP"), std::string::npos);
}

TEST_F(SelectGridTest, FieldSettingsAreKeptForThePartitionAcrossReopening)
{
    const PrivateDir scratch("qel_sg_fields");
    const std::filesystem::path file = scratch.path() / "fields.qeldb";
    form.reset();
    SetQelDatabase(nullptr);
    for (int run = 0; run < 2; ++run) {
        db = std::make_unique<TQelDatabase>();
        TQelOpenOptions o;
        o.schemaText = kSelectGridSchema;
        o.create = true;
        db->Open(file.string(), o);
        SetQelDatabase(db.get());
        form = std::make_unique<TForm>(nullptr);
        startGrid();
        grid->set_ClassName("Person");
        if (run == 0) {
            grid->set_Fields("Vorname,Kinder");
            grid->set_ClassName("Firma");
            grid->set_Fields("Name");
            grid->SaveFieldSettings();
        } else {
            EXPECT_EQ(grid->get_Fields(), "Vorname,Kinder");
            grid->set_ClassName("Firma");
            EXPECT_EQ(grid->get_Fields(), "Name");
        }
        form.reset();
        SetQelDatabase(nullptr);
        db.reset();
    }
    db = std::make_unique<TQelDatabase>();
    TQelOpenOptions o;
    o.schemaText = kSelectGridSchema;
    o.create = true;
    db->Open(":memory:", o);
    SetQelDatabase(db.get());
    form = std::make_unique<TForm>(nullptr);
}

TEST_F(SelectGridTest, CellsShowWhatUsersRead)
{
    TQelObject* p = person("Meier", "Anna", 2, "", "17.05.1980");
    p->FieldByName("Anrede")->set_AsString("Frau");
    p->FieldByName("Aktiv")->set_AsBool(true);
    ASSERT_TRUE(p->Commit());
    grid->set_ClassName("Person");
    grid->set_Fields("Name,Anrede,Geboren,Aktiv,Kinder");
    grid->Reload();
    EXPECT_EQ(grid->Cells(grid->ColumnByName("Anrede"), 1), TQelChoiceField::Surface("Frau"));
    EXPECT_EQ(grid->Cells(grid->ColumnByName("Geboren"), 1), p->FieldByName("Geboren")->AsString());
    EXPECT_EQ(grid->Cells(grid->ColumnByName("Aktiv"), 1), p->FieldByName("Aktiv")->AsString());
    EXPECT_EQ(grid->Cells(grid->ColumnByName("Kinder"), 1), "2");
    EXPECT_EQ(grid->SGColInfo(grid->ColumnByName("Kinder"))->SortStyle, ssNumeric);
    EXPECT_EQ(grid->SGColInfo(grid->ColumnByName("Geboren"))->SortStyle, ssDate);
    EXPECT_EQ(grid->SGColInfo(grid->ColumnByName("Name"))->SortStyle, ssAnsiAlphaNoCase);
}

// The application's statement decides the columns: each header is its result field's name, and
// the column's field, format and sort style follow that name.
TEST_F(SelectGridTest, WithTheApplicationsStatementHeadersAreTheResultsFieldNames)
{
    person("Meier", "Anna", 2, "", "17.05.1980");
    person("Schulz", "Bernd", 11, "", "02.01.1975");
    grid->set_ClassName("Person");
    grid->set_Fields("Name,Vorname,Kinder");
    grid->OnQuerySelect = [](TObject*, TQelClassKey, std::string& statement) {
        statement = "SELECT K, Geboren, Kinder, Name FROM Person WHERE K > 0";
    };
    grid->Reload();
    ASSERT_EQ(grid->ColCount(), 4);
    EXPECT_EQ(grid->Cells(1, 0), "Geboren");
    EXPECT_EQ(grid->Cells(2, 0), "Kinder");
    EXPECT_EQ(grid->Cells(3, 0), "Name");
    EXPECT_EQ(grid->ColumnByName("Name"), 3);
    EXPECT_EQ(grid->ColumnByName("Vorname"), -1);
    EXPECT_EQ(grid->get_Felddefinition(1)->Name(), "Geboren");
    EXPECT_EQ(grid->SGColInfo(1)->SortStyle, ssDate);
    EXPECT_EQ(grid->SGColInfo(2)->SortStyle, ssNumeric);
    // Sorted by the first column, a date.
    EXPECT_EQ(column("Geboren"), (std::vector<std::string> { "02.01.1975", "17.05.1980" }));
    EXPECT_EQ(column("Name"), (std::vector<std::string> { "Schulz", "Meier" }));
    // Sorting by a click on the header of Kinder orders by number, not by text.
    grid->SortByColumn(2, sdDescending);
    EXPECT_EQ(column("Kinder"), (std::vector<std::string> { "11", "2" }));
}

TEST_F(SelectGridTest, EmptyColumnsHideOnlyWhenThereAreRows)
{
    grid->set_ClassName("Person");
    grid->set_Fields("Name,Vorname,Kinder");
    grid->Reload();
    for (int c = 1; c < grid->ColCount(); ++c)
        EXPECT_FALSE(grid->IsHiddenColumn(c)) << c;

    TQelObject* p = create("Person");
    p->FieldByName("Name")->set_AsString("Meier");
    ASSERT_TRUE(p->Commit());
    grid->Reload();
    EXPECT_FALSE(grid->IsHiddenColumn(grid->ColumnByName("Name")));
    EXPECT_TRUE(grid->IsHiddenColumn(grid->ColumnByName("Vorname")));

    grid->set_SelectGridOptions(grid->get_SelectGridOptions() >> soHideEmptyCols);
    EXPECT_FALSE(grid->IsHiddenColumn(grid->ColumnByName("Vorname")));
}

TEST_F(SelectGridTest, SortsGermanTextsByCollationAndNumbersAndDatesByValue)
{
    person("apfel", "x", 10, "", "01.02.2001");
    person("Zander", "x", 9, "", "31.12.1999");
    person("Äpfel", "x", 100, "", "15.06.2010");
    person("Strauss", "x", 2, "", "");
    person("Apfelbaum", "x", 1, "", "02.01.2001");
    person("Straße", "x", 0, "", "01.01.1970");
    grid->set_ClassName("Person");
    grid->set_Fields("Name,Kinder,Geboren");
    grid->Reload();

    grid->SortByColumn(grid->ColumnByName("Name"), sdAscending);
    const std::vector<std::string> names = column("Name");
    // Äpfel and apfel share their first five collation values: side by side, then by text.
    ASSERT_EQ(names.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3),
        std::vector<std::string>({ "apfel", "Äpfel", "Apfelbaum" }));
    EXPECT_EQ(names[5], "Zander");
    EXPECT_TRUE(grid->SGColInfo(grid->ColumnByName("Name"))->SortKeysReady);

    grid->SortByColumn(grid->ColumnByName("Kinder"), sdAscending);
    EXPECT_EQ(column("Kinder"), std::vector<std::string>({ "0", "1", "2", "9", "10", "100" }));

    grid->SortByColumn(grid->ColumnByName("Geboren"), sdAscending);
    const std::vector<std::string> dates = column("Geboren");
    EXPECT_EQ(dates.front(), ""); // empty first
    EXPECT_EQ(std::vector<std::string>(dates.begin() + 1, dates.end()),
        std::vector<std::string>({ "01.01.1970", "31.12.1999", "02.01.2001", "01.02.2001", "15.06.2010" }));
}

TEST_F(SelectGridTest, EnterAndDoubleClickOpenTheRowsObject)
{
    TQelObject* anna = person("Meier", "Anna");
    TQelObject* bernd = person("Schulz", "Bernd");
    grid->set_ClassName("Person");
    grid->set_Fields("Name,Vorname");
    grid->Reload();
    std::vector<TQelObjectKey> opened;
    grid->OnKeyOpen = [&](TObject*, TQelObjectKey key, TQelObject* obj) {
        opened.push_back(key);
        EXPECT_EQ(obj->Key(), key);
    };
    auto* view = static_cast<qel::grid::GridView*>(grid->Handle());
    QWidget* viewport = view->viewport();
    grid->SetFocus();
    grid->set_SelectedKey(anna->Key());
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], anna->Key());

    const int row = grid->get_row(bernd->Key());
    const TRect r = grid->CellRect(1, row);
    const QPoint at
        = viewport->mapFrom(grid->Handle(), QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], bernd->Key());
}
