#pragma once
// TQelPageControl: a page control whose pages' controls show one sub-object or vector element
// (or, with an empty FieldPath, the field list it is given). The binding walk connects it.
#include "controls/qelpagebinding.h"

#include "toolkit/comctrls.h"

class TQelPageControl : public TQelPageBinding<TPageControl> {
public:
    explicit TQelPageControl(TComponent* owner);
};
