#include "toolkit/advctrls.h"

#include "toolkit/stdwidgets.h"

#include <QApplication>
#include <QFontDatabase>
#include <QTextBlock>

namespace {

// Background colours of an input widget: normal, and while disabled.
void SetBaseColors(QWidget* w, TColor normal, TColor disabled)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Active, QPalette::Base, ToQColor(normal));
    pal.setColor(QPalette::Inactive, QPalette::Base, ToQColor(normal));
    pal.setColor(QPalette::Disabled, QPalette::Base, ToQColor(disabled));
    pal.setColor(QPalette::Active, QPalette::Button, ToQColor(normal));
    pal.setColor(QPalette::Inactive, QPalette::Button, ToQColor(normal));
    pal.setColor(QPalette::Disabled, QPalette::Button, ToQColor(disabled));
    w->setPalette(pal);
}

TFrameLook& LookOf(QWidget* w)
{
    if (auto* e = dynamic_cast<TLineEditWidget*>(w))
        return e->look;
    return static_cast<TComboWidget*>(w)->look;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TAdvEdit

TAdvEdit::TAdvEdit(TComponent* owner)
    : TLabelled<TCustomEdit>(owner)
{
    Publish<&TAdvEdit::LabelCaption, &TAdvEdit::SetLabelCaption>("LabelCaption");
    PublishEnum<&TAdvEdit::LabelPosition, &TAdvEdit::SetLabelPosition, kLabelPositionNames>("LabelPosition");
    Publish<&TAdvEdit::DisabledColor, &TAdvEdit::SetDisabledColor>("DisabledColor");
    Publish<&TAdvEdit::FocusBorder, &TAdvEdit::SetFocusBorder>("FocusBorder");
    Publish<&TAdvEdit::Flat, &TAdvEdit::SetFlat>("Flat");
    Publish<&TAdvEdit::LabelMargin, &TAdvEdit::SetLabelMargin>("LabelMargin");
    Publish<&TAdvEdit::LabelAlwaysEnabled, &TAdvEdit::SetLabelAlwaysEnabled>("LabelAlwaysEnabled");
}

void TAdvEdit::SetDisabledColor(TColor c)
{
    disabledColor_ = c;
    ApplyColor();
}

void TAdvEdit::SetFocusColor(TColor c)
{
    focusColor_ = c;
    ApplyColor();
}

void TAdvEdit::SetNormalColor(TColor c)
{
    normalColor_ = c;
    ApplyColor();
}

bool TAdvEdit::FocusBorder() const
{
    return LookOf(widget_).focusBorder;
}

void TAdvEdit::SetFocusBorder(bool v)
{
    LookOf(widget_).focusBorder = v;
    widget_->update();
}

bool TAdvEdit::Flat() const
{
    return LookOf(widget_).flat;
}

void TAdvEdit::SetFlat(bool v)
{
    LookOf(widget_).flat = v;
    static_cast<QLineEdit*>(widget_)->setFrame(!v && BorderStyle() == bsSingle);
    widget_->update();
}

void TAdvEdit::SetFlatLineColor(TColor c)
{
    flatLineColor_ = c;
    LookOf(widget_).flatLineColor = ToQColor(c);
    widget_->update();
}

void TAdvEdit::ApplyColor()
{
    if (!Focused())
        normalColor_ = Color();
    const bool focusLook = focusColor_ != clNone && Focused();
    SetBaseColors(widget_, focusLook ? focusColor_ : Color(), disabledColor_);
}

void TAdvEdit::DoEnter()
{
    TLabelled<TCustomEdit>::DoEnter();
    ApplyColor();
}

void TAdvEdit::DoExit()
{
    TLabelled<TCustomEdit>::DoExit();
    ApplyColor();
}

void TAdvEdit::SetEnabled(bool enabled)
{
    if (enabled == Enabled())
        return;
    TLabelled<TCustomEdit>::SetEnabled(enabled);
    ApplyColor();
}

// ---------------------------------------------------------------------------------------------
// TAdvCustomCombo

TAdvCustomCombo::TAdvCustomCombo(TComponent* owner)
    : TLabelled<TCustomCombo>(owner, new TComboWidget())
{
    Publish<&TAdvCustomCombo::LabelCaption, &TAdvCustomCombo::SetLabelCaption>("LabelCaption");
    PublishEnum<&TAdvCustomCombo::LabelPosition, &TAdvCustomCombo::SetLabelPosition, kLabelPositionNames>(
        "LabelPosition");
    Publish<&TAdvCustomCombo::DropWidth, &TAdvCustomCombo::SetDropWidth>("DropWidth");
    Publish<&TAdvCustomCombo::Flat, &TAdvCustomCombo::SetFlat>("Flat");
    Publish<&TAdvCustomCombo::LabelMargin, &TAdvCustomCombo::SetLabelMargin>("LabelMargin");
    Publish<&TAdvCustomCombo::LabelAlwaysEnabled, &TAdvCustomCombo::SetLabelAlwaysEnabled>(
        "LabelAlwaysEnabled");
}

void TAdvCustomCombo::SetDisabledColor(TColor c)
{
    disabledColor_ = c;
    ApplyColor();
}

void TAdvCustomCombo::SetFocusBorder(bool v)
{
    focusBorder_ = v;
    LookOf(widget_).focusBorder = v;
    widget_->update();
}

void TAdvCustomCombo::SetFlat(bool v)
{
    flat_ = v;
    LookOf(widget_).flat = v;
    static_cast<QComboBox*>(widget_)->setFrame(!v);
    widget_->update();
}

void TAdvCustomCombo::SetFlatLineColor(TColor c)
{
    flatLineColor_ = c;
    LookOf(widget_).flatLineColor = ToQColor(c);
    widget_->update();
}

void TAdvCustomCombo::SetEnabledLook(bool v)
{
    enabledLook_ = v;
    ApplyColor();
}

void TAdvCustomCombo::ApplyColor()
{
    SetBaseColors(widget_, enabledLook_ ? Color() : disabledColor_, disabledColor_);
    ApplyLook();
}

void TAdvCustomCombo::ApplyLook()
{
    // The disabled look greys the text as a disabled combo would, without disabling input.
    QPalette pal = widget_->palette();
    const QPalette app = QApplication::palette();
    for (auto role : { QPalette::Text, QPalette::ButtonText, QPalette::WindowText }) {
        const QColor normal = ToQColor(Font().Color());
        const QColor grey = app.color(QPalette::Disabled, role);
        pal.setColor(QPalette::Active, role, enabledLook_ ? normal : grey);
        pal.setColor(QPalette::Inactive, role, enabledLook_ ? normal : grey);
    }
    widget_->setPalette(pal);
    if (QLineEdit* e = static_cast<QComboBox*>(widget_)->lineEdit())
        e->setPalette(pal);
}

void TAdvCustomCombo::SetEnabled(bool enabled)
{
    if (enabled == Enabled())
        return;
    TLabelled<TCustomCombo>::SetEnabled(enabled);
    ApplyColor();
}

TAdvComboBox::TAdvComboBox(TComponent* owner)
    : TAdvCustomCombo(owner)
{
}

// ---------------------------------------------------------------------------------------------
// TAdvCustomMemo

TAdvCustomMemo::TAdvCustomMemo(TComponent* owner)
    : TCustomMemo(owner)
{
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    Font().SetName(FromQString(mono.family()));
    SetWordWrap(false);
    MarkActiveLine();
}

void TAdvCustomMemo::SetActiveLineColor(TColor c)
{
    activeLineColor_ = c;
    MarkActiveLine();
}

void TAdvCustomMemo::CaretMoved()
{
    MarkActiveLine();
    OnCaretChange(this);
}

void TAdvCustomMemo::MarkActiveLine()
{
    auto* e = static_cast<QPlainTextEdit*>(widget_);
    QList<QTextEdit::ExtraSelection> marks;
    if (activeLineColor_ != clNone) {
        QTextEdit::ExtraSelection line;
        line.format.setBackground(ToQColor(activeLineColor_));
        line.format.setProperty(QTextFormat::FullWidthSelection, true);
        line.cursor = e->textCursor();
        line.cursor.clearSelection();
        marks << line;
    }
    e->setExtraSelections(marks);
}

TAdvMemo::TAdvMemo(TComponent* owner)
    : TAdvCustomMemo(owner)
{
}
