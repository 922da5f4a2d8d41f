#pragma once
// What a screen reader is told about a control. Qt's accessibility gives the role, the state and
// the value from the control's widget; the name is, in this order: a name the application set on
// the widget, the caption of the control's label, the control's own caption (a check box's
// text, a group's title), the name its data gives (the caption of the bound field).
#include <string>

class TControl;

// The name the control's data gives it (the caption of its field); "" takes it back.
void SetAccessibleDataName(TControl* control, const std::string& name);
// The name a screen reader announces for the control now.
std::string AccessibleName(TControl* control);
