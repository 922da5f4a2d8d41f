#pragma once
// Notifications from the object database to whoever shows its data. The library knows no widgets:
// a registered target is anything that implements TQelNotifyTarget.
#include <cstdint>

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

class TQelNotifyTarget {
public:
    virtual ~TQelNotifyTarget() = default;
    virtual LRESULT Perform(unsigned msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual void Repaint() { }
};

// clang-format off
// Codes sent to targets registered with TQelObjectInterface::ConnectControl.
//
// Every code is sent synchronously. LParam always carries the object interface the event happened
// at (reinterpret_cast<LPARAM>(TQelObjectInterface*)). Unless the table says otherwise, WParam
// carries the interface the receiving target is registered on, so a handler that reads its own
// interface from WParam sees the same thing as one that compares LParam.
//
// Delivery:
//   own    - only the targets registered on the interface itself.
//   bubble - the targets of the interface, then those of each owner up to the object
//            (field -> field list -> sub-object -> vector -> ... -> object).
//   object - every target registered on any interface of the object.
//
// code    name                      delivery  LParam        WParam          meaning
// 0x8501  WM_ODB_OISTORED           object    the object    receiver        the object was committed
//                                                                            (all fields, vectors, elements)
// 0x8502  WM_ODB_OIROLLEDBACK       object    rolled-back   receiver        stored values restored; LParam is
//                                             interface                     the interface Rollback ran on
// 0x8503  WM_ODB_OIRELOADED         object    the object    receiver        re-read from storage (Reload)
// 0x8504  WM_ODB_OIDESTROYED        own       the interface receiver        the interface goes away: drop every
//                                                                            pointer to it, do not unregister
// 0x8505  WM_ODB_FIELDSTATE         bubble    the field     receiver        the field's validity changed
// 0x8506  WM_ODB_VECTORCHANGED      bubble    the vector    receiver        elements exchanged, moved, rewritten
// 0x8507  WM_ODB_ELEMENTADDED       bubble    the vector    new index (1-)  an element was added or inserted
// 0x8508  WM_ODB_ELEMENTREMOVED     bubble    the vector    old index (1-)  an element was removed
// 0x8509  WM_ODB_FIELDTOUCHED       object    the field     receiver        a field's value was set; every
//                                                                            control of the object hears it
//                                                                            (editors of other fields re-read)
// 0x850A  WM_ODB_BLOBLOADED         bubble    the field     receiver        a blob field's buffer was loaded
// 0x850B  WM_ODB_OBJECTDELETED      object    the object    receiver        marked deleted or recovered
// 0x850C  WM_ODB_STANDARDCHANGED    bubble    the vector    new standard    the standard element of a validity
//                                                           index (0: none) vector changed
// 0x850D  WM_ODB_ELEMENTSTATE       bubble    the vector    element index   an element was deactivated or its
//                                                                            validity dates changed
//
// Repaint: after a rollback or reload every target of the object is asked to Repaint (after
// 0x8502/0x8503); when the library itself changes a field as a side effect (clearing the former
// standard element, SetAll) the targets registered on that field are asked to Repaint. A value set
// through a field's own setter does not repaint its targets: the control that typed it keeps its text.
//
// Readings where callers disagree:
// - The interface travels in LParam (as the binding layer expects); callers that read their own
//   interface from WParam get it there too (receiver), except for 0x8507/0x8508/0x850C/0x850D,
//   where WParam is an element index.
// - 0x8501/0x8502 are object-wide: a panel registered on a vector, a combo registered on a field and
//   a grid registered on the object all receive them; LParam tells which object (OIType 1) or
//   which interface was rolled back. Elements rebuilt by a rollback are announced with 0x8504 first.
// - 0x8505, 0x850A and 0x850B carry an interface of the changed object, so a list that reloads
//   the row of LParam's object handles them alike.
// clang-format on
enum : unsigned {
    WM_ODB_FIRST = 0x8501,
    WM_ODB_OISTORED = 0x8501,
    WM_ODB_OIROLLEDBACK = 0x8502,
    WM_ODB_OIRELOADED = 0x8503,
    WM_ODB_OIDESTROYED = 0x8504,
    WM_ODB_FIELDSTATE = 0x8505,
    WM_ODB_VECTORCHANGED = 0x8506,
    WM_ODB_ELEMENTADDED = 0x8507,
    WM_ODB_ELEMENTREMOVED = 0x8508,
    WM_ODB_FIELDTOUCHED = 0x8509,
    WM_ODB_BLOBLOADED = 0x850A,
    WM_ODB_OBJECTDELETED = 0x850B,
    WM_ODB_STANDARDCHANGED = 0x850C,
    WM_ODB_ELEMENTSTATE = 0x850D,
    WM_ODB_LAST = 0x850D,
};

// Instance notifications (TQelDatabase::SubscribeInstanceNotification): the handler receives one
// of these codes with the class key, object key and object (null when it is no longer in memory).
// The mask of a subscription is an OR of the codes it wants.
enum TQelInstanceEvent : int {
    ieTouched = 1, // a field of the object in memory was changed (not yet stored)
    ieCreated = 2, // a new object was stored for the first time
    ieRecovered = 4, // a deleted object was recovered
    ieStored = 16, // an existing object was stored
    ieLoaded = 32, // the object came into memory (loaded, or created and not yet stored)
    ieGone = 64, // the object left memory (freed) or was removed for good
    ieDeleted = 128, // the object was marked deleted
    ieAll = 255,
};

// Database notifications (TQelDatabase::StartNotification): handler(code, database).
enum TQelDatabaseEvent : int {
    deCommitted = 1, // a transaction wrote data; the change stamp moved
    deSchemaChanged = 8, // classes were reloaded: class keys held by lists may be stale
    deClosing = 16, // the database is about to close
};
