#include "demo_options.h"

#include <QDir>
#include <QStandardPaths>

QString defaultDatabasePath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dir.isEmpty())
        dir = QDir::currentPath();
    return QDir(dir).filePath("QelObjCntrl/demo.qeldb");
}

QString demoHelpText()
{
    return QStringLiteral("qeldemo: Beispielanwendung der datensensitiven Steuerelemente (QelObjCntrl)\n"
                          "\n"
                          "Aufruf: qeldemo [--db PFAD] [--persons N] [--screenshot [VERZEICHNIS]] [--help]\n"
                          "\n"
                          "  --db PFAD        Objektdatenbank öffnen; fehlt die Datei, wird sie mit\n"
                          "                   Beispieldaten angelegt (Vorgabe: %1).\n"
                          "                   Auch eine PostgreSQL-Datenbank: postgresql://BENUTZER@RECHNER/DB\n"
                          "                   (ohne Objekte bekommt sie die Beispieldaten)\n"
                          "  --persons N      so viele Beispielpersonen in einer neu angelegten\n"
                          "                   Datenbank (1 bis 2000000, Vorgabe: 200)\n"
                          "  --screenshot [VERZEICHNIS]\n"
                          "                   jedes Fenster als PNG nach VERZEICHNIS schreiben\n"
                          "                   (Vorgabe: out/screenshots), die Pfade ausgeben und enden.\n"
                          "                   Ohne Anzeige (weder DISPLAY noch WAYLAND_DISPLAY gesetzt)\n"
                          "                   geschieht das immer.\n"
                          "  --help           diese Hilfe\n")
        .arg(defaultDatabasePath());
}

DemoOptions parseDemoOptions(const QStringList& args, bool headless)
{
    DemoOptions o;
    o.dbPath = defaultDatabasePath();
    bool screenshot = headless;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--help" || a == "-h") {
            o.helpShown = true;
        } else if (a == "--db") {
            if (i + 1 >= args.size()) {
                o.error = "--db braucht einen Pfad";
                return o;
            }
            o.dbPath = args[++i];
        } else if (a.startsWith("--db=")) {
            o.dbPath = a.mid(5);
        } else if (a == "--persons" || a.startsWith("--persons=")) {
            QString value;
            if (a == "--persons") {
                if (i + 1 >= args.size()) {
                    o.error = "--persons braucht eine Anzahl";
                    return o;
                }
                value = args[++i];
            } else {
                value = a.mid(10);
            }
            bool ok = false;
            const int n = value.toInt(&ok);
            if (!ok || n < 1 || n > kMaxDemoPersons) {
                o.error
                    = QString("--persons: %1 ist keine Anzahl von 1 bis %2").arg(value).arg(kMaxDemoPersons);
                return o;
            }
            o.persons = n;
        } else if (a == "--screenshot") {
            screenshot = true;
            if (i + 1 < args.size() && !args[i + 1].startsWith("--"))
                o.screenshotDir = args[++i];
        } else if (a.startsWith("--screenshot=")) {
            screenshot = true;
            o.screenshotDir = a.mid(13);
        } else {
            o.error = QString("unbekannte Option: %1").arg(a);
            return o;
        }
    }
    if (screenshot && o.screenshotDir.isEmpty())
        o.screenshotDir = "out/screenshots";
    return o;
}
