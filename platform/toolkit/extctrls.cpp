#include "toolkit/extctrls.h"

#include "toolkit/qtbridge.h"

#include <QPainter>

namespace {

// Draws the panel's bevels and caption.
class TPanelWidget : public TBridgeWidget<QWidget> {
public:
    TPanelWidget() = default;
    TBevelCut outer = bvRaised;
    TBevelCut inner = bvNone;
    int bevelWidth = 1;
    int borderWidth = 0;
    bool border = false;
    QString caption;
    Qt::Alignment alignment = Qt::AlignCenter;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        QRect r = rect();
        const QColor light = palette().color(QPalette::Light);
        const QColor dark = palette().color(QPalette::Dark);
        if (border) {
            p.setPen(palette().color(QPalette::Shadow));
            p.drawRect(r.adjusted(0, 0, -1, -1));
            r.adjust(1, 1, -1, -1);
        }
        auto bevel = [&](TBevelCut cut) {
            if (cut == bvNone)
                return;
            for (int i = 0; i < bevelWidth; ++i) {
                if (cut != bvSpace) {
                    const QColor topLeft = cut == bvRaised ? light : dark;
                    const QColor bottomRight = cut == bvRaised ? dark : light;
                    p.setPen(topLeft);
                    p.drawLine(r.topLeft(), r.topRight());
                    p.drawLine(r.topLeft(), r.bottomLeft());
                    p.setPen(bottomRight);
                    p.drawLine(r.bottomLeft(), r.bottomRight());
                    p.drawLine(r.topRight(), r.bottomRight());
                }
                r.adjust(1, 1, -1, -1);
            }
        };
        bevel(outer);
        r.adjust(borderWidth, borderWidth, -borderWidth, -borderWidth);
        bevel(inner);
        if (!caption.isEmpty()) {
            p.setPen(
                palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
            p.drawText(r.adjusted(2, 0, -2, 0), static_cast<int>(alignment) | Qt::TextSingleLine, caption);
        }
    }
};

TPanelWidget* PanelOf(QWidget* w)
{
    return static_cast<TPanelWidget*>(w);
}

} // namespace

TCustomPanel::TCustomPanel(TComponent* owner)
    : TCustomPanel(owner, new TPanelWidget())
{
}

TCustomPanel::TCustomPanel(TComponent* owner, QWidget* widget)
    : TCustomControl(owner, widget)
{
    Init();
}

void TCustomPanel::Init()
{
    SetBounds(0, 0, 185, 41);
    Publish<&TCustomPanel::Caption, &TCustomPanel::SetCaption>("Caption");
    PublishEnum<&TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter, kBevelCutNames>("BevelOuter");
    PublishEnum<&TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner, kBevelCutNames>("BevelInner");
    Publish<&TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth>("BevelWidth");
    Publish<&TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth>("BorderWidth");
    PublishEnum<&TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle, kBorderStyleNames>("BorderStyle");
    PublishEnum<&TCustomPanel::Alignment, &TCustomPanel::SetAlignment, kAlignmentNames>("Alignment");
    PublishEnum<&TCustomPanel::VerticalAlignment, &TCustomPanel::SetVerticalAlignment,
        kVerticalAlignmentNames>("VerticalAlignment");
    Publish<&TCustomPanel::ShowCaption, &TCustomPanel::SetShowCaption>("ShowCaption");
    Changed();
}

std::string TCustomPanel::GetText() const
{
    return caption_;
}

void TCustomPanel::SetTextBuf(const std::string& text)
{
    caption_ = text;
    Changed();
}

void TCustomPanel::SetBevelOuter(TBevelCut v)
{
    bevelOuter_ = v;
    Changed();
}

void TCustomPanel::SetBevelInner(TBevelCut v)
{
    bevelInner_ = v;
    Changed();
}

void TCustomPanel::SetBevelWidth(int v)
{
    bevelWidth_ = std::max(1, v);
    Changed();
}

void TCustomPanel::SetBorderWidth(int v)
{
    borderWidth_ = std::max(0, v);
    Changed();
}

void TCustomPanel::SetBorderStyle(TBorderStyle v)
{
    borderStyle_ = v;
    Changed();
}

void TCustomPanel::SetAlignment(TAlignment v)
{
    alignment_ = v;
    Changed();
}

void TCustomPanel::SetVerticalAlignment(TVerticalAlignment v)
{
    verticalAlignment_ = v;
    Changed();
}

void TCustomPanel::SetShowCaption(bool v)
{
    showCaption_ = v;
    Changed();
}

void TCustomPanel::Changed()
{
    TPanelWidget* w = PanelOf(widget_);
    w->outer = bevelOuter_;
    w->inner = bevelInner_;
    w->bevelWidth = bevelWidth_;
    w->borderWidth = borderWidth_;
    w->border = borderStyle_ == bsSingle;
    w->caption = showCaption_ ? ToQString(caption_) : QString();
    Qt::Alignment a = alignment_ == taLeftJustify ? Qt::AlignLeft
        : alignment_ == taRightJustify            ? Qt::AlignRight
                                                  : Qt::AlignHCenter;
    a |= verticalAlignment_ == taAlignTop     ? Qt::AlignTop
        : verticalAlignment_ == taAlignBottom ? Qt::AlignBottom
                                              : Qt::AlignVCenter;
    w->alignment = a;
    w->update();
    Realign();
}

void TCustomPanel::AdjustClientRect(TRect& r) const
{
    int inset = borderWidth_ + (borderStyle_ == bsSingle ? 1 : 0);
    if (bevelOuter_ != bvNone)
        inset += bevelWidth_;
    if (bevelInner_ != bvNone)
        inset += bevelWidth_;
    r = Rect(r.Left + inset, r.Top + inset, r.Right - inset, r.Bottom - inset);
}

TPanel::TPanel(TComponent* owner)
    : TCustomPanel(owner)
{
}
