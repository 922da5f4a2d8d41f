#pragma once
// List boxes: a list of texts with attached objects, single or multiple selection, and a fixed
// item height.
#include "toolkit/classes.h"
#include "toolkit/wincontrol.h"

#include <memory>
#include <string>

class TCustomListBox : public TWinControl {
public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;

    // The items; changing them updates the list at once (an update block rebuilds it once).
    TStrings& Items();
    const TStrings& Items() const;
    void SetItems(const TStrings& items);
    int Count() const { return Items().Count(); }

    // The current item (-1: none). In a single-selection list it is the selected item.
    int ItemIndex() const;
    void SetItemIndex(int index);
    bool MultiSelect() const { return multiSelect_; }
    // Switching multiple selection off keeps only the current item selected.
    void SetMultiSelect(bool v);
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    int SelCount() const;
    void ClearSelection();
    void SelectAll();

    // Height of every item in pixels.
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    bool Sorted() const;
    void SetSorted(bool v);
    void Clear() { Items().Clear(); }

    TNotifyEvent OnChange;

protected:
    TCustomListBox(TComponent* owner, QWidget* widget);
    // The selection or the current item changed by the user.
    virtual void Change();
    void ApplyColor() override;

private:
    class TListBoxItems;
    void Init();
    std::unique_ptr<TListBoxItems> items_;
    bool multiSelect_ = false;
    int itemHeight_ = 16;
    bool settingSelection_ = false;
};

class TListBox : public TCustomListBox {
public:
    explicit TListBox(TComponent* owner);
};
