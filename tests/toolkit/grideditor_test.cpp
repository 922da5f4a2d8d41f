// In-place editing: built-in editor kinds, the edit-link lifecycle and EditMode.
#include "grid_fixture.h"
#include "support/typing.h"

#include "toolkit/editlink.h"
#include "toolkit/qtbridge.h"
#include "toolkit/stdctrls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

namespace {

// A windowed control that shows a line edit; the editor the test link creates.
class TLineControl : public TCustomControl {
public:
    explicit TLineControl(TComponent* owner)
        : TCustomControl(owner, new TBridgeWidget<QLineEdit>())
    {
    }
    QLineEdit* line() const { return static_cast<QLineEdit*>(Handle()); }
};

class TTestLink : public TEditLink {
public:
    using TEditLink::TEditLink;
    int created = 0, destroyed = 0;
    std::vector<std::string> calls;
    TLineControl* editor = nullptr;

    void CreateEditor(TWinControl* parent) override
    {
        calls.push_back("CreateEditor");
        editor = new TLineControl(Grid());
        editor->SetParent(parent);
        ++created;
    }
    void DestroyEditor() override
    {
        calls.push_back("DestroyEditor");
        delete editor;
        editor = nullptr;
        ++destroyed;
    }
    TWinControl* GetEditControl() override { return editor; }
    void SetProperties() override { calls.push_back("SetProperties"); }
    void SetRect(TRect r) override
    {
        calls.push_back("SetRect");
        TEditLink::SetRect(r);
    }
    std::string GetEditorValue() override { return editor ? FromQString(editor->line()->text()) : ""; }
    void SetEditorValue(const std::string& v) override
    {
        calls.push_back("SetEditorValue");
        editor->line()->setText(ToQString(v));
    }
};

} // namespace

TEST_F(GridTest, LinkEditorLivesExactlyWhileTheCellIsEdited)
{
    TTestLink link(grid);
    grid->SetEditLink(&link);
    grid->editorFor2 = edCustom;
    grid->SetOptions(grid->Options() << goEditing);
    int exits = 0, enters = 0;
    grid->OnExit = [&](TObject*) { ++exits; };
    grid->OnEnter = [&](TObject*) { ++enters; };
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, cellPoint(2, 3));
    QTest::mouseDClick(viewport(), Qt::LeftButton, {}, cellPoint(2, 3));
    ASSERT_EQ(link.created, 1);
    ASSERT_NE(link.editor, nullptr);
    EXPECT_EQ(link.Grid(), grid);
    EXPECT_EQ((std::vector<std::string> { "CreateEditor", "SetProperties", "SetRect", "SetEditorValue" }),
        std::vector<std::string>(link.calls.begin(), link.calls.begin() + 4));
    EXPECT_TRUE(grid->EditorMode());
    EXPECT_EQ(link.editor->line()->text(), "2/3");
    EXPECT_TRUE(link.editor->line()->hasFocus());
    EXPECT_TRUE(link.editor->line()->isVisible());
    const QRect cell = link.editor->line()->geometry();
    EXPECT_EQ(cell.topLeft(), cellPoint(2, 3, 0) - QPoint(0, cell.height() / 2));

    link.editor->line()->selectAll();
    QTest::keyClicks(link.editor->line(), "Neu");
    EXPECT_TRUE(grid->edits.empty()); // a link hands its value back only when closing
    QTest::keyClick(link.editor->line(), Qt::Key_Return);
    settle();
    EXPECT_EQ(link.destroyed, 1);
    EXPECT_EQ(link.editor, nullptr);
    EXPECT_FALSE(grid->EditorMode());
    ASSERT_EQ(grid->edits.size(), 1u);
    EXPECT_EQ(grid->edits[0].col, 2);
    EXPECT_EQ(grid->edits[0].row, 3);
    EXPECT_EQ(grid->edits[0].value, "Neu");
    EXPECT_EQ(grid->GetCellsEx(2, 3), "Neu");
    EXPECT_EQ(link.Grid(), nullptr);
    EXPECT_TRUE(grid->Handle()->hasFocus());
    // The editor is part of the grid: focus moving into it and back is no exit or enter.
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(enters, 0);

    // Escape cancels: destroyed without a value. Down commits and moves on.
    key(Qt::Key_F2);
    ASSERT_EQ(link.created, 2);
    QTest::keyClicks(link.editor->line(), "verworfen");
    QTest::keyClick(link.editor->line(), Qt::Key_Escape);
    settle();
    EXPECT_EQ(link.destroyed, 2);
    EXPECT_EQ(grid->GetCellsEx(2, 3), "Neu");
    EXPECT_EQ(grid->edits.size(), 1u);
    key(Qt::Key_F2);
    link.editor->line()->setText("unten");
    QTest::keyClick(link.editor->line(), Qt::Key_Down);
    settle();
    EXPECT_EQ(link.destroyed, 3);
    EXPECT_EQ(grid->GetCellsEx(2, 3), "unten");
    EXPECT_EQ(grid->Row(), 4);

    // Left and right stay in the editor (the link wants them); losing the focus closes it.
    key(Qt::Key_F2);
    QTest::keyClick(link.editor->line(), Qt::Key_Left);
    EXPECT_TRUE(grid->EditorMode());
    click(0, 1);
    settle();
    EXPECT_EQ(link.destroyed, 4);
    EXPECT_EQ(grid->Col(), 0);
}

TEST_F(GridTest, PlainEditorWritesEveryChangeAndEscapeRestores)
{
    grid->SetOptions(grid->Options() << goEditing);
    click(1, 2);
    QTest::keyClick(QApplication::focusWidget(), 'a'); // typing opens the editor
    QTest::keyClick(QApplication::focusWidget(), 'b');
    auto* line = qobject_cast<QLineEdit*>(grid->InplaceEditorWidget());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), "ab");
    EXPECT_EQ(grid->GetCellsEx(1, 2), "ab");
    ASSERT_EQ(grid->edits.size(), 2u);
    QTest::keyClick(line, Qt::Key_Escape);
    settle();
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(grid->GetCellsEx(1, 2), "1/2");
    // F2 keeps the text; Tab is not for the grid here, Enter closes.
    key(Qt::Key_F2);
    line = qobject_cast<QLineEdit*>(grid->InplaceEditorWidget());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), "1/2");
    line->end(false);
    QTest::keyClicks(line, "x");
    QTest::keyClick(line, Qt::Key_Return);
    settle();
    EXPECT_EQ(grid->GetCellsEx(1, 2), "1/2x");
}

// Typing over a cell replaces its text; F2, Enter and a double click keep it with the caret after
// it; a click on the current cell selects it. The same for a link's editor control and the grid's
// own editor.
TEST_F(GridTest, TypingReplacesTheTextAndF2OrADoubleClickExtendIt)
{
    TTestLink link(grid);
    grid->SetEditLink(&link);
    grid->editorFor2 = edCustom;
    grid->SetOptions(grid->Options() << goEditing);
    const auto line = [&]() -> QLineEdit* {
        QWidget* w = grid->InplaceEditorWidget();
        return w ? qobject_cast<QLineEdit*>(w) : nullptr;
    };
    for (int col : { 2, 1 }) {
        SCOPED_TRACE(col == 2 ? "link editor" : "own editor");
        const std::string before = std::to_string(col) + "/";
        // Typing on a cell that is not being edited.
        click(col, 1);
        ASSERT_FALSE(grid->EditorMode());
        TypeWhereTheFocusIs("Zoë 1");
        ASSERT_NE(line(), nullptr);
        EXPECT_EQ(line()->text(), "Zoë 1");
        key(Qt::Key_Return);
        settle();
        EXPECT_EQ(grid->GetCellsEx(col, 1), "Zoë 1");
        // F2 and Enter keep the text, the caret after it.
        click(col, 2);
        key(Qt::Key_F2);
        ASSERT_NE(line(), nullptr);
        EXPECT_FALSE(line()->hasSelectedText());
        TypeWhereTheFocusIs("a");
        key(Qt::Key_Return);
        settle();
        EXPECT_EQ(grid->GetCellsEx(col, 2), before + "2a");
        key(Qt::Key_Return);
        ASSERT_NE(line(), nullptr);
        TypeWhereTheFocusIs("b");
        key(Qt::Key_Return);
        settle();
        EXPECT_EQ(grid->GetCellsEx(col, 2), before + "2ab");
        // A click on the current cell: the text is selected, typing replaces it.
        click(col, 3);
        click(col, 3);
        ASSERT_NE(line(), nullptr);
        EXPECT_EQ(line()->selectedText(), QString::fromStdString(before + "3"));
        TypeWhereTheFocusIs("c");
        key(Qt::Key_Return);
        settle();
        EXPECT_EQ(grid->GetCellsEx(col, 3), "c");
        // A double click on another cell, and on the cell being edited, keeps the text.
        click(col, 4);
        QTest::mouseDClick(viewport(), Qt::LeftButton, {}, cellPoint(col, 4));
        ASSERT_NE(line(), nullptr);
        EXPECT_FALSE(line()->hasSelectedText());
        TypeWhereTheFocusIs("d");
        key(Qt::Key_Return);
        settle();
        EXPECT_EQ(grid->GetCellsEx(col, 4), before + "4d");
        click(col, 5);
        click(col, 5);
        ASSERT_NE(line(), nullptr);
        QTest::mouseDClick(line(), Qt::LeftButton, {}, QPoint(4, line()->height() / 2));
        EXPECT_FALSE(line()->hasSelectedText());
        TypeWhereTheFocusIs("e");
        key(Qt::Key_Return);
        settle();
        EXPECT_EQ(grid->GetCellsEx(col, 5), before + "5e");
    }
}

TEST_F(GridTest, ReadOnlyCellsAndEditModeDecideWhetherAnEditorOpens)
{
    grid->readOnlyCol = 1;
    click(1, 2);
    key(Qt::Key_F2);
    EXPECT_FALSE(grid->EditorMode()); // no goEditing yet
    grid->SetEditMode(true);
    EXPECT_TRUE(grid->Options().Contains(goEditing));
    EXPECT_FALSE(grid->EditorMode()); // column 1 answers "not editable"
    click(0, 2);
    grid->SetEditMode(false);
    grid->SetEditMode(true);
    EXPECT_TRUE(grid->EditorMode());
    grid->SetEditMode(false);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_FALSE(grid->Options().Contains(goEditing));
    grid->editorFor2 = edNone;
    grid->SetEditMode(true);
    click(2, 2);
    key(Qt::Key_F2);
    EXPECT_FALSE(grid->EditorMode());
}

TEST_F(GridTest, ComboEditorsUseTheGridListAndKeepUnknownValues)
{
    grid->SetOptions(grid->Options() << goEditing);
    grid->AddComboString("Anna");
    grid->AddComboString("Bernd");
    std::vector<std::pair<int, std::string>> chosen;
    grid->OnComboChange
        = [&](TObject*, int, int, int index, std::string s) { chosen.emplace_back(index, s); };
    grid->editorFor2 = edComboList;
    grid->SetCellsEx(2, 2, "Fremd");
    click(2, 2);
    key(Qt::Key_F2);
    auto* combo = qobject_cast<QComboBox*>(grid->InplaceEditorWidget());
    ASSERT_NE(combo, nullptr);
    EXPECT_FALSE(combo->isEditable());
    EXPECT_EQ(combo->currentText(), "Fremd");
    QTest::keyClick(combo, Qt::Key_Escape);
    settle();
    EXPECT_EQ(grid->GetCellsEx(2, 2), "Fremd"); // not silently replaced by a list entry
    key(Qt::Key_F2);
    combo = qobject_cast<QComboBox*>(grid->InplaceEditorWidget());
    QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0].second, "Anna");
    EXPECT_EQ(grid->GetCellsEx(2, 2), "Anna");
    QTest::keyClick(combo, Qt::Key_Return);
    settle();
    EXPECT_FALSE(grid->EditorMode());

    grid->editorFor2 = edComboEdit;
    key(Qt::Key_F2);
    combo = qobject_cast<QComboBox*>(grid->InplaceEditorWidget());
    ASSERT_TRUE(combo && combo->isEditable());
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "Frei");
    EXPECT_EQ(grid->GetCellsEx(2, 2), "Frei");
}

TEST_F(GridTest, EllipsisAndCheckBoxEditors)
{
    grid->SetOptions(grid->Options() << goEditing);
    grid->editorFor2 = edEditBtn;
    grid->SetEditButtonCaption("...");
    click(2, 1);
    key(Qt::Key_F2);
    auto* button = grid->InplaceEditorWidget()->findChild<QToolButton*>();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "...");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(grid->GetCellsEx(2, 1), "gewählt");
    QTest::keyClick(grid->InplaceEditorWidget()->findChild<QLineEdit*>(), Qt::Key_Return);
    settle();

    grid->editorFor2 = edCheckBox;
    grid->SetCellsEx(2, 1, "0");
    key(Qt::Key_F2);
    auto* box = qobject_cast<QCheckBox*>(grid->InplaceEditorWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isChecked());
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_EQ(grid->GetCellsEx(2, 1), "1");
}

TEST_F(GridTest, NumericEditorRefusesLetters)
{
    grid->SetOptions(grid->Options() << goEditing);
    grid->editorFor2 = edPositiveNumeric;
    click(2, 1);
    key(Qt::Key_F2);
    auto* line = qobject_cast<QLineEdit*>(grid->InplaceEditorWidget());
    ASSERT_NE(line, nullptr);
    line->clear();
    QTest::keyClicks(line, "1a-2");
    EXPECT_EQ(line->text(), "12");
}

TEST_F(GridTest, FreeingTheLinkWhileItsEditorIsOpenClosesTheEditor)
{
    auto* link = new TTestLink(nullptr);
    grid->SetEditLink(link);
    grid->editorFor2 = edCustom;
    grid->SetOptions(grid->Options() << goEditing);
    click(2, 2);
    key(Qt::Key_F2);
    ASSERT_TRUE(grid->EditorMode());
    TLineControl* editor = link->editor;
    delete link;
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(grid->EditLink(), nullptr);
    delete editor;
    key(Qt::Key_F2); // falls back to the plain editor
    EXPECT_NE(qobject_cast<QLineEdit*>(grid->InplaceEditorWidget()), nullptr);
}

TEST_F(GridTest, EscapeInAnEditorIsNotTheFormsCancelKey)
{
    auto* cancel = new TButton(form.get());
    cancel->SetParent(form.get());
    cancel->SetCancel(true);
    int clicks = 0;
    cancel->OnClick = [&](TObject*) { ++clicks; };
    grid->SetOptions(grid->Options() << goEditing);
    click(1, 1);
    key(Qt::Key_F2);
    ASSERT_TRUE(grid->EditorMode());
    QTest::keyClick(grid->InplaceEditorWidget(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(clicks, 0);
    key(Qt::Key_Escape); // without an editor the form's cancel button gets it
    EXPECT_EQ(clicks, 1);
}
