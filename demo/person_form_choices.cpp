// The combos (salutation, active flag, employer, the employer searched while typing) and a
// small grid whose cells edit a choice and a reference with the combo as in-place editor.
#include "person_form.h"

#include "binding/methods.h"
#include "pickers/QelCombo.h"

#include "toolkit/advstringgrid.h"
#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"

namespace {

// Rows of the grid: the fields it edits.
const char* const kGridFields[] = { "Anrede", "Arbeitgeber", "Aktiv" };

// A grid of field/value rows; the value cells are edited with the editor the field type asks for
// (choices, references and booleans with the combo). It follows the person through its own link.
class TChoiceGrid : public TAdvStringGrid {
public:
    explicit TChoiceGrid(TComponent* owner)
        : TAdvStringGrid(owner)
    {
        link_.edits = false;
        link_.locatable = false;
        link_.bindsFieldList = true;
        link_.hooks.read = [this] { fill(); };
        link_.hooks.connectedChanged = [](bool) {};
        SetColCount(2);
        SetRowCount(1 + static_cast<int>(std::size(kGridFields)));
        SetFixedRows(1);
        SetFixedCols(1);
        SetOptions(Options() + TGridOptions { goEditing });
        SetCellsEx(0, 0, "Feld");
        SetCellsEx(1, 0, "Wert");
        for (int r = 0; r < static_cast<int>(std::size(kGridFields)); ++r)
            SetCellsEx(0, r + 1, kGridFields[r]);
    }
    ~TChoiceGrid() override
    {
        SetEditorMode(false);
        registry.Clear();
    }

    int Connect(TQelFieldList* fl)
    {
        SetEditorMode(false);
        registry.Clear(); // links belong to the fields of the last person
        return link_.Connect(fl, false);
    }

    TQelLinkRegistry registry;

protected:
    void GetEditorType(int col, int row, TEditorType& editor) override
    {
        TQelFieldList* fl = link_.FieldList();
        TQelField* f = fl && col == 1 ? fl->FieldByName(GetCellsEx(0, RealRowIndex(row))) : nullptr;
        editor = f ? TEditorType(TQelCommonMethods::SelectFieldEditor(&registry, this, f, 0)) : edNone;
    }
    void WndProc(TMessage& m) override
    {
        if (!link_.HandleMessage(m))
            TAdvStringGrid::WndProc(m);
    }

private:
    void fill()
    {
        TQelFieldList* fl = link_.FieldList();
        for (int r = 0; r < static_cast<int>(std::size(kGridFields)); ++r) {
            TQelField* f = fl ? fl->FieldByName(kGridFields[r]) : nullptr;
            SetCellsEx(1, r + 1, f ? f->AsString() : std::string());
        }
    }

    TQelDataLink link_ { this };
};

// The grid sits on an embedded form, which the binding walk asks to connect its own controls.
class TChoiceGridForm : public TForm {
public:
    explicit TChoiceGridForm(TComponent* owner)
        : TForm(owner)
    {
        SetBorderStyle(bsNoneForm);
        grid = new TChoiceGrid(this);
        grid->SetName("grdAuswahl");
        grid->SetParent(this);
        grid->SetAlign(alClient);
    }
    TChoiceGrid* grid;

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg == WM_OC_CONNECTFORM) {
            m.Result = grid->Connect(reinterpret_cast<TQelFieldList*>(m.LParam));
            return;
        }
        TForm::WndProc(m);
    }
};

// Creating and renaming a firm from the employer combo's menu: the name is asked for, the firm
// stored when one is given.
void editFirm(TObject*, TQelObject* firm)
{
    TQelField* name = firm->FieldByName("Name");
    std::string text = name ? name->AsString() : std::string();
    if (!name || !InputQuery("Firma", "Name der Firma:", text) || Trim(text).empty())
        return;
    name->set_AsString(Trim(text));
    if (!firm->Commit())
        MessageDlg("Die Firma wurde nicht gespeichert:\n\n" + firm->ErrorMessage(), mtError, { mbOK });
}

} // namespace

void TPersonForm::buildChoices(TPanel* gridArea)
{
    auto* employer = designed<TQelCombo>("cbArbeitgeber");
    employer->OnEditRefObj = TQelEditRefObjEvent(&editFirm);

    // The grid is this form's own class: it fills the place the .ui keeps for it.
    auto* grid = new TChoiceGridForm(this);
    grid->SetName("frmAuswahl");
    static_cast<TControl*>(grid)->SetParent(gridArea);
    grid->SetAlign(alClient);
    grid->grid->SetColWidths(0, 96);
    grid->grid->SetColWidths(1, 192);
    grid->Show();
}
