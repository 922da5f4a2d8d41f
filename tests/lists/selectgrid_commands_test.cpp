// The select grid's object commands: the menu's entries and captions for the selection, the tool
// bar, the shortcuts, and each command with its questions (scripted) and results in the database.
#include "selectgrid_fixture.h"
#include "support/private_dir.h"

#include "toolkit/toolbar.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

const char* const kCommandsSchema = R"(
class 33101 Adresse table=C_Adresse
  field Ort Text length=40
end
class 33102 Konto table=C_Konto
  field IBAN Text
end
class 33110 Person : Objekt table=C_Person format="<Name>, <Vorname>" noun="Person" gender=f plural="Personen" flags="Wichtig|Keine Werbung"
  field Name Text length=60
  field Vorname Text length=40
  field Kinder Ganzzahl
  vector Adressen Adresse
  subobject Konto Konto
end
class 33111 Mitarbeiter : Person noun="Mitarbeiter" gender=m plural="Mitarbeiter"
  field Nummer Ganzzahl
end
class 33120 Firma : Objekt table=C_Firma format="<Name>" noun="Firma" gender=f plural="Firmen"
  field Name Text
  field Chef Referenz ref=Person
end
)";

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Output of a shell command.
std::string run(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        while (std::size_t n = fread(buf, 1, sizeof buf, p))
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

} // namespace

class SelectGridCommandsTest : public SelectGridTest {
protected:
    SelectGridCommandsTest()
        : SelectGridTest(kCommandsSchema)
    {
    }
    void SetUp() override
    {
        SelectGridTest::SetUp();
        grid->SetFieldSettings("");
    }
    void list(std::initializer_list<TQelSelectGridOption> add = {})
    {
        TQelSelectGridOptions o = grid->get_SelectGridOptions();
        for (TQelSelectGridOption x : add)
            o << x;
        grid->set_SelectGridOptions(o);
        grid->set_ClassName("Person");
        grid->Reload();
    }
    void select(std::initializer_list<TQelObject*> objs)
    {
        grid->ClearRowSelect();
        for (TQelObject* o : objs)
            grid->SetRowSelect(grid->get_row(o->Key()), true);
        grid->FocusCell(1, grid->get_row((*objs.begin())->Key()));
    }
    // Opens the menu as a right click does and returns the shown entries ("-" for separators);
    // the menu stays open for the test to pick an entry.
    std::vector<std::string> openMenu()
    {
        const QPoint at = gridView()->viewport()->mapTo(grid->Handle(), QPoint(20, 20));
        QContextMenuEvent ev(QContextMenuEvent::Mouse, at, grid->Handle()->mapToGlobal(at));
        QApplication::sendEvent(grid->Handle(), &ev);
        // The menu opens through the grid's popup timer.
        for (int i = 0; i < 200 && grid->PopupPending(); ++i)
            QTest::qWait(5);
        std::vector<std::string> captions;
        if (QMenu* shown = grid->PopupMenu()->Handle())
            for (QAction* a : shown->actions())
                if (a->isVisible())
                    captions.push_back(a->isSeparator() ? "-" : a->text().toStdString());
        grid->PopupMenu()->CloseMenu();
        return captions;
    }
    qel::grid::GridView* gridView() const { return static_cast<qel::grid::GridView*>(grid->Handle()); }
    TMenuItem* cmd(TQelSelectGrid::TCommand c) const { return grid->CommandItem(c); }
    bool shown(TQelSelectGrid::TCommand c) const { return cmd(c) && cmd(c)->Visible(); }
    std::string caption(TQelSelectGrid::TCommand c) const { return cmd(c)->Caption(); }
    TQelObject* make(const char* name, const char* vorname)
    {
        TQelObject* p = create("Person");
        p->FieldByName("Name")->set_AsString(name);
        p->FieldByName("Vorname")->set_AsString(vorname);
        EXPECT_TRUE(p->Commit());
        return p;
    }
    void key(Qt::Key k) { QTest::keyClick(gridView(), k, Qt::ControlModifier); }
    // The first column of the first row the statement reads from the store.
    long long queryInt(const std::string& sql) const
    {
        sqlite3_stmt* st = nullptr;
        long long v = -1;
        if (sqlite3_prepare_v2(db->Handle(), sql.c_str(), -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW)
            v = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        return v;
    }

    PrivateDir scratch { "qel_sgcmd" };
    std::string dir = scratch.path().string();
};

using C = TQelSelectGrid;

// ---- entries and captions ---------------------------------------------------------------------

TEST_F(SelectGridCommandsTest, EntriesFollowTheSelectionAndTheApplicationsEvents)
{
    TQelObject* a = make("Meier", "Anna");
    make("Otto", "Olaf");
    TQelObject* c = make("Schulz", "Carla");
    list({ soMultiSelect, soMergeObjects, soCopyItem, soPrintList });
    select({ a });

    // Without application events: no edit, no print; create, delete and copy come from the grid.
    grid->update_popup_menu();
    EXPECT_FALSE(shown(C::cmdEdit));
    EXPECT_FALSE(shown(C::cmdPrint));
    EXPECT_FALSE(shown(C::cmdMerge)) << "one object";
    EXPECT_FALSE(shown(C::cmdRepair)) << "debug mode only";
    EXPECT_FALSE(shown(C::cmdSaveCSV));
    EXPECT_EQ(caption(C::cmdCreate), "Neue Person anlegen");
    EXPECT_EQ(caption(C::cmdDelete), "Person 'Meier, Anna' löschen");
    EXPECT_EQ(caption(C::cmdCopy), "Person 'Meier, Anna' kopieren");
    EXPECT_TRUE(shown(C::cmdPrintList));

    grid->OnKeyOpen = [](TObject*, TQelObjectKey, TQelObject*) {};
    grid->OnKeyPrint = [](TObject*, TQelObjectKey, TQelObject*) {};
    grid->OnSaveCSV = [](TObject*, std::string&) {};
    db->set_Debug(true);
    const std::vector<std::string> menu = openMenu();
    const std::vector<std::string> head(menu.begin(), menu.begin() + 8);
    EXPECT_EQ(head,
        (std::vector<std::string> { "Neue Person anlegen\tStrg+N", "Person 'Meier, Anna' bearbeiten\tStrg+B",
            "Person 'Meier, Anna' löschen\tStrg+L", "Person 'Meier, Anna' drucken/exportieren/mailen\tStrg+P",
            "Person 'Meier, Anna' kopieren\tStrg+C", "Korrektheit sicherstellen", "Sperre aufheben", "-" }));
    EXPECT_NE(std::find(menu.begin(), menu.end(), "Liste als CSV-Datei speichern..."), menu.end());
    EXPECT_NE(std::find(menu.begin(), menu.end(), "Attribute"), menu.end());
    EXPECT_NE(std::find(menu.begin(), menu.end(), "Anzeige ändern..."), menu.end());

    // Three selected: numbers and plurals, no names; merge appears, copy goes.
    select({ a, c });
    grid->SetRowSelect(2, true);
    grid->update_popup_menu();
    EXPECT_EQ(caption(C::cmdEdit), "3 Personen bearbeiten");
    EXPECT_EQ(caption(C::cmdDelete), "3 Personen löschen");
    EXPECT_EQ(caption(C::cmdPrint), "3 Personen drucken/exportieren/mailen");
    EXPECT_EQ(caption(C::cmdMerge), "3 Personen zusammenfassen");
    EXPECT_TRUE(shown(C::cmdMerge));
    EXPECT_FALSE(shown(C::cmdCopy));

    // The application forbids deleting and creating.
    grid->AllowDelete = [](TObject*, bool& allow, TQelClassKey) { allow = false; };
    grid->AllowCreate = [](TObject*, bool& allow, TQelClassKey) { allow = false; };
    grid->update_popup_menu();
    EXPECT_FALSE(shown(C::cmdDelete));
    EXPECT_FALSE(shown(C::cmdCreate));
}

// The view part of the menu: "Anzeige ändern..." first, the view commands after it, and commands
// on the current view only when there is one.
TEST_F(SelectGridCommandsTest, TheViewPartOfTheMenuNamesOnlyViewsThatAreThere)
{
    make("Meier", "Anna");
    list();
    auto tail = [](const std::vector<std::string>& menu) {
        const auto at = std::find(menu.begin(), menu.end(), "Anzeige ändern...");
        return std::vector<std::string>(at, std::find(at, menu.end(), "(Vollansicht)"));
    };
    std::vector<std::string> menu = openMenu();
    EXPECT_EQ(
        tail(menu), (std::vector<std::string> { "Anzeige ändern...", "Neuen Filter definieren...", "-" }));
    for (const std::string& entry : menu)
        EXPECT_EQ(entry.find("''"), std::string::npos) << entry;

    TQelAnsicht* view = this->view("Mit Kindern", "C_Person.Kinder > 0");
    grid->SetCurrentView(view, nullptr, "", true);
    EXPECT_EQ(tail(openMenu()),
        (std::vector<std::string> { "Anzeige ändern...", "Neuen Filter definieren...",
            "Filter 'Mit Kindern' bearbeiten...", "Filter 'Mit Kindern' löschen",
            "Filter 'Mit Kindern' speichern", "-" }));
}

TEST_F(SelectGridCommandsTest, AViewOfDeletedObjectsOffersOnlyRestoreAndFinalDelete)
{
    TQelObject* a = make("Meier", "Anna");
    TQelObject* b = make("Otto", "Olaf");
    TQelObjectCommands(db.get()).MarkDeleted({ a->Key(), b->Key() });
    db->User()->FieldByName("Admin")->set_AsBool(false);
    TQelAnsicht* deleted = view("Gelöschte", "OBJEKT.GELOESCHT = 1", nullptr, "Person", {}, true);
    list({ soMultiSelect });
    grid->OnKeyOpen = [](TObject*, TQelObjectKey, TQelObject*) {};
    grid->SetCurrentView(deleted, nullptr, "", true);
    ASSERT_EQ(grid->EntryCount(), 2);
    select({ a });
    grid->update_popup_menu();
    for (C::TCommand c : { C::cmdCreate, C::cmdEdit, C::cmdDelete, C::cmdCopy, C::cmdMerge, C::cmdPrintList })
        EXPECT_FALSE(shown(c)) << c;
    EXPECT_EQ(caption(C::cmdRestore), "Person 'Meier, Anna' wiederherstellen");
    EXPECT_EQ(caption(C::cmdDump), "Person 'Meier, Anna' endgültig löschen");
    EXPECT_FALSE(cmd(C::cmdDump)->Enabled()) << "administrators only";
    select({ a, b });
    grid->update_popup_menu();
    EXPECT_EQ(caption(C::cmdRestore), "2 Personen wiederherstellen");
    EXPECT_EQ(caption(C::cmdDump), "2 Personen endgültig löschen");

    // Restoring two asks; both come back and leave the list of deleted ones.
    dialogs->AnswerBox(IDYES);
    cmd(C::cmdRestore)->Click();
    EXPECT_EQ(dialogs->LastQuestion().text, "Sollen die 2 selektierten Personen wiederhergestellt werden?");
    EXPECT_FALSE(a->Deleted());
    EXPECT_FALSE(b->Deleted());
    EXPECT_EQ(grid->EntryCount(), 0) << grid->LastStatement();
}

TEST_F(SelectGridCommandsTest, AReadOnlyDatabaseOffersNoWritingCommand)
{
    const std::string file = dir + "/nurlesen.qeldb";
    {
        TQelDatabase w;
        TQelOpenOptions o;
        o.schemaText = kCommandsSchema;
        o.create = true;
        w.Open(file, o);
        TQelObject* p = w.CreateObject(w.FindClass("Person")->Key());
        p->FieldByName("Name")->set_AsString("Meier");
        ASSERT_TRUE(p->Commit());
    }
    form.reset();
    SetQelDatabase(nullptr);
    db = std::make_unique<TQelDatabase>();
    TQelOpenOptions o;
    o.readOnly = true;
    db->Open(file, o);
    SetQelDatabase(db.get());
    form = std::make_unique<TForm>(nullptr);
    startGrid();
    grid->OnKeyOpen = [](TObject*, TQelObjectKey, TQelObject*) {};
    list({ soCopyItem });
    grid->SelectRow(1, 0);
    grid->update_popup_menu();
    EXPECT_TRUE(shown(C::cmdEdit));
    EXPECT_FALSE(shown(C::cmdCreate));
    EXPECT_FALSE(shown(C::cmdDelete));
    EXPECT_FALSE(shown(C::cmdCopy));
    // The shortcut finds no entry: nothing is asked, nothing deleted.
    key(Qt::Key_L);
    EXPECT_TRUE(dialogs->Questions().empty());
}

TEST_F(SelectGridCommandsTest, TheToolBarMirrorsCreateEditAndDelete)
{
    TQelObject* a = make("Meier", "Anna");
    list();
    auto* bar = new TToolBar(form.get());
    bar->SetParent(form.get());
    bar->SetBounds(0, 0, 400, 30);
    grid->set_MenuToolBar(bar);
    ASSERT_EQ(bar->ButtonCount(), 3);
    int created = 0;
    grid->OnNewClick = [&](TObject*, TQelClassKey cls) { created += cls == this->cls("Person"); };
    grid->SelectRow(grid->get_row(a->Key()), 0);
    EXPECT_TRUE(bar->Buttons(0)->Enabled());
    EXPECT_FALSE(bar->Buttons(1)->Enabled()) << "no OnKeyOpen";
    EXPECT_TRUE(bar->Buttons(2)->Enabled());
    QTest::mouseClick(bar->Buttons(0)->Handle(), Qt::LeftButton);
    EXPECT_EQ(created, 1);
    dialogs->AnswerBox(IDNO);
    QTest::mouseClick(bar->Buttons(2)->Handle(), Qt::LeftButton);
    EXPECT_EQ(dialogs->LastQuestion().text, "Soll die Person 'Meier, Anna' wirklich gelöscht werden?");
    EXPECT_FALSE(a->Deleted());
}

// ---- delete -----------------------------------------------------------------------------------

TEST_F(SelectGridCommandsTest, DeleteAsksAndOnlyYesDeletes)
{
    TQelObject* a = make("Meier", "Anna");
    TQelObject* b = make("Otto", "Olaf");
    TQelObject* c = make("Schulz", "Carla");
    list({ soMultiSelect });
    select({ a });
    dialogs->AnswerBox(IDNO);
    key(Qt::Key_L);
    ASSERT_EQ(dialogs->Questions().size(), 1u);
    EXPECT_EQ(dialogs->LastQuestion().text, "Soll die Person 'Meier, Anna' wirklich gelöscht werden?");
    EXPECT_EQ(dialogs->LastQuestion().caption, "Person löschen");
    EXPECT_FALSE(a->Deleted());

    std::vector<TQelObjectKey> before, after;
    grid->BeforeDelete = [&](TObject*, TQelObjectKey k, bool& allow) {
        before.push_back(k);
        allow = k != b->Key();
    };
    grid->AfterDelete = [&](TObject*, TQelObject* o) { after.push_back(o->Key()); };
    select({ a, b, c });
    dialogs->AnswerBox(IDYES);
    key(Qt::Key_L);
    EXPECT_EQ(dialogs->LastQuestion().text, "Sollen die 3 selektierten Personen wirklich gelöscht werden?");
    EXPECT_EQ(dialogs->LastQuestion().caption, "Personen löschen");
    EXPECT_EQ(before, (std::vector<TQelObjectKey> { a->Key(), b->Key(), c->Key() }));
    EXPECT_EQ(after, (std::vector<TQelObjectKey> { a->Key(), c->Key() }));
    EXPECT_TRUE(a->Deleted());
    EXPECT_FALSE(b->Deleted());
    EXPECT_TRUE(c->Deleted());
    EXPECT_EQ(column("Name"), (std::vector<std::string> { "Otto" }));
}

TEST_F(SelectGridCommandsTest, DeletingTheSelectedMiddleRowSelectsTheNextPerson)
{
    make("Anton", "A");
    TQelObject* berta = make("Berta", "B");
    TQelObject* carl = make("Carl", "C");
    make("Dora", "D");
    list();
    std::vector<TQelObjectKey> announced, opened;
    grid->OnKeySelect = [&](TObject*, TQelObjectKey k, TQelObject*) { announced.push_back(k); };
    grid->OnKeyOpen = [&](TObject*, TQelObjectKey k, TQelObject*) { opened.push_back(k); };
    // A click on Berta's name, then the delete shortcut, answered yes.
    const int row = grid->get_row(berta->Key());
    const TRect r = grid->CellRect(grid->ColumnByName("Name"), row);
    QTest::mouseClick(gridView()->viewport(), Qt::LeftButton, {},
        gridView()->viewport()->mapFrom(
            grid->Handle(), QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2)));
    QTest::qWait(450);
    ASSERT_EQ(grid->get_SelectedKey(), berta->Key());
    dialogs->AnswerBox(IDYES);
    key(Qt::Key_L);
    QTest::qWait(450);
    EXPECT_TRUE(berta->Deleted());
    EXPECT_EQ(column("Name"), (std::vector<std::string> { "Anton", "Carl", "Dora" }));
    EXPECT_EQ(grid->get_SelectedKey(), carl->Key());
    EXPECT_EQ(grid->get_Key(grid->Row()), carl->Key());
    ASSERT_FALSE(announced.empty());
    EXPECT_EQ(announced.back(), carl->Key());
    QTest::keyClick(gridView(), Qt::Key_Return);
    EXPECT_EQ(opened, (std::vector<TQelObjectKey> { carl->Key() }));

    // Deleted elsewhere, one row at a time: a row above goes and Carl stays selected; Carl goes
    // and the selection moves on to Dora.
    TQelObject* anton = db->GetObjectA(grid->get_Key(grid->FirstDataRow()));
    ASSERT_TRUE(anton->Delete());
    EXPECT_EQ(grid->get_SelectedKey(), carl->Key());
    ASSERT_TRUE(carl->Delete());
    QTest::qWait(450);
    EXPECT_EQ(column("Name"), (std::vector<std::string> { "Dora" }));
    EXPECT_EQ(grid->get_Key(grid->Row()), grid->get_Key(grid->FirstDataRow()));
    EXPECT_EQ(announced.back(), grid->get_SelectedKey());
}

TEST_F(SelectGridCommandsTest, AnEmptiedQuestionDeletesWithoutAsking)
{
    TQelObject* a = make("Meier", "Anna");
    TQelObject* b = make("Otto", "Olaf");
    list({ soMultiSelect });
    int calls = 0;
    grid->BeforeDeleteQuery
        = [&](TObject*, int n, TQelClassKey cls, TQelObjectKey key, bool&, std::string& q) {
              ++calls;
              EXPECT_EQ(n, 2);
              EXPECT_EQ(key, TQelObjectKey());
              EXPECT_EQ(cls, this->cls("Person"));
              q.clear();
          };
    select({ a, b });
    key(Qt::Key_L);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(dialogs->Questions().empty());
    EXPECT_TRUE(a->Deleted());
    EXPECT_TRUE(b->Deleted());
    EXPECT_EQ(grid->EntryCount(), 0);
}

// The store refuses the middle one of three persons: the others are still deleted (AfterDelete
// for them only), and the message names the refused person.
TEST_F(SelectGridCommandsTest, ARefusedDeleteNamesItsObjectAndTheOthersGoOn)
{
    TQelObject* a = make("Meier", "Anna");
    TQelObject* b = make("Otto", "Olaf");
    TQelObject* c = make("Schulz", "Carla");
    list({ soMultiSelect });
    std::vector<std::string> events;
    grid->BeforeDelete = [&](TObject*, TQelObjectKey k, bool&) { events.push_back("B" + k.ToString()); };
    grid->AfterDelete = [&](TObject*, TQelObject* o) { events.push_back("A" + o->Key().ToString()); };
    sqlite3_exec(db->Handle(),
        "CREATE TRIGGER stop BEFORE UPDATE OF GELOESCHT ON C_Person WHEN NEW.Name = 'Otto' BEGIN SELECT "
        "RAISE(ABORT, 'Datenträger voll'); END",
        nullptr, nullptr, nullptr);
    select({ a, b, c });
    dialogs->AnswerBox(IDYES);
    key(Qt::Key_L);
    ASSERT_EQ(dialogs->Questions().size(), 2u) << "the question and one error";
    const auto& error = dialogs->LastQuestion();
    EXPECT_EQ(error.flags & MB_ICONERROR, unsigned(MB_ICONERROR));
    EXPECT_EQ(error.caption, "Personen löschen");
    EXPECT_EQ(error.text.rfind("Löschen der Person 'Otto, Olaf' gescheitert:\n\n", 0), 0u) << error.text;
    EXPECT_NE(error.text.find("Datenträger voll"), std::string::npos);
    const std::string ka = a->Key().ToString(), kb = b->Key().ToString(), kc = c->Key().ToString();
    EXPECT_EQ(events, (std::vector<std::string> { "B" + ka, "B" + kb, "B" + kc, "A" + ka, "A" + kc }));
    EXPECT_TRUE(a->Deleted());
    EXPECT_FALSE(b->Deleted());
    EXPECT_TRUE(c->Deleted());
    EXPECT_EQ(queryInt("SELECT COUNT(*) FROM C_Person WHERE GELOESCHT = 1"), 2);
    EXPECT_EQ(column("Name"), (std::vector<std::string> { "Otto" }));
}

// In the view of deleted objects, restoring goes object by object as well.
TEST_F(SelectGridCommandsTest, RestoreNamesTheRefusedObjectAndGoesOn)
{
    TQelObject* a = make("Meier", "Anna");
    TQelObject* b = make("Otto", "Olaf");
    TQelObject* c = make("Schulz", "Carla");
    ASSERT_TRUE(TQelObjectCommands(db.get()).MarkDeleted({ a->Key(), b->Key(), c->Key() }));
    TQelAnsicht* deleted = view("Gelöschte", "OBJEKT.GELOESCHT = 1", nullptr, "Person", {}, true);
    list({ soMultiSelect });
    grid->SetCurrentView(deleted, nullptr, "", true);
    ASSERT_EQ(grid->EntryCount(), 3);

    sqlite3_exec(db->Handle(),
        "CREATE TRIGGER stop BEFORE UPDATE OF GELOESCHT ON C_Person WHEN NEW.Name = 'Schulz' BEGIN SELECT "
        "RAISE(ABORT, 'Datenträger voll'); END",
        nullptr, nullptr, nullptr);
    select({ a, c });
    const std::vector<std::string> entries = openMenu();
    ASSERT_NE(std::find(entries.begin(), entries.end(), "2 Personen wiederherstellen"), entries.end());
    dialogs->AnswerBox(IDYES);
    cmd(C::cmdRestore)->Click();
    EXPECT_EQ(
        dialogs->LastQuestion().text.rfind("Wiederherstellen der Person 'Schulz, Carla' gescheitert:", 0), 0u)
        << dialogs->LastQuestion().text;
    EXPECT_EQ(dialogs->LastQuestion().caption, "Personen wiederherstellen");
    EXPECT_FALSE(a->Deleted());
    EXPECT_TRUE(c->Deleted());
    EXPECT_EQ(grid->EntryCount(), 2);
}

// Removing for good: a refused object is named, the others go; AfterDump for them only.

TEST_F(SelectGridCommandsTest, FinalDeleteNamesTheRefusedObjectAndGoesOn)
{
    TQelObject* b = make("Otto", "Olaf");
    TQelObject* c = make("Schulz", "Carla");
    const TQelObjectKey kb = b->Key(), kc = c->Key();
    ASSERT_TRUE(TQelObjectCommands(db.get()).MarkDeleted({ kb, kc }));
    db->User()->FieldByName("Admin")->set_AsBool(true); // final delete is theirs only
    TQelAnsicht* deleted = view("Gelöschte", "OBJEKT.GELOESCHT = 1", nullptr, "Person", {}, true);
    list({ soMultiSelect });
    grid->SetCurrentView(deleted, nullptr, "", true);
    ASSERT_EQ(grid->EntryCount(), 2);

    // Removing Otto and Schulz for good: the store keeps Otto, Schulz goes all the same.
    sqlite3_exec(db->Handle(),
        "CREATE TRIGGER keep BEFORE DELETE ON C_Person WHEN OLD.Name = 'Otto' BEGIN SELECT "
        "RAISE(ABORT, 'Datenträger voll'); END",
        nullptr, nullptr, nullptr);
    std::vector<std::string> events;
    grid->BeforeDump = [&](TObject*, TQelObjectKey k, bool&) { events.push_back("B" + k.ToString()); };
    grid->AfterDump = [&](TObject*, TQelObjectKey k) { events.push_back("A" + k.ToString()); };
    select({ b, c });
    const std::vector<std::string> again = openMenu();
    ASSERT_NE(std::find(again.begin(), again.end(), "2 Personen endgültig löschen"), again.end());
    ASSERT_TRUE(cmd(C::cmdDump)->Enabled());
    dialogs->AnswerBox(IDYES);
    cmd(C::cmdDump)->Click();
    EXPECT_EQ(
        dialogs->LastQuestion().text.rfind("Endgültiges Löschen der Person 'Otto, Olaf' gescheitert:", 0), 0u)
        << dialogs->LastQuestion().text;
    EXPECT_NE(dialogs->LastQuestion().text.find("Datenträger voll"), std::string::npos);
    EXPECT_EQ(
        events, (std::vector<std::string> { "B" + kb.ToString(), "B" + kc.ToString(), "A" + kc.ToString() }));
    EXPECT_EQ(queryInt("SELECT COUNT(*) FROM C_Person WHERE Name = 'Schulz'"), 0);
    EXPECT_EQ(queryInt("SELECT COUNT(*) FROM C_Person WHERE Name = 'Otto'"), 1);
    grid->Reload();
    EXPECT_EQ(column("Name"), (std::vector<std::string> { "Otto" }));
}

// ---- merge and copy ---------------------------------------------------------------------------

TEST_F(SelectGridCommandsTest, MergeKeepsTheTopRowAndReportsTheReferences)
{
    TQelObject* a = make("Meier", "Anna");
    TQelObject* b = make("Otto", "Olaf");
    TQelObject* c = make("Schulz", "Carla");
    TQelObject* firm = create("Firma");
    firm->FieldByName("Name")->set_AsString("Alpha");
    static_cast<TQelRefField*>(firm->FieldByName("Chef"))->set_AsKey(c->Key());
    ASSERT_TRUE(firm->Commit());
    list({ soMultiSelect, soMergeObjects });
    grid->SortByColumn(grid->ColumnByName("Name"), sdAscending);
    select({ a, b, c });
    grid->update_popup_menu();
    dialogs->AnswerBox(IDNO);
    cmd(C::cmdMerge)->Click();
    EXPECT_EQ(dialogs->LastQuestion().text,
        "Sollen die 3 ausgewählten Personen wirklich zu einer Person (mit den Daten von 'Meier, Anna') "
        "zusammengefasst werden?\n\n(Die Vorgang kann nicht mehr rückgängig gemacht werden.)");
    EXPECT_EQ(dialogs->LastQuestion().caption, "3 Personen zusammenfassen");
    EXPECT_FALSE(c->Deleted());

    dialogs->AnswerBox(IDYES);
    cmd(C::cmdMerge)->Click();
    EXPECT_EQ(dialogs->LastQuestion().text,
        "2 Personen gelöscht (mit 'Meier, Anna' verbunden)\n1 Referenzen geändert");
    EXPECT_EQ(dialogs->LastQuestion().caption, "3 Personen zusammengefasst");
    EXPECT_TRUE(b->Deleted());
    EXPECT_TRUE(c->Deleted());
    EXPECT_EQ(static_cast<TQelRefField*>(firm->FieldByName("Chef"))->AsKey(), a->Key());
    EXPECT_EQ(column("Name"), (std::vector<std::string> { "Meier" }));
    EXPECT_EQ(grid->get_SelectedKey(), a->Key());
}

TEST_F(SelectGridCommandsTest, CopyCommitsAndSelectsTheCopyUnlessTheApplicationSaysOtherwise)
{
    TQelObject* a = make("Meier", "Anna");
    a->FieldList()->VectorByName("Adressen")->Add()->FieldList()->FieldByName("Ort")->set_AsString("Köln");
    ASSERT_TRUE(a->Commit());
    list({ soCopyItem });
    grid->SelectRow(grid->get_row(a->Key()), 0);
    TQelObject* copy = nullptr;
    grid->AfterCopy = [&](TObject*, TQelObject* source, int& mode, TQelObject* c) {
        EXPECT_EQ(source, a);
        copy = c;
        mode = 0;
    };
    key(Qt::Key_C);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->IsNew()) << "mode 0 leaves it unsaved";
    EXPECT_EQ(grid->EntryCount(), 1);
    db->FreeObject(copy);

    grid->AfterCopy = nullptr;
    grid->BeforeCopy
        = [&](TObject*, TQelClassKey& cls, bool&, TQelObjectKey) { cls = this->cls("Mitarbeiter"); };
    key(Qt::Key_C);
    EXPECT_EQ(grid->EntryCount(), 2);
    TQelObject* copied = grid->get_SelectedObject();
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, a);
    EXPECT_EQ(copied->ClassKey(), cls("Mitarbeiter"));
    EXPECT_EQ(copied->FieldList()->FindField("Adressen[0].Ort")->AsString(), "Köln");
}

// ---- flags, repair, unlock --------------------------------------------------------------------

TEST_F(SelectGridCommandsTest, AttributesAreMarkedAndToggled)
{
    TQelObject* a = make("Meier", "Anna");
    TQelObject* b = make("Otto", "Olaf");
    list({ soMultiSelect });
    select({ a, b });
    grid->update_popup_menu();
    TMenuItem* flags = cmd(C::cmdAttributes);
    ASSERT_EQ(flags->Count(), 2);
    EXPECT_EQ(flags->Items(1)->Caption(), "Keine Werbung");
    EXPECT_FALSE(flags->Items(1)->Checked());
    flags->Items(1)->Click();
    TQelObjectCommands commands(db.get());
    EXPECT_TRUE(commands.HasFlag(a->Key(), 1));
    EXPECT_TRUE(commands.HasFlag(b->Key(), 1));
    select({ a });
    grid->update_popup_menu();
    EXPECT_TRUE(cmd(C::cmdAttributes)->Items(1)->Checked());
    cmd(C::cmdAttributes)->Items(1)->Click();
    EXPECT_FALSE(commands.HasFlag(a->Key(), 1));
    EXPECT_TRUE(commands.HasFlag(b->Key(), 1));
}

TEST_F(SelectGridCommandsTest, RepairAndUnlockReportPerObject)
{
    TQelObject* a = make("Meier", "Anna");
    list();
    db->set_Debug(true);
    grid->SelectRow(grid->get_row(a->Key()), 0);
    grid->update_popup_menu();
    cmd(C::cmdRepair)->Click();
    EXPECT_EQ(dialogs->LastQuestion().caption, "Ergebnis");
    EXPECT_EQ(dialogs->LastQuestion().text, "Meier, Anna: OK");

    ASSERT_TRUE(db->CreateSQLEngine()->Lock(a->Key()));
    dialogs->AnswerBox(IDYES);
    cmd(C::cmdUnlock)->Click();
    const std::string report = dialogs->LastQuestion().text;
    EXPECT_EQ(report.rfind(a->Key().ToString() + ": Objekt gesperrt in Session ", 0), 0u) << report;
    EXPECT_NE(report.find("\nObjekt erfolgreich entsperrt."), std::string::npos) << report;
    int session = 0;
    double time = 0;
    EXPECT_FALSE(db->CreateSQLEngine()->IsLocked(a->Key(), session, time));
    dialogs->AnswerBox(IDYES);
    cmd(C::cmdUnlock)->Click();
    EXPECT_EQ(dialogs->LastQuestion().text, a->Key().ToString() + ": Objekt war nicht gesperrt.\n");
}

// ---- files: CSV, PDF, templates ---------------------------------------------------------------

TEST_F(SelectGridCommandsTest, CsvOfHostileTextsReadsBackLiterallyInAnIndependentParser)
{
    const std::vector<std::string> names = { "Müller; Söhne", "Er sagte \"Hallo\"", "Zeile1\nZeile2",
        "=HYPERLINK(\"x\")", "+49 221", "-5", "@SUM(A1)", "Öztürk" };
    for (const std::string& n : names) {
        TQelObject* p = create("Person");
        p->FieldByName("Name")->set_AsString(n);
        p->FieldByName("Vorname")->set_AsString("ä");
        ASSERT_TRUE(p->Commit());
    }
    list();
    grid->SetDelimiter(',');
    const std::string file = dir + "/liste.csv";
    grid->OnSaveCSV = [&](TObject*, std::string& name) { name = file; };
    grid->update_popup_menu();
    cmd(C::cmdSaveCSV)->Click();
    EXPECT_TRUE(dialogs->Questions().empty()) << dialogs->LastQuestion().text;
    const std::string bytes = readFile(file);
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF") << "a BOM for the spreadsheet";

    // Python's csv module as the spreadsheet: one line per row, the name column as it reads it.
    const int col = grid->ColumnByName("Name");
    const std::string script
        = "import csv,sys\n"
          "rows=list(csv.reader(open(sys.argv[1],encoding='utf-8-sig',newline=''),delimiter=';'))\n"
          "i=rows[0].index('Name')\n"
          "for r in rows[1:]: sys.stdout.write(r[i].replace('\\n','<NL>')+'\\n')\n";
    std::ofstream(dir + "/read.py") << script;
    const std::string out = run("python3 " + dir + "/read.py " + file);
    std::vector<std::string> read;
    std::stringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        read.push_back(line);
    std::vector<std::string> expected;
    for (int r = 1; r < grid->RowCount(); ++r) {
        const std::string n = grid->Cells(col, r);
        // Formulas come back as texts with an apostrophe in front; everything else as it was.
        const bool formula = n[0] == '=' || n[0] == '@' || n == "+49 221";
        std::string shown = (formula ? "'" : "") + n;
        for (std::size_t at = shown.find('\n'); at != std::string::npos; at = shown.find('\n'))
            shown.replace(at, 1, "<NL>");
        expected.push_back(shown);
    }
    EXPECT_EQ(read, expected) << out;
}

// The file holds what the list shows: no hidden key column, no hidden empty column, no filter row;
// the header row and every listed row.
TEST_F(SelectGridCommandsTest, CsvHoldsTheColumnsAndRowsTheListShows)
{
    make("Meier", "Anna");
    make("Otto", "Olaf");
    make("Schulz", "Carla");
    list({ soFilter });
    ASSERT_TRUE(grid->IsHiddenColumn(grid->ColumnByName("Kinder"))); // no person has children
    const std::string file = dir + "/sicht.csv";
    grid->OnSaveCSV = [&](TObject*, std::string& name) { name = file; };
    grid->update_popup_menu();
    cmd(C::cmdSaveCSV)->Click();
    EXPECT_EQ(readFile(file), "\xEF\xBB\xBFName;Vorname\r\nMeier;Anna\r\nOtto;Olaf\r\nSchulz;Carla\r\n");

    // A filter typed into the filter row filters the file too, and is no line of its own.
    grid->set_Filter("Vorname", "Carla");
    grid->Reload();
    cmd(C::cmdSaveCSV)->Click();
    EXPECT_EQ(readFile(file), "\xEF\xBB\xBFName;Vorname\r\nSchulz;Carla\r\n");
}

TEST_F(SelectGridCommandsTest, PrintingTheListWithoutAPrinterWritesAPdfWithTheRows)
{
    if (TAdvStringGrid::HasPrinter())
        GTEST_SKIP() << "a printer is set up";
    make("Meier", "Anna");
    make("Grünwald", "Jörg");
    list({ soPrintList });
    const std::string file = dir + "/liste.pdf";
    dialogs->AnswerFiles({ file });
    grid->update_popup_menu();
    ASSERT_TRUE(shown(C::cmdPrintList));
    cmd(C::cmdPrintList)->Click();
    ASSERT_TRUE(std::filesystem::exists(file));
    const std::string text = run("pdftotext -layout " + file + " -");
    EXPECT_NE(text.find("Meier"), std::string::npos) << text;
    EXPECT_NE(text.find("Grünwald"), std::string::npos) << text;
    EXPECT_NE(text.find("Jörg"), std::string::npos) << text;
}

TEST_F(SelectGridCommandsTest, ExportWritesOneFilePerObjectIntoTheChosenFolder)
{
    TQelObject* a = make("Meier", "Anna");
    TQelObject* b = make("Otto", "Olaf");
    std::string error;
    const TQelObjectKey t = TQelRTFVorlage::Create(
        db.get(), "Karteikarte", cls("Person"), "html", "<h1><Name></h1><Vorname>", error);
    ASSERT_TRUE(t.Valid()) << error;
    list({ soMultiSelect });
    std::vector<TQelObjectKey> exported;
    grid->OnExporting = [&](TObject*, TQelObjectKey tk, const TQelKeyList& keys, bool&) {
        EXPECT_EQ(tk, t);
        exported.assign(keys.begin(), keys.end());
    };
    select({ a, b });
    grid->update_popup_menu();
    ASSERT_TRUE(shown(C::cmdExport));
    EXPECT_EQ(caption(C::cmdPrint), "2 Personen drucken") << "beside the export entry";
    ASSERT_EQ(cmd(C::cmdExport)->Count(), 1);
    EXPECT_EQ(cmd(C::cmdExport)->Items(0)->Caption(), "Karteikarte");
    dialogs->CancelFolder();
    cmd(C::cmdExport)->Items(0)->Click();
    EXPECT_TRUE(exported.empty());
    dialogs->AnswerFolder(dir);
    dialogs->AnswerBox(IDYES);
    cmd(C::cmdExport)->Items(0)->Click();
    EXPECT_EQ(dialogs->Questions()[0].caption,
        "Wählen Sie das Verzeichnis, in dem die selektierten Personen gespeichert werden sollen.");
    EXPECT_EQ(dialogs->LastQuestion().text, "Sollen die 2 selektierten Personen wirklich exportiert werden?");
    EXPECT_EQ(exported.size(), 2u);
    EXPECT_EQ(readFile(dir + "/Meier, Anna.html"), "<h1>Meier</h1>Anna");
    EXPECT_EQ(readFile(dir + "/Otto, Olaf.html"), "<h1>Otto</h1>Olaf");

    // The preview opens the filled-in file with its program.
    select({ a });
    grid->update_popup_menu();
    cmd(C::cmdPreview)->Items(0)->Click();
    ASSERT_EQ(dialogs->LastQuestion().kind, TScriptedDialogs::TKind::OpenWithProgram);
    EXPECT_EQ(readFile(dialogs->LastQuestion().text), "<h1>Meier</h1>Anna");
}

// A person removed for good at another workstation while the list shows it: export and print
// preview name it and go on with the next person.
TEST_F(SelectGridCommandsTest, ExportAndPreviewNameAVanishedObjectAndGoOn)
{
    TQelObject* a = make("Meier", "Anna");
    TQelObject* b = make("Otto", "Olaf");
    TQelObject* c = make("Schulz", "Carla");
    std::string error;
    const TQelObjectKey t = TQelRTFVorlage::Create(
        db.get(), "Karteikarte", cls("Person"), "html", "<h1><Name></h1><Vorname>", error);
    ASSERT_TRUE(t.Valid()) << error;
    list({ soMultiSelect });
    grid->OnExporting = [](TObject*, TQelObjectKey, const TQelKeyList&, bool&) {};
    select({ a, b, c });
    const std::string gone = b->Key().ToString();
    db->FreeObject(b);
    ASSERT_EQ(sqlite3_exec(db->Handle(), ("DELETE FROM C_Person WHERE K = " + gone).c_str(), nullptr, nullptr,
                  nullptr),
        SQLITE_OK);
    ASSERT_EQ(grid->EntryCount(), 3);

    const std::vector<std::string> entries = openMenu();
    ASSERT_NE(std::find(entries.begin(), entries.end(), "Exportieren"), entries.end());
    dialogs->AnswerFolder(dir);
    dialogs->AnswerBox(IDYES);
    cmd(C::cmdExport)->Items(0)->Click();
    EXPECT_EQ(dialogs->LastQuestion().caption, "Personen exportieren");
    EXPECT_EQ(
        dialogs->LastQuestion().text.rfind("Exportieren der Person '" + gone + "' gescheitert:\n\n", 0), 0u)
        << dialogs->LastQuestion().text;
    EXPECT_EQ(readFile(dir + "/Meier, Anna.html"), "<h1>Meier</h1>Anna");
    EXPECT_EQ(readFile(dir + "/Schulz, Carla.html"), "<h1>Schulz</h1>Carla");

    dialogs->AnswerBox(IDYES);
    const std::size_t before = dialogs->Questions().size();
    cmd(C::cmdPreview)->Items(0)->Click();
    std::vector<std::string> opened, failed;
    for (std::size_t i = before; i < dialogs->Questions().size(); ++i) {
        const auto& q = dialogs->Questions()[i];
        if (q.kind == TScriptedDialogs::TKind::OpenWithProgram)
            opened.push_back(readFile(q.text));
        else if (q.flags & MB_ICONERROR)
            failed.push_back(q.text);
    }
    EXPECT_EQ(opened, (std::vector<std::string> { "<h1>Meier</h1>Anna", "<h1>Schulz</h1>Carla" }));
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].rfind("Druckansicht der Person '" + gone + "' gescheitert:", 0), 0u) << failed[0];
}

// ---- reload -----------------------------------------------------------------------------------

// Ctrl+R reads the selected persons again: one stored elsewhere shows its new values at once; one
// changed here is reloaded only after the warning is answered with yes; cancel stops.
TEST_F(SelectGridCommandsTest, CtrlRReloadsSelectedObjectsAndWarnsBeforeDroppingChanges)
{
    TQelObject* a = make("Meier", "Anna");
    TQelObject* b = make("Schulz", "Bernd");
    TQelObject* c = make("Zeh", "Carla");
    list({ soMultiSelect });
    const int vorname = grid->ColumnByName("Vorname");
    auto rowText = [&](TQelObject* o) { return grid->Cells(vorname, grid->get_row(o->Key())); };
    auto storeElsewhere = [&](TQelObject* o, const char* value) {
        const std::string sql
            = "UPDATE C_Person SET Vorname = '" + std::string(value) + "' WHERE K = " + o->Key().ToString();
        ASSERT_EQ(sqlite3_exec(db->Handle(), sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    };
    storeElsewhere(b, "Berta");
    a->FieldByName("Vorname")->set_AsString("Anja"); // changed in this session, not stored
    select({ a, b });
    grid->SetFocus();

    dialogs->AnswerBox(IDNO);
    key(Qt::Key_R);
    ASSERT_EQ(dialogs->Questions().size(), 1u);
    const auto& q = dialogs->Questions().back();
    EXPECT_EQ(q.text,
        "Die Person 'Meier, Anja' wurde in dieser Session modifiziert. Wenn es neu geladen wird,\n"
        "gehen diese Änderungen verloren.\n\nTrotzdem fortfahren?");
    EXPECT_EQ(q.flags, unsigned(MB_YESNOCANCEL | MB_ICONWARNING));
    EXPECT_EQ(a->FieldByName("Vorname")->AsString(), "Anja");
    EXPECT_TRUE(a->Touched());
    EXPECT_EQ(b->FieldByName("Vorname")->AsString(), "Berta");
    EXPECT_EQ(rowText(b), "Berta");

    dialogs->AnswerBox(IDYES);
    key(Qt::Key_R);
    EXPECT_EQ(dialogs->Questions().size(), 2u);
    EXPECT_EQ(a->FieldByName("Vorname")->AsString(), "Anna");
    EXPECT_FALSE(a->Touched());
    EXPECT_EQ(rowText(a), "Anna");

    // Cancel leaves the changed person and every one after it as they were.
    a->FieldByName("Vorname")->set_AsString("Anja");
    storeElsewhere(c, "Clara");
    select({ a, c });
    dialogs->AnswerBox(IDCANCEL);
    key(Qt::Key_R);
    EXPECT_EQ(dialogs->Questions().size(), 3u);
    EXPECT_EQ(a->FieldByName("Vorname")->AsString(), "Anja");
    EXPECT_EQ(c->FieldByName("Vorname")->AsString(), "Carla");
    EXPECT_EQ(rowText(c), "Carla");
}

// ---- references -------------------------------------------------------------------------------

// A reference column shows the referenced object's name (read for many keys at once), follows a
// changed reference, shows a reference whose object is gone as the field does, and sorts as text.
TEST_F(SelectGridCommandsTest, ReferencesShowTheReferencedObjectsName)
{
    const int n = 520; // more keys than one query asks for
    std::vector<TQelObject*> chefs, firms;
    db->StartTransaction();
    for (int i = 0; i < n; ++i) {
        chefs.push_back(make(("Chef" + std::to_string(1000 + i)).c_str(), "Vera"));
        TQelObject* f = create("Firma");
        f->FieldByName("Name")->set_AsString("Firma " + std::to_string(i));
        dynamic_cast<TQelRefField*>(f->FieldByName("Chef"))->set_AsKey(chefs.back()->Key());
        ASSERT_TRUE(f->Commit());
        firms.push_back(f);
    }
    ASSERT_TRUE(db->CommitTransaction());
    grid->set_ClassName("Firma");
    grid->Reload();
    ASSERT_EQ(grid->EntryCount(), n);
    const int chef = grid->ColumnByName("Chef");
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(grid->Cells(chef, grid->get_row(firms[i]->Key())), chefs[i]->Name()) << i;

    // Another chef for the first firm: its row follows the commit.
    dynamic_cast<TQelRefField*>(firms[0]->FieldByName("Chef"))->set_AsKey(chefs[7]->Key());
    ASSERT_TRUE(firms[0]->Commit());
    EXPECT_EQ(grid->Cells(chef, grid->get_row(firms[0]->Key())), "Chef1007, Vera");
    // A reference to no object (written behind the database's back) reads as the field shows it.
    const std::string sql = "UPDATE C_Firma SET Chef = 999999 WHERE K = " + firms[1]->Key().ToString();
    ASSERT_EQ(sqlite3_exec(db->Handle(), sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    grid->Reload();
    EXPECT_EQ(grid->Cells(chef, grid->get_row(firms[1]->Key())), "#999999");

    grid->SortByColumn(chef, sdDescending);
    EXPECT_EQ(grid->Cells(chef, grid->FirstDataRow()), "Chef" + std::to_string(1000 + n - 1) + ", Vera");
}
