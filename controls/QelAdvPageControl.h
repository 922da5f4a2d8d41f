#pragma once
// TQelAdvPageControl: the same binding on the toolkit's advanced page control. The binding walk
// does not connect it itself: it descends into its pages and binds their controls to the outer
// field list; its own ConnectFL runs when the application calls it.
#include "controls/qelpagebinding.h"

#include "toolkit/tabctrl.h"

class TQelAdvPageControl : public TQelPageBinding<TAdvPageControl> {
public:
    explicit TQelAdvPageControl(TComponent* owner);
};
