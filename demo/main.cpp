// qeldemo: opens (or creates) the demo object database and shows the package's forms.
// Without a display, or with --screenshot, every window is rendered to PNG and the program ends.
#include "demo_database.h"
#include "demo_options.h"
#include "person_form.h"
#include "person_list.h"

#include "QelObjCntrl.h"
#include "binding/qeltimerglue.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QWidget>

#include <cstdio>

namespace {

bool headless()
{
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int writeScreenshots(const QList<TCustomForm*>& forms, const QString& dir)
{
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "qeldemo: Verzeichnis %s kann nicht angelegt werden\n", qPrintable(dir));
        return 1;
    }
    for (TCustomForm* form : forms) {
        form->Show();
        QApplication::processEvents();
        QWidget* w = form->Handle();
        const QString file = QDir(dir).filePath(QString::fromStdString(form->Name()) + ".png");
        if (!w->grab().save(file)) {
            std::fprintf(stderr, "qeldemo: %s kann nicht geschrieben werden\n", qPrintable(file));
            return 1;
        }
        std::printf("%s\n", qPrintable(QFileInfo(file).absoluteFilePath()));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const bool noDisplay = headless();
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const DemoOptions opt = parseDemoOptions(args, noDisplay);
    if (opt.helpShown) {
        std::printf("%s", qPrintable(demoHelpText()));
        return 0;
    }
    if (!opt.error.isEmpty()) {
        std::fprintf(stderr, "qeldemo: %s\n\n%s", qPrintable(opt.error), qPrintable(demoHelpText()));
        return 2;
    }
    if (!opt.screenshotDir.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    std::printf("Datenbank: %s\n", qPrintable(opt.dbPath));
    DemoDatabase store = openDemoDatabase(opt.dbPath.toStdString());
    if (!store.error.empty()) {
        std::fprintf(stderr, "qeldemo: %s\n", store.error.c_str());
        return 1;
    }
    if (store.created)
        std::printf("Neu angelegt mit Beispieldaten.\n");
    std::fflush(stdout);
    SetQelDatabase(store.db.get());

    QelObjCntrl::Initialize();
    QelInstallQtTimers(store.db.get());
    int rc = 0;
    {
        TPersonForm form(nullptr, store.db.get());
        form.ShowPerson();
        TPersonListForm list(nullptr, store.db.get());
        if (!opt.screenshotDir.isEmpty()) {
            rc = writeScreenshots({ &form, &list }, opt.screenshotDir);
        } else {
            // The list is the main window; Enter or a double click opens a person in its form.
            list.Show();
            rc = app.exec();
        }
    }
    QelObjCntrl::Finalize();
    SetQelDatabase(nullptr);
    return rc;
}
