#include "toolkit/designhost.h"

#include "toolkit/comctrls.h"
#include "toolkit/extctrls.h"
#include "toolkit/qtbridge.h"
#include "toolkit/registry.h"
#include "toolkit/tabctrl.h"

#include <QColor>
#include <QLineEdit>
#include <QResizeEvent>
#include <QtCore/private/qmetaobject_p.h>
#include <QtCore/private/qmetaobjectbuilder_p.h>
#include <cstdlib>
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

// Texts that run over several lines: lists of lines (column specifications, watched fields, HTML
// texts), SQL texts ("SQLRestriction", "SearchCondition") and HTML texts.
bool IsMultiLineText(const std::string& name, const TPropType& type)
{
    if (type.kind == TPropKind::Lines)
        return true;
    if (type.kind != TPropKind::Value)
        return false;
    const auto has = [&name](std::string_view part) { return name.find(part) != std::string::npos; };
    return name.rfind("SQL", 0) == 0 || has("HTML") || has("Condition");
}

TDesignType DesignTypeOf(const TComponent* component, const std::string& name)
{
    const TPropType type = component->PublishedPropType(name);
    switch (type.kind) {
    case TPropKind::Set:
        // Qt's flags hold 31 bits; a larger set stays a text.
        return type.count <= 31 ? TDesignType::Set : TDesignType::String;
    case TPropKind::Enum:
        return TDesignType::Enum;
    case TPropKind::Color:
        return TDesignType::Color;
    case TPropKind::Value:
        break;
    default:
        return TDesignType::String; // lines, references
    }
    const TPropValue v = component->GetPropValue(name);
    if (v == TPropValue(v.AsBoolean()))
        return TDesignType::Bool;
    if (v.IsString() || v.IsEmpty())
        return TDesignType::String;
    if (v == TPropValue(v.AsInteger()))
        return TDesignType::Int;
    return TDesignType::Double;
}

QVariant ToDesignValue(TDesignType type, const TPropType& prop, const TPropValue& v)
{
    switch (type) {
    case TDesignType::Color:
        return ToQColor(TColor(static_cast<std::int32_t>(v.AsInteger())));
    case TDesignType::Bool:
        return v.AsBoolean();
    case TDesignType::Int:
    case TDesignType::Enum:
        return static_cast<int>(v.AsInteger());
    case TDesignType::Double:
        return v.AsFloat();
    case TDesignType::Set: {
        std::uint64_t bits = 0;
        if (v.IsString())
            TextToSet(v.AsString(), prop.names, prop.count, bits);
        else
            bits = static_cast<std::uint64_t>(v.AsInteger());
        return static_cast<int>(bits);
    }
    case TDesignType::String:
        break;
    }
    return ToQString(v.AsString());
}

TPropValue FromDesignValue(const TPropType& type, const QVariant& value)
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
    if (type.kind == TPropKind::Color && value.canConvert<QColor>()) {
        const QColor c = value.value<QColor>();
        if (c.isValid())
            return static_cast<long long>(FromQColor(c));
    }
    return FromQString(value.toString());
}

QMetaType MetaTypeOf(TDesignType type)
{
    switch (type) {
    case TDesignType::String:
        return QMetaType::fromType<QString>();
    case TDesignType::Bool:
        return QMetaType::fromType<bool>();
    case TDesignType::Double:
        return QMetaType::fromType<double>();
    case TDesignType::Color:
        return QMetaType::fromType<QColor>();
    default:
        return QMetaType::fromType<int>();
    }
}

} // namespace

TDesignClass::~TDesignClass()
{
    std::free(meta);
}

const TDesignClass* DesignClassOf(const std::string& className, const TComponent* sample)
{
    static std::map<std::string, std::unique_ptr<TDesignClass>> classes;
    auto& slot = classes[className];
    if (slot)
        return slot.get();
    auto c = std::make_unique<TDesignClass>();
    QMetaObjectBuilder b;
    std::vector<std::pair<int, int>> enumerated; // property index, enumerator index
    b.setClassName(QByteArray::fromStdString(className));
    b.setSuperClass(&QWidget::staticMetaObject);
    for (const std::string& name : sample->PublishedPropNames()) {
        if (IsWidgetOwnProperty(name))
            continue;
        const TDesignType type = DesignTypeOf(sample, name);
        const TPropType prop = sample->PublishedPropType(name);
        const QByteArray qname = QByteArray::fromStdString(name);
        const bool isEnum = type == TDesignType::Set || type == TDesignType::Enum;
        // A set or an enumeration is held as int; the property's type names its enumerator.
        const QByteArray typeName = isEnum ? "T" + qname : QByteArray(MetaTypeOf(type).name());
        QMetaPropertyBuilder p = b.addProperty(qname, typeName, MetaTypeOf(type));
        p.setReadable(true);
        p.setWritable(!sample->IsReadOnlyProp(name));
        p.setDesignable(true);
        p.setScriptable(true);
        p.setStored(true);
        if (isEnum) {
            p.setEnumOrFlag(true);
            QMetaEnumBuilder e = b.addEnumerator(typeName);
            enumerated.emplace_back(p.index(), e.index());
            e.setIsFlag(type == TDesignType::Set);
            for (std::size_t i = 0; i < prop.count; ++i)
                e.addKey(prop.names[i], type == TDesignType::Set ? 1 << i : static_cast<int>(i));
        }
        c->props.push_back({ name, type, prop, type == TDesignType::String && IsMultiLineText(name, prop) });
    }
    c->meta = b.toMetaObject();
    // The builder records an int property under the type "int", where Qt looks up the
    // property's enumerator by its type name: point the type at the enumerator's name.
    auto* data = const_cast<uint*>(c->meta->d.data);
    const auto* header = reinterpret_cast<const QMetaObjectPrivate*>(data);
    for (const auto& [property, enumerator] : enumerated) {
        uint* prop = data + header->propertyData + property * QMetaObjectPrivate::IntsPerProperty;
        const uint* en = data + header->enumeratorData + enumerator * QMetaObjectPrivate::IntsPerEnum;
        prop[1] = IsUnresolvedType | en[0];
    }
    slot = std::move(c);
    return slot.get();
}

std::vector<TDesignProperty> DesignProperties(const TComponent* component)
{
    std::vector<TDesignProperty> props;
    for (const std::string& name : component->PublishedPropNames()) {
        if (IsWidgetOwnProperty(name))
            continue;
        const TDesignType type = DesignTypeOf(component, name);
        props.push_back({ ToQString(name),
            ToDesignValue(type, component->PublishedPropType(name), component->GetPropValue(name)) });
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
    TPropValue v = FromDesignValue(component->PublishedPropType(n), value);
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
    class_ = DesignClassOf(FromQString(className), control_);
    QWidget* w = control_->Handle();
    w->setParent(this);
    w->show();
    // In a layout the host is what Qt Designer places: it asks what the control's widget asks.
    setSizePolicy(w->sizePolicy());
    if (auto* pages = dynamic_cast<TPageControl*>(control_))
        pages->OnChange = TNotifyEvent([this](TObject*) { placePages(); });
    showAsAtRunTime();
}

TDesignHost::~TDesignHost()
{
    // The pages go first: a sheet's host frees its sheet, which leaves the page control.
    for (PageSlot& slot : pages_) {
        if (slot.page)
            QObject::disconnect(slot.page, &QObject::destroyed, this, nullptr);
        if (slot.ownSheet)
            delete slot.sheet;
        else
            delete slot.page.data();
    }
    pages_.clear();
    // The control goes first and takes its widget with it.
    if (control_)
        control_->Destroying();
    delete control_;
}

const QMetaObject* TDesignHost::metaObject() const
{
    return class_ ? class_->meta : QWidget::metaObject();
}

void* TDesignHost::qt_metacast(const char* name)
{
    if (class_ && name && std::strcmp(name, class_->meta->className()) == 0)
        return this;
    return QWidget::qt_metacast(name);
}

int TDesignHost::qt_metacall(QMetaObject::Call call, int id, void** argv)
{
    id = QWidget::qt_metacall(call, id, argv);
    if (id < 0 || !class_)
        return id;
    const int count = static_cast<int>(class_->props.size());
    switch (call) {
    case QMetaObject::ReadProperty:
        if (id < count)
            readProperty(class_->props[static_cast<std::size_t>(id)], argv[0]);
        break;
    case QMetaObject::WriteProperty:
        if (id < count)
            writeProperty(class_->props[static_cast<std::size_t>(id)], argv[0]);
        break;
    case QMetaObject::RegisterPropertyMetaType:
        if (id < count)
            *static_cast<int*>(argv[0]) = -1;
        break;
    case QMetaObject::ResetProperty:
    case QMetaObject::BindableProperty:
        break;
    default:
        return id;
    }
    return id - count;
}

void TDesignHost::readProperty(const TDesignClass::Property& p, void* value) const
{
    const QVariant v = ToDesignValue(p.type, p.prop, control_->GetPropValue(p.name));
    switch (p.type) {
    case TDesignType::String:
        if (p.prop.kind == TPropKind::Component) {
            // In the designer every control stands alone (no owner holds the others), so a
            // reference is kept as the name written; the loaded form resolves it.
            const auto it = references_.find(p.name);
            *static_cast<QString*>(value) = it != references_.end() ? it->second : v.toString();
        } else {
            *static_cast<QString*>(value) = v.toString();
        }
        break;
    case TDesignType::Bool:
        *static_cast<bool*>(value) = v.toBool();
        break;
    case TDesignType::Double:
        *static_cast<double*>(value) = v.toDouble();
        break;
    case TDesignType::Color:
        *static_cast<QColor*>(value) = v.value<QColor>();
        break;
    default:
        *static_cast<int*>(value) = v.toInt();
        break;
    }
}

void TDesignHost::writeProperty(const TDesignClass::Property& p, const void* value)
{
    TPropValue v;
    switch (p.type) {
    case TDesignType::String:
        if (p.prop.kind == TPropKind::Component)
            references_[p.name] = *static_cast<const QString*>(value);
        v = FromQString(*static_cast<const QString*>(value));
        break;
    case TDesignType::Bool:
        v = *static_cast<const bool*>(value);
        break;
    case TDesignType::Double:
        v = *static_cast<const double*>(value);
        break;
    case TDesignType::Color:
        v = static_cast<long long>(FromQColor(*static_cast<const QColor*>(value)));
        break;
    default:
        v = static_cast<long long>(*static_cast<const int*>(value));
        break;
    }
    // A refused value leaves the control as it was; the designer reads back what it holds.
    control_->SetPropValue(p.name, v);
    showAsAtRunTime();
}

void TDesignHost::showAsAtRunTime()
{
    // A data control is enabled once it is connected; an edit shows its field's name until then.
    if (!control_->IsPublishedProp("FieldPath"))
        return;
    control_->SetEnabled(true);
    QWidget* w = control_->Handle();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        const std::string path = control_->GetPropValue("FieldPath").AsString();
        const std::string prop
            = control_->IsPublishedProp("FieldProp") ? control_->GetPropValue("FieldProp").AsString() : "";
        edit->setPlaceholderText(ToQString(prop.empty() ? path : path.empty() ? prop : path + "." + prop));
    }
}

QSize TDesignHost::sizeHint() const
{
    if (layout())
        return QWidget::sizeHint();
    if (control_) {
        const QSize own = control_->Handle()->sizeHint();
        return own.isValid() && !HoldsPages() && !IsContainerControl(control_) ? own
                                                                               : DefaultDesignSize(control_);
    }
    return { 160, 24 };
}

QSize TDesignHost::minimumSizeHint() const
{
    if (layout())
        return QWidget::minimumSizeHint();
    return control_ ? control_->Handle()->minimumSizeHint() : QWidget::minimumSizeHint();
}

void TDesignHost::resizeEvent(QResizeEvent* event)
{
    // A sheet that stands on its page control is placed by it.
    if (control_ && !control_->Parent())
        control_->SetBounds(0, 0, event->size().width(), event->size().height());
    QWidget::resizeEvent(event);
    placePages();
}

bool TDesignHost::HoldsPages() const
{
    return dynamic_cast<TPageControl*>(control_) != nullptr;
}

QWidget* TDesignHost::Page(int index) const
{
    return index >= 0 && index < PageCount() ? pages_[static_cast<std::size_t>(index)].page.data() : nullptr;
}

int TDesignHost::CurrentPage() const
{
    auto* pc = dynamic_cast<TPageControl*>(control_);
    for (std::size_t i = 0; pc && i < pages_.size(); ++i)
        if (pages_[i].sheet == pc->ActivePage())
            return static_cast<int>(i);
    return -1;
}

void TDesignHost::SetCurrentPage(int index)
{
    auto* pc = dynamic_cast<TPageControl*>(control_);
    if (pc && index >= 0 && index < PageCount())
        pc->SetActivePage(pages_[static_cast<std::size_t>(index)].sheet);
    placePages();
}

void TDesignHost::InsertPage(int index, QWidget* page)
{
    auto* pc = dynamic_cast<TPageControl*>(control_);
    if (!pc || !page)
        return;
    index = std::clamp(index, 0, PageCount());
    PageSlot slot { page, nullptr, false };
    auto* pageHost = dynamic_cast<TDesignHost*>(page);
    slot.sheet = pageHost ? dynamic_cast<TTabSheet*>(pageHost->Control()) : nullptr;
    if (!slot.sheet) {
        // A plain page: a sheet of the host's own shows its tab, captioned by its window title.
        slot.sheet = new TTabSheet(nullptr);
        slot.sheet->SetCaption(FromQString(page->windowTitle()));
        slot.ownSheet = true;
        page->installEventFilter(this);
    }
    if (page->parentWidget() != this)
        page->setParent(this);
    slot.sheet->SetParent(pc);
    slot.sheet->SetPageIndex(index);
    pages_.insert(pages_.begin() + index, slot);
    QObject::connect(page, &QObject::destroyed, this, [this, page] {
        for (std::size_t i = 0; i < pages_.size(); ++i)
            if (pages_[i].page.isNull() || pages_[i].page == page) {
                // A sheet host freed its sheet with itself; a stand-in goes here.
                if (pages_[i].ownSheet)
                    delete pages_[i].sheet;
                pages_.erase(pages_.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
        placePages();
    });
    if (!pc->ActivePage())
        pc->SetActivePage(slot.sheet);
    placePages();
}

void TDesignHost::RemovePage(int index)
{
    if (index < 0 || index >= PageCount())
        return;
    detachPage(static_cast<std::size_t>(index));
    placePages();
}

void TDesignHost::detachPage(std::size_t i)
{
    const PageSlot slot = pages_[i];
    pages_.erase(pages_.begin() + static_cast<std::ptrdiff_t>(i));
    if (slot.page) {
        QObject::disconnect(slot.page, &QObject::destroyed, this, nullptr);
        slot.page->removeEventFilter(this);
    }
    if (slot.ownSheet) {
        delete slot.sheet;
        return;
    }
    // The sheet's widget goes back into its host, filling it.
    slot.sheet->SetParent(nullptr);
    slot.sheet->SetVisible(true);
    if (slot.page) {
        slot.sheet->Handle()->setParent(slot.page);
        slot.sheet->Handle()->setGeometry(slot.page->rect());
        slot.sheet->Handle()->show();
    }
}

void TDesignHost::placePages()
{
    auto* pc = dynamic_cast<TPageControl*>(control_);
    if (!pc)
        return;
    for (const PageSlot& slot : pages_) {
        if (!slot.page)
            continue;
        const bool current = slot.sheet == pc->ActivePage();
        if (current) {
            const TRect r = slot.sheet->BoundsRect();
            slot.page->setGeometry(r.Left, r.Top, r.Width(), r.Height());
            slot.page->raise();
        }
        slot.page->setVisible(current);
    }
}

bool TDesignHost::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowTitleChange)
        for (const PageSlot& slot : pages_)
            if (slot.page == watched && slot.ownSheet)
                slot.sheet->SetCaption(FromQString(slot.page->windowTitle()));
    return QWidget::eventFilter(watched, event);
}
