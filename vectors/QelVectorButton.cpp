#include "vectors/QelVectorButton.h"

#include "binding/qelmessages.h"
#include "controls/QelPanel.h"
#include "controls/QelTabControl.h"

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
    Publish<&TQelVectorButton::get_ReconnectAfterEdit, &TQelVectorButton::set_ReconnectAfterEdit>(
        "ReconnectAfterEdit");
}

TQelVector* TQelVectorButton::ParentVector() const
{
    if (auto* panel = dynamic_cast<TQelPanel*>(Parent()))
        return panel->Vector();
    if (auto* tabs = dynamic_cast<TQelTabControl*>(Parent()))
        return tabs->Vector();
    return nullptr;
}

int TQelVectorButton::ParentIndex() const
{
    if (!ParentVector())
        return 0;
    if (auto* panel = dynamic_cast<TQelPanel*>(Parent()))
        return panel->get_VectorIndex();
    if (auto* tabs = dynamic_cast<TQelTabControl*>(Parent()))
        return tabs->get_VectorIndex();
    return 0;
}

void TQelVectorButton::reconnect_parent()
{
    if (auto* panel = dynamic_cast<TQelPanel*>(Parent())) {
        panel->Reconnect(0);
    } else if (auto* tabs = dynamic_cast<TQelTabControl*>(Parent()); tabs && tabs->Vector()) {
        // The tabs take the element's new name; the controls on them show it again.
        tabs->refresh_tabs(0);
        tabs->set_TabIndex(tabs->get_TabIndex());
    }
}

void TQelVectorButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomPanel::MouseDown(button, shift, x, y);
    if (button != mbLeft || !OnDoIt)
        return;
    OnDoIt(this, ParentVector(), ParentIndex());
    if (reconnect_)
        reconnect_parent();
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
