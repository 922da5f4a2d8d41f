#pragma once
// Log manager of a database. Entries are kept in memory (newest last, the oldest dropped beyond
// MaxEntries) and, when a file is set, appended to it one line each. Callers log only while the
// manager is active; Write drops entries while it is not, and never throws, because it is called
// from exception handlers.

#include "objdb/qelstrings.h"

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// The category of failures caught inside controls.
inline constexpr const char* QEL_LOG_ERROR = "Error";

struct TQelLogEntry {
    std::chrono::system_clock::time_point Time;
    std::string Category;
    std::string Text;
};

class TQelLogManager {
public:
    using TWriteEvent = std::function<void(const TQelLogEntry&)>;

    TQelLogManager() = default;
    ~TQelLogManager();
    TQelLogManager(const TQelLogManager&) = delete;
    TQelLogManager& operator=(const TQelLogManager&) = delete;

    // Logging is active from construction; an inactive manager ignores Write.
    bool get_Active() const;
    void set_Active(bool active);

    void Write(std::string_view category, std::string_view text);
    // printf-style: WriteFmt("Error", "Exception in X::Reload(), nach CP %d: %s", cp, e.what()).
    template <class... Args> void WriteFmt(std::string_view category, const char* format, const Args&... args)
    {
        if (!get_Active())
            return;
        std::string text;
        try {
            text = FormatStr(format, args...);
        } catch (...) {
            return; // out of memory while formatting: nothing sensible to log
        }
        Write(category, text);
    }

    // Entries in memory, oldest first.
    std::vector<TQelLogEntry> Entries() const;
    std::vector<TQelLogEntry> EntriesOf(std::string_view category) const;
    std::size_t Count() const;
    void Clear();
    std::size_t get_MaxEntries() const;
    void set_MaxEntries(std::size_t max); // at least 1

    // Appends every later entry to `path` ("" stops writing to a file). False when the file cannot
    // be opened; get_FileError then says why and no file is used.
    bool set_FileName(const std::string& path);
    std::string get_FileName() const;
    std::string get_FileError() const;

    // Called after each entry is stored (for a live log window); must not write to this log.
    void set_OnWrite(TWriteEvent handler);

    // The line written to the file: "YYYY-MM-DD hh:mm:ss.mmm<TAB>category<TAB>text" in local time,
    // line breaks in the text written as "\n".
    static std::string FormatLine(const TQelLogEntry& entry);

private:
    mutable std::mutex mutex_;
    bool active_ = true;
    std::deque<TQelLogEntry> entries_;
    std::size_t maxEntries_ = 10000;
    std::FILE* file_ = nullptr;
    std::string fileName_;
    std::string fileError_;
    TWriteEvent onWrite_;
};
