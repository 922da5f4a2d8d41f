#include "toolkit/boundlabel.h"

#include "toolkit/qtbridge.h"
#include "toolkit/wincontrol.h"

#include <QLabel>
#include <QPointer>

struct TBoundLabel::Widget {
    QPointer<QLabel> label;
};

TBoundLabel::TBoundLabel(TWinControl& control)
    : control_(control)
    , widget_(std::make_unique<Widget>())
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
    TWinControl* parent = control_.Parent();
    QLabel* label = widget_->label.data();
    if (!parent || caption_.empty()) {
        if (label)
            label->hide();
        return;
    }
    if (!label) {
        label = new QLabel();
        label->setTextFormat(Qt::PlainText);
        widget_->label = label;
    }
    if (label->parentWidget() != parent->ClientWidget())
        label->setParent(parent->ClientWidget());
    label->setText(ToQString(caption_));
    label->setFont(ToQFont(font_));
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, ToQColor(font_.Color()));
    label->setPalette(pal);
    label->setEnabled(alwaysEnabled_ || control_.Enabled());
    label->adjustSize();

    const int w = label->width(), h = label->height();
    const int l = control_.Left(), t = control_.Top(), cw = control_.Width(), ch = control_.Height();
    int x = l, y = t;
    switch (position_) {
    case lpLeftTop:
    case lpLeftTopLeft:
        x = l - w - margin_;
        break;
    case lpLeftCenter:
    case lpLeftCenterLeft:
        x = l - w - margin_;
        y = t + (ch - h) / 2;
        break;
    case lpLeftBottom:
    case lpLeftBottomLeft:
        x = l - w - margin_;
        y = t + ch - h;
        break;
    case lpTopLeft:
        y = t - h - margin_;
        break;
    case lpBottomLeft:
        y = t + ch + margin_;
        break;
    case lpTopCenter:
        x = l + (cw - w) / 2;
        y = t - h - margin_;
        break;
    case lpBottomCenter:
        x = l + (cw - w) / 2;
        y = t + ch + margin_;
        break;
    case lpRightTop:
        x = l + cw + margin_;
        break;
    case lpRightCenter:
        x = l + cw + margin_;
        y = t + (ch - h) / 2;
        break;
    case lpRightBottom:
        x = l + cw + margin_;
        y = t + ch - h;
        break;
    case lpTopRight:
        x = l + cw - w;
        y = t - h - margin_;
        break;
    case lpBottomRight:
        x = l + cw - w;
        y = t + ch + margin_;
        break;
    }
    label->move(x, y);
    label->setVisible(control_.Visible());
}
