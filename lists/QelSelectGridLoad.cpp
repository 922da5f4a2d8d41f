// TQelSelectGrid: the full load, the rows, selection and opening objects.
#include "lists/QelSelectGrid.h"

#include "binding/methods.h"
#include "binding/qellogging.h"
#include "lists/Listcache.h"

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
    if (!key.Valid())
        reload(nullptr, TQelObjectKey());
    else
        reload_single(key);
}

void TQelSelectGrid::reload(TQelAnsicht* view, TQelObjectKey selectKey)
{
    if (frozen_) {
        reloadPending_ = true;
        frozenRow_ = -1;
        return;
    }
    TQelDatabase* db = QelDatabase();
    if (ComponentState().Contains(csDesigning) || !db || !db->Initialized() || !get_ClassType().Valid())
        return;
    BeforeReload(this);
    if (view)
        set_currentview(view, nullptr, "", false);
    if (!selectKey.Valid())
        selectKey = get_SelectedKey();

    UnHideColumnsAll();
    UnHideRowsAll();
    colInfos_.Clear();
    TWaitCursor wait;
    TGridUpdateScope batch(*this);
    Clear();
    entryCount_ = 0;
    nascent_.clear();
    indexDirty_ = true;
    make_filter_object();

    if (!restore_from_cache()) {
        const std::vector<std::string> fields = field_names();
        std::string fieldList;
        for (const std::string& f : fields)
            fieldList += (fieldList.empty() ? "" : ",") + f;
        std::unique_ptr<TQelSQLQuery> query;
        try {
            std::unique_ptr<TQelSQLEngine> engine = db->CreateSQLEngine();
            const std::string statement = query_select(searchCondition_);
            query = statement.empty() ? engine->ListEx(
                        get_ClassType(), listopts(), extend_searchcond(searchCondition_), fieldList, "", 0)
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
    }
    if (RowCount() < FirstDataRow() + 1)
        SetRowCount(FirstDataRow() + 1);
    SetFixedRows(1);
    fill_filter_row();

    if (options_.Contains(soHideEmptyCols))
        hide_empty_cols();
    if (RowCount() <= autoSortUpTo_)
        QSort();
    indexDirty_ = true;
    if (selectKey.Valid() && get_row(selectKey) > 0)
        set_SelectedKey(selectKey);
    else
        FocusCell(std::max(Col(), 1), FirstDataRow());
    if (options_.Contains(soUncommitted))
        reload_nascent_objects();
    if (!options_.Contains(soKeyVisible))
        HideColumn(0);
    RefreshColumnWidths(true, 0);
    AfterReload(this);
}

// Rows from the list cache while the database has not changed since they were saved. The cache
// keeps cells only: the column records are rebuilt from the header's names, the loaded rows are
// the ones with a key, rows of uncommitted objects saved with them are dropped (they are listed
// again from the database's new objects).
bool TQelSelectGrid::restore_from_cache()
{
    TQelListCache* cache = TQelListCache::Instance();
    TQelDatabase* db = QelDatabase();
    if (!cache || !options_.Contains(soUseCache) || options_.Contains(soDeleted))
        return false;
    const int stamp = cache->Load(this);
    if (stamp == 0 || stamp != db->ChangeStamp())
        return false;
    const int first = FirstDataRow();
    int rows = 0;
    while (first + rows < RowCount() && std::atoi(GetCellsEx(0, first + rows).c_str()) > 0)
        ++rows;
    entryCount_ = rows;
    SetRowCount(std::max(first + rows, first + 1));
    for (int r = 0; r < RowCount(); ++r)
        for (int c = 0; c < ColCount(); ++c)
            SetObjectsEx(c, r, nullptr);
    rebuild_colinfos();
    lastStatement_.clear();
    return true;
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

// The attached object, or the row's object loaded now and attached.
TQelObject* TQelSelectGrid::get_Object(int row)
{
    if (TQelObject* obj = AttachedObject(row))
        return obj;
    const TQelObjectKey key = get_Key(row);
    TQelDatabase* db = QelDatabase();
    TQelObject* obj = key.Valid() && db ? db->GetObjectA(key) : nullptr;
    if (obj)
        SetObjectsEx(0, row, obj);
    return obj;
}

// ---- input ------------------------------------------------------------------------------------

void TQelSelectGrid::GetCellAlign(int col, int row, TAlignment& hAlign, TVerticalAlignment& vAlign)
{
    TQelGrid::GetCellAlign(col, row, hAlign, vAlign);
    if (row >= FixedRows())
        if (const TQelFelddefinition* def = get_Felddefinition(col))
            hAlign = TQelCommonMethods::GetAlign(def);
}
