#pragma once
// A keyboard walk through a shown window: Tab (or Shift+Tab) is pressed where the focus is, as a
// person presses it, until the focus is back on the widget it started on. Each stop records the
// focused widget and the name of the control that owns it, so that a test can tell a skipped
// control, a control reached twice, and a control that keeps the focus (a trap).
#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <functional>
#include <vector>

struct FocusStop {
    QWidget* widget = nullptr;
    QString control; // the owning control's name
    QString widgetClass; // the Qt class that has the focus
};

struct FocusChain {
    std::vector<FocusStop> stops; // the start first
    bool closed = false; // the walk came back to its start
    QString trap; // why the walk stopped early, empty when it closed

    QStringList Controls() const
    {
        QStringList names;
        for (const FocusStop& s : stops)
            names << s.control;
        return names;
    }
    // The controls that appear more than once.
    QStringList Repeated() const
    {
        QStringList seen, twice;
        for (const FocusStop& s : stops) {
            if (seen.contains(s.control) && !twice.contains(s.control))
                twice << s.control;
            seen << s.control;
        }
        return twice;
    }
    QString Text() const
    {
        QStringList lines;
        for (const FocusStop& s : stops)
            lines << QStringLiteral("%1 (%2)").arg(s.control, s.widgetClass);
        return lines.join(QLatin1String(" -> "));
    }
};

// Names the control a focused widget belongs to.
using FocusOwnerName = std::function<QString(QWidget*)>;
// Whether Tab is input for the focused widget (a grid moving between its cells): it is left
// with Ctrl+Tab instead.
using TakesTab = std::function<bool(QWidget*)>;

// Presses Tab (Shift+Tab when `forward` is false) from the widget that has the focus now, at most
// `maxSteps` times. The walk stops when the focus comes back to the start, when a key does not
// move it, when it leaves the window or when a popup takes the keyboard.
inline FocusChain RecordFocusChain(
    const FocusOwnerName& ownerName, bool forward = true, const TakesTab& takesTab = {}, int maxSteps = 200)
{
    FocusChain chain;
    QWidget* start = QApplication::focusWidget();
    if (!start) {
        chain.trap = QStringLiteral("no widget has the focus");
        return chain;
    }
    QWidget* const window = start->window();
    const auto stop = [&](QWidget* w) {
        chain.stops.push_back({ w, ownerName(w), QString::fromLatin1(w->metaObject()->className()) });
    };
    stop(start);
    QWidget* at = start;
    for (int i = 0; i < maxSteps; ++i) {
        // What a keyboard sends: Shift+Tab arrives as Backtab with Shift held.
        const Qt::KeyboardModifiers ctrl = takesTab && takesTab(at) ? Qt::ControlModifier : Qt::NoModifier;
        if (forward)
            QTest::keyClick(at, Qt::Key_Tab, ctrl);
        else
            QTest::keyClick(at, Qt::Key_Backtab, Qt::ShiftModifier | ctrl);
        QApplication::processEvents();
        if (QWidget* popup = QApplication::activePopupWidget()) {
            chain.trap = QStringLiteral("a popup took the keyboard at %1").arg(ownerName(at));
            popup->close();
            return chain;
        }
        QWidget* now = QApplication::focusWidget();
        if (!now || now->window() != window) {
            chain.trap = QStringLiteral("the focus left the window after %1").arg(ownerName(at));
            return chain;
        }
        if (now == at) {
            chain.trap = QStringLiteral("Tab did not move the focus from %1").arg(ownerName(at));
            return chain;
        }
        if (now == start) {
            chain.closed = true;
            return chain;
        }
        stop(now);
        at = now;
    }
    chain.trap = QStringLiteral("no way back to the start after %1 steps").arg(maxSteps);
    return chain;
}
