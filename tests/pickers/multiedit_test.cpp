// The multi-edit with real keys: lookup after the pause, completion, "Suchen ..." and "Neu ...",
// tied values drawn underlined in AssignedColor, commit keys and the focus leaving the control.
#include "pickers/Browse.h"
#include "pickers/QelCombo.h"
#include "pickers/qelmultiedit.h"
#include "support/qel_db_fixture.h"
#include "toolkit/tk_test_util.h"

#include "toolkit/scripteddialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

constexpr const char* kMultiEditSchema = R"(
class 50020 Sprache : Objekt table=Sprache format="<Name>" noun=Sprache gender=f plural=Sprachen
  field Name Text length=60
end
)";

class MultiEditTest : public QelDbTest {
protected:
    MultiEditTest()
        : QelDbTest(kMultiEditSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        for (const char* n : { "Deutsch", "Dänisch", "Englisch", "O'Brien%_" })
            language(n);
        before = add<TEdit>(form.get(), "before");
        before->SetBounds(10, 10, 100, 21);
        me = new TQelMultiEdit(form.get());
        me->SetName("me");
        me->SetParent(form.get());
        me->SetBounds(10, 40, 300, 21);
        me->setLookupPause(40);
        me->OnLookup = [this](TObject*, const std::string& text, TStrings* results, int& index) {
            looked.push_back(text);
            // Literal, case-insensitive prefix search over the stored languages.
            for (auto& item : items)
                if (QString::fromStdString(name(item.get()))
                        .startsWith(QString::fromStdString(text), Qt::CaseInsensitive))
                    results->AddObject(name(item.get()), item.get());
            index = completeWith;
        };
        after = add<TEdit>(form.get(), "after");
        after->SetBounds(10, 70, 100, 21);
    }
    void TearDown() override
    {
        delete me;
        QelDbTest::TearDown();
    }
    TQelComboItem* language(const std::string& n)
    {
        TQelObject* o = create("Sprache");
        o->FieldByName("Name")->set_AsString(n);
        EXPECT_TRUE(o->Commit());
        items.push_back(std::make_unique<TQelComboItem>(o->Key()));
        return items.back().get();
    }
    std::string name(TObject* item) const
    {
        auto* i = dynamic_cast<TQelComboItem*>(item);
        TQelObject* o = i ? db->GetObjectA(i->key) : nullptr;
        return o ? o->FieldByName("Name")->AsString() : std::string();
    }
    QLineEdit* line(int i) { return qobject_cast<QLineEdit*>(me->getEditor(i)->Handle()); }
    void focusFirst()
    {
        ASSERT_TRUE(ShowActive(*form));
        line(0)->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(me->getEditor(0)->Focused());
    }
    void type(int editor, const char* text) { QTest::keyClicks(line(editor), QString::fromUtf8(text)); }
    void key(int editor, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(line(editor), k, m);
    }
    std::vector<std::string> rows() { return me->get_ListBox()->Items().ToVector(); }
    void waitPause() { QTest::qWait(120); }

    TEdit* before = nullptr;
    TQelMultiEdit* me = nullptr;
    TEdit* after = nullptr;
    std::vector<std::unique_ptr<TQelComboItem>> items;
    std::vector<std::string> looked;
    int completeWith = 0;
};

} // namespace

TEST_F(MultiEditTest, EmptyControlShowsOneEditorAndTiedValueGetsAFollower)
{
    EXPECT_EQ(me->getEditorsCount(), 1);
    EXPECT_EQ(me->getValues()->Count(), 1);
    TStringList v;
    v.AddObject("Deutsch", items[0].get());
    me->setValues(&v);
    EXPECT_EQ(me->getEditorsCount(), 2); // a new empty editor follows the tied value
    EXPECT_EQ(me->getEditor(0)->Font().Color(), TColor(16711680));
    EXPECT_TRUE(me->getEditor(0)->Font().Style().Contains(fsUnderline));
    EXPECT_FALSE(me->getEditor(1)->Font().Style().Contains(fsUnderline));
    EXPECT_EQ(me->Hint(), "Deutsch");

    me->set_MaxValues(1);
    me->setValues(&v);
    QTest::qWait(20); // surplus editors go after the current input
    EXPECT_EQ(me->getEditorsCount(), 1);
}

TEST_F(MultiEditTest, CaptionStandsLeftOfTheControlVerticallyCentred)
{
    me->SetBounds(120, 40, 300, 21);
    me->set_LabelCaption("Sprachen");
    ASSERT_TRUE(ShowActive(*form));
    QWidget* label = me->EditLabel().Handle();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->geometry().right() + 1 + 3, me->Left());
    EXPECT_LE(std::abs(label->geometry().center().y() - (me->Top() + me->Height() / 2)), 1);
}

TEST_F(MultiEditTest, LookupAfterThePauseCompletesWithTheTailSelected)
{
    focusFirst();
    type(0, "de");
    QApplication::processEvents();
    EXPECT_TRUE(looked.empty()); // still typing
    waitPause();
    ASSERT_EQ(looked, std::vector<std::string>({ "de" }));
    EXPECT_EQ(me->getEditor(0)->Text(), "deutsch");
    EXPECT_EQ(line(0)->selectedText(), "utsch");
    EXPECT_EQ(me->getEditor(0)->TagObject, items[0].get());
    EXPECT_EQ(rows(), std::vector<std::string>({ "Suchen ...", "Neu ...", "Deutsch" }));
    EXPECT_TRUE(me->get_DroppedDown());

    // Enter ties the value to the hit; a new editor follows and takes the focus.
    key(0, Qt::Key_Return);
    EXPECT_EQ(me->getValues()->Get(0), "Deutsch");
    EXPECT_EQ(me->getValues()->Objects(0), items[0].get());
    ASSERT_EQ(me->getEditorsCount(), 2);
    EXPECT_TRUE(me->getEditor(1)->Focused());
    EXPECT_TRUE(me->getEditor(0)->Font().Style().Contains(fsUnderline));

    // Typing in a tied value unties it.
    line(0)->setFocus();
    QApplication::processEvents();
    line(0)->end(false);
    type(0, "x");
    EXPECT_EQ(me->getValues()->Objects(0), nullptr);
    EXPECT_EQ(me->getValues()->Get(0), "Deutschx");
    EXPECT_FALSE(me->getEditor(0)->Font().Style().Contains(fsUnderline));
}

// A key that moves the caret inside a value shows the offers again after another key hid them.
TEST_F(MultiEditTest, CaretKeysShowTheListAgain)
{
    focusFirst();
    type(0, "de");
    ASSERT_TRUE(me->get_DroppedDown());
    key(0, Qt::Key_Home);
    ASSERT_FALSE(me->get_DroppedDown());
    key(0, Qt::Key_Right);
    EXPECT_TRUE(me->get_DroppedDown());
    EXPECT_EQ(line(0)->cursorPosition(), 1);
    EXPECT_TRUE(me->getEditor(0)->Focused());
    EXPECT_EQ(me->getValues()->Get(0), "de");
}

// The completion adds what follows the typed text in the hit, found in the hit itself: "GROSS"
// spells the four characters "Groß".
TEST_F(MultiEditTest, CompletionCountsTheTypedTextInTheHit)
{
    language("Großbritannisch");
    me->OnLookup = [this](TObject*, const std::string& text, TStrings* results, int& index) {
        for (auto& item : items)
            if (TextStartsWithCI(name(item.get()), text))
                results->AddObject(name(item.get()), item.get());
        index = 0;
    };
    focusFirst();
    type(0, "GROSS");
    waitPause();
    EXPECT_EQ(me->getEditor(0)->Text(), "GROSSbritannisch");
    EXPECT_EQ(line(0)->selectedText(), "britannisch");
    line(0)->selectAll();
    type(0, "großb");
    waitPause();
    EXPECT_EQ(me->getEditor(0)->Text(), "großbritannisch");
    EXPECT_EQ(line(0)->selectedText(), "ritannisch");
}

TEST_F(MultiEditTest, DownArrowChoosesAHitAndSemicolonEndsAValue)
{
    focusFirst();
    type(0, "d");
    waitPause();
    ASSERT_EQ(rows(), std::vector<std::string>({ "Suchen ...", "Neu ...", "Dänisch", "Deutsch" }));
    key(0, Qt::Key_Down); // "Suchen ..." row: the editor keeps the text
    EXPECT_EQ(me->getEditor(0)->Text(), "dänisch"); // completed with the first hit
    key(0, Qt::Key_Down);
    key(0, Qt::Key_Down);
    key(0, Qt::Key_Down);
    EXPECT_EQ(me->getEditor(0)->Text(), "Deutsch");
    key(0, Qt::Key_Down); // clamped at the last row
    EXPECT_EQ(me->get_ListBox()->ItemIndex(), 3);
    key(0, Qt::Key_Return);
    EXPECT_EQ(me->getValues()->Objects(0), items[0].get());
    // The next editor offers only the commands, not the hits of the value before.
    EXPECT_TRUE(me->getEditor(1)->Focused());
    EXPECT_EQ(rows(), std::vector<std::string>({ "Suchen ...", "Neu ..." }));

    type(1, "eng;");
    EXPECT_EQ(me->getValues()->Get(1), "Englisch");
    EXPECT_EQ(me->getValues()->Objects(1), items[2].get());
    EXPECT_EQ(me->Hint(), "Deutsch; Englisch");
    EXPECT_EQ(me->getEditorsCount(), 3);
}

TEST_F(MultiEditTest, TabLeavesWhenAllTiedAndShiftTabGoesBack)
{
    TStringList v;
    v.AddObject("Deutsch", items[0].get());
    me->setValues(&v);
    focusFirst();
    key(0, Qt::Key_Tab);
    EXPECT_TRUE(me->getEditor(1)->Focused());
    key(1, Qt::Key_Tab); // the last editor is empty and every value is tied
    QApplication::processEvents();
    EXPECT_TRUE(after->Focused());

    line(0)->setFocus();
    QApplication::processEvents();
    key(0, Qt::Key_Tab, Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_TRUE(before->Focused());
}

TEST_F(MultiEditTest, NoEntriesRowDoesNothing)
{
    me->set_SuchEintrag(false);
    me->set_NeuEintrag(false);
    focusFirst();
    type(0, "zz");
    waitPause();
    EXPECT_EQ(rows(), std::vector<std::string>({ "< Keine Einträge vorhanden >" }));
    int changes = 0;
    me->OnChange = [&](TObject*) { ++changes; };
    key(0, Qt::Key_Down);
    key(0, Qt::Key_Return);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(me->getValues()->Get(0), "zz");
    EXPECT_EQ(me->getValues()->Objects(0), nullptr);
}

TEST_F(MultiEditTest, NeuCreatesAnObjectAndTiesTheValue)
{
    std::string asked;
    me->OnNew = [&](TObject*, std::string& text, TObject*& obj) {
        asked = text;
        TQelComboItem* item = language(text);
        obj = item;
    };
    focusFirst();
    type(0, "Finnisch");
    waitPause();
    ASSERT_EQ(rows()[1], "Neu ...");
    key(0, Qt::Key_Down);
    key(0, Qt::Key_Down);
    key(0, Qt::Key_Return);
    EXPECT_EQ(asked, "Finnisch");
    EXPECT_EQ(me->getValues()->Get(0), "Finnisch");
    ASSERT_NE(me->getValues()->Objects(0), nullptr);
    EXPECT_EQ(name(me->getValues()->Objects(0)), "Finnisch"); // the new object exists
    EXPECT_TRUE(me->getEditor(0)->Font().Style().Contains(fsUnderline));
}

TEST_F(MultiEditTest, LeavingWithTheNeuRowSelectedCreatesNothing)
{
    int created = 0, searched = 0;
    me->OnNew = [&](TObject*, std::string&, TObject*&) { ++created; };
    me->OnSearch = [&](TObject*, std::string&, TObject*&) { ++searched; };
    focusFirst();
    type(0, "Finnisch");
    waitPause();
    key(0, Qt::Key_Down);
    key(0, Qt::Key_Down); // "Neu ..." is selected
    QTest::mouseClick(qobject_cast<QLineEdit*>(after->Handle()), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(created, 0);
    EXPECT_EQ(me->getValues()->Get(0), "Finnisch");
    EXPECT_EQ(me->getValues()->Objects(0), nullptr) << "free text";
    // The same with "Suchen ...".
    line(0)->setFocus();
    QApplication::processEvents();
    key(0, Qt::Key_Down);
    QTest::mouseClick(qobject_cast<QLineEdit*>(after->Handle()), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(searched, 0);
}

TEST_F(MultiEditTest, SuchenWithoutAnObjectLeavesFreeTextAndAutoCreateRunsOnEnter)
{
    int searched = 0;
    me->OnSearch = [&](TObject*, std::string&, TObject*& obj) { ++searched, obj = nullptr; };
    focusFirst();
    type(0, "Xhosa");
    waitPause();
    key(0, Qt::Key_Down);
    key(0, Qt::Key_Return);
    EXPECT_EQ(searched, 1);
    EXPECT_EQ(me->getValues()->Objects(0), nullptr);
    EXPECT_EQ(me->getValues()->Get(0), "Xhosa");

    me->set_MultiEditOptions(TQelMultiEditOptions { meoAutoCreate });
    me->OnNew = [&](TObject*, std::string& text, TObject*& obj) {
        text = "Xhosa (neu)";
        obj = language(text);
    };
    line(0)->setFocus();
    QApplication::processEvents();
    key(0, Qt::Key_Return);
    EXPECT_EQ(me->getValues()->Get(0), "Xhosa (neu)");
    EXPECT_NE(me->getValues()->Objects(0), nullptr);
}

TEST_F(MultiEditTest, HostileTextsReachTheLookupLiterally)
{
    focusFirst();
    type(0, "o'brien%");
    waitPause();
    ASSERT_FALSE(looked.empty());
    EXPECT_EQ(looked.back(), "o'brien%");
    EXPECT_EQ(me->getEditor(0)->Text(), "o'brien%_");
    key(0, Qt::Key_Return);
    EXPECT_EQ(me->getValues()->Objects(0), items[3].get());
}

TEST_F(MultiEditTest, HooksOpenAndEditorExit)
{
    TStringList v;
    v.AddObject("Deutsch", items[0].get());
    me->setValues(&v);
    TObject* opened = nullptr;
    me->OnOpenObject = [&](TObject*, TObject* obj) { opened = obj; };
    me->OnEditorExit = [&](TObject*, std::string& text) { text += "!"; };
    focusFirst();
    QTest::mouseDClick(line(0), Qt::LeftButton);
    EXPECT_EQ(opened, items[0].get());
    line(1)->setFocus(); // leaving the tied editor lets the hook change its text
    QApplication::processEvents();
    EXPECT_EQ(me->getEditor(0)->Text(), "Deutsch!");
    EXPECT_EQ(me->getValues()->Get(0), "Deutsch!");
}

// Bounded fuzz: random key strokes never crash and the values stay consistent with the editors.
TEST_F(MultiEditTest, RandomKeysKeepValuesAndEditorsInStep)
{
    me->setLookupPause(1);
    me->OnNew = [&](TObject*, std::string& text, TObject*& obj) { obj = language(text); };
    focusFirst();
    const Qt::Key keys[] = { Qt::Key_Return, Qt::Key_Tab, Qt::Key_Backspace, Qt::Key_Left, Qt::Key_Right,
        Qt::Key_Down, Qt::Key_Up };
    const char* texts[] = { "d", "'", ";", "%", "ä", "e" };
    unsigned seed = 7;
    for (int step = 0; step < 300; ++step) {
        seed = seed * 1103515245u + 12345u;
        TQelSpecialAdvEdit* cur = me->getCurrentEditor();
        ASSERT_NE(cur, nullptr);
        auto* w = qobject_cast<QLineEdit*>(cur->Handle());
        if (seed % 3 == 0)
            QTest::keyClick(w, keys[(seed >> 8) % 7]);
        else if (const char* t = texts[(seed >> 8) % 6]; t[0] & 0x80)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key(0xC4), QString::fromUtf8(t), Qt::NoModifier);
        else
            QTest::keyClicks(w, QString::fromUtf8(t));
        if (step % 25 == 0)
            QTest::qWait(5);
        if (!me->getEditor(0)->Focused() && me->getCurrentEditor())
            qobject_cast<QLineEdit*>(me->getCurrentEditor()->Handle())->setFocus();
    }
    QTest::qWait(10);
    ASSERT_GE(me->getEditorsCount(), me->getValues()->Count());
    for (int i = 0; i < me->getValues()->Count(); ++i)
        EXPECT_EQ(me->getEditor(i)->Text(), me->getValues()->Get(i)) << i;
}

TEST(BrowseForFolderTest, ScriptedFolderIsTakenAndInvalidOnesRefused)
{
    TScopedScriptedDialogs dialogs;
    const std::string dir = std::filesystem::temp_directory_path().string();
    std::string folder = std::string(300, 'x');
    dialogs->AnswerFolder(dir);
    EXPECT_TRUE(BrowseForFolder(nullptr, folder));
    EXPECT_EQ(folder, dir);
    EXPECT_EQ(dialogs->LastQuestion().caption, "Wählen Sie bitte einen Ordner.");

    dialogs->AnswerFolder(dir + "/gibt-es-nicht");
    EXPECT_FALSE(BrowseForFolder(nullptr, folder, "Exportordner"));
    EXPECT_EQ(folder, dir); // unchanged
    EXPECT_EQ(dialogs->LastQuestion().text, "Ungültiger Ordner: " + dir + "/gibt-es-nicht");

    dialogs->CancelFolder();
    EXPECT_FALSE(BrowseForFolder(nullptr, folder, "Exportordner"));
    EXPECT_EQ(folder, dir);
}
