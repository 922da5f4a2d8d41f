#pragma once
// Typed containers of the library: value lists, pointer lists (owning or not), optionally sorted
// and optionally rejecting duplicates, a list of keys with links, a chained hash table and the
// base of key lists.
//
// Indexes are 0-based ints; an index out of range raises EQelListError. A list that rejects
// duplicates raises EQelListError with the text "Keine Duplikate zulässig".

#include "objdb/qelstrings.h"

#include <algorithm>
#include <compare>
#include <concepts>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

inline constexpr const char* QEL_ERR_NO_DUPLICATES = "Keine Duplikate zulässig";
inline constexpr const char* QEL_ERR_LIST_INDEX = "Listenindex überschreitet das Maximum (%d)";
inline constexpr const char* QEL_ERR_SORTED_LIST = "Operation bei sortierten Listen nicht zulässig";

class EQelListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What Add does with an item that equals one already in the list.
enum class TQelDuplicates { dupAccept, dupIgnore, dupError };

namespace qel_list_detail {
[[noreturn]] void throw_index(int index);
[[noreturn]] void throw_duplicate();
[[noreturn]] void throw_sorted();

template <class T> int default_compare(const T& a, const T& b)
{
    if constexpr (std::three_way_comparable<T>) {
        auto c = a <=> b;
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    } else {
        static_assert(
            requires { a < b; }, "sorted lists need operator< or a compare function");
        return a < b ? -1 : (b < a ? 1 : 0);
    }
}
} // namespace qel_list_detail

// --- TQelList<T> ---------------------------------------------------------------------------------

template <class T> class TQelList {
public:
    using TCompare = std::function<int(const T&, const T&)>; // <0, 0, >0

    TQelList() = default;
    virtual ~TQelList() = default;
    TQelList(const TQelList&) = default;
    TQelList& operator=(const TQelList&) = default;
    TQelList(TQelList&&) noexcept = default;
    TQelList& operator=(TQelList&&) noexcept = default;

    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    const T& Items(int index) const
    {
        check(index);
        return items_[static_cast<std::size_t>(index)];
    }
    const T& operator[](int index) const { return Items(index); }
    const T& First() const { return Items(0); }
    const T& Last() const { return Items(Count() - 1); }
    // Replaces an item; not allowed in a sorted list.
    void set_Item(int index, T value)
    {
        check(index);
        if (sorted_)
            qel_list_detail::throw_sorted();
        if (duplicates_ != TQelDuplicates::dupAccept) {
            int at = IndexOf(value);
            if (at >= 0 && at != index) {
                if (duplicates_ == TQelDuplicates::dupError)
                    qel_list_detail::throw_duplicate();
                return;
            }
        }
        auto& slot = items_[static_cast<std::size_t>(index)];
        T old = std::exchange(slot, std::move(value));
        released(old);
    }

    // Appends (or, in a sorted list, inserts in order); returns the index, -1 when a duplicate was
    // ignored.
    int Add(T value)
    {
        int at = Count();
        if (sorted_) {
            bool found = false;
            at = search(value, found);
            if (found && !admit())
                return -1;
        } else if (duplicates_ != TQelDuplicates::dupAccept && IndexOf(value) >= 0 && !admit()) {
            return -1;
        }
        items_.insert(items_.begin() + at, std::move(value));
        return at;
    }
    // Inserts at `index` (0..Count); not allowed in a sorted list.
    void Insert(int index, T value)
    {
        if (index < 0 || index > Count())
            qel_list_detail::throw_index(index);
        if (sorted_)
            qel_list_detail::throw_sorted();
        if (duplicates_ != TQelDuplicates::dupAccept && IndexOf(value) >= 0 && !admit())
            return;
        items_.insert(items_.begin() + index, std::move(value));
    }
    void Delete(int index)
    {
        check(index);
        T old = std::move(items_[static_cast<std::size_t>(index)]);
        items_.erase(items_.begin() + index);
        released(old);
    }
    // Deletes the first item equal to `value`; returns its former index or -1.
    int Remove(const T& value)
    {
        int at = IndexOf(value);
        if (at >= 0)
            Delete(at);
        return at;
    }
    void Clear()
    {
        std::vector<T> old;
        old.swap(items_);
        for (auto& item : old)
            released(item);
    }
    void Exchange(int a, int b)
    {
        check(a);
        check(b);
        if (sorted_)
            qel_list_detail::throw_sorted();
        std::swap(items_[static_cast<std::size_t>(a)], items_[static_cast<std::size_t>(b)]);
    }

    // Binary search in a sorted list, linear otherwise; -1 when absent.
    int IndexOf(const T& value) const
    {
        if (sorted_) {
            bool found = false;
            int at = search(value, found);
            return found ? at : -1;
        }
        for (int i = 0; i < Count(); ++i)
            if (equal(items_[static_cast<std::size_t>(i)], value))
                return i;
        return -1;
    }
    bool Contains(const T& value) const { return IndexOf(value) >= 0; }

    bool get_Sorted() const { return sorted_; }
    // Switching sorting on sorts the list (stable) at once.
    void set_Sorted(bool sorted)
    {
        if (sorted && !sorted_)
            Sort();
        sorted_ = sorted;
    }
    TQelDuplicates get_Duplicates() const { return duplicates_; }
    void set_Duplicates(TQelDuplicates d) { duplicates_ = d; }
    // The order of a sorted list and the equality of IndexOf; default: operator<=> / operator<.
    void set_Compare(TCompare compare)
    {
        compare_ = std::move(compare);
        if (sorted_)
            Sort();
    }
    void Sort()
    {
        std::stable_sort(
            items_.begin(), items_.end(), [this](const T& a, const T& b) { return cmp(a, b) < 0; });
    }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    const std::vector<T>& Items() const { return items_; }

protected:
    // Called for every item that leaves the list (Delete, Remove, Clear, replaced by set_Item).
    virtual void released(T& /*item*/) { }

private:
    void check(int index) const
    {
        if (index < 0 || index >= Count())
            qel_list_detail::throw_index(index);
    }
    bool admit() const
    {
        if (duplicates_ == TQelDuplicates::dupError)
            qel_list_detail::throw_duplicate();
        return duplicates_ == TQelDuplicates::dupAccept;
    }
    int cmp(const T& a, const T& b) const
    {
        return compare_ ? compare_(a, b) : qel_list_detail::default_compare(a, b);
    }
    bool equal(const T& a, const T& b) const
    {
        if (compare_)
            return compare_(a, b) == 0;
        if constexpr (std::equality_comparable<T>)
            return a == b;
        else
            return cmp(a, b) == 0;
    }
    // Lower bound in a sorted list; with duplicates accepted an equal value goes after its peers.
    int search(const T& value, bool& found) const
    {
        auto lo = std::lower_bound(
            items_.begin(), items_.end(), value, [this](const T& a, const T& b) { return cmp(a, b) < 0; });
        found = lo != items_.end() && cmp(*lo, value) == 0;
        if (found && duplicates_ == TQelDuplicates::dupAccept)
            lo = std::upper_bound(
                lo, items_.end(), value, [this](const T& a, const T& b) { return cmp(a, b) < 0; });
        return static_cast<int>(lo - items_.begin());
    }

    std::vector<T> items_;
    bool sorted_ = false;
    TQelDuplicates duplicates_ = TQelDuplicates::dupAccept;
    TCompare compare_;
};

// --- TQelPtrList<T> ------------------------------------------------------------------------------
// A list of T*. An owning list deletes its items when they are deleted, removed, replaced or
// cleared and when the list is destroyed; Extract takes an item out without deleting it. An owning
// list takes ownership only of an item it accepted: when Add returns -1 or throws, the caller
// still owns the item (the unique_ptr overload then frees it). The same pointer is never held
// twice by an owning list.

template <class T> class TQelPtrList : public TQelList<T*> {
public:
    explicit TQelPtrList(bool ownsObjects = false)
        : owns_(ownsObjects)
    {
    }
    ~TQelPtrList() override { this->Clear(); }
    TQelPtrList(const TQelPtrList&) = delete;
    TQelPtrList& operator=(const TQelPtrList&) = delete;

    bool get_OwnsObjects() const { return owns_; }
    void set_OwnsObjects(bool owns) { owns_ = owns; }

    int Add(T* item)
    {
        if (owns_ && item && holds(item))
            qel_list_detail::throw_duplicate();
        return TQelList<T*>::Add(item);
    }
    int Add(std::unique_ptr<T> item)
    {
        int at = Add(item.get());
        if (at >= 0 && owns_)
            item.release();
        return at;
    }
    void Insert(int index, T* item)
    {
        if (owns_ && item && holds(item))
            qel_list_detail::throw_duplicate();
        TQelList<T*>::Insert(index, item);
    }
    void set_Item(int index, T* item)
    {
        if (owns_ && item) {
            int at = holds_at(item);
            if (at == index)
                return;
            if (at >= 0)
                qel_list_detail::throw_duplicate();
        }
        TQelList<T*>::set_Item(index, item);
    }
    // Takes `item` out without deleting it; returns it, or null when it is not in the list.
    T* Extract(T* item)
    {
        bool owns = std::exchange(owns_, false);
        int at = holds_at(item);
        if (at >= 0)
            this->Delete(at);
        owns_ = owns;
        return at >= 0 ? item : nullptr;
    }

protected:
    void released(T*& item) override
    {
        if (owns_)
            delete std::exchange(item, nullptr);
    }

private:
    int holds_at(const T* item) const
    {
        const auto& v = this->Items();
        auto it = std::find(v.begin(), v.end(), item);
        return it == v.end() ? -1 : static_cast<int>(it - v.begin());
    }
    bool holds(const T* item) const { return holds_at(item) >= 0; }

    bool owns_;
};

// --- TQelIndexedPtrList<K, V> --------------------------------------------------------------------
// Two parallel lists, keys and owned values: Add appends to both, IndexOfKey searches the keys
// linearly, Clear deletes every value. Add takes ownership of an accepted value only (see above).

template <class K, class V> class TQelIndexedPtrList {
public:
    explicit TQelIndexedPtrList(TQelDuplicates duplicates = TQelDuplicates::dupAccept)
        : duplicates_(duplicates)
    {
    }
    ~TQelIndexedPtrList() { Clear(); }
    TQelIndexedPtrList(const TQelIndexedPtrList&) = delete;
    TQelIndexedPtrList& operator=(const TQelIndexedPtrList&) = delete;

    // Returns the index, or -1 when the key is present and duplicates are ignored.
    int Add(const K& key, V* value)
    {
        if (duplicates_ != TQelDuplicates::dupAccept && IndexOfKey(key) >= 0) {
            if (duplicates_ == TQelDuplicates::dupError)
                qel_list_detail::throw_duplicate();
            return -1;
        }
        if (value && std::find(values_.begin(), values_.end(), value) != values_.end())
            qel_list_detail::throw_duplicate(); // would be deleted twice
        keys_.push_back(key);
        values_.push_back(value);
        return Count() - 1;
    }
    int Add(const K& key, std::unique_ptr<V> value)
    {
        int at = Add(key, value.get());
        if (at >= 0)
            value.release();
        return at;
    }
    int IndexOfKey(const K& key) const
    {
        for (std::size_t i = 0; i < keys_.size(); ++i)
            if (keys_[i] == key)
                return static_cast<int>(i);
        return -1;
    }
    V* ItemOfKey(const K& key) const
    {
        int at = IndexOfKey(key);
        return at < 0 ? nullptr : values_[static_cast<std::size_t>(at)];
    }
    const K& Key(int index) const
    {
        check(index);
        return keys_[static_cast<std::size_t>(index)];
    }
    V* Item(int index) const
    {
        check(index);
        return values_[static_cast<std::size_t>(index)];
    }
    int Count() const { return static_cast<int>(keys_.size()); }
    void Delete(int index)
    {
        check(index);
        V* value = values_[static_cast<std::size_t>(index)];
        keys_.erase(keys_.begin() + index);
        values_.erase(values_.begin() + index);
        delete value;
    }
    void Clear()
    {
        std::vector<V*> old;
        old.swap(values_);
        keys_.clear();
        for (V* v : old)
            delete v;
    }

private:
    void check(int index) const
    {
        if (index < 0 || index >= Count())
            qel_list_detail::throw_index(index);
    }

    std::vector<K> keys_;
    std::vector<V*> values_;
    TQelDuplicates duplicates_;
};

// --- TQelHashTable<V, K> -------------------------------------------------------------------------
// A chained hash table: one chain head per bucket, new items at the head of their chain. Hash and
// item freeing are virtual; a class that overrides FreeItem calls Clear() in its own destructor
// (the base destructor can only free with its own FreeItem, which deletes pointer values when the
// table owns its items).

// Default hash of a string key: each character (Windows-1252 code) from the last to the first,
// h = (c + 37 * h) & 0xFFFFFF; the result taken mod the bucket count by the table.
std::uint32_t QelDefaultStringHash(std::string_view key);

template <class V, class K = std::string> class TQelHashTable {
public:
    using TPermitAdd = std::function<bool(const K& key, const V& value)>;
    static constexpr int MinSize = 11;
    static constexpr int MaxSize = 999983;

    explicit TQelHashTable(int size = 97, bool ownsItems = std::is_pointer_v<V>)
        : owns_(ownsItems)
    {
        buckets_.assign(static_cast<std::size_t>(std::clamp(size, MinSize, MaxSize)), nullptr);
    }
    virtual ~TQelHashTable() { Clear(); }
    TQelHashTable(const TQelHashTable&) = delete;
    TQelHashTable& operator=(const TQelHashTable&) = delete;

    int Size() const { return static_cast<int>(buckets_.size()); }
    int Count() const { return count_; }

    // False when the key exists or the permit callback refuses; the table keeps (and frees) only
    // values it accepted.
    bool Add(const K& key, V value)
    {
        if (Has(key) || (permit_ && !permit_(key, value)))
            return false;
        int bucket = bucket_of(key);
        auto* item = new TItem { key, bucket, std::move(value), buckets_[static_cast<std::size_t>(bucket)] };
        buckets_[static_cast<std::size_t>(bucket)] = item;
        ++count_;
        return true;
    }
    V At(const K& key, V fallback) const
    {
        const TItem* item = lookup(key);
        return item ? item->Value : fallback;
    }
    bool Has(const K& key) const { return lookup(key) != nullptr; }
    // Pointer to the stored value (null when absent); valid until the item is removed.
    V* Find(const K& key)
    {
        TItem* item = lookup(key);
        return item ? &item->Value : nullptr;
    }
    // Removes and frees the item of `key`.
    bool Remove(const K& key)
    {
        TItem** link = &buckets_[static_cast<std::size_t>(bucket_of(key))];
        for (; *link; link = &(*link)->Next) {
            if ((*link)->Key == key) {
                TItem* item = *link;
                *link = item->Next;
                --count_;
                FreeItem(item->Value);
                delete item;
                return true;
            }
        }
        return false;
    }
    void Clear()
    {
        for (auto& head : buckets_) {
            while (TItem* item = head) {
                head = item->Next;
                --count_;
                FreeItem(item->Value);
                delete item;
            }
        }
        count_ = 0;
    }
    // Refused while items are held; the size is clamped to MinSize..MaxSize; statistics restart.
    bool Resize(int size)
    {
        if (size == Size())
            return true;
        if (count_ > 0)
            return false;
        buckets_.assign(static_cast<std::size_t>(std::clamp(size, MinSize, MaxSize)), nullptr);
        lookups_ = probes_ = 0;
        return true;
    }
    void set_PermitAdd(TPermitAdd permit) { permit_ = std::move(permit); }

    // "Hash-Size = %d, Count = %d\n\n", then the keys one per line when asked.
    std::string info(bool withItems) const
    {
        std::string s = FormatStr("Hash-Size = %d, Count = %d\n\n", Size(), Count());
        if (withItems)
            for (const auto& key : keys())
                s += key_text(key) + "\n";
        return s;
    }
    // Adds the keys (bucket by bucket, chain order) to `list`, after clearing it unless `append`.
    void ListItems(TQelStringList& list, bool append) const
    {
        if (!append)
            list.clear();
        for (const auto& key : keys())
            list.push_back(key_text(key));
    }
    template <class F> void ForEach(F&& f) const
    {
        for (const TItem* head : buckets_)
            for (const TItem* item = head; item; item = item->Next)
                f(item->Key, item->Value);
    }

    // Statistics since construction or the last Resize: lookups and chain items visited.
    long long get_Lookups() const { return lookups_; }
    long long get_Probes() const { return probes_; }

protected:
    // Bucket index of a key, 0..Size()-1.
    virtual int Hash(const K& key) const
    {
        if constexpr (std::is_convertible_v<const K&, std::string_view>)
            return static_cast<int>(QelDefaultStringHash(key) % static_cast<std::uint32_t>(Size()));
        else if constexpr (std::is_integral_v<K> && std::is_signed_v<K>)
            return static_cast<int>(
                (key < 0 ? 0ULL - static_cast<unsigned long long>(key) : static_cast<unsigned long long>(key))
                % buckets_.size());
        else if constexpr (std::is_integral_v<K>)
            return static_cast<int>(static_cast<unsigned long long>(key) % buckets_.size());
        else
            return static_cast<int>(std::hash<K> {}(key) % buckets_.size());
    }
    virtual void FreeItem(V& value)
    {
        if constexpr (std::is_pointer_v<V>) {
            if (owns_)
                delete std::exchange(value, nullptr);
        }
    }

private:
    struct TItem {
        K Key;
        int Bucket;
        V Value;
        TItem* Next;
    };

    int bucket_of(const K& key) const
    {
        int b = Hash(key);
        return b >= 0 && b < Size() ? b : static_cast<int>(static_cast<unsigned>(b) % buckets_.size());
    }
    TItem* lookup(const K& key) const
    {
        ++lookups_;
        for (TItem* item = buckets_[static_cast<std::size_t>(bucket_of(key))]; item; item = item->Next) {
            ++probes_;
            if (item->Key == key)
                return item;
        }
        return nullptr;
    }
    std::vector<K> keys() const
    {
        std::vector<K> out;
        ForEach([&](const K& k, const V&) { out.push_back(k); });
        return out;
    }
    static std::string key_text(const K& key)
    {
        if constexpr (std::is_convertible_v<const K&, std::string_view>)
            return std::string(std::string_view(key));
        else
            return std::to_string(key);
    }

    std::vector<TItem*> buckets_;
    int count_ = 0;
    bool owns_;
    TPermitAdd permit_;
    mutable long long lookups_ = 0;
    mutable long long probes_ = 0;
};

// --- Key lists -----------------------------------------------------------------------------------
// The integer id of a key for its text form; key types without an explicit integer conversion
// get a TQelKeyTraits of their own.
template <class Key> struct TQelKeyTraits {
    static long long Id(const Key& key) { return static_cast<long long>(key); }
};

// A list of keys. The database layer derives TQelKeyList from TQelKeyListOf<TQelObjectKey> and adds
// loading by class and condition.
template <class Key> class TQelKeyListOf : public TQelList<Key> {
public:
    // "12,17,3": the ids in list order.
    std::string KeysToCommaText() const
    {
        std::string s;
        for (const Key& k : *this) {
            if (!s.empty())
                s += ',';
            s += std::to_string(TQelKeyTraits<Key>::Id(k));
        }
        return s;
    }
};
