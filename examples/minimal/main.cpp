// A customer form from customer.ui over an in-memory database of its own schema. Run headless
// (QT_QPA_PLATFORM=offscreen) it checks both directions of the binding and exits; with --show it
// stays open.
#include "QelObjCntrl.h"
#include "binding/methods.h"
#include "binding/objdb.h"
#include "controls/QelCheckBox.h"
#include "controls/QelEdit.h"
#include "toolkit/form.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {

const char* const kSchema = R"(
class 50010 Anschrift table=Anschrift
  field Ort Text length=40
end
class 50020 Kunde : Objekt table=Kunde format="<Name>"
  field Name Text length=60
  field Aktiv Boolesch
  subobject Anschrift Anschrift
end
)";

int fail(const char* what)
{
    std::fprintf(stderr, "qelminimal: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QelObjCntrl::Initialize();
    int rc = 0;
    {
        TQelDatabase db;
        TQelOpenOptions options;
        options.schemaText = kSchema;
        options.create = true;
        db.Open(":memory:", options);
        SetQelDatabase(&db);

        TQelObject* kunde = db.CreateObject(db.FindClass("Kunde")->Key());
        kunde->FieldByName("Name")->set_AsString("Kern & Söhne");
        kunde->FieldList()->FindField("Anschrift.Ort", true)->set_AsString("Bonn");

        TForm form(nullptr);
        form.SetCaption("Kunde");
        form.SetClientWidth(420);
        form.SetClientHeight(220);
        const TFormLoadResult loaded = QelObjCntrl::LoadForm(&form, QEL_MINIMAL_UI, &form);
        if (!loaded.ok)
            return fail(loaded.error.c_str());
        for (const std::string& w : loaded.warnings)
            std::fprintf(stderr, "qelminimal: %s\n", w.c_str());
        TQelCommonMethods::ConnectSubControls(&form, kunde->FieldList(), false);

        auto* name = dynamic_cast<TQelEdit*>(form.FindComponent("edName"));
        auto* ort = dynamic_cast<TQelEdit*>(form.FindComponent("edOrt"));
        auto* aktiv = dynamic_cast<TQelCheckBox*>(form.FindComponent("cbAktiv"));
        if (!name || !ort || !aktiv || !loaded.warnings.empty())
            rc = fail("the form lacks its controls");
        else if (name->Text() != "Kern & Söhne" || ort->Text() != "Bonn")
            rc = fail("the controls do not show the customer");
        else {
            aktiv->SetChecked(true);
            if (kunde->FieldByName("Aktiv")->Null())
                rc = fail("the check box did not write the customer");
        }
        if (rc == 0 && argc > 1 && std::strcmp(argv[1], "--show") == 0) {
            form.Show();
            rc = app.exec();
        }
        if (rc == 0)
            std::printf("qelminimal: OK (%zu controls)\n", loaded.controls.size());
        TQelCommonMethods::DisconnectSubControls(&form, false);
        SetQelDatabase(nullptr);
    }
    QelObjCntrl::Finalize();
    return rc;
}
