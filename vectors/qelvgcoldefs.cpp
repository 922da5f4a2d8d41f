// Parsing the column definition of a vector grid.
#include "vectors/qelvgcoldefs.h"

#include "binding/objdb.h"

#include <array>
#include <cctype>

namespace {

constexpr std::array<const char*, 5> kKeywords { "CUSTOM", "READONLY", "FIXED", "STRING", "HIDETIME" };
constexpr std::array<int, 5> kKeywordFlags { TQelVGInfo::CUSTOM, TQelVGInfo::READONLY,
    TQelVGInfo::FIXED | TQelVGInfo::READONLY, TQelVGInfo::STRING, TQelVGInfo::HIDETIME };

bool isComment(const std::string& line)
{
    return line.empty() || line[0] == ';' || line.rfind("//", 0) == 0 || line.rfind("--", 0) == 0;
}

std::string asciiUpper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Cuts to `max` characters; true when something was cut.
bool cutTo(std::string& s, int max)
{
    if (Utf8Length(s) <= static_cast<std::size_t>(max))
        return false;
    s = Utf8Substr(s, 0, static_cast<std::size_t>(max));
    return true;
}

struct LineParser {
    int line;
    TQelVGColDefs& out;
    void report(const std::string& text) { out.Issues.push_back({ line, text }); }

    // Reads "LENGTH:" out of the options; returns the options without it.
    std::string takeLength(const std::string& options, TQelVGInfo& info)
    {
        const std::size_t at = options.find("LENGTH:");
        if (at == std::string::npos)
            return options;
        std::string rest = options.substr(at + 7);
        if (cutTo(rest, QelVGMaxOptionLength))
            report("LENGTH: zu lang, gekürzt");
        const std::string trimmed = TrimLeft(rest);
        const std::string prefix = QelVGLengthPrefix(trimmed);
        info.Length = AnsiUpperCase(prefix);
        if (info.Length.empty())
            report("LENGTH: ohne Spaltenbreite");
        return options.substr(0, at) + " " + trimmed.substr(prefix.size());
    }

    void takeKeywords(const std::string& options, TQelVGInfo& info)
    {
        for (std::size_t k = 0; k < kKeywords.size(); ++k)
            if (options.find(kKeywords[k]) != std::string::npos)
                info.Flags |= kKeywordFlags[k];
        // Words that hold no keyword are most likely typing errors: they are reported, not used.
        for (const std::string& part : SplitString(options, " \t,;|")) {
            if (part.empty())
                continue;
            bool known = false;
            for (const char* k : kKeywords)
                known = known || part.find(k) != std::string::npos;
            if (!known)
                report("unbekannte Option \"" + part + "\"");
        }
    }

    void parse(std::string text)
    {
        auto info = std::make_shared<TQelVGInfo>();
        // Options.
        std::string columnPart = text;
        if (const int slash = cpos(text, '/', true, false); slash >= 0) {
            columnPart = text.substr(0, static_cast<std::size_t>(slash));
            std::string options = text.substr(static_cast<std::size_t>(slash) + 1);
            if (const std::size_t h = options.find("HINT:"); h != std::string::npos) {
                std::string hint = Trim(options.substr(h + 5));
                if (cutTo(hint, QelVGMaxHintLength))
                    report("HINT: zu lang, gekürzt");
                info->Hint = unescape(hint);
                options.resize(h);
            }
            if (cutTo(options, QelVGMaxOptionLength))
                report("Optionen zu lang, gekürzt");
            takeKeywords(takeLength(options, *info), *info);
        }
        // Caption.
        std::string fieldPart;
        if (const std::size_t as = asciiUpper(columnPart).find(" AS "); as != std::string::npos) {
            std::string caption = columnPart.substr(as + 4);
            if (cutTo(caption, QelVGMaxOptionLength))
                report("Überschrift zu lang, gekürzt");
            info->Caption = extract_quoted_string(caption, 1);
            fieldPart = extract_quoted_string(columnPart.substr(0, as), 1);
            if (info->Caption.empty())
                report("Überschrift fehlt nach AS");
        } else {
            fieldPart = extract_quoted_string(columnPart, 1);
            info->Caption = fieldPart;
        }
        // Property.
        if (const int at = cpos(fieldPart, '@', true, false); at >= 0) {
            info->PropName = Trim(fieldPart.substr(static_cast<std::size_t>(at) + 1));
            fieldPart = at == 0 ? std::string("@") : Trim(fieldPart.substr(0, static_cast<std::size_t>(at)));
            if (info->PropName.empty())
                report("Eigenschaft fehlt nach @");
        }
        if (fieldPart.empty()) {
            report("Feldname fehlt; Spalte entfällt");
            return;
        }
        out.Columns.push_back({ fieldPart, std::move(info), line });
    }
};

} // namespace

std::string QelVGLengthPrefix(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if ((c >= '0' && c <= '9') || c == '/' || c == '%' || c == 'C' || c == 'c') {
            ++i;
        } else if (c == '\'' || c == '"') {
            const std::size_t close = text.find(c, i + 1);
            if (close == std::string::npos)
                break;
            i = close + 1;
        } else {
            break;
        }
    }
    return text.substr(0, i);
}

TQelVGColDefs QelParseVGColDefs(const std::vector<std::string>& lines)
{
    TQelVGColDefs spec;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string text = Trim(lines[i]);
        if (isComment(text))
            continue;
        LineParser { static_cast<int>(i) + 1, spec }.parse(std::move(text));
    }
    if (lines.empty())
        spec.Columns.push_back(
            { "...", std::make_shared<TQelVGInfo>(TQelVGInfo { {}, {}, "...", {}, 0 }), 0 });
    return spec;
}

void QelVGExpandEllipsis(TQelVGColDefs& spec, const std::vector<std::string>& available)
{
    auto& cols = spec.Columns;
    for (std::size_t i = 0; i < cols.size(); ++i) {
        if (cols[i].Entry != "...")
            continue;
        cols.erase(cols.begin() + static_cast<std::ptrdiff_t>(i));
        std::vector<TQelVGColumn> added;
        for (const std::string& name : available) {
            bool named = false;
            for (const TQelVGColumn& c : cols)
                named = named || AnsiSameText(c.Entry, name);
            for (const TQelVGColumn& c : added)
                named = named || AnsiSameText(c.Entry, name);
            if (!named)
                added.push_back({ name, nullptr, 0 });
        }
        cols.insert(cols.begin() + static_cast<std::ptrdiff_t>(i), added.begin(), added.end());
        i += added.size();
        --i;
    }
}
