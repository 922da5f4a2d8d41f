#pragma once
// Inside the toolkit only: the link between a control and its Qt widget, and conversions between
// toolkit and Qt values. Package code never includes this header.
#include "toolkit/control.h"
#include "toolkit/graphics.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QColor>
#include <QEvent>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <string>
#include <type_traits>

class QKeyEvent;

struct TBitmap::Data {
    QPixmap pixmap;
};

// Mixin of every widget that shows a control: hands the widget's events to the control.
class TControlBridge {
public:
    virtual ~TControlBridge();
    TControl* Control() const { return control_; }
    void Attach(TControl* control) { control_ = control; }
    // The widget's own handling of an event (the Qt base class's event()).
    virtual bool QtEvent(QEvent* event) = 0;
    // What a layout is told: Qt's size hint, or for a widget without one (panels, page controls)
    // the size the control was last given by SetBounds.
    QSize SizeHint(const QSize& qtHint) const;

protected:
    // Routes an event to the control; `fallback` is used when no control is attached.
    bool Route(QEvent* event, const TQtDefault& qtDefault);
    // Tab in an inner widget of the control (a button of a group, a tab bar, an editor in a
    // frame) moves on in the form's tab order, as Tab in the control itself does; false where
    // the control sits on no form and Qt's own order holds.
    bool FocusNextInForm(bool next);
    // Call from the widget's destructor so the control forgets the widget.
    void Detach();

private:
    TControl* control_ = nullptr;
};

// A Qt widget class Q whose events go through its control first.
template <class Q> class TBridgeWidget : public Q, public TControlBridge {
public:
    using Q::Q;
    ~TBridgeWidget() override { Detach(); }
    bool QtEvent(QEvent* event) override { return Q::event(event); }
    QSize sizeHint() const override { return SizeHint(Q::sizeHint()); }

protected:
    bool event(QEvent* event) override
    {
        TQtDefault def { [](void* self, QEvent* e) { return static_cast<TBridgeWidget*>(self)->Q::event(e); },
            this };
        return Route(event, def);
    }
    bool focusNextPrevChild(bool next) override
    {
        // Only for Tab in an inner widget: the widget's own Tab is the control's (a memo that
        // takes Tab keeps it). Item views move between their cells with Tab.
        if constexpr (!std::is_base_of_v<QAbstractItemView, Q>)
            if (QApplication::focusWidget() != this && FocusNextInForm(next))
                return true;
        return Q::focusNextPrevChild(next);
    }
};

// A scroll-area widget (text edits, item views): input reaches it through its viewport, so the
// viewport's mouse and context-menu events are routed to the control as well.
template <class Q> class TScrollBridgeWidget : public TBridgeWidget<Q> {
public:
    using TBridgeWidget<Q>::TBridgeWidget;

protected:
    bool viewportEvent(QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::ContextMenu: {
            TQtDefault def { [](void* self, QEvent* e) {
                                return static_cast<TScrollBridgeWidget*>(self)->Q::viewportEvent(e);
                            },
                this };
            return this->Route(event, def);
        }
        default:
            return Q::viewportEvent(event);
        }
    }
};

// Routes the input events of an inner widget (the edit field of a combo box) to the control, so
// that its mouse and context-menu messages reach WndProc as the control's own.
class TInputRouter : public QObject {
public:
    TInputRouter(TControl* control, QWidget* inner);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TControl* control_;
    bool passing_ = false;
};

inline QString ToQString(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string FromQString(const QString& s)
{
    QByteArray b = s.toUtf8();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}
// Positions in the toolkit count characters (code points); Qt counts UTF-16 units.
int CharsToUnits(const QString& s, int chars);
int UnitsToChars(const QString& s, int units);
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);
QFont ToQFont(const TFont& font);
void AssignQFont(TFont& font, const QFont& qfont);
std::string DefaultFontName();

// Key conversion between Qt keys and virtual key codes.
WORD VirtualKeyFromQt(int qtKey);
int QtKeyFromVirtualKey(WORD vk);
TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);
Qt::KeyboardModifiers QtModifiersFromShift(TShiftState shift);
// The character a key event delivers as WM_CHAR (0: none): control codes for Ctrl+letter,
// Backspace, Return, Escape; nothing for Alt combinations, Tab and Delete.
char32_t CharFromKeyEvent(const QKeyEvent* event);
Qt::CursorShape QtCursor(TCursor cursor);
