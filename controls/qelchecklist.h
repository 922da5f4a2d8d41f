#pragma once
// TQelCheckList: a multi-choice field in a check list box: a bit mask (3009) or a flag text with
// one "X" or "." per domain position (3018). The list may be sorted; the stored value always
// follows the domain positions.
#include "binding/qeldatacontrol.h"

#include "toolkit/htmlgroups.h"

#include <cstdint>
#include <vector>

class TQelCheckList : public TQelDataControl<TCheckListBox> {
public:
    explicit TQelCheckList(TComponent* owner);

    // Display position -> domain position, and back (-1 when absent).
    int s2p(int display) const;
    int p2s(int position) const;
    void set_mark(bool mark, int index, TColor color, unsigned flags);

protected:
    void ClickCheck() override;
    void DoEnter() override;
    void DoExit() override;

private:
    void loadItems();
    void read();
    void write();
    bool isFlags() const;
    std::vector<int> positions_; // by display position
};
