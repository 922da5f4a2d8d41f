#pragma once
// SQL functions the store defines on its connection: UPPER and LOWER fold German umlauts (SQLite's
// own only fold ASCII), so that "UPPER(col) LIKE 'MÜ%'" finds "Müller".
struct sqlite3;

void QelRegisterSqlFunctions(sqlite3* db);
