#pragma once
// Entry unit of the package: initialises and finalises its units in order and registers every
// component on the palette page. An application calls Initialize once at start, before it creates
// forms (the binding walk and the grids find the data-control classes and editor links only after
// it), and Finalize at the end.
#include "binding/qelunits.h"

namespace QelObjCntrl {

inline constexpr const char* PalettePage = QelPalettePage;

// Runs each unit's initialisation once (the select grid's unit creates the list cache, ...).
void Initialize();
// Runs the finalisations in reverse order.
void Finalize();
bool IsInitialized();
// Puts every unit's components on the palette page (for a design environment); may run again.
void Register();

} // namespace QelObjCntrl
