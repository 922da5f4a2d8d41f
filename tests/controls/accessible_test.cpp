// What a screen reader is told: every data control has a role, a German name (its label's
// caption, else its own caption, else its field's) and its value through Qt's accessibility.
#include "binding/methods.h"
#include "controls/QelCheckBox.h"
#include "controls/QelEdit.h"
#include "controls/qelcheckgroup.h"
#include "pickers/QelCombo.h"
#include "support/qel_db_fixture.h"
#include "toolkit/accessible.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QTest>

namespace {

constexpr const char* kSchema = R"(
class 42020 Person : Objekt table=Person format="<Name>"
  field Name Text length=60 description="Nachname"
  field Vorname Text length=40
  field Ort Text length=60
  field Aktiv Boolesch description="Tätig"
  field Anrede Auswahl domain="Herr|Frau|Divers"
  field Sprachen Mehrfachauswahl domain="Deutsch|Englisch|Französisch"
end
)";

class AccessibleTest : public QelDbTest {
protected:
    AccessibleTest()
        : QelDbTest(kSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        person = create("Person");
    }
    void connect()
    {
        TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
        form->Show();
        QApplication::processEvents();
    }
    static QAccessibleInterface* iface(QWidget* w) { return QAccessible::queryAccessibleInterface(w); }
    static QAccessibleInterface* iface(TControl* c) { return iface(c->Handle()); }
    static std::string name(TControl* c) { return iface(c)->text(QAccessible::Name).toStdString(); }

    TQelObject* person = nullptr;
};

TEST_F(AccessibleTest, AnEditIsNamedByItsLabelElseByItsFieldAndFollowsBoth)
{
    auto* labelled = add<TQelEdit>(form.get(), "edName");
    labelled->set_FieldPath("Name");
    labelled->SetLabelCaption("Familienname");
    auto* bare = add<TQelEdit>(form.get(), "edOrt");
    bare->set_FieldPath("Ort");
    person->FieldByName("Ort")->set_AsString("Köln");
    connect();

    ASSERT_NE(iface(labelled), nullptr);
    EXPECT_EQ(iface(labelled)->role(), QAccessible::EditableText);
    EXPECT_EQ(name(labelled), "Familienname");
    EXPECT_EQ(name(bare), "Ort");
    EXPECT_EQ(iface(bare)->text(QAccessible::Value).toStdString(), "Köln");
    EXPECT_EQ(AccessibleName(bare), "Ort");

    // A new caption of the label; no label: the field's caption; another field: its caption.
    labelled->SetLabelCaption("Name der Person");
    EXPECT_EQ(name(labelled), "Name der Person");
    labelled->SetLabelCaption("");
    EXPECT_EQ(name(labelled), "Nachname");
    bare->set_FieldPath("Vorname");
    EXPECT_EQ(name(bare), "Vorname");
    // What the user types is the value a screen reader reads.
    bare->SetFocus();
    QTest::keyClicks(bare->Handle(), "Jens");
    EXPECT_EQ(iface(bare)->text(QAccessible::Value).toStdString(), "Jens");
    EXPECT_EQ(person->FieldByName("Vorname")->AsString(), "Jens");
}

TEST_F(AccessibleTest, ANameTheApplicationGaveStays)
{
    auto* e = add<TQelEdit>(form.get(), "edName");
    e->set_FieldPath("Name");
    e->Handle()->setAccessibleName("Suchbegriff");
    connect();
    e->SetLabelCaption("Name");
    EXPECT_EQ(name(e), "Suchbegriff");
}

TEST_F(AccessibleTest, CheckBoxComboAndCheckGroupTellRoleNameStateAndItems)
{
    auto* captioned = add<TQelCheckBox>(form.get(), "cbAktiv");
    captioned->set_FieldPath("Aktiv");
    captioned->SetCaption("Person ist <b>aktiv</b>");
    auto* plain = add<TQelCheckBox>(form.get(), "cbTaetig");
    plain->set_FieldPath("Aktiv");
    plain->SetCaption("");
    auto* combo = add<TQelCombo>(form.get(), "cbAnrede");
    combo->set_FieldPath("Anrede");
    auto* group = add<TQelCheckGroup>(form.get(), "cgSprachen");
    group->SetBounds(200, 10, 200, 120);
    group->set_FieldPath("Sprachen");
    group->SetCaption("Sprachkenntnisse");
    person->FieldByName("Anrede")->set_AsString("Frau");
    connect();

    EXPECT_EQ(iface(captioned)->role(), QAccessible::CheckBox);
    EXPECT_EQ(name(captioned), "Person ist aktiv");
    EXPECT_EQ(name(plain), "Tätig");
    EXPECT_EQ(iface(combo)->role(), QAccessible::ComboBox);
    EXPECT_EQ(name(combo), "Anrede");
    EXPECT_EQ(iface(combo)->text(QAccessible::Value).toStdString(), "Frau");

    // A click on the check box is its checked state.
    QTest::mouseClick(captioned->Handle(), Qt::LeftButton, {}, QPoint(8, 12));
    EXPECT_TRUE(iface(captioned)->state().checked);
    EXPECT_TRUE(person->FieldByName("Aktiv")->AsBool());

    // The group is named by its title and has one check box per item, named by the item.
    EXPECT_EQ(iface(group)->role(), QAccessible::Grouping);
    EXPECT_EQ(name(group), "Sprachkenntnisse");
    std::vector<std::string> items;
    QAccessibleInterface* english = nullptr;
    for (int i = 0; i < iface(group)->childCount(); ++i) {
        QAccessibleInterface* child = iface(group)->child(i);
        if (child->role() != QAccessible::CheckBox)
            continue;
        items.push_back(child->text(QAccessible::Name).toStdString());
        if (items.back() == "Englisch")
            english = child;
    }
    EXPECT_EQ(items, (std::vector<std::string> { "Deutsch", "Englisch", "Französisch" }));
    ASSERT_NE(english, nullptr);
    auto* button = qobject_cast<QAbstractButton*>(english->object());
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    EXPECT_TRUE(english->state().checked);
    EXPECT_NE(person->FieldByName("Sprachen")->AsString().find("Englisch"), std::string::npos);
}

} // namespace
