#include "toolkit/clipbrd.h"

#include "toolkit/qtbridge.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

std::string TClipboard::AsText() const
{
    return FromQString(QApplication::clipboard()->text());
}

void TClipboard::SetAsText(const std::string& text)
{
    QApplication::clipboard()->setText(ToQString(text));
}

std::u16string TClipboard::AsWideText() const
{
    const QString t = QApplication::clipboard()->text();
    return std::u16string(reinterpret_cast<const char16_t*>(t.utf16()), static_cast<size_t>(t.size()));
}

void TClipboard::SetAsWideText(const std::u16string& text)
{
    QApplication::clipboard()->setText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
}

bool TClipboard::HasFormat(unsigned format) const
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (format == CF_TEXT || format == CF_UNICODETEXT)
        return data && data->hasText();
    return false;
}

void TClipboard::Clear()
{
    QApplication::clipboard()->clear();
}

TClipboard* Clipboard()
{
    static TClipboard clipboard;
    return &clipboard;
}
