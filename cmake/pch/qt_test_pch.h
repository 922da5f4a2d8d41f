// What the widget test units share: the test headers and the Qt classes they drive.
#include "test_pch.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QString>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
