#include "toolkit/designhost.h"

#include "toolkit/comctrls.h"
#include "toolkit/extctrls.h"
#include "toolkit/flagscope.h"
#include "toolkit/qtbridge.h"
#include "toolkit/registry.h"
#include "toolkit/tabctrl.h"

#include <QColor>
#include <QDynamicPropertyChangeEvent>
#include <QResizeEvent>
#include <cstring>
#include <map>
#include <memory>

namespace {

// Kept by the widget itself: geometry, objectName.
bool IsWidgetOwnProperty(const std::string& name)
{
    for (const char* own : { "Left", "Top", "Width", "Height", "Name" })
        if (name == own)
            return true;
    return false;
}

QVariant ToDesignValue(const QString& name, const TPropValue& v)
{
    if (IsColorProperty(name))
        return ToQColor(TColor(static_cast<std::int32_t>(v.AsInteger())));
    const TPropValue asBool(v.AsBoolean());
    if (v == asBool)
        return v.AsBoolean();
    if (v.IsString())
        return ToQString(v.AsString());
    const TPropValue asInt(v.AsInteger());
    if (v == asInt)
        return static_cast<int>(v.AsInteger());
    return v.AsFloat();
}

TPropValue FromDesignValue(const QString& name, const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toLongLong();
    case QMetaType::Double:
    case QMetaType::Float:
        return value.toDouble();
    case QMetaType::QColor:
        return static_cast<long long>(FromQColor(value.value<QColor>()));
    default:
        break;
    }
    if (IsColorProperty(name) && value.canConvert<QColor>()) {
        const QColor c = value.value<QColor>();
        if (c.isValid())
            return static_cast<long long>(FromQColor(c));
    }
    return FromQString(value.toString());
}

// A meta object per control class: the class name and nothing else, derived from QWidget's, laid
// out as moc lays out that of a class without methods or properties.
const uint kEmptyClassData[] = { 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 };
const QtPrivate::QMetaTypeInterface* const kNoMetaTypes[] = { nullptr };

struct TClassMeta {
    std::vector<uint> strings;
    QMetaObject meta;
};

const QMetaObject* ClassMetaObject(const std::string& className)
{
    static std::map<std::string, std::unique_ptr<TClassMeta>> metas;
    auto& slot = metas[className];
    if (!slot) {
        auto m = std::make_unique<TClassMeta>();
        const uint offset = 2 * sizeof(uint);
        m->strings.assign(2 + (className.size() + sizeof(uint)) / sizeof(uint), 0);
        m->strings[0] = offset;
        m->strings[1] = static_cast<uint>(className.size());
        std::memcpy(reinterpret_cast<char*>(m->strings.data()) + offset, className.data(), className.size());
        m->meta = QMetaObject { { QMetaObject::SuperData(&QWidget::staticMetaObject), m->strings.data(),
            kEmptyClassData, nullptr, nullptr, kNoMetaTypes, nullptr } };
        if (std::strcmp(m->meta.className(), className.c_str()) != 0)
            return nullptr; // a layout this Qt does not read: the widget keeps QWidget's
        slot = std::move(m);
    }
    return &slot->meta;
}

} // namespace

bool IsColorProperty(const QString& name)
{
    return name.endsWith(QLatin1String("Color")) || name.endsWith(QLatin1String("ColorTo"));
}

std::vector<TDesignProperty> DesignProperties(const TComponent* component)
{
    std::vector<TDesignProperty> props;
    for (const std::string& name : component->PublishedPropNames()) {
        if (IsWidgetOwnProperty(name))
            continue;
        const QString qname = ToQString(name);
        props.push_back({ qname, ToDesignValue(qname, component->GetPropValue(name)) });
    }
    return props;
}

bool SetDesignProperty(TComponent* component, const QString& name, const QVariant& value)
{
    const std::string n = FromQString(name);
    if (IsWidgetOwnProperty(n) || !component->IsPublishedProp(n))
        return false;
    // The property's kind decides: a boolean read as "True" is written as a boolean.
    const TPropValue current = component->GetPropValue(n);
    TPropValue v = FromDesignValue(name, value);
    if (current == TPropValue(current.AsBoolean()) && v.IsString()) {
        const QString t = value.toString().trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            v = true;
        else if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            v = false;
    }
    return component->SetPropValue(n, v);
}

bool IsContainerControl(const TControl* control)
{
    return dynamic_cast<const TCustomPanel*>(control) || dynamic_cast<const TPageControl*>(control)
        || dynamic_cast<const TTabSheet*>(control) || dynamic_cast<const TCustomTabControl*>(control);
}

QSize DefaultDesignSize(const TControl* control)
{
    if (IsContainerControl(control))
        return { 240, 160 };
    if (control->Width() > 0 && control->Height() > 0)
        return { control->Width(), control->Height() };
    return { 160, 24 };
}

TDesignHost::TDesignHost(const QString& className, QWidget* parent)
    : QWidget(parent)
{
    TComponent* c = CreateComponent(FromQString(className), nullptr);
    control_ = dynamic_cast<TControl*>(c);
    if (!control_) {
        delete c;
        return;
    }
    meta_ = ClassMetaObject(FromQString(className));
    QWidget* w = control_->Handle();
    w->setParent(this);
    w->show();
    TFlagScope syncing(syncing_);
    for (const TDesignProperty& p : DesignProperties(control_))
        setProperty(p.name.toUtf8().constData(), p.value);
}

TDesignHost::~TDesignHost()
{
    // The control goes first and takes its widget with it.
    if (control_)
        control_->Destroying();
    delete control_;
}

const QMetaObject* TDesignHost::metaObject() const
{
    return meta_ ? meta_ : QWidget::metaObject();
}

void* TDesignHost::qt_metacast(const char* name)
{
    if (meta_ && name && std::strcmp(name, meta_->className()) == 0)
        return this;
    return QWidget::qt_metacast(name);
}

QSize TDesignHost::sizeHint() const
{
    return control_ ? DefaultDesignSize(control_) : QSize(160, 24);
}

bool TDesignHost::event(QEvent* event)
{
    if (event->type() == QEvent::DynamicPropertyChange && control_ && !syncing_) {
        const QByteArray name = static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName();
        const QVariant value = property(name.constData());
        if (value.isValid()) {
            SetDesignProperty(control_, QString::fromUtf8(name), value);
            // Shows what the control made of it (a refused value goes back to the old one).
            TFlagScope syncing(syncing_);
            const std::string n = name.toStdString();
            setProperty(name.constData(), ToDesignValue(QString::fromUtf8(name), control_->GetPropValue(n)));
        }
    }
    return QWidget::event(event);
}

void TDesignHost::resizeEvent(QResizeEvent* event)
{
    if (control_)
        control_->SetBounds(0, 0, event->size().width(), event->size().height());
    QWidget::resizeEvent(event);
}
