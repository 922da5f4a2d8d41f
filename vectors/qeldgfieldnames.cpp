// Parsing the row lines of a detail grid (FieldNames).
#include "vectors/qeldgfieldnames.h"

#include "binding/objdb.h"

#include <array>

namespace {

bool blank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view trimRight(std::string_view s)
{
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

char upperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether `s` ends with the blank-led upper-case ASCII word `word`, in any case.
bool endsWithWord(std::string_view s, std::string_view word)
{
    if (s.size() <= word.size() || !blank(s[s.size() - word.size() - 1]))
        return false;
    const std::string_view tail = s.substr(s.size() - word.size());
    for (std::size_t i = 0; i < word.size(); ++i)
        if (upperAscii(tail[i]) != word[i])
            return false;
    return true;
}

// Removes the trailing flags, in any order and case, and records them.
std::string_view stripFlags(std::string_view s, TQelDGLine& out)
{
    s = trimRight(s);
    for (bool found = true; found;) {
        found = false;
        const std::array<std::pair<std::string_view, bool*>, 3> flags { { { "CUSTOM", &out.Custom },
            { "FORCE", &out.Force }, { "READONLY", &out.ReadOnly } } };
        for (const auto& [word, flag] : flags)
            if (endsWithWord(s, word)) {
                *flag = true;
                s = trimRight(s.substr(0, s.size() - word.size()));
                found = true;
            }
    }
    return s;
}

// The byte offset of the first " AS " (any case) outside quoted runs and parentheses; npos when none.
// A quote without a closing partner is an ordinary character.
std::size_t findAs(std::string_view s)
{
    bool unpaired[2] = { false, false }; // ' and ": no partner further on
    int depth = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\'' || c == '"') {
            bool& none = unpaired[c == '"'];
            const std::size_t close = none ? std::string_view::npos : s.find(c, i + 1);
            if (close != std::string_view::npos) {
                i = close;
                continue;
            }
            none = true;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            depth = depth > 0 ? depth - 1 : 0;
        } else if (c == ' ' && depth == 0 && i + 4 <= s.size() && upperAscii(s[i + 1]) == 'A'
            && upperAscii(s[i + 2]) == 'S' && s[i + 3] == ' ') {
            return i;
        }
    }
    return std::string_view::npos;
}

void splitAs(std::string_view s, TQelDGLine& out)
{
    const std::size_t as = findAs(s);
    if (as == std::string_view::npos) {
        out.Name = dequote(s);
        return;
    }
    out.Name = dequote(s.substr(0, as));
    out.Caption = dequote(s.substr(as + 4));
}

void parseEditorPart(TQelDGLine& row)
{
    const std::size_t slash = row.Name.find('/');
    if (slash == std::string::npos)
        return;
    const std::string_view part = std::string_view(row.Name).substr(slash + 1);
    const std::size_t open = part.find('(');
    row.Type = QelDGEditorKind(TrimView(part.substr(0, open)));
    if (open == std::string_view::npos)
        return;
    const std::size_t close = part.rfind(')');
    row.Params = close != std::string_view::npos && close > open
        ? std::string(part.substr(open + 1, close - open - 1))
        : std::string(part.substr(open + 1));
}

bool isComment(std::string_view t)
{
    return t.empty() || t[0] == ';' || t.substr(0, 2) == "//" || t.substr(0, 2) == "--";
}

} // namespace

int QelDGEditorKind(std::string_view word)
{
    static const std::array<std::pair<std::string_view, int>, 8> kinds { {
        { "NORMAL", qelDGNormal },
        { "COMBOEDIT", qelDGComboEdit },
        { "COMBOLIST", qelDGComboList },
        { "CHECKBOX", qelDGCheckBox },
        { "NUMERIC", qelDGNumeric },
        { "POSITIVENUMERIC", qelDGPositiveNumeric },
        { "FLOAT", qelDGFloat },
        { "CAPITAL", qelDGCapital },
    } };
    for (const auto& [name, kind] : kinds) {
        if (word.size() != name.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < word.size() && same; ++i)
            same = upperAscii(word[i]) == name[i];
        if (same)
            return kind;
    }
    return qelDGNormal;
}

std::string QelDGPlainName(std::string_view name)
{
    return Trim(name.substr(0, name.find('/')));
}

TQelDGLine QelParseDGLine(std::string_view line)
{
    TQelDGLine out;
    const std::string_view t = TrimView(line);
    if (isComment(t))
        return out;
    if (t[0] == '*') {
        out.Kind = TQelDGLineKind::Header;
        splitAs(TrimView(t.substr(1)), out);
        return out;
    }
    constexpr std::string_view kFieldPath = "FIELDPATH";
    if (TextStartsWithCI(t, kFieldPath) && (t.size() == kFieldPath.size() || blank(t[kFieldPath.size()]))) {
        out.Kind = TQelDGLineKind::FieldPath;
        // The flags go first, so that "FIELDPATH CUSTOM" names no path.
        const std::string_view rest = stripFlags(t, out).substr(kFieldPath.size());
        out.Name = Trim(rest);
        out.Force = out.ReadOnly = false;
        return out;
    }
    out.Kind = TQelDGLineKind::Row;
    splitAs(stripFlags(t, out), out);
    parseEditorPart(out);
    return out;
}

std::vector<TQelDGLine> QelParseDGFieldNames(const std::vector<std::string>& lines)
{
    std::vector<TQelDGLine> out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        TQelDGLine l = QelParseDGLine(lines[i]);
        if (l.Kind == TQelDGLineKind::Skip)
            continue;
        l.Line = static_cast<int>(i);
        out.push_back(std::move(l));
    }
    return out;
}
