// The package's controls in Qt Designer's form editor as a Qt developer works with them: a page
// control is a container of pages (inserted, removed, switched, one shown at a time below its
// tabs) that a saved .ui keeps; texts of several lines stay whole; labels and data controls look
// as they will at run time.
#include "QelObjCntrl.h"
#include "controls/QelEdit.h"
#include "controls/QelPageControl.h"
#include "designer_fixture.h"
#include "pickers/QelCombo.h"
#include "vectors/QelVectorGrid.h"

#include "toolkit/comctrls.h"
#include "toolkit/designhost.h"
#include "toolkit/extctrls.h"
#include "toolkit/qtbridge.h"

#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <QXmlStreamReader>
#include <QtDesigner/QDesignerContainerExtension>
#include <QtDesigner/QDesignerMetaDataBaseInterface>
#include <QtDesigner/QDesignerPropertySheetExtension>
#include <QtDesigner/QDesignerWidgetFactoryInterface>
#include <QtDesigner/QExtensionManager>

namespace {

QString Form(const QString& body)
{
    return QStringLiteral("<ui version=\"4.0\"><class>Form</class><widget class=\"QWidget\" name=\"Form\">"
                          "<property name=\"geometry\"><rect><x>0</x><y>0</y><width>500</width>"
                          "<height>400</height></rect></property>%1</widget></ui>")
        .arg(body);
}

QString Sheet(const QString& name, const QString& caption, const QString& edit)
{
    return QStringLiteral(
        "<widget class=\"TTabSheet\" name=\"%1\"><property name=\"Caption\"><string>%2</string>"
        "</property><widget class=\"TQelEdit\" name=\"%3\"><property name=\"geometry\"><rect>"
        "<x>8</x><y>24</y><width>160</width><height>24</height></rect></property>"
        "<property name=\"FieldPath\"><string>%3</string></property></widget></widget>")
        .arg(name, caption, edit);
}

// The pages of the page control in a saved .ui: each page's class, name and its controls' names.
QStringList PagesInFile(const QString& ui, const QString& pageControl)
{
    QXmlStreamReader xml(ui);
    QStringList pages;
    int depth = 0, inside = -1;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && xml.name() == QLatin1String("widget")) {
            ++depth;
            const QString name = xml.attributes().value(QLatin1String("name")).toString();
            const QString cls = xml.attributes().value(QLatin1String("class")).toString();
            if (name == pageControl)
                inside = depth;
            else if (inside >= 0 && depth == inside + 1)
                pages.append(cls + QLatin1Char(' ') + name);
            else if (inside >= 0 && depth > inside + 1)
                pages.last() += QLatin1Char(' ') + name;
        } else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("widget")) {
            if (depth == inside)
                inside = -1;
            --depth;
        }
    }
    return pages;
}

TQelPageControl* PagesOf(QWidget* host)
{
    auto* h = dynamic_cast<TDesignHost*>(host);
    return h ? dynamic_cast<TQelPageControl*>(h->Control()) : nullptr;
}

TEST_F(DesignerFormEditor, APageControlOfThreePagesIsEditedAsDesignerContainerAndRoundTrips)
{
    const QString ui = Form(
        QStringLiteral("<widget class=\"TQelPageControl\" name=\"pcPerson\"><property "
                       "name=\"geometry\"><rect><x>0</x><y>0</y><width>480</width><height>"
                       "300</height></rect></property>%1%2%3</widget>")
            .arg(Sheet(QStringLiteral("tsAllgemein"), QStringLiteral("Allgemein"), QStringLiteral("Name")),
                Sheet(QStringLiteral("tsBank"), QStringLiteral("Bank"), QStringLiteral("IBAN")),
                Sheet(QStringLiteral("tsNotizen"), QStringLiteral("Notizen"), QStringLiteral("Notiz"))));
    QDesignerFormWindowInterface* fw = open(ui);
    fw->show();
    QWidget* host = fw->mainContainer()->findChild<QWidget*>(QStringLiteral("pcPerson"));
    ASSERT_NE(host, nullptr);
    auto* pages = qt_extension<QDesignerContainerExtension*>(core->extensionManager(), host);
    ASSERT_NE(pages, nullptr);
    ASSERT_EQ(pages->count(), 3);
    TQelPageControl* pc = PagesOf(host);
    ASSERT_NE(pc, nullptr);
    // One tab per page, and only the current page's controls are shown.
    auto* tabs = pc->Handle()->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Bank"));
    EXPECT_EQ(pages->currentIndex(), 0);
    const auto shownPages = [&] {
        QStringList shown;
        for (int i = 0; i < pages->count(); ++i)
            if (pages->widget(i)->isVisible())
                shown << pages->widget(i)->objectName();
        return shown;
    };
    EXPECT_EQ(shownPages(), QStringList { QStringLiteral("tsAllgemein") });
    QWidget* iban = fw->mainContainer()->findChild<QWidget*>(QStringLiteral("IBAN"));
    ASSERT_NE(iban, nullptr);
    EXPECT_FALSE(iban->isVisible());
    // The page lies below the tab row.
    EXPECT_GE(pages->widget(0)->y(), tabs->height());

    pages->setCurrentIndex(1);
    EXPECT_EQ(shownPages(), QStringList { QStringLiteral("tsBank") });
    EXPECT_TRUE(iban->isVisible());
    EXPECT_EQ(tabs->currentIndex(), 1);
    // A click on a tab switches the page (Designer lets clicks on other tabs through).
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    EXPECT_EQ(pages->currentIndex(), 2);
    EXPECT_EQ(shownPages(), QStringList { QStringLiteral("tsNotizen") });

    // "Insert Page" puts a plain page of Designer's in; "Delete" takes one out.
    auto* inserted = new QWidget(host);
    inserted->setObjectName(QStringLiteral("page"));
    core->metaDataBase()->add(inserted);
    pages->insertWidget(1, inserted);
    inserted->setWindowTitle(QStringLiteral("Neu"));
    auto* pageSheet = qt_extension<QDesignerPropertySheetExtension*>(core->extensionManager(), inserted);
    ASSERT_NE(pageSheet, nullptr);
    pageSheet->setChanged(pageSheet->indexOf(QStringLiteral("windowTitle")), true);
    ASSERT_EQ(pages->count(), 4);
    EXPECT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Neu"));
    pages->remove(2); // Bank
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Notizen"));

    // Saved: the pages in order, each with its controls; read back by Designer and by the loader.
    const QString saved = fw->contents();
    EXPECT_EQ(PagesInFile(saved, QStringLiteral("pcPerson")),
        (QStringList { QStringLiteral("TTabSheet tsAllgemein Name"), QStringLiteral("QWidget page"),
            QStringLiteral("TTabSheet tsNotizen Notiz") }));
    QDesignerFormWindowInterface* again = open(saved);
    QWidget* hostAgain = again->mainContainer()->findChild<QWidget*>(QStringLiteral("pcPerson"));
    ASSERT_NE(hostAgain, nullptr);
    auto* pagesAgain = qt_extension<QDesignerContainerExtension*>(core->extensionManager(), hostAgain);
    ASSERT_NE(pagesAgain, nullptr);
    EXPECT_EQ(pagesAgain->count(), 3);
    EXPECT_EQ(PagesInFile(again->contents(), QStringLiteral("pcPerson")),
        PagesInFile(saved, QStringLiteral("pcPerson")));

    TPanel target(nullptr);
    const TFormLoadResult loaded = QelObjCntrl::LoadFormText(&target, FromQString(saved), &target);
    ASSERT_TRUE(loaded.ok) << loaded.error;
    EXPECT_TRUE(loaded.warnings.empty()) << loaded.warnings.front();
    auto* loadedPages = dynamic_cast<TQelPageControl*>(target.FindComponent("pcPerson"));
    ASSERT_NE(loadedPages, nullptr);
    ASSERT_EQ(loadedPages->PageCount(), 3);
    EXPECT_EQ(loadedPages->Pages(0)->Caption(), "Allgemein");
    EXPECT_EQ(loadedPages->Pages(1)->Caption(), "Neu");
    EXPECT_EQ(loadedPages->Pages(2)->Caption(), "Notizen");
    auto* note = dynamic_cast<TQelEdit*>(target.FindComponent("Notiz"));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->Parent(), loadedPages->Pages(2));
    EXPECT_EQ(target.FindComponent("IBAN"), nullptr);
    delete again;
    delete fw;
}

TEST_F(DesignerFormEditor, ANewPageControlFromTheWidgetBoxHasTwoPages)
{
    QDesignerFormWindowInterface* fw = open(Form(QString()));
    // What the widget box drops: the control's entry of the plugin.
    QDesignerCustomWidgetInterface* entry = widgetOf(QStringLiteral("TQelPageControl"));
    ASSERT_NE(entry, nullptr);
    const QString dom = entry->domXml();
    const int start = dom.indexOf(QLatin1String("<widget"));
    const int end = dom.lastIndexOf(QLatin1String("</widget>")) + 9;
    QDesignerFormWindowInterface* dropped = open(Form(dom.mid(start, end - start)));
    QWidget* host = dropped->mainContainer()->findChild<QWidget*>(QStringLiteral("qelPageControl"));
    ASSERT_NE(host, nullptr);
    auto* pages = qt_extension<QDesignerContainerExtension*>(core->extensionManager(), host);
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->count(), 2);
    EXPECT_EQ(PagesOf(host)->PageCount(), 2);
    EXPECT_EQ(PagesOf(host)->Pages(1)->Caption(), "Seite 2");
    delete dropped;
    delete fw;
}

TEST_F(DesignerFormEditor, TextsOfSeveralLinesAreMultiLineAndKeptWhole)
{
    ASSERT_NE(widgetOf(QStringLiteral("TQelVectorGrid")), nullptr);
    ASSERT_NE(widgetOf(QStringLiteral("TQelCombo")), nullptr);
    const QString gridDom = widgetOf(QStringLiteral("TQelVectorGrid"))->domXml();
    const QString comboDom = widgetOf(QStringLiteral("TQelCombo"))->domXml();
    EXPECT_TRUE(gridDom.contains(
        QLatin1String("<stringpropertyspecification name=\"FieldNames\" notr=\"true\" type=\"multiline\"/>")))
        << gridDom.toStdString();
    EXPECT_TRUE(comboDom.contains(QLatin1String("name=\"SQLRestriction\" notr=\"true\" type=\"multiline\"")))
        << comboDom.toStdString();
    EXPECT_FALSE(comboDom.contains(QLatin1String("name=\"FieldPath\""))) << comboDom.toStdString();

    QDesignerFormWindowInterface* fw = open(Form(QString()));
    QWidget* grid
        = core->widgetFactory()->createWidget(QStringLiteral("TQelVectorGrid"), fw->mainContainer());
    grid->setObjectName(QStringLiteral("vgAdressen"));
    fw->manageWidget(grid);
    QWidget* combo = core->widgetFactory()->createWidget(QStringLiteral("TQelCombo"), fw->mainContainer());
    combo->setObjectName(QStringLiteral("cbFirma"));
    fw->manageWidget(combo);
    const auto set = [&](QWidget* w, const char* name, const QString& value) {
        auto* sheet = qt_extension<QDesignerPropertySheetExtension*>(core->extensionManager(), w);
        const int i = sheet->indexOf(QString::fromLatin1(name));
        ASSERT_NE(i, -1) << name;
        sheet->setProperty(i, value);
        sheet->setChanged(i, true);
    };
    set(grid, "FieldNames",
        QStringLiteral("Strasse AS Straße/LENGTH:24c/0\nPLZ/LENGTH:7c/0\nOrt/LENGTH:16c\n"));
    set(combo, "SQLRestriction", QStringLiteral("Firma.Ort = 'Köln'\nAND Firma.Name LIKE 'K%'"));
    const QString saved = fw->contents();
    TPanel target(nullptr);
    const TFormLoadResult loaded = QelObjCntrl::LoadFormText(&target, FromQString(saved), &target);
    ASSERT_TRUE(loaded.ok) << loaded.error;
    auto* loadedGrid = dynamic_cast<TQelVectorGrid*>(target.FindComponent("vgAdressen"));
    ASSERT_NE(loadedGrid, nullptr);
    EXPECT_EQ(loadedGrid->GetPropValue("FieldNames").AsString(),
        "Strasse AS Straße/LENGTH:24c/0\nPLZ/LENGTH:7c/0\nOrt/LENGTH:16c\n");
    auto* loadedCombo = dynamic_cast<TQelCombo*>(target.FindComponent("cbFirma"));
    ASSERT_NE(loadedCombo, nullptr);
    EXPECT_EQ(loadedCombo->get_SQLRestriction(), "Firma.Ort = 'Köln'\nAND Firma.Name LIKE 'K%'");
    delete fw;
}

TEST_F(DesignerFormEditor, LabelsAndDataControlsLookAsAtRunTime)
{
    QDesignerFormWindowInterface* fw = open(Form(QStringLiteral(
        "<widget class=\"TQelEdit\" name=\"edName\"><property name=\"geometry\"><rect><x>20</x><y>60</y>"
        "<width>200</width><height>24</height></rect></property>"
        "<property name=\"FieldPath\"><string>Name</string></property>"
        "<property name=\"LabelCaption\"><string>Nachname</string></property></widget>")));
    fw->show();
    QWidget* host = fw->mainContainer()->findChild<QWidget*>(QStringLiteral("edName"));
    ASSERT_NE(host, nullptr);
    auto* edit = dynamic_cast<TQelEdit*>(dynamic_cast<TDesignHost*>(host)->Control());
    ASSERT_NE(edit, nullptr);
    // The label stands above the control on the form, where it will stand at run time.
    QLabel* label = nullptr;
    for (QLabel* l : fw->mainContainer()->findChildren<QLabel*>())
        if (l->text() == QLatin1String("Nachname"))
            label = l;
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->parentWidget(), host->parentWidget());
    EXPECT_EQ(label->x(), 20);
    EXPECT_EQ(label->geometry().bottom() + 1 + edit->LabelMargin(), 60);
    EXPECT_TRUE(label->isEnabled());
    // Moved on the form, the label goes along; the saved form holds no label of its own.
    host->move(40, 100);
    EXPECT_EQ(label->x(), 40);
    EXPECT_EQ(label->geometry().bottom() + 1 + edit->LabelMargin(), 100);
    EXPECT_FALSE(fw->contents().contains(QLatin1String("QLabel")));
    // A data control looks enabled (it is, once connected), its field named where its value goes.
    EXPECT_TRUE(edit->Handle()->isEnabled());
    EXPECT_EQ(static_cast<QLineEdit*>(edit->Handle())->placeholderText(), QStringLiteral("Name"));
    delete fw;
}

} // namespace
