#pragma once
// TAdvTabSet: a row of tabs without pages (the caller shows what a tab stands for). Each tab
// has a caption and an object; clicking a tab makes it the current one and runs OnChange.
#include "toolkit/wincontrol.h"

#include <string>
#include <vector>

class QTabBar;

class TAdvTabSet : public TCustomControl {
public:
    explicit TAdvTabSet(TComponent* owner);
    ~TAdvTabSet() override;

    int TabCount() const { return static_cast<int>(tabs_.size()); }
    void ClearTabs();
    int AddTab(const std::string& caption, TObject* object = nullptr);
    std::string TabCaption(int index) const;
    TObject* TabObject(int index) const;
    void SetTabObject(int index, TObject* object);
    // -1 without tabs. Setting an index runs no OnChange.
    int TabIndex() const { return index_; }
    void SetTabIndex(int index);
    // The tab's rectangle in the control's coordinates (for tests and hit tests).
    TRect TabRect(int index) const;

    TNotifyEvent OnChange;

protected:
    void BoundsChanged() override;

private:
    void clicked(int index);
    struct Tab {
        std::string caption;
        TObject* object;
    };
    std::vector<Tab> tabs_;
    int index_ = -1;
    QTabBar* bar_ = nullptr;
    bool updating_ = false;
};
