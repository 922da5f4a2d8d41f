#pragma once
// Inside the toolkit and in tests: the drag data that names the source control of a drag, and
// the desktop's file icons.
#include "toolkit/control.h"
#include "toolkit/graphics.h"

#include <QMimeData>
#include <string>

// Drag data naming `source` (a control of this process).
QMimeData* QelControlDragData(TControl* source);
// The source control the data names, or nullptr (data from elsewhere, or the source is gone).
TControl* QelDragSource(const QMimeData* data);
