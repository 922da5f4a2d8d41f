#include "controls/QelCheckBox.h"

TQelCheckBox::TQelCheckBox(TComponent* owner)
    : TQelDataControl(owner)
{
    link_.SetAllowCreate(false);
    link_.unmarkedColor = clBtnFace;
    link_.hooks.accepts = [](TQelObjectInterface* oi) {
        auto* f = QelSafeCast<TQelField>(oi);
        return f && f->HardType() == qelft::Boolean;
    };
    link_.hooks.read = [this] { read(); };
    link_.hooks.write = [this] { write(); };
    link_.hooks.readOnlyChanged = [this](bool v) {
        SetReadOnly(v);
        SetButtonType(v ? btReadOnlyLook : btClassic);
    };
    link_.hooks.paintMark = [this](TColor c) { SetColor(c); };
    // A ticked search box asks for the field to be set; an empty one asks nothing.
    link_.hooks.searchCondition
        = [this](const std::string& column) { return Checked() ? column + " = 1" : std::string(); };
    link_.hooks.pathChanged = [this](const std::string& old) {
        if (Caption() == old)
            SetCaption(link_.FieldPath());
    };

    SetShowHint(true);
    SetTabStop(true);
    SetEnabled(false);

    PublishBinding(qelPublishFieldPath | qelPublishReadOnly);
    Publish<&TQelCheckBox::get_FieldProp, &TQelCheckBox::set_FieldProp>("FieldProp");
    Publish<&TQelCheckBox::get_DeselectAllowed, &TQelCheckBox::set_DeselectAllowed>("DeselectAllowed");
}

void TQelCheckBox::set_FieldProp(const std::string& prop)
{
    const std::string old = link_.FieldProp();
    if (prop != old && Caption() == old)
        SetCaption(prop);
    link_.SetFieldProp(prop);
}

void TQelCheckBox::read()
{
    bool checked = false;
    if (TQelField* f = Field())
        checked = !f->Null() && f->AsBool();
    else if (PropConnection())
        if (TQelFieldList* fl = FieldList())
            checked = !fl->GetPropA(link_.FieldProp(), "").empty();
    SetChecked(checked); // runs Click, which does not write while showing
}

void TQelCheckBox::write()
{
    if (TQelField* f = Field()) {
        f->set_AsBool(Checked());
    } else if (PropConnection()) {
        if (TQelFieldList* fl = FieldList())
            fl->SetPropA(link_.FieldProp(), Checked() ? "1" : "", false);
    }
}

void TQelCheckBox::Click()
{
    if (!link_.Showing() && !(link_.SearchMode() && !Field())) {
        link_.Edited();
        if (!link_.ReadOnly())
            link_.Write();
        link_.Show(); // what the field took
    }
    THTMLCheckBox::Click();
}

void TQelCheckBox::Toggle()
{
    if (Checked() && !deselectAllowed_) {
        OnDeselectBlocked(this);
        return;
    }
    THTMLCheckBox::Toggle();
}

void TQelCheckBox::set_mark(bool mark, int index, TColor color, unsigned flags)
{
    link_.SetMark(mark ? index : 0, color, flags);
}

void TQelCheckBox::DoEnter()
{
    THTMLCheckBox::DoEnter();
    link_.TellFormEnter();
}

void TQelCheckBox::DoExit()
{
    THTMLCheckBox::DoExit();
    if (link_.Marked())
        link_.Unmark();
    link_.TellFormExit();
}
