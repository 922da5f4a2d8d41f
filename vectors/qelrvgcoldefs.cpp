// Parsing the column definition of a reverse vector grid.
#include "vectors/qelrvgcoldefs.h"

#include "binding/objdb.h"
#include "vectors/qelvgcoldefs.h"

namespace {

std::string cut(const std::string& s, int max)
{
    return Utf8Length(s) <= static_cast<std::size_t>(max) ? s
                                                          : Utf8Substr(s, 0, static_cast<std::size_t>(max));
}

TQelRVGColumn parseLine(const std::string& line, int number)
{
    auto info = std::make_shared<TQelRVGInfo>();
    std::string entry = line;
    if (const std::size_t slash = line.find('/'); slash != std::string::npos) {
        std::string options = AnsiUpperCase(cut(line.substr(slash + 1), QelRVGMaxOptionLength));
        entry = line.substr(0, slash);
        if (const std::size_t h = options.find("HINT:"); h != std::string::npos) {
            info->Hint = unescape(Trim(options.substr(h + 5)));
            options.resize(h);
        }
        info->ReadOnly = options.find("READONLY") != std::string::npos;
        info->ObjRef = options.find("OBJREF") != std::string::npos;
        info->NoRef = options.find("NOREF") != std::string::npos;
        info->Combo = options.find("COMBO") != std::string::npos;
        if (const std::size_t l = options.find("LENGTH:"); l != std::string::npos)
            info->Length = QelVGLengthPrefix(TrimLeft(options.substr(l + 7)));
    }
    // Found in the entry itself: upper case can change a text's length ("ß", "ɐ"), so a place
    // found in an upper-cased copy is no place in the entry.
    if (const std::size_t as = TextFindCI(entry, " AS "); as != std::string::npos) {
        const std::string_view rest = std::string_view(entry).substr(as);
        info->Name = Trim(entry.substr(0, as));
        info->Caption = Trim(cut(std::string(rest.substr(Utf8Offset(rest, 4))), QelRVGMaxOptionLength));
    } else {
        info->Name = entry;
        info->Caption = entry;
    }
    return { info->Name, info, number };
}

} // namespace

TQelRVGColDefs QelParseRVGColDefs(const std::vector<std::string>& lines)
{
    TQelRVGColDefs spec;
    if (lines.empty()) {
        spec.Columns.push_back({ "...", nullptr, 0 });
        return spec;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        if (AnsiSameText(Trim(lines[i]), "...")) {
            spec.Columns.push_back({ "...", nullptr, number });
            continue;
        }
        spec.Columns.push_back(parseLine(lines[i], number));
        if (Trim(spec.Columns.back().Entry).empty())
            spec.Issues.emplace_back(number, "Zeile nennt kein Feld");
    }
    return spec;
}

void QelRVGExpandEllipsis(TQelRVGColDefs& spec, const std::vector<std::string>& available)
{
    auto& cols = spec.Columns;
    for (std::size_t i = 0; i < cols.size(); ++i) {
        if (!AnsiSameText(cols[i].Entry, "..."))
            continue;
        cols.erase(cols.begin() + static_cast<std::ptrdiff_t>(i));
        std::vector<TQelRVGColumn> added;
        for (const std::string& name : available) {
            bool named = false;
            for (const TQelRVGColumn& c : cols)
                named = named || AnsiSameText(c.Entry, name);
            for (const TQelRVGColumn& c : added)
                named = named || AnsiSameText(c.Entry, name);
            if (!named)
                added.push_back({ name,
                    std::make_shared<TQelRVGInfo>(
                        TQelRVGInfo { name, name, false, false, false, false, {}, {} }),
                    0 });
        }
        // Each name goes where "..." stood, so the names found last come first.
        cols.insert(cols.begin() + static_cast<std::ptrdiff_t>(i), added.rbegin(), added.rend());
        i += added.size();
        --i;
    }
}
