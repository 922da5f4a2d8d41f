#pragma once
// A fresh in-memory database per test (persons with an employer), made current, whose timer
// tasks run on a manual clock; the package's units are initialised.
#include "QelObjCntrl.h"
#include "binding/methods.h"
#include "binding/objdb.h"
#include "toolkit/form.h"

#include <QDir>
#include <QString>
#include <gtest/gtest.h>
#include <memory>

inline constexpr const char* kLabelsSchema = R"(
class 31010 Firma : Objekt table=Firma format="<Name>"
  field Name Text length=80
  field Ort Text length=40
end
class 31020 Person : Objekt table=Person format="<Name>, <Vorname>"
  field Vorname Text length=40
  field Name Text length=200 description="Nachname"
  field Gehalt Betrag
  field Arbeitgeber Referenz ref=Firma description="Arbeitgeber"
end
)";

class LabelsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QelObjCntrl::Initialize();
        QelObjCntrl::Register();
        db = std::make_unique<TQelDatabase>();
        TQelOpenOptions o;
        o.schemaText = kLabelsSchema;
        o.create = true;
        db->Open(":memory:", o);
        SetQelDatabase(db.get());
        tasks()->set_Clock(&clock);
        tasks()->set_Dispatcher(&clock);

        firm = db->CreateObject(db->FindClass("Firma")->Key());
        field(firm, "Name")->set_AsString("Müller & Söhne GmbH");
        firm->Commit();
        person = db->CreateObject(db->FindClass("Person")->Key());
        field(person, "Vorname")->set_AsString("Anna");
        field(person, "Name")->set_AsString("Ott");

        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 500, 300);
    }
    void TearDown() override
    {
        form.reset();
        SetQelDatabase(nullptr);
        db.reset();
        QelObjCntrl::Finalize();
    }

    TQelTimerTasks* tasks() const { return db->TimerTasks(); }
    TQelFieldList* fl() const { return person->FieldList(); }
    static TQelField* field(TQelObject* obj, const std::string& name)
    {
        return QelSafeCast<TQelField>(obj->FieldList()->FindOI(name, TQelObjectInterface::oiField, false));
    }
    TQelRefField* employer() const { return QelSafeCast<TQelRefField>(field(person, "Arbeitgeber")); }

    template <class T> T* add(const std::string& name, const std::string& path)
    {
        auto* c = new T(form.get());
        c->SetName(name);
        c->SetParent(form.get());
        c->SetBounds(10, 10 + 30 * (form->GetControlCount() - 1), 300, 24);
        c->set_FieldPath(path);
        return c;
    }

    static QString OutputDir()
    {
        QString dir = qEnvironmentVariable("QEL_TEST_OUTPUT");
        if (dir.isEmpty())
            dir = QDir::tempPath() + QStringLiteral("/qel-test-output");
        QDir().mkpath(dir);
        return dir;
    }

    // Declared first: the database detaches from it when it closes.
    TQelManualClock clock;
    std::unique_ptr<TQelDatabase> db;
    TQelObject* firm = nullptr;
    TQelObject* person = nullptr;
    std::unique_ptr<TForm> form;
};
