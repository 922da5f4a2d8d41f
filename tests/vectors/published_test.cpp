// The published properties of the vector editors: every class round-trips, option defaults, column
// lines, the panel named in a loading form.
#include "QelObjCntrl.h"
#include "controls/QelPanel.h"
#include "support/published_check.h"
#include "toolkit/form.h"
#include "toolkit/registry.h"
#include "vectors/QelRevVectorGrid.h"
#include "vectors/QelVectorGrid.h"
#include "vectors/qeldetailgrid.h"

#include <gtest/gtest.h>

namespace {

TEST(PublishedVectors, EveryClassRoundTrips)
{
    QelObjCntrl::Register();
    TForm form(nullptr);
    ExpectClassesRoundTrip({ "TQelVectorGrid", "TQelRevVectorGrid", "TQelVectorList", "TQelVectorButton",
                               "TQelEditGrid", "TQelDetailGrid" },
        [&](const char* cls) { return CreateComponent(cls, &form); });
}

TEST(PublishedVectors, OptionDefaultsAndColumnLines)
{
    TForm form(nullptr);
    TQelVectorGrid grid(&form);
    EXPECT_EQ(grid.GetPropValue("VectorGridOptions").AsString(),
        "[voDeactivate,voDeleteAllowed,voDeleteQuery,voDetails,voInsertAllowed,voMarkInvalid,voMarkStandard,"
        "voSetStandard]");
    EXPECT_EQ(grid.PublishedPropType("VectorGridOptions").count, 14u);
    EXPECT_EQ(grid.PublishedPropType("FieldNames").kind, TPropKind::Lines);
    EXPECT_TRUE(grid.SetPropValue("FieldNames", "Strasse\nOrt(120)\n"));
    ASSERT_EQ(grid.get_FieldNames().Count(), 2);
    EXPECT_EQ(grid.get_FieldNames()[1], "Ort(120)");
    EXPECT_EQ(grid.GetPropValue("FieldNames").AsString(), "Strasse\nOrt(120)\n");

    TQelRevVectorGrid rev(&form);
    EXPECT_EQ(rev.GetPropValue("RevVectorGridOptions").AsString(),
        "[rvoAutoConnect,rvoFieldEdit,rvoDeleteAllowed,rvoDeleteQuery]");
    EXPECT_TRUE(rev.GetPropValue("AddLink").AsBoolean());
    EXPECT_TRUE(rev.SetPropValue("FieldNames", "Name\n"));
    EXPECT_EQ(rev.get_FieldNames().Count(), 1);

    TQelDetailGrid detail(&form);
    EXPECT_TRUE(detail.SetPropValue("FieldNames", "* Kopf\nName\n"));
    EXPECT_EQ(detail.get_FieldNames().Count(), 2);
    EXPECT_EQ(detail.GetPropValue("HeadColor").AsInteger(), clBtnFace);
}

TEST(PublishedVectors, PanelNamedBeforeItExists)
{
    TForm form(nullptr);
    form.BeginLoading();
    auto* grid = new TQelVectorGrid(&form);
    EXPECT_TRUE(grid->SetPropValue("Panel", "pnlElement"));
    EXPECT_TRUE(grid->SetPropValue("ToolBar", "tbFehlt"));
    auto* panel = new TQelPanel(&form);
    panel->SetName("pnlElement");
    form.EndLoading();
    EXPECT_EQ(grid->get_Panel(), panel);
    EXPECT_EQ(grid->get_ToolBar(), nullptr);
    EXPECT_EQ(grid->GetPropValue("ToolBar").AsString(), "");
}

} // namespace
