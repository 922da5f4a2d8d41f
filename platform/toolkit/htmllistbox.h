#pragma once
// THTMListBox: a list box whose items are mini-HTML (see minihtml.h): bold, grey, struck-out
// texts and the like are drawn as mark-up, the rest as plain text.
#include "toolkit/listbox.h"

class THTMListBox : public TCustomListBox {
public:
    explicit THTMListBox(TComponent* owner);
    // The item under a client point (-1: none).
    int ItemAtPos(int x, int y) const;
    // The client rectangle of item `index` (empty when it is not shown).
    TRect ItemRect(int index) const;
};
