#pragma once
// TQelCommonLink: the in-place editor link through which the package's grids edit a cell with a
// full data control. The editor control is created for each edit (CreateEditor) and freed when the
// cell editor closes (DestroyEditor); it is bound by name to the same field as the cell and
// writes its value through its own control logic. Each concrete link binds its own editor class.
#include "binding/methods.h"
#include "binding/qeldatalink.h"

#include "toolkit/editlink.h"

#include <memory>
#include <string>

class TQelCommonLink : public TEditLink {
public:
    // The owner grid, the text naming the cell's property, and the cell's object interface.
    TQelCommonLink(TAdvStringGrid* grid, const std::string& spec, TQelObjectInterface* oi);
    // Does not free the editor control (the grid closes editors before links go).
    ~TQelCommonLink() override;

    // EditKeyDown, SetFocus, SetRect, SetVisible, SetProperties and SetCellProps are the toolkit
    // link's, unchanged.
    TWinControl* GetEditControl() override { return editControl_; }
    void CreateEditor(TWinControl* parent) override = 0;
    void DestroyEditor() override;
    std::string GetEditorValue() override = 0;
    void SetEditorValue(const std::string& value) override = 0;
    // Prepares a new editor: width and height 0 until the grid places it.
    virtual void InitEditControl(TWinControl* editor);

    // Hides the editor, parents it, initialises and binds it, then shows it.
    void AttachEditControl(TWinControl* editor, TWinControl* parent);
    // Binds the editor to the field list of the link's interface (through BindEditor).
    void BindEditControl(TWinControl* editor);

    TAdvStringGrid* OwnerGrid() const { return grid_; }
    // The cell's interface; none once it went away.
    TQelObjectInterface* OI() const { return alive_.expired() ? nullptr : oi_; }
    const std::string& Spec() const { return spec_; }

protected:
    // Binds `editor` by name to the link's interface in `fl` and connects it.
    virtual void BindEditor(TWinControl* editor, TQelFieldList* fl) = 0;
    // The usual binding of an editor's data link: the field's name as its path or, with
    // `vectors`, a vector's name as its path and the link's spec as its property.
    void BindDataLink(TQelDataLink& link, TQelFieldList* fl, bool vectors);

    TWinControl* editControl_ = nullptr;

private:
    TAdvStringGrid* grid_;
    std::string spec_;
    TQelObjectInterface* oi_;
    std::weak_ptr<bool> alive_;
};

// The concrete links come from the control units (the edit and the combo), which register a
// factory for their kind when the package initialises.
enum class TQelLinkKind { Edit, Combo };
using TQelLinkFactory
    = TQelCommonLink* (*)(TAdvStringGrid* grid, const std::string& spec, TQelObjectInterface* oi);
// Registers (or with nullptr removes) the factory of a kind.
void QelRegisterLinkFactory(TQelLinkKind kind, TQelLinkFactory factory);
// The factory of T(grid, spec, oi).
template <class T> TQelLinkFactory QelLinkFactory()
{
    return [](TAdvStringGrid* grid, const std::string& spec, TQelObjectInterface* oi) -> TQelCommonLink* {
        return new T(grid, spec, oi);
    };
}
// A new link of that kind, or none when its unit is not part of the package.
TQelCommonLink* QelCreateLink(
    TQelLinkKind kind, TAdvStringGrid* grid, const std::string& spec, TQelObjectInterface* oi);
