#pragma once
// A fresh in-memory database per test (persons with an employer), made current, whose timer
// tasks run on a manual clock; the package's units are initialised.
#include "QelObjCntrl.h"
#include "binding/methods.h"
#include "binding/objdb.h"
#include "support/qel_db_fixture.h"
#include "support/test_output.h"
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

class LabelsTest : public QelDbTest {
protected:
    LabelsTest()
        : QelDbTest(kLabelsSchema)
    {
    }
    void SetUp() override
    {
        QelObjCntrl::Register();
        QelDbTest::SetUp();
        form->SetBounds(0, 0, 500, 300);
        tasks()->set_Clock(&clock);
        tasks()->set_Dispatcher(&clock);

        firm = create("Firma");
        field(firm, "Name")->set_AsString("Müller & Söhne GmbH");
        firm->Commit();
        person = create("Person");
        field(person, "Vorname")->set_AsString("Anna");
        field(person, "Name")->set_AsString("Ott");
    }
    void TearDown() override { QelDbTest::TearDown(); }

    TQelTimerTasks* tasks() const { return db->TimerTasks(); }
    TQelFieldList* fl() const { return person->FieldList(); }
    static TQelField* field(TQelObject* obj, const std::string& name)
    {
        return QelSafeCast<TQelField>(obj->FieldList()->FindOI(name, TQelObjectInterface::oiField, false));
    }
    TQelRefField* employer() const { return QelSafeCast<TQelRefField>(field(person, "Arbeitgeber")); }

    template <class T> T* add(const std::string& name, const std::string& path)
    {
        auto* c = QelDbTest::add<T>(form.get(), name);
        c->SetBounds(10, 10 + 30 * (form->GetControlCount() - 1), 300, 24);
        c->set_FieldPath(path);
        return c;
    }

    // The tests' clock; the database is closed in TearDown, before the clock goes.
    TQelManualClock clock;
    TQelObject* firm = nullptr;
    TQelObject* person = nullptr;
};
