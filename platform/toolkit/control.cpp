#include "toolkit/control.h"
#include "toolkit/flagscope.h"

#include "toolkit/form.h"
#include "toolkit/menus.h"
#include "toolkit/qtbridge.h"
#include "toolkit/wincontrol.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPointer>
#include <algorithm>

// Keeps the control tree in step with the widget tree: when Qt moves a widget (a layout takes it,
// a splitter, a stacked widget, setCentralWidget), the controls at and below it follow.
class TWidgetParentWatcher : public QObject {
public:
    static void Install()
    {
        static QPointer<TWidgetParentWatcher> watcher;
        if (!watcher && qApp) {
            watcher = new TWidgetParentWatcher();
            watcher->setParent(qApp);
            qApp->installEventFilter(watcher);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ParentChange && watched->isWidgetType())
            follow(static_cast<QWidget*>(watched));
        return false;
    }

private:
    static void follow(QWidget* w)
    {
        if (auto* bridge = dynamic_cast<TControlBridge*>(w)) {
            if (TControl* c = bridge->Control())
                c->FollowWidgetParent();
            return; // the control's children stay its children
        }
        for (QObject* o : w->children())
            if (o->isWidgetType())
                follow(static_cast<QWidget*>(o));
    }
};

namespace {

// Whether `layout` or a layout nested in it holds `w`.
bool LayoutHolds(const QLayout* layout, const QWidget* w)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == w)
            return true;
        if (const QLayout* inner = item->layout(); inner && LayoutHolds(inner, w))
            return true;
    }
    return false;
}

void CollectControls(const QWidget* w, std::vector<TControl*>& found)
{
    for (QObject* o : w->children()) {
        if (!o->isWidgetType())
            continue;
        auto* child = static_cast<QWidget*>(o);
        auto* bridge = dynamic_cast<TControlBridge*>(child);
        if (bridge && bridge->Control())
            found.push_back(bridge->Control());
        else
            CollectControls(child, found);
    }
}

WPARAM MouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    WPARAM w = 0;
    if (buttons & Qt::LeftButton)
        w |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        w |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        w |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier)
        w |= MK_SHIFT;
    if (mods & Qt::ControlModifier)
        w |= MK_CONTROL;
    return w;
}

TShiftState MouseShift(WPARAM keys)
{
    TShiftState s;
    if (keys & MK_SHIFT)
        s << ssShift;
    if (keys & MK_CONTROL)
        s << ssCtrl;
    if (keys & MK_LBUTTON)
        s << ssLeft;
    if (keys & MK_RBUTTON)
        s << ssRight;
    if (keys & MK_MBUTTON)
        s << ssMiddle;
    if (GetKeyState(VK_MENU) < 0)
        s << ssAlt;
    return s;
}

} // namespace

TShiftState KeyDataToShiftState(LPARAM keyData)
{
    TShiftState s;
    if (keyData & KF_SHIFTDOWN)
        s << ssShift;
    if (keyData & KF_CTRLDOWN)
        s << ssCtrl;
    if (keyData & KF_ALTDOWN)
        s << ssAlt;
    return s;
}

LPARAM ShiftStateToKeyData(TShiftState shift)
{
    LPARAM l = 0;
    if (shift.Contains(ssShift))
        l |= KF_SHIFTDOWN;
    if (shift.Contains(ssCtrl))
        l |= KF_CTRLDOWN;
    if (shift.Contains(ssAlt))
        l |= KF_ALTDOWN;
    return l;
}

TControl::TControl(TComponent* owner, QWidget* widget)
    : TComponent(owner)
    , widget_(widget)
{
    if (auto* bridge = dynamic_cast<TControlBridge*>(widget_))
        bridge->Attach(this);
    widget_->hide();
    TWidgetParentWatcher::Install();
    font_.OnChange = TNotifyEvent([this](TObject*) { FontChanged(); });
    Publish<&TControl::Left, &TControl::SetLeft>("Left");
    Publish<&TControl::Top, &TControl::SetTop>("Top");
    Publish<&TControl::Width, &TControl::SetWidth>("Width");
    Publish<&TControl::Height, &TControl::SetHeight>("Height");
    Publish<&TControl::Visible, &TControl::SetVisible>("Visible");
    Publish<&TControl::Enabled, &TControl::SetEnabled>("Enabled");
    Publish<&TControl::Hint, &TControl::SetHint>("Hint");
    Publish<&TControl::ShowHint, &TControl::SetShowHint>("ShowHint");
    Publish<&TControl::Color, &TControl::SetColor>("Color");
    Publish<&TControl::ParentColor, &TControl::SetParentColor>("ParentColor");
    Publish<&TControl::ParentFont, &TControl::SetParentFont>("ParentFont");
    PublishEnum<&TControl::Align, &TControl::SetAlign, kAlignNames>("Align");
    PublishSet<&TControl::Anchors, &TControl::SetAnchors, kAnchorKindNames>("Anchors");
    Publish<&TControl::Cursor, &TControl::SetCursor>("Cursor");
}

TControl::~TControl()
{
    Destroying();
    SetPopupMenu(nullptr);
    if (parent_)
        parent_->RemoveChild(this);
    if (widget_) {
        if (auto* bridge = dynamic_cast<TControlBridge*>(widget_))
            bridge->Attach(nullptr);
        delete widget_;
        widget_ = nullptr;
    }
}

TControl* TControl::FromWidget(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (auto* bridge = dynamic_cast<const TControlBridge*>(w))
            if (bridge->Control())
                return bridge->Control();
    return nullptr;
}

std::vector<TControl*> TControl::ControlsIn(const QWidget* widget)
{
    std::vector<TControl*> found;
    if (widget)
        CollectControls(widget, found);
    return found;
}

void TControl::WidgetDestroyed()
{
    widget_ = nullptr;
    if (!ComponentState().Contains(csDestroying))
        delete this;
}

void TControl::FollowWidgetParent()
{
    if (!widget_ || settingParent_)
        return;
    TWinControl* p = nullptr;
    for (QWidget* w = widget_->parentWidget(); w && !p; w = w->parentWidget())
        if (auto* bridge = dynamic_cast<TControlBridge*>(w))
            p = dynamic_cast<TWinControl*>(bridge->Control());
    if (p != parent_) {
        if (parent_)
            parent_->RemoveChild(this);
        parent_ = p;
        if (parent_) {
            parent_->AddChild(this);
            anchorRight_ = parent_->ClientWidth() - (left_ + width_);
            anchorBottom_ = parent_->ClientHeight() - (top_ + height_);
            ParentFontChanged();
            ParentColorChanged();
        }
    }
    UpdateWidgetVisibility();
}

bool TControl::PlacedByQt() const
{
    QWidget* pw = widget_ ? widget_->parentWidget() : nullptr;
    if (!pw)
        return false;
    if (!parent_ || pw != parent_->ClientWidget())
        return true;
    return pw->layout() && LayoutHolds(pw->layout(), widget_);
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == parent_)
        return;
    for (TWinControl* p = parent; p; p = p->Parent())
        if (p == this)
            return; // would make a cycle
    TFlagScope setting(settingParent_);
    if (parent_)
        parent_->RemoveChild(this);
    parent_ = parent;
    if (parent_) {
        widget_->setParent(parent_->ClientWidget());
        parent_->AddChild(this);
        {
            TFlagScope updating(updatingBounds_);
            widget_->setGeometry(left_, top_, std::max(width_, 0), std::max(height_, 0));
        }
        anchorRight_ = parent_->ClientWidth() - (left_ + width_);
        anchorBottom_ = parent_->ClientHeight() - (top_ + height_);
        ParentFontChanged();
        ParentColorChanged();
    } else {
        widget_->setParent(nullptr);
    }
    UpdateWidgetVisibility();
    if (parent_ && align_ != alNone)
        parent_->Realign();
}

void TControl::SetVisible(bool visible)
{
    if (visible_ == visible)
        return;
    visible_ = visible;
    UpdateWidgetVisibility();
    if (parent_ && align_ != alNone)
        parent_->Realign();
}

void TControl::UpdateWidgetVisibility()
{
    // A control without parent is not shown as a window of its own (forms are); one that Qt put
    // into a widget is shown with it.
    if (widget_)
        widget_->setVisible(visible_ && (parent_ || widget_->parentWidget()));
}

bool TControl::Showing() const
{
    return widget_ && widget_->isVisible();
}

void TControl::SetEnabled(bool enabled)
{
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    widget_->setEnabled(enabled);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    const bool sized = width != width_ || height != height_;
    if (!sized && left == left_ && top == top_)
        return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    askedWidth_ = width;
    askedHeight_ = height;
    if (sized && widget_->parentWidget() && widget_->parentWidget()->layout())
        widget_->updateGeometry(); // a widget without a size hint of its own hints the asked size
    {
        TFlagScope updating(updatingBounds_);
        widget_->setGeometry(left, top, std::max(width, 0), std::max(height, 0));
    }
    if (parent_ && !parent_->aligning_) {
        anchorRight_ = parent_->ClientWidth() - (left_ + width_);
        anchorBottom_ = parent_->ClientHeight() - (top_ + height_);
    }
    BoundsChanged();
    if (sized)
        Resize();
    if (parent_ && align_ != alNone && !parent_->aligning_)
        parent_->Realign();
}

void TControl::BoundsChanged()
{
}

void TControl::Resize()
{
    OnResize(this);
}

int TControl::ClientWidth() const
{
    return width_;
}

int TControl::ClientHeight() const
{
    return height_;
}

void TControl::SetClientWidth(int v)
{
    SetWidth(width_ - ClientWidth() + v);
}

void TControl::SetClientHeight(int v)
{
    SetHeight(height_ - ClientHeight() + v);
}

TPoint TControl::ClientToScreen(TPoint p) const
{
    QPoint q = widget_->mapToGlobal(QPoint(p.X, p.Y));
    return { q.x(), q.y() };
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    QPoint q = widget_->mapFromGlobal(QPoint(p.X, p.Y));
    return { q.x(), q.y() };
}

void TControl::SetAlign(TAlign align)
{
    if (align_ == align)
        return;
    align_ = align;
    if (parent_)
        parent_->Realign();
}

void TControl::SetAnchors(TAnchors anchors)
{
    anchors_ = anchors;
    if (parent_) {
        anchorRight_ = parent_->ClientWidth() - (left_ + width_);
        anchorBottom_ = parent_->ClientHeight() - (top_ + height_);
    }
}

void TControl::ParentResized(int oldW, int oldH)
{
    if (align_ != alNone || !parent_ || PlacedByQt())
        return;
    const int w = parent_->ClientWidth();
    const int h = parent_->ClientHeight();
    int l = left_, t = top_, cw = width_, ch = height_;
    if (anchors_.Contains(akRight)) {
        if (anchors_.Contains(akLeft))
            cw = w - left_ - anchorRight_;
        else
            l = w - width_ - anchorRight_;
    } else if (!anchors_.Contains(akLeft) && oldW > 0) {
        l = left_ + (w - oldW) / 2; // neither side anchored: keep the relative position
    }
    if (anchors_.Contains(akBottom)) {
        if (anchors_.Contains(akTop))
            ch = h - top_ - anchorBottom_;
        else
            t = h - height_ - anchorBottom_;
    } else if (!anchors_.Contains(akTop) && oldH > 0) {
        t = top_ + (h - oldH) / 2;
    }
    const int keepRight = anchorRight_, keepBottom = anchorBottom_;
    SetBounds(l, t, cw, ch);
    anchorRight_ = keepRight;
    anchorBottom_ = keepBottom;
}

void TControl::SetColor(TColor color)
{
    parentColor_ = false;
    if (color_ == color)
        return;
    color_ = color;
    ApplyColor();
    if (auto* w = dynamic_cast<TWinControl*>(this))
        w->ChildColorChanged();
}

void TControl::SetParentColor(bool v)
{
    if (parentColor_ == v)
        return;
    parentColor_ = v;
    if (v)
        ParentColorChanged();
    else
        ApplyColor();
}

void TControl::ParentColorChanged()
{
    if (!parentColor_ || !parent_)
        return;
    color_ = parent_->Color();
    ApplyColor();
}

void TControl::ApplyColor()
{
    QPalette pal = widget_->palette();
    pal.setColor(QPalette::Window, ToQColor(color_));
    widget_->setPalette(pal);
    widget_->setAutoFillBackground(!parentColor_);
}

void TControl::SetParentFont(bool v)
{
    if (parentFont_ == v)
        return;
    parentFont_ = v;
    if (v)
        ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (!parentFont_ || !parent_)
        return;
    TFlagScope applying(applyingParentFont_);
    font_.Assign(parent_->Font());
}

void TControl::FontChanged()
{
    if (!applyingParentFont_)
        parentFont_ = false;
    ApplyFont();
    if (auto* w = dynamic_cast<TWinControl*>(this))
        w->ChildFontChanged();
}

void TControl::ApplyFont()
{
    widget_->setFont(ToQFont(font_));
    QPalette pal = widget_->palette();
    const QColor c = ToQColor(font_.Color());
    pal.setColor(QPalette::WindowText, c);
    pal.setColor(QPalette::Text, c);
    pal.setColor(QPalette::ButtonText, c);
    widget_->setPalette(pal);
}

void TControl::SetHint(const std::string& hint)
{
    if (hint == hint_)
        return;
    hint_ = hint;
    widget_->setToolTip(showHint_ ? ToQString(hint_) : QString());
}

void TControl::SetShowHint(bool v)
{
    showHint_ = v;
    widget_->setToolTip(showHint_ ? ToQString(hint_) : QString());
}

void TControl::SetCursor(TCursor cursor)
{
    cursor_ = cursor;
    if (cursor == crDefault)
        widget_->unsetCursor();
    else
        widget_->setCursor(QtCursor(cursor));
}

void TControl::SetPopupMenu(TPopupMenu* menu)
{
    if (popupMenu_ == menu)
        return;
    if (popupMenu_)
        RemoveFreeNotification(popupMenu_);
    popupMenu_ = menu;
    if (popupMenu_)
        FreeNotification(popupMenu_);
}

void TControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == popupMenu_)
        popupMenu_ = nullptr;
}

std::string TControl::GetText() const
{
    return FromQString(widget_->windowTitle());
}

void TControl::SetTextBuf(const std::string& text)
{
    widget_->setWindowTitle(ToQString(text));
}

LRESULT TControl::Perform(unsigned msg, WPARAM wParam, LPARAM lParam)
{
    TMessage m { msg, wParam, lParam, 0 };
    WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& m)
{
    const int x = LoWordSigned(m.LParam);
    const int y = HiWordSigned(m.LParam);
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        DefaultHandler(m);
        const TMouseButton b = m.Msg == WM_LBUTTONDOWN ? mbLeft
            : m.Msg == WM_RBUTTONDOWN                  ? mbRight
                                                       : mbMiddle;
        MouseDown(b, MouseShift(m.WParam), x, y);
        return;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        DefaultHandler(m);
        const TMouseButton b = m.Msg == WM_LBUTTONUP ? mbLeft : m.Msg == WM_RBUTTONUP ? mbRight : mbMiddle;
        MouseUp(b, MouseShift(m.WParam), x, y);
        return;
    }
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        DefaultHandler(m);
        if (m.Msg == WM_LBUTTONDBLCLK)
            DblClick();
        const TMouseButton b = m.Msg == WM_LBUTTONDBLCLK ? mbLeft
            : m.Msg == WM_RBUTTONDBLCLK                  ? mbRight
                                                         : mbMiddle;
        MouseDown(b, MouseShift(m.WParam) << ssDouble, x, y);
        return;
    }
    case WM_MOUSEMOVE:
        DefaultHandler(m);
        MouseMove(MouseShift(m.WParam), x, y);
        return;
    case WM_CONTEXTMENU:
        if (popupMenu_ && popupMenu_->AutoPopup()) {
            RunQtDefault(m); // nothing else: the menu replaces the widget's own one
            popupMenu_->SetPopupComponent(this);
            popupMenu_->Popup(x, y);
            m.Result = 1;
            return;
        }
        DefaultHandler(m);
        return;
    case WM_SETTEXT:
        SetTextBuf(m.LParam ? reinterpret_cast<const char*>(m.LParam) : "");
        m.Result = 1;
        return;
    case WM_GETTEXTLENGTH:
        m.Result = static_cast<LRESULT>(ToQString(GetText()).toUcs4().size());
        return;
    default:
        DefaultHandler(m);
    }
}

void TControl::DefaultHandler(TMessage& m)
{
    RunQtDefault(m);
}

bool TControl::RunQtDefault(TMessage& m)
{
    QtDispatch* d = currentDispatch_;
    if (!d || d->done || d->msg != m.Msg)
        return false;
    d->done = true;
    d->qtDefault(d->event);
    return true;
}

LRESULT TControl::PerformForEvent(
    QEvent* event, const TQtDefault& qtDefault, unsigned msg, WPARAM w, LPARAM l)
{
    QtDispatch d { event, msg, qtDefault, false, currentDispatch_ };
    currentDispatch_ = &d;
    // The control may be freed by a handler; then there is nothing to restore.
    struct Restore {
        TControl* self;
        QtDispatch* outer;
        QPointer<QWidget> alive;
        ~Restore()
        {
            if (alive)
                self->currentDispatch_ = outer;
        }
    } restore { this, d.outer, QPointer<QWidget>(widget_) };
    return Perform(msg, w, l);
}

void TControl::Click()
{
    OnClick(this);
}

void TControl::DblClick()
{
    OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    OnMouseMove(this, shift, x, y);
}

void TControl::Repaint()
{
    if (widget_)
        widget_->repaint();
}

void TControl::Invalidate()
{
    if (widget_)
        widget_->update();
}

void TControl::BringToFront()
{
    widget_->raise();
    if (parent_)
        parent_->MoveChild(this, true);
}

void TControl::SendToBack()
{
    widget_->lower();
    if (parent_)
        parent_->MoveChild(this, false);
}

bool TControl::DispatchMouse(QEvent* event, const TQtDefault& qtDefault)
{
    unsigned msg = 0;
    auto* me = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        msg = me->button() == Qt::LeftButton  ? WM_LBUTTONDOWN
            : me->button() == Qt::RightButton ? WM_RBUTTONDOWN
                                              : WM_MBUTTONDOWN;
        break;
    case QEvent::MouseButtonRelease:
        msg = me->button() == Qt::LeftButton  ? WM_LBUTTONUP
            : me->button() == Qt::RightButton ? WM_RBUTTONUP
                                              : WM_MBUTTONUP;
        break;
    case QEvent::MouseButtonDblClick:
        msg = me->button() == Qt::LeftButton  ? WM_LBUTTONDBLCLK
            : me->button() == Qt::RightButton ? WM_RBUTTONDBLCLK
                                              : WM_MBUTTONDBLCLK;
        break;
    case QEvent::MouseMove:
        msg = WM_MOUSEMOVE;
        break;
    default:
        return false;
    }
    // A release reports the buttons still down; the classic message reports the released one too.
    Qt::MouseButtons buttons = me->buttons();
    if (event->type() == QEvent::MouseButtonRelease)
        buttons |= me->button();
    // Positions are the control's own, also for events of inner widgets (viewports, edit fields).
    const QPoint p = widget_->mapFromGlobal(me->globalPosition().toPoint());
    QPointer<QWidget> guard(widget_);
    PerformForEvent(event, qtDefault, msg, MouseKeys(buttons, me->modifiers()), MakeLParam(p.x(), p.y()));
    if (guard)
        event->accept();
    return true;
}

bool TControl::HandleQtEvent(QEvent* event, const TQtDefault& qtDefault)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return DispatchMouse(event, qtDefault);
    case QEvent::ContextMenu: {
        auto* ce = static_cast<QContextMenuEvent*>(event);
        const QPoint g = ce->globalPos();
        PerformForEvent(event, qtDefault, WM_CONTEXTMENU, 0, MakeLParam(g.x(), g.y()));
        return true;
    }
    case QEvent::Move:
    case QEvent::Resize: {
        const bool result = qtDefault(event);
        if (!updatingBounds_ && widget_) {
            const QRect g = widget_->geometry();
            if (g.x() != left_ || g.y() != top_ || g.width() != width_ || g.height() != height_) {
                const bool sized = g.width() != width_ || g.height() != height_;
                left_ = g.x();
                top_ = g.y();
                width_ = g.width();
                height_ = g.height();
                BoundsChanged();
                if (sized)
                    Resize();
            }
        }
        return result;
    }
    default:
        return qtDefault(event);
    }
}

TGraphicControl::TGraphicControl(TComponent* owner)
    : TGraphicControl(owner, new TBridgeWidget<QWidget>())
{
}

TGraphicControl::TGraphicControl(TComponent* owner, QWidget* widget)
    : TControl(owner, widget)
{
    widget->setFocusPolicy(Qt::NoFocus);
}

TCustomForm* GetParentForm(const TControl* control)
{
    TCustomForm* form = nullptr;
    for (const TControl* c = control; c; c = c->Parent())
        if (auto* f = dynamic_cast<TCustomForm*>(const_cast<TControl*>(c)))
            form = f;
    return form;
}
