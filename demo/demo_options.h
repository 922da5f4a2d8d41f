#pragma once
#include <QString>
#include <QStringList>

// Command line of the demo application.
struct DemoOptions {
    QString dbPath; // object database file; created with sample data when missing
    QString screenshotDir; // non-empty: render every window to PNG there and exit
    bool helpShown = false;
    QString error; // non-empty: the command line was refused
};

// Parses the arguments; headless means no DISPLAY and no WAYLAND_DISPLAY.
DemoOptions parseDemoOptions(const QStringList& args, bool headless);
QString defaultDatabasePath();
QString demoHelpText();
