#include "objdb/qellog.h"

#include <cerrno>
#include <cstring>
#include <ctime>

TQelLogManager::~TQelLogManager()
{
    if (file_)
        std::fclose(file_);
}

bool TQelLogManager::get_Active() const
{
    std::lock_guard lock(mutex_);
    return active_;
}

void TQelLogManager::set_Active(bool active)
{
    std::lock_guard lock(mutex_);
    active_ = active;
}

void TQelLogManager::Write(std::string_view category, std::string_view text)
{
    TWriteEvent notify;
    TQelLogEntry copy;
    try {
        std::lock_guard lock(mutex_);
        if (!active_)
            return;
        TQelLogEntry entry { std::chrono::system_clock::now(), std::string(category), std::string(text) };
        if (file_) {
            std::string line = FormatLine(entry);
            line += '\n';
            std::fwrite(line.data(), 1, line.size(), file_);
            std::fflush(file_); // the log is read after crashes too
        }
        while (entries_.size() >= maxEntries_)
            entries_.pop_front();
        entries_.push_back(std::move(entry));
        if (onWrite_) {
            notify = onWrite_;
            copy = entries_.back();
        }
    } catch (...) {
        return; // logging must never turn a handled failure into a new one
    }
    if (notify) {
        try {
            notify(copy);
        } catch (...) {
        }
    }
}

std::vector<TQelLogEntry> TQelLogManager::Entries() const
{
    std::lock_guard lock(mutex_);
    return { entries_.begin(), entries_.end() };
}

std::vector<TQelLogEntry> TQelLogManager::EntriesOf(std::string_view category) const
{
    std::lock_guard lock(mutex_);
    std::vector<TQelLogEntry> out;
    for (const auto& e : entries_)
        if (e.Category == category)
            out.push_back(e);
    return out;
}

std::size_t TQelLogManager::Count() const
{
    std::lock_guard lock(mutex_);
    return entries_.size();
}

void TQelLogManager::Clear()
{
    std::lock_guard lock(mutex_);
    entries_.clear();
}

std::size_t TQelLogManager::get_MaxEntries() const
{
    std::lock_guard lock(mutex_);
    return maxEntries_;
}

void TQelLogManager::set_MaxEntries(std::size_t max)
{
    std::lock_guard lock(mutex_);
    maxEntries_ = max < 1 ? 1 : max;
    while (entries_.size() > maxEntries_)
        entries_.pop_front();
}

bool TQelLogManager::set_FileName(const std::string& path)
{
    std::lock_guard lock(mutex_);
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    fileName_.clear();
    fileError_.clear();
    if (path.empty())
        return true;
    file_ = std::fopen(path.c_str(), "a");
    if (!file_) {
        fileError_
            = FormatStr("Protokolldatei %s kann nicht geöffnet werden: %s", path, std::strerror(errno));
        return false;
    }
    fileName_ = path;
    return true;
}

std::string TQelLogManager::get_FileName() const
{
    std::lock_guard lock(mutex_);
    return fileName_;
}

std::string TQelLogManager::get_FileError() const
{
    std::lock_guard lock(mutex_);
    return fileError_;
}

void TQelLogManager::set_OnWrite(TWriteEvent handler)
{
    std::lock_guard lock(mutex_);
    onWrite_ = std::move(handler);
}

std::string TQelLogManager::FormatLine(const TQelLogEntry& entry)
{
    using namespace std::chrono;
    std::time_t t = system_clock::to_time_t(entry.Time);
    auto ms = duration_cast<milliseconds>(entry.Time.time_since_epoch()).count() % 1000;
    std::tm tm {};
    localtime_r(&t, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tm);
    std::string line
        = FormatStr("%s.%03d\t%s\t", stamp, static_cast<int>(ms < 0 ? ms + 1000 : ms), entry.Category);
    for (char c : entry.Text) {
        if (c == '\n')
            line += "\\n";
        else if (c != '\r')
            line += c;
    }
    return line;
}
