// Documents: contents streamed into and out of the store, assignments and their categories.
#include "objdb/qeldocuments.h"
#include "objdb/qeltext.h"
#include "objdb_test_support.h"
#include "support/documents_data.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

class DocumentsTest : public ::testing::Test {
protected:
    TempFile tmp { "docs.qeldb" };
    TestDb t { kDocsSchema, OnPostgres() ? ":memory:" : tmp.path() };

    std::string file(const std::string& name, const std::string& data)
    {
        const std::string p = tmp.dir() + "/" + name;
        QelWriteFile(p, data);
        return p;
    }
    TQelDokument* newDoc(const char* cls = "Dokument") { return QelAsDokument(t.create(cls)); }
    // Rows of the content table (0 when it was never needed).
    std::int64_t contentRows()
    {
        try {
            return QueryInt(t.db.get(), "SELECT COUNT(*) FROM QEL_DATEI");
        } catch (const std::exception&) {
            return 0;
        }
    }
};

TEST_F(DocumentsTest, ContentsRoundTripByteForByteAcrossReopening)
{
    const std::string big = QelRandomBytes(5 * 1024 * 1024 + 17, 7); // crosses chunk borders
    struct Case {
        std::string name, data;
    } cases[] = { { "gross.bin", big }, { "leer.txt", "" }, { "nul.dat", std::string("a\0b\0", 4) } };
    std::vector<TQelObjectKey> keys;
    for (const Case& c : cases) {
        TQelDokument* d = newDoc();
        ASSERT_TRUE(d->Import(file(c.name, c.data))) << d->ErrorMessage();
        EXPECT_EQ(d->Blob()->DataLength(), static_cast<std::int64_t>(c.data.size()));
        ASSERT_TRUE(d->Commit()) << d->ErrorMessage();
        keys.push_back(d->Key());
    }
    EXPECT_EQ(QelAsDokument(t->GetObjectA(keys[0]))->DataFormat(), "bin");

    auto again = openFile(t.store);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        TQelDokument* d = QelAsDokument(again->GetObjectA(keys[i]));
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->Blob()->DataLength(), static_cast<std::int64_t>(cases[i].data.size()));
        const std::string out = tmp.dir() + "/out_" + cases[i].name;
        ASSERT_TRUE(d->Blob()->Export(out)) << d->Blob()->ErrorMessage();
        EXPECT_TRUE(QelReadFile(out) == cases[i].data) << cases[i].name;
    }
    EXPECT_EQ(QelAsDokument(again->GetObjectA(keys[2]))->Blob()->BufferAsString(), cases[2].data);
}

TEST_F(DocumentsTest, UnreadableFilesStoreNothingAndSayWhy)
{
    TQelDokument* d = newDoc();
    EXPECT_FALSE(d->Import(tmp.dir() + "/gibtesnicht.txt"));
    EXPECT_NE(d->ErrorMessage().find("existiert nicht"), std::string::npos);
    EXPECT_FALSE(d->Import(tmp.dir())); // a folder
    EXPECT_NE(d->ErrorMessage().find("keine gewöhnliche Datei"), std::string::npos);
    if (::geteuid() != 0) { // root reads every file
        const std::string locked = file("gesperrt.txt", "geheim");
        std::filesystem::permissions(locked, std::filesystem::perms::none);
        EXPECT_FALSE(d->Import(locked));
        EXPECT_NE(d->ErrorMessage().find("kann nicht gelesen werden"), std::string::npos);
    }
    EXPECT_FALSE(d->Blob()->HasContent());
    EXPECT_FALSE(d->Blob()->Touched());
    EXPECT_EQ(contentRows(), 0);
}

TEST_F(DocumentsTest, ReplacedAndRolledBackContentsLeaveNoRowsBehind)
{
    TQelDokument* d = newDoc();
    ASSERT_TRUE(d->Import(file("a.txt", "erste Fassung")));
    ASSERT_TRUE(d->Commit());
    EXPECT_EQ(contentRows(), 1);

    ASSERT_TRUE(d->Import(file("a.txt", "zweite")));
    ASSERT_TRUE(d->Import(file("a.txt", "dritte"))); // the second never reaches the object's row
    EXPECT_EQ(contentRows(), 2);
    d->Rollback();
    EXPECT_EQ(contentRows(), 1);
    EXPECT_EQ(d->Blob()->BufferAsString(), "erste Fassung");

    ASSERT_TRUE(d->Blob()->set_BufferAsString("neu"));
    ASSERT_TRUE(d->Commit());
    EXPECT_EQ(contentRows(), 1);
    EXPECT_EQ(d->Blob()->BufferAsString(), "neu");

    TQelDokument* gone = newDoc();
    ASSERT_TRUE(gone->Import(file("b.txt", "verworfen")));
    t->FreeObject(gone);
    EXPECT_EQ(contentRows(), 1);
}

TEST_F(DocumentsTest, MissingContentIsReportedNotExported)
{
    TQelDokument* d = newDoc();
    ASSERT_TRUE(d->Import(file("x.pdf", "%PDF")));
    ASSERT_TRUE(d->Commit());
    ExecOutside(t, "DELETE FROM QEL_DATEI");
    EXPECT_TRUE(d->Blob()->Missing());
    EXPECT_EQ(d->Blob()->DataLength(), 0);
    EXPECT_FALSE(d->Blob()->Export(tmp.dir() + "/export.pdf"));
    EXPECT_EQ(d->Blob()->ErrorMessage(), "Der Inhalt des Dokuments fehlt in der Datenbank.");
    EXPECT_FALSE(std::filesystem::exists(tmp.dir() + "/export.pdf"));
}

TEST_F(DocumentsTest, AssignmentsAndCategoriesRoundTrip)
{
    TQelObject* akte = t.create("Akte", "Meier");
    TQelObject* other = t.create("Akte", "Schulz");
    ASSERT_TRUE(akte->Commit() && other->Commit());
    struct Doc {
        const char* cls;
        const char* category;
        TQelObject* owner;
    } docs[] = { { "Dokument", "Verträge/2024", akte }, { "Vertrag", "verträge/Alt", akte },
        { "Dokument", "", akte }, { "Dokument", "Fremd", other } };
    for (const Doc& x : docs) {
        TQelDokument* d = newDoc(x.cls);
        d->set_DocName(x.category);
        TQelZuordnung z = d->AddZuordnung(x.owner->Key());
        ASSERT_TRUE(z);
        z.set_Kategorie(x.category);
        z.set_Art("Anlage");
        EXPECT_EQ(d->AddZuordnung(x.owner->Key()), z); // one assignment per object
        ASSERT_TRUE(d->Commit()) << d->ErrorMessage();
    }

    auto again = openFile(t.store);
    const TQelObjectKey k = akte->Key();
    std::vector<std::string> paths = TQelDokument::AllePfade(again.get(), k);
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string> { "Verträge/2024", "verträge/Alt" }));
    EXPECT_EQ(TQelDokument::GetZuordnungen(again.get(), k).size(), 3u);
    EXPECT_EQ(TQelDokument::ListDocuments(again.get(), k, TQelClassKey(0), "VERTRÄGE/2024", true).size(), 1u);
    EXPECT_EQ(TQelDokument::ListDocuments(again.get(), k, TQelClassKey(0), "", true).size(), 1u);
    EXPECT_EQ(TQelDokument::ListDocuments(again.get(), k, again->FindClass("Vertrag")->Key()).size(), 2u);
    for (TQelZuordnung z : TQelDokument::GetZuordnungen(again.get(), k))
        EXPECT_EQ(z.Art(), "Anlage");

    // Removing the assignment takes the document off the object's list once committed.
    TQelDokument* first
        = TQelDokument::ListDocuments(again.get(), k, TQelClassKey(0), "Verträge/2024", true)[0];
    EXPECT_TRUE(first->RemoveZuordnung(k));
    EXPECT_FALSE(first->RemoveZuordnung(k));
    ASSERT_TRUE(first->Commit());
    EXPECT_EQ(TQelDokument::GetZuordnungen(openFile(t.store).get(), k).size(), 2u);
}

TEST_F(DocumentsTest, CategoriesAreTrimmedToTheirLength)
{
    TQelDokument* d = newDoc();
    TQelZuordnung z = d->AddZuordnung(TQelObjectKey(99));
    std::string longPath;
    for (int i = 0; i < 300; ++i)
        longPath += "ä";
    z.set_Kategorie("  " + longPath + "  ");
    EXPECT_EQ(Utf8Length(z.Kategorie()), 250u);
    EXPECT_TRUE(z.FieldList()->FieldByName("Kategorie")->Valid());
}

TEST_F(DocumentsTest, OwnerCommitStoresItsDocumentsEvenWithoutChangesOfItsOwn)
{
    TQelObject* akte = t.create("Akte", "Meier");
    ASSERT_TRUE(akte->Commit());
    TQelDokument* added = newDoc();
    ASSERT_TRUE(added->Blob()->set_BufferAsString("Notiz"));
    added->AddZuordnung(akte->Key());
    added->set_Trigger(akte);
    TQelDokument* kept = newDoc();
    kept->AddZuordnung(akte->Key());
    ASSERT_TRUE(kept->Commit());
    ASSERT_TRUE(kept->RemoveZuordnung(akte->Key()));
    kept->set_Trigger(akte);
    EXPECT_EQ(kept->Trigger(), akte->Key());

    ASSERT_FALSE(akte->Touched());
    ASSERT_TRUE(akte->Commit()) << akte->ErrorMessage();
    EXPECT_FALSE(added->IsNew());
    EXPECT_FALSE(kept->Touched());
    auto again = openFile(t.store);
    const auto listed = TQelDokument::ListDocuments(again.get(), akte->Key());
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0]->Key(), added->Key());
    EXPECT_EQ(listed[0]->Blob()->BufferAsString(), "Notiz");

    // Freed documents are no followers any more.
    TQelDokument* dropped = newDoc();
    dropped->set_Trigger(akte);
    const TQelObjectKey droppedKey = dropped->Key();
    t->FreeObject(dropped);
    EXPECT_FALSE(t->CommitOwner(droppedKey).Valid());
    EXPECT_TRUE(akte->Commit());
}

TEST_F(DocumentsTest, OwnerCommitFailsWholeWhenADocumentCannotBeStored)
{
    TQelObject* akte = t.create("Akte", "Meier");
    TQelDokument* good = newDoc();
    good->set_DocName("gut");
    good->set_Trigger(akte);
    TQelDokument* bad = newDoc("Vertrag");
    bad->FieldByName("Nummer")->set_AsString(std::string(30, '9')); // longer than its field
    ASSERT_FALSE(bad->Valid());
    bad->set_Trigger(akte);

    EXPECT_FALSE(akte->Commit());
    EXPECT_NE(akte->ErrorMessage().find("kann nicht gespeichert werden"), std::string::npos)
        << akte->ErrorMessage();
    EXPECT_TRUE(akte->IsNew());
    EXPECT_TRUE(good->IsNew());
    EXPECT_EQ(QueryInt(t.db.get(), "SELECT COUNT(*) FROM OBJEKT"), 0);

    bad->FieldByName("Nummer")->set_AsString("V-1");
    ASSERT_TRUE(akte->Commit()) << akte->ErrorMessage();
    EXPECT_FALSE(akte->IsNew() || good->IsNew() || bad->IsNew());
    EXPECT_EQ(QueryInt(t.db.get(), "SELECT COUNT(*) FROM OBJEKT"), 3);
}

// Another program on the store imports a file and is killed (here: ends without a word) before
// its document is committed. The content it wrote is referred to by nothing; the next program to
// open the store removes it. A program that is still running keeps its content, to commit it.
TEST_F(DocumentsTest, ContentOfAnImportKilledBeforeItsCommitIsRemovedAtOpen)
{
    const std::string data = QelRandomBytes(300 * 1024, 5);
    const std::string p = file("scan.pdf", data);
    TQelDokument* kept = newDoc();
    ASSERT_TRUE(kept->Import(p));
    ASSERT_TRUE(kept->Commit());
    const std::int64_t keptContent = kept->Blob()->ContentId();

    int toChild[2], toParent[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(toParent), 0);
    auto importer = [&](bool killed) {
        const pid_t pid = fork();
        if (pid != 0)
            return pid;
        int rc = 1;
        std::unique_ptr<TQelDatabase> other; // never closed: that would free the new content
        try {
            other = openFile(t.store);
            auto* d = QelAsDokument(other->CreateObject(other->FindClass("Dokument")->Key()));
            rc = d && d->Import(p) ? 0 : 2;
            if (!killed) {
                char go = 0;
                (void)!::write(toParent[1], "i", 1);
                (void)!::read(toChild[0], &go, 1);
                rc = d->Commit() ? 0 : 4;
            }
        } catch (...) {
            rc = 3;
        }
        _exit(rc); // no destructor runs: the content stays as a kill leaves it
    };
    auto finished = [](pid_t pid) {
        int status = 0;
        return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    auto rows = [&](TQelDatabase* db) { return QueryInt(db, "SELECT COUNT(*) FROM QEL_DATEI"); };

    ASSERT_TRUE(finished(importer(true)));
    ASSERT_TRUE(finished(importer(true)));
    // The server notices the ended sessions a moment later; until then their contents stay.
    std::unique_ptr<TQelDatabase> reopened;
    for (int i = 0; i < 100; ++i) {
        reopened = openFile(t.store);
        if (rows(reopened.get()) == 1)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(rows(reopened.get()), 1);
    EXPECT_EQ(QueryInt(reopened.get(), "SELECT COUNT(*) FROM QEL_DATEI_TEIL"),
        QueryInt(reopened.get(),
            "SELECT COUNT(*) FROM QEL_DATEI_TEIL WHERE DATEI = " + std::to_string(keptContent)));
    ASSERT_TRUE(QelAsDokument(reopened->GetObjectA(kept->Key()))->Blob()->BufferAsString() == data);
    reopened.reset();

    // A running program's import is not touched by others opening the store, and is committed.
    const pid_t running = importer(false);
    char ready = 0;
    ASSERT_EQ(::read(toParent[0], &ready, 1), 1);
    auto meanwhile = openFile(t.store);
    EXPECT_EQ(rows(meanwhile.get()), 2);
    ASSERT_EQ(::write(toChild[1], "c", 1), 1);
    ASSERT_TRUE(finished(running));
    auto after = openFile(t.store);
    EXPECT_EQ(rows(after.get()), 2);
    const std::int64_t committed = QueryInt(after.get(), "SELECT MAX(K) FROM QEL_DOKUMENT");
    auto* d = QelAsDokument(after->GetObjectA(TQelObjectKey(static_cast<int>(committed))));
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->Blob()->BufferAsString() == data);
    for (int fd : { toChild[0], toChild[1], toParent[0], toParent[1] })
        ::close(fd);
}

// A document removed for good takes its content along.
TEST_F(DocumentsTest, RemovingADocumentForGoodRemovesItsContent)
{
    TQelDokument* d = newDoc();
    ASSERT_TRUE(d->Import(file("weg.txt", "weg damit")));
    ASSERT_TRUE(d->Commit());
    TQelDokument* other = newDoc();
    ASSERT_TRUE(other->Import(file("bleibt.txt", "bleibt")));
    ASSERT_TRUE(other->Commit());
    ASSERT_TRUE(d->Delete());
    ASSERT_TRUE(t->DeleteObject(d->Key()));
    EXPECT_EQ(contentRows(), 1);
    EXPECT_EQ(other->Blob()->BufferAsString(), "bleibt");
}

} // namespace
