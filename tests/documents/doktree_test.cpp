// The folder tree beside the list: folders from categories, new and renamed folders, and rows and
// folders moved by real drops.
#include "documents/qeldoktr.h"
#include "documents_fixture.h"
#include "toolkit/tk_test_util.h"

#include <QTest>
#include <sqlite3.h>

namespace {

class DokTreeTest : public DocsTest {
protected:
    void SetUp() override
    {
        DocsTest::SetUp();
        tree = new TQelDokTree(form.get());
        tree->SetParent(form.get());
        tree->SetBounds(420, 10, 170, 250);
    }
    // A committed document assigned to the file under `category`.
    TQelDokument* doc(const std::string& name, const std::string& category)
    {
        auto* d = QelAsDokument(create("Dokument"));
        d->set_DocName(name);
        d->AddZuordnung(akte->Key()).set_Kategorie(category);
        EXPECT_TRUE(d->Commit());
        return d;
    }
    std::vector<std::string> paths() const
    {
        std::vector<std::string> out;
        for (TTreeNode* n : tree->AllNodes())
            out.push_back(tree->get_NodePath(n));
        return out;
    }
    std::string category(TQelDokument* d) const { return d->FindZuordnung(akte->Key()).Kategorie(); }
    // The categories as stored, sorted.
    std::vector<std::string> storedCategories() const
    {
        std::vector<std::string> out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db->Handle(), "SELECT Kategorie FROM QEL_ZUORDNUNG", -1, &st, nullptr)
            == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                out.push_back(sqlite3_column_text(st, 0)
                        ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0))
                        : "");
        sqlite3_finalize(st);
        std::sort(out.begin(), out.end());
        return out;
    }
    // The folder selected and F2 pressed on the shown tree, the input box answered with `name`.
    void renameWithF2(const std::string& path, const std::string& name)
    {
        ASSERT_TRUE(ShowActive(*form));
        tree->SetSelected(tree->FindNode(path));
        tree->SetFocus();
        QApplication::processEvents();
        const std::size_t asked = dialogs->Questions().size();
        dialogs->AnswerInput(name);
        QTest::keyClick(tree->Handle(), Qt::Key_F2);
        ASSERT_GT(dialogs->Questions().size(), asked);
        ASSERT_EQ(dialogs->Questions()[asked].caption, "Ordner umbenennen");
    }

    TQelDokTree* tree = nullptr;
};

TEST_F(DokTreeTest, FoldersComeFromCategoriesWithoutRegardToCase)
{
    doc("eins", "Verträge/b");
    doc("zwei", "verträge/c");
    doc("drei", "");
    tree->set_ListView(lv);
    EXPECT_EQ(paths(), (std::vector<std::string> { "/", "Verträge", "Verträge/b", "Verträge/c" }));
    EXPECT_EQ(tree->Root(0)->Text(), "Meier");
    EXPECT_EQ(lv->Count(), 1); // the root is selected: the documents without category

    tree->SetSelected(tree->FindNode("Verträge/c"));
    EXPECT_EQ(lv->get_Category(), "Verträge/c");
    ASSERT_EQ(lv->Count(), 1);
    EXPECT_EQ(lv->Item(0)->Caption(), "zwei");
}

TEST_F(DokTreeTest, NewFoldersAndRenaming)
{
    doc("a", "Post/Eingang");
    doc("b", "Post/Eingang/Alt");
    doc("c", "Postfach");
    tree->set_ListView(lv);
    dialogs->AnswerInput("Neu");
    tree->cmd_new_folder(); // the root is selected
    EXPECT_EQ(dialogs->LastQuestion().caption, "Neuen Ordner anlegen");
    EXPECT_EQ(dialogs->LastQuestion().text, "Bitte geben Sie einen Ordner an:");
    EXPECT_EQ(tree->UserFolders(), (std::vector<std::string> { "Neu" }));
    EXPECT_EQ(tree->get_NodePath(tree->Selected()), "Neu");

    tree->SetSelected(tree->FindNode("Post"));
    dialogs->AnswerInput("Briefe");
    tree->cmd_rename_folder();
    EXPECT_EQ(dialogs->LastQuestion().caption, "Ordner umbenennen");
    EXPECT_EQ(dialogs->LastQuestion().value, "Post");
    auto all = TQelDokument::GetZuordnungen(db.get(), akte->Key());
    std::vector<std::string> cats;
    for (auto& z : all)
        cats.push_back(z.Kategorie());
    std::sort(cats.begin(), cats.end());
    // Subfolders move with their folder; "Postfach" only shares the start of the name.
    EXPECT_EQ(cats, (std::vector<std::string> { "Briefe/Eingang", "Briefe/Eingang/Alt", "Postfach" }));
    for (auto& z : all)
        EXPECT_FALSE(z.Dokument()->Touched()); // committed
    EXPECT_NE(tree->FindNode("Briefe/Eingang/Alt"), nullptr);
    EXPECT_EQ(tree->FindNode("Post"), nullptr);
    EXPECT_NE(tree->FindNode("Neu"), nullptr); // the empty user folder stays
}

TEST_F(DokTreeTest, RowsAndFoldersMoveByDropping)
{
    TQelDokument* a = doc("a", "");
    TQelDokument* b = doc("b", "");
    doc("c", "Archiv/2023");
    doc("d", "Ablage");
    tree->set_ListView(lv);
    form->Show();
    ASSERT_EQ(lv->Count(), 2);
    lv->SelectAll();
    const TPoint at = tree->NodePoint(tree->FindNode("Ablage"));
    EXPECT_TRUE(drop(tree->Handle(), QelControlDragData(lv), QPoint(at.X, at.Y)));
    EXPECT_EQ(category(a), "Ablage");
    EXPECT_EQ(category(b), "Ablage");
    EXPECT_FALSE(a->Touched());

    // A folder dropped on another moves below it, with its documents.
    tree->SetSelected(tree->FindNode("Archiv"));
    const TPoint on = tree->NodePoint(tree->FindNode("Ablage"));
    EXPECT_TRUE(drop(tree->Handle(), QelControlDragData(tree), QPoint(on.X, on.Y)));
    EXPECT_NE(tree->FindNode("Ablage/Archiv/2023"), nullptr);
    EXPECT_EQ(tree->FindNode("Archiv"), nullptr);

    // Never into itself or below it.
    tree->SetSelected(tree->FindNode("Ablage"));
    const TPoint inner = tree->NodePoint(tree->FindNode("Ablage/Archiv"));
    EXPECT_FALSE(drop(tree->Handle(), QelControlDragData(tree), QPoint(inner.X, inner.Y)));
    EXPECT_NE(tree->FindNode("Ablage/Archiv/2023"), nullptr);
}

// A new name that differs only in case is a rename like any other.
TEST_F(DokTreeTest, RenamingChangesTheCaseOfAFolderName)
{
    doc("a", "rechnungen");
    doc("b", "rechnungen/alt");
    tree->set_ListView(lv);
    renameWithF2("rechnungen", "Rechnungen");
    EXPECT_EQ(storedCategories(), (std::vector<std::string> { "Rechnungen", "Rechnungen/alt" }));
    EXPECT_EQ(tree->FindNode("Rechnungen")->Text(), "Rechnungen");
    EXPECT_EQ(tree->get_NodePath(tree->Selected()), "Rechnungen");
}

// A document the database refuses to store stays where it is stored, and the user is told which
// one and why, for a renamed folder and for dropped rows alike.
TEST_F(DokTreeTest, DocumentThatCannotBeStoredStaysInItsFolderAndIsNamed)
{
    TQelDokument* a = doc("a", "Post");
    TQelDokument* b = doc("Brief an Müller", "Post/Alt");
    ASSERT_EQ(sqlite3_exec(db->Handle(),
                  "CREATE TRIGGER nein1 BEFORE UPDATE ON QEL_ZUORDNUNG WHEN OLD.Kategorie = 'Post/Alt' "
                  "BEGIN SELECT RAISE(ABORT, 'gesperrt'); END;"
                  "CREATE TRIGGER nein2 BEFORE DELETE ON QEL_ZUORDNUNG WHEN OLD.Kategorie = 'Post/Alt' "
                  "BEGIN SELECT RAISE(ABORT, 'gesperrt'); END",
                  nullptr, nullptr, nullptr),
        SQLITE_OK);
    tree->set_ListView(lv);
    renameWithF2("Post", "Briefe");
    EXPECT_EQ(category(a), "Briefe");
    EXPECT_EQ(category(b), "Post/Alt");
    EXPECT_EQ(storedCategories(), (std::vector<std::string> { "Briefe", "Post/Alt" }));
    const auto& q = dialogs->LastQuestion();
    ASSERT_EQ(q.kind, TScriptedDialogs::TKind::MessageBox);
    EXPECT_EQ(q.caption, "Verschieben gescheitert");
    EXPECT_EQ(q.text.rfind("Das Dokument \"Brief an Müller\" konnte nicht verschoben werden:\n\n", 0), 0u)
        << q.text;
    EXPECT_NE(q.text.find("gesperrt"), std::string::npos) << q.text;
    EXPECT_TRUE(q.flags & MB_ICONERROR);
    EXPECT_NE(tree->FindNode("Post/Alt"), nullptr);
    EXPECT_NE(tree->FindNode("Briefe"), nullptr);

    // The row dropped on another folder: the same.
    const std::size_t asked = dialogs->Questions().size();
    tree->SetSelected(tree->FindNode("Post/Alt"));
    ASSERT_EQ(lv->Count(), 1);
    lv->SelectAll();
    const TPoint at = tree->NodePoint(tree->FindNode("Briefe"));
    EXPECT_TRUE(drop(tree->Handle(), QelControlDragData(lv), QPoint(at.X, at.Y)));
    EXPECT_EQ(category(b), "Post/Alt");
    EXPECT_EQ(storedCategories(), (std::vector<std::string> { "Briefe", "Post/Alt" }));
    ASSERT_EQ(dialogs->Questions().size(), asked + 1);
    EXPECT_EQ(dialogs->LastQuestion().caption, "Verschieben gescheitert");
}

} // namespace
