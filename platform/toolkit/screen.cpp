#include "toolkit/screen.h"

#include "toolkit/qtbridge.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QStyle>
#include <cmath>

namespace {

QScreen* PrimaryScreen()
{
    return QCoreApplication::instance() ? QGuiApplication::primaryScreen() : nullptr;
}

} // namespace

int TScreen::Width() const
{
    QScreen* s = PrimaryScreen();
    return s ? s->geometry().width() : 1024;
}

int TScreen::Height() const
{
    QScreen* s = PrimaryScreen();
    return s ? s->geometry().height() : 768;
}

int TScreen::PixelsPerInch() const
{
    QScreen* s = PrimaryScreen();
    return s ? static_cast<int>(std::lround(s->logicalDotsPerInch())) : 96;
}

void TScreen::SetCursor(TCursor cursor)
{
    if (cursor == cursor_)
        return;
    if (QCoreApplication::instance()) {
        if (cursor_ != crDefault)
            QApplication::restoreOverrideCursor();
        if (cursor != crDefault)
            QApplication::setOverrideCursor(QCursor(QtCursor(cursor)));
    }
    cursor_ = cursor;
}

TScreen* Screen()
{
    static TScreen screen;
    return &screen;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
        return Screen()->Width();
    case SM_CYSCREEN:
        return Screen()->Height();
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return QCoreApplication::instance() ? QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent)
                                            : 16;
    default:
        return 0;
    }
}
