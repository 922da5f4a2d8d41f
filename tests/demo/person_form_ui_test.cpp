// The person form as designed: person_form.ui as it lies in the repository loads cleanly, is the
// form the demo compiles in, holds every page's controls where the form's code expects them, and
// its edits take real keys into the person in the designed tab order.
#include "demo_fixture.h"
#include "person_form.h"

#include "QelObjCntrl.h"
#include "controls/QelEdit.h"
#include "controls/QelPageControl.h"
#include "controls/QelPanel.h"
#include "controls/qelchecklist.h"
#include "pickers/QelCombo.h"
#include "pickers/QelDataMultiEdit.h"
#include "support/test_output.h"
#include "toolkit/gridview.h"
#include "toolkit/qtbridge.h"
#include "vectors/QelVectorGrid.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

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
    EXPECT_TRUE(pages->PlacedByQt()); // by the form's layout
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

// Every designed control by name, with the control it must sit in.
const std::map<std::string, std::string> kPlaces = {
    { "pnlKopf", "PersonForm" },
    { "htmlSummary", "pnlKopf" },
    { "pnlStatus", "PersonForm" },
    { "pnlKnoepfe", "PersonForm" },
    { "btnPrev", "pnlKnoepfe" },
    { "btnSave", "pnlKnoepfe" },
    { "edName", "tsAllgemein" },
    { "lblArbeitgeber", "tsAllgemein" },
    { "cbAnrede", "pnlChoices" },
    { "cbArbeitgeber", "pnlChoices" },
    { "cbArbeitgeberSuche", "pnlChoices" },
    { "pnlAuswahl", "pnlChoices" },
    { "cbAktiv", "pnlGroups" },
    { "cbAktivWahl", "pnlChoices" },
    { "cgSprachen", "pnlGroups" },
    { "clRollen", "pnlGroups" },
    { "edAdressOrte", "tsAdressen" },
    { "btnAdresseNeu", "tsAdressen" },
    { "tcAdressen", "tsAdressen" },
    { "pnlAdresse", "tcAdressen" },
    { "edOrt", "pnlAdresse" },
    { "cbStandardAdresse", "pnlAdresse" },
    { "vgAdressen", "tsAdressen" },
    { "vgTelefone", "tsAdressen" },
    { "lblAdressenHinweis", "tsAdressen" },
    { "edIBAN", "pnlBank" },
    { "lblBankHinweis", "tsBank" },
    { "mmBemerkung", "tsNotizen" },
    { "lblBemerkungFrei", "tsNotizen" },
    { "ftNotiz", "tsNotizen" },
    { "lvDokumente", "tsDokumente" },
    { "tvOrdner", "tsDokumente" },
    { "dvAnlagen", "tsDokumente" },
    { "edBeschreibung", "pnlAnlage" },
    { "tcArbeitgeber", "tsBeziehungen" },
    { "dmeSprachen", "tsBeziehungen" },
};

TEST(PersonFormUi, EveryPageHoldsItsControlsByName)
{
    TForm form(nullptr);
    form.SetName("PersonForm");
    const TFormLoadResult r = QelObjCntrl::LoadForm(&form, kUiFile, &form);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
    // Names are unique: the form's code finds its controls by them.
    std::map<std::string, int> named;
    for (const TControl* c : r.controls)
        EXPECT_EQ(++named[c->Name()], 1) << c->Name();
    for (const auto& [name, parent] : kPlaces) {
        auto* c = dynamic_cast<TControl*>(form.FindComponent(name));
        ASSERT_NE(c, nullptr) << name;
        ASSERT_NE(c->Parent(), nullptr) << name;
        EXPECT_EQ(c->Parent()->Name(), parent) << name;
    }
    // Properties of the pages the code used to set.
    auto* rollen = dynamic_cast<TQelCheckList*>(form.FindComponent("clRollen"));
    ASSERT_NE(rollen, nullptr);
    EXPECT_TRUE(rollen->Sorted());
    EXPECT_EQ(rollen->ItemHeight(), 22);
    auto* suche = dynamic_cast<TQelCombo*>(form.FindComponent("cbArbeitgeberSuche"));
    ASSERT_NE(suche, nullptr);
    EXPECT_FALSE(suche->get_ShowCompleteList());
    EXPECT_EQ(suche->get_MinSelTextLength(), 2);
    auto* sprachen = dynamic_cast<TQelDataMultiEdit*>(form.FindComponent("dmeSprachen"));
    ASSERT_NE(sprachen, nullptr);
    EXPECT_EQ(sprachen->get_FieldPath(), "Sprachkenntnisse/Sprache");
    EXPECT_FALSE(sprachen->get_NeuEintrag());
    // References between the designed controls, resolved by name when loading ends.
    EXPECT_EQ(form.FindComponent("mmBemerkung")->GetPropValue("CountLabel").AsString(), "lblBemerkungFrei");
    EXPECT_EQ(form.FindComponent("dvAnlagen")->GetPropValue("Panel").AsString(), "pnlAnlage");
    EXPECT_EQ(form.FindComponent("tvOrdner")->GetPropValue("ListView").AsString(), "lvDokumente");
    EXPECT_EQ(form.FindComponent("vgTelefone")->GetPropValue("FieldNames").AsString(),
        "Art/LENGTH:12c/0\nNummer/LENGTH:20c\n");
    // The address panel fills its tab control by Align; the rest is laid out by Qt's layouts.
    EXPECT_EQ(dynamic_cast<TControl*>(form.FindComponent("pnlAdresse"))->Align(), alClient);
    EXPECT_FALSE(dynamic_cast<TControl*>(form.FindComponent("pnlAdresse"))->PlacedByQt());
    EXPECT_TRUE(dynamic_cast<TControl*>(form.FindComponent("pnlKopf"))->PlacedByQt());
}

// A demo database for forms that are shown and typed into; the forms are gone before it closes.
class PersonFormUiDb : public DemoDbTest {
protected:
    PersonFormUiDb()
        : DemoDbTest(3, 2)
    {
    }
};

TEST_F(PersonFormUiDb, TheDesignedTabOrderFollowsTheReadingOrder)
{
    TPersonForm form(nullptr, store.db.get());
    ASSERT_TRUE(form.ShowPerson());
    form.Show();
    auto* anrede = dynamic_cast<TQelEdit*>(form.FindComponent("edAnrede"));
    auto* titel = dynamic_cast<TQelEdit*>(form.FindComponent("edTitel"));
    auto* name = dynamic_cast<TQelEdit*>(form.FindComponent("edName"));
    auto* geboren = dynamic_cast<TQelEdit*>(form.FindComponent("edGeburtsdatum"));
    ASSERT_TRUE(anrede && titel && name && geboren);
    EXPECT_EQ(anrede->TabOrder(), 0);
    EXPECT_EQ(titel->TabOrder(), 1);
    anrede->SetFocus();
    QApplication::processEvents();
    const auto tab = [] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QApplication::processEvents();
    };
    tab();
    EXPECT_TRUE(titel->Focused());
    tab();
    tab();
    EXPECT_TRUE(name->Focused());
    tab();
    EXPECT_TRUE(geboren->Focused()) << "the first row of the page, then the second";
}

TEST_F(PersonFormUiDb, TypedKeysReachThePerson)
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

// What a page shows: the form's controls that hold none of the form's controls (an edit, a grid, a
// button; a compound control with parts of its own counts as one) and every label (captions and
// the edits' labels), each with its place on the page.
void CollectShown(
    const TComponent* form, QWidget* page, QWidget* w, std::vector<std::pair<std::string, QRect>>& shown)
{
    for (QObject* o : w->children()) {
        auto* child = qobject_cast<QWidget*>(o);
        if (!child || !child->isVisibleTo(page))
            continue;
        const QRect r(child->mapTo(page, QPoint(0, 0)), child->size());
        TControl* c = TControl::FromWidget(child);
        const bool own = c && c->Handle() == child;
        if (auto* label = qobject_cast<QLabel*>(child)) {
            shown.emplace_back(own ? c->Name() : "label " + FromQString(label->text()), r);
            continue;
        }
        bool holdsFormControls = false;
        if (auto* container = dynamic_cast<TWinControl*>(c); own && container)
            for (int i = 0; i < container->GetControlCount(); ++i)
                holdsFormControls = holdsFormControls || container->GetControl(i)->Owner() == form;
        if (own && c->Owner() == form && !holdsFormControls)
            shown.emplace_back(c->Name(), r);
        else if (!own || holdsFormControls)
            CollectShown(form, page, child, shown);
    }
}

// The phone grid names its elements as neuter nouns: its add row offers "Weiteres Telefon", and
// a click on it adds one.
TEST_F(PersonFormUiDb, ThePhoneGridOffersTheNextPhone)
{
    TPersonForm form(nullptr, store.db.get());
    ASSERT_TRUE(form.ShowPerson());
    form.Show();
    form.Pages()->SetActivePageIndex(1);
    QApplication::processEvents();
    auto* phones = dynamic_cast<TQelVectorGrid*>(form.FindComponent("vgTelefone"));
    ASSERT_NE(phones, nullptr);
    TQelVector* v = form.Person()->FieldList()->VectorByName("Telefone");
    const int n = v->Count();
    const int addRow = phones->RowCount() - 1;
    EXPECT_EQ(phones->Cells(0, addRow), "<A href=\"\">Weiteres Telefon hinzufügen</A>");
    QWidget* viewport = static_cast<qel::grid::GridView*>(phones->Handle())->viewport();
    const TRect r = phones->CellRect(0, addRow);
    QTest::mouseClick(viewport, Qt::LeftButton, {},
        viewport->mapFrom(phones->Handle(), QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2)));
    QApplication::processEvents();
    EXPECT_EQ(v->Count(), n + 1);
}

TEST_F(PersonFormUiDb, EveryPageFitsAtTheFormsSizeAndAt1280x1024)
{
    TPersonForm form(nullptr, store.db.get());
    ASSERT_TRUE(form.ShowPerson());
    showActive(form);
    int documentsHeight = 0;
    for (const QSize size : { QSize(960, 720), QSize(1280, 1024) }) {
        form.SetClientWidth(size.width());
        form.SetClientHeight(size.height());
        QApplication::processEvents();
        EXPECT_EQ(form.Handle()->size(), size) << "the form's layouts ask for no more room";
        TQelPageControl* pages = form.Pages();
        for (int i = 0; i < pages->PageCount(); ++i) {
            pages->SetActivePageIndex(i);
            QApplication::processEvents();
            QWidget* page = pages->Pages(i)->Handle();
            const std::string where = pages->Pages(i)->Caption() + " at " + std::to_string(size.width()) + "x"
                + std::to_string(size.height());
            std::vector<std::pair<std::string, QRect>> shown;
            CollectShown(&form, page, page, shown);
            EXPECT_GT(shown.size(), 3u) << where;
            for (std::size_t a = 0; a < shown.size(); ++a) {
                const auto& [name, r] = shown[a];
                EXPECT_TRUE(page->rect().contains(r)) << name << " runs past the page: " << where;
                EXPECT_FALSE(r.isEmpty()) << name << ": " << where;
                for (std::size_t b = a + 1; b < shown.size(); ++b)
                    EXPECT_FALSE(r.intersects(shown[b].second))
                        << name << " overlaps " << shown[b].first << ": " << where;
            }
            // For a person to look at: each page at each size.
            form.Handle()->grab().save(
                QDir(TestOutputDir())
                    .filePath(QStringLiteral("PersonForm-%1-%2x%3.png")
                                  .arg(QString::fromStdString(pages->Pages(i)->Caption()))
                                  .arg(size.width())
                                  .arg(size.height())));
            if (pages->Pages(i)->Name() == "tsDokumente") {
                auto* list = dynamic_cast<TControl*>(form.FindComponent("lvDokumente"));
                ASSERT_NE(list, nullptr);
                EXPECT_GT(list->Height(), documentsHeight + 100)
                    << "the list grows with the window: " << where;
                documentsHeight = list->Height();
            }
        }
    }
}

} // namespace
