// Forms laid out in Qt Designer: box, grid and form layouts, nested, around edits, combos, a
// vector grid, a select grid and a page control (one of its pages inserted by Designer, a plain
// widget in the file). The form loads, binds, shows the values, grows with its window, and what
// is typed into the shown form reaches the object and the stored row.
#include "QelObjCntrl.h"
#include "binding/methods.h"
#include "controls/QelEdit.h"
#include "controls/QelPageControl.h"
#include "lists/QelSelectGrid.h"
#include "pickers/QelCombo.h"
#include "support/qel_db_fixture.h"
#include "support/typing.h"
#include "vectors/QelVectorGrid.h"

#include "toolkit/qtbridge.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const char* const kSchema = R"(
class 41010 Firma : Objekt table=Firma format="<Name>"
  field Name Text length=60
end
class 41001 Adresse table=Adresse format="<Ort>"
  field Ort Text length=40
  field PLZ Text length=10
end
class 41020 Person : Objekt table=Person format="<Name>"
  field Name Text length=60
  field Vorname Text length=40
  field Anrede Auswahl domain="Herr|Frau"
  field Arbeitgeber Referenz ref=Firma
  vector Adressen Adresse
end
)";

std::string Prop(const std::string& name, const std::string& value)
{
    return "<property name=\"" + name + "\"><string>" + value + "</string></property>";
}

std::string Widget(const std::string& cls, const std::string& name, const std::string& body)
{
    return "<widget class=\"" + cls + "\" name=\"" + name + "\">" + body + "</widget>";
}

std::string Item(const std::string& content, const std::string& cell = "")
{
    return "<item" + cell + ">" + content + "</item>";
}

// Saved as Qt Designer saves a laid-out form: no geometry on the laid-out widgets.
const std::string kUi = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>PersonForm</class>
 <widget class="QWidget" name="PersonForm">
  <property name="geometry"><rect><x>0</x><y>0</y><width>640</width><height>480</height></rect></property>
  <layout class="QVBoxLayout" name="vlForm">)"
    + Item(R"(<layout class="QFormLayout" name="flKopf">)"
        + Item(Widget("TQelEdit", "edName", Prop("FieldPath", "Name") + Prop("LabelCaption", "Name")),
            R"( row="0" column="1")")
        + Item(Widget("QLabel", "lblAnrede", R"(<property name="text"><string>Anrede</string></property>)"),
            R"( row="1" column="0")")
        + Item(Widget("TQelCombo", "cbAnrede", Prop("FieldPath", "Anrede")), R"( row="1" column="1")")
        + "</layout>")
    + Item(Widget("TQelPageControl", "pcPerson",
        Widget("TTabSheet", "tsAllgemein",
            Prop("Caption", "Allgemein") + R"(<layout class="QGridLayout" name="glAllgemein">)"
                + Item(
                    Widget("TQelEdit", "edVorname", Prop("FieldPath", "Vorname")), R"( row="0" column="0")")
                + Item(Widget("TQelCombo", "cbArbeitgeber", Prop("FieldPath", "Arbeitgeber")),
                    R"( row="0" column="1")")
                + Item(Widget("TQelVectorGrid", "vgAdressen",
                           Prop("FieldPath", "Adressen")
                               + Prop("FieldNames", "Ort/LENGTH:16c/0\nPLZ/LENGTH:7c\n")),
                    R"( row="1" column="0" colspan="2")")
                + "</layout>")
            + Widget("QWidget", "tsFirmen",
                R"(<property name="windowTitle"><string>Firmen</string></property>
                   <layout class="QHBoxLayout" name="hlFirmen">)"
                    + Item(Widget("TQelSelectGrid", "sgFirmen", Prop("ClassName", "Firma"))) + "</layout>")))
    + R"(
  </layout>
 </widget>
 <resources/>
 <connections/>
</ui>
)";

class FormLoaderLayouts : public QelDbTest {
protected:
    FormLoaderLayouts()
        : QelDbTest(kSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        for (const char* name : { "Kern AG", "Lenz GmbH" }) {
            TQelObject* f = create("Firma");
            f->FieldByName("Name")->set_AsString(name);
            ASSERT_TRUE(f->Commit());
            firm = f;
        }
        person = create("Person");
        person->FieldByName("Name")->set_AsString("Meier");
        person->FieldByName("Anrede")->set_AsString("Frau");
        person->FieldByName("Arbeitgeber")->set_AsInteger(firm->Key().Id());
        person->FieldList()
            ->VectorByName("Adressen")
            ->Add()
            ->FieldList()
            ->FieldByName("Ort")
            ->set_AsString("Bonn");
        ASSERT_TRUE(person->Commit());
    }
    template <class T> T* find(const char* name) { return dynamic_cast<T*>(form->FindComponent(name)); }
    bool ShowActiveForm()
    {
        form->Show();
        QWidget* w = form->Handle();
        w->activateWindow();
        QApplication::setActiveWindow(w);
        return QTest::qWaitForWindowActive(w);
    }
    std::string stored(const char* column)
    {
        auto q = db->CreateSQLEngine()->Query(
            std::string("SELECT ") + column + " FROM Person WHERE K = " + person->Key().ToString());
        EXPECT_TRUE(q->TryOpen()) << q->ErrorMessage();
        return q->Eof() ? std::string("(keine Zeile)") : q->AsString(0);
    }
    // Clicks into the shown edit and replaces its text by typing.
    void typeInto(TQelEdit* edit, const char* text)
    {
        QTest::mouseClick(edit->Handle(), Qt::LeftButton);
        ASSERT_TRUE(edit->Focused());
        QTest::keyClick(edit->Handle(), Qt::Key_A, Qt::ControlModifier);
        TypeWhereTheFocusIs(QString::fromUtf8(text));
    }

    TQelObject* firm = nullptr;
    TQelObject* person = nullptr;
};

TEST_F(FormLoaderLayouts, NestedLayoutsLoadBindShowAndTakeTypedKeys)
{
    const TFormLoadResult r = QelObjCntrl::LoadFormText(form.get(), kUi, form.get());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
    ASSERT_EQ(r.controls.size(), 9u);
    auto* name = find<TQelEdit>("edName");
    auto* salutation = find<TQelCombo>("cbAnrede");
    auto* pages = find<TQelPageControl>("pcPerson");
    auto* firstName = find<TQelEdit>("edVorname");
    auto* employer = find<TQelCombo>("cbArbeitgeber");
    auto* addresses = find<TQelVectorGrid>("vgAdressen");
    auto* firms = find<TQelSelectGrid>("sgFirmen");
    ASSERT_TRUE(name && salutation && pages && firstName && employer && addresses && firms);
    // The control tree is the one the binding walk knows; the inserted page is a sheet.
    EXPECT_EQ(name->Parent(), form.get());
    EXPECT_EQ(salutation->Parent(), form.get());
    EXPECT_EQ(pages->Parent(), form.get());
    ASSERT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(pages->Pages(1)->Caption(), "Firmen");
    EXPECT_EQ(pages->Pages(1)->Name(), "tsFirmen");
    EXPECT_EQ(firstName->Parent(), pages->Pages(0));
    EXPECT_EQ(firms->Parent(), pages->Pages(1));

    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    ASSERT_TRUE(ShowActiveForm());
    EXPECT_EQ(name->Text(), "Meier");
    EXPECT_EQ(salutation->Text(), "Frau");
    EXPECT_EQ(employer->Text(), "Lenz GmbH");
    EXPECT_EQ(addresses->Cells(0, 0), "Ort");
    EXPECT_EQ(addresses->Cells(0, 1), "Bonn");

    // Laid out: shown, inside the window, one below the other, the label in its form cell.
    for (TControl* c :
        std::initializer_list<TControl*> { name, salutation, pages, firstName, employer, addresses }) {
        EXPECT_TRUE(c->Showing()) << c->Name();
        const QRect g(c->Handle()->mapTo(form->Handle(), QPoint(0, 0)), c->Handle()->size());
        EXPECT_TRUE(form->Handle()->rect().contains(g)) << c->Name();
        EXPECT_GT(g.height(), 10) << c->Name();
    }
    EXPECT_LT(name->Handle()->geometry().bottom(), salutation->Handle()->geometry().top());
    EXPECT_LT(salutation->Handle()->geometry().bottom(), pages->Handle()->geometry().top());
    auto* head = form->Handle()->findChild<QFormLayout*>(QStringLiteral("flKopf"));
    ASSERT_NE(head, nullptr);
    ASSERT_NE(head->itemAt(0, QFormLayout::LabelRole), nullptr);
    EXPECT_EQ(head->itemAt(0, QFormLayout::LabelRole)->widget(), name->EditLabel().Handle());
    const int pagesHeight = pages->Height();
    form->SetBounds(0, 0, 800, 700);
    QApplication::processEvents();
    EXPECT_GT(pages->Height(), pagesHeight + 150);
    EXPECT_GT(addresses->Width(), 600);

    // Typed into the shown form: into the object at once, stored with the commit.
    typeInto(name, "Müller");
    typeInto(firstName, "Anna");
    EXPECT_EQ(person->FieldByName("Name")->AsString(), "Müller");
    EXPECT_EQ(person->FieldByName("Vorname")->AsString(), "Anna");
    ASSERT_TRUE(person->Commit()) << person->ErrorMessage();
    EXPECT_EQ(stored("Name"), "Müller");
    EXPECT_EQ(stored("Vorname"), "Anna");

    // The select grid on the other page lists the firms once its page is shown.
    pages->SetActivePageIndex(1);
    QApplication::processEvents();
    EXPECT_TRUE(firms->Showing());
    EXPECT_EQ(firms->EntryCount(), 2);
    EXPECT_FALSE(firstName->Showing());
    // The binding messages find the laid-out control again: its page is opened, it is focused.
    EXPECT_EQ(TQelCommonMethods::JumpTo(person->FieldByName("Vorname"), form.get(), true), firstName);
    QApplication::processEvents();
    EXPECT_EQ(pages->ActivePageIndex(), 0);
    EXPECT_TRUE(firstName->Focused());
}

} // namespace
