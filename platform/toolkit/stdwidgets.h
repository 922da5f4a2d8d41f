#pragma once
// Inside the toolkit only: the Qt widgets behind the standard controls.
#include "toolkit/qtbridge.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <functional>

// The focus border and the flat look (a line under the text) of edits and combos.
struct TFrameLook {
    bool focusBorder = false;
    bool flat = false;
    QColor flatLineColor = Qt::black;

    void Paint(QWidget* w) const
    {
        const bool focus = focusBorder && w->hasFocus();
        if (!focus && !flat)
            return;
        QPainter p(w);
        if (focus) {
            p.setPen(w->palette().color(QPalette::Highlight));
            p.drawRect(w->rect().adjusted(0, 0, -1, -1));
        } else {
            p.setPen(flatLineColor);
            p.drawLine(0, w->height() - 1, w->width() - 1, w->height() - 1);
        }
    }
};

class TLineEditWidget : public TBridgeWidget<QLineEdit> {
public:
    TLineEditWidget() = default;
    TFrameLook look;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QLineEdit::paintEvent(e);
        look.Paint(this);
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

// A combo box that reports its list opening and closing, and can refuse to drop down.
class TComboWidget : public TBridgeWidget<QComboBox> {
public:
    TComboWidget() = default;
    std::function<void()> onDropDown;
    std::function<void()> onCloseUp;
    bool noPopup = false;
    int dropWidth = 0;
    bool dropped = false;
    TFrameLook look;

    void showPopup() override
    {
        if (noPopup || dropped)
            return;
        if (onDropDown)
            onDropDown();
        view()->setMinimumWidth(dropWidth > width() ? dropWidth : 0);
        dropped = true;
        QComboBox::showPopup();
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        if (!dropped)
            return;
        dropped = false;
        if (onCloseUp)
            onCloseUp();
    }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QComboBox::paintEvent(e);
        look.Paint(this);
    }
};
