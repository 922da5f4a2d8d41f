// The demo's persons list: every person listed under German captions, the stored filters as
// tabs, and Enter opening the selected person in the person form.
#include "demo_database.h"
#include "person_form.h"
#include "person_list.h"

#include "lists/QelSelectGrid.h"
#include "toolkit/tabset.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

TEST(PersonList, ListsFiltersAndOpensPersons)
{
    QTemporaryDir dir;
    DemoDatabase store = openDemoDatabase(dir.filePath("demo.qeldb").toStdString(), 40, 4);
    ASSERT_TRUE(store.error.empty()) << store.error;
    SetQelDatabase(store.db.get());
    {
        TPersonListForm list(nullptr, store.db.get());
        list.Show();
        TQelSelectGrid* grid = list.Grid();
        EXPECT_EQ(grid->EntryCount(), 40);
        EXPECT_GE(grid->ColumnByName("Name"), 1);
        EXPECT_EQ(grid->SortSettings().Column, grid->ColumnByName("Name"));
        EXPECT_NE(list.StatusText().find("40 Personen"), std::string::npos) << list.StatusText();

        // One tab per filter without parameters or stored instance, and the full view first.
        TAdvTabSet* tabs = list.Tabs();
        ASSERT_GE(tabs->TabCount(), 3);
        EXPECT_EQ(tabs->TabCaption(0), "(Vollansicht)");
        int active = -1;
        for (int i = 0; i < tabs->TabCount(); ++i)
            if (tabs->TabCaption(i) == "Aktive Personen")
                active = i;
        ASSERT_GE(active, 0);
        QWidget* bar = tabs->Handle()->findChild<QWidget*>();
        const TRect r = tabs->TabRect(active);
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        EXPECT_EQ(grid->get_CurrentViewName(), "Aktive Personen");
        const int aktiv = grid->ColumnByName("Aktiv");
        ASSERT_GE(aktiv, 0);
        for (int row = grid->FirstDataRow(); row < grid->FirstDataRow() + grid->EntryCount(); ++row)
            EXPECT_EQ(grid->Cells(aktiv, row), "Ja") << row;
        EXPECT_LT(grid->EntryCount(), 40);

        grid->SetFocus();
        QTest::keyClick(grid->Handle(), Qt::Key_Return);
        ASSERT_NE(list.PersonForm(), nullptr);
        EXPECT_EQ(list.PersonForm()->Person()->Key(), grid->get_SelectedKey());
    }
    SetQelDatabase(nullptr);
}
