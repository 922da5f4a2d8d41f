#include "toolkit/accessible.h"

#include "toolkit/accessible_p.h"
#include "toolkit/control.h"
#include "toolkit/qtbridge.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QTextDocumentFragment>
#include <QVariant>
#include <QWidget>

namespace {

// The sources, kept on the widget as dynamic properties.
constexpr const char* kLabel = "_qel_accessibleLabel";
constexpr const char* kCaption = "_qel_accessibleCaption";
constexpr const char* kData = "_qel_accessibleData";
// The name this unit set last: a different one was set by the application and stays.
constexpr const char* kGiven = "_qel_accessibleGiven";

QString QtCaption(QWidget* w)
{
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title();
    return {};
}

QString OwnCaption(QWidget* w)
{
    const QString qt = QtCaption(w);
    return qt.isEmpty() ? w->property(kCaption).toString() : qt;
}

// Qt's combo box on Linux tells its current text as its name and leaves the name to a label
// relation; ours tells the name it was given, and the text as its value.
class TNamedComboAccessible : public QAccessibleWidget {
public:
    explicit TNamedComboAccessible(QComboBox* combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox)
    {
    }
    QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return Combo()->currentText();
        if (t == QAccessible::Name && !Combo()->accessibleName().isEmpty())
            return Combo()->accessibleName();
        if (t == QAccessible::Name)
            return Combo()->currentText();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = Combo()->view() && Combo()->view()->isVisible();
        s.editable = Combo()->isEditable();
        return s;
    }
    QStringList actionNames() const override { return { showMenuAction(), pressAction() }; }
    void doAction(const QString& name) override
    {
        if (name == showMenuAction() || name == pressAction())
            Combo()->showPopup();
    }
};

// Puts the named interface in place of Qt's for a combo box (once).
void UseNamedCombo(QComboBox* combo)
{
    QAccessibleInterface* current = QAccessible::queryAccessibleInterface(combo);
    if (dynamic_cast<TNamedComboAccessible*>(current))
        return;
    if (current)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(current));
    QAccessible::registerAccessibleInterface(new TNamedComboAccessible(combo));
}

void UpdateName(QWidget* w)
{
    const QString given = w->property(kGiven).toString();
    const QString current = w->accessibleName();
    if (!current.isEmpty() && current != given)
        return; // the application named it
    // A caption Qt knows (a button's text, a group's title) Qt announces itself.
    QString name = w->property(kLabel).toString();
    if (name.isEmpty() && QtCaption(w).isEmpty())
        name = w->property(kCaption).toString();
    if (name.isEmpty() && QtCaption(w).isEmpty())
        name = w->property(kData).toString();
    w->setProperty(kGiven, name);
    if (auto* combo = qobject_cast<QComboBox*>(w); combo && !name.isEmpty())
        UseNamedCombo(combo);
    if (name != current)
        w->setAccessibleName(name);
}

void SetSource(QWidget* w, const char* source, const QString& value)
{
    if (!w)
        return;
    if (w->property(source).toString() == value && w->property(source).isValid())
        return;
    w->setProperty(source, value);
    UpdateName(w);
    // The widgets that take the focus for it (an edit inside a frame, the editor of a control
    // that holds a frame, the edit of a combo box) are announced as well, down the proxy chain.
    QWidget* outer = w;
    for (int depth = 0; depth < 8; ++depth) {
        QWidget* inner = outer->focusProxy();
        if (auto* combo = qobject_cast<QComboBox*>(outer); combo && !inner)
            inner = combo->lineEdit();
        if (!inner || inner == outer)
            break;
        inner->setProperty(source, value);
        UpdateName(inner);
        outer = inner;
    }
}

} // namespace

void SetAccessibleLabel(QWidget* widget, const QString& caption)
{
    SetSource(widget, kLabel, caption);
}

void SetAccessibleRichCaption(QWidget* widget, const QString& richText)
{
    SetSource(widget, kCaption, QTextDocumentFragment::fromHtml(richText).toPlainText().simplified());
}

void SetAccessibleDataName(TControl* control, const std::string& name)
{
    if (control)
        SetSource(control->Handle(), kData, ToQString(name));
}

std::string AccessibleName(TControl* control)
{
    QWidget* w = control ? control->Handle() : nullptr;
    if (!w)
        return {};
    if (!w->accessibleName().isEmpty())
        return FromQString(w->accessibleName());
    return FromQString(OwnCaption(w));
}
