#pragma once
// Files the library writes for the user: names that stay one file inside their folder, folders
// of their own under the temporary folder, and new files that never replace or follow anything
// that is already there (another local user may have planted a link under the name).
#include <cstddef>
#include <string>
#include <string_view>

// `name` as a file name: characters file names may not hold exchanged, trimmed, no leading dots
// (no hidden file, no ".."), at most `maxBytes` bytes cut at a character border; `fallback` when
// nothing is left. The default leaves room in a file name (255 bytes) for " (99)" and an extension.
std::string QelSafeFileName(std::string_view name, const std::string& fallback, std::size_t maxBytes = 200);

// A new folder under the temporary folder, made fresh (mkdtemp) and open to its owner only; ""
// (with `error`) when it cannot be made.
std::string QelFreshTempFolder(std::string& error);

// A new file opened for writing (O_CREAT | O_EXCL | O_NOFOLLOW): an existing file or link under
// the name is an error, never replaced or followed. Unless kept, the file is removed again.
class TQelNewFile {
public:
    explicit TQelNewFile(const std::string& path);
    ~TQelNewFile();
    TQelNewFile(const TQelNewFile&) = delete;
    TQelNewFile& operator=(const TQelNewFile&) = delete;

    bool Ok() const { return fd_ >= 0; }
    // Why opening or writing failed (German, with the file's name).
    const std::string& Error() const { return error_; }
    bool Write(std::string_view data);
    // Closes the file and keeps it; false (the file removed) when its data did not all arrive.
    bool Keep();

private:
    void fail(const char* what);

    std::string path_;
    int fd_ = -1;
    std::string error_;
};

// Writes `data` to a new file at `path` (see TQelNewFile); false with `error` when it cannot.
bool QelWriteNewFile(const std::string& path, std::string_view data, std::string& error);
