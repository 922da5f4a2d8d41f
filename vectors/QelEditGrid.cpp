// TQelEditGrid: binding, the tree of fields and vectors, state colours, editing.
#include "vectors/QelEditGrid.h"

TQelEditGrid::TQelEditGrid(TComponent* owner)
    : TQelDataControl<TAdvStringGrid>(owner)
{
    link_.kinds = TQelObjectInterface::oiSubObject | TQelObjectInterface::oiVector;
    link_.bindsFieldList = true;
    link_.hooks.read = [this] { Reload(); };
    link_.hooks.touched = [this](TQelObjectInterface* oi, bool) { field_touched(oi); };
    SetColCount(4);
    SetRowCount(2);
    SetFixedRows(1);
    SetFixedCols(0);
    SetCells(colName, 0, "Name");
    SetCells(colValue, 0, "Wert");
    SetColWidths(colTree, 34);
    SetColWidths(colName, 160);
    SetColWidths(colValue, 220);
    HideColumn(colKind);
    TGridOptions o = Options();
    o << goEditing << goFixedHorzLine << goColSizing;
    SetOptions(o);
    PublishBinding(qelPublishFieldPath);
    Publish<&TQelEditGrid::get_VectorIndex, &TQelEditGrid::set_VectorIndex>("VectorIndex");
    PublishSet<&TQelEditGrid::get_EditGridOptions, &TQelEditGrid::set_EditGridOptions,
        kQelEditGridOptionNames>("EditGridOptions");
    Publish<&TQelEditGrid::get_ReadOnly, &TQelEditGrid::set_ReadOnly>("ReadOnly");
    Publish<&TQelEditGrid::get_ExpandLevel, &TQelEditGrid::set_ExpandLevel>("ExpandLevel");
}

TQelEditGrid::~TQelEditGrid()
{
    QelDropCellEditors(this, editorLinks_);
}

void TQelEditGrid::set_VectorIndex(int ix)
{
    if (ix == vectorIndex_)
        return;
    vectorIndex_ = ix;
    Reload();
}

void TQelEditGrid::set_EditGridOptions(TQelEditGridOptions o)
{
    if (o == options_)
        return;
    options_ = o;
    Reload();
}

void TQelEditGrid::set_ReadOnly(bool v)
{
    readOnly_ = v;
    QelSetCellEditing(this, !v);
    Invalidate();
}

void TQelEditGrid::set_ExpandLevel(int level)
{
    expandLevel_ = level;
    ExpandDownToLevel(level);
}

TQelFieldList* TQelEditGrid::ShownFieldList() const
{
    TQelObjectInterface* oi = link_.OI();
    if (auto* v = QelSafeCast<TQelVector>(oi))
        return v->FieldList(vectorIndex_);
    if (auto* so = QelSafeCast<TQelSubObject>(oi))
        return so->FieldList();
    return QelSafeCast<TQelFieldList>(oi);
}

TQelObjectInterface* TQelEditGrid::RowOI(int realRow) const
{
    return realRow >= 0 && realRow < static_cast<int>(rows_.size())
        ? rows_[static_cast<std::size_t>(realRow)].oi
        : nullptr;
}

char TQelEditGrid::RowKind(int realRow) const
{
    return realRow >= 1 && realRow < static_cast<int>(rows_.size())
        ? rows_[static_cast<std::size_t>(realRow)].kind
        : 0;
}

int TQelEditGrid::FindRow(const TQelObjectInterface* oi) const
{
    for (std::size_t r = 1; r < rows_.size(); ++r)
        if (rows_[r].oi == oi)
            return static_cast<int>(r);
    return -1;
}

std::string TQelEditGrid::read(const TQelField* field) const
{
    if (auto* ref = dynamic_cast<const TQelRefField*>(field)) {
        const TQelObjectKey key = ref->AsKey();
        if (key.Id() == 0)
            return "(-)";
        if (!key.Exists())
            return "(ungültiger Schlüssel)";
        if (!key.IsA(ref->ClassType()))
            return "(Falscher Objekttyp)";
        TQelObject* target = ref->get_AsObject();
        return target ? target->Name() : std::string("(-)");
    }
    return field ? field->AsString() : std::string();
}

int TQelEditGrid::add_row(
    const std::string& name, const std::string& value, char kind, TQelObjectInterface* oi)
{
    const int row = static_cast<int>(rows_.size());
    rows_.push_back({ oi, kind });
    if (RowCount() <= row)
        SetRowCount(row + 1);
    SetCellsEx(colName, row, name);
    SetCellsEx(colValue, row, value);
    SetCellsEx(colKind, row, std::string(1, kind));
    return row;
}

void TQelEditGrid::append(TQelFieldList* fl, int depth)
{
    for (; fl; fl = fl->NextFieldList()) {
        if (fl->get_Meta() && !options_.Contains(eoShowMetaFields))
            continue;
        for (int i = 1; i <= fl->FieldCount(); ++i) {
            TQelField* f = fl->Field(i);
            add_row(f->Name(), read(f), 'F', f);
        }
        for (int i = 1; i <= fl->VectorCount(); ++i) {
            TQelVector* v = fl->Vector(i);
            const int vrow = add_row(v->Name() + " (" + std::to_string(v->Count()) + ")", "", 'V', v);
            MergeCells(colName, vrow, 2, 1);
            for (int e = 1; e <= v->Count(); ++e) {
                const int erow = add_row(v->Name() + " - " + std::to_string(e), "", 'L', v->FieldList(e));
                append(v->FieldList(e), depth + 2);
                nodes_.push_back({ erow, depth + 2 });
                AddNode(erow, static_cast<int>(rows_.size()) - erow);
            }
            nodes_.push_back({ vrow, depth + 1 });
            AddNode(vrow, static_cast<int>(rows_.size()) - vrow);
        }
    }
}

void TQelEditGrid::Reload()
{
    if (reloading_)
        return;
    TFlagScope guard(reloading_);
    plain_.Cancel(this);
    BeginUpdate();
    RemoveAllNodes();
    SplitAllCells();
    ClearNormalCells();
    SetRowCount(2);
    rows_.assign(1, {});
    nodes_.clear();
    if (TQelFieldList* fl = ShownFieldList())
        append(fl, 0);
    if (rows_.size() < 2)
        rows_.push_back({});
    SetRowCount(static_cast<int>(rows_.size()));
    ExpandDownToLevel(expandLevel_);
    EndUpdate();
}

void TQelEditGrid::ExpandDownToLevel(int level)
{
    ExpandAll();
    // From the bottom up: contracting a node moves no row above it, so real and display rows agree.
    for (auto it = nodes_.rbegin(); it != nodes_.rend(); ++it)
        if (it->second > level)
            ContractNode(it->first);
}

TColor TQelEditGrid::StateColor(const TQelField* f)
{
    const bool null = f->Null();
    if (f->Valid())
        return f->Touched() ? TColor(null ? 0x55AA55 : 0x00CC00) : TColor(null ? 0x808080 : 0x000000);
    if (!f->SyntaxError())
        return TColor(null ? 0x5555AA : 0x0000FF);
    return TColor(null ? 0xAA55AA : 0xFF00FF);
}

void TQelEditGrid::GetCellColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font)
{
    TAdvStringGrid::GetCellColor(col, row, state, brush, font);
    const int real = RealRowIndex(row);
    if (row < 1 || !link_.OI())
        return;
    if (col == colName && RowKind(real) == 'F')
        if (auto* f = QelSafeCast<TQelField>(RowOI(real)))
            font->SetColor(readOnly_ ? TColor(0x000000) : StateColor(f));
    if (col == colValue)
        brush->SetColor(readOnly_ ? clWindow : TColor(0xC0DCC0));
}

void TQelEditGrid::GetCellReadOnly(int col, int row, bool& answer)
{
    TAdvStringGrid::GetCellReadOnly(col, row, answer);
    auto* f = QelSafeCast<TQelField>(RowOI(RealRowIndex(row)));
    answer = answer && !readOnly_ && col == colValue && f && !f->IsA(qelft::Reference)
        && !f->IsA(qelft::LongText);
}

void TQelEditGrid::GetEditorType(int col, int row, TEditorType& editor)
{
    auto* f = QelSafeCast<TQelField>(RowOI(RealRowIndex(row)));
    int kind = f ? TQelCommonMethods::SelectFieldEditor(&editorLinks_, this, f, 0) : static_cast<int>(edNone);
    editor = static_cast<TEditorType>(kind);
    OnGetEditorType(this, col, row, editor);
    plain_.Open(editor, f);
}

void TQelEditGrid::write(const std::string& text, int realRow)
{
    if (auto* f = QelSafeCast<TQelField>(RowOI(realRow))) {
        f->set_AsString(text);
        SetCellsEx(colValue, realRow, read(f));
        Invalidate();
    }
}

void TQelEditGrid::write_plain_text()
{
    TQelField* target = plain_.Target;
    plain_.Target = nullptr;
    const int real = RealRowIndex(Row());
    if (target && RowOI(real) == target && Cells(colValue, Row()) != read(target))
        write(Cells(colValue, Row()), real);
}

bool TQelEditGrid::SelectCell(int col, int row)
{
    if (col != Col() || row != Row())
        write_plain_text();
    if (!TAdvStringGrid::SelectCell(col, row))
        return false;
    if (auto* f = QelSafeCast<TQelField>(RowOI(RealRowIndex(row))); f && QelEditsRawValue(f))
        SetCells(colValue, row, f->AsString());
    return true;
}

void TQelEditGrid::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_ESCAPE) {
        plain_.Cancel(this);
        const int real = RealRowIndex(Row());
        if (TQelObjectInterface* oi = RowOI(real)) {
            oi->Rollback("");
            if (auto* f = QelSafeCast<TQelField>(oi))
                SetCellsEx(colValue, real, read(f));
        }
        key = 0;
        return;
    }
    TAdvStringGrid::KeyDown(key, shift);
}

void TQelEditGrid::field_touched(TQelObjectInterface* oi)
{
    const int real = FindRow(oi);
    if (real < 0) {
        // A field outside the rows (an element was added): the tree changes.
        if (oi && ShownFieldList() && oi->IsPartOf(ShownFieldList()))
            Reload();
        return;
    }
    if (auto* f = QelSafeCast<TQelField>(oi); f && !(EditorMode() && real == RealRowIndex(Row())))
        SetCellsEx(colValue, real, read(f));
    Invalidate();
}

void TQelEditGrid::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_OC_SETREADONLY:
        set_ReadOnly(m.WParam != 0);
        m.Result = 0;
        return;
    case WM_ODB_OIDESTROYED: {
        auto* oi = QelOIFromParam(m.LParam);
        plain_.Forget(oi);
        TQelDataControl<TAdvStringGrid>::WndProc(m);
        if (FindRow(oi) >= 0 || !link_.OI()) {
            // The tree held the interface: its rows go with it.
            for (auto& r : rows_)
                r.oi = nullptr;
            if (!reloading_)
                Reload();
        }
        return;
    }
    case WM_ODB_ELEMENTADDED:
    case WM_ODB_ELEMENTREMOVED:
    case WM_ODB_VECTORCHANGED:
    case WM_ODB_OIROLLEDBACK:
    case WM_ODB_OIRELOADED:
        Reload();
        return;
    default:
        TQelDataControl<TAdvStringGrid>::WndProc(m);
    }
}
