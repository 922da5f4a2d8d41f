// The demo's person form: save stores what was typed, discard restores, paging moves on.
#include "demo_database.h"
#include "person_form.h"

#include "QelObjCntrl.h"
#include "controls/QelEdit.h"
#include "toolkit/scripteddialogs.h"

#include <QTemporaryDir>
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
