#include "toolkit/wincontrol.h"
#include "toolkit/flagscope.h"

#include "toolkit/form.h"
#include "toolkit/menus.h"
#include "toolkit/qtbridge.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPointer>
#include <algorithm>

namespace {

TWinControl* WinControlOf(QWidget* w)
{
    for (QWidget* p = w; p; p = p->parentWidget())
        if (auto* c = dynamic_cast<TWinControl*>(TControl::FromWidget(p)))
            return c;
    return nullptr;
}

// The entered controls of a window that has no form (a QMainWindow or QDialog built in Qt):
// what a form keeps for its own controls. One chain at a time, as there is one focus.
class TFormlessFocus {
public:
    static TFormlessFocus& Instance()
    {
        static TFormlessFocus focus;
        return focus;
    }
    // The focus moved to `control` (nullptr: to no control): exits up, enters down.
    void Change(TWinControl* control)
    {
        if (control == entered())
            return;
        const unsigned generation = ++generation_;
        TWinControl* c = entered();
        while (c && !(control && c->ContainsControl(control))) {
            TWinControl* up = c->Parent();
            setEntered(up);
            c->Perform(CM_EXIT);
            if (generation != generation_)
                return; // a handler moved the focus again; that change has done the rest
            c = up;
        }
        std::vector<TWinControl*> chain;
        for (TWinControl* p = control; p && p != c; p = p->Parent())
            chain.push_back(p);
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            setEntered(*it);
            (*it)->Perform(CM_ENTER);
            if (generation != generation_)
                return;
        }
    }
    // A control is destroyed: the chain continues at its parent, without messages.
    void Forget(TWinControl* control)
    {
        TWinControl* c = entered();
        if (c && control->ContainsControl(c)) {
            setEntered(control->Parent());
            ++generation_;
        }
    }

private:
    TWinControl* entered() const { return widget_ ? entered_ : nullptr; }
    void setEntered(TWinControl* c)
    {
        entered_ = c;
        widget_ = c ? c->Handle() : nullptr;
    }
    TWinControl* entered_ = nullptr;
    QPointer<QWidget> widget_; // the entered control is alive while its widget is
    unsigned generation_ = 0;
};

// Turns Qt's focus changes into CM_EXIT / CM_ENTER of the controls involved.
void InstallFocusTracker()
{
    static bool installed = false;
    if (installed || !qApp)
        return;
    installed = true;
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget* old, QWidget* now) {
        TWinControl* to = now ? WinControlOf(now) : nullptr;
        TWinControl* from = old ? WinControlOf(old) : nullptr;
        TCustomForm* toForm = to ? GetParentForm(to) : nullptr;
        // The focus left the controls of a form or a form-less chain for something else in the
        // same window: only a change inside the still active window counts (a window that loses
        // the activation keeps its entered control).
        if (from && (!to || GetParentForm(from) != toForm)) {
            const bool sameWindow = QApplication::activeWindow() == from->Handle()->window()
                && (!now || now->window() == from->Handle()->window());
            if (sameWindow) {
                if (TCustomForm* form = GetParentForm(from))
                    form->FocusChanged(nullptr);
                else
                    TFormlessFocus::Instance().Change(nullptr);
            }
        }
        if (!to)
            return;
        if (toForm)
            toForm->FocusChanged(to);
        else
            TFormlessFocus::Instance().Change(to);
    });
}

// The keys held down now, by virtual-key code, as the application's key events tell: a press
// adds its key, a release that is not an auto-repeat removes it, and the application losing the
// activation forgets them all (their releases go to another program).
class TKeyStateTracker : public QObject {
public:
    bool Down(WORD vk) const { return std::find(down_.begin(), down_.end(), vk) != down_.end(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const auto* ke = static_cast<QKeyEvent*>(event);
            const WORD vk = VirtualKeyFromQt(ke->key());
            if (vk == 0 || (event->type() == QEvent::KeyRelease && ke->isAutoRepeat()))
                break;
            // One event reaches the filter once per receiver on its way up: count the key once.
            std::erase(down_, vk);
            if (event->type() == QEvent::KeyPress)
                down_.push_back(vk);
            break;
        }
        case QEvent::ApplicationDeactivate:
            down_.clear();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::vector<WORD> down_;
};

TKeyStateTracker* KeyStateTracker()
{
    static QPointer<TKeyStateTracker> tracker;
    if (!tracker && qApp) {
        tracker = new TKeyStateTracker();
        tracker->setParent(qApp);
        qApp->installEventFilter(tracker);
    }
    return tracker;
}

QKeyEvent MakeKeyEvent(QEvent::Type type, WORD vk, TShiftState shift, const QString& text)
{
    return QKeyEvent(type, QtKeyFromVirtualKey(vk), QtModifiersFromShift(shift), text);
}

// The key event that delivers character `ch` to a Qt widget.
QKeyEvent CharKeyEvent(char32_t ch, TShiftState shift)
{
    switch (ch) {
    case 8:
        return MakeKeyEvent(QEvent::KeyPress, VK_BACK, shift, QStringLiteral("\b"));
    case 9:
        return MakeKeyEvent(QEvent::KeyPress, VK_TAB, shift, QStringLiteral("\t"));
    case 13:
        return MakeKeyEvent(QEvent::KeyPress, VK_RETURN, shift, QStringLiteral("\r"));
    case 27:
        return MakeKeyEvent(QEvent::KeyPress, VK_ESCAPE, shift, QString(QChar(27)));
    }
    if (ch >= 1 && ch <= 26)
        return MakeKeyEvent(QEvent::KeyPress, static_cast<WORD>('A' + ch - 1), TShiftState { ssCtrl },
            QString(QChar(static_cast<char16_t>(ch))));
    shift >> ssCtrl >> ssAlt;
    return QKeyEvent(
        QEvent::KeyPress, Qt::Key_unknown, QtModifiersFromShift(shift), QString::fromUcs4(&ch, 1));
}

// The character a key delivers as WM_CHAR to a control; Tab only to controls that take it.
char32_t CharOf(const QKeyEvent* ke, bool wantsTab)
{
    const char32_t ch = CharFromKeyEvent(ke);
    if (ch == 0 && ke->key() == Qt::Key_Tab && wantsTab
        && !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return 9;
    return ch;
}

} // namespace

// Shift, Ctrl and Alt come from the input state; other keys from the key events the application
// has received since its first control was made.
short GetKeyState(int vk)
{
    if (!qApp)
        return 0;
    const Qt::KeyboardModifiers m = QGuiApplication::keyboardModifiers();
    bool down = false;
    switch (vk) {
    case VK_SHIFT:
        down = m & Qt::ShiftModifier;
        break;
    case VK_CONTROL:
        down = m & Qt::ControlModifier;
        break;
    case VK_MENU:
        down = m & Qt::AltModifier;
        break;
    default:
        if (const TKeyStateTracker* keys = KeyStateTracker())
            down = keys->Down(static_cast<WORD>(vk));
        break;
    }
    return down ? static_cast<short>(-128) : 0;
}

TWinControl::TWinControl(TComponent* owner, QWidget* widget)
    : TControl(owner, widget)
{
    InstallFocusTracker();
    KeyStateTracker();
    widget->setFocusPolicy(Qt::ClickFocus);
    Publish<&TWinControl::TabStop, &TWinControl::SetTabStop>("TabStop");
    Publish<&TWinControl::TabOrder, &TWinControl::SetTabOrder>("TabOrder");
}

TWinControl::~TWinControl()
{
    Destroying();
    if (TCustomForm* form = GetParentForm(this))
        form->ForgetControl(this);
    else
        TFormlessFocus::Instance().Forget(this);
    // ~TControl removes us from the parent's children, but by then we are no longer a
    // TWinControl to it: leave its tab order now.
    if (TWinControl* p = Parent())
        std::erase(p->tabList_, this);
    // Children go with their parent, last first.
    while (!controls_.empty()) {
        TControl* c = controls_.back();
        c->Destroying();
        delete c; // removes itself from controls_
    }
}

TControl* TWinControl::GetControl(int index) const
{
    return index >= 0 && index < GetControlCount() ? controls_[static_cast<size_t>(index)] : nullptr;
}

bool TWinControl::ContainsControl(const TControl* control) const
{
    for (const TControl* c = control; c; c = c->Parent())
        if (c == this)
            return true;
    return false;
}

void TWinControl::InsertControl(TControl* control)
{
    if (control)
        control->SetParent(this);
}

void TWinControl::RemoveControl(TControl* control)
{
    if (control && control->Parent() == this)
        control->SetParent(nullptr);
}

void TWinControl::AddChild(TControl* control)
{
    controls_.push_back(control);
    if (auto* w = dynamic_cast<TWinControl*>(control))
        tabList_.push_back(w);
}

void TWinControl::RemoveChild(TControl* control)
{
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        if (TCustomForm* form = GetParentForm(this))
            form->ForgetControl(w);
    }
    // By address: a child that is being destroyed no longer casts to TWinControl (~TControl runs
    // after ~TWinControl), and must still leave the tab order.
    std::erase_if(
        tabList_, [control](const TWinControl* w) { return static_cast<const TControl*>(w) == control; });
    std::erase(controls_, control);
    if (control->Align() != alNone)
        Realign();
}

void TWinControl::MoveChild(TControl* control, bool toFront)
{
    std::erase(controls_, control);
    if (toFront)
        controls_.push_back(control);
    else
        controls_.insert(controls_.begin(), control);
}

bool TWinControl::CanFocus() const
{
    const TCustomForm* form = GetParentForm(this);
    if (!form)
        return false;
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

bool TWinControl::Focused() const
{
    QWidget* f = qApp ? QApplication::focusWidget() : nullptr;
    return f && WinControlOf(f) == this;
}

void TWinControl::SetFocus()
{
    if (TCustomForm* form = GetParentForm(this))
        form->SetActiveControl(this);
    widget_->setFocus(Qt::OtherFocusReason);
}

int TWinControl::TabOrder() const
{
    if (!Parent())
        return -1;
    auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order)
{
    if (!Parent())
        return;
    auto& list = Parent()->tabList_;
    std::erase(list, this);
    order = std::clamp(order, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + order, this);
}

void TWinControl::SetTabStop(bool v)
{
    tabStop_ = v;
    widget_->setFocusPolicy(v ? Qt::StrongFocus : Qt::ClickFocus);
}

void TWinControl::SetNeverFocused()
{
    tabStop_ = false;
    widget_->setFocusPolicy(Qt::NoFocus);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const
{
    for (TWinControl* c : tabList_) {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(
    TWinControl* current, bool forward, bool checkTabStop, bool checkParent) const
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty())
        return nullptr;
    const int n = static_cast<int>(list.size());
    auto it = std::find(list.begin(), list.end(), current);
    int start = it == list.end() ? (forward ? n - 1 : 0) : static_cast<int>(it - list.begin());
    int i = start;
    for (int step = 0; step < n; ++step) {
        i = forward ? (i + 1) % n : (i + n - 1) % n;
        TWinControl* c = list[static_cast<size_t>(i)];
        if (c == current)
            break;
        if ((!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this) && c->CanFocus())
            return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool checkTabStop)
{
    if (TWinControl* next = FindNextControl(current, forward, checkTabStop, false)) {
        // What Qt does when Tab moves the focus: the styles draw focus frames (buttons, check
        // boxes) only in a window whose focus the keyboard moved.
        next->Handle()->window()->setAttribute(Qt::WA_KeyboardFocusChange);
        next->SetFocus();
    }
}

bool TWinControl::SelectPageByKey(bool)
{
    return false;
}

void TWinControl::ShowContextMenuByKey()
{
    QPoint at = widget_->rect().center();
    if (auto* view = qobject_cast<QAbstractItemView*>(widget_)) {
        const QRect item = view->visualRect(view->currentIndex());
        if (item.isValid() && view->viewport()->rect().intersects(item))
            at = view->viewport()->mapTo(widget_, item.center());
    }
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, widget_->mapToGlobal(at));
    QCoreApplication::sendEvent(widget_, &menu);
}

void TWinControl::EnableAlign()
{
    if (alignDisabled_ > 0 && --alignDisabled_ == 0)
        Realign();
}

void TWinControl::Realign()
{
    if (alignDisabled_ > 0 || aligning_)
        return;
    TRect r = Rect(0, 0, ClientWidth(), ClientHeight());
    AdjustClientRect(r);
    TFlagScope aligning(aligning_);
    AlignControls(r);
}

void TWinControl::AdjustClientRect(TRect&) const
{
}

void TWinControl::AlignControls(TRect& r)
{
    auto aligned = [this](TAlign a) {
        std::vector<TControl*> list;
        for (TControl* c : controls_)
            if (c->Align() == a && c->Visible() && !c->PlacedByQt())
                list.push_back(c);
        // Edge-aligned controls keep their order by position.
        std::stable_sort(list.begin(), list.end(), [a](TControl* x, TControl* y) {
            switch (a) {
            case alTop:
                return x->Top() < y->Top();
            case alBottom:
                return x->Top() + x->Height() > y->Top() + y->Height();
            case alLeft:
                return x->Left() < y->Left();
            case alRight:
                return x->Left() + x->Width() > y->Left() + y->Width();
            default:
                return false;
            }
        });
        return list;
    };
    for (TControl* c : aligned(alTop)) {
        c->SetBounds(r.Left, r.Top, r.Width(), c->Height());
        r.Top += c->Height();
    }
    for (TControl* c : aligned(alBottom)) {
        c->SetBounds(r.Left, r.Bottom - c->Height(), r.Width(), c->Height());
        r.Bottom -= c->Height();
    }
    for (TControl* c : aligned(alLeft)) {
        c->SetBounds(r.Left, r.Top, c->Width(), r.Height());
        r.Left += c->Width();
    }
    for (TControl* c : aligned(alRight)) {
        c->SetBounds(r.Right - c->Width(), r.Top, c->Width(), r.Height());
        r.Right -= c->Width();
    }
    for (TControl* c : aligned(alClient))
        c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TWinControl::BoundsChanged()
{
    TControl::BoundsChanged();
    ClientResized();
}

void TWinControl::ClientResized()
{
    const int w = ClientWidth();
    const int h = ClientHeight();
    if (w == lastClientW_ && h == lastClientH_)
        return;
    const int oldW = lastClientW_, oldH = lastClientH_;
    lastClientW_ = w;
    lastClientH_ = h;
    if (oldW >= 0) {
        TFlagScope aligning(aligning_);
        for (TControl* c : std::vector<TControl*>(controls_))
            c->ParentResized(oldW, oldH);
    }
    Realign();
}

QWidget* TWinControl::ClientWidget() const
{
    return widget_;
}

void TWinControl::ChildFontChanged()
{
    for (TControl* c : controls_)
        c->ParentFontChanged();
}

void TWinControl::ChildColorChanged()
{
    for (TControl* c : controls_)
        c->ParentColorChanged();
}

void TWinControl::DoEnter()
{
    OnEnter(this);
}

void TWinControl::DoExit()
{
    OnExit(this);
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char32_t& key)
{
    OnKeyPress(this, key);
}

bool TWinControl::DoKeyDown(TMessage& m)
{
    WORD key = static_cast<WORD>(m.WParam);
    const TShiftState shift = KeyDataToShiftState(m.LParam);
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview()) {
        static_cast<TWinControl*>(form)->KeyDown(key, shift);
        if (key == 0) {
            m.WParam = 0;
            return true;
        }
    }
    KeyDown(key, shift);
    m.WParam = key;
    return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& m)
{
    WORD key = static_cast<WORD>(m.WParam);
    const TShiftState shift = KeyDataToShiftState(m.LParam);
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview()) {
        static_cast<TWinControl*>(form)->KeyUp(key, shift);
        if (key == 0) {
            m.WParam = 0;
            return true;
        }
    }
    KeyUp(key, shift);
    m.WParam = key;
    return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& m)
{
    char32_t ch = static_cast<char32_t>(m.WParam);
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview()) {
        static_cast<TWinControl*>(form)->KeyPress(ch);
        if (ch == 0) {
            m.WParam = 0;
            return true;
        }
    }
    KeyPress(ch);
    m.WParam = ch;
    return ch == 0;
}

void TWinControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (!DoKeyDown(m))
            DefaultHandler(m);
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (!DoKeyUp(m))
            DefaultHandler(m);
        return;
    case WM_CHAR:
        if (!DoKeyPress(m))
            DefaultHandler(m);
        return;
    case CM_ENTER:
        DoEnter();
        return;
    case CM_EXIT:
        DoExit();
        return;
    default:
        TControl::WndProc(m);
    }
}

void TWinControl::DefaultHandler(TMessage& m)
{
    auto* bridge = dynamic_cast<TControlBridge*>(widget_);
    QtDispatch* d = currentDispatch_;
    const bool live = d && !d->done && d->msg == m.Msg;
    // Only key messages come from key events.
    const bool keyMessage = m.Msg == WM_KEYDOWN || m.Msg == WM_SYSKEYDOWN || m.Msg == WM_CHAR;
    auto* ke = live && keyMessage ? static_cast<QKeyEvent*>(d->event) : nullptr;
    const TShiftState shift = KeyDataToShiftState(m.LParam);
    switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const WORD vk = static_cast<WORD>(m.WParam);
        if (live)
            d->done = true;
        if ((vk == VK_TAB || vk == VK_NEXT || vk == VK_PRIOR) && shift.Contains(ssCtrl)
            && !shift.Contains(ssAlt)) {
            // Ctrl+Tab leaves a control that takes Tab itself; otherwise it, and Ctrl+PgDn/PgUp,
            // turn the pages of the nearest control with pages around this one.
            const bool forward = vk == VK_TAB ? !shift.Contains(ssShift) : vk == VK_NEXT;
            TCustomForm* form = GetParentForm(this);
            if (vk == VK_TAB && WantsKey(VK_TAB) && form) {
                form->SelectNext(this, forward, true);
                return;
            }
            for (TWinControl* c = this; c; c = c->Parent())
                if (c->SelectPageByKey(forward))
                    return;
        }
        if (vk == VK_APPS || (vk == VK_F10 && shift == TShiftState { ssShift })) {
            // The keyboard's way to the context menu: it opens at the control's current place,
            // as a right click there would open it.
            ShowContextMenuByKey();
            return;
        }
        if (vk == VK_TAB && !WantsKey(VK_TAB) && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) {
            // On a form the form's tab order decides; in a window built in Qt, Qt's does.
            if (TWinControl* root = GetParentForm(this)) {
                root->SelectNext(this, !shift.Contains(ssShift), true);
                return;
            }
        }
        if ((vk == VK_RETURN || vk == VK_ESCAPE) && !WantsKey(vk) && !shift.Contains(ssAlt)) {
            TCustomForm* form = GetParentForm(this);
            if (form && form->DialogKey(vk, this)) {
                suppressChar_ = true; // the key was the button's, not the control's
                return;
            }
        }
        if (live && vk == VirtualKeyFromQt(ke->key())) {
            // Keys that type a character are handled by the widget with WM_CHAR.
            if (CharOf(ke, WantsKey(VK_TAB)) == 0)
                d->qtDefault(ke);
            return;
        }
        QKeyEvent synth = MakeKeyEvent(QEvent::KeyPress, vk, shift, QString());
        if (live)
            d->qtDefault(&synth);
        else if (bridge)
            bridge->QtEvent(&synth);
        return;
    }
    case WM_CHAR: {
        const char32_t ch = static_cast<char32_t>(m.WParam);
        if (live) {
            d->done = true;
            if (ch == CharOf(ke, WantsKey(VK_TAB))) {
                d->qtDefault(ke);
                return;
            }
        }
        QKeyEvent synth = CharKeyEvent(ch, shift);
        if (live)
            d->qtDefault(&synth);
        else if (bridge)
            bridge->QtEvent(&synth);
        return;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        if (RunQtDefault(m))
            return;
        QKeyEvent synth = MakeKeyEvent(QEvent::KeyRelease, static_cast<WORD>(m.WParam), shift, QString());
        if (bridge)
            bridge->QtEvent(&synth);
        return;
    }
    default:
        TControl::DefaultHandler(m);
    }
}

bool TWinControl::WantsKey(WORD) const
{
    return false;
}

bool TWinControl::IsMenuKey(TShortCut shortCut)
{
    if (shortCut == 0)
        return false;
    for (TControl* c = this; c; c = c->Parent())
        if (TPopupMenu* menu = c->PopupMenu())
            if (menu->IsShortCut(shortCut))
                return true;
    return false;
}

bool TWinControl::DispatchKey(QEvent* event, const TQtDefault& qtDefault)
{
    auto* ke = static_cast<QKeyEvent*>(event);
    WORD vk = VirtualKeyFromQt(ke->key());
    if (vk == 0)
        vk = 0xFF; // a key without a virtual key code
    const TShiftState shift = ShiftStateFromQt(ke->modifiers());
    LPARAM data = ShiftStateToKeyData(shift) | 1;
    const bool sys = shift.Contains(ssAlt) && !shift.Contains(ssCtrl);
    QPointer<QWidget> guard(widget_);
    if (event->type() == QEvent::KeyRelease) {
        data |= LPARAM { 3 } << 30;
        PerformForEvent(event, qtDefault, sys ? WM_SYSKEYUP : WM_KEYUP, vk, data);
        if (guard)
            event->accept();
        return true;
    }
    if (ke->isAutoRepeat())
        data |= LPARAM { 1 } << 30;
    if (IsMenuKey(ShortCut(vk, shift))) {
        event->accept();
        return true;
    }
    suppressChar_ = false;
    PerformForEvent(event, qtDefault, sys ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, data);
    if (!guard)
        return true;
    char32_t ch = CharOf(ke, WantsKey(VK_TAB));
    if (suppressChar_) {
        suppressChar_ = false;
        ch = 0;
    }
    if (ch != 0)
        PerformForEvent(event, qtDefault, WM_CHAR, ch, data);
    if (guard)
        event->accept();
    return true;
}

bool TWinControl::HandleQtEvent(QEvent* event, const TQtDefault& qtDefault)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return DispatchKey(event, qtDefault);
    default:
        return TControl::HandleQtEvent(event, qtDefault);
    }
}

TCustomControl::TCustomControl(TComponent* owner)
    : TCustomControl(owner, new TBridgeWidget<QWidget>())
{
}

TCustomControl::TCustomControl(TComponent* owner, QWidget* widget)
    : TWinControl(owner, widget)
{
}
