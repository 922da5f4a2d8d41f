#include "objdb/qelfieldlist.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelobject.h"
#include "objdb/qeltext.h"
#include "objdb/qelvector.h"

#include <cctype>

TQelFieldList::TQelFieldList(TQelDatabase* db, TQelObjectInterface* owner, const TQelKlasse* cls)
    : TQelObjectInterface(db, owner)
    , cls_(cls)
{
    for (const auto* def : cls->Fields())
        fields_.push_back(QelCreateField(this, def));
    for (const auto* vd : cls->Vectors())
        vectors_.push_back(std::make_unique<TQelVector>(this, vd));
}

TQelFieldList::~TQelFieldList()
{
    announceDestroyed();
    vectors_.clear();
    fields_.clear();
}

std::string TQelFieldList::Name() const
{
    return owner_ ? owner_->Name() : cls_->name;
}

std::string TQelFieldList::Path() const
{
    return owner_ ? owner_->Path() : cls_->name;
}

std::string TQelFieldList::Description() const
{
    return cls_->description.empty() ? cls_->name : cls_->description;
}

std::string TQelFieldList::Info() const
{
    return TQelObjectInterface::Info() + "\nKlasse: " + cls_->name + " (" + std::to_string(cls_->id)
        + ")\nFelder: " + std::to_string(FieldCount()) + ", Vektoren: " + std::to_string(VectorCount());
}

bool TQelFieldList::Null() const
{
    for (const auto& f : fields_)
        if (!f->Null())
            return false;
    for (const auto& v : vectors_)
        if (!v->Null())
            return false;
    return true;
}

bool TQelFieldList::NullOrDefault() const
{
    for (const auto& f : fields_)
        if (!f->NullOrDefault())
            return false;
    for (const auto& v : vectors_)
        if (!v->Null())
            return false;
    return true;
}

bool TQelFieldList::Touched() const
{
    for (const auto& f : fields_)
        if (f->Touched())
            return true;
    for (const auto& v : vectors_)
        if (v->Touched())
            return true;
    return false;
}

bool TQelFieldList::Valid() const
{
    for (const auto& f : fields_)
        if (!f->Valid())
            return false;
    for (const auto& v : vectors_)
        if (!v->Valid())
            return false;
    return true;
}

void TQelFieldList::Rollback(const std::string& path)
{
    if (!path.empty()) {
        if (TQelObjectInterface* oi = FindOI(path, 0, false))
            oi->Rollback();
        return;
    }
    std::weak_ptr<bool> alive = LifeToken();
    for (auto& f : fields_)
        f->Revert();
    for (auto& v : vectors_)
        v->Revert();
    if (!alive.expired())
        rolledBack();
}

TQelSubObject* TQelFieldList::ParentSubObject() const
{
    return dynamic_cast<TQelSubObject*>(owner_);
}

TQelField* TQelFieldList::Field(int index) const
{
    return index >= 1 && index <= FieldCount() ? fields_[static_cast<std::size_t>(index - 1)].get() : nullptr;
}

TQelField* TQelFieldList::FieldByName(const std::string& name) const
{
    for (const auto& f : fields_)
        if (f->Definition()->name == name)
            return f.get();
    for (const auto& f : fields_)
        if (AnsiSameText(f->Definition()->name, name))
            return f.get();
    return nullptr;
}

TQelVector* TQelFieldList::Vector(int index) const
{
    return index >= 1 && index <= VectorCount() ? vectors_[static_cast<std::size_t>(index - 1)].get()
                                                : nullptr;
}

TQelVector* TQelFieldList::VectorByName(const std::string& name) const
{
    for (const auto& v : vectors_)
        if (v->VectorName() == name)
            return v.get();
    for (const auto& v : vectors_)
        if (AnsiSameText(v->VectorName(), name))
            return v.get();
    return nullptr;
}

TQelObjectInterface* TQelFieldList::Item(int index) const
{
    if (index >= 1 && index <= FieldCount())
        return Field(index);
    return Vector(index - FieldCount());
}

namespace {

bool wants(int mask, int kind)
{
    return mask == 0 || (mask & kind) != 0;
}

// Field and vector lookup as the lists do it: exact spelling first, then ignoring case.
template <class T> const T* byName(const std::vector<const T*>& defs, const std::string& name)
{
    for (const T* d : defs)
        if (d->name == name)
            return d;
    for (const T* d : defs)
        if (AnsiSameText(d->name, name))
            return d;
    return nullptr;
}

} // namespace

// One step of a path: a name with an optional element index ("Adressen[2]").
struct TQelFieldList::PathStep {
    std::string name;
    int index = -1;
};

// Splits a path into its steps; false for a malformed path.
bool TQelFieldList::splitPath(const std::string& path, std::vector<PathStep>& steps)
{
    std::size_t pos = 0;
    while (true) {
        std::size_t end = pos;
        while (end < path.size() && path[end] != '.' && path[end] != '[')
            ++end;
        PathStep step { path.substr(pos, end - pos), -1 };
        if (end < path.size() && path[end] == '[') {
            const std::size_t close = path.find(']', end);
            if (close == std::string::npos)
                return false;
            const std::string digits = path.substr(end + 1, close - end - 1);
            if (digits.empty() || digits.size() > 6
                || digits.find_first_not_of("0123456789") != std::string::npos)
                return false;
            step.index = std::stoi(digits);
            end = close + 1;
        }
        if (step.name.empty())
            return false;
        steps.push_back(std::move(step));
        if (end >= path.size())
            return true;
        if (path[end] != '.' || end + 1 >= path.size())
            return false;
        pos = end + 1;
    }
}

bool TQelFieldList::classResolves(
    const TQelKlasse* cls, const std::vector<PathStep>& steps, std::size_t at, int mask)
{
    const PathStep& s = steps[at];
    const bool last = at + 1 == steps.size();
    if (s.index < 0)
        if (byName(cls->Fields(), s.name))
            // A reference of a new element is empty: nothing to continue in.
            return last && wants(mask, TQelObjectInterface::oiField);
    const TQelVektordefinition* vd = byName(cls->Vectors(), s.name);
    if (!vd)
        return false;
    int index = s.index;
    if (index < 0) {
        if (last && wants(mask, TQelObjectInterface::oiVector))
            return true;
        if (!vd->Single())
            return false;
        index = 0;
    }
    if (last && mask != 0 && !(mask & (TQelObjectInterface::oiSubObject | TQelObjectInterface::oiFieldList)))
        return false;
    if (vd->MaxCount() > 0 && index >= vd->MaxCount())
        return false;
    return last || classResolves(vd->elementClass, steps, at + 1, mask);
}

TQelObjectInterface* TQelFieldList::FindOI(const std::string& path, int mask, bool allowCreate) const
{
    if (path.empty())
        return wants(mask, oiFieldList) && mask != 0 ? const_cast<TQelFieldList*>(this) : nullptr;
    std::vector<PathStep> steps;
    if (!splitPath(path, steps))
        return nullptr;
    // Elements and sub-objects are created only for a path that names something all the way.
    if (allowCreate && !resolvable(steps, 0, mask))
        return nullptr;
    return resolve(steps, 0, mask, allowCreate);
}

bool TQelFieldList::PathResolvable(const std::string& path, int mask) const
{
    if (path.empty())
        return wants(mask, oiFieldList) && mask != 0;
    std::vector<PathStep> steps;
    return splitPath(path, steps) && resolvable(steps, 0, mask);
}

TQelField* TQelFieldList::FindField(const std::string& path, bool allowCreate) const
{
    return static_cast<TQelField*>(FindOI(path, oiField, allowCreate));
}

TQelFieldList* TQelFieldList::FindFieldList(const std::string& path, bool allowCreate) const
{
    return static_cast<TQelFieldList*>(FindOI(path, oiFieldList, allowCreate));
}

bool TQelFieldList::resolvable(const std::vector<PathStep>& steps, std::size_t at, int mask) const
{
    const PathStep& s = steps[at];
    const bool last = at + 1 == steps.size();
    if (s.index < 0)
        if (TQelField* f = FieldByName(s.name)) {
            if (last)
                return wants(mask, oiField);
            auto* ref = dynamic_cast<TQelRefField*>(f);
            TQelObject* target = ref ? ref->get_AsObject() : nullptr;
            // The referenced object is never extended: the rest must exist there.
            return target && target->FieldList()->resolve(steps, at + 1, mask, false);
        }
    TQelVector* v = VectorByName(s.name);
    if (!v)
        return false;
    int index = s.index;
    if (index < 0) {
        if (last && wants(mask, oiVector))
            return true;
        if (!v->Single())
            return false;
        index = 0;
    }
    if (last && mask != 0 && !(mask & (oiSubObject | oiFieldList)))
        return false;
    if (index < v->Count())
        return last || v->Item(index + 1)->FieldList()->resolvable(steps, at + 1, mask);
    if (v->MaxCount() > 0 && index >= v->MaxCount())
        return false;
    return last || classResolves(v->get_Vektorklasse(), steps, at + 1, mask);
}

TQelObjectInterface* TQelFieldList::resolve(
    const std::vector<PathStep>& steps, std::size_t at, int mask, bool allowCreate) const
{
    const PathStep& s = steps[at];
    const bool last = at + 1 == steps.size();
    if (s.index < 0)
        if (TQelField* f = FieldByName(s.name)) {
            if (last)
                return wants(mask, oiField) ? f : nullptr;
            if (auto* ref = dynamic_cast<TQelRefField*>(f))
                if (TQelObject* target = ref->get_AsObject())
                    return target->FieldList()->resolve(steps, at + 1, mask, false);
            return nullptr;
        }
    TQelVector* v = VectorByName(s.name);
    if (!v)
        return nullptr;
    int index = s.index;
    if (index < 0) {
        if (last && wants(mask, oiVector))
            return v;
        if (!v->Single())
            return nullptr;
        index = 0; // a sub-object is element 1 of its vector
    }
    if (last && mask != 0 && !(mask & (oiSubObject | oiFieldList)))
        return nullptr;
    while (v->Count() <= index) {
        if (!allowCreate || !v->Add())
            return nullptr;
    }
    TQelSubObject* e = v->Item(index + 1);
    if (!last)
        return e->FieldList()->resolve(steps, at + 1, mask, allowCreate);
    if (mask == 0 || (mask & oiSubObject))
        return e;
    if (mask & oiFieldList)
        return e->FieldList();
    return nullptr;
}

bool TQelFieldList::ForEachField(const std::function<bool(TQelField*)>& fn, int flags) const
{
    if (flags & efFields)
        for (const auto& f : fields_)
            if (!fn(f.get()))
                return false;
    if (flags & efElements)
        for (const auto& v : vectors_)
            for (int i = 1; i <= v->Count(); ++i)
                if (!v->Item(i)->FieldList()->ForEachField(fn, flags | efFields))
                    return false;
    return true;
}

std::string TQelFieldList::GetPropA(const std::string& name, const std::string& def) const
{
    return TQelObjectInterface::GetPropA(name, def);
}

bool TQelFieldList::SetPropA(const std::string& name, const std::string& value, bool strict)
{
    return TQelObjectInterface::SetPropA(name, value, strict);
}

void TQelFieldList::FieldChanged(TQelField* f)
{
    TQelSubObject* so = ParentSubObject();
    if (!so || !so->IsValidity() || !so->ParentVector() || so->VectorIndex() == 0)
        return;
    const std::string& n = f->Definition()->name;
    if (n == "Standard" && f->AsBool())
        so->ParentVector()->StandardSet(so);
    else if (n == "GueltigAb" || n == "GueltigBis")
        so->ParentVector()->Notify(WM_ODB_ELEMENTSTATE, static_cast<WPARAM>(so->VectorIndex()));
}

void TQelFieldList::ApplyDefaults()
{
    for (auto& f : fields_)
        f->ApplyDefault();
}

void TQelFieldList::AcceptStored()
{
    for (auto& f : fields_)
        f->AcceptStored();
    for (auto& v : vectors_)
        v->AcceptStored();
}

void TQelFieldList::Revert()
{
    for (auto& f : fields_)
        f->Revert();
    for (auto& v : vectors_)
        v->Revert();
}

void TQelFieldList::ForEachChild(const std::function<void(TQelObjectInterface*)>& fn)
{
    for (auto& f : fields_)
        fn(f.get());
    for (auto& v : vectors_)
        fn(v.get());
}
