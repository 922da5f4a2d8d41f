#include "main_window.h"

#include <QLabel>
#include <QStatusBar>
#include <QVBoxLayout>

MainWindow::MainWindow(const QString& dbPath, long long objectCount, QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName("MainWindow");
    setWindowTitle("QelObjCntrl Demo");
    resize(900, 600);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* title = new QLabel("<h2>QelObjCntrl</h2><p>Datensensitive Steuerelemente für Objektdatenbanken</p>", central);
    title->setAlignment(Qt::AlignCenter);
    layout->addStretch();
    layout->addWidget(title);
    layout->addStretch();
    setCentralWidget(central);

    statusBar()->addWidget(new QLabel(QString("Datenbank: %1").arg(dbPath), this), 1);
    statusBar()->addPermanentWidget(new QLabel(QString("%1 Objekte").arg(objectCount), this));
}
