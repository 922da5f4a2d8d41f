#include "toolkit/registry.h"

#include <algorithm>
#include <stdexcept>

namespace {

struct Registry {
    std::vector<TComponentClass> classes;
    std::vector<std::pair<std::string, std::vector<std::string>>> pages; // page, class names
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

} // namespace

void RegisterClass(const TComponentClass& componentClass)
{
    auto& classes = TheRegistry().classes;
    for (const TComponentClass& c : classes)
        if (c.name == componentClass.name) {
            if (c.type && componentClass.type && *c.type != *componentClass.type)
                throw std::invalid_argument("Eine Klasse namens " + c.name + " ist bereits registriert");
            return;
        }
    classes.push_back(componentClass);
}

void RegisterComponents(const std::string& page, const std::vector<TComponentClass>& classes)
{
    auto& pages = TheRegistry().pages;
    auto it = std::find_if(pages.begin(), pages.end(), [&](auto& p) { return p.first == page; });
    if (it == pages.end()) {
        pages.push_back({ page, {} });
        it = pages.end() - 1;
    }
    for (const TComponentClass& c : classes) {
        RegisterClass(c);
        if (PageOfClass(c.name).empty())
            it->second.push_back(c.name);
    }
}

const TComponentClass* GetClass(const std::string& name)
{
    for (const TComponentClass& c : TheRegistry().classes)
        if (c.name == name)
            return &c;
    return nullptr;
}

TComponent* CreateComponent(const std::string& className, TComponent* owner)
{
    const TComponentClass* c = GetClass(className);
    return c && c->create ? c->create(owner) : nullptr;
}

std::vector<std::string> PalettePages()
{
    std::vector<std::string> names;
    for (auto& p : TheRegistry().pages)
        names.push_back(p.first);
    return names;
}

std::vector<TComponentClass> PaletteClasses(const std::string& page)
{
    std::vector<TComponentClass> result;
    for (auto& p : TheRegistry().pages)
        if (p.first == page)
            for (const std::string& name : p.second)
                if (const TComponentClass* c = GetClass(name))
                    result.push_back(*c);
    return result;
}

std::string PageOfClass(const std::string& name)
{
    for (auto& p : TheRegistry().pages)
        if (std::find(p.second.begin(), p.second.end(), name) != p.second.end())
            return p.first;
    return {};
}
