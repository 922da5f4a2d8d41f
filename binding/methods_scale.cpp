// Scaling forms and controls from the design resolution (96 pixels per inch) to the
// workstation's resolution.
#include "binding/methods.h"
#include "binding/qellogging.h"

#include "toolkit/gridcontrol.h"
#include "toolkit/listbox.h"
#include "toolkit/stdctrls.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

constexpr int kDesignDPI = 96;
constexpr const char* kDPISetting = "DPI";
// Tells a grid's parent that the grid was scaled (WParam the grid, LParam the resolution).
constexpr unsigned WM_OC_GRIDSCALED = 0x1C3D;

int screenExtent(int extent, bool horizontal)
{
    if (extent != 0)
        return extent;
    return horizontal ? Screen()->Width() : Screen()->Height();
}

// Scales one edge pair of a child that is not aligned: `pos` and `size` along one axis of a
// parent whose client extent is `parentExtent`. An edge anchored on the far side keeps its scaled
// distance to that side; anchored on both sides, the size follows from both scaled distances.
void scaleAxis(int& pos, int& size, int parentExtent, bool nearAnchor, bool farAnchor, int dpi, bool keepSize)
{
    const int farDistance = parentExtent - (pos + size);
    const int newSize = keepSize ? size : TQelCommonMethods::scale(size, dpi);
    if (farAnchor && !nearAnchor) {
        size = newSize;
        pos = parentExtent - TQelCommonMethods::scale(farDistance, dpi) - size;
    } else if (farAnchor && nearAnchor && !keepSize) {
        pos = TQelCommonMethods::scale(pos, dpi);
        size = std::max(0, parentExtent - pos - TQelCommonMethods::scale(farDistance, dpi));
    } else {
        pos = TQelCommonMethods::scale(pos, dpi);
        size = newSize;
    }
}

void scaleBounds(TControl* c, TWinControl* parent, int dpi)
{
    int left = c->Left(), top = c->Top(), width = c->Width(), height = c->Height();
    switch (c->Align()) {
    case alNone:
    case alCustom: {
        const TAnchors a = c->Anchors();
        // A single-line edit with a Tag keeps the height its font gives it.
        const bool keepHeight
            = c->Tag() != 0 && dynamic_cast<TCustomEdit*>(c) && !dynamic_cast<TCustomMemo*>(c);
        scaleAxis(left, width, parent->ClientWidth(), a.Contains(akLeft), a.Contains(akRight), dpi, false);
        scaleAxis(
            top, height, parent->ClientHeight(), a.Contains(akTop), a.Contains(akBottom), dpi, keepHeight);
        break;
    }
    case alLeft:
    case alRight:
        width = TQelCommonMethods::scale(width, dpi);
        break;
    case alTop:
    case alBottom:
        height = TQelCommonMethods::scale(height, dpi);
        break;
    case alClient:
        break;
    }
    c->SetBounds(left, top, width, height);
}

void scaleTypeSpecific(TControl* c, TWinControl* parent, int dpi)
{
    if (auto* grid = dynamic_cast<TStringGrid*>(c)) {
        grid->SetDefaultRowHeight(TQelCommonMethods::scale(grid->DefaultRowHeight(), dpi));
        for (int col = 0; col < grid->ColCount(); ++col)
            grid->SetColWidths(col, TQelCommonMethods::scale(grid->ColWidths(col), dpi));
        parent->Perform(WM_OC_GRIDSCALED, reinterpret_cast<WPARAM>(grid), dpi);
    } else if (auto* list = dynamic_cast<TCustomListBox*>(c)) {
        list->SetItemHeight(TQelCommonMethods::scale(list->ItemHeight(), dpi));
    }
}

} // namespace

int TQelCommonMethods::scale(int v, int dpi)
{
    if (v == 0)
        return 0;
    if (dpi < 1)
        dpi = WorkstationDPI();
    // (v * dpi + 48) / 96, truncated toward zero as integer division does: rounded half up for
    // positive values. The product is taken wide so that large values do not overflow.
    return static_cast<int>((static_cast<long long>(v) * dpi + kDesignDPI / 2) / kDesignDPI);
}

int TQelCommonMethods::scale(int v, double f)
{
    return static_cast<int>(v * f);
}

int TQelCommonMethods::rescale(int v, int dpi)
{
    if (v == 0)
        return 0;
    if (dpi < 1)
        dpi = WorkstationDPI();
    // The inverse of scale: (v * 96 + dpi / 2) / dpi, truncated toward zero.
    return static_cast<int>((static_cast<long long>(v) * kDesignDPI + dpi / 2) / dpi);
}

int TQelCommonMethods::rescale(int v, double f)
{
    if (v == 0 || f == 0.0)
        return v;
    return static_cast<int>(v / f);
}

double TQelCommonMethods::relx(int v, int extent)
{
    return static_cast<double>(v) / screenExtent(extent, true);
}

double TQelCommonMethods::rely(int v, int extent)
{
    return static_cast<double>(v) / screenExtent(extent, false);
}

int TQelCommonMethods::absx(double r, int extent)
{
    return static_cast<int>(std::lround(r * screenExtent(extent, true)));
}

int TQelCommonMethods::absy(double r, int extent)
{
    return static_cast<int>(std::lround(r * screenExtent(extent, false)));
}

int TQelCommonMethods::WorkstationDPI()
{
    const int screenDPI = Screen()->PixelsPerInch();
    TQelDatabase* db = QelDatabase();
    if (!db || !db->Initialized())
        return screenDPI;
    try {
        TQelComputer* computer = db->Computer();
        const int dpi = computer ? computer->NameWert().ReadInteger(kDPISetting, screenDPI) : screenDPI;
        // A stored value below 1 would make every extent 0; it counts as unset.
        return dpi >= 1 ? dpi : screenDPI;
    } catch (const std::exception& e) {
        QelLogError("WorkstationDPI(): %s", e.what());
        return screenDPI;
    }
}

void TQelCommonMethods::ScaleForm(TCustomForm* f, int dpi)
{
    TQelDatabase* db = QelDatabase();
    if (!f || !db || !db->Initialized())
        return;
    try {
        if (dpi < 1)
            dpi = WorkstationDPI();
        if (dpi == kDesignDPI)
            return;
        f->SetClientWidth(std::min(scale(f->ClientWidth(), dpi), Screen()->Width()));
        f->SetClientHeight(std::min(scale(f->ClientHeight(), dpi), Screen()->Height()));
        f->Font().SetSize(scale(f->Font().Size(), dpi));
        scale_controls(f, dpi);
    } catch (const std::exception& e) {
        QelLogError("ScaleForm(): %s", e.what());
    }
}

void TQelCommonMethods::ScaleForm(TCustomForm* f, double dpi)
{
    ScaleForm(f, static_cast<int>(dpi));
}

void TQelCommonMethods::ScaleControl(TWinControl* c, int dpi)
{
    scale_controls(c, dpi < 1 ? WorkstationDPI() : dpi);
}

void TQelCommonMethods::ScaleControl(TWinControl* c, double dpi)
{
    ScaleControl(c, static_cast<int>(dpi));
}

void TQelCommonMethods::scale_controls(TWinControl* parent, int dpi)
{
    if (!parent)
        return;
    if (dpi < 1)
        dpi = WorkstationDPI();
    for (int i = 0; i < parent->GetControlCount(); ++i) {
        TControl* c = parent->GetControl(i);
        if (!c->ParentFont())
            c->Font().SetSize(scale(c->Font().Size(), dpi));
        scaleBounds(c, parent, dpi);
        scaleTypeSpecific(c, parent, dpi);
        if (auto* w = dynamic_cast<TWinControl*>(c))
            scale_controls(w, dpi);
    }
}

void TQelCommonMethods::SetMinExtents(TCustomForm* f, int w, int h, bool scaled)
{
    if (!f)
        return;
    if (scaled) {
        w = scale(w, 0);
        h = scale(h, 0);
    }
    f->SetBounds(f->Left(), f->Top(), std::max(f->Width(), w), std::max(f->Height(), h));
    f->Constraints().SetMinWidth(w);
    f->Constraints().SetMinHeight(h);
}
