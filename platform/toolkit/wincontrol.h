#pragma once
// TWinControl: a control that can take the focus and hold child controls. Children are kept by
// index (GetControlCount / GetControl) and in a tab order; keyboard input arrives as WM_KEYDOWN,
// WM_CHAR and WM_KEYUP through WndProc and then as KeyDown, KeyPress and KeyUp. Focus changes
// arrive as CM_EXIT / CM_ENTER and then DoExit / DoEnter.
#include "toolkit/control.h"

#include <vector>

using TKeyEvent = TEvent<TObject*, WORD&, TShiftState>;
using TKeyPressEvent = TEvent<TObject*, char32_t&>;

class TWinControl : public TControl {
public:
    ~TWinControl() override;

    // Child controls in insertion order (windowed and non-windowed).
    int GetControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* GetControl(int index) const;
    bool ContainsControl(const TControl* control) const;
    // Same as control->SetParent(this) and control->SetParent(nullptr).
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    // Focus.
    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    int TabOrder() const;
    void SetTabOrder(int order);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v);
    // A control that never takes the focus, not even by a click (drop-down lists, buttons of a
    // compound control); a later SetTabStop gives it the usual focus again.
    void SetNeverFocused();
    // The windowed descendants in tab order (each child followed by its own list).
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    // The next control after `current` in the tab order of this control, wrapping around.
    TWinControl* FindNextControl(
        TWinControl* current, bool forward, bool checkTabStop, bool checkParent) const;
    // Focuses the next control that can take the focus. The window shows focus frames from then
    // on, as after any move of the focus by the keyboard.
    void SelectNext(TWinControl* current, bool forward, bool checkTabStop);
    // Ctrl+Tab, Ctrl+PgDn and their backward keys reached this control: a control with pages
    // shows its next (previous) one and answers true; others answer false, and the key goes on
    // to the control's parents.
    virtual bool SelectPageByKey(bool forward);
    // The menu key or Shift+F10: the control's context menu, as a right click at its current
    // place (the current item of a list) opens it.
    void ShowContextMenuByKey();

    // Alignment of children by Align and Anchors.
    void DisableAlign() { ++alignDisabled_; }
    void EnableAlign();
    void Realign();

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

    // Where children's widgets go (the whole widget unless a class has an inner client area).
    virtual QWidget* ClientWidget() const;
    void WndProc(TMessage& message) override;

protected:
    TWinControl(TComponent* owner, QWidget* widget);

    virtual void DoEnter();
    virtual void DoExit();
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char32_t& key);
    // Runs form key preview and KeyDown / KeyUp; true when the key was consumed (set to 0).
    bool DoKeyDown(TMessage& message);
    bool DoKeyUp(TMessage& message);
    bool DoKeyPress(TMessage& message);
    // Whether Tab, Return or Escape is input for the control rather than moving the focus or
    // clicking the form's default or cancel button.
    virtual bool WantsKey(WORD key) const;

    void DefaultHandler(TMessage& message) override;
    bool HandleQtEvent(QEvent* event, const TQtDefault& qtDefault) override;
    bool DispatchKey(QEvent* event, const TQtDefault& qtDefault);
    // Runs the shortcut of a popup menu of this control or its parents; true when one ran.
    bool IsMenuKey(TShortCut shortCut);
    void BoundsChanged() override;
    virtual void AlignControls(TRect& rect);
    virtual void AdjustClientRect(TRect& rect) const;

private:
    friend class TControl;
    friend class TCustomForm;
    void AddChild(TControl* control);
    void RemoveChild(TControl* control);
    void MoveChild(TControl* control, bool toFront);
    void ClientResized();
    void ChildFontChanged();
    void ChildColorChanged();

    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    bool tabStop_ = false;
    bool suppressChar_ = false;
    int alignDisabled_ = 0;
    bool aligning_ = false;
    int lastClientW_ = -1;
    int lastClientH_ = -1;
};

// A windowed control that draws itself (grids, panels).
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);

protected:
    TCustomControl(TComponent* owner, QWidget* widget);
};
