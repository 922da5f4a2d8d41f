#pragma once
// Page controls: TPageControl shows one of its TTabSheet children at a time below a row of tabs.
// Only the active sheet is visible; a sheet whose tab is hidden keeps its place but shows no tab.
#include "toolkit/wincontrol.h"

#include <string>
#include <vector>

class TPageControl;
class QTabBar;

class TTabSheet : public TCustomControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* pc);
    // Position among the page control's sheets (-1 without one); setting it moves the sheet.
    int PageIndex() const;
    void SetPageIndex(int index);
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool v);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int i) { imageIndex_ = i; }

    void SetParent(TWinControl* parent) override;

protected:
    std::string GetText() const override { return caption_; }
    void SetTextBuf(const std::string& text) override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    std::string caption_;
    bool tabVisible_ = true;
    int imageIndex_ = -1;
};

class TPageControl : public TCustomControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int index) const;
    TTabSheet* ActivePage() const { return active_; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    // The next sheet with a visible tab after `current` (wrapping), or nullptr.
    TTabSheet* FindNextPage(TTabSheet* current, bool forward, bool checkTabVisible) const;
    void SelectNextPage(bool forward, bool checkTabVisible = true);

    TNotifyEvent OnChange;
    // Asked before the active page changes; set the flag false to refuse.
    TEvent<TObject*, bool&> OnChanging;

    bool SelectPageByKey(bool forward) override;

protected:
    void AdjustClientRect(TRect& rect) const override;
    void BoundsChanged() override;

private:
    friend class TTabSheet;
    void insertPage(TTabSheet* page);
    void removePage(TTabSheet* page);
    void updateTabs();
    void tabClicked(int tabIndex);

    std::vector<TTabSheet*> pages_;
    TTabSheet* active_ = nullptr;
    QTabBar* tabBar_ = nullptr;
    bool updatingTabs_ = false;
};
