// The person form's designed pages: person_form.ui as it lies in the repository loads cleanly,
// is the form the demo compiles in, and its edits take real keys into the person.
#include "demo_database.h"
#include "person_form.h"

#include "QelObjCntrl.h"
#include "controls/QelEdit.h"
#include "controls/QelPageControl.h"
#include "controls/QelPanel.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const char* const kUiFile = QEL_SOURCE_DIR "/demo/person_form.ui";

TEST(PersonFormUi, TheFileLoadsCleanlyAndIsTheOneCompiledIn)
{
    QFile file(QString::fromUtf8(kUiFile));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), std::string(kPersonFormUi));

    TForm form(nullptr);
    const TFormLoadResult r = QelObjCntrl::LoadForm(&form, kUiFile, &form);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
    auto* pages = dynamic_cast<TQelPageControl*>(form.FindComponent("pcPerson"));
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->Parent(), &form);
    EXPECT_EQ(pages->Align(), alClient);
    ASSERT_EQ(pages->PageCount(), 6);
    EXPECT_EQ(pages->Pages(2)->Caption(), "Bank");
    auto* iban = dynamic_cast<TQelEdit*>(form.FindComponent("edIBAN"));
    ASSERT_NE(iban, nullptr);
    EXPECT_EQ(iban->Parent(), form.FindComponent("pnlBank"));
    EXPECT_EQ(dynamic_cast<TQelPanel*>(iban->Parent())->get_FieldPath(), "Bank");
    auto* born = dynamic_cast<TQelEdit*>(form.FindComponent("edGeburtsdatum"));
    ASSERT_NE(born, nullptr);
    EXPECT_EQ(born->get_EditOptions(), TQelEditOptions { eoAcceptWithoutDelimiters });
    EXPECT_EQ(born->LabelCaption(), "Geburtsdatum");
}

TEST(PersonFormUi, TypedKeysReachThePerson)
{
    QTemporaryDir dir;
    DemoDatabase store = openDemoDatabase(dir.filePath("demo.qeldb").toStdString(), 3, 2);
    ASSERT_TRUE(store.error.empty()) << store.error;
    SetQelDatabase(store.db.get());
    {
        TPersonForm form(nullptr, store.db.get());
        ASSERT_TRUE(form.ShowPerson());
        form.Show();
        auto* vorname = dynamic_cast<TQelEdit*>(form.FindComponent("edVorname"));
        ASSERT_NE(vorname, nullptr);
        EXPECT_EQ(vorname->Text(), form.Person()->FieldByName("Vorname")->AsString());
        vorname->SetFocus();
        QApplication::processEvents();
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(target, "Edeltraud");
        EXPECT_EQ(form.Person()->FieldByName("Vorname")->AsString(), "Edeltraud");
        EXPECT_TRUE(form.Person()->Touched());

        // The bank page's designed panel binds its edits to the sub-object.
        form.Pages()->SetActivePageIndex(2);
        auto* bic = dynamic_cast<TQelEdit*>(form.FindComponent("edBIC"));
        ASSERT_NE(bic, nullptr);
        bic->SetFocus();
        QApplication::processEvents();
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "GENODEF1");
        ASSERT_NE(form.Person()->FieldList()->FindField("Bank.BIC"), nullptr);
        EXPECT_EQ(form.Person()->FieldList()->FindField("Bank.BIC")->AsString(), "GENODEF1");
    }
    SetQelDatabase(nullptr);
}

} // namespace
