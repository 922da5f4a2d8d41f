// The person form used as a clerk uses it, with clicks and keys on the shown form; afterwards the
// object and the rows in the file say what the screen said.
#include "demo_fixture.h"
#include "person_form.h"

#include "QelObjCntrl.h"
#include "controls/QelEdit.h"
#include "controls/QelPageControl.h"
#include "controls/QelTabControl.h"
#include "toolkit/scripteddialogs.h"
#include "toolkit/stdctrls.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

namespace {

class PersonFormData : public DemoDbTest {
protected:
    PersonFormData()
        : DemoDbTest(3, 2)
    {
    }

    // One column of a query on the file, read beside the program as sqlite3 would.
    std::vector<std::string> stored(const std::string& sql) const
    {
        std::vector<std::string> out;
        sqlite3* file = nullptr;
        if (sqlite3_open_v2(store.path.c_str(), &file, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(file, sql.c_str(), -1, &st, nullptr) == SQLITE_OK)
                while (sqlite3_step(st) == SQLITE_ROW) {
                    const auto* text = sqlite3_column_text(st, 0);
                    out.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
                }
            sqlite3_finalize(st);
        }
        sqlite3_close(file);
        return out;
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    static void click(TControl* c)
    {
        QTest::mouseClick(c->Handle(), Qt::LeftButton, {}, QPoint(6, c->Height() / 2));
        settle();
    }
    static void key(Qt::Key k, Qt::KeyboardModifiers mods = {})
    {
        QTest::keyClick(QApplication::focusWidget(), k, mods);
        settle();
    }
    // Real keys into the focused widget, umlauts included.
    static void type(const char* text)
    {
        for (QChar ch : QString::fromUtf8(text)) {
            const int code = ch.unicode() < 0x80 ? ch.toUpper().unicode() : int(Qt::Key_unknown);
            QTest::sendKeyEvent(
                QTest::Click, QApplication::focusWidget(), Qt::Key(code), QString(ch), Qt::NoModifier);
        }
        settle();
    }
    template <class T> static T* find(TForm& form, const char* name)
    {
        auto* c = dynamic_cast<T*>(form.FindComponent(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
};

TEST_F(PersonFormData, LeavingTheTownsEditAfterRemovingAnAddressChangesNoAddress)
{
    TPersonForm form(nullptr, store.db.get());
    ASSERT_TRUE(form.ShowPerson());
    // The person has three addresses, as stored before the clerk starts.
    TQelObject* person = form.Person();
    TQelVector* addresses = person->FieldList()->VectorByName("Adressen");
    while (addresses->Count() > 0)
        addresses->Delete(1);
    for (const char* ort : { "Aachen", "Bremen", "Celle" }) {
        TQelFieldList* a = addresses->Add()->FieldList();
        a->FieldByName("Strasse")->set_AsString(std::string(ort) + "er Weg 1");
        a->FieldByName("PLZ")->set_AsString("12345");
        a->FieldByName("Ort")->set_AsString(ort);
    }
    ASSERT_TRUE(person->Commit()) << person->ErrorMessage();
    const std::string rows
        = "SELECT Ort FROM Adresse WHERE K = " + person->Key().ToString() + " AND V = 'Adressen' ORDER BY NR";

    ASSERT_TRUE(form.ShowPerson(person->Key()));
    showActive(form);
    form.Pages()->SetActivePageIndex(1);
    settle();
    auto* orte = find<TQelEdit>(form, "edAdressOrte");
    ASSERT_EQ(orte->Text(), "Aachen,Bremen,Celle");

    // The first address's tab is shown: "Adresse entfernen", yes, "Speichern".
    TScopedScriptedDialogs dialogs;
    dialogs->AnswerDlg(mrYes);
    click(find<TButton>(form, "btnAdresseWeg"));
    EXPECT_EQ(orte->Text(), "Bremen,Celle");
    click(find<TButton>(form, "btnSave"));
    EXPECT_EQ(form.StatusText(), "Gespeichert.");
    EXPECT_EQ(stored(rows), (std::vector<std::string> { "Bremen", "Celle" }));

    // A click into the towns, End, Tab: nothing was typed, nothing changes.
    click(orte);
    ASSERT_TRUE(orte->Focused());
    key(Qt::Key_End);
    key(Qt::Key_Tab);
    EXPECT_FALSE(orte->Focused());
    EXPECT_EQ(addresses->GetAll("Ort", ','), "Bremen,Celle");
    EXPECT_FALSE(person->Touched());
    click(find<TButton>(form, "btnSave"));
    EXPECT_EQ(stored(rows), (std::vector<std::string> { "Bremen", "Celle" }));
    EXPECT_EQ(stored("SELECT Strasse FROM Adresse WHERE K = " + person->Key().ToString() + " ORDER BY NR"),
        (std::vector<std::string> { "Bremener Weg 1", "Celleer Weg 1" }));

    // A town retyped there reaches only its own address.
    click(orte);
    key(Qt::Key_End);
    for (int i = 0; i < 5; ++i)
        key(Qt::Key_Backspace);
    type("Lüneburg");
    key(Qt::Key_Tab);
    click(find<TButton>(form, "btnSave"));
    EXPECT_EQ(stored(rows), (std::vector<std::string> { "Bremen", "Lüneburg" }));
    EXPECT_EQ(stored("SELECT Strasse FROM Adresse WHERE K = " + person->Key().ToString() + " ORDER BY NR"),
        (std::vector<std::string> { "Bremener Weg 1", "Celleer Weg 1" }));
}

} // namespace
