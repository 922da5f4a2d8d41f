// TQelDetailGrid: in-place editing, the look of headers and read-only grids, hints, messages.
#include "binding/qellogging.h"
#include "binding/qelmessages.h"
#include "vectors/qelcellmarkup.h"
#include "vectors/qeldetailgrid.h"

namespace {

bool builtIn(TEditorType t)
{
    return t != edCustom && t != edNone && t != edEditBtn;
}

} // namespace

void TQelDetailGrid::GetCellReadOnly(int col, int row, bool& answer)
{
    TAdvStringGrid::GetCellReadOnly(col, row, answer);
    TQelDGInfo* i = info(RealRowIndex(row));
    if (i && !i->Header && OnGetVisible) {
        bool visible = !IsHiddenRow(i->Row);
        bool readOnly = i->ReadOnly;
        OnGetVisible(this, i->Key(), visible, readOnly);
        i->ReadOnly = readOnly;
    }
    bool editable = answer && !readOnly_ && col == colValue && i && !i->Header && !i->ReadOnly;
    if (TQelField* f = editable ? i->Field() : nullptr)
        editable = !f->IsA(qelft::Reference) && !f->IsA(qelft::LongText);
    answer = editable;
}

void TQelDetailGrid::GetEditorType(int col, int row, TEditorType& editor)
{
    plainTarget_ = nullptr;
    TQelDGInfo* i = info(RealRowIndex(row));
    if (i && col == colValue && !i->Header) {
        if (TQelField* f = i->Field()) {
            editor
                = static_cast<TEditorType>(TQelCommonMethods::SelectFieldEditor(&editorLinks_, this, f, 0));
        } else {
            editor = i->Type;
            if (editor == edComboEdit || editor == edComboList) {
                TStringList choices;
                choices.SetCommaText(i->Params);
                ClearComboString();
                for (int k = 0; k < choices.Count(); ++k)
                    AddComboString(choices[k]);
            }
        }
    }
    TAdvStringGrid::GetEditorType(col, row, editor);
    // A field edited by a built-in editor (a per-workstation override) is written on leaving.
    if (i && builtIn(editor))
        plainTarget_ = i->Field();
}

std::string TQelDetailGrid::GetEditText(int col, int row)
{
    if (TQelDGInfo* i = info(RealRowIndex(row)); i && col == colValue)
        if (TQelField* f = i->Field())
            return f->AsString();
    return TAdvStringGrid::GetEditText(col, row);
}

void TQelDetailGrid::SetEditText(int col, int row, const std::string& value)
{
    TAdvStringGrid::SetEditText(col, row, value);
    // A cell edited through its link shows what the field holds now.
    if (TQelDGInfo* i = info(RealRowIndex(row)); i && col == colValue && !plainTarget_)
        if (TQelField* f = i->Field())
            SetCellsEx(colValue, i->Row, QelCellLiteral(f->AsString()));
}

void TQelDetailGrid::write_plain_text()
{
    TQelField* target = plainTarget_;
    plainTarget_ = nullptr;
    const int real = RealRowIndex(Row());
    TQelDGInfo* i = info(real);
    if (!target || !i || i->Field() != target)
        return;
    const std::string text = GetCellsEx(colValue, real);
    if (text != target->AsString())
        target->set_AsString(text);
    SetCellsEx(colValue, real, QelCellLiteral(target->AsString()));
}

void TQelDetailGrid::on_leave_cell(int realRow)
{
    TQelDGInfo* i = info(realRow);
    if (!i || i->Header || i->Field() || realRow != enteredRow_)
        return;
    OnValueChanged(this, i->Key(), GetCellsEx(colValue, realRow));
}

bool TQelDetailGrid::SelectCell(int col, int row)
{
    if (!TAdvStringGrid::SelectCell(col, row))
        return false;
    if (col != Col() || row != Row())
        write_plain_text();
    if (row != Row())
        on_leave_cell(RealRowIndex(Row()));
    enteredRow_ = RealRowIndex(row);
    return true;
}

void TQelDetailGrid::DoExit()
{
    write_plain_text();
    on_leave_cell(RealRowIndex(Row()));
    TAdvStringGrid::DoExit();
}

void TQelDetailGrid::GetCellColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font)
{
    TAdvStringGrid::GetCellColor(col, row, state, brush, font);
    if (readOnly_ && state.Contains(gdSelected)) {
        brush->SetColor(Color());
        font->SetColor(Font().Color());
    }
    if (const TQelDGInfo* i = info(RealRowIndex(row)); i && i->Header) {
        brush->SetColor(headColor_);
        font->Assign(headFont_);
    }
}

void TQelDetailGrid::GetCellHint(int col, int row, std::string& hint)
{
    TAdvStringGrid::GetCellHint(col, row, hint);
    if (QelDebugMode())
        hint = RowHint(RealRowIndex(row));
}

void TQelDetailGrid::field_touched(TQelObjectInterface* oi)
{
    if (oi && oi == link_.RefField()) {
        reconnectNow(); // another object behind the reference
        return;
    }
    auto* f = QelSafeCast<TQelField>(oi);
    if (!f)
        return;
    const int editing = EditorMode() ? RealRowIndex(Row()) : -1;
    for (auto& i : rows_)
        if (i->Field() == f && i->Row != editing)
            SetCellsEx(colValue, i->Row, QelCellLiteral(f->AsString()));
}

bool TQelDetailGrid::receivesObjectNotice(WPARAM receiver) const
{
    const auto is = [receiver](const TQelObjectInterface* oi) {
        return oi && receiver == static_cast<WPARAM>(QelOIToParam(oi));
    };
    if (is(link_.RefField()))
        return true;
    return link_.Vector() ? is(link_.Vector()) : is(link_.Connected());
}

void TQelDetailGrid::WndProc(TMessage& m)
{
    TQelObjectInterface* oi = QelOIFromParam(m.LParam);
    switch (m.Msg) {
    case WM_OC_ISDATACONTROL:
        m.Result = 1;
        return;
    case WM_OC_SETREADONLY:
        set_ReadOnly(m.WParam != 0);
        m.Result = 0;
        return;
    case WM_OC_GETFIELD:
        m.Result = QelOIToParam(BaseFieldList());
        return;
    case WM_OC_LOCATE: {
        const int row = FindFieldRow(QelSafeCast<TQelField>(oi));
        if (row >= 0) {
            if (m.WParam == 1 && DisplRowIndex(row) >= 0)
                FocusCell(colValue, DisplRowIndex(row));
            m.Result = 2;
        } else {
            m.Result = oi && oi == BaseFieldList() ? 2 : 0;
        }
        return;
    }
    case WM_OC_SETVECTORINDEX:
        set_VectorIndex(static_cast<int>(m.WParam));
        m.Result = 0;
        return;
    case WM_OC_COMBOCELLCHOSEN: {
        const int col = static_cast<int>(m.WParam & 0xFFFF);
        const int real = RealRowIndex(static_cast<int>(m.WParam >> 16));
        const std::string text = m.LParam ? reinterpret_cast<const char*>(m.LParam) : "";
        if (TQelDGInfo* i = info(real); i && col == colValue) {
            if (TQelField* f = i->Field()) {
                f->set_AsString(text);
                SetCellsEx(colValue, real, QelCellLiteral(f->AsString()));
            } else {
                SetCellsEx(colValue, real, text);
            }
        }
        m.Result = 0;
        return;
    }
    case WM_ODB_FIELDTOUCHED:
        // Object-wide: every registration of the grid hears it; the field's own one answers.
        if (m.WParam == static_cast<WPARAM>(m.LParam))
            field_touched(oi);
        m.Result = 0;
        return;
    case WM_ODB_OIDESTROYED: {
        // Drop every pointer to what goes; rows keep their place and show nothing.
        if (plainTarget_ && plainTarget_ == oi)
            plainTarget_ = nullptr;
        for (auto& i : rows_) {
            if (i->field == oi) {
                i->field = nullptr;
                i->fieldLife.reset();
            }
            if (i->list == oi) {
                i->list = nullptr;
                i->listLife.reset();
                i->ListMissing = true;
            }
        }
        const bool wasConnected = Connected();
        link_.Forget(oi);
        if (wasConnected && !Connected() && !busy_) {
            TFlagScope busy(busy_);
            if (EditorMode())
                HideInplaceEdit();
            clear_rows();
            TQelContainerLink::ShowUsable(this, false, false);
        }
        m.Result = 0;
        return;
    }
    case WM_ODB_ELEMENTADDED:
    case WM_ODB_ELEMENTREMOVED:
    case WM_ODB_VECTORCHANGED:
        if (oi && (oi == link_.Vector() || oi == link_.ElementVector()))
            reconnectNow();
        m.Result = 0;
        return;
    case WM_ODB_OIROLLEDBACK:
    case WM_ODB_OIRELOADED:
        // Elements may have been rebuilt: the rows are connected again, once per notice (it
        // reaches every registration of the grid in the object).
        if (!busy_ && receivesObjectNotice(m.WParam))
            reconnectNow();
        m.Result = 0;
        return;
    default:
        break;
    }
    if (m.Msg >= WM_ODB_FIRST && m.Msg <= WM_ODB_LAST) {
        m.Result = 0;
        return;
    }
    TAdvStringGrid::WndProc(m);
}
