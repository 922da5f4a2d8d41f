// The list cache: its hash, keys and entries, and the select grid restoring rows from it only
// while the database has not changed.
#include "lists/Listcache.h"
#include "selectgrid_fixture.h"

TEST(ListCache, HashReadsTheClassNumberAndTheRestAsSignedBytes)
{
    TQelListCache cache(97);
    // 12 mod 97, then 'A' (65) mod (2 * 1 + 7) = 2.
    EXPECT_EQ(cache.HashOf("12:A"), 14);
    // "ä" in UTF-8 is 0xC3 0xA4: -92 mod 11 = -4 and -61 mod 9 = -7, so 5 - 11 = -6 -> 6.
    EXPECT_EQ(cache.HashOf("5:\xC3\xA4"), 6);
    // Negative and non-numeric class parts.
    EXPECT_EQ(cache.HashOf("-30"), 30);
    EXPECT_EQ(cache.HashOf("abc:A"), 2);
    EXPECT_EQ(cache.HashOf("200"), 200 % 97);
    // Keys differing only in case land (and are stored) apart.
    EXPECT_NE(cache.HashOf("7:name = 'a'"), cache.HashOf("7:NAME = 'A'"));
}

TEST(ListCache, HashStaysInsideTheTableForAnyKey)
{
    TQelListCache cache(97);
    std::uint32_t seed = 12345;
    for (int i = 0; i < 2000; ++i) {
        std::string key;
        const int len = static_cast<int>(seed % 40);
        for (int k = 0; k < len; ++k) {
            seed = seed * 1103515245u + 12345u;
            key += static_cast<char>(seed >> 16);
        }
        seed = seed * 1103515245u + 12345u;
        const int h = cache.HashOf(key);
        ASSERT_GE(h, 0) << i;
        ASSERT_LT(h, 97) << i;
    }
    EXPECT_GE(cache.HashOf("9223372036854775807:x"), 0);
}

TEST(ListCache, ResizeIsRefusedWhileFilled)
{
    TQelListCache cache(97);
    ASSERT_TRUE(cache.Add("1", new TQelListCacheEntry));
    EXPECT_FALSE(cache.Resize(211));
    EXPECT_EQ(cache.Size(), 97);
    EXPECT_FALSE(cache.Add("1", nullptr));
    cache.Clear();
    EXPECT_TRUE(cache.Resize(211));
    EXPECT_EQ(cache.Size(), 211);
}

class ListCacheGridTest : public SelectGridTest {
protected:
    void SetUp() override
    {
        SelectGridTest::SetUp();
        ASSERT_NE(TQelListCache::Instance(), nullptr);
        TQelListCache::Instance()->Clear();
        TQelSelectGridOptions o = grid->get_SelectGridOptions();
        o << soUseCache;
        grid->set_SelectGridOptions(o);
        person("Meier", "Anna");
        person("Schulz", "Bernd");
        company = create("Firma");
        company->FieldByName("Name")->set_AsString("ACME");
        ASSERT_TRUE(company->Commit());
    }
    TQelObject* company = nullptr;
};

TEST_F(ListCacheGridTest, ClassWithoutKeyStoresNothing)
{
    EXPECT_EQ(TQelListCache::KeyOf(grid), "");
    EXPECT_FALSE(TQelListCache::Instance()->Save(grid));
    EXPECT_EQ(TQelListCache::Instance()->Load(grid), 0);
}

TEST_F(ListCacheGridTest, SameClassAgainIsRestoredWhileTheStampStands)
{
    grid->set_ClassName("Person");
    ASSERT_FALSE(grid->LastStatement().empty());
    const std::vector<std::string> names = column("Name");
    grid->set_ClassName("Firma");
    EXPECT_EQ(TQelListCache::Instance()->Count(), 1);
    EXPECT_EQ(column("Name"), std::vector<std::string> { "ACME" });

    grid->set_ClassName("Person");
    EXPECT_TRUE(grid->LastStatement().empty()); // no query ran
    EXPECT_EQ(column("Name"), names);
    EXPECT_EQ(grid->EntryCount(), 2);
    // The column records are back: the field of a header and the key of a row.
    EXPECT_EQ(grid->get_Felddefinition(grid->ColumnByName("Name")),
        db->FindClass("Person")->FindFelddefinition("Name"));
    EXPECT_TRUE(grid->get_Key(grid->FirstDataRow()).Valid());
    EXPECT_TRUE(grid->IsHiddenColumn(0));

    // Saving the same class again keeps one entry per class.
    grid->set_ClassName("Firma");
    EXPECT_EQ(TQelListCache::Instance()->Count(), 2);
}

TEST_F(ListCacheGridTest, AnyCommitMakesTheNextLoadQuery)
{
    grid->set_ClassName("Person");
    grid->set_ClassName("Firma");
    // A change of another class moves the stamp too.
    company->FieldByName("Name")->set_AsString("ACME AG");
    ASSERT_TRUE(company->Commit());
    person("Zander", "Carl");
    grid->set_ClassName("Person");
    EXPECT_FALSE(grid->LastStatement().empty());
    EXPECT_EQ(grid->EntryCount(), 3);
}

TEST_F(ListCacheGridTest, ConditionsThatDifferInCaseAreSeparateEntries)
{
    grid->set_ClassName("Person");
    grid->set_SearchCondition("Person.Name = 'Meier'");
    EXPECT_EQ(TQelListCache::KeyOf(grid), grid->get_ClassType().ToString() + ":Person.Name = 'Meier'");
    grid->Reload();
    grid->set_ClassName("Firma");
    grid->set_ClassName("Person");
    grid->set_SearchCondition("PERSON.NAME = 'Meier'");
    grid->Reload();
    grid->set_ClassName("Firma");
    const std::string cls = db->FindClass("Person")->Key().ToString();
    EXPECT_TRUE(TQelListCache::Instance()->Has(cls + ":Person.Name = 'Meier'"));
    EXPECT_TRUE(TQelListCache::Instance()->Has(cls + ":PERSON.NAME = 'Meier'"));
    EXPECT_EQ(TQelListCache::Instance()->Count(), 3); // and the companies
}

TEST_F(ListCacheGridTest, ListsWithDeletedObjectsAreNotRestored)
{
    TQelSelectGridOptions o = grid->get_SelectGridOptions();
    o << soDeleted;
    grid->set_SelectGridOptions(o);
    grid->set_ClassName("Person");
    grid->set_ClassName("Firma");
    grid->set_ClassName("Person");
    EXPECT_FALSE(grid->LastStatement().empty());
}

// Headers under the fields' captions: the columns restored from the cache know their fields again.
TEST_F(ListCacheGridTest, CaptionHeadersComeBackWithTheirFields)
{
    grid->set_FieldCaptions(true);
    grid->set_ClassName("Person");
    const int born = grid->ColumnByName("Geboren");
    ASSERT_GT(born, 0);
    EXPECT_EQ(grid->Cells(born, 0), "Geboren am");
    grid->set_ClassName("Firma");
    grid->set_ClassName("Person");
    ASSERT_TRUE(grid->LastStatement().empty()); // restored
    EXPECT_EQ(grid->ColumnByName("Geboren"), born);
    EXPECT_EQ(grid->Cells(born, 0), "Geboren am");
    EXPECT_EQ(grid->get_Felddefinition(born), db->FindClass("Person")->FindFelddefinition("Geboren"));
    EXPECT_EQ(grid->SGColInfo(born)->SortStyle, ssDate);
    // Without captions the header is the field's name again.
    grid->set_FieldCaptions(false);
    EXPECT_EQ(grid->Cells(born, 0), "Geboren");
}
