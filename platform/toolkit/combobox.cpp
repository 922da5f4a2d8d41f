#include "toolkit/combobox.h"

#include "toolkit/mirroredstrings.h"
#include "toolkit/stdwidgets.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <functional>

namespace {

// The items as the Qt combo's model. A text is converted for Qt only when Qt asks for it (the
// rows on screen, the current one), so filling a list of many thousand items costs only storing
// the strings.
class TComboModel : public QAbstractListModel {
public:
    TComboModel(const TStrings* items, QObject* parent)
        : QAbstractListModel(parent)
        , items_(items)
    {
    }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : rows_;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!items_ || !index.isValid() || index.row() >= rows_ || index.row() >= items_->Count())
            return {};
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return ToQString(items_->Get(index.row()));
        return {};
    }
    void Inserted(int row)
    {
        beginInsertRows(QModelIndex(), row, row);
        ++rows_;
        endInsertRows();
    }
    void Removed(int row)
    {
        beginRemoveRows(QModelIndex(), row, row);
        --rows_;
        endRemoveRows();
    }
    void Changed(int row) { emit dataChanged(index(row), index(row)); }
    void Reset()
    {
        beginResetModel();
        rows_ = items_ ? items_->Count() : 0;
        endResetModel();
    }
    // The items go before the widget does.
    void Detach()
    {
        beginResetModel();
        items_ = nullptr;
        rows_ = 0;
        endResetModel();
    }

private:
    const TStrings* items_;
    int rows_ = 0;
};

// Tab in the dropped list takes the highlighted entry, closes the list and goes on as Tab in the
// edit field does; Qt's list would keep the keyboard until Escape.
class TPopupTabFilter : public QObject {
public:
    TPopupTabFilter(QComboBox* box, std::function<void(int)> pick)
        : QObject(box)
        , box_(box)
        , pick_(std::move(pick))
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* ke = static_cast<QKeyEvent*>(event);
        if ((ke->key() != Qt::Key_Tab && ke->key() != Qt::Key_Backtab)
            || (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        const QModelIndex highlighted = box_->view()->currentIndex();
        box_->hidePopup();
        if (highlighted.isValid() && highlighted.row() != box_->currentIndex())
            pick_(highlighted.row());
        QKeyEvent tab(QEvent::KeyPress, ke->key(), ke->modifiers(), ke->text());
        QCoreApplication::sendEvent(box_, &tab);
        return true;
    }

private:
    QComboBox* box_;
    std::function<void(int)> pick_;
};

TComboModel* ModelOf(QWidget* w)
{
    return w ? dynamic_cast<TComboModel*>(static_cast<QComboBox*>(w)->model()) : nullptr;
}

} // namespace

// The items, mirrored into the Qt combo box as they change.
class TCustomCombo::TComboItems : public TMirroredStrings {
public:
    explicit TComboItems(TCustomCombo& combo)
        : TMirroredStrings(MakeMirror(combo))
    {
    }

private:
    static TMirror MakeMirror(TCustomCombo& combo)
    {
        const auto box = [&combo] { return static_cast<QComboBox*>(combo.Handle()); };
        const auto model = [box] { return ModelOf(box()); };
        TMirror m;
        m.insert = [model](int index, const std::string&) { model()->Inserted(index); };
        m.put = [model](int index, const std::string&) { model()->Changed(index); };
        m.remove = [model](int index) { model()->Removed(index); };
        m.clear = [model] { model()->Reset(); };
        m.rebuild = [model](const TMirroredStrings&) { model()->Reset(); };
        m.apply = [box](const std::function<void()>& change) {
            QComboBox* b = box();
            if (!b || !ModelOf(b))
                return;
            // Changing the items leaves the edit text and "no selection" as they were.
            const QSignalBlocker block(b);
            QLineEdit* edit = b->lineEdit();
            const QString text = edit ? edit->text() : QString();
            const int pos = edit ? edit->cursorPosition() : 0;
            const bool none = b->currentIndex() < 0;
            change();
            if (none && b->currentIndex() >= 0)
                b->setCurrentIndex(-1);
            if (edit && edit->text() != text) {
                const QSignalBlocker blockEdit(edit);
                edit->setText(text);
                edit->setCursorPosition(pos);
            }
        };
        return m;
    }
};

TCustomCombo::TCustomCombo(TComponent* owner, QWidget* widget)
    : TWinControl(owner, widget)
    , items_(std::make_unique<TComboItems>(*this))
{
    Init();
}

TCustomCombo::~TCustomCombo()
{
    if (TComboModel* model = ModelOf(widget_))
        model->Detach();
    if (auto* box = dynamic_cast<TComboWidget*>(widget_)) {
        box->onDropDown = nullptr;
        box->onCloseUp = nullptr;
    }
}

void TCustomCombo::Init()
{
    auto* box = static_cast<TComboWidget*>(widget_);
    box->onDropDown = [this] { DropDown(); };
    box->onCloseUp = [this] { CloseUp(); };
    box->setModel(new TComboModel(items_.get(), box));
    box->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(box, &QComboBox::activated, box, [this] {
        Click();
        Select();
    });
    box->view()->installEventFilter(new TPopupTabFilter(box, [this, box](int row) {
        box->setCurrentIndex(row);
        Click();
        Select();
    }));
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    SetStyle(csDropDown);
    SetDropDownCount(8);
    SetBounds(0, 0, 145, std::max(21, box->sizeHint().height()));
    Publish<&TCustomCombo::Text, &TCustomCombo::SetText>("Text");
    Publish<&TCustomCombo::ItemIndex, &TCustomCombo::SetItemIndex>("ItemIndex");
    PublishEnum<&TCustomCombo::Style, &TCustomCombo::SetStyle, kComboBoxStyleNames>("Style");
    Publish<&TCustomCombo::DropDownCount, &TCustomCombo::SetDropDownCount>("DropDownCount");
}

TStrings& TCustomCombo::Items()
{
    return *items_;
}

const TStrings& TCustomCombo::Items() const
{
    return *items_;
}

void TCustomCombo::SetItems(const TStrings& items)
{
    items_->Assign(items);
}

int TCustomCombo::ItemIndex() const
{
    return static_cast<QComboBox*>(widget_)->currentIndex();
}

void TCustomCombo::SetItemIndex(int index)
{
    auto* box = static_cast<QComboBox*>(widget_);
    if (index < -1 || index >= box->count())
        index = -1;
    const QSignalBlocker block(box);
    box->setCurrentIndex(index);
    if (index < 0 && box->lineEdit())
        box->lineEdit()->clear();
}

void TCustomCombo::SetStyle(TComboBoxStyle style)
{
    auto* box = static_cast<TComboWidget*>(widget_);
    const std::string text = GetText();
    style_ = style;
    const QSignalBlocker block(box);
    const bool editable = Editable();
    if (box->isEditable() != editable) {
        box->setEditable(editable);
        if (QLineEdit* edit = box->lineEdit()) {
            box->setCompleter(nullptr); // completing is the application's business
            new TInputRouter(this, edit);
            QObject::connect(edit, &QLineEdit::textEdited, box, [this] { Change(); });
            edit->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
        }
    }
    box->noPopup = style == csSimple;
    SetTextBuf(text);
}

void TCustomCombo::SetDropDownCount(int n)
{
    dropDownCount_ = std::max(1, n);
    static_cast<QComboBox*>(widget_)->setMaxVisibleItems(dropDownCount_);
}

bool TCustomCombo::DroppedDown() const
{
    return static_cast<TComboWidget*>(widget_)->dropped;
}

void TCustomCombo::SetDroppedDown(bool v)
{
    auto* box = static_cast<QComboBox*>(widget_);
    if (v)
        box->showPopup();
    else
        box->hidePopup();
}

void TCustomCombo::SetDropWidth(int width)
{
    dropWidth_ = std::max(0, width);
    static_cast<TComboWidget*>(widget_)->dropWidth = dropWidth_;
}

bool TCustomCombo::Sorted() const
{
    return items_->Sorted();
}

void TCustomCombo::SetSorted(bool v)
{
    items_->SetSorted(v);
}

void TCustomCombo::SetMaxLength(int n)
{
    maxLength_ = std::max(0, n);
    if (QLineEdit* edit = static_cast<QComboBox*>(widget_)->lineEdit())
        edit->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
}

namespace {

QLineEdit* EditOf(QWidget* w)
{
    return static_cast<QComboBox*>(w)->lineEdit();
}

} // namespace

int TCustomCombo::SelStart() const
{
    QLineEdit* e = EditOf(widget_);
    if (!e)
        return 0;
    return UnitsToChars(e->text(), e->hasSelectedText() ? e->selectionStart() : e->cursorPosition());
}

void TCustomCombo::SetSelStart(int v)
{
    if (QLineEdit* e = EditOf(widget_))
        e->setCursorPosition(CharsToUnits(e->text(), std::max(0, v)));
}

int TCustomCombo::SelLength() const
{
    QLineEdit* e = EditOf(widget_);
    return e && e->hasSelectedText()
        ? UnitsToChars(e->selectedText(), static_cast<int>(e->selectedText().size()))
        : 0;
}

void TCustomCombo::SetSelLength(int v)
{
    QLineEdit* e = EditOf(widget_);
    if (!e)
        return;
    const QString t = e->text();
    const int start = e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
    const int end = CharsToUnits(t, UnitsToChars(t, start) + std::max(0, v));
    e->setSelection(start, end - start);
}

std::string TCustomCombo::SelText() const
{
    QLineEdit* e = EditOf(widget_);
    return e ? FromQString(e->selectedText()) : std::string();
}

void TCustomCombo::SetSelText(const std::string& text)
{
    if (QLineEdit* e = EditOf(widget_))
        e->insert(ToQString(text));
}

void TCustomCombo::SelectAll()
{
    if (QLineEdit* e = EditOf(widget_))
        e->selectAll();
}

void TCustomCombo::Clear()
{
    SetTextBuf(std::string());
    items_->Clear();
    SetItemIndex(-1);
}

int TCustomCombo::TextWidth(const std::string& text) const
{
    return QFontMetrics(widget_->font()).horizontalAdvance(ToQString(text));
}

void TCustomCombo::Change()
{
    OnChange(this);
}

void TCustomCombo::Select()
{
    if (OnSelect)
        OnSelect(this);
    else
        Change();
}

void TCustomCombo::DropDown()
{
    OnDropDown(this);
}

void TCustomCombo::CloseUp()
{
    OnCloseUp(this);
}

std::string TCustomCombo::GetText() const
{
    auto* box = static_cast<QComboBox*>(widget_);
    if (QLineEdit* e = box->lineEdit())
        return FromQString(e->text());
    return box->currentIndex() >= 0 ? FromQString(box->currentText()) : std::string();
}

void TCustomCombo::SetTextBuf(const std::string& text)
{
    auto* box = static_cast<QComboBox*>(widget_);
    if (QLineEdit* e = box->lineEdit()) {
        const QSignalBlocker block(e);
        e->setText(ToQString(text));
        return;
    }
    SetItemIndex(text.empty() ? -1 : items_->IndexOf(text));
}

void TCustomCombo::DefaultHandler(TMessage& m)
{
    QLineEdit* e = EditOf(widget_);
    switch (m.Msg) {
    case WM_CUT:
        if (e)
            e->cut();
        return;
    case WM_COPY:
        if (e)
            e->copy();
        return;
    case WM_PASTE:
        if (e)
            e->paste();
        return;
    case WM_CLEAR:
        if (e)
            e->del();
        return;
    case WM_UNDO:
        if (e)
            e->undo();
        return;
    default:
        TWinControl::DefaultHandler(m);
    }
}

void TCustomCombo::ApplyColor()
{
    QPalette pal = widget_->palette();
    pal.setColor(QPalette::Base, ToQColor(Color()));
    pal.setColor(QPalette::Button, ToQColor(Color()));
    widget_->setPalette(pal);
}

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TCustomComboBox(owner, new TComboWidget())
{
}

TCustomComboBox::TCustomComboBox(TComponent* owner, QWidget* widget)
    : TCustomCombo(owner, widget)
{
}

TComboBox::TComboBox(TComponent* owner)
    : TCustomComboBox(owner)
{
}
