// TEditLink: an in-place editor that a grid borrows for a cell (editor type edCustom).
//
// Protocol, when the grid opens the editor on a cell: CreateEditor(grid), SetProperties(),
// SetCellProps(colour, font), SetRect(cell rectangle in the parent's client coordinates),
// SetEditorValue(cell text), SetVisible(true), SetFocus(true). While it is open, every key the
// editor control (or a widget inside it) receives first goes to EditKeyDown; the keys the link
// does not want (WantKey... switches) go to the grid, which moves or closes the editor. Losing the
// focus calls EditExit, which closes the editor. Closing: GetEditorValue() is handed to the
// grid's SetEditText (not when cancelled with Escape), SetVisible(false), DestroyEditor().
// A link is used again and again; its editor lives only while a cell is edited.
#pragma once

#include "toolkit/component.h"
#include "toolkit/graphics.h"
#include "toolkit/tkdefs.h"

#include <string>

class TCustomGrid;
class TWinControl;
namespace qel::grid {
class InplaceEditor;
}

enum TEditStyle { esInplace, esPopup };

class TEditLink : public TComponent {
public:
    explicit TEditLink(TComponent* owner);
    ~TEditLink() override;

    virtual void CreateEditor(TWinControl* parent);
    virtual void DestroyEditor();
    virtual TWinControl* GetEditControl();
    virtual void SetProperties();
    virtual void SetCellProps(TColor color, TFont* font);
    virtual void SetRect(TRect rect);
    virtual void SetVisible(bool visible);
    virtual void SetFocus(bool focus);
    virtual std::string GetEditorValue();
    virtual void SetEditorValue(const std::string& value);
    virtual void EditKeyDown(TObject* sender, WORD& key, TShiftState shift);
    virtual void EditExit(TObject* sender);

    // The grid whose cell the link edits right now (null while no editor is open).
    TCustomGrid* Grid() const { return grid_; }

    // Keys the editor keeps for itself; the others go to the grid.
    bool WantKeyLeftRight() const { return wantLeftRight_; }
    void SetWantKeyLeftRight(bool v) { wantLeftRight_ = v; }
    bool WantKeyUpDown() const { return wantUpDown_; }
    void SetWantKeyUpDown(bool v) { wantUpDown_ = v; }
    bool WantKeyHomeEnd() const { return wantHomeEnd_; }
    void SetWantKeyHomeEnd(bool v) { wantHomeEnd_ = v; }
    bool WantKeyPriorNext() const { return wantPriorNext_; }
    void SetWantKeyPriorNext(bool v) { wantPriorNext_ = v; }
    bool WantKeyReturn() const { return wantReturn_; }
    void SetWantKeyReturn(bool v) { wantReturn_ = v; }
    bool WantKeyEscape() const { return wantEscape_; }
    void SetWantKeyEscape(bool v) { wantEscape_ = v; }
    TEditStyle EditStyle() const { return editStyle_; }
    void SetEditStyle(TEditStyle s) { editStyle_ = s; }

private:
    friend class TCustomGrid;
    friend class qel::grid::InplaceEditor;
    TCustomGrid* grid_ = nullptr;
    bool wantLeftRight_ = true;
    bool wantUpDown_ = false;
    bool wantHomeEnd_ = true;
    bool wantPriorNext_ = false;
    bool wantReturn_ = false;
    bool wantEscape_ = false;
    TEditStyle editStyle_ = esInplace;
};
