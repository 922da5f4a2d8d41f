// Small pieces the vector editors share.
#include "vectors/qelvectorkit.h"

#include "binding/commonlink.h"
#include "binding/qeldatalink.h"
#include "binding/qellogging.h"
#include "lists/QelGrid.h"

#include "toolkit/dialogs.h"

bool QelHasValidity(const TQelVector* v)
{
    return v && v->Kind() == qelcls::Gueltigkeit;
}

bool QelConfirmDelete(const std::string& what, const std::string& name)
{
    const std::string question = "Soll " + what + " (" + name + ") wirklich gelöscht werden?";
    return Dialogs().MessageBox(question, "Element löschen", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void QelStyleDataGrid(TQelGrid* grid)
{
    grid->SetFixedColor(clBtnFace);
    grid->SetGridLineColor(clBtnFace);
    grid->SetSelectionColor(clGradientActiveCaption);
    grid->SetSelectionTextColor(clWindowText);
    grid->SetURLColor(clHotLight);
    grid->SetParentFont(true);
    grid->SetFixedRows(1);
    grid->SetFixedCols(0);
    grid->SetShowHint(true);
    grid->SetHintShowCells(true);
}

TMenuItem* QelAddMenuItem(
    TPopupMenu* menu, const std::string& caption, std::function<void()> command, int image)
{
    auto* item = new TMenuItem(menu);
    item->SetCaption(caption);
    item->SetImageIndex(image);
    if (command)
        item->OnClick = [command](TObject*) { command(); };
    menu->Items()->Add(item);
    return item;
}

void QelDropCellEditors(TAdvStringGrid* grid, TQelLinkRegistry& links)
{
    if (grid->EditorMode())
        grid->HideInplaceEdit();
    grid->SetEditLink(nullptr);
    links.Clear();
}

void QelSetCellEditing(TCustomGrid* grid, bool on, bool closeEditor)
{
    if (!on && closeEditor && grid->EditorMode())
        grid->HideInplaceEdit();
    TGridOptions o = grid->Options();
    if (on)
        o << goEditing;
    else
        o >> goEditing;
    grid->SetOptions(o);
}

bool QelEditsRawValue(const TQelField* field)
{
    const int hard = field->HardType();
    return hard == qelft::Text || hard == qelft::Integer || hard == qelft::Amount || hard == qelft::DateTime;
}

void QelPopupAt(TControl* control, TPopupMenu* menu, int x, int y)
{
    const TPoint p = control->ClientToScreen(TPoint { x, y });
    menu->SetPopupComponent(control);
    menu->Popup(p.X, p.Y);
}

void QelInitCellEditor(
    TObject* sender, const TEvent<TObject*, TWinControl*, TQelField*>& event, TMessage& m, const char* who)
{
    auto* oi = QelOIFromParam(m.LParam);
    try {
        event(sender, reinterpret_cast<TWinControl*>(m.WParam), QelSafeCast<TQelField>(oi));
    } catch (const std::exception& e) {
        QelLogError("Exception in %s::WndProc(case WM_OC_INITEDITOR), fi = %s: %s", who,
            oi ? oi->Name() : std::string("-"), e.what());
        throw;
    }
    m.Result = 1;
}

void QelTakeComboChoice(TQelField* field, TMessage& m)
{
    if (field && m.LParam)
        field->set_AsString(reinterpret_cast<const char*>(m.LParam));
    m.Result = 1;
}
