// The tree combo with real keys and clicks: a node three levels deep picked from the drop-down,
// a stored value whose branch is not open yet, the null entry, a circle of parents in the stored
// data, and the popup menu.
#include "pickers/qeltreecombo.h"
#include "support/qel_db_fixture.h"
#include "toolkit/tk_test_util.h"

#include "toolkit/scripteddialogs.h"

#include <sqlite3.h>

#include <algorithm>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

namespace {

constexpr const char* kTreeComboSchema = R"(
class 50210 Firma : Objekt table=Firma format="<Name>" noun=Firma gender=f plural=Firmen
  field Name Text length=80
  field Mutter Referenz ref=Firma
end
class 50220 Person : Objekt table=Person format="<Name>"
  field Name Text length=60
  field Arbeitgeber Referenz ref=Firma
end
)";

class TreeComboTest : public QelDbTest {
protected:
    TreeComboTest()
        : QelDbTest(kTreeComboSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        konzern = firm("Konzern");
        sparte = firm("Sparte", konzern);
        bereich = firm("Bereich", sparte);
        team = firm("Team", bereich);
        firm("Andere Sparte", konzern);
        person = create("Person");
        person->FieldByName("Name")->set_AsString("Muster");
        tc = add<TQelTreeCombo>(form.get(), "tc");
        tc->SetBounds(10, 40, 250, 24);
        tc->set_FieldPath("Arbeitgeber");
        after = add<TEdit>(form.get(), "after");
    }
    TQelObject* firm(const std::string& name, TQelObject* parent = nullptr)
    {
        TQelObject* f = create("Firma");
        f->FieldByName("Name")->set_AsString(name);
        if (parent)
            static_cast<TQelRefField*>(f->FieldByName("Mutter"))->set_AsKey(parent->Key());
        EXPECT_TRUE(f->Commit());
        return f;
    }
    TQelRefField* arbeitgeber() const
    {
        return static_cast<TQelRefField*>(person->FieldByName("Arbeitgeber"));
    }
    QLineEdit* edit() const { return static_cast<QLineEdit*>(tc->Handle()); }
    QTreeWidget* treeWidget() const { return static_cast<QTreeWidget*>(tc->Tree().Handle()); }
    void focus()
    {
        ASSERT_TRUE(ShowActive(*form));
        edit()->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(tc->Focused());
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(edit(), k, m); }
    void click(TTreeNode* node)
    {
        const TPoint p = tc->Tree().NodePoint(node);
        QTest::mouseClick(treeWidget()->viewport(), Qt::LeftButton, {}, QPoint(p.X, p.Y));
    }

    TQelObject *konzern = nullptr, *sparte = nullptr, *bereich = nullptr, *team = nullptr;
    TQelObject* person = nullptr;
    TQelTreeCombo* tc = nullptr;
    TEdit* after = nullptr;
};

} // namespace

TEST_F(TreeComboTest, KeysOpenThreeLevelsAndReturnPicksTheDeepestNode)
{
    ASSERT_EQ(tc->ConnectFL(person->FieldList(), false), 1);
    ASSERT_EQ(tc->Tree().RootCount(), 1);
    EXPECT_EQ(tc->Tree().Root(0)->Count(), 0); // its level is read when it opens
    EXPECT_TRUE(tc->Tree().Root(0)->HasChildren());
    focus();
    key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(tc->DroppedDown());
    key(Qt::Key_Down); // Konzern
    key(Qt::Key_Right); // opens it: "Andere Sparte", "Sparte"
    EXPECT_EQ(tc->Tree().Root(0)->Count(), 2);
    key(Qt::Key_Down);
    key(Qt::Key_Down); // Sparte
    key(Qt::Key_Right);
    key(Qt::Key_Down); // Bereich
    key(Qt::Key_Right);
    key(Qt::Key_Down); // Team
    ASSERT_NE(tc->Selection(), nullptr);
    EXPECT_EQ(tc->Selection()->Text(), "Team");
    EXPECT_FALSE(arbeitgeber()->AsKey().Valid()); // moving is no choice
    key(Qt::Key_Return);
    EXPECT_FALSE(tc->DroppedDown());
    EXPECT_EQ(arbeitgeber()->AsKey(), team->Key());
    EXPECT_EQ(tc->Text(), "Team");
}

TEST_F(TreeComboTest, StoredValueBelowUnopenedLevelsIsSelectedAndShownOnDrop)
{
    arbeitgeber()->set_AsKey(team->Key());
    ASSERT_EQ(tc->ConnectFL(person->FieldList(), false), 1);
    EXPECT_EQ(tc->Text(), "Team");
    ASSERT_NE(tc->Selection(), nullptr);
    EXPECT_EQ(tc->get_SelectedKey(), team->Key());
    EXPECT_FALSE(tc->Tree().IsVisible(tc->Selection()));
    focus();
    key(Qt::Key_F4);
    EXPECT_TRUE(tc->Tree().IsVisible(tc->Selection())); // its branch opened

    // A click picks another node.
    TTreeNode* top = tc->Tree().Root(0);
    click(top);
    EXPECT_FALSE(tc->DroppedDown());
    EXPECT_EQ(arbeitgeber()->AsKey(), konzern->Key());

    // A change elsewhere shows at once.
    arbeitgeber()->set_AsKey(bereich->Key());
    EXPECT_EQ(tc->Text(), "Bereich");
}

// BeforeAdd refuses "Sparte": its child "Bereich" has no parent node and stands at the top, with
// "Team" below it; the user picks it with the keys, and a stored "Team" is found again.
TEST_F(TreeComboTest, ChildrenOfARefusedObjectStandAtTheTop)
{
    std::vector<TQelObjectKey> asked;
    tc->BeforeAdd = [&](TObject*, TQelObjectKey key, TQelObject* obj, bool& accept) {
        asked.push_back(key);
        EXPECT_EQ(obj ? obj->Key() : TQelObjectKey(), key);
        accept = key != sparte->Key();
    };
    ASSERT_EQ(tc->ConnectFL(person->FieldList(), false), 1);
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(std::adjacent_find(asked.begin(), asked.end()), asked.end()) << "each object asked once";
    EXPECT_EQ(asked.size(), 5u);
    ASSERT_EQ(tc->Tree().RootCount(), 2);
    EXPECT_EQ(tc->Tree().Root(0)->Text(), "Konzern");
    EXPECT_EQ(tc->Tree().Root(1)->Text(), "Bereich");

    focus();
    key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(tc->DroppedDown());
    key(Qt::Key_Down); // Konzern
    key(Qt::Key_Right); // opens it: only "Andere Sparte"
    ASSERT_EQ(tc->Tree().Root(0)->Count(), 1);
    EXPECT_EQ(tc->Tree().Root(0)->Item(0)->Text(), "Andere Sparte");
    key(Qt::Key_Down);
    key(Qt::Key_Down); // Bereich
    key(Qt::Key_Right);
    key(Qt::Key_Down); // Team
    ASSERT_NE(tc->Selection(), nullptr);
    EXPECT_EQ(tc->Selection()->Text(), "Team");
    key(Qt::Key_Return);
    EXPECT_EQ(arbeitgeber()->AsKey(), team->Key());
    ASSERT_TRUE(person->Commit()) << person->ErrorMessage();
    sqlite3_stmt* st = nullptr;
    const std::string sql = "SELECT Arbeitgeber FROM Person WHERE K = " + person->Key().ToString();
    ASSERT_EQ(sqlite3_prepare_v2(db->Handle(), sql.c_str(), -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int64(st, 0), team->Key().Id());
    sqlite3_finalize(st);

    // Connected again to the stored value: shown and selected in its lifted branch.
    tc->Disconnect();
    ASSERT_EQ(tc->ConnectFL(person->FieldList(), false), 1);
    EXPECT_EQ(tc->Text(), "Team");
    ASSERT_NE(tc->Selection(), nullptr);
    EXPECT_EQ(tc->get_SelectedKey(), team->Key());
    EXPECT_EQ(tc->Selection()->Parent(), tc->Tree().Root(1));
}

TEST_F(TreeComboTest, NullEntryStoresNoObjectAndTypedTextKeepsTheValue)
{
    tc->set_NullEntry("<keine Firma>");
    arbeitgeber()->set_AsKey(sparte->Key());
    ASSERT_EQ(tc->ConnectFL(person->FieldList(), false), 1);
    ASSERT_EQ(tc->Tree().RootCount(), 2);
    EXPECT_EQ(tc->Tree().Root(0)->Text(), "<keine Firma>");
    focus();
    // Typing a text that names no node changes nothing stored.
    edit()->selectAll();
    QTest::keyClicks(edit(), "Unbekannt");
    EXPECT_EQ(arbeitgeber()->AsKey(), sparte->Key());
    key(Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(tc->Text(), "Sparte"); // leaving shows the stored value again

    focus();
    key(Qt::Key_F4);
    click(tc->Tree().Root(0));
    EXPECT_FALSE(arbeitgeber()->AsKey().Valid());
}

TEST_F(TreeComboTest, CircleOfParentsIsShownOnceAndLogged)
{
    // Konzern's parent becomes Team: a circle without a top, as stored data may hold it.
    ASSERT_EQ(sqlite3_exec(db->Handle(),
                  ("UPDATE Firma SET Mutter = " + team->Key().ToString()
                      + " WHERE K = " + konzern->Key().ToString())
                      .c_str(),
                  nullptr, nullptr, nullptr),
        SQLITE_OK);
    db->LogManager()->Clear();
    arbeitgeber()->set_AsKey(team->Key());
    ASSERT_EQ(tc->ConnectFL(person->FieldList(), false), 1);
    ASSERT_EQ(tc->Tree().RootCount(), 1);
    EXPECT_EQ(tc->Text(), "Team");
    tc->Tree().FullExpand(); // ends: the circle is cut
    EXPECT_EQ(tc->Tree().AllNodes().size(), 5u);
    EXPECT_EQ(db->LogManager()->EntriesOf(QEL_LOG_ERROR).size(), 1u);
}

TEST_F(TreeComboTest, MenuWithoutEditHandlerOffersOnlyDeletion)
{
    arbeitgeber()->set_AsKey(team->Key());
    ASSERT_EQ(tc->ConnectFL(person->FieldList(), false), 1);
    ASSERT_NE(tc->PopupMenu(), nullptr);
    ASSERT_EQ(tc->PopupMenu()->Items()->Count(), 1);
    EXPECT_EQ(tc->PopupMenu()->Items()->Items(0)->Caption(), "Firma 'Team' löschen");

    TScopedScriptedDialogs dialogs;
    dialogs->AnswerBox(IDYES);
    tc->drop_obj_event(nullptr);
    EXPECT_FALSE(arbeitgeber()->AsKey().Valid());
    for (TTreeNode* node : tc->Tree().AllNodes())
        EXPECT_NE(node->Text(), "Team");

    tc->OnEditObj = [](TObject*, TQelObject*) {};
    tc->init_popupmenu();
    EXPECT_EQ(tc->PopupMenu()->Items()->Count(), 1); // "definieren" only: nothing referenced
}

// Deleting the referenced object with the menu's key: a deletion the database refuses keeps the
// reference and says why; one that succeeds clears it; an object that cannot be deleted at all
// is said so without asking.
TEST_F(TreeComboTest, DeleteKeepsTheReferenceUntilTheObjectIsGone)
{
    arbeitgeber()->set_AsKey(team->Key());
    ASSERT_EQ(tc->ConnectFL(person->FieldList(), false), 1);
    focus();
    // The deleted mark of the firm's stored row.
    const auto stored = [&](TQelObjectKey key) {
        sqlite3_stmt* st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db->Handle(),
                      ("SELECT GELOESCHT FROM Firma WHERE K = " + key.ToString()).c_str(), -1, &st, nullptr),
            SQLITE_OK);
        const int deleted = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
        sqlite3_finalize(st);
        return deleted;
    };
    ASSERT_EQ(sqlite3_exec(db->Handle(),
                  "CREATE TEMP TRIGGER keep_firm BEFORE UPDATE OF GELOESCHT ON Firma WHEN NEW.GELOESCHT = 1 "
                  "BEGIN SELECT RAISE(ABORT, 'Firma hat noch Mitarbeiter'); END",
                  nullptr, nullptr, nullptr),
        SQLITE_OK);
    TScopedScriptedDialogs dialogs;
    dialogs->AnswerBox(IDYES); // the reason comes with an OK button only
    key(Qt::Key_L, Qt::ControlModifier);
    QApplication::processEvents();
    ASSERT_EQ(dialogs->Questions().size(), 2u);
    EXPECT_EQ(dialogs->Questions()[0].text, "Soll die Firma 'Team' wirklich gelöscht werden?");
    EXPECT_EQ(dialogs->LastQuestion().text.rfind("Firma 'Team' kann nicht gelöscht werden:\n\n", 0), 0u);
    EXPECT_NE(dialogs->LastQuestion().text.find("Firma hat noch Mitarbeiter"), std::string::npos);
    EXPECT_EQ(arbeitgeber()->AsKey(), team->Key());
    EXPECT_EQ(tc->Text(), "Team");
    EXPECT_EQ(stored(team->Key()), 0);

    ASSERT_EQ(sqlite3_exec(db->Handle(), "DROP TRIGGER keep_firm", nullptr, nullptr, nullptr), SQLITE_OK);
    const TQelObjectKey gone = team->Key();
    dialogs->AnswerBox(IDYES);
    key(Qt::Key_L, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(dialogs->Questions().size(), 3u);
    EXPECT_FALSE(arbeitgeber()->AsKey().Valid());
    EXPECT_EQ(tc->Text(), "");
    for (TTreeNode* node : tc->Tree().AllNodes())
        EXPECT_NE(node->Text(), "Team");
    EXPECT_EQ(stored(gone), 1);

    // Not stored yet: it cannot be deleted, and nothing is asked.
    TQelObject* fresh = create("Firma");
    fresh->FieldByName("Name")->set_AsString("Neu");
    arbeitgeber()->set_AsObject(fresh);
    tc->init_popupmenu();
    key(Qt::Key_L, Qt::ControlModifier);
    QApplication::processEvents();
    ASSERT_EQ(dialogs->Questions().size(), 4u);
    EXPECT_EQ(dialogs->LastQuestion().text.rfind("Firma 'Neu' kann nicht gelöscht werden:\n\n", 0), 0u);
    EXPECT_EQ(arbeitgeber()->get_AsObject(), fresh);
}
