#pragma once
// Dragging between the toolkit's controls: a control that starts a drag names itself as the
// source; a control that takes drops is asked while the drag moves over it (DragOver) and when
// it is dropped (DragDrop), with the point in its client area. The defaults refuse.
#include "toolkit/control.h"

class TDragTarget {
public:
    virtual ~TDragTarget() = default;
    // Whether a drop of `source` at x, y would be taken.
    virtual bool DragOver(TControl* /*source*/, int /*x*/, int /*y*/) { return false; }
    virtual void DragDrop(TControl* /*source*/, int /*x*/, int /*y*/) { }
};
