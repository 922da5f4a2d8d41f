// The demo's person form: save stores what was typed, discard restores, paging moves on; its
// pages, address tabs and bank panel; the search window.
#include "demo_database.h"
#include "person_form.h"
#include "person_search.h"

#include "QelObjCntrl.h"
#include "controls/QelCheckBox.h"
#include "controls/QelEdit.h"
#include "controls/QelPageControl.h"
#include "controls/QelTabControl.h"
#include "lists/QelSelectGrid.h"
#include "toolkit/scripteddialogs.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

TEST(PersonForm, SaveDiscardAndPaging)
{
    QTemporaryDir dir;
    DemoDatabase store = openDemoDatabase(dir.filePath("demo.qeldb").toStdString(), 3, 2);
    ASSERT_TRUE(store.error.empty()) << store.error;
    SetQelDatabase(store.db.get());
    {
        TPersonForm form(nullptr, store.db.get());
        ASSERT_TRUE(form.ShowPerson());
        TQelObject* first = form.Person();
        auto* name = dynamic_cast<TQelEdit*>(form.FindComponent("edName"));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->Text(), first->FieldByName("Name")->AsString());

        name->SetText("Neumann");
        form.Save();
        EXPECT_EQ(form.StatusText(), "Gespeichert.");
        EXPECT_FALSE(first->Touched());
        EXPECT_EQ(first->FieldByName("Name")->AsString(), "Neumann");

        name->SetText("Verworfen");
        form.Discard();
        EXPECT_EQ(form.StatusText(), "Änderungen verworfen.");
        EXPECT_EQ(name->Text(), "Neumann");

        TScopedScriptedDialogs dialogs;
        name->SetText("Wechsel");
        dialogs->AnswerDlg(mrNo); // leave the changes unsaved
        form.Step(1);
        EXPECT_NE(form.Person(), first);
        EXPECT_EQ(dialogs->Questions().size(), 1u);
        form.Step(-1);
        EXPECT_EQ(form.Person(), first);
    }
    SetQelDatabase(nullptr);
}

TEST(PersonForm, PagesAddressTabsAndTheBankPanel)
{
    QTemporaryDir dir;
    DemoDatabase store = openDemoDatabase(dir.filePath("demo.qeldb").toStdString(), 12, 2);
    ASSERT_TRUE(store.error.empty()) << store.error;
    SetQelDatabase(store.db.get());
    {
        TPersonForm form(nullptr, store.db.get());
        ASSERT_TRUE(form.ShowPerson());
        std::vector<std::string> pages;
        for (int i = 0; i < form.Pages()->PageCount(); ++i)
            pages.push_back(form.Pages()->Pages(i)->Caption());
        EXPECT_EQ(pages,
            (std::vector<std::string> {
                "Allgemein", "Adressen", "Bank", "Notizen", "Dokumente", "Beziehungen" }));

        // Page through to a person without a bank account: the bank panel's edits wait for the
        // first entry, which creates it.
        auto* iban = dynamic_cast<TQelEdit*>(form.FindComponent("edIBAN"));
        ASSERT_NE(iban, nullptr);
        TScopedScriptedDialogs dialogs;
        for (int i = 0; i < 12 && form.Person()->FieldList()->FindFieldList("Bank"); ++i)
            form.Step(1);
        TQelObject* person = form.Person();
        ASSERT_EQ(person->FieldList()->FindFieldList("Bank"), nullptr)
            << "the sample has persons without bank";
        EXPECT_TRUE(iban->Enabled());
        iban->SetText("DE02");
        ASSERT_NE(person->FieldList()->FindField("Bank.IBAN"), nullptr);
        EXPECT_EQ(person->FieldList()->FindField("Bank.IBAN")->AsString(), "DE02");

        // One tab per address; a new address gets its tab and is shown.
        auto* tabs = dynamic_cast<TQelTabControl*>(form.FindComponent("tcAdressen"));
        ASSERT_NE(tabs, nullptr);
        TQelVector* addresses = person->FieldList()->VectorByName("Adressen");
        EXPECT_EQ(tabs->TabCount(), addresses->Count());
        form.AddAddress();
        EXPECT_EQ(tabs->TabCount(), addresses->Count());
        EXPECT_EQ(tabs->get_VectorIndex(), addresses->Count());
        auto* ort = dynamic_cast<TQelEdit*>(form.FindComponent("edOrt"));
        ASSERT_NE(ort, nullptr);
        ort->SetText("Bonn");
        EXPECT_EQ(addresses->FieldList(addresses->Count())->FindField("Ort")->AsString(), "Bonn");
        EXPECT_EQ(tabs->TabCaption(tabs->TabCount() - 1), std::to_string(addresses->Count()) + ". Bonn");

        dialogs->AnswerDlg(mrYes);
        const int before = addresses->Count();
        form.RemoveAddress();
        EXPECT_EQ(addresses->Count(), before - 1);
        EXPECT_EQ(tabs->TabCount(), before - 1);
        form.Discard();
    }
    SetQelDatabase(nullptr);
}

TEST(PersonSearch, FindsThePersonsTheFieldsDescribe)
{
    QTemporaryDir dir;
    DemoDatabase store = openDemoDatabase(dir.filePath("demo.qeldb").toStdString(), 60, 2);
    ASSERT_TRUE(store.error.empty()) << store.error;
    SetQelDatabase(store.db.get());
    {
        TPersonSearchForm search(nullptr, store.db.get());
        ASSERT_TRUE(search.SearchPanel()->get_SearchMode());
        // What the search should find, counted without it.
        const TQelKlasse* cls = store.db->FindClass("Person");
        auto q = store.db->CreateSQLEngine()->ListEx(cls->Key(), lfNotDeleted, "", "Name,Aktiv");
        int expected = 0;
        for (q->Open(); !q->Eof(); q->Next())
            if (q->AsString(1).rfind("M", 0) == 0 && q->AsInteger(2) != 0)
                ++expected;
        ASSERT_GT(expected, 0);

        dynamic_cast<TQelEdit*>(search.FindComponent("edName"))->SetText("m");
        dynamic_cast<TQelCheckBox*>(search.FindComponent("cbAktiv"))->SetChecked(true);
        EXPECT_EQ(search.Search(), expected);
        EXPECT_EQ(static_cast<int>(search.Found().size()), expected);

        TQelObjectKey opened;
        search.OnOpenPerson = [&](TQelObjectKey k) { opened = k; };
        // The hits are a select grid: Enter opens the selected one.
        search.Show();
        search.Results()->SetFocus();
        search.Results()->FocusCell(1, 1);
        QTest::keyClick(search.Results()->Handle(), Qt::Key_Return);
        EXPECT_EQ(opened, search.Found().front());
        dynamic_cast<TQelEdit*>(search.FindComponent("edName"))->SetText("x' OR 1=1 --");
        EXPECT_EQ(search.Search(), 0);
        EXPECT_EQ(search.ResultText(), "Keine Person gefunden.");
        search.Clear();
        EXPECT_EQ(search.Search(), 60) << "no search text: every person";
    }
    SetQelDatabase(nullptr);
}
