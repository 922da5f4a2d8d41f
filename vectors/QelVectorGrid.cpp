// TQelVectorGrid: construction, binding, properties, rows and columns, messages.
#include "vectors/QelVectorGrid.h"

#include "binding/qellogging.h"
#include "controls/QelPanel.h"
#include "vectors/qelvectorkit.h"

#include "toolkit/toolbar.h"

#include <algorithm>

TQelVectorGridOptions TQelVectorGrid::DefaultOptions()
{
    TQelVectorGridOptions o;
    for (TQelVectorGridOption v : { voDeactivate, voDeleteAllowed, voDeleteQuery, voDetails, voInsertAllowed,
             voMarkInvalid, voMarkStandard, voSetStandard })
        o << v;
    return o;
}

TQelVectorGrid::TQelVectorGrid(TComponent* owner)
    : TQelDataControl<TQelGrid>(owner)
    , options_(DefaultOptions())
{
    link_.kinds = TQelObjectInterface::oiVector;
    link_.hooks.read = [this] { Reload(); };
    link_.hooks.touched = [this](TQelObjectInterface* field, bool) { reload_field(field); };
    link_.hooks.connectedChanged = [this](bool connected) { SetEnabled(connected); };
    link_.hooks.setHint = [](const std::string&) {};

    QelStyleDataGrid(this);
    TGridOptions go;
    go << goFixedHorzLine << goColSizing << goTabs;
    SetOptions(go);
    PublishBinding(qelPublishFieldPath);
    PublishSet<&TQelVectorGrid::get_VectorGridOptions, &TQelVectorGrid::set_VectorGridOptions,
        kQelVectorGridOptionNames>("VectorGridOptions");
    Publish<&TQelVectorGrid::get_ReadOnly, &TQelVectorGrid::set_ReadOnly>("ReadOnly");
    Publish<&TQelVectorGrid::get_ShowDownTo, &TQelVectorGrid::set_ShowDownTo>("ShowDownTo");
    PublishLines<&TQelVectorGrid::get_FieldNames, &TQelVectorGrid::set_FieldNames>("FieldNames");
    Publish<&TQelVectorGrid::get_Order, &TQelVectorGrid::set_Order>("Order");
    PublishComponent<&TQelVectorGrid::get_Panel, &TQelVectorGrid::set_Panel>("Panel");
    PublishComponent<&TQelVectorGrid::get_ToolBar, &TQelVectorGrid::set_ToolBar>("ToolBar");
    Publish<&TQelVectorGrid::get_NameInfo, &TQelVectorGrid::set_NameInfo>("NameInfo");
}

TQelVectorGrid::~TQelVectorGrid()
{
    if (toolBar_)
        toolBar_->OnDblClick = nullptr;
    close_editor();
    QelDropCellEditors(this, editorLinks_);
}

// ---- binding ------------------------------------------------------------------------------------

bool TQelVectorGrid::Connect(const TQelObject* obj, bool onlyIfUnconnected)
{
    return ConnectFL(obj ? obj->FieldList() : nullptr, onlyIfUnconnected) > 0;
}

int TQelVectorGrid::ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected)
{
    if (onlyIfUnconnected && Connected())
        return 0;
    if (panel_.Panel() && Connected())
        panel_.Panel()->Disconnect();
    close_editor();
    plain_.Target = nullptr;
    QelDropCellEditors(this, editorLinks_); // links are bound to fields of the old object
    link_.Connect(fl, false);
    if (toolBar_)
        toolBar_->OnDblClick
            = Connected() ? TNotifyEvent([this](TObject*) { refresh_colwidths(true, 0); }) : TNotifyEvent();
    if (!Connected()) {
        shown_.clear();
        RowCount() > 2 ? SetRowCount(2) : void();
        ClearNormalCells();
        return 0;
    }
    set_ReadOnly(readOnly_);
    refresh_colwidths(true, 0);
    make_popupmenus();
    int result = 1;
    if (panel_.GivePath(link_.FieldPath()))
        result += sub_connect();
    return result;
}

int TQelVectorGrid::Reconnect()
{
    TQelFieldList* fl = link_.FieldList();
    return fl ? ConnectFL(fl, false) : 0;
}

// ---- properties ---------------------------------------------------------------------------------

void TQelVectorGrid::set_VectorGridOptions(TQelVectorGridOptions options)
{
    if (options == options_)
        return;
    const bool numbers = options.Contains(voLineNumbers);
    const bool numbersChanged = numbers != options_.Contains(voLineNumbers);
    options_ = options;
    if (numbersChanged) {
        SetFixedCols(numbers ? 1 : 0);
        if (Connected()) {
            Reload();
            refresh_colwidths(true, 0);
        }
    }
}

void TQelVectorGrid::set_ReadOnly(bool v)
{
    if (!Connected())
        return;
    readOnly_ = v;
    const int n = ElementCount();
    SplitAllCells();
    if (v) {
        close_editor();
        QelSetCellEditing(this, false);
        SetRowCount(n > 0 ? n + 1 : 2);
    } else {
        QelSetCellEditing(this, true);
        SetRowCount(n + 2 > 2 ? n + 2 : 2);
        write_add_row();
    }
    if (v && !n)
        SetCells(FixedCols(), 1, "");
    update_toolbar();
}

void TQelVectorGrid::set_ShowDownTo(int classKey)
{
    if (classKey == showDownTo_)
        return;
    showDownTo_ = classKey;
    Reload();
    refresh_colwidths(true, 0);
}

void TQelVectorGrid::set_FieldNames(const TStrings& lines)
{
    TQelFieldList* fl = Connected() ? link_.FieldList() : nullptr;
    if (fl)
        ConnectFL(nullptr, false);
    fieldNames_.Assign(lines);
    if (fl)
        ConnectFL(fl, false);
}

void TQelVectorGrid::set_Order(const std::string& order)
{
    if (order == order_)
        return;
    order_ = order;
    Reload();
}

void TQelVectorGrid::set_Frozen(bool v)
{
    if (v == frozen_)
        return;
    frozen_ = v;
    if (!v)
        Reload();
}

// ---- rows and columns ---------------------------------------------------------------------------

int TQelVectorGrid::ElementCount() const
{
    TQelVector* v = Vector();
    return v ? v->Count() : 0;
}

int TQelVectorGrid::row2vix(int row) const
{
    if (hasOrderMap() && row >= 1 && row <= static_cast<int>(orderMap_.size()))
        return orderMap_[static_cast<std::size_t>(row - 1)];
    return row;
}

int TQelVectorGrid::vix2row(int vix) const
{
    if (!hasOrderMap())
        return vix;
    const auto it = std::find(orderMap_.begin(), orderMap_.end(), vix);
    return it == orderMap_.end() ? vix : static_cast<int>(it - orderMap_.begin()) + 1;
}

void TQelVectorGrid::set_VectorIndex(int vix)
{
    if (vix >= 1 && vix <= ElementCount())
        FocusCell(std::max(Col(), FixedCols()), vix2row(vix));
}

bool TQelVectorGrid::isAddRow(int row) const
{
    return editable() && Connected() && row == ElementCount() + 1;
}

const TQelVGColumn* TQelVectorGrid::ColumnAt(int col) const
{
    const int c = dataCol(col);
    return c >= 0 && c < DataColumnCount() ? &columns_[static_cast<std::size_t>(c)] : nullptr;
}

TQelFieldList* TQelVectorGrid::get_fl(int row) const
{
    TQelVector* v = Vector();
    if (!v)
        return nullptr;
    if (row == 0) {
        TQelSubObject* t = v->get_Template();
        return t ? t->FieldList() : nullptr;
    }
    if (row < 1 || row > v->Count())
        return nullptr;
    return v->FieldList(row2vix(row));
}

TQelSubObject* TQelVectorGrid::get_SubObject(int row) const
{
    TQelVector* v = Vector();
    return v && row >= 1 && row <= v->Count() ? v->Item(row2vix(row)) : nullptr;
}

TQelField* TQelVectorGrid::get_Field(int col, int row) const
{
    const TQelVGColumn* c = ColumnAt(col);
    TQelFieldList* fl = get_fl(row);
    if (!c || !fl || (c->Info && c->Info->Has(TQelVGInfo::CUSTOM)) || c->Entry == "@")
        return nullptr;
    return fl->FindTypedOI<TQelField>(c->Entry);
}

TQelVector* TQelVectorGrid::get_SubVec(int col, int row) const
{
    const TQelVGColumn* c = ColumnAt(col);
    TQelFieldList* fl = get_fl(row);
    if (!c || !fl || (c->Info && c->Info->Has(TQelVGInfo::CUSTOM)) || c->Entry == "@")
        return nullptr;
    return fl->FindTypedOI<TQelVector>(c->Entry);
}

void TQelVectorGrid::set_CurrentField(const TQelObjectInterface* oi)
{
    if (!oi)
        return;
    for (int c = FixedCols(); c < ColCount(); ++c)
        for (int r = 1; r <= ElementCount(); ++r) {
            TQelObjectInterface* here = get_Field(c, r);
            if (!here)
                here = get_SubVec(c, r);
            if (here == oi) {
                FocusCell(c, r);
                return;
            }
        }
}

bool TQelVectorGrid::has_guelt() const
{
    return QelHasValidity(Vector());
}

TQelGueltigkeit* TQelVectorGrid::validity_element(int row) const
{
    return has_guelt() ? dynamic_cast<TQelGueltigkeit*>(get_SubObject(row)) : nullptr;
}

// ---- messages -----------------------------------------------------------------------------------

void TQelVectorGrid::WndProc(TMessage& m)
{
    TQelVector* v = Vector();
    switch (m.Msg) {
    case WM_OC_SETREADONLY:
        set_ReadOnly(m.WParam != 0);
        SetColor(m.WParam ? clBtnFace : clWindow);
        Reload();
        m.Result = 0;
        return;
    case WM_OC_GETFIELD:
        m.Result = QelOIToParam(v);
        return;
    case WM_OC_LOCATE: {
        TQelObjectInterface* oi = QelOIFromParam(m.LParam);
        m.Result = 0;
        if (!v || !oi)
            return;
        if (oi == v) {
            m.Result = 2;
            return;
        }
        if (!oi->IsPartOf(v))
            return;
        m.Result = 1;
        if (m.WParam != 1)
            return;
        m.Result = 0;
        for (int i = v->Count(); i >= 1; --i) {
            if (oi != v->Item(i) && !oi->IsPartOf(v->Item(i)))
                continue;
            int col = FixedCols();
            if (oi->OIType() == TQelObjectInterface::oiField)
                for (int c = 0; c < DataColumnCount(); ++c)
                    if (AnsiSameText(columns_[static_cast<std::size_t>(c)].Entry, oi->Name()))
                        col = c + FixedCols();
            FocusCell(col, vix2row(i));
            m.Result = 2;
            return;
        }
        return;
    }
    case WM_OC_SETMARK:
        set_mark(static_cast<unsigned>(m.WParam), TColor(static_cast<std::int32_t>(m.LParam)));
        m.Result = 1;
        return;
    case WM_OC_INITEDITOR:
        QelInitCellEditor(this, OnInitInplaceEditor, m, "TQelVectorGrid");
        return;
    case WM_OC_EDITORKEYDOWN:
        if (m.WParam == VK_ESCAPE || m.WParam == VK_F3)
            close_editor();
        else if (m.WParam == VK_INSERT)
            Perform(WM_KEYDOWN, m.WParam, m.LParam);
        m.Result = 1;
        return;
    case 0x1C49:
        close_editor();
        return;
    case WM_OC_COMBOCELLCHOSEN:
        QelTakeComboChoice(get_CurrentField(), m);
        return;
    case WM_ODB_OIDESTROYED: {
        auto* oi = QelOIFromParam(m.LParam);
        if (oi == plain_.Target)
            plain_.Target = nullptr;
        const bool ours = oi && oi == v;
        TQelDataControl<TQelGrid>::WndProc(m);
        if (ours) {
            columns_.clear();
            shown_.clear();
            SetRowCount(2);
            ClearNormalCells();
        }
        return;
    }
    case WM_ODB_VECTORCHANGED:
    case WM_ODB_ELEMENTADDED:
        if (v && QelOIFromParam(m.LParam) == v) {
            m.Msg == WM_ODB_VECTORCHANGED ? sync_rows() : Reload();
            return;
        }
        if (auto* sub = QelSafeCast<TQelVector>(QelOIFromParam(m.LParam)))
            reload_subvec(sub);
        return;
    case WM_ODB_ELEMENTREMOVED:
        if (v && QelOIFromParam(m.LParam) == v) {
            // The plain editor's field may have gone with the element: its text is dropped
            // rather than written into whatever element now holds the row.
            plain_.Target = nullptr;
            element_removed(static_cast<int>(m.WParam));
        } else if (auto* sub = QelSafeCast<TQelVector>(QelOIFromParam(m.LParam)))
            reload_subvec(sub);
        return;
    case WM_ODB_STANDARDCHANGED:
    case WM_ODB_ELEMENTSTATE:
        Invalidate();
        return;
    default:
        TQelDataControl<TQelGrid>::WndProc(m);
    }
}

void TQelVectorGrid::element_removed(int vix)
{
    // The cursor stays on the element it was on: rows below the removed one move up by one.
    const int row = Row();
    const int col = Col();
    if (row >= vix && row > 1)
        FocusCell(col, row - 1);
    Reload();
}
