#pragma once
// A fresh in-memory object database made the current one for a test's scope, for tests of code
// that reads the workstation's settings ("DPI", ...).
#include "objdb/qeldatabase.h"
#include "objdb/qelkeys.h"
#include "objdb/qelsettings.h"

#include <memory>

class TTestSettingsDb {
public:
    // With `dpi` above 0 the workstation's "DPI" setting is stored.
    explicit TTestSettingsDb(int dpi = 0)
        : db(std::make_unique<TQelDatabase>())
    {
        TQelOpenOptions o;
        o.schemaText = "class 30001 Notiz : Objekt table=Notiz\n  field Text Text length=40\nend\n";
        o.create = true;
        db->Open(":memory:", o);
        SetQelDatabase(db.get());
        if (dpi > 0)
            SetDPI(dpi);
    }
    ~TTestSettingsDb() { SetQelDatabase(nullptr); }
    TTestSettingsDb(const TTestSettingsDb&) = delete;
    TTestSettingsDb& operator=(const TTestSettingsDb&) = delete;

    void SetDPI(int dpi) { db->Computer()->NameWert().WriteInteger("DPI", dpi); }

    std::unique_ptr<TQelDatabase> db;
};
