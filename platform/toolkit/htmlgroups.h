#pragma once
// Groups of HTML-captioned buttons in a framed box: the radio group (one item chosen) and the
// check group (each item checked on its own), and the check list box (a list whose items carry
// a check box). The user's clicks and the space key toggle; the program's changes do not run the
// click handlers.
#include "toolkit/classes.h"
#include "toolkit/htmlctrls.h"
#include "toolkit/listbox.h"
#include "toolkit/wincontrol.h"

#include <memory>
#include <string>
#include <vector>

// The frame, the caption and the items laid out in columns, one button per item.
class TCustomHTMLGroup : public TCustomControl {
public:
    explicit TCustomHTMLGroup(TComponent* owner);
    ~TCustomHTMLGroup() override;

    // Item captions (mark-up as in THTMLCheckBox); changing them rebuilds the buttons.
    TStrings& Items();
    const TStrings& Items() const;
    void SetItems(const TStrings& items);
    int Columns() const { return columns_; }
    void SetColumns(int v);
    TButtonType ButtonType() const { return buttonType_; }
    void SetButtonType(TButtonType t);

protected:
    // The user toggled the button of `index`.
    virtual void ItemToggled(int index) = 0;
    // A button was created for `index` (set its state).
    virtual void ItemsRebuilt() { }
    bool ButtonChecked(int index) const;
    void SetButtonChecked(int index, bool v);
    void SetButtonLook(int index, bool readOnly);
    // Whether buttons are radio buttons.
    virtual bool Radio() const = 0;
    std::string GetText() const override;
    void SetTextBuf(const std::string& text) override;
    void BoundsChanged() override;
    void ApplyFont() override;
    void Rebuild();
    // The button of `index` takes the group's focus (Tab into the group lands on it).
    void itemFocused(int index);

private:
    void Layout();
    // An arrow key on the button of `index`: the focus goes to the neighbour `step` away
    // (wrapping round); in a radio group it chooses that item as well.
    void itemArrow(int index, int step);
    std::unique_ptr<TStringList> items_;
    std::vector<QWidget*> buttons_;
    std::string caption_;
    int columns_ = 1;
    TButtonType buttonType_ = btClassic;
};

class THTMLRadioGroup : public TCustomHTMLGroup {
public:
    explicit THTMLRadioGroup(TComponent* owner);

    // The chosen item (-1: none). Setting it does not run Click.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);

protected:
    // The user chose another item.
    virtual void Click() override;
    void ItemToggled(int index) override;
    void ItemsRebuilt() override;
    bool Radio() const override { return true; }

private:
    int itemIndex_ = -1;
};

class THTMLCheckGroup : public TCustomHTMLGroup {
public:
    explicit THTMLCheckGroup(TComponent* owner);

    bool Checked(int index) const;
    // Does not run Click.
    void SetChecked(int index, bool v);
    // A read-only item ignores the user.
    bool ItemReadOnly(int index) const;
    void SetItemReadOnly(int index, bool v);
    // The item the user toggled last (-1 before the first click).
    int ClickedIndex() const { return clicked_; }

protected:
    // The user toggled an item (ClickedIndex).
    virtual void Click() override;
    void ItemToggled(int index) override;
    void ItemsRebuilt() override;
    bool Radio() const override { return false; }

private:
    std::vector<bool> checked_;
    std::vector<bool> readOnly_;
    int clicked_ = -1;
};

class TCheckListBox : public TCustomListBox {
public:
    explicit TCheckListBox(TComponent* owner);

    bool Checked(int index) const;
    // Does not run ClickCheck.
    void SetChecked(int index, bool v);

    TNotifyEvent OnClickCheck;

protected:
    // The user checked or unchecked an item.
    virtual void ClickCheck();

private:
    bool settingChecks_ = false;
};
