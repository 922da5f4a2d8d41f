// A vector of 10,000 elements x 6 fields: loading it into a vector grid against reading the same
// rows with the raw SQLite API, and moving the last element to the top (the grid follows the
// vector's notification and reloads) against renumbering the rows' NR with raw SQLite, in the
// same run.
#include "vectors/QelVectorGrid.h"

#include <sqlite3.h>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int kElements = 10000;
constexpr int kCols = 6;

const char* const kSchema = R"(
class 61002 Zeile table=Zeile format="<Artikel>"
  field Artikel Text length=40
  field Text Text length=60
  field Menge Ganzzahl
  field Preis Betrag
  field Lieferung Datum
  field Lager Text length=20
end
class 61001 Auftrag : Objekt table=Auftrag format="<Nummer>"
  field Nummer Text length=20
  vector Zeilen Zeile
end
)";

struct Store {
    TQelDatabase db;
    TQelObject* order = nullptr;
    Store()
    {
        TQelOpenOptions o;
        o.schemaText = kSchema;
        o.create = true;
        db.Open(":memory:", o);
        SetQelDatabase(&db);
        order = db.CreateObject(db.FindClass("Auftrag")->Key());
        order->FieldList()->FieldByName("Nummer")->set_AsString("A-1");
        TQelVector* v = order->FieldList()->VectorByName("Zeilen");
        static const char* const stores[] = { "Köln", "Lübeck", "Görlitz" };
        for (int i = 0; i < kElements; ++i) {
            TQelFieldList* fl = v->Add()->FieldList();
            fl->Field(1)->set_AsString("Art-" + std::to_string(i));
            fl->Field(2)->set_AsString("Schraube M" + std::to_string(3 + i % 9) + " verzinkt");
            fl->Field(3)->set_AsInteger(1 + i % 50);
            fl->Field(4)->set_AsFloat(0.05 * (i % 400));
            fl->Field(5)->set_AsString(std::to_string(1 + i % 28) + ".03.2026");
            fl->Field(6)->set_AsString(stores[i % 3]);
        }
        if (!order->Commit())
            std::fprintf(stderr, "%s\n", order->ErrorMessage().c_str());
    }
};

Store& store()
{
    static Store* s = new Store();
    SetQelDatabase(&s->db);
    return *s;
}

struct Grid {
    TQelVectorGrid grid { nullptr };
    Grid()
    {
        grid.SetBounds(0, 0, 900, 600);
        grid.set_FieldPath("Zeilen");
        TStringList lines;
        for (const char* l : { "Artikel", "Text", "Menge", "Preis", "Lieferung", "Lager" })
            lines.Add(l);
        grid.set_FieldNames(lines);
        grid.Connect(store().order, false);
    }
};

void BM_VectorGridLoad(benchmark::State& state)
{
    Grid g;
    for (auto _ : state) {
        g.grid.Reload();
        if (g.grid.RowCount() != kElements + 2)
            state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kElements);
}
BENCHMARK(BM_VectorGridLoad)->Unit(benchmark::kMillisecond);

// Anchor: the same rows read as text with the raw SQLite API into a vector.
void BM_RawSqliteVectorRead(benchmark::State& state)
{
    sqlite3* h = store().db.Handle();
    for (auto _ : state) {
        std::vector<std::string> out;
        out.reserve(static_cast<std::size_t>(kElements) * kCols);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(h,
            "SELECT Artikel, Text, Menge, Preis, Lieferung, Lager FROM Zeile WHERE K = ? AND V = 'Zeilen' "
            "ORDER BY NR",
            -1, &s, nullptr);
        sqlite3_bind_int(s, 1, store().order->Key().Id());
        while (sqlite3_step(s) == SQLITE_ROW)
            for (int c = 0; c < kCols; ++c) {
                const unsigned char* t = sqlite3_column_text(s, c);
                out.emplace_back(t ? reinterpret_cast<const char*>(t) : "",
                    static_cast<std::size_t>(sqlite3_column_bytes(s, c)));
            }
        sqlite3_finalize(s);
        if (out.size() != static_cast<std::size_t>(kElements) * kCols)
            state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kElements);
}
BENCHMARK(BM_RawSqliteVectorRead)->Unit(benchmark::kMillisecond);

// Moving the last element to the top; the grid reloads on the vector's notification and keeps
// the cursor on the moved element.
void BM_VectorGridMoveToTop(benchmark::State& state)
{
    Grid g;
    TQelVector* v = g.grid.Vector();
    for (auto _ : state) {
        g.grid.set_VectorIndex(kElements);
        v->MoveBy(v->Item(kElements), -(kElements - 1));
        g.grid.set_VectorIndex(1);
        if (g.grid.Row() != 1)
            state.SkipWithError("cursor lost");
    }
}
BENCHMARK(BM_VectorGridMoveToTop)->Unit(benchmark::kMillisecond);

// The grid's own command: one step up with the cursor following (exchange and reload).
void BM_VectorGridMoveUp(benchmark::State& state)
{
    Grid g;
    g.grid.set_VectorIndex(2);
    for (auto _ : state) {
        g.grid.moveup_event();
        g.grid.set_VectorIndex(2);
    }
}
BENCHMARK(BM_VectorGridMoveUp)->Unit(benchmark::kMillisecond);

// Anchor: the same move stored with raw SQLite, every element's NR renumbered in one transaction.
void BM_RawSqliteRenumber(benchmark::State& state)
{
    sqlite3* h = store().db.Handle();
    for (auto _ : state) {
        sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(
            h, "UPDATE Zeile SET NR = (NR + 1) % ? WHERE K = ? AND V = 'Zeilen'", -1, &s, nullptr);
        sqlite3_bind_int(s, 1, kElements);
        sqlite3_bind_int(s, 2, store().order->Key().Id());
        sqlite3_step(s);
        sqlite3_finalize(s);
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    }
}
BENCHMARK(BM_RawSqliteRenumber)->Unit(benchmark::kMillisecond);

} // namespace
