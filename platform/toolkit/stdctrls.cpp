#include "toolkit/stdctrls.h"

#include "toolkit/form.h"
#include "toolkit/stdwidgets.h"

#include <QApplication>
#include <QClipboard>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <utility>

namespace {

int CharCount(const QString& s)
{
    return UnitsToChars(s, static_cast<int>(s.size()));
}

QString ApplyCase(const QString& s, TEditCharCase c)
{
    return c == ecUpperCase ? s.toUpper() : c == ecLowerCase ? s.toLower() : s;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* owner)
    : TCustomEdit(owner, new TLineEditWidget())
{
    auto* edit = static_cast<QLineEdit*>(widget_);
    QObject::connect(edit, &QLineEdit::textChanged, edit, [this] { TextChanged(); });
    SetBounds(0, 0, 121, std::max(21, edit->sizeHint().height()));
}

TCustomEdit::TCustomEdit(TComponent* owner, QWidget* widget)
    : TWinControl(owner, widget)
{
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    Publish<&TCustomEdit::Text, &TCustomEdit::SetText>("Text");
    Publish<&TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly>("ReadOnly");
    Publish<&TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength>("MaxLength");
    PublishEnum<&TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle, kBorderStyleNames>("BorderStyle");
    PublishEnum<&TCustomEdit::CharCase, &TCustomEdit::SetCharCase, kEditCharCaseNames>("CharCase");
    Publish<&TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect>("AutoSelect");
}

void TCustomEdit::Change()
{
    OnChange(this);
}

void TCustomEdit::TextChanged()
{
    if (charCase_ != ecNormal && !inSetText_) {
        const QString t = WidgetText();
        const QString c = ApplyCase(t, charCase_);
        if (c != t) {
            int start = 0, end = 0;
            GetWidgetSelection(start, end);
            SetWidgetText(c); // runs TextChanged again
            SetWidgetSelection(start, end);
            return;
        }
    }
    modified_ = true;
    Change();
}

std::string TCustomEdit::GetText() const
{
    return FromQString(WidgetText());
}

void TCustomEdit::SetTextBuf(const std::string& text)
{
    const QString t = ApplyCase(ToQString(text), charCase_);
    if (t == WidgetText())
        return;
    inSetText_ = true;
    SetWidgetText(t);
    inSetText_ = false;
    modified_ = false;
}

QString TCustomEdit::WidgetText() const
{
    return static_cast<QLineEdit*>(widget_)->text();
}

void TCustomEdit::SetWidgetText(const QString& text)
{
    static_cast<QLineEdit*>(widget_)->setText(text);
}

void TCustomEdit::GetWidgetSelection(int& start, int& end) const
{
    auto* e = static_cast<QLineEdit*>(widget_);
    if (e->hasSelectedText()) {
        start = e->selectionStart();
        end = e->selectionEnd();
        if (e->cursorPosition() == start) // selected backwards: the cursor is the anchor's partner
            std::swap(start, end);
    } else {
        start = end = e->cursorPosition();
    }
}

void TCustomEdit::SetWidgetSelection(int start, int end)
{
    auto* e = static_cast<QLineEdit*>(widget_);
    if (start == end)
        e->setCursorPosition(end);
    else
        e->setSelection(start, end - start);
}

void TCustomEdit::InsertWidgetText(const QString& text)
{
    static_cast<QLineEdit*>(widget_)->insert(text);
}

void TCustomEdit::ApplyReadOnly()
{
    static_cast<QLineEdit*>(widget_)->setReadOnly(readOnly_);
}

void TCustomEdit::WidgetUndo()
{
    static_cast<QLineEdit*>(widget_)->undo();
}

void TCustomEdit::SetReadOnly(bool v)
{
    readOnly_ = v;
    ApplyReadOnly();
}

void TCustomEdit::SetMaxLength(int v)
{
    maxLength_ = std::max(0, v);
    if (auto* e = dynamic_cast<QLineEdit*>(widget_))
        e->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
}

void TCustomEdit::SetBorderStyle(TBorderStyle style)
{
    borderStyle_ = style;
    if (auto* e = dynamic_cast<QLineEdit*>(widget_))
        e->setFrame(style == bsSingle);
    else if (auto* f = dynamic_cast<QFrame*>(widget_))
        f->setFrameShape(style == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
}

void TCustomEdit::SetPasswordChar(char32_t c)
{
    passwordChar_ = c;
    if (auto* e = dynamic_cast<QLineEdit*>(widget_))
        e->setEchoMode(c ? QLineEdit::Password : QLineEdit::Normal);
}

void TCustomEdit::SetCharCase(TEditCharCase c)
{
    charCase_ = c;
    const QString t = WidgetText();
    if (ApplyCase(t, c) != t)
        SetWidgetText(ApplyCase(t, c));
}

int TCustomEdit::SelStart() const
{
    int start = 0, end = 0;
    GetWidgetSelection(start, end);
    return UnitsToChars(WidgetText(), std::min(start, end));
}

void TCustomEdit::SetSelStart(int v)
{
    const int units = CharsToUnits(WidgetText(), std::max(0, v));
    SetWidgetSelection(units, units);
}

int TCustomEdit::SelLength() const
{
    int start = 0, end = 0;
    GetWidgetSelection(start, end);
    const QString t = WidgetText();
    return UnitsToChars(t, std::max(start, end)) - UnitsToChars(t, std::min(start, end));
}

void TCustomEdit::SetSelLength(int v)
{
    const QString t = WidgetText();
    int start = 0, end = 0;
    GetWidgetSelection(start, end);
    const int from = std::min(start, end);
    const int chars = UnitsToChars(t, from) + std::max(0, v);
    SetWidgetSelection(from, CharsToUnits(t, std::min(chars, CharCount(t))));
}

std::string TCustomEdit::SelText() const
{
    int start = 0, end = 0;
    GetWidgetSelection(start, end);
    return FromQString(WidgetText().mid(std::min(start, end), std::abs(end - start)));
}

void TCustomEdit::SetSelText(const std::string& text)
{
    InsertWidgetText(ToQString(text));
}

void TCustomEdit::SelectAll()
{
    const int n = static_cast<int>(WidgetText().size());
    SetWidgetSelection(0, n);
}

int TCustomEdit::GetTextLen() const
{
    return CharCount(WidgetText());
}

void TCustomEdit::DefaultHandler(TMessage& m)
{
    switch (m.Msg) {
    case WM_CUT:
        if (!readOnly_ && SelLength() > 0) {
            QApplication::clipboard()->setText(ToQString(SelText()));
            InsertWidgetText(QString());
        }
        return;
    case WM_COPY:
        if (SelLength() > 0 && passwordChar_ == 0)
            QApplication::clipboard()->setText(ToQString(SelText()));
        return;
    case WM_PASTE:
        if (!readOnly_)
            InsertWidgetText(QApplication::clipboard()->text());
        return;
    case WM_CLEAR:
        if (!readOnly_ && SelLength() > 0)
            InsertWidgetText(QString());
        return;
    case WM_UNDO:
        if (!readOnly_)
            WidgetUndo();
        return;
    default:
        TWinControl::DefaultHandler(m);
    }
}

void TCustomEdit::ApplyColor()
{
    QPalette pal = widget_->palette();
    pal.setColor(QPalette::Base, ToQColor(Color()));
    widget_->setPalette(pal);
}

void TCustomEdit::DoEnter()
{
    // Entering by keyboard selects the whole text, as single-line edits do.
    if (autoSelect_ && dynamic_cast<QLineEdit*>(widget_)
        && !(QGuiApplication::mouseButtons() & Qt::LeftButton))
        SelectAll();
    TWinControl::DoEnter();
}

TEdit::TEdit(TComponent* owner)
    : TCustomEdit(owner)
{
}

// ---------------------------------------------------------------------------------------------
// TCustomMemo

// The memo's lines, read from and written to the widget's text.
class TCustomMemo::TMemoLines : public TStrings {
public:
    explicit TMemoLines(TCustomMemo& memo)
        : memo_(memo)
    {
    }
    int Count() const override { return static_cast<int>(Split().size()); }
    std::string Get(int index) const override
    {
        const QStringList l = Split();
        if (index < 0 || index >= l.size())
            throw EStringListError("Listenindex überschreitet das Maximum (" + std::to_string(index) + ")");
        return FromQString(l.at(index));
    }
    void Put(int index, const std::string& s) override
    {
        QStringList l = Split();
        if (index < 0 || index >= l.size())
            throw EStringListError("Listenindex überschreitet das Maximum (" + std::to_string(index) + ")");
        l[index] = ToQString(s);
        Store(l);
    }
    void InsertObject(int index, const std::string& s, TObject*) override
    {
        QStringList l = Split();
        if (index < 0 || index > l.size())
            throw EStringListError("Listenindex überschreitet das Maximum (" + std::to_string(index) + ")");
        l.insert(index, ToQString(s));
        Store(l);
    }
    void Delete(int index) override
    {
        QStringList l = Split();
        if (index < 0 || index >= l.size())
            throw EStringListError("Listenindex überschreitet das Maximum (" + std::to_string(index) + ")");
        l.removeAt(index);
        Store(l);
    }
    void Clear() override { Store({}); }
    void SetText(const std::string& text) override
    {
        std::string t = text;
        while (!t.empty() && (t.back() == '\n' || t.back() == '\r'))
            t.pop_back();
        QString q = ToQString(t);
        q.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        memo_.SetText(FromQString(q));
    }

private:
    QStringList Split() const
    {
        const QString t = memo_.WidgetText();
        if (t.isEmpty())
            return {};
        QStringList l = t.split(QLatin1Char('\n'));
        if (l.size() > 1 && l.last().isEmpty())
            l.removeLast(); // a final line break starts no line of its own
        return l;
    }
    void Store(const QStringList& l) { memo_.SetText(FromQString(l.join(QLatin1Char('\n')))); }
    TCustomMemo& memo_;
};

TCustomMemo::TCustomMemo(TComponent* owner)
    : TCustomMemo(owner, new TPlainTextWidget())
{
}

TCustomMemo::TCustomMemo(TComponent* owner, QWidget* widget)
    : TCustomEdit(owner, widget)
    , lines_(std::make_unique<TMemoLines>(*this))
{
    Init();
}

TCustomMemo::~TCustomMemo() = default;

TStrings& TCustomMemo::Lines()
{
    return *lines_;
}

const TStrings& TCustomMemo::Lines() const
{
    return *lines_;
}

void TCustomMemo::SetLines(const TStrings& lines)
{
    lines_->Assign(lines);
}

void TCustomMemo::Init()
{
    auto* e = static_cast<QPlainTextEdit*>(widget_);
    e->setTabChangesFocus(false);
    // The document names the range of each change before the widget says that the text changed.
    QObject::connect(
        e->document(), &QTextDocument::contentsChange, e, [this](int position, int removed, int added) {
            pendingChange_ = { position, removed, added, true };
        });
    QObject::connect(e, &QPlainTextEdit::textChanged, e, [this] {
        change_ = std::exchange(pendingChange_, TTextChange {});
        TextChanged();
    });
    QObject::connect(e, &QPlainTextEdit::cursorPositionChanged, e, [this] { CaretMoved(); });
    SetBounds(0, 0, 185, 89);
    SetWordWrap(true);
    PublishLines<static_cast<const TStrings& (TCustomMemo::*)() const>(&TCustomMemo::Lines),
        &TCustomMemo::SetLines>("Lines");
    Publish<&TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns>("WantReturns");
    Publish<&TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs>("WantTabs");
    Publish<&TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap>("WordWrap");
    PublishEnum<&TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars, kScrollStyleNames>("ScrollBars");
}

void TCustomMemo::CaretMoved()
{
}

QString TCustomMemo::WidgetText() const
{
    return static_cast<QPlainTextEdit*>(widget_)->toPlainText();
}

int TCustomMemo::TextUnits() const
{
    return static_cast<QPlainTextEdit*>(widget_)->document()->characterCount() - 1;
}

bool TCustomMemo::TextRange(int position, int count, std::string& text) const
{
    text.clear();
    if (position < 0 || count < 0 || count > TextUnits() - position)
        return false;
    QTextDocument* doc = static_cast<QPlainTextEdit*>(widget_)->document();
    const auto between = [doc](int at) {
        return at > 0 && doc->characterAt(at - 1).isHighSurrogate() && doc->characterAt(at).isLowSurrogate();
    };
    if (between(position) || between(position + count))
        return false;
    if (count == 0)
        return true;
    QTextCursor c(doc);
    c.setPosition(position);
    c.setPosition(position + count, QTextCursor::KeepAnchor);
    QString s = c.selectedText();
    // The marks the document keeps for breaks and spaces, as its plain text spells them.
    for (QChar& ch : s) {
        switch (ch.unicode()) {
        case 0xFDD0: // beginning of a frame
        case 0xFDD1: // end of a frame
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
            ch = u'\n';
            break;
        case QChar::Nbsp:
            ch = u' ';
            break;
        default:
            break;
        }
    }
    text = FromQString(s);
    return true;
}

void TCustomMemo::SetWidgetText(const QString& text)
{
    static_cast<QPlainTextEdit*>(widget_)->setPlainText(text);
}

void TCustomMemo::GetWidgetSelection(int& start, int& end) const
{
    const QTextCursor c = static_cast<QPlainTextEdit*>(widget_)->textCursor();
    start = c.anchor();
    end = c.position();
}

void TCustomMemo::SetWidgetSelection(int start, int end)
{
    auto* e = static_cast<QPlainTextEdit*>(widget_);
    QTextCursor c = e->textCursor();
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    e->setTextCursor(c);
}

void TCustomMemo::InsertWidgetText(const QString& text)
{
    static_cast<QPlainTextEdit*>(widget_)->textCursor().insertText(text);
}

void TCustomMemo::ApplyReadOnly()
{
    static_cast<QPlainTextEdit*>(widget_)->setReadOnly(ReadOnly());
}

void TCustomMemo::WidgetUndo()
{
    static_cast<QPlainTextEdit*>(widget_)->undo();
}

TPoint TCustomMemo::CaretPos() const
{
    const QTextCursor c = static_cast<QPlainTextEdit*>(widget_)->textCursor();
    const QTextBlock b = c.block();
    return { UnitsToChars(b.text(), c.positionInBlock()), b.blockNumber() };
}

void TCustomMemo::SetCaretPos(TPoint pos)
{
    auto* e = static_cast<QPlainTextEdit*>(widget_);
    QTextDocument* doc = e->document();
    const int line = std::clamp(pos.Y, 0, std::max(0, doc->blockCount() - 1));
    const QTextBlock b = doc->findBlockByNumber(line);
    const int col = CharsToUnits(b.text(), std::max(0, pos.X));
    QTextCursor c = e->textCursor();
    c.setPosition(b.position() + std::min(col, static_cast<int>(b.text().size())));
    e->setTextCursor(c);
}

void TCustomMemo::SetWordWrap(bool v)
{
    wordWrap_ = v;
    static_cast<QPlainTextEdit*>(widget_)->setLineWrapMode(
        v ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TCustomMemo::SetScrollBars(TScrollStyle v)
{
    scrollBars_ = v;
    auto* e = static_cast<QPlainTextEdit*>(widget_);
    const bool h = v == ssHorizontal || v == ssBoth;
    const bool vert = v == ssVertical || v == ssBoth;
    e->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    e->setVerticalScrollBarPolicy(vert ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
}

void TCustomMemo::DefaultHandler(TMessage& m)
{
    // Without WantReturns the Return key is no input for the memo.
    if (m.Msg == WM_CHAR && m.WParam == 13 && !wantReturns_) {
        RunQtDefault(m);
        return;
    }
    if (m.Msg == WM_CHAR && MaxLength() > 0 && m.WParam >= 32 && GetTextLen() - SelLength() >= MaxLength()) {
        if (currentDispatch_ && currentDispatch_->msg == m.Msg)
            currentDispatch_->done = true; // the budget is full: drop the character
        return;
    }
    TCustomEdit::DefaultHandler(m);
}

TMemo::TMemo(TComponent* owner)
    : TCustomMemo(owner)
{
}

// ---------------------------------------------------------------------------------------------
// Labels

TCustomLabel::TCustomLabel(TComponent* owner)
    : TCustomLabel(owner, new TLabelWidget())
{
}

TCustomLabel::TCustomLabel(TComponent* owner, QWidget* widget)
    : TGraphicControl(owner, widget)
{
    static_cast<QLabel*>(widget_)->setTextFormat(Qt::PlainText);
    SetBounds(0, 0, 65, 17);
    ApplyAlignment();
    Publish<&TCustomLabel::Caption, &TCustomLabel::SetCaption>("Caption");
    Publish<&TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize>("AutoSize");
    Publish<&TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap>("WordWrap");
    PublishEnum<&TCustomLabel::Alignment, &TCustomLabel::SetAlignment, kAlignmentNames>("Alignment");
    PublishEnum<&TCustomLabel::Layout, &TCustomLabel::SetLayout, kTextLayoutNames>("Layout");
    Publish<&TCustomLabel::Transparent, &TCustomLabel::SetTransparent>("Transparent");
}

std::string TCustomLabel::GetText() const
{
    return caption_;
}

void TCustomLabel::SetTextBuf(const std::string& text)
{
    caption_ = text;
    ShowCaption();
    AdjustSize();
}

void TCustomLabel::ShowCaption()
{
    // '&' marks the accelerator; "&&" is a literal '&'.
    QString shown;
    const QString c = ToQString(caption_);
    for (int i = 0; i < c.size(); ++i) {
        if (c.at(i) == QLatin1Char('&') && i + 1 < c.size())
            ++i;
        shown += c.at(i);
    }
    static_cast<QLabel*>(widget_)->setText(shown);
}

void TCustomLabel::AdjustSize()
{
    if (!autoSize_)
        return;
    auto* l = static_cast<QLabel*>(widget_);
    const QSize hint = l->sizeHint();
    SetBounds(Left(), Top(), wordWrap_ ? Width() : hint.width(),
        wordWrap_ ? l->heightForWidth(Width()) : hint.height());
}

void TCustomLabel::ApplyFont()
{
    TGraphicControl::ApplyFont();
    AdjustSize();
}

void TCustomLabel::ApplyAlignment()
{
    Qt::Alignment a = alignment_ == taRightJustify ? Qt::AlignRight
        : alignment_ == taCenter                   ? Qt::AlignHCenter
                                                   : Qt::AlignLeft;
    a |= layout_ == tlCenter ? Qt::AlignVCenter : layout_ == tlBottom ? Qt::AlignBottom : Qt::AlignTop;
    static_cast<QLabel*>(widget_)->setAlignment(a);
}

void TCustomLabel::SetAlignment(TAlignment a)
{
    alignment_ = a;
    ApplyAlignment();
}

void TCustomLabel::SetLayout(TTextLayout l)
{
    layout_ = l;
    ApplyAlignment();
}

void TCustomLabel::SetWordWrap(bool v)
{
    wordWrap_ = v;
    static_cast<QLabel*>(widget_)->setWordWrap(v);
    AdjustSize();
}

void TCustomLabel::SetAutoSize(bool v)
{
    autoSize_ = v;
    AdjustSize();
}

void TCustomLabel::Notification(TComponent* component, TOperation operation)
{
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == focusControl_)
        focusControl_ = nullptr;
}

TLabel::TLabel(TComponent* owner)
    : TCustomLabel(owner)
{
}

// ---------------------------------------------------------------------------------------------
// Buttons and check boxes

TButtonControl::TButtonControl(TComponent* owner, QWidget* widget)
    : TWinControl(owner, widget)
{
    SetTabStop(true);
    Publish<&TButtonControl::Caption, &TButtonControl::SetCaption>("Caption");
}

std::string TButtonControl::GetText() const
{
    return FromQString(static_cast<QAbstractButton*>(widget_)->text());
}

bool TButtonControl::HandleQtEvent(QEvent* event, const TQtDefault& qtDefault)
{
    const bool result = TWinControl::HandleQtEvent(event, qtDefault);
    // A release that the control kept from the widget must not leave the button pressed.
    if ((event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::KeyRelease) && widget_)
        if (auto* b = static_cast<QAbstractButton*>(widget_); b->isDown())
            b->setDown(false);
    return result;
}

void TButtonControl::SetTextBuf(const std::string& text)
{
    static_cast<QAbstractButton*>(widget_)->setText(ToQString(text));
}

TButton::TButton(TComponent* owner)
    : TButton(owner, new TPushButtonWidget())
{
}

TButton::TButton(TComponent* owner, QWidget* widget)
    : TButtonControl(owner, widget)
{
    Init();
}

void TButton::Init()
{
    auto* b = static_cast<QPushButton*>(widget_);
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, b, [this] { Click(); });
    SetBounds(0, 0, 75, std::max(25, b->sizeHint().height()));
}

void TButton::SetDefault(bool v)
{
    default_ = v;
    static_cast<QPushButton*>(widget_)->setDefault(v);
}

void TButton::Click()
{
    if (modalResult_ != mrNone)
        if (TCustomForm* form = GetParentForm(this))
            form->SetModalResult(modalResult_);
    TButtonControl::Click();
}

TCustomCheckBox::TCustomCheckBox(TComponent* owner)
    : TCustomCheckBox(owner, new TCheckBoxWidget())
{
}

TCustomCheckBox::TCustomCheckBox(TComponent* owner, QWidget* widget)
    : TButtonControl(owner, widget)
{
    Init();
}

void TCustomCheckBox::Init()
{
    auto* box = static_cast<TCheckBoxWidget*>(widget_);
    box->onToggle = [this] { Toggle(); };
    SetBounds(0, 0, 97, std::max(17, box->sizeHint().height()));
    Publish<&TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked>("Checked");
    PublishEnum<&TCustomCheckBox::State, &TCustomCheckBox::SetState, kCheckBoxStateNames>("State");
    Publish<&TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed>("AllowGrayed");
    PublishEnum<&TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment, kAlignmentNames>("Alignment");
    Publish<&TCustomCheckBox::ReadOnly, &TCustomCheckBox::SetReadOnly>("ReadOnly");
}

void TCustomCheckBox::SetState(TCheckBoxState state)
{
    if (state_ == state)
        return;
    state_ = state;
    auto* box = static_cast<QCheckBox*>(widget_);
    const QSignalBlocker block(box);
    if (state == cbGrayed)
        box->setTristate(true);
    box->setCheckState(state == cbChecked ? Qt::Checked
            : state == cbGrayed           ? Qt::PartiallyChecked
                                          : Qt::Unchecked);
    if (!clicksDisabled_)
        Click();
}

void TCustomCheckBox::SetAllowGrayed(bool v)
{
    allowGrayed_ = v;
    static_cast<QCheckBox*>(widget_)->setTristate(v || state_ == cbGrayed);
}

void TCustomCheckBox::SetAlignment(TAlignment a)
{
    alignment_ = a;
    widget_->setLayoutDirection(a == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TCustomCheckBox::Toggle()
{
    if (readOnly_)
        return;
    switch (state_) {
    case cbUnchecked:
        SetState(allowGrayed_ ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(cbUnchecked);
        break;
    case cbGrayed:
        SetState(cbChecked);
        break;
    }
}

void TCustomCheckBox::ApplyColor()
{
    TButtonControl::ApplyColor();
}

TCheckBox::TCheckBox(TComponent* owner)
    : TCustomCheckBox(owner)
{
}

bool TCustomMemo::WantsKey(WORD key) const
{
    return key == VK_RETURN ? wantReturns_ : key == VK_TAB ? wantTabs_ : false;
}
