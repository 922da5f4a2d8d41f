#pragma once
#include "pickers/QelCombo.h"
#include "support/qel_db_fixture.h"
#include "toolkit/tk_test_util.h"

#include "binding/methods.h"
#include "toolkit/scripteddialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <sqlite3.h>

inline constexpr const char* kComboSchema = R"(
fieldtype 50001 Anrede : Auswahl domain="Herr=Hr.|Frau=Fr.|Divers"
class 50005 Adresse : Gültigkeit table=Adresse format="<Ort>"
  field Ort Text length=40
end
class 50010 Firma : Objekt table=Firma format="<Name>" noun=Firma gender=f plural=Firmen
  field Name Text length=80
  field Ort Text length=40
  vector Standorte Adresse
end
class 50011 Lieferant : Firma noun=Lieferant gender=m plural=Lieferanten genitive=Lieferanten
  field Nummer Ganzzahl
end
class 50020 Person : Objekt table=Person format="<Name>" noun=Person gender=f plural=Personen
  field Name Text length=60
  field Anrede Anrede
  field Status Auswahl domain="aktiv|ruhend"
  field Pflicht Auswahl domain="A|B" mandatory
  field Aktiv Boolesch
  field Arbeitgeber Referenz ref=Firma
  field Kuerzel Text length=10
  field Wohnort ERVSchluessel
  field Kinder Ganzzahl
  vector Adressen Adresse
end
)";

class ComboTest : public QelDbTest {
protected:
    ComboTest()
        : QelDbTest(kComboSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        person = create("Person");
        person->FieldByName("Name")->set_AsString("Muster");
        person->FieldByName("Pflicht")->set_AsString("A");
    }
    // A stored firm.
    TQelObject* firm(const std::string& name, const std::string& cls = "Firma")
    {
        TQelObject* f = create(cls);
        f->FieldByName("Name")->set_AsString(name);
        EXPECT_TRUE(f->Commit()) << f->ErrorMessage();
        return f;
    }
    TQelCombo* combo(const std::string& path, const std::string& name = {})
    {
        auto* c = add<TQelCombo>(form.get(), name.empty() ? "cb" + path : name);
        c->set_FieldPath(path);
        return c;
    }
    TQelField* field(const std::string& name) const { return person->FieldByName(name); }
    QComboBox* box(TQelCombo* c) const { return static_cast<QComboBox*>(c->Handle()); }
    // The widget that gets the keys: the combo (its edit field has the combo as focus proxy).
    QWidget* keyTarget(TQelCombo* c) const { return box(c); }
    void focus(TQelCombo* c)
    {
        ASSERT_TRUE(ShowActive(*form));
        box(c)->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(c->Focused());
    }
    // Real keys into the combo; it must have the focus.
    void type(TQelCombo* c, const char* text)
    {
        for (QChar ch : QString::fromUtf8(text)) {
            if (ch.unicode() < 0x80) {
                QTest::keyClick(keyTarget(c), ch.toLatin1());
            } else {
                const int key = ch.unicode() <= 0xFF ? ch.toUpper().unicode() : int(Qt::Key_unknown);
                QTest::sendKeyEvent(QTest::Click, keyTarget(c), Qt::Key(key), QString(ch), Qt::NoModifier);
            }
        }
    }
    std::vector<std::string> items(TQelCombo* c) const { return c->Items().ToVector(); }
    // The person's stored column `column` as text ("" when null or not stored).
    std::string stored(const std::string& column) const
    {
        sqlite3_stmt* st = nullptr;
        std::string v;
        const std::string sql = "SELECT " + column + " FROM Person WHERE K = " + person->Key().ToString();
        if (sqlite3_prepare_v2(db->Handle(), sql.c_str(), -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
            v = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        return v;
    }

    TQelObject* person = nullptr;
};
