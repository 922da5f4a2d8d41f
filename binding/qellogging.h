#pragma once
// Writing the package's failures to the database's log manager. Nothing is written (and nothing
// fails) when there is no current database, it has no log manager, or logging is off.
#include "binding/objdb.h"

// The log manager when there is one and it is active, else nullptr.
TQelLogManager* QelActiveLog();

// WriteFmt with category "Error" to the active log manager, if any.
template <class... Args> void QelLogError(const char* format, const Args&... args)
{
    if (TQelLogManager* log = QelActiveLog())
        log->WriteFmt(QEL_LOG_ERROR, format, args...);
}

// The category of binding warnings (a path that binds to nothing).
inline constexpr const char* QEL_LOG_WARNING = "Warning";

// WriteFmt with category "Warning" to the active log manager, if any.
template <class... Args> void QelLogWarning(const char* format, const Args&... args)
{
    if (TQelLogManager* log = QelActiveLog())
        log->WriteFmt(QEL_LOG_WARNING, format, args...);
}

// Whether the current database runs in debug mode (debug aids are shown only then).
bool QelDebugMode();
