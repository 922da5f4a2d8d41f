#pragma once
#include <QString>
#include <QStringList>

inline constexpr int kMaxDemoPersons = 2000000;

// Command line of the demo application.
struct DemoOptions {
    QString dbPath; // object database file; created with sample data when missing
    QString screenshotDir; // non-empty: render every window to PNG there and exit
    int persons = 200; // sample persons of a newly created database
    bool helpShown = false;
    QString error; // non-empty: the command line was refused
};

// Parses the arguments; headless means no DISPLAY and no WAYLAND_DISPLAY.
DemoOptions parseDemoOptions(const QStringList& args, bool headless);
QString defaultDatabasePath();
QString demoHelpText();
