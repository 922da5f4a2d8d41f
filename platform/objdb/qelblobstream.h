#pragma once
// TQelFileStore: the contents of documents, one row per content in the store's table QEL_DATEI
// (ID, GROESSE, DATEN). A file field holds the ID of its row.
//
// An imported file is stored as it is, in pieces of kChunk bytes: the rows (DATEI, NR, DATEN) of
// QEL_DATEI_TEIL, numbered from 0, with DATEN of the content row left empty. Every byte is written
// once, and a file of any size costs one piece of memory, on SQLite and PostgreSQL alike. Small
// contents handed over in memory (StoreBytes) and contents stored by earlier versions sit in
// QEL_DATEI.DATEN in one piece; readers take either form.
//
// Every import runs in its own transaction (a savepoint inside a running one): a file that
// cannot be read to its end, or changes its size while being read, leaves no row behind.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class TQelDatabase;
class TQelConnection;

class TQelFileStore {
public:
    explicit TQelFileStore(TQelDatabase* db);

    // A new row with the contents of the file at `path`; 0 (and `error`) when it fails.
    std::int64_t ImportFile(const std::string& path, std::string& error);
    // A new row with `data`; 0 (and `error`) when it fails.
    std::int64_t StoreBytes(const std::string& data, std::string& error);
    // A new row with the contents of row `id`, copied inside the store (nothing passes through
    // memory); 0 (and `error`) when it fails.
    std::int64_t Copy(std::int64_t id, std::string& error);
    // Writes the contents of row `id` to the file `path` (created or replaced); on failure the
    // partly written file is removed.
    bool ExportFile(std::int64_t id, const std::string& path, std::string& error);
    // The whole contents of row `id`.
    bool ReadAll(std::int64_t id, std::string& out, std::string& error);
    // The size of row `id`, or -1 when it does not exist.
    std::int64_t Size(std::int64_t id);
    void Remove(std::int64_t id);

    // Bytes read and written per step of the streams.
    static constexpr std::size_t kChunk = 1 << 20;

private:
    TQelConnection& conn();
    void ensureTable();
    std::int64_t streamIn(const std::string& path, std::int64_t size, std::string& error);
    // Hands the content of row `id` to `sink` piece by piece, in order; false (and `error`) when
    // the row is missing, a piece is missing or the pieces do not add up to its size.
    bool readPieces(std::int64_t id, const std::function<bool(std::string_view)>& sink, std::string& error);

    TQelDatabase* db_;
};
