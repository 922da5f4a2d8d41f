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
    std::filesystem::remove_all(std::filesystem::path(q.text).parent_path());
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

// A stored text of the document table, read beside the library.
std::string storedText(TQelDatabase* db, const std::string& column, TQelObjectKey key)
{
    sqlite3_stmt* st = nullptr;
    const std::string sql = "SELECT " + column + " FROM QEL_DOKUMENT WHERE K = " + key.ToString();
    std::string out = "(keine Zeile)";
    if (sqlite3_prepare_v2(db->Handle(), sql.c_str(), -1, &st, nullptr) == SQLITE_OK
        && sqlite3_step(st) == SQLITE_ROW)
        out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    return out;
}

std::int64_t count(TQelDatabase* db, const std::string& table)
{
    sqlite3_stmt* st = nullptr;
    std::int64_t n = -1;
    if (sqlite3_prepare_v2(db->Handle(), ("SELECT COUNT(*) FROM " + table).c_str(), -1, &st, nullptr)
            == SQLITE_OK
        && sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return n;
}

// File names longer than a document's name (200 characters) and extensions longer than its
// format (40) are cut to them, at a character border, and the documents are stored.
TEST_F(DocsTest, LongFileNamesAreCutToTheirFieldsAndStored)
{
    form->Show();
    // 199 letters and three euro signs (three bytes each): the cut falls after the first sign.
    const std::string p1 = file(std::string(199, 'a') + "€€€.txt", "eins");
    const std::string p2 = file("bericht." + std::string(45, 'x'), "zwei");
    lv->ListViewOptions << lvoCommitOnImport;
    ASSERT_TRUE(drop(lv->Handle(), fileData({ p1 }), QPoint(20, 40)));
    ASSERT_EQ(lv->Count(), 1);
    TQelDokument* first = lv->get_doc(lv->Item(0));
    EXPECT_FALSE(first->IsNew()) << "committed on import";
    EXPECT_EQ(first->DocName(), std::string(199, 'a') + "€");
    EXPECT_EQ(storedText(db.get(), "Name", first->Key()), std::string(199, 'a') + "€");
    EXPECT_EQ(lv->Item(0)->Caption(), std::string(199, 'a') + "€");

    lv->ListViewOptions >> lvoCommitOnImport;
    ASSERT_TRUE(drop(lv->Handle(), fileData({ p2 }), QPoint(20, 40)));
    ASSERT_EQ(lv->Count(), 2);
    TQelDokument* second = lv->get_doc(lv->Item(1));
    EXPECT_EQ(second->DataFormat(), std::string(40, 'x'));
    commitOwner(); // the document follows its file
    EXPECT_FALSE(second->IsNew());
    EXPECT_EQ(storedText(db.get(), "Format", second->Key()), std::string(40, 'x'));
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(dialogs->Failures().empty());
}

// A document that cannot be stored on import is reported, not listed as imported.
TEST_F(DocsTest, AFailedCommitOnImportIsReportedAndNothingIsListed)
{
    form->Show();
    lv->ListViewOptions << lvoCommitOnImport;
    int imported = 0;
    lv->AfterImport = [&](TObject*, TListItem*, bool) { ++imported; };
    lv->OnInitZuordnung = [](TObject*, TQelZuordnung& z) { z.set_Art(std::string(50, 'k')); }; // too long
    ASSERT_TRUE(drop(lv->Handle(), fileData({ file("brief.txt", "erste") }), QPoint(20, 40)));
    EXPECT_EQ(lv->Count(), 0);
    EXPECT_EQ(imported, 0);
    const auto& q = dialogs->LastQuestion();
    ASSERT_EQ(q.kind, TScriptedDialogs::TKind::MessageBox);
    EXPECT_EQ(q.text.rfind("Das Dokument \"brief\" konnte nicht gespeichert werden:\n\n", 0), 0u) << q.text;
    EXPECT_NE(q.text.find("Art"), std::string::npos) << q.text;
    EXPECT_TRUE(q.flags & MB_ICONERROR);
    EXPECT_TRUE(db->NewObjects().empty());
    EXPECT_EQ(count(db.get(), "QEL_DOKUMENT"), 0);
    EXPECT_EQ(count(db.get(), "QEL_DATEI"), 0);
    commitOwner();

    // A replaced content that cannot be stored: the document keeps its old one.
    lv->OnInitZuordnung = nullptr;
    ASSERT_TRUE(drop(lv->Handle(), fileData({ file("brief.txt", "erste") }), QPoint(20, 40)));
    ASSERT_EQ(lv->Count(), 1);
    TQelDokument* doc = lv->get_doc(lv->Item(0));
    ASSERT_FALSE(doc->IsNew());
    ASSERT_EQ(
        sqlite3_exec(db->Handle(),
            "CREATE TRIGGER nein BEFORE UPDATE ON QEL_DOKUMENT BEGIN SELECT RAISE(ABORT, 'gesperrt'); END",
            nullptr, nullptr, nullptr),
        SQLITE_OK);
    dialogs->AnswerBox(IDYES);
    ASSERT_TRUE(drop(lv->Handle(), fileData({ file("brief.txt", "zweite") }), QPoint(20, 40)));
    EXPECT_EQ(imported, 1);
    EXPECT_EQ(dialogs->LastQuestion().kind, TScriptedDialogs::TKind::MessageBox);
    EXPECT_NE(dialogs->LastQuestion().text.find("gesperrt"), std::string::npos)
        << dialogs->LastQuestion().text;
    EXPECT_EQ(doc->Blob()->BufferAsString(), "erste");
    EXPECT_FALSE(doc->Touched());
    EXPECT_EQ(count(db.get(), "QEL_DATEI"), 1);
}

// Opened documents are written to a folder made for them alone: links another user planted
// where earlier versions wrote lead nowhere, and nothing else changes its mode.
TEST_F(DocsTest, OpenedDocumentsGoToAFreshPrivateFolder)
{
    namespace fs = std::filesystem;
    const fs::path tmp = dir / "tmp", victim = dir / "fremd";
    fs::create_directories(tmp);
    fs::create_directories(victim);
    fs::permissions(victim, fs::perms(0755));
    fs::create_directory_symlink(victim, tmp / ("QelObjCntrl-" + std::to_string(::getuid())));
    const char* before = std::getenv("TMPDIR");
    const std::string saved = before ? before : "";
    ::setenv("TMPDIR", tmp.c_str(), 1);

    import(file("brief.txt", "Inhalt"));
    commitOwner();
    form->Show();
    auto* tree = static_cast<QTreeWidget*>(lv->Handle());
    const QPoint at = tree->visualItemRect(tree->topLevelItem(0)).center();
    std::vector<std::string> opened;
    for (int i = 0; i < 2; ++i) {
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        if (dialogs->LastQuestion().kind == TScriptedDialogs::TKind::OpenWithProgram)
            opened.push_back(dialogs->LastQuestion().text);
    }
    if (before)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(messages().empty()) << "no question of a second name";
    EXPECT_TRUE(fs::is_empty(victim));
    EXPECT_EQ(fs::status(victim).permissions(), fs::perms(0755));
    EXPECT_NE(opened[0], opened[1]);
    for (const std::string& f : opened) {
        EXPECT_EQ(fs::path(f).filename(), "brief.txt");
        const fs::path folder = fs::path(f).parent_path();
        EXPECT_EQ(folder.parent_path(), tmp) << f;
        EXPECT_FALSE(fs::is_symlink(folder)) << f;
        EXPECT_EQ(fs::symlink_status(folder).permissions(), fs::perms::owner_all) << f;
        EXPECT_EQ(read(f), "Inhalt");
    }
}

} // namespace
