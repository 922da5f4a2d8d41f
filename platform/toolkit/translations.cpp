#include "toolkit/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

bool InstallQtTranslations()
{
    static QPointer<QTranslator> installed;
    if (installed)
        return true;
    if (!QCoreApplication::instance())
        return false;
    // Owned by the application object, so it goes with it (and a later one loads anew).
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    installed = translator;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    return true;
}
