#pragma once
// Component classes by name: the palette pages that RegisterComponents fills (read by the
// designer plugin) and the class registry that creates components from a class name.
#include "toolkit/component.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <typeinfo>
#include <vector>

struct TComponentClass {
    std::string name;
    const std::type_info* type = nullptr;
    std::function<TComponent*(TComponent* owner)> create;
};

template <class T> TComponentClass ComponentClass()
{
    return { DemangledClassName(typeid(T)), &typeid(T),
        [](TComponent* owner) -> TComponent* { return new T(owner); } };
}

// Puts the classes on a palette page (and into the class registry). Registering a class again
// changes nothing; another class under a name already taken raises std::invalid_argument.
void RegisterComponents(const std::string& page, const std::vector<TComponentClass>& classes);
// Into the class registry only.
void RegisterClass(const TComponentClass& componentClass);

// nullptr when unknown.
const TComponentClass* GetClass(const std::string& name);
// A new component of the named class, or nullptr when the class is unknown.
TComponent* CreateComponent(const std::string& className, TComponent* owner);
// Palette pages in the order they were first used, and a page's classes in registration order.
std::vector<std::string> PalettePages();
std::vector<TComponentClass> PaletteClasses(const std::string& page);
// The page a class is on ("" when it is on none).
std::string PageOfClass(const std::string& name);
