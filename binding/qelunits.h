#pragma once
// The unit table of the package: each unit initialises (puts its data-control class in its slot of
// the binding walk, registers its editor links), finalises, and puts its components on the
// palette page. A control's row in the entry unit's table is one line:
//     QelDataControlUnit<TQelEdit, TQelDataClass::Edit>(),
//     QelComponentUnit<TQelAction>(),
// A class with a static UnitInitialize() / UnitFinalize() has them run after / before its slot is
// filled / emptied (the edit registers its grid link there).
#include "binding/dataclasses.h"

#include "toolkit/registry.h"

inline constexpr const char* QelPalettePage = "TelvoODB";

struct TQelUnit {
    void (*initialize)() = nullptr;
    void (*finalize)() = nullptr;
    void (*registerComponents)() = nullptr;
};

template <class... T> constexpr TQelUnit QelComponentUnit()
{
    TQelUnit u;
    u.registerComponents = [] { RegisterComponents(QelPalettePage, { ComponentClass<T>()... }); };
    return u;
}

template <class T, TQelDataClass Slot> constexpr TQelUnit QelDataControlUnit()
{
    TQelUnit u = QelComponentUnit<T>();
    u.initialize = [] {
        QelRegisterDataClass(Slot, QelDataClassEntry<T>(DemangledClassName(typeid(T))));
        if constexpr (requires { T::UnitInitialize(); })
            T::UnitInitialize();
    };
    u.finalize = [] {
        if constexpr (requires { T::UnitFinalize(); })
            T::UnitFinalize();
        QelUnregisterDataClass(Slot);
    };
    return u;
}
