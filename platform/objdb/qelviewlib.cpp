#include "objdb/qeldatabase.h"
#include "objdb/qellog.h"
#include "objdb/qelobject.h"
#include "objdb/qelsql.h"
#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"
#include "objdb/qelview.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <unistd.h>

namespace {

// Instance ids are handed out from one serial per program run that starts at a value of its own,
// so an id remembered by an earlier run (or an earlier opening of the store) matches nothing.
int nextInstanceId()
{
    static int next = [] {
        const auto t = std::chrono::steady_clock::now().time_since_epoch().count();
        const auto seed
            = static_cast<unsigned long long>(t) ^ (static_cast<unsigned long long>(getpid()) << 20);
        return static_cast<int>(seed % 1000000) * 1000 + 1;
    }();
    if (next <= 0 || next == INT32_MAX)
        next = 1;
    return next++;
}

struct TViewRow {
    TQelAnsicht* view;
    int storedParent;
    int position;
    std::string name;
};

} // namespace

struct TQelAnsichtLib::Impl {
    // Every view ever listed; kept until the library goes so that pointers held by lists stay
    // valid after the view was deleted elsewhere.
    std::map<int, std::unique_ptr<TQelAnsicht>> all;
    std::map<int, TViewRow> rows; // the listed views
    std::map<int, int> parent; // effective parents
    std::vector<TQelAnsicht*> tree;
    std::map<int, int> instanceIds; // instance object key -> id
    std::set<int> cyclesLogged;
    int subscription = 0;
    bool dirty = true;
};

TQelAnsichtLib::TQelAnsichtLib(TQelDatabase* db)
    : db_(db)
    , impl_(std::make_unique<Impl>())
{
    impl_->subscription = db_->SubscribeInstanceNotification(
        TQelClassKey(qelcls::Ansicht), [this](int, TQelClassKey, TQelObjectKey, TQelObject*) { changed(); },
        ieCreated | ieStored | ieDeleted | ieRecovered | ieGone);
}

TQelAnsichtLib::~TQelAnsichtLib()
{
    db_->CancelSubscription(impl_->subscription);
}

void TQelAnsichtLib::changed()
{
    impl_->dirty = true;
}

void TQelAnsichtLib::load()
{
    if (!impl_->dirty)
        return;
    impl_->dirty = false;
    impl_->rows.clear();
    impl_->parent.clear();
    impl_->tree.clear();
    if (!db_->Initialized())
        return;

    std::vector<int> keys;
    {
        auto engine = db_->CreateSQLEngine();
        auto q = engine->ListEx(TQelClassKey(qelcls::Ansicht), lfNotDeleted | lfKeysOnly, "");
        if (!q->TryOpen()) {
            db_->LogManager()->Write(QEL_LOG_ERROR, "Filter lesen: " + q->ErrorMessage());
            return;
        }
        for (; !q->Eof(); q->Next())
            keys.push_back(static_cast<int>(q->AsInteger(0)));
    }
    for (int k : keys) {
        TQelObject* obj = db_->GetObjectA(TQelObjectKey(k));
        if (!obj || obj->Deleted() || !obj->Klasse()->IsA(qelcls::Ansicht))
            continue;
        auto& slot = impl_->all[k];
        if (!slot)
            slot.reset(new TQelAnsicht(this, TQelAnsichtKey(k)));
        TQelField* p = obj->FieldByName("Oberansicht");
        TQelField* pos = obj->FieldByName("Position");
        impl_->rows[k] = { slot.get(), p ? static_cast<int>(p->AsInteger()) : 0,
            pos ? static_cast<int>(pos->AsInteger()) : 0, slot->Name() };
    }

    // Effective parents: unknown parents count as none; a cycle is cut at its smallest key.
    for (auto& [k, row] : impl_->rows)
        impl_->parent[k] = impl_->rows.count(row.storedParent) ? row.storedParent : 0;
    for (auto& [k, row] : impl_->rows) {
        std::vector<int> path;
        int at = k;
        while (at != 0 && std::find(path.begin(), path.end(), at) == path.end()) {
            path.push_back(at);
            at = impl_->parent[at];
        }
        if (at == 0)
            continue;
        const auto begin = std::find(path.begin(), path.end(), at);
        const int cut = *std::min_element(begin, path.end());
        impl_->parent[cut] = 0;
        if (impl_->cyclesLogged.insert(cut).second) {
            std::string members;
            for (auto it = begin; it != path.end(); ++it)
                members += (members.empty() ? "" : ", ") + std::to_string(*it);
            db_->LogManager()->Write(QEL_LOG_ERROR,
                "Filter " + members + " sind zyklisch voneinander abgeleitet; Filter " + std::to_string(cut)
                    + " wird als oberster Filter behandelt");
        }
    }

    // Tree order: depth first from the roots, siblings by position and then by name.
    std::function<void(int)> visit = [&](int parent) {
        for (TQelAnsicht* child : childrenOf(TQelAnsichtKey(parent))) {
            impl_->tree.push_back(child);
            visit(child->Key().Id());
        }
    };
    visit(0);
}

std::vector<TQelAnsicht*> TQelAnsichtLib::childrenOf(TQelAnsichtKey key)
{
    load();
    std::vector<const TViewRow*> kids;
    for (const auto& [k, row] : impl_->rows)
        if (impl_->parent[k] == key.Id())
            kids.push_back(&row);
    std::stable_sort(kids.begin(), kids.end(), [](const TViewRow* a, const TViewRow* b) {
        if (a->position != b->position)
            return a->position < b->position;
        const int byText = AnsiCompareText(a->name, b->name);
        return byText != 0 ? byText < 0 : a->name < b->name;
    });
    std::vector<TQelAnsicht*> out;
    for (const TViewRow* r : kids)
        out.push_back(r->view);
    return out;
}

TQelAnsichtKey TQelAnsichtLib::parentOf(TQelAnsichtKey key)
{
    load();
    const auto it = impl_->parent.find(key.Id());
    return TQelAnsichtKey(it == impl_->parent.end() ? 0 : it->second);
}

int TQelAnsichtLib::depthOf(TQelAnsichtKey key)
{
    load();
    int depth = 0;
    for (int at = key.Id(); at != 0 && impl_->rows.count(at); at = impl_->parent[at])
        ++depth; // the effective parents hold no cycle
    return depth;
}

bool TQelAnsichtLib::derives(TQelAnsichtKey key, TQelAnsichtKey other)
{
    load();
    if (!other.Valid())
        return false;
    for (int at = key.Id(); at != 0 && impl_->rows.count(at); at = impl_->parent[at])
        if (at == other.Id())
            return true;
    return false;
}

int TQelAnsichtLib::instanceId(TQelObjectKey instance)
{
    if (!instance.Valid())
        return 0;
    int& id = impl_->instanceIds[instance.Id()];
    if (id == 0)
        id = nextInstanceId();
    return id;
}

TQelObjectKey TQelAnsichtLib::instanceById(int id) const
{
    if (id != 0)
        for (const auto& [k, i] : impl_->instanceIds)
            if (i == id)
                return TQelObjectKey(k);
    return {};
}

std::vector<TQelAnsicht*> TQelAnsichtLib::Tree()
{
    load();
    return impl_->tree;
}

TQelAnsicht* TQelAnsichtLib::Find(TQelAnsichtKey key)
{
    load();
    const auto it = impl_->rows.find(key.Id());
    return it == impl_->rows.end() ? nullptr : it->second.view;
}

TQelAnsicht* TQelAnsichtLib::FindByName(const std::string& name)
{
    for (TQelAnsicht* v : Tree())
        if (v->Name() == name)
            return v;
    return nullptr;
}

std::string TQelAnsichtLib::SearchConditionByRepr(const std::string& repr)
{
    const std::size_t colon = repr.find(':');
    const std::string className = colon == std::string::npos ? "" : Trim(repr.substr(0, colon));
    const std::string viewName = Trim(colon == std::string::npos ? repr : repr.substr(colon + 1));
    const TQelKlasse* cls = className.empty() ? nullptr : db_->FindClass(className);
    if (!className.empty() && !cls)
        return {};
    for (TQelAnsicht* v : Tree())
        if (v->Name() == viewName && (!cls || v->Basisklasse() == cls->Key()))
            return v->MakeSearchCondition(nullptr, "");
    return {};
}

TQelAnsicht* TQelAnsichtLib::CreateView(TQelClassKey cls, const std::string& name,
    const std::string& condition, TQelAnsichtKey parent, TQelClassKey paramClass, bool showDeleted,
    std::string* error)
{
    auto refuse = [&](const std::string& why) -> TQelAnsicht* {
        if (error)
            *error = why;
        return nullptr;
    };
    const TQelKlasse* k = db_->Klasse(cls);
    if (!k || !k->IsObjectClass())
        return refuse("Unbekannte Klasse " + cls.ToString() + ".");
    if (Trim(name).empty())
        return refuse("Der Filter braucht eine Bezeichnung.");
    if (parent.Valid() && !Find(parent))
        return refuse("Unbekannter Oberfilter " + parent.ToString() + ".");
    if (paramClass.Valid()) {
        const TQelKlasse* p = db_->Klasse(paramClass);
        if (!p || !p->IsA(qelcls::Ansichtsparameter) || p->abstract)
            return refuse("Unbekannte Parameterklasse " + paramClass.ToString() + ".");
    }
    TQelObject* obj = db_->CreateObject(TQelClassKey(qelcls::Ansicht));
    if (!obj)
        return refuse("Filter können in dieser Datenbank nicht angelegt werden.");
    obj->FieldByName("Bezeichnung")->set_AsString(name);
    obj->FieldByName("Klasse")->set_AsInteger(cls.Id());
    obj->FieldByName("Bedingung")->set_AsString(condition);
    if (paramClass.Valid())
        obj->FieldByName("Parameterklasse")->set_AsInteger(paramClass.Id());
    obj->FieldByName("Geloeschte")->set_AsBool(showDeleted);
    if (parent.Valid())
        obj->FieldByName("Oberansicht")->set_AsInteger(parent.Id());
    if (!obj->Commit()) {
        const std::string why = obj->ErrorMessage();
        db_->FreeObject(obj);
        return refuse(why.empty() ? "Speichern gescheitert!" : why);
    }
    changed();
    return Find(TQelAnsichtKey(obj->Key()));
}

bool TQelAnsichtLib::DeleteView(TQelAnsichtKey key)
{
    TQelObject* obj = Find(key) ? db_->GetObjectA(key) : nullptr;
    if (!obj || !obj->Delete())
        return false;
    changed();
    return true;
}

TQelAnsichtLib* QelAnsichten(TQelDatabase* db)
{
    return db ? db->Ansichten() : nullptr;
}

TQelAnsichtLib* QelAnsichten()
{
    return QelAnsichten(QelDatabase());
}

// --- key queries on the current database -----------------------------------------------------

TQelAnsicht* TQelAnsichtKey::Ansicht() const
{
    TQelAnsichtLib* lib = QelAnsichten();
    return lib && Valid() ? lib->Find(*this) : nullptr;
}

bool TQelAnsichtKey::DerivesFrom(TQelAnsichtKey other) const
{
    TQelAnsichtLib* lib = QelAnsichten();
    return lib && lib->derives(*this, other);
}

int TQelAnsichtKey::Depth() const
{
    TQelAnsichtLib* lib = QelAnsichten();
    return lib ? lib->depthOf(*this) : 0;
}
