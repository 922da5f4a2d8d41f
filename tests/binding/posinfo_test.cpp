// Position strings: writing a control's bounds relative to its parent and reading them back.
#include "binding/methods.h"

#include "toolkit/extctrls.h"

#include <gtest/gtest.h>

namespace {

using M = TQelCommonMethods;

// The items of a position string, with the decimal separator read as '.'.
std::vector<std::string> items(std::string info)
{
    for (char& c : info)
        if (c == ',')
            c = '.';
    return SplitString(info, "/");
}

class PosInfo : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.SetClientWidth(600);
        form.SetClientHeight(300);
        panel = new TPanel(&form);
        panel->SetParent(&form);
        panel->SetBounds(60, 30, 120, 60);
    }
    TForm form { nullptr };
    TPanel* panel = nullptr;
};

} // namespace

TEST_F(PosInfo, FlagsChooseTheItems)
{
    EXPECT_EQ(items(M::get_posinfo(panel, "")), (std::vector<std::string> { "0.1", "0.1", "0.2", "0.2" }));
    EXPECT_EQ(items(M::get_posinfo(panel, " p ")), (std::vector<std::string> { "0.1", "0.1" }));
    EXPECT_EQ(items(M::get_posinfo(panel, "E")), (std::vector<std::string> { "0.2", "0.2" }));
    EXPECT_EQ(items(M::get_posinfo(panel, "X")), (std::vector<std::string> { "0.1", "0.2" }));
    EXPECT_EQ(items(M::get_posinfo(panel, "Y")), (std::vector<std::string> { "0.1", "0.2" }));
    EXPECT_EQ(items(M::get_posinfo(panel, "A")), (std::vector<std::string> { "0.1", "0.1", "A120", "A60" }));
    EXPECT_EQ(M::get_posinfo(nullptr, ""), "");
}

TEST_F(PosInfo, RoundTripFollowsTheParentsSize)
{
    panel->SetBounds(37, 11, 203, 97);
    const std::string info = M::get_posinfo(panel, "");
    panel->SetBounds(0, 0, 10, 10);
    EXPECT_TRUE(M::set_posinfo(panel, info, "", 1.0, 1.0));
    EXPECT_EQ(panel->BoundsRect(), Bounds(37, 11, 203, 97));

    form.SetClientWidth(1200);
    form.SetClientHeight(600);
    EXPECT_TRUE(M::set_posinfo(panel, info, "", 1.0, 1.0));
    EXPECT_EQ(panel->BoundsRect(), Bounds(74, 22, 406, 194));

    // Absolute sizes stay absolute.
    const std::string abs = M::get_posinfo(panel, "A");
    form.SetClientWidth(600);
    form.SetClientHeight(300);
    EXPECT_TRUE(M::set_posinfo(panel, abs, "", 1.0, 1.0));
    EXPECT_EQ(panel->BoundsRect(), Bounds(37, 11, 406, 194));
}

TEST_F(PosInfo, ItemsMustMatchTheFlags)
{
    // Fewer items than flags: what is there is applied, the rest kept.
    EXPECT_TRUE(M::set_posinfo(panel, "0.5/0.5", "LTWH", 1.0, 1.0));
    EXPECT_EQ(panel->BoundsRect(), Bounds(300, 150, 120, 60));
    // More items than the flags use: nothing happens.
    EXPECT_FALSE(M::set_posinfo(panel, "0.1/0.1/0.1/0.1", "LT", 1.0, 1.0));
    EXPECT_EQ(panel->BoundsRect(), Bounds(300, 150, 120, 60));
    EXPECT_FALSE(M::set_posinfo(panel, "", "", 1.0, 1.0));
    EXPECT_FALSE(M::set_posinfo(nullptr, "0.1", "L", 1.0, 1.0));
    // Only the named edges.
    EXPECT_TRUE(M::set_posinfo(panel, "0.25/0.5", "Y", 1.0, 1.0));
    EXPECT_EQ(panel->BoundsRect(), Bounds(300, 75, 120, 150));
}

TEST_F(PosInfo, OutOfRangeValuesAreCentredOnlyWithC)
{
    EXPECT_TRUE(M::set_posinfo(panel, "0", "W", 1.0, 1.0));
    EXPECT_EQ(panel->Width(), 0);
    EXPECT_TRUE(M::set_posinfo(panel, "0", "WC", 0.5, 1.0));
    EXPECT_EQ(panel->Width(), 150); // half of the factored width 300
    EXPECT_TRUE(M::set_posinfo(panel, "-0.5/A2000", "LHC", 1.0, 1.0));
    EXPECT_EQ(panel->Left(), 300);
    EXPECT_EQ(panel->Height(), 150);
    EXPECT_TRUE(M::set_posinfo(panel, "-0.03/0.99", "PC", 1.0, 1.0));
    EXPECT_EQ(panel->Left(), -18); // -20 and above stays
    EXPECT_EQ(panel->Top(), 150); // not less than the height minus 10
}

TEST_F(PosInfo, InvalidItemsReadAsZero)
{
    EXPECT_TRUE(M::set_posinfo(panel, "abc/Axy/0,5/A40", "", 1.0, 1.0));
    EXPECT_EQ(panel->BoundsRect(), Bounds(0, 0, 300, 40)); // both decimal separators read
}

TEST(PosInfoScreen, ControlWithoutParentIsRelativeToTheScreen)
{
    TForm form(nullptr);
    form.SetBounds(Screen()->Width() / 4, 0, Screen()->Width() / 2, 100);
    EXPECT_EQ(items(M::get_posinfo(&form, "X")), (std::vector<std::string> { "0.25", "0.5" }));
}
