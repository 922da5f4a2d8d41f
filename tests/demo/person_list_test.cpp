// The demo's persons list: every person listed under German captions, the stored filters as
// tabs, and Enter opening the selected person in the person form.
#include "demo_database.h"
#include "person_form.h"
#include "person_list.h"

#include "lists/QelSelectGrid.h"
#include "toolkit/scripteddialogs.h"
#include "toolkit/tabset.h"

#include <QFile>
#include <QFileInfo>

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

// The persons list's popup menu offers every command; the list prints into a PDF and saves as a
// CSV file a spreadsheet opens with its umlauts.
TEST(PersonList, TheMenuOffersEveryCommandAndWritesPdfAndCsv)
{
    QTemporaryDir dir;
    DemoDatabase store = openDemoDatabase(dir.filePath("demo.qeldb").toStdString(), 30, 4);
    ASSERT_TRUE(store.error.empty()) << store.error;
    SetQelDatabase(store.db.get());
    TScopedScriptedDialogs dialogs;
    {
        TPersonListForm list(nullptr, store.db.get());
        list.Show();
        TQelSelectGrid* grid = list.Grid();
        grid->SelectRow(grid->FirstDataRow(), 0);
        grid->SetRowSelect(grid->FirstDataRow() + 1, true);
        grid->update_popup_menu();
        using C = TQelSelectGrid;
        for (C::TCommand c : { C::cmdCreate, C::cmdEdit, C::cmdDelete, C::cmdMerge, C::cmdPrint,
                 C::cmdPrintList, C::cmdSaveCSV, C::cmdExport, C::cmdPreview, C::cmdAttributes })
            EXPECT_TRUE(grid->CommandItem(c)->Visible()) << grid->CommandItem(c)->Caption();
        EXPECT_EQ(grid->CommandItem(C::cmdMerge)->Caption(), "2 Personen zusammenfassen");
        EXPECT_EQ(grid->CommandItem(C::cmdExport)->Count(), 2); // "Adressetikett", "Personenblatt"
        EXPECT_EQ(grid->CommandItem(C::cmdAttributes)->Items(0)->Caption(), "VIP");
        grid->SelectRow(grid->FirstDataRow(), 0);
        grid->update_popup_menu();
        EXPECT_TRUE(grid->CommandItem(C::cmdCopy)->Visible());

        const std::string pdf = dir.filePath("liste.pdf").toStdString();
        dialogs->AnswerFiles({ pdf });
        grid->CommandItem(C::cmdPrintList)->Click();
        ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(pdf)));

        const std::string csv = dir.filePath("liste.csv").toStdString();
        dialogs->AnswerFiles({ csv });
        grid->CommandItem(C::cmdSaveCSV)->Click();
        QFile file(QString::fromStdString(csv));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
        const QString text = QString::fromUtf8(bytes.mid(3));
        // The header row first, then every row of the grid (the key column included).
        EXPECT_TRUE(text.startsWith("K;Anrede;Titel;Vorname;Name;")) << text.left(80).toStdString();
        EXPECT_EQ(text.count("\r\n"), grid->RowCount());
    }
    SetQelDatabase(nullptr);
}
