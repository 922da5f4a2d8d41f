#include "objdb/qelblobstream.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelerror.h"
#include "objdb/qelfiles.h"
#include "objdb/qelstorage.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace {

struct TFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;

struct TBlobCloser {
    void operator()(sqlite3_blob* b) const { sqlite3_blob_close(b); }
};
using TBlob = std::unique_ptr<sqlite3_blob, TBlobCloser>;

std::string sysError()
{
    return std::strerror(errno);
}

// A transaction of its own, or a savepoint inside the running one; rolled back unless committed.
class TFileTx {
public:
    explicit TFileTx(TQelConnection& c)
        : c_(c)
        , nested_(c.InTransaction())
    {
        if (nested_)
            c_.Exec("SAVEPOINT qel_datei");
        else
            c_.Begin();
    }
    ~TFileTx()
    {
        if (done_)
            return;
        if (nested_) {
            c_.ExecQuietly("ROLLBACK TO qel_datei");
            c_.ExecQuietly("RELEASE qel_datei");
        } else {
            c_.ExecQuietly("ROLLBACK");
        }
    }
    void Commit()
    {
        c_.Exec(nested_ ? "RELEASE qel_datei" : "COMMIT");
        done_ = true;
    }

private:
    TQelConnection& c_;
    bool nested_;
    bool done_ = false;
};

const char* const kMissing = "Der Inhalt des Dokuments fehlt in der Datenbank.";
const char* const kIncomplete = "Der Inhalt des Dokuments ist in der Datenbank unvollständig.";

// Appends the pieces of one content. On SQLite the piece is bound where it lies (no copy).
class TPieceWriter {
public:
    TPieceWriter(TQelConnection& c, std::int64_t id)
        : c_(c)
        , id_(id)
    {
        static const char* const kInsert = "INSERT INTO QEL_DATEI_TEIL (DATEI, NR, DATEN) VALUES (?, ?, ?)";
        if (sqlite3* h = c.SqliteHandle()) {
            if (sqlite3_prepare_v2(h, kInsert, -1, &raw_, nullptr) != SQLITE_OK)
                throw TQelError(
                    std::string("Der Inhalt kann nicht gespeichert werden: ") + sqlite3_errmsg(h));
        } else {
            cursor_ = c.Prepare(kInsert);
        }
    }
    ~TPieceWriter() { sqlite3_finalize(raw_); }
    TPieceWriter(const TPieceWriter&) = delete;
    TPieceWriter& operator=(const TPieceWriter&) = delete;

    void Put(const char* data, std::size_t n)
    {
        if (raw_) {
            sqlite3_bind_int64(raw_, 1, id_);
            sqlite3_bind_int64(raw_, 2, nr_);
            sqlite3_bind_blob64(raw_, 3, data, n, SQLITE_STATIC);
            const int rc = sqlite3_step(raw_);
            sqlite3_reset(raw_);
            if (rc != SQLITE_DONE)
                throw TQelError(std::string("Der Inhalt kann nicht gespeichert werden: ")
                    + sqlite3_errmsg(c_.SqliteHandle()));
        } else {
            cursor_->Reset();
            cursor_->Bind(1, TQelValue { id_ });
            cursor_->Bind(2, TQelValue { nr_ });
            cursor_->Bind(3, TQelValue { std::string(data, n) });
            cursor_->Step();
        }
        ++nr_;
    }

private:
    TQelConnection& c_;
    std::int64_t id_;
    std::int64_t nr_ = 0;
    sqlite3_stmt* raw_ = nullptr;
    std::unique_ptr<TQelCursor> cursor_;
};

} // namespace

TQelFileStore::TQelFileStore(TQelDatabase* db)
    : db_(db)
{
}

TQelConnection& TQelFileStore::conn()
{
    if (!db_ || !db_->Initialized())
        throw TQelError("Keine Datenbank geöffnet");
    return db_->Storage().Connection();
}

std::string TQelFileStore::markColumn()
{
    return db_->Storage().ContentMarks() ? ", SITZUNG" : "";
}

std::string TQelFileStore::markValue()
{
    // Typed: a parameter in the select list of INSERT ... SELECT has no column to take its type from.
    return db_->Storage().ContentMarks() ? ", CAST(? AS " + conn().TypeName("INTEGER", false) + ")" : "";
}

int TQelFileStore::bindMark(TQelCursor& st, int i)
{
    if (!db_->Storage().ContentMarks())
        return i;
    st.Bind(i, TQelValue { std::int64_t(conn().SessionId()) });
    return i + 1;
}

void TQelFileStore::ensureTable()
{
    TQelConnection& c = conn();
    const std::string integer = c.TypeName("INTEGER", false);
    c.Exec("CREATE TABLE IF NOT EXISTS QEL_DATEI (ID " + c.AutoKey() + ", GROESSE " + integer
        + " NOT NULL, DATEN " + c.TypeName("CLOB", true) + ", SITZUNG " + integer + ")");
    c.Exec("CREATE TABLE IF NOT EXISTS QEL_DATEI_TEIL (DATEI " + integer + " NOT NULL, NR " + integer
        + " NOT NULL, DATEN " + c.TypeName("CLOB", true) + ", PRIMARY KEY (DATEI, NR))");
}

std::int64_t TQelFileStore::ImportFile(const std::string& path, std::string& error)
{
    try {
        std::error_code ec;
        const auto status = std::filesystem::status(path, ec);
        if (ec || !std::filesystem::exists(status)) {
            error = "Die Datei " + path + " existiert nicht.";
            return 0;
        }
        if (!std::filesystem::is_regular_file(status)) {
            error = "Die Datei " + path + " ist keine gewöhnliche Datei.";
            return 0;
        }
        const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path, ec));
        if (ec) {
            error = "Die Größe der Datei " + path + " ist nicht lesbar: " + ec.message();
            return 0;
        }
        return streamIn(path, size, error);
    } catch (const std::exception& e) {
        error = e.what();
        return 0;
    }
}

std::int64_t TQelFileStore::streamIn(const std::string& path, std::int64_t size, std::string& error)
{
    TFile in(std::fopen(path.c_str(), "rb"));
    if (!in) {
        error = "Die Datei " + path + " kann nicht gelesen werden: " + sysError();
        return 0;
    }
    ensureTable();
    TQelConnection& c = conn();
    TFileTx tx(c);
    const std::string unreadable = "Die Datei " + path + " konnte nicht vollständig gelesen werden";
    {
        auto st = c.Prepare(
            "INSERT INTO QEL_DATEI (GROESSE, DATEN" + markColumn() + ") VALUES (?, NULL" + markValue() + ")");
        st->Bind(1, TQelValue { size });
        bindMark(*st, 2);
        st->Step();
    }
    const std::int64_t id = c.LastInsertId();
    TPieceWriter pieces(c, id);
    std::vector<char> buf(
        static_cast<std::size_t>(std::min<std::int64_t>(kChunk, std::max<std::int64_t>(size, 1))));
    for (std::int64_t done = 0; done < size;) {
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(buf.size(), size - done));
        const std::size_t got = std::fread(buf.data(), 1, want, in.get());
        if (got == 0) {
            error = unreadable + (std::ferror(in.get()) ? ": " + sysError() : " (sie wurde gekürzt).");
            return 0;
        }
        pieces.Put(buf.data(), got);
        done += static_cast<std::int64_t>(got);
    }
    // A file that grew while it was read is not what was measured: refuse it as well.
    char extra;
    if (std::fread(&extra, 1, 1, in.get()) != 0) {
        error = "Die Datei " + path + " wurde während des Lesens verändert.";
        return 0;
    }
    if (std::ferror(in.get())) {
        error = unreadable + ": " + sysError();
        return 0;
    }
    tx.Commit();
    return id;
}

std::int64_t TQelFileStore::StoreBytes(const std::string& data, std::string& error)
{
    try {
        ensureTable();
        TQelConnection& c = conn();
        TFileTx tx(c);
        auto st = c.Prepare(
            "INSERT INTO QEL_DATEI (GROESSE, DATEN" + markColumn() + ") VALUES (?, ?" + markValue() + ")");
        st->Bind(1, TQelValue { static_cast<std::int64_t>(data.size()) });
        st->Bind(2, data.empty() ? TQelValue { std::monostate {} } : TQelValue { data });
        bindMark(*st, 3);
        st->Step();
        const std::int64_t id = c.LastInsertId();
        st.reset();
        tx.Commit();
        return id;
    } catch (const std::exception& e) {
        error = e.what();
        return 0;
    }
}

std::int64_t TQelFileStore::Copy(std::int64_t id, std::string& error)
{
    try {
        if (Size(id) < 0) {
            error = kMissing;
            return 0;
        }
        TQelConnection& c = conn();
        TFileTx tx(c);
        {
            auto st = c.Prepare("INSERT INTO QEL_DATEI (GROESSE, DATEN" + markColumn()
                + ") SELECT GROESSE, DATEN" + markValue() + " FROM QEL_DATEI WHERE ID = ?");
            st->Bind(bindMark(*st, 1), TQelValue { id });
            st->Step();
        }
        const std::int64_t copy = c.LastInsertId();
        auto st = c.Prepare("INSERT INTO QEL_DATEI_TEIL (DATEI, NR, DATEN) SELECT ?, NR, DATEN FROM "
                            "QEL_DATEI_TEIL WHERE DATEI = ?");
        st->Bind(1, TQelValue { copy });
        st->Bind(2, TQelValue { id });
        st->Step();
        st.reset();
        tx.Commit();
        return copy;
    } catch (const std::exception& e) {
        error = e.what();
        return 0;
    }
}

bool TQelFileStore::readPieces(
    std::int64_t id, const std::function<bool(std::string_view)>& sink, std::string& error)
{
    ensureTable();
    TQelConnection& c = conn();
    std::int64_t size = 0;
    bool whole = false;
    {
        auto st = c.Prepare(
            "SELECT GROESSE, CASE WHEN DATEN IS NULL THEN 1 ELSE 0 END FROM QEL_DATEI WHERE ID = ?");
        st->Bind(1, TQelValue { id });
        if (id <= 0 || !st->Step()) {
            error = kMissing;
            return false;
        }
        size = st->Int(0);
        whole = st->Int(1) == 0;
    }
    if (size <= 0)
        return true;
    sqlite3* h = c.SqliteHandle();
    if (whole && h) {
        // One piece, as earlier versions stored large files: read it in chunks.
        sqlite3_blob* raw = nullptr;
        if (sqlite3_blob_open(h, "main", "QEL_DATEI", "DATEN", id, 0, &raw) != SQLITE_OK) {
            sqlite3_blob_close(raw);
            error = std::string("Der Inhalt kann nicht gelesen werden: ") + sqlite3_errmsg(h);
            return false;
        }
        TBlob blob(raw);
        const std::int64_t n = sqlite3_blob_bytes(blob.get());
        if (n != size) {
            error = kIncomplete;
            return false;
        }
        std::vector<char> buf(static_cast<std::size_t>(std::min<std::int64_t>(kChunk, n)));
        for (std::int64_t done = 0; done < n;) {
            const int want = static_cast<int>(std::min<std::int64_t>(buf.size(), n - done));
            if (sqlite3_blob_read(blob.get(), buf.data(), want, static_cast<int>(done)) != SQLITE_OK) {
                error = std::string("Der Inhalt kann nicht gelesen werden: ") + sqlite3_errmsg(h);
                return false;
            }
            if (!sink(std::string_view(buf.data(), static_cast<std::size_t>(want))))
                return false;
            done += want;
        }
        return true;
    }
    if (whole) {
        auto st = c.Prepare("SELECT DATEN FROM QEL_DATEI WHERE ID = ?");
        st->Bind(1, TQelValue { id });
        if (!st->Step() || static_cast<std::int64_t>(st->Text(0).size()) != size) {
            error = kIncomplete;
            return false;
        }
        return sink(st->Text(0));
    }
    auto st = c.Prepare("SELECT NR, DATEN FROM QEL_DATEI_TEIL WHERE DATEI = ? ORDER BY NR");
    st->Bind(1, TQelValue { id });
    std::int64_t expected = 0;
    std::int64_t done = 0;
    while (st->Step()) {
        const std::string_view piece = st->Text(1);
        // A gap in the numbering or more bytes than the size: the pieces are not this content.
        if (st->Int(0) != expected++ || done + static_cast<std::int64_t>(piece.size()) > size) {
            error = kIncomplete;
            return false;
        }
        if (!sink(piece))
            return false;
        done += static_cast<std::int64_t>(piece.size());
    }
    if (done != size) {
        error = kIncomplete;
        return false;
    }
    return true;
}

bool TQelFileStore::ExportFile(std::int64_t id, const std::string& path, std::string& error)
{
    try {
        if (Size(id) < 0) {
            error = kMissing;
            return false;
        }
        TQelNewFile out(path);
        if (!out.Ok()) {
            error = out.Error();
            return false;
        }
        bool ok = false;
        try {
            ok = readPieces(
                id,
                [&](std::string_view piece) {
                    if (out.Write(piece))
                        return true;
                    error = out.Error();
                    return false;
                },
                error);
        } catch (const std::exception& e) {
            error = e.what();
        }
        if (ok && !out.Keep()) {
            error = out.Error();
            ok = false;
        }
        return ok; // a file not kept is removed
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

bool TQelFileStore::ReadAll(std::int64_t id, std::string& out, std::string& error)
{
    try {
        std::string data;
        if (!readPieces(
                id,
                [&](std::string_view piece) {
                    data.append(piece);
                    return true;
                },
                error))
            return false;
        out = std::move(data);
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

std::int64_t TQelFileStore::Size(std::int64_t id)
{
    if (id <= 0)
        return -1;
    ensureTable();
    auto st = conn().Prepare("SELECT GROESSE FROM QEL_DATEI WHERE ID = ?");
    st->Bind(1, TQelValue { id });
    return st->Step() ? st->Int(0) : -1;
}

void TQelFileStore::Remove(std::int64_t id)
{
    if (id <= 0)
        return;
    ensureTable();
    TQelConnection& c = conn();
    TFileTx tx(c);
    for (const char* sql :
        { "DELETE FROM QEL_DATEI_TEIL WHERE DATEI = ?", "DELETE FROM QEL_DATEI WHERE ID = ?" }) {
        auto st = c.Prepare(sql);
        st->Bind(1, TQelValue { id });
        st->Step();
    }
    tx.Commit();
}

void TQelFileStore::RemoveOrphans()
{
    TQelConnection& c = conn();
    if (!c.Tables().count("QEL_DATEI"))
        return; // nothing was ever stored
    ensureTable(); // stores from before contents came in pieces lack the pieces' table
    // Stores from before the mark get it (their rows count as stored ones) and its index, which
    // holds only the rows not yet stored.
    if (!c.Columns("QEL_DATEI").count("SITZUNG")) {
        try {
            c.Exec("ALTER TABLE QEL_DATEI ADD COLUMN SITZUNG " + c.TypeName("INTEGER", false));
        } catch (...) {
            db_->Storage().SetContentMarks(false); // rows go unmarked until a later open adds it
            throw;
        }
    }
    if (!c.HasIndex("QEL_DATEI_SITZUNG"))
        c.Exec(
            "CREATE INDEX IF NOT EXISTS QEL_DATEI_SITZUNG ON QEL_DATEI (SITZUNG) WHERE SITZUNG IS NOT NULL");

    std::map<std::int64_t, std::vector<std::int64_t>> bySession;
    {
        auto st = c.Prepare("SELECT ID, SITZUNG FROM QEL_DATEI WHERE SITZUNG IS NOT NULL");
        while (st->Step())
            bySession[st->Int(1)].push_back(st->Int(0));
    }
    std::set<std::int64_t> orphans;
    for (const auto& [session, ids] : bySession)
        if (session != c.SessionId() && !c.SessionAlive(static_cast<int>(session)))
            orphans.insert(ids.begin(), ids.end());
    if (orphans.empty())
        return;
    // Only rows no stored object refers to go, whatever their mark says.
    std::set<std::pair<std::string, std::string>> columns;
    for (const TQelKlasse* k : db_->Schema().Classes())
        if (!k->table.empty())
            for (const auto& f : k->ownFields)
                if (f->type->Urtyp() == qelft::File)
                    columns.insert({ QelQuoteName(k->table), QelQuoteName(f->column) });
    constexpr std::size_t kPerStatement = 100;
    for (const auto& [table, column] : columns) {
        const std::vector<std::int64_t> ids(orphans.begin(), orphans.end());
        for (std::size_t i = 0; i < ids.size(); i += kPerStatement) {
            const std::size_t n = std::min(kPerStatement, ids.size() - i);
            std::string marks = "?";
            for (std::size_t j = 1; j < n; ++j)
                marks += ", ?";
            auto st = c.Prepare(
                "SELECT " + column + " FROM " + table + " WHERE " + column + " IN (" + marks + ")");
            for (std::size_t j = 0; j < n; ++j)
                st->Bind(static_cast<int>(j + 1), TQelValue { ids[i + j] });
            while (st->Step())
                orphans.erase(st->Int(0));
        }
    }
    TFileTx tx(c);
    for (std::int64_t id : orphans)
        for (const char* sql : { "DELETE FROM QEL_DATEI_TEIL WHERE DATEI = ?",
                 "DELETE FROM QEL_DATEI WHERE ID = ? AND SITZUNG IS NOT NULL" }) {
            auto st = c.Prepare(sql);
            st->Bind(1, TQelValue { id });
            st->Step();
        }
    tx.Commit();
}
