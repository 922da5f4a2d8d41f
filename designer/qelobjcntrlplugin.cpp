#include "qelobjcntrlplugin.h"

#include "QelObjCntrl.h"

#include "toolkit/designhost.h"
#include "toolkit/formloader.h"
#include "toolkit/qtbridge.h"
#include "toolkit/registry.h"

#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <memory>

namespace {

const char* const kStandardGroup = "TelvoODB Standard";

// The capitals of a class name without its prefix, as the icon's text: TQelVectorGrid "VG".
QString IconText(const QString& className)
{
    QString base = className;
    for (const char* prefix : { "TQel", "T" })
        if (base.startsWith(QLatin1String(prefix)) && base.size() > static_cast<int>(qstrlen(prefix))) {
            base = base.mid(static_cast<int>(qstrlen(prefix)));
            break;
        }
    QString text;
    for (QChar c : base)
        if (c.isUpper() && text.size() < 2)
            text += c;
    return text.isEmpty() ? base.left(2) : text;
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
        size_ = DefaultDesignSize(c);
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
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, IconText(className_));
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
    return QStringLiteral("<ui language=\"c++\"><widget class=\"%1\" name=\"%2\">"
                          "<property name=\"geometry\"><rect><x>0</x><y>0</y>"
                          "<width>%3</width><height>%4</height></rect></property>"
                          "</widget></ui>")
        .arg(className_, object)
        .arg(size_.width())
        .arg(size_.height());
}

TQelDesignerCollection::TQelDesignerCollection(QObject* parent)
    : QObject(parent)
{
    QelObjCntrl::Initialize();
    QelObjCntrl::Register();
    RegisterStandardComponents();
    auto add = [this](const std::string& page, const char* group) {
        for (const TComponentClass& c : PaletteClasses(page)) {
            auto w = std::make_unique<TQelDesignerWidget>(ToQString(c.name), QString::fromUtf8(group), this);
            if (w->makesControl())
                widgets_.append(w.release());
        }
    };
    add(QelObjCntrl::PalettePage, QelObjCntrl::PalettePage);
    add(kStandardPalettePage, kStandardGroup);
}

// The package stays initialised: Qt destroys a plugin's instance only at the very end, after the
// package's own globals may be gone.
TQelDesignerCollection::~TQelDesignerCollection() = default;
