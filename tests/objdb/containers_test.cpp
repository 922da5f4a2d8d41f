#include "objdb/qelcontainers.h"
#include "objdb/qeltext.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Counts live instances so that tests see exactly which items a list frees.
struct Tracked {
    static inline int alive = 0;
    int value;
    explicit Tracked(int v = 0)
        : value(v)
    {
        ++alive;
    }
    ~Tracked() { --alive; }
};

struct Containers : ::testing::Test {
    void SetUp() override { Tracked::alive = 0; }
    void TearDown() override { EXPECT_EQ(Tracked::alive, 0) << "leaked or double-freed items"; }
};

template <class F> std::string list_error(F&& f)
{
    try {
        f();
    } catch (const EQelListError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST_F(Containers, SortedListRejectsOrIgnoresDuplicates)
{
    TQelList<int> list;
    list.set_Sorted(true);
    list.set_Duplicates(TQelDuplicates::dupError);
    for (int v : { 5, 1, 3 })
        list.Add(v);
    EXPECT_EQ(list.Items(), (std::vector<int> { 1, 3, 5 }));
    EXPECT_EQ(list_error([&] { list.Add(3); }), "Keine Duplikate zulässig");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.IndexOf(5), 2);
    EXPECT_EQ(list.IndexOf(4), -1);

    list.set_Duplicates(TQelDuplicates::dupIgnore);
    EXPECT_EQ(list.Add(3), -1);
    EXPECT_EQ(list.Count(), 3);

    EXPECT_NE(list_error([&] { list.Insert(0, 9); }), "(no error)");
    EXPECT_EQ(list_error([&] { (void)list.Items(3); }), "Listenindex überschreitet das Maximum (3)");
}

TEST_F(Containers, UnsortedListChecksDuplicatesToo)
{
    TQelList<std::string> names;
    names.set_Duplicates(TQelDuplicates::dupError);
    names.set_Compare([](const std::string& a, const std::string& b) { return AnsiCompareText(a, b); });
    names.Add("Müller");
    names.Add("Straße");
    EXPECT_EQ(list_error([&] { names.Add("MÜLLER"); }), "Keine Duplikate zulässig");
    EXPECT_EQ(list_error([&] { names.set_Item(0, "STRASSE"); }), "Keine Duplikate zulässig");
    names.set_Item(0, "MÜLLER"); // equal to itself only
    EXPECT_EQ(names.IndexOf("strasse"), 1);
    names.set_Sorted(true);
    EXPECT_EQ(names[0], "MÜLLER");
}

TEST_F(Containers, SortedListWithDuplicatesKeepsInsertionOrderAmongEquals)
{
    TQelList<std::pair<int, char>> list;
    list.set_Compare([](const auto& a, const auto& b) { return a.first - b.first; });
    list.set_Sorted(true);
    list.Add({ 2, 'a' });
    list.Add({ 1, 'b' });
    list.Add({ 2, 'c' });
    EXPECT_EQ(list[1].second, 'a');
    EXPECT_EQ(list[2].second, 'c');
}

TEST_F(Containers, OwningPointerListFreesWhatLeavesIt)
{
    auto* kept = new Tracked(1);
    {
        TQelPtrList<Tracked> list(true);
        list.Add(new Tracked(2));
        list.Add(kept);
        list.Add(std::make_unique<Tracked>(3));
        list.Add(new Tracked(4));
        EXPECT_EQ(Tracked::alive, 4);
        list.Delete(0); // frees 2
        EXPECT_EQ(list.Extract(kept), kept);
        EXPECT_EQ(list.Remove(list[0]), 0); // frees 3
        EXPECT_EQ(Tracked::alive, 2);
        list.set_Item(0, list[0]); // the same pointer again is no replacement
        EXPECT_EQ(list[0]->value, 4);
    }
    EXPECT_EQ(Tracked::alive, 1);
    delete kept;
}

TEST_F(Containers, OwningPointerListTakesOnlyWhatItAccepts)
{
    TQelPtrList<Tracked> list(true);
    auto* item = new Tracked(1);
    list.Add(item);
    // Holding one pointer twice would free it twice.
    EXPECT_EQ(list_error([&] { list.Add(item); }), "Keine Duplikate zulässig");
    list.set_Compare([](Tracked* const& a, Tracked* const& b) { return a->value - b->value; });
    list.set_Duplicates(TQelDuplicates::dupIgnore);
    auto rejected = std::make_unique<Tracked>(1);
    EXPECT_EQ(list.Add(std::move(rejected)), -1); // the unique_ptr still owned it and freed it
    list.set_Duplicates(TQelDuplicates::dupError);
    auto* equal = new Tracked(1);
    EXPECT_THROW(list.Add(equal), EQelListError);
    delete equal; // still the caller's
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(Containers, NonOwningPointerListFreesNothing)
{
    Tracked a(1), b(2);
    {
        TQelPtrList<Tracked> list;
        list.Add(&a);
        list.Add(&b);
        list.Add(&a);
        list.Clear();
    }
    EXPECT_EQ(Tracked::alive, 2);
}

TEST_F(Containers, IndexedPointerListPairsKeysWithOwnedValues)
{
    int k1 = 0, k2 = 0, k3 = 0;
    TQelIndexedPtrList<int*, Tracked> links;
    EXPECT_EQ(links.Add(&k1, new Tracked(10)), 0);
    EXPECT_EQ(links.Add(&k2, new Tracked(20)), 1);
    EXPECT_EQ(links.IndexOfKey(&k2), 1);
    EXPECT_EQ(links.IndexOfKey(&k3), -1);
    EXPECT_EQ(links.ItemOfKey(&k3), nullptr);
    EXPECT_EQ(links.ItemOfKey(&k1)->value, 10);
    auto* shared = links.Item(0);
    EXPECT_THROW(links.Add(&k3, shared), EQelListError);
    links.Clear();
    EXPECT_EQ(Tracked::alive, 0);
    EXPECT_EQ(links.Count(), 0);

    TQelIndexedPtrList<std::uint32_t, Tracked> strict(TQelDuplicates::dupError);
    strict.Add(7u, std::make_unique<Tracked>(1));
    EXPECT_EQ(list_error([&] { strict.Add(7u, std::make_unique<Tracked>(2)); }), "Keine Duplikate zulässig");
    EXPECT_EQ(Tracked::alive, 1);
}

// A table whose every key lands in bucket 0, to see the chain order.
struct OneBucket : TQelHashTable<Tracked*> {
    using TQelHashTable::TQelHashTable;
    int freed = 0;
    ~OneBucket() override { Clear(); }

protected:
    int Hash(const std::string&) const override { return 0; }
    void FreeItem(Tracked*& v) override
    {
        ++freed;
        delete v;
    }
};

TEST_F(Containers, HashTableAddLookupAndChainOrder)
{
    OneBucket table(97);
    EXPECT_TRUE(table.Add("12", new Tracked(1)));
    EXPECT_TRUE(table.Add("12:A", new Tracked(2)));
    auto* dup = new Tracked(3);
    EXPECT_FALSE(table.Add("12", dup));
    delete dup;
    EXPECT_TRUE(table.Has("12:A"));
    EXPECT_FALSE(table.Has("12:a"));
    EXPECT_EQ(table.At("12", nullptr)->value, 1);
    EXPECT_EQ(table.At("13", nullptr), nullptr);
    TQelStringList keys { "x" };
    table.ListItems(keys, true);
    EXPECT_EQ(keys, (TQelStringList { "x", "12:A", "12" })); // newest at the head of its chain
    EXPECT_EQ(table.info(true), "Hash-Size = 97, Count = 2\n\n12:A\n12\n");
    EXPECT_EQ(table.info(false), "Hash-Size = 97, Count = 2\n\n");
    EXPECT_TRUE(table.Remove("12"));
    EXPECT_EQ(table.freed, 1);

    table.set_PermitAdd([](const std::string& key, Tracked* const&) { return key != "nein"; });
    auto* refused = new Tracked(4);
    EXPECT_FALSE(table.Add("nein", refused));
    delete refused;
}

TEST_F(Containers, HashTableResize)
{
    TQelHashTable<int> table(97);
    EXPECT_TRUE(table.Resize(5));
    EXPECT_EQ(table.Size(), 11);
    EXPECT_TRUE(table.Resize(2000000));
    EXPECT_EQ(table.Size(), 999983);
    table.Add("a", 1);
    EXPECT_FALSE(table.Resize(97));
    EXPECT_EQ(table.Size(), 999983);
    EXPECT_TRUE(table.Resize(999983)); // the same size is no change
    EXPECT_EQ(table.At("a", 0), 1);
}

TEST_F(Containers, HashTableDefaultHashAndOwnedValues)
{
    // From the last character to the first: h = (c + 37 h) & 0xFFFFFF, on Windows-1252 codes.
    EXPECT_EQ(QelDefaultStringHash("ab"), 97u + 37u * 98u);
    EXPECT_EQ(QelDefaultStringHash("Ä"), 0xC4u);
    EXPECT_EQ(QelDefaultStringHash(std::string(40, 'z')) >> 24, 0u);
    {
        TQelHashTable<Tracked*> owning(11);
        for (int i = 0; i < 100; ++i)
            owning.Add(std::to_string(i), new Tracked(i));
        EXPECT_EQ(owning.Count(), 100);
        EXPECT_EQ(owning.At("42", nullptr)->value, 42);
    }
    EXPECT_EQ(Tracked::alive, 0);
    TQelHashTable<int, int> byInt(11);
    byInt.Add(-5, 1);
    byInt.Add(16, 2);
    EXPECT_EQ(byInt.At(-5, 0), 1);
    EXPECT_EQ(byInt.At(16, 0), 2);
}

TEST_F(Containers, KeyListsWriteCommaText)
{
    struct Key {
        int id;
        explicit operator long long() const { return id; }
        auto operator<=>(const Key&) const = default;
    };
    TQelKeyListOf<Key> keys;
    keys.Add(Key { 12 });
    keys.Add(Key { 17 });
    keys.Add(Key { 3 });
    EXPECT_EQ(keys.KeysToCommaText(), "12,17,3");
    keys.set_Sorted(true);
    EXPECT_EQ(keys.KeysToCommaText(), "3,12,17");
    EXPECT_EQ(TQelKeyListOf<int>().KeysToCommaText(), "");
}

} // namespace
