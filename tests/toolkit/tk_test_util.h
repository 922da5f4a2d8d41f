#pragma once
// Helpers of the toolkit tests: showing a form for real input, and a log of hook calls.
#include "toolkit/form.h"

#include <QApplication>
#include <QColor>
#include <QTest>
#include <QWidget>
#include <string>
#include <vector>

// Shows the form and makes its window the active one, so that focus and keys reach it.
inline bool ShowActive(TCustomForm& form)
{
    form.Show();
    QWidget* w = form.Handle();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    return QTest::qWaitForWindowActive(w);
}

using HookLog = std::vector<std::string>;

// The Qt colour a toolkit colour stands for in the current palette.
inline QColor ToQColorForTest(TColor c)
{
    const TColor rgb = ColorToRGB(c);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}
