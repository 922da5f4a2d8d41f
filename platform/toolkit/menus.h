#pragma once
// Menus: items with caption, shortcut, check marks, radio groups and sub-menus; popup menus
// shown on a control's context-menu request; shortcuts from and to text (German key names).
#include "toolkit/component.h"
#include "toolkit/tkdefs.h"
#include "toolkit/tkevent.h"

#include <memory>
#include <string>
#include <vector>

class QMenu;
class TMenu;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    // "-" makes the item a separator.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption) { caption_ = caption; }
    bool IsLine() const { return caption_ == "-"; }
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut) { shortCut_ = shortCut; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { enabled_ = v; }
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    bool Checked() const { return checked_; }
    // Checking a radio item unchecks the radio items of its group beside it.
    void SetChecked(bool v);
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool v) { radioItem_ = v; }
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int v) { groupIndex_ = v; }
    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool v) { autoCheck_ = v; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v) { imageIndex_ = v; }
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint) { hint_ = hint; }
    bool Default() const { return default_; }
    void SetDefault(bool v) { default_ = v; }

    // Sub-items.
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const;
    TMenuItem* operator[](int index) const { return Items(index); }
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    // Removes without freeing.
    void Remove(TMenuItem* item);
    // Removes and frees.
    void Delete(int index);
    void Clear();
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* Parent() const { return parent_; }
    int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
    TMenu* GetParentMenu() const;
    // The sub-item whose caption (without '&') matches, ignoring case; nullptr when none.
    TMenuItem* Find(const std::string& caption) const;

    // Toggles an auto-check item and runs OnClick.
    virtual void Click();
    TNotifyEvent OnClick;

private:
    friend class TMenu;
    std::string caption_;
    TShortCut shortCut_ = 0;
    bool enabled_ = true;
    bool visible_ = true;
    bool checked_ = false;
    bool radioItem_ = false;
    bool autoCheck_ = false;
    bool default_ = false;
    int groupIndex_ = 0;
    int imageIndex_ = -1;
    std::string hint_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;
    std::vector<TMenuItem*> items_;
};

class TMenu : public TComponent {
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;
    // The root item; the menu's entries are its sub-items.
    TMenuItem* Items() const { return items_; }
    // Runs the enabled, visible item with this shortcut; true when one was found.
    bool IsShortCut(TShortCut shortCut);
    // The item with this shortcut (searching sub-menus), or nullptr.
    TMenuItem* FindItemByShortCut(TShortCut shortCut) const;

private:
    TMenuItem* items_;
};

class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    // Shows the menu at screen position x, y without waiting (OnPopup runs first).
    virtual void Popup(int x, int y);
    void CloseMenu();
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool v) { autoPopup_ = v; }
    // The control whose context-menu request opened the menu.
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* c) { popupComponent_ = c; }
    // The Qt menu while it is shown (tests pick actions from it), else nullptr.
    QMenu* Handle() const;

    TNotifyEvent OnPopup;

protected:
    virtual void DoPopup();

private:
    bool autoPopup_ = true;
    TComponent* popupComponent_ = nullptr;
    struct Shown;
    std::unique_ptr<Shown> shown_;
};

// "Strg+N", "Ctrl+Shift+F5", "Entf", "Umsch+Einfg", ...; 0 for a text that names no key.
TShortCut TextToShortCut(const std::string& text);
// German key names: "Umsch+Strg+X", "Entf", "F5".
std::string ShortCutToText(TShortCut shortCut);
