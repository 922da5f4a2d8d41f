// Scaling forms and controls to the workstation's resolution.
#include "binding/methods.h"
#include "support/settings_db.h"

#include "toolkit/extctrls.h"
#include "toolkit/gridcontrol.h"
#include "toolkit/listbox.h"
#include "toolkit/stdctrls.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

using M = TQelCommonMethods;

// A container that records the messages its children send it.
class TRecordingPanel : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<TMessage> received;

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg >= 0x1C2A && m.Msg <= 0x1C4B)
            received.push_back(m);
        TCustomControl::WndProc(m);
    }
};

// Refuses to be resized once armed (a control failing in the middle of scaling).
class TRefusingControl : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    bool armed = false;
    void SetBounds(int l, int t, int w, int h) override
    {
        if (armed)
            throw std::runtime_error("Größe abgelehnt");
        TCustomControl::SetBounds(l, t, w, h);
    }
};

template <class T>
T* place(TWinControl* parent, int l, int t, int w, int h, TAnchors anchors = { akLeft, akTop })
{
    auto* c = new T(parent);
    c->SetParent(parent);
    c->SetBounds(l, t, w, h);
    c->SetAnchors(anchors);
    return c;
}

TRect bounds(const TControl* c)
{
    return c->BoundsRect();
}

} // namespace

TEST(Scale, ValuesRoundHalfUpAndInvert)
{
    EXPECT_EQ(M::scale(100, 120), 125);
    EXPECT_EQ(M::scale(1, 144), 2);
    EXPECT_EQ(M::scale(0, 144), 0);
    EXPECT_EQ(M::scale(0, 0), 0);
    EXPECT_EQ(M::scale(37, 96), 37);
    EXPECT_EQ(M::scale(10, 1.55), 15);
    EXPECT_EQ(M::rescale(0, 120), 0);
    for (int dpi : { 96, 120, 144, 192 })
        for (int v : { 1, 7, 24, 100, 599 })
            EXPECT_EQ(M::rescale(M::scale(v, dpi), dpi), v) << v << " at " << dpi;
    EXPECT_EQ(M::rescale(15, 1.5), 10);
    EXPECT_EQ(M::rescale(15, 0.0), 15);
    EXPECT_EQ(M::absx(0.1235, 1000), 124); // rounded, not truncated
    EXPECT_EQ(M::absy(0.5, 0), (Screen()->Height() + 1) / 2); // no extent: the screen's
}

TEST(Scale, NegativeValuesFollowTheSameFormulaTruncatedTowardZero)
{
    // (v * dpi + 48) / 96 and its inverse (v * 96 + dpi / 2) / dpi, truncated toward zero.
    struct Case {
        int v, dpi, scaled, rescaled;
    } cases[] = {
        { -100, 120, -124, -79 }, // -11952 / 96 = -124.5; -9540 / 120 = -79.5
        { -1, 96, 0, 0 }, // -48 / 96 = -0.5
        { -2, 96, -1, -1 }, // -144 / 96 = -1.5
        { -10, 144, -14, -6 }, // -1392 / 96 = -14.5; -888 / 144 = -6.2
        { -3, 48, -1, -5 }, // -96 / 96; -264 / 48 = -5.5
        { 100, 120, 125, 80 }, // 12048 / 96 = 125.5; 9660 / 120 = 80.5
        { 3, 48, 2, 6 }, // 192 / 96; 312 / 48 = 6.5
    };
    for (const Case& c : cases) {
        EXPECT_EQ(M::scale(c.v, c.dpi), c.scaled) << c.v << " at " << c.dpi;
        EXPECT_EQ(M::rescale(c.v, c.dpi), c.rescaled) << c.v << " at " << c.dpi;
    }
    EXPECT_EQ(M::scale(-10, 1.55), -15); // truncated toward zero, as for positive values
    EXPECT_EQ(M::rescale(-15, 1.5), -10);
    EXPECT_EQ(M::scale(2000000, 192), 4000000); // no overflow of the product
}

TEST(Scale, WorkstationDPIComesFromTheComputerSettings)
{
    const int screen = Screen()->PixelsPerInch();
    EXPECT_EQ(M::WorkstationDPI(), screen); // no database
    TTestSettingsDb db;
    EXPECT_EQ(M::WorkstationDPI(), screen); // no setting
    db.SetDPI(144);
    EXPECT_EQ(M::WorkstationDPI(), 144);
    EXPECT_EQ(M::scale(100, 0), 150); // a dpi below 1 reads the setting
    EXPECT_EQ(M::rescale(150, -1), 100);
    db.SetDPI(0); // a broken setting must not turn every extent into 0
    EXPECT_EQ(M::WorkstationDPI(), screen);
}

TEST(Scale, FormNeedsAnInitialisedDatabaseAndADifferentResolution)
{
    TForm form(nullptr);
    form.SetClientWidth(400);
    form.SetClientHeight(300);
    auto* edit = place<TEdit>(&form, 40, 20, 100, 24);
    M::ScaleForm(&form, 120); // no database
    EXPECT_EQ(form.ClientWidth(), 400);
    EXPECT_EQ(bounds(edit), Bounds(40, 20, 100, 24));

    TTestSettingsDb db(96);
    M::ScaleForm(&form, 0); // the setting says 96: nothing to do
    M::ScaleForm(&form, 96.7); // truncated to 96
    EXPECT_EQ(form.ClientWidth(), 400);
    EXPECT_EQ(form.Font().Size(), 9);
    EXPECT_EQ(bounds(edit), Bounds(40, 20, 100, 24));
}

TEST(Scale, FormScalesSizeFontAndEveryKindOfChild)
{
    TTestSettingsDb db(120);
    TForm form(nullptr);
    form.SetClientWidth(400);
    form.SetClientHeight(300);
    form.Font().SetSize(9);

    auto* plain = place<TEdit>(&form, 40, 20, 100, 24);
    auto* right = place<TEdit>(&form, 280, 20, 100, 24, { akTop, akRight });
    auto* stretched = place<TEdit>(&form, 40, 60, 320, 24, { akLeft, akTop, akRight });
    auto* bottom = place<TEdit>(&form, 40, 250, 100, 24, { akLeft, akBottom });
    auto* fixedHeight = place<TEdit>(&form, 150, 100, 100, 24);
    fixedHeight->SetTag(1);
    auto* memo = place<TMemo>(&form, 260, 100, 100, 60);
    memo->SetTag(1);
    auto* ownFont = place<TLabel>(&form, 40, 140, 80, 16);
    ownFont->SetAutoSize(false);
    ownFont->Font().SetSize(10);
    ownFont->SetParentFont(false);
    auto* followsForm = place<TLabel>(&form, 40, 160, 80, 16);
    followsForm->SetAutoSize(false);

    auto* top = place<TPanel>(&form, 0, 0, 400, 40);
    top->SetAlign(alTop);
    auto* nested = place<TEdit>(top, 10, 5, 50, 20);
    auto* side = place<TPanel>(&form, 0, 0, 30, 100);
    side->SetAlign(alLeft);

    const int bottomDistance = 300 - (250 + 24);
    M::ScaleForm(&form, 0);

    EXPECT_EQ(form.ClientWidth(), 500);
    EXPECT_EQ(form.ClientHeight(), 375);
    EXPECT_EQ(form.Font().Size(), 11);
    EXPECT_EQ(bounds(plain), Bounds(50, 25, 125, 30));
    EXPECT_EQ(bounds(right), Bounds(500 - 25 - 125, 25, 125, 30)); // 20 px to the right edge -> 25
    EXPECT_EQ(bounds(stretched), Bounds(50, 75, 400, 30)); // both edges at their scaled distances
    EXPECT_EQ(bottom->Top() + bottom->Height(), 375 - M::scale(bottomDistance, 120));
    EXPECT_EQ(bottom->Height(), 30);
    EXPECT_EQ(bounds(fixedHeight), Bounds(188, 125, 125, 24)); // a single-line edit with a Tag
    EXPECT_EQ(memo->Height(), 75); // a memo's Tag keeps nothing
    EXPECT_EQ(ownFont->Font().Size(), 13);
    EXPECT_EQ(followsForm->Font().Size(), 11);
    EXPECT_EQ(top->Height(), 50);
    EXPECT_EQ(top->Width(), 500);
    EXPECT_EQ(bounds(nested), Bounds(13, 6, 63, 25)); // windowed children recursively
    EXPECT_EQ(side->Width(), 38);
}

TEST(Scale, FormIsCutToTheScreen)
{
    TTestSettingsDb db;
    TForm form(nullptr);
    form.SetClientWidth(Screen()->Width() - 10);
    form.SetClientHeight(Screen()->Height() - 10);
    M::ScaleForm(&form, 144);
    EXPECT_EQ(form.ClientWidth(), Screen()->Width());
    EXPECT_EQ(form.ClientHeight(), Screen()->Height());
}

TEST(Scale, GridsAndListBoxesScaleTheirInnerExtents)
{
    TForm form(nullptr);
    auto* panel = place<TRecordingPanel>(&form, 0, 0, 300, 200);
    auto* grid = place<TStringGrid>(panel, 0, 0, 200, 100);
    grid->SetColCount(3);
    grid->SetDefaultRowHeight(20);
    grid->SetColWidths(0, 64);
    grid->SetColWidths(2, 100);
    auto* list = place<TListBox>(panel, 0, 110, 100, 80);
    list->SetItemHeight(16);

    M::ScaleControl(panel, 144);

    EXPECT_EQ(grid->DefaultRowHeight(), 30);
    EXPECT_EQ(grid->ColWidths(0), 96);
    EXPECT_EQ(grid->ColWidths(2), 150);
    EXPECT_EQ(list->ItemHeight(), 24);
    ASSERT_EQ(panel->received.size(), 1u);
    EXPECT_EQ(panel->received[0].Msg, 0x1C3Du);
    EXPECT_EQ(panel->received[0].WParam, reinterpret_cast<WPARAM>(grid));
    EXPECT_EQ(panel->received[0].LParam, 144);
    EXPECT_EQ(bounds(grid), Bounds(0, 0, 300, 150));
}

TEST(Scale, ControlUsesTheSettingWhenNoResolutionIsGiven)
{
    TTestSettingsDb db(192);
    TForm form(nullptr);
    auto* panel = place<TPanel>(&form, 0, 0, 300, 200);
    auto* edit = place<TEdit>(panel, 10, 10, 50, 20);
    M::ScaleControl(panel, 0);
    EXPECT_EQ(bounds(edit), Bounds(20, 20, 100, 40));
    EXPECT_EQ(bounds(panel), Bounds(0, 0, 300, 200)); // the control itself stays
}

TEST(Scale, FailureIsLoggedNotThrown)
{
    TTestSettingsDb db;
    TForm form(nullptr);
    auto* refusing = place<TRefusingControl>(&form, 10, 10, 50, 50);
    refusing->armed = true;
    EXPECT_NO_THROW(M::ScaleForm(&form, 120));
    const auto errors = db.db->LogManager()->EntriesOf("Error");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Text, "ScaleForm(): Größe abgelehnt");

    db.db->LogManager()->set_Active(false);
    EXPECT_NO_THROW(M::ScaleForm(&form, 120));
    EXPECT_EQ(db.db->LogManager()->EntriesOf("Error").size(), 1u);
}

TEST(Scale, MinExtentsGrowTheFormAndHoldIt)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 150);
    M::SetMinExtents(&form, 300, 100, false);
    EXPECT_EQ(form.Width(), 300);
    EXPECT_EQ(form.Height(), 150); // already higher
    EXPECT_EQ(form.Constraints().MinWidth(), 300);
    EXPECT_EQ(form.Constraints().MinHeight(), 100);
    form.SetBounds(0, 0, 50, 50);
    EXPECT_EQ(form.Width(), 300);
    EXPECT_EQ(form.Height(), 100);

    TTestSettingsDb db(120);
    TForm scaled(nullptr);
    scaled.SetBounds(0, 0, 100, 100);
    M::SetMinExtents(&scaled, 300, 200, true);
    EXPECT_EQ(scaled.Width(), 375);
    EXPECT_EQ(scaled.Height(), 250);
    EXPECT_EQ(scaled.Constraints().MinWidth(), 375);
}
