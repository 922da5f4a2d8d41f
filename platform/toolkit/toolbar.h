#pragma once
// TToolBar: a row of buttons on a panel, laid out left to right in the order they are added.
#include "toolkit/extctrls.h"

#include <string>
#include <vector>

class TButton;

class TToolBar : public TCustomPanel {
public:
    explicit TToolBar(TComponent* owner);

    // A new button at the right end; the bar owns it.
    TButton* AddButton(const std::string& caption, const std::string& hint = "");
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    // None outside 0 .. ButtonCount() - 1.
    TButton* Buttons(int index) const;
    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int width);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void layout();

    std::vector<TButton*> buttons_;
    int buttonWidth_ = 110;
};
