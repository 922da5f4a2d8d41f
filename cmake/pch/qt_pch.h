// What the toolkit's units share: the standard headers and the Qt Widgets core classes.
#include "std_pch.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QString>
#include <QStyle>
#include <QTimer>
#include <QWidget>
