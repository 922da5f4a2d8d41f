#pragma once
// The toolkit's core (components, controls, forms, graphics, menus, events) as every unit of the
// package needs it. A unit that extends or uses a particular widget includes that toolkit header
// as well (toolkit/advctrls.h, toolkit/htmlctrls.h, ...). Package code calls toolkit operations
// only, never Qt: the toolkit links Qt privately, and the layer check refuses a Qt include.
#include "toolkit/component.h"
#include "toolkit/control.h"
#include "toolkit/form.h"
#include "toolkit/graphics.h"
#include "toolkit/menus.h"
#include "toolkit/screen.h"
#include "toolkit/tkdefs.h"
#include "toolkit/tkevent.h"
#include "toolkit/wincontrol.h"
