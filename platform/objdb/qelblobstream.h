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
//
// A new row carries the session that wrote it (SITZUNG) until an object that refers to it is
// committed; the commit clears the mark in its own transaction (TQelStorage). A row still marked
// by a session that has ended was left by a program killed before its commit: nothing refers to it
// and nothing can any more, and the next program to open the store removes it (RemoveOrphans).
// Rows of running sessions stay, whoever opens the store: their objects may still be committed.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class TQelDatabase;
class TQelConnection;
class TQelCursor;

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
    // Writes the contents of row `id` to a new file `path` (an existing file or link there is an
    // error, never replaced or followed); on failure the partly written file is removed.
    bool ExportFile(std::int64_t id, const std::string& path, std::string& error);
    // The whole contents of row `id`.
    bool ReadAll(std::int64_t id, std::string& out, std::string& error);
    // The size of row `id`, or -1 when it does not exist.
    std::int64_t Size(std::int64_t id);
    void Remove(std::int64_t id);
    // Removes the rows of ended sessions that no stored object refers to (see above). Reads only
    // the marked rows (an index holds them), so it costs next to nothing on a large store; throws
    // TQelSQLError.
    void RemoveOrphans();

    // Bytes read and written per step of the streams.
    static constexpr std::size_t kChunk = 1 << 20;

private:
    TQelConnection& conn();
    void ensureTable();
    // The mark of a new row in an INSERT: its column, its parameter, and binding this session to
    // parameter `i` (returns the next parameter); nothing on a store that has no column for it.
    std::string markColumn();
    std::string markValue();
    int bindMark(TQelCursor& st, int i);
    std::int64_t streamIn(const std::string& path, std::int64_t size, std::string& error);
    // Hands the content of row `id` to `sink` piece by piece, in order; false (and `error`) when
    // the row is missing, a piece is missing or the pieces do not add up to its size.
    bool readPieces(std::int64_t id, const std::function<bool(std::string_view)>& sink, std::string& error);

    TQelDatabase* db_;
};
