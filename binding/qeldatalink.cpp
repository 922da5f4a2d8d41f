#include "binding/qeldatalink.h"

#include "binding/methods.h"
#include "binding/qellogging.h"

#include "toolkit/accessible.h"

#include <exception>

namespace {

std::string& currentPrefix()
{
    static std::string prefix;
    return prefix;
}

} // namespace

TQelPathPrefixScope::TQelPathPrefixScope(const std::string& prefix)
    : previous_(currentPrefix())
{
    std::string& current = currentPrefix();
    current = current.empty() ? prefix : current + "." + prefix;
}

TQelPathPrefixScope::~TQelPathPrefixScope()
{
    currentPrefix() = previous_;
}

const std::string& TQelPathPrefixScope::Current()
{
    return currentPrefix();
}

TQelDataLink::TQelDataLink(TControl* control)
    : control_(control)
{
}

TQelDataLink::~TQelDataLink()
{
    watchPending(false);
    UnwatchAll();
    unregister();
}

bool TQelDataLink::PropConnection() const
{
    return fieldPath_ == QEL_PROPCONN;
}

void TQelDataLink::ClearPropConnection()
{
    if (PropConnection())
        fieldPath_.clear();
}

void TQelDataLink::SetFieldPath(const std::string& p)
{
    if (p == fieldPath_)
        return;
    const std::string old = fieldPath_;
    fieldPath_ = p;
    if (hooks.pathChanged)
        hooks.pathChanged(old);
    reconnectAfterChange();
}

void TQelDataLink::SetFieldProp(const std::string& p)
{
    if (p == fieldProp_)
        return;
    fieldProp_ = p;
    reconnectAfterChange();
}

void TQelDataLink::reconnectAfterChange()
{
    if (!FieldList())
        return;
    if (hooks.reconnect)
        hooks.reconnect();
    else
        Reconnect();
}

void TQelDataLink::SetReadOnly(bool v)
{
    if (v == readOnly_)
        return;
    readOnly_ = v;
    if (hooks.readOnlyChanged)
        hooks.readOnlyChanged(v);
}

TQelFieldList* TQelDataLink::FieldList() const
{
    return flAlive_.expired() ? nullptr : fl_;
}

TQelFieldList* TQelDataLink::BaseFieldList() const
{
    if (followsReference)
        if (auto* ref = QelSafeCast<TQelRefField>(oi_); ref && ref->AsKey().Valid())
            if (TQelObject* target = ref->get_AsObject())
                return target->FieldList();
    return FieldList();
}

bool TQelDataLink::destroying() const
{
    return control_->ComponentState().Contains(csDestroying);
}

int TQelDataLink::mask() const
{
    return hooks.kindMask ? hooks.kindMask() : kinds;
}

void TQelDataLink::unregister()
{
    if (!oi_)
        return;
    TQelObjectInterface* oi = oi_;
    oi_ = nullptr;
    try {
        oi->DisconnectControl(this);
    } catch (const std::exception& e) {
        QelLogError("%s::ConnectFL(): Fehler beim Disconnect von %s: %s", control_->ClassName(),
            control_->Name(), e.what());
    } catch (...) {
        QelLogError("%s::ConnectFL(): Fehler beim Disconnect von %s: %s", control_->ClassName(),
            control_->Name(), "unbekannter Fehler");
    }
}

std::string TQelDataLink::EffectivePath() const
{
    if (prefix_.empty() || fieldPath_.empty())
        return fieldPath_;
    return prefix_ + "." + fieldPath_;
}

std::string TQelDataLink::lookupPath() const
{
    return hooks.resolvedPath ? hooks.resolvedPath(EffectivePath()) : EffectivePath();
}

void TQelDataLink::warnUnbound()
{
    const std::string path = EffectivePath();
    if (warnedPath_ == path)
        return;
    warnedPath_ = path;
    QelLogWarning("%s %s: FieldPath \"%s\" bezeichnet nichts in %s", control_->ClassName(), control_->Name(),
        path, fl_->Path());
}

void TQelDataLink::resolve()
{
    if (fieldPath_.empty() && !fieldProp_.empty()) {
        fieldPath_ = QEL_PROPCONN;
        return;
    }
    if (!fieldPath_.empty()) {
        const std::string path = lookupPath();
        const int m = mask();
        const bool mayCreate = edits && allowCreate_ && !readOnly_;
        // A control that writes creates missing sub-objects at its first write, not by showing;
        // one that does not (a container) creates them now, for its children.
        TQelObjectInterface* found = fl_->FindOI(path, m, mayCreate && !hooks.write);
        if (found && (!hooks.accepts || hooks.accepts(found))) {
            oi_ = found;
            return;
        }
        if (!found && fl_->PathResolvable(path, m)) {
            // A sound path to a sub-object not created yet: a writer waits for its first write,
            // any other control has nothing to show until someone creates it.
            awaiting_ = true;
            pending_ = mayCreate && hooks.write;
            return;
        }
        warnUnbound();
    }
    // Below a pending container the field list is not the control's own.
    if (bindsFieldList && prefix_.empty())
        oi_ = fl_;
}

int TQelDataLink::Connect(const TQelFieldList* fl, bool onlyIfUnconnected)
{
    if (onlyIfUnconnected && Connected())
        return 0;
    watchPending(false);
    const bool showedValue = shownBound_;
    if (Connected()) {
        unregister();
        ClearPropConnection();
    }
    oi_ = nullptr;
    pending_ = false;
    awaiting_ = false;
    fl_ = const_cast<TQelFieldList*>(fl);
    flAlive_ = fl ? fl->LifeToken() : std::weak_ptr<bool> {};
    prefix_ = fl ? TQelPathPrefixScope::Current() : std::string();
    if (fl)
        searchDef_ = nullptr; // bound to an object again, no search field

    if (fl_)
        resolve();
    if (awaiting_)
        watchPending(true);

    const bool connected = Connected();
    if (connected) {
        bindResolved();
    } else if (showedValue) {
        Show(); // the value of the former binding is no value of this one
    }
    connectedChanged();
    return connected ? 1 : 0;
}

void TQelDataLink::bindResolved()
{
    if (oi_)
        oi_->ConnectControl(this);
    if (hooks.bound)
        hooks.bound();
    Show();
    const std::string hint = oi_ && oi_ != fl_ ? oi_->Description() : std::string();
    SetAccessibleDataName(control_, hint);
    if (hooks.setHint)
        hooks.setHint(hint);
    else
        control_->SetHint(hint);
}

void TQelDataLink::watchPending(bool on)
{
    if (on == pendingWatch_)
        return;
    TQelFieldList* fl = FieldList();
    if (on) {
        if (!fl)
            return;
        fl->ConnectControl(this);
        pendingWatch_ = true;
        return;
    }
    pendingWatch_ = false;
    if (fl && fl != oi_ && !Watching(fl))
        fl->DisconnectControl(this);
}

void TQelDataLink::retryPending()
{
    TQelFieldList* fl = FieldList();
    if (!awaiting_ || materializing_ || !fl)
        return;
    TQelObjectInterface* found = fl->FindOI(lookupPath(), mask(), false);
    if (!found || (hooks.accepts && !hooks.accepts(found)))
        return;
    const bool wasConnected = Connected();
    watchPending(false);
    pending_ = false;
    awaiting_ = false;
    oi_ = found;
    bindResolved();
    if (!wasConnected)
        connectedChanged();
}

void TQelDataLink::vectorChanged(TQelObjectInterface* vector)
{
    if (awaiting_) {
        retryPending();
        return;
    }
    if (!vector || vector != Vector() || writing_)
        return;
    if (hooks.vectorChanged)
        hooks.vectorChanged();
    else
        Show();
}

int TQelDataLink::Reconnect()
{
    TQelFieldList* fl = FieldList();
    return fl ? Connect(fl, false) : 0;
}

void TQelDataLink::connectedChanged()
{
    if (destroying())
        return;
    const bool usable = Connected() || SearchMode();
    if (hooks.connectedChanged)
        hooks.connectedChanged(usable);
    else
        control_->SetEnabled(usable);
}

void TQelDataLink::enterSearchMode(TMessage& m)
{
    searchDef_ = nullptr;
    TQelDatabase* db = QelDatabase();
    const TQelKlasse* cls
        = db && m.WParam != 0 ? db->Klasse(TQelClassKey(static_cast<int>(m.WParam))) : nullptr;
    if (cls && m.LParam != 0 && !fieldPath_.empty() && !PropConnection())
        searchDef_ = cls->FindFelddefinition(fieldPath_);
    if (searchDef_)
        SetAccessibleDataName(control_, searchDef_->Description());
    connectedChanged();
    m.Result = SearchMode() ? 1 : 0;
}

std::string TQelDataLink::SearchCondition() const
{
    if (!searchDef_ || !searchDef_->owner || !hooks.searchCondition)
        return {};
    return hooks.searchCondition(searchDef_->owner->TableName() + "." + searchDef_->ColumnName());
}

void TQelDataLink::Show()
{
    if (!hooks.read)
        return;
    TFlagScope showing(showing_);
    shownBound_ = Connected();
    hooks.read();
}

TQelObjectInterface* TQelDataLink::Materialize()
{
    if (!pending_)
        return oi_;
    TQelFieldList* fl = FieldList();
    if (!fl)
        return nullptr;
    TQelObjectInterface* found = nullptr;
    {
        TFlagScope creating(materializing_);
        found = fl->FindOI(lookupPath(), mask(), true);
    }
    if (!found || (hooks.accepts && !hooks.accepts(found)))
        return nullptr; // stays pending: nothing was created that it could use
    watchPending(false);
    pending_ = false;
    awaiting_ = false;
    oi_ = found;
    oi_->ConnectControl(this);
    return oi_;
}

bool TQelDataLink::Write()
{
    if (!hooks.write || (!Materialize() && !PropConnection()))
        return false;
    TFlagScope writing(writing_);
    hooks.write();
    return true;
}

void TQelDataLink::SetMark(int index, TColor color, unsigned flags)
{
    if (!hooks.paintMark)
        return;
    if (index != 0 && (flags & OC_MARK_LIFT_READONLY))
        SetReadOnly(false);
    hooks.paintMark(index != 0 ? TQelCommonMethods::StandardMarkColor(index, color) : unmarkedColor);
    marked_ = index != 0 && (flags & OC_MARK_UNMARK_ON_EDIT);
}

void TQelDataLink::Edited()
{
    if (marked_)
        Unmark();
}

void TQelDataLink::Unmark()
{
    marked_ = false;
    if (hooks.paintMark)
        hooks.paintMark(unmarkedColor);
}

int TQelDataLink::Locate(const TQelObjectInterface* oi) const
{
    if (!locatable || !oi || !oi_)
        return 0;
    if (oi == oi_)
        return 2;
    if (Vector() && oi->IsPartOf(oi_))
        return 1;
    return 0;
}

void TQelDataLink::forget(const TQelObjectInterface* oi)
{
    if (!oi)
        return;
    watched_.erase(oi);
    const bool wasConnected = Connected();
    if (oi == oi_)
        oi_ = nullptr; // goes away: no unregister
    if (oi == fl_) {
        fl_ = nullptr;
        flAlive_.reset();
        pendingWatch_ = false; // gone: no unregister
    }
    if (wasConnected && !Connected())
        connectedChanged(); // what it showed is cleared at the next connect
}

void TQelDataLink::fieldTouched(TQelObjectInterface* field)
{
    const bool own = field && field == oi_;
    if (!(own && writing_)) {
        if (hooks.touched)
            hooks.touched(field, own);
        else
            Show();
    }
    if (own)
        OnFieldTouch(control_);
}

bool TQelDataLink::HandleMessage(TMessage& m)
{
    switch (m.Msg) {
    case WM_OC_ISDATACONTROL:
        m.Result = 1;
        return true;
    case WM_OC_SETREADONLY:
        if (edits)
            SetReadOnly(m.WParam != 0);
        m.Result = 0;
        return true;
    case WM_OC_GETFIELD: {
        TQelObjectInterface* field = Field();
        if (!field && bindsFieldList)
            field = BaseFieldList();
        m.Result = QelOIToParam(field);
        return true;
    }
    case WM_OC_LOCATE:
        m.Result = Locate(QelOIFromParam(m.LParam));
        return true;
    case WM_OC_SETMARK:
        if (!hooks.paintMark)
            return false;
        SetMark(static_cast<int>(m.WParam & OC_MARK_INDEX_MASK), TColor(static_cast<std::int32_t>(m.LParam)),
            static_cast<unsigned>(m.WParam));
        m.Result = 1;
        return true;
    case WM_OC_ENTERSEARCHMODE:
        if (!hooks.searchCondition)
            return false;
        enterSearchMode(m);
        return true;
    case WM_OC_GETSEARCHCONDITION:
        if (!SearchMode() || m.LParam == 0)
            return false;
        *reinterpret_cast<std::string*>(m.LParam) = SearchCondition();
        m.Result = 1;
        return true;
    case WM_ODB_FIELDTOUCHED:
        fieldTouched(QelOIFromParam(m.LParam));
        return true;
    case WM_ODB_VECTORCHANGED:
    case WM_ODB_ELEMENTADDED:
    case WM_ODB_ELEMENTREMOVED:
        if (!awaiting_ && !Vector())
            return false;
        vectorChanged(QelOIFromParam(m.LParam));
        m.Result = 0;
        return true;
    case WM_ODB_OIDESTROYED:
        forget(QelOIFromParam(m.LParam));
        return false;
    default:
        return false;
    }
}

void TQelDataLink::tellForm(unsigned msg) const
{
    if (TCustomForm* form = TQelCommonMethods::GetFormA(control_)) {
        const std::string path = TQelCommonMethods::FieldPath(control_, true);
        form->Perform(msg, reinterpret_cast<WPARAM>(control_), reinterpret_cast<LPARAM>(path.c_str()));
    }
}

void TQelDataLink::Watch(TQelObjectInterface* oi)
{
    if (!oi || watched_.count(oi))
        return;
    oi->ConnectControl(this);
    watched_.emplace(oi, oi->LifeToken());
}

void TQelDataLink::Unwatch(TQelObjectInterface* oi)
{
    const auto it = watched_.find(oi);
    if (it == watched_.end())
        return;
    const bool alive = !it->second.expired();
    watched_.erase(it);
    if (alive && oi != oi_)
        oi->DisconnectControl(this);
}

void TQelDataLink::UnwatchAll()
{
    auto watched = std::move(watched_);
    watched_.clear();
    for (auto& [oi, token] : watched)
        if (!token.expired() && oi != oi_)
            const_cast<TQelObjectInterface*>(oi)->DisconnectControl(this);
}

bool TQelDataLink::Watching(const TQelObjectInterface* oi) const
{
    const auto it = watched_.find(oi);
    return it != watched_.end() && !it->second.expired();
}

LRESULT TQelDataLink::Perform(unsigned msg, WPARAM wParam, LPARAM lParam)
{
    return control_->Perform(msg, wParam, lParam);
}

void TQelDataLink::Repaint()
{
    control_->Repaint();
}
