#include "toolkit/comctrls.h"
#include "toolkit/flagscope.h"

#include "toolkit/qtbridge.h"

#include <QApplication>
#include <QTabBar>
#include <QVariant>
#include <algorithm>

TTabSheet::TTabSheet(TComponent* owner)
    : TCustomControl(owner)
{
    Publish<&TControl::Caption, &TControl::SetCaption>("Caption");
}

TTabSheet::~TTabSheet()
{
    if (pageControl_)
        pageControl_->removePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pc)
{
    SetParent(pc);
}

int TTabSheet::PageIndex() const
{
    if (!pageControl_)
        return -1;
    const auto& pages = pageControl_->pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int index)
{
    if (!pageControl_)
        return;
    auto& pages = pageControl_->pages_;
    std::erase(pages, this);
    index = std::clamp(index, 0, static_cast<int>(pages.size()));
    pages.insert(pages.begin() + index, this);
    pageControl_->updateTabs();
}

void TTabSheet::SetTabVisible(bool v)
{
    if (tabVisible_ == v)
        return;
    tabVisible_ = v;
    if (pageControl_)
        pageControl_->updateTabs();
}

void TTabSheet::SetParent(TWinControl* parent)
{
    if (pageControl_ && parent != pageControl_) {
        pageControl_->removePage(this);
        pageControl_ = nullptr;
    }
    TCustomControl::SetParent(parent);
    auto* pc = dynamic_cast<TPageControl*>(parent);
    if (pc && pc != pageControl_) {
        pageControl_ = pc;
        pc->insertPage(this);
    }
}

void TTabSheet::SetTextBuf(const std::string& text)
{
    caption_ = text;
    if (pageControl_)
        pageControl_->updateTabs();
}

TPageControl::TPageControl(TComponent* owner)
    : TCustomControl(owner)
{
    tabBar_ = new QTabBar(Handle());
    tabBar_->setDrawBase(true);
    tabBar_->setExpanding(false);
    QObject::connect(tabBar_, &QTabBar::currentChanged, tabBar_, [this](int index) { tabClicked(index); });
    SetTabStop(true);
    // The focus of the control is its tab bar's: it shows a focus frame and turns the pages with
    // the arrow keys.
    tabBar_->setFocusPolicy(Qt::StrongFocus);
    Handle()->setFocusProxy(tabBar_);
    // Like Qt's tab widget: a layout gives it the room there is.
    Handle()->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    SetBounds(0, 0, 289, 193); // what a layout is told until the control is given a size
}

TPageControl::~TPageControl()
{
    for (TTabSheet* p : pages_)
        p->pageControl_ = nullptr;
    pages_.clear();
    active_ = nullptr;
}

TTabSheet* TPageControl::Pages(int index) const
{
    return index >= 0 && index < PageCount() ? pages_[index] : nullptr;
}

int TPageControl::ActivePageIndex() const
{
    return active_ ? active_->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int index)
{
    SetActivePage(Pages(index));
}

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page == active_ || (page && page->pageControl_ != this))
        return;
    bool allow = true;
    OnChanging(this, allow);
    if (!allow)
        return;
    active_ = page;
    for (TTabSheet* p : pages_)
        p->SetVisible(p == page);
    updateTabs();
    OnChange(this);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool forward, bool checkTabVisible) const
{
    const int n = PageCount();
    if (n == 0)
        return nullptr;
    int start = current ? current->PageIndex() : -1;
    if (start < 0)
        start = forward ? n - 1 : 0;
    int i = start;
    for (int k = 0; k < n; ++k) {
        i = forward ? (i + 1) % n : (i + n - 1) % n;
        if (!checkTabVisible || pages_[i]->TabVisible())
            return pages_[i];
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool forward, bool checkTabVisible)
{
    if (TTabSheet* p = FindNextPage(active_, forward, checkTabVisible))
        SetActivePage(p);
}

bool TPageControl::SelectPageByKey(bool forward)
{
    if (PageCount() == 0)
        return false;
    const bool onTabs = QApplication::focusWidget() == tabBar_;
    SelectNextPage(forward);
    if (onTabs)
        return true;
    // From a control of the old page the focus goes on to the first control of the new one.
    TWinControl* first = active_ ? active_->FindNextControl(nullptr, true, true, false) : nullptr;
    if (first)
        first->SetFocus();
    else
        SetFocus();
    return true;
}

void TPageControl::AdjustClientRect(TRect& rect) const
{
    rect.Top += tabBar_->sizeHint().height();
}

void TPageControl::BoundsChanged()
{
    TCustomControl::BoundsChanged();
    tabBar_->setGeometry(0, 0, std::max(Width(), 0), tabBar_->sizeHint().height());
}

void TPageControl::insertPage(TTabSheet* page)
{
    pages_.push_back(page);
    page->SetAlign(alClient);
    if (!active_)
        SetActivePage(page);
    else
        page->SetVisible(false);
    updateTabs();
}

void TPageControl::removePage(TTabSheet* page)
{
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end())
        return;
    pages_.erase(it);
    if (active_ == page) {
        active_ = nullptr;
        if (TTabSheet* next = FindNextPage(nullptr, true, true))
            SetActivePage(next);
    }
    updateTabs();
}

void TPageControl::updateTabs()
{
    {
        TFlagScope updating(updatingTabs_);
        while (tabBar_->count() > 0)
            tabBar_->removeTab(0);
        for (int i = 0; i < PageCount(); ++i) {
            if (!pages_[i]->TabVisible())
                continue;
            const int tab = tabBar_->addTab(QString::fromStdString(pages_[i]->Caption()));
            tabBar_->setTabData(tab, i);
            if (pages_[i] == active_)
                tabBar_->setCurrentIndex(tab);
        }
        tabBar_->setGeometry(0, 0, std::max(Width(), 0), tabBar_->sizeHint().height());
    }
    Realign();
}

void TPageControl::tabClicked(int tabIndex)
{
    if (updatingTabs_ || tabIndex < 0)
        return;
    SetActivePage(Pages(tabBar_->tabData(tabIndex).toInt()));
}
