#include "toolkit/htmlgroups.h"

#include "toolkit/accessible_p.h"
#include "toolkit/richtext.h"
#include "toolkit/stdwidgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <functional>

namespace {

class TGroupBoxWidget : public TBridgeWidget<QGroupBox> {
public:
    TGroupBoxWidget() = default;
};

// A button of a group: its caption is a rich-text label over the whole button, and toggling is
// decided by the group.
template <class Q> class TGroupButton : public Q {
public:
    explicit TGroupButton(QWidget* parent)
        : Q(parent)
    {
        this->setAutoExclusive(false);
        caption = new QLabel(this);
        caption->setTextFormat(Qt::RichText);
        caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    std::function<void()> onToggle;
    std::function<void(int)> onArrow; // -1: back, 1: on
    std::function<void()> onFocus;
    QLabel* caption;

    void LayoutCaption()
    {
        QStyleOptionButton opt;
        opt.initFrom(this);
        const bool radio = std::is_same_v<Q, QRadioButton>;
        const int indicator = this->style()->pixelMetric(
            radio ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth, &opt, this);
        const int spacing = this->style()->pixelMetric(
            radio ? QStyle::PM_RadioButtonLabelSpacing : QStyle::PM_CheckBoxLabelSpacing, &opt, this);
        const int x = indicator + spacing + 2;
        caption->setGeometry(x, 0, std::max(0, this->width() - x), this->height());
        caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

protected:
    void nextCheckState() override
    {
        if (onToggle)
            onToggle();
    }
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
    // Arrows move within the group (Qt's buttons outside a button group would leave it).
    void keyPressEvent(QKeyEvent* e) override
    {
        const bool plain = !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (onArrow && plain && (e->key() == Qt::Key_Up || e->key() == Qt::Key_Left)) {
            onArrow(-1);
            return;
        }
        if (onArrow && plain && (e->key() == Qt::Key_Down || e->key() == Qt::Key_Right)) {
            onArrow(1);
            return;
        }
        Q::keyPressEvent(e);
    }
    void focusInEvent(QFocusEvent* e) override
    {
        Q::focusInEvent(e);
        if (onFocus)
            onFocus();
    }
    void resizeEvent(QResizeEvent* e) override
    {
        Q::resizeEvent(e);
        LayoutCaption();
    }
};

using TGroupRadio = TGroupButton<QRadioButton>;
using TGroupCheck = TGroupButton<QCheckBox>;

QAbstractButton* asButton(QWidget* w)
{
    return static_cast<QAbstractButton*>(w);
}

} // namespace

TCustomHTMLGroup::TCustomHTMLGroup(TComponent* owner)
    : TCustomControl(owner, new TGroupBoxWidget())
    , items_(std::make_unique<TStringList>())
{
    items_->OnChange = TNotifyEvent([this](TObject*) { Rebuild(); });
    SetTabStop(true);
    SetBounds(0, 0, 185, 105);
    Publish<&TCustomHTMLGroup::Caption, &TCustomHTMLGroup::SetCaption>("Caption");
    PublishLines<static_cast<const TStrings& (TCustomHTMLGroup::*)() const>(&TCustomHTMLGroup::Items),
        &TCustomHTMLGroup::SetItems>("Items");
    Publish<&TCustomHTMLGroup::Columns, &TCustomHTMLGroup::SetColumns>("Columns");
}

TCustomHTMLGroup::~TCustomHTMLGroup()
{
    items_->OnChange = nullptr;
}

TStrings& TCustomHTMLGroup::Items()
{
    return *items_;
}

const TStrings& TCustomHTMLGroup::Items() const
{
    return *items_;
}

void TCustomHTMLGroup::SetItems(const TStrings& items)
{
    items_->Assign(items);
}

void TCustomHTMLGroup::SetColumns(int v)
{
    v = std::max(1, v);
    if (v == columns_)
        return;
    columns_ = v;
    Layout();
}

std::string TCustomHTMLGroup::GetText() const
{
    return caption_;
}

void TCustomHTMLGroup::SetTextBuf(const std::string& text)
{
    caption_ = text;
    static_cast<QGroupBox*>(widget_)->setTitle(ToQString(text));
    Layout();
}

void TCustomHTMLGroup::Rebuild()
{
    // The old buttons go once control returns to the event loop: a click handler may have asked
    // for new items while Qt is still delivering the click to its button.
    for (QWidget* b : buttons_) {
        b->hide();
        b->setObjectName(QString());
        b->deleteLater();
    }
    buttons_.clear();
    for (int i = 0; i < items_->Count(); ++i) {
        QWidget* b = nullptr;
        const QString caption = ToQtRichText(items_->Get(i));
        const auto toggled = [this, i] { ItemToggled(i); };
        if (Radio()) {
            auto* r = new TGroupRadio(widget_);
            r->caption->setText(caption);
            r->onToggle = toggled;
            b = r;
        } else {
            auto* c = new TGroupCheck(widget_);
            c->caption->setText(caption);
            c->onToggle = toggled;
            b = c;
        }
        b->setObjectName(QStringLiteral("item%1").arg(i));
        SetAccessibleRichCaption(b, caption);
        b->setFocusPolicy(Qt::StrongFocus);
        b->show();
        buttons_.push_back(b);
    }
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i) {
        const auto arrow = [this, i](int step) { itemArrow(i, step); };
        const auto focused = [this, i] { itemFocused(i); };
        if (auto* r = dynamic_cast<TGroupRadio*>(buttons_[static_cast<std::size_t>(i)])) {
            r->onArrow = arrow;
            r->onFocus = focused;
        } else if (auto* c = dynamic_cast<TGroupCheck*>(buttons_[static_cast<std::size_t>(i)])) {
            c->onArrow = arrow;
            c->onFocus = focused;
        }
    }
    SetButtonType(buttonType_);
    Layout();
    ItemsRebuilt();
    // Tab into the group lands on an item: the chosen one of a radio group, else the first.
    int start = 0;
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
        if (Radio() && ButtonChecked(i))
            start = i;
    widget_->setFocusProxy(buttons_.empty() ? nullptr : buttons_[static_cast<std::size_t>(start)]);
}

void TCustomHTMLGroup::itemArrow(int index, int step)
{
    const int n = static_cast<int>(buttons_.size());
    if (n == 0)
        return;
    const int to = ((index + step) % n + n) % n;
    QWidget* b = buttons_[static_cast<std::size_t>(to)];
    b->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    b->setFocus(Qt::OtherFocusReason);
    if (Radio())
        ItemToggled(to);
}

void TCustomHTMLGroup::itemFocused(int index)
{
    if (index >= 0 && index < static_cast<int>(buttons_.size()))
        widget_->setFocusProxy(buttons_[static_cast<std::size_t>(index)]);
}

void TCustomHTMLGroup::Layout()
{
    if (buttons_.empty())
        return;
    const QRect area = static_cast<QGroupBox*>(widget_)->contentsRect().adjusted(6, 2, -4, -2);
    const int n = static_cast<int>(buttons_.size());
    const int rows = (n + columns_ - 1) / columns_;
    const int rowHeight = std::clamp(area.height() / std::max(1, rows), 16, 24);
    const int colWidth = area.width() / columns_;
    for (int i = 0; i < n; ++i) {
        const int col = i / rows;
        const int row = i % rows;
        buttons_[static_cast<std::size_t>(i)]->setGeometry(
            area.left() + col * colWidth, area.top() + row * rowHeight, colWidth, rowHeight);
    }
}

void TCustomHTMLGroup::BoundsChanged()
{
    TCustomControl::BoundsChanged();
    Layout();
}

void TCustomHTMLGroup::ApplyFont()
{
    TCustomControl::ApplyFont();
    Layout();
}

bool TCustomHTMLGroup::ButtonChecked(int index) const
{
    if (index < 0 || index >= static_cast<int>(buttons_.size()))
        return false;
    return asButton(buttons_[static_cast<std::size_t>(index)])->isChecked();
}

void TCustomHTMLGroup::SetButtonChecked(int index, bool v)
{
    if (index < 0 || index >= static_cast<int>(buttons_.size()))
        return;
    asButton(buttons_[static_cast<std::size_t>(index)])->setChecked(v);
}

void TCustomHTMLGroup::SetButtonLook(int index, bool readOnly)
{
    if (index < 0 || index >= static_cast<int>(buttons_.size()))
        return;
    QWidget* b = buttons_[static_cast<std::size_t>(index)];
    QPalette pal = b->palette();
    const QPalette app = QApplication::palette();
    const QColor base = readOnly ? app.color(QPalette::Button) : app.color(QPalette::Base);
    pal.setColor(QPalette::Active, QPalette::Base, base);
    pal.setColor(QPalette::Inactive, QPalette::Base, base);
    b->setPalette(pal);
}

void TCustomHTMLGroup::SetButtonType(TButtonType t)
{
    buttonType_ = t;
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
        SetButtonLook(i, t == btReadOnlyLook);
}

// --- radio group ------------------------------------------------------------------------------

THTMLRadioGroup::THTMLRadioGroup(TComponent* owner)
    : TCustomHTMLGroup(owner)
{
    Publish<&THTMLRadioGroup::ItemIndex, &THTMLRadioGroup::SetItemIndex>("ItemIndex");
}

void THTMLRadioGroup::SetItemIndex(int index)
{
    if (index < -1 || index >= Items().Count())
        index = -1;
    itemIndex_ = index;
    for (int i = 0; i < Items().Count(); ++i)
        SetButtonChecked(i, i == index);
    if (index >= 0)
        itemFocused(index);
}

void THTMLRadioGroup::ItemsRebuilt()
{
    SetItemIndex(itemIndex_);
}

void THTMLRadioGroup::ItemToggled(int index)
{
    if (!Enabled() || index == itemIndex_)
        return;
    SetItemIndex(index);
    Click();
}

void THTMLRadioGroup::Click()
{
    TCustomHTMLGroup::Click();
}

// --- check group ------------------------------------------------------------------------------

THTMLCheckGroup::THTMLCheckGroup(TComponent* owner)
    : TCustomHTMLGroup(owner)
{
}

bool THTMLCheckGroup::Checked(int index) const
{
    return index >= 0 && index < static_cast<int>(checked_.size())
        && checked_[static_cast<std::size_t>(index)];
}

void THTMLCheckGroup::SetChecked(int index, bool v)
{
    if (index < 0 || index >= static_cast<int>(checked_.size()))
        return;
    checked_[static_cast<std::size_t>(index)] = v;
    SetButtonChecked(index, v);
}

bool THTMLCheckGroup::ItemReadOnly(int index) const
{
    return index >= 0 && index < static_cast<int>(readOnly_.size())
        && readOnly_[static_cast<std::size_t>(index)];
}

void THTMLCheckGroup::SetItemReadOnly(int index, bool v)
{
    if (index < 0 || index >= static_cast<int>(readOnly_.size()))
        return;
    readOnly_[static_cast<std::size_t>(index)] = v;
    SetButtonLook(index, v || ButtonType() == btReadOnlyLook);
}

void THTMLCheckGroup::ItemsRebuilt()
{
    const std::size_t n = static_cast<std::size_t>(Items().Count());
    checked_.resize(n, false);
    readOnly_.resize(n, false);
    for (std::size_t i = 0; i < n; ++i) {
        SetButtonChecked(static_cast<int>(i), checked_[i]);
        if (readOnly_[i])
            SetButtonLook(static_cast<int>(i), true);
    }
}

void THTMLCheckGroup::ItemToggled(int index)
{
    if (!Enabled() || ItemReadOnly(index))
        return;
    SetChecked(index, !Checked(index));
    clicked_ = index;
    Click();
}

void THTMLCheckGroup::Click()
{
    TCustomHTMLGroup::Click();
}

// --- check list box ---------------------------------------------------------------------------

TCheckListBox::TCheckListBox(TComponent* owner)
    : TCustomListBox(owner)
{
    auto* list = static_cast<QListWidget*>(widget_);
    // Every item the list gets carries an unchecked box.
    QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, list,
        [this, list](const QModelIndex&, int first, int last) {
            const bool was = settingChecks_;
            settingChecks_ = true;
            for (int r = first; r <= last; ++r)
                if (QListWidgetItem* item = list->item(r)) {
                    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                    item->setCheckState(Qt::Unchecked);
                }
            settingChecks_ = was;
        });
    QObject::connect(list, &QListWidget::itemChanged, list, [this](QListWidgetItem*) {
        if (!settingChecks_)
            ClickCheck();
    });
}

bool TCheckListBox::Checked(int index) const
{
    const QListWidgetItem* item = static_cast<QListWidget*>(widget_)->item(index);
    return item && item->checkState() == Qt::Checked;
}

void TCheckListBox::SetChecked(int index, bool v)
{
    QListWidgetItem* item = static_cast<QListWidget*>(widget_)->item(index);
    if (!item)
        return;
    const bool was = settingChecks_;
    settingChecks_ = true;
    item->setCheckState(v ? Qt::Checked : Qt::Unchecked);
    settingChecks_ = was;
}

void TCheckListBox::ClickCheck()
{
    OnClickCheck(this);
}
