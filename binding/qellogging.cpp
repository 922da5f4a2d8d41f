#include "binding/qellogging.h"

TQelLogManager* QelActiveLog()
{
    TQelDatabase* db = QelDatabase();
    TQelLogManager* log = db ? db->LogManager() : nullptr;
    return log && log->get_Active() ? log : nullptr;
}

bool QelDebugMode()
{
    TQelDatabase* db = QelDatabase();
    return db && db->Debug();
}
