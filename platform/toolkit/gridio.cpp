#include "toolkit/gridio.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <istream>
#include <ostream>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace qel::grid {
namespace {

constexpr std::array<char, 8> kMagic { 'Q', 'E', 'L', 'G', 'R', 'I', 'D', '\x01' };
constexpr std::uint32_t kMaxCols = 1u << 16;
constexpr std::uint32_t kMaxRows = 1u << 26;

bool needsQuotes(std::string_view text, char delimiter)
{
    if (text.empty())
        return false;
    if (text.front() == ' ' || text.back() == ' ' || text.front() == '\t' || text.back() == '\t')
        return true;
    // One pass over the text (a set search would scan the text once per character of the set).
    for (const char c : text)
        if (c == delimiter || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

void writeU32(std::ostream& out, std::uint32_t v)
{
    const char bytes[4] = { static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
        static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF) };
    out.write(bytes, 4);
}

std::uint32_t readU32(std::istream& in)
{
    unsigned char bytes[4];
    if (!in.read(reinterpret_cast<char*>(bytes), 4))
        throw std::runtime_error("Die Tabellendaten sind unvollständig.");
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

} // namespace

bool LooksLikeFormula(std::string_view text)
{
    if (text.empty() || std::string_view("=+-@\t\r").find(text.front()) == std::string_view::npos)
        return false;
    // "-12,50" and "+3" are numbers, not formulas.
    if (text.front() == '-' || text.front() == '+') {
        bool digit = false;
        for (std::size_t i = 1; i < text.size(); ++i) {
            const char c = text[i];
            if (c >= '0' && c <= '9')
                digit = true;
            else if (c != ',' && c != '.')
                return true;
        }
        return !digit;
    }
    return true;
}

void WriteCsv(const GridStore& store, std::ostream& out, const CsvOptions& options)
{
    if (options.byteOrderMark)
        out << "\xEF\xBB\xBF";
    // Each row is put together in one buffer and written at once.
    std::string line;
    for (int r = 0; r < store.rowCount(); ++r) {
        if ((!options.includeHidden && !store.rowShown(r)) || (options.rowFilter && !options.rowFilter(r)))
            continue;
        line.clear();
        bool firstCell = true;
        for (int c = 0; c < store.colCount(); ++c) {
            if (!options.includeHidden && store.colHidden(c))
                continue;
            if (!firstCell)
                line += options.delimiter;
            firstCell = false;
            const std::string_view text = store.text(c, r);
            const bool formula = options.formulaGuard && LooksLikeFormula(text);
            if (!options.alwaysQuote && !formula && !needsQuotes(text, options.delimiter)) {
                line += text;
                continue;
            }
            line += formula ? "\"'" : "\"";
            // Doubled quotes; the runs between them go in whole.
            std::size_t from = 0;
            for (std::size_t q = text.find('"'); q != std::string_view::npos; q = text.find('"', from)) {
                line.append(text, from, q + 1 - from);
                line += '"';
                from = q + 1;
            }
            line.append(text, from);
            line += '"';
        }
        line += "\r\n";
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
        if (!out)
            return;
    }
}

std::vector<std::vector<std::string>> ReadCsv(std::istream& in, char delimiter)
{
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string cellText;
    bool quoted = false, inQuotes = false, any = false;
    char bom[3];
    if (!(in.read(bom, 3) && bom[0] == '\xEF' && bom[1] == '\xBB' && bom[2] == '\xBF')) {
        in.clear();
        in.seekg(0);
    }
    auto endCell = [&] {
        row.push_back(std::move(cellText));
        cellText.clear();
        quoted = false;
    };
    char ch;
    while (in.get(ch)) {
        any = true;
        if (inQuotes) {
            if (ch == '"') {
                if (in.peek() == '"') {
                    in.get(ch);
                    cellText += '"';
                } else {
                    inQuotes = false;
                }
            } else {
                cellText += ch;
            }
        } else if (ch == '"' && cellText.empty() && !quoted) {
            inQuotes = quoted = true;
        } else if (ch == delimiter) {
            endCell();
        } else if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && in.peek() == '\n')
                in.get(ch);
            endCell();
            rows.push_back(std::move(row));
            row.clear();
            any = false;
        } else {
            cellText += ch;
        }
    }
    if (any) {
        endCell();
        rows.push_back(std::move(row));
    }
    return rows;
}

void WriteBinary(const GridStore& store, std::ostream& out)
{
    out.write(kMagic.data(), kMagic.size());
    writeU32(out, static_cast<std::uint32_t>(store.colCount()));
    writeU32(out, static_cast<std::uint32_t>(store.rowCount()));
    for (int c = 0; c < store.colCount(); ++c)
        writeU32(out, static_cast<std::uint32_t>(store.colWidth(c)));
    for (int r = 0; r < store.rowCount(); ++r)
        for (int c = 0; c < store.colCount(); ++c) {
            const auto& text = store.text(c, r);
            writeU32(out, static_cast<std::uint32_t>(text.size()));
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
        }
}

void ReadBinary(GridStore& store, std::istream& in)
{
    std::array<char, kMagic.size()> magic {};
    if (!in.read(magic.data(), magic.size()) || magic != kMagic)
        throw std::runtime_error("Die Daten sind keine gespeicherte Tabelle.");
    const auto cols = readU32(in);
    const auto rows = readU32(in);
    if (cols > kMaxCols || rows > kMaxRows)
        throw std::runtime_error("Die Tabellendaten sind beschädigt.");
    std::vector<int> widths(cols);
    for (auto& w : widths) {
        w = static_cast<int>(readU32(in));
        if (w < 0)
            throw std::runtime_error("Die Tabellendaten sind beschädigt.");
    }
    // Read into a separate list first: a damaged stream must not leave a half-loaded grid.
    std::vector<std::string> texts;
    const std::uint64_t total = static_cast<std::uint64_t>(cols) * rows;
    for (std::uint64_t i = 0; i < total; ++i) {
        const auto len = readU32(in);
        std::string text;
        // Grow in chunks so that a corrupt length cannot demand gigabytes up front.
        constexpr std::uint32_t chunk = 1u << 16;
        for (std::uint32_t done = 0; done < len;) {
            const auto part = std::min(chunk, len - done);
            const auto old = text.size();
            text.resize(old + part);
            if (!in.read(text.data() + old, part))
                throw std::runtime_error("Die Tabellendaten sind unvollständig.");
            done += part;
        }
        texts.push_back(std::move(text));
    }
    store.setColCount(static_cast<int>(cols));
    store.setRowCount(static_cast<int>(rows));
    for (std::uint32_t c = 0; c < cols; ++c)
        store.setColWidth(static_cast<int>(c), widths[c]);
    std::vector<std::string_view> row(cols);
    for (std::uint32_t r = 0; r < rows; ++r) {
        for (std::uint32_t c = 0; c < cols; ++c) {
            row[c] = texts[static_cast<std::size_t>(r) * cols + c];
            store.setObject(static_cast<int>(c), static_cast<int>(r), nullptr);
        }
        store.assignRow(static_cast<int>(r), row.data(), static_cast<int>(cols));
    }
}

bool ReplaceFile(const std::string& path, const std::string& data, std::string& error)
{
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    auto failed = [&](const std::string& why) {
        error = "Die Datei \"" + path + "\" kann nicht geschrieben werden: " + why;
        return false;
    };
    // A hidden name with a random tail, created exclusively (as mkstemp does) with the mode a new
    // file gets.
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 rng(seed());
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = dir + ".qel-"; // short: the target's name may already fill a file name
        for (int i = 0; i < 8; ++i)
            temp += kChars[rng() % (sizeof kChars - 1)];
        temp += ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST && errno != EINTR)
            return failed(std::strerror(errno));
    }
    if (fd < 0)
        return failed(std::strerror(EEXIST));
    struct stat target { };
    if (::stat(path.c_str(), &target) == 0)
        ::fchmod(fd, target.st_mode & 0777);
    const char* p = data.data();
    std::size_t left = data.size();
    std::string why;
    while (left > 0 && why.empty()) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            why = n < 0 ? std::strerror(errno) : "nichts geschrieben";
        else {
            p += n;
            left -= static_cast<std::size_t>(n);
        }
    }
    if (::close(fd) != 0 && why.empty() && errno != EINTR)
        why = std::strerror(errno);
    if (why.empty() && ::rename(temp.c_str(), path.c_str()) != 0)
        why = std::strerror(errno);
    if (!why.empty()) {
        ::unlink(temp.c_str());
        return failed(why);
    }
    return true;
}

} // namespace qel::grid
