#include "objdb/qelvector.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelobject.h"
#include "objdb/qelstorage.h"
#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"

#include <algorithm>

TQelVector::TQelVector(TQelFieldList* owner, const TQelVektordefinition* def)
    : TQelObjectInterface(owner->Database(), owner)
    , def_(def)
{
}

TQelVector::~TQelVector()
{
    announceDestroyed();
    template_.reset();
    while (!elements_.empty())
        elements_.pop_back();
}

std::string TQelVector::Path() const
{
    return owner_->Path() + "." + def_->name;
}

std::string TQelVector::Info() const
{
    return TQelObjectInterface::Info() + "\nElementklasse: " + def_->elementClass->name + "\nElemente: "
        + std::to_string(Count()) + (MaxCount() ? " (höchstens " + std::to_string(MaxCount()) + ")" : "");
}

bool TQelVector::Touched() const
{
    if (structureTouched_)
        return true;
    for (const auto& e : elements_)
        if (e->Touched())
            return true;
    return false;
}

bool TQelVector::Valid() const
{
    if (MaxCount() > 0 && Count() > MaxCount())
        return false;
    for (const auto& e : elements_)
        if (!e->Valid())
            return false;
    return true;
}

int TQelVector::Kind() const
{
    return def_->elementClass->IsA(qelcls::Gueltigkeit) ? qelcls::Gueltigkeit : 0;
}

std::string TQelVector::StorePath() const
{
    auto* fl = static_cast<TQelFieldList*>(owner_);
    if (TQelSubObject* so = fl->ParentSubObject())
        if (TQelVector* pv = so->ParentVector())
            return pv->StorePath() + "." + def_->name;
    return def_->name;
}

TQelSubObject* TQelVector::Item(int index) const
{
    return index >= 1 && index <= Count() ? elements_[static_cast<std::size_t>(index - 1)].get() : nullptr;
}

TQelFieldList* TQelVector::FieldList(int index) const
{
    TQelSubObject* e = Item(index);
    return e ? e->FieldList() : nullptr;
}

int TQelVector::IndexOf(const TQelSubObject* element) const
{
    for (std::size_t i = 0; i < elements_.size(); ++i)
        if (elements_[i].get() == element)
            return static_cast<int>(i) + 1;
    return 0;
}

std::unique_ptr<TQelSubObject> TQelVector::MakeElement()
{
    if (def_->elementClass->IsA(qelcls::Gueltigkeit))
        return std::make_unique<TQelGueltigkeit>(this, def_->elementClass);
    return std::make_unique<TQelSubObject>(this, def_->elementClass);
}

TQelSubObject* TQelVector::get_Template() const
{
    if (!template_) {
        template_ = const_cast<TQelVector*>(this)->MakeElement();
        template_->FieldList()->ApplyDefaults();
    }
    return template_.get();
}

std::string TQelVector::GetAll(const std::string& name, char sep) const
{
    std::string out;
    for (int i = 1; i <= Count(); ++i) {
        TQelField* f = Item(i)->FieldList()->FieldByName(name);
        if (i > 1)
            out += sep;
        if (f)
            out += f->AsString();
    }
    return out;
}

namespace {

// The values of a joined text as SetAll reads them: split at `sep` and trimmed; none when blank.
std::vector<std::string> joinedValues(const std::string& text, char sep)
{
    std::vector<std::string> values;
    if (!Trim(text).empty())
        for (const std::string& v : SplitString(text, std::string(1, sep)))
            values.push_back(Trim(v));
    return values;
}

} // namespace

bool TQelVector::SetAll(const std::string& name, const std::string& text, char sep, bool adjust)
{
    if (!def_->elementClass->FindFelddefinition(name))
        return false;
    const std::vector<std::string> values = joinedValues(text, sep);
    std::weak_ptr<bool> alive = LifeToken();
    for (std::size_t i = 0; i < values.size(); ++i) {
        TQelSubObject* e = Item(static_cast<int>(i) + 1);
        if (!e) {
            if (!adjust || !(e = Add()))
                break;
        }
        if (TQelField* f = e->FieldList()->FieldByName(name)) {
            const std::string before = f->AsString();
            f->set_AsString(values[i]);
            if (alive.expired())
                return true;
            if (f->AsString() != before)
                f->RepaintTargets();
        }
    }
    if (adjust)
        while (Count() > static_cast<int>(values.size()) && !alive.expired())
            Delete(Count());
    if (!alive.expired())
        Notify(WM_ODB_VECTORCHANGED);
    return true;
}

bool TQelVector::SetAllChanged(
    const std::string& name, const std::string& before, const std::string& after, char sep)
{
    if (!def_->elementClass->FindFelddefinition(name))
        return false;
    if (after == before)
        return true;
    const std::vector<std::string> shown = joinedValues(before, sep);
    const std::vector<std::string> values = joinedValues(after, sep);
    // Indexes match what was shown only while the vector holds what was shown.
    const bool current = GetAll(name, sep) == before;
    std::weak_ptr<bool> alive = LifeToken();
    bool changed = false;
    for (std::size_t i = 0; i < values.size() && !alive.expired(); ++i) {
        if (i < shown.size() && values[i] == shown[i])
            continue;
        TQelSubObject* e = Item(static_cast<int>(i) + 1);
        if (!e && (!current || !(e = Add())))
            break;
        TQelField* f = e->FieldList()->FieldByName(name);
        if (!f || (!current && i < shown.size() && Trim(f->AsString()) != shown[i]))
            continue;
        const std::string old = f->AsString();
        f->set_AsString(values[i]);
        if (!alive.expired() && f->AsString() != old) {
            f->RepaintTargets();
            changed = true;
        }
    }
    if (current)
        while (!alive.expired() && Count() > static_cast<int>(values.size()) && Delete(Count()))
            changed = true;
    if (changed && !alive.expired())
        Notify(WM_ODB_VECTORCHANGED);
    return true;
}

TQelSubObject* TQelVector::Insert(int index, int)
{
    if (MaxCount() > 0 && Count() >= MaxCount())
        return nullptr;
    index = std::clamp(index, 1, Count() + 1);
    auto e = MakeElement();
    e->FieldList()->ApplyDefaults();
    TQelSubObject* raw = e.get();
    elements_.insert(elements_.begin() + (index - 1), std::move(e));
    // The other elements keep their order, so registered interfaces need no new sort.
    structureTouched_ = true;
    std::weak_ptr<bool> alive = raw->LifeToken();
    Notify(WM_ODB_ELEMENTADDED, static_cast<WPARAM>(index));
    if (db_ && !alive.expired())
        db_->NotifyInstance(ieTouched, Object());
    return alive.expired() ? nullptr : raw;
}

TQelSubObject* TQelVector::Add()
{
    return Insert(Count() + 1);
}

bool TQelVector::Delete(int index)
{
    if (index < 1 || index > Count())
        return false;
    std::unique_ptr<TQelSubObject> gone = std::move(elements_[static_cast<std::size_t>(index - 1)]);
    elements_.erase(elements_.begin() + (index - 1));
    structureTouched_ = true;
    std::weak_ptr<bool> alive = LifeToken();
    gone.reset(); // its targets hear 0x8504 first
    if (alive.expired())
        return true;
    Notify(WM_ODB_ELEMENTREMOVED, static_cast<WPARAM>(index));
    if (db_ && !alive.expired())
        db_->NotifyInstance(ieTouched, Object());
    return true;
}

bool TQelVector::Remove(TQelSubObject* element)
{
    const int i = IndexOf(element);
    return i > 0 && Delete(i);
}

bool TQelVector::Exchange(int a, int b)
{
    if (a < 1 || b < 1 || a > Count() || b > Count())
        return false;
    if (a == b)
        return true;
    std::swap(elements_[static_cast<std::size_t>(a - 1)], elements_[static_cast<std::size_t>(b - 1)]);
    structureTouched_ = true;
    structureChanged();
    Notify(WM_ODB_VECTORCHANGED);
    return true;
}

bool TQelVector::MoveBy(TQelSubObject* element, int delta)
{
    const int from = IndexOf(element);
    const int to = from + delta;
    if (from == 0 || to < 1 || to > Count())
        return false;
    if (delta == 0)
        return true;
    auto first = elements_.begin();
    if (from < to)
        std::rotate(first + (from - 1), first + from, first + to);
    else
        std::rotate(first + (to - 1), first + (from - 1), first + from);
    structureTouched_ = true;
    structureChanged();
    Notify(WM_ODB_VECTORCHANGED);
    return true;
}

int TQelVector::IndexOfFirst(const std::string& constraints, bool allocate, bool reserved)
{
    return IndexOfNext(1, constraints, allocate, reserved);
}

int TQelVector::IndexOfNext(int index, const std::string& constraints, bool allocate, bool)
{
    for (int i = std::max(1, index); i <= Count(); ++i)
        if (Item(i)->Check(constraints))
            return i;
    if (!allocate || index > Count() + 1)
        return 0;
    TQelSubObject* e = Add();
    if (!e)
        return 0;
    bool standard = false;
    for (const std::string& c : SplitString(constraints, ","))
        standard = standard || Trim(c) == "s";
    if (standard)
        if (auto* g = dynamic_cast<TQelGueltigkeit*>(e))
            g->set_Standard(true);
    return IndexOf(e);
}

void TQelVector::LoadMap(const std::string& order, std::vector<int>& map) const
{
    map.clear();
    for (int i = 1; i <= Count(); ++i)
        map.push_back(i);
    struct Key {
        std::string name;
        bool desc;
    };
    std::vector<Key> keys;
    for (const std::string& part : SplitString(order, ",")) {
        std::string t = Trim(part);
        bool desc = !t.empty() && t[0] == '-';
        if (desc || (!t.empty() && t[0] == '+'))
            t = Trim(t.substr(1));
        if (!t.empty())
            keys.push_back({ t, desc });
    }
    if (keys.empty())
        return;
    auto cmp = [&](int a, int b) {
        for (const Key& k : keys) {
            TQelField* fa = Item(a)->FieldList()->FieldByName(k.name);
            TQelField* fb = Item(b)->FieldList()->FieldByName(k.name);
            if (!fa || !fb)
                continue;
            int c = 0;
            if (fa->Null() != fb->Null())
                c = fa->Null() ? -1 : 1;
            else if (std::holds_alternative<std::int64_t>(fa->Value())
                || std::holds_alternative<double>(fa->Value()))
                c = fa->AsFloat() < fb->AsFloat() ? -1 : (fa->AsFloat() > fb->AsFloat() ? 1 : 0);
            else
                c = AnsiCompareText(fa->AsString(), fb->AsString());
            if (c != 0)
                return k.desc ? c > 0 : c < 0;
        }
        return false;
    };
    std::stable_sort(map.begin(), map.end(), cmp);
}

void TQelVector::LoadMap(const std::string& order, TQelList<int>* map) const
{
    if (!map)
        return;
    std::vector<int> m;
    LoadMap(order, m);
    map->Clear();
    for (int i : m)
        map->Add(i);
}

void TQelVector::LoadElements(std::vector<std::unique_ptr<TQelSubObject>> elements)
{
    std::vector<std::unique_ptr<TQelSubObject>> old;
    old.swap(elements_);
    elements_ = std::move(elements);
    structureChanged();
    storedRows_.clear();
    for (const auto& e : elements_)
        storedRows_.push_back(e->Row());
    structureTouched_ = false;
    old.clear(); // the replaced elements announce 0x8504
}

void TQelVector::AcceptStored()
{
    storedRows_.clear();
    for (const auto& e : elements_) {
        storedRows_.push_back(e->Row());
        e->FieldList()->AcceptStored();
    }
    structureTouched_ = false;
}

void TQelVector::Revert()
{
    if (structureTouched_) {
        TQelObject* obj = Object();
        auto* fl = static_cast<TQelFieldList*>(owner_);
        TQelSubObject* parent = fl->ParentSubObject();
        const bool stored = obj && !obj->IsNew() && (!parent || parent->Row() != 0);
        if (stored && db_ && db_->Initialized()) {
            db_->Storage().LoadVector(this, obj->Key(), parent ? parent->Row() : 0);
            return;
        }
        LoadElements({});
        return;
    }
    for (auto& e : elements_)
        e->FieldList()->Revert();
}

void TQelVector::Rollback(const std::string& path)
{
    if (!path.empty()) {
        if (TQelObjectInterface* oi
            = static_cast<TQelFieldList*>(owner_)->FindOI(def_->name + "." + path, 0, false))
            oi->Rollback();
        return;
    }
    std::weak_ptr<bool> alive = LifeToken();
    Revert();
    if (!alive.expired())
        rolledBack();
}

void TQelVector::StandardSet(TQelSubObject* element)
{
    std::weak_ptr<bool> alive = LifeToken();
    for (auto& e : elements_) {
        if (e.get() == element)
            continue;
        if (TQelField* f = e->FieldList()->FieldByName("Standard"))
            if (f->AsBool()) {
                f->set_AsBool(false);
                if (alive.expired())
                    return;
                f->RepaintTargets();
            }
    }
    if (!alive.expired())
        Notify(WM_ODB_STANDARDCHANGED, static_cast<WPARAM>(IndexOf(element)));
}

void TQelVector::ForEachChild(const std::function<void(TQelObjectInterface*)>& fn)
{
    for (auto& e : elements_)
        fn(e.get());
}

// --- elements ---------------------------------------------------------------------------------

TQelSubObject::TQelSubObject(TQelVector* owner, const TQelKlasse* cls)
    : TQelObjectInterface(owner->Database(), owner)
    , fieldList_(std::make_unique<TQelFieldList>(owner->Database(), this, cls))
{
}

TQelSubObject::~TQelSubObject()
{
    announceDestroyed();
    fieldList_.reset();
}

TQelVector* TQelSubObject::ParentVector() const
{
    return static_cast<TQelVector*>(owner_);
}

int TQelSubObject::VectorIndex() const
{
    return ParentVector() ? ParentVector()->IndexOf(this) : 0;
}

std::string TQelSubObject::Name() const
{
    const TQelKlasse* k = fieldList_->Klasse();
    const std::string& fmt = k->NameFormat();
    if (!fmt.empty()) {
        std::string n = fieldList_->MakeName(fmt, "");
        if (n != fmt && !Trim(n).empty())
            return n;
    }
    return k->name + " " + std::to_string(VectorIndex());
}

std::string TQelSubObject::Path() const
{
    return ParentVector()->Path() + "[" + std::to_string(VectorIndex() - 1) + "]";
}

std::string TQelSubObject::Description() const
{
    return fieldList_->Description();
}

std::string TQelSubObject::Info() const
{
    return TQelObjectInterface::Info() + "\nIndex: " + std::to_string(VectorIndex())
        + (row_ ? "\nZeile: " + std::to_string(row_) : "\nneu (nicht gespeichert)");
}

bool TQelSubObject::Touched() const
{
    return row_ == 0 || fieldList_->Touched();
}

bool TQelSubObject::IsValidity() const
{
    return fieldList_->Klasse()->IsA(qelcls::Gueltigkeit);
}

bool TQelSubObject::Check(const std::string& constraints) const
{
    for (const std::string& part : SplitString(constraints, ",")) {
        const std::string c = Trim(part);
        if (c.empty())
            continue;
        auto* g = dynamic_cast<const TQelGueltigkeit*>(this);
        if (c == "s") {
            if (!g || !g->Standard())
                return false;
        } else if (c == "a") {
            if (g && !g->Active())
                return false;
        } else if (std::size_t eq = c.find('='); eq != std::string::npos) {
            TQelField* f = fieldList_->FieldByName(Trim(c.substr(0, eq)));
            if (!f || !AnsiSameText(f->AsString(), Trim(c.substr(eq + 1))))
                return false;
        }
    }
    return true;
}

void TQelSubObject::Assign(const TQelSubObject* source, int, const std::string&)
{
    if (!source || source == this)
        return;
    TQelFieldList* src = source->FieldList();
    for (int i = 1; i <= fieldList_->FieldCount(); ++i) {
        TQelField* f = fieldList_->Field(i);
        if (TQelField* s = src->FieldByName(f->Name()); s && s->HardType() == f->HardType())
            f->SetValue(s->Value());
    }
    for (int i = 1; i <= fieldList_->VectorCount(); ++i) {
        TQelVector* v = fieldList_->Vector(i);
        TQelVector* sv = src->VectorByName(v->VectorName());
        if (!sv)
            continue;
        while (v->Count() > 0)
            v->Delete(v->Count());
        for (int j = 1; j <= sv->Count(); ++j)
            if (TQelSubObject* e = v->Add())
                e->Assign(sv->Item(j));
    }
}

void TQelSubObject::ForEachChild(const std::function<void(TQelObjectInterface*)>& fn)
{
    fn(fieldList_.get());
}

// --- validity ---------------------------------------------------------------------------------

bool TQelGueltigkeit::Active() const
{
    const std::string today = QelIsoDate(QelToday());
    TQelField* from = FieldList()->FieldByName("GueltigAb");
    TQelField* to = FieldList()->FieldByName("GueltigBis");
    auto iso = [](TQelField* f) -> const std::string* {
        return f ? std::get_if<std::string>(&f->Value()) : nullptr;
    };
    if (const std::string* a = iso(from); a && *a > today)
        return false;
    if (const std::string* b = iso(to); b && *b < today)
        return false;
    return true;
}

bool TQelGueltigkeit::Standard() const
{
    TQelField* f = FieldList()->FieldByName("Standard");
    return f && f->AsBool();
}

void TQelGueltigkeit::set_Standard(bool v)
{
    if (TQelField* f = FieldList()->FieldByName("Standard"))
        f->set_AsBool(v);
}

void TQelGueltigkeit::Deactivate(double date, const std::string& reason)
{
    const double day = date == -2147483647.0 ? QelToday() : date;
    if (auto* to = dynamic_cast<TQelDateTimeField*>(FieldList()->FieldByName("GueltigBis")))
        to->set_AsString(QelIsoDate(day - 1));
    if (!reason.empty())
        SetErrorMessage(reason);
}
