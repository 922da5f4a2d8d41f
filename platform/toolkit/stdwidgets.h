#pragma once
// Inside the toolkit only: the Qt widgets behind the standard controls.
#include "toolkit/qtbridge.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <functional>

// Single-line edit with an optional focus border and a flat look (a line under the text).
class TLineEditWidget : public TBridgeWidget<QLineEdit> {
public:
    TLineEditWidget() = default;
    bool focusBorder = false;
    bool flat = false;
    QColor flatLineColor = Qt::gray;
    QColor focusBorderColor;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QLineEdit::paintEvent(e);
        if (!(flat || (focusBorder && hasFocus())))
            return;
        QPainter p(this);
        if (focusBorder && hasFocus()) {
            p.setPen(focusBorderColor.isValid() ? focusBorderColor : palette().color(QPalette::Highlight));
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        } else {
            p.setPen(flatLineColor);
            p.drawLine(0, height() - 1, width() - 1, height() - 1);
        }
    }
};

class TPlainTextWidget : public TScrollBridgeWidget<QPlainTextEdit> {
public:
    TPlainTextWidget() = default;
};

class TLabelWidget : public TBridgeWidget<QLabel> {
public:
    TLabelWidget() = default;
};

class TPushButtonWidget : public TBridgeWidget<QPushButton> {
public:
    TPushButtonWidget() = default;
};

// A check box whose toggling is decided by its control.
class TCheckBoxWidget : public TBridgeWidget<QCheckBox> {
public:
    TCheckBoxWidget() = default;
    std::function<void()> onToggle;
    // With a caption shown by a child label, the whole widget is the click area.
    bool wholeAreaClicks = false;

protected:
    void nextCheckState() override
    {
        if (onToggle)
            onToggle();
    }
    bool hitButton(const QPoint& pos) const override
    {
        return wholeAreaClicks ? rect().contains(pos) : QCheckBox::hitButton(pos);
    }
};
