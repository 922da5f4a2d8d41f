// The document list: import, export and opening with identical bytes, replacing, dropped files,
// renaming, deleting, safe export names and documents whose content is missing.
#include "documents_fixture.h"

#include "objdb/qeldatabase.h"

#include <QLineEdit>
#include <QTest>
#include <sqlite3.h>

namespace {

TEST_F(DocsTest, ImportExportAndOpenKeepEveryByte)
{
    const std::string big = randomBytes(3 * 1024 * 1024 + 5);
    const std::string pBig = file("Scan 2024.pdf", big), pEmpty = file("leer.txt", "");
    dialogs->AnswerFiles({ pBig, pEmpty });
    lv->cmd_import();
    ASSERT_EQ(lv->Count(), 2);
    EXPECT_EQ(lv->Item(0)->Caption(), "Scan 2024");
    EXPECT_EQ(lv->Item(0)->SubItems()[0], std::to_string(big.size()));
    EXPECT_EQ(lv->Item(0)->SubItems()[1], "PDF-Dokument");
    EXPECT_EQ(lv->Selected(), lv->Item(1)); // the last imported row
    EXPECT_EQ(dialogs->Questions()[0].request.title, "Dokument(e) importieren");
    EXPECT_TRUE(dialogs->Questions()[0].request.multiSelect);

    // Committed with the file (their trigger), the documents are listed again after a reload.
    commitOwner();
    lv->Reload();
    ASSERT_EQ(lv->Count(), 2);
    TQelDokument* doc = lv->get_doc(lv->Item(0));
    EXPECT_FALSE(doc->IsNew());
    EXPECT_NE(doc->Bemerkung().find("Importiert am "), std::string::npos);

    lv->SelectAll();
    dialogs->AnswerFolder((dir / "out").string());
    lv->cmd_export();
    EXPECT_EQ(outFiles(), (std::vector<std::string> { "Scan 2024.pdf", "leer.txt" }));
    EXPECT_TRUE(read((dir / "out" / "Scan 2024.pdf").string()) == big);
    EXPECT_EQ(read((dir / "out" / "leer.txt").string()), "");

    lv->SetItemIndex(0);
    lv->cmd_open();
    const auto& q = dialogs->LastQuestion();
    ASSERT_EQ(q.kind, TScriptedDialogs::TKind::OpenWithProgram);
    EXPECT_TRUE(read(q.text) == big);
    std::filesystem::remove(q.text);
}

TEST_F(DocsTest, SecondImportAsksBeforeReplacing)
{
    const std::string p = file("brief.txt", "erste");
    import(p);
    file("brief.txt", "zweite Fassung");
    dialogs->AnswerBox(IDYES);
    TListItem* row = import(p);
    ASSERT_EQ(lv->Count(), 1);
    EXPECT_EQ(row, lv->Item(0));
    const auto& q = dialogs->Questions().back();
    EXPECT_EQ(q.text, "Es existiert bereits ein Dokument brief. Soll es ersetzt werden?");
    EXPECT_EQ(q.caption, "Dokument überschreiben?");
    EXPECT_EQ(lv->get_doc(row)->Blob()->BufferAsString(), "zweite Fassung");

    dialogs->AnswerBox(IDNO);
    import(p);
    EXPECT_EQ(lv->Count(), 2); // No adds a second document of the same name
    EXPECT_EQ(lv->Item(1)->Caption(), "brief");
}

TEST_F(DocsTest, NamesOfImportedFiles)
{
    EXPECT_EQ(import(file(".profil", "x"))->Caption(), ".profil");
    EXPECT_EQ(import(file("a.b.tar", "x"))->Caption(), "a.b");
    EXPECT_FALSE(lv->import_document((dir / "in" / "fehlt.txt").string(), nullptr));
    EXPECT_TRUE(messages().empty()); // a missing file is skipped silently
}

TEST_F(DocsTest, UnreadableFilesStoreNothingAndAreAnsweredInGerman)
{
    const std::string fifo = (dir / "in" / "rohr.txt").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(lv->import_document(fifo, nullptr));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("Import gescheitert: ", 0), 0u);
    EXPECT_EQ(lv->Count(), 0);
    EXPECT_TRUE(db->NewObjects().empty());
    bool refuse = false;
    lv->OnImporting = [&](TObject*, const std::string&, bool& accept) { accept = !refuse; };
    refuse = true;
    EXPECT_FALSE(lv->import_document(file("a.txt", "x"), nullptr));
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(DocsTest, DroppedFilesAndFolders)
{
    form->Show();
    auto* view = lv->Handle();
    EXPECT_TRUE(drop(view, fileData({ file("a.txt", "A"), file("b.odt", "B") }), QPoint(20, 40)));
    ASSERT_EQ(lv->Count(), 2);
    EXPECT_EQ(lv->Item(1)->Caption(), "b");
    EXPECT_EQ(lv->get_doc(lv->Item(1))->Blob()->BufferAsString(), "B");

    drop(view, fileData({ (dir / "out").string() }), QPoint(20, 40));
    EXPECT_EQ(messages(), (std::vector<std::string> { "Verzeichnisse können nicht importiert werden." }));
    EXPECT_EQ(lv->Count(), 2);

    lv->Disconnect();
    EXPECT_FALSE(drop(view, fileData({ file("c.txt", "C") }), QPoint(20, 40)));
}

TEST_F(DocsTest, CaptionsAreRenamedInPlace)
{
    form->Show();
    TListItem* row = import(file("alt.txt", "x"));
    auto* tree = static_cast<QTreeWidget*>(lv->Handle());
    lv->SetItemIndex(0);
    row->EditCaption();
    QWidget* editor = tree->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "Vertrag M");
    QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString::fromUtf8("ü"), Qt::NoModifier);
    QTest::keyClicks(editor, "ller");
    EXPECT_EQ(static_cast<QLineEdit*>(editor)->text().toStdString(), "Vertrag Müller");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents(); // the view commits the editor's text queued
    EXPECT_EQ(lv->get_doc(row)->DocName(), "Vertrag Müller");
    EXPECT_EQ(row->Caption(), "Vertrag Müller");

    lv->OnCanEditItem = [](TObject*, TListItem*, bool& allow) { allow = false; };
    row->EditCaption();
    EXPECT_FALSE(lv->IsEditing());
}

TEST_F(DocsTest, DeleteAsksAndRemovesTheAssignments)
{
    for (const char* n : { "a.txt", "b.txt", "c.txt" })
        import(file(n, n));
    commitOwner();
    form->Show();
    lv->SetFocus();
    lv->SelectAll();
    dialogs->AnswerBox(IDNO);
    QTest::keyClick(lv->Handle(), Qt::Key_Delete);
    EXPECT_EQ(dialogs->LastQuestion().text, "Sollen die 3 selektierten Dokumente wirklich gelöscht werden?");
    EXPECT_EQ(dialogs->LastQuestion().caption, "Dokument(e) löschen");
    EXPECT_EQ(lv->Count(), 3);

    lv->SetItemIndex(1);
    dialogs->AnswerBox(IDYES);
    lv->cmd_delete();
    EXPECT_EQ(dialogs->LastQuestion().text, "Soll das selektierte Dokument wirklich gelöscht werden?");
    ASSERT_EQ(lv->Count(), 2);
    EXPECT_EQ(lv->Item(0)->Caption(), "a");
    EXPECT_EQ(lv->Item(1)->Caption(), "c");
    commitOwner(); // the trigger commits the document without its assignment
    EXPECT_EQ(TQelDokument::GetZuordnungen(db.get(), akte->Key()).size(), 2u);
}

TEST_F(DocsTest, ExportNamesStayInsideTheFolder)
{
    const char* names[] = { "../../ausbruch", "/etc/passwd", "..", "Größe \"1\" : Ü|?", "a\\b", "" };
    for (const char* n : names) {
        TListItem* row = import(file("x.txt", n));
        dialogs->AnswerBox(IDNO); // later imports of x.txt ask; the answer is for the next one
        lv->get_doc(row)->set_DocName(n);
    }
    while (dialogs->PendingAnswers() > 0)
        dialogs->MessageBox("", "", MB_YESNO); // use up the last answer
    lv->SelectAll();
    dialogs->AnswerFolder((dir / "out").string());
    lv->cmd_export();
    const auto files = outFiles();
    EXPECT_EQ(files.size(), std::size(names));
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
        if (e.is_regular_file()) {
            EXPECT_TRUE(e.path().parent_path() == dir / "out" || e.path().parent_path() == dir / "in")
                << e.path();
        }
    }
    EXPECT_TRUE(std::find(files.begin(), files.end(), "Größe _1_ _ Ü__.txt") != files.end());
    EXPECT_FALSE(std::filesystem::exists(dir.parent_path() / "ausbruch.txt"));
}

TEST_F(DocsTest, ExportNeverOverwritesAndTellsTheNewName)
{
    import(file("notiz.txt", "eins"));
    dialogs->AnswerBox(IDNO);
    import(file("notiz.txt", "zwei"));
    const std::string existing = (dir / "out" / "notiz.txt").string();
    std::ofstream(existing) << "fremd";
    lv->SelectAll();
    dialogs->AnswerFolder((dir / "out").string());
    lv->cmd_export();
    EXPECT_EQ(read(existing), "fremd");
    EXPECT_EQ(read((dir / "out" / "notiz (2).txt").string()), "eins");
    EXPECT_EQ(read((dir / "out" / "notiz (3).txt").string()), "zwei");
    const auto m = messages();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[1],
        "Da im Ordner\n\n" + (dir / "out").string()
            + "\n\nbereits eine Datei mit Namen\n\nnotiz.txt\n\n"
              "existiert, wird das Dokument als\n\nnotiz (3).txt\n\n gespeichert.");
}

TEST_F(DocsTest, MissingContentIsMarkedAndCannotBeOpened)
{
    import(file("weg.pdf", "%PDF-1.4"));
    commitOwner();
    ASSERT_EQ(sqlite3_exec(db->Handle(), "DELETE FROM QEL_DATEI", nullptr, nullptr, nullptr), SQLITE_OK);
    lv->Reload();
    ASSERT_EQ(lv->Count(), 1);
    EXPECT_TRUE(lv->Item(0)->Greyed());
    EXPECT_EQ(lv->Item(0)->SubItems()[1], "(Inhalt fehlt)");
    lv->SetItemIndex(0);
    lv->cmd_open();
    EXPECT_EQ(messages(),
        (std::vector<std::string> {
            "Der Inhalt des Dokuments \"weg\" fehlt in der Datenbank; es kann nicht geöffnet werden." }));
    for (const auto& q : dialogs->Questions())
        EXPECT_NE(q.kind, TScriptedDialogs::TKind::OpenWithProgram);
}

TEST_F(DocsTest, CategoriesAndTooManyDocuments)
{
    lv->set_Category("Verträge");
    for (int i = 0; i < 5; ++i)
        import(file("v" + std::to_string(i) + ".txt", "v"));
    commitOwner();
    EXPECT_EQ(lv->get_zuordnung(lv->Item(0)).Kategorie(), "Verträge");
    EXPECT_EQ(lv->get_zuordnung(lv->Item(0)).Art(), "Dokument");
    lv->set_Category("");
    EXPECT_EQ(lv->Count(), 0);
    lv->set_Category("VERTRÄGE");
    EXPECT_EQ(lv->Count(), 5);

    lv->MaxCount = 3;
    int asked = 0;
    bool proceed = false;
    lv->OnTooMany = [&](TObject*, int n, bool& p) {
        asked = n;
        p = proceed;
    };
    lv->Reload();
    EXPECT_EQ(asked, 5);
    EXPECT_EQ(lv->Count(), 0);
    proceed = true;
    lv->Reload();
    EXPECT_EQ(lv->Count(), 5);
}

TEST_F(DocsTest, PopupMenuFollowsSelectionAndReadOnly)
{
    import(file("a.txt", "a"));
    TPopupMenu* menu = lv->Menu();
    ASSERT_NE(menu, nullptr);
    lv->ClearSelection();
    menu->OnPopup(menu);
    EXPECT_FALSE(menu->Items()->Find("Öffnen")->Enabled());
    EXPECT_TRUE(menu->Items()->Find("Importieren ...")->Enabled());
    lv->SetItemIndex(0);
    lv->set_ReadOnly(true);
    menu->OnPopup(menu);
    EXPECT_TRUE(menu->Items()->Find("Exportieren ...")->Enabled());
    EXPECT_FALSE(menu->Items()->Find("Löschen")->Enabled());
    EXPECT_FALSE(menu->Items()->Find("Importieren ...")->Enabled());
    EXPECT_FALSE(menu->Items()->Find("Interne Dokument-Struktur")->Visible());
}

} // namespace
