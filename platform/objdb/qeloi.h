#pragma once
// TQelObjectInterface: the common base of objects, field lists, vectors, sub-objects and fields.
// Interfaces are owned by their object (which the database owns); controls hold plain pointers and
// drop them on WM_ODB_OIDESTROYED.
#include "objdb/qelnotify.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TQelDatabase;
class TQelObject;
class TQelFieldList;
class TQelObjectInterface;

// The interfaces of one object that have at least one registered target. The object keeps it so
// that object-wide notices and repaints visit those interfaces only, not every field of every
// element. Interfaces list and unlist themselves as their first target comes and their last goes.
class TQelTargetRegistry {
public:
    TQelTargetRegistry() = default;
    TQelTargetRegistry(const TQelTargetRegistry&) = delete;
    TQelTargetRegistry& operator=(const TQelTargetRegistry&) = delete;
    ~TQelTargetRegistry();
    std::size_t Count() const { return listed_.size(); }

private:
    friend class TQelObjectInterface;
    // In the order of listing (slots move when one is unlisted).
    std::vector<TQelObjectInterface*> listed_;
    // The reachable listed interfaces in the order of the object's tree; rebuilt when stale.
    std::vector<std::pair<TQelObjectInterface*, std::weak_ptr<bool>>> ordered_;
    bool stale_ = false;
};

class TQelObjectInterface {
public:
    enum : int {
        oiObject = 1,
        oiSubObject = 2,
        oiFieldList = 4,
        oiVector = 8,
        oiField = 16,
    };

    TQelObjectInterface(const TQelObjectInterface&) = delete;
    TQelObjectInterface& operator=(const TQelObjectInterface&) = delete;
    // Tells the registered targets (WM_ODB_OIDESTROYED) before anything else goes.
    virtual ~TQelObjectInterface();

    virtual int OIType() const = 0;
    TQelObjectInterface* Owner() const { return owner_; }
    TQelDatabase* Database() const { return db_; }
    // The nearest owner (not this) whose OIType is in `mask`.
    TQelObjectInterface* GetTransitiveOwner(int mask) const;

    virtual std::string Name() const = 0;
    // Path from the object: "Person#17", "Person#17.Adressen[0].Ort" (indexes from 0).
    virtual std::string Path() const;
    virtual std::string Description() const;
    virtual std::string Info() const;
    virtual TQelObject* Object() const;
    // The field list the interface belongs to or is (for building names and properties).
    virtual TQelFieldList* BaseFieldList() const;
    virtual bool Null() const = 0;
    virtual bool NullOrDefault() const { return Null(); }
    virtual bool Touched() const = 0;
    bool get_Touched() const { return Touched(); }
    // This interface is `oi` or lies inside it.
    bool IsPartOf(const TQelObjectInterface* oi) const;
    virtual bool Valid() const { return true; }

    // Named properties: field values by name (or path) of the field list, then "K" (object key),
    // "Klasse", "Name", "Path"; anything else is kept per interface in memory.
    virtual std::string GetPropA(const std::string& name, const std::string& def) const;
    // Returns false when `strict` and the name is neither a field nor a known property.
    virtual bool SetPropA(const std::string& name, const std::string& value, bool strict = false);
    // Fills `<path>` placeholders with the values of the fields they name; a `<...>` that names no
    // field stays as written (so HTML survives). With no placeholder filled the format comes back
    // unchanged; an empty result gives `def`.
    std::string MakeName(const std::string& format, const std::string& def) const;

    // Stores the interface's object (with its vectors and sub-objects) in one transaction.
    virtual bool Commit();
    // Commit, raising TQelError with the error message when it fails.
    void ForceCommit();
    // Restores the stored values of this interface (and everything inside it); a non-empty `path`
    // rolls back only the interface at that path below this one.
    virtual void Rollback(const std::string& path = "") = 0;

    void ConnectControl(TQelNotifyTarget* target);
    void DisconnectControl(TQelNotifyTarget* target);
    bool IsConnected(const TQelNotifyTarget* target) const;
    std::size_t ControlCount() const { return targets_.size(); }

    // Expires when the interface is destroyed: lets holders of a plain pointer that are not
    // registered on it (a control holding its field list), and code that calls out and must not
    // touch it after, tell whether it is still there.
    std::weak_ptr<bool> LifeToken() const { return alive_; }

    const std::string& ErrorMessage() const { return errorMessage_; }
    const std::string& get_ErrorMessage() const { return errorMessage_; }
    void SetErrorMessage(const std::string& m) { errorMessage_ = m; }

    // Sends `msg` to the registered targets; see qelnotify.h for the delivery of each code.
    void Notify(unsigned msg, WPARAM wParam = 0);
    void RepaintTargets();
    // Repaints every target registered anywhere in this interface's object.
    void RepaintAll();

protected:
    TQelObjectInterface(TQelDatabase* db, TQelObjectInterface* owner)
        : db_(db)
        , owner_(owner)
    {
    }
    // Each interface visits its directly owned interfaces (for object-wide delivery).
    virtual void ForEachChild(const std::function<void(TQelObjectInterface*)>&) { }
    // The registry of interfaces with targets; only objects keep one.
    virtual TQelTargetRegistry* targetRegistry() { return nullptr; }
    // Moves this interface (with everything inside it) under `o`; its targets stay registered and
    // follow it into the new owner's object.
    void setOwner(TQelObjectInterface* o);
    // The order of interfaces inside this interface's object changed (elements exchanged, moved,
    // replaced): object-wide delivery sorts its registered interfaces again.
    void structureChanged();
    // Delivers to this interface's own targets; wParam 0 means "the receiving interface".
    void deliver(unsigned msg, WPARAM wParam, const TQelObjectInterface* sender, bool receiverInWParam);
    void broadcast(unsigned msg, const TQelObjectInterface* sender);
    // Every interface of this interface's object, with its liveness.
    std::vector<std::pair<TQelObjectInterface*, std::weak_ptr<bool>>> objectTree();
    // The interfaces of this interface's object that have targets, in the order of objectTree(),
    // with their liveness (the whole tree when the interface belongs to no object).
    std::vector<std::pair<TQelObjectInterface*, std::weak_ptr<bool>>> registeredTree();
    // After a rollback: 0x8502 to the object, repaint, instance notice.
    void rolledBack();
    void announceDestroyed();

    TQelDatabase* db_;
    TQelObjectInterface* owner_;
    std::string errorMessage_;

private:
    friend class TQelTargetRegistry;
    // Enters this interface into its object's registry (when it has one and is not going away).
    void list();
    void unlist();
    static void sortRegistry(TQelTargetRegistry& reg, TQelObjectInterface* root);

    std::vector<TQelNotifyTarget*> targets_;
    std::vector<std::pair<std::string, std::string>> props_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool destroyedAnnounced_ = false;
    // The registry this interface is listed in, and its slot there.
    TQelTargetRegistry* listedIn_ = nullptr;
    std::size_t listSlot_ = 0;
};

// Null-safe cast of an interface pointer.
template <class T> T* QelSafeCast(TQelObjectInterface* oi)
{
    return oi ? dynamic_cast<T*>(oi) : nullptr;
}
