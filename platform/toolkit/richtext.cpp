#include "toolkit/richtext.h"

#include "toolkit/graphics.h"
#include "toolkit/qtbridge.h"

#include <QRegularExpression>

QString ToQtRichText(const std::string& html)
{
    static const QRegularExpression colorAttr(
        QStringLiteral("\\b((?:bg)?color)\\s*=\\s*\"?(cl[A-Za-z0-9]+|\\$[0-9A-Fa-f]+)\"?"),
        QRegularExpression::CaseInsensitiveOption);
    const QString in = ToQString(html);
    QString out;
    qsizetype last = 0;
    for (auto it = colorAttr.globalMatch(in); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += in.mid(last, m.capturedStart() - last);
        const auto color = IdentToColor(FromQString(m.captured(2)));
        if (color)
            out += m.captured(1) + QStringLiteral("=\"") + ToQColor(*color).name() + QLatin1Char('"');
        else
            out += m.captured(0);
        last = m.capturedEnd();
    }
    out += in.mid(last);
    return out;
}
