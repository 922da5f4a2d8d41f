#pragma once
// Root classes of the toolkit: TObject (class name and class test), TComponent (name, owner, tag,
// owned components, loading state, published properties by name).
#include "toolkit/propvalue.h"
#include "toolkit/tkdefs.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <vector>

// The plain name of a class ("TAdvEdit"), without namespaces.
std::string DemangledClassName(const std::type_info& type);

class TStringList;

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // The name of the object's class, e.g. "TAdvEdit".
    std::string ClassName() const;
    // Whether the object is of class T or derives from it.
    template <class T> bool InheritsFrom() const { return dynamic_cast<const T*>(this) != nullptr; }
};

enum TComponentStateValue { csLoading, csReading, csWriting, csDestroying, csDesigning, csUpdating };
using TComponentState = TSet<TComponentStateValue>;
enum TOperation { opInsert, opRemove };

// What a published property holds beyond its value, for form designers: a plain value, an option
// set (value "[a,b]", element i is bit 1 << i), an enumeration (an integer, element i is value
// i), lines (one text, the lines ended by line breaks) or a reference to another component of
// the same owner (its Name, empty for none). `names` names the elements of a set or an
// enumeration in the order of its C++ enumeration.
enum class TPropKind { Value, Set, Enum, Lines, Component };
struct TPropType {
    TPropKind kind = TPropKind::Value;
    const char* const* names = nullptr;
    std::size_t count = 0;
};

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    virtual void SetName(const std::string& name);
    std::intptr_t Tag() const { return tag_; }
    void SetTag(std::intptr_t tag) { tag_ = tag; }
    TComponentState ComponentState() const { return state_; }

    // Owned components, in the order they were created.
    int GetComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* GetComponent(int index) const;
    int ComponentIndex() const;
    // The owned component with this name (ignoring case), or nullptr.
    TComponent* FindComponent(std::string_view name) const;
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    // Loading: while a form builds its components it is "loading"; EndLoading clears the state and
    // calls Loaded() on this component and, in creation order, on every owned one.
    void BeginLoading();
    void EndLoading();
    // Marks the component as being destroyed. Owners and parents call it before they free a
    // component; a class that tests csDestroying in its own destructor calls it first.
    void Destroying();

    // Asks to be told (through Notification(c, opRemove)) when `c` is destroyed.
    void FreeNotification(TComponent* c);
    void RemoveFreeNotification(TComponent* c);

    // Published properties by name (names ignore case).
    bool IsPublishedProp(std::string_view name) const;
    TPropValue GetPropValue(std::string_view name) const;
    // False when there is no such property or it is read-only.
    bool SetPropValue(std::string_view name, const TPropValue& value);
    bool IsReadOnlyProp(std::string_view name) const;
    std::vector<std::string> PublishedPropNames() const;
    // What the property holds; a plain value for unknown names.
    TPropType PublishedPropType(std::string_view name) const;
    // Published methods by name (names ignore case), each taking the sender, as run-time type
    // information offers them to code that knows a class only by name. False when there is none.
    bool HasPublishedMethod(std::string_view name) const;
    bool InvokePublishedMethod(std::string_view name, TObject* sender);

protected:
    virtual void Loaded();
    virtual void Notification(TComponent* component, TOperation operation);

    // Publishes a property through its accessors, e.g.
    //   Publish<&TQelEdit::get_FieldPath, &TQelEdit::set_FieldPath>("FieldPath");
    // A later Publish of the same name replaces the earlier one. `name` must be a literal.
    template <auto Getter, auto Setter = nullptr> void Publish(const char* name);
    // Publishes an option set as the text "[eoHideTime,eoLabelLook]"; `Names` names the elements
    // in the order of their enumeration, e.g.
    //   PublishSet<&TQelEdit::get_EditOptions, &TQelEdit::set_EditOptions, kQelEditOptionNames>(...)
    // Writing a text that names an unknown element changes nothing and fails.
    template <auto Getter, auto Setter, const auto& Names> void PublishSet(const char* name);
    // Publishes an enumeration: read as its integer, written as the integer or as the element's
    // name (ignoring case, with or without a "Class::" scope); `Names` as for PublishSet. A value
    // outside the enumeration changes nothing and fails.
    template <auto Getter, auto Setter, const auto& Names> void PublishEnum(const char* name);
    // Publishes a list of lines (a TStrings property) as one text with a line break after each
    // line; written, the text's lines replace the list (the setter takes the list by reference,
    // or by pointer and copies it).
    template <auto Getter, auto Setter> void PublishLines(const char* name);
    // Publishes a reference to another component, read and written as that component's Name
    // (empty: none). Outside loading a written name is looked up at once among the components of
    // the same owner; an unknown name, or one of a component of another class, clears the
    // reference and fails. While loading the name is kept and looked up when loading ends (an
    // unknown one is reported as a warning and leaves the reference empty), so that a form may
    // name a component it creates later.
    template <auto Getter, auto Setter> void PublishComponent(const char* name);
    // Publishes a method `void M(TObject* sender)`. `name` must be a literal.
    template <auto Method> void PublishMethod(const char* name)
    {
        using C = typename MemberClass<decltype(Method)>::Class;
        AddMethod({ name, [](TComponent* c, TObject* sender) { (static_cast<C*>(c)->*Method)(sender); } });
    }

private:
    struct MethodInfo {
        std::string_view name;
        void (*call)(TComponent*, TObject*);
    };
    void AddMethod(MethodInfo info);

    struct PropInfo {
        std::string_view name;
        TPropValue (*get)(const TComponent*);
        bool (*set)(TComponent*, const TPropValue&);
        TPropType type {};
        // References only: sets the referenced component (nullptr for none); false, changing
        // nothing, when `target` is of a class the property cannot hold.
        bool (*assign)(TComponent*, TComponent*) = nullptr;
    };
    const PropInfo* FindProp(std::string_view name) const;
    void AddProp(PropInfo info);
    bool SetReference(const PropInfo& prop, const std::string& name);
    void ResolveReferences();

    // Reference names written while loading, looked up when loading ends.
    struct PendingReference {
        std::string_view prop;
        std::string name;
    };

    template <class M> struct MemberClass;
    template <class C, class R> struct MemberClass<R (C::*)() const> {
        using Class = C;
        using Result = R;
    };
    template <class C, class R> struct MemberClass<R (C::*)()> {
        using Class = C;
        using Result = R;
    };
    template <class C, class A> struct MemberClass<void (C::*)(A)> {
        using Class = C;
        using Arg = std::remove_cvref_t<A>;
    };
    // Calls a getter on a const component; a non-const getter (a list handed out by reference)
    // is only read here.
    template <auto Getter> static decltype(auto) Read(const TComponent* c)
    {
        using C = typename MemberClass<decltype(Getter)>::Class;
        return (const_cast<C*>(static_cast<const C*>(c))->*Getter)();
    }
    // T, named only once the template using it is instantiated (TStringList is incomplete here).
    template <class, class T> struct Deferred {
        using Type = T;
    };

    TComponent* owner_ = nullptr;
    std::string name_;
    std::intptr_t tag_ = 0;
    TComponentState state_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    std::vector<PropInfo> props_;
    std::vector<MethodInfo> methods_;
    std::vector<PendingReference> pendingRefs_;
};

template <auto Getter, auto Setter> void TComponent::Publish(const char* name)
{
    using G = MemberClass<decltype(Getter)>;
    PropInfo info { name, nullptr, nullptr, {} };
    info.get = [](const TComponent* c) {
        return TPropValue::From((static_cast<const typename G::Class*>(c)->*Getter)());
    };
    if constexpr (!std::is_same_v<decltype(Setter), std::nullptr_t>) {
        using S = MemberClass<decltype(Setter)>;
        info.set = [](TComponent* c, const TPropValue& v) {
            (static_cast<typename S::Class*>(c)->*Setter)(v.template To<typename S::Arg>());
            return true;
        };
    }
    AddProp(info);
}

// An option set as text: the names of its elements in brackets, "[a,b]" ("[]" when empty).
std::string SetToText(std::uint64_t bits, const char* const* names, std::size_t count);
// Reads "[a, b]" or "a,b" (names ignore case, blanks around them are skipped); false, leaving
// `bits` alone, when an element is unknown or the brackets do not match.
bool TextToSet(std::string_view text, const char* const* names, std::size_t count, std::uint64_t& bits);

template <auto Getter, auto Setter, const auto& Names> void TComponent::PublishSet(const char* name)
{
    using G = MemberClass<decltype(Getter)>;
    using S = MemberClass<decltype(Setter)>;
    PropInfo info { name, nullptr, nullptr, { TPropKind::Set, Names, std::size(Names) } };
    info.get = [](const TComponent* c) {
        return TPropValue(SetToText(
            (static_cast<const typename G::Class*>(c)->*Getter)().ToInt(), Names, std::size(Names)));
    };
    info.set = [](TComponent* c, const TPropValue& v) {
        std::uint64_t bits = 0;
        if (!v.IsString()) {
            const auto n = static_cast<std::uint64_t>(v.AsInteger());
            const std::uint64_t all
                = std::size(Names) >= 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << std::size(Names)) - 1;
            if ((n & ~all) != 0)
                return false;
            bits = n;
        } else if (!TextToSet(v.AsString(), Names, std::size(Names), bits)) {
            return false;
        }
        (static_cast<typename S::Class*>(c)->*Setter)(S::Arg::FromInt(bits));
        return true;
    };
    AddProp(info);
}

// The index of the element named `text` (ignoring case, after an optional "Scope::"), or -1.
int TextToEnum(std::string_view text, const char* const* names, std::size_t count);

template <auto Getter, auto Setter, const auto& Names> void TComponent::PublishEnum(const char* name)
{
    using G = MemberClass<decltype(Getter)>;
    using S = MemberClass<decltype(Setter)>;
    PropInfo info { name, nullptr, nullptr, { TPropKind::Enum, Names, std::size(Names) } };
    info.get = [](const TComponent* c) {
        return TPropValue(static_cast<long long>((static_cast<const typename G::Class*>(c)->*Getter)()));
    };
    info.set = [](TComponent* c, const TPropValue& v) {
        const long long n = v.IsString() ? TextToEnum(v.AsString(), Names, std::size(Names)) : v.AsInteger();
        if (n < 0 || n >= static_cast<long long>(std::size(Names)))
            return false;
        (static_cast<typename S::Class*>(c)->*Setter)(static_cast<typename S::Arg>(n));
        return true;
    };
    AddProp(info);
}

template <auto Getter, auto Setter> void TComponent::PublishLines(const char* name)
{
    using S = MemberClass<decltype(Setter)>;
    PropInfo info { name, nullptr, nullptr, { TPropKind::Lines, nullptr, 0 } };
    info.get = [](const TComponent* c) { return TPropValue(Read<Getter>(c).Text()); };
    info.set = [](TComponent* c, const TPropValue& v) {
        typename Deferred<decltype(Setter), TStringList>::Type lines;
        lines.SetText(v.AsString());
        if constexpr (std::is_pointer_v<typename S::Arg>)
            (static_cast<typename S::Class*>(c)->*Setter)(&lines); // the setter copies the list
        else
            (static_cast<typename S::Class*>(c)->*Setter)(lines);
        return true;
    };
    AddProp(info);
}

template <auto Getter, auto Setter> void TComponent::PublishComponent(const char* name)
{
    using S = MemberClass<decltype(Setter)>;
    using Target = std::remove_pointer_t<typename S::Arg>;
    static_assert(std::is_pointer_v<typename S::Arg>, "a reference is set through a pointer");
    PropInfo info { name, nullptr, nullptr, { TPropKind::Component, nullptr, 0 } };
    info.get = [](const TComponent* c) {
        const TComponent* target = Read<Getter>(c);
        return TPropValue(target ? target->Name() : std::string());
    };
    info.assign = [](TComponent* c, TComponent* target) {
        auto* typed = dynamic_cast<Target*>(target);
        if (target && !typed)
            return false;
        (static_cast<typename S::Class*>(c)->*Setter)(typed);
        return true;
    };
    AddProp(info);
}

// The classic free functions over published properties; false / empty for objects that are not
// components or lack the property.
bool IsPublishedProp(const TObject* instance, std::string_view name);
TPropValue GetPropValue(const TObject* instance, std::string_view name);
bool SetPropValue(TObject* instance, std::string_view name, const TPropValue& value);
