// Listing the 10,000 employees of one firm (name, first name, birth date, employer) in a reverse
// vector grid, against reading the same rows of the same query with the raw SQLite API, in the
// same run. The store is filled once with one bulk transaction.
#include "vectors/QelRevVectorGrid.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelobject.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kEmployees = 10000;

constexpr const char* kSchema = R"(
class 63001 Firma : Objekt table=Firma format="<Name>" noun=Firma gender=f plural=Firmen
  field Name Text length=60
end
class 63002 Person : Objekt table=Person format="<Name>, <Vorname>" noun=Person gender=f plural=Personen
  field Name Text length=60
  field Vorname Text length=40
  field Geburtsdatum Datum
  field Arbeitgeber Referenz ref=Firma
end
)";

struct TStore {
    TQelDatabase db;
    TQelObject* firm = nullptr;
};

TStore& store()
{
    static TStore* s = [] {
        auto* st = new TStore();
        TQelOpenOptions o;
        o.schemaText = kSchema;
        o.create = true;
        st->db.Open(":memory:", o);
        SetQelDatabase(&st->db);
        st->db.StartTransaction();
        TQelObject* firm = st->db.CreateObject(st->db.FindClass("Firma")->Key());
        firm->FieldList()->FieldByName("Name")->set_AsString("Acme");
        firm->Commit();
        TQelObject* other = st->db.CreateObject(st->db.FindClass("Firma")->Key());
        other->FieldList()->FieldByName("Name")->set_AsString("Beta");
        other->Commit();
        const TQelClassKey person = st->db.FindClass("Person")->Key();
        // Two persons in three work for the firm; the others for another one.
        for (int i = 0; i < kEmployees * 3 / 2; ++i) {
            TQelObject* p = st->db.CreateObject(person);
            TQelFieldList* fl = p->FieldList();
            fl->FieldByName("Name")->set_AsString("Name " + std::to_string(i));
            fl->FieldByName("Vorname")->set_AsString(i % 2 ? "Jürgen" : "Anna");
            fl->FieldByName("Geburtsdatum")->set_AsString(std::to_string(1 + i % 28) + ".05.1980");
            static_cast<TQelRefField*>(fl->FieldByName("Arbeitgeber"))
                ->set_AsObject(i % 3 == 2 ? other : firm);
            if (!p->Commit())
                std::fprintf(stderr, "%s\n", p->ErrorMessage().c_str());
            st->db.FreeObject(p);
        }
        if (!st->db.CommitTransaction())
            std::fprintf(stderr, "Beispieldaten nicht gespeichert\n");
        st->firm = firm;
        return st;
    }();
    return *s;
}

void BM_RevVectorGridLoad(benchmark::State& state)
{
    TStore& s = store();
    TQelRevVectorGrid grid(nullptr);
    grid.set_ClassName("Person");
    grid.set_FieldName("Arbeitgeber");
    TStringList cols;
    for (const char* c : { "Name", "Vorname", "Geburtsdatum", "Arbeitgeber" })
        cols.Add(c);
    grid.set_FieldNames(cols);
    grid.Connect(s.firm, false);
    if (grid.ObjectCount() != kEmployees)
        state.SkipWithError("falsche Anzahl");
    for (auto _ : state) {
        grid.Reload(0);
        benchmark::DoNotOptimize(grid.ObjectCount());
    }
    state.SetItemsProcessed(state.iterations() * kEmployees);
}
BENCHMARK(BM_RevVectorGridLoad)->Unit(benchmark::kMillisecond);

// Anchor: the same statement, prepared and stepped with the raw SQLite API, the texts copied.
void BM_RawSqliteSameQuery(benchmark::State& state)
{
    TStore& s = store();
    auto engine = s.db.CreateSQLEngine();
    const std::string sql = engine->ListStatement(s.db.FindClass("Person")->Key(), lfNotDeleted,
        "Person.Arbeitgeber = " + std::to_string(s.firm->Key().Id()),
        "Person.Name,Person.Vorname,Person.Geburtsdatum,Person.Arbeitgeber");
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(s.db.Handle(), sql.c_str(), -1, &st, nullptr);
        std::vector<std::string> cells;
        cells.reserve(kEmployees * 5);
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int c = 0; c < 5; ++c) {
                const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                cells.emplace_back(t ? t : "");
            }
        sqlite3_finalize(st);
        if (cells.size() != static_cast<std::size_t>(kEmployees) * 5)
            state.SkipWithError("falsche Anzahl");
        benchmark::DoNotOptimize(cells.data());
    }
    state.SetItemsProcessed(state.iterations() * kEmployees);
}
BENCHMARK(BM_RawSqliteSameQuery)->Unit(benchmark::kMillisecond);

} // namespace
