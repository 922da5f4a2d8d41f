#pragma once
// Qt's own texts in German: the file and folder dialogs, the context menus of edits, the
// standard buttons. The package's texts are German already; without this Qt's are English.

// Installs Qt's German translations (qtbase_de.qm from Qt's translations folder) into the running
// application and makes German Qt's default locale (dates and sizes in the file dialog); call it
// once the application object exists. Installs them once, however often it is called; false when
// the file was not found or there is no application object.
bool InstallQtTranslations();
