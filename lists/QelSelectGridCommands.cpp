// TQelSelectGrid: the commands on the selected objects. Opening, creating and printing call the
// application's events; deleting, restoring, merging, copying, repairing, unlocking and flags are
// done by the object database, each command in one transaction. When the store refuses deleting,
// restoring or removing for good, nothing has changed; then the objects are done one by one, so
// that only the refused ones stay, each named in a German message. Merging and flags stay all or
// nothing.
#include "lists/QelSelectGrid.h"

#include "toolkit/dialogs.h"
#include "toolkit/screen.h"

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const char* const kNothingSelected = "Kein Eintrag gewählt.";
const char* const kTitleEdit = "Eintrag zum Bearbeiten öffnen";
const char* const kTitleDelete = "Eintrag löschen";
const char* const kTitlePrint = "Eintrag drucken";
const char* const kTitleRestore = "Eintrag wiederherstellen";

const char* const kEditMany = "Sollen die %d selektierten %s zum Bearbeiten geöffnet werden?";
const char* const kEditManyTitle = "%s zum Bearbeiten öffnen";
const char* const kDeleteOne = "Soll %s '%s' wirklich gelöscht werden?";
const char* const kDeleteMany = "Sollen die %d selektierten %s wirklich gelöscht werden?";
const char* const kDeleteTitle = "%s löschen";
const char* const kDeleteFailed = "Löschen %s '%s' gescheitert:\n\n%s";
const char* const kRestoreMany = "Sollen die %d selektierten %s wiederhergestellt werden?";
const char* const kRestoreTitle = "%s wiederherstellen";
const char* const kRestoreFailed = "Wiederherstellen %s '%s' gescheitert:\n\n%s";
const char* const kDumpOne = "Soll %s '%s' wirklich endgültig gelöscht werden?\n\nDIESER VORGANG KANN NICHT "
                             "RÜCKGÄNGIG GEMACHT WERDEN!";
const char* const kDumpMany
    = "Sollen die %d selektierten %s endgültig gelöscht werden?\n\nDIESER VORGANG KANN "
      "NICHT RÜCKGÄNGIG GEMACHT WERDEN!";
const char* const kDumpTitle = "%s endgültig löschen";
const char* const kDumpFailed = "Endgültiges Löschen %s '%s' gescheitert:\n\n%s";
const char* const kMergeQuestion
    = "Sollen die %d ausgewählten %s wirklich zu %s (mit den Daten von '%s') "
      "zusammengefasst werden?\n\n(Die Vorgang kann nicht mehr rückgängig gemacht "
      "werden.)";
const char* const kMergeTitle = "%d %s zusammenfassen";
const char* const kMergeDone = "%d %s gelöscht (mit '%s' verbunden)\n%d Referenzen geändert";
const char* const kMergeDoneTitle = "%d %s zusammengefasst";
const char* const kMergeFailed = "Zusammenfassen gescheitert:\n\n%s";
const char* const kCopyFailed = "Kopieren gescheitert: %s";
const char* const kCopyCommitFailed = "Speichern des kopierten Objekts gescheitert: %s";
const char* const kResult = "Ergebnis";
const char* const kUnlockQuestion
    = "Sie sollten diese Funktion nur angewenden, wenn Sie sicher sind, dass die "
      "gewählten Objekte auf keinem Arbeitsplatz geöffnet sind.\n\nSollen die "
      "selektierten Objekte wirklich entsperrt werden?";
const char* const kUnlockTitle = "Sperre aufheben";
const char* const kFlagFailed = "Attribut setzen gescheitert:\n\n%s";
const char* const kReloadChanged
    = "%s '%s' wurde in dieser Session modifiziert. Wenn es neu geladen wird,\ngehen "
      "diese Änderungen verloren.\n\nTrotzdem fortfahren?";
const char* const kReloadTitle = "Neu laden";
const char* const kError = "Fehler";

bool askYesNo(const std::string& text, const std::string& title)
{
    return Application()->MessageBox(text, title, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void showError(const std::string& text, const std::string& title)
{
    Application()->MessageBox(text, title, MB_OK | MB_ICONERROR);
}

std::vector<TQelObjectKey> keyVector(const TQelKeyList& keys)
{
    return std::vector<TQelObjectKey>(keys.begin(), keys.end());
}

// "dd.mm.yyyy hh:mm:ss" of days since 1899-12-30.
std::string dateTimeText(double days)
{
    const long long whole = static_cast<long long>(std::floor(days));
    long long seconds = std::llround((days - static_cast<double>(whole)) * 86400.0);
    // Civil date from days since 1970-01-01 (1899-12-30 is day -25569).
    long long z = whole - 25569 + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long d = doy - (153 * mp + 2) / 5 + 1;
    const long long m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = yoe + era * 400 + (m <= 2);
    char buf[128];
    std::snprintf(buf, sizeof buf, "%02lld.%02lld.%04lld %02lld:%02lld:%02lld", d, m, y, seconds / 3600,
        seconds / 60 % 60, seconds % 60);
    return buf;
}

// Freezes the grid for a command over many objects: their notifications make one reload at the end.
class TFreezeScope {
public:
    explicit TFreezeScope(TQelSelectGrid* grid)
        : grid_(grid)
        , was_(grid->get_Frozen())
    {
        grid_->set_Frozen(true);
    }
    ~TFreezeScope() { grid_->set_Frozen(was_); }

private:
    TQelSelectGrid* grid_;
    bool was_;
};

// Runs one database call with the wait cursor.
bool runWaiting(const std::function<bool()>& call)
{
    TWaitCursor wait;
    return call();
}

// Runs a command over many objects with the wait cursor, the grid frozen meanwhile.
bool frozenRun(TQelSelectGrid* grid, const std::function<bool()>& command)
{
    TWaitCursor wait;
    TFreezeScope freeze(grid);
    return command();
}

} // namespace

bool TQelSelectGrid::selection(TQelKeyList& keys, const char* title)
{
    GetSelectList(&keys);
    if (keys.Count() > 0)
        return true;
    Application()->MessageBox(kNothingSelected, title, MB_OK | MB_ICONINFORMATION);
    return false;
}

// ---- open, create, print ----------------------------------------------------------------------

void TQelSelectGrid::NewObject()
{
    if (OnNewClick && classKey_.Valid())
        OnNewClick(this, classKey_);
}

void TQelSelectGrid::EditSelected()
{
    TQelKeyList keys;
    if (!selection(keys, kTitleEdit) || !OnKeyOpen)
        return;
    const int n = keys.Count();
    if (n > 1
        && !askYesNo(FormatStr(kEditMany, n, class_np("", 4, false)),
            FormatStr(kEditManyTitle, class_np("", 4, false))))
        return;
    TQelDatabase* db = QelDatabase();
    for (const TQelObjectKey& key : keys)
        OnKeyOpen(this, key, db ? db->GetObjectA(key) : nullptr);
}

void TQelSelectGrid::PrintSelected()
{
    TQelKeyList keys;
    if (!selection(keys, kTitlePrint))
        return;
    if (OnMultiKeyPrint && (keys.Count() > 1 || !OnKeyPrint)) {
        OnMultiKeyPrint(this, keys);
        return;
    }
    TQelDatabase* db = QelDatabase();
    for (const TQelObjectKey& key : keys)
        OnKeyPrint(this, key, db ? db->GetObjectA(key) : nullptr);
}

// ---- delete, restore, final delete ------------------------------------------------------------

void TQelSelectGrid::each_object(const std::vector<TQelObjectKey>& keys, const char* failed,
    const std::string& title, const std::function<bool(TQelObjectKey, TQelObject*, std::string&)>& step)
{
    TQelDatabase* db = QelDatabase();
    for (const TQelObjectKey& key : keys) {
        TQelObject* obj = db ? db->GetObjectA(key) : nullptr;
        // Named before the step: a step may remove the object.
        const std::string name = obj ? obj->Name() : key.ToString();
        const TQelClassKey cls = obj ? obj->ClassKey() : list_class();
        std::string reason;
        if (!step(key, obj, reason))
            showError(FormatStr(failed, MakeNP(cls, "d", 2), name, reason), title);
    }
}

std::vector<TQelObjectKey> TQelSelectGrid::all_or_each(const std::vector<TQelObjectKey>& keys,
    const char* failed, const std::string& title,
    const std::function<bool(const std::vector<TQelObjectKey>&, std::string&)>& command)
{
    std::string reason;
    if (keys.empty() || runWaiting([&] { return command(keys, reason); }))
        return keys;
    std::vector<TQelObjectKey> done;
    each_object(keys, failed, title, [&](TQelObjectKey key, TQelObject*, std::string& why) {
        if (!runWaiting([&] { return command({ key }, why); }))
            return false;
        done.push_back(key);
        return true;
    });
    return done;
}

void TQelSelectGrid::DeleteSelected()
{
    TQelKeyList keys;
    if (!selection(keys, kTitleDelete))
        return;
    TQelDatabase* db = QelDatabase();
    if (!db)
        return;
    const int n = keys.Count();
    TQelObject* first = db->GetObjectA(keys.Items(0));
    const std::string name = first ? first->Name() : keys.Items(0).ToString();
    const TQelClassKey cls = n == 1 && first ? first->ClassKey() : list_class();
    std::string question = n == 1 ? FormatStr(kDeleteOne, MakeNP(cls, "d", 1), name)
                                  : FormatStr(kDeleteMany, n, class_np("", 4, false));
    const std::string title = n == 1 ? FormatStr(kDeleteTitle, MakeNP(cls, "", 4))
                                     : FormatStr(kDeleteTitle, class_np("", 4, false));
    bool proceed = true;
    BeforeDeleteQuery(this, n, cls, n == 1 ? keys.Items(0) : TQelObjectKey(), proceed, question);
    if (!proceed || (!question.empty() && !askYesNo(question, title)))
        return;

    std::vector<TQelObjectKey> chosen;
    for (const TQelObjectKey& key : keys) {
        bool allow = true;
        BeforeDelete(this, key, allow);
        if (allow)
            chosen.push_back(key);
    }
    TQelObjectCommands commands(db);
    TFreezeScope freeze(this);
    const std::vector<TQelObjectKey> deleted = all_or_each(
        chosen, kDeleteFailed, title, [&](const std::vector<TQelObjectKey>& some, std::string& reason) {
            if (commands.MarkDeleted(some, true))
                return true;
            reason = commands.ErrorMessage();
            return false;
        });
    // Rows of deleted objects leave a list of the not deleted: the selection moves on to the next.
    if (!deleted.empty() && (listopts() & lfNotDeleted))
        if (const TQelObjectKey next = successor_key(deleted); next.Valid())
            set_SelectedKey(next);
    if (AfterDelete)
        for (TQelObjectKey key : deleted)
            AfterDelete(this, db->GetObjectA(key));
}

void TQelSelectGrid::RestoreSelected()
{
    TQelKeyList keys;
    if (!selection(keys, kTitleRestore))
        return;
    const int n = keys.Count();
    const std::string many = class_np("", 4, false);
    if (n > 1 && !askYesNo(FormatStr(kRestoreMany, n, many), FormatStr(kRestoreTitle, many)))
        return;
    TQelObjectCommands commands(QelDatabase());
    TFreezeScope freeze(this);
    all_or_each(keyVector(keys), kRestoreFailed,
        FormatStr(kRestoreTitle, n == 1 ? class_np("", 4, true) : many),
        [&](const std::vector<TQelObjectKey>& some, std::string& reason) {
            if (commands.MarkDeleted(some, false))
                return true;
            reason = commands.ErrorMessage();
            return false;
        });
}

void TQelSelectGrid::DumpSelected()
{
    TQelKeyList keys;
    GetSelectList(&keys);
    TQelDatabase* db = QelDatabase();
    if (keys.Count() == 0 || !db) {
        ShowMessage(kNothingSelected);
        return;
    }
    const int n = keys.Count();
    TQelObject* first = n == 1 ? db->GetObjectA(keys.Items(0)) : nullptr;
    const std::string question = n == 1
        ? FormatStr(kDumpOne, MakeNP(first ? first->ClassKey() : list_class(), "d", 1),
            first ? first->Name() : keys.Items(0).ToString())
        : FormatStr(kDumpMany, n, class_np("", 4, false));
    const std::string title = FormatStr(kDumpTitle, class_np("", 4, n == 1));
    if (!askYesNo(question, title))
        return;
    std::vector<TQelObjectKey> chosen;
    for (const TQelObjectKey& key : keys) {
        bool allow = true;
        BeforeDump(this, key, allow);
        if (allow)
            chosen.push_back(key);
    }
    TQelObjectCommands commands(db);
    TFreezeScope freeze(this);
    const std::vector<TQelObjectKey> removed = all_or_each(
        chosen, kDumpFailed, title, [&](const std::vector<TQelObjectKey>& some, std::string& reason) {
            if (commands.RemoveForGood(some))
                return true;
            reason = commands.ErrorMessage();
            return false;
        });
    if (!removed.empty())
        if (const TQelObjectKey next = successor_key(removed); next.Valid())
            set_SelectedKey(next);
    for (TQelObjectKey key : removed)
        AfterDump(this, key);
}

// ---- merge ------------------------------------------------------------------------------------

void TQelSelectGrid::MergeSelected()
{
    TQelKeyList keys;
    GetSelectList(&keys);
    TQelDatabase* db = QelDatabase();
    const int n = keys.Count();
    if (n < 2 || !db)
        return;
    TQelObjectKey target = keys.Items(0);
    if (OnMerging) {
        OnMerging(this, keys, target);
    } else if (TQelObject* t = db->GetObjectA(target)) {
        const std::string question
            = FormatStr(kMergeQuestion, n, class_np("", 1, false), class_np("ein", 3, true), t->Name());
        if (!askYesNo(question, FormatStr(kMergeTitle, n, class_np("", 4, false))))
            target = TQelObjectKey();
    } else {
        target = TQelObjectKey();
    }
    TQelObject* t = target.Valid() ? db->GetObjectA(target) : nullptr;
    if (!t)
        return;
    std::vector<TQelObjectKey> others;
    for (const TQelObjectKey& key : keys)
        if (key != target)
            others.push_back(key);
    TQelObjectCommands commands(db);
    int deleted = 0, references = 0;
    const bool ok = frozenRun(this, [&] {
        const bool merged = commands.Merge(target, others, deleted, references);
        set_SelectedKey(target);
        return merged;
    });
    if (!ok) {
        showError(FormatStr(kMergeFailed, commands.ErrorMessage()),
            FormatStr(kMergeTitle, n, class_np("", 4, false)));
        return;
    }
    if (deleted > 0 || references > 0)
        Application()->MessageBox(
            FormatStr(kMergeDone, deleted, class_np("", 4, false), t->Name(), references),
            FormatStr(kMergeDoneTitle, n, class_np("", 4, false)), MB_OK | MB_ICONINFORMATION);
}

// ---- copy -------------------------------------------------------------------------------------

void TQelSelectGrid::CopyObject(TQelObjectKey key)
{
    TQelDatabase* db = QelDatabase();
    if (!db || SelectCount() != 1)
        return;
    TQelObject* source = key.Valid() ? db->GetObjectA(key) : nullptr;
    if (!source)
        source = get_SelectedObject();
    if (!source)
        return;
    TQelClassKey cls = source->ClassKey();
    bool proceed = true;
    BeforeCopy(this, cls, proceed, source->Key());
    if (!proceed)
        return;
    TQelObject* copy = nullptr;
    if (std::string error = source->Clone(cls, copy); !error.empty() || !copy) {
        showError(FormatStr(kCopyFailed, error), kError);
        return;
    }
    int mode = 1;
    AfterCopy(this, source, mode, copy);
    if (mode == 0)
        return;
    if (!copy->Commit()) {
        showError(FormatStr(kCopyCommitFailed, copy->ErrorMessage()), kError);
        db->FreeObject(copy);
        return;
    }
    const TQelObjectKey copied = copy->Key();
    reload_single(copied);
    set_SelectedKey(copied);
    if (mode == 2)
        OnKeyOpen(this, copied, db->GetObjectA(copied));
}

// ---- repair and unlock (debug mode) -----------------------------------------------------------

void TQelSelectGrid::RepairSelected()
{
    TQelKeyList keys;
    GetSelectList(&keys);
    TQelDatabase* db = QelDatabase();
    if (!db || keys.Count() == 0)
        return;
    std::string report;
    for (const TQelObjectKey& key : keys) {
        TQelObject* obj = db->GetObjectA(key);
        if (!obj)
            continue;
        if (!report.empty())
            report += "\n";
        report += obj->Name() + ": ";
        if (obj->DeepValid()) {
            report += "OK";
            continue;
        }
        report += FormatStr("Fehler: %s\n*****************\n",
            obj->ErrorMessage().empty() ? std::string("ungültig") : obj->ErrorMessage());
        std::string measures;
        const bool repaired = obj->DeepForceValid(measures) && obj->Commit();
        if (!measures.empty())
            report += FormatStr("durchgeführte Reparaturmaßnahmen:\n%s\n-----------------\n", measures);
        report += repaired ? std::string("Reparatur erfolgreich!")
                           : FormatStr("Reparatur NICHT erfolgreich: %s", obj->ErrorMessage());
        report += "\n*****************\n";
    }
    Application()->MessageBox(report, kResult, MB_OK | MB_ICONINFORMATION);
}

void TQelSelectGrid::UnlockSelected()
{
    TQelKeyList keys;
    GetSelectList(&keys);
    TQelDatabase* db = QelDatabase();
    auto engine = db ? db->CreateSQLEngine() : nullptr;
    if (!engine || keys.Count() == 0 || !askYesNo(kUnlockQuestion, kUnlockTitle))
        return;
    std::string report;
    for (const TQelObjectKey& key : keys) {
        report += FormatStr("%d: ", key.Id());
        int session = 0;
        double time = 0;
        if (engine->IsLocked(key, session, time)) {
            report += FormatStr("Objekt gesperrt in Session %d seit %s", session, dateTimeText(time)) + "\n";
            std::string error;
            report += engine->Unlock(key, error)
                ? std::string("Objekt erfolgreich entsperrt.")
                : FormatStr("Objekt konnte nicht entsperrt werden: %s", error);
        } else {
            report += "Objekt war nicht gesperrt.";
        }
        report += "\n";
    }
    Application()->MessageBox(report, kResult, MB_OK | MB_ICONINFORMATION);
}

// ---- flags ------------------------------------------------------------------------------------

void TQelSelectGrid::ToggleFlag(int index)
{
    TMenuItem* flags = commandItems_[cmdAttributes];
    TMenuItem* item = nullptr;
    for (int i = 0; flags && i < flags->Count(); ++i)
        if (flags->Items(i)->Tag() == index)
            item = flags->Items(i);
    TQelKeyList keys;
    GetSelectList(&keys);
    if (keys.Count() == 0)
        return;
    TQelObjectCommands commands(QelDatabase());
    const bool on = item ? !item->Checked() : !commands.HasFlag(keys.Items(0), index);
    if (!commands.CheckFlag(keyVector(keys), index, on)) {
        showError(FormatStr(kFlagFailed, commands.ErrorMessage()), kError);
        return;
    }
    if (item)
        item->SetChecked(on);
    reload(nullptr, get_SelectedKey());
}

// ---- reload -----------------------------------------------------------------------------------

void TQelSelectGrid::ReloadSelected()
{
    TQelDatabase* db = QelDatabase();
    TQelKeyList keys;
    GetSelectList(&keys);
    if (!db)
        return;
    TWaitCursor wait;
    for (const TQelObjectKey& key : keys) {
        // An object that is not in memory is read afresh with its row.
        if (TQelObject* obj = db->CachedObject(key)) {
            if (obj->Touched()) {
                const int answer = Application()->MessageBox(
                    FormatStr(kReloadChanged, MakeNP(obj->ClassKey(), "D", 1), obj->Name()), kReloadTitle,
                    MB_YESNOCANCEL | MB_ICONWARNING);
                if (answer == IDCANCEL)
                    break;
                if (answer != IDYES)
                    continue;
            }
            if (!obj->Reload()) {
                showError(obj->ErrorMessage(), kReloadTitle);
                continue;
            }
        }
        reload_single(key);
    }
}
