#pragma once
// Forms: top-level windows (or forms embedded in another control) with caption, client size,
// font, active control, key preview and modal showing.
#include "toolkit/constraints.h"
#include "toolkit/wincontrol.h"

#include <functional>
#include <string>

using TCloseEvent = TEvent<TObject*, int&>; // action: caNone, caHide, caFree, caMinimize
using TCloseQueryEvent = TEvent<TObject*, bool&>;
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormBorderStyle { bsNoneForm, bsSingleForm, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition { poDesigned, poDefault, poScreenCenter, poMainFormCenter, poOwnerFormCenter };

class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    // Where a window appears when first shown: poDesigned with its frame at Left/Top (kept on the
    // screen), poDefault where the window manager puts it, poScreenCenter in the middle of the
    // screen, poMainFormCenter over the application's main form, poOwnerFormCenter over the form
    // that owns it (else as poMainFormCenter).
    TPosition Position() const { return position_; }
    void SetPosition(TPosition p) { position_ = p; }
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool v) { keyPreview_ = v; }
    // Limits of the form's size; a change resizes the form into them.
    TSizeConstraints& Constraints() { return constraints_; }
    const TSizeConstraints& Constraints() const { return constraints_; }
    void SetBounds(int left, int top, int width, int height) override;

    // The control that has (or last had) the focus inside the form.
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    // The control that last received CM_ENTER without CM_EXIT.
    TWinControl* EnteredControl() const { return entered_; }

    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result);
    bool Modal() const { return modal_; }
    // Shows the form modally and returns its modal result. While a modal driver is installed
    // (tests), the driver is called inside the modal loop and must end it by setting a modal
    // result or closing the form; otherwise ShowModal throws instead of waiting for a user.
    int ShowModal();
    // Runs the closing (OnCloseQuery, OnClose). Closing the application's main form closes its
    // other windows first (any of them may refuse, then the main form stays) and ends the event
    // loop.
    void Close();
    void Release() { Close(); }

    // Installs the function that drives modal forms (tests); nullptr removes it. Returns the
    // previous driver.
    using TModalDriver = std::function<void(TCustomForm*)>;
    static TModalDriver SetModalDriver(TModalDriver driver);

    // Focus bookkeeping: the focus moved into `control` (nullptr: to no control of this form).
    void FocusChanged(TWinControl* control);
    // Return or Escape that `source` does not take: clicks the focused button, else the default
    // (Return) or cancel (Escape) button. True when a button was clicked.
    bool DialogKey(WORD key, TWinControl* source);
    // A control leaves the form or is destroyed: drop references to it without messages.
    void ForgetControl(TWinControl* control);

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    std::string GetText() const override;
    void SetTextBuf(const std::string& text) override;
    void SetParent(TWinControl* parent) override;
    void UpdateWidgetVisibility() override;
    bool HandleQtEvent(QEvent* event, const TQtDefault& qtDefault) override;
    virtual bool CloseQuery();
    virtual void DoShow();
    virtual void DoHide();

private:
    void ApplyConstraints();
    void PlaceWindow();
    bool CloseOtherWindows();
    TSizeConstraints constraints_;
    std::string caption_;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TPosition position_ = poDesigned;
    bool keyPreview_ = false;
    TWinControl* activeControl_ = nullptr;
    TWinControl* entered_ = nullptr;
    unsigned focusGeneration_ = 0;
    int modalResult_ = mrNone;
    bool modal_ = false;
    bool closing_ = false;
    bool placed_ = false;
    void* modalLoop_ = nullptr;
};

class TForm : public TCustomForm {
public:
    explicit TForm(TComponent* owner);
};
