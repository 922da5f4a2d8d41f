#pragma once
// THTMLTreeview: a tree view whose node texts may carry the mini-HTML of the grids and lists
// (<B>, <I>, <U>, <S>, <FONT color>, <E>); plain texts are drawn as in TTreeView.
#include "toolkit/treeview.h"

class THTMLTreeview : public TTreeView {
public:
    explicit THTMLTreeview(TComponent* owner);
};
