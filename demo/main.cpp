// qeldemo: opens (or creates) the demo object database and shows the package's forms.
// Without a display, or with --screenshot, every window is rendered to PNG and the program ends.
#include "debug_window.h"
#include "demo_database.h"
#include "demo_options.h"
#include "firm_form.h"
#include "lists/QelSelectGrid.h"
#include "navigation_window.h"
#include "person_form.h"
#include "person_list.h"
#include "person_search.h"

#include "QelObjCntrl.h"
#include "binding/qeltimerglue.h"
#include "controls/QelEdit.h"
#include "controls/QelPageControl.h"
#include "toolkit/dialogs.h"
#include "toolkit/translations.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <cstdio>

namespace {

bool headless()
{
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool savePng(QWidget* w, const QString& dir, const QString& name)
{
    const QString file = QDir(dir).filePath(name + ".png");
    if (!w->grab().save(file)) {
        std::fprintf(stderr, "qeldemo: %s kann nicht geschrieben werden\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(QFileInfo(file).absoluteFilePath()));
    return true;
}

// Renders every form; a form with pages once per page (<form>-<page>.png).
int writeScreenshots(const QList<TCustomForm*>& forms, const QString& dir)
{
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "qeldemo: Verzeichnis %s kann nicht angelegt werden\n", qPrintable(dir));
        return 1;
    }
    for (TCustomForm* form : forms) {
        form->Show();
        QApplication::processEvents();
        const QString name = QString::fromStdString(form->Name());
        auto* pages = dynamic_cast<TPageControl*>(form->FindComponent("pcPerson"));
        if (!pages) {
            if (!savePng(form->Handle(), dir, name))
                return 1;
            continue;
        }
        for (int i = 0; i < pages->PageCount(); ++i) {
            pages->SetActivePageIndex(i);
            QApplication::processEvents();
            if (!savePng(
                    form->Handle(), dir, name + "-" + QString::fromStdString(pages->Pages(i)->Caption())))
                return 1;
        }
        pages->SetActivePageIndex(0);
    }
    return 0;
}

// A persons list with its popup menu open over the selected persons, as one picture.
int writeMenuScreenshot(TPersonListForm& list, const QString& dir, const QString& name)
{
    list.Show();
    QApplication::processEvents();
    TQelSelectGrid* grid = list.Grid();
    grid->update_popup_menu();
    const QPoint at = list.Handle()->mapToGlobal(QPoint(240, 150));
    grid->PopupMenu()->Popup(at.x(), at.y());
    QApplication::processEvents();
    QMenu* menu = grid->PopupMenu()->Handle();
    if (!menu)
        return 1;
    QPixmap picture = list.Handle()->grab();
    {
        QPainter painter(&picture);
        painter.drawPixmap(list.Handle()->mapFromGlobal(menu->pos()), menu->grab());
    }
    grid->PopupMenu()->CloseMenu();
    const QString file = QDir(dir).filePath(name + ".png");
    if (!picture.save(file)) {
        std::fprintf(stderr, "qeldemo: %s kann nicht geschrieben werden\n", qPrintable(file));
        return 1;
    }
    std::printf("%s\n", qPrintable(QFileInfo(file).absoluteFilePath()));
    return 0;
}

// The person form's page "Beziehungen" with the employer's tree dropped down.
int writeTreeComboScreenshot(TPersonForm& form, const QString& dir)
{
    form.Show();
    form.ShowEmployerTree();
    QApplication::processEvents();
    return savePng(form.Handle(), dir, "PersonForm-Baumauswahl") ? 0 : 1;
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
    // Qt's own dialogs and menus in German, as everything else.
    if (!InstallQtTranslations())
        std::fprintf(stderr, "qeldemo: Qts deutsche Übersetzungen (qtbase_de.qm) fehlen\n");
    std::printf("Datenbank: %s\n", qPrintable(opt.dbPath));
    DemoDatabase store = openDemoDatabase(opt.dbPath.toStdString(), opt.persons);
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
        TPersonSearchForm search(nullptr, store.db.get());
        TNavigationWindow navigation(nullptr, store.db.get());
        search.OnOpenPerson = [&form](TQelObjectKey key) {
            form.ShowPerson(key);
            form.Show();
        };
        // The firm with its employees and addresses; any object of it in the debug window.
        TFirmForm firm(nullptr, store.db.get());
        TDebugWindow debug(nullptr);
        firm.OnOpenPerson = [&form](TQelObject* person) {
            form.ShowObject(person);
            form.Show();
        };
        firm.OnInspect = [&debug](TQelObject* obj) {
            debug.ShowObject(obj);
            debug.Show();
        };
        firm.ShowFirm();
        if (!opt.screenshotDir.isEmpty()) {
            // The search window with a search done, as a clerk would see it.
            if (auto* name = dynamic_cast<TQelEdit*>(search.FindComponent("edName")))
                name->SetText("M");
            search.Search();
            // The persons list filtered through its filter row.
            list.Grid()->set_Filter("Name", "Schmitt");
            list.Grid()->Reload();
            // A second list with the filter of deleted persons: its rows are grey.
            TPersonListForm deleted(nullptr, store.db.get());
            deleted.SetName("DeletedPersonListForm");
            deleted.SetCaption("Personen (gelöschte)");
            deleted.Grid()->set_CurrentViewName("Gelöschte Personen");
            debug.ShowObject(firm.Firm());
            rc = writeScreenshots(
                { &form, &list, &deleted, &search, &firm, &debug, &navigation }, opt.screenshotDir);
            // The navigation window over the firms as well (captions, parent firms by name).
            navigation.ChooseClass("Firma");
            QApplication::processEvents();
            if (rc == 0 && !savePng(navigation.Handle(), opt.screenshotDir, "NavigationWindow-Firmen"))
                rc = 1;
            // The menu over two persons, and over a deleted one: restore it.
            TQelSelectGrid* grid = list.Grid();
            grid->set_Filter("Name", "");
            grid->Reload();
            grid->SelectRow(grid->FirstDataRow() + 1, 0);
            grid->SetRowSelect(grid->FirstDataRow() + 2, true);
            if (rc == 0)
                rc = writeMenuScreenshot(list, opt.screenshotDir, "PersonListForm-Menue");
            deleted.Grid()->SelectRow(deleted.Grid()->FirstDataRow(), 0);
            if (rc == 0)
                rc = writeMenuScreenshot(deleted, opt.screenshotDir, "DeletedPersonListForm-Menue");
            if (rc == 0)
                rc = writeTreeComboScreenshot(form, opt.screenshotDir);
        } else {
            // The list is the main window: closing it ends the demo. Enter or a double click opens
            // a person in its form. The window manager places the windows.
            Application()->SetMainForm(&list);
            for (TCustomForm* window :
                std::initializer_list<TCustomForm*> { &list, &search, &firm, &navigation }) {
                window->SetPosition(poDefault);
                window->Show();
            }
            rc = app.exec();
            Application()->SetMainForm(nullptr);
        }
    }
    QelObjCntrl::Finalize();
    SetQelDatabase(nullptr);
    return rc;
}
