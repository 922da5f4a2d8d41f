// A list of 10,000,000 persons in the select grid: the time until Reload returns with the first
// screen painted, and sorting the whole list by a text column (the list read completely first,
// outside the measured time). The store is a file in build/bench-data/, made once in bulk and
// reused by later runs; the anchor is the first screen's rows read with the raw SQLite API.
#include "support/selectgrid_bench.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelobject.h"
#include "support/objdb_bench_schema.h"

#include <QTimer>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using namespace selectgrid_bench;

constexpr long long kPersons = 10000000;
constexpr int kScreenRows = 40;

// The private cache folder beside the benchmark programs: build/bench-data, mode 0700.
std::filesystem::path dataFolder()
{
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    const std::filesystem::path dir = exe.parent_path().parent_path() / "bench-data";
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        throw std::runtime_error("cannot create " + dir.string());
    struct stat st { };
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()
        || (st.st_mode & 077) != 0)
        throw std::runtime_error(dir.string() + " is not a private folder of this user");
    return dir;
}

void exec(sqlite3* h, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(h, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string what = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(std::string(sql).substr(0, 60) + ": " + what);
    }
}

long long scalar(sqlite3* h, const char* sql)
{
    sqlite3_stmt* s = nullptr;
    long long v = -1;
    if (sqlite3_prepare_v2(h, sql, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
        v = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    return v;
}

// Complete when it has every person: a file is renamed to its name only once it is filled.
bool complete(const std::string& path)
{
    sqlite3* h = nullptr;
    const bool opened = sqlite3_open_v2(path.c_str(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    const bool ok = opened && scalar(h, "SELECT COUNT(*) FROM Eintrag WHERE GELOESCHT = 0") == kPersons
        && scalar(h, "SELECT COUNT(*) FROM OBJEKT WHERE KLASSE = 60001") == kPersons;
    sqlite3_close(h);
    return ok;
}

// The first persons go through the object store (so that every stored form is its own), the rest
// are copied from them in bulk with raw SQL, their texts and numbers varied.
void build(const std::string& path)
{
    const std::string part = path + ".part";
    std::remove(part.c_str());
    {
        TQelDatabase db;
        TQelOpenOptions o;
        o.schemaText = kBenchSchema;
        o.create = true;
        db.Open(part, o);
        const TQelClassKey cls = db.FindClass("Eintrag")->Key();
        TQelObject* obj = db.CreateObject(cls);
        TQelFieldList* fl = obj->FieldList();
        fl->Field(1)->set_AsString("Name 0");
        fl->Field(2)->set_AsString("Anna");
        fl->Field(3)->set_AsInteger(0);
        fl->Field(4)->set_AsFloat(0);
        fl->Field(5)->set_AsString("1.05.1980");
        fl->Field(6)->set_AsString("Köln");
        if (!obj->Commit())
            throw std::runtime_error(obj->ErrorMessage());
        db.FreeObject(obj);
        db.Close();
    }
    sqlite3* h = nullptr;
    if (sqlite3_open(part.c_str(), &h) != SQLITE_OK)
        throw std::runtime_error("cannot open " + part);
    exec(h, "PRAGMA journal_mode = OFF");
    exec(h, "PRAGMA synchronous = OFF");
    exec(h, "BEGIN");
    const std::string n = std::to_string(kPersons);
    // Names in a scattered order (a multiplier prime to the count), so that sorting has work.
    exec(h,
        ("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < " + n
            + " - 1) INSERT INTO OBJEKT (K, KLASSE, GELOESCHT, ERSTELLT, GEAENDERT, VERSION) SELECT o.K + i, "
              "o.KLASSE, 0, o.ERSTELLT, o.GEAENDERT, 1 FROM k, (SELECT * FROM OBJEKT WHERE KLASSE = 60001) o")
            .c_str());
    exec(h,
        ("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < " + n
            + " - 1) INSERT INTO Eintrag (K, KLASSE, GELOESCHT, Name, Vorname, Nummer, Betrag, Datum, Ort) "
              "SELECT e.K + i, e.KLASSE, 0, 'Name ' || ((i * 7919) % "
            + n
            + "), CASE i % 2 WHEN 1 THEN 'Jürgen' ELSE 'Anna' END, i, i * 1.25, e.Datum, CASE i % 5 WHEN 0 "
              "THEN 'Köln' WHEN 1 THEN 'Düsseldorf' WHEN 2 THEN 'München' WHEN 3 THEN 'Lübeck' ELSE "
              "'Görlitz' "
              "END FROM k, Eintrag e")
            .c_str());
    exec(h, "COMMIT");
    sqlite3_close(h);
    if (std::rename(part.c_str(), path.c_str()) != 0)
        throw std::runtime_error("cannot rename " + part);
}

TQelDatabase& database()
{
    static TQelDatabase* db = [] {
        const std::string path = (dataFolder() / "persons10m.sqlite").string();
        if (!complete(path)) {
            std::remove(path.c_str());
            build(path);
            if (!complete(path))
                throw std::runtime_error(path + " is incomplete after building it");
        }
        auto* d = new TQelDatabase();
        d->Open(path, TQelOpenOptions());
        SetQelDatabase(d);
        if (!TQelListCache::Instance())
            TQelListCache::UnitInitialize();
        return d;
    }();
    return *db;
}

std::unique_ptr<TQelSelectGrid> makeGrid()
{
    database();
    auto grid = std::make_unique<TQelSelectGrid>(nullptr);
    grid->SetBounds(0, 0, 900, 600);
    grid->set_AutoSortUpTo(0);
    TQelSelectGridOptions o = grid->get_SelectGridOptions();
    o >> soHideEmptyCols;
    grid->set_SelectGridOptions(o);
    grid->set_ClassName("Eintrag");
    grid->set_Fields(kFields);
    return grid;
}

// Until Reload returns and the grid has painted the rows on screen.
void BM_TenMillionFirstScreen(benchmark::State& state)
{
    auto grid = makeGrid();
    for (auto _ : state) {
        grid->Reload();
        grid->Repaint();
        if (grid->EntryCount() < kScreenRows || grid->EntryCount() >= kPersons)
            state.SkipWithError("the first screen is missing or the list was read at once");
    }
}
BENCHMARK(BM_TenMillionFirstScreen)->Unit(benchmark::kMillisecond);

// Anchor: the first screen's rows as text through the raw SQLite API.
void BM_TenMillionFirstScreenRawSqlite(benchmark::State& state)
{
    sqlite3* h = database().Handle();
    std::string sql = kQuery;
    sql += " LIMIT 40"; // kScreenRows
    for (auto _ : state) {
        std::vector<std::string> out;
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(h, sql.c_str(), -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW)
            for (int c = 0; c < kCols; ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
                out.emplace_back(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(s, c)));
            }
        sqlite3_finalize(s);
        if (out.size() != static_cast<std::size_t>(kScreenRows) * kCols)
            state.SkipWithError("wrong row count");
    }
}
BENCHMARK(BM_TenMillionFirstScreenRawSqlite)->Unit(benchmark::kMillisecond);

// Sorting the whole list by the name column, as a click on its header does; the list is read
// completely before each run, outside the measured time. longest_stall_ms: the longest time the
// event loop did not run during the sort, seen by a timer of 10 ms (so never below 10).
void BM_TenMillionSortByName(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    auto grid = makeGrid();
    Clock::time_point last;
    Clock::duration longest {};
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        longest = std::max(longest, now - last);
        last = now;
    });
    for (auto _ : state) {
        state.PauseTiming();
        grid->Reload();
        grid->CompleteLoad();
        if (grid->EntryCount() != kPersons) {
            state.SkipWithError(("wrong row count: " + std::to_string(grid->EntryCount())).c_str());
            break;
        }
        longest = {};
        state.ResumeTiming();
        last = Clock::now();
        ticker.start();
        grid->SortByColumn(1, sdAscending);
        ticker.stop();
        longest = std::max(longest, Clock::now() - last);
        state.PauseTiming();
        if (grid->GetCellsEx(1, 1) != "Name 0" || grid->GetCellsEx(1, 3) != "Name 10")
            state.SkipWithError("not sorted");
        state.ResumeTiming();
    }
    state.counters["longest_stall_ms"] = std::chrono::duration<double, std::milli>(longest).count();
}
BENCHMARK(BM_TenMillionSortByName)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
