#include "toolkit/boundlabel.h"

#include "toolkit/accessible_p.h"
#include "toolkit/designhost.h"
#include "toolkit/qtbridge.h"
#include "toolkit/wincontrol.h"

#include <QFormLayout>
#include <QLabel>
#include <QPointer>
#include <QtWidgets/private/qwidget_p.h>
#include <algorithm>

namespace {

// The form layout that holds `w` as an item of its own (in `layout` or a layout nested in it).
QFormLayout* FormLayoutHolding(QLayout* layout, QWidget* w, int& row, QFormLayout::ItemRole& role)
{
    if (!layout)
        return nullptr;
    if (auto* form = qobject_cast<QFormLayout*>(layout)) {
        form->getWidgetPosition(w, &row, &role);
        if (row >= 0)
            return form;
    }
    for (int i = 0; i < layout->count(); ++i)
        if (QFormLayout* form = FormLayoutHolding(layout->itemAt(i)->layout(), w, row, role))
            return form;
    return nullptr;
}

// Room a layout keeps beside the widget for its label (Qt's layout item margins: the layout
// gives the widget its cell less these margins). Qt keeps them in a signed byte.
void SetLabelRoom(QWidget* w, int left, int top, int right, int bottom)
{
    const auto fit = [](int v) { return std::clamp(v, 0, 127); };
    QWidgetPrivate::get(w)->setLayoutItemMargins(fit(left), fit(top), fit(right), fit(bottom));
}

// What the label follows: the control's widget, or in Qt Designer the host that stands for the
// control on the form (the control's widget fills it, and the host is what the form moves).
QWidget* OuterOf(QWidget* inner)
{
    if (auto* host = dynamic_cast<TDesignHost*>(inner->parentWidget()))
        return host;
    return inner;
}

} // namespace

// The label's widget and the widget it follows.
struct TBoundLabel::Widget : QObject {
    explicit Widget(TBoundLabel& owner)
        : owner(owner)
    {
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            owner.Update();
            break;
        default:
            break;
        }
        return false;
    }
    TBoundLabel& owner;
    QPointer<QLabel> label;
    QPointer<QWidget> watched;
    // The form layout whose label cell holds the label.
    QPointer<QFormLayout> cell;
    bool placing = false;
};

TBoundLabel::TBoundLabel(TWinControl& control)
    : control_(control)
    , widget_(std::make_unique<Widget>(*this))
{
    font_.OnChange = TNotifyEvent([this](TObject*) { Update(); });
}

TBoundLabel::~TBoundLabel()
{
    font_.OnChange = nullptr;
    delete widget_->label.data();
}

QWidget* TBoundLabel::Handle() const
{
    return widget_->label.data();
}

void TBoundLabel::SetCaption(const std::string& caption)
{
    caption_ = caption;
    SetAccessibleLabel(control_.Handle(), ToQString(caption));
    Update();
}

void TBoundLabel::SetPosition(TLabelPosition position)
{
    position_ = position;
    Update();
}

void TBoundLabel::SetMargin(int margin)
{
    margin_ = margin;
    Update();
}

void TBoundLabel::SetAlwaysEnabled(bool v)
{
    alwaysEnabled_ = v;
    Update();
}

void TBoundLabel::Update()
{
    QWidget* inner = control_.Handle();
    if (!inner || control_.ComponentState().Contains(csLoading))
        return; // a loading control places its label when it is loaded
    QWidget* outer = OuterOf(inner);
    if (outer != widget_->watched) {
        if (widget_->watched)
            widget_->watched->removeEventFilter(widget_.get());
        widget_->watched = outer != inner ? outer : nullptr;
        if (widget_->watched)
            widget_->watched->installEventFilter(widget_.get());
    }
    QWidget* parent = outer->parentWidget();
    QLabel* label = widget_->label.data();
    const auto leaveCell = [this, label] {
        if (widget_->cell && label)
            widget_->cell->removeWidget(label);
        widget_->cell = nullptr;
    };
    if (!parent || caption_.empty()) {
        leaveCell();
        SetLabelRoom(outer, 0, 0, 0, 0);
        if (label)
            label->hide();
        return;
    }
    if (!label) {
        label = new QLabel();
        label->setTextFormat(Qt::PlainText);
        widget_->label = label;
    }
    // In the field cell of a form layout the label goes into the row's label cell, unless the
    // row has a label of its own there. Not in Qt Designer: its layouts hold only what it saves.
    int row = -1;
    QFormLayout::ItemRole role = QFormLayout::FieldRole;
    QFormLayout* form = outer == inner ? FormLayoutHolding(parent->layout(), outer, row, role) : nullptr;
    QLayoutItem* labelCell
        = form && role == QFormLayout::FieldRole ? form->itemAt(row, QFormLayout::LabelRole) : nullptr;
    const bool inForm = form && role == QFormLayout::FieldRole;
    if (!inForm || form != widget_->cell || (labelCell && labelCell->widget() != label))
        leaveCell();
    if (inForm && labelCell && labelCell->widget() != label) {
        SetLabelRoom(outer, 0, 0, 0, 0);
        label->hide();
        return;
    }
    if (label->parentWidget() != parent)
        label->setParent(parent);
    label->setText(ToQString(caption_));
    label->setFont(ToQFont(font_));
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, ToQColor(font_.Color()));
    label->setPalette(pal);
    label->setEnabled(alwaysEnabled_ || !inner->testAttribute(Qt::WA_ForceDisabled));
    const bool shown = !outer->isHidden();
    if (inForm) {
        SetLabelRoom(outer, 0, 0, 0, 0);
        if (!widget_->cell && !widget_->placing) {
            // Later: this may run while the layout places its items.
            widget_->placing = true;
            QMetaObject::invokeMethod(
                widget_.get(),
                [this] {
                    widget_->placing = false;
                    QLabel* l = widget_->label.data();
                    QWidget* o = control_.Handle() ? OuterOf(control_.Handle()) : nullptr;
                    int r = -1;
                    QFormLayout::ItemRole at = QFormLayout::FieldRole;
                    QFormLayout* f = o && o->parentWidget()
                        ? FormLayoutHolding(o->parentWidget()->layout(), o, r, at)
                        : nullptr;
                    if (!l || !f || at != QFormLayout::FieldRole || f->itemAt(r, QFormLayout::LabelRole))
                        return;
                    f->setWidget(r, QFormLayout::LabelRole, l);
                    widget_->cell = f;
                    Update();
                },
                Qt::QueuedConnection);
        }
        label->setVisible(shown && widget_->cell);
        return;
    }

    label->adjustSize();
    const int w = label->width(), h = label->height();
    const QRect g = outer->geometry();
    const int l = g.x(), t = g.y(), cw = g.width(), ch = g.height();
    int x = l, y = t;
    int roomLeft = 0, roomTop = 0, roomRight = 0, roomBottom = 0;
    switch (position_) {
    case lpLeftTop:
    case lpLeftTopLeft:
        x = l - w - margin_;
        roomLeft = w + margin_;
        break;
    case lpLeftCenter:
    case lpLeftCenterLeft:
        x = l - w - margin_;
        y = t + (ch - h) / 2;
        roomLeft = w + margin_;
        break;
    case lpLeftBottom:
    case lpLeftBottomLeft:
        x = l - w - margin_;
        y = t + ch - h;
        roomLeft = w + margin_;
        break;
    case lpTopLeft:
        y = t - h - margin_;
        roomTop = h + margin_;
        break;
    case lpBottomLeft:
        y = t + ch + margin_;
        roomBottom = h + margin_;
        break;
    case lpTopCenter:
        x = l + (cw - w) / 2;
        y = t - h - margin_;
        roomTop = h + margin_;
        break;
    case lpBottomCenter:
        x = l + (cw - w) / 2;
        y = t + ch + margin_;
        roomBottom = h + margin_;
        break;
    case lpRightTop:
        x = l + cw + margin_;
        roomRight = w + margin_;
        break;
    case lpRightCenter:
        x = l + cw + margin_;
        y = t + (ch - h) / 2;
        roomRight = w + margin_;
        break;
    case lpRightBottom:
        x = l + cw + margin_;
        y = t + ch - h;
        roomRight = w + margin_;
        break;
    case lpTopRight:
        x = l + cw - w;
        y = t - h - margin_;
        roomTop = h + margin_;
        break;
    case lpBottomRight:
        x = l + cw - w;
        y = t + ch + margin_;
        roomBottom = h + margin_;
        break;
    }
    // A layout keeps room for the label beside the control (a label that moves with it).
    SetLabelRoom(outer, roomLeft, roomTop, roomRight, roomBottom);
    label->move(x, y);
    label->setVisible(shown);
}
