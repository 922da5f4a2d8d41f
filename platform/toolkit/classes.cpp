#include "toolkit/classes.h"

#include <QCollator>
#include <QString>
#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

QString Q(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Order by the German collation (umlauts beside their vowels); texts equal but for case are
// equal unless case counts. Ties of the collation fall back to code points, so the order stays
// total and agrees with equality.
int CompareText(const std::string& a, const std::string& b, bool caseSensitive)
{
    const QString qa = Q(a), qb = Q(b);
    const Qt::CaseSensitivity cs = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const int exact = QString::compare(qa, qb, cs);
    if (exact == 0)
        return 0;
    static thread_local QCollator collators[2] = { QCollator(QLocale(QLocale::German, QLocale::Germany)),
        QCollator(QLocale(QLocale::German, QLocale::Germany)) };
    QCollator& collator = collators[caseSensitive ? 1 : 0];
    collator.setCaseSensitivity(cs);
    const int c = collator.compare(qa, qb);
    return c != 0 ? (c < 0 ? -1 : 1) : (exact < 0 ? -1 : 1);
}

} // namespace

void TStrings::Put(int index, const std::string& s)
{
    TObject* o = GetObject(index);
    Delete(index);
    InsertObject(index, s, o);
}

TObject* TStrings::GetObject(int) const
{
    return nullptr;
}

void TStrings::PutObject(int, TObject*)
{
}

int TStrings::AddObject(const std::string& s, TObject* object)
{
    const int index = Count();
    InsertObject(index, s, object);
    return index;
}

void TStrings::Exchange(int a, int b)
{
    const std::string sa = Get(a);
    TObject* oa = GetObject(a);
    Put(a, Get(b));
    PutObject(a, GetObject(b));
    Put(b, sa);
    PutObject(b, oa);
}

void TStrings::Move(int from, int to)
{
    if (from == to)
        return;
    const std::string s = Get(from);
    TObject* o = GetObject(from);
    BeginUpdate();
    Delete(from);
    InsertObject(to, s, o);
    EndUpdate();
}

int TStrings::CompareStrings(const std::string& a, const std::string& b) const
{
    return CompareText(a, b, caseSensitive_);
}

int TStrings::IndexOf(const std::string& s) const
{
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(Get(i), s) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfObject(const TObject* object) const
{
    for (int i = 0; i < Count(); ++i)
        if (GetObject(i) == object)
            return i;
    return -1;
}

std::string TStrings::Names(int index) const
{
    const std::string s = Get(index);
    const size_t p = s.find('=');
    return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStrings::ValueFromIndex(int index) const
{
    const std::string s = Get(index);
    const size_t p = s.find('=');
    return p == std::string::npos ? std::string() : s.substr(p + 1);
}

int TStrings::IndexOfName(const std::string& name) const
{
    for (int i = 0; i < Count(); ++i) {
        const std::string s = Get(i);
        const size_t p = s.find('=');
        if (p != std::string::npos && CompareStrings(s.substr(0, p), name) == 0)
            return i;
    }
    return -1;
}

std::string TStrings::Values(const std::string& name) const
{
    const int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStrings::SetValue(const std::string& name, const std::string& value)
{
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0)
            Delete(i);
        return;
    }
    if (i >= 0)
        Put(i, name + "=" + value);
    else
        Add(name + "=" + value);
}

std::string TStrings::Text() const
{
    std::string text;
    for (int i = 0; i < Count(); ++i) {
        text += Get(i);
        text += '\n';
    }
    return text;
}

void TStrings::SetText(const std::string& text)
{
    BeginUpdate();
    Clear();
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        Add(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        Add(text.substr(start));
    EndUpdate();
}

std::string TStrings::DelimitedText(char delimiter, char quote, bool strict) const
{
    if (Count() == 1 && Get(0).empty())
        return std::string(2, quote);
    std::string out;
    for (int i = 0; i < Count(); ++i) {
        const std::string s = Get(i);
        bool needsQuote = s.empty() && !strict;
        for (unsigned char c : s)
            if (c == static_cast<unsigned char>(delimiter) || c == static_cast<unsigned char>(quote)
                || (!strict && c <= ' '))
                needsQuote = true;
        if (i > 0)
            out += delimiter;
        if (!needsQuote) {
            out += s;
            continue;
        }
        out += quote;
        for (char c : s) {
            out += c;
            if (c == quote)
                out += quote;
        }
        out += quote;
    }
    return out;
}

void TStrings::SetDelimitedText(const std::string& text, char delimiter, char quote, bool strict)
{
    auto blank = [&](size_t i) {
        return i < text.size() && static_cast<unsigned char>(text[i]) <= ' ' && text[i] != 0 && !strict;
    };
    BeginUpdate();
    Clear();
    size_t p = 0;
    while (blank(p))
        ++p;
    while (p < text.size()) {
        std::string item;
        if (text[p] == quote) {
            ++p;
            while (p < text.size()) {
                if (text[p] == quote) {
                    if (p + 1 < text.size() && text[p + 1] == quote) {
                        item += quote;
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += text[p++];
            }
        } else {
            const size_t start = p;
            while (p < text.size() && text[p] != delimiter
                && (strict || static_cast<unsigned char>(text[p]) > ' '))
                ++p;
            item = text.substr(start, p - start);
        }
        Add(item);
        while (blank(p))
            ++p;
        if (p < text.size() && text[p] == delimiter) {
            if (p + 1 == text.size())
                Add(std::string());
            ++p;
            while (blank(p))
                ++p;
        }
    }
    EndUpdate();
}

void TStrings::Assign(const TStrings& source)
{
    if (&source == this)
        return;
    BeginUpdate();
    Clear();
    AddStrings(source);
    EndUpdate();
}

void TStrings::AddStrings(const TStrings& source)
{
    BeginUpdate();
    for (int i = 0; i < source.Count(); ++i)
        AddObject(source.Get(i), source.GetObject(i));
    EndUpdate();
}

bool TStrings::Equals(const TStrings& other) const
{
    if (Count() != other.Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (Get(i) != other.Get(i))
            return false;
    return true;
}

std::vector<std::string> TStrings::ToVector() const
{
    std::vector<std::string> v;
    v.reserve(static_cast<size_t>(Count()));
    for (int i = 0; i < Count(); ++i)
        v.push_back(Get(i));
    return v;
}

bool TStrings::LoadFromFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buf;
    buf << in.rdbuf();
    std::string text = buf.str();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    SetText(text);
    return true;
}

bool TStrings::SaveToFile(const std::string& path) const
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out << Text();
    return static_cast<bool>(out);
}

void TStrings::BeginUpdate()
{
    if (updateCount_++ == 0)
        SetUpdateState(true);
}

void TStrings::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        SetUpdateState(false);
}

void TStrings::SetUpdateState(bool)
{
}

TStringList::~TStringList()
{
    OnChange = nullptr;
    OnChanging = nullptr;
    Clear();
}

void TStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw EStringListError("Listenindex überschreitet das Maximum (" + std::to_string(index) + ")");
}

std::string TStringList::Get(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].text;
}

void TStringList::Put(int index, const std::string& s)
{
    if (sorted_)
        throw EStringListError("Operation nicht zulässig bei sortierter Liste");
    CheckIndex(index);
    Changing();
    items_[static_cast<size_t>(index)].text = s;
    Changed();
}

TObject* TStringList::GetObject(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].object;
}

void TStringList::PutObject(int index, TObject* object)
{
    CheckIndex(index);
    Changing();
    items_[static_cast<size_t>(index)].object = object;
    Changed();
}

int TStringList::AddObject(const std::string& s, TObject* object)
{
    int index = Count();
    if (sorted_) {
        if (Find(s, index)) {
            if (duplicates_ == dupIgnore)
                return index;
            if (duplicates_ == dupError)
                throw EStringListError("Stringliste erlaubt keine Duplikate");
        }
    }
    Changing();
    items_.insert(items_.begin() + index, Item { s, object });
    Changed();
    return index;
}

void TStringList::InsertObject(int index, const std::string& s, TObject* object)
{
    if (sorted_)
        throw EStringListError("Operation nicht zulässig bei sortierter Liste");
    if (index < 0 || index > Count())
        throw EStringListError("Listenindex überschreitet das Maximum (" + std::to_string(index) + ")");
    Changing();
    items_.insert(items_.begin() + index, Item { s, object });
    Changed();
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    Changing();
    TObject* o = items_[static_cast<size_t>(index)].object;
    items_.erase(items_.begin() + index);
    if (ownsObjects_)
        delete o;
    Changed();
}

void TStringList::Clear()
{
    if (items_.empty())
        return;
    Changing();
    std::vector<Item> old;
    old.swap(items_);
    if (ownsObjects_)
        for (auto& item : old)
            delete item.object;
    Changed();
}

void TStringList::Exchange(int a, int b)
{
    CheckIndex(a);
    CheckIndex(b);
    Changing();
    std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]);
    Changed();
}

int TStringList::IndexOf(const std::string& s) const
{
    if (!sorted_)
        return TStrings::IndexOf(s);
    int index = 0;
    return Find(s, index) ? index : -1;
}

bool TStringList::Find(const std::string& s, int& index) const
{
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = CompareStrings(items_[static_cast<size_t>(mid)].text, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (duplicates_ != dupAccept)
                    lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

void TStringList::Sort()
{
    CustomSort([](const TStringList& list, int a, int b) {
        return list.CompareStrings(
            list.items_[static_cast<size_t>(a)].text, list.items_[static_cast<size_t>(b)].text);
    });
}

void TStringList::CustomSort(const std::function<int(const TStringList&, int, int)>& compare)
{
    if (Count() < 2)
        return;
    Changing();
    // Sort an index permutation so the compare function sees the current positions.
    std::vector<int> order(items_.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int i : order)
        sorted.push_back(items_[static_cast<size_t>(i)]);
    items_.swap(sorted);
    Changed();
}

void TStringList::SetSorted(bool v)
{
    if (sorted_ == v)
        return;
    if (v)
        Sort();
    sorted_ = v;
}

void TStringList::SetCaseSensitive(bool v)
{
    if (v == CaseSensitive())
        return;
    TStrings::SetCaseSensitive(v);
    if (sorted_)
        Sort();
}

void TStringList::Changed()
{
    if (UpdateCount() > 0) {
        changedInUpdate_ = true;
        return;
    }
    OnChange(this);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0)
        OnChanging(this);
}

void TStringList::SetUpdateState(bool updating)
{
    if (updating) {
        changedInUpdate_ = false;
        OnChanging(this);
    } else if (changedInUpdate_) {
        changedInUpdate_ = false;
        OnChange(this);
    }
}
