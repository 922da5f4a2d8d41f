#pragma once
#include <QMainWindow>

class QLabel;

// The demo's main window: for now a shell with the database in its status line.
class MainWindow : public QMainWindow {
public:
    MainWindow(const QString& dbPath, long long objectCount, QWidget* parent = nullptr);
};
