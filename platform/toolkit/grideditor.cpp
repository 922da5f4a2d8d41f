// In-place editing: the built-in cell editors, the edit-link protocol, opening and closing.
#include "toolkit/gridcontrol.h"

#include "toolkit/editlink.h"
#include "toolkit/gridwidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QToolButton>

namespace qel::grid {

InplaceEditor::InplaceEditor(
    TCustomGrid& grid, int col, int row, TEditorType type, TEditLink* link, const std::string& text)
    : grid_(grid)
    , col_(col)
    , row_(row)
    , type_(type)
    , link_(link)
    , original_(text)
{
    const QRect r = grid_.editorRect(col, row);
    if (link_) {
        link_->grid_ = &grid_;
        link_->CreateEditor(&grid_);
        link_->SetProperties();
        TFont font;
        font.Assign(grid_.Font());
        link_->SetCellProps(grid_.Color(), &font);
        link_->SetRect(Bounds(r.x(), r.y(), r.width(), r.height()));
        link_->SetEditorValue(text);
        link_->SetVisible(true);
        if (TWinControl* c = link_->GetEditControl()) {
            widget_ = c->Handle();
            watch(widget_);
        }
        link_->SetFocus(true);
    } else {
        createBuiltin(text);
        widget_->setFont(ToQFont(grid_.Font()));
        widget_->setGeometry(r);
        widget_->show();
        widget_->setFocus(Qt::OtherFocusReason);
    }
    settingUp_ = false;
}

void InplaceEditor::forgetLink()
{
    link_ = nullptr;
    widget_ = nullptr;
}

InplaceEditor::~InplaceEditor()
{
    if (link_) {
        // Detached first, while it is still a whole windowed control: a windowed child freed
        // under its parent would otherwise stay behind in the parent's tab order list.
        if (TWinControl* c = link_->GetEditControl(); c && c->Parent() == &grid_)
            c->SetParent(nullptr);
        link_->DestroyEditor();
        link_->grid_ = nullptr;
    } else if (widget_) {
        // Later: the editor may be the widget whose event is being handled right now.
        widget_->hide();
        widget_->deleteLater();
    }
}

void InplaceEditor::createBuiltin(const std::string& text)
{
    QWidget* parent = grid_.gridWidget_->viewport();
    const QString qtext = ToQString(text);
    switch (type_) {
    case edComboEdit:
    case edComboList: {
        combo_ = new QComboBox(parent);
        combo_->setEditable(type_ == edComboEdit);
        for (const auto& item : grid_.comboItems_)
            combo_->addItem(ToQString(item));
        int index = combo_->findText(qtext, Qt::MatchExactly);
        if (index < 0 && type_ == edComboList && !text.empty()) {
            // A value that is not in the list stays as it is until the user picks another.
            combo_->insertItem(0, qtext);
            index = 0;
        }
        combo_->setCurrentIndex(index);
        if (type_ == edComboEdit) {
            combo_->setEditText(qtext);
            connect(combo_, &QComboBox::editTextChanged, this,
                [this](const QString& t) { changed(FromQString(t)); });
        }
        connect(combo_, &QComboBox::activated, this, [this](int i) {
            const std::string selection = FromQString(combo_->itemText(i));
            changed(selection);
            grid_.ComboChange(col_, row_, i, selection);
        });
        widget_ = combo_;
        break;
    }
    case edCheckBox:
        check_ = new QCheckBox(parent);
        check_->setChecked(text == grid_.checkTrue_);
        check_->setAutoFillBackground(true);
        connect(check_, &QCheckBox::toggled, this,
            [this](bool on) { changed(on ? grid_.checkTrue_ : grid_.checkFalse_); });
        widget_ = check_;
        break;
    case edEditBtn: {
        auto* box = new QWidget(parent);
        box->setAutoFillBackground(true);
        auto* layout = new QHBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        line_ = new QLineEdit(box);
        auto* button = new QToolButton(box);
        button->setText(ToQString(grid_.editButtonCaption_));
        button->setFocusPolicy(Qt::NoFocus);
        if (grid_.editButtonRight_) {
            layout->addWidget(line_);
            layout->addWidget(button);
        } else {
            layout->addWidget(button);
            layout->addWidget(line_);
        }
        connect(button, &QToolButton::clicked, this, [this] {
            std::string value = FromQString(line_->text());
            grid_.EllipsClick(col_, row_, value);
            line_->setText(ToQString(value));
            changed(value);
            line_->setFocus();
        });
        widget_ = box;
        break;
    }
    default: {
        line_ = new QLineEdit(parent);
        const char* pattern = type_ == edNumeric ? R"(-?\d*)"
            : type_ == edPositiveNumeric         ? R"(\d*)"
            : type_ == edFloat                   ? R"(-?\d*([.,]\d*)?)"
                                                 : nullptr;
        if (pattern)
            line_->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), line_));
        widget_ = line_;
        break;
    }
    }
    if (line_) {
        line_->setFrame(false);
        line_->setText(qtext);
        line_->selectAll();
        connect(line_, &QLineEdit::textEdited, this, [this](const QString& t) {
            if (type_ != edCapital) {
                changed(FromQString(t));
                return;
            }
            // Capitals at the start of every word.
            QString cap = t;
            for (qsizetype i = 0; i < cap.size(); ++i)
                if (i == 0 || cap[i - 1].isSpace())
                    cap[i] = cap[i].toUpper();
            if (cap != t) {
                const int pos = line_->cursorPosition();
                line_->setText(cap);
                line_->setCursorPosition(pos);
            }
            changed(FromQString(cap));
        });
    }
    watch(widget_);
}

void InplaceEditor::watch(QWidget* w)
{
    if (!w)
        return;
    w->installEventFilter(this);
    for (QWidget* child : w->findChildren<QWidget*>())
        child->installEventFilter(this);
}

void InplaceEditor::changed(const std::string& text)
{
    if (settingUp_)
        return;
    edited_ = true;
    grid_.SetEditText(col_, row_, text);
}

QWidget* InplaceEditor::widget() const
{
    return widget_;
}

bool InplaceEditor::hasFocus() const
{
    const QWidget* f = QApplication::focusWidget();
    return f && widget_ && (f == widget_ || widget_->isAncestorOf(f));
}

std::string InplaceEditor::value() const
{
    if (link_)
        return link_->GetEditorValue();
    if (line_)
        return FromQString(line_->text());
    if (combo_)
        return FromQString(combo_->currentText());
    if (check_)
        return check_->isChecked() ? grid_.checkTrue_ : grid_.checkFalse_;
    return original_;
}

QLineEdit* InplaceEditor::linkLine() const
{
    if (!link_ || !widget_)
        return nullptr;
    if (auto* line = qobject_cast<QLineEdit*>(widget_.data()))
        return line;
    return widget_->findChild<QLineEdit*>();
}

void InplaceEditor::start(TEditorStart how, const std::string& typed)
{
    clickOpened_ = how == TEditorStart::SelectAll;
    if (link_) {
        QLineEdit* line = linkLine();
        if (how == TEditorStart::CaretAtEnd) {
            if (line)
                line->end(false);
            return;
        }
        if (line)
            line->selectAll();
        if (how != TEditorStart::Typed || typed.empty() || !widget_)
            return;
        // The character goes to the editor control as the key it was, so that the control
        // handles it as its own input (it replaces the selected text, completes, searches).
        QWidget* target = QApplication::focusWidget();
        if (!target || (target != widget_ && !widget_->isAncestorOf(target)))
            target = line ? static_cast<QWidget*>(line) : widget_.data();
        const QString text = ToQString(typed);
        const QChar first = text.isEmpty() ? QChar() : text.front();
        const int key = first.unicode() < 0x80 && first.isPrint() ? first.toUpper().unicode()
            : first.unicode() <= 0xFF                             ? first.toUpper().unicode()
                                                                  : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QPointer<QWidget> guard(target);
        QCoreApplication::sendEvent(target, &press);
        if (guard)
            QCoreApplication::sendEvent(target, &release);
        return;
    }
    if (line_) {
        switch (how) {
        case TEditorStart::SelectAll:
            line_->selectAll();
            break;
        case TEditorStart::CaretAtEnd:
            line_->end(false);
            break;
        case TEditorStart::Typed:
            line_->setText(ToQString(typed));
            line_->end(false);
            changed(FromQString(line_->text()));
            break;
        }
    } else if (combo_ && combo_->isEditable() && how == TEditorStart::Typed) {
        combo_->setEditText(ToQString(typed));
    }
}

void InplaceEditor::place(const QRect& rect)
{
    if (link_)
        link_->SetRect(Bounds(rect.x(), rect.y(), rect.width(), rect.height()));
    else if (widget_)
        widget_->setGeometry(rect);
}

void InplaceEditor::focus()
{
    if (widget_)
        widget_->setFocus(Qt::OtherFocusReason);
}

bool InplaceEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && clickOpened_) {
        // The click that opened the editor and this one make a double click: the text is kept
        // and extended, as a double click on a cell that was not being edited does.
        clickOpened_ = false;
        if (QLineEdit* line = link_ ? linkLine() : line_) {
            line->end(false);
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        clickOpened_ = false;
        auto* ke = static_cast<QKeyEvent*>(event);
        WORD key = VirtualKeyFromQt(ke->key());
        const TShiftState shift = ShiftStateFromQt(ke->modifiers());
        if (link_) {
            if (key == 0)
                return false; // a character without a key code (é, ß, €): the editor's
            link_->EditKeyDown(link_->GetEditControl(), key, shift);
            return key == 0;
        }
        bool forGrid = false;
        switch (key) {
        case VK_UP:
        case VK_DOWN:
            forGrid = !combo_; // a combo box steps through its items
            break;
        case VK_PRIOR:
        case VK_NEXT:
        case VK_RETURN:
        case VK_ESCAPE:
        case VK_TAB:
            forGrid = !(combo_ && combo_->view()->isVisible());
            break;
        default:
            // Function keys mean nothing to a cell editor (F4 opens a combo's list): the grid's,
            // so that F5 reloads while a cell is being edited.
            forGrid = key >= VK_F1 && key <= VK_F24 && key != VK_F4;
            break;
        }
        if (forGrid) {
            grid_.postEditorKey(key, shift);
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            if (link_)
                link_->EditExit(link_->GetEditControl());
            else
                grid_.postEditorExit();
        }
    } else if (event->type() == QEvent::ChildAdded) {
        if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()))
            child->installEventFilter(this);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace qel::grid

using qel::grid::InplaceEditor;

void TCustomGrid::openEditor(TEditorStart start, const std::string* typed)
{
    if (editor_ || !CanEditShow())
        return;
    TEditorType type = defaultEditor_;
    GetEditorType(col_, row_, type);
    if (type == edNone)
        return;
    TEditLink* link = type == edCustom ? editLink_ : nullptr;
    if (type == edCustom && !link)
        type = edNormal;
    ScrollInView(col_, row_);
    editor_ = std::make_unique<InplaceEditor>(*this, col_, row_, type, link, GetEditText(col_, row_));
    QPointer<InplaceEditor> opened(editor_.get());
    opened->start(typed ? start : (start == TEditorStart::Typed ? TEditorStart::SelectAll : start),
        typed ? *typed : std::string());
    if (opened)
        ContentChanged();
}

void TCustomGrid::closeEditor(bool accept)
{
    if (!editor_)
        return;
    // Taken out first: EditorMode is false from here on, whatever the hooks below do.
    std::unique_ptr<InplaceEditor> editor = std::move(editor_);
    const bool hadFocus = editor->hasFocus();
    const int col = editor->col(), row = editor->row();
    if (TEditLink* link = editor->link()) {
        if (accept)
            SetEditText(col, row, link->GetEditorValue());
        link->SetVisible(false);
    } else if (!accept && editor->edited()) {
        SetEditText(col, row, editor->original()); // built-in editors wrote every change
    }
    if (hadFocus)
        gridWidget_->setFocus(Qt::OtherFocusReason);
    editor.reset();
    ContentChanged();
}

void TCustomGrid::placeEditor()
{
    if (editor_)
        editor_->place(editorRect(editor_->col(), editor_->row()));
}

void TCustomGrid::SetEditLink(TEditLink* link)
{
    if (link == editLink_)
        return;
    if (editLink_ && !(editor_ && editor_->link() == editLink_))
        RemoveFreeNotification(editLink_);
    editLink_ = link;
    if (link)
        FreeNotification(link); // a link freed elsewhere must not stay behind as a dangling pointer
}

void TCustomGrid::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (editor_ && editor_->link() == component) {
        const bool hadFocus = editor_->hasFocus();
        editor_->forgetLink();
        editor_.reset();
        if (hadFocus)
            gridWidget_->setFocus(Qt::OtherFocusReason);
    }
    if (component == editLink_)
        editLink_ = nullptr;
}

QWidget* TCustomGrid::InplaceEditorWidget() const
{
    return editor_ ? editor_->widget() : nullptr;
}

void TCustomGrid::editorKey(WORD key, TShiftState shift)
{
    switch (key) {
    case VK_RETURN:
        closeEditor(true);
        return;
    case VK_ESCAPE:
        closeEditor(false);
        break;
    default:
        break;
    }
    // An Escape that cancelled the editor is the grid's, not the form's cancel button's.
    keyFromEditor_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset { keyFromEditor_ };
    Perform(WM_KEYDOWN, key, ShiftStateToKeyData(shift) | 1);
}

void TCustomGrid::postEditorKey(WORD key, TShiftState shift)
{
    QPointer<QWidget> guard(gridWidget_);
    QMetaObject::invokeMethod(
        gridWidget_,
        [this, guard, key, shift] {
            if (guard)
                editorKey(key, shift);
        },
        Qt::QueuedConnection);
}

void TCustomGrid::postEditorExit()
{
    QPointer<InplaceEditor> target(editor_.get());
    QPointer<QWidget> guard(gridWidget_);
    QTimer::singleShot(0, gridWidget_, [this, guard, target] {
        if (!guard || !target || editor_.get() != target.data())
            return;
        if (editor_->hasFocus() || QApplication::activePopupWidget())
            return; // the focus went back into the editor, or into its drop-down
        closeEditor(true);
    });
}
