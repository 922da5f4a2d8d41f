// The package's controls in a window built in Qt: a QMainWindow whose central widget holds them in
// nested layouts, a page control among them. They are shown with the window, bound through the
// window, labelled, and what is typed into them reaches the object and the stored row.
#include "QelObjCntrl.h"
#include "binding/methods.h"
#include "controls/QelEdit.h"
#include "controls/QelPageControl.h"
#include "pickers/QelCombo.h"
#include "support/qel_db_fixture.h"
#include "support/typing.h"
#include "vectors/QelVectorGrid.h"

#include "toolkit/comctrls.h"
#include "toolkit/registry.h"

#include <QApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QMainWindow>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {

const char* const kSchema = R"(
class 42001 Adresse table=Adresse format="<Ort>"
  field Ort Text length=40
end
class 42020 Person : Objekt table=Person format="<Name>"
  field Name Text length=60
  field Vorname Text length=40
  field Anrede Auswahl domain="Herr|Frau"
  vector Adressen Adresse
end
)";

class QtWindow : public QelDbTest {
protected:
    QtWindow()
        : QelDbTest(kSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        person = create("Person");
        person->FieldByName("Name")->set_AsString("Meier");
        person->FieldByName("Anrede")->set_AsString("Herr");
        person->FieldList()
            ->VectorByName("Adressen")
            ->Add()
            ->FieldList()
            ->FieldByName("Ort")
            ->set_AsString("Köln");
        ASSERT_TRUE(person->Commit());
    }
    std::string stored(const char* column)
    {
        auto q = db->CreateSQLEngine()->Query(
            std::string("SELECT ") + column + " FROM Person WHERE K = " + person->Key().ToString());
        EXPECT_TRUE(q->TryOpen()) << q->ErrorMessage();
        return q->Eof() ? std::string("(keine Zeile)") : q->AsString(0);
    }
    TQelObject* person = nullptr;
};

TEST_F(QtWindow, ControlsInAMainWindowWithLayoutsAreShownBoundAndTakeTypedKeys)
{
    TComponent owner(nullptr); // frees what Qt has not freed with the window
    QMainWindow window;
    auto* central = new QWidget();
    auto* outer = new QVBoxLayout(central);
    auto* head = new QFormLayout();
    outer->addLayout(head);
    auto* name = new TQelEdit(&owner);
    name->set_FieldPath("Name");
    head->addRow(nullptr, name->Handle()); // its label, "Name" from the path, takes the label cell
    auto* salutation = new TQelCombo(&owner);
    salutation->set_FieldPath("Anrede");
    head->addRow(QStringLiteral("Anrede"), salutation->Handle());
    auto* pages = new TQelPageControl(&owner);
    auto* general = new TTabSheet(&owner);
    general->SetCaption("Allgemein");
    general->SetPageControl(pages);
    auto* firstName = new TQelEdit(&owner);
    firstName->set_FieldPath("Vorname");
    auto* addresses = new TQelVectorGrid(&owner);
    addresses->set_FieldPath("Adressen");
    auto* grid = new QGridLayout(general->Handle());
    grid->addWidget(firstName->Handle(), 0, 0);
    grid->addWidget(addresses->Handle(), 1, 0);
    outer->addWidget(pages->Handle());
    window.setCentralWidget(central);
    window.resize(640, 480);

    // The page's controls belong to the page: the page control binds them.
    EXPECT_EQ(firstName->Parent(), general);
    EXPECT_EQ(addresses->Parent(), general);
    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(&window, person->FieldList(), false), 5);
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QApplication::processEvents();

    for (TControl* c : std::initializer_list<TControl*> { name, salutation, pages, firstName, addresses })
        EXPECT_EQ(c->Showing(), c->Visible()) << c->ClassName(); // some hide while unbound
    EXPECT_EQ(name->Text(), "Meier");
    EXPECT_EQ(salutation->Text(), "Herr");
    EXPECT_EQ(addresses->Cells(0, 1), "Köln");
    ASSERT_NE(head->itemAt(0, QFormLayout::LabelRole), nullptr);
    EXPECT_EQ(head->itemAt(0, QFormLayout::LabelRole)->widget(), name->EditLabel().Handle());
    EXPECT_TRUE(name->EditLabel().Handle()->isVisible());

    QTest::mouseClick(firstName->Handle(), Qt::LeftButton);
    ASSERT_TRUE(firstName->Focused());
    TypeWhereTheFocusIs(QStringLiteral("Jörg"));
    QTest::keyClick(firstName->Handle(), Qt::Key_Tab);
    EXPECT_FALSE(firstName->Focused());
    EXPECT_EQ(person->FieldByName("Vorname")->AsString(), "Jörg");
    ASSERT_TRUE(person->Commit()) << person->ErrorMessage();
    EXPECT_EQ(stored("Vorname"), "Jörg");

    EXPECT_EQ(TQelCommonMethods::DisconnectSubControls(&window, false), 0);
    EXPECT_EQ(name->Text(), "");
}

// Every control of the palette in a layout of a plain Qt window, connected to an object: shown
// with the window, asking for room, bound; freed with the window, however Qt frees it.
TEST_F(QtWindow, EveryControlOfThePaletteLivesInAQtLayout)
{
    QelObjCntrl::Register();
    const std::vector<TComponentClass> classes = PaletteClasses(QelObjCntrl::PalettePage);
    ASSERT_GT(classes.size(), 25u);
    TComponent owner(nullptr);
    auto window = std::make_unique<QWidget>();
    auto* rows = new QGridLayout(window.get());
    int placed = 0;
    for (const TComponentClass& cls : classes) {
        TComponent* made = cls.create(&owner);
        auto* c = dynamic_cast<TControl*>(made);
        if (!c) {
            delete made; // actions and other components without a widget
            continue;
        }
        c->SetName("c" + std::to_string(placed));
        rows->addWidget(c->Handle(), placed / 4, placed % 4);
        ++placed;
    }
    TQelCommonMethods::ConnectSubControls(window.get(), person->FieldList(), false);
    window->resize(1200, 900);
    window->show();
    QApplication::processEvents();
    for (int i = 0; i < owner.GetComponentCount(); ++i) {
        auto* c = dynamic_cast<TControl*>(owner.GetComponent(i));
        if (!c || c->Handle()->parentWidget() != window.get())
            continue; // a part that a control made for itself
        EXPECT_EQ(c->Showing(), c->Visible()) << c->ClassName(); // some hide while unbound
        EXPECT_FALSE(c->Handle()->sizeHint().isEmpty()) << c->ClassName();
        EXPECT_TRUE(c->PlacedByQt()) << c->ClassName();
    }
    EXPECT_EQ(TQelCommonMethods::DisconnectSubControls(window.get(), false), 0);
    window.reset();
    QApplication::processEvents();
    EXPECT_EQ(owner.GetComponentCount(), 0);
}

} // namespace
