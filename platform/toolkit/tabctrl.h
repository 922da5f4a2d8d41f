#pragma once
// Tab controls: TCustomTabControl is a row of tabs above one client area whose controls stay the
// same whichever tab is selected (the application decides what they show). TAdvPageControl is a
// page control whose selected tab is drawn in bold, for forms with many pages.
#include "toolkit/comctrls.h"
#include "toolkit/wincontrol.h"

#include <string>

class QTabBar;

class TCustomTabControl : public TCustomControl {
public:
    explicit TCustomTabControl(TComponent* owner);

    int TabCount() const;
    std::string TabCaption(int index) const;
    void ClearTabs();
    int AddTab(const std::string& caption);
    void SetTabCaption(int index, const std::string& caption);
    // -1: none. Setting it selects without raising OnChange.
    int TabIndex() const;
    virtual void SetTabIndex(int index);

    // Raised after the user selected another tab.
    TNotifyEvent OnChange;
    // Asked for the image of tab `index`; the preset -1 shows none.
    TEvent<TObject*, int, int&> OnGetImageIndex;

    bool SelectPageByKey(bool forward) override;

protected:
    // The user selected another tab: raises OnChange.
    virtual void Change();
    void AdjustClientRect(TRect& rect) const override;
    void BoundsChanged() override;

private:
    void placeTabBar();
    QTabBar* tabBar_ = nullptr;
    bool updating_ = false;
};

class TTabControl : public TCustomTabControl {
public:
    using TCustomTabControl::TCustomTabControl;
};

class TAdvPageControl : public TPageControl {
public:
    explicit TAdvPageControl(TComponent* owner);
};
