// Connection strings in messages: the password is found the way libpq itself reads it
// (PQconninfoParse) and replaced by "***"; the rest stays as the user wrote it.
#include "objdb/qelconnection.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string_view>
#include <vector>

namespace {

const char* const kHidden = "***";

// A stretch [from, to) of the text that holds a password.
struct TSpan {
    std::size_t from, to;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string percentDecoded(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const int hi = s[i] == '%' && i + 2 < s.size() ? hexValue(s[i + 1]) : -1;
        const int lo = hi >= 0 ? hexValue(s[i + 2]) : -1;
        if (lo >= 0) {
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

bool isUri(std::string_view s)
{
    return s.rfind("postgresql://", 0) == 0 || s.rfind("postgres://", 0) == 0;
}

// The password values of a URI as libpq splits it: the user information runs to the first "@"
// before any "/", the password after its first ":"; query parameters are separated by "&", their
// names percent-encoded.
std::vector<TSpan> uriPasswords(std::string_view s)
{
    std::vector<TSpan> out;
    std::size_t p = s.find("://") + 3;
    const std::size_t end = s.find_first_of("@/", p);
    if (end != std::string_view::npos && s[end] == '@') {
        const std::size_t colon = s.find(':', p);
        if (colon < end && colon + 1 < end)
            out.push_back({ colon + 1, end });
        p = end + 1;
    }
    const std::size_t query = s.find('?', p);
    for (std::size_t a = query == std::string_view::npos ? s.size() : query + 1; a < s.size();) {
        std::size_t b = s.find('&', a);
        if (b == std::string_view::npos)
            b = s.size();
        const std::size_t eq = s.find('=', a);
        if (eq < b && eq + 1 < b && percentDecoded(s.substr(a, eq - a)) == "password")
            out.push_back({ eq + 1, b });
        a = b + 1;
    }
    return out;
}

// The password values of "key = value" pairs as libpq reads them: a value is quoted with '...'
// or runs to the next blank; a backslash takes the next character as it is.
std::vector<TSpan> pairPasswords(std::string_view s)
{
    std::vector<TSpan> out;
    std::size_t i = 0;
    while (i < s.size()) {
        if (isBlank(s[i])) {
            ++i;
            continue;
        }
        const std::size_t name = i;
        while (i < s.size() && s[i] != '=' && !isBlank(s[i]))
            ++i;
        const std::string_view key = s.substr(name, i - name);
        while (i < s.size() && isBlank(s[i]))
            ++i;
        if (i >= s.size() || s[i] != '=')
            break; // libpq refuses the rest as well
        ++i;
        while (i < s.size() && isBlank(s[i]))
            ++i;
        const std::size_t value = i;
        if (i < s.size() && s[i] == '\'') {
            for (++i; i < s.size() && s[i] != '\''; ++i)
                if (s[i] == '\\')
                    ++i;
            i = std::min(i + 1, s.size());
        } else {
            for (; i < s.size() && !isBlank(s[i]); ++i)
                if (s[i] == '\\')
                    ++i;
            i = std::min(i, s.size());
        }
        if (key == "password" && i > value)
            out.push_back({ value, i });
    }
    return out;
}

// For texts libpq does not read (server messages, mistyped strings): the user information of
// every "scheme://user:password@" and the value after every "password =" (letters in any case or
// percent-encoded, as in a URI's query).
std::vector<TSpan> likelyPasswords(std::string_view s)
{
    std::vector<TSpan> out;
    for (std::size_t at = s.find("://"); at != std::string_view::npos; at = s.find("://", at + 3)) {
        const std::size_t from = at + 3;
        std::size_t end = from;
        while (end < s.size() && s[end] != '@' && s[end] != '/' && !isBlank(s[end]) && s[end] != '"'
            && s[end] != '\'')
            ++end;
        const std::size_t colon = s.find(':', from);
        if (end < s.size() && s[end] == '@' && colon < end && colon + 1 < end)
            out.push_back({ colon + 1, end });
    }
    static const std::string_view word = "password";
    for (std::size_t start = 0; start < s.size(); ++start) {
        std::size_t i = start;
        std::size_t matched = 0;
        while (matched < word.size() && i < s.size()) {
            char c = s[i];
            std::size_t width = 1;
            if (c == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
                c = static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
                width = 3;
            }
            if (std::tolower(static_cast<unsigned char>(c)) != word[matched])
                break;
            ++matched;
            i += width;
        }
        if (matched < word.size())
            continue;
        while (i < s.size() && isBlank(s[i]))
            ++i;
        if (i >= s.size() || s[i] != '=')
            continue;
        ++i;
        while (i < s.size() && isBlank(s[i]))
            ++i;
        const std::size_t value = i;
        if (i < s.size() && (s[i] == '\'' || s[i] == '"')) {
            const char quote = s[i];
            for (++i; i < s.size() && s[i] != quote; ++i)
                if (s[i] == '\\')
                    ++i;
            i = std::min(i + 1, s.size());
        } else {
            for (; i < s.size() && !isBlank(s[i]) && s[i] != '&'; ++i)
                if (s[i] == '\\')
                    ++i;
            i = std::min(i, s.size());
        }
        if (i > value)
            out.push_back({ value, i });
        start = i - 1;
    }
    return out;
}

std::string hidden(const std::string& s, std::vector<TSpan> spans)
{
    std::sort(spans.begin(), spans.end(), [](const TSpan& a, const TSpan& b) { return a.from < b.from; });
    std::string out;
    std::size_t done = 0;
    for (const TSpan& sp : spans) {
        if (sp.to <= done)
            continue;
        out.append(s, done, std::max(sp.from, done) - done);
        out += kHidden;
        done = sp.to;
    }
    out.append(s, std::min(done, s.size()), std::string::npos);
    return out;
}

// What libpq reads from a connection string: the password and every other option; false when it
// cannot read the string.
bool readConninfo(const std::string& s, std::string& password, std::map<std::string, std::string>& others)
{
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(s.c_str(), &error);
    PQfreemem(error);
    if (!options)
        return false;
    password.clear();
    others.clear();
    for (const PQconninfoOption* o = options; o->keyword; ++o)
        if (o->val && std::string_view(o->keyword) == "password")
            password = o->val;
        else if (o->val)
            others[o->keyword] = o->val;
    PQconninfoFree(options);
    return true;
}

std::string quotedValue(const std::string& v)
{
    std::string out = "'";
    for (char c : v) {
        if (c == '\\' || c == '\'')
            out += '\\';
        out += c;
    }
    return out + "'";
}

} // namespace

std::string QelHidePassword(const std::string& target)
{
    std::string password;
    std::map<std::string, std::string> others;
    if (!readConninfo(target, password, others))
        return hidden(target, likelyPasswords(target));
    if (password.empty())
        return target;
    // The text as written with the password's values replaced, when libpq reads it as the same
    // connection without the password; else the options in the key=value form.
    const std::string shown = hidden(target, isUri(target) ? uriPasswords(target) : pairPasswords(target));
    std::string shownPassword;
    std::map<std::string, std::string> shownOthers;
    if (readConninfo(shown, shownPassword, shownOthers) && shownPassword == kHidden && shownOthers == others)
        return shown;
    std::string out;
    for (const auto& [key, value] : others)
        out += (out.empty() ? "" : " ") + key + "=" + quotedValue(value);
    return out + (out.empty() ? "" : " ") + "password=" + kHidden;
}
