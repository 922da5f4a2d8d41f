#pragma once
// Small pieces the vector editors (vector grid, reverse grid, detail grid, edit grid, vector list)
// share: the look of a data grid, popup-menu items, the in-place editor's life and the editor
// messages of a grid cell.
#include "binding/methods.h"

#include "toolkit/advstringgrid.h"
#include "toolkit/menus.h"

#include <functional>
#include <string>

class TQelGrid;

// Colours, the header row and cell hints of a grid with one data row per element or object.
void QelStyleDataGrid(TQelGrid* grid);

// Appends an item that runs `command` (none: an item that does nothing, such as a separator).
TMenuItem* QelAddMenuItem(
    TPopupMenu* menu, const std::string& caption, std::function<void()> command, int image = -1);

// Closes the in-place editor and lets the editor links go (they are bound to the fields shown).
void QelDropCellEditors(TAdvStringGrid* grid, TQelLinkRegistry& links);

// Switches in-place editing on or off; switching it off closes an open editor first when
// `closeEditor` is set.
void QelSetCellEditing(TCustomGrid* grid, bool on, bool closeEditor = false);

// Whether a current cell shows its field's raw value for editing (text, numbers, amounts, dates).
bool QelEditsRawValue(const TQelField* field);

// Whether the elements of `v` are validity records (standard and inactive marks).
bool QelHasValidity(const TQelVector* v);

// Asks whether `what` (a noun phrase) named `name` is to be deleted; true on yes.
bool QelConfirmDelete(const std::string& what, const std::string& name);

// The plain editor of a grid cell: the editor type chosen for the current cell, the field the
// typed text goes into when the cell is left, and whether anything was typed.
struct TQelPlainEdit {
    int Kind = edNone;
    TQelField* Target = nullptr;
    bool Edited = false;

    // Editor `kind` was chosen for a cell that shows `field`: the field is the target of a plain
    // editor only.
    void Open(int kind, TQelField* field)
    {
        Kind = kind;
        Target = kind == edNormal ? field : nullptr;
        Edited = false;
    }
    // The typed text is dropped.
    void Drop()
    {
        Target = nullptr;
        Edited = false;
    }
    // Closes the grid's editor; the typed text is dropped.
    void Cancel(TCustomGrid* grid)
    {
        if (grid->EditorMode())
            grid->HideInplaceEdit();
        Drop();
    }
    // Ends the edit: the target, and in `edited` whether anything was typed.
    TQelField* Take(bool& edited)
    {
        TQelField* target = Target;
        edited = Edited;
        Drop();
        Kind = edNone;
        return target;
    }
    // The target is forgotten when `oi`, or what holds it, goes away.
    void Forget(const TQelObjectInterface* oi)
    {
        if (Target && oi && Target->IsPartOf(oi))
            Target = nullptr;
    }
};

// Pops `menu` up at client point (x, y) of `control`, for `control`.
void QelPopupAt(TControl* control, TPopupMenu* menu, int x, int y);

// WM_OC_INITEDITOR: `event` sets up the editor control (WParam) for the field (LParam). An
// exception is logged with `who` and passed on.
void QelInitCellEditor(
    TObject* sender, const TEvent<TObject*, TWinControl*, TQelField*>& event, TMessage& m, const char* who);

// WM_OC_COMBOCELLCHOSEN: the chosen text (LParam) goes into `field`.
void QelTakeComboChoice(TQelField* field, TMessage& m);
