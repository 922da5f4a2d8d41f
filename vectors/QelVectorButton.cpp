#include "vectors/QelVectorButton.h"

#include "binding/qelmessages.h"
#include "controls/QelPanel.h"

TQelVectorButton::TQelVectorButton(TComponent* owner)
    : TCustomPanel(owner)
{
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    SetBounds(0, 0, 15, 13);
    TAnchors a;
    a << akRight << akBottom;
    SetAnchors(a);
    SetCaption("...");
    Font().SetColor(clBlue);
    TFontStyles st;
    st << fsUnderline;
    Font().SetStyle(st);
    SetCursor(crHandPoint);
}

TQelVector* TQelVectorButton::ParentVector() const
{
    auto* panel = dynamic_cast<TQelPanel*>(Parent());
    return panel ? panel->Vector() : nullptr;
}

int TQelVectorButton::ParentIndex() const
{
    auto* panel = dynamic_cast<TQelPanel*>(Parent());
    return panel && panel->Vector() ? panel->get_VectorIndex() : 0;
}

void TQelVectorButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomPanel::MouseDown(button, shift, x, y);
    if (button != mbLeft || !OnDoIt)
        return;
    OnDoIt(this, ParentVector(), ParentIndex());
    if (reconnect_)
        if (auto* panel = dynamic_cast<TQelPanel*>(Parent()))
            panel->Reconnect(0);
}

void TQelVectorButton::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_OC_SETREADONLY:
        SetVisible(m.WParam == 0);
        m.Result = 0;
        return;
    case WM_OC_ISDATACONTROL:
        m.Result = 1;
        return;
    default:
        TCustomPanel::WndProc(m);
    }
}
