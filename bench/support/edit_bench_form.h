#pragma once
// A form of edits over one object class with many text fields, shared by the edit benchmarks.
#include "binding/methods.h"
#include "controls/QelEdit.h"
#include "toolkit/extctrls.h"

#include <memory>
#include <string>

// With `positions` the class also has a vector "Posten" of elements with three fields.
inline std::string editBenchSchema(int fields, bool positions = false)
{
    std::string s;
    if (positions)
        s = "class 50002 Posten table=Posten format=\"<Text>\"\n  field Text Text length=40\n"
            "  field Menge Ganzzahl\n  field Preis Betrag\nend\n";
    s += "class 50001 Karte : Objekt table=Karte\n";
    for (int i = 0; i < fields; ++i)
        s += "  field F" + std::to_string(i) + " Text length=40\n";
    if (positions)
        s += "  vector Posten Posten\n";
    return s + "end\n";
}

struct TEditBenchDb {
    explicit TEditBenchDb(int fields, bool positions = false)
    {
        TQelOpenOptions o;
        o.schemaText = editBenchSchema(fields, positions);
        o.create = true;
        db.Open(":memory:", o);
        SetQelDatabase(&db);
        for (int r = 0; r < 2; ++r) {
            objects[r] = db.CreateObject(db.FindClass("Karte")->Key());
            for (int i = 0; i < fields; ++i)
                objects[r]->FieldList()->Field(i + 1)->set_AsString(value(r, i));
        }
    }
    ~TEditBenchDb() { SetQelDatabase(nullptr); }
    // The two records differ in every field, so switching records changes every text.
    static std::string value(int record, int field)
    {
        return (record ? "Anderer Wert " : "Wert ") + std::to_string(field);
    }
    TQelDatabase db;
    TQelObject* objects[2] = {};
};

// `count` edits bound to fields F0.. (cycling over `fields`), in `panels` panels nested two deep.
inline std::vector<TQelEdit*> buildEditForm(TForm& form, int count, int fields, int panels)
{
    std::vector<TQelEdit*> edits;
    std::vector<TWinControl*> parents;
    for (int p = 0; p < panels; ++p) {
        auto* outer = new TPanel(&form);
        outer->SetParent(&form);
        auto* inner = new TPanel(&form);
        inner->SetParent(outer);
        parents.push_back(inner);
    }
    for (int i = 0; i < count; ++i) {
        auto* e = new TQelEdit(&form);
        e->SetParent(parents[i % panels]);
        e->SetBounds(4, 4 + 24 * (i / panels), 120, 22);
        e->set_FieldPath("F" + std::to_string(i % fields));
        edits.push_back(e);
    }
    return edits;
}
