#include "toolkit/component.h"

#include <QtGlobal>
#include <algorithm>
#include <cxxabi.h>
#include <memory>
#include <strings.h>
#include <typeinfo>

namespace {

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

} // namespace

std::string DemangledClassName(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    std::string name = status == 0 && demangled ? std::string(demangled.get()) : std::string(type.name());
    // Classes are known by their plain name, whatever namespace they live in.
    if (name.find('<') == std::string::npos)
        if (size_t pos = name.rfind("::"); pos != std::string::npos)
            name.erase(0, pos + 2);
    return name;
}

std::string TObject::ClassName() const
{
    return DemangledClassName(typeid(*this));
}

TComponent::TComponent(TComponent* owner)
{
    Publish<&TComponent::Name, &TComponent::SetName>("Name");
    Publish<&TComponent::Tag, &TComponent::SetTag>("Tag");
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    for (TComponent* c : std::vector<TComponent*>(freeNotifies_)) {
        c->RemoveFreeNotification(this);
        c->Notification(this, opRemove);
    }
    // Owned components go last-created first.
    while (!components_.empty()) {
        TComponent* c = components_.back();
        c->Destroying();
        delete c; // removes itself from components_
    }
    if (owner_)
        owner_->RemoveComponent(this);
}

void TComponent::SetName(const std::string& name)
{
    name_ = name;
}

TComponent* TComponent::GetComponent(int index) const
{
    return index >= 0 && index < GetComponentCount() ? components_[static_cast<size_t>(index)] : nullptr;
}

int TComponent::ComponentIndex() const
{
    if (!owner_)
        return -1;
    auto& list = owner_->components_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name))
            return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->owner_ == this)
        return;
    if (component->owner_)
        component->owner_->RemoveComponent(component);
    components_.push_back(component);
    component->owner_ = this;
    if (state_.Contains(csLoading))
        component->state_ << csLoading;
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    auto it = std::find(components_.begin(), components_.end(), component);
    if (it == components_.end())
        return;
    // Owner and siblings hear of it first, as with the classic owner notification.
    Notification(component, opRemove);
    components_.erase(std::find(components_.begin(), components_.end(), component));
    component->owner_ = nullptr;
}

void TComponent::BeginLoading()
{
    state_ << csLoading;
    for (TComponent* c : components_)
        c->BeginLoading();
}

void TComponent::EndLoading()
{
    if (!state_.Contains(csLoading))
        return;
    // Every component of the form exists now: references named while loading can be found.
    ResolveReferences();
    Loaded();
    for (TComponent* c : std::vector<TComponent*>(components_))
        c->EndLoading();
}

void TComponent::Loaded()
{
    state_ >> csLoading;
}

void TComponent::Destroying()
{
    state_ << csDestroying;
}

void TComponent::Notification(TComponent*, TOperation)
{
}

void TComponent::FreeNotification(TComponent* c)
{
    if (!c || c == this)
        return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), c) == freeNotifies_.end())
        freeNotifies_.push_back(c);
    if (std::find(c->freeNotifies_.begin(), c->freeNotifies_.end(), this) == c->freeNotifies_.end())
        c->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* c)
{
    std::erase(freeNotifies_, c);
    if (c)
        std::erase(c->freeNotifies_, this);
}

const TComponent::PropInfo* TComponent::FindProp(std::string_view name) const
{
    for (auto it = props_.rbegin(); it != props_.rend(); ++it)
        if (SameText(it->name, name))
            return &*it;
    return nullptr;
}

void TComponent::AddProp(PropInfo info)
{
    for (auto& p : props_)
        if (SameText(p.name, info.name)) {
            p = info;
            return;
        }
    props_.push_back(info);
}

bool TComponent::IsPublishedProp(std::string_view name) const
{
    return FindProp(name) != nullptr;
}

TPropValue TComponent::GetPropValue(std::string_view name) const
{
    const PropInfo* p = FindProp(name);
    if (!p)
        return TPropValue();
    if (p->assign)
        for (const PendingReference& r : pendingRefs_)
            if (r.prop == p->name)
                return TPropValue(r.name);
    return p->get(this);
}

bool TComponent::SetPropValue(std::string_view name, const TPropValue& value)
{
    const PropInfo* p = FindProp(name);
    if (p && p->assign)
        return SetReference(*p, value.AsString());
    if (!p || !p->set)
        return false;
    return p->set(this, value);
}

bool TComponent::IsReadOnlyProp(std::string_view name) const
{
    const PropInfo* p = FindProp(name);
    return p && !p->set && !p->assign;
}

bool TComponent::SetReference(const PropInfo& prop, const std::string& name)
{
    std::erase_if(pendingRefs_, [&](const PendingReference& r) { return r.prop == prop.name; });
    if (name.empty())
        return prop.assign(this, nullptr);
    if (state_.Contains(csLoading)) {
        pendingRefs_.push_back({ prop.name, name });
        return true;
    }
    TComponent* target = owner_ ? owner_->FindComponent(name) : nullptr;
    if (target && prop.assign(this, target))
        return true;
    prop.assign(this, nullptr);
    return false;
}

void TComponent::ResolveReferences()
{
    const std::vector<PendingReference> pending = std::move(pendingRefs_);
    pendingRefs_.clear();
    for (const PendingReference& r : pending) {
        const PropInfo* p = FindProp(r.prop);
        if (!p || !p->assign)
            continue;
        TComponent* target = owner_ ? owner_->FindComponent(r.name) : nullptr;
        if (target && p->assign(this, target))
            continue;
        p->assign(this, nullptr);
        const std::string prop(r.prop);
        qWarning("Komponente \"%s\" für %s.%s nicht gefunden", r.name.c_str(),
            (name_.empty() ? ClassName() : name_).c_str(), prop.c_str());
    }
}

std::vector<std::string> TComponent::PublishedPropNames() const
{
    std::vector<std::string> names;
    for (auto& p : props_)
        names.emplace_back(p.name);
    return names;
}

TPropType TComponent::PublishedPropType(std::string_view name) const
{
    const PropInfo* p = FindProp(name);
    return p ? p->type : TPropType {};
}

void TComponent::AddMethod(MethodInfo info)
{
    for (auto& m : methods_)
        if (SameText(m.name, info.name)) {
            m = info;
            return;
        }
    methods_.push_back(info);
}

bool TComponent::HasPublishedMethod(std::string_view name) const
{
    for (const auto& m : methods_)
        if (SameText(m.name, name))
            return true;
    return false;
}

bool TComponent::InvokePublishedMethod(std::string_view name, TObject* sender)
{
    for (const auto& m : methods_)
        if (SameText(m.name, name)) {
            m.call(this, sender);
            return true;
        }
    return false;
}

bool IsPublishedProp(const TObject* instance, std::string_view name)
{
    auto* c = dynamic_cast<const TComponent*>(instance);
    return c && c->IsPublishedProp(name);
}

TPropValue GetPropValue(const TObject* instance, std::string_view name)
{
    auto* c = dynamic_cast<const TComponent*>(instance);
    return c ? c->GetPropValue(name) : TPropValue();
}

bool SetPropValue(TObject* instance, std::string_view name, const TPropValue& value)
{
    auto* c = dynamic_cast<TComponent*>(instance);
    return c && c->SetPropValue(name, value);
}

std::string SetToText(std::uint64_t bits, const char* const* names, std::size_t count)
{
    std::string text = "[";
    for (std::size_t i = 0; i < count && i < 64; ++i)
        if (bits & (std::uint64_t(1) << i)) {
            if (text.size() > 1)
                text += ',';
            text += names[i];
        }
    text += ']';
    return text;
}

int TextToEnum(std::string_view text, const char* const* names, std::size_t count)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (const auto scope = text.rfind("::"); scope != std::string_view::npos)
        text.remove_prefix(scope + 2);
    for (std::size_t i = 0; i < count; ++i)
        if (SameText(names[i], text))
            return static_cast<int>(i);
    return -1;
}

bool TextToSet(std::string_view text, const char* const* names, std::size_t count, std::uint64_t& bits)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    auto trim = [&](std::string_view s) {
        while (!s.empty() && blank(s.front()))
            s.remove_prefix(1);
        while (!s.empty() && blank(s.back()))
            s.remove_suffix(1);
        return s;
    };
    text = trim(text);
    const bool open = !text.empty() && text.front() == '[';
    const bool close = !text.empty() && text.back() == ']';
    if (open != close || (open && text.size() < 2))
        return false;
    if (open)
        text = trim(text.substr(1, text.size() - 2));
    std::uint64_t result = 0;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view item = trim(text.substr(0, comma));
        std::size_t i = 0;
        while (i < count && i < 64 && !SameText(item, names[i]))
            ++i;
        if (i == count || i == 64)
            return false;
        result |= std::uint64_t(1) << i;
        if (comma == std::string_view::npos)
            break;
        text = text.substr(comma + 1);
        if (trim(text).empty())
            return false; // a trailing comma
    }
    bits = result;
    return true;
}
