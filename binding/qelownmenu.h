#pragma once
// A control's own popup menu, made or dropped as its rules say.
#include "toolkit.h"

// With `wanted`, returns the control's popup menu (created and owned by the control when it has
// none) emptied for refilling; without, frees the menu the control owns and returns null. A menu
// the application assigned is never freed.
TPopupMenu* QelOwnPopupMenu(TControl* control, bool wanted);
