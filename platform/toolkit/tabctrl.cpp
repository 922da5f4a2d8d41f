#include "toolkit/tabctrl.h"
#include "toolkit/flagscope.h"

#include "toolkit/qtbridge.h"

#include <QTabBar>
#include <algorithm>

TCustomTabControl::TCustomTabControl(TComponent* owner)
    : TCustomControl(owner)
{
    tabBar_ = new QTabBar(Handle());
    tabBar_->setDrawBase(true);
    tabBar_->setExpanding(false);
    QObject::connect(tabBar_, &QTabBar::currentChanged, tabBar_, [this](int) {
        if (!updating_)
            Change();
    });
    SetTabStop(true);
    // The focus of the control is its tab bar's: it shows a focus frame and selects the tabs
    // with the arrow keys.
    tabBar_->setFocusPolicy(Qt::StrongFocus);
    Handle()->setFocusProxy(tabBar_);
    // Like Qt's tab widget: a layout gives it the room there is.
    Handle()->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    SetBounds(0, 0, 289, 193); // what a layout is told until the control is given a size
    placeTabBar();
}

int TCustomTabControl::TabCount() const
{
    return tabBar_->count();
}

std::string TCustomTabControl::TabCaption(int index) const
{
    return FromQString(tabBar_->tabText(index));
}

void TCustomTabControl::ClearTabs()
{
    TFlagScope updating(updating_);
    while (tabBar_->count() > 0)
        tabBar_->removeTab(tabBar_->count() - 1);
    placeTabBar();
}

int TCustomTabControl::AddTab(const std::string& caption)
{
    int index = -1;
    {
        TFlagScope updating(updating_);
        index = tabBar_->addTab(ToQString(caption));
    }
    int image = -1;
    OnGetImageIndex(this, index, image);
    tabBar_->setTabData(index, image);
    placeTabBar();
    return index;
}

void TCustomTabControl::SetTabCaption(int index, const std::string& caption)
{
    if (index >= 0 && index < TabCount() && TabCaption(index) != caption) {
        tabBar_->setTabText(index, ToQString(caption));
        placeTabBar();
    }
}

int TCustomTabControl::TabIndex() const
{
    return tabBar_->currentIndex();
}

void TCustomTabControl::SetTabIndex(int index)
{
    if (index < -1 || index >= TabCount())
        return;
    TFlagScope updating(updating_);
    tabBar_->setCurrentIndex(index);
}

bool TCustomTabControl::SelectPageByKey(bool forward)
{
    const int n = TabCount();
    if (n == 0)
        return false;
    // The user's choice: raises OnChange as a click on the tab does.
    tabBar_->setCurrentIndex(((std::max(TabIndex(), 0) + (forward ? 1 : -1)) % n + n) % n);
    return true;
}

void TCustomTabControl::Change()
{
    OnChange(this);
}

void TCustomTabControl::placeTabBar()
{
    tabBar_->setGeometry(0, 0, std::max(Width(), 0), tabBar_->sizeHint().height());
    Realign();
}

void TCustomTabControl::AdjustClientRect(TRect& rect) const
{
    rect.Top += tabBar_->sizeHint().height();
}

void TCustomTabControl::BoundsChanged()
{
    TCustomControl::BoundsChanged();
    tabBar_->setGeometry(0, 0, std::max(Width(), 0), tabBar_->sizeHint().height());
}

TAdvPageControl::TAdvPageControl(TComponent* owner)
    : TPageControl(owner)
{
    for (QTabBar* bar : Handle()->findChildren<QTabBar*>(Qt::FindDirectChildrenOnly))
        bar->setStyleSheet("QTabBar::tab:selected { font-weight: bold; }");
}
