#pragma once
// The data-control classes the binding walk knows, in the fixed order in which it tests a child.
// Each control unit registers its class in its slot when the package initialises
// (QelObjCntrl::Initialize, which the application calls at start); a slot whose class is not
// registered is skipped, so new classes take their place without changing the walk.
#include "binding/objdb.h"
#include "binding/toolkit.h"

#include <string>

enum class TQelDataClass {
    Edit,
    Memo,
    AdvMemo,
    Combo,
    CheckBox,
    CheckGroup,
    CheckList,
    RadioGroup,
    GradientLabel,
    EditGrid,
    DetailGrid,
    ListView,
    DocVecView,
    Panel,
    TabControl,
    VectorList,
    PageControl,
    HTMLStaticText,
    VectorGrid,
    DataMultiEdit,
    TreeCombo,
    RevVectorGrid,
    FTMemo,
    Count
};

struct TQelDataClassEntry {
    std::string className;
    // Whether the control is of the class or derives from it.
    bool (*isA)(const TControl*) = nullptr;
    // The class's ConnectFL (the walk's handler for it).
    int (*connect)(TControl*, TQelFieldList*, bool onlyIfUnconnected) = nullptr;
    // The class's own FieldPath; none for classes whose path the framework does not read.
    std::string (*fieldPath)(const TControl*) = nullptr;
};

// Registers `entry` in `slot` (replacing an earlier registration).
void QelRegisterDataClass(TQelDataClass slot, const TQelDataClassEntry& entry);
void QelUnregisterDataClass(TQelDataClass slot);
// The registered entry of the first slot whose class `c` is or derives from; none otherwise.
const TQelDataClassEntry* QelFindDataClass(const TControl* c);
// The same over the slots whose classes have a FieldPath.
const TQelDataClassEntry* QelFindFieldPathClass(const TControl* c);

// The usual entry of a control class T with ConnectFL(fl, flag) and get_FieldPath().
template <class T> TQelDataClassEntry QelDataClassEntry(std::string className, bool withFieldPath = true)
{
    TQelDataClassEntry e;
    e.className = std::move(className);
    e.isA = [](const TControl* c) { return dynamic_cast<const T*>(c) != nullptr; };
    e.connect
        = [](TControl* c, TQelFieldList* fl, bool flag) { return static_cast<T*>(c)->ConnectFL(fl, flag); };
    if (withFieldPath)
        e.fieldPath
            = [](const TControl* c) { return std::string(static_cast<const T*>(c)->get_FieldPath()); };
    return e;
}

// Whether `c` is of the class registered in `slot` (false while none is registered).
bool QelIsDataClass(const TControl* c, TQelDataClass slot);
