#pragma once
// Forms from .ui files (as Qt Designer writes them) at run time. Every widget of a class in the
// class registry becomes a control of that class, owned by `owner` and placed on the control
// its parent widget stands for; the .ui's top widget stands for `target`. Geometry, font and the
// published properties are applied after the whole tree exists, in the file's order, and each
// control's Loaded() runs at the end. Widgets of Qt's own classes are created as plain widgets.
//
// A class or property the registry does not know loads the rest of the form: an unknown class
// becomes a panel (its children still load), an unknown property is skipped; each unknown name
// is reported once, as a warning of the result and on Qt's warning channel.
#include "toolkit/wincontrol.h"

#include <string>
#include <vector>

struct TFormLoadResult {
    // False when the file could not be read or parsed.
    bool ok = false;
    std::string error;
    std::vector<std::string> warnings;
    // The controls created, in the order of the file.
    std::vector<TControl*> controls;
};

// The toolkit's own controls that forms use beside the package's (labels, buttons, panels, page
// controls and their sheets) on the palette page "Standard"; may run again.
inline constexpr const char* kStandardPalettePage = "Standard";
void RegisterStandardComponents();

TFormLoadResult LoadFormFromUiFile(TWinControl* target, const std::string& fileName, TComponent* owner);
TFormLoadResult LoadFormFromUiText(TWinControl* target, const std::string& uiText, TComponent* owner);
