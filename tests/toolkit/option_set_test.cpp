// Option sets published as text: reading, writing, refusing what names no element.
#include "toolkit/component.h"

#include <gtest/gtest.h>
#include <random>

namespace {

enum TToyOption { toFirst, toSecond, toThird };
using TToyOptions = TSet<TToyOption>;
constexpr const char* kToyOptionNames[] = { "toFirst", "toSecond", "toThird" };

class TToy : public TComponent {
public:
    explicit TToy(TComponent* owner)
        : TComponent(owner)
    {
        PublishSet<&TToy::get_Options, &TToy::set_Options, kToyOptionNames>("Options");
    }
    TToyOptions get_Options() const { return options; }
    void set_Options(TToyOptions o)
    {
        options = o;
        ++writes;
    }
    TToyOptions options;
    int writes = 0;
};

TEST(OptionSets, ReadAndWrittenAsTextInEnumerationOrder)
{
    TToy toy(nullptr);
    EXPECT_EQ(toy.GetPropValue("Options").AsString(), "[]");
    toy.options = { toThird, toFirst };
    EXPECT_EQ(toy.GetPropValue("options").AsString(), "[toFirst,toThird]");

    struct Case {
        const char* text;
        TToyOptions expected;
    };
    for (const Case& c :
        { Case { "[toSecond]", { toSecond } }, Case { " [ TOTHIRD ,tofirst ] ", { toFirst, toThird } },
            Case { "toSecond,toThird", { toSecond, toThird } }, Case { "[]", {} }, Case { "", {} },
            Case { "[toFirst,toFirst]", { toFirst } } }) {
        toy.options = { toSecond };
        EXPECT_TRUE(toy.SetPropValue("Options", c.text)) << c.text;
        EXPECT_EQ(toy.options, c.expected) << c.text;
    }
    // Numbers are the set's bits.
    EXPECT_TRUE(toy.SetPropValue("Options", 5));
    EXPECT_EQ(toy.options, (TToyOptions { toFirst, toThird }));
}

TEST(OptionSets, RefusedTextsLeaveTheSetAlone)
{
    TToy toy(nullptr);
    toy.options = { toSecond };
    for (const char* bad : { "[toFourth]", "[toFirst", "toFirst]", "[toFirst,]", "[,toFirst]",
             "[toFirst;toSecond]", "[to First]", "[[toFirst]]", "]", "[" }) {
        const int writes = toy.writes;
        EXPECT_FALSE(toy.SetPropValue("Options", bad)) << bad;
        EXPECT_EQ(toy.options, TToyOptions { toSecond }) << bad;
        EXPECT_EQ(toy.writes, writes) << bad;
    }
    EXPECT_FALSE(toy.SetPropValue("Options", 8)); // no fourth element
    EXPECT_FALSE(toy.SetPropValue("Options", -1));
    EXPECT_EQ(toy.options, TToyOptions { toSecond });
}

// Random texts over the characters of set texts: either refused, or read back as written.
TEST(OptionSets, FuzzedTextsAreReadOrRefused)
{
    std::mt19937 rng(7);
    const std::string pieces[] = { "[", "]", ",", " ", "toFirst", "toSecond", "toThird", "to", "x", "\t" };
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int n = static_cast<int>(rng() % 8);
        for (int i = 0; i < n; ++i)
            text += pieces[rng() % std::size(pieces)];
        std::uint64_t bits = 99;
        if (TextToSet(text, kToyOptionNames, std::size(kToyOptionNames), bits)) {
            EXPECT_LT(bits, 8u) << text;
            std::uint64_t again = 99;
            ASSERT_TRUE(TextToSet(SetToText(bits, kToyOptionNames, 3), kToyOptionNames, 3, again)) << text;
            EXPECT_EQ(again, bits) << text;
        } else {
            EXPECT_EQ(bits, 99u) << text;
        }
    }
}

} // namespace
