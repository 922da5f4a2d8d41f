#pragma once
// The tool bar: a strip of flat tool buttons laid out left to right in the order they were put
// on it (other children are not placed by it). A tool button can mirror a menu item: it shows the item's
// caption (as text and hint) and image index, and a click runs the item.
#include "toolkit/stdctrls.h"

#include <string>

class TMenuItem;

class TToolButton : public TButton {
public:
    explicit TToolButton(TComponent* owner);

    TMenuItem* MenuItem() const { return menuItem_; }
    // Takes the item's caption, hint and image index; nullptr lets the button go.
    void SetMenuItem(TMenuItem* item);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index) { imageIndex_ = index; }
    // Runs the mirrored item's click (when it is enabled), else the button's own.
    void Click() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TMenuItem* menuItem_ = nullptr;
    int imageIndex_ = -1;
};

class TToolBar : public TCustomControl {
public:
    explicit TToolBar(TComponent* owner);

    // A new button at the right end, owned by the bar.
    TToolButton* AddButton(const std::string& caption, const std::string& hint = "");
    int ButtonCount() const;
    // The index-th tool button on the bar (in the order they were put on it); nullptr outside.
    TToolButton* Buttons(int index) const;
    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int width);

protected:
    void AlignControls(TRect& rect) override;

private:
    int buttonWidth_ = 0; // 0: as wide as the caption needs
};
