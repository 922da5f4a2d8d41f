#pragma once
// Entry unit of the package: initialises and finalises its units in order and registers every
// component on the palette page. An application calls Initialize once at start, before it creates
// forms (the binding walk and the grids find the data-control classes and editor links only after
// it), and Finalize at the end.
#include "binding/qelformfile.h"
#include "binding/qelunits.h"

#include <string>

namespace QelObjCntrl {

inline constexpr const char* PalettePage = QelPalettePage;

// Runs each unit's initialisation once (the select grid's unit creates the list cache, ...).
void Initialize();
// Runs the finalisations in reverse order.
void Finalize();
bool IsInitialized();
// Puts every unit's components on the palette page (for a design environment); may run again.
void Register();

// A form's controls from a .ui file designed in Qt Designer, created as children of `target` and
// owned by `owner` (see toolkit/formloader.h); bind them with ConnectSubControls afterwards. Puts
// the package's and the toolkit's standard classes in the class registry first.
TFormLoadResult LoadForm(TWinControl* target, const std::string& uiFile, TComponent* owner);
TFormLoadResult LoadFormText(TWinControl* target, const std::string& uiText, TComponent* owner);

} // namespace QelObjCntrl
