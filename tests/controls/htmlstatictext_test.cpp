// TQelHTMLStaticText: the template filled from the base field list, watched fields repainting
// 100 ms after a touch (once for several touches), and the Qt glue that runs the timer tasks.
#include "binding/qeltimerglue.h"
#include "controls/QelGradientLabel.h"
#include "controls/QelHTMLStaticText.h"
#include "labels_fixture.h"
#include "toolkit/registry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <QWidget>

namespace {

// Counts the repaints that reach the control.
class TCountingHTML : public TQelHTMLStaticText {
public:
    using TQelHTMLStaticText::TQelHTMLStaticText;
    void Repaint() override
    {
        ++repaints;
        TQelHTMLStaticText::Repaint();
    }
    int repaints = 0;
};

class HTMLStaticTextTest : public LabelsTest {
protected:
    // A control as a form loads it: the HTML text is the template.
    TCountingHTML* addLoaded(const std::string& path, const std::string& html)
    {
        form->BeginLoading();
        auto* c = add<TCountingHTML>("htmlInfo", path);
        c->HTMLText().SetText(html);
        form->EndLoading();
        return c;
    }
    static std::string shown(TQelHTMLStaticText* c) { return c->HTMLText().Text(); }
};

TEST_F(HTMLStaticTextTest, FillsItsTemplateAndShowsEmptyWithoutFieldList)
{
    auto* html = addLoaded("", "<B><Vorname> <Name></B><BR>Gehalt: <Gehalt>");
    EXPECT_EQ(html->Template(), "<B><Vorname> <Name></B><BR>Gehalt: <Gehalt>");
    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), fl(), false), 1);
    EXPECT_TRUE(html->Visible());
    EXPECT_EQ(shown(html), "<B>Anna Ott</B><BR>Gehalt: \n");
    EXPECT_EQ(html->Perform(WM_OC_GETFIELD), QelOIToParam(fl()));
    EXPECT_EQ(html->Perform(WM_OC_LOCATE, 1, QelOIToParam(fl())), 0);

    EXPECT_EQ(html->Disconnect(), 0);
    EXPECT_FALSE(html->Visible());
    EXPECT_EQ(fl()->ControlCount(), 0u);
    html->Repaint();
    EXPECT_EQ(shown(html), "(leer)\n");
    // The template survives showing "(leer)".
    html->ConnectFL(fl(), false);
    EXPECT_EQ(shown(html), "<B>Anna Ott</B><BR>Gehalt: \n");
    html->ChangeHTMLText("<I><Name></I>");
    EXPECT_EQ(shown(html), "<I>Ott</I>\n");

    // Built in code and never loaded: the HTML text as first filled is the template.
    auto* coded = add<TQelHTMLStaticText>("htmlCode", "");
    coded->HTMLText().SetText("Hallo <Vorname>");
    coded->ConnectFL(fl(), false);
    EXPECT_EQ(shown(coded), "Hallo Anna\n");
    EXPECT_EQ(PageOfClass("TQelHTMLStaticText"), "TelvoODB");
}

TEST_F(HTMLStaticTextTest, ReferenceFieldChoosesTheBaseFieldList)
{
    auto* html = addLoaded("Arbeitgeber", "Firma: <Name>");
    ASSERT_EQ(html->ConnectFL(fl(), false), 1);
    TQelRefField* ref = employer();
    EXPECT_EQ(html->RefField(), ref);
    EXPECT_EQ(html->Perform(WM_OC_GETFIELD), QelOIToParam(ref));
    // Registered on the reference field, not on the field list.
    EXPECT_EQ(ref->ControlCount(), 1u);
    EXPECT_EQ(fl()->ControlCount(), 0u);
    // Key 0: the person's own fields fill the template.
    EXPECT_EQ(html->BaseFieldList(), fl());
    EXPECT_EQ(shown(html), "Firma: Ott\n");

    ref->set_AsObject(firm);
    clock.Advance(100);
    EXPECT_EQ(html->BaseFieldList(), firm->FieldList());
    EXPECT_EQ(shown(html), "Firma: Müller & Söhne GmbH\n");
}

TEST_F(HTMLStaticTextTest, WatchedFieldRepaintsOnce100msAfterSeveralTouches)
{
    auto* html = addLoaded("", "<Vorname> <Name>");
    html->get_WatchFields().Add("Name");
    html->ConnectFL(fl(), false);
    const int before = html->repaints;

    field(person, "Name")->set_AsString("Ot");
    clock.Advance(50);
    field(person, "Name")->set_AsString("Otto");
    clock.Advance(40);
    field(person, "Name")->set_AsString("Ottow");
    // One task, reset by each touch.
    EXPECT_EQ(tasks()->Count(), 1);
    clock.Advance(99);
    EXPECT_EQ(html->repaints, before);
    EXPECT_EQ(shown(html), "Anna Ott\n");
    clock.Advance(1);
    EXPECT_EQ(html->repaints, before + 1);
    EXPECT_EQ(shown(html), "Anna Ottow\n");
    // The task stopped itself.
    EXPECT_EQ(tasks()->Count(), 0);
    clock.Advance(1000);
    EXPECT_EQ(html->repaints, before + 1);
}

TEST_F(HTMLStaticTextTest, UnwatchedFieldsAreIgnoredAndStarWatchesAll)
{
    auto* html = addLoaded("", "<Vorname> <Name>");
    TStringList watch;
    watch.Add("name"); // names compare without case
    html->set_WatchFields(watch);
    watch.Clear(); // assigned by copy
    html->ConnectFL(fl(), false);
    auto* star = add<TCountingHTML>("htmlStar", "");
    star->get_WatchFields().SetCommaText("Gehalt,*");
    star->ChangeHTMLText("<Vorname>!");
    star->ConnectFL(fl(), false);
    const int before = html->repaints;

    field(person, "Vorname")->set_AsString("Berta");
    EXPECT_EQ(tasks()->Count(), 1); // the star's
    clock.Advance(500);
    EXPECT_EQ(html->repaints, before);
    EXPECT_EQ(shown(html), "Anna Ott\n");
    EXPECT_EQ(shown(star), "Berta!\n");

    field(person, "Name")->set_AsString("Kurz");
    clock.Advance(100);
    EXPECT_EQ(shown(html), "Berta Kurz\n");
}

TEST_F(HTMLStaticTextTest, DestructionStopsThePendingRepaint)
{
    auto* html = addLoaded("", "<Name>");
    html->ConnectFL(fl(), false);
    field(person, "Name")->set_AsString("Neu");
    ASSERT_EQ(tasks()->Count(), 1);
    delete html;
    EXPECT_EQ(tasks()->Count(), 0);
    EXPECT_EQ(fl()->ControlCount(), 0u);
    clock.Advance(200);

    // The same with the reference binding, and the database closing before the form.
    auto* ref = addLoaded("Arbeitgeber", "<Name>");
    ref->ConnectFL(fl(), false);
    field(person, "Name")->set_AsString("Neuer");
    ASSERT_EQ(tasks()->Count(), 1);
    SetQelDatabase(nullptr);
    db.reset();
    EXPECT_FALSE(ref->Connected());
    form.reset();
}

TEST_F(HTMLStaticTextTest, ForgetsItsFieldListWhenTheObjectGoes)
{
    auto* html = addLoaded("", "<Name>");
    html->ConnectFL(fl(), false);
    db->FreeObject(person);
    person = nullptr;
    EXPECT_FALSE(html->Connected());
    html->Repaint();
    EXPECT_EQ(shown(html), "(leer)\n");
}

// The Qt glue: a database without a dispatcher gets the Qt one when a control starts a task; a
// list that has one keeps it.
TEST_F(HTMLStaticTextTest, QtTimersRunTheRepaintOnTheEventLoop)
{
    // The manual clock stays where the test put it.
    EXPECT_EQ(QelEnsureTimerDispatcher(tasks())->get_Dispatcher(), &clock);

    tasks()->set_Dispatcher(nullptr);
    tasks()->set_Clock(nullptr);
    auto* html = addLoaded("", "<Name>");
    html->ConnectFL(fl(), false);
    const int before = html->repaints;
    QElapsedTimer elapsed;
    elapsed.start();
    field(person, "Name")->set_AsString("Echtzeit");
    EXPECT_EQ(tasks()->get_Dispatcher(), QelQtTimerDispatcher());
    EXPECT_EQ(html->repaints, before);
    EXPECT_TRUE(QTest::qWaitFor([&] { return html->repaints > before; }, 3000));
    EXPECT_GE(elapsed.elapsed(), 95);
    EXPECT_EQ(shown(html), "Echtzeit\n");
    EXPECT_EQ(tasks()->Count(), 0);
}

TEST_F(HTMLStaticTextTest, QtTimersSurviveTheDatabaseClosingInsideAHandler)
{
    QelInstallQtTimers(db.get());
    EXPECT_EQ(tasks()->get_Dispatcher(), QelQtTimerDispatcher());
    tasks()->set_Clock(nullptr);
    bool fired = false;
    TQelTimerScope scope(this, tasks());
    scope.Start(7, 10, [&](TQelTaskId, std::intptr_t) {
        fired = true;
        SetQelDatabase(nullptr);
        db.reset(); // closes the task list that runs this handler
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return fired; }, 3000));
    EXPECT_FALSE(db);
    // The next list is driven as before.
    TQelTimerTasks other(nullptr, QelQtTimerDispatcher());
    int runs = 0;
    TQelTimerScope otherScope(this, &other);
    otherScope.Start(1, 5, [&](TQelTaskId t, std::intptr_t) {
        ++runs;
        other.Stop(t);
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return runs == 1; }, 3000));
    QTest::qWait(30);
    EXPECT_EQ(runs, 1);
}

// Both labels in a small form, written as PNG for a look.
TEST_F(HTMLStaticTextTest, RendersBothLabelsInAForm)
{
    employer()->set_AsObject(firm);
    form->SetCaption("Person");
    form->SetBounds(0, 0, 420, 190);
    auto* title = add<TQelGradientLabel>("lblPerson", "Name");
    title->SetBounds(10, 10, 400, 26);
    title->SetColor(TColor(0xE8C89A));
    title->SetColorTo(clWhite);
    title->SetIndent(8);
    title->Font().SetStyle({ fsBold });
    title->Font().SetSize(11);
    auto* firmLabel = add<TQelGradientLabel>("lblFirma", "Arbeitgeber");
    firmLabel->SetBounds(10, 46, 400, 22);
    firmLabel->SetGradientType(gtBottomLine);
    firmLabel->SetParentColor(false);
    firmLabel->SetColor(clWhite);
    firmLabel->SetColorTo(TColor(0xB07030));
    firmLabel->SetIndent(8);
    auto* none = add<TQelGradientLabel>("lblLeer", "Arbeitgeber");
    none->SetBounds(10, 76, 180, 22);
    none->SetColor(clSilver);
    none->SetColorTo(clWhite);
    none->SetAlignment(taCenter);
    auto* html = addLoaded("",
        "<B><Vorname> <Name></B> arbeitet bei <Arbeitgeber>.<BR>"
        "<FONT color=\"clGray\">Gehalt: <Gehalt></FONT>");
    html->SetBounds(10, 108, 400, 60);

    TQelCommonMethods::ConnectSubControls(form.get(), fl(), false);
    // A second person without employer.
    TQelObject* other = db->CreateObject(db->FindClass("Person")->Key());
    none->ConnectFL(other->FieldList(), false);
    EXPECT_EQ(none->Caption(), "(nicht gesetzt)");
    field(person, "Gehalt")->set_AsString("4250");
    clock.Advance(100);
    ASSERT_EQ(firmLabel->Caption(), "Müller & Söhne GmbH");

    form->Show();
    QApplication::processEvents();
    const QImage img = form->Handle()->grab().toImage();
    const QString path = QDir(TestOutputDir()).filePath("controls_labels.png");
    ASSERT_TRUE(img.save(path)) << path.toStdString();
    // The title's gradient runs from its colour to white.
    const QColor start = img.pixelColor(title->Left() + 2, title->Top() + 2);
    const QColor end = img.pixelColor(title->Left() + title->Width() - 2, title->Top() + 2);
    EXPECT_EQ(end, QColor(Qt::white));
    EXPECT_LT(start.red(), 0xB0);
}

} // namespace
