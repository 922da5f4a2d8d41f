#include "toolkit/htmlctrls.h"

#include "toolkit/accessible_p.h"
#include "toolkit/richtext.h"
#include "toolkit/stdwidgets.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

QString JoinedHtml(const TStrings& lines)
{
    std::string html;
    for (int i = 0; i < lines.Count(); ++i) {
        if (i > 0)
            html += '\n';
        html += lines.Get(i);
    }
    return ToQtRichText(html);
}

// Rich text with clickable anchors in a QLabel.
void PrepareHtmlLabel(QLabel* label, TObject* sender, const TAnchorClickEvent* event)
{
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    label->setOpenExternalLinks(false);
    QObject::connect(label, &QLabel::linkActivated, label,
        [sender, event](const QString& link) { (*event)(sender, FromQString(link)); });
}

} // namespace

THTMLabel::THTMLabel(TComponent* owner)
    : TCustomLabel(owner)
    , html_(std::make_unique<TStringList>())
{
    PrepareHtmlLabel(static_cast<QLabel*>(widget_), this, &OnAnchorClick);
    html_->OnChange = TNotifyEvent([this](TObject*) {
        ShowCaption();
        AdjustSize();
    });
}

THTMLabel::~THTMLabel()
{
    html_->OnChange = nullptr;
}

TStrings& THTMLabel::HTMLText()
{
    return *html_;
}

void THTMLabel::SetHTMLText(const TStrings& lines)
{
    html_->Assign(lines);
}

void THTMLabel::ShowCaption()
{
    // Without mark-up lines the caption is taken as mark-up.
    auto* label = static_cast<QLabel*>(widget_);
    label->setText(html_ && html_->Count() > 0 ? JoinedHtml(*html_) : ToQtRichText(caption_));
}

THTMLStaticText::THTMLStaticText(TComponent* owner)
    : TCustomControl(owner, new TLabelWidget())
    , html_(std::make_unique<TStringList>())
{
    auto* label = static_cast<QLabel*>(widget_);
    PrepareHtmlLabel(label, this, &OnAnchorClick);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    html_->OnChange = TNotifyEvent([this](TObject*) { Show(); });
    SetBounds(0, 0, 120, 40);
}

THTMLStaticText::~THTMLStaticText()
{
    html_->OnChange = nullptr;
}

TStrings& THTMLStaticText::HTMLText()
{
    return *html_;
}

void THTMLStaticText::SetHTMLText(const TStrings& lines)
{
    html_->Assign(lines);
}

void THTMLStaticText::Show()
{
    static_cast<QLabel*>(widget_)->setText(JoinedHtml(*html_));
}

THTMLCheckBox::THTMLCheckBox(TComponent* owner)
    : TCustomCheckBox(owner)
{
    auto* box = static_cast<TCheckBoxWidget*>(widget_);
    box->wholeAreaClicks = true;
    auto* label = new QLabel(box);
    label->setObjectName(QStringLiteral("caption"));
    // Clicks on the caption toggle the box, as with a plain caption.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setTextFormat(Qt::RichText);
    Layout();
}

std::string THTMLCheckBox::GetText() const
{
    return caption_;
}

void THTMLCheckBox::SetTextBuf(const std::string& text)
{
    caption_ = text;
    if (auto* label = widget_->findChild<QLabel*>(QStringLiteral("caption")))
        label->setText(ToQtRichText(text));
    SetAccessibleRichCaption(widget_, ToQtRichText(text));
    Layout();
}

void THTMLCheckBox::SetButtonType(TButtonType t)
{
    buttonType_ = t;
    QPalette pal = widget_->palette();
    const QPalette app = QApplication::palette();
    const QColor base = t == btReadOnlyLook ? app.color(QPalette::Button) : app.color(QPalette::Base);
    pal.setColor(QPalette::Active, QPalette::Base, base);
    pal.setColor(QPalette::Inactive, QPalette::Base, base);
    widget_->setPalette(pal);
}

void THTMLCheckBox::BoundsChanged()
{
    TCustomCheckBox::BoundsChanged();
    Layout();
}

void THTMLCheckBox::ApplyFont()
{
    TCustomCheckBox::ApplyFont();
    Layout();
}

void THTMLCheckBox::Layout()
{
    auto* label = widget_->findChild<QLabel*>(QStringLiteral("caption"));
    if (!label)
        return;
    // The caption starts where the box would draw its own text.
    QStyleOptionButton opt;
    opt.initFrom(widget_);
    const int indicator = widget_->style()->pixelMetric(QStyle::PM_IndicatorWidth, &opt, widget_);
    const int spacing = widget_->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &opt, widget_);
    const int x = indicator + spacing + 2;
    label->setGeometry(x, 0, std::max(0, Width() - x), Height());
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}
