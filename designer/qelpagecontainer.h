#pragma once
// Page controls as Qt Designer's containers: "Insert Page", "Delete", switching pages and saving
// them go through the container extension, which works on the host's pages.
#include <QObject>
#include <QtDesigner/QDesignerContainerExtension>
#include <QtDesigner/QExtensionFactory>

class TDesignHost;

class TQelPageContainer : public QObject, public QDesignerContainerExtension {
    Q_OBJECT
    Q_INTERFACES(QDesignerContainerExtension)

public:
    TQelPageContainer(TDesignHost* host, QObject* parent);

    int count() const override;
    QWidget* widget(int index) const override;
    int currentIndex() const override;
    void setCurrentIndex(int index) override;
    bool canAddWidget() const override { return true; }
    void addWidget(QWidget* page) override;
    void insertWidget(int index, QWidget* page) override;
    bool canRemove(int) const override { return true; }
    void remove(int index) override;

private:
    TDesignHost* host_;
};

// Makes the container extension for the hosts of page controls.
class TQelExtensionFactory : public QExtensionFactory {
    Q_OBJECT

public:
    explicit TQelExtensionFactory(QExtensionManager* parent);

protected:
    QObject* createExtension(QObject* object, const QString& iid, QObject* parent) const override;
};
