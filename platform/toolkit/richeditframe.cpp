#include "toolkit/richeditframe.h"

#include "toolkit/qtbridge.h"
#include "toolkit/registry.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

class TFrameWidget : public TBridgeWidget<QWidget> {
public:
    TFrameWidget() = default;
};

constexpr int kToolRowHeight = 26;

QTextEdit* editorOf(const QWidget* w)
{
    return w->findChild<QTextEdit*>(QStringLiteral("editor"));
}

QToolButton* addTool(QWidget* row, const char* name, const QString& text, const QString& tip)
{
    auto* b = new QToolButton(row);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(true);
    row->layout()->addWidget(b);
    return b;
}

} // namespace

TRichEditFrame::TRichEditFrame(TComponent* owner)
    : TCustomControl(owner, new TFrameWidget())
{
    auto* outer = new QVBoxLayout(widget_);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(2);
    auto* row = new QWidget(widget_);
    row->setObjectName(QStringLiteral("tools"));
    row->setFixedHeight(kToolRowHeight);
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(2, 0, 2, 0);
    rowLayout->setSpacing(1);
    outer->addWidget(row);
    auto* edit = new QTextEdit(widget_);
    edit->setObjectName(QStringLiteral("editor"));
    edit->setAcceptRichText(true);
    // The frame's focus is its editor's; Tab goes on to the next control as in the other edits.
    edit->setTabChangesFocus(true);
    widget_->setFocusProxy(edit);
    outer->addWidget(edit, 1);

    QFont bold;
    bold.setBold(true);
    addTool(row, "btnBold", QStringLiteral("F"), QStringLiteral("Fett"))->setFont(bold);
    QFont italic;
    italic.setItalic(true);
    addTool(row, "btnItalic", QStringLiteral("K"), QStringLiteral("Kursiv"))->setFont(italic);
    QFont underline;
    underline.setUnderline(true);
    addTool(row, "btnUnderline", QStringLiteral("U"), QStringLiteral("Unterstrichen"))->setFont(underline);
    addTool(row, "btnBullets", QStringLiteral("•"), QStringLiteral("Aufzählung"));
    addTool(row, "btnNumbers", QStringLiteral("1."), QStringLiteral("Nummerierung"));
    auto* colour = addTool(row, "btnColor", QStringLiteral("A"), QStringLiteral("Schriftfarbe"));
    colour->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(colour);
    const std::pair<const char*, TColor> colours[] = { { "Schwarz", clBlack }, { "Rot", clRed },
        { "Blau", clBlue }, { "Grün", clGreen }, { "Grau", clGray } };
    for (auto [name, c] : colours) {
        QPixmap swatch(12, 12);
        swatch.fill(ToQColor(c));
        menu->addAction(QIcon(swatch), QString::fromUtf8(name), colour, [this, c] { SetTextColor(c); });
    }
    colour->setMenu(menu);
    rowLayout->addStretch(1);

    const auto connectTool = [row](const char* name, auto fn) {
        QObject::connect(
            row->findChild<QToolButton*>(QString::fromLatin1(name)), &QToolButton::clicked, row, fn);
    };
    connectTool("btnBold", [this] { ToggleBold(); });
    connectTool("btnItalic", [this] { ToggleItalic(); });
    connectTool("btnUnderline", [this] { ToggleUnderline(); });
    connectTool("btnBullets", [this] { ToggleBulletList(); });
    connectTool("btnNumbers", [this] { ToggleNumberedList(); });
    QObject::connect(edit, &QTextEdit::textChanged, edit, [this] { OnChange(this); });

    SetTabStop(true);
    SetBounds(0, 0, 320, 160);
    Publish<&TRichEditFrame::XMLComp, &TRichEditFrame::SetXMLComp>("XMLComp");
    Publish<&TRichEditFrame::IsEmpty>("IsEmpty");
    Publish<&TRichEditFrame::ReadOnly, &TRichEditFrame::SetReadOnly>("ReadOnly");
    Publish<&TRichEditFrame::SpecialCharacters, &TRichEditFrame::SetSpecialCharacters>("SpecialCharacters");
    PublishMethod<&TRichEditFrame::RVEChange>("RVEChange");
}

std::string TRichEditFrame::XMLComp() const
{
    const QTextEdit* edit = editorOf(widget_);
    return IsEmpty() ? std::string() : FromQString(edit->document()->toHtml());
}

void TRichEditFrame::SetXMLComp(const std::string& html)
{
    QTextEdit* edit = editorOf(widget_);
    const QSignalBlocker block(edit);
    if (html.empty())
        edit->document()->clear();
    else // Qt would keep white space after the last block as a blank in the text
        edit->document()->setHtml(ToQString(html).trimmed());
}

bool TRichEditFrame::IsEmpty() const
{
    const QTextDocument* doc = editorOf(widget_)->document();
    return doc->isEmpty()
        || (doc->blockCount() == 1 && doc->firstBlock().text().isEmpty() && !doc->firstBlock().textList());
}

void TRichEditFrame::SetReadOnly(bool v)
{
    readOnly_ = v;
    editorOf(widget_)->setReadOnly(v);
    if (auto* row = widget_->findChild<QWidget*>(QStringLiteral("tools")))
        row->setEnabled(!v);
}

void TRichEditFrame::SetSpecialCharacters(bool v)
{
    specialChars_ = v;
    QTextDocument* doc = editorOf(widget_)->document();
    QTextOption opt = doc->defaultTextOption();
    QTextOption::Flags flags = opt.flags();
    flags.setFlag(QTextOption::ShowTabsAndSpaces, v);
    flags.setFlag(QTextOption::ShowLineAndParagraphSeparators, v);
    opt.setFlags(flags);
    doc->setDefaultTextOption(opt);
}

void TRichEditFrame::RVEChange(TObject*)
{
    QTextDocument* doc = editorOf(widget_)->document();
    doc->clearUndoRedoStacks();
    doc->setModified(false);
}

bool TRichEditFrame::Modified() const
{
    return editorOf(widget_)->document()->isModified();
}

void TRichEditFrame::ToggleBold()
{
    QTextEdit* edit = editorOf(widget_);
    edit->setFontWeight(edit->fontWeight() >= QFont::Bold ? QFont::Normal : QFont::Bold);
}

void TRichEditFrame::ToggleItalic()
{
    QTextEdit* edit = editorOf(widget_);
    edit->setFontItalic(!edit->fontItalic());
}

void TRichEditFrame::ToggleUnderline()
{
    QTextEdit* edit = editorOf(widget_);
    edit->setFontUnderline(!edit->fontUnderline());
}

namespace {

void toggleList(QTextEdit* edit, QTextListFormat::Style style)
{
    QTextCursor cursor = edit->textCursor();
    if (QTextList* list = cursor.currentList(); list && list->format().style() == style) {
        // Leave the list: the block becomes a plain paragraph again.
        QTextBlockFormat plain = cursor.blockFormat();
        list->remove(cursor.block());
        plain.setObjectIndex(-1);
        plain.setIndent(0);
        cursor.setBlockFormat(plain);
        return;
    }
    cursor.createList(style);
}

} // namespace

void TRichEditFrame::ToggleBulletList()
{
    toggleList(editorOf(widget_), QTextListFormat::ListDisc);
}

void TRichEditFrame::ToggleNumberedList()
{
    toggleList(editorOf(widget_), QTextListFormat::ListDecimal);
}

void TRichEditFrame::SetTextColor(TColor color)
{
    editorOf(widget_)->setTextColor(ToQColor(color));
}

void RegisterRichEditFrame()
{
    if (GetClass(RichEditFrameClassName))
        return;
    RegisterClass({ RichEditFrameClassName, &typeid(TRichEditFrame),
        [](TComponent* owner) -> TComponent* { return new TRichEditFrame(owner); } });
}
