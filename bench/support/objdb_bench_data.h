#pragma once
// The benchmarks' store: `objects` entries of the bench class (6 fields of the common kinds) in
// memory, made once per program and kept until it ends.
#include "objdb/qeldatabase.h"
#include "objdb/qelobject.h"
#include "support/objdb_bench_schema.h"

#include <cstdio>
#include <string>

inline TQelDatabase& QelBenchDatabase(int objects)
{
    static TQelDatabase* db = [objects] {
        auto* d = new TQelDatabase();
        TQelOpenOptions o;
        o.schemaText = kBenchSchema;
        o.create = true;
        d->Open(":memory:", o);
        const TQelClassKey cls = d->FindClass("Eintrag")->Key();
        static const char* const towns[] = { "Köln", "Düsseldorf", "München", "Lübeck", "Görlitz" };
        d->StartTransaction();
        for (int i = 0; i < objects; ++i) {
            TQelObject* obj = d->CreateObject(cls);
            TQelFieldList* fl = obj->FieldList();
            fl->Field(1)->set_AsString("Name " + std::to_string(i));
            fl->Field(2)->set_AsString(i % 2 ? "Jürgen" : "Anna");
            fl->Field(3)->set_AsInteger(i);
            fl->Field(4)->set_AsFloat(i * 1.25);
            fl->Field(5)->set_AsString(std::to_string(1 + i % 28) + ".05.1980");
            fl->Field(6)->set_AsString(towns[i % 5]);
            if (!obj->Commit())
                std::fprintf(stderr, "%s\n", obj->ErrorMessage().c_str());
            d->FreeObject(obj);
        }
        d->CommitTransaction();
        return d;
    }();
    return *db;
}
