#pragma once
// TQelCheckGroup: a set of choices as one check box per domain entry, stored either as a bit mask
// in a multi-choice field (3009; FieldProp empty) or as the elements of a vector whose choice
// field FieldProp names (one element per checked entry). Bit i is the check of item i (at most 32
// items); bits the domain does not know are kept as they are.
#include "binding/qeldatacontrol.h"

#include "toolkit/htmlgroups.h"

#include <cstdint>

class TQelCheckGroup : public TQelDataControl<THTMLCheckGroup> {
public:
    explicit TQelCheckGroup(TComponent* owner);

    std::int64_t read() const;
    void write(std::int64_t mask);
    void set_mark(bool mark, int index, TColor color, unsigned flags);

protected:
    void Click() override;
    void DoEnter() override;
    void DoExit() override;

private:
    void loadItems();
    void showMask();
    std::int64_t checkedMask() const;
    // The element choice field of a vector element (none for a field binding).
    TQelChoiceField* choiceOf(TQelFieldList* element) const;
    bool choiceMandatory() const;
};
