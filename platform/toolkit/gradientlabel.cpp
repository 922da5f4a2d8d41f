#include "toolkit/gradientlabel.h"

#include "toolkit/stdwidgets.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

namespace {

// Keeps the last part of a path and shortens what comes before it ("C:\Pro...\datei.txt").
QString ElidePath(const QFontMetrics& fm, const QString& text, int width)
{
    const int cut = std::max(text.lastIndexOf(QLatin1Char('/')), text.lastIndexOf(QLatin1Char('\\')));
    if (cut <= 0)
        return fm.elidedText(text, Qt::ElideRight, width);
    const QString tail = text.mid(cut);
    const int headWidth = width - fm.horizontalAdvance(tail);
    if (headWidth <= fm.horizontalAdvance(QStringLiteral("...")))
        return fm.elidedText(text, Qt::ElideLeft, width);
    return fm.elidedText(text.left(cut), Qt::ElideRight, headWidth) + tail;
}

} // namespace

// Paints the gradient and the text itself; QLabel keeps the text only for its size hint.
class TGradientLabelWidget : public TBridgeWidget<QLabel> {
public:
    TGradientLabelWidget() = default;

protected:
    void paintEvent(QPaintEvent*) override
    {
        auto* label = dynamic_cast<TGradientLabel*>(Control());
        if (!label)
            return;
        QPainter p(this);
        const QRect r = rect();
        const Qt::Alignment align = alignment();
        QRect textRect = r.adjusted(label->Indent(), 0, -label->Indent(), 0);
        const QString shown = ToQString(label->DisplayText(textRect.width()));

        const QColor from = ToQColor(label->Color());
        const bool gradient = label->ColorTo() != clNone;
        const QColor to = gradient ? ToQColor(label->ColorTo()) : from;
        const bool reversed = label->GradientDirection() == gdRightToLeft;
        const bool full
            = label->GradientType() == gtFullHorizontal || label->GradientType() == gtFullVertical;

        if (full && gradient) {
            const QPointF end
                = label->GradientType() == gtFullVertical ? QPointF(0, r.height()) : QPointF(r.width(), 0);
            QLinearGradient g(QPointF(0, 0), end);
            g.setColorAt(0, reversed ? to : from);
            g.setColorAt(1, reversed ? from : to);
            p.fillRect(r, g);
        } else if (!label->Transparent()) {
            p.fillRect(r, from);
        }

        if (!full && gradient) {
            const int lw = label->LineWidth();
            QLinearGradient g(QPointF(0, 0), QPointF(r.width(), 0));
            g.setColorAt(0, reversed ? to : from);
            g.setColorAt(1, reversed ? from : to);
            if (label->GradientType() == gtTopLine) {
                p.fillRect(QRect(0, 0, r.width(), lw), g);
            } else if (label->GradientType() == gtBottomLine) {
                p.fillRect(QRect(0, r.height() - lw, r.width(), lw), g);
            } else {
                // Through the middle, leaving the text's place free.
                const int tw = shown.isEmpty() ? 0 : fontMetrics().horizontalAdvance(shown) + 8;
                int left = textRect.left() - 4;
                if (align & Qt::AlignRight)
                    left = textRect.right() + 4 - tw;
                else if (align & Qt::AlignHCenter)
                    left = textRect.left() + (textRect.width() - tw) / 2;
                const int y = (r.height() - lw) / 2;
                if (tw == 0)
                    p.fillRect(QRect(0, y, r.width(), lw), g);
                if (tw > 0 && left > 0)
                    p.fillRect(QRect(0, y, left, lw), g);
                if (tw > 0 && left + tw < r.width())
                    p.fillRect(QRect(left + tw, y, r.width() - left - tw, lw), g);
            }
        }

        p.setFont(font());
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        const int flags = label->WordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
        p.drawText(textRect, static_cast<int>(align) | flags, shown);
    }
};

TGradientLabel::TGradientLabel(TComponent* owner)
    : TCustomLabel(owner, new TGradientLabelWidget())
{
    SetAutoSize(false);
    SetBounds(0, 0, 150, 20);
    SetLayout(tlCenter);
    Publish<&TGradientLabel::ColorTo, &TGradientLabel::SetColorTo>("ColorTo");
    PublishEnum<&TGradientLabel::GradientType, &TGradientLabel::SetGradientType, kGradientTypeNames>(
        "GradientType");
    PublishEnum<&TGradientLabel::GradientDirection, &TGradientLabel::SetGradientDirection,
        kGradientDirectionNames>("GradientDirection");
    PublishEnum<&TGradientLabel::EllipsType, &TGradientLabel::SetEllipsType, kEllipsTypeNames>("EllipsType");
    Publish<&TGradientLabel::LineWidth, &TGradientLabel::SetLineWidth>("LineWidth");
    Publish<&TGradientLabel::Indent, &TGradientLabel::SetIndent>("Indent");
    Publish<&TGradientLabel::ShowAccelChar, &TGradientLabel::SetShowAccelChar>("ShowAccelChar");
    PublishEnum<&TGradientLabel::Alignment, &TGradientLabel::SetAlignment, kAlignmentNames>("Alignment");
}

void TGradientLabel::SetColorTo(TColor c)
{
    colorTo_ = c;
    Changed();
}

void TGradientLabel::SetGradientType(TGradientType t)
{
    gradientType_ = t;
    Changed();
}

void TGradientLabel::SetGradientDirection(TGradientDirection d)
{
    direction_ = d;
    Changed();
}

void TGradientLabel::SetEllipsType(TEllipsType t)
{
    ellipsType_ = t;
    Changed();
}

void TGradientLabel::SetLineWidth(int w)
{
    lineWidth_ = std::max(1, w);
    Changed();
}

void TGradientLabel::SetIndent(int v)
{
    indent_ = std::max(0, v);
    Changed();
}

void TGradientLabel::SetShowAccelChar(bool v)
{
    showAccelChar_ = v;
    ShowCaption();
}

std::string TGradientLabel::DisplayText(int width) const
{
    const QString text = static_cast<QLabel*>(widget_)->text();
    if (ellipsType_ == etNone || WordWrap())
        return FromQString(text);
    const QFontMetrics fm(widget_->font());
    const int w = std::max(0, width);
    return FromQString(
        ellipsType_ == etPathEllips ? ElidePath(fm, text, w) : fm.elidedText(text, Qt::ElideRight, w));
}

void TGradientLabel::ShowCaption()
{
    if (showAccelChar_)
        TCustomLabel::ShowCaption();
    else
        static_cast<QLabel*>(widget_)->setText(ToQString(caption_));
    Changed();
}

void TGradientLabel::ApplyColor()
{
    TCustomLabel::ApplyColor();
    Changed();
}

void TGradientLabel::Changed()
{
    if (widget_)
        widget_->update();
}
