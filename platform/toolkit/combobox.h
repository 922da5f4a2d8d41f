#pragma once
// Combo boxes: an item list with attached objects, shown as drop-down (editable text), simple
// (editable text, no list to drop) or drop-down list (choice only).
//
// Hooks in the classic order: DropDown before the list shows, CloseUp after it closed, Select
// when the user picks an item (by mouse or keys; Select runs OnSelect, or Change when there is
// none), Change when the user edits the text. Setting Text, ItemIndex or the items from code
// runs none of them.
#include "toolkit/classes.h"
#include "toolkit/wincontrol.h"

#include <memory>
#include <string>

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
inline constexpr const char* kComboBoxStyleNames[]
    = { "csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable" };
static_assert(std::size(kComboBoxStyleNames) == csOwnerDrawVariable + 1);

class TCustomCombo : public TWinControl {
public:
    ~TCustomCombo() override;

    // The items; changing them updates the list at once.
    TStrings& Items();
    const TStrings& Items() const;
    virtual void SetItems(const TStrings& items);
    int ItemIndex() const;
    void SetItemIndex(int index);
    TComboBoxStyle Style() const { return style_; }
    virtual void SetStyle(TComboBoxStyle style);
    // Drop-down and simple styles have an edit field.
    bool Editable() const { return style_ == csDropDown || style_ == csSimple; }
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int n);
    bool DroppedDown() const;
    void SetDroppedDown(bool v);
    // Width of the dropped list in pixels (0: the control's width).
    int DropWidth() const { return dropWidth_; }
    void SetDropWidth(int width);
    bool Sorted() const;
    void SetSorted(bool v);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int n);

    // Selection in the edit field, in characters.
    int SelStart() const;
    void SetSelStart(int v);
    int SelLength() const;
    void SetSelLength(int v);
    std::string SelText() const;
    void SetSelText(const std::string& text);
    void SelectAll();

    // Empties text and items.
    virtual void Clear();
    // Width in pixels that `text` takes in the control's font.
    int TextWidth(const std::string& text) const;

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

protected:
    TCustomCombo(TComponent* owner, QWidget* widget);

    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();

    std::string GetText() const override;
    void SetTextBuf(const std::string& text) override;
    void DefaultHandler(TMessage& message) override;
    void ApplyColor() override;

private:
    class TComboItems;
    void Init();
    std::unique_ptr<TComboItems> items_;
    TComboBoxStyle style_ = csDropDown;
    int dropDownCount_ = 8;
    int dropWidth_ = 0;
    int maxLength_ = 0;
};

class TCustomComboBox : public TCustomCombo {
public:
    explicit TCustomComboBox(TComponent* owner);

protected:
    TCustomComboBox(TComponent* owner, QWidget* widget);
};

class TComboBox : public TCustomComboBox {
public:
    explicit TComboBox(TComponent* owner);
};
