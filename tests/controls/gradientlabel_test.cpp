// TQelGradientLabel: shows a field read-only, a reference by its target's name, follows touches
// and is visible exactly while connected.
#include "controls/QelGradientLabel.h"
#include "labels_fixture.h"
#include "toolkit/registry.h"

namespace {

using GradientLabelTest = LabelsTest;

TEST_F(GradientLabelTest, VisibleExactlyWhileConnectedThroughTheWalk)
{
    auto* label = add<TQelGradientLabel>("lblName", "Name");
    auto* bad = add<TQelGradientLabel>("lblBad", "GibtEsNicht");
    EXPECT_FALSE(label->Visible());
    EXPECT_EQ(label->Font().Name(), "MS Sans Serif");

    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), fl(), false), 1);
    EXPECT_TRUE(label->Visible());
    EXPECT_FALSE(bad->Visible());
    EXPECT_EQ(label->Caption(), "Ott");
    EXPECT_EQ(label->Hint(), "Nachname");
    EXPECT_EQ(label->ConnectFL(fl(), true), 0);

    TQelField* name = field(person, "Name");
    EXPECT_EQ(label->Perform(WM_OC_GETFIELD), QelOIToParam(name));
    EXPECT_EQ(label->Perform(WM_OC_LOCATE, 1, QelOIToParam(name)), 0);
    label->Perform(WM_OC_SETREADONLY, 1);
    EXPECT_EQ(TQelCommonMethods::JumpTo(name, form.get(), false), nullptr);

    EXPECT_EQ(TQelCommonMethods::DisconnectSubControls(form.get(), false), 0);
    EXPECT_FALSE(label->Visible());
    EXPECT_EQ(name->ControlCount(), 0u);
    EXPECT_EQ(PageOfClass("TQelGradientLabel"), "TelvoODB");
}

TEST_F(GradientLabelTest, ShortLongAndAmpersandValuesShowAsStored)
{
    auto* label = add<TQelGradientLabel>("lblName", "Name");
    label->ConnectFL(fl(), false);
    EXPECT_EQ(label->DisplayText(300), "Ott");

    const std::string longName
        = "Freifrau von und zu Hohenlohe-Langenburg-Schillingsfürst-Waldenburg-Bartenstein";
    field(person, "Name")->set_AsString(longName);
    EXPECT_EQ(label->Caption(), longName);
    // Too long for the label: cut with an ellipsis only when asked, the caption stays whole.
    EXPECT_EQ(label->DisplayText(120), longName);
    label->SetEllipsType(etEndEllips);
    const std::string cut = label->DisplayText(120);
    EXPECT_LT(cut.size(), longName.size());
    EXPECT_EQ(cut.substr(cut.size() - 3), "…");

    // '&' is data, not an accelerator.
    field(person, "Name")->set_AsString("Meier & Co");
    EXPECT_EQ(label->DisplayText(300), "Meier & Co");
}

TEST_F(GradientLabelTest, ReferenceShowsTargetNameOrNotSet)
{
    auto* label = add<TQelGradientLabel>("lblFirma", "Arbeitgeber");
    ASSERT_EQ(label->ConnectFL(fl(), false), 1);
    EXPECT_EQ(label->Caption(), "(nicht gesetzt)");
    employer()->set_AsObject(firm);
    EXPECT_EQ(label->Caption(), "Müller & Söhne GmbH");
    // A key whose object does not exist refers to none either.
    employer()->set_AsString("999999");
    EXPECT_EQ(label->Caption(), "(nicht gesetzt)");

    // The firm renamed elsewhere shows with the next touch of any field of the person.
    employer()->set_AsObject(firm);
    field(firm, "Name")->set_AsString("Schulze KG");
    EXPECT_EQ(label->Caption(), "Müller & Söhne GmbH");
    field(person, "Vorname")->set_AsString("Berta");
    EXPECT_EQ(label->Caption(), "Schulze KG");
}

TEST_F(GradientLabelTest, ForgetsItsFieldWhenTheObjectGoes)
{
    auto* label = add<TQelGradientLabel>("lblName", "Name");
    label->ConnectFL(fl(), false);
    db->FreeObject(person);
    person = nullptr;
    EXPECT_EQ(label->Perform(WM_OC_GETFIELD), 0);
    label->Repaint();
    EXPECT_EQ(label->Caption(), "");
    delete label; // unregisters nothing that is gone
}

} // namespace
