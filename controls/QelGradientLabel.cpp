#include "controls/QelGradientLabel.h"

namespace {

const char* const kNotSet = "(nicht gesetzt)";

} // namespace

TQelGradientLabel::TQelGradientLabel(TComponent* owner)
    : TQelDataControl(owner)
{
    link_.edits = false;
    link_.locatable = false; // a label is no place to jump to
    link_.hooks.read = [this] {
        const std::string text = read();
        if (Caption() != text)
            SetCaption(text); // draws at the next paint
    };
    // Any touched field re-reads (the default): a reference's target name may depend on it.
    link_.hooks.connectedChanged = [this](bool connected) { SetVisible(connected); };

    Font().SetName("MS Sans Serif");
    SetShowHint(true);
    // Field values are shown as they are: an '&' in a name is no accelerator.
    SetShowAccelChar(false);
    SetVisible(false);
    PublishBinding(qelPublishFieldPath);
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
