#include "objdb/qelblobstream.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelerror.h"
#include "objdb/qelstorage.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
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

void TQelFileStore::ensureTable()
{
    TQelConnection& c = conn();
    c.Exec("CREATE TABLE IF NOT EXISTS QEL_DATEI (ID " + c.AutoKey() + ", GROESSE "
        + c.TypeName("INTEGER", false) + " NOT NULL, DATEN " + c.TypeName("CLOB", true) + ")");
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
    std::int64_t id = 0;
    if (sqlite3* h = c.SqliteHandle()) {
        {
            auto st = c.Prepare("INSERT INTO QEL_DATEI (GROESSE, DATEN) VALUES (?, zeroblob(?))");
            st->Bind(1, TQelValue { size });
            st->Bind(2, TQelValue { size });
            st->Step();
        }
        id = c.LastInsertId();
        if (size > 0) {
            sqlite3_blob* raw = nullptr;
            if (sqlite3_blob_open(h, "main", "QEL_DATEI", "DATEN", id, 1, &raw) != SQLITE_OK) {
                sqlite3_blob_close(raw);
                error = std::string("Der Inhalt kann nicht gespeichert werden: ") + sqlite3_errmsg(h);
                return 0;
            }
            TBlob blob(raw);
            std::vector<char> buf(kChunk);
            std::int64_t done = 0;
            while (done < size) {
                const auto want = static_cast<std::size_t>(std::min<std::int64_t>(kChunk, size - done));
                const std::size_t got = std::fread(buf.data(), 1, want, in.get());
                if (got == 0) {
                    error
                        = unreadable + (std::ferror(in.get()) ? ": " + sysError() : " (sie wurde gekürzt).");
                    return 0;
                }
                if (sqlite3_blob_write(blob.get(), buf.data(), static_cast<int>(got), static_cast<int>(done))
                    != SQLITE_OK) {
                    error = std::string("Der Inhalt kann nicht gespeichert werden: ") + sqlite3_errmsg(h);
                    return 0;
                }
                done += static_cast<std::int64_t>(got);
            }
        }
    } else {
        std::string data;
        data.resize(static_cast<std::size_t>(size));
        if (size > 0 && std::fread(data.data(), 1, data.size(), in.get()) != data.size()) {
            error = unreadable + (std::ferror(in.get()) ? ": " + sysError() : " (sie wurde gekürzt).");
            return 0;
        }
        auto st = c.Prepare("INSERT INTO QEL_DATEI (GROESSE, DATEN) VALUES (?, ?)");
        st->Bind(1, TQelValue { size });
        st->Bind(2, TQelValue { std::move(data) });
        st->Step();
        id = c.LastInsertId();
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
        auto st = c.Prepare("INSERT INTO QEL_DATEI (GROESSE, DATEN) VALUES (?, ?)");
        st->Bind(1, TQelValue { static_cast<std::int64_t>(data.size()) });
        st->Bind(2, data.empty() ? TQelValue { std::monostate {} } : TQelValue { data });
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

bool TQelFileStore::ExportFile(std::int64_t id, const std::string& path, std::string& error)
{
    try {
        const std::int64_t size = Size(id);
        if (size < 0) {
            error = "Der Inhalt des Dokuments fehlt in der Datenbank.";
            return false;
        }
        TFile out(std::fopen(path.c_str(), "wb"));
        if (!out) {
            error = "Die Datei " + path + " kann nicht geschrieben werden: " + sysError();
            return false;
        }
        bool ok = true;
        TQelConnection& c = conn();
        if (sqlite3* h = c.SqliteHandle(); h && size > 0) {
            sqlite3_blob* raw = nullptr;
            if (sqlite3_blob_open(h, "main", "QEL_DATEI", "DATEN", id, 0, &raw) != SQLITE_OK) {
                sqlite3_blob_close(raw);
                error = std::string("Der Inhalt kann nicht gelesen werden: ") + sqlite3_errmsg(h);
                ok = false;
            } else {
                TBlob blob(raw);
                const std::int64_t n = sqlite3_blob_bytes(blob.get());
                std::vector<char> buf(kChunk);
                for (std::int64_t done = 0; ok && done < n;) {
                    const int want = static_cast<int>(std::min<std::int64_t>(kChunk, n - done));
                    if (sqlite3_blob_read(blob.get(), buf.data(), want, static_cast<int>(done))
                        != SQLITE_OK) {
                        error = std::string("Der Inhalt kann nicht gelesen werden: ") + sqlite3_errmsg(h);
                        ok = false;
                    } else if (std::fwrite(buf.data(), 1, static_cast<std::size_t>(want), out.get())
                        != static_cast<std::size_t>(want)) {
                        error = "Die Datei " + path + " kann nicht geschrieben werden: " + sysError();
                        ok = false;
                    }
                    done += want;
                }
            }
        } else if (size > 0) {
            std::string data;
            ok = ReadAll(id, data, error);
            if (ok && std::fwrite(data.data(), 1, data.size(), out.get()) != data.size()) {
                error = "Die Datei " + path + " kann nicht geschrieben werden: " + sysError();
                ok = false;
            }
        }
        if (std::fclose(out.release()) != 0 && ok) {
            error = "Die Datei " + path + " kann nicht geschrieben werden: " + sysError();
            ok = false;
        }
        if (!ok)
            std::filesystem::remove(path);
        return ok;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

bool TQelFileStore::ReadAll(std::int64_t id, std::string& out, std::string& error)
{
    try {
        ensureTable();
        auto st = conn().Prepare("SELECT DATEN FROM QEL_DATEI WHERE ID = ?");
        st->Bind(1, TQelValue { id });
        if (!st->Step()) {
            error = "Der Inhalt des Dokuments fehlt in der Datenbank.";
            return false;
        }
        out = st->IsNull(0) ? std::string() : std::string(st->Text(0));
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
    auto st = c.Prepare("DELETE FROM QEL_DATEI WHERE ID = ?");
    st->Bind(1, TQelValue { id });
    st->Step();
}
