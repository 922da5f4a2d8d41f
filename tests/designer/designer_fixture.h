#pragma once
// Qt Designer's own form editor with the package's plugin loaded, as Designer runs it: the widget
// box, the property sheets, the container extensions and the form windows that save .ui files.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>
#include <QtDesigner/QDesignerComponents>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>
#include <QtDesigner/QDesignerFormWindowManagerInterface>
#include <QtDesigner/QDesignerIntegration>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <gtest/gtest.h>

class DesignerFormEditor : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (core)
            return; // one form editor for the whole program, as in Designer
        // Qt Designer looks for plugins in "designer" below the library paths.
        QDir pluginDir = QFileInfo(QStringLiteral(QEL_DESIGNER_PLUGIN)).absoluteDir();
        pluginDir.cdUp();
        QCoreApplication::addLibraryPath(pluginDir.absolutePath());
        core = QDesignerComponents::createFormEditor(nullptr);
        // Form windows ask the integration (the host application's side) what they may do.
        new QDesignerIntegration(core, core);
        QDesignerComponents::initializePlugins(core);
    }
    // A form window holding `ui` as Designer opens a file.
    static QDesignerFormWindowInterface* open(const QString& ui)
    {
        QDesignerFormWindowInterface* fw = core->formWindowManager()->createFormWindow(nullptr);
        EXPECT_TRUE(fw->setContents(ui));
        return fw;
    }
    // The plugin's entry for a class, as the widget box has it.
    static QDesignerCustomWidgetInterface* widgetOf(const QString& className)
    {
        QPluginLoader loader(QStringLiteral(QEL_DESIGNER_PLUGIN));
        auto* collection = qobject_cast<QDesignerCustomWidgetCollectionInterface*>(loader.instance());
        for (QDesignerCustomWidgetInterface* w :
            collection ? collection->customWidgets() : QList<QDesignerCustomWidgetInterface*>())
            if (w->name() == className)
                return w;
        return nullptr;
    }
    static inline QDesignerFormEditorInterface* core = nullptr;
};
