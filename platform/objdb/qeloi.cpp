#include "objdb/qeloi.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelerror.h"
#include "objdb/qelfieldlist.h"
#include "objdb/qelobject.h"
#include "objdb/qeltext.h"
#include "objdb/qelvector.h"

#include <algorithm>
#include <unordered_map>

namespace {

bool objectWide(unsigned msg)
{
    return msg == WM_ODB_OISTORED || msg == WM_ODB_OIROLLEDBACK || msg == WM_ODB_OIRELOADED
        || msg == WM_ODB_OBJECTDELETED || msg == WM_ODB_FIELDTOUCHED;
}

// Codes whose WParam is an element index rather than the receiving interface.
bool indexInWParam(unsigned msg)
{
    return msg == WM_ODB_ELEMENTADDED || msg == WM_ODB_ELEMENTREMOVED || msg == WM_ODB_STANDARDCHANGED
        || msg == WM_ODB_ELEMENTSTATE;
}

using Alive = std::pair<TQelObjectInterface*, std::weak_ptr<bool>>;

} // namespace

TQelTargetRegistry::~TQelTargetRegistry()
{
    // Normally empty: every interface of the object has gone before the object's registry.
    for (TQelObjectInterface* oi : listed_)
        oi->listedIn_ = nullptr;
}

TQelObjectInterface::~TQelObjectInterface()
{
    announceDestroyed();
    unlist();
}

void TQelObjectInterface::announceDestroyed()
{
    if (destroyedAnnounced_)
        return;
    destroyedAnnounced_ = true;
    deliver(WM_ODB_OIDESTROYED, 0, this, true);
    targets_.clear();
    unlist();
}

void TQelObjectInterface::list()
{
    if (listedIn_ || destroyedAnnounced_ || targets_.empty())
        return;
    TQelObjectInterface* root = Object();
    TQelTargetRegistry* reg = root ? root->targetRegistry() : nullptr;
    if (!reg)
        return;
    listSlot_ = reg->listed_.size();
    reg->listed_.push_back(this);
    reg->stale_ = true;
    listedIn_ = reg;
}

void TQelObjectInterface::unlist()
{
    if (!listedIn_)
        return;
    std::vector<TQelObjectInterface*>& l = listedIn_->listed_;
    TQelObjectInterface* moved = l.back();
    l[listSlot_] = moved;
    moved->listSlot_ = listSlot_;
    l.pop_back();
    listedIn_->stale_ = true;
    listedIn_ = nullptr;
}

void TQelObjectInterface::setOwner(TQelObjectInterface* o)
{
    if (o == owner_)
        return;
    // Interfaces with targets inside this one are listed with the object they belonged to.
    std::vector<TQelObjectInterface*> registered;
    std::function<void(TQelObjectInterface*)> collect = [&](TQelObjectInterface* oi) {
        if (!oi->targets_.empty()) {
            oi->unlist();
            registered.push_back(oi);
        }
        oi->ForEachChild(collect);
    };
    collect(this);
    structureChanged();
    owner_ = o;
    structureChanged();
    for (TQelObjectInterface* oi : registered)
        oi->list();
}

void TQelObjectInterface::structureChanged()
{
    TQelObjectInterface* root = Object();
    if (TQelTargetRegistry* reg = root ? root->targetRegistry() : nullptr)
        reg->stale_ = true;
}

TQelObjectInterface* TQelObjectInterface::GetTransitiveOwner(int mask) const
{
    for (TQelObjectInterface* o = owner_; o; o = o->owner_)
        if (o->OIType() & mask)
            return o;
    return nullptr;
}

std::string TQelObjectInterface::Path() const
{
    return owner_ ? owner_->Path() : std::string();
}

std::string TQelObjectInterface::Description() const
{
    return Name();
}

std::string TQelObjectInterface::Info() const
{
    static const char* kinds[] = { "", "Objekt", "Unterobjekt", "", "Feldliste", "", "", "", "Vektor" };
    const int t = OIType();
    std::string kind = t == oiField ? "Feld" : (t < 9 ? kinds[t] : "");
    std::string s = "Art: " + kind + " (" + std::to_string(t) + ")\nName: " + Name() + "\nPfad: " + Path();
    s += std::string("\nGeändert: ") + (Touched() ? "ja" : "nein") + "\nLeer: " + (Null() ? "ja" : "nein");
    if (TQelObject* o = Object())
        s += "\nObjekt: " + o->Key().ToString() + " (" + o->Klasse()->name + ")";
    s += "\nRegistrierte Empfänger: " + std::to_string(targets_.size());
    return s;
}

TQelObject* TQelObjectInterface::Object() const
{
    for (TQelObjectInterface* o = owner_; o; o = o->owner_)
        if (o->OIType() == oiObject)
            return static_cast<TQelObject*>(o);
    return nullptr;
}

TQelFieldList* TQelObjectInterface::BaseFieldList() const
{
    return static_cast<TQelFieldList*>(GetTransitiveOwner(oiFieldList));
}

bool TQelObjectInterface::IsPartOf(const TQelObjectInterface* oi) const
{
    if (!oi)
        return false;
    for (const TQelObjectInterface* p = this; p; p = p->owner_)
        if (p == oi)
            return true;
    return false;
}

std::string TQelObjectInterface::GetPropA(const std::string& name, const std::string& def) const
{
    if (TQelFieldList* fl = BaseFieldList())
        if (TQelField* f = fl->FindField(name, false))
            return f->AsString();
    const std::string u = AnsiUpperCase(name);
    TQelObject* obj = Object();
    if ((u == "K" || u == "KEY") && obj)
        return obj->Key().ToString();
    if (u == "KLASSE" && obj)
        return obj->Klasse()->name;
    if (u == "NAME")
        return Name();
    if (u == "PATH" || u == "PFAD")
        return Path();
    for (const auto& [n, v] : props_)
        if (AnsiSameText(n, name))
            return v;
    return def;
}

bool TQelObjectInterface::SetPropA(const std::string& name, const std::string& value, bool strict)
{
    if (TQelFieldList* fl = BaseFieldList())
        if (TQelField* f = fl->FindField(name, false)) {
            f->set_AsString(value);
            return true;
        }
    if (strict)
        return false;
    for (auto& [n, v] : props_)
        if (AnsiSameText(n, name)) {
            v = value;
            return true;
        }
    props_.emplace_back(name, value);
    return true;
}

std::string TQelObjectInterface::MakeName(const std::string& format, const std::string& def) const
{
    TQelFieldList* fl = BaseFieldList();
    std::string out;
    int filled = 0;
    std::size_t i = 0;
    while (i < format.size()) {
        std::size_t open = format.find('<', i);
        if (open == std::string::npos) {
            out.append(format, i, std::string::npos);
            break;
        }
        std::size_t close = format.find('>', open + 1);
        if (close == std::string::npos) {
            out.append(format, i, std::string::npos);
            break;
        }
        out.append(format, i, open - i);
        const std::string inner = format.substr(open + 1, close - open - 1);
        TQelObjectInterface* oi = nullptr;
        if (fl && !inner.empty() && inner.find_first_of(" /=\"'") == std::string::npos)
            oi = fl->FindOI(inner, oiField | oiSubObject, false);
        if (auto* f = dynamic_cast<TQelField*>(oi)) {
            out += f->AsString();
            ++filled;
        } else if (oi) {
            out += oi->Name();
            ++filled;
        } else {
            out.append(format, open, close - open + 1);
        }
        i = close + 1;
    }
    if (filled == 0)
        return format.empty() ? def : format;
    return Trim(out).empty() ? def : out;
}

bool TQelObjectInterface::Commit()
{
    TQelObject* obj = Object();
    if (!obj || !db_) {
        errorMessage_ = "Keine Verbindung zu einem Objekt";
        return false;
    }
    bool ok = db_->CommitObject(obj);
    if (obj != this)
        errorMessage_ = obj->ErrorMessage();
    return ok;
}

void TQelObjectInterface::ForceCommit()
{
    if (!Commit())
        throw TQelError(errorMessage_);
}

void TQelObjectInterface::ConnectControl(TQelNotifyTarget* target)
{
    if (!target || std::find(targets_.begin(), targets_.end(), target) != targets_.end())
        return;
    targets_.push_back(target);
    if (targets_.size() == 1)
        list();
}

void TQelObjectInterface::DisconnectControl(TQelNotifyTarget* target)
{
    targets_.erase(std::remove(targets_.begin(), targets_.end(), target), targets_.end());
    if (targets_.empty())
        unlist();
}

bool TQelObjectInterface::IsConnected(const TQelNotifyTarget* target) const
{
    return std::find(targets_.begin(), targets_.end(), target) != targets_.end();
}

void TQelObjectInterface::deliver(
    unsigned msg, WPARAM wParam, const TQelObjectInterface* sender, bool receiverInWParam)
{
    if (targets_.empty())
        return;
    // Handlers may connect, disconnect or free targets (and this interface): work on a copy and
    // call only those still registered while this interface is alive.
    const std::vector<TQelNotifyTarget*> snapshot = targets_;
    std::weak_ptr<bool> alive = alive_;
    const WPARAM wp = receiverInWParam ? reinterpret_cast<WPARAM>(this) : wParam;
    const LPARAM lp = reinterpret_cast<LPARAM>(sender);
    for (TQelNotifyTarget* t : snapshot) {
        if (alive.expired())
            return;
        if (std::find(targets_.begin(), targets_.end(), t) == targets_.end())
            continue;
        t->Perform(msg, wp, lp);
    }
}

void TQelObjectInterface::Notify(unsigned msg, WPARAM wParam)
{
    if (msg == WM_ODB_OIDESTROYED) {
        deliver(msg, 0, this, true);
        return;
    }
    if (objectWide(msg)) {
        broadcast(msg, this);
        return;
    }
    const bool receiver = !indexInWParam(msg);
    std::vector<Alive> chain;
    for (TQelObjectInterface* o = this; o; o = o->owner_)
        chain.emplace_back(o, o->alive_);
    std::weak_ptr<bool> self = alive_;
    for (auto& [o, alive] : chain) {
        if (alive.expired())
            continue;
        o->deliver(msg, wParam, self.expired() ? nullptr : this, receiver);
    }
}

std::vector<std::pair<TQelObjectInterface*, std::weak_ptr<bool>>> TQelObjectInterface::objectTree()
{
    TQelObjectInterface* root = Object();
    if (!root)
        root = this;
    std::vector<Alive> all;
    std::function<void(TQelObjectInterface*)> collect = [&](TQelObjectInterface* oi) {
        all.emplace_back(oi, oi->alive_);
        oi->ForEachChild(collect);
    };
    collect(root);
    return all;
}

void TQelObjectInterface::sortRegistry(TQelTargetRegistry& reg, TQelObjectInterface* root)
{
    // The position of each listed interface, and of each of its owners below the root, among the
    // children of its owner; -1 while not found (an element's template is no child of its vector).
    std::unordered_map<const TQelObjectInterface*, int> position;
    std::vector<TQelObjectInterface*> owners;
    for (TQelObjectInterface* oi : reg.listed_)
        for (TQelObjectInterface* c = oi; c && c != root; c = c->owner_) {
            if (!position.emplace(c, -1).second)
                break;
            if (c->owner_)
                owners.push_back(c->owner_);
        }
    std::sort(owners.begin(), owners.end());
    owners.erase(std::unique(owners.begin(), owners.end()), owners.end());
    for (TQelObjectInterface* o : owners) {
        int i = 0;
        o->ForEachChild([&](TQelObjectInterface* c) {
            if (auto it = position.find(c); it != position.end())
                it->second = i;
            ++i;
        });
    }
    // Sorting by the path of positions from the root gives the order of a depth-first walk.
    struct Entry {
        std::vector<int> path;
        TQelObjectInterface* oi;
    };
    std::vector<Entry> entries;
    entries.reserve(reg.listed_.size());
    for (TQelObjectInterface* oi : reg.listed_) {
        Entry e { {}, oi };
        TQelObjectInterface* c = oi;
        for (; c && c != root; c = c->owner_) {
            const int p = position[c];
            if (p < 0)
                break;
            e.path.push_back(p);
        }
        if (c != root)
            continue; // not part of the object's tree: object-wide notices do not reach it
        std::reverse(e.path.begin(), e.path.end());
        entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.path < b.path; });
    reg.ordered_.clear();
    for (const Entry& e : entries)
        reg.ordered_.emplace_back(e.oi, e.oi->alive_);
    reg.stale_ = false;
}

std::vector<std::pair<TQelObjectInterface*, std::weak_ptr<bool>>> TQelObjectInterface::registeredTree()
{
    TQelObjectInterface* root = Object();
    TQelTargetRegistry* reg = root ? root->targetRegistry() : nullptr;
    if (!reg)
        return objectTree();
    if (reg->stale_)
        sortRegistry(*reg, root);
    // A copy: handlers may connect and disconnect (and so re-sort the registry) while it is walked.
    return reg->ordered_;
}

void TQelObjectInterface::broadcast(unsigned msg, const TQelObjectInterface* sender)
{
    for (auto& [o, alive] : registeredTree())
        if (!alive.expired())
            o->deliver(msg, 0, sender, true);
}

void TQelObjectInterface::RepaintTargets()
{
    const std::vector<TQelNotifyTarget*> snapshot = targets_;
    std::weak_ptr<bool> alive = alive_;
    for (TQelNotifyTarget* t : snapshot) {
        if (alive.expired())
            return;
        if (std::find(targets_.begin(), targets_.end(), t) != targets_.end())
            t->Repaint();
    }
}

void TQelObjectInterface::RepaintAll()
{
    for (auto& [o, alive] : registeredTree())
        if (!alive.expired())
            o->RepaintTargets();
}

void TQelObjectInterface::rolledBack()
{
    std::weak_ptr<bool> alive = alive_;
    Notify(WM_ODB_OIROLLEDBACK);
    if (!alive.expired())
        RepaintAll();
    if (db_ && !alive.expired())
        db_->NotifyInstance(ieTouched, Object());
}
