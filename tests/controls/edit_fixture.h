#pragma once
#include "controls/QelEdit.h"
#include "support/qel_db_fixture.h"
#include "toolkit/tk_test_util.h"

#include "binding/methods.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

inline constexpr const char* kEditSchema = R"(
fieldtype 40001 Kurztext : Zeichenkette length=10
class 40010 Adresse : Gültigkeit table=Adresse
  field Ort Text length=40
end
class 40030 Bankverbindung table=Bankverbindung
  field IBAN Text length=34
end
class 40020 Person : Objekt table=Person format="<Name>"
  field Name Text length=60
  field Vorname Text length=40
  field Kinder Ganzzahl
  field Gehalt Betrag
  field Geboren Datum
  field Termin DatumZeit
  field Beginn Uhrzeit
  field Bemerkung Langtext
  field Kuerzel Kurztext
  vector Adressen Adresse
  subobject Bank Bankverbindung
end
)";

class EditTest : public QelDbTest {
protected:
    EditTest()
        : QelDbTest(kEditSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        person = create("Person");
    }
    TQelEdit* edit(const std::string& path, const std::string& name = {})
    {
        auto* e = add<TQelEdit>(form.get(), name.empty() ? "ed" + path : name);
        e->set_FieldPath(path);
        return e;
    }
    TQelField* field(const std::string& name) const { return person->FieldByName(name); }
    // Real keys into the edit's widget; the edit must have the focus.
    void type(TQelEdit* e, const char* text)
    {
        for (QChar ch : QString::fromUtf8(text)) {
            if (ch.unicode() < 0x80) {
                QTest::keyClick(e->Handle(), ch.toLatin1());
            } else {
                // Latin-1 letters have their upper-case code as key code.
                const int key = ch.unicode() <= 0xFF ? ch.toUpper().unicode() : int(Qt::Key_unknown);
                QTest::sendKeyEvent(QTest::Click, e->Handle(), Qt::Key(key), QString(ch), Qt::NoModifier);
            }
        }
    }
    void focus(TQelEdit* e)
    {
        e->SetFocus();
        QApplication::processEvents();
    }

    TQelObject* person = nullptr;
};
