#pragma once
// TQelOpenSelectGrid: a grid filled from a query that the application prepares. Reload() asks
// OnSetStatement for the statement, runs it, and lets OnLoadEntry turn each record into a row;
// OnProgress reports long loads.
#include "lists/QelGrid.h"

#include "toolkit/classes.h"

// (Sender, query, ok): set the query's statement; clearing ok cancels the load.
using TQelSetStatementEvent = TEvent<TObject*, TQelSQLQuery*, bool&>;
// (Sender, query, accept, row): fill row (one string and one object per column) from the current
// record; clearing accept skips the record.
using TQelLoadEntryEvent = TEvent<TObject*, TQelSQLQuery*, bool&, TStrings*>;
// (Sender, records done, records in all).
using TQelProgressEvent = TEvent<TObject*, int, int>;

class TQelOpenSelectGrid : public TQelGrid {
public:
    explicit TQelOpenSelectGrid(TComponent* owner);

    // Reloads the rows. Nothing happens without OnSetStatement and OnLoadEntry or without a
    // database. A failing statement is logged and passed on; the rows filled until then stay.
    void Reload();

    // Progress is reported once a load has taken this long while at most a tenth is read.
    static constexpr int ProgressAfterMs = 100;

    TQelSetStatementEvent OnSetStatement;
    TQelLoadEntryEvent OnLoadEntry;
    TQelProgressEvent OnProgress;

private:
    void finish_rows(int nextRow);
};
