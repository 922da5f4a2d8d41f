// kontakte: contacts in a form designed in Qt Designer (kontakt.ui), kept in an object database
// file of their own schema (kontakte.qelschema).
//
//   kontakte [datei.qeldb]   opens the file (creates it with the schema when it is missing) and
//                            shows the first contact; "Speichern" stores it, "Neuer Kontakt"
//                            starts another
//   kontakte --check         the same headless in a fresh folder: types a contact into the form,
//                            stores it, reads it back from the file and prints "kontakte: OK"
#include "QelObjCntrl.h"
#include "binding/methods.h"
#include "binding/objdb.h"
#include "binding/qeltimerglue.h"
#include "controls/QelEdit.h"
#include "toolkit/dialogs.h"
#include "toolkit/form.h"
#include "toolkit/stdctrls.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace {

std::string readFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The first stored contact, or a new one.
TQelObject* firstContact(TQelDatabase& db)
{
    const TQelClassKey cls = db.FindClass("Kontakt")->Key();
    auto list = db.CreateSQLEngine()->ListEx(cls, lfNotDeleted, "", "", "Kontakt.Name");
    list->Open();
    if (!list->Eof())
        return db.GetObjectA(TQelObjectKey(static_cast<int>(list->AsInteger(0))));
    return db.CreateObject(cls);
}

int fail(const std::string& what)
{
    std::fprintf(stderr, "kontakte: %s\n", what.c_str());
    return 1;
}

// Types a contact into the shown form, stores it and reads it back from the file.
int check(TForm& form, TQelObject* contact, const std::string& file)
{
    auto* first = dynamic_cast<TQelEdit*>(form.FindComponent("edVorname"));
    auto* last = dynamic_cast<TQelEdit*>(form.FindComponent("edName"));
    auto* born = dynamic_cast<TQelEdit*>(form.FindComponent("edGeburtstag"));
    auto* save = dynamic_cast<TButton*>(form.FindComponent("btnSpeichern"));
    if (!first || !last || !born || !save)
        return fail("the form lacks its controls");
    if (!first->Showing() || first->Width() < 100)
        return fail("the form is not laid out");
    first->SetText("Erika");
    last->SetText("Mustermann");
    born->SetText("17051980");
    born->Perform(CM_EXIT); // leaving the edit completes the date
    save->Click();
    if (contact->Touched())
        return fail("the contact was not stored: " + contact->ErrorMessage());
    // Another connection to the file sees what was stored.
    TQelDatabase reader;
    TQelOpenOptions options;
    options.readOnly = true;
    reader.Open(file, options);
    TQelObject* stored = reader.GetObjectA(contact->Key());
    const std::string text = stored ? stored->FieldByName("Vorname")->AsString() + " "
            + stored->FieldByName("Name")->AsString() + ", " + stored->FieldByName("Geburtstag")->AsString()
                                    : std::string("(nichts)");
    if (text != "Erika Mustermann, 17.05.1980")
        return fail("the file holds " + text);
    std::printf("kontakte: OK (%s)\n", text.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool checking = args.contains(QStringLiteral("--check"));
    std::string file = args.size() > 1 && !checking ? args[1].toStdString() : "kontakte.qeldb";
    std::optional<QTemporaryDir> scratch; // the check's file goes into a fresh private folder
    if (checking) {
        scratch.emplace();
        file = scratch->filePath(QStringLiteral("kontakte.qeldb")).toStdString();
    }

    QelObjCntrl::Initialize();
    int rc = 0;
    {
        TQelDatabase db;
        TQelOpenOptions options;
        options.schemaText = readFile(KONTAKTE_DIR "/kontakte.qelschema");
        options.schemaFile = "kontakte.qelschema";
        options.create = true;
        try {
            db.Open(file, options);
        } catch (const std::exception& e) {
            return fail(e.what());
        }
        SetQelDatabase(&db);
        QelInstallQtTimers(&db);

        TQelObject* contact = firstContact(db);
        TForm form(nullptr);
        form.SetCaption("Kontakt");
        form.SetClientWidth(420);
        form.SetClientHeight(260);
        const TFormLoadResult loaded = QelObjCntrl::LoadForm(&form, KONTAKTE_DIR "/kontakt.ui", &form);
        if (!loaded.ok)
            return fail(loaded.error);
        for (const std::string& w : loaded.warnings)
            std::fprintf(stderr, "kontakte: %s\n", w.c_str());
        const auto show = [&form](TQelObject* c) {
            TQelCommonMethods::ConnectSubControls(&form, c->FieldList(), false);
            form.SetCaption("Kontakt – " + (c->Name().empty() ? std::string("neu") : c->Name()));
        };
        show(contact);
        if (auto* save = dynamic_cast<TButton*>(form.FindComponent("btnSpeichern")))
            save->OnClick = TNotifyEvent([&](TObject*) {
                if (contact->Commit())
                    show(contact);
                else
                    MessageDlg("Nicht gespeichert:\n\n" + contact->ErrorMessage(), mtError, { mbOK });
            });
        if (auto* add = dynamic_cast<TButton*>(form.FindComponent("btnNeu")))
            add->OnClick = TNotifyEvent([&](TObject*) {
                contact = db.CreateObject(db.FindClass("Kontakt")->Key());
                show(contact);
            });
        form.Show();
        rc = checking ? check(form, contact, file) : app.exec();
        TQelCommonMethods::DisconnectSubControls(&form, false);
        SetQelDatabase(nullptr);
    }
    QelObjCntrl::Finalize();
    return rc;
}
