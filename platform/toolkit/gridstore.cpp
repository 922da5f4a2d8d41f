#include "toolkit/gridstore.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <limits>
#include <new>
#include <stdexcept>

namespace qel::grid {
namespace {

std::uint32_t load32(const char* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void store32(char* p, std::uint32_t v)
{
    std::memcpy(p, &v, sizeof v);
}

constexpr std::size_t kWord = sizeof(std::uint32_t);

// A block for `count` cells of `chars` text bytes in all, its count set.
char* allocateRow(int count, std::size_t chars)
{
    char* data = static_cast<char*>(std::malloc(kWord * (1 + static_cast<std::size_t>(count)) + chars));
    if (!data)
        throw std::bad_alloc();
    store32(data, static_cast<std::uint32_t>(count));
    return data;
}

} // namespace

// ---- RowTexts ---------------------------------------------------------------------------------

GridStore::RowTexts::RowTexts(const RowTexts& other)
{
    if (other.count() > 0) {
        const std::size_t n = other.bytes();
        data_ = static_cast<char*>(std::malloc(n));
        if (!data_)
            throw std::bad_alloc();
        std::memcpy(data_, other.data_, n);
    }
}

GridStore::RowTexts& GridStore::RowTexts::operator=(const RowTexts& other)
{
    if (this == &other)
        return *this;
    if (other.count() == 0) {
        clear();
    } else if (data_ && bytes() == other.bytes()) {
        std::memcpy(data_, other.data_, other.bytes()); // a block of the same size serves again
    } else {
        RowTexts copy(other);
        std::swap(data_, copy.data_);
    }
    return *this;
}

GridStore::RowTexts::~RowTexts()
{
    std::free(data_);
}

int GridStore::RowTexts::count() const
{
    return data_ ? static_cast<int>(load32(data_)) : 0;
}

std::size_t GridStore::RowTexts::bytes() const
{
    const std::size_t n = load32(data_);
    // An emptied block keeps its size where the first end offset was.
    return n == 0 ? load32(data_ + kWord) : kWord * (1 + n) + load32(data_ + kWord * n);
}

std::string_view GridStore::RowTexts::text(int col) const
{
    if (col < 0 || col >= count())
        return {};
    const std::size_t n = load32(data_);
    const char* ends = data_ + kWord;
    const std::uint32_t from = col > 0 ? load32(ends + kWord * static_cast<std::size_t>(col - 1)) : 0;
    const std::uint32_t to = load32(ends + kWord * static_cast<std::size_t>(col));
    return { data_ + kWord * (1 + n) + from, to - from };
}

void GridStore::RowTexts::assign(int col, std::string_view text)
{
    if (col < 0)
        return;
    const int n = count();
    if (col < n) {
        const std::string_view old = this->text(col);
        if (old.size() == text.size()) {
            if (!text.empty())
                std::memmove(const_cast<char*>(old.data()), text.data(), text.size());
            return;
        }
    } else if (text.empty()) {
        return;
    }
    // A new block from the old one's texts (which stay readable until it is swapped in).
    const int cells = std::max(n, col + 1);
    std::array<std::string_view, 16> few;
    std::vector<std::string_view> many;
    std::string_view* texts = few.data();
    if (cells > static_cast<int>(few.size())) {
        many.resize(static_cast<std::size_t>(cells));
        texts = many.data();
    }
    for (int c = 0; c < cells; ++c)
        texts[c] = c == col ? text : this->text(c);
    RowTexts next;
    next.assignAll(texts, cells);
    std::swap(data_, next.data_);
}

void GridStore::RowTexts::assignAll(const std::string_view* texts, int count)
{
    while (count > 0 && texts[count - 1].empty())
        --count;
    if (count == 0) {
        clear();
        return;
    }
    std::size_t chars = 0;
    for (int c = 0; c < count; ++c)
        chars += texts[c].size();
    if (chars > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("row texts too long");
    // The block is written over in place when the texts fill it exactly and none of them lies
    // inside it (a text moved within its own row would be overwritten before it is read).
    bool inPlace = data_ && bytes() == kWord * (1 + static_cast<std::size_t>(count)) + chars;
    for (int c = 0; c < count && inPlace; ++c)
        inPlace = texts[c].empty() || std::less<const char*>()(texts[c].data(), data_)
            || !std::less<const char*>()(texts[c].data(), data_ + bytes());
    char* data = inPlace ? data_ : allocateRow(count, chars);
    store32(data, static_cast<std::uint32_t>(count));
    char* ends = data + kWord;
    char* out = ends + kWord * static_cast<std::size_t>(count);
    std::uint32_t end = 0;
    for (int c = 0; c < count; ++c) {
        const std::string_view t = texts[c];
        if (!t.empty())
            std::memmove(out + end, t.data(), t.size());
        end += static_cast<std::uint32_t>(t.size());
        store32(ends + kWord * static_cast<std::size_t>(c), end);
    }
    if (data != data_) {
        std::free(data_);
        data_ = data;
    }
}

void GridStore::RowTexts::truncate(int count)
{
    const int n = this->count();
    if (count >= n)
        return;
    std::vector<std::string_view> texts(static_cast<std::size_t>(std::max(count, 0)));
    for (int c = 0; c < count; ++c)
        texts[static_cast<std::size_t>(c)] = text(c);
    RowTexts next;
    next.assignAll(texts.data(), static_cast<int>(texts.size()));
    std::swap(data_, next.data_);
}

void GridStore::RowTexts::clear()
{
    std::free(std::exchange(data_, nullptr));
}

void GridStore::RowTexts::empty()
{
    if (count() > 0) {
        const std::size_t size = bytes();
        store32(data_, 0);
        store32(data_ + kWord, static_cast<std::uint32_t>(size));
    }
}

// ---- GridStore --------------------------------------------------------------------------------

GridStore::GridStore() = default;

void GridStore::setColCount(int count)
{
    count = std::max(0, count);
    if (count == cols_)
        return;
    const int oldCols = cols_;
    cols_ = count;
    ++contentVersion_;
    colMeta_.resize(static_cast<std::size_t>(count), ColMeta { defaultColWidth_ });
    if (count < oldCols) {
        std::erase_if(merges_, [count](const Merge& m) { return m.col >= count; });
        for (auto& m : merges_)
            m.spanX = std::min(m.spanX, count - m.col);
        for (auto& meta : rowMeta_) {
            meta.texts.truncate(count);
            if (meta.extra) {
                std::erase_if(meta.extra->cellStyles, [count](const auto& p) { return p.first >= count; });
                if (meta.extra->objects.size() > static_cast<std::size_t>(count))
                    meta.extra->objects.resize(static_cast<std::size_t>(count));
            }
        }
    }
}

void GridStore::setRowCount(int count)
{
    count = std::max(0, count);
    if (count > rows_)
        insertRows(rows_, count - rows_);
    else if (count < rows_)
        removeRows(count, rows_ - count);
}

void GridStore::reserveRows(int count)
{
    rowMeta_.reserve(static_cast<std::size_t>(std::max(0, count)));
}

std::string_view GridStore::text(int col, int row) const
{
    return validCell(col, row) ? rowMeta_[static_cast<std::size_t>(row)].texts.text(col) : std::string_view();
}

void GridStore::assignText(int col, int row, std::string_view text)
{
    if (validCell(col, row)) {
        rowMeta_[static_cast<std::size_t>(row)].texts.assign(col, text);
        ++contentVersion_;
    }
}

void GridStore::assignRow(int row, const std::string_view* texts, int count)
{
    if (row >= 0 && row < rows_) {
        rowMeta_[static_cast<std::size_t>(row)].texts.assignAll(texts, std::clamp(count, 0, cols_));
        ++contentVersion_;
    }
}

GridStore::Snapshot GridStore::snapshot() const
{
    Snapshot s;
    s.cols_ = cols_;
    s.rows_ = rows_;
    s.widths_.reserve(colMeta_.size());
    for (const ColMeta& m : colMeta_)
        s.widths_.push_back(m.width);
    s.texts_.reserve(rowMeta_.size());
    for (const RowMeta& meta : rowMeta_)
        s.texts_.push_back(meta.texts);
    return s;
}

void GridStore::restore(const Snapshot& s)
{
    merges_.clear();
    // Rows that stay keep their blocks (a block of the same size takes the copy).
    rowMeta_.resize(static_cast<std::size_t>(s.rows_));
    for (std::size_t r = 0; r < rowMeta_.size(); ++r) {
        RowMeta& meta = rowMeta_[r];
        meta.texts = s.texts_[r];
        meta.extra.reset();
        meta.hidden = meta.selected = false;
    }
    selectedCount_ = nodeCount_ = hiddenRowCount_ = 0;
    colMeta_.assign(static_cast<std::size_t>(s.cols_), ColMeta { defaultColWidth_ });
    for (int c = 0; c < s.cols_; ++c)
        colMeta_[static_cast<std::size_t>(c)].width = s.widths_[static_cast<std::size_t>(c)];
    cols_ = s.cols_;
    rows_ = s.rows_;
    invalidateLayout();
}

void* GridStore::object(int col, int row) const
{
    if (!validCell(col, row))
        return nullptr;
    const RowExtra* extra = rowMeta_[static_cast<std::size_t>(row)].extra.get();
    return extra && static_cast<std::size_t>(col) < extra->objects.size()
        ? extra->objects[static_cast<std::size_t>(col)]
        : nullptr;
}

void GridStore::setObject(int col, int row, void* object)
{
    if (!validCell(col, row))
        return;
    RowMeta& meta = rowMeta_[static_cast<std::size_t>(row)];
    if (!object && (!meta.extra || static_cast<std::size_t>(col) >= meta.extra->objects.size()))
        return;
    auto& objects = meta.more().objects;
    if (static_cast<std::size_t>(col) >= objects.size())
        objects.resize(static_cast<std::size_t>(col) + 1, nullptr);
    objects[static_cast<std::size_t>(col)] = object;
}

void GridStore::clearCells()
{
    // The rows keep their blocks: a list read again, mostly of the same lengths, writes into them.
    ++contentVersion_;
    for (auto& meta : rowMeta_) {
        meta.texts.empty();
        if (meta.extra)
            meta.extra->objects.clear();
    }
}

void GridStore::clearRows(int first, int count)
{
    const int last = std::min(rows_, first + count);
    ++contentVersion_;
    for (int r = std::max(0, first); r < last; ++r) {
        RowMeta& meta = rowMeta_[static_cast<std::size_t>(r)];
        meta.texts.clear();
        if (meta.extra)
            meta.extra->objects.clear();
    }
}

void GridStore::insertRows(int at, int count)
{
    at = std::clamp(at, 0, rows_);
    if (count <= 0)
        return;
    if (at == rows_) {
        rowMeta_.resize(rowMeta_.size() + static_cast<std::size_t>(count));
    } else {
        std::vector<RowMeta> fresh(static_cast<std::size_t>(count));
        rowMeta_.insert(rowMeta_.begin() + at, std::make_move_iterator(fresh.begin()),
            std::make_move_iterator(fresh.end()));
    }
    rows_ += count;
    for (auto& m : merges_)
        if (m.row >= at)
            m.row += count;
    // A node that spans the insertion point grows with it.
    if (nodeCount_ > 0)
        for (int r = 0; r < at; ++r) {
            auto& meta = rowMeta_[static_cast<std::size_t>(r)];
            if (meta.nodeSpan() > 0 && r + meta.nodeSpan() > at)
                meta.extra->nodeSpan += count;
        }
    invalidateLayout();
}

void GridStore::removeRows(int at, int count)
{
    if (at < 0 || at >= rows_ || count <= 0)
        return;
    count = std::min(count, rows_ - at);
    for (int r = at; r < at + count; ++r) {
        const auto& meta = rowMeta_[static_cast<std::size_t>(r)];
        selectedCount_ -= meta.selected ? 1 : 0;
        nodeCount_ -= meta.nodeSpan() > 0 ? 1 : 0;
        hiddenRowCount_ -= meta.hidden ? 1 : 0;
    }
    rowMeta_.erase(rowMeta_.begin() + at, rowMeta_.begin() + at + count);
    rows_ -= count;
    // A store that shrank to less than a quarter of its room gives the rest back.
    if (rowMeta_.capacity() > 4 * rowMeta_.size() + 1024)
        rowMeta_.shrink_to_fit();
    std::erase_if(merges_, [at, count](const Merge& m) { return m.row >= at && m.row < at + count; });
    for (auto& m : merges_) {
        if (m.row >= at + count)
            m.row -= count;
        else if (m.row + m.spanY > at) // spans into the removed rows: shrink
            m.spanY = std::max(1, m.spanY - std::min(count, m.row + m.spanY - at));
    }
    if (nodeCount_ > 0)
        for (int r = 0; r < at; ++r) {
            auto& meta = rowMeta_[static_cast<std::size_t>(r)];
            if (meta.nodeSpan() > 0 && r + meta.nodeSpan() > at)
                meta.extra->nodeSpan
                    = std::max(1, meta.nodeSpan() - std::min(count, r + meta.nodeSpan() - at));
        }
    invalidateLayout();
}

void GridStore::swapRows(int a, int b)
{
    if (a == b || a < 0 || b < 0 || a >= rows_ || b >= rows_)
        return;
    std::swap(rowMeta_[static_cast<std::size_t>(a)], rowMeta_[static_cast<std::size_t>(b)]);
    for (auto& m : merges_) {
        if (m.row == a)
            m.row = b;
        else if (m.row == b)
            m.row = a;
    }
    invalidateLayout();
}

void GridStore::permuteRows(int first, const std::vector<int>& order)
{
    const auto n = static_cast<int>(order.size());
    if (first < 0 || n > rows_ - first)
        return;
    // Only a permutation of the range is taken: every row of it once.
    std::vector<bool> seen(order.size(), false);
    for (const int r : order) {
        if (r < first || r >= first + n || seen[static_cast<std::size_t>(r - first)])
            return;
        seen[static_cast<std::size_t>(r - first)] = true;
    }
    // Gathered into a new table: the reads do not wait for one another.
    std::vector<RowMeta> moved;
    moved.reserve(rowMeta_.capacity());
    for (int r = 0; r < first; ++r)
        moved.push_back(std::move(rowMeta_[static_cast<std::size_t>(r)]));
    constexpr std::size_t ahead = 16; // rows asked of the memory before they are read
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i + ahead < order.size())
            __builtin_prefetch(&rowMeta_[static_cast<std::size_t>(order[i + ahead])]);
        moved.push_back(std::move(rowMeta_[static_cast<std::size_t>(order[i])]));
    }
    for (int r = first + n; r < rows_; ++r)
        moved.push_back(std::move(rowMeta_[static_cast<std::size_t>(r)]));
    rowMeta_.swap(moved);
    if (!merges_.empty()) {
        // where[r - first] = the new position of row r.
        std::vector<int> where(order.size());
        for (int i = 0; i < n; ++i)
            where[static_cast<std::size_t>(order[static_cast<std::size_t>(i)] - first)] = first + i;
        for (auto& m : merges_)
            if (m.row >= first && m.row < first + n)
                m.row = where[static_cast<std::size_t>(m.row - first)];
    }
    invalidateLayout();
}

bool GridStore::moveRow(int from, int to)
{
    if (from == to || from < 0 || to < 0 || from >= rows_ || to >= rows_)
        return true;
    const int lo = std::min(from, to), hi = std::max(from, to);
    bool plain = true;
    for (int r = lo; r <= hi && plain; ++r) {
        const auto& meta = rowMeta_[static_cast<std::size_t>(r)];
        plain = !meta.hidden && meta.nodeSpan() == 0;
    }
    for (const auto& m : merges_)
        plain = plain && (m.row + m.spanY <= lo || m.row > hi);
    if (from > to)
        std::rotate(rowMeta_.begin() + to, rowMeta_.begin() + from, rowMeta_.begin() + from + 1);
    else
        std::rotate(rowMeta_.begin() + from, rowMeta_.begin() + from + 1, rowMeta_.begin() + to + 1);
    for (auto& m : merges_) {
        if (m.row == from)
            m.row = to;
        else if (m.row >= lo && m.row <= hi)
            m.row += from > to ? 1 : -1;
    }
    if (plain)
        ++layoutVersion_; // the mapping of shown rows is unchanged
    else
        invalidateLayout();
    return plain;
}

CellStyle* GridStore::ownStyle(int col, int row, bool create)
{
    if (!validCell(col, row))
        return nullptr;
    auto& meta = rowMeta_[static_cast<std::size_t>(row)];
    if (!meta.extra && !create)
        return nullptr;
    for (auto& [c, style] : meta.more().cellStyles)
        if (c == col)
            return &style;
    if (!create)
        return nullptr;
    meta.extra->cellStyles.emplace_back(col, CellStyle {});
    return &meta.extra->cellStyles.back().second;
}

CellStyle GridStore::cellStyle(int col, int row) const
{
    if (!validCell(col, row))
        return {};
    const auto& meta = rowMeta_[static_cast<std::size_t>(row)];
    if (!meta.extra)
        return {};
    CellStyle result = meta.extra->style;
    for (const auto& [c, style] : meta.extra->cellStyles)
        if (c == col) {
            if (style.color != NoColor)
                result.color = style.color;
            if (style.fontColor != NoColor)
                result.fontColor = style.fontColor;
            if (style.fontStyle >= 0)
                result.fontStyle = style.fontStyle;
        }
    return result;
}

void GridStore::setCellColor(int col, int row, std::int32_t color)
{
    if (auto* s = ownStyle(col, row, true))
        s->color = color;
}

void GridStore::setCellFontColor(int col, int row, std::int32_t color)
{
    if (auto* s = ownStyle(col, row, true))
        s->fontColor = color;
}

void GridStore::setCellFontStyle(int col, int row, int style)
{
    if (auto* s = ownStyle(col, row, true))
        s->fontStyle = style;
}

void GridStore::setRowColor(int row, std::int32_t color)
{
    if (row >= 0 && row < rows_)
        rowMeta_[static_cast<std::size_t>(row)].more().style.color = color;
}

void GridStore::setRowFontColor(int row, std::int32_t color)
{
    if (row >= 0 && row < rows_)
        rowMeta_[static_cast<std::size_t>(row)].more().style.fontColor = color;
}

void GridStore::setRowFontStyle(int row, int style)
{
    if (row >= 0 && row < rows_)
        rowMeta_[static_cast<std::size_t>(row)].more().style.fontStyle = style;
}

CellStyle GridStore::rowStyle(int row) const
{
    const RowExtra* extra
        = row >= 0 && row < rows_ ? rowMeta_[static_cast<std::size_t>(row)].extra.get() : nullptr;
    return extra ? extra->style : CellStyle {};
}

void GridStore::clearStyles()
{
    for (auto& meta : rowMeta_)
        if (meta.extra) {
            meta.extra->style = {};
            meta.extra->cellStyles.clear();
        }
}

int GridStore::colWidth(int col) const
{
    return col >= 0 && col < cols_ ? colMeta_[static_cast<std::size_t>(col)].width : 0;
}

void GridStore::setColWidth(int col, int width)
{
    if (col >= 0 && col < cols_)
        colMeta_[static_cast<std::size_t>(col)].width = std::max(0, width);
}

bool GridStore::colHidden(int col) const
{
    return col >= 0 && col < cols_ && colMeta_[static_cast<std::size_t>(col)].hidden;
}

void GridStore::setColHidden(int col, bool hidden)
{
    if (col >= 0 && col < cols_)
        colMeta_[static_cast<std::size_t>(col)].hidden = hidden;
}

int GridStore::hiddenColCount() const
{
    return static_cast<int>(
        std::count_if(colMeta_.begin(), colMeta_.end(), [](const ColMeta& m) { return m.hidden; }));
}

bool GridStore::rowHidden(int row) const
{
    return row >= 0 && row < rows_ && rowMeta_[static_cast<std::size_t>(row)].hidden;
}

void GridStore::setRowHidden(int row, bool hidden)
{
    if (row < 0 || row >= rows_)
        return;
    auto& meta = rowMeta_[static_cast<std::size_t>(row)];
    if (meta.hidden == hidden)
        return;
    meta.hidden = hidden;
    hiddenRowCount_ += hidden ? 1 : -1;
    invalidateLayout();
}

bool GridStore::rowSelected(int row) const
{
    return row >= 0 && row < rows_ && rowMeta_[static_cast<std::size_t>(row)].selected;
}

void GridStore::setRowSelected(int row, bool selected)
{
    if (row < 0 || row >= rows_)
        return;
    auto& meta = rowMeta_[static_cast<std::size_t>(row)];
    if (meta.selected != selected) {
        meta.selected = selected;
        selectedCount_ += selected ? 1 : -1;
    }
}

void GridStore::clearRowSelection()
{
    if (selectedCount_ == 0)
        return;
    for (auto& meta : rowMeta_)
        meta.selected = false;
    selectedCount_ = 0;
}

void GridStore::addNode(int row, int span)
{
    if (row < 0 || row >= rows_ || span < 1)
        return;
    auto& meta = rowMeta_[static_cast<std::size_t>(row)].more();
    if (meta.nodeSpan == 0)
        ++nodeCount_;
    meta.nodeSpan = std::min(span, rows_ - row);
    meta.contracted = false;
    invalidateLayout();
}

void GridStore::removeNode(int row)
{
    if (!isNode(row))
        return;
    auto& meta = *rowMeta_[static_cast<std::size_t>(row)].extra;
    meta.nodeSpan = 0;
    meta.contracted = false;
    --nodeCount_;
    invalidateLayout();
}

void GridStore::removeAllNodes()
{
    if (nodeCount_ == 0)
        return;
    for (auto& meta : rowMeta_)
        if (meta.extra) {
            meta.extra->nodeSpan = 0;
            meta.extra->contracted = false;
        }
    nodeCount_ = 0;
    invalidateLayout();
}

bool GridStore::isNode(int row) const
{
    return row >= 0 && row < rows_ && rowMeta_[static_cast<std::size_t>(row)].nodeSpan() > 0;
}

int GridStore::nodeSpan(int row) const
{
    return isNode(row) ? rowMeta_[static_cast<std::size_t>(row)].nodeSpan() : 0;
}

bool GridStore::nodeContracted(int row) const
{
    return isNode(row) && rowMeta_[static_cast<std::size_t>(row)].contracted();
}

void GridStore::setNodeContracted(int row, bool contracted)
{
    if (!isNode(row))
        return;
    auto& meta = *rowMeta_[static_cast<std::size_t>(row)].extra;
    if (meta.contracted == contracted)
        return;
    meta.contracted = contracted;
    invalidateLayout();
}

int GridStore::nodeLevel(int row) const
{
    if (row < 0 || row >= rows_ || nodeCount_ == 0)
        return 0;
    rebuildMapping();
    return levels_[static_cast<std::size_t>(row)];
}

void GridStore::mergeCells(int col, int row, int spanX, int spanY)
{
    if (!validCell(col, row) || spanX < 1 || spanY < 1)
        return;
    Merge m { col, row, std::min(spanX, cols_ - col), std::min(spanY, rows_ - row) };
    // A new merge replaces every merge it overlaps.
    std::erase_if(merges_, [&m](const Merge& o) {
        return o.col < m.col + m.spanX && m.col < o.col + o.spanX && o.row < m.row + m.spanY
            && m.row < o.row + o.spanY;
    });
    if (m.spanX > 1 || m.spanY > 1)
        merges_.push_back(m);
    ++layoutVersion_;
}

void GridStore::splitCells(int col, int row)
{
    const auto n
        = std::erase_if(merges_, [col, row](const Merge& m) { return m.col == col && m.row == row; });
    if (n)
        ++layoutVersion_;
}

void GridStore::splitAllCells()
{
    if (merges_.empty())
        return;
    merges_.clear();
    ++layoutVersion_;
}

const Merge* GridStore::mergeAt(int col, int row) const
{
    for (const auto& m : merges_)
        if (m.covers(col, row))
            return &m;
    return nullptr;
}

void GridStore::setFixedRows(int n)
{
    n = std::max(0, n);
    if (n != fixedRows_) {
        fixedRows_ = n;
        invalidateLayout();
    }
}

void GridStore::invalidateLayout()
{
    mappingValid_ = false;
    ++layoutVersion_;
}

void GridStore::rebuildMapping() const
{
    if (mappingValid_)
        return;
    mappingValid_ = true;
    bool anyContracted = false;
    if (nodeCount_ > 0)
        anyContracted
            = std::any_of(rowMeta_.begin(), rowMeta_.end(), [](const RowMeta& m) { return m.contracted(); });
    identity_ = hiddenRowCount_ == 0 && !anyContracted;
    displToReal_.clear();
    realToDispl_.clear();
    levels_.clear();
    if (nodeCount_ > 0) {
        levels_.assign(static_cast<std::size_t>(rows_), 0);
        std::vector<int> ends; // end rows (exclusive) of the nodes enclosing the current row
        for (int r = 0; r < rows_; ++r) {
            while (!ends.empty() && ends.back() <= r)
                ends.pop_back();
            levels_[static_cast<std::size_t>(r)] = static_cast<int>(ends.size());
            const int span = rowMeta_[static_cast<std::size_t>(r)].nodeSpan();
            if (span > 1)
                ends.push_back(r + span);
        }
    }
    if (identity_)
        return;
    realToDispl_.assign(static_cast<std::size_t>(rows_), -1);
    displToReal_.reserve(static_cast<std::size_t>(rows_));
    int hideUntil = 0; // rows before this index lie inside a contracted node
    for (int r = 0; r < rows_; ++r) {
        const auto& meta = rowMeta_[static_cast<std::size_t>(r)];
        const bool shown = r < fixedRows_ || (r >= hideUntil && !meta.hidden);
        if (shown) {
            realToDispl_[static_cast<std::size_t>(r)] = static_cast<int>(displToReal_.size());
            displToReal_.push_back(r);
        }
        if (meta.nodeSpan() > 1 && meta.contracted())
            hideUntil = std::max(hideUntil, r + meta.nodeSpan());
    }
}

int GridStore::displayRowCount() const
{
    rebuildMapping();
    return identity_ ? rows_ : static_cast<int>(displToReal_.size());
}

int GridStore::realRow(int displayRow) const
{
    rebuildMapping();
    if (identity_)
        return displayRow >= 0 && displayRow < rows_ ? displayRow : -1;
    return displayRow >= 0 && displayRow < static_cast<int>(displToReal_.size())
        ? displToReal_[static_cast<std::size_t>(displayRow)]
        : -1;
}

int GridStore::displayRow(int realRow) const
{
    if (realRow < 0 || realRow >= rows_)
        return -1;
    rebuildMapping();
    return identity_ ? realRow : realToDispl_[static_cast<std::size_t>(realRow)];
}

} // namespace qel::grid
