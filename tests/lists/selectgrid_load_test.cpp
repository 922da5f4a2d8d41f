// The select grid's loading: filter row and hostile texts, single-row reloads from instance
// notifications, freezing, uncommitted objects with commit and rollback, the delayed selection
// notice, keyboard commands and the incremental search.
#include "selectgrid_fixture.h"

#include "toolkit/clipbrd.h"

#include <QContextMenuEvent>

namespace {

TQelSelectGridOptions with(TQelSelectGridOptions o, std::initializer_list<TQelSelectGridOption> add)
{
    for (TQelSelectGridOption x : add)
        o << x;
    return o;
}

} // namespace

class SelectGridLoadTest : public SelectGridTest {
protected:
    void SetUp() override
    {
        SelectGridTest::SetUp();
        TQelSelectGrid::ResetLastSearch();
        grid->SetFieldSettings("");
    }
    void list(std::initializer_list<TQelSelectGridOption> add = {})
    {
        grid->set_SelectGridOptions(with(grid->get_SelectGridOptions(), add));
        grid->set_ClassName("Person");
        grid->Reload();
    }
    int rowOf(TQelObject* obj) const { return grid->get_row(obj->Key()); }
};

TEST_F(SelectGridLoadTest, FullLoadListsTheStoredRows)
{
    TQelObject* a = person("Meier", "Anna", 2);
    person("Schulz", "Bernd", 0);
    list();
    EXPECT_EQ(grid->EntryCount(), 2);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(column("Name"), (std::vector<std::string> { "Meier", "Schulz" }));
    EXPECT_EQ(grid->Cells(grid->ColumnByName("Kinder"), rowOf(a)), "2");
    EXPECT_EQ(grid->get_Key(rowOf(a)), a->Key());
    EXPECT_EQ(grid->get_row(TQelObjectKey()), -1);
    EXPECT_EQ(grid->Subscription() != 0, true);
}

TEST_F(SelectGridLoadTest, HostileFilterTextsAreFoundLiterally)
{
    const std::vector<std::string> names
        = { "O'Brien", "5%", "5x", "a_b", "axb", "x;DROP TABLE Person", "M\xC3\xBCller", "Mueller" };
    for (const std::string& n : names)
        person(n, "V");
    list({ soFilter });
    ASSERT_NE(grid->FilterObject(), nullptr);
    EXPECT_TRUE(grid->get_EditMode());
    EXPECT_EQ(grid->FirstDataRow(), 2);
    for (const std::string& n : { std::string("O'Brien"), std::string("5%"), std::string("a_b"),
             std::string("x;DROP TABLE Person"), std::string("M\xC3\xBCller") }) {
        grid->set_Filter("Name", n);
        EXPECT_EQ(grid->get_Filter("Name"), n);
        grid->Reload();
        EXPECT_EQ(column("Name"), std::vector<std::string> { n }) << n << " / " << grid->LastStatement();
        // The filter row shows the filter object's value after the load.
        EXPECT_EQ(grid->Cells(grid->ColumnByName("Name"), 1), n);
    }
    grid->set_Filter("Name", "");
    grid->Reload();
    EXPECT_EQ(grid->EntryCount(), static_cast<int>(names.size()));
    // The filter object is never stored.
    EXPECT_TRUE(grid->FilterObject()->IsNew());
}

TEST_F(SelectGridLoadTest, CommitElsewhereReloadsOnlyThatRow)
{
    TQelObject* a = person("Meier", "Anna");
    TQelObject* b = person("Schulz", "Bernd");
    for (int i = 0; i < 40; ++i)
        person("Zeh" + std::to_string(i), "X");
    list();
    grid->set_SelectedKey(b->Key());
    const int top = grid->TopRow();
    const int nameCol = grid->ColumnByName("Name");
    // A mark in another row shows whether the list was read again.
    grid->SetCellsEx(grid->ColumnByName("Vorname"), rowOf(b), "mark");
    int reloads = 0;
    grid->AfterReload = [&](TObject*) { ++reloads; };

    a->FieldByName("Name")->set_AsString("Meier-Lüdenscheid");
    ASSERT_TRUE(a->Commit());
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(grid->Cells(nameCol, rowOf(a)), "Meier-Lüdenscheid");
    EXPECT_EQ(grid->Cells(grid->ColumnByName("Vorname"), rowOf(b)), "mark");
    EXPECT_EQ(grid->get_SelectedKey(), b->Key());
    EXPECT_EQ(grid->TopRow(), top);
    EXPECT_NE(grid->LastSingleStatement().find("OBJEKT.K = " + a->Key().ToString()), std::string::npos);

    // A new object gets a row after the loaded ones and is selected.
    TQelObject* c = person("Neu", "Nina");
    EXPECT_EQ(grid->EntryCount(), 43);
    EXPECT_EQ(rowOf(c), grid->FirstDataRow() + 42);
    EXPECT_EQ(grid->get_SelectedKey(), c->Key());
}

TEST_F(SelectGridLoadTest, AReloadedRowIsFormattedAsTheFullLoadFormatsIt)
{
    TQelObject* a = person("Meier", "Anna", 0, "", "01.05.1970");
    a->FieldByName("Aktiv")->set_AsBool(true);
    ASSERT_TRUE(a->Commit());
    person("Schulz", "Bernd", 0, "", "02.06.1971");
    list();
    std::vector<std::string> loaded;
    for (int c = 0; c < grid->ColCount(); ++c)
        loaded.push_back(grid->Cells(c, rowOf(a)));
    EXPECT_EQ(grid->Cells(grid->ColumnByName("Geboren"), rowOf(a)), "01.05.1970");
    EXPECT_EQ(grid->Cells(grid->ColumnByName("Aktiv"), rowOf(a)), "Ja");

    a->FieldByName("Kinder")->set_AsInteger(3);
    ASSERT_TRUE(a->Commit());
    std::vector<std::string> reloaded;
    for (int c = 0; c < grid->ColCount(); ++c)
        reloaded.push_back(grid->Cells(c, rowOf(a)));
    loaded[static_cast<std::size_t>(grid->ColumnByName("Kinder"))] = "3";
    EXPECT_EQ(reloaded, loaded);
}

TEST_F(SelectGridLoadTest, SingleReloadJoinsTheSearchCondition)
{
    TQelObject* a = person("Meier", "Anna");
    person("Schulz", "Bernd");
    grid->set_ClassName("Person");
    grid->set_SearchCondition("Person.Name = 'Meier'");
    grid->Reload();
    EXPECT_EQ(grid->EntryCount(), 1);
    ASSERT_TRUE(grid->reload_single(a->Key()));
    EXPECT_NE(grid->LastSingleStatement().find("Person.Name = 'Meier' AND OBJEKT.K = " + a->Key().ToString()),
        std::string::npos)
        << grid->LastSingleStatement();
    // An object that leaves the condition leaves the list.
    a->FieldByName("Name")->set_AsString("Maier");
    ASSERT_TRUE(a->Commit());
    EXPECT_EQ(grid->EntryCount(), 0);
    EXPECT_EQ(grid->get_row(a->Key()), -1);
}

TEST_F(SelectGridLoadTest, DeletedObjectLeavesOrStaysPerOptions)
{
    TQelObject* a = person("Meier", "Anna");
    TQelObject* b = person("Schulz", "Bernd");
    list();
    // The selected last row goes: the selection moves to the row above first.
    grid->set_SelectedKey(b->Key());
    ASSERT_TRUE(b->Delete());
    EXPECT_EQ(grid->get_row(b->Key()), -1);
    EXPECT_EQ(grid->EntryCount(), 1);
    EXPECT_EQ(grid->get_SelectedKey(), a->Key());

    // Without soNotDeleted the deleted object's row stays.
    TQelSelectGridOptions o = grid->get_SelectGridOptions();
    o >> soNotDeleted;
    grid->set_SelectGridOptions(o);
    EXPECT_EQ(grid->EntryCount(), 2);
    ASSERT_TRUE(a->Delete());
    EXPECT_EQ(grid->EntryCount(), 2);
    EXPECT_GE(rowOf(a), grid->FirstDataRow());
}

TEST_F(SelectGridLoadTest, ReloadsWhileFrozenHappenOnceWhenUnfrozen)
{
    person("Meier", "Anna");
    list();
    int reloads = 0;
    grid->AfterReload = [&](TObject*) { ++reloads; };
    grid->set_Frozen(true);
    TQelObject* b = person("Schulz", "Bernd");
    grid->Reload();
    grid->Reload();
    grid->set_SelectedKey(b->Key());
    EXPECT_EQ(reloads, 0);
    EXPECT_EQ(grid->EntryCount(), 1);
    grid->set_Frozen(false);
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(grid->EntryCount(), 2);
    EXPECT_EQ(grid->get_SelectedKey(), b->Key());
}

TEST_F(SelectGridLoadTest, UncommittedObjectsFollowTheLoadedRowsAndAreCommitted)
{
    person("Meier", "Anna");
    TQelObject* fresh = create("Person");
    fresh->FieldByName("Name")->set_AsString("Neu");
    TQelObject* company = create("Firma"); // another class: not listed
    list({ soUncommitted });
    ASSERT_EQ(grid->NascentObjects().size(), 1u);
    const int row = grid->FirstDataRow() + grid->EntryCount();
    EXPECT_EQ(grid->RowCount(), row + 1);
    EXPECT_EQ(grid->Cells(0, row), "0");
    EXPECT_EQ(grid->Cells(grid->ColumnByName("Name"), row), "Neu");
    EXPECT_EQ(grid->AttachedObject(row), fresh);
    EXPECT_TRUE(grid->TouchedAnyObjects());

    int fails = 0;
    grid->OnCommitFail = [&](TObject*, bool&) { ++fails; };
    EXPECT_TRUE(grid->CommitAllObjects());
    EXPECT_EQ(fails, 0);
    EXPECT_FALSE(fresh->IsNew());
    EXPECT_EQ(grid->EntryCount(), 2);
    EXPECT_TRUE(grid->NascentObjects().empty());
    EXPECT_GE(grid->get_row(fresh->Key()), grid->FirstDataRow());
    EXPECT_TRUE(company->IsNew());
}

TEST_F(SelectGridLoadTest, RollbackFreesNewObjectsAndResetsChangedOnes)
{
    TQelObject* a = person("Meier", "Anna");
    create("Person")->FieldByName("Name")->set_AsString("Neu");
    list({ soUncommitted });
    TQelObject* attached = grid->get_Object(rowOf(a));
    ASSERT_EQ(attached, a);
    a->FieldByName("Name")->set_AsString("Geändert");
    EXPECT_TRUE(grid->TouchedAnyObjects());
    grid->RollbackAllObjects();
    EXPECT_FALSE(a->Touched());
    EXPECT_EQ(a->FieldByName("Name")->AsString(), "Meier");
    EXPECT_TRUE(db->NewObjects().empty() || db->NewObjects().front() == grid->FilterObject());
    EXPECT_TRUE(grid->NascentObjects().empty());
    EXPECT_FALSE(grid->TouchedAnyObjects());
}

TEST_F(SelectGridLoadTest, FailedCommitAsksAndRollsTheTransactionBack)
{
    list({ soUncommitted });
    TQelObject* fresh = create("Person");
    fresh->FieldByName("Kinder")->set_AsString("viele"); // not a number: the commit fails
    grid->Reload();
    ASSERT_EQ(grid->NascentObjects().size(), 1u);
    int asked = 0;
    grid->OnCommitFail = [&](TObject*, bool& again) {
        ++asked;
        again = asked < 2; // one more try, then give up
    };
    EXPECT_FALSE(grid->CommitAllObjects());
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(fresh->IsNew());
    EXPECT_FALSE(grid->get_Frozen());
}

TEST_F(SelectGridLoadTest, BurstOfSelectionMovesGivesOneDelayedNotice)
{
    for (int i = 0; i < 6; ++i)
        person("P" + std::to_string(i), "X");
    list();
    std::vector<TQelObjectKey> notices;
    grid->OnKeySelect = [&](TObject*, TQelObjectKey key, TQelObject*) { notices.push_back(key); };
    grid->SetFocus();
    QWidget* w = grid->Handle();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(w, Qt::Key_Down);
    EXPECT_TRUE(grid->KeySelectPending());
    QTest::qWait(150);
    EXPECT_TRUE(notices.empty());
    QTest::qWait(450);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], grid->get_SelectedKey());
    EXPECT_EQ(grid->Row(), grid->FirstDataRow() + 3);
    EXPECT_FALSE(grid->KeySelectPending());

    // A delay of 0 for one call notifies at once.
    grid->SelectRow(grid->FirstDataRow(), 0);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[1], grid->get_Key(grid->FirstDataRow()));
}

TEST_F(SelectGridLoadTest, HeldArrowKeyHoldsTheSelectionNoticeBack)
{
    for (int i = 0; i < 6; ++i)
        person("P" + std::to_string(i), "X");
    list();
    grid->set_SelectDelay(40);
    std::vector<TQelObjectKey> notices;
    grid->OnKeySelect = [&](TObject*, TQelObjectKey key, TQelObject*) { notices.push_back(key); };
    grid->SetFocus();
    QWidget* w = grid->Handle();
    QTest::keyPress(w, Qt::Key_Down);
    QTest::qWait(200); // several ticks with the key still down
    EXPECT_TRUE(notices.empty());
    EXPECT_TRUE(grid->KeySelectPending());
    QTest::keyRelease(w, Qt::Key_Down);
    QTest::qWait(150);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], grid->get_Key(grid->FirstDataRow() + 1));
}

TEST_F(SelectGridLoadTest, PopupMenuOpensAfterItsDelayAndNotWhileTheNoticeIsPending)
{
    for (int i = 0; i < 6; ++i)
        person("P" + std::to_string(i), "X");
    list();
    int popups = 0;
    grid->PopupMenu()->OnPopup = [&](TObject*) { ++popups; };
    std::vector<TQelObjectKey> notices;
    grid->OnKeySelect = [&](TObject*, TQelObjectKey key, TQelObject*) { notices.push_back(key); };
    grid->set_SelectDelay(300);
    // A right click on another row selects it: the menu waits for the selection notice.
    grid->SelectRow(grid->FirstDataRow() + 3);
    ASSERT_TRUE(grid->KeySelectPending());
    QContextMenuEvent ev(
        QContextMenuEvent::Mouse, QPoint(20, 60), grid->Handle()->mapToGlobal(QPoint(20, 60)));
    QApplication::sendEvent(grid->Handle(), &ev);
    EXPECT_TRUE(grid->PopupPending());
    EXPECT_EQ(popups, 0); // not at once
    QTest::qWait(150);
    EXPECT_EQ(popups, 0); // the notice is still pending
    QTest::qWait(350);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(popups, 1);
    EXPECT_FALSE(grid->PopupPending());
    grid->PopupMenu()->CloseMenu();

    // Without a pending notice it opens after its delay.
    QApplication::sendEvent(grid->Handle(), &ev);
    EXPECT_EQ(popups, 1);
    QTest::qWait(TQelSelectGrid::PopupDelayMs + 100);
    EXPECT_EQ(popups, 2);
    grid->PopupMenu()->CloseMenu();
}

TEST_F(SelectGridLoadTest, CtrlKCopiesAndCtrlGSelectsKeys)
{
    TQelObject* a = person("Meier", "Anna");
    TQelObject* b = person("Schulz", "Bernd");
    list();
    grid->set_SelectedKey(a->Key());
    grid->SetFocus();
    QTest::keyClick(grid->Handle(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(Clipboard()->AsText(), a->Key().ToString());
    Clipboard()->SetAsText(" " + b->Key().ToString() + " ");
    QTest::keyClick(grid->Handle(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(grid->get_SelectedKey(), b->Key());
    Clipboard()->SetAsText("'; DROP");
    QTest::keyClick(grid->Handle(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(grid->get_SelectedKey(), b->Key());
}

TEST_F(SelectGridLoadTest, MultiSelectCountsAndCollectsRows)
{
    TQelObject* a = person("Meier", "Anna");
    person("Otto", "O");
    TQelObject* c = person("Schulz", "Bernd");
    list({ soMultiSelect });
    grid->SetRowSelect(rowOf(a), true);
    grid->SetRowSelect(rowOf(c), true);
    EXPECT_EQ(grid->SelectCount(), 2);
    TQelKeyList keys;
    grid->GetSelectList(&keys);
    EXPECT_EQ(keys.KeysToCommaText(), a->Key().ToString() + "," + c->Key().ToString());
    grid->SelectRow(rowOf(c), 0);
    EXPECT_EQ(grid->SelectCount(), 1);
}

TEST_F(SelectGridLoadTest, LookupWrapsForwardAndBackward)
{
    person("Meier", "Anna");
    person("Otto", "Mei");
    person("Schulz", "Bernd");
    person("Zeh", "Meike");
    list();
    const int first = grid->FirstDataRow();
    EXPECT_TRUE(grid->Lookup("mei", false, true));
    EXPECT_EQ(grid->Row(), first);
    EXPECT_TRUE(grid->Lookup("mei", false, false));
    EXPECT_EQ(grid->Row(), first + 1);
    EXPECT_TRUE(grid->Lookup("mei", false, false));
    EXPECT_EQ(grid->Row(), first + 3);
    // Past the end: round to the first hit again.
    EXPECT_TRUE(grid->Lookup("mei", false, false));
    EXPECT_EQ(grid->Row(), first);
    // Backward from the first hit wraps to the last.
    EXPECT_TRUE(grid->Lookup("mei", true, false));
    EXPECT_EQ(grid->Row(), first + 3);
    // Only word starts count, unless '*' says anywhere; '+' matches case.
    EXPECT_FALSE(grid->Lookup("eie", false, true));
    EXPECT_TRUE(grid->Lookup("*eie", false, true));
    EXPECT_EQ(grid->Row(), first);
    EXPECT_FALSE(grid->Lookup("+meier", false, true));
    EXPECT_FALSE(grid->Lookup("nobody", false, true));
    EXPECT_EQ(grid->Row(), first);
}

TEST_F(SelectGridLoadTest, LookupControlCharactersAndThePrefix)
{
    person("Meier", "Anna");
    person("Otto", "Meike");
    list();
    const int first = grid->FirstDataRow();
    // Name=Mei: only the column whose header starts with Name.
    grid->FocusCell(1, first + 1);
    EXPECT_TRUE(grid->Lookup("Vorname=Mei", false, true));
    EXPECT_EQ(grid->Row(), first + 1);
    EXPECT_TRUE(grid->Lookup("Name=Mei", false, true));
    EXPECT_EQ(grid->Row(), first);
    EXPECT_FALSE(grid->Lookup("=Mei", false, true));
    // $...$ stores the prefix and searches nothing; the prefix then applies to every search.
    EXPECT_FALSE(grid->Lookup("$^$", false, true));
    EXPECT_EQ(db->User()->NameWert().ReadString("SearchPrefix"), "^");
    EXPECT_FALSE(grid->Lookup("eier", false, true)); // "^eier": must start the cell
    EXPECT_TRUE(grid->Lookup("Mei", false, true));
    EXPECT_FALSE(grid->Lookup("$$", false, true));
    EXPECT_EQ(db->User()->NameWert().ReadString("SearchPrefix"), "");
    // Hostile texts are only texts.
    for (const char* t : { "'", "%", "_", ";", "\\", "@", "@x=", "@99=a", "#[", "$", "*" })
        EXPECT_FALSE(grid->Lookup(t, false, true)) << t;
}

TEST_F(SelectGridLoadTest, TwoGridsContinueOneSearch)
{
    person("Meier", "Anna");
    person("Meister", "Bernd");
    list();
    auto* other = new TQelSelectGrid(form.get());
    other->SetParent(form.get());
    other->set_ClassName("Person");
    EXPECT_TRUE(grid->Lookup("mei", false, true));
    EXPECT_EQ(grid->Row(), grid->FirstDataRow());
    EXPECT_TRUE(other->Lookup("mei", false, false));
    EXPECT_EQ(other->Row(), other->FirstDataRow() + 1);
}

TEST_F(SelectGridLoadTest, SearchEditAndButtons)
{
    person("Meier", "Anna");
    person("Meister", "Bernd");
    list();
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    auto* prev = new TButton(form.get());
    prev->SetParent(form.get());
    auto* next = new TButton(form.get());
    next->SetParent(form.get());
    grid->set_SearchEdit(edit);
    grid->set_SearchPrev(prev);
    grid->set_SearchNext(next);
    EXPECT_FALSE(next->Enabled());
    edit->SetFocus();
    QTest::keyClicks(edit->Handle(), "mei");
    EXPECT_TRUE(next->Enabled());
    EXPECT_TRUE(prev->Enabled());
    const int first = grid->FirstDataRow();
    EXPECT_EQ(grid->Row(), first);
    next->Click();
    EXPECT_EQ(grid->Row(), first + 1);
    next->Click();
    EXPECT_EQ(grid->Row(), first);
    prev->Click();
    EXPECT_EQ(grid->Row(), first + 1);
    QTest::keyClick(edit->Handle(), Qt::Key_PageDown);
    EXPECT_EQ(grid->Row(), first);
    int opened = 0;
    grid->OnKeyOpen = [&](TObject*, TQelObjectKey, TQelObject*) { ++opened; };
    QTest::keyClick(edit->Handle(), Qt::Key_Return);
    EXPECT_EQ(opened, 1);
    edit->SetText("");
    EXPECT_FALSE(next->Enabled());
}

// Another class starts with an empty search: the text of the old one and its step buttons go;
// the button of the extended search asks for a search template of the class and applies it.
TEST_F(SelectGridLoadTest, AnotherClassStartsWithAnEmptySearch)
{
    person("Schmidt", "Anna");
    person("Schulz", "Bernd");
    TQelObject* firm = create("Firma");
    firm->FieldByName("Name")->set_AsString("Schrauben AG");
    ASSERT_TRUE(firm->Commit());
    list();
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    auto* next = new TButton(form.get());
    next->SetParent(form.get());
    auto* ext = new TButton(form.get());
    ext->SetParent(form.get());
    grid->set_SearchEdit(edit);
    grid->set_SearchNext(next);
    grid->set_ExtSearch(ext);
    EXPECT_FALSE(ext->Enabled()); // no OnQueryParams
    edit->SetFocus();
    QTest::keyClicks(edit->Handle(), "Sch");
    ASSERT_TRUE(next->Enabled());

    TQelAnsicht* byName = view("Nach Name", "Firma.Name = :Ort", nullptr, "Firma", cls("OrtParameter"));
    int asked = 0;
    grid->OnQueryParams
        = [&](TObject*, TQelClassKey cls, TQelAnsicht*& v, TQelFieldList*&, std::string& text, bool& ok) {
              ++asked;
              EXPECT_EQ(cls, this->cls("Firma"));
              v = byName;
              text = "Ort=Schrauben AG";
              ok = true;
          };
    grid->set_ClassName("Firma");
    EXPECT_EQ(edit->Text(), "");
    EXPECT_FALSE(next->Enabled());
    EXPECT_FALSE(next->TabStop());
    EXPECT_TRUE(ext->Enabled());
    EXPECT_FALSE(ext->TabStop());
    EXPECT_EQ(grid->EntryCount(), 1);

    QTest::mouseClick(ext->Handle(), Qt::LeftButton);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(grid->get_CurrentView(), byName);
    EXPECT_EQ(column("Name"), (std::vector<std::string> { "Schrauben AG" }));
}
