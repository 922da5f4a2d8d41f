#include "toolkit/buttons.h"

#include "toolkit/stdwidgets.h"

#include <QStyle>

namespace {

struct KindInfo {
    const char* caption;
    int modalResult;
    QStyle::StandardPixmap icon;
};

KindInfo InfoOf(TBitBtnKind kind)
{
    switch (kind) {
    case bkOK:
        return { "OK", mrOk, QStyle::SP_DialogOkButton };
    case bkCancel:
        return { "Abbrechen", mrCancel, QStyle::SP_DialogCancelButton };
    case bkHelp:
        return { "&Hilfe", mrNone, QStyle::SP_DialogHelpButton };
    case bkYes:
        return { "&Ja", mrYes, QStyle::SP_DialogYesButton };
    case bkNo:
        return { "&Nein", mrNo, QStyle::SP_DialogNoButton };
    case bkClose:
        return { "&Schließen", mrClose, QStyle::SP_DialogCloseButton };
    case bkAbort:
        return { "Abbrechen", mrAbort, QStyle::SP_DialogAbortButton };
    case bkRetry:
        return { "&Wiederholen", mrRetry, QStyle::SP_BrowserReload };
    case bkIgnore:
        return { "&Ignorieren", mrIgnore, QStyle::SP_DialogIgnoreButton };
    case bkAll:
        return { "&Alle", mrAll, QStyle::SP_DialogYesToAllButton };
    case bkCustom:
        break;
    }
    return { "", mrNone, QStyle::SP_CustomBase };
}

} // namespace

TBitBtn::TBitBtn(TComponent* owner)
    : TButton(owner)
    , glyph_(std::make_unique<TBitmap>())
{
}

TBitBtn::~TBitBtn() = default;

void TBitBtn::SetGlyph(const TBitmap& glyph)
{
    glyph_->Assign(glyph);
    ShowGlyph();
}

void TBitBtn::SetNumGlyphs(int n)
{
    numGlyphs_ = std::clamp(n, 1, 4);
    ShowGlyph();
}

void TBitBtn::SetKind(TBitBtnKind kind)
{
    kind_ = kind;
    if (kind == bkCustom)
        return;
    const KindInfo info = InfoOf(kind);
    SetCaption(info.caption);
    SetModalResult(info.modalResult);
    if (kind == bkOK)
        SetDefault(true);
    if (kind == bkCancel)
        SetCancel(true);
    if (glyph_->Empty())
        static_cast<QPushButton*>(widget_)->setIcon(widget_->style()->standardIcon(info.icon));
}

void TBitBtn::SetLayout(TButtonLayout layout)
{
    layout_ = layout;
    widget_->setLayoutDirection(layout == blGlyphRight ? Qt::RightToLeft : Qt::LeftToRight);
}

void TBitBtn::ShowGlyph()
{
    auto* button = static_cast<QPushButton*>(widget_);
    const QPixmap& all = glyph_->Storage().pixmap;
    if (all.isNull()) {
        button->setIcon(QIcon());
        return;
    }
    const int w = all.width() / numGlyphs_;
    const QPixmap first = all.copy(0, 0, w, all.height());
    button->setIcon(QIcon(first));
    button->setIconSize(first.size());
}
