// Qt Designer's own form editor with the plugin: the widget box lists the controls, and its
// property sheet (what the property editor shows) holds every published property with its
// default; a value set there reaches the control, is saved, and the package's loader reads it
// back. The demo's designed form opens in it with every value the file holds.
#include "QelObjCntrl.h"
#include "controls/QelEdit.h"
#include "designer_fixture.h"
#include "toolkit/extctrls.h"
#include "toolkit/qtbridge.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaProperty>
#include <QWidget>
#include <QXmlStreamReader>
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

TEST_F(DesignerFormEditor, ShowsThePublishedPropertiesWithTheirDefaults)
{
    ASSERT_NE(core, nullptr);
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

    // The form window owns its main container.
    delete fw;
}

// What a .ui file sets on the package's controls: widget name, property, value element and text.
struct TDesignedValue {
    QString widget, property, kind, text;
};

std::vector<TDesignedValue> DesignedValues(const QString& fileName)
{
    QFile file(fileName);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << fileName.toStdString();
    QXmlStreamReader xml(&file);
    std::vector<QString> widgets; // names of the open <widget>s, empty for Qt's own classes
    std::vector<QString> open;
    QString property;
    std::vector<TDesignedValue> values;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QString name = xml.name().toString();
            if (name == QLatin1String("widget")) {
                const QString cls = xml.attributes().value(QLatin1String("class")).toString();
                widgets.push_back(cls.startsWith(QLatin1Char('T'))
                        ? xml.attributes().value(QLatin1String("name")).toString()
                        : QString());
            } else if (name == QLatin1String("property") && !open.empty()
                && open.back() == QLatin1String("widget")) {
                property = xml.attributes().value(QLatin1String("name")).toString();
            } else if (!open.empty() && open.back() == QLatin1String("property") && !property.isEmpty()
                && !widgets.empty() && !widgets.back().isEmpty() && property != QLatin1String("geometry")
                && property != QLatin1String("font")) {
                values.push_back({ widgets.back(), property, name,
                    xml.readElementText(QXmlStreamReader::SkipChildElements) });
                continue;
            }
            open.push_back(name);
        } else if (token == QXmlStreamReader::EndElement) {
            if (open.back() == QLatin1String("widget"))
                widgets.pop_back();
            if (open.back() == QLatin1String("property"))
                property.clear();
            open.pop_back();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return values;
}

TEST_F(DesignerFormEditor, OpensTheDemoFormWithEveryValueItHolds)
{
    ASSERT_NE(core, nullptr);
    const QString fileName = QStringLiteral(QEL_SOURCE_DIR "/demo/person_form.ui");
    QDesignerFormWindowInterface* fw = core->formWindowManager()->createFormWindow(nullptr);
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString error;
    ASSERT_TRUE(fw->setContents(&file, &error)) << error.toStdString();
    const std::vector<TDesignedValue> values = DesignedValues(fileName);
    ASSERT_GT(values.size(), 20u);
    for (const TDesignedValue& v : values) {
        const std::string where = (v.widget + QLatin1Char('.') + v.property).toStdString();
        QWidget* w = fw->mainContainer()->findChild<QWidget*>(v.widget);
        ASSERT_NE(w, nullptr) << where;
        const QMetaObject* meta = w->metaObject();
        const int index = meta->indexOfProperty(v.property.toUtf8().constData());
        // A property the control does not publish would be lost when Designer saves the form.
        ASSERT_NE(index, -1) << where << " of " << meta->className();
        const QMetaProperty p = meta->property(index);
        const QVariant value = w->property(v.property.toUtf8().constData());
        if (v.kind == QLatin1String("set")) {
            EXPECT_EQ(value.toInt(), p.enumerator().keysToValue(v.text.toUtf8().constData())) << where;
        } else if (v.kind == QLatin1String("enum")) {
            EXPECT_EQ(value.toInt(), p.enumerator().keyToValue(v.text.toUtf8().constData())) << where;
        } else if (v.kind == QLatin1String("number")) {
            EXPECT_EQ(value.toInt(), v.text.toInt()) << where;
        } else if (v.kind == QLatin1String("bool")) {
            EXPECT_EQ(value.toBool(), v.text == QLatin1String("true")) << where;
        } else if (v.kind == QLatin1String("string")) {
            // Lines read back with a line break after the last one.
            QString text = value.toString(), expected = v.text;
            while (text.endsWith(QLatin1Char('\n')))
                text.chop(1);
            while (expected.endsWith(QLatin1Char('\n')))
                expected.chop(1);
            EXPECT_EQ(text, expected) << where;
        }
        // Sets and enumerations are written as Designer writes them, not as texts.
        if (p.isEnumType()) {
            EXPECT_TRUE(v.kind == QLatin1String("set") || v.kind == QLatin1String("enum")) << where;
        }
    }
    delete fw;
}

} // namespace
