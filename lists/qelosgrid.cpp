#include "lists/qelosgrid.h"

#include "binding/qellogging.h"
#include "binding/qeltimerglue.h"

#include <exception>

TQelOpenSelectGrid::TQelOpenSelectGrid(TComponent* owner)
    : TQelGrid(owner)
{
}

void TQelOpenSelectGrid::Reload()
{
    if (!OnSetStatement || !OnLoadEntry)
        return;
    TQelDatabase* db = QelDatabase();
    if (!db || !db->Initialized())
        return;
    std::unique_ptr<TQelSQLEngine> engine = db->CreateSQLEngine();
    if (!engine)
        return;
    std::unique_ptr<TQelSQLQuery> query = engine->Query("");
    bool ok = true;
    OnSetStatement(this, query.get(), ok);
    if (!ok) {
        finish_rows(FixedRows());
        return;
    }

    int cp = 0;
    int nextRow = FixedRows();
    TQelTimerTasks* tasks = OnProgress ? QelTimerTasksOf(db) : nullptr;
    TQelTaskId watch;
    BeginUpdate();
    try {
        cp = 1;
        query->Open();
        query->First();
        const int count = query->CountRecords();
        SetRowCount(FixedRows() + count + 1);
        if (tasks)
            watch = tasks->Start(); // measures the time only
        cp = 2;
        TStringList row;
        bool reporting = false;
        for (int i = 1; !query->Eof(); ++i, query->Next()) {
            row.Clear();
            for (int c = 0; c < ColCount(); ++c)
                row.Add(std::string());
            bool accept = true;
            OnLoadEntry(this, query.get(), accept, &row);
            if (accept) {
                if (nextRow >= RowCount())
                    SetRowCount(nextRow + 1); // more records than counted
                for (int c = std::min(ColCount(), row.Count()) - 1; c >= 0; --c) {
                    SetCellsEx(c, nextRow, row.Get(c));
                    SetObjectsEx(c, nextRow, row.Objects(c));
                }
                ++nextRow;
            }
            if (watch) {
                if (!reporting && tasks->Tell(watch) >= ProgressAfterMs && 10 * i <= count)
                    reporting = true;
                if (reporting)
                    OnProgress(this, i, count);
            }
        }
        cp = 3;
        if (watch) {
            OnProgress(this, count, count);
            tasks->Stop(watch);
        }
        query->Close();
    } catch (const std::exception& e) {
        if (watch && tasks)
            tasks->Stop(watch);
        QelLogError("Exception in TQelOpenSelectGrid::Reload(), nach CP %d: %s", cp, e.what());
        finish_rows(nextRow);
        EndUpdate();
        throw;
    }
    finish_rows(nextRow);
    EndUpdate();
}

void TQelOpenSelectGrid::finish_rows(int nextRow)
{
    if (nextRow > FixedRows()) {
        SetRowCount(nextRow);
        return;
    }
    // No row: one empty data row stays.
    SetRowCount(FixedRows() + 1);
    for (int c = 0; c < ColCount(); ++c) {
        SetCellsEx(c, FixedRows(), std::string());
        SetObjectsEx(c, FixedRows(), nullptr);
    }
}
