// The demo's firm form as a person uses it: typing into the employees' cells replaces or extends
// the shown text, leaving a cell writes the employee, and "Speichern" stores the employees edited
// in the grid even when the firm itself has no change.
#include "demo_fixture.h"
#include "firm_form.h"

#include "QelObjCntrl.h"
#include "support/test_output.h"
#include "support/typing.h"
#include "toolkit/advctrls.h"
#include "toolkit/gridview.h"
#include "vectors/QelRevVectorGrid.h"
#include "vectors/QelVectorList.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FirmFormTest : public DemoDbTest {
protected:
    static constexpr int kFirstName = 1; // the column "Vorname"

    FirmFormTest()
        : DemoDbTest(12, 2)
    {
    }
    void SetUp() override
    {
        DemoDbTest::SetUp();
        form = std::make_unique<TFirmForm>(nullptr, store.db.get());
        ASSERT_TRUE(form->ShowFirm());
        showActive(*form);
        grid = form->Employees();
        ASSERT_GE(grid->ObjectCount(), 2) << "the firm shown first has employees";
    }
    void TearDown() override
    {
        form.reset();
        DemoDbTest::TearDown();
    }

    QWidget* viewport() const { return static_cast<qel::grid::GridView*>(grid->Handle())->viewport(); }
    QPoint cellPoint(int col, int row) const
    {
        const TRect r = grid->CellRect(col, row);
        return viewport()->mapFrom(grid->Handle(), QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    }
    void click(int col, int row) { QTest::mouseClick(viewport(), Qt::LeftButton, {}, cellPoint(col, row)); }
    void doubleClick(int col, int row)
    {
        click(col, row);
        QTest::mouseDClick(viewport(), Qt::LeftButton, {}, cellPoint(col, row));
        QApplication::processEvents();
    }
    static void type(const QString& text) { TypeWhereTheFocusIs(text); }
    static void key(Qt::Key k)
    {
        QTest::keyClick(QApplication::focusWidget(), k);
        QApplication::processEvents();
        QApplication::processEvents();
    }
    QLineEdit* editorLine() const
    {
        QWidget* w = grid->InplaceEditorWidget();
        auto* line = qobject_cast<QLineEdit*>(w);
        return line ? line : (w ? w->findChild<QLineEdit*>() : nullptr);
    }
    void save()
    {
        auto* button = dynamic_cast<TControl*>(form->FindComponent("btnSave"));
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button->Handle(), Qt::LeftButton);
        QApplication::processEvents();
    }
    // The first name and e-mail address as the file holds them.
    std::string storedNames(TQelObjectKey key) const
    {
        auto q = store.db->CreateSQLEngine()->Query(
            "SELECT Vorname, Email FROM Person WHERE K = " + key.ToString());
        EXPECT_TRUE(q->TryOpen()) << q->ErrorMessage();
        return q->Eof() ? std::string("(keine Zeile)") : q->AsString(0) + "|" + q->AsString(1);
    }
    std::string firstName(TQelObject* person) const { return person->FieldByName("Vorname")->AsString(); }

    std::unique_ptr<TFirmForm> form;
    TQelRevVectorGrid* grid = nullptr;
};

TEST_F(FirmFormTest, TypingOverAFirstNameReplacesItAndSavingStoresIt)
{
    TQelObject* employee = grid->get_Object(1);
    ASSERT_NE(employee, nullptr);
    const TQelObjectKey stored = employee->Key();
    ASSERT_FALSE(firstName(employee).empty());
    click(kFirstName, 1);
    ASSERT_EQ(grid->Col(), kFirstName);
    ASSERT_EQ(grid->Row(), 1);
    type("Sabine-Marie Ö");
    ASSERT_NE(editorLine(), nullptr);
    EXPECT_EQ(editorLine()->text(), "Sabine-Marie Ö");
    key(Qt::Key_Tab);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(grid->Col(), kFirstName + 1);
    EXPECT_EQ(grid->Cells(kFirstName, 1), "Sabine-Marie Ö") << "the cell shows what was typed";
    EXPECT_EQ(firstName(employee), "Sabine-Marie Ö");
    // The next cell is not being edited: the first key opens its editor and replaces the text.
    ASSERT_FALSE(employee->FieldByName("Email")->AsString().empty());
    type("sm@firma.de");
    key(Qt::Key_Return);
    EXPECT_EQ(employee->FieldByName("Email")->AsString(), "sm@firma.de");
    EXPECT_EQ(grid->Cells(kFirstName + 1, 1), "sm@firma.de");

    // The firm itself has no change: saving still stores the employee.
    EXPECT_FALSE(form->Firm()->Touched());
    save();
    EXPECT_FALSE(employee->Touched());
    EXPECT_EQ(storedNames(stored), "Sabine-Marie Ö|sm@firma.de");
}

TEST_F(FirmFormTest, DoubleClickKeepsTheTextAndTypingExtendsIt)
{
    TQelObject* employee = grid->get_Object(2);
    ASSERT_NE(employee, nullptr);
    const TQelObjectKey stored = employee->Key();
    const std::string before = firstName(employee);
    const std::string email = employee->FieldByName("Email")->AsString();
    ASSERT_FALSE(before.empty());
    doubleClick(kFirstName, 2);
    ASSERT_TRUE(grid->EditorMode());
    type("-Marie");
    key(Qt::Key_Return);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(grid->Cells(kFirstName, 2), before + "-Marie");
    EXPECT_EQ(firstName(employee), before + "-Marie");
    // Another row's cell, then saving.
    click(kFirstName, 1);
    save();
    EXPECT_FALSE(employee->Touched());
    EXPECT_EQ(storedNames(stored), before + "-Marie|" + email);
}

} // namespace

namespace {

// Laid out with Qt's layouts: the form grows with its window, the employees take the room, the
// header's edits keep their labels above them, the address panel's edits stay its own.
// The address list calls a firm's addresses its sites: the item that offers the next one is
// masculine; chosen with the mouse and typed into, it becomes an address of the firm.
TEST_F(FirmFormTest, TheAddressListOffersTheNextSite)
{
    TQelVectorList* list = form->Addresses();
    TQelVector* addresses = form->Firm()->FieldList()->VectorByName("Adressen");
    ASSERT_NE(addresses, nullptr);
    while (addresses->Count() > 0)
        addresses->Delete(addresses->Count());
    list->RefreshItems();
    ASSERT_EQ(list->Count(), 1);
    EXPECT_EQ(list->Items()[0], "Erster Standort");
    auto* view = static_cast<QListWidget*>(list->Handle());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualItemRect(view->item(0)).center());
    QApplication::processEvents();
    auto* street = dynamic_cast<TWinControl*>(form->FindComponent("edStrasse"));
    ASSERT_NE(street, nullptr);
    street->SetFocus();
    QApplication::processEvents();
    type("Hafenstraße 1");
    ASSERT_EQ(addresses->Count(), 1);
    EXPECT_EQ(addresses->FieldList(1)->FieldByName("Strasse")->AsString(), "Hafenstraße 1");
    list->RefreshItems();
    ASSERT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Items()[1], "<FONT COLOR=\"#808080\">Weiterer Standort</FONT>");
}

TEST_F(FirmFormTest, TheFormGrowsWithItsWindow)
{
    auto* name = dynamic_cast<TAdvEdit*>(form->FindComponent("edName"));
    auto* town = dynamic_cast<TControl*>(form->FindComponent("edOrt"));
    auto* details = dynamic_cast<TControl*>(form->FindComponent("dgFirma"));
    ASSERT_TRUE(name && town && details);
    EXPECT_EQ(town->Parent(), form->FindComponent("pnAdresse")) << "the address panel binds its edits";
    int gridHeight = 0;
    for (const QSize size : { QSize(960, 720), QSize(1280, 1024) }) {
        form->SetClientWidth(size.width());
        form->SetClientHeight(size.height());
        QApplication::processEvents();
        const std::string at = std::to_string(size.width()) + "x" + std::to_string(size.height());
        EXPECT_EQ(form->Handle()->size(), size) << at;
        for (TControl* c : std::initializer_list<TControl*> { grid, details, town, name }) {
            const QRect r(c->Handle()->mapTo(form->Handle(), QPoint(0, 0)), c->Handle()->size());
            EXPECT_TRUE(form->Handle()->rect().contains(r)) << c->Name() << " at " << at;
        }
        QWidget* label = name->EditLabel().Handle();
        ASSERT_NE(label, nullptr);
        EXPECT_TRUE(label->isVisible());
        EXPECT_GE(label->y(), 0) << at;
        EXPECT_LT(label->geometry().bottom(), name->Top()) << at;
        EXPECT_GT(grid->Height(), gridHeight + 100) << "the employees take the room: " << at;
        gridHeight = grid->Height();
        form->Handle()->grab().save(
            QDir(TestOutputDir())
                .filePath(QStringLiteral("FirmForm-%1.png").arg(QString::fromStdString(at))));
    }
}

} // namespace
