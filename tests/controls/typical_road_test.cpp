// The everyday road of a clerk: open a person, connect the form, type the name, leave the edit,
// commit; the name is in the file afterwards, and a second form on the same person showed it
// while it was typed.
#include "edit_fixture.h"

#include <QTemporaryDir>

TEST(TypicalRoad, TypedNameIsStoredAndShownInASecondForm)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("personen.qeldb").toStdString();
    TQelObjectKey key;
    {
        TQelDatabase db;
        TQelOpenOptions o;
        o.schemaText = kEditSchema;
        o.create = true;
        db.Open(path, o);
        TQelObject* p = db.CreateObject(db.FindClass("Person")->Key());
        p->FieldByName("Name")->set_AsString("Alt");
        ASSERT_TRUE(p->Commit()) << p->ErrorMessage();
        key = p->Key();
    }

    {
        TQelDatabase db;
        db.Open(path);
        SetQelDatabase(&db);
        TQelObject* person = db.GetObjectA(key);
        ASSERT_NE(person, nullptr);

        TForm first(nullptr);
        first.SetBounds(0, 0, 400, 200);
        auto* name = new TQelEdit(&first);
        name->SetParent(&first);
        name->SetBounds(10, 30, 200, 24);
        name->set_FieldPath("Name");
        auto* vorname = new TQelEdit(&first);
        vorname->SetParent(&first);
        vorname->SetBounds(10, 80, 200, 24);
        vorname->set_FieldPath("Vorname");
        TForm second(nullptr);
        auto* mirror = new TQelEdit(&second);
        mirror->SetParent(&second);
        mirror->set_FieldPath("Name");

        ASSERT_EQ(TQelCommonMethods::ConnectSubControls(&first, person->FieldList(), false), 2);
        ASSERT_EQ(TQelCommonMethods::ConnectSubControls(&second, person->FieldList(), false), 1);
        EXPECT_EQ(name->Text(), "Alt");
        ASSERT_TRUE(ShowActive(first));
        name->SetFocus();
        QApplication::processEvents();
        QTest::keyClick(name->Handle(), Qt::Key_End);
        QTest::keyClicks(name->Handle(), "mann");
        EXPECT_EQ(mirror->Text(), "Altmann"); // while typing
        QTest::keyClick(name->Handle(), Qt::Key_Backspace);
        EXPECT_EQ(mirror->Text(), "Altman");
        vorname->SetFocus(); // leaving the edit
        QApplication::processEvents();
        ASSERT_TRUE(person->Commit()) << person->ErrorMessage();
        EXPECT_FALSE(person->Touched());
        TQelCommonMethods::DisconnectSubControls(&first, false);
        TQelCommonMethods::DisconnectSubControls(&second, false);
        SetQelDatabase(nullptr);
    }

    TQelDatabase reopened;
    reopened.Open(path);
    TQelObject* stored = reopened.GetObjectA(key);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->FieldByName("Name")->AsString(), "Altman");
}
