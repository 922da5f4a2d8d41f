// TQelSelectGrid: single-row reloads, the instance and database notifications, the key index,
// freezing, the filter row and the rows of uncommitted objects with their commit and rollback.
#include "lists/QelSelectGrid.h"

#include "binding/methods.h"
#include "binding/qellogging.h"
#include "binding/qelmessages.h"
#include "lists/QelSelectGridFill.h"

#include <cstdlib>

// ---- key index --------------------------------------------------------------------------------

int TQelSelectGrid::get_row(TQelObjectKey key) const
{
    if (!key.Valid())
        return -1;
    if (indexDirty_) {
        keyRows_.clear();
        keyRows_.reserve(static_cast<std::size_t>(entryCount_));
        const int first = FirstDataRow();
        for (int r = first; r < first + entryCount_ && r < RowCount(); ++r)
            keyRows_.emplace(std::atoi(std::string(store_.text(0, r)).c_str()), r);
        indexDirty_ = false;
    }
    const auto it = keyRows_.find(key.Id());
    return it == keyRows_.end() ? -1 : it->second;
}

int TQelSelectGrid::get_row(TQelObject* obj) const
{
    if (!obj)
        return -1;
    for (int r = FirstDataRow(); r < RowCount(); ++r)
        if (GetObjectsEx(0, r) == obj)
            return r;
    return obj->IsNew() ? -1 : get_row(obj->Key());
}

int TQelSelectGrid::get_row(TQelField* field, int* col) const
{
    TQelObject* owner = field ? field->Object() : nullptr;
    const int row = get_row(owner);
    if (col)
        *col = row < 0 ? -1 : ColumnByName(field->Name());
    return row;
}

TQelObject* TQelSelectGrid::AttachedObject(int row) const
{
    return row >= 1 && row < RowCount() ? static_cast<TQelObject*>(GetObjectsEx(0, row)) : nullptr;
}

void TQelSelectGrid::SortSwapRows(int row1, int row2)
{
    TQelGrid::SortSwapRows(row1, row2);
    indexDirty_ = true;
}

void TQelSelectGrid::SortRowsMoved(int, const std::vector<int>&)
{
    // The key index is built again when next asked; no swap needs telling one by one.
    indexDirty_ = true;
}

// ---- single rows ------------------------------------------------------------------------------

bool TQelSelectGrid::reload_single(TQelObjectKey key)
{
    if (frozen_) {
        reloadPending_ = true;
        return true;
    }
    TQelDatabase* db = QelDatabase();
    if (!key.Valid() || !db || !db->Initialized() || !get_ClassType().Valid())
        return false;
    // While the list is read the row may be yet to come: the object is reloaded after it.
    if (defer_reload(key))
        return true;
    int row = get_row(key);
    // Rows hidden by a search: an object that is not shown is not added.
    if (row < 0 && DisplRowCount() < RowCount())
        return false;
    BeforeReload(this);
    std::string cond = extend_searchcond(searchCondition_);
    cond += (cond.empty() ? "" : " AND ") + FormatStr("OBJEKT.K = %d", key.Id());
    std::string fieldList;
    for (const std::string& f : field_names())
        fieldList += (fieldList.empty() ? "" : ",") + f;
    std::unique_ptr<TQelSQLQuery> query;
    try {
        std::unique_ptr<TQelSQLEngine> engine = db->CreateSQLEngine();
        const std::string statement = query_select(cond);
        query = statement.empty() ? engine->ListEx(get_ClassType(), listopts(), cond, fieldList, "", 0)
                                  : engine->Query(statement);
        lastSingleStatement_ = query->SQL();
        if (!query->TryOpen()) {
            QelLogError(
                "Exception in TQelSelectGrid::reload_single(): %s (%s)", query->ErrorMessage(), query->SQL());
            return false;
        }
    } catch (const std::exception& e) {
        QelLogError("Exception in TQelSelectGrid::reload_single(): %s", e.what());
        return false;
    }
    query->First();
    TGridUpdateScope batch(*this);
    if (query->Eof()) {
        if (row >= 0) {
            const int first = FirstDataRow();
            const bool current = Row() == row;
            if (current && RowCount() - first > 1)
                FocusCell(Col(), row + 1 < RowCount() ? row + 1 : row - 1);
            if (RowCount() - first <= 1) {
                for (int c = 0; c < ColCount(); ++c)
                    SetCellsEx(c, row, "");
                SetObjectsEx(0, row, nullptr);
            } else {
                const int currentRow = Row();
                RemoveRows(row, 1);
                // The rows below moved up: the current object keeps the selection.
                if (currentRow > row)
                    FocusCell(Col(), currentRow - 1);
            }
            --entryCount_;
            indexDirty_ = true;
        }
    } else {
        if (row < 0) {
            row = FirstDataRow() + entryCount_;
            InsertRows(row, 1);
            ++entryCount_;
            // Rows below (uncommitted objects) moved down: they are not in the index.
            if (!indexDirty_)
                keyRows_[key.Id()] = row;
            RefreshColumnWidths(true, 0);
        }
        // Formatted as a full load formats it (dates, booleans, amounts, choices, references).
        TQelSGRowFiller filler(*this, *query);
        filler.Write(row);
        filler.Flush();
    }
    query->Close();
    if (key == get_SelectedKey())
        OnSelectedKeyReloaded(this);
    AfterReload(this);
    return true;
}

// ---- notifications ----------------------------------------------------------------------------

void TQelSelectGrid::subscribe()
{
    TQelDatabase* db = QelDatabase();
    if (subscription_ || !db || !db->Initialized() || !classKey_.Valid() || !options_.Contains(soAutoRefresh))
        return;
    subscription_ = db->SubscribeInstanceNotification(
        classKey_, [this](int event, TQelClassKey, TQelObjectKey key, TQelObject* obj) {
            instance_event(event, key, obj);
        });
}

void TQelSelectGrid::unsubscribe()
{
    if (subscription_)
        if (TQelDatabase* db = QelDatabase())
            db->CancelSubscription(subscription_);
    subscription_ = 0;
}

void TQelSelectGrid::instance_event(int event, TQelObjectKey key, TQelObject* obj)
{
    if (obj && obj == filterObject_)
        return;
    const bool nascent = options_.Contains(soUncommitted);
    if (event == ieGone)
        // The object left memory: its row must not keep the pointer.
        for (int r = FirstDataRow(); r < RowCount(); ++r)
            if (obj && GetObjectsEx(0, r) == obj)
                SetObjectsEx(0, r, nullptr);
    switch (event) {
    case ieTouched:
    case ieGone:
        if (nascent)
            reload_single(key);
        break;
    case ieCreated:
    case ieRecovered:
        reload_single(key);
        set_SelectedKey(key);
        break;
    case ieStored:
    case ieDeleted:
        reload_single(key);
        break;
    case ieLoaded:
        if (nascent && obj) {
            const int row = get_row(key);
            if (row < 0)
                break;
            SetObjectsEx(0, row, obj);
            for (int c = 1; c < ColCount(); ++c)
                if (TQelField* f = obj->FieldByName(column_name(c)))
                    SetCellsEx(c, row, f->AsString());
        }
        break;
    default:
        break;
    }
}

void TQelSelectGrid::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_OC_SETREADONLY:
        return;
    case WM_OC_ISDATACONTROL:
        message.Result = 1;
        return;
    case WM_CONTEXTMENU:
        if (!PopupMenu())
            break;
        // Opened through the popup timer, not at once.
        if (!popupTimer_) {
            popupTimer_ = std::make_unique<TTimer>(nullptr);
            popupTimer_->OnTimer = [this](TObject* sender) { popup_timer_tick(sender); };
        }
        popupAt_ = TPoint { LoWordSigned(message.LParam), HiWordSigned(message.LParam) };
        popupTimer_->SetEnabled(false);
        popupTimer_->SetInterval(PopupDelayMs);
        popupTimer_->SetEnabled(true);
        message.Result = 1;
        return;
    case WM_ODB_OIROLLEDBACK:
    case WM_ODB_OIRELOADED:
    case WM_ODB_FIELDSTATE:
    case WM_ODB_FIELDTOUCHED:
    case WM_ODB_BLOBLOADED:
    case WM_ODB_OBJECTDELETED:
        if (options_.Contains(soUncommitted)) {
            int col = -1;
            const int row = get_row(reinterpret_cast<TQelField*>(message.LParam), &col);
            if (row >= 0 && col >= 0)
                Invalidate();
        }
        return;
    default:
        TQelGrid::WndProc(message);
    }
}

// ---- frozen -----------------------------------------------------------------------------------

void TQelSelectGrid::set_Frozen(bool frozen)
{
    if (frozen == frozen_)
        return;
    frozen_ = frozen;
    if (frozen) {
        reloadPending_ = false;
        frozenKey_ = TQelObjectKey();
        frozenRow_ = -1;
        return;
    }
    // The object chosen while frozen is selected when its row comes (the one after deleted rows).
    if (std::exchange(reloadPending_, false))
        reload(nullptr, frozenKey_);
    if (frozenRow_ >= 0)
        SelectRow(std::exchange(frozenRow_, -1), -1);
    if (frozenKey_.Valid())
        set_SelectedKey(std::exchange(frozenKey_, TQelObjectKey()));
}

// ---- filter row -------------------------------------------------------------------------------

void TQelSelectGrid::make_filter_object()
{
    TQelDatabase* db = QelDatabase();
    if (filterObject_ || !options_.Contains(soFilter) || !db || !classKey_.Valid())
        return;
    filterObject_ = db->CreateObject(classKey_);
}

void TQelSelectGrid::drop_filter_object()
{
    if (!filterObject_)
        return;
    if (RowCount() > 1 && options_.Contains(soFilter))
        for (int c = 0; c < ColCount(); ++c)
            SetObjectsEx(c, 1, nullptr);
    if (TQelDatabase* db = QelDatabase())
        db->FreeObject(std::exchange(filterObject_, nullptr));
    filterObject_ = nullptr;
}

void TQelSelectGrid::fill_filter_row()
{
    if (!options_.Contains(soFilter) || !filterObject_ || RowCount() < 2)
        return;
    for (int c = 0; c < ColCount(); ++c) {
        TQelField* f = c > 0 ? filterObject_->FieldByName(column_name(c)) : nullptr;
        // A field at its default filters nothing and shows nothing.
        SetCellsEx(c, 1, f && !f->NullOrDefault() ? f->AsString() : std::string());
        SetObjectsEx(c, 1, f);
    }
}

std::string TQelSelectGrid::get_Filter(const std::string& column) const
{
    const int c = ColumnByName(column);
    return options_.Contains(soFilter) && c > 0 && RowCount() > 1 ? GetCellsEx(c, 1) : std::string();
}

void TQelSelectGrid::set_Filter(const std::string& column, const std::string& value)
{
    const int c = ColumnByName(column);
    if (!options_.Contains(soFilter) || c <= 0 || RowCount() < 2)
        return;
    SetEditText(c, DisplRowIndex(1), value);
}

// The filter row's editor writes into the field the cell holds, on every change. A text the field
// cannot read (a date typed halfway) empties the field: the list is never filtered by a value
// the cell does not show.
void TQelSelectGrid::SetEditText(int col, int row, const std::string& value)
{
    const int real = RealRowIndex(row);
    TQelGrid::SetEditText(col, row, value);
    if (real != 1 || !options_.Contains(soFilter))
        return;
    if (auto* f = static_cast<TQelField*>(GetObjectsEx(col, 1)))
        f->set_AsString(f->Readable(value) ? value : std::string());
}

void TQelSelectGrid::GetCellReadOnly(int col, int row, bool& answer)
{
    const int real = RealRowIndex(row);
    answer = options_.Contains(soFilter) && real == 1 && col >= FixedCols();
}

bool TQelSelectGrid::CanEditShow()
{
    if (!options_.Contains(soFilter) || RealRowIndex(Row()) != 1)
        return TQelGrid::CanEditShow();
    // The toolkit opens no editor in a grid that selects whole rows; the filter row is the
    // exception. Only cells that hold a field of the filter object take text.
    const int col = Col();
    if (!Options().Contains(goEditing) || col < FixedCols() || col >= ColCount() || IsHiddenColumn(col)
        || !GetObjectsEx(col, 1))
        return false;
    bool editable = true;
    GetCellReadOnly(col, Row(), editable);
    return editable;
}

std::string TQelSelectGrid::extend_searchcond(const std::string& cond) const
{
    if (!options_.Contains(soFilter) || !filterObject_)
        return cond;
    const std::string filter = TQelCommonMethods::ExtractSearchCond(filterObject_);
    if (filter.empty())
        return cond;
    return cond.empty() ? filter : cond + " AND " + filter;
}

std::string TQelSelectGrid::query_select(const std::string& cond)
{
    std::string statement;
    if (!OnQuerySelect)
        return statement;
    OnQuerySelect(this, get_ClassType(), statement);
    if (!statement.empty() && !cond.empty())
        statement += FormatStr(" AND (%s)", cond);
    return statement;
}

// ---- uncommitted objects ----------------------------------------------------------------------

bool TQelSelectGrid::class_type_fits(TQelClassKey cls) const
{
    TQelDatabase* db = QelDatabase();
    if (!cls.Valid() || !classKey_.Valid())
        return false;
    if (options_.Contains(soNoDerived) || !db || !db->Initialized())
        return cls == classKey_;
    return cls == classKey_ || cls.DerivesFrom(classKey_);
}

void TQelSelectGrid::reload_nascent_objects()
{
    nascent_.clear();
    if (TQelDatabase* db = QelDatabase())
        for (TQelObject* obj : db->NewObjects())
            if (obj != filterObject_ && class_type_fits(obj->ClassKey()))
                nascent_.push_back(obj);
    if (nascent_.empty())
        return;
    const int first = FirstDataRow() + entryCount_;
    SetRowCount(first + static_cast<int>(nascent_.size()));
    for (std::size_t i = 0; i < nascent_.size(); ++i) {
        const int row = first + static_cast<int>(i);
        for (int c = 1; c < ColCount(); ++c) {
            TQelField* f = nascent_[i]->FieldByName(column_name(c));
            SetCellsEx(c, row, f ? f->AsString() : std::string());
        }
        SetObjectsEx(0, row, nascent_[i]);
        SetCellsEx(0, row, "0");
    }
}

bool TQelSelectGrid::TouchedAnyObjects() const
{
    TQelDatabase* db = QelDatabase();
    if (!options_.Contains(soUncommitted) || !db || !db->Initialized())
        return false;
    for (int r = FirstDataRow(); r < RowCount(); ++r)
        if (const TQelObject* obj = AttachedObject(r); obj && obj->Touched())
            return true;
    return false;
}

bool TQelSelectGrid::CommitAllObjects()
{
    TQelDatabase* db = QelDatabase();
    if (!TouchedAnyObjects())
        return true;
    set_Frozen(true);
    std::unique_ptr<TQelSQLEngine> engine = db->CreateSQLEngine();
    db->StartTransaction();
    bool ok = true;
    for (int r = FirstDataRow(); r < RowCount() && ok; ++r) {
        TQelObject* obj = AttachedObject(r);
        if (!obj || !obj->Touched())
            continue;
        while (!obj->Commit()) {
            bool again = false;
            if (OnCommitFail)
                OnCommitFail(this, again);
            if (!again) {
                ok = false;
                break;
            }
        }
    }
    if (ok)
        ok = db->CommitTransaction();
    if (!ok) {
        db->RollbackTransaction();
        reloadPending_ = false;
    }
    set_Frozen(false);
    return ok;
}

void TQelSelectGrid::RollbackAllObjects()
{
    TQelDatabase* db = QelDatabase();
    if (!db)
        return;
    set_Frozen(true);
    std::vector<TQelObject*> objects;
    for (int r = FirstDataRow(); r < RowCount(); ++r)
        if (TQelObject* obj = AttachedObject(r); obj && (obj->IsNew() || obj->Touched()))
            objects.push_back(obj);
    for (TQelObject* obj : objects) {
        const int row = get_row(obj);
        if (row >= 0)
            SetObjectsEx(0, row, nullptr);
        if (obj->IsNew()) {
            std::erase(nascent_, obj);
            db->FreeObject(obj);
        } else {
            obj->Rollback();
        }
    }
    set_Frozen(false);
}
