// Large contents stored in pieces, through the file layer that gathers page writes and reads
// ahead: what another connection finds in the file, changes made elsewhere, damaged pieces, and
// contents copied inside the store.
#include "objdb/qeldocuments.h"
#include "objdb_test_support.h"
#include "support/documents_data.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

class DocumentPiecesTest : public ::testing::Test {
protected:
    TempFile tmp { "pieces.qeldb" };
    TestDb t { kDocsSchema, OnPostgres() ? ":memory:" : tmp.path() };
    // Crosses piece borders and does not end on a page border.
    const std::string data = QelRandomBytes(3 * 1024 * 1024 + 1234, 11);

    TQelDokument* committedDoc(const std::string& content)
    {
        const std::string p = tmp.dir() + "/quelle.bin";
        QelWriteFile(p, content);
        auto* d = QelAsDokument(t.create("Dokument"));
        EXPECT_TRUE(d->Import(p)) << d->ErrorMessage();
        EXPECT_TRUE(d->Commit()) << d->ErrorMessage();
        return d;
    }
    std::string exported(TQelDokument* d)
    {
        const std::string out = tmp.dir() + "/ziel.bin";
        std::filesystem::remove(out);
        EXPECT_TRUE(d->Blob()->Export(out)) << d->Blob()->ErrorMessage();
        return QelReadFile(out);
    }
};

// A second connection through SQLite's own file layer, as another program on the store.
struct RawConnection {
    sqlite3* h = nullptr;
    explicit RawConnection(const std::string& path)
    {
        sqlite3_open_v2(path.c_str(), &h, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~RawConnection() { sqlite3_close(h); }
    std::string text(const std::string& sql)
    {
        sqlite3_stmt* s = nullptr;
        std::string out;
        if (sqlite3_prepare_v2(h, sql.c_str(), -1, &s, nullptr) == SQLITE_OK)
            while (sqlite3_step(s) == SQLITE_ROW)
                out.append(static_cast<const char*>(sqlite3_column_blob(s, 0)),
                    static_cast<std::size_t>(sqlite3_column_bytes(s, 0)));
        sqlite3_finalize(s);
        return out;
    }
};

TEST_F(DocumentPiecesTest, AnotherConnectionFindsEveryByteAndItsChangesAreSeen)
{
    if (OnPostgres())
        GTEST_SKIP() << "about the SQLite file";
    TQelDokument* d = committedDoc(data);
    const std::string id = std::to_string(d->Blob()->ContentId());

    RawConnection other(tmp.path());
    ASSERT_NE(other.h, nullptr);
    EXPECT_EQ(other.text("PRAGMA integrity_check"), "ok");
    EXPECT_TRUE(other.text("SELECT DATEN FROM QEL_DATEI_TEIL WHERE DATEI = " + id + " ORDER BY NR") == data);

    // Read once (filling what is read ahead), change a piece elsewhere, read again.
    EXPECT_TRUE(exported(d) == data);
    const std::string changed = QelRandomBytes(1 << 20, 99);
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(
        sqlite3_prepare_v2(other.h,
            ("UPDATE QEL_DATEI_TEIL SET DATEN = ? WHERE NR = 1 AND DATEI = " + id).c_str(), -1, &s, nullptr),
        SQLITE_OK);
    sqlite3_bind_blob(s, 1, changed.data(), static_cast<int>(changed.size()), SQLITE_STATIC);
    ASSERT_EQ(sqlite3_step(s), SQLITE_DONE);
    sqlite3_finalize(s);
    std::string expected = data;
    expected.replace(1 << 20, 1 << 20, changed);
    EXPECT_TRUE(exported(d) == expected);
    EXPECT_TRUE(d->Blob()->BufferAsString() == expected);
}

TEST_F(DocumentPiecesTest, DamagedPiecesFailTheExportAndLeaveNoFile)
{
    TQelDokument* d = committedDoc(data);
    const std::string id = std::to_string(d->Blob()->ContentId());
    const std::string out = tmp.dir() + "/kaputt.bin";
    auto expectIncomplete = [&](const std::string& sql) {
        ExecOutside(t, sql);
        EXPECT_FALSE(d->Blob()->Export(out)) << sql;
        EXPECT_EQ(d->Blob()->ErrorMessage(), "Der Inhalt des Dokuments ist in der Datenbank unvollständig.")
            << sql;
        EXPECT_FALSE(std::filesystem::exists(out)) << sql;
        EXPECT_EQ(d->Blob()->BufferAsString(), "") << sql;
    };
    expectIncomplete(
        "INSERT INTO QEL_DATEI_TEIL (DATEI, NR, DATEN) VALUES (" + id + ", 4, 'x')"); // beyond the size
    ExecOutside(t, "DELETE FROM QEL_DATEI_TEIL WHERE NR = 4");
    EXPECT_TRUE(exported(d) == data);
    expectIncomplete("UPDATE QEL_DATEI_TEIL SET NR = 7 WHERE NR = 1"); // a gap
    expectIncomplete("DELETE FROM QEL_DATEI_TEIL WHERE NR >= 2"); // too short
}

TEST_F(DocumentPiecesTest, CopiedContentsStayWhenTheOriginalGoes)
{
    TQelDokument* d = committedDoc(data);
    auto* copy = QelAsDokument(t.create("Dokument"));
    ASSERT_TRUE(copy->Blob()->AssignContent(d->Blob())) << copy->Blob()->ErrorMessage();
    EXPECT_NE(copy->Blob()->ContentId(), d->Blob()->ContentId());
    ASSERT_TRUE(copy->Commit()) << copy->ErrorMessage();
    ASSERT_TRUE(d->Import(tmp.dir() + "/quelle.bin"));
    ASSERT_TRUE(d->Commit()); // the old row of d is removed now
    EXPECT_TRUE(exported(copy) == data);

    // Contents stored in one piece (small ones handed over in memory) copy as well.
    ASSERT_TRUE(d->Blob()->set_BufferAsString("klein"));
    ASSERT_TRUE(copy->Blob()->AssignContent(d->Blob()));
    EXPECT_EQ(copy->Blob()->BufferAsString(), "klein");
}

} // namespace
