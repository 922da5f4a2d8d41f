#pragma once
// The labelled edit and combo, and the code-style memo: controls with a caption label, a colour
// for the disabled state, an optional focus border and a flat look.
#include "toolkit/boundlabel.h"
#include "toolkit/combobox.h"
#include "toolkit/stdctrls.h"

// Adds the caption label to a windowed control; the label follows the control's parent, bounds,
// visibility and enabled state.
template <class Base> class TLabelled : public Base {
public:
    TBoundLabel& EditLabel() { return label_; }
    const std::string& LabelCaption() const { return label_.Caption(); }
    void SetLabelCaption(const std::string& caption) { label_.SetCaption(caption); }
    TLabelPosition LabelPosition() const { return label_.Position(); }
    void SetLabelPosition(TLabelPosition position) { label_.SetPosition(position); }
    int LabelMargin() const { return label_.Margin(); }
    void SetLabelMargin(int margin) { label_.SetMargin(margin); }
    TFont& LabelFont() { return label_.Font(); }
    bool LabelAlwaysEnabled() const { return label_.AlwaysEnabled(); }
    void SetLabelAlwaysEnabled(bool v) { label_.SetAlwaysEnabled(v); }

    void SetParent(TWinControl* parent) override
    {
        Base::SetParent(parent);
        label_.Update();
    }
    void SetEnabled(bool enabled) override
    {
        if (enabled == this->Enabled())
            return;
        Base::SetEnabled(enabled);
        label_.Update();
    }

protected:
    explicit TLabelled(TComponent* owner)
        : Base(owner)
        , label_(*this)
    {
        label_.Font().Assign(this->Font());
    }
    TLabelled(TComponent* owner, QWidget* widget)
        : Base(owner, widget)
        , label_(*this)
    {
        label_.Font().Assign(this->Font());
    }
    // A form that loads sets the label's caption, position and font one by one: it is placed once,
    // when all are set.
    void Loaded() override
    {
        Base::Loaded();
        label_.Update();
    }
    void BoundsChanged() override
    {
        Base::BoundsChanged();
        label_.Update();
    }
    void UpdateWidgetVisibility() override
    {
        Base::UpdateWidgetVisibility();
        label_.Update();
    }

private:
    TBoundLabel label_;
};

class TAdvEdit : public TLabelled<TCustomEdit> {
public:
    explicit TAdvEdit(TComponent* owner);

    // Background while the edit is disabled.
    TColor DisabledColor() const { return disabledColor_; }
    void SetDisabledColor(TColor c);
    // Background while the edit has the focus (clNone: unchanged).
    TColor FocusColor() const { return focusColor_; }
    void SetFocusColor(TColor c);
    // The background colour outside focus; Color follows it while the edit has no focus.
    TColor NormalColor() const { return normalColor_; }
    void SetNormalColor(TColor c);
    // A frame in the highlight colour while the edit has the focus.
    bool FocusBorder() const;
    void SetFocusBorder(bool v);
    // No 3D border, a line under the text instead.
    bool Flat() const;
    void SetFlat(bool v);
    TColor FlatLineColor() const { return flatLineColor_; }
    void SetFlatLineColor(TColor c);
    void SetEnabled(bool enabled) override;

protected:
    void ApplyColor() override;
    void DoEnter() override;
    void DoExit() override;

private:
    TColor disabledColor_ = clSilver;
    TColor focusColor_ = clNone;
    TColor normalColor_ = clWindow;
    TColor flatLineColor_ = clBlack;
};

class TAdvCustomCombo : public TLabelled<TCustomCombo> {
public:
    explicit TAdvCustomCombo(TComponent* owner);

    TColor DisabledColor() const { return disabledColor_; }
    void SetDisabledColor(TColor c);
    bool FocusBorder() const { return focusBorder_; }
    void SetFocusBorder(bool v);
    bool Flat() const { return flat_; }
    void SetFlat(bool v);
    TColor FlatLineColor() const { return flatLineColor_; }
    void SetFlatLineColor(TColor c);
    // With the enabled look off the combo is drawn as disabled but still takes input.
    bool EnabledLook() const { return enabledLook_; }
    void SetEnabledLook(bool v);
    void SetEnabled(bool enabled) override;

protected:
    void ApplyColor() override;

private:
    void ApplyLook();
    TColor disabledColor_ = clSilver;
    bool focusBorder_ = false;
    bool flat_ = false;
    TColor flatLineColor_ = clBlack;
    bool enabledLook_ = true;
};

class TAdvComboBox : public TAdvCustomCombo {
public:
    explicit TAdvComboBox(TComponent* owner);
};

// A memo for source-like text: fixed-pitch font, the caret line marked, caret moves reported.
class TAdvCustomMemo : public TCustomMemo {
public:
    explicit TAdvCustomMemo(TComponent* owner);

    // Caret column and line, from 0.
    int CurX() const { return CaretPos().X; }
    int CurY() const { return CaretPos().Y; }
    void SetCurX(int x) { SetCaretPos({ x, CurY() }); }
    void SetCurY(int y) { SetCaretPos({ CurX(), y }); }
    TColor ActiveLineColor() const { return activeLineColor_; }
    void SetActiveLineColor(TColor c);

    TNotifyEvent OnCaretChange;

protected:
    void CaretMoved() override;

private:
    void MarkActiveLine();
    TColor activeLineColor_ = TColor(0xF5EEE6);
};

class TAdvMemo : public TAdvCustomMemo {
public:
    explicit TAdvMemo(TComponent* owner);
};
