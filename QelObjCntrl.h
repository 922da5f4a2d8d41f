#pragma once
// Entry unit of the package: initialises and finalises its units in order and registers every
// component on the palette page.

namespace QelObjCntrl {

inline constexpr const char* PalettePage = "TelvoODB";

// Runs each unit's initialisation once (the select grid's unit creates the list cache, ...).
void Initialize();
// Runs the finalisations in reverse order.
void Finalize();
bool IsInitialized();
// Puts every unit's components on the palette page (for a design environment); may run again.
void Register();

} // namespace QelObjCntrl
