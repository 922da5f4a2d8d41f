#include "objdb/qelfiles.h"

#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <vector>

std::string QelSafeFileName(std::string_view name, const std::string& fallback, std::size_t maxBytes)
{
    std::string s = Trim(ExchangeWrongFileChars(Utf8Sanitize(name)));
    if (s.size() > maxBytes) {
        std::size_t cut = maxBytes;
        while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
            --cut;
        s.resize(cut);
    }
    const std::size_t dots = s.find_first_not_of('.');
    s.erase(0, dots == std::string::npos ? s.size() : dots);
    s = Trim(s);
    return s.empty() ? fallback : s;
}

std::string QelFreshTempFolder(std::string& error)
{
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) {
        error = "Kein temporäres Verzeichnis: " + ec.message();
        return {};
    }
    std::string pattern = (base / "qelobjcntrl-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) { // mode 0700, a name nobody had
        error = "Das temporäre Verzeichnis in \"" + base.string()
            + "\" kann nicht angelegt werden: " + std::strerror(errno);
        return {};
    }
    return buf.data();
}

TQelNewFile::TQelNewFile(const std::string& path)
    : path_(path)
{
    do
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        error_ = errno == EEXIST
            ? "Die Datei \"" + path + "\" existiert bereits."
            : "Die Datei \"" + path + "\" kann nicht angelegt werden: " + std::strerror(errno);
}

TQelNewFile::~TQelNewFile()
{
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
}

void TQelNewFile::fail(const char* what)
{
    error_ = "Die Datei \"" + path_ + "\" kann nicht geschrieben werden: " + what;
}

bool TQelNewFile::Write(std::string_view data)
{
    if (fd_ < 0)
        return false;
    while (!data.empty()) {
        const ssize_t n = ::write(fd_, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(n < 0 ? std::strerror(errno) : "nichts geschrieben");
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool TQelNewFile::Keep()
{
    if (fd_ < 0)
        return false;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        fail(std::strerror(errno));
        ::unlink(path_.c_str());
        return false;
    }
    return true;
}

bool QelWriteNewFile(const std::string& path, std::string_view data, std::string& error)
{
    TQelNewFile file(path);
    if (file.Ok() && file.Write(data) && file.Keep())
        return true;
    error = file.Error();
    return false;
}
