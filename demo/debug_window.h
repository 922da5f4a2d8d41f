#pragma once
// The demo's debug window: any object in the edit grid, every field and every vector as a tree,
// with the colours of the fields' states.
#include "binding/objdb.h"
#include "binding/toolkit.h"

class TQelEditGrid;

class TDebugWindow : public TForm {
public:
    explicit TDebugWindow(TComponent* owner);
    void ShowObject(TQelObject* obj);
    TQelEditGrid* Grid() const { return grid_; }

private:
    TQelEditGrid* grid_ = nullptr;
};
