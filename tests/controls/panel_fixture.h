#pragma once
// Forms with field panels over a person with addresses, a bank sub-object three levels deep and
// a search object that refers to a person.
#include "controls/QelEdit.h"
#include "controls/QelPanel.h"
#include "support/qel_db_fixture.h"

#include "binding/methods.h"

#include <QApplication>
#include <QTest>

inline constexpr const char* kPanelSchema = R"(
class 41001 Adresse : Gültigkeit table=Adresse format="<Ort>"
  field Ort Text length=40
end
class 41002 Kontakt table=Kontakt
  field Telefon Text length=30
end
class 41003 Filiale table=Filiale
  field Ort Text length=40
  subobject Kontakt Kontakt
end
class 41004 Bankverbindung table=Bankverbindung
  field IBAN Text length=34
  field Bank Text length=60
  subobject Filiale Filiale
end
class 41010 Person : Objekt table=Person format="<Name>"
  field Anrede Auswahl domain="Herr|Frau|Divers"
  field Name Text length=60
  field Kinder Ganzzahl
  field Aktiv Boolesch
  vector Adressen Adresse
  subobject Bank Bankverbindung
end
class 41020 Suche : Objekt table=Suche
  field Treffer Referenz ref=Person
end
)";

class PanelTest : public QelDbTest {
protected:
    PanelTest()
        : QelDbTest(kPanelSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        person = create("Person");
    }
    TQelPanel* panel(TWinControl* parent, const std::string& path, const std::string& name)
    {
        auto* p = add<TQelPanel>(parent, name);
        p->SetBounds(0, 0, 400, 300);
        p->set_FieldPath(path);
        return p;
    }
    TQelEdit* edit(TWinControl* parent, const std::string& path, const std::string& name)
    {
        auto* e = add<TQelEdit>(parent, name);
        e->set_FieldPath(path);
        return e;
    }
    TQelSubObject* address(const std::string& ort)
    {
        TQelSubObject* a = person->FieldList()->FindTypedOI<TQelVector>("Adressen")->Add();
        a->FieldList()->FindField("Ort")->set_AsString(ort);
        return a;
    }
    TQelVector* addresses() const { return person->FieldList()->FindTypedOI<TQelVector>("Adressen"); }
    int connect() { return TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false); }
    // Real keys into a control that takes the focus first.
    void type(TWinControl* c, const char* text)
    {
        c->SetFocus();
        QApplication::processEvents();
        QTest::keyClicks(c->Handle(), QString::fromUtf8(text));
    }
    std::size_t warnings() const { return db->LogManager()->EntriesOf("Warning").size(); }

    TQelObject* person = nullptr;
};
