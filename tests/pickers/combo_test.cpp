#include "combo_fixture.h"
#include "support/private_dir.h"

#include "toolkit/advstringgrid.h"

#include <sqlite3.h>

#include <filesystem>

namespace {

std::vector<std::string> strings(std::initializer_list<const char*> l)
{
    return { l.begin(), l.end() };
}

} // namespace

// Each field kind: the list it offers, the stored value shown, a choice by real keys written.

TEST_F(ComboTest, ChoiceFieldOffersItsDomainAndWritesEachChoice)
{
    TQelCombo* c = combo("Anrede");
    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false), 1);
    ASSERT_TRUE(c->get_Connected());
    EXPECT_NE(c->get_ChoiceField(), nullptr);
    EXPECT_EQ(items(c), strings({ "", "Divers", "Frau", "Herr" })); // null offered first
    EXPECT_EQ(c->get_SelectedText(), "");

    focus(c);
    QTest::keyClick(keyTarget(c), Qt::Key_Down);
    EXPECT_EQ(field("Anrede")->AsString(), "Divers");
    QTest::keyClick(keyTarget(c), Qt::Key_Down);
    EXPECT_EQ(field("Anrede")->AsString(), "Frau");
    QTest::keyClick(keyTarget(c), Qt::Key_Up);
    QTest::keyClick(keyTarget(c), Qt::Key_Up);
    EXPECT_TRUE(field("Anrede")->Null()); // back to no choice

    // Typed: an entry is written, its abbreviation stands for it, a fragment is not written.
    box(c)->lineEdit()->selectAll();
    type(c, "Herr");
    EXPECT_EQ(field("Anrede")->AsString(), "Herr");
    box(c)->lineEdit()->selectAll();
    type(c, "Fr.");
    EXPECT_EQ(field("Anrede")->AsString(), "Frau");
    box(c)->lineEdit()->selectAll();
    type(c, "He");
    EXPECT_EQ(field("Anrede")->AsString(), "Frau");

    // Another control writes the field: the combo follows.
    field("Anrede")->set_AsString("Herr");
    EXPECT_EQ(c->get_SelectedText(), "Herr");
}

TEST_F(ComboTest, MandatoryChoiceOffersNoEmptyEntry)
{
    TQelCombo* c = combo("Pflicht");
    c->set_ComboOptions({});
    c->ConnectFL(person->FieldList(), false);
    EXPECT_EQ(items(c), strings({ "A", "B" }));
    EXPECT_EQ(c->Style(), csDropDownList);
}

TEST_F(ComboTest, BooleanFieldOffersJaNeinAndWritesThem)
{
    TQelCombo* c = combo("Aktiv");
    c->ConnectFL(person->FieldList(), false);
    EXPECT_NE(c->get_BoolField(), nullptr);
    EXPECT_EQ(items(c), strings({ "", "Ja", "Nein" }));
    EXPECT_EQ(c->Style(), csDropDownList);
    focus(c);
    QTest::keyClick(keyTarget(c), Qt::Key_Down);
    EXPECT_TRUE(field("Aktiv")->AsBool());
    QTest::keyClick(keyTarget(c), Qt::Key_Down);
    EXPECT_EQ(field("Aktiv")->AsString(), "Nein");
    EXPECT_FALSE(field("Aktiv")->AsBool());
    QTest::keyClick(keyTarget(c), Qt::Key_Up);
    QTest::keyClick(keyTarget(c), Qt::Key_Up);
    EXPECT_TRUE(field("Aktiv")->Null()); // an empty choice stays empty
}

TEST_F(ComboTest, ReferenceFieldListsObjectsByNameAndWritesTheirKeys)
{
    TQelObject* abele = firm("Abele GmbH");
    TQelObject* bauer = firm("Bauer AG");
    TQelObject* becker = firm("Becker KG");
    TQelCombo* c = combo("Arbeitgeber");
    c->ConnectFL(person->FieldList(), false);
    ASSERT_NE(c->get_RefField(), nullptr);
    EXPECT_EQ(items(c), strings({ "Abele GmbH", "Bauer AG", "Becker KG" }));
    EXPECT_EQ(c->get_SelectedText(), "<keine Auswahl>");
    EXPECT_EQ(c->get_Key(1), bauer->Key());
    EXPECT_EQ(c->IndexOfKey(becker->Key()), 2);

    focus(c);
    QTest::keyClick(keyTarget(c), Qt::Key_Down);
    EXPECT_EQ(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey(), abele->Key());

    // Typing completes to the first item with that start (any case); the completed tail stays
    // selected, so the next key replaces it. The field takes the text when the user accepts it
    // (Enter, or leaving the combo), never while typing.
    box(c)->lineEdit()->selectAll();
    type(c, "ba");
    EXPECT_EQ(c->get_SelectedText(), "Bauer AG");
    EXPECT_EQ(box(c)->lineEdit()->selectedText(), "uer AG");
    EXPECT_EQ(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey(), abele->Key());
    QTest::keyClick(keyTarget(c), Qt::Key_Return);
    EXPECT_EQ(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey(), bauer->Key());
    QTest::keyClick(keyTarget(c), Qt::Key_End);
    QTest::keyClick(keyTarget(c), Qt::Key_Backspace);
    QTest::keyClick(keyTarget(c), Qt::Key_Backspace);
    EXPECT_EQ(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey(), bauer->Key()) << "a fragment";
    box(c)->lineEdit()->selectAll();
    type(c, "be");
    EXPECT_EQ(c->get_SelectedText(), "Becker KG");
    EXPECT_EQ(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey(), bauer->Key());
    QTest::keyClick(keyTarget(c), Qt::Key_Return);
    EXPECT_EQ(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey(), becker->Key());
    // A text that names no item is not taken: Enter shows the value again.
    box(c)->lineEdit()->selectAll();
    type(c, "xy");
    QTest::keyClick(keyTarget(c), Qt::Key_Return);
    EXPECT_EQ(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey(), becker->Key());
    EXPECT_EQ(c->get_SelectedText(), "Becker KG");

    // A key as text selects its object; "@-1" the last item.
    c->set_SelectedText(std::to_string(abele->Key().Id()));
    EXPECT_EQ(c->get_SelectedText(), "Abele GmbH");
    c->set_SelectedText("@-1");
    EXPECT_EQ(c->get_SelectedText(), "Becker KG");
    c->set_SelectedText("@99");
    EXPECT_EQ(c->get_SelectedText(), "");
}

// Completion compares folded texts: another case of an umlaut, "ss" for "ß".
TEST_F(ComboTest, TypingCompletesItemsWhoseFirstLettersFoldAlike)
{
    firm("Öztürk OHG");
    TQelObject* sse = firm("ßen AG");
    firm("Zander");
    TQelCombo* c = combo("Arbeitgeber");
    c->ConnectFL(person->FieldList(), false);
    focus(c);
    box(c)->lineEdit()->selectAll();
    type(c, "ö");
    EXPECT_EQ(c->get_SelectedText(), "Öztürk OHG");
    box(c)->lineEdit()->selectAll();
    type(c, "z");
    EXPECT_EQ(c->get_SelectedText(), "Zander");
    box(c)->lineEdit()->selectAll();
    type(c, "ss");
    EXPECT_EQ(c->get_SelectedText(), "ßen AG");
    // "ss" is the item's "ß": the completed rest starts after it, and typing on keeps the item.
    EXPECT_EQ(box(c)->lineEdit()->selectedText(), QString::fromUtf8("en AG"));
    type(c, "en");
    EXPECT_EQ(box(c)->lineEdit()->text(), QString::fromUtf8("ßen AG"));
    EXPECT_EQ(box(c)->lineEdit()->selectedText(), QString::fromUtf8(" AG"));
    QTest::keyClick(keyTarget(c), Qt::Key_Return);
    EXPECT_EQ(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey(), sse->Key());
    ASSERT_TRUE(person->Commit()) << person->ErrorMessage();
    EXPECT_EQ(stored("Arbeitgeber"), sse->Key().ToString());
}

// The list of a reference holds objects only: a key handed over as text shows its object, "@0"
// is the first object, and clearing the text is what clears the reference.
TEST_F(ComboTest, ReferenceListHoldsObjectsOnlyAndAnEmptyTextClearsTheReference)
{
    firm("Abele GmbH");
    TQelObject* bauer = firm("Bauer AG");
    firm("Becker KG");
    TQelCombo* c = combo("Arbeitgeber");
    TQelCombo* other = combo("Kuerzel");
    c->set_ShowCompleteList(false);
    c->set_MinSelTextLength(1); // nothing typed, nothing listed: the key's object is read on demand
    c->ConnectFL(person->FieldList(), false);
    other->ConnectFL(person->FieldList(), false);
    const auto stored = [&] {
        EXPECT_TRUE(person->Commit()) << person->ErrorMessage();
        sqlite3_stmt* st = nullptr;
        long long v = -1;
        const std::string sql = "SELECT Arbeitgeber FROM Person WHERE K = " + person->Key().ToString();
        if (sqlite3_prepare_v2(db->Handle(), sql.c_str(), -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW)
            v = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        return v;
    };
    EXPECT_TRUE(items(c).empty());
    c->set_SelectedText(bauer->Key().ToString());
    EXPECT_EQ(c->get_SelectedText(), "Bauer AG");
    EXPECT_EQ(items(c), strings({ "Bauer AG" }));

    c->set_ShowCompleteList(true);
    c->Reload(-1, "");
    c->set_SelectedText("@0");
    EXPECT_EQ(c->get_SelectedText(), "Abele GmbH");

    // The drop-down offers the objects only; the second one is picked with the keys.
    focus(c);
    QTest::keyClick(keyTarget(c), Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(c->DroppedDown());
    std::vector<std::string> shown;
    for (int i = 0; i < box(c)->count(); ++i)
        shown.push_back(box(c)->itemText(i).toStdString());
    EXPECT_EQ(shown, strings({ "Abele GmbH", "Bauer AG", "Becker KG" }));
    QTest::keyClick(box(c)->view(), Qt::Key_Down);
    QTest::keyClick(box(c)->view(), Qt::Key_Return);
    EXPECT_FALSE(c->DroppedDown());
    EXPECT_EQ(c->get_SelectedText(), "Bauer AG");
    EXPECT_EQ(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey(), bauer->Key());
    EXPECT_EQ(stored(), bauer->Key().Id());

    // Emptying the text and leaving clears the reference, in the stored row too.
    box(c)->lineEdit()->selectAll();
    QTest::keyClick(keyTarget(c), Qt::Key_Delete);
    QTest::keyClick(keyTarget(c), Qt::Key_Tab);
    EXPECT_FALSE(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey().Valid());
    EXPECT_EQ(c->get_SelectedText(), "<keine Auswahl>");
    EXPECT_LE(stored(), 0);
}

TEST_F(ComboTest, ErvKeyFieldListsTheElementsOfTheObjectsVectors)
{
    TQelVector* v = person->FieldList()->VectorByName("Adressen");
    v->Add()->BaseFieldList()->FieldByName("Ort")->set_AsString("Köln");
    v->Add()->BaseFieldList()->FieldByName("Ort")->set_AsString("Bonn");
    TQelCombo* c = combo("Wohnort");
    c->ConnectFL(person->FieldList(), false);
    ASSERT_NE(c->get_ERVKeyField(), nullptr);
    EXPECT_EQ(items(c), strings({ "<keine Auswahl>", "Bonn", "Köln" }));
    focus(c);
    QTest::keyClick(keyTarget(c), Qt::Key_Down);
    EXPECT_EQ(field("Wohnort")->AsString(), v->Item(2)->Path());
    QTest::keyClick(keyTarget(c), Qt::Key_Down);
    EXPECT_EQ(field("Wohnort")->AsString(), v->Item(1)->Path());

    // The vector changes: the domain follows.
    v->Add()->BaseFieldList()->FieldByName("Ort")->set_AsString("Aachen");
    EXPECT_EQ(items(c), strings({ "<keine Auswahl>", "Aachen", "Bonn", "Köln" }));
    EXPECT_EQ(c->get_SelectedText(), "Köln");
}

TEST_F(ComboTest, StringFieldWritesTheTypedText)
{
    TQelCombo* c = combo("Kuerzel");
    field("Kuerzel")->set_AsString("ab");
    c->ConnectFL(person->FieldList(), false);
    EXPECT_NE(c->get_StringField(), nullptr);
    EXPECT_EQ(c->get_SelectedText(), "ab");
    focus(c);
    QTest::keyClick(keyTarget(c), Qt::Key_End);
    type(c, "cä");
    EXPECT_EQ(field("Kuerzel")->AsString(), "abcä");
}

TEST_F(ComboTest, OtherFieldKindsLeaveTheComboUnconnected)
{
    TQelCombo* c = combo("Kinder");
    EXPECT_EQ(c->ConnectFL(person->FieldList(), false), 0);
    EXPECT_FALSE(c->get_Connected());
    EXPECT_FALSE(c->EnabledLook());
    c->set_FieldPath("Anrede"); // a new path reconnects with the list and the value
    EXPECT_TRUE(c->get_Connected());
    EXPECT_EQ(c->Items().Count(), 4);
    EXPECT_TRUE(c->EnabledLook());
}

// Typing searches the database after the typing delay: one query for a burst of keys.
TEST_F(ComboTest, TypingQueriesOnceAfterTheDelay)
{
    TQelObject* abele = firm("Abele GmbH");
    firm("Bauer AG");
    TQelObject* becker = firm("Becker KG");
    TQelCombo* c = combo("Arbeitgeber");
    TQelCombo* other = combo("Kuerzel");
    c->set_ShowCompleteList(false);
    c->set_KeyStrokeTimeout(300);
    std::vector<std::string> conditions;
    c->BeforeReload = TQelReloadEvent([&](TObject*, const std::string& cond) { conditions.push_back(cond); });
    c->ConnectFL(person->FieldList(), false);
    ASSERT_EQ(conditions.size(), 1u); // the first list
    conditions.clear();

    focus(c);
    box(c)->lineEdit()->selectAll();
    type(c, "be");
    QApplication::processEvents();
    EXPECT_TRUE(conditions.empty()); // not yet: the user is still typing
    QTest::qWait(100);
    EXPECT_TRUE(conditions.empty());
    QTRY_COMPARE_WITH_TIMEOUT(conditions.size(), std::size_t(1), 3000);
    QTest::qWait(400);
    ASSERT_EQ(conditions.size(), 1u);
    EXPECT_EQ(conditions[0], "UPPER(Firma.Name) LIKE 'BE%' ESCAPE '\\'");
    EXPECT_EQ(items(c), strings({ "Becker KG" }));
    EXPECT_EQ(c->get_SelectedText(), "Becker KG");
    EXPECT_FALSE(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey().Valid()) << "not accepted yet";
    c->SetDroppedDown(false);
    focus(other);
    EXPECT_EQ(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey(), becker->Key());

    // Left before the search ran: it runs then, and the text names its firm.
    focus(c);
    box(c)->lineEdit()->selectAll();
    type(c, "ab");
    conditions.clear();
    focus(other);
    ASSERT_EQ(conditions.size(), 1u);
    EXPECT_EQ(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey(), abele->Key());
    EXPECT_EQ(c->get_SelectedText(), "Abele GmbH");
}

// A stored value that is not in the list is shown as it is and never replaced or cleared.
TEST_F(ComboTest, ValueOutsideTheListIsShownAndKept)
{
    TQelObject* gone = firm("Alt GmbH");
    firm("Neu AG");
    TQelObject* removed = firm("Weg KG");
    // An entry the domain no longer has, and a reference to an object deleted since.
    field("Status")->set_AsString("veraltet");
    static_cast<TQelRefField*>(field("Arbeitgeber"))->set_AsKey(gone->Key());
    ASSERT_TRUE(gone->Delete());

    auto* status = combo("Status");
    auto* employer = combo("Arbeitgeber");
    auto* other = combo("Kuerzel");
    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    EXPECT_EQ(status->get_SelectedText(), "veraltet");
    EXPECT_EQ(employer->get_SelectedText(), "Alt GmbH");
    EXPECT_EQ(employer->IndexOfKey(gone->Key()), -1); // not listed: it is deleted

    focus(status);
    focus(employer);
    focus(other);
    status->Repaint();
    employer->Repaint();
    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    EXPECT_EQ(field("Status")->AsString(), "veraltet");
    EXPECT_EQ(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey(), gone->Key());
    EXPECT_EQ(status->get_SelectedText(), "veraltet");
    EXPECT_EQ(employer->get_SelectedText(), "Alt GmbH");

    // A reference to an object removed for good keeps its key and shows it.
    const TQelObjectKey key = removed->Key();
    static_cast<TQelRefField*>(field("Arbeitgeber"))->set_AsKey(key);
    ASSERT_TRUE(db->DeleteObject(key, true));
    employer->Repaint();
    EXPECT_EQ(employer->get_SelectedText(), "#" + key.ToString());
    focus(employer);
    focus(other);
    EXPECT_EQ(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey(), key);
}

TEST_F(ComboTest, ReadOnlyComboDropsKeysAndShowsTheSimpleStyle)
{
    TQelCombo* c = combo("Kuerzel");
    field("Kuerzel")->set_AsString("ab");
    c->ConnectFL(person->FieldList(), false);
    c->Perform(WM_OC_SETREADONLY, 1, 0);
    EXPECT_TRUE(c->get_ReadOnly());
    EXPECT_EQ(c->Style(), csSimple);
    EXPECT_EQ(c->Color(), clBtnFace);
    focus(c);
    QTest::keyClick(keyTarget(c), Qt::Key_End);
    type(c, "xy");
    QTest::keyClick(keyTarget(c), Qt::Key_Backspace);
    EXPECT_EQ(field("Kuerzel")->AsString(), "ab");
    EXPECT_EQ(c->get_SelectedText(), "ab");
    c->Perform(WM_OC_SETREADONLY, 0, 0);
    EXPECT_EQ(c->Style(), csDropDown);
    EXPECT_EQ(c->Color(), clWindow);
}

TEST_F(ComboTest, MarkGoesWithTheNextEdit)
{
    TQelCombo* c = combo("Kuerzel");
    c->ConnectFL(person->FieldList(), false);
    EXPECT_EQ(c->Perform(WM_OC_SETMARK, 1 | OC_MARK_UNMARK_ON_EDIT, clRed), 1);
    EXPECT_TRUE(c->Marked());
    EXPECT_NE(c->Color(), clWindow);
    focus(c);
    type(c, "x");
    EXPECT_FALSE(c->Marked());
    EXPECT_EQ(c->Color(), clWindow);
}

// Favourites: the values stored last, above a separator; kept per partition.

TEST(ComboFavorites, StoredRestoredAfterReopeningAndCappedByNFav)
{
    const PrivateDir scratch("qel_combo_fav");
    const std::string path = scratch.file("fav.qeldb");
    std::vector<TQelObjectKey> firms;
    {
        TQelDatabase db;
        TQelOpenOptions o;
        o.schemaText = kComboSchema;
        o.create = true;
        db.Open(path, o);
        SetQelDatabase(&db);
        db.Partition()->Settings().WriteInteger("NFav", 3);
        ASSERT_TRUE(db.Partition()->Commit());
        for (const char* name : { "Abele", "Bauer", "Becker", "Dorn", "Eck" }) {
            TQelObject* f = db.CreateObject(db.FindClass("Firma")->Key());
            f->FieldByName("Name")->set_AsString(name);
            ASSERT_TRUE(f->Commit());
            firms.push_back(f->Key());
        }
        TQelObject* person = db.CreateObject(db.FindClass("Person")->Key());
        person->FieldByName("Name")->set_AsString("Muster");
        person->FieldByName("Pflicht")->set_AsString("A");
        TForm form(nullptr);
        form.SetName("Formular");
        auto* c = new TQelCombo(&form);
        c->SetName("cbFirma");
        c->SetParent(&form);
        c->set_FavoriteCount(1);
        c->set_FieldPath("Arbeitgeber");
        c->ConnectFL(person->FieldList(), false);
        EXPECT_EQ(c->get_FavoriteCount(), 3); // the partition's number
        EXPECT_EQ(c->fav_name(), "fv$Formular.cbFirma");
        ASSERT_TRUE(ShowActive(form));
        c->SetFocus();
        c->SetDroppedDown(false);
        // Each stored choice moves to the front.
        for (int i = 0; i < 5; ++i) {
            c->set_SelectedKey(firms[static_cast<std::size_t>(i)]);
            // Away to a neighbour and back: the first item has none above it.
            const bool top = c->ItemIndex() == 0;
            QTest::keyClick(c->Handle(), top ? Qt::Key_Down : Qt::Key_Up);
            QTest::keyClick(c->Handle(), top ? Qt::Key_Up : Qt::Key_Down);
            ASSERT_EQ(static_cast<TQelRefField*>(person->FieldByName("Arbeitgeber"))->AsKey(),
                firms[static_cast<std::size_t>(i)]);
            ASSERT_TRUE(person->Commit()) << person->ErrorMessage();
        }
        EXPECT_EQ(db.GetSettings(slPartition, "fv$Formular.cbFirma"),
            firms[4].ToString() + "," + firms[3].ToString() + "," + firms[2].ToString());
        EXPECT_EQ(c->Items()[0], "Eck");
        EXPECT_EQ(c->Items()[3], TQelCombo::FavoriteSeparator);
        SetQelDatabase(nullptr);
    }
    {
        TQelDatabase db;
        db.Open(path);
        SetQelDatabase(&db);
        TQelObject* person = db.CreateObject(db.FindClass("Person")->Key());
        TForm form(nullptr);
        form.SetName("Formular");
        auto* c = new TQelCombo(&form);
        c->SetName("cbFirma");
        c->SetParent(&form);
        c->set_FavoriteCount(1);
        c->set_FieldPath("Arbeitgeber");
        c->ConnectFL(person->FieldList(), false);
        const auto list = c->Items().ToVector();
        ASSERT_GE(list.size(), 4u);
        EXPECT_EQ(std::vector<std::string>(list.begin(), list.begin() + 4),
            strings({ "Eck", "Dorn", "Becker", TQelCombo::FavoriteSeparator }));
        EXPECT_EQ(c->get_Key(0), firms[4]);
        SetQelDatabase(nullptr);
    }
}

TEST_F(ComboTest, FavoriteTextStaysBelow256Characters)
{
    TQelCombo* c = combo("Kuerzel");
    c->set_FavoriteCount(1);
    c->set_FavoriteName("Lang");
    db->Partition()->Settings().WriteInteger("NFav", 50);
    c->ConnectFL(person->FieldList(), false);
    for (int i = 0; i < 40; ++i) {
        field("Kuerzel")->set_AsString("wert" + std::to_string(100 + i));
        ASSERT_TRUE(person->Commit());
    }
    const std::string stored = db->GetSettings(slPartition, "fv$Lang");
    EXPECT_LT(stored.size(), 256u);
    EXPECT_EQ(stored.substr(0, 8), "wert139,");
}

// The combo as the in-place editor of grid cells.

namespace {

class TPersonGrid : public TAdvStringGrid {
public:
    TPersonGrid(TComponent* owner, TQelFieldList* fl)
        : TAdvStringGrid(owner)
        , fl_(fl)
    {
    }
    TQelLinkRegistry registry;

protected:
    void GetEditorType(int col, int row, TEditorType& editor) override
    {
        TQelField* f = fl_->FieldByName(GetCellsEx(0, RealRowIndex(row)));
        editor = col == 1 && f ? TEditorType(TQelCommonMethods::SelectFieldEditor(&registry, this, f, 0))
                               : edNone;
    }

private:
    TQelFieldList* fl_;
};

} // namespace

TEST_F(ComboTest, GridCellsOfChoicesAndReferencesAreEditedWithTheCombo)
{
    firm("Abele GmbH");
    TQelObject* bauer = firm("Bauer AG");
    auto* grid = new TPersonGrid(form.get(), person->FieldList());
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 400, 200);
    grid->SetColCount(2);
    grid->SetRowCount(3);
    grid->SetFixedRows(1);
    grid->SetOptions(grid->Options() + TGridOptions { goEditing });
    grid->SetCellsEx(0, 1, "Arbeitgeber");
    grid->SetCellsEx(0, 2, "Anrede");
    ASSERT_TRUE(ShowActive(*form));

    grid->FocusCell(1, 1);
    grid->SetEditorMode(true);
    auto* link = dynamic_cast<TQelComboLink*>(grid->EditLink());
    ASSERT_NE(link, nullptr);
    auto* editor = dynamic_cast<TQelCombo*>(link->GetEditControl());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->get_FieldPath(), "Arbeitgeber");
    EXPECT_EQ(editor->LabelCaption(), "");
    EXPECT_TRUE(link->WantKeyUpDown());
    EXPECT_TRUE(link->WantKeyReturn());
    // The editor opens with its list dropped: the keys go to the list, Return picks.
    EXPECT_TRUE(editor->DroppedDown());
    QWidget* keys = QApplication::focusWidget();
    ASSERT_NE(keys, nullptr);
    QTest::keyClick(keys, Qt::Key_Down);
    QTest::keyClick(keys, Qt::Key_Down);
    QTest::keyClick(keys, Qt::Key_Return);
    EXPECT_FALSE(editor->DroppedDown());
    EXPECT_EQ(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey(), bauer->Key());
    EXPECT_EQ(link->GetEditorValue(), "Bauer AG");
    grid->SetEditorMode(false);
    EXPECT_EQ(grid->GetCellsEx(1, 1), "Bauer AG");
    EXPECT_EQ(link->GetEditControl(), nullptr);

    grid->FocusCell(1, 2);
    grid->SetEditorMode(true);
    auto* choice = dynamic_cast<TQelCombo*>(grid->EditLink()->GetEditControl());
    ASSERT_NE(choice, nullptr);
    EXPECT_NE(choice->get_ChoiceField(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(field("Anrede")->AsString(), "Divers");
    grid->SetEditorMode(false);
    EXPECT_EQ(grid->registry.Count(), 2);
}

TEST_F(ComboTest, LinkWithoutComboLogsAndDoesNothing)
{
    db->LogManager()->set_Active(true);
    TQelComboLink link(nullptr, "", field("Anrede"));
    link.SetEditorValue("Herr");
    EXPECT_EQ(link.GetEditorValue(), "");
    EXPECT_TRUE(field("Anrede")->Null());
    bool logged = false;
    for (const auto& e : db->LogManager()->Entries())
        logged = logged || e.Text == "TQelComboLink::SetEditorValue(): cm == 0";
    EXPECT_TRUE(logged);
}

// The popup commands on the referenced object.

class ComboRefObjTest : public ComboTest {
protected:
    void SetUp() override
    {
        ComboTest::SetUp();
        abele = firm("Abele GmbH");
        c = combo("Arbeitgeber");
        c->OnEditRefObj = TQelEditRefObjEvent([this](TObject*, TQelObject* obj) {
            ++edits;
            obj->FieldByName("Name")->set_AsString(nameToGive);
            if (store)
                obj->Commit();
        });
        c->ConnectFL(person->FieldList(), false);
    }
    TMenuItem* entry(const std::string& caption) const
    {
        return c->PopupMenu() ? c->PopupMenu()->Items()->Find(caption) : nullptr;
    }
    TQelRefField* ref() const { return static_cast<TQelRefField*>(field("Arbeitgeber")); }

    TScopedScriptedDialogs dialogs;
    TQelObject* abele = nullptr;
    TQelCombo* c = nullptr;
    std::string nameToGive = "Zeller OHG";
    bool store = true;
    int edits = 0;
};

TEST_F(ComboRefObjTest, CreateStoresAndChoosesTheNewObject)
{
    ASSERT_NE(c->PopupMenu(), nullptr);
    ASSERT_NE(entry("Neue Firma definieren..."), nullptr);
    EXPECT_EQ(entry("Neue Firma definieren...")->ShortCut(), TextToShortCut("Ctrl+N"));
    EXPECT_EQ(entry("Firma 'Abele GmbH' löschen"), nullptr); // nothing referenced yet
    entry("Neue Firma definieren...")->Click();
    EXPECT_EQ(edits, 1);
    TQelObject* created = ref()->get_AsObject();
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->Name(), "Zeller OHG");
    EXPECT_FALSE(created->IsNew());
    EXPECT_GE(c->IndexOfKey(created->Key()), 0);
    EXPECT_EQ(c->get_SelectedText(), "Zeller OHG");
}

TEST_F(ComboRefObjTest, CreateNotStoredLeavesNothingBehind)
{
    store = false;
    const std::size_t before = db->NewObjects().size();
    entry("Neue Firma definieren...")->Click();
    EXPECT_EQ(edits, 1);
    EXPECT_FALSE(ref()->AsKey().Valid());
    EXPECT_EQ(db->NewObjects().size(), before);
    EXPECT_EQ(c->Items().IndexOf("Zeller OHG"), -1);
}

TEST_F(ComboRefObjTest, EditRenamesTheItem)
{
    ref()->set_AsObject(abele);
    c->init_popupmenu();
    ASSERT_NE(entry("Firma 'Abele GmbH' bearbeiten..."), nullptr);
    nameToGive = "Abele & Söhne";
    entry("Firma 'Abele GmbH' bearbeiten...")->Click();
    EXPECT_EQ(c->Items()[c->IndexOfKey(abele->Key())], "Abele & Söhne");
    EXPECT_EQ(c->get_SelectedText(), "Abele & Söhne");
}

TEST_F(ComboRefObjTest, DeleteAsksAndDeletesOnlyOnYes)
{
    ref()->set_AsObject(abele);
    c->init_popupmenu();
    ASSERT_NE(entry("Firma 'Abele GmbH' löschen"), nullptr);
    EXPECT_EQ(entry("Firma 'Abele GmbH' löschen")->ShortCut(), TextToShortCut("Ctrl+L"));

    dialogs->AnswerBox(IDNO);
    entry("Firma 'Abele GmbH' löschen")->Click();
    EXPECT_EQ(dialogs->LastQuestion().text, "Soll die Firma 'Abele GmbH' wirklich gelöscht werden?");
    EXPECT_EQ(dialogs->LastQuestion().caption, "Firma löschen");
    EXPECT_EQ(dialogs->LastQuestion().flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(ref()->AsKey(), abele->Key());
    EXPECT_FALSE(abele->Deleted());

    const TQelObjectKey key = abele->Key();
    dialogs->AnswerBox(IDYES);
    entry("Firma 'Abele GmbH' löschen")->Click();
    EXPECT_FALSE(ref()->AsKey().Valid());
    EXPECT_EQ(c->IndexOfKey(key), -1);
    EXPECT_EQ(c->get_SelectedText(), "<keine Auswahl>");
    EXPECT_EQ(dialogs->Questions().size(), 2u);
}

TEST_F(ComboRefObjTest, DeleteRefusedShowsTheReason)
{
    TQelObject* fresh = create("Firma"); // new: the database cannot delete it
    fresh->FieldByName("Name")->set_AsString("Neu");
    ref()->set_AsObject(fresh);
    c->init_popupmenu();
    ASSERT_NE(entry("Firma 'Neu' löschen"), nullptr);
    dialogs->AnswerBox(IDOK);
    entry("Firma 'Neu' löschen")->Click();
    EXPECT_EQ(dialogs->LastQuestion().text.rfind("Firma 'Neu' kann nicht gelöscht werden:\n\n", 0), 0u);
    EXPECT_EQ(ref()->get_AsObject(), fresh);
}

TEST_F(ComboRefObjTest, DeleteTheDatabaseRefusesKeepsTheReference)
{
    ref()->set_AsObject(abele);
    c->init_popupmenu();
    ASSERT_EQ(sqlite3_exec(db->Handle(),
                  "CREATE TEMP TRIGGER keep_firm BEFORE UPDATE OF GELOESCHT ON Firma WHEN NEW.GELOESCHT = 1 "
                  "BEGIN SELECT RAISE(ABORT, 'Firma hat noch Mitarbeiter'); END",
                  nullptr, nullptr, nullptr),
        SQLITE_OK);
    dialogs->AnswerBox(IDYES);
    entry("Firma 'Abele GmbH' löschen")->Click();
    ASSERT_EQ(dialogs->Questions().size(), 2u);
    EXPECT_EQ(
        dialogs->LastQuestion().text.rfind("Firma 'Abele GmbH' kann nicht gelöscht werden:\n\n", 0), 0u);
    EXPECT_NE(dialogs->LastQuestion().text.find("Firma hat noch Mitarbeiter"), std::string::npos);
    EXPECT_EQ(ref()->AsKey(), abele->Key());
    EXPECT_FALSE(abele->Deleted());
    EXPECT_EQ(c->get_SelectedText(), "Abele GmbH");
}

TEST_F(ComboRefObjTest, NoMenuWhenReadOnlyOrWithoutTheOption)
{
    c->set_ReadOnly(true);
    EXPECT_EQ(c->PopupMenu(), nullptr);
    c->set_ReadOnly(false);
    EXPECT_NE(c->PopupMenu(), nullptr);
    c->set_ComboOptions({ coChoiceAdmin });
    EXPECT_EQ(c->PopupMenu(), nullptr);
}

// Extending a choice field's value domain.

TEST_F(ComboTest, TypedValueExtendsTheDomainOnlyOnYes)
{
    TScopedScriptedDialogs dialogs;
    TQelCombo* c = combo("Status");
    TQelCombo* other = combo("Kuerzel");
    field("Status")->set_AsString("aktiv");
    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    focus(c);
    box(c)->lineEdit()->selectAll();
    type(c, "neu");
    EXPECT_EQ(field("Status")->AsString(), "aktiv"); // not yet: outside the domain
    dialogs->AnswerBox(IDNO);
    focus(other);
    EXPECT_EQ(dialogs->LastQuestion().text,
        "Soll der Wertebereich für das Feld 'Status'  um den Wert 'neu' erweitert werden?");
    EXPECT_EQ(dialogs->LastQuestion().caption, "Wertebereich erweitern?");
    EXPECT_EQ(dialogs->LastQuestion().flags, MB_YESNOCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(field("Status")->AsString(), "aktiv");
    EXPECT_EQ(c->get_SelectedText(), "aktiv");
    EXPECT_FALSE(static_cast<TQelChoiceField*>(field("Status"))->InDomain("neu"));

    focus(c);
    box(c)->lineEdit()->selectAll();
    type(c, "neu");
    dialogs->AnswerBox(IDYES);
    focus(other);
    EXPECT_EQ(field("Status")->AsString(), "neu");
    EXPECT_TRUE(static_cast<TQelChoiceField*>(field("Status"))->InDomain("neu"));
    EXPECT_TRUE(field("Status")->Valid());
    EXPECT_EQ(items(c), strings({ "", "aktiv", "neu", "ruhend" }));
    EXPECT_EQ(db->GetSettings(slDatabase, "DOM$F50020.Status"), "neu");
}

// A host that stores the object while the focus is still in a combo first sends it 0x1C37 (as the
// demo's save does): what the user typed counts as if the combo had been left.
TEST_F(ComboTest, HostExitMessageTakesTheTypedTextBeforeStoring)
{
    TScopedScriptedDialogs dialogs;
    firm("Abele GmbH");
    TQelObject* bauer = firm("Bauer AG");
    TQelCombo* c = combo("Arbeitgeber");
    TQelCombo* status = combo("Status");
    field("Status")->set_AsString("aktiv");
    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    const auto hostTakesValues = [&] {
        TWinControl* focused = TQelCommonMethods::FindFocusedControl(form.get());
        ASSERT_NE(focused, nullptr);
        focused->Perform(WM_OC_CONTROLEXIT, reinterpret_cast<WPARAM>(static_cast<TControl*>(focused)), 0);
        ASSERT_TRUE(person->Commit()) << person->ErrorMessage();
    };

    focus(c);
    box(c)->lineEdit()->selectAll();
    type(c, "ba");
    ASSERT_EQ(c->get_SelectedText(), "Bauer AG");
    hostTakesValues();
    EXPECT_TRUE(c->Focused());
    EXPECT_EQ(static_cast<TQelRefField*>(field("Arbeitgeber"))->AsKey(), bauer->Key());
    EXPECT_EQ(stored("Arbeitgeber"), bauer->Key().ToString());
    EXPECT_EQ(c->get_SelectedText(), "Bauer AG");

    // A choice typed outside the domain: asked about now, not after the object was stored.
    focus(status);
    box(status)->lineEdit()->selectAll();
    type(status, "neu");
    dialogs->AnswerBox(IDYES);
    hostTakesValues();
    ASSERT_EQ(dialogs->Questions().size(), 1u);
    EXPECT_EQ(dialogs->LastQuestion().caption, "Wertebereich erweitern?");
    EXPECT_EQ(field("Status")->AsString(), "neu");
    EXPECT_EQ(stored("Status"), "neu");
    focus(c); // leaving afterwards asks nothing more
    EXPECT_EQ(dialogs->Questions().size(), 1u);
}

TEST_F(ComboTest, DomainOfAFieldTypeNamesTheType)
{
    TScopedScriptedDialogs dialogs;
    TQelCombo* c = combo("Anrede");
    c->ConnectFL(person->FieldList(), false);
    dialogs->AnswerBox(IDCANCEL);
    EXPECT_FALSE(c->ExtendDomain("Dr."));
    EXPECT_EQ(dialogs->LastQuestion().text,
        "Soll der Wertebereich für den Datentyp 'Anrede'  um den Wert 'Dr.' erweitert werden?");
    int result = 0;
    TQelCombo::extend_domain_event(nullptr, TQelFieldKey(), "x", result);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dialogs->Questions().size(), 1u); // that one asked nothing
}

TEST(ComboDomain, ExtendedDomainSurvivesReopening)
{
    const PrivateDir scratch("qel_combo_domain");
    const std::string path = scratch.file("domain.qeldb");
    {
        TQelDatabase db;
        TQelOpenOptions o;
        o.schemaText = kComboSchema;
        o.create = true;
        db.Open(path, o);
        const TQelKlasse* person = db.FindClass("Person");
        ASSERT_TRUE(db.ExtendDomain(person->FindFelddefinition("Status"), TQelFieldKey(), "neu"));
        ASSERT_TRUE(db.ExtendDomain(person->FindFelddefinition("Anrede"), TQelFieldKey(50001), "Dr."));
    }
    {
        TQelDatabase db;
        db.Open(path);
        SetQelDatabase(&db);
        TQelObject* p = db.CreateObject(db.FindClass("Person")->Key());
        auto* status = static_cast<TQelChoiceField*>(p->FieldByName("Status"));
        auto* anrede = static_cast<TQelChoiceField*>(p->FieldByName("Anrede"));
        EXPECT_TRUE(status->InDomain("neu"));
        EXPECT_TRUE(status->InDomain("aktiv"));
        EXPECT_TRUE(anrede->InDomain("Dr."));
        anrede->set_AsString("Dr.");
        EXPECT_TRUE(anrede->Valid());
        SetQelDatabase(nullptr);
    }
}
