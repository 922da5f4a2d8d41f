// The published properties of the object lists: every class round-trips, the select grid's
// defaults, its search controls named in a loading form.
#include "QelObjCntrl.h"
#include "lists/QelSelectGrid.h"
#include "support/published_check.h"
#include "toolkit/form.h"
#include "toolkit/registry.h"
#include "toolkit/stdctrls.h"

#include <gtest/gtest.h>

namespace {

TEST(PublishedLists, EveryClassRoundTrips)
{
    QelObjCntrl::Register();
    TForm form(nullptr);
    ExpectClassesRoundTrip({ "TQelGrid", "TQelOpenSelectGrid", "TQelSelectGrid", "TChooseObjectBtn" },
        [&](const char* cls) { return CreateComponent(cls, &form); });
}

TEST(PublishedLists, SelectGridDefaults)
{
    TForm form(nullptr);
    TQelSelectGrid grid(&form);
    EXPECT_EQ(grid.GetPropValue("BrushColorFilter").AsInteger(), 0xC0C0C0);
    // Colours whose names do not end in "Color" are known as colours by their kind.
    EXPECT_EQ(grid.PublishedPropType("BrushColorFilter").kind, TPropKind::Color);
    EXPECT_EQ(grid.PublishedPropType("FilterDelay").kind, TPropKind::Value);
    EXPECT_EQ(grid.GetPropValue("FontColorTouched").AsInteger(), 0x008000);
    EXPECT_EQ(grid.GetPropValue("FilterDelay").AsInteger(), 500);
    EXPECT_EQ(grid.GetPropValue("SelectDelay").AsInteger(), 350);
    EXPECT_EQ(grid.GetPropValue("SelectGridOptions").AsString(),
        "[soNotDeleted,soNoMetaFields,soAutoRefresh,soFilterAdmin,soHideEmptyCols]");
    EXPECT_TRUE(grid.SetPropValue("BrushColorFilter", 0x112233));
    EXPECT_EQ(grid.BrushColorFilter, TColor(0x112233));
    EXPECT_FALSE(grid.SetPropValue("SelectGridOptions", "[soMultiSelect,soGibtsNicht]"));
    EXPECT_FALSE(grid.get_SelectGridOptions().Contains(soMultiSelect));
}

TEST(PublishedLists, SearchControlsResolvedWhenTheFormIsLoaded)
{
    TForm form(nullptr);
    form.BeginLoading();
    auto* grid = new TQelSelectGrid(&form);
    EXPECT_TRUE(grid->SetPropValue("SearchEdit", "edSuche"));
    EXPECT_TRUE(grid->SetPropValue("SearchNext", "btWeiter"));
    EXPECT_TRUE(grid->SetPropValue("ExtSearch", "btErweitert"));
    auto* edit = new TEdit(&form);
    edit->SetName("edSuche");
    auto* next = new TButton(&form);
    next->SetName("btWeiter");
    auto* ext = new TButton(&form);
    ext->SetName("btErweitert");
    form.EndLoading();
    EXPECT_EQ(grid->get_SearchEdit(), edit);
    EXPECT_EQ(grid->get_SearchNext(), next);
    EXPECT_EQ(grid->get_ExtSearch(), ext);
    EXPECT_EQ(grid->GetPropValue("ExtSearch").AsString(), "btErweitert");
    // Outside loading an unknown name is refused and clears the reference.
    EXPECT_FALSE(grid->SetPropValue("SearchEdit", "edFehlt"));
    EXPECT_EQ(grid->get_SearchEdit(), nullptr);
}

} // namespace
