#pragma once
// TQelGradientLabel: shows one field's text on a gradient label, read-only. A reference field
// shows the name of the object it refers to. The label is visible exactly while it is connected.
#include "binding/qeldatacontrol.h"

#include "toolkit/gradientlabel.h"

#include <string>

class TQelGradientLabel : public TQelDataControl<TGradientLabel> {
public:
    explicit TQelGradientLabel(TComponent* owner);

    // The text shown for the bound field.
    std::string read() const;
};
