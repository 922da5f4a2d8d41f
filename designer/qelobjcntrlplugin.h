#pragma once
// The collection of widgets Qt Designer shows on its widget box: the package's controls in the
// group "TelvoODB", the toolkit's standard controls in "TelvoODB Standard".
#include <QObject>
#include <QStringList>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

class TQelDesignerWidget : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    TQelDesignerWidget(const QString& className, const QString& group, QObject* parent);

    QString name() const override { return className_; }
    QString group() const override { return group_; }
    QString toolTip() const override;
    QString whatsThis() const override;
    QString includeFile() const override;
    QIcon icon() const override;
    bool isContainer() const override { return container_; }
    QWidget* createWidget(QWidget* parent) override;
    bool isInitialized() const override { return initialized_; }
    void initialize(QDesignerFormEditorInterface* core) override;
    QString domXml() const override;
    // False when the class makes no control (an action, an unknown name).
    bool makesControl() const { return !size_.isEmpty(); }
    // The letters on the icon, unique among the widget box's controls.
    void setIconText(const QString& text) { iconText_ = text; }

private:
    QString className_;
    QString group_;
    bool container_ = false;
    bool pages_ = false;
    QSize size_;
    QStringList multiLine_;
    QString iconText_;
    bool initialized_ = false;
};

class TQelDesignerCollection : public QObject, public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)

public:
    explicit TQelDesignerCollection(QObject* parent = nullptr);
    ~TQelDesignerCollection() override;
    QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return widgets_; }

private:
    QList<QDesignerCustomWidgetInterface*> widgets_;
};
