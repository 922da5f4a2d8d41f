#include "demo_store.h"

#include <sqlite3.h>

#include <filesystem>

namespace {

const char* const kSampleSql = R"SQL(
BEGIN;
CREATE TABLE IF NOT EXISTS OBJEKT (K INTEGER PRIMARY KEY, KLASSE INTEGER NOT NULL, NAME TEXT);
INSERT INTO OBJEKT (KLASSE, NAME) VALUES
  (20001, 'Müller, Anna'), (20001, 'Schäfer, Jürgen'), (20001, 'O''Brien, Siobhán'),
  (20002, 'Grüne Wiese GmbH'), (20002, 'Straßenbau Süd AG');
COMMIT;
)SQL";

} // namespace

DemoStore openDemoStore(const std::string& path)
{
    DemoStore s;
    s.path = path;
    std::error_code ec;
    s.created = !std::filesystem::exists(path, ec);
    if (s.created) {
        auto dir = std::filesystem::path(path).parent_path();
        if (!dir.empty())
            std::filesystem::create_directories(dir, ec);
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        s.error = path + ": " + (db ? sqlite3_errmsg(db) : "kann nicht geöffnet werden");
        sqlite3_close(db);
        return s;
    }
    char* msg = nullptr;
    if (s.created && sqlite3_exec(db, kSampleSql, nullptr, nullptr, &msg) != SQLITE_OK) {
        s.error = path + ": " + (msg ? msg : "Beispieldaten konnten nicht angelegt werden");
        sqlite3_free(msg);
        sqlite3_close(db);
        return s;
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM OBJEKT", -1, &st, nullptr) == SQLITE_OK
        && sqlite3_step(st) == SQLITE_ROW) {
        s.objectCount = sqlite3_column_int64(st, 0);
    } else {
        s.error = path + ": keine Objektdatenbank (" + sqlite3_errmsg(db) + ")";
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return s;
}
