#include "objdb/qelviewcondition.h"

#include "objdb/qelfieldlist.h"
#include "objdb/qelschema.h"
#include "objdb/qelsql.h"
#include "objdb/qelstrings.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>

namespace {

bool nameChar(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || u >= 0x80;
}

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Calls `fn` for every name outside quotes with the name, whether a ":" marks it as a parameter,
// and the character after it; a returned text replaces the name (and its mark).
using TNameFn = std::function<std::optional<std::string>(const std::string& name, bool param, char next)>;

std::string rewriteNames(const std::string& text, const TNameFn& fn)
{
    std::string out;
    out.reserve(text.size());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = text[i];
        if (c == '\'' || c == '"') {
            // A doubled quote inside closes and opens again: copying up to each closing quote
            // is enough.
            const std::size_t close = text.find(c, i + 1);
            const std::size_t end = close == std::string::npos ? n : close + 1;
            out.append(text, i, end - i);
            i = end;
            continue;
        }
        const bool param = c == ':' && i + 1 < n && nameChar(text[i + 1])
            && !std::isdigit(static_cast<unsigned char>(text[i + 1])) && (i == 0 || text[i - 1] != ':');
        if (param || (nameChar(c) && (i == 0 || !nameChar(text[i - 1])))) {
            const std::size_t start = param ? i + 1 : i;
            std::size_t end = start;
            while (end < n && nameChar(text[end]))
                ++end;
            const std::string name = text.substr(start, end - start);
            if (auto repl = fn(name, param, end < n ? text[end] : '\0'))
                out += *repl;
            else
                out.append(text, i, end - i);
            i = end;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

} // namespace

std::string QelFillViewParams(const std::string& condition, const TQelKlasse* paramClass,
    const TQelFieldList* params, const TQelSQLDialect& dialect)
{
    if (!paramClass)
        return condition;
    return rewriteNames(
        condition, [&](const std::string& name, bool param, char) -> std::optional<std::string> {
            if (!param)
                return std::nullopt;
            const TQelFelddefinition* def = paramClass->FindFelddefinition(name);
            if (!def)
                return std::nullopt;
            const TQelField* f = params ? params->FieldByName(def->Name()) : nullptr;
            return f && !f->Null() ? dialect.ValueString(f) : std::string("NULL");
        });
}

std::string QelReplaceTablePrefix(
    const std::string& condition, const std::string& table, const std::string& prefix)
{
    if (table.empty() || prefix.empty())
        return condition;
    return rewriteNames(
        condition, [&](const std::string& name, bool param, char next) -> std::optional<std::string> {
            if (param || next != '.' || !sameName(name, table))
                return std::nullopt;
            return prefix;
        });
}

std::vector<std::pair<std::string, std::string>> QelSplitInstanceText(
    const std::string& text, const TQelKlasse* paramClass)
{
    std::vector<std::pair<std::string, std::string>> out;
    if (!paramClass)
        return out;
    bool open = false; // a known pair was started: continuations belong to it
    for (const std::string& piece : SplitString(text, ",")) {
        const std::size_t eq = piece.find('=');
        const std::string name = eq == std::string::npos ? "" : Trim(piece.substr(0, eq));
        const bool pair = !name.empty() && std::all_of(name.begin(), name.end(), nameChar);
        if (!pair) {
            if (open)
                out.back().second += "," + piece;
        } else if (const TQelFelddefinition* def = paramClass->FindFelddefinition(name)) {
            out.emplace_back(def->Name(), piece.substr(eq + 1));
            open = true;
        } else {
            open = false; // an unknown name: the pair is left out
        }
    }
    for (auto& [name, value] : out)
        value = Trim(value);
    return out;
}
