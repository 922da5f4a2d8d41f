#include "binding/dataclasses.h"

#include <array>

namespace {

std::array<TQelDataClassEntry, static_cast<std::size_t>(TQelDataClass::Count)>& table()
{
    static std::array<TQelDataClassEntry, static_cast<std::size_t>(TQelDataClass::Count)> entries;
    return entries;
}

} // namespace

void QelRegisterDataClass(TQelDataClass slot, const TQelDataClassEntry& entry)
{
    table()[static_cast<std::size_t>(slot)] = entry;
}

void QelUnregisterDataClass(TQelDataClass slot)
{
    table()[static_cast<std::size_t>(slot)] = {};
}

const TQelDataClassEntry* QelFindDataClass(const TControl* c)
{
    if (!c)
        return nullptr;
    for (const auto& e : table())
        if (e.isA && e.isA(c))
            return &e;
    return nullptr;
}

const TQelDataClassEntry* QelFindFieldPathClass(const TControl* c)
{
    if (!c)
        return nullptr;
    for (const auto& e : table())
        if (e.isA && e.fieldPath && e.isA(c))
            return &e;
    return nullptr;
}

bool QelIsDataClass(const TControl* c, TQelDataClass slot)
{
    const TQelDataClassEntry& e = table()[static_cast<std::size_t>(slot)];
    return c && e.isA && e.isA(c);
}
