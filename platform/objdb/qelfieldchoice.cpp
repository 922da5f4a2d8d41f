// Choice fields: one domain entry (stored as its text), a bit mask of entries, or a flag text.
#include "objdb/qelfield.h"
#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"

namespace {

// The entry `text` names: equal text, equal abbreviation, or the only entry it begins.
const TQelDomainEntry* lookup(const std::vector<TQelDomainEntry>& dom, const std::string& text)
{
    for (const auto& e : dom)
        if (AnsiSameText(e.text, text))
            return &e;
    for (const auto& e : dom)
        if (AnsiSameText(e.abbr, text))
            return &e;
    const TQelDomainEntry* found = nullptr;
    for (const auto& e : dom)
        if (TextStartsWithCI(e.text, text)) {
            if (found)
                return nullptr;
            found = &e;
        }
    return found;
}

int position(const std::vector<TQelDomainEntry>& dom, const std::string& text)
{
    for (std::size_t i = 0; i < dom.size(); ++i)
        if (dom[i].text == text)
            return static_cast<int>(i);
    return -1;
}

// Domain positions named in a list of entries ("Deutsch, Englisch"); false for an unknown entry.
bool entryPositions(const std::vector<TQelDomainEntry>& dom, const std::string& text, std::vector<int>& out)
{
    for (const std::string& part : SplitString(text, ",;")) {
        const std::string t = Trim(part);
        if (t.empty())
            continue;
        const TQelDomainEntry* e = lookup(dom, t);
        if (!e)
            return false;
        out.push_back(position(dom, e->text));
    }
    return true;
}

// The entries whose position `chosen` admits, joined by ", ".
template <class Pred> std::string joinEntries(const std::vector<TQelDomainEntry>& dom, Pred chosen)
{
    std::string out;
    for (std::size_t i = 0; i < dom.size(); ++i)
        if (chosen(i))
            out += (out.empty() ? "" : ", ") + dom[i].text;
    return out;
}

} // namespace

std::vector<std::string> TQelChoiceField::GetDomain() const
{
    std::vector<std::string> out;
    if (!def_->mandatory)
        out.push_back(NullValue());
    for (const auto& e : def_->Domain())
        out.push_back(e.text);
    return out;
}

bool TQelChoiceField::parse(const std::string& text, TQelValue& out) const
{
    const std::string t = Trim(text);
    if (t.empty()) {
        out = std::monostate {};
        return true;
    }
    const TQelDomainEntry* e = lookup(def_->Domain(), t);
    if (!e)
        return false;
    out = e->text;
    return true;
}

bool TQelChoiceField::DeadEnd(const std::string& text) const
{
    const std::string t = TrimLeft(text);
    if (t.empty())
        return false;
    for (const auto& e : def_->Domain())
        if (TextStartsWithCI(e.text, t) || TextStartsWithCI(e.abbr, t))
            return false;
    return true;
}

int TQelChoiceField::AsIndex() const
{
    const std::string* s = std::get_if<std::string>(&value_);
    if (!s || syntaxError_)
        return def_->mandatory ? -1 : 0;
    int p = position(def_->Domain(), *s);
    if (p < 0)
        return -1;
    return def_->mandatory ? p : p + 1;
}

void TQelChoiceField::set_AsIndex(int index)
{
    const auto& dom = def_->Domain();
    const int p = def_->mandatory ? index : index - 1;
    if (p < 0 || p >= static_cast<int>(dom.size()))
        assign(std::monostate {}, false, {});
    else
        assign(dom[static_cast<std::size_t>(p)].text, false, {});
}

bool TQelChoiceField::InDomain(const std::string& text) const
{
    for (const auto& e : def_->Domain())
        if (AnsiSameText(e.text, text))
            return true;
    return false;
}

std::string TQelChoiceField::Abbr(const std::string& text) const
{
    for (const auto& e : def_->Domain())
        if (AnsiSameText(e.text, text))
            return e.abbr;
    return {};
}

std::string TQelChoiceField::Surface(const std::string& value)
{
    return Trim(value);
}

std::string TQelChoiceField::validateValue() const
{
    const std::string* s = std::get_if<std::string>(&value_);
    if (s && position(def_->Domain(), *s) < 0 && value_ != stored_)
        return "'" + *s + "' ist nicht im Wertebereich";
    return {};
}

// --- bit mask ---------------------------------------------------------------------------------

std::vector<std::string> TQelMultiChoiceField::GetDomain() const
{
    return def_->DomainTexts();
}

bool TQelMultiChoiceField::parse(const std::string& text, TQelValue& out) const
{
    std::vector<int> positions;
    if (!entryPositions(def_->Domain(), text, positions))
        return false;
    std::int64_t mask = 0;
    for (int p : positions)
        mask |= std::int64_t(1) << p;
    out = mask == 0 ? TQelValue {} : TQelValue { mask };
    return true;
}

std::string TQelMultiChoiceField::format(const TQelValue& v) const
{
    const std::int64_t* m = std::get_if<std::int64_t>(&v);
    if (!m)
        return {};
    return joinEntries(
        def_->Domain(), [&](std::size_t i) { return i < 63 && (*m & (std::int64_t(1) << i)); });
}

// --- flag text --------------------------------------------------------------------------------

std::vector<std::string> TQelFlagsField::GetDomain() const
{
    return def_->DomainTexts();
}

std::string TQelFlagsField::ValueAsFlags() const
{
    const std::size_t n = def_->Domain().size();
    std::string flags(n, '.');
    if (const std::string* s = std::get_if<std::string>(&value_))
        for (std::size_t i = 0; i < n && i < s->size(); ++i)
            flags[i] = ((*s)[i] == 'X' || (*s)[i] == 'x') ? 'X' : '.';
    return flags;
}

void TQelFlagsField::set_ValueAsFlags(const std::string& flags)
{
    const std::size_t n = def_->Domain().size();
    std::string f(n, '.');
    bool any = false;
    for (std::size_t i = 0; i < n && i < flags.size(); ++i)
        if (flags[i] == 'X' || flags[i] == 'x') {
            f[i] = 'X';
            any = true;
        }
    assign(any ? TQelValue { f } : TQelValue {}, false, {});
}

bool TQelFlagsField::parse(const std::string& text, TQelValue& out) const
{
    std::vector<int> positions;
    if (!entryPositions(def_->Domain(), text, positions))
        return false;
    std::string f(def_->Domain().size(), '.');
    for (int p : positions)
        f[static_cast<std::size_t>(p)] = 'X';
    out = positions.empty() ? TQelValue {} : TQelValue { f };
    return true;
}

std::string TQelFlagsField::format(const TQelValue& v) const
{
    const std::string* s = std::get_if<std::string>(&v);
    if (!s)
        return {};
    return joinEntries(def_->Domain(), [&](std::size_t i) { return i < s->size() && (*s)[i] == 'X'; });
}
