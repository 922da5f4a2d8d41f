#pragma once
// A fresh in-memory database per test with a small schema of its own, made the current database,
// plus test data controls that follow the binding contract through TQelDataLink.
#include "QelObjCntrl.h"
#include "binding/dataclasses.h"
#include "binding/methods.h"
#include "binding/qeldatalink.h"
#include "support/qel_db_fixture.h"
#include "toolkit/comctrls.h"
#include "toolkit/stdctrls.h"
#include "toolkit/tk_test_util.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

inline constexpr const char* kBindingSchema = R"(
class 30001 Adresse : Gültigkeit table=Adresse
  field Strasse Text length=60
  field Ort Text length=40
end
class 30002 Bank table=Bank
  field Bankname Text length=60
  field IBAN Text length=34
end
class 30010 Firma : Objekt table=Firma format="<Name>"
  field Name Text length=80
end
class 30020 Person : Objekt table=Person format="<Name>, <Vorname>"
  field Vorname Text length=40
  field Name Text length=60
  field Kinder Ganzzahl
  field Gehalt Betrag
  field Aktiv Boolesch
  field Arbeitgeber Referenz ref=Firma
  vector Adressen Adresse
  subobject Konto Bank
end
)";

// A single-line edit bound through the shared data link.
class TTestEdit : public TEdit {
public:
    explicit TTestEdit(TComponent* owner)
        : TEdit(owner)
    {
        link.hooks.kindMask = [this] {
            return link.FieldProp().empty() ? TQelObjectInterface::oiField : TQelObjectInterface::oiVector;
        };
        link.hooks.read = [this] { SetText(read()); };
        Publish<&TTestEdit::get_FieldPath, &TTestEdit::set_FieldPath>("FieldPath");
        Publish<&TTestEdit::get_FieldProp, &TTestEdit::set_FieldProp>("FieldProp");
    }
    int ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected)
    {
        return link.Connect(fl, onlyIfUnconnected);
    }
    std::string get_FieldPath() const { return link.FieldPath(); }
    void set_FieldPath(const std::string& p) { link.SetFieldPath(p); }
    std::string get_FieldProp() const { return link.FieldProp(); }
    void set_FieldProp(const std::string& p) { link.SetFieldProp(p); }
    std::string read() const
    {
        if (TQelField* f = link.Field())
            return f->AsString();
        if (TQelVector* v = link.Vector())
            return v->GetAll(link.FieldProp(), ',');
        if (link.PropConnection() && link.FieldList())
            return link.FieldList()->GetPropA(link.FieldProp(), "");
        return {};
    }

    TQelDataLink link { this };
    std::vector<unsigned> received;

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg >= WM_ODB_FIRST && m.Msg <= WM_ODB_LAST)
            received.push_back(m.Msg);
        if (link.HandleMessage(m))
            return;
        TEdit::WndProc(m);
    }
};

// A container bound to a sub-object or vector element; connects its children to its field list.
class TTestPanel : public TCustomControl {
public:
    explicit TTestPanel(TComponent* owner)
        : TCustomControl(owner)
    {
        link.hooks.kindMask = [] { return TQelObjectInterface::oiSubObject; };
    }
    int ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected)
    {
        if (onlyIfUnconnected && link.Connected())
            return 0;
        const int self = link.Connect(fl, false);
        TQelSubObject* sub = link.SubObject();
        return self
            + TQelCommonMethods::ConnectSubControls(
                this, sub ? sub->FieldList() : nullptr, onlyIfUnconnected);
    }
    std::string get_FieldPath() const { return link.FieldPath(); }

    TQelDataLink link { this };

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg == WM_OC_LOCATE) {
            TQelObjectInterface* oi = QelOIFromParam(m.LParam);
            m.Result = link.OI() && oi && oi->IsPartOf(link.OI()) ? (oi == link.OI() ? 2 : 1) : 0;
            return;
        }
        if (link.HandleMessage(m))
            return;
        TCustomControl::WndProc(m);
    }
};

class BindingTest : public QelDbTest {
protected:
    BindingTest()
        : QelDbTest(kBindingSchema)
    {
    }
    void SetUp() override
    {
        QelObjCntrl::Initialize(); // then the test's classes take the slots of the package's own
        QelRegisterDataClass(TQelDataClass::Edit, QelDataClassEntry<TTestEdit>("TTestEdit"));
        QelRegisterDataClass(TQelDataClass::Panel, QelDataClassEntry<TTestPanel>("TTestPanel"));
        QelDbTest::SetUp();
        person = create("Person");
    }
    void TearDown() override
    {
        QelDbTest::TearDown();
        QelUnregisterDataClass(TQelDataClass::Edit);
        QelUnregisterDataClass(TQelDataClass::Panel);
        QelObjCntrl::Finalize(); // the package's own classes come back
        QelObjCntrl::Initialize();
    }

    template <class T> T* add(TWinControl* parent, const std::string& name, const std::string& path = {})
    {
        auto* c = QelDbTest::add<T>(parent, name);
        c->SetBounds(10, 10 + 30 * (parent->GetControlCount() - 1), 120, 24);
        if constexpr (requires { c->link; })
            c->link.SetFieldPath(path);
        return c;
    }
    TQelFieldList* fl() const { return person->FieldList(); }

    TQelObject* person = nullptr;
};
