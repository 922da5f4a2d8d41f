// The reverse vector grid: finding the referring objects, following the database, creating,
// committing and rolling back with the current object, deleting, editing in place.
#include "revgrid_fixture.h"

#include "objdb/qelfilefield.h"
#include "vectors/qelrvgcoldefs.h"

#include "toolkit/gridview.h"

#include <QTest>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

TEST_F(RevGridTest, ListsTheObjectsThatReferToTheCurrentOneDirectly)
{
    person("Anna", firm);
    person("Bert", other);
    person("Cleo", firm);
    person("Dora", nullptr);
    ASSERT_TRUE(grid->Connect(firm, false));
    EXPECT_EQ(names(), "Anna,Cleo");
    EXPECT_EQ(grid->Condition(), "Person.Arbeitgeber = " + std::to_string(firm->Key().Id()));
    // The reference column shows the firm as a link; rows without objects in memory need none.
    EXPECT_EQ(grid->Cells(1, 1), "<A href=\"\">Acme</A>");
    EXPECT_EQ(grid->Cells(0, 0), "Name");
    EXPECT_EQ(grid->Cells(1, 0), "Firma");
    // Header, two rows and the add row.
    EXPECT_EQ(grid->RowCount(), 4);
    EXPECT_TRUE(grid->IsAddRow(3));
    EXPECT_EQ(grid->Cells(0, 3), "<A href=\"\">Weitere Person hinzufügen</A>");
    // Connecting the other firm lists its people instead.
    ASSERT_TRUE(grid->Connect(other, false));
    EXPECT_EQ(names(), "Bert");
}

TEST_F(RevGridTest, AnEmptyFieldNameUsesTheReferenceTowardsTheCurrentClass)
{
    person("Anna", firm);
    grid->set_FieldName("");
    ASSERT_TRUE(grid->Connect(firm, false));
    EXPECT_EQ(names(), "Anna");
}

TEST_F(RevGridTest, FindsReferencesInsideVectorsWithAndWithoutCondition)
{
    TQelObject* p = create("Person");
    p->FieldList()->FieldByName("Name")->set_AsString("Vera");
    TQelVector* jobs = p->FieldList()->VectorByName("Stellen");
    TQelSubObject* a = jobs->Add();
    a->FieldList()->FieldByName("Art")->set_AsString("Büro");
    ref(p, "Stellen[0].Firma")->set_AsObject(other);
    TQelSubObject* b = jobs->Add();
    b->FieldList()->FieldByName("Art")->set_AsString("Lager");
    ref(p, "Stellen[1].Firma")->set_AsObject(firm);
    ASSERT_TRUE(p->Commit());
    db->FreeObject(p);
    person("Anna", firm); // direct, not through Stellen

    grid->set_FieldName("Stellen.Firma");
    ASSERT_TRUE(grid->Connect(firm, false));
    EXPECT_EQ(names(), "Vera");
    EXPECT_NE(grid->Condition().find("AND (1=1) AND"), std::string::npos) << grid->Condition();

    grid->set_FieldName("Stellen[Art = 'Büro'].Firma");
    EXPECT_EQ(names(), "");
    ASSERT_TRUE(grid->Connect(other, false));
    EXPECT_EQ(names(), "Vera");
    EXPECT_NE(grid->Condition().find("(Art = 'Büro')"), std::string::npos) << grid->Condition();
}

TEST_F(RevGridTest, HostileFieldNamesNeverReachTheStatement)
{
    person("Anna", firm);
    ASSERT_TRUE(grid->Connect(firm, false));
    for (const char* hostile : {
             "Stellen[1=1) OR (1=1].Firma", // leaves its parentheses
             "Stellen[1=1; DROP TABLE Person].Firma", // a second statement
             "Stellen[1=1 -- ].Firma", // a comment eating the rest
             "Stellen['unclosed].Firma",
             "Arbeitgeber = 0 OR 1=1", // no field of that name
             "Arbeitgeber'--",
         }) {
        grid->set_FieldName(hostile);
        EXPECT_EQ(grid->ObjectCount(), 0) << hostile;
        EXPECT_EQ(grid->Condition(), "") << hostile;
    }
    // A quote inside a quoted value is a value, not the end of one: nothing is listed, the
    // table is still there.
    grid->set_FieldName("Stellen[Art = 'x''; DROP TABLE Person; --'].Firma");
    EXPECT_EQ(grid->ObjectCount(), 0);
    grid->set_FieldName("Arbeitgeber");
    EXPECT_EQ(names(), "Anna");
}

TEST_F(RevGridTest, CellTextsAreMarkupSafe)
{
    person("<B>O'Brien</B>", firm);
    ASSERT_TRUE(grid->Connect(firm, false));
    EXPECT_EQ(grid->Cells(0, 1).find("<B>O'Brien"), std::string::npos) << grid->Cells(0, 1);
    EXPECT_NE(grid->Cells(0, 1).find("&lt;B&gt;"), std::string::npos) << grid->Cells(0, 1);
}

TEST_F(RevGridTest, ObjectsInMemoryShowTheirValuesAndNewOnesAreListed)
{
    const TQelObjectKey anna = person("Anna", firm);
    TQelObject* loaded = db->GetObjectA(anna);
    loaded->FieldList()->FieldByName("Name")->set_AsString("Anna (geändert)");
    TQelObject* fresh = create("Person");
    fresh->FieldList()->FieldByName("Name")->set_AsString("Neu");
    ref(fresh, "Arbeitgeber")->set_AsObject(firm);
    ASSERT_TRUE(grid->Connect(firm, false));
    EXPECT_EQ(names(), "Anna (geändert),Neu");
    // A change in memory reaches its cell at once.
    loaded->FieldList()->FieldByName("Name")->set_AsString("Anna B.");
    EXPECT_EQ(grid->Cells(0, 1), "Anna B.");
    // Dropping the new object takes its row away.
    db->FreeObject(fresh);
    EXPECT_EQ(names(), "Anna B.");
}

TEST_F(RevGridTest, CommitsElsewhereReloadOnceAfterTheDelay)
{
    person("Anna", firm);
    ASSERT_TRUE(grid->Connect(firm, false));
    person("Bert", firm);
    clock.Advance(60);
    person("Cleo", firm);
    clock.Advance(60); // the first commit's delay is over, but the second one reset it
    EXPECT_EQ(names(), "Anna");
    EXPECT_EQ(db->TimerTasks()->Count(), 1);
    clock.Advance(50);
    EXPECT_EQ(names(), "Anna,Bert,Cleo");
    // A person moving to the other firm leaves the list.
    TQelObject* bert = grid->get_Object(2);
    ref(bert, "Arbeitgeber")->set_AsObject(other);
    ASSERT_TRUE(bert->Commit());
    clock.Advance(TQelRevVectorGrid::ReloadDelayMs);
    EXPECT_EQ(names(), "Anna,Cleo");
}

TEST_F(RevGridTest, ADeletedObjectLeavesAndItsTypedTextIsDropped)
{
    const TQelObjectKey anna = person("Anna", firm);
    person("Bert", firm);
    ASSERT_TRUE(grid->Connect(firm, false));
    ASSERT_TRUE(grid->FocusCell(0, 1));
    grid->SetFocus();
    grid->ShowInplaceEdit();
    QLineEdit* line = editorLine();
    ASSERT_NE(line, nullptr);
    QTest::keyClicks(line, "Anne");
    // Removed for good elsewhere while the text is typed.
    dialogs->AnswerBox(IDOK);
    ASSERT_TRUE(db->DeleteObject(anna, true));
    EXPECT_EQ(names(), "Bert");
    grid->FocusCell(1, 1);
    TQelObject* bert = grid->get_Object(1);
    EXPECT_EQ(bert->FieldList()->FieldByName("Name")->AsString(), "Bert");
    ASSERT_FALSE(dialogs->Questions().empty());
    EXPECT_NE(dialogs->LastQuestion().text.find("verworfen"), std::string::npos);
}

TEST_F(RevGridTest, AddRowCreatesALinkedObjectCommittedWithTheCurrentOne)
{
    ASSERT_TRUE(grid->Connect(firm, false));
    grid->add_item();
    ASSERT_EQ(grid->ObjectCount(), 1);
    TQelObject* added = grid->get_Object(1);
    ASSERT_NE(added, nullptr);
    EXPECT_TRUE(added->IsNew());
    EXPECT_EQ(ref(added, "Arbeitgeber")->AsKey(), firm->Key());
    // A second one is left empty: committing the firm drops it and stores the first.
    added->FieldList()->FieldByName("Name")->set_AsString("Neu");
    grid->add_item();
    ASSERT_EQ(grid->ObjectCount(), 2);
    const TQelObjectKey emptyKey = grid->get_Key(2);
    firm->FieldList()->FieldByName("Name")->set_AsString("Acme AG");
    ASSERT_TRUE(firm->Commit());
    EXPECT_FALSE(added->IsNew());
    EXPECT_EQ(db->CachedObject(emptyKey), nullptr);
    clock.Advance(TQelRevVectorGrid::ReloadDelayMs);
    EXPECT_EQ(names(), "Neu");
}

TEST_F(RevGridTest, ANewObjectThroughAVectorGetsItsReferenceInElementZero)
{
    grid->set_FieldName("Stellen.Firma");
    ASSERT_TRUE(grid->Connect(firm, false));
    grid->add_item();
    TQelObject* added = grid->get_Object(1);
    ASSERT_NE(added, nullptr);
    TQelVector* jobs = added->FieldList()->VectorByName("Stellen");
    ASSERT_EQ(jobs->Count(), 1);
    EXPECT_EQ(ref(added, "Stellen[0].Firma")->AsKey(), firm->Key());
}

TEST_F(RevGridTest, RollingBackTheCurrentObjectRollsBackTheReferringOnes)
{
    person("Anna", firm);
    ASSERT_TRUE(grid->Connect(firm, false));
    TQelObject* anna = grid->get_Object(1);
    anna->FieldList()->FieldByName("Name")->set_AsString("Anne");
    grid->add_item();
    const TQelObjectKey fresh = grid->get_Key(2);
    firm->Rollback("");
    EXPECT_EQ(anna->FieldList()->FieldByName("Name")->AsString(), "Anna");
    EXPECT_EQ(db->CachedObject(fresh), nullptr);
    EXPECT_EQ(names(), "Anna");
}

TEST_F(RevGridTest, TypedTextGoesIntoTheRowsObject)
{
    person("Anna", firm);
    person("Bert", firm);
    ASSERT_TRUE(grid->Connect(firm, false));
    grid->SetFocus();
    ASSERT_TRUE(grid->FocusCell(0, 2));
    grid->ShowInplaceEdit();
    QLineEdit* editor = editorLine();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "Bernd");
    QTest::keyClick(editor, Qt::Key_Return);
    grid->FocusCell(0, 1);
    TQelObject* bert = grid->get_Object(2);
    EXPECT_EQ(bert->FieldList()->FieldByName("Name")->AsString(), "Bernd");
    EXPECT_TRUE(bert->Touched());
    EXPECT_FALSE(grid->get_Object(1)->Touched());
}

// Committing the current object stores the referring objects typed into, even when the current
// object has no change of its own; a new one left with nothing but the link is not stored.
TEST_F(RevGridTest, CommittingAnUnchangedCurrentObjectStoresTheEditedRows)
{
    person("Anna", firm);
    person("Bert", firm);
    ASSERT_TRUE(grid->Connect(firm, false));
    grid->add_item();
    grid->add_item();
    ASSERT_EQ(grid->ObjectCount(), 4);
    const TQelObjectKey empty = grid->get_Key(4);
    grid->SetFocus();
    for (int row : { 2, 3 }) {
        ASSERT_TRUE(grid->FocusCell(0, row));
        grid->ShowInplaceEdit();
        QLineEdit* editor = editorLine();
        ASSERT_NE(editor, nullptr);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, row == 2 ? "Berta" : "Carl");
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
    }
    const TQelObjectKey carl = grid->get_Key(3);
    ASSERT_FALSE(firm->Touched());
    ASSERT_TRUE(firm->Commit()) << firm->ErrorMessage();
    EXPECT_FALSE(grid->get_Object(2)->Touched());
    TQelObject* added = db->CachedObject(carl);
    ASSERT_NE(added, nullptr);
    EXPECT_FALSE(added->IsNew());
    // What the file holds.
    auto q = db->CreateSQLEngine()->Query(
        "SELECT Name FROM Person WHERE Arbeitgeber = " + firm->Key().ToString() + " ORDER BY Name");
    ASSERT_TRUE(q->TryOpen()) << q->ErrorMessage();
    std::string stored;
    for (; !q->Eof(); q->Next())
        stored += q->AsString(0) + ",";
    EXPECT_EQ(stored, "Anna,Berta,Carl,");
    TQelObject* left = db->CachedObject(empty);
    ASSERT_NE(left, nullptr);
    EXPECT_TRUE(left->IsNew()) << "the empty new row is not stored";
}

TEST_F(RevGridTest, SortingKeepsEachRowOnItsObject)
{
    person("Cleo", firm);
    person("Anna", firm);
    person("Bert", firm);
    ASSERT_TRUE(grid->Connect(firm, false));
    grid->SortByColumn(0, sdAscending);
    EXPECT_EQ(names(), "Anna,Bert,Cleo");
    for (int r = 1; r <= 3; ++r)
        EXPECT_EQ(grid->get_Object(r)->FieldList()->FieldByName("Name")->AsString(), grid->Cells(0, r));
    // The add row stays last.
    EXPECT_TRUE(grid->IsAddRow(4));
}

TEST_F(RevGridTest, DeletingAsksAndRemovesTheRow)
{
    person("Anna", firm);
    columns({ "Name/OBJREF" });
    grid->set_RevVectorGridOptions(grid->get_RevVectorGridOptions() << rvoMRD);
    ASSERT_TRUE(grid->Connect(firm, false));
    grid->FocusCell(0, 1);
    dialogs->AnswerBox(IDNO);
    grid->delete_obj_event();
    EXPECT_EQ(names(), "Anna");
    dialogs->AnswerBox(IDYES);
    grid->delete_obj_event();
    EXPECT_EQ(names(), "");
    EXPECT_NE(dialogs->LastQuestion().text.find("wirklich gelöscht"), std::string::npos);
}

TEST_F(RevGridTest, ReadOnlyOrWithoutAddLinkThereIsNoAddRow)
{
    person("Anna", firm);
    ASSERT_TRUE(grid->Connect(firm, false));
    grid->set_AddLink(false);
    EXPECT_EQ(grid->RowCount(), 2);
    grid->set_AddLink(true);
    EXPECT_EQ(grid->RowCount(), 3);
    grid->set_ReadOnly(true);
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->Cells(1, 1), "Acme");
}

TEST_F(RevGridTest, WithoutAutoConnectTheBindingWalkLeavesItAlone)
{
    person("Anna", firm);
    EXPECT_EQ(grid->ConnectFL(firm->FieldList(), false), 1);
    EXPECT_EQ(names(), "Anna");
    grid->Disconnect();
    grid->set_RevVectorGridOptions(grid->get_RevVectorGridOptions() >> rvoAutoConnect);
    EXPECT_EQ(grid->ConnectFL(firm->FieldList(), false), 0);
    EXPECT_FALSE(grid->Connected());
}

// ---- the column definition ----------------------------------------------------------------------

TEST(RevGridColumns, OptionsCaptionsAndTheEllipsis)
{
    TQelRVGColDefs spec = QelParseRVGColDefs({ "Name as Nachname/readonly hint: Der \\\"Name\\\"",
        "Arbeitgeber/COMBO NOREF LENGTH: 120/50x", "...", "" });
    ASSERT_EQ(spec.Columns.size(), 4u);
    const TQelRVGInfo& name = *spec.Columns[0].Info;
    EXPECT_EQ(name.Name, "Name");
    EXPECT_EQ(name.Caption, "Nachname");
    EXPECT_TRUE(name.ReadOnly);
    EXPECT_EQ(name.Hint.substr(0, 3), "DER");
    const TQelRVGInfo& ref = *spec.Columns[1].Info;
    EXPECT_TRUE(ref.Combo && ref.NoRef && !ref.ObjRef);
    EXPECT_EQ(ref.Length, "120/50");
    // The blank line names no field: reported, kept as an empty column.
    ASSERT_EQ(spec.Issues.size(), 1u);
    EXPECT_EQ(spec.Issues[0].first, 4);
    QelRVGExpandEllipsis(spec, { "name", "Vorname", "Arbeitgeber", "Geboren" });
    std::string entries;
    for (const TQelRVGColumn& c : spec.Columns)
        entries += c.Entry + "|";
    EXPECT_EQ(entries, "Name|Arbeitgeber|Geboren|Vorname||") << "the names found last come first";
}

TEST(RevGridColumns, AnyTextParsesWithinBounds)
{
    std::mt19937 rng(18);
    const std::string alphabet = "AS as/\\\"'[]<>.HINT:LENGTH:READONLYOBJREFCOMBO...ÄÖ%C0123";
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::string> lines;
        const int n = static_cast<int>(rng() % 5);
        for (int i = 0; i < n; ++i) {
            std::string line;
            const int len = static_cast<int>(rng() % 60);
            for (int k = 0; k < len; ++k)
                line += alphabet[rng() % alphabet.size()];
            lines.push_back(line);
        }
        TQelRVGColDefs spec = QelParseRVGColDefs(lines);
        ASSERT_EQ(spec.Columns.size(), lines.empty() ? 1u : lines.size());
        QelRVGExpandEllipsis(spec, { "A", "B" });
        for (const TQelRVGColumn& c : spec.Columns)
            ASSERT_LE(c.Entry.size(), 60u);
    }
}

// "..." puts the fields of the class and its parents where it stood, the ones found last first:
// the parents' fields, then the class's own from its last to its first.
TEST_F(RevGridTest, TheEllipsisShowsTheFieldsFoundLastFirst)
{
    person("Anna", firm);
    columns({ "Name", "..." });
    ASSERT_TRUE(grid->Connect(firm, false));
    std::vector<std::string> heads;
    for (int c = 0; c < grid->ColCount(); ++c)
        heads.push_back(grid->Cells(c, 0));
    ASSERT_GE(heads.size(), 5u);
    EXPECT_EQ(heads[0], "Name");
    const std::vector<std::string> own(heads.end() - 4, heads.end());
    EXPECT_EQ(own, (std::vector<std::string> { "Lebenslauf", "Notiz", "Arbeitgeber", "Geboren" }));
}

// With field editing, a click on a file cell opens the file's contents with their program, from
// a fresh folder only its owner may enter; so does the space key. A text cell without OnOpenText
// opens nothing.
TEST_F(RevGridTest, FieldEditOpensFileContentsWithTheirProgram)
{
    const TQelObjectKey anna = person("Anna", firm);
    {
        TQelObject* p = db->GetObjectA(anna);
        auto* file = dynamic_cast<TQelFileField*>(p->FieldList()->FieldByName("Lebenslauf"));
        ASSERT_NE(file, nullptr);
        ASSERT_TRUE(file->set_BufferAsString("%PDF-1.4 Lebenslauf Jürgen"));
        p->FieldList()->FieldByName("Notiz")->set_AsString("Notiz über Anna");
        ASSERT_TRUE(p->Commit()) << p->ErrorMessage();
        db->FreeObject(p);
    }
    columns({ "Name/LENGTH:10c", "Notiz/LENGTH:10c", "Lebenslauf/LENGTH:10c" });
    grid->set_RevVectorGridOptions(grid->get_RevVectorGridOptions() << rvoFieldEdit);
    ASSERT_TRUE(grid->Connect(firm, false));
    auto* view = static_cast<qel::grid::GridView*>(grid->Handle());
    auto click = [&](int col, int row) {
        const TRect r = grid->CellRect(col, row);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
            view->viewport()->mapFrom(
                grid->Handle(), QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2)));
        QApplication::processEvents();
    };
    auto opened = [&] {
        std::vector<std::filesystem::path> files;
        for (const auto& q : dialogs->Questions())
            if (q.kind == TScriptedDialogs::TKind::OpenWithProgram)
                files.emplace_back(q.text);
        return files;
    };
    click(2, 1);
    ASSERT_EQ(opened().size(), 1u);
    const std::filesystem::path first = opened()[0];
    EXPECT_EQ(first.filename(), "Lebenslauf.pdf");
    std::ifstream in(first, std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    EXPECT_EQ(data.str(), "%PDF-1.4 Lebenslauf Jürgen");
    EXPECT_EQ(std::filesystem::status(first.parent_path()).permissions()
            & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
        std::filesystem::perms::none);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QApplication::processEvents();
    ASSERT_EQ(opened().size(), 2u);
    EXPECT_NE(opened()[1].parent_path(), first.parent_path());
    click(1, 1);
    EXPECT_EQ(opened().size(), 2u) << "a text field opens through OnOpenText only";
    EXPECT_FALSE(grid->get_Object(1)->Touched()) << "opening changes nothing";
    for (const auto& f : opened())
        std::filesystem::remove_all(f.parent_path());
}
