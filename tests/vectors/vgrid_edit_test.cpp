// Editing through the vector grid: in-place editors with real keys, Escape, the add row, max
// count, insert/copy/delete/move keeping positions through a commit and reopening, the standard
// mark, deactivation, an open editor during delete and move, references and the popup menus.
#include "support/private_dir.h"
#include "support/typing.h"
#include "vgrid_fixture.h"

#include <QComboBox>
#include <QDir>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

class VGridEdit : public VGridThree {
protected:
    // Opens the editor on (col, row) and types `text` after what it holds.
    void typeInto(int col, int row, const QString& text)
    {
        click(col, row);
        key(Qt::Key_F2);
        QLineEdit* line = editorLine();
        ASSERT_NE(line, nullptr) << "no in-place editor on " << col << "," << row;
        QTest::keyClick(line, Qt::Key_End);
        QTest::keyClicks(line, text);
        settle();
    }
};

// The files the grid had opened with their program.
std::vector<std::string> opened(TScriptedDialogs& dialogs)
{
    std::vector<std::string> files;
    for (const auto& q : dialogs.Questions())
        if (q.kind == TScriptedDialogs::TKind::OpenWithProgram)
            files.push_back(q.text);
    return files;
}

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace

TEST_F(VGridEdit, TypingWritesTheElementsFieldAndEscapeRestoresIt)
{
    connect();
    typeInto(1, 2, "-Deutz");
    key(Qt::Key_Return);
    EXPECT_EQ(addresses()->Item(2)->FieldList()->FieldByName("Ort")->AsString(), "Köln-Deutz");
    EXPECT_EQ(grid->Cells(1, 2), "Köln-Deutz");
    EXPECT_EQ(orte(), "Bonn,Köln-Deutz,Ulm") << "no other element changed";

    ASSERT_TRUE(person->Commit()) << person->ErrorMessage();
    typeInto(1, 1, "xyz");
    EXPECT_EQ(addresses()->Item(1)->FieldList()->FieldByName("Ort")->AsString(), "Bonnxyz")
        << "the editor writes as it goes";
    key(Qt::Key_Escape);
    key(Qt::Key_Escape);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(addresses()->Item(1)->FieldList()->FieldByName("Ort")->AsString(), "Bonn");
    EXPECT_EQ(grid->Cells(1, 1), "Bonn");
}

// Typing over a cell replaces its text, whether the cell's editor is open (a click on the
// current cell) or the first key opens it.
TEST_F(VGridEdit, TypingOverACellReplacesItsText)
{
    connect();
    click(1, 2);
    ASSERT_FALSE(grid->EditorMode());
    TypeWhereTheFocusIs("Düren");
    key(Qt::Key_Tab);
    EXPECT_EQ(orte(), "Bonn,Düren,Ulm");
    EXPECT_EQ(grid->Cells(1, 2), "Düren");
    click(1, 3);
    click(1, 3);
    ASSERT_TRUE(grid->EditorMode());
    TypeWhereTheFocusIs("Aalen");
    key(Qt::Key_Return);
    EXPECT_EQ(orte(), "Bonn,Düren,Aalen");
    EXPECT_EQ(grid->Cells(1, 3), "Aalen");
}

// A value that reads like mark-up is shown literally, and edited as it is: opening and closing
// the editor changes nothing.
TEST_F(VGridEdit, AValueThatLooksLikeMarkupIsEditedAsItIs)
{
    TQelField* ort = addresses()->Item(2)->FieldList()->FieldByName("Ort");
    ort->set_AsString("<i>Köln</i> & Co");
    connect();
    click(1, 2);
    key(Qt::Key_F2);
    ASSERT_NE(editorLine(), nullptr);
    EXPECT_EQ(editorLine()->text(), "<i>Köln</i> & Co");
    EXPECT_EQ(ort->AsString(), "<i>Köln</i> & Co");
    key(Qt::Key_Return);
    EXPECT_EQ(ort->AsString(), "<i>Köln</i> & Co");
    TypeWhereTheFocusIs("<b>");
    key(Qt::Key_Tab);
    EXPECT_EQ(ort->AsString(), "<b>");
    EXPECT_EQ(orte(), "Bonn,<b>,Ulm");
}

TEST_F(VGridEdit, ChoiceColumnsEditThroughACombo)
{
    connect();
    click(2, 1);
    key(Qt::Key_F2);
    ASSERT_TRUE(grid->EditorMode());
    QWidget* editor = grid->InplaceEditorWidget();
    ASSERT_NE(editor, nullptr);
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (!combo)
        combo = editor->findChild<QComboBox*>();
    ASSERT_NE(combo, nullptr) << editor->metaObject()->className();
    const int buero = combo->findText(QStringLiteral("Büro"));
    ASSERT_GE(buero, 0);
    combo->setFocus();
    while (combo->currentIndex() < buero)
        QTest::keyClick(combo, Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(addresses()->Item(1)->FieldList()->FieldByName("Art")->AsString(), "Büro");
    EXPECT_EQ(addresses()->Item(2)->FieldList()->FieldByName("Art")->AsString(), "");
    EXPECT_EQ(grid->Cells(2, 1), "Büro");
}

TEST_F(VGridEdit, ReferencesAreNeverEditedInPlaceButChosen)
{
    TQelObject* firma = create("Firma");
    firma->FieldList()->FieldByName("Name")->set_AsString("ACME");
    int asked = 0;
    grid->OnChooseObject = TQelVGChooseObjectEvent([&](TObject*, TQelClassKey cls, TQelObjectKey& key) {
        ++asked;
        EXPECT_EQ(cls, db->FindClass("Firma")->Key());
        key = asked == 1 ? TQelObjectKey() : firma->Key();
    });
    connect();
    click(3, 2);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(addresses()->Item(2)->FieldList()->FieldByName("Firma")->Null())
        << "a key of 0 keeps the field";
    key(Qt::Key_F2);
    EXPECT_FALSE(grid->EditorMode());
    key(Qt::Key_Space);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(grid->Cells(3, 2), "<A href=\"\">ACME</A>");
    EXPECT_EQ(grid->current_key(), firma->Key());

    // The reference menu names the class and the object.
    click(3, 2, Qt::RightButton);
    TMenuItem* items = grid->ReferenceMenu()->Items();
    EXPECT_EQ(items->Items(0)->Caption(), "Firma auswählen...");
    EXPECT_EQ(items->Items(2)->Caption(), "Firma \"ACME\" ansehen/bearbeiten...");
    EXPECT_FALSE(items->Items(2)->Enabled()) << "no OnOpenObject";
    grid->ReferenceMenu()->CloseMenu();
    items->Items(1)->Click();
    EXPECT_TRUE(addresses()->Item(2)->FieldList()->FieldByName("Firma")->Null());
}

TEST_F(VGridEdit, AddRowCreatesExactlyOneElementAndRefusesBeyondMax)
{
    int added = 0;
    grid->OnAddItem = TQelVGAddItemEvent([&](TObject*, TQelSubObject*) { ++added; });
    connect();
    click(0, 4);
    EXPECT_EQ(addresses()->Count(), 4);
    EXPECT_EQ(added, 1);
    EXPECT_EQ(grid->RowCount(), 6);
    EXPECT_EQ(grid->Row(), 4) << "the cursor goes to the new element";
    EXPECT_TRUE(dialogs->Questions().empty());

    click(0, 5);
    EXPECT_EQ(addresses()->Count(), 4) << "max=4";
    ASSERT_EQ(dialogs->Questions().size(), 1u);
    EXPECT_EQ(dialogs->Questions()[0].text, "Maximale Anzahl der Einträge erreicht!");
}

// The add row and the delete question name the elements in the gender of their noun: the
// class's, or the one NameInfo gives (a bare noun takes the forms of its class).
TEST_F(VGridEdit, ElementTextsDeclineTheNounOfItsGender)
{
    grid->set_NameInfo("Wohnsitz gender=m plural=Wohnsitze");
    connect();
    EXPECT_EQ(grid->Cells(0, 4), "<A href=\"\">Weiteren Wohnsitz hinzufügen</A>");
    click(1, 2, Qt::RightButton);
    TMenuItem* remove = grid->ElementMenu()->Items()->Find("Element löschen");
    ASSERT_NE(remove, nullptr);
    grid->ElementMenu()->CloseMenu();
    dialogs->AnswerBox(IDYES);
    remove->Click();
    ASSERT_EQ(dialogs->Questions().size(), 1u);
    EXPECT_EQ(dialogs->Questions()[0].text, "Soll der gewählte Wohnsitz (Köln) wirklich gelöscht werden?");
    EXPECT_EQ(orte(), "Bonn,Ulm");

    grid->set_NameInfo("Sitz gender=m");
    grid->Reload();
    EXPECT_EQ(grid->Cells(0, 3), "<A href=\"\">Weiteren Sitz hinzufügen</A>");
    grid->set_NameInfo("Wohnsitz");
    grid->Reload();
    EXPECT_EQ(grid->Cells(0, 3), "<A href=\"\">Weiteren Wohnsitz hinzufügen</A>");
    grid->set_NameInfo("");
    grid->set_FieldPath("Konten");
    settle();
    EXPECT_EQ(grid->Cells(0, 1), "<A href=\"\">Weiteres Konto hinzufügen</A>");
    grid->set_NameInfo("Konto");
    grid->Reload();
    EXPECT_EQ(grid->Cells(0, 1), "<A href=\"\">Weiteres Konto hinzufügen</A>");
}

TEST_F(VGridEdit, DeleteAsksWithACutNameAndKeepsTheCursorsElement)
{
    addresses()->Item(2)->FieldList()->FieldByName("Ort")->set_AsString(std::string(300, 'x'));
    connect();
    click(1, 2);
    dialogs->AnswerBox(IDNO);
    grid->delete_item_event();
    EXPECT_EQ(addresses()->Count(), 3) << "declined";
    ASSERT_EQ(dialogs->Questions().size(), 1u);
    const auto& q = dialogs->Questions()[0];
    EXPECT_EQ(q.caption, "Element löschen");
    EXPECT_EQ(
        q.text, "Soll die gewählte Adresse (" + std::string(255, 'x') + "...) wirklich gelöscht werden?");

    click(1, 3);
    grid->set_VectorIndex(1);
    dialogs->AnswerBox(IDYES);
    grid->delete_item_event();
    EXPECT_EQ(addresses()->Count(), 2);
    EXPECT_EQ(grid->RowCount(), 4);

    bool allow = false;
    grid->BeforeRemoveItem = TQelBeforeRemoveItemEvent([&](TObject*, TQelSubObject*, bool& a) { a = allow; });
    grid->delete_item_event();
    EXPECT_EQ(addresses()->Count(), 2) << "vetoed by the handler, no question";
    EXPECT_EQ(dialogs->Questions().size(), 2u);
}

TEST_F(VGridEdit, OpenEditorDuringDeleteOrMoveWritesOnlyItsOwnElement)
{
    connect();
    typeInto(0, 2, "Hauptstr");
    ASSERT_TRUE(grid->EditorMode());
    grid->moveup_event();
    EXPECT_FALSE(grid->EditorMode() && grid->get_VectorIndex() != 1);
    EXPECT_EQ(orte(), "Köln,Bonn,Ulm");
    EXPECT_EQ(addresses()->Item(1)->FieldList()->FieldByName("Strasse")->AsString(), "Hauptstr");
    EXPECT_EQ(addresses()->Item(2)->FieldList()->FieldByName("Strasse")->AsString(), "");
    EXPECT_EQ(grid->get_VectorIndex(), 1) << "the cursor follows the moved element";

    // Delete the element whose cell is being edited: the text must not land in the element
    // that takes over its row.
    TQelVectorGridOptions o = grid->get_VectorGridOptions();
    o >> voDeleteQuery;
    grid->set_VectorGridOptions(o);
    typeInto(0, 2, "Nebenweg");
    ASSERT_TRUE(grid->EditorMode());
    grid->delete_item_event();
    settle();
    EXPECT_EQ(orte(), "Köln,Ulm");
    EXPECT_EQ(addresses()->Item(1)->FieldList()->FieldByName("Strasse")->AsString(), "Hauptstr");
    EXPECT_EQ(addresses()->Item(2)->FieldList()->FieldByName("Strasse")->AsString(), "");
    key(Qt::Key_Return);
    EXPECT_EQ(addresses()->Item(2)->FieldList()->FieldByName("Strasse")->AsString(), "");
    EXPECT_EQ(grid->Cells(0, 2), "");
}

TEST_F(VGridEdit, InsertCopyMoveKeepPositionsThroughCommitAndReopen)
{
    const PrivateDir scratch("qel-vgrid");
    const std::string file = scratch.file("positions.qeldb");
    // The fixture's database is in memory; this test keeps its own file.
    auto fileDb = std::make_unique<TQelDatabase>();
    TQelOpenOptions o;
    o.schemaText = kVGridSchema;
    o.create = true;
    fileDb->Open(file, o);
    SetQelDatabase(fileDb.get());
    TQelObject* p = fileDb->CreateObject(fileDb->FindClass("Person")->Key());
    p->FieldList()->FieldByName("Name")->set_AsString("Paul");
    TQelVector* v = p->FieldList()->VectorByName("Adressen");
    for (const char* ort : { "A", "B", "C" })
        v->Add()->FieldList()->FieldByName("Ort")->set_AsString(ort);
    TQelVectorGridOptions opts = grid->get_VectorGridOptions();
    opts << voCopyAllowed;
    grid->set_VectorGridOptions(opts);
    ASSERT_TRUE(grid->Connect(p, false));

    grid->set_VectorIndex(2);
    grid->insert_item_event(); // before B
    EXPECT_EQ(grid->get_VectorIndex(), 2);
    v->Item(2)->FieldList()->FieldByName("Ort")->set_AsString("N");
    grid->set_VectorIndex(1);
    grid->copy_item_event(); // max=4 reached: refused
    EXPECT_EQ(v->GetAll("Ort", ','), "A,N,B,C");
    grid->set_VectorIndex(4);
    grid->moveup_event();
    grid->moveup_event();
    EXPECT_EQ(v->GetAll("Ort", ','), "A,C,N,B");
    EXPECT_EQ(grid->get_VectorIndex(), 2);
    grid->set_VectorIndex(1);
    grid->moveup_event(); // at the top: nothing
    grid->set_VectorIndex(4);
    grid->movedown_event(); // at the bottom: nothing
    EXPECT_EQ(v->GetAll("Ort", ','), "A,C,N,B");
    const TQelObjectKey key = p->Key();
    ASSERT_TRUE(p->Commit()) << p->ErrorMessage();
    grid->Disconnect();
    SetQelDatabase(db.get());
    fileDb.reset();

    auto again = std::make_unique<TQelDatabase>();
    TQelOpenOptions o2;
    o2.schemaText = kVGridSchema;
    again->Open(file, o2);
    SetQelDatabase(again.get());
    TQelObject* p2 = again->GetObjectA(key);
    ASSERT_NE(p2, nullptr);
    TQelVector* v2 = p2->FieldList()->VectorByName("Adressen");
    EXPECT_EQ(v2->GetAll("Ort", ','), "A,C,N,B") << "positions survive commit and reopening";
    for (int i = 1; i <= v2->Count(); ++i)
        EXPECT_EQ(v2->Item(i)->VectorIndex(), i);
    SetQelDatabase(db.get());
    again.reset();
}

TEST_F(VGridEdit, CopyInsertsAfterTheCurrentElement)
{
    TQelVectorGridOptions opts = grid->get_VectorGridOptions();
    opts << voCopyAllowed;
    grid->set_VectorGridOptions(opts);
    connect();
    addresses()->Item(1)->FieldList()->FieldByName("Strasse")->set_AsString("Markt 1");
    grid->set_VectorIndex(1);
    grid->copy_item_event();
    EXPECT_EQ(orte(), "Bonn,Bonn,Köln,Ulm");
    EXPECT_EQ(addresses()->Item(2)->FieldList()->FieldByName("Strasse")->AsString(), "Markt 1");
    EXPECT_EQ(grid->get_VectorIndex(), 2);
}

TEST_F(VGridEdit, StandardMarkIsUniqueAndDeactivationStrikesOut)
{
    connect();
    grid->set_VectorIndex(2);
    grid->set_standard_event();
    grid->set_VectorIndex(3);
    grid->set_standard_event();
    int standards = 0;
    for (int i = 1; i <= 3; ++i)
        standards += dynamic_cast<TQelGueltigkeit*>(addresses()->Item(i))->Standard() ? 1 : 0;
    EXPECT_EQ(standards, 1);
    EXPECT_TRUE(dynamic_cast<TQelGueltigkeit*>(addresses()->Item(3))->Standard());
    EXPECT_TRUE(grid->paintFont(1, 3).Style().Contains(fsBold));
    EXPECT_FALSE(grid->paintFont(1, 2).Style().Contains(fsBold));

    grid->set_VectorIndex(1);
    grid->deactivate_item_event();
    EXPECT_FALSE(dynamic_cast<TQelGueltigkeit*>(addresses()->Item(1))->Active());
    EXPECT_TRUE(grid->paintFont(1, 1).Style().Contains(fsStrikeOut));
    grid->set_ReadOnly(true);
    grid->set_VectorIndex(2);
    grid->deactivate_item_event();
    EXPECT_TRUE(dynamic_cast<TQelGueltigkeit*>(addresses()->Item(2))->Active()) << "read-only grid";
}

TEST_F(VGridEdit, ElementMenuOffersTheStandardItems)
{
    connect();
    click(1, 1, Qt::RightButton);
    TMenuItem* items = grid->ElementMenu()->Items();
    std::vector<std::string> captions;
    for (int i = 0; i < items->Count(); ++i)
        captions.push_back(items->Items(i)->Caption());
    grid->ElementMenu()->CloseMenu();
    EXPECT_EQ(captions,
        (std::vector<std::string> { "Neues Element einfügen", "Details anzeigen", "Element löschen",
            "Element nach oben verschieben", "Element nach unten verschieben", "Als Standard definieren" }));
    items->Items(4)->Click();
    EXPECT_EQ(orte(), "Köln,Bonn,Ulm");
}

TEST_F(VGridEdit, PlainEditorTextNeverLandsInAnotherElement)
{
    // A workstation setting makes the street column a plain text editor.
    TQelComputer* computer = db->Computer();
    ASSERT_NE(computer, nullptr);
    const std::string setting
        = TQelCommonMethods::EditTypeKey(addresses()->Item(1)->FieldList()->FieldByName("Strasse"), "");
    computer->NameWert().WriteInteger(setting, 1);
    connect();
    click(0, 2);
    key(Qt::Key_F2);
    auto* line = qobject_cast<QLineEdit*>(grid->InplaceEditorWidget());
    ASSERT_NE(line, nullptr);
    QTest::keyClicks(line, "Ring 5");
    key(Qt::Key_Return);
    // Köln's element goes away (another control) before the cursor leaves the cell.
    addresses()->Delete(2);
    settle();
    click(1, 1);
    EXPECT_EQ(orte(), "Bonn,Ulm");
    EXPECT_EQ(addresses()->Item(1)->FieldList()->FieldByName("Strasse")->AsString(), "");
    EXPECT_EQ(addresses()->Item(2)->FieldList()->FieldByName("Strasse")->AsString(), "");

    // Typed and left normally, the text goes into its own element.
    click(0, 2);
    key(Qt::Key_F2);
    line = qobject_cast<QLineEdit*>(grid->InplaceEditorWidget());
    ASSERT_NE(line, nullptr);
    QTest::keyClicks(line, "Gasse 1");
    key(Qt::Key_Return);
    click(1, 1);
    EXPECT_EQ(addresses()->Item(2)->FieldList()->FieldByName("Strasse")->AsString(), "Gasse 1");
    EXPECT_EQ(addresses()->Item(1)->FieldList()->FieldByName("Strasse")->AsString(), "");
}

// A long-text cell opens its text: through OnOpenText when the application has one, else with
// the desktop's program, from a file in a fresh folder only its owner may enter.
TEST_F(VGridEdit, ALongTextCellOpensItsTextWithItsProgramUnlessTheApplicationDoes)
{
    addresses()->Item(2)->FieldList()->FieldByName("Notiz")->set_AsString("Grüße aus Köln");
    ASSERT_TRUE(person->Commit()) << person->ErrorMessage();
    columns({ "Ort", "Notiz" });
    connect();
    click(1, 2);
    ASSERT_EQ(opened(*dialogs).size(), 1u);
    const std::filesystem::path first = opened(*dialogs)[0];
    EXPECT_EQ(first.filename(), "Notiz.txt");
    EXPECT_EQ(contents(first), "Grüße aus Köln");
    const auto perms = std::filesystem::status(first.parent_path()).permissions();
    EXPECT_EQ(perms & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
        std::filesystem::perms::none);
    key(Qt::Key_Space);
    ASSERT_EQ(opened(*dialogs).size(), 2u) << "space on the cell opens it too";
    EXPECT_NE(std::filesystem::path(opened(*dialogs)[1]).parent_path(), first.parent_path());
    EXPECT_EQ(addresses()->Item(2)->FieldList()->FieldByName("Notiz")->AsString(), "Grüße aus Köln");
    EXPECT_FALSE(person->Touched()) << "opening changes nothing";

    int asked = 0;
    grid->OnOpenText = TQelOpenTextEvent([&](TObject*, TQelTextField* tf, bool) {
        ++asked;
        EXPECT_EQ(tf, addresses()->Item(1)->FieldList()->FieldByName("Notiz"));
    });
    click(1, 1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(opened(*dialogs).size(), 2u) << "the application opens it";
    for (const std::string& f : opened(*dialogs))
        std::filesystem::remove_all(std::filesystem::path(f).parent_path());
}

// Moving on from a cell without field reports its text to the application: property and
// sub-vector cells as well as custom ones; cells with a field report nothing.
TEST_F(VGridEdit, LeavingACellWithoutFieldReportsItsText)
{
    std::vector<std::string> calls;
    grid->OnValueChanged
        = TQelValueChangedEvent([&](TObject*, TQelVector* v, int ix, std::string name, std::string value) {
              EXPECT_EQ(v, addresses());
              calls.push_back(std::to_string(ix) + ":" + name + "=" + value);
          });
    addresses()->FieldList(2)->SetPropA("Bemerkung", "Hinterhaus", false);
    addresses()->Item(3)->FieldList()->FindField("Telefone[0].Nummer", true)->set_AsString("0731 1");
    columns({ "Ort", "@Bemerkung AS Bemerkung", "Telefone@Nummer AS Nummern" });
    connect();
    click(0, 1);
    calls.clear();
    click(1, 2);
    click(0, 2);
    EXPECT_EQ(calls, std::vector<std::string> { "2:@=Hinterhaus" });
    click(2, 3);
    click(0, 3);
    EXPECT_EQ(calls, (std::vector<std::string> { "2:@=Hinterhaus", "3:TELEFONE=0731 1" }));
    click(0, 1);
    EXPECT_EQ(calls.size(), 2u) << "cells with a field report nothing";
}

// Debug aid: Ctrl+Shift+click on a header shows what the column is bound to, only while the
// database runs in debug mode.
TEST_F(VGridEdit, CtrlShiftClickOnAHeaderShowsTheColumnsBindingInDebugMode)
{
    columns({ "Ort", "@Bemerkung AS Bemerkung", "Telefone@Nummer AS Nummern" });
    connect();
    QTest::mouseClick(viewport(), Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, cellPoint(0, 0));
    settle();
    EXPECT_TRUE(dialogs->Questions().empty()) << "not in debug mode";
    db->set_Debug(true);
    for (int col : { 0, 1, 2 }) {
        QTest::mouseClick(
            viewport(), Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, cellPoint(col, 0));
        settle();
    }
    ASSERT_EQ(dialogs->Questions().size(), 3u);
    const auto& q = dialogs->Questions();
    EXPECT_EQ(q[0].kind, TScriptedDialogs::TKind::ShowMessage);
    EXPECT_NE(q[0].text.find("FieldPath = Ort"), std::string::npos) << q[0].text;
    EXPECT_NE(q[0].text.find("Verbunden mit:"), std::string::npos) << q[0].text;
    EXPECT_NE(q[1].text.find("FieldPath = @Bemerkung"), std::string::npos) << q[1].text;
    EXPECT_NE(q[2].text.find("FieldPath = Telefone@Nummer"), std::string::npos) << q[2].text;
    click(0, 0);
    EXPECT_EQ(dialogs->Questions().size(), 3u) << "a plain click shows nothing";
}
