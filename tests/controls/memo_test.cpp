#include "groups_fixture.h"

#include "controls/QelEdit.h"
#include "controls/QelFTMemo.h"
#include "controls/QelMemo.h"
#include "controls/qeladvmemo.h"

#include "toolkit/extctrls.h"
#include "toolkit/scripteddialogs.h"
#include "toolkit/stdctrls.h"

#include <QClipboard>
#include <QFile>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <cstdint>

namespace {

std::string readBytes(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly))
        return "<fehlt>";
    return f.readAll().toStdString();
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void keyEnd(TWinControl* c)
{
    QTest::keyClick(c->Handle(), Qt::Key_End, Qt::ControlModifier);
}

} // namespace

class MemoTest : public GroupsTest {
protected:
    TQelMemo* memo(const std::string& path)
    {
        auto* m = add<TQelMemo>("mm" + path, path, 80);
        return m;
    }
    TLabel* label()
    {
        auto* l = new TLabel(form.get());
        l->SetParent(form.get());
        l->SetBounds(320, 10, 200, 20);
        return l;
    }
    // Leaves the focused control for a plain edit.
    void leave()
    {
        auto* other = new TEdit(form.get());
        other->SetParent(form.get());
        other->SetBounds(330, 300, 100, 24);
        focus(other);
    }
};

TEST_F(MemoTest, EveryKeystrokeIsWrittenAndOutsideChangesAreShown)
{
    auto* m = memo("Name");
    auto* wrong = memo("Zahl");
    ASSERT_EQ(connect(), 1);
    EXPECT_FALSE(wrong->Enabled());
    ASSERT_TRUE(ShowActive(*form));
    focus(m);
    type(m->Handle(), "Zeile");
    EXPECT_EQ(field("Name")->AsString(), "Zeile");
    QTest::keyClick(m->Handle(), Qt::Key_Return);
    type(m->Handle(), "zwei");
    EXPECT_EQ(field("Name")->AsString(), "Zeile\nzwei");

    field("Name")->set_AsString("Anders");
    EXPECT_EQ(m->Text(), "Anders");
}

TEST_F(MemoTest, TextTypedOrPastedBeyondTheFieldLengthIsKeptAndTheCommitRefusesIt)
{
    auto* m = memo("Kuerzel");
    auto* count = label();
    m->set_CountLabel(count);
    ASSERT_EQ(connect(), 1);
    ASSERT_TRUE(ShowActive(*form));
    focus(m);
    type(m->Handle(), "ÄÖÜäöüßabc");
    EXPECT_EQ(count->Caption(), "Kein Zeichen mehr frei");
    type(m->Handle(), "d");
    EXPECT_EQ(m->Text(), "ÄÖÜäöüßabcd");
    EXPECT_EQ(field("Kuerzel")->AsString(), "ÄÖÜäöüßabcd");
    EXPECT_EQ(count->Caption(), "1 Zeichen zuviel");
    // A paste in the middle stays whole as well.
    QApplication::clipboard()->setText(QString::fromUtf8("Straße"));
    m->SetSelStart(3);
    QTest::keyClick(m->Handle(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field("Kuerzel")->AsString(), "ÄÖÜStraßeäöüßabcd");
    EXPECT_EQ(count->Caption(), "7 Zeichen zuviel");
    leave();
    EXPECT_EQ(field("Kuerzel")->AsString(), "ÄÖÜStraßeäöüßabcd");
    // The commit says why it refuses; nothing was cut.
    field("Name")->set_AsString("Ada");
    EXPECT_FALSE(person->Commit());
    EXPECT_NE(person->ErrorMessage().find("länger als 10 Zeichen"), std::string::npos)
        << person->ErrorMessage();
    EXPECT_EQ(m->Text(), "ÄÖÜStraßeäöüßabcd");
}

TEST_F(MemoTest, CountLabelCountsCharactersWhileTheMemoHasTheFocus)
{
    auto* m = memo("Bemerkung");
    auto* count = label();
    m->set_CountLabel(count);
    m->set_SpecialMaxLength(10);
    field("Bemerkung")->set_AsString("");
    ASSERT_EQ(connect(), 1);
    EXPECT_FALSE(count->Visible());
    ASSERT_TRUE(ShowActive(*form));
    focus(m);
    EXPECT_TRUE(count->Visible());
    EXPECT_EQ(count->Caption(), "10 Zeichen frei");
    type(m->Handle(), "Grüße 😀");
    EXPECT_EQ(count->Caption(), "3 Zeichen frei");
    type(m->Handle(), "äöü");
    EXPECT_EQ(count->Caption(), "Kein Zeichen mehr frei");
    type(m->Handle(), "ß😀");
    EXPECT_EQ(count->Caption(), "2 Zeichen zuviel"); // shown, not enforced
    EXPECT_EQ(field("Bemerkung")->AsString(), "Grüße 😀äöüß😀");
    leave();
    EXPECT_FALSE(count->Visible());

    m->set_SpecialMaxLength(0);
    EXPECT_EQ(m->count_msg(), ""); // the field has no length
}

TEST_F(MemoTest, ABlobTextIsNotFetchedUntilAskedForThenWrittenBack)
{
    static_cast<TQelBlobField*>(field("Bemerkung"))->set_BufferAsString("Langer Text");
    reopen();
    auto* blob = static_cast<TQelBlobField*>(field("Bemerkung"));
    ASSERT_FALSE(blob->Loaded());
    auto* m = memo("Bemerkung");
    auto* instant = add<TQelMemo>("mmInstant", "Memo", 40);
    ASSERT_EQ(connect(), 2);
    EXPECT_FALSE(blob->Loaded()); // connecting the form fetched nothing
    EXPECT_EQ(m->Text(), QelNotLoadedText);
    EXPECT_EQ(m->Color(), clBtnFace);
    EXPECT_FALSE(m->BlobLoaded());
    EXPECT_FALSE(static_cast<TQelBlobField*>(field("Memo"))->Loaded());
    EXPECT_EQ(instant->Text(), QelNotLoadedText);

    ASSERT_TRUE(ShowActive(*form));
    focus(m);
    EXPECT_TRUE(blob->Loaded());
    EXPECT_EQ(m->Text(), "Langer Text");
    EXPECT_EQ(m->Color(), clWindow);
    keyEnd(m);
    type(m->Handle(), "!");
    EXPECT_EQ(blob->BufferAsString(), "Langer Text!");

    reopen();
    EXPECT_EQ(static_cast<TQelBlobField*>(field("Bemerkung"))->BufferAsString(), "Langer Text!");
    auto* loaded = memo("Bemerkung");
    loaded->set_InstantLoad(true);
    ASSERT_EQ(connect(), 1);
    EXPECT_EQ(loaded->Text(), "Langer Text!");
}

TEST_F(MemoTest, ImportAppendsUtf8AndWindows1252FilesAndExportWritesUtf8)
{
    TScopedScriptedDialogs dialogs;
    auto* m = memo("Bemerkung");
    field("Bemerkung")->set_AsString("Erste Zeile");
    ASSERT_EQ(connect(), 1);
    const std::string utf8 = dir.filePath("utf8.txt").toStdString();
    const std::string ansi = dir.filePath("ansi.txt").toStdString();
    writeBytes(utf8, "\xEF\xBB\xBFGrüße\r\naus Köln\r\n");
    writeBytes(ansi,
        "Stra\xDF"
        "e \x80 5\r\n");

    dialogs->AnswerFiles({ utf8 });
    m->import_text();
    EXPECT_EQ(dialogs->LastQuestion().request.title, "Text importieren");
    EXPECT_EQ(field("Bemerkung")->AsString(), "Erste Zeile\nGrüße\naus Köln\n");
    dialogs->AnswerFiles({ ansi });
    m->import_text();
    EXPECT_EQ(field("Bemerkung")->AsString(), "Erste Zeile\nGrüße\naus Köln\nStraße € 5\n");

    const std::string out = dir.filePath("export.txt").toStdString();
    dialogs->AnswerFiles({ out });
    m->export_text();
    EXPECT_EQ(dialogs->LastQuestion().request.title, "Text exportieren");
    EXPECT_EQ(readBytes(out), "Erste Zeile\nGrüße\naus Köln\nStraße € 5\n");
}

TEST_F(MemoTest, ImportOfAMissingOrTooLongFileLeavesTheFieldAlone)
{
    TScopedScriptedDialogs dialogs;
    auto* m = memo("Kurzbemerkung");
    field("Kurzbemerkung")->set_AsString("Kurz");
    ASSERT_EQ(connect(), 1);
    dialogs->AnswerFiles({ dir.filePath("gibtsnicht.txt").toStdString() });
    m->import_text();
    EXPECT_EQ(dialogs->LastQuestion().kind, TScriptedDialogs::TKind::MessageDlg);
    EXPECT_NE(dialogs->LastQuestion().text.find("kann nicht gelesen werden"), std::string::npos);
    EXPECT_EQ(field("Kurzbemerkung")->AsString(), "Kurz");

    const std::string longer = dir.filePath("lang.txt").toStdString();
    writeBytes(longer, "viel zu lang\n");
    dialogs->AnswerFiles({ longer });
    m->import_text();
    EXPECT_NE(dialogs->LastQuestion().text.find("höchstens 8 Zeichen"), std::string::npos);
    EXPECT_EQ(field("Kurzbemerkung")->AsString(), "Kurz");
    EXPECT_EQ(m->Text(), "Kurz");
}

TEST_F(MemoTest, AdvMemoWritesMemoTextsAndTakesNoOtherLongText)
{
    auto* am = add<TQelAdvMemo>("amMemo", "Memo", 80);
    auto* wrong = add<TQelAdvMemo>("amBemerkung", "Bemerkung", 80);
    am->set_InstantLoad(true);
    ASSERT_EQ(connect(), 1);
    EXPECT_FALSE(wrong->Enabled());
    ASSERT_TRUE(ShowActive(*form));
    focus(am);
    type(am->Handle(), "int x;");
    EXPECT_EQ(static_cast<TQelBlobField*>(field("Memo"))->BufferAsString(), "int x;");
    reopen();
    EXPECT_EQ(static_cast<TQelBlobField*>(field("Memo"))->BufferAsString(), "int x;");
}

TEST_F(MemoTest, FormattedTextSurvivesCommitAndReopening)
{
    auto* ft = add<TQelFTMemo>("ftNotiz", "Notiz", 160);
    auto* derived = add<TQelFTMemo>("ftVorbringen", "Vorbringen", 100);
    ASSERT_EQ(connect(), 1);
    EXPECT_FALSE(derived->Enabled());
    ASSERT_NE(ft->Frame(), nullptr);
    ASSERT_TRUE(ShowActive(*form));
    auto* editor = ft->Frame()->Handle()->findChild<QTextEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setFocus();
    QApplication::processEvents();
    type(editor, "Hallo ");
    QTest::keyClick(editor, Qt::Key_B, Qt::ControlModifier); // no shortcut: stays plain
    auto* bold = ft->Frame()->Handle()->findChild<QAbstractButton*>(QStringLiteral("btnBold"));
    ASSERT_NE(bold, nullptr);
    QTest::mouseClick(bold, Qt::LeftButton);
    type(editor, "Welt");
    EXPECT_TRUE(field("Notiz")->Null()); // written when the memo is left
    leave();
    auto* notiz = static_cast<TQelERVTextField*>(field("Notiz"));
    EXPECT_EQ(notiz->AsTXT(), "Hallo Welt");
    EXPECT_NE(notiz->AsHTML().find("font-weight"), std::string::npos);

    reopen();
    auto* again = add<TQelFTMemo>("ftNotiz", "Notiz", 160);
    ASSERT_EQ(connect(), 1);
    auto* shown = again->Frame()->Handle()->findChild<QTextEdit*>();
    EXPECT_EQ(shown->toPlainText().toStdString(), "Hallo Welt");
    QTextCursor c(shown->document());
    c.movePosition(QTextCursor::End);
    EXPECT_GE(c.charFormat().fontWeight(), QFont::Bold);
}

TEST_F(MemoTest, FormattedTextImportsByExtensionAndExportsReplacingTheFile)
{
    TScopedScriptedDialogs dialogs;
    auto* ft = add<TQelFTMemo>("ftNotiz", "Notiz", 160);
    std::string importPath;
    ft->OnImport = TQelFTImportEvent([&](TObject*, std::string& path, bool, bool&) { path = importPath; });
    std::string exportPath;
    ft->OnExport = TQelFTExportEvent([&](TObject*, std::string& name) { name = exportPath; });
    ASSERT_EQ(connect(), 1);
    auto* notiz = static_cast<TQelERVTextField*>(field("Notiz"));

    importPath = dir.filePath("brief.HTML").toStdString();
    writeBytes(importPath, "<p><b>Fett</b> und normal</p>");
    ft->import_file();
    EXPECT_NE(notiz->AsHTML().find("<b>Fett</b>"), std::string::npos);
    EXPECT_EQ(ft->Frame()->Handle()->findChild<QTextEdit*>()->toPlainText().toStdString(), "Fett und normal");

    importPath = dir.filePath("liste.csv").toStdString();
    writeBytes(importPath, "a;<b>\n");
    ft->import_file();
    EXPECT_EQ(notiz->AsTXT(), "a;<b>");

    importPath = dir.filePath("fehlt.txt").toStdString();
    ft->import_file();
    EXPECT_NE(dialogs->LastQuestion().text.find("kann nicht gelesen werden"), std::string::npos);
    EXPECT_EQ(notiz->AsTXT(), "a;<b>");

    exportPath = dir.filePath("out.txt").toStdString();
    writeBytes(exportPath, "alter Inhalt, viel länger als der neue");
    ft->export_file();
    EXPECT_EQ(readBytes(exportPath), "a;<b>\n");
    exportPath.clear();
    ft->export_file(); // no name: nothing happens
}

TEST_F(MemoTest, FormattedTextToolbarButtonsImportAndExport)
{
    auto* bar = new TPanel(form.get());
    bar->SetParent(form.get());
    bar->SetBounds(330, 10, 200, 30);
    auto* importButton = new TButton(form.get());
    importButton->SetParent(bar);
    auto* exportButton = new TButton(form.get());
    exportButton->SetParent(bar);
    auto* ft = add<TQelFTMemo>("ftNotiz", "Notiz", 160);
    ft->set_Toolbar(bar);
    const std::string in = dir.filePath("in.txt").toStdString();
    const std::string out = dir.filePath("out.htm").toStdString();
    writeBytes(in, "Zeile");
    ft->OnImport = TQelFTImportEvent([&](TObject*, std::string& path, bool isEmpty, bool& append) {
        path = in;
        append = !isEmpty;
    });
    ft->OnExport = TQelFTExportEvent([&](TObject*, std::string& name) { name = out; });
    ASSERT_EQ(connect(), 1);
    importButton->Click();
    importButton->Click(); // appended, the editor holding text
    auto* notiz = static_cast<TQelERVTextField*>(field("Notiz"));
    EXPECT_EQ(notiz->AsTXT(), "Zeile\nZeile");
    exportButton->Click();
    EXPECT_EQ(readBytes(out), notiz->AsHTML() + "\n");
}

TEST_F(MemoTest, FormattedTextDiscardedByARollbackIsNotWrittenBackOnLeaving)
{
    static_cast<TQelERVTextField*>(field("Notiz"))->set_AsTXT("gespeichert");
    reopen();
    auto* ft = add<TQelFTMemo>("ftNotiz", "Notiz", 160);
    ASSERT_EQ(connect(), 1);
    ASSERT_TRUE(ShowActive(*form));
    auto* editor = ft->Frame()->Handle()->findChild<QTextEdit*>();
    editor->setFocus();
    QApplication::processEvents();
    editor->moveCursor(QTextCursor::End);
    type(editor, " und neu");
    person->Rollback();
    EXPECT_EQ(editor->toPlainText().toStdString(), "gespeichert");
    leave();
    auto* notiz = static_cast<TQelERVTextField*>(field("Notiz"));
    EXPECT_EQ(notiz->AsTXT(), "gespeichert");
    EXPECT_FALSE(notiz->Touched());
}

TEST_F(MemoTest, AFocusedMemoShowsTheNextObjectsBlobAtOnce)
{
    static_cast<TQelBlobField*>(field("Bemerkung"))->set_BufferAsString("erste");
    TQelObject* second = db->CreateObject(db->FindClass("Person")->Key());
    static_cast<TQelBlobField*>(second->FieldByName("Bemerkung"))->set_BufferAsString("zweite");
    ASSERT_TRUE(second->Commit());
    const TQelObjectKey secondKey = second->Key();
    reopen();
    auto* m = memo("Bemerkung");
    ASSERT_EQ(connect(), 1);
    ASSERT_TRUE(ShowActive(*form));
    focus(m);
    EXPECT_EQ(m->Text(), "erste");
    TQelObject* next = db->GetObjectA(secondKey);
    ASSERT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), next->FieldList(), false), 1);
    EXPECT_EQ(m->Text(), "zweite");
    keyEnd(m);
    type(m->Handle(), "!");
    EXPECT_EQ(static_cast<TQelBlobField*>(next->FieldByName("Bemerkung"))->BufferAsString(), "zweite!");
}

namespace {

// The lines of a long text of umlauts, CJK and emoji (surrogate pairs).
const char* const kLine = "Grüße aus Köln, 東京 und 😀!";

std::string linesOf(int count, int changed = -1, const std::string& changedLine = {})
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s += (i == changed ? changedLine : std::string(kLine)) + "\n";
    return s;
}

void key(TWinControl* c, Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier, int times = 1)
{
    for (int i = 0; i < times; ++i)
        QTest::keyClick(c->Handle(), k, mods);
}

} // namespace

TEST_F(MemoTest, KeysPasteUndoAndInputMethodInsideALongMultiByteTextReachTheStoredRow)
{
    static_cast<TQelBlobField*>(field("Bemerkung"))->set_BufferAsString(linesOf(200));
    reopen();
    auto* m = memo("Bemerkung");
    m->set_InstantLoad(true);
    m->SetWordWrap(false); // a key moves along the text's own lines
    ASSERT_EQ(connect(), 1);
    ASSERT_TRUE(ShowActive(*form));
    focus(m);
    auto* blob = static_cast<TQelBlobField*>(field("Bemerkung"));
    const auto fieldShowsTheMemo
        = [&](const char* step) { EXPECT_EQ(blob->BufferAsString(), m->Text()) << step; };

    // Line 100, before the emoji: letters of two and three bytes, then one after the emoji.
    key(m, Qt::Key_Home, Qt::ControlModifier);
    key(m, Qt::Key_Down, Qt::NoModifier, 100);
    key(m, Qt::Key_End);
    key(m, Qt::Key_Left, Qt::NoModifier, 2);
    type(m->Handle(), "ä東");
    key(m, Qt::Key_Right);
    type(m->Handle(), "ß");
    fieldShowsTheMemo("typed");
    EXPECT_EQ(blob->BufferAsString(), linesOf(200, 100, "Grüße aus Köln, 東京 und ä東😀ß!"));
    // Backspace takes the letter, then the whole emoji.
    key(m, Qt::Key_Backspace, Qt::NoModifier, 2);
    EXPECT_EQ(blob->BufferAsString(), linesOf(200, 100, "Grüße aus Köln, 東京 und ä東!"));
    // A selection typed over.
    key(m, Qt::Key_Home);
    key(m, Qt::Key_Right, Qt::ShiftModifier, 5);
    type(m->Handle(), "Hallo");
    EXPECT_EQ(blob->BufferAsString(), linesOf(200, 100, "Hallo aus Köln, 東京 und ä東!"));
    // A paste of two lines over the rest of the line, and its undo.
    QApplication::clipboard()->setText(QString::fromUtf8("Zeile A\nZeile B mit Ü 🎉"));
    key(m, Qt::Key_End, Qt::ShiftModifier);
    key(m, Qt::Key_V, Qt::ControlModifier);
    fieldShowsTheMemo("pasted");
    EXPECT_EQ(blob->BufferAsString(), linesOf(200, 100, "HalloZeile A\nZeile B mit Ü 🎉"));
    key(m, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(blob->BufferAsString(), linesOf(200, 100, "Hallo aus Köln, 東京 und ä東!"));
    // An input method replaces the two characters before the caret by what it composed.
    key(m, Qt::Key_End);
    QInputMethodEvent compose;
    compose.setCommitString(QString::fromUtf8("Straße"), -2, 2);
    QApplication::sendEvent(QApplication::focusWidget(), &compose);
    const std::string expected = linesOf(200, 100, "Hallo aus Köln, 東京 und äStraße");
    EXPECT_EQ(m->Text(), expected);
    fieldShowsTheMemo("composed");
    // A selection across lines deleted: the end of line 100 and the start of line 101.
    key(m, Qt::Key_Left, Qt::NoModifier, 3);
    key(m, Qt::Key_Right, Qt::ShiftModifier, 8);
    key(m, Qt::Key_Delete);
    const std::string joined
        = linesOf(100) + "Hallo aus Köln, 東京 und äStre aus Köln, 東京 und 😀!\n" + linesOf(98);
    EXPECT_EQ(blob->BufferAsString(), joined);

    leave();
    reopen();
    EXPECT_EQ(field("Bemerkung")->AsString(), joined);
}

TEST_F(MemoTest, ChangesFromElsewhereRollbackAndTextsShownOtherwiseAreWrittenAsShown)
{
    static_cast<TQelBlobField*>(field("Bemerkung"))->set_BufferAsString("abc");
    reopen();
    auto* m = memo("Bemerkung");
    auto* other = memo("Bemerkung");
    m->set_InstantLoad(true);
    other->set_InstantLoad(true);
    ASSERT_EQ(connect(), 2);
    ASSERT_TRUE(ShowActive(*form));
    focus(m);
    auto* blob = static_cast<TQelBlobField*>(field("Bemerkung"));
    keyEnd(m);
    type(m->Handle(), "d");
    EXPECT_EQ(blob->BufferAsString(), "abcd");
    EXPECT_EQ(other->Text(), "abcd");
    // Another text of the same length from the program: the next key goes into that one.
    blob->set_BufferAsString("wxyz");
    EXPECT_EQ(m->Text(), "wxyz");
    keyEnd(m);
    type(m->Handle(), "!");
    EXPECT_EQ(blob->BufferAsString(), "wxyz!");
    EXPECT_EQ(other->Text(), "wxyz!");
    // The other memo on the field types into it as well.
    focus(other);
    keyEnd(other);
    type(other->Handle(), "ö");
    EXPECT_EQ(m->Text(), "wxyz!ö");
    EXPECT_EQ(blob->BufferAsString(), "wxyz!ö");
    // A rollback shows the stored text, and the next key goes into it.
    person->Rollback();
    EXPECT_EQ(m->Text(), "abc");
    EXPECT_FALSE(blob->Touched());
    focus(m);
    keyEnd(m);
    type(m->Handle(), "e");
    EXPECT_EQ(blob->BufferAsString(), "abce");

    // Line breaks as "\r\n" and a no-break space are shown as "\n" and a space: the first key
    // writes the text as shown, as always.
    blob->set_BufferAsString("a\r\nb\xC2\xA0"
                             "c");
    EXPECT_EQ(m->Text(), "a\nb c");
    keyEnd(m);
    type(m->Handle(), "😀");
    EXPECT_EQ(blob->BufferAsString(), "a\nb c😀");
    key(m, Qt::Key_Home, Qt::ControlModifier);
    type(m->Handle(), "ü");
    EXPECT_EQ(blob->BufferAsString(), "üa\nb c😀");
    leave();
    reopen();
    EXPECT_EQ(field("Bemerkung")->AsString(), "üa\nb c😀");
}

TEST_F(MemoTest, RandomEditsAnywhereKeepTheFieldEqualToTheShownText)
{
    // Edits at any UTF-16 position, between the halves of an emoji too, with texts of one to four
    // bytes a character, line breaks and the marks the document keeps for them.
    const QString pieces[] = { "a", "ä", "東", "😀", "\n", "Grüße", QString(QChar(0x00A0)),
        QString(QChar(QChar::ParagraphSeparator)), "🎉x", "" };
    auto* m = memo("Bemerkung");
    field("Bemerkung")->set_AsString("Anfang 東京 😀 Ende");
    ASSERT_EQ(connect(), 1);
    auto* edit = static_cast<QPlainTextEdit*>(m->Handle());
    auto* blob = static_cast<TQelBlobField*>(field("Bemerkung"));
    std::uint32_t seed = 38;
    const auto next = [&seed](std::uint32_t bound) {
        seed = seed * 1664525u + 1013904223u;
        return bound ? (seed >> 8) % bound : 0u;
    };
    for (int i = 0; i < 400; ++i) {
        const int units = edit->document()->characterCount() - 1;
        const int at = static_cast<int>(next(static_cast<std::uint32_t>(units) + 1));
        const int removed = std::min(units - at, static_cast<int>(next(4)));
        QTextCursor c(edit->document());
        c.setPosition(at);
        c.setPosition(at + removed, QTextCursor::KeepAnchor);
        c.insertText(pieces[next(std::size(pieces))]);
        ASSERT_EQ(blob->BufferAsString(), edit->toPlainText().toStdString()) << "edit " << i;
    }
    ASSERT_TRUE(person->Commit()) << person->ErrorMessage();
    const std::string shown = m->Text();
    reopen();
    EXPECT_EQ(field("Bemerkung")->AsString(), shown);
}
