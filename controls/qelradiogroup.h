#pragma once
// TQelRadioGroup: a choice field (3008) or a boolean field (3004) as one radio button per domain
// entry. A click writes the chosen entry at once.
#include "binding/qeldatacontrol.h"

#include "toolkit/htmlgroups.h"

#include <memory>
#include <string>

class TQelRadioGroup : public TQelDataControl<THTMLRadioGroup> {
public:
    explicit TQelRadioGroup(TComponent* owner);

    // Leaves out the null entry of a field that is not mandatory.
    bool get_ExcludeNullValue() const { return excludeNull_; }
    void set_ExcludeNullValue(bool v);
    // Captions for the items: a line "entry=caption" renames that entry; otherwise line i (without
    // "=") is the caption of item i.
    const TStrings& get_ItemMapping() const { return *mapping_; }
    void set_ItemMapping(const TStrings* mapping);

    // The item of the stored value (-1: none), and storing an item.
    int read() const;
    void write(int index);
    void set_mark(bool mark, int index, TColor color, unsigned flags);

protected:
    void Click() override;
    void DoEnter() override;
    void DoExit() override;

private:
    bool isBoolean() const;
    void loadItems();
    std::unique_ptr<TStringList> mapping_;
    bool excludeNull_ = false;
    int offset_ = 0;
};
