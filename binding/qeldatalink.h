#pragma once
// TQelDataLink: everything that is the same in every data control. A control holds one link (by
// composition, usually through TQelDataControl) and fills in the hooks that are its own: which
// kinds its path may name, how it shows the value (`read`) and how it puts its value into the
// field (`write`). The link resolves and registers, owns the echo guard, reacts to the database's
// notifications and answers the binding messages every data control answers.
//
// What a link binds to:
//   - the field, vector or sub-object its FieldPath names (kinds: OR of oiField, oiVector,
//     oiSubObject); for a control that writes, a path whose sub-object does not exist yet binds
//     "pending": the control is enabled and shows nothing, and the sub-object is created at its
//     first write (a container, which has no write hook, creates it when it connects). Such a
//     link (pending or read-only) listens on its field list, so that it binds as soon as anyone
//     creates the sub-object (another control on the same path, on another page of the form);
//   - a property of the field list (empty FieldPath, FieldProp set: the "@PropConn!" marker);
//   - with bindsFieldList, the field list itself when the path is empty or names nothing;
//   - with followsReference, a reference field whose target's field list is the base;
//   - inside a container whose sub-object does not exist yet (TQelPathPrefixScope), the path below
//     the container's path in the field list above it, so the first write creates the sub-object.
//
// Search mode: a search panel sends WM_OC_ENTERSEARCHMODE to its descendants. A control with a
// searchCondition hook then stands for the field of the searched class its path names: it is
// enabled without being connected and gives its part of the panel's search condition.
#include "binding/objdb.h"
#include "binding/qelmessages.h"
#include "binding/toolkit.h"

#include "toolkit/flagscope.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

class TQelDataLink final : public TQelNotifyTarget {
public:
    struct Hooks {
        // Kind mask for FindOI, when it depends on the control's state. Unset: `kinds`.
        std::function<int()> kindMask;
        // The part of FieldPath the link resolves, for a control whose path carries more after a
        // separator of its own (a vector and the field of its elements). Unset: the whole path.
        std::function<std::string(const std::string& path)> resolvedPath;
        // Vetoes what the path found (a check box takes only a boolean field). Unset: accept all.
        std::function<bool(TQelObjectInterface*)> accepts;
        // The path was resolved to a new interface, before its value is shown: the control
        // prepares what depends on it (the items of a choice group). Not called while showing.
        std::function<void()> bound;
        // Shows the bound value. Runs under the show guard: what it sets is no user input.
        std::function<void()> read;
        // Puts the control's value into the field. Runs under the write guard: the touch it causes
        // does not make the control re-read.
        std::function<void()> write;
        // A field of the object was touched (`own`: the bound field) and it was not the control's
        // own write. Unset: the control re-reads.
        std::function<void(TQelObjectInterface* field, bool own)> touched;
        // The bound vector's elements were added, removed or rewritten, not by the control's own
        // write. Unset: the control re-reads.
        std::function<void()> vectorChanged;
        // The connection state changed. Unset: the control is enabled exactly when connected.
        // Not called while the control is being destroyed.
        std::function<void(bool connected)> connectedChanged;
        // Hint after connecting. Unset: the control's hint becomes the interface's Description.
        std::function<void(const std::string&)> setHint;
        // ReadOnly changed (by the accessor or WM_OC_SETREADONLY): the control's look.
        std::function<void(bool readOnly)> readOnlyChanged;
        // Colours the control for a mark (or with `unmarkedColor`). Unset: the control takes no
        // marks and WM_OC_SETMARK is passed on.
        std::function<void(TColor)> paintMark;
        // FieldPath changes from `old` (before the link reconnects).
        std::function<void(const std::string& old)> pathChanged;
        // Connects again to the held field list after FieldPath or FieldProp changed, for a
        // control whose connect does more than the link's. Unset: the link's Reconnect.
        std::function<void()> reconnect;
        // The control's part of a search condition on `column` (the searched field's SQL column),
        // "" when it adds none. Unset: the control is no search field.
        std::function<std::string(const std::string& column)> searchCondition;
    };

    explicit TQelDataLink(TControl* control);
    ~TQelDataLink() override;
    TQelDataLink(const TQelDataLink&) = delete;
    TQelDataLink& operator=(const TQelDataLink&) = delete;

    Hooks hooks;
    // What the path may name (see Hooks::kindMask).
    int kinds = TQelObjectInterface::oiField;
    bool bindsFieldList = false;
    bool followsReference = false;
    // Whether WM_OC_LOCATE finds the control (a label is no place to jump to).
    bool locatable = true;
    // Whether the control edits (answers WM_OC_SETREADONLY with a look of its own, may create).
    bool edits = true;
    TColor unmarkedColor = clWindow;
    // Raised when the bound field is touched (by anyone).
    TNotifyEvent OnFieldTouch;

    TControl* Control() const { return control_; }

    // Published state. Setting a path or property while a field list is held reconnects.
    const std::string& FieldPath() const { return fieldPath_; }
    void SetFieldPath(const std::string& p);
    const std::string& FieldProp() const { return fieldProp_; }
    void SetFieldProp(const std::string& p);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    bool AllowCreate() const { return allowCreate_; }
    void SetAllowCreate(bool v) { allowCreate_ = v; }

    // The path equals the property-connection marker.
    bool PropConnection() const;
    void ClearPropConnection();
    // Holds a resolved interface, a pending path or a property connection.
    bool Connected() const { return oi_ != nullptr || pending_ || PropConnection(); }
    // The path resolves once its missing sub-objects are created (at the first write).
    bool Pending() const { return pending_; }

    // Search mode (see above): the field definition the control stands for, and its condition.
    bool SearchMode() const { return searchDef_ != nullptr; }
    const TQelFelddefinition* SearchDef() const { return searchDef_; }
    std::string SearchCondition() const;

    // The path resolved at the last connect: FieldPath below the prefix of a pending container.
    std::string EffectivePath() const;

    // The held field list (none after the list went away).
    TQelFieldList* FieldList() const;
    // What the path resolved to (the field list itself when bound to it), and its typed views.
    TQelObjectInterface* OI() const { return oi_; }
    TQelField* Field() const { return QelSafeCast<TQelField>(oi_); }
    TQelVector* Vector() const { return QelSafeCast<TQelVector>(oi_); }
    TQelSubObject* SubObject() const { return QelSafeCast<TQelSubObject>(oi_); }
    // The field list whose values the control shows: a followed reference's target, else the
    // held field list.
    TQelFieldList* BaseFieldList() const;

    // The common connect procedure; 1 when connected afterwards, else 0. With onlyIfUnconnected
    // a connected control keeps its binding and the result is 0.
    int Connect(const TQelFieldList* fl, bool onlyIfUnconnected);
    int Disconnect() { return Connect(nullptr, false); }
    // Connects again to the held field list (0 when none is held).
    int Reconnect();

    // Shows the bound value through the read hook (which shows the empty value while unconnected).
    void Show();
    // Writes the control's value through the write hook; creates a pending path's sub-objects
    // first. False when there is nothing to write to.
    bool Write();
    // Creates a pending path's sub-objects and binds to what they hold; the bound interface.
    TQelObjectInterface* Materialize();
    // The echo guard, for control code that shows or writes outside the hooks.
    [[nodiscard]] TFlagScope ShowScope() { return TFlagScope(showing_); }
    [[nodiscard]] TFlagScope WriteScope() { return TFlagScope(writing_); }
    bool Showing() const { return showing_; }
    bool Writing() const { return writing_; }

    // Marks: a mark index (0 unmarks), its colour and the OC_MARK_* flags.
    void SetMark(int index, TColor color, unsigned flags);
    bool Marked() const { return marked_; }
    // The user edited: a mark set to go at the next edit goes.
    void Edited();
    void Unmark();

    // The answers every data control gives; true when `m` was handled (m.Result set):
    // WM_OC_ISDATACONTROL, WM_OC_SETREADONLY, WM_OC_GETFIELD, WM_OC_LOCATE, WM_OC_SETMARK (with a
    // paintMark hook), WM_ODB_FIELDTOUCHED. WM_ODB_OIDESTROYED forgets what goes away and is
    // passed on (false) so the control can drop its own pointers.
    bool HandleMessage(TMessage& m);
    // The LOCATE answer for `oi`.
    int Locate(const TQelObjectInterface* oi) const;

    // WM_OC_CONTROLENTER / WM_OC_CONTROLEXIT to the control's form: WParam the control, LParam its
    // full field path (a C string, empty when it has none).
    void TellFormEnter() const { tellForm(WM_OC_CONTROLENTER); }
    void TellFormExit() const { tellForm(WM_OC_CONTROLEXIT); }

    // Further interfaces whose notifications the control hears through the link (the objects a
    // list shows beside the one it is bound to). Each is unregistered by UnwatchAll, by Unwatch
    // and when the link goes; one that went away is simply forgotten.
    void Watch(TQelObjectInterface* oi);
    void Unwatch(TQelObjectInterface* oi);
    void UnwatchAll();
    bool Watching(const TQelObjectInterface* oi) const;
    std::size_t WatchCount() const { return watched_.size(); }

    // TQelNotifyTarget: notifications reach the control.
    LRESULT Perform(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void Repaint() override;

private:
    void unregister();
    void reconnectAfterChange();
    bool destroying() const;
    int mask() const;
    void resolve();
    void connectedChanged();
    void fieldTouched(TQelObjectInterface* field);
    void forget(const TQelObjectInterface* oi);
    void tellForm(unsigned msg) const;
    void warnUnbound();
    // Shows and announces what the path resolved to (registered, bound hook, value, hint).
    void bindResolved();
    // A pending path is resolved again without creating anything: another control may have
    // created its sub-object.
    void retryPending();
    void watchPending(bool on);
    void vectorChanged(TQelObjectInterface* vector);
    // EffectivePath as the resolvedPath hook cuts it.
    std::string lookupPath() const;
    void enterSearchMode(TMessage& m);

    TControl* control_;
    std::string fieldPath_;
    std::string fieldProp_;
    // The prefix of a pending container at the last connect.
    std::string prefix_;
    const TQelFelddefinition* searchDef_ = nullptr;
    bool readOnly_ = false;
    bool allowCreate_ = true;
    TQelFieldList* fl_ = nullptr;
    std::weak_ptr<bool> flAlive_;
    TQelObjectInterface* oi_ = nullptr;
    bool pending_ = false;
    // The path is sound but a sub-object on it is missing (pending or not).
    bool awaiting_ = false;
    // Registered with the field list while awaiting, to hear its sub-objects come.
    bool pendingWatch_ = false;
    // Creating the sub-objects of the own pending path (its notices are not a retry).
    bool materializing_ = false;
    bool showing_ = false;
    // The control shows the value of a binding (cleared when it shows the empty value).
    bool shownBound_ = false;
    bool writing_ = false;
    bool marked_ = false;
    // The path last warned about, so a form paged through many objects warns once.
    std::string warnedPath_;
    std::unordered_map<const TQelObjectInterface*, std::weak_ptr<bool>> watched_;
};

// While alive, controls connected with a field list resolve their paths below `prefix` in it: a
// container whose sub-object is still missing connects its children this way. Scopes nest.
class TQelPathPrefixScope {
public:
    explicit TQelPathPrefixScope(const std::string& prefix);
    ~TQelPathPrefixScope();
    TQelPathPrefixScope(const TQelPathPrefixScope&) = delete;
    TQelPathPrefixScope& operator=(const TQelPathPrefixScope&) = delete;
    static const std::string& Current();

private:
    std::string previous_;
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
