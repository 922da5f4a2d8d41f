#pragma once
// TQelDataLink: the binding state and connect procedure that every data control shares. A data
// control holds one link (by composition), forwards its FieldPath / FieldProp / ReadOnly /
// AllowCreate accessors to it, and fills in the hooks that are its own: which kinds its path may
// name, what it accepts, how it shows the value.
//
// The link is the target the database notifies: it passes every notification on to the control's
// Perform (so the control's WndProc handles WM_ODB_* codes) and the database's refresh to the
// control's Repaint. A link that is still registered when it dies unregisters itself.
#include "binding/objdb.h"
#include "binding/qelmessages.h"
#include "binding/toolkit.h"

#include <functional>
#include <memory>
#include <string>

class TQelDataLink final : public TQelNotifyTarget {
public:
    struct Hooks {
        // Kind mask for FindOI: 16 field, 8 vector, 2 sub-object (OR-able). Unset: 16.
        std::function<int()> kindMask;
        // Vetoes what FindOI found (a check box takes only a boolean field). Unset: accept all.
        std::function<bool(TQelObjectInterface*)> accepts;
        // Shows the bound value; runs after a successful connect.
        std::function<void()> show;
        // The connection state after a connect. Unset: the control is enabled exactly when
        // connected. Not called while the control is being destroyed.
        std::function<void(bool connected)> connectedChanged;
        // Description shown as the hint after connecting. Unset: the object interface's own
        // Description (empty for a property connection).
        std::function<void(const std::string&)> setHint;
    };

    // `className` names the control in log texts ("TQelEdit::ConnectFL(): ...").
    TQelDataLink(TControl* control, const char* className);
    ~TQelDataLink() override;
    TQelDataLink(const TQelDataLink&) = delete;
    TQelDataLink& operator=(const TQelDataLink&) = delete;

    Hooks hooks;

    TControl* Control() const { return control_; }

    // Published state (plain storage: the control decides when a change reconnects).
    const std::string& FieldPath() const { return fieldPath_; }
    void SetFieldPath(const std::string& p) { fieldPath_ = p; }
    const std::string& FieldProp() const { return fieldProp_; }
    void SetFieldProp(const std::string& p) { fieldProp_ = p; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    bool AllowCreate() const { return allowCreate_; }
    void SetAllowCreate(bool v) { allowCreate_ = v; }

    // The path equals the property-connection marker.
    bool PropConnection() const;
    void ClearPropConnection();
    // Holds a resolved object interface or a property connection.
    bool Connected() const { return oi_ != nullptr || PropConnection(); }

    // The held field list (none after the list went away).
    TQelFieldList* FieldList() const;
    // What the path resolved to, and its typed views.
    TQelObjectInterface* OI() const { return oi_; }
    TQelField* Field() const { return QelSafeCast<TQelField>(oi_); }
    TQelVector* Vector() const { return QelSafeCast<TQelVector>(oi_); }
    TQelSubObject* SubObject() const { return QelSafeCast<TQelSubObject>(oi_); }

    // The common connect procedure; 1 when connected afterwards, else 0. With onlyIfUnconnected
    // a connected control keeps its binding and the result is 0.
    int Connect(const TQelFieldList* fl, bool onlyIfUnconnected);
    int Disconnect() { return Connect(nullptr, false); }
    // Connects again to the held field list (0 when none is held).
    int Reconnect();

    // The answers every data control gives; true when `m` was handled (m.Result set):
    // WM_OC_ISDATACONTROL 1, WM_OC_GETFIELD the bound field, WM_OC_LOCATE (2 for the bound item,
    // 1 when LParam lies inside a bound vector), WM_ODB_OIDESTROYED forgets what goes away.
    // WM_ODB_OIDESTROYED is also passed on (false) so the control can drop its own pointers.
    bool HandleMessage(TMessage& m);
    // The LOCATE answer for `oi`.
    int Locate(const TQelObjectInterface* oi) const;
    // Drops every pointer to `oi` (it goes away); true when something was dropped.
    bool Forget(const TQelObjectInterface* oi);

    // Sends WM_OC_CONTROLENTER or WM_OC_CONTROLEXIT to the control's form: WParam the control,
    // LParam its full field path (a C string, empty when it has none).
    void TellForm(unsigned msg) const;

    // TQelNotifyTarget: notifications reach the control.
    LRESULT Perform(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void Repaint() override;

private:
    void unregister();
    bool destroying() const;

    TControl* control_;
    const char* className_;
    std::string fieldPath_;
    std::string fieldProp_;
    bool readOnly_ = false;
    bool allowCreate_ = true;
    TQelFieldList* fl_ = nullptr;
    std::weak_ptr<bool> flAlive_;
    TQelObjectInterface* oi_ = nullptr;
};

// Object interface pointers travel in message parameters.
inline TQelObjectInterface* QelOIFromParam(LPARAM l)
{
    return reinterpret_cast<TQelObjectInterface*>(l);
}
inline LPARAM QelOIToParam(const TQelObjectInterface* oi)
{
    return reinterpret_cast<LPARAM>(oi);
}
