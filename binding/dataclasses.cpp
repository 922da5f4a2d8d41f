#include "binding/dataclasses.h"

#include "QelObjCntrl.h"

#include <array>

namespace {

std::array<TQelDataClassEntry, static_cast<std::size_t>(TQelDataClass::Count)>& table()
{
    static std::array<TQelDataClassEntry, static_cast<std::size_t>(TQelDataClass::Count)> entries;
    return entries;
}

// The walk needs the classes registered: make sure the package has initialised its units.
const auto& registered()
{
    QelObjCntrl::Initialize();
    return table();
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
    for (const auto& e : registered())
        if (e.isA && e.isA(c))
            return &e;
    return nullptr;
}

const TQelDataClassEntry* QelFindFieldPathClass(const TControl* c)
{
    if (!c)
        return nullptr;
    for (const auto& e : registered())
        if (e.isA && e.fieldPath && e.isA(c))
            return &e;
    return nullptr;
}

bool QelIsDataClass(const TControl* c, TQelDataClass slot)
{
    const TQelDataClassEntry& e = registered()[static_cast<std::size_t>(slot)];
    return c && e.isA && e.isA(c);
}
