#include "controls/QelGradientLabel.h"
#include "QelObjCntrl.h"

#include "binding/dataclasses.h"

#include "toolkit/registry.h"

namespace {

const char* const kNotSet = "(nicht gesetzt)";

} // namespace

TQelGradientLabel::TQelGradientLabel(TComponent* owner)
    : TGradientLabel(owner)
    , link_(this, "TQelGradientLabel")
{
    link_.hooks.show = [this] { show(); };
    link_.hooks.connectedChanged = [this](bool connected) { SetVisible(connected); };

    Font().SetName("MS Sans Serif");
    SetShowHint(true);
    // Field values are shown as they are: an '&' in a name is no accelerator.
    SetShowAccelChar(false);
    SetVisible(false);

    Publish<&TQelGradientLabel::get_FieldPath, &TQelGradientLabel::set_FieldPath>("FieldPath");
}

TQelGradientLabel::~TQelGradientLabel()
{
    Destroying();
}

int TQelGradientLabel::ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected)
{
    return link_.Connect(fl, onlyIfUnconnected);
}

void TQelGradientLabel::set_FieldPath(const std::string& path)
{
    if (path == link_.FieldPath())
        return;
    link_.SetFieldPath(path);
    if (FieldList())
        Reconnect();
}

std::string TQelGradientLabel::read() const
{
    TQelField* f = Field();
    if (!f)
        return {};
    if (auto* ref = dynamic_cast<TQelRefField*>(f)) {
        TQelObject* target = ref->get_AsObject();
        return target ? target->Name() : std::string(kNotSet);
    }
    return f->AsString();
}

void TQelGradientLabel::show()
{
    const std::string text = read();
    if (Caption() != text)
        SetCaption(text); // draws at the next paint
}

void TQelGradientLabel::Repaint()
{
    show();
    TGradientLabel::Repaint();
}

void TQelGradientLabel::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_OC_SETREADONLY:
        return; // nothing to edit
    case WM_OC_LOCATE:
        m.Result = 0; // a label is no place to jump to
        return;
    case WM_ODB_FIELDTOUCHED:
        // Any field of the object: a reference's target name may depend on it.
        show();
        return;
    default:
        if (link_.HandleMessage(m))
            return;
        break;
    }
    TGradientLabel::WndProc(m);
}

namespace QelGradientLabel {

void Initialize()
{
    QelRegisterDataClass(
        TQelDataClass::GradientLabel, QelDataClassEntry<TQelGradientLabel>("TQelGradientLabel"));
}

void Register()
{
    RegisterComponents(QelObjCntrl::PalettePage, { ComponentClass<TQelGradientLabel>() });
}

void Finalize()
{
    QelUnregisterDataClass(TQelDataClass::GradientLabel);
}

} // namespace QelGradientLabel
