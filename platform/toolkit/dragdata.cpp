#include "toolkit/dragdata.h"

#include "toolkit/icons.h"
#include "toolkit/qtbridge.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QIcon>
#include <QMimeDatabase>
#include <QPointer>
#include <QStyle>

namespace {

const char* const kSourceFormat = "application/x-qelobjcntrl-control";

// The widget of the source, guarded: a source destroyed during the drag names nothing.
QPointer<QWidget> g_source;
quintptr g_serial = 0;

} // namespace

QMimeData* QelControlDragData(TControl* source)
{
    auto* data = new QMimeData;
    g_source = source ? source->Handle() : nullptr;
    data->setData(kSourceFormat, QByteArray::number(static_cast<qulonglong>(++g_serial)));
    return data;
}

TControl* QelDragSource(const QMimeData* data)
{
    if (!data || !data->hasFormat(kSourceFormat) || !g_source)
        return nullptr;
    if (data->data(kSourceFormat).toULongLong() != g_serial)
        return nullptr;
    return TControl::FromWidget(g_source);
}

namespace {

void fromIcon(const QIcon& icon, int size, TBitmap& out)
{
    out.Storage().pixmap = icon.pixmap(size, size);
}

} // namespace

void StockIcon(TStockIcon kind, int size, TBitmap& out)
{
    QStyle* s = QApplication::style();
    QStyle::StandardPixmap p = QStyle::SP_FileIcon;
    switch (kind) {
    case siFolder:
        p = QStyle::SP_DirClosedIcon;
        break;
    case siFolderOpen:
        p = QStyle::SP_DirOpenIcon;
        break;
    case siObject:
        p = QStyle::SP_DirHomeIcon;
        break;
    case siMissing:
        p = QStyle::SP_MessageBoxWarning;
        break;
    case siFile:
        break;
    }
    fromIcon(s->standardIcon(p), size, out);
}

void FileTypeIcon(const std::string& ext, int size, TBitmap& out)
{
    QIcon icon;
    if (!ext.empty()) {
        static QMimeDatabase mimes;
        const QMimeType type = mimes.mimeTypeForFile("x." + ToQString(ext), QMimeDatabase::MatchExtension);
        icon = QIcon::fromTheme(type.iconName());
        if (icon.isNull())
            icon = QIcon::fromTheme(type.genericIconName());
    }
    if (icon.isNull())
        StockIcon(siFile, size, out);
    else
        fromIcon(icon, size, out);
}
