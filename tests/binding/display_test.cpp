// Display rules by field type, on field definitions built by hand.
#include "binding/methods.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {

struct Types {
    std::map<int, std::unique_ptr<TQelFeldtyp>> byId;
    const TQelFeldtyp* get(int id, int parent = 0)
    {
        auto& t = byId[id];
        if (!t) {
            t = std::make_unique<TQelFeldtyp>();
            t->id = id;
            t->parent = parent ? get(parent) : nullptr;
        }
        return t.get();
    }
};

TQelFelddefinition def(
    const TQelFeldtyp* type, const std::string& name, int length = 0, std::vector<std::string> domain = {})
{
    TQelFelddefinition d;
    d.type = type;
    d.name = name;
    d.length = length;
    for (auto& s : domain)
        d.domain.push_back({ s, s });
    return d;
}

} // namespace

TEST(DisplayRules, ColumnSettingsByType)
{
    Types t;
    struct Case {
        const TQelFeldtyp* type;
        std::string expected;
    } cases[] = {
        { t.get(3002), "10c/0" },
        { t.get(3003), "10c/0" },
        { t.get(3006, 3003), "'000.000,00--'/0" },
        { t.get(3007, 3003), "'00,000--'/0" },
        { t.get(3004), "4c/0" },
        { t.get(3005), "'00.00.0000 00:00--'/0" },
        { t.get(3011, 3005), "'00.00.0000--'/0" },
        { t.get(3012, 3005), "'00:00--'/0" },
        { t.get(3013, 3005), "'00:00:00--'/0" },
        { t.get(3014, 3005), "'00.00.0000 00:00:00--'/0" }, // any other date subtype
        { t.get(3010), "20c/0" },
        { t.get(13423), "20c/0" },
        { t.get(3016, 3015), "10c/0" },
        { t.get(3009), "" },
        { t.get(40000, 3002), "10c/0" },
    };
    for (const Case& c : cases) {
        const TQelFelddefinition d = def(c.type, "X");
        EXPECT_EQ(TQelCommonMethods::GuessColSettings(&d, true, 100), c.expected) << c.type->id;
    }
    EXPECT_EQ(
        TQelCommonMethods::GuessColSettings(static_cast<const TQelFelddefinition*>(nullptr), true, 100), "");
}

TEST(DisplayRules, WidthsOfTextAndChoice)
{
    Types t;
    const TQelFelddefinition unlimited = def(t.get(3001), "Nm");
    EXPECT_EQ(TQelCommonMethods::GuessColSettings(&unlimited, true, 100), "100c"); // 255 cut to 100
    const TQelFelddefinition text = def(t.get(3001), "Bemerkungen", 5);
    EXPECT_EQ(TQelCommonMethods::GetFieldWidth(&text, false, 100), 5);
    EXPECT_EQ(TQelCommonMethods::GetFieldWidth(&text, true, 100), 11);

    const TQelFelddefinition choice = def(t.get(3008), "Status", 0, { "Ja", "Nein", "Fünf" });
    EXPECT_EQ(TQelCommonMethods::GuessColSettings(&choice, true, 100), "6c/0");
    EXPECT_EQ(TQelCommonMethods::GuessColSettings(&choice, false, 100), "4c/0"); // "Fünf" is 4 characters
    const TQelFelddefinition emptyChoice = def(t.get(3008), "S", 7);
    EXPECT_EQ(TQelCommonMethods::GetFieldWidth(&emptyChoice, false, 100), 7);
    const TQelFelddefinition bareChoice = def(t.get(3008), "S");
    EXPECT_EQ(TQelCommonMethods::GetFieldWidth(&bareChoice, false, 300), 255);
    const TQelFelddefinition flag = def(t.get(3004), "A");
    EXPECT_EQ(TQelCommonMethods::GetFieldWidth(&flag, false, 100), 3);
    EXPECT_EQ(TQelCommonMethods::GetFieldWidth(static_cast<TQelField*>(nullptr), true, 100), 0);
}

TEST(DisplayRules, AlignmentAndMarkColours)
{
    Types t;
    const TQelFelddefinition integer = def(t.get(3002), "I");
    const TQelFelddefinition derivedInteger = def(t.get(40001, 3002), "I2");
    const TQelFelddefinition derivedAmount = def(t.get(3006, 3003), "B");
    const TQelFelddefinition text = def(t.get(3001), "T");
    EXPECT_EQ(TQelCommonMethods::GetAlign(&integer), taRightJustify);
    EXPECT_EQ(TQelCommonMethods::GetAlign(&derivedInteger), taLeftJustify);
    EXPECT_EQ(TQelCommonMethods::GetAlign(&derivedAmount), taRightJustify);
    EXPECT_EQ(TQelCommonMethods::GetAlign(&text), taLeftJustify);
    EXPECT_EQ(TQelCommonMethods::GetAlign(static_cast<const TQelFelddefinition*>(nullptr)), taLeftJustify);

    EXPECT_EQ(TQelCommonMethods::StandardMarkColor(2, clWindow), TColor(0x7F7FFF));
    EXPECT_EQ(TQelCommonMethods::StandardMarkColor(3, clWindow), TColor(0x7FFFFF));
    EXPECT_EQ(TQelCommonMethods::StandardMarkColor(0, clLime), clLime);
    EXPECT_EQ(TQelCommonMethods::StandardMarkColor(1, clLime), clLime);
}
