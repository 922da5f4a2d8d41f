#include "toolkit/editlink.h"

#include "toolkit/gridcontrol.h"

TEditLink::TEditLink(TComponent* owner)
    : TComponent(owner)
{
}

TEditLink::~TEditLink() = default;

void TEditLink::CreateEditor(TWinControl*)
{
}

void TEditLink::DestroyEditor()
{
}

TWinControl* TEditLink::GetEditControl()
{
    return nullptr;
}

void TEditLink::SetProperties()
{
}

void TEditLink::SetCellProps(TColor, TFont*)
{
}

void TEditLink::SetRect(TRect rect)
{
    if (TWinControl* c = GetEditControl())
        c->SetBoundsRect(rect);
}

void TEditLink::SetVisible(bool visible)
{
    if (TWinControl* c = GetEditControl())
        c->SetVisible(visible);
}

void TEditLink::SetFocus(bool focus)
{
    if (TWinControl* c = GetEditControl(); c && focus)
        c->SetFocus();
}

std::string TEditLink::GetEditorValue()
{
    return {};
}

void TEditLink::SetEditorValue(const std::string&)
{
}

void TEditLink::EditKeyDown(TObject*, WORD& key, TShiftState shift)
{
    if (!grid_)
        return;
    bool forGrid = false;
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
        forGrid = !wantLeftRight_;
        break;
    case VK_UP:
    case VK_DOWN:
        forGrid = !wantUpDown_;
        break;
    case VK_HOME:
    case VK_END:
        forGrid = !wantHomeEnd_;
        break;
    case VK_PRIOR:
    case VK_NEXT:
        forGrid = !wantPriorNext_;
        break;
    case VK_RETURN:
        forGrid = !wantReturn_;
        break;
    case VK_ESCAPE:
        forGrid = !wantEscape_;
        break;
    case VK_TAB:
        forGrid = true; // Tab always moves between cells (or leaves the grid)
        break;
    default:
        break;
    }
    if (forGrid) {
        grid_->postEditorKey(key, shift);
        key = 0;
    }
}

void TEditLink::EditExit(TObject*)
{
    if (grid_)
        grid_->postEditorExit();
}
