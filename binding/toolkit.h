#pragma once
// The package's one door to the widget toolkit: every unit of the package includes this header
// instead of the toolkit's own headers. Package code calls toolkit operations only, never Qt.
#include "toolkit/component.h"
#include "toolkit/control.h"
#include "toolkit/form.h"
#include "toolkit/graphics.h"
#include "toolkit/menus.h"
#include "toolkit/screen.h"
#include "toolkit/tkdefs.h"
#include "toolkit/tkevent.h"
#include "toolkit/wincontrol.h"
