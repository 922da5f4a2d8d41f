// TQelRevVectorGrid: construction, binding, properties, rows and columns, messages.
#include "vectors/QelRevVectorGrid.h"

#include "binding/qellogging.h"
#include "binding/qeltimerglue.h"
#include "vectors/qelvectorkit.h"

#include "toolkit/menus.h"
#include "toolkit/toolbar.h"

#include <algorithm>

namespace {
constexpr int kReloadTimer = 1;
} // namespace

TQelRevVectorGridOptions TQelRevVectorGrid::DefaultOptions()
{
    TQelRevVectorGridOptions o;
    o << rvoAutoConnect << rvoFieldEdit << rvoDeleteAllowed << rvoDeleteQuery;
    return o;
}

TQelRevVectorGrid::TQelRevVectorGrid(TComponent* owner)
    : TQelDataControl<TQelGrid>(owner)
    , options_(DefaultOptions())
{
    // The link binds the current object's field list and hears the row objects it watches.
    link_.bindsFieldList = true;
    link_.kinds = 0;
    link_.hooks.read = [] {};
    link_.hooks.touched = [this](TQelObjectInterface* field, bool) { field_touched(field); };
    link_.hooks.connectedChanged = [](bool) {};
    link_.hooks.setHint = [](const std::string&) {};

    QelStyleDataGrid(this);
    apply_edit_options();
    SetEnabled(false);
    PublishSet<&TQelRevVectorGrid::get_RevVectorGridOptions, &TQelRevVectorGrid::set_RevVectorGridOptions,
        kQelRevVectorGridOptionNames>("RevVectorGridOptions");
    Publish<&TQelRevVectorGrid::get_ClassName, &TQelRevVectorGrid::set_ClassName>("ClassName");
    Publish<&TQelRevVectorGrid::get_FieldName, &TQelRevVectorGrid::set_FieldName>("FieldName");
    Publish<&TQelRevVectorGrid::get_ReadOnly, &TQelRevVectorGrid::set_ReadOnly>("ReadOnly");
    Publish<&TQelRevVectorGrid::get_AddLink, &TQelRevVectorGrid::set_AddLink>("AddLink");
    PublishLines<&TQelRevVectorGrid::get_FieldNames, &TQelRevVectorGrid::set_FieldNames>("FieldNames");
    Publish<&TQelRevVectorGrid::get_ShowDownTo, &TQelRevVectorGrid::set_ShowDownTo>("ShowDownTo");
    PublishComponent<&TQelRevVectorGrid::get_ToolBar, &TQelRevVectorGrid::set_ToolBar>("ToolBar");
}

TQelRevVectorGrid::~TQelRevVectorGrid()
{
    timer_.StopAll();
    if (TQelDatabase* db = QelDatabase(); db && subscription_)
        db->CancelSubscription(subscription_);
    subscription_ = 0;
    QelDropCellEditors(this, editorLinks_);
    unfollow_all();
    unwatch_rows();
}

// ---- binding ------------------------------------------------------------------------------------

bool TQelRevVectorGrid::Connect(const TQelObject* obj, bool onlyIfUnconnected)
{
    if (onlyIfUnconnected && Connected())
        return false;
    if (current_ && currentAlive_.expired())
        current_ = nullptr;
    if (obj != current_) {
        if (EditorMode())
            HideInplaceEdit();
        write_plain_text();
        QelDropCellEditors(this, editorLinks_);
        unfollow_all();
        unwatch_rows();
        rows_.clear();
        keyRow_.clear();
        current_ = const_cast<TQelObject*>(obj);
        currentAlive_ = obj ? obj->LifeToken() : std::weak_ptr<bool> {};
        link_.Connect(obj ? obj->FieldList() : nullptr, false);
        if (ComponentState().Contains(csDestroying))
            return Connected();
        SetEnabled(Connected());
        if (Connected())
            make_menu();
        Reload(0);
        if (!Connected()) {
            if (TQelDatabase* db = QelDatabase(); db && subscription_)
                db->CancelSubscription(subscription_);
            subscription_ = 0;
            SplitAllCells();
            Clear();
            SetRowCount(2);
        }
        refresh_colwidths(true, 0);
    }
    return Connected();
}

int TQelRevVectorGrid::ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected)
{
    if (!options_.Contains(rvoAutoConnect))
        return 0;
    TQelObject* obj = fl ? fl->Object() : nullptr;
    return Connect(obj, onlyIfUnconnected) ? 1 : 0;
}

// ---- properties ---------------------------------------------------------------------------------

void TQelRevVectorGrid::apply_edit_options()
{
    TGridOptions o = Options();
    o << goFixedHorzLine << goColSizing << goTabs;
    if (options_.Contains(rvoFieldEdit) && editable()) {
        o << goEditing;
        o >> goRowSelect;
    } else {
        o >> goEditing;
        o << goRowSelect;
    }
    SetOptions(o);
}

void TQelRevVectorGrid::set_RevVectorGridOptions(TQelRevVectorGridOptions options)
{
    if (options == options_)
        return;
    options_ = options;
    apply_edit_options();
}

void TQelRevVectorGrid::set_ClassName(const std::string& name)
{
    if (name == className_)
        return;
    className_ = name;
    if (Connected())
        Reload(0);
}

void TQelRevVectorGrid::set_FieldName(const std::string& name)
{
    if (name == fieldName_)
        return;
    fieldName_ = name;
    if (Connected())
        Reload(0);
}

void TQelRevVectorGrid::set_ReadOnly(bool v)
{
    if (v == readOnly_)
        return;
    if (!Connected() && !v && !ComponentState().Contains(csDesigning))
        return;
    readOnly_ = v;
    if (v && EditorMode())
        HideInplaceEdit();
    apply_edit_options();
    if (Connected())
        Reload(0);
}

void TQelRevVectorGrid::set_AddLink(bool v)
{
    if (v == addLink_)
        return;
    addLink_ = v;
    if (Connected())
        Reload(0);
}

void TQelRevVectorGrid::set_FieldNames(const TStrings& lines)
{
    fieldNames_.Assign(lines);
    if (Connected())
        Reload(0);
}

void TQelRevVectorGrid::set_ShowDownTo(int classKey)
{
    if (classKey == showDownTo_)
        return;
    showDownTo_ = classKey;
    if (Connected()) {
        Reload(0);
        refresh_colwidths(true, 0);
    }
}

void TQelRevVectorGrid::set_ToolBar(TToolBar* bar)
{
    if (toolBar_)
        toolBar_->RemoveFreeNotification(this);
    toolBar_ = bar;
    if (bar)
        bar->FreeNotification(this);
    make_menu();
}

void TQelRevVectorGrid::Notification(TComponent* component, TOperation operation)
{
    TQelDataControl<TQelGrid>::Notification(component, operation);
    if (operation == opRemove && component == toolBar_)
        toolBar_ = nullptr;
}

// ---- rows and columns ---------------------------------------------------------------------------

TQelObject* TQelRevVectorGrid::cached(TQelObjectKey key) const
{
    TQelDatabase* db = QelDatabase();
    return db && key.Valid() ? db->CachedObject(key) : nullptr;
}

TQelObjectKey TQelRevVectorGrid::get_Key(int row) const
{
    return row >= 1 && row <= ObjectCount() ? rows_[static_cast<std::size_t>(row - 1)].key : TQelObjectKey();
}

TQelObject* TQelRevVectorGrid::get_Object(int row)
{
    const TQelObjectKey key = get_Key(row);
    TQelDatabase* db = QelDatabase();
    if (!key.Valid() || !db)
        return nullptr;
    TQelObject* obj = db->GetObjectA(key);
    if (obj && !loading_)
        link_.Watch(obj);
    return obj;
}

int TQelRevVectorGrid::get_row(const TQelObject* obj) const
{
    if (!obj)
        return -1;
    const auto it = keyRow_.find(obj->Key().Id());
    return it == keyRow_.end() ? -1 : it->second + 1;
}

const TQelRVGColumn* TQelRevVectorGrid::ColumnAt(int col) const
{
    return col >= 0 && col < ColumnCount() ? &columns_[static_cast<std::size_t>(col)] : nullptr;
}

std::string TQelRevVectorGrid::entry_path(const TQelRVGColumn& c) const
{
    // Placeholders in an entry are filled from the current object.
    if (current_ && c.Entry.find('<') != std::string::npos)
        return current_->MakeName(c.Entry, "");
    return c.Entry;
}

TQelField* TQelRevVectorGrid::get_Field(int col, int row)
{
    const TQelRVGColumn* c = ColumnAt(col);
    if (!c || !c->Info || row < 1 || row > ObjectCount())
        return nullptr;
    TQelObject* obj = get_Object(row);
    return obj ? obj->FieldList()->FindField(entry_path(*c), false) : nullptr;
}

const TQelRVGInfo* TQelRevVectorGrid::current_rvgi() const
{
    const TQelRVGColumn* c = ColumnAt(Col());
    return c ? c->Info.get() : nullptr;
}

TQelRefField* TQelRevVectorGrid::current_orf()
{
    return dynamic_cast<TQelRefField*>(get_CurrentField());
}

TQelObjectKey TQelRevVectorGrid::current_key()
{
    TQelRefField* ref = current_orf();
    return ref ? ref->AsKey() : TQelObjectKey();
}

bool TQelRevVectorGrid::IsAddRow(int row) const
{
    return Connected() && editable() && addLink_ && row == ObjectCount() + 1 && row < RowCount();
}

void TQelRevVectorGrid::SortSwapRows(int row1, int row2)
{
    TQelGrid::SortSwapRows(row1, row2);
    const int a = row1 - 1;
    const int b = row2 - 1;
    if (a < 0 || b < 0 || a >= ObjectCount() || b >= ObjectCount())
        return;
    std::swap(rows_[static_cast<std::size_t>(a)], rows_[static_cast<std::size_t>(b)]);
    keyRow_[rows_[static_cast<std::size_t>(a)].key.Id()] = a;
    keyRow_[rows_[static_cast<std::size_t>(b)].key.Id()] = b;
}

int TQelRevVectorGrid::SortEndRow()
{
    return IsAddRow(RowCount() - 1) ? RowCount() - 1 : RowCount();
}

void TQelRevVectorGrid::unwatch_rows()
{
    link_.UnwatchAll();
}

void TQelRevVectorGrid::report(const std::string& issue)
{
    for (const std::string& r : reported_)
        if (r == issue)
            return;
    reported_.push_back(issue);
    QelLogWarning("%s: %s", Name(), issue);
}

// ---- reloading ----------------------------------------------------------------------------------

void TQelRevVectorGrid::Reload(int delay)
{
    if (delay >= 1) {
        timer_.set_Tasks(QelTimerTasksOf(nullptr));
        if (!timer_.get_Tasks())
            return;
        timer_.Start(kReloadTimer, delay, [this](TQelTaskId, std::intptr_t) {
            timer_.Stop(kReloadTimer);
            Reload(0);
        });
        return;
    }
    if (!Connected() || loading_)
        return;
    timer_.Stop(kReloadTimer);
    load();
}

// ---- messages -----------------------------------------------------------------------------------

void TQelRevVectorGrid::remove_row(TQelObjectKey key)
{
    const auto it = keyRow_.find(key.Id());
    if (it == keyRow_.end())
        return;
    const int index = it->second;
    if (Row() == index + 1) {
        // An editor control of its own was bound to the object's field: what it holds goes too.
        if (EditorMode() && plain_.Kind == edCustom)
            plain_.Edited = true;
        QelDropCellEditors(this, editorLinks_);
        drop_edit();
    }
    unfollow(key);
    SplitAllCells();
    RemoveRows(index + 1, 1);
    rows_.erase(rows_.begin() + index);
    keyRow_.erase(it);
    for (auto& [k, i] : keyRow_)
        if (i > index)
            --i;
    if (RowCount() < 2)
        SetRowCount(2);
    write_add_row();
}

void TQelRevVectorGrid::instance_event(int event, TQelObjectKey key, TQelObject* obj)
{
    if (event & ieGone) {
        // A new object dropped or an object removed for good leaves the list at once.
        if ((obj && obj->IsNew()) || !key.Exists())
            remove_row(key);
        return;
    }
    // Stored, created, deleted or recovered elsewhere: the list may have changed; a burst of
    // commits reloads once.
    Reload(ReloadDelayMs);
}

void TQelRevVectorGrid::field_touched(TQelObjectInterface* oi)
{
    auto* field = QelSafeCast<TQelField>(oi);
    TQelObject* obj = field ? field->Object() : nullptr;
    if (!obj || obj == current_ || loading_)
        return;
    const int row = get_row(obj);
    if (row < 0)
        return;
    follow(obj);
    for (int c = 0; c < ColumnCount(); ++c)
        if (get_Field(c, row) == field && !(EditorMode() && c == Col() && row == Row()))
            read(c, row);
    OnTouch(this, row, obj, oi);
}

void TQelRevVectorGrid::follow(TQelObject* obj)
{
    TQelDatabase* db = QelDatabase();
    if (!db || !current_ || currentAlive_.expired() || readOnly_)
        return;
    const TQelObjectKey key = obj->Key();
    if (obj->IsNew() && only_link(obj->FieldList())) {
        unfollow(key);
        return;
    }
    db->SetCommitOwner(key, current_->Key());
    if (std::find(followers_.begin(), followers_.end(), key) == followers_.end())
        followers_.push_back(key);
}

void TQelRevVectorGrid::unfollow(TQelObjectKey key)
{
    const auto it = std::find(followers_.begin(), followers_.end(), key);
    if (it == followers_.end())
        return;
    followers_.erase(it);
    // Only while it still follows this grid's object (another form may have taken it since).
    TQelDatabase* db = QelDatabase();
    if (db && current_ && !currentAlive_.expired() && db->CommitOwner(key) == current_->Key())
        db->SetCommitOwner(key, TQelObjectKey());
}

void TQelRevVectorGrid::unfollow_all()
{
    while (!followers_.empty())
        unfollow(followers_.back());
}

void TQelRevVectorGrid::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_OC_SETREADONLY:
        set_ReadOnly(m.WParam != 0);
        SetColor(m.WParam ? clBtnFace : clWindow);
        Reload(0);
        m.Result = 0;
        return;
    case WM_OC_GETFIELD:
        m.Result = QelOIToParam(current_);
        return;
    case WM_OC_LOCATE:
        m.Result = current_ && QelOIFromParam(m.LParam) == current_ ? 2 : 0;
        return;
    case WM_OC_INITEDITOR:
        QelInitCellEditor(this, OnInitInplaceEditor, m, "TQelRevVectorGrid");
        return;
    case WM_OC_COMBOCELLCHOSEN:
        QelTakeComboChoice(get_CurrentField(), m);
        return;
    case WM_ODB_OISTORED: {
        auto* oi = QelOIFromParam(m.LParam);
        if (oi && oi == current_) {
            if (editable())
                CommitAll();
        } else if (oi && oi->OIType() == TQelObjectInterface::oiObject) {
            Reload(ReloadDelayMs);
        }
        m.Result = 0;
        return;
    }
    case WM_ODB_OIROLLEDBACK:
        if (current_ && QelOIFromParam(m.LParam) == current_ && editable())
            RollbackAll();
        m.Result = 0;
        return;
    case WM_ODB_OIDESTROYED: {
        auto* oi = QelOIFromParam(m.LParam);
        plain_.Forget(oi);
        const bool wasCurrent = oi && current_ && (oi == current_ || oi == current_->FieldList());
        auto* obj
            = oi && oi->OIType() == TQelObjectInterface::oiObject ? static_cast<TQelObject*>(oi) : nullptr;
        TQelDataControl<TQelGrid>::WndProc(m);
        if (wasCurrent) {
            current_ = nullptr;
            followers_.clear(); // the database ended them with their owner
            unwatch_rows();
            rows_.clear();
            keyRow_.clear();
            SplitAllCells();
            Clear();
            SetRowCount(2);
            SetEnabled(false);
        } else if (obj && obj->IsNew()) {
            remove_row(obj->Key());
        }
        return;
    }
    default:
        TQelDataControl<TQelGrid>::WndProc(m);
    }
}
