#pragma once
// TQelFileStore: the contents of documents, kept in the store's table QEL_DATEI (ID, GROESSE,
// DATEN) as they are, one row per content. A file field holds the ID of its row.
//
// On SQLite contents are streamed in and out in chunks with the incremental blob I/O (a zeroblob
// of the file's size is written piece by piece), so a file of any size costs one chunk of memory.
// On PostgreSQL a content goes through the connection as one bytea value (held once in memory).
//
// Every import runs in its own transaction (a savepoint inside a running one): a file that
// cannot be read to its end, or changes its size while being read, leaves no row behind.
#include <cstdint>
#include <string>

class TQelDatabase;
class TQelConnection;

class TQelFileStore {
public:
    explicit TQelFileStore(TQelDatabase* db);

    // A new row with the contents of the file at `path`; 0 (and `error`) when it fails.
    std::int64_t ImportFile(const std::string& path, std::string& error);
    // A new row with `data`; 0 (and `error`) when it fails.
    std::int64_t StoreBytes(const std::string& data, std::string& error);
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

    TQelDatabase* db_;
};
