#pragma once
// Runs the database's timer tasks on the Qt event loop.
//
// The application calls QelInstallQtTimers(db) once after opening a database. Controls that start
// a task call QelEnsureTimerDispatcher(tasks) first, so deferred work runs even when the
// application forgot: a task list without a dispatcher gets the Qt one; a list that already has
// one (a test's TQelManualClock) keeps it.
#include "binding/objdb.h"

// The package-wide dispatcher that drives task lists from single-shot Qt timers (one per list).
TQelTimerDispatcher* QelQtTimerDispatcher();

// Makes the Qt dispatcher drive `db`'s timer tasks (replacing any other dispatcher), and takes in
// other workstations' changes as they arrive (QelWatchRemoteChanges).
void QelInstallQtTimers(TQelDatabase* db);

// Installs the Qt dispatcher on `tasks` when it has none; returns `tasks`.
TQelTimerTasks* QelEnsureTimerDispatcher(TQelTimerTasks* tasks);

// The timer tasks of `db` (the current database when null), with a dispatcher; null without a
// database.
TQelTimerTasks* QelTimerTasksOf(TQelDatabase* db);
