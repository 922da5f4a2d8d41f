#include "objdb/qelview.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelobject.h"
#include "objdb/qelsql.h"
#include "objdb/qelstrings.h"
#include "objdb/qelvector.h"
#include "objdb/qelviewcondition.h"

#include <algorithm>
#include <functional>
#include <map>

namespace {

const char* const kInstances = "Instanzen";
const char* const kInstanceObject = "Objekt";

std::int64_t intOf(const TQelObject* obj, const char* field)
{
    const TQelField* f = obj ? obj->FieldByName(field) : nullptr;
    return f ? f->AsInteger() : 0;
}

TQelObjectKey keyOf(const TQelFieldList* params)
{
    const TQelObject* obj = params ? params->Object() : nullptr;
    return obj ? obj->Key() : TQelObjectKey();
}

} // namespace

TQelAnsicht::TQelAnsicht(TQelAnsichtLib* lib, TQelAnsichtKey key)
    : lib_(lib)
    , key_(key)
{
}

TQelObject* TQelAnsicht::Object() const
{
    return lib_->Database()->GetObjectA(key_);
}

std::string TQelAnsicht::Name() const
{
    const TQelObject* obj = Object();
    const TQelField* f = obj ? obj->FieldByName("Bezeichnung") : nullptr;
    return f ? f->AsString() : std::string();
}

std::string TQelAnsicht::NiceName(const TQelFieldList* params) const
{
    return params ? Name() + " (" + InstanceText(params) + ")" : Name();
}

std::string TQelAnsicht::Repr() const
{
    const TQelKlasse* k = lib_->Database()->Klasse(Basisklasse());
    return (k ? k->Name() : Basisklasse().ToString()) + ":" + Name();
}

TQelClassKey TQelAnsicht::Basisklasse() const
{
    return TQelClassKey(static_cast<int>(intOf(Object(), "Klasse")));
}

TQelClassKey TQelAnsicht::TrueClassType() const
{
    return lib_->Database()->Klasse(Basisklasse()) ? Basisklasse() : TQelClassKey();
}

bool TQelAnsicht::IsValidFor(TQelClassKey cls) const
{
    const TQelDatabase* db = lib_->Database();
    const TQelKlasse* mine = db->Klasse(Basisklasse());
    const TQelKlasse* other = db->Klasse(cls);
    return mine && other && (mine->IsA(other->id) || other->IsA(mine->id));
}

bool TQelAnsicht::ShowDeleted() const
{
    const TQelObject* obj = Object();
    const TQelField* f = obj ? obj->FieldByName("Geloeschte") : nullptr;
    return f && f->AsBool();
}

std::string TQelAnsicht::Condition() const
{
    const TQelObject* obj = Object();
    const TQelField* f = obj ? obj->FieldByName("Bedingung") : nullptr;
    return f ? f->AsString() : std::string();
}

TQelClassKey TQelAnsicht::ParamClass() const
{
    const TQelClassKey k(static_cast<int>(intOf(Object(), "Parameterklasse")));
    const TQelKlasse* cls = lib_->Database()->Klasse(k);
    return cls && cls->IsA(qelcls::Ansichtsparameter) ? k : TQelClassKey();
}

std::string TQelAnsicht::MakeSearchCondition(const TQelFieldList* params, const std::string& prefix) const
{
    const TQelDatabase* db = lib_->Database();
    std::vector<const TQelAnsicht*> chain;
    for (const TQelAnsicht* v = this; v; v = v->Parent())
        chain.insert(chain.begin(), v); // the effective parents hold no cycle
    const TQelKlasse* cls = db->Klasse(Basisklasse());
    const std::unique_ptr<TQelSQLDialect> dialect = db->CreateSQLDialect();
    std::vector<std::string> parts;
    for (const TQelAnsicht* v : chain) {
        std::string c
            = Trim(QelFillViewParams(v->Condition(), db->Klasse(v->ParamClass()), params, *dialect));
        if (!prefix.empty() && cls)
            c = QelReplaceTablePrefix(c, cls->TableName(), prefix);
        if (!c.empty())
            parts.push_back(c);
    }
    if (parts.size() == 1)
        return parts.front();
    std::string out;
    for (const std::string& p : parts)
        out += (out.empty() ? "(" : " AND (") + p + ")";
    return out;
}

std::vector<TQelFieldList*> TQelAnsicht::Instances() const
{
    std::vector<TQelFieldList*> out;
    TQelObject* obj = Object();
    TQelVector* v = obj ? obj->FieldList()->VectorByName(kInstances) : nullptr;
    if (!v)
        return out;
    TQelDatabase* db = lib_->Database();
    for (int i = 1; i <= v->Count(); ++i) {
        const auto* ref = dynamic_cast<const TQelRefField*>(v->FieldList(i)->FieldByName(kInstanceObject));
        TQelObject* inst = ref && ref->AsKey().Valid() ? db->GetObjectA(ref->AsKey()) : nullptr;
        if (inst && !inst->Deleted())
            out.push_back(inst->FieldList());
    }
    return out;
}

bool TQelAnsicht::HasInstance(const TQelFieldList* params) const
{
    if (!params)
        return false;
    const std::vector<TQelFieldList*> all = Instances();
    return std::find(all.begin(), all.end(), params) != all.end();
}

std::string TQelAnsicht::InstanceText(const TQelFieldList* params) const
{
    std::string out;
    if (!params)
        return out;
    for (int i = 1; i <= params->FieldCount(); ++i) {
        const TQelField* f = params->Field(i);
        if (!f->Null())
            out += (out.empty() ? "" : ", ") + f->Name() + "=" + f->AsString();
    }
    return out;
}

TQelFieldList* TQelAnsicht::FindInstanceByParams(const std::string& text, bool create)
{
    if (!HasParams())
        return nullptr;
    for (TQelFieldList* inst : Instances())
        if (InstanceText(inst) == text)
            return inst;
    // The text may be written differently ("Ort = Bonn"): compare the values it gives.
    TQelFieldList* fresh = NewInstance();
    if (!fresh)
        return nullptr;
    for (const auto& [name, value] : QelSplitInstanceText(text, fresh->Klasse()))
        fresh->FieldByName(name)->set_AsString(value);
    const std::string normal = InstanceText(fresh);
    for (TQelFieldList* inst : Instances())
        if (InstanceText(inst) == normal) {
            lib_->Database()->FreeObject(fresh->Object());
            return inst;
        }
    if (!create || !AddInstance(fresh)) {
        lib_->Database()->FreeObject(fresh->Object());
        return nullptr;
    }
    return fresh;
}

TQelFieldList* TQelAnsicht::NewInstance()
{
    if (!HasParams())
        return nullptr;
    TQelObject* obj = lib_->Database()->CreateObject(ParamClass());
    return obj ? obj->FieldList() : nullptr;
}

bool TQelAnsicht::AddInstance(TQelFieldList* params)
{
    TQelObject* inst = params ? params->Object() : nullptr;
    TQelObject* view = Object();
    if (!inst || !view || !HasParams() || !inst->Klasse()->IsA(ParamClass().Id()))
        return false;
    if (HasInstance(params))
        return true;
    if ((inst->IsNew() || inst->Touched()) && !inst->Commit())
        return false;
    TQelVector* v = view->FieldList()->VectorByName(kInstances);
    TQelSubObject* e = v ? v->Add() : nullptr;
    if (!e)
        return false;
    static_cast<TQelRefField*>(e->FieldList()->FieldByName(kInstanceObject))->set_AsKey(inst->Key());
    if (!view->Commit()) {
        v->Remove(e);
        return false;
    }
    return true;
}

int TQelAnsicht::InstanceId(const TQelFieldList* params) const
{
    return lib_->instanceId(keyOf(params));
}

TQelFieldList* TQelAnsicht::InstanceById(int id) const
{
    const TQelObjectKey key = lib_->instanceById(id);
    if (!key.Valid())
        return nullptr;
    for (TQelFieldList* inst : Instances())
        if (keyOf(inst) == key)
            return inst;
    return nullptr;
}

TQelAnsicht* TQelAnsicht::DetachInstance(TQelFieldList* params, std::string* error)
{
    if (!params || !HasParams()) {
        if (error)
            *error = "Der Filter hat keine Parameter.";
        return nullptr;
    }
    TQelDatabase* db = lib_->Database();
    const std::unique_ptr<TQelSQLDialect> dialect = db->CreateSQLDialect();
    const std::string condition = QelFillViewParams(Condition(), db->Klasse(ParamClass()), params, *dialect);
    TQelAnsicht* made
        = lib_->CreateView(Basisklasse(), NiceName(params), condition, ParentKey(), {}, ShowDeleted(), error);
    if (!made)
        return nullptr;
    if (TQelObject* obj = made->Object(); obj && Object()) {
        obj->FieldByName("Position")->set_AsInteger(Position());
        obj->FieldByName("Ausschluesse")->set_AsString(Object()->FieldByName("Ausschluesse")->AsString());
        if (obj->Touched() && !obj->Commit())
            obj->Rollback();
    }
    if (HasInstance(params))
        RemoveInstance(params);
    return made;
}

bool TQelAnsicht::RemoveInstance(TQelFieldList* params)
{
    const TQelObjectKey key = keyOf(params);
    TQelObject* view = Object();
    TQelVector* v = view && key.Valid() ? view->FieldList()->VectorByName(kInstances) : nullptr;
    if (!v)
        return false;
    for (int i = 1; i <= v->Count(); ++i) {
        const auto* ref = dynamic_cast<const TQelRefField*>(v->FieldList(i)->FieldByName(kInstanceObject));
        if (!ref || ref->AsKey() != key)
            continue;
        v->Delete(i);
        if (!view->Commit()) {
            view->Rollback();
            return false;
        }
        // The parameter object belongs to the view alone.
        lib_->Database()->DeleteObject(key, true);
        return true;
    }
    return false;
}

TQelAnsichtKey TQelAnsicht::ParentKey() const
{
    return lib_->parentOf(key_);
}

TQelAnsicht* TQelAnsicht::Parent() const
{
    const TQelAnsichtKey p = ParentKey();
    return p.Valid() ? lib_->Find(p) : nullptr;
}

int TQelAnsicht::Position() const
{
    return static_cast<int>(intOf(Object(), "Position"));
}

int TQelAnsicht::Depth() const
{
    return lib_->depthOf(key_);
}

bool TQelAnsicht::DerivesFrom(TQelAnsichtKey other) const
{
    return lib_->derives(key_, other);
}

std::vector<TQelAnsichtKey> TQelAnsicht::DescendantList() const
{
    std::vector<TQelAnsichtKey> out;
    std::function<void(TQelAnsichtKey)> visit = [&](TQelAnsichtKey at) {
        for (TQelAnsicht* child : lib_->childrenOf(at)) {
            out.push_back(child->Key());
            visit(child->Key());
        }
    };
    visit(key_);
    return out;
}

bool TQelAnsicht::Excludes(TQelAnsichtKey other) const
{
    const TQelObject* obj = Object();
    const TQelField* f = obj ? obj->FieldByName("Ausschluesse") : nullptr;
    if (!f || !other.Valid())
        return false;
    for (const std::string& part : SplitString(f->AsString(), ",;")) {
        const std::string t = Trim(part);
        if (!t.empty() && t.find_first_not_of("0123456789") == std::string::npos && t.size() < 10
            && std::stoi(t) == other.Id())
            return true;
    }
    return false;
}
