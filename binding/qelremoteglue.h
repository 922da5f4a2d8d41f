#pragma once
// Takes in the changes other workstations commit as soon as they arrive: on a server store the
// connection's notification socket is watched on the Qt event loop and read the moment the
// server sends something. The database's timer tasks keep looking every remotePollMs as well
// (they also find what arrived while the library itself was talking to the server).
#include "binding/objdb.h"

// Watches `db`'s notification socket, and again after every later Open of the same database;
// stops when it closes. Nothing to watch on SQLite or in memory. QelInstallQtTimers calls it.
void QelWatchRemoteChanges(TQelDatabase* db);
// Whether `db`'s socket is being watched now.
bool QelWatchingRemoteChanges(const TQelDatabase* db);
