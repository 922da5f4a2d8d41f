#include "qelobjcntrlplugin.h"

#include "QelObjCntrl.h"
#include "qelpagecontainer.h"

#include "toolkit/designhost.h"
#include "toolkit/formloader.h"
#include "toolkit/qtbridge.h"
#include "toolkit/registry.h"

#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSet>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QExtensionManager>
#include <memory>

namespace {

const char* const kStandardGroup = "TelvoODB Standard";

// The class name without its prefix: TQelVectorGrid "VectorGrid".
QString BaseName(const QString& className)
{
    for (const char* prefix : { "TQel", "T" })
        if (className.startsWith(QLatin1String(prefix))
            && className.size() > static_cast<int>(qstrlen(prefix)))
            return className.mid(static_cast<int>(qstrlen(prefix)));
    return className;
}

// Texts for the icon, best first: the capitals of the name ("VG"), more of them, the first
// letters of its words ("VeGr").
QStringList IconTexts(const QString& className)
{
    const QString base = BaseName(className);
    QString capitals, words;
    for (int i = 0; i < base.size(); ++i) {
        if (!base[i].isUpper())
            continue;
        capitals += base[i];
        words += base[i];
        if (i + 1 < base.size() && base[i + 1].isLower())
            words += base[i + 1];
    }
    QStringList texts;
    for (const QString& t :
        { capitals.left(2), capitals.left(3), words.left(3), words.left(4), base.left(2), base.left(3) })
        if (!t.isEmpty() && !texts.contains(t))
            texts.append(t);
    return texts;
}

} // namespace

TQelDesignerWidget::TQelDesignerWidget(const QString& className, const QString& group, QObject* parent)
    : QObject(parent)
    , className_(className)
    , group_(group)
{
    // A sample tells whether the control takes children and how large it starts.
    TDesignHost sample(className_, nullptr);
    if (TControl* c = sample.Control()) {
        container_ = IsContainerControl(c);
        pages_ = sample.HoldsPages();
        size_ = DefaultDesignSize(c);
        if (const TDesignClass* cls = DesignClassOf(c->ClassName(), c))
            for (const TDesignClass::Property& p : cls->props)
                if (p.multiLine)
                    multiLine_.append(ToQString(p.name));
    }
    const QStringList texts = IconTexts(className_);
    iconText_ = texts.isEmpty() ? className_.left(2) : texts.front();
}

void TQelDesignerWidget::initialize(QDesignerFormEditorInterface* core)
{
    if (initialized_)
        return;
    initialized_ = true;
    // One factory per form editor makes the page controls' container extensions.
    QExtensionManager* manager = core->extensionManager();
    if (!manager->property("qelPageContainers").toBool()) {
        manager->setProperty("qelPageContainers", true);
        manager->registerExtensions(new TQelExtensionFactory(manager), Q_TYPEID(QDesignerContainerExtension));
    }
}

QString TQelDesignerWidget::toolTip() const
{
    return group_ == QLatin1String(QelObjCntrl::PalettePage)
        ? QStringLiteral("%1 – datensensitives Steuerelement").arg(className_)
        : QStringLiteral("%1 – Standard-Steuerelement").arg(className_);
}

QString TQelDesignerWidget::whatsThis() const
{
    return group_ == QLatin1String(QelObjCntrl::PalettePage)
        ? QStringLiteral("%1 zeigt das Feld, das sein FieldPath nennt, und schreibt Eingaben zurück. "
                         "Das Formular bindet es mit ConnectSubControls.")
              .arg(className_)
        : QStringLiteral("%1 aus dem Werkzeugkasten der Steuerelemente.").arg(className_);
}

QString TQelDesignerWidget::includeFile() const
{
    return QStringLiteral("toolkit/formloader.h");
}

QIcon TQelDesignerWidget::icon() const
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const bool package = group_ == QLatin1String(QelObjCntrl::PalettePage);
    p.setBrush(package ? QColor(0x2E, 0x6D, 0xA4) : QColor(0x70, 0x70, 0x70));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(1, 1, 22, 22), 4, 4);
    QFont f;
    f.setPixelSize(iconText_.size() > 2 ? 8 : 11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter | Qt::TextWrapAnywhere, iconText_);
    return QIcon(pm);
}

QWidget* TQelDesignerWidget::createWidget(QWidget* parent)
{
    return new TDesignHost(className_, parent);
}

QString TQelDesignerWidget::domXml() const
{
    QString object = className_;
    if (object.startsWith(QLatin1Char('T')))
        object = object.mid(1);
    if (!object.isEmpty())
        object[0] = object[0].toLower();
    // A new page control comes with two pages.
    QString pages;
    if (pages_)
        for (int i = 1; i <= 2; ++i)
            pages
                += QStringLiteral("<widget class=\"TTabSheet\" name=\"tabSheet%1\">"
                                  "<property name=\"Caption\"><string>Seite %1</string></property></widget>")
                       .arg(i);
    // Texts of several lines get Designer's multi-line editor.
    QString specs;
    for (const QString& name : multiLine_)
        specs += QStringLiteral("<stringpropertyspecification name=\"%1\" notr=\"true\" type=\"multiline\"/>")
                     .arg(name);
    if (!specs.isEmpty())
        specs = QStringLiteral("<customwidgets><customwidget><class>%1</class><propertyspecifications>%2"
                               "</propertyspecifications></customwidget></customwidgets>")
                    .arg(className_, specs);
    return QStringLiteral("<ui language=\"c++\"><widget class=\"%1\" name=\"%2\">"
                          "<property name=\"geometry\"><rect><x>0</x><y>0</y>"
                          "<width>%3</width><height>%4</height></rect></property>%5"
                          "</widget>%6</ui>")
        .arg(className_, object)
        .arg(size_.width())
        .arg(size_.height())
        .arg(pages, specs);
}

TQelDesignerCollection::TQelDesignerCollection(QObject* parent)
    : QObject(parent)
{
    QelObjCntrl::Initialize();
    QelObjCntrl::Register();
    RegisterStandardComponents();
    auto add = [this](const std::string& page, const char* group) {
        // Icons differ within the group (the groups differ by colour).
        QSet<QString> used;
        for (const TComponentClass& c : PaletteClasses(page)) {
            auto w = std::make_unique<TQelDesignerWidget>(ToQString(c.name), QString::fromUtf8(group), this);
            if (!w->makesControl())
                continue;
            QString text;
            for (const QString& t : IconTexts(ToQString(c.name)))
                if (!used.contains(t)) {
                    text = t;
                    break;
                }
            for (int n = 2; text.isEmpty() || used.contains(text); ++n)
                text = IconTexts(ToQString(c.name)).value(0).left(2) + QString::number(n);
            used.insert(text);
            w->setIconText(text);
            widgets_.append(w.release());
        }
    };
    add(QelObjCntrl::PalettePage, QelObjCntrl::PalettePage);
    add(kStandardPalettePage, kStandardGroup);
}

// The package stays initialised: Qt destroys a plugin's instance only at the very end, after the
// package's own globals may be gone.
TQelDesignerCollection::~TQelDesignerCollection() = default;
