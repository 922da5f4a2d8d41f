// TQelSelectGrid: the full load, the rows, selection and opening objects.
#include "lists/QelSelectGrid.h"

#include "binding/methods.h"
#include "binding/qellogging.h"
#include "lists/Listcache.h"
#include "lists/QelSelectGridFill.h"

#include "binding/qeltimerglue.h"

#include "toolkit/screen.h"

#include <charconv>
#include <cstdlib>
#include <limits>

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
    // A filter cell being edited has written its text already; the editor must not outlive its row.
    HideInplaceEdit();
    BeforeReload(this);
    shownBeforeReload_ = get_SelectedKey();
    if (view)
        set_currentview(view, nullptr, "", false);
    if (!selectKey.Valid())
        selectKey = load_ && load_->selectKey.Valid() ? load_->selectKey : get_SelectedKey();
    stop_load();

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
        std::unique_ptr<TQelSQLEngine> engine;
        std::unique_ptr<TQelSQLQuery> query;
        std::string statement;
        try {
            engine = db->CreateSQLEngine();
            statement = query_select(searchCondition_);
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
            // The application's statement names its own columns: the headers are its names.
            layout_columns(*query, statement.empty() ? fields : std::vector<std::string>());
            TQelTimerTasks* tasks = QelTimerTasksOf(nullptr);
            load_ = std::make_unique<TQelSGLoad>(*this, std::move(engine), std::move(query), selectKey,
                tasks ? tasks->get_Clock().NowMs() : 0);
            // Without timer tasks nothing could read on later: all of it now.
            if (fill_rows(tasks ? firstPageRows_ : std::numeric_limits<int>::max())) {
                if (RowCount() < FirstDataRow() + 1)
                    SetRowCount(FirstDataRow() + 1);
                SetFixedRows(1);
                fill_filter_row();
                indexDirty_ = true;
                const int row = find_loaded_row(selectKey);
                focus_listed_row(row > 0 ? row : FirstDataRow());
                show_listed_row(Row());
                if (row > 0)
                    load_->selectKey = TQelObjectKey(); // found: nothing to wait for
                load_->selectKeyRow = -1;
                load_->selectedRow = Row();
                if (!options_.Contains(soKeyVisible))
                    HideColumn(0);
                RefreshColumnWidths(true, 0);
                start_load_steps(tasks);
                return;
            }
            load_.reset();
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
    // The key index is left to be built when a single reload needs it.
    const int row = find_loaded_row(selectKey);
    focus_listed_row(row > 0 ? row : FirstDataRow());
    show_listed_row(Row());
    load_done();
}

void TQelSelectGrid::focus_listed_row(int row)
{
    const int col = Col() >= 1 && !IsHiddenColumn(Col()) ? Col() : first_shown_col();
    if (col == Col() && row == Row() && get_Key(row) != shownBeforeReload_)
        SelectCell(col, row); // the same place holds another object: announce it
    else
        FocusCell(col, row);
}

void TQelSelectGrid::show_listed_row(int row)
{
    // Before the grid is shown nothing fits: the first data row still counts as near the top.
    if (row <= FirstDataRow() || row - FixedRows() < VisibleRowCount())
        SetTopRow(FixedRows());
    else
        ScrollInView(Col(), row);
}

int TQelSelectGrid::first_shown_col() const
{
    for (int c = 1; c < ColCount(); ++c)
        if (!IsHiddenColumn(c))
            return c;
    return 1;
}

void TQelSelectGrid::load_done()
{
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
    for (int key = 0; first + rows < RowCount(); ++rows) {
        const std::string_view text = CellTextEx(0, first + rows);
        if (std::from_chars(text.data(), text.data() + text.size(), key).ec != std::errc() || key <= 0)
            break;
    }
    entryCount_ = rows;
    SetRowCount(std::max(first + rows, first + 1));
    rebuild_colinfos();
    lastStatement_.clear();
    return true;
}

int TQelSelectGrid::find_loaded_row(TQelObjectKey key) const
{
    if (!key.Valid())
        return -1;
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, key.Id()).ptr;
    const std::string_view text(digits, static_cast<std::size_t>(end - digits));
    const int first = FirstDataRow();
    for (int r = first; r < first + entryCount_ && r < RowCount(); ++r)
        if (CellTextEx(0, r) == text)
            return r;
    return -1;
}

bool TQelSelectGrid::fill_rows(int limit)
{
    TQelSGLoad& load = *load_;
    TQelSQLQuery& query = *load.query;
    const int first = FirstDataRow();
    int row = first + entryCount_;
    // Rows of the previous list are written over: their cells' buffers serve again.
    int capacity = std::max(RowCount(), row);
    bool more = true;
    try {
        for (int n = 0; n < limit; ++n) {
            if (query.Eof()) {
                more = false;
                break;
            }
            if (row >= capacity) {
                capacity = std::max(first + 64, capacity * 2);
                SetRowCount(capacity);
            }
            const long long key = load.filler.Write(row);
            // An object changed meanwhile whose row stands already is not listed twice.
            if (!load.changed.empty() && load.changed.contains(key) && !load.written.insert(key).second) {
                query.Next();
                continue;
            }
            if (key == load.selectKey.Id())
                load.selectKeyRow = row;
            ++row;
            query.Next();
        }
        more = more && !query.Eof();
    } catch (const std::exception& e) {
        QelLogError("Exception in TQelSelectGrid::Reload(), nach %d Zeilen: %s", row - first, e.what());
        more = false;
    }
    load.filler.Flush();
    entryCount_ = row - first;
    SetRowCount(row);
    indexDirty_ = true;
    if (!more)
        load.query->Close();
    return more;
}

void TQelSelectGrid::ClearList()
{
    stop_load();
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
