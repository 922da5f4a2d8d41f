#pragma once
// Keys as a person types them: each character goes to the widget that has the focus when it is
// typed, so that an editor the first key opened takes the following ones.
#include <QApplication>
#include <QTest>

inline void TypeWhereTheFocusIs(const QString& text)
{
    for (QChar ch : text) {
        QWidget* target = QApplication::focusWidget();
        if (!target)
            return; // the caller's checks find the missing text
        // Latin-1 letters have a key of their own (upper case, as Qt names keys); others none.
        const int key = ch.unicode() <= 0xFF ? ch.toUpper().unicode() : int(Qt::Key_unknown);
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key(key), QString(ch), Qt::NoModifier);
        QApplication::processEvents();
    }
}
