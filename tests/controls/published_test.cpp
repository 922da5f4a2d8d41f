// The published properties of the single-field controls and containers: every class round-trips,
// defaults as documented, references among the components of a loading form.
#include "QelObjCntrl.h"
#include "controls/QelMemo.h"
#include "controls/QelPanel.h"
#include "support/published_check.h"
#include "toolkit/form.h"
#include "toolkit/registry.h"
#include "toolkit/stdctrls.h"

#include <gtest/gtest.h>

namespace {

TEST(PublishedControls, EveryClassRoundTrips)
{
    QelObjCntrl::Register();
    TForm form(nullptr);
    ExpectClassesRoundTrip(
        { "TQelAction", "TQelEdit", "TQelMemo", "TQelAdvMemo", "TQelCheckBox", "TQelCheckGroup",
            "TQelCheckList", "TQelRadioGroup", "TQelGradientLabel", "TQelHTMLStaticText", "TQelPasswordEdit",
            "TQelFTMemo", "TQelPanel", "TQelTabControl", "TQelPageControl", "TQelAdvPageControl" },
        [&](const char* cls) { return CreateComponent(cls, &form); });
}

TEST(PublishedControls, Defaults)
{
    TForm form(nullptr);
    TQelPanel panel(&form);
    EXPECT_EQ(panel.PublishedPropType("PanelOptions").count, std::size(kQelPanelOptionNames));
    EXPECT_EQ(panel.GetPropValue("VectorIndex").AsInteger(), 1);
    EXPECT_EQ(panel.GetPropValue("BevelOuter").AsInteger(), bvNone);
    TQelMemo memo(&form);
    EXPECT_TRUE(memo.GetPropValue("AllowImport").AsBoolean());
    EXPECT_EQ(memo.GetPropValue("MemoOptions").AsString(), "[]");
    EXPECT_EQ(memo.GetPropValue("CountLabel").AsString(), "");
    EXPECT_TRUE(memo.SetPropValue("MemoOptions", "[moEscapeUnicode]"));
    EXPECT_TRUE(memo.get_MemoOptions().Contains(moEscapeUnicode));
}

TEST(PublishedControls, CountLabelNamedBeforeTheLabelExists)
{
    TForm form(nullptr);
    form.BeginLoading();
    auto* memo = new TQelMemo(&form);
    memo->SetName("mmBemerkung");
    EXPECT_TRUE(memo->SetPropValue("CountLabel", "lblFrei"));
    auto* label = new TLabel(&form);
    label->SetName("lblFrei");
    form.EndLoading();
    EXPECT_EQ(memo->get_CountLabel(), label);
    EXPECT_EQ(memo->GetPropValue("CountLabel").AsString(), "lblFrei");
    // A control of another class is no label.
    EXPECT_FALSE(memo->SetPropValue("CountLabel", "mmBemerkung"));
    EXPECT_EQ(memo->get_CountLabel(), nullptr);
}

} // namespace
