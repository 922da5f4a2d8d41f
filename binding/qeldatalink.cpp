#include "binding/qeldatalink.h"

#include "binding/methods.h"
#include "binding/qellogging.h"

#include <exception>

TQelDataLink::TQelDataLink(TControl* control, const char* className)
    : control_(control)
    , className_(className)
{
}

TQelDataLink::~TQelDataLink()
{
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

TQelFieldList* TQelDataLink::FieldList() const
{
    return flAlive_.expired() ? nullptr : fl_;
}

bool TQelDataLink::destroying() const
{
    return control_->ComponentState().Contains(csDestroying);
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
        QelLogError(
            "%s::ConnectFL(): Fehler beim Disconnect von %s: %s", className_, control_->Name(), e.what());
    } catch (...) {
        QelLogError("%s::ConnectFL(): Fehler beim Disconnect von %s: %s", className_, control_->Name(),
            "unbekannter Fehler");
    }
}

int TQelDataLink::Connect(const TQelFieldList* fl, bool onlyIfUnconnected)
{
    if (onlyIfUnconnected && Connected())
        return 0;
    if (Connected()) {
        unregister();
        ClearPropConnection();
    }
    oi_ = nullptr;
    fl_ = const_cast<TQelFieldList*>(fl);
    flAlive_ = fl ? fl->LifeToken() : std::weak_ptr<bool> {};

    if (fl_) {
        if (fieldPath_.empty() && !fieldProp_.empty()) {
            fieldPath_ = QEL_PROPCONN;
        } else if (!fieldPath_.empty()) {
            const int mask = hooks.kindMask ? hooks.kindMask() : TQelObjectInterface::oiField;
            TQelObjectInterface* found = fl_->FindOI(fieldPath_, mask, allowCreate_ && !readOnly_);
            if (found && (!hooks.accepts || hooks.accepts(found)))
                oi_ = found;
        }
    }

    const bool connected = Connected();
    if (connected) {
        if (oi_)
            oi_->ConnectControl(this);
        if (hooks.show)
            hooks.show();
        const std::string hint = oi_ ? oi_->Description() : std::string();
        if (hooks.setHint)
            hooks.setHint(hint);
        else
            control_->SetHint(hint);
    }
    if (!destroying()) {
        if (hooks.connectedChanged)
            hooks.connectedChanged(connected);
        else
            control_->SetEnabled(connected);
    }
    return connected ? 1 : 0;
}

int TQelDataLink::Reconnect()
{
    TQelFieldList* fl = FieldList();
    return fl ? Connect(fl, false) : 0;
}

int TQelDataLink::Locate(const TQelObjectInterface* oi) const
{
    if (!oi || !oi_)
        return 0;
    if (oi == oi_)
        return 2;
    if (Vector() && oi->IsPartOf(oi_))
        return 1;
    return 0;
}

bool TQelDataLink::Forget(const TQelObjectInterface* oi)
{
    bool dropped = false;
    if (oi && oi == oi_) {
        oi_ = nullptr;
        dropped = true;
    }
    if (oi && oi == fl_) {
        fl_ = nullptr;
        flAlive_.reset();
        dropped = true;
    }
    return dropped;
}

bool TQelDataLink::HandleMessage(TMessage& m)
{
    switch (m.Msg) {
    case WM_OC_ISDATACONTROL:
        m.Result = 1;
        return true;
    case WM_OC_GETFIELD:
        m.Result = QelOIToParam(Field());
        return true;
    case WM_OC_LOCATE:
        m.Result = Locate(QelOIFromParam(m.LParam));
        return true;
    case WM_ODB_OIDESTROYED:
        Forget(QelOIFromParam(m.LParam));
        return false;
    default:
        return false;
    }
}

void TQelDataLink::TellForm(unsigned msg) const
{
    if (TCustomForm* form = TQelCommonMethods::GetFormA(control_)) {
        const std::string path = TQelCommonMethods::FieldPath(control_, true);
        form->Perform(msg, reinterpret_cast<WPARAM>(control_), reinterpret_cast<LPARAM>(path.c_str()));
    }
}

LRESULT TQelDataLink::Perform(unsigned msg, WPARAM wParam, LPARAM lParam)
{
    return control_->Perform(msg, wParam, lParam);
}

void TQelDataLink::Repaint()
{
    control_->Repaint();
}
