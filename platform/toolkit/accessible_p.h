#pragma once
// Inside the toolkit only: the sources of a widget's accessible name (see toolkit/accessible.h).
#include <QString>

class QWidget;

// The caption of the label beside the widget ("": none).
void SetAccessibleLabel(QWidget* widget, const QString& caption);
// The caption the widget shows itself as rich text (a check box whose text is a label over it).
void SetAccessibleRichCaption(QWidget* widget, const QString& richText);
