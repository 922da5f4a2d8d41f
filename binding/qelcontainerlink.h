#pragma once
// TQelContainerLink: what the containers (field panel, tab and page controls) share. A container
// binds no field itself: it resolves its own path in the field list it is given and connects its
// children to what it found. The link holds the given field list, the vector the path names, the
// connected field list (a sub-object, vector element or referenced object) and the reference field,
// each guarded so that one that goes away is forgotten rather than touched, registers the container
// with the vector and the connected field list, and writes one log entry per path that names nothing.
#include "binding/objdb.h"
#include "binding/toolkit.h"

#include <memory>
#include <string>

class TQelContainerLink final : public TQelNotifyTarget {
public:
    explicit TQelContainerLink(TControl* control);
    ~TQelContainerLink() override;
    TQelContainerLink(const TQelContainerLink&) = delete;
    TQelContainerLink& operator=(const TQelContainerLink&) = delete;

    TQelFieldList* Given() const { return alive(given_) ? given_.p : nullptr; }
    TQelVector* Vector() const { return alive(vector_) ? vector_.p : nullptr; }
    TQelFieldList* Connected() const { return alive(connected_) ? connected_.p : nullptr; }
    TQelRefField* RefField() const { return alive(ref_) ? ref_.p : nullptr; }
    // The vector of an element the path names by index ("Adressen[1]"): the container is
    // registered with it too, so that it hears elements inserted and removed before its own.
    TQelVector* ElementVector() const { return alive(elementVector_) ? elementVector_.p : nullptr; }
    // The path (below the given field list) of a sub-object that does not exist yet: the children
    // bind below it and their first write creates it. Empty when none. Meanwhile the link listens
    // on the given field list and connects the sub-object once anyone creates it (the children,
    // pending themselves, bind to it by themselves).
    const std::string& PendingPath() const { return pending_; }
    // An element path ("Adressen[2]") whose element is not there yet binds pending like a
    // sub-object, so the first write below it creates the element (a list's next entry);
    // otherwise such a path shows nothing until the vector has the element.
    bool pendingElements = false;

    // Holds `fl`; a different list drops the held vector.
    void Hold(const TQelFieldList* fl);
    // Unregisters from the connected field list (and an element's vector) and forgets them, the
    // reference field and a pending path. The given field list and the vector stay.
    void Forget();
    void DropVector();
    // Connects (and registers with) `fl`; null forgets.
    void SetConnected(TQelFieldList* fl);

    enum TFound { fNothing, fSubObject, fVector, fReference, fPending };
    // Resolves `path` in the given field list (below the prefix of a pending outer container):
    // a sub-object or element is connected, a vector is held (and registered with), a reference
    // field is held and its target connected, a missing sub-object the path would create becomes
    // pending. `kinds` is an OR of the TFound values (as bits 1 << f) the container accepts.
    TFound Resolve(const std::string& path, unsigned kinds);
    static constexpr unsigned Accepts(TFound f) { return 1u << f; }
    // The connect step every container starts with: unless a vector is held already (its element
    // is then chosen from it), an empty path connects the given field list itself and any other
    // path is resolved.
    void ResolveOwn(const std::string& path, unsigned kinds);

    // Connects the children of `parent`: to the connected field list, or below the pending path
    // in the given one. The sum of their connect results.
    int ConnectChildren(TWinControl* parent, bool onlyIfUnconnected) const;

    // WM_ODB_OIDESTROYED: forgets `oi` when held; true when it was.
    bool Forget(const TQelObjectInterface* oi);
    // The LOCATE answer: 2 for `self`, 1 for what lies inside it, else 0.
    static int Locate(const TQelObjectInterface* self, const TQelObjectInterface* oi);

    // Enables a container that has something to show and, with automatic visibility, shows it only
    // then. Nothing while it is being destroyed.
    static void ShowUsable(TControl* container, bool usable, bool autoVisibility);
    // Automatic visibility switched on or off: the container is hidden only while unusable.
    static void AutoVisibilitySwitched(TControl* container, bool usable, bool autoVisibility);
    // The answers every container gives alike: it is a data control, leaves read-only to its
    // children, and swallows the database notices it does not handle itself, so that they never
    // reach the widget. True when `m` was answered. Call it after the container's own cases.
    static bool AnswerCommon(TMessage& m);

    // TQelNotifyTarget: the database's notifications reach the container.
    LRESULT Perform(unsigned msg, WPARAM wParam, LPARAM lParam) override;

private:
    template <class T> struct TGuarded {
        T* p = nullptr;
        std::weak_ptr<bool> life;
        void set(T* v)
        {
            p = v;
            life = v ? v->LifeToken() : std::weak_ptr<bool> {};
        }
    };
    template <class T> static bool alive(const TGuarded<T>& g) { return g.p && !g.life.expired(); }
    void warn(const std::string& path);
    // Registers with the vector of an element the path names by index.
    void watchElementVector(TQelObjectInterface* oi);
    void watchPending(bool on);
    // Connects the pending sub-object when it exists now.
    void resolvePending();

    TControl* control_;
    TGuarded<TQelFieldList> given_;
    TGuarded<TQelVector> vector_;
    TGuarded<TQelFieldList> connected_;
    TGuarded<TQelRefField> ref_;
    TGuarded<TQelVector> elementVector_;
    std::string pending_;
    // The pending path below the prefix it was resolved in, and whether the link listens for it.
    std::string pendingFull_;
    bool pendingWatch_ = false;
    std::string warnedPath_;
};
