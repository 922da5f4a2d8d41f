// Qt Designer's own form editor with the plugin: the widget box lists the controls, and its
// property sheet (what the property editor shows) holds every published property with its
// default; a value set there reaches the control.
#include "QelObjCntrl.h"
#include "controls/QelEdit.h"
#include "toolkit/extctrls.h"
#include "toolkit/qtbridge.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>
#include <QtDesigner/QDesignerComponents>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>
#include <QtDesigner/QDesignerFormWindowManagerInterface>
#include <QtDesigner/QDesignerIntegration>
#include <QtDesigner/QDesignerPropertySheetExtension>
#include <QtDesigner/QDesignerWidgetDataBaseInterface>
#include <QtDesigner/QDesignerWidgetFactoryInterface>
#include <QtDesigner/QExtensionManager>
#include <gtest/gtest.h>

namespace {

TEST(DesignerFormEditor, ShowsThePublishedPropertiesWithTheirDefaults)
{
    // Qt Designer looks for plugins in "designer" below the library paths.
    QDir pluginDir = QFileInfo(QStringLiteral(QEL_DESIGNER_PLUGIN)).absoluteDir();
    pluginDir.cdUp();
    QCoreApplication::addLibraryPath(pluginDir.absolutePath());

    QDesignerFormEditorInterface* core = QDesignerComponents::createFormEditor(nullptr);
    ASSERT_NE(core, nullptr);
    // Form windows ask the integration (the host application's side) what they may do.
    new QDesignerIntegration(core, core);
    QDesignerComponents::initializePlugins(core);
    QDesignerWidgetDataBaseInterface* db = core->widgetDataBase();
    const int editIndex = db->indexOfClassName(QStringLiteral("TQelEdit"));
    ASSERT_NE(editIndex, -1);
    EXPECT_EQ(db->item(editIndex)->group(), QStringLiteral("TelvoODB"));
    EXPECT_TRUE(db->item(db->indexOfClassName(QStringLiteral("TQelPanel")))->isContainer());

    QDesignerFormWindowInterface* fw = core->formWindowManager()->createFormWindow(nullptr);
    ASSERT_NE(fw, nullptr);
    // A form as Designer opens it (this also gives the form its resource set, needed to save).
    ASSERT_TRUE(fw->setContents(QStringLiteral(
        "<ui version=\"4.0\"><class>Form</class><widget class=\"QWidget\" name=\"Form\">"
        "<property name=\"geometry\"><rect><x>0</x><y>0</y><width>400</width><height>300</height>"
        "</rect></property></widget></ui>")));
    QWidget* main = fw->mainContainer();
    ASSERT_NE(main, nullptr);
    QWidget* edit = core->widgetFactory()->createWidget(QStringLiteral("TQelEdit"), main);
    ASSERT_NE(edit, nullptr);
    edit->setObjectName(QStringLiteral("edName"));
    fw->manageWidget(edit);
    EXPECT_STREQ(edit->metaObject()->className(), "TQelEdit");

    auto* sheet = qt_extension<QDesignerPropertySheetExtension*>(core->extensionManager(), edit);
    ASSERT_NE(sheet, nullptr);
    struct Expected {
        const char* name;
        QVariant value;
    };
    for (const Expected& e : { Expected { "FieldPath", QString() }, Expected { "FieldProp", QString() },
             Expected { "ReadOnly", false }, Expected { "EditOptions", 0 } }) {
        const int i = sheet->indexOf(QString::fromLatin1(e.name));
        ASSERT_NE(i, -1) << e.name;
        EXPECT_TRUE(sheet->isVisible(i)) << e.name;
        EXPECT_FALSE(sheet->isChanged(i)) << e.name; // defaults are not written into the .ui
        // Texts come wrapped in Designer's own string value; compare what they read as.
        EXPECT_EQ(edit->property(e.name), e.value) << e.name;
    }
    const int path = sheet->indexOf(QStringLiteral("FieldPath"));
    sheet->setProperty(path, QStringLiteral("Name"));
    sheet->setChanged(path, true);
    EXPECT_EQ(edit->property("FieldPath").toString(), QStringLiteral("Name"));
    EXPECT_TRUE(sheet->isChanged(path));

    // The option set is edited with Designer's flag editor, and saved as a set of names that
    // the package's loader reads back into the control.
    const int options = sheet->indexOf(QStringLiteral("EditOptions"));
    EXPECT_TRUE(QByteArray(sheet->property(options).metaType().name()).contains("Flag"))
        << sheet->property(options).metaType().name();
    sheet->setProperty(options, 1 | 4);
    sheet->setChanged(options, true);
    const QString ui = fw->contents();
    EXPECT_TRUE(ui.contains(QLatin1String("eoHideTime|")) || ui.contains(QLatin1String("::eoHideTime|")))
        << ui.toStdString();
    TPanel target(nullptr);
    const TFormLoadResult loaded = QelObjCntrl::LoadFormText(&target, FromQString(ui), &target);
    ASSERT_TRUE(loaded.ok) << loaded.error;
    EXPECT_TRUE(loaded.warnings.empty()) << loaded.warnings.front();
    auto* loadedEdit = dynamic_cast<TQelEdit*>(target.FindComponent(FromQString(edit->objectName())));
    ASSERT_NE(loadedEdit, nullptr) << ui.toStdString();
    EXPECT_EQ(loadedEdit->get_FieldPath(), "Name");
    EXPECT_EQ(loadedEdit->get_EditOptions(), (TQelEditOptions { eoHideTime, eoLabelLook }));

    delete fw;
    // The form window owns its main container.
    delete core;
}

} // namespace
