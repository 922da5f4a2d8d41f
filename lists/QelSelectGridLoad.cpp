// TQelSelectGrid: the full load, the rows, selection and opening objects.
#include "lists/QelSelectGrid.h"

#include "binding/methods.h"
#include "binding/qellogging.h"

#include "toolkit/screen.h"

#include <cstdlib>

namespace {

// Fields whose stored values need their field's formatting to read as users write them.
bool formattedType(const TQelFelddefinition* def)
{
    const int root = def ? def->Urtyp().Id() : 0;
    return root == qelft::DateTime || root == qelft::Boolean || root == qelft::Amount;
}

} // namespace

int TQelSelectGrid::listopts() const
{
    int flags = 0;
    if (options_.Contains(soDeleted))
        flags |= lfDeleted;
    if (options_.Contains(soNotDeleted) && !showDeleted_)
        flags |= lfNotDeleted;
    if (options_.Contains(soKeyOnly))
        flags |= lfKeysOnly;
    if (options_.Contains(soNoDerived))
        flags |= lfNoDerived;
    if (options_.Contains(soNoMetaFields))
        flags |= lfNoMetaFields;
    return flags;
}

void TQelSelectGrid::Reload(TQelObjectKey key)
{
    if (!key.Valid()) {
        reload(nullptr, TQelObjectKey());
        return;
    }
    // One row: until rows follow single objects, the list is read again and the row kept.
    reload(nullptr, key);
}

void TQelSelectGrid::reload(TQelAnsicht* view, TQelObjectKey selectKey)
{
    TQelDatabase* db = QelDatabase();
    if (ComponentState().Contains(csDesigning) || !db || !db->Initialized() || !get_ClassType().Valid())
        return;
    BeforeReload(this);
    if (view)
        set_currentview(view, nullptr, "", false);
    if (!selectKey.Valid())
        selectKey = get_SelectedKey();

    UnHideColumnsAll();
    colInfos_.Clear();
    TWaitCursor wait;
    TGridUpdateScope batch(*this);
    Clear();
    entryCount_ = 0;

    const std::vector<std::string> fields = field_names();
    std::string fieldList;
    for (const std::string& f : fields)
        fieldList += (fieldList.empty() ? "" : ",") + f;
    std::unique_ptr<TQelSQLEngine> engine = db->CreateSQLEngine();
    std::unique_ptr<TQelSQLQuery> query;
    std::string statement;
    if (OnQuerySelect) {
        OnQuerySelect(this, get_ClassType(), statement);
        if (!statement.empty() && !searchCondition_.empty())
            statement += FormatStr(" AND (%s)", searchCondition_);
    }
    try {
        query = statement.empty()
            ? engine->ListEx(get_ClassType(), listopts(), searchCondition_, fieldList, "", 0)
            : engine->Query(statement);
        lastStatement_ = query->SQL();
        if (!query->TryOpen()) {
            QelLogError(
                "Exception in TQelSelectGrid::Reload(): %s (%s)", query->ErrorMessage(), query->SQL());
            query.reset();
        }
    } catch (const std::exception& e) {
        QelLogError("Exception in TQelSelectGrid::Reload(): %s", e.what());
        query.reset();
    }

    if (query) {
        layout_columns(*query, fields);
        fill_rows(*query);
    }
    if (RowCount() < FirstDataRow() + 1)
        SetRowCount(FirstDataRow() + 1);
    SetFixedRows(1);

    if (options_.Contains(soHideEmptyCols))
        hide_empty_cols();
    if (RowCount() <= autoSortUpTo_)
        QSort();
    if (selectKey.Valid() && get_row(selectKey) > 0)
        set_SelectedKey(selectKey);
    else
        FocusCell(std::max(Col(), 1), FirstDataRow());
    if (!options_.Contains(soKeyVisible))
        HideColumn(0);
    RefreshColumnWidths(true, 0);
    AfterReload(this);
}

void TQelSelectGrid::fill_rows(TQelSQLQuery& query)
{
    TQelDatabase* db = QelDatabase();
    const int cols = query.FieldCount();
    // Columns whose values are formatted by their field (dates, booleans, amounts).
    std::vector<TQelField*> formatted(static_cast<std::size_t>(cols), nullptr);
    if (const TQelKlasse* k = db->Klasse(list_class())) {
        formatFields_ = std::make_unique<TQelFieldList>(db, nullptr, k);
        for (int c = 1; c < cols; ++c)
            if (const TQelFelddefinition* def = get_Felddefinition(c); formattedType(def))
                formatted[static_cast<std::size_t>(c)] = formatFields_->FieldByName(def->Name());
    }
    const int first = FirstDataRow();
    int capacity = first + 64;
    SetRowCount(capacity);
    int row = first;
    for (query.First(); !query.Eof(); query.Next(), ++row) {
        if (row >= capacity) {
            capacity *= 2;
            SetRowCount(capacity);
        }
        for (int c = 1; c < cols; ++c) {
            if (TQelField* f = formatted[static_cast<std::size_t>(c)]) {
                f->LoadStored(query.AsValue(c));
                SetCellsEx(c, row, f->AsString());
            } else {
                SetCellsEx(c, row, prepare_string(c, std::string(query.AsStringView(c))));
            }
        }
        SetCellsEx(0, row, std::to_string(query.AsInteger(0)));
    }
    query.Close();
    entryCount_ = row - first;
    SetRowCount(row);
}

void TQelSelectGrid::ClearList()
{
    TGridUpdateScope batch(*this);
    entryCount_ = 0;
    SetRowCount(FirstDataRow() + 1);
    for (int c = 0; c < ColCount(); ++c)
        SetCellsEx(c, FirstDataRow(), "");
}

// ---- rows -------------------------------------------------------------------------------------

TQelObjectKey TQelSelectGrid::get_Key(int row) const
{
    if (row < FirstDataRow() || row >= FirstDataRow() + entryCount_ || row >= RowCount())
        return TQelObjectKey();
    return TQelObjectKey(std::atoi(Cells(0, row).c_str()));
}

TQelObject* TQelSelectGrid::get_Object(int row)
{
    const TQelObjectKey key = get_Key(row);
    TQelDatabase* db = QelDatabase();
    return key.Valid() && db ? db->GetObjectA(key) : nullptr;
}

int TQelSelectGrid::get_row(TQelObjectKey key) const
{
    if (!key.Valid())
        return -1;
    const std::string text = key.ToString();
    for (int r = FirstDataRow(); r < RowCount(); ++r)
        if (Cells(0, r) == text)
            return r;
    return -1;
}

void TQelSelectGrid::set_SelectedKey(TQelObjectKey key)
{
    const int row = get_row(key);
    if (row < 0)
        return;
    FocusCell(std::max(Col(), 1), row);
    ScrollInView(Col(), row);
}

// ---- input ------------------------------------------------------------------------------------

void TQelSelectGrid::GetCellAlign(int col, int row, TAlignment& hAlign, TVerticalAlignment& vAlign)
{
    TQelGrid::GetCellAlign(col, row, hAlign, vAlign);
    if (row >= FixedRows())
        if (const TQelFelddefinition* def = get_Felddefinition(col))
            hAlign = TQelCommonMethods::GetAlign(def);
}

void TQelSelectGrid::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_RETURN) {
        const TQelObjectKey k = get_SelectedKey();
        if (k.Valid() && !showDeleted_ && OnKeyOpen)
            OnKeyOpen(this, k, get_Object(Row()));
    } else if (key == VK_F5) {
        reload(nullptr, TQelObjectKey());
    }
    TQelGrid::KeyDown(key, shift);
}

void TQelSelectGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TQelGrid::MouseDown(button, shift, x, y);
    if (button != mbLeft || !shift.Contains(ssDouble))
        return;
    // A double click on a row opens its object (one on the header only sorts).
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    const TQelObjectKey k = get_Key(row);
    if (k.Valid() && !showDeleted_ && OnKeyOpen)
        OnKeyOpen(this, k, get_Object(row));
}

void TQelSelectGrid::DoEnter()
{
    SetSelectionColor(SelectionColorActive);
    TQelGrid::DoEnter();
}

void TQelSelectGrid::DoExit()
{
    SetSelectionColor(SelectionColorInactive);
    TQelGrid::DoExit();
}
