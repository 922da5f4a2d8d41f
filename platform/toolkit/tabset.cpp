#include "toolkit/tabset.h"
#include "toolkit/flagscope.h"

#include "toolkit/qtbridge.h"

#include <QTabBar>
#include <algorithm>

TAdvTabSet::TAdvTabSet(TComponent* owner)
    : TCustomControl(owner)
{
    bar_ = new QTabBar(Handle());
    bar_->setDrawBase(true);
    bar_->setExpanding(false);
    bar_->setUsesScrollButtons(true);
    QObject::connect(bar_, &QTabBar::currentChanged, bar_, [this](int index) { clicked(index); });
    SetHeight(bar_->sizeHint().height());
    // A stop of the Tab key, where the arrows choose the tab; a click on a tab leaves the focus
    // where it is (on the list the tabs choose for).
    SetTabStop(true);
    Handle()->setFocusPolicy(Qt::TabFocus);
    bar_->setFocusPolicy(Qt::TabFocus);
    Handle()->setFocusProxy(bar_);
}

TAdvTabSet::~TAdvTabSet() = default;

void TAdvTabSet::ClearTabs()
{
    TFlagScope guard(updating_);
    tabs_.clear();
    index_ = -1;
    while (bar_->count() > 0)
        bar_->removeTab(bar_->count() - 1);
}

int TAdvTabSet::AddTab(const std::string& caption, TObject* object)
{
    TFlagScope guard(updating_);
    tabs_.push_back({ caption, object });
    bar_->addTab(ToQString(caption));
    if (index_ < 0)
        index_ = 0;
    bar_->setCurrentIndex(index_);
    return TabCount() - 1;
}

std::string TAdvTabSet::TabCaption(int index) const
{
    return index >= 0 && index < TabCount() ? tabs_[static_cast<std::size_t>(index)].caption : std::string();
}

TObject* TAdvTabSet::TabObject(int index) const
{
    return index >= 0 && index < TabCount() ? tabs_[static_cast<std::size_t>(index)].object : nullptr;
}

void TAdvTabSet::SetTabObject(int index, TObject* object)
{
    if (index >= 0 && index < TabCount())
        tabs_[static_cast<std::size_t>(index)].object = object;
}

void TAdvTabSet::SetTabIndex(int index)
{
    if (index < -1 || index >= TabCount())
        return;
    TFlagScope guard(updating_);
    index_ = index;
    bar_->setCurrentIndex(index);
}

TRect TAdvTabSet::TabRect(int index) const
{
    const QRect r = bar_->tabRect(index);
    return TRect { r.left(), r.top(), r.right() + 1, r.bottom() + 1 };
}

void TAdvTabSet::BoundsChanged()
{
    TCustomControl::BoundsChanged();
    bar_->setGeometry(0, 0, std::max(Width(), 0), std::max(Height(), 0));
}

void TAdvTabSet::clicked(int index)
{
    if (updating_ || index == index_)
        return;
    index_ = index;
    OnChange(this);
}
