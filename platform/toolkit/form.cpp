#include "toolkit/form.h"

#include "toolkit/dialogs.h"
#include "toolkit/qtbridge.h"
#include "toolkit/stdctrls.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

TCustomForm::TModalDriver& ModalDriver()
{
    static TCustomForm::TModalDriver driver;
    return driver;
}

bool Headless()
{
    const QString p = QGuiApplication::platformName();
    return p == QLatin1String("offscreen") || p == QLatin1String("minimal");
}

} // namespace

TCustomForm::TCustomForm(TComponent* owner)
    : TWinControl(owner, new TBridgeWidget<QWidget>(nullptr, Qt::Window))
{
    SetVisible(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, 400, 300);
    constraints_.OnChange = [this](TObject*) { ApplyConstraints(); };
    Publish<&TCustomForm::Caption, &TCustomForm::SetCaption>("Caption");
    Publish<&TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview>("KeyPreview");
    Publish<&TCustomForm::ClientWidth, &TCustomForm::SetClientWidth>("ClientWidth");
    Publish<&TCustomForm::ClientHeight, &TCustomForm::SetClientHeight>("ClientHeight");
}

TCustomForm::~TCustomForm()
{
    Destroying();
    if (Application()->MainForm() == this)
        Application()->SetMainForm(nullptr);
    if (modalLoop_)
        static_cast<QEventLoop*>(modalLoop_)->exit();
}

void TCustomForm::SetBounds(int left, int top, int width, int height)
{
    TWinControl::SetBounds(left, top, constraints_.ClampWidth(width), constraints_.ClampHeight(height));
}

void TCustomForm::ApplyConstraints()
{
    const auto limit = [](int v) { return v > 0 ? v : QWIDGETSIZE_MAX; };
    widget_->setMinimumSize(constraints_.MinWidth(), constraints_.MinHeight());
    widget_->setMaximumSize(limit(constraints_.MaxWidth()), limit(constraints_.MaxHeight()));
    SetBounds(Left(), Top(), Width(), Height());
}

std::string TCustomForm::GetText() const
{
    return caption_;
}

void TCustomForm::SetTextBuf(const std::string& text)
{
    caption_ = text;
    widget_->setWindowTitle(ToQString(text));
}

void TCustomForm::SetParent(TWinControl* parent)
{
    TWinControl::SetParent(parent);
    if (!parent) {
        // Back to a window of its own.
        widget_->setWindowFlags(Qt::Window);
        UpdateWidgetVisibility();
    }
}

void TCustomForm::UpdateWidgetVisibility()
{
    if (!widget_)
        return;
    if (Visible() && !placed_ && widget_->isWindow())
        PlaceWindow();
    widget_->setVisible(Visible());
}

// The form whose window `w` is, if any.
static TCustomForm* FormOfWindow(QWidget* w)
{
    auto* bridge = dynamic_cast<TControlBridge*>(w);
    return bridge ? dynamic_cast<TCustomForm*>(bridge->Control()) : nullptr;
}

void TCustomForm::PlaceWindow()
{
    placed_ = true;
    if (position_ == poDefault) {
        widget_->setAttribute(Qt::WA_Moved, false); // no position hint: the window manager places it
        return;
    }
    QScreen* screen = widget_->screen() ? widget_->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = widget_->size();
    QPoint at(Left(), Top());
    if (position_ != poDesigned) {
        TCustomForm* over = position_ == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : nullptr;
        if (!over || !over->Showing())
            over = position_ == poScreenCenter ? nullptr : Application()->MainForm();
        const QRect around = over && over != this && over->Showing() ? over->Handle()->frameGeometry() : area;
        at = around.center() - QPoint(size.width() / 2, size.height() / 2);
    }
    // The frame's top left corner, so that the title bar stays on the screen.
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
    widget_->move(at);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style)
{
    borderStyle_ = style;
    if (Parent())
        return;
    Qt::WindowFlags flags = Qt::Window;
    if (style == bsDialog)
        flags = Qt::Dialog;
    else if (style == bsToolWindow || style == bsSizeToolWin)
        flags = Qt::Tool;
    else if (style == bsNoneForm)
        flags = Qt::Window | Qt::FramelessWindowHint;
    const bool shown = widget_->isVisible();
    widget_->setWindowFlags(flags);
    if (shown)
        widget_->show();
}

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (control && !ContainsControl(control))
        return;
    activeControl_ = control;
    if (control && widget_->isVisible() && !control->Focused())
        control->Handle()->setFocus(Qt::OtherFocusReason);
}

void TCustomForm::ForgetControl(TWinControl* control)
{
    if (activeControl_ && control->ContainsControl(activeControl_))
        activeControl_ = nullptr;
    if (entered_ && control->ContainsControl(entered_)) {
        TWinControl* p = control->Parent();
        entered_ = p == this ? nullptr : p;
        ++focusGeneration_;
    }
}

void TCustomForm::FocusChanged(TWinControl* control)
{
    if (control == this)
        control = nullptr;
    if (control)
        activeControl_ = control;
    if (control == entered_)
        return;
    const unsigned generation = ++focusGeneration_;
    // Leave every control on the way up that does not contain the new one.
    TWinControl* c = entered_;
    while (c && c != this && !(control && c->ContainsControl(control))) {
        TWinControl* up = c->Parent();
        entered_ = up == this ? nullptr : up;
        c->Perform(CM_EXIT);
        if (generation != focusGeneration_)
            return; // a handler moved the focus again; that change has done the rest
        c = up;
    }
    // Enter every control on the way down to the new one.
    std::vector<TWinControl*> chain;
    for (TWinControl* p = control; p && p != c && p != this; p = p->Parent())
        chain.push_back(p);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        entered_ = *it;
        (*it)->Perform(CM_ENTER);
        if (generation != focusGeneration_)
            return;
    }
}

bool TCustomForm::DialogKey(WORD key, TWinControl* source)
{
    if (auto* focused = dynamic_cast<TButton*>(source); focused && key == VK_RETURN) {
        focused->Click();
        return true;
    }
    std::vector<TWinControl*> all;
    GetTabOrderList(all);
    for (TWinControl* c : all) {
        auto* button = dynamic_cast<TButton*>(c);
        if (!button || !button->Showing() || !button->Enabled())
            continue;
        if ((key == VK_RETURN && button->Default()) || (key == VK_ESCAPE && button->Cancel())) {
            button->Click();
            return true;
        }
    }
    return false;
}

void TCustomForm::SetModalResult(int result)
{
    modalResult_ = result;
    if (modal_ && result != mrNone && modalLoop_)
        static_cast<QEventLoop*>(modalLoop_)->exit();
}

TCustomForm::TModalDriver TCustomForm::SetModalDriver(TModalDriver driver)
{
    TModalDriver previous = std::move(ModalDriver());
    ModalDriver() = std::move(driver);
    return previous;
}

int TCustomForm::ShowModal()
{
    if (modal_)
        throw std::logic_error("ShowModal: Das Formular wird bereits modal angezeigt.");
    TModalDriver driver = ModalDriver();
    if (!driver && Headless())
        throw std::logic_error("ShowModal ohne Bildschirm und ohne Testtreiber: \"" + caption_ + "\"");
    modalResult_ = mrNone;
    modal_ = true;
    widget_->setWindowModality(Qt::ApplicationModal);
    Show();
    widget_->activateWindow();
    QPointer<QWidget> alive(widget_);
    if (driver) {
        driver(this);
        if (!alive)
            throw std::logic_error("ShowModal: Das Formular wurde vom Testtreiber freigegeben.");
        if (modalResult_ == mrNone) {
            modal_ = false;
            Hide();
            throw std::logic_error("ShowModal: Der Testtreiber hat \"" + caption_ + "\" nicht beendet.");
        }
    } else if (modalResult_ == mrNone) {
        QEventLoop loop;
        modalLoop_ = &loop;
        loop.exec();
        if (!alive)
            return mrCancel;
        modalLoop_ = nullptr;
    }
    modal_ = false;
    Hide();
    widget_->setWindowModality(Qt::NonModal);
    return modalResult_;
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close()
{
    if (closing_ || !CloseQuery())
        return;
    if (modal_) {
        if (modalResult_ == mrNone)
            SetModalResult(mrCancel);
        return;
    }
    const bool mainForm = Application()->MainForm() == this;
    if (mainForm && !CloseOtherWindows())
        return;
    int action = caHide;
    OnClose(this, action);
    if (mainForm && action != caNone)
        QCoreApplication::exit(0);
    if (action == caHide) {
        Hide();
    } else if (action == caFree) {
        closing_ = true;
        Hide();
        QTimer::singleShot(0, widget_, [this] { delete this; });
    }
}

bool TCustomForm::CloseOtherWindows()
{
    std::vector<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != widget_ && w->isVisible())
            windows.emplace_back(w);
    for (const QPointer<QWidget>& w : windows) {
        if (!w || !w->isVisible())
            continue;
        if (TCustomForm* form = FormOfWindow(w))
            form->Close();
        else
            w->close();
        if (w && w->isVisible())
            return false; // it refused
    }
    return true;
}

void TCustomForm::DoShow()
{
    OnShow(this);
}

void TCustomForm::DoHide()
{
    OnHide(this);
}

bool TCustomForm::HandleQtEvent(QEvent* event, const TQtDefault& qtDefault)
{
    switch (event->type()) {
    case QEvent::Close: {
        // The window's close button: run the form's own closing.
        auto* ce = static_cast<QCloseEvent*>(event);
        if (closing_ || !widget_->isVisible()) {
            ce->accept();
            return true;
        }
        ce->ignore();
        Close();
        return true;
    }
    case QEvent::Show:
        if (!Parent() && !event->spontaneous())
            DoShow();
        return TWinControl::HandleQtEvent(event, qtDefault);
    case QEvent::Hide:
        if (!Parent() && !event->spontaneous())
            DoHide();
        return TWinControl::HandleQtEvent(event, qtDefault);
    case QEvent::WindowActivate:
        OnActivate(this);
        return TWinControl::HandleQtEvent(event, qtDefault);
    default:
        return TWinControl::HandleQtEvent(event, qtDefault);
    }
}

TForm::TForm(TComponent* owner)
    : TCustomForm(owner)
{
}
