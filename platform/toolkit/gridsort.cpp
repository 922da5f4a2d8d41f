#include "toolkit/gridsort.h"

#include "toolkit/minihtml.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <numeric>

namespace qel::grid {
namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool readInt(std::string_view& s, int maxDigits, int& value)
{
    int n = 0;
    value = 0;
    while (n < maxDigits && !s.empty() && std::isdigit(static_cast<unsigned char>(s.front()))) {
        value = value * 10 + (s.front() - '0');
        s.remove_prefix(1);
        ++n;
    }
    return n > 0;
}

bool expect(std::string_view& s, char c)
{
    if (s.empty() || s.front() != c)
        return false;
    s.remove_prefix(1);
    return true;
}

// Rows grouped into blocks that move as one: a top-level node with its rows, or a single row.
struct Block {
    int first;
    int count;
};

std::vector<Block> blocksOf(const GridStore& store, int first, int end)
{
    std::vector<Block> blocks;
    if (store.nodeCount() == 0) {
        blocks.resize(static_cast<std::size_t>(std::max(0, end - first)));
        for (std::size_t i = 0; i < blocks.size(); ++i)
            blocks[i] = { first + static_cast<int>(i), 1 };
        return blocks;
    }
    blocks.reserve(static_cast<std::size_t>(std::max(0, end - first)));
    for (int r = first; r < end;) {
        const int span = std::clamp(store.nodeSpan(r), 1, end - r);
        blocks.push_back({ r, span });
        r += span;
    }
    return blocks;
}

enum class KeyKind { Number, Text, Raw };

TSortStyle automaticStyle(const GridStore& store, const std::vector<Block>& blocks, int col)
{
    bool numbers = true, dates = true, any = false;
    for (const auto& b : blocks) {
        const auto text = trim(store.text(col, b.first));
        if (text.empty())
            continue;
        any = true;
        numbers = numbers && ParseNumber(text).has_value();
        dates = dates && ParseDate(text).has_value();
        if (!numbers && !dates)
            break;
    }
    if (any && numbers)
        return ssNumeric;
    if (any && dates)
        return ssDate;
    return ssAlphaNoCase;
}

} // namespace

std::optional<double> ParseNumber(std::string_view text)
{
    std::string s;
    std::string stripped;
    if (minihtml::IsMarkup(text)) {
        stripped = minihtml::Strip(text);
        text = stripped;
    }
    const auto t = trim(text);
    if (t.empty())
        return std::nullopt;
    const bool germanDecimal = t.find(',') != std::string_view::npos;
    for (char c : t) {
        if (c == ' ' || (germanDecimal && c == '.'))
            continue; // thousands separator
        s += (germanDecimal && c == ',') ? '.' : c;
    }
    double value = 0;
    const auto* begin = s.data();
    const auto* end = s.data() + s.size();
    if (!s.empty() && s.front() == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> ParseDate(std::string_view text, bool usDate)
{
    std::string_view s = trim(text);
    int day = 0, month = 0, year = 0;
    if (s.size() >= 10 && s[4] == '-') {
        if (!readInt(s, 4, year) || !expect(s, '-') || !readInt(s, 2, month) || !expect(s, '-')
            || !readInt(s, 2, day))
            return std::nullopt;
    } else if (usDate) {
        if (!readInt(s, 2, month) || !expect(s, '/') || !readInt(s, 2, day) || !expect(s, '/')
            || !readInt(s, 4, year))
            return std::nullopt;
    } else {
        if (!readInt(s, 2, day) || !expect(s, '.') || !readInt(s, 2, month) || !expect(s, '.')
            || !readInt(s, 4, year))
            return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    int hour = 0, minute = 0, second = 0;
    if (!s.empty() && (s.front() == ' ' || s.front() == 'T')) {
        s.remove_prefix(1);
        if (!readInt(s, 2, hour) || !expect(s, ':') || !readInt(s, 2, minute))
            return std::nullopt;
        if (expect(s, ':') && !readInt(s, 2, second))
            return std::nullopt;
    }
    if (!trim(s).empty() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return ((year * 16.0 + month) * 32.0 + day) * 86400.0 + hour * 3600.0 + minute * 60.0 + second;
}

namespace {

struct Entry {
    std::int64_t key;
    int block;
};

// Asks SortRequest::proceed once every thousand steps or so; stays false once it said stop.
class Pacer {
public:
    explicit Pacer(const std::function<bool()>& proceed)
        : proceed_(proceed)
    {
    }
    bool tick()
    {
        if (!proceed_ || (++steps_ & 0x3FF) != 0)
            return going_;
        going_ = going_ && proceed_();
        return going_;
    }
    bool going() const { return going_; }

private:
    const std::function<bool()>& proceed_;
    unsigned steps_ = 0;
    bool going_ = true;
};

// Stable sort by key: a radix sort over as many 11-bit digits as the keys' span needs.
bool stableSortByKey(std::vector<Entry>& entries, bool descending, Pacer& pace)
{
    if (entries.size() < 2)
        return true;
    const auto [lo, hi] = std::minmax_element(
        entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
    // Offsets from the smallest (or, descending, from the largest) key, in unsigned arithmetic: no
    // span overflows.
    const auto min = static_cast<std::uint64_t>(lo->key), max = static_cast<std::uint64_t>(hi->key);
    auto digitOf = [&](const Entry& e, int shift) {
        const auto k = static_cast<std::uint64_t>(e.key);
        return static_cast<std::size_t>(((descending ? max - k : k - min) >> shift) & 0x7FF);
    };
    std::vector<Entry> other(entries.size());
    const std::uint64_t span = max - min;
    for (int shift = 0; shift < 64 && (span >> shift) != 0; shift += 11) {
        std::size_t counts[2049] = {};
        for (const Entry& e : entries) {
            ++counts[digitOf(e, shift) + 1];
            if (!pace.tick())
                return false;
        }
        for (std::size_t d = 1; d < 2049; ++d)
            counts[d] += counts[d - 1];
        for (const Entry& e : entries) {
            other[counts[digitOf(e, shift)]++] = e;
            if (!pace.tick())
                return false;
        }
        entries.swap(other);
    }
    return true;
}

void finish(const std::vector<Entry>& entries, std::vector<int>& idx)
{
    for (std::size_t i = 0; i < entries.size(); ++i)
        idx[i] = entries[i].block;
}

// A row of a run of equal numbers with its tie key: the bytes past the run's common beginning,
// the first eight of them as a number (zero-filled), so that most comparisons need one step.
struct Tied {
    std::uint64_t head;
    std::string_view rest;
    Entry entry;
};

bool tiedBefore(const Tied& a, const Tied& b)
{
    // Heads that differ order as the bytes do: an ended key's zeros sort before any byte of a
    // longer key that shares its beginning, as the shorter key does.
    return a.head != b.head ? a.head < b.head : a.rest < b.rest;
}

// Sorts entries [first, last) (equal numbers) by their tie keys, stable.
template <class TieOf>
void sortRun(std::vector<Entry>& entries, std::size_t first, std::size_t last, const TieOf& tie,
    bool descending, std::vector<Tied>& run)
{
    const std::string_view lead = tie(entries[first]);
    std::size_t common = lead.size();
    bool allEqual = true;
    for (std::size_t k = first + 1; k < last; ++k) {
        const std::string_view t = tie(entries[k]);
        allEqual = allEqual && t == lead;
        const std::size_t n = std::min(common, t.size());
        std::size_t i = 0;
        while (i < n && t[i] == lead[i])
            ++i;
        common = i;
    }
    // A run of equal tie keys (the same text again and again) needs no sorting.
    if (allEqual)
        return;
    run.clear();
    for (std::size_t k = first; k < last; ++k) {
        const std::string_view rest = tie(entries[k]).substr(common);
        std::uint64_t head = 0;
        for (std::size_t i = 0; i < 8; ++i)
            head = (head << 8) | (i < rest.size() ? static_cast<unsigned char>(rest[i]) : 0u);
        run.push_back({ head, rest, entries[k] });
    }
    if (descending)
        std::stable_sort(
            run.begin(), run.end(), [](const Tied& a, const Tied& b) { return tiedBefore(b, a); });
    else
        std::stable_sort(run.begin(), run.end(), tiedBefore);
    for (std::size_t k = first; k < last; ++k)
        entries[k] = run[k - first].entry;
}

// The collation-key sort of SortOrder: by the numbers, then each run of equal numbers by the tie
// keys of its rows, all gathered in one buffer.
bool sortByKeys(const SortRequest& req, const std::vector<Block>& blocks, std::vector<int>& idx, Pacer& pace)
{
    std::vector<Entry> entries(blocks.size());
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        entries[i] = { req.sortKey(blocks[i].first), static_cast<int>(i) };
        if (!pace.tick())
            return false;
    }
    if (!stableSortByKey(entries, req.descending, pace))
        return false;
    if (!req.tieKey) {
        finish(entries, idx);
        return true;
    }
    // The tie keys of every row in a run of equal numbers, taken in row order (the rows' texts
    // are read front to back, not in the scattered order of the runs).
    std::vector<std::uint8_t> tied(blocks.size(), 0);
    std::size_t tiedCount = 0;
    for (std::size_t k = 1; k < entries.size(); ++k) {
        if (entries[k].key == entries[k - 1].key) {
            for (const std::size_t b : { static_cast<std::size_t>(entries[k].block),
                     static_cast<std::size_t>(entries[k - 1].block) })
                if (!tied[b]) {
                    tied[b] = 1;
                    ++tiedCount;
                }
        }
        if (!pace.tick())
            return false;
    }
    if (tiedCount == 0) {
        finish(entries, idx);
        return true;
    }
    std::string ties;
    ties.reserve(tiedCount * 40);
    std::vector<std::size_t> begin(blocks.size(), 0), end(blocks.size(), 0);
    for (std::size_t i = 0; i < blocks.size(); ++i)
        if (tied[i]) {
            begin[i] = ties.size();
            req.tieKey(blocks[i].first, ties);
            end[i] = ties.size();
            if (!pace.tick())
                return false;
        }
    auto tie = [&](const Entry& e) {
        const auto i = static_cast<std::size_t>(e.block);
        return std::string_view(ties).substr(begin[i], end[i] - begin[i]);
    };
    constexpr std::size_t kTieAhead = 32;
    std::vector<Tied> run;
    for (std::size_t first = 0; first < entries.size();) {
        std::size_t last = first + 1;
        while (last < entries.size() && entries[last].key == entries[first].key)
            ++last;
        // The tie keys of the rows a little ahead are asked of the memory before they are read:
        // where they lie, then (nearer) their bytes.
        for (std::size_t k = first; k < last; ++k) {
            if (k + 2 * kTieAhead < entries.size()) {
                const auto b = static_cast<std::size_t>(entries[k + 2 * kTieAhead].block);
                __builtin_prefetch(&begin[b]);
                __builtin_prefetch(&end[b]);
            }
            if (k + kTieAhead < entries.size())
                __builtin_prefetch(
                    ties.data() + begin[static_cast<std::size_t>(entries[k + kTieAhead].block)]);
        }
        if (last - first > 1)
            sortRun(entries, first, last, tie, req.descending, run);
        for (std::size_t k = first; k < last; ++k)
            if (!pace.tick())
                return false;
        first = last;
    }
    finish(entries, idx);
    return true;
}

} // namespace

std::vector<int> SortOrder(const GridStore& store, const SortRequest& req)
{
    const int first = std::max(0, req.firstRow);
    const int end = std::min(store.rowCount(), req.endRow);
    const auto blocks = blocksOf(store, first, end);
    Pacer pace(req.proceed);
    std::vector<int> idx(blocks.size());
    std::iota(idx.begin(), idx.end(), 0);

    TSortStyle style = req.style;
    if (style == ssAutomatic)
        style = automaticStyle(store, blocks, req.col);
    KeyKind kind = KeyKind::Text;
    bool usDate = false;
    switch (style) {
    case ssNumeric:
    case ssFinancial:
        kind = KeyKind::Number;
        break;
    case ssShortDateUS:
        usDate = true;
        [[fallthrough]];
    case ssDate:
    case ssShortDateEU:
        kind = KeyKind::Number;
        break;
    case ssRaw:
    case ssCustom:
        kind = req.rawCompare ? KeyKind::Raw : KeyKind::Text;
        break;
    case ssUnsorted:
        break;
    default:
        break;
    }

    if (style != ssUnsorted && blocks.size() > 1) {
        const int sign = req.descending ? -1 : 1;
        if (kind == KeyKind::Number) {
            // Cells that are no number or date sort before all others.
            std::vector<double> keys(blocks.size());
            for (std::size_t i = 0; i < blocks.size(); ++i) {
                const auto& t = store.text(req.col, blocks[i].first);
                const auto v
                    = style == ssNumeric || style == ssFinancial ? ParseNumber(t) : ParseDate(t, usDate);
                keys[i] = v ? *v : -HUGE_VAL;
            }
            std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) {
                return req.descending ? keys[static_cast<std::size_t>(b)] < keys[static_cast<std::size_t>(a)]
                                      : keys[static_cast<std::size_t>(a)] < keys[static_cast<std::size_t>(b)];
            });
        } else if (kind == KeyKind::Raw && req.sortKey) {
            if (!sortByKeys(req, blocks, idx, pace))
                return {};
        } else if (kind == KeyKind::Raw) {
            std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) {
                return sign
                    * req.rawCompare(
                        blocks[static_cast<std::size_t>(a)].first, blocks[static_cast<std::size_t>(b)].first)
                    < 0;
            });
        } else if (style == ssAlphabetic) {
            std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) {
                const auto& ta = store.text(req.col, blocks[static_cast<std::size_t>(a)].first);
                const auto& tb = store.text(req.col, blocks[static_cast<std::size_t>(b)].first);
                return sign * ta.compare(tb) < 0;
            });
        } else {
            QCollator collator { QLocale(QLocale::German, QLocale::Germany) };
            const bool caseSensitive = style == ssAlphaCase || style == ssAnsiAlphaCase;
            collator.setCaseSensitivity(caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
            collator.setNumericMode(false);
            std::vector<QCollatorSortKey> keys;
            keys.reserve(blocks.size());
            for (const auto& b : blocks)
                keys.push_back(
                    collator.sortKey(QString::fromUtf8(minihtml::Strip(store.text(req.col, b.first)))));
            std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) {
                return sign * keys[static_cast<std::size_t>(a)].compare(keys[static_cast<std::size_t>(b)])
                    < 0;
            });
        }
    }

    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(std::max(0, end - first)));
    for (int i : idx) {
        const auto& b = blocks[static_cast<std::size_t>(i)];
        for (int k = 0; k < b.count; ++k)
            order.push_back(b.first + k);
        if (!pace.tick())
            return {};
    }
    return order;
}

void ApplyOrder(GridStore& store, int firstRow, const std::vector<int>& order,
    const std::function<void(int a, int b)>& onSwap)
{
    store.permuteRows(firstRow, order);
    if (onSwap)
        ReplaySwaps(firstRow, order, onSwap);
}

void ReplaySwaps(int firstRow, const std::vector<int>& order, const std::function<void(int a, int b)>& onSwap)
{
    // pos[row] = where the row currently is; at[p] = which original row is at position p.
    const int n = static_cast<int>(order.size());
    std::vector<int> pos(static_cast<std::size_t>(n)), at(static_cast<std::size_t>(n));
    std::iota(pos.begin(), pos.end(), 0);
    std::iota(at.begin(), at.end(), 0);
    for (int target = 0; target < n; ++target) {
        const int wanted = order[static_cast<std::size_t>(target)] - firstRow;
        const int from = pos[static_cast<std::size_t>(wanted)];
        if (from == target)
            continue;
        onSwap(firstRow + target, firstRow + from);
        const int displaced = at[static_cast<std::size_t>(target)];
        std::swap(at[static_cast<std::size_t>(target)], at[static_cast<std::size_t>(from)]);
        pos[static_cast<std::size_t>(displaced)] = from;
        pos[static_cast<std::size_t>(wanted)] = target;
    }
}

} // namespace qel::grid
