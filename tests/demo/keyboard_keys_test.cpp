// Each kind of control of the person form worked by keys alone on the shown form: a combo, a
// check box and a check group, the pages, a vector grid. The person and the stored row say what
// the keys did.
#include "demo_fixture.h"
#include "person_form.h"

#include "controls/QelCheckBox.h"
#include "controls/QelPageControl.h"
#include "controls/qelcheckgroup.h"
#include "documents/qeldoktr.h"
#include "pickers/QelCombo.h"
#include "support/typing.h"
#include "toolkit/scripteddialogs.h"
#include "vectors/QelVectorGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class KeyboardKeysTest : public DemoDbTest {
protected:
    KeyboardKeysTest()
        : DemoDbTest(6, 4)
    {
    }
    void SetUp() override
    {
        DemoDbTest::SetUp();
        // A person with a phone number.
        auto q = store.db->CreateSQLEngine()->Query(
            "SELECT K FROM Telefon WHERE V = 'Telefone' AND K IN (SELECT Person.K FROM Person JOIN OBJEKT ON "
            "OBJEKT.K = Person.K WHERE OBJEKT.GELOESCHT = 0) "
            "ORDER BY K LIMIT 1");
        ASSERT_TRUE(q->TryOpen()) << q->ErrorMessage();
        ASSERT_FALSE(q->Eof());
        form = std::make_unique<TPersonForm>(nullptr, store.db.get());
        ASSERT_TRUE(form->ShowPerson(TQelObjectKey(static_cast<int>(q->AsInteger(0)))));
        showActive(*form);
    }
    void TearDown() override
    {
        form.reset();
        DemoDbTest::TearDown();
    }
    template <class T> T* find(const char* name)
    {
        auto* c = dynamic_cast<T*>(form->FindComponent(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), k, m);
        QApplication::processEvents();
    }
    // The column of the person's row in the file.
    std::string stored(
        const std::string& column, const std::string& table = "Person", const std::string& where = "") const
    {
        auto q = store.db->CreateSQLEngine()->Query(
            "SELECT " + column + " FROM " + table + " WHERE K = " + form->Person()->Key().ToString() + where);
        EXPECT_TRUE(q->TryOpen()) << q->ErrorMessage();
        return q->Eof() ? std::string("<none>") : q->AsString(0);
    }
    TQelField* field(const char* name) const { return form->Person()->FieldByName(name); }
    // Saves, then throws away what the object holds: what stays is what was stored.
    void saveAndReload()
    {
        form->Save();
        ASSERT_EQ(form->StatusText(), "Gespeichert.");
        form->Discard();
    }

    std::unique_ptr<TPersonForm> form;
};

// Tab into a combo leaves its list closed; F4 and Alt+Down open it, arrows and Enter pick, Tab
// (also from the open list) goes on to the next control with the picked value written.
TEST_F(KeyboardKeysTest, CombosOpenOnlyWhenAskedAndTabLeavesThem)
{
    auto* anrede = find<TQelCombo>("cbAnrede");
    auto* aktiv = find<TQelCombo>("cbAktivWahl");
    find<TWinControl>("clRollen")->SetFocus();
    key(Qt::Key_Tab);
    ASSERT_TRUE(anrede->Focused());
    EXPECT_FALSE(anrede->DroppedDown()) << "the list opened on focus";
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    const int before = anrede->get_SelectedIndex();
    ASSERT_GE(anrede->Items().Count(), 2);
    const bool down = before + 1 < anrede->Items().Count();
    key(Qt::Key_F4);
    EXPECT_TRUE(anrede->DroppedDown());
    key(down ? Qt::Key_Down : Qt::Key_Up);
    key(Qt::Key_Return);
    EXPECT_FALSE(anrede->DroppedDown());
    const std::string picked = anrede->Items()[before + (down ? 1 : -1)];
    EXPECT_EQ(anrede->get_SelectedText(), picked);
    key(Qt::Key_Tab);
    EXPECT_TRUE(aktiv->Focused()) << "Tab leaves the combo";
    EXPECT_FALSE(aktiv->DroppedDown());
    EXPECT_EQ(field("Anrede")->AsString(), picked);

    // Alt+Down opens; Tab in the open list takes the highlighted entry and moves on.
    const std::string wasActive = field("Aktiv")->AsString();
    key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(aktiv->DroppedDown());
    const int current = aktiv->get_SelectedIndex();
    key(current + 1 < aktiv->Items().Count() ? Qt::Key_Down : Qt::Key_Up);
    key(Qt::Key_Tab);
    EXPECT_FALSE(aktiv->DroppedDown());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(find<TQelCombo>("cbArbeitgeber")->Focused());
    const std::string nowActive = field("Aktiv")->AsString();
    EXPECT_NE(nowActive, wasActive);

    const std::string storedActive = stored("Aktiv");
    saveAndReload();
    EXPECT_EQ(field("Anrede")->AsString(), picked);
    EXPECT_EQ(field("Aktiv")->AsString(), nowActive);
    EXPECT_NE(stored("Aktiv"), storedActive);
}

// Space toggles the check box; in the check group Tab lands on the first item, arrows move
// between the items and Space toggles the one with the focus.
TEST_F(KeyboardKeysTest, CheckBoxAndCheckGroupItemsBySpaceAndArrows)
{
    auto* aktiv = find<TQelCheckBox>("cbAktiv");
    auto* sprachen = find<TQelCheckGroup>("cgSprachen");
    find<TWinControl>("edObjektpfad")->SetFocus();
    key(Qt::Key_Tab);
    ASSERT_TRUE(aktiv->Focused());
    const bool wasActive = field("Aktiv")->AsBool();
    key(Qt::Key_Space);
    EXPECT_NE(field("Aktiv")->AsBool(), wasActive);

    key(Qt::Key_Tab);
    ASSERT_TRUE(sprachen->Focused());
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "item0");
    key(Qt::Key_Down);
    ASSERT_TRUE(sprachen->Focused()) << "the arrow left the group";
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "item1");
    const bool second = sprachen->Checked(1);
    key(Qt::Key_Space);
    EXPECT_NE(sprachen->Checked(1), second);
    EXPECT_EQ((field("Sprachen")->AsInteger() & 2) != 0, !second);
    key(Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "item0");
    key(Qt::Key_Tab);
    EXPECT_TRUE(find<TWinControl>("clRollen")->Focused()) << "Tab leaves the group";

    const std::int64_t languages = field("Sprachen")->AsInteger();
    saveAndReload();
    EXPECT_EQ(field("Aktiv")->AsBool(), !wasActive);
    EXPECT_EQ(field("Sprachen")->AsInteger(), languages);
    EXPECT_EQ(stored("Sprachen"), std::to_string(languages));
}

// Ctrl+Tab and Ctrl+PgDn turn the pages forward, Ctrl+Shift+Tab and Ctrl+PgUp back; the focus
// goes to the new page. On the tab bar the arrows turn them.
TEST_F(KeyboardKeysTest, PagesTurnWithCtrlTabCtrlPageAndArrows)
{
    TQelPageControl* pages = form->Pages();
    find<TWinControl>("edName")->SetFocus();
    key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    EXPECT_TRUE(find<TWinControl>("edAdressOrte")->Focused());
    key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(pages->ActivePageIndex(), 2);
    key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(pages->ActivePageIndex(), 0);

    pages->SetFocus();
    QApplication::processEvents();
    ASSERT_TRUE(pages->Focused());
    EXPECT_EQ(QApplication::focusWidget()->metaObject()->className(), QByteArray("QTabBar"));
    key(Qt::Key_Right);
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    key(Qt::Key_Left);
    EXPECT_EQ(pages->ActivePageIndex(), 0);
    EXPECT_TRUE(pages->Focused());
}

// A vector grid: Tab in, arrows, F2 and typing edit, Enter commits, Escape cancels, Ctrl+Tab
// leaves; the phone number is stored.
TEST_F(KeyboardKeysTest, VectorGridByKeys)
{
    form->Pages()->SetActivePageIndex(1);
    QApplication::processEvents();
    auto* phones = find<TQelVectorGrid>("vgTelefone");
    auto* vector = form->Person()->FieldList()->FindTypedOI<TQelVector>("Telefone");
    ASSERT_NE(vector, nullptr);
    ASSERT_GE(vector->Count(), 1) << "the demo person has a phone";
    const std::string number = vector->FieldList(1)->FieldByName("Nummer")->AsString();

    find<TWinControl>("vgAdressen")->SetFocus();
    key(Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_TRUE(phones->Focused());
    // The first data row, the number's column.
    while (phones->Row() > phones->FixedRows())
        key(Qt::Key_Up);
    key(Qt::Key_Home);
    key(Qt::Key_Right);
    const int col = phones->Col();
    EXPECT_EQ(phones->Cells(col, 0), "Nummer");

    key(Qt::Key_F2);
    ASSERT_TRUE(phones->EditorMode());
    TypeWhereTheFocusIs("999");
    key(Qt::Key_Escape);
    EXPECT_FALSE(phones->EditorMode());
    EXPECT_EQ(vector->FieldList(1)->FieldByName("Nummer")->AsString(), number) << "Escape cancels";

    TypeWhereTheFocusIs("0221 4711");
    key(Qt::Key_Return);
    EXPECT_EQ(vector->FieldList(1)->FieldByName("Nummer")->AsString(), "0221 4711");
    EXPECT_EQ(phones->Cells(col, phones->Row()), "0221 4711");

    key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_FALSE(phones->Focused()) << "Ctrl+Tab leaves the grid";
    saveAndReload();
    EXPECT_EQ(stored("Nummer", "Telefon", " AND V = 'Telefone' ORDER BY NR"), "0221 4711");
}

// The documents' list and folder tree: the menu key and Shift+F10 open their menus where the
// keyboard is; Ctrl+N makes a folder and F2 renames it, as their menus say.
TEST_F(KeyboardKeysTest, DocumentListAndTreeByKeys)
{
    auto scripted = std::make_unique<TScriptedDialogs>();
    TScriptedDialogs* dialogs = scripted.get();
    std::unique_ptr<TDialogService> previous = SetDialogService(std::move(scripted));
    form->Pages()->SetActivePageIndex(4);
    QApplication::processEvents();
    const auto menuTexts = [] {
        QStringList texts;
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* a : menu->actions())
                texts << a->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
            menu->close();
            QApplication::processEvents();
        }
        return texts;
    };

    find<TWinControl>("lvDokumente")->SetFocus();
    key(Qt::Key_Menu);
    EXPECT_TRUE(menuTexts().contains("Importieren ...")) << "the menu key opened no menu";
    auto* tree = find<TQelDokTree>("tvOrdner");
    tree->SetFocus();
    key(Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(menuTexts().contains("Neuen Ordner anlegen ...")) << "Shift+F10 opened no menu";

    dialogs->AnswerInput("Briefe");
    key(Qt::Key_N, Qt::ControlModifier);
    ASSERT_NE(tree->FindNode("Briefe"), nullptr);
    EXPECT_EQ(tree->Selected(), tree->FindNode("Briefe"));
    dialogs->CancelInput();
    key(Qt::Key_F2);
    EXPECT_EQ(dialogs->LastQuestion().caption, "Ordner umbenennen");
    EXPECT_EQ(dialogs->LastQuestion().value, "Briefe");
    EXPECT_TRUE(dialogs->Failures().empty());
    SetDialogService(std::move(previous));
}

} // namespace
