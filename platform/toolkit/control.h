#pragma once
// TControl: a visible element of a form. Every control owns one Qt widget (Handle()) that shows
// it; the control keeps the classic state (parent, bounds, alignment, colour, font, hint) and
// receives the widget's input as messages through WndProc, in the classic order.
//
// Non-windowed controls (TGraphicControl: labels, shapes) take no focus and hold no children;
// windowed ones derive from TWinControl.
#include "toolkit/component.h"
#include "toolkit/graphics.h"
#include "toolkit/tkdefs.h"
#include "toolkit/tkevent.h"

#include <memory>
#include <string>
#include <vector>

class QEvent;
class QWidget;
class TWinControl;
class TCustomForm;
class TPopupMenu;
class TControlBridge;

using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, int, int>;

// How the widget's own (Qt) handling of an event is reached from WndProc's default handling.
struct TQtDefault {
    bool (*call)(void* context, QEvent* event) = nullptr;
    void* context = nullptr;
    bool operator()(QEvent* e) const { return call ? call(context, e) : false; }
};

class TControl : public TComponent {
public:
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and so are all parents up to a shown form.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual int ClientWidth() const;
    virtual int ClientHeight() const;
    void SetClientWidth(int v);
    void SetClientHeight(int v);
    TRect ClientRect() const { return Rect(0, 0, ClientWidth(), ClientHeight()); }
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors anchors);
    // Whether Qt places the control: its widget sits in a Qt layout, or in a widget that is not
    // its parent's client area (a splitter, a stacked widget, a plain QWidget of a window built
    // in Qt). Align and Anchors then leave it where Qt puts it.
    bool PlacedByQt() const;

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font) { font_.Assign(font); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);

    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);

    // The control's text (Caption of labels and buttons, Text of edits).
    std::string Text() const { return GetText(); }
    void SetText(const std::string& text) { SetTextBuf(text); }
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& text) { SetTextBuf(text); }

    // Sends a message synchronously to WndProc and returns its result.
    LRESULT Perform(unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual void WndProc(TMessage& message);

    virtual void Repaint();
    void Invalidate();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();

    // The Qt widget that shows the control. Toolkit and tests use it; package code needs none.
    QWidget* Handle() const { return widget_; }
    // The control that a widget (or a widget inside it) belongs to, or nullptr.
    static TControl* FromWidget(const QWidget* widget);
    // The controls below `widget` with no other control between (the controls of a QMainWindow,
    // a QDialog or any widget built in Qt), in the order of the widget tree.
    static std::vector<TControl*> ControlsIn(const QWidget* widget);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnResize;

protected:
    // `widget` becomes the control's widget (owned); it should derive from TControlBridge so that
    // its events reach the control.
    TControl(TComponent* owner, QWidget* widget);

    virtual std::string GetText() const;
    virtual void SetTextBuf(const std::string& text);

    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void Resize();
    virtual void Notification(TComponent* component, TOperation operation) override;

    // The default handling of a message: runs the widget's own handling of the input event that
    // produced it (when there is one), else does nothing.
    virtual void DefaultHandler(TMessage& message);

    // Applies colour and font to the widget; classes with other colour roles override.
    virtual void ApplyColor();
    virtual void ApplyFont();
    // Parent's font or colour changed: follow it when ParentFont / ParentColor is set.
    virtual void ParentFontChanged();
    virtual void ParentColorChanged();
    // The parent's client area was resized from `oldW` x `oldH`: keep anchored distances.
    void ParentResized(int oldW, int oldH);
    // Bounds changed by Qt or by SetBounds.
    virtual void BoundsChanged();
    // Shows or hides the widget after Visible or Parent changed.
    virtual void UpdateWidgetVisibility();

    // Qt events of the widget enter here. `qtDefault` runs the widget's own handling.
    virtual bool HandleQtEvent(QEvent* event, const TQtDefault& qtDefault);
    // Runs the pending Qt default for the current message once; true when there was one.
    bool RunQtDefault(TMessage& message);
    // Mouse messages from a Qt mouse event; returns false when not a mouse event.
    bool DispatchMouse(QEvent* event, const TQtDefault& qtDefault);

    // The input event being turned into a message, so that DefaultHandler can reach Qt's handling.
    struct QtDispatch {
        QEvent* event = nullptr;
        unsigned msg = 0;
        TQtDefault qtDefault;
        bool done = false;
        QtDispatch* outer = nullptr;
    };
    QtDispatch* currentDispatch_ = nullptr;
    // Delivers `msg` for `event`; the widget's handling runs where DefaultHandler is reached.
    LRESULT PerformForEvent(QEvent* event, const TQtDefault& qtDefault, unsigned msg, WPARAM w, LPARAM l);

    QWidget* widget_ = nullptr;
    bool updatingBounds_ = false;

private:
    friend class TWinControl;
    friend class TControlBridge;
    friend class TInputRouter;
    friend class TWidgetParentWatcher;
    // Qt freed the widget (its parent widget went): the control goes with it.
    void WidgetDestroyed();
    // Qt moved the widget (a layout, a splitter, setCentralWidget): the control's parent becomes
    // the nearest control above the widget, and the control is shown with its new parent.
    void FollowWidgetParent();
    void FontChanged();

    TWinControl* parent_ = nullptr;
    bool visible_ = true;
    bool enabled_ = true;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    // The size last asked for by SetBounds: the size hint of a widget that has none of its own.
    int askedWidth_ = 0;
    int askedHeight_ = 0;
    bool settingParent_ = false;
    TAlign align_ = alNone;
    TAnchors anchors_ { akLeft, akTop };
    // Distances to the parent's right and bottom edges, kept for right/bottom anchors.
    int anchorRight_ = 0;
    int anchorBottom_ = 0;
    TColor color_ = clBtnFace;
    bool parentColor_ = true;
    TFont font_;
    bool parentFont_ = true;
    bool applyingParentFont_ = false;
    std::string hint_;
    bool showHint_ = false;
    TCursor cursor_ = crDefault;
    TPopupMenu* popupMenu_ = nullptr;
};

// A control without a window of its own: no focus, no children.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);

protected:
    TGraphicControl(TComponent* owner, QWidget* widget);
};

// The form that a control sits on (the topmost form among its parents), or nullptr.
TCustomForm* GetParentForm(const TControl* control);
