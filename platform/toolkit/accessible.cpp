#include "toolkit/accessible.h"

#include "toolkit/accessible_p.h"
#include "toolkit/control.h"
#include "toolkit/qtbridge.h"

#include <QAbstractButton>
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

QString OwnCaption(QWidget* w)
{
    if (auto* button = qobject_cast<QAbstractButton*>(w); button && !button->text().isEmpty())
        return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(w); group && !group->title().isEmpty())
        return group->title();
    return w->property(kCaption).toString();
}

void UpdateName(QWidget* w)
{
    const QString given = w->property(kGiven).toString();
    const QString current = w->accessibleName();
    if (!current.isEmpty() && current != given)
        return; // the application named it
    QString name = w->property(kLabel).toString();
    if (name.isEmpty() && OwnCaption(w).isEmpty())
        name = w->property(kData).toString();
    // A caption of its own is what Qt announces already; the name stays empty then.
    w->setProperty(kGiven, name);
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
    // The widget that takes the focus for it (an edit inside a frame, the edit of a combo box)
    // is announced as well.
    QWidget* inner = w->focusProxy();
    if (auto* combo = qobject_cast<QComboBox*>(w); combo && !inner)
        inner = combo->lineEdit();
    if (inner && inner != w) {
        inner->setProperty(source, value);
        UpdateName(inner);
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
