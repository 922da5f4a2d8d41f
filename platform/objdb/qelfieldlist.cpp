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
    std::weak_ptr<bool> alive = aliveToken();
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

TQelObjectInterface* TQelFieldList::FindOI(const std::string& path, int mask, bool allowCreate) const
{
    return resolve(path, mask, allowCreate);
}

TQelField* TQelFieldList::FindField(const std::string& path, bool allowCreate) const
{
    return static_cast<TQelField*>(resolve(path, oiField, allowCreate));
}

TQelFieldList* TQelFieldList::FindFieldList(const std::string& path, bool allowCreate) const
{
    return static_cast<TQelFieldList*>(resolve(path, oiFieldList, allowCreate));
}

namespace {

bool wants(int mask, int kind)
{
    return mask == 0 || (mask & kind) != 0;
}

} // namespace

TQelObjectInterface* TQelFieldList::resolve(const std::string& path, int mask, bool allowCreate) const
{
    auto* self = const_cast<TQelFieldList*>(this);
    if (path.empty())
        return wants(mask, oiFieldList) && mask != 0 ? self : nullptr;
    // First segment: name, optional [index]; the rest after ".".
    std::size_t end = 0;
    while (end < path.size() && path[end] != '.' && path[end] != '[')
        ++end;
    const std::string name = path.substr(0, end);
    int index = -1;
    if (end < path.size() && path[end] == '[') {
        std::size_t close = path.find(']', end);
        if (close == std::string::npos)
            return nullptr;
        const std::string digits = path.substr(end + 1, close - end - 1);
        if (digits.empty() || digits.size() > 6
            || digits.find_first_not_of("0123456789") != std::string::npos)
            return nullptr;
        index = std::stoi(digits);
        end = close + 1;
    }
    std::string rest;
    if (end < path.size()) {
        if (path[end] != '.' || end + 1 >= path.size())
            return nullptr;
        rest = path.substr(end + 1);
    }
    if (name.empty())
        return nullptr;

    if (index < 0) {
        if (TQelField* f = FieldByName(name)) {
            if (rest.empty())
                return wants(mask, oiField) ? f : nullptr;
            if (auto* ref = dynamic_cast<TQelRefField*>(f))
                if (TQelObject* target = ref->get_AsObject())
                    return target->FieldList()->resolve(rest, mask, false);
            return nullptr;
        }
    }
    TQelVector* v = VectorByName(name);
    if (!v)
        return nullptr;
    if (index < 0) {
        if (rest.empty() && wants(mask, oiVector))
            return v;
        if (!v->Single())
            return nullptr;
        index = 0; // a sub-object is element 1 of its vector
    }
    if (rest.empty() && mask != 0 && !(mask & (oiSubObject | oiFieldList)))
        return nullptr;
    while (v->Count() <= index) {
        if (!allowCreate || !v->Add())
            return nullptr;
    }
    TQelSubObject* e = v->Item(index + 1);
    if (!rest.empty())
        return e->FieldList()->resolve(rest, mask, allowCreate);
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
