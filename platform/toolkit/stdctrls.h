#pragma once
// Standard controls: edit, memo, label, button, check box.
//
// Change notification: Change() (and OnChange) runs after every change of an edit's or memo's
// text, whether the user typed it or the program set Text to a different value, as with the
// classic controls. Code that sets Text itself and does not want its own change handling must
// guard against it.
#include "toolkit/classes.h"
#include "toolkit/wincontrol.h"

#include <memory>
#include <string>

class QString;

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TTextLayout { tlTop, tlCenter, tlBottom };
inline constexpr const char* kEditCharCaseNames[] = { "ecNormal", "ecUpperCase", "ecLowerCase" };
static_assert(std::size(kEditCharCaseNames) == ecLowerCase + 1);
inline constexpr const char* kScrollStyleNames[] = { "ssNone", "ssHorizontal", "ssVertical", "ssBoth" };
static_assert(std::size(kScrollStyleNames) == ssBoth + 1);
inline constexpr const char* kCheckBoxStateNames[] = { "cbUnchecked", "cbChecked", "cbGrayed" };
static_assert(std::size(kCheckBoxStateNames) == cbGrayed + 1);
inline constexpr const char* kTextLayoutNames[] = { "tlTop", "tlCenter", "tlBottom" };
static_assert(std::size(kTextLayoutNames) == tlBottom + 1);

class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* owner);

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    // Maximum number of characters the user may type (0: no limit).
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int v);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    // Character that hides the text (0: none).
    char32_t PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char32_t c);
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase c);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool v) { autoSelect_ = v; }
    bool Modified() const { return modified_; }
    void SetModified(bool v) { modified_ = v; }

    // Selection and caret, in characters. Setting SelStart removes the selection.
    int SelStart() const;
    void SetSelStart(int v);
    int SelLength() const;
    void SetSelLength(int v);
    std::string SelText() const;
    // Replaces the selection (runs Change).
    void SetSelText(const std::string& text);
    void SelectAll();
    void ClearSelection() { Perform(WM_CLEAR); }
    void CutToClipboard() { Perform(WM_CUT); }
    void CopyToClipboard() { Perform(WM_COPY); }
    void PasteFromClipboard() { Perform(WM_PASTE); }
    void Undo() { Perform(WM_UNDO); }
    void Clear() { SetText(std::string()); }
    int GetTextLen() const;

    TNotifyEvent OnChange;

protected:
    TCustomEdit(TComponent* owner, QWidget* widget);

    virtual void Change();
    std::string GetText() const override;
    void SetTextBuf(const std::string& text) override;
    void DefaultHandler(TMessage& message) override;
    void ApplyColor() override;
    void DoEnter() override;

    // Text operations of the widget; the memo works on a multi-line widget.
    virtual QString WidgetText() const;
    virtual void SetWidgetText(const QString& text);
    // Selection as UTF-16 positions: anchor and cursor.
    virtual void GetWidgetSelection(int& start, int& end) const;
    virtual void SetWidgetSelection(int start, int end);
    virtual void InsertWidgetText(const QString& text);
    virtual void ApplyReadOnly();
    virtual void WidgetUndo();
    // The widget's text changed (from any source).
    void TextChanged();

    bool inSetText_ = false;

private:
    bool readOnly_ = false;
    int maxLength_ = 0;
    TBorderStyle borderStyle_ = bsSingle;
    char32_t passwordChar_ = 0;
    TEditCharCase charCase_ = ecNormal;
    bool autoSelect_ = true;
    bool modified_ = false;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* owner);
};

class TCustomMemo : public TCustomEdit {
public:
    explicit TCustomMemo(TComponent* owner);
    ~TCustomMemo() override;

    // The memo's text as lines; changing them changes the text.
    TStrings& Lines();
    const TStrings& Lines() const;
    void SetLines(const TStrings& lines);
    // X = column, Y = line, both from 0, in characters.
    TPoint CaretPos() const;
    void SetCaretPos(TPoint pos);
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool v) { wantReturns_ = v; }
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool v) { wantTabs_ = v; }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle v);

    // The change Change runs for, in UTF-16 units as the widget counts them: from `position`,
    // `removed` units went and `added` came. The widget may name more than changed (up to the
    // whole text, and the final paragraph mark beyond the end). `known` is false when it named
    // nothing; read it only inside Change.
    struct TTextChange {
        int position = 0;
        int removed = 0;
        int added = 0;
        bool known = false;
    };
    const TTextChange& LastChange() const { return change_; }
    // The text's length in UTF-16 units, without reading the text.
    int TextUnits() const;
    // `count` units of the text from `position` into `text`, spelled as Text spells them (line
    // breaks "\n"). False when the range is not within the text or one of its ends lies between
    // the two halves of a character (UTF-16 surrogates).
    bool TextRange(int position, int count, std::string& text) const;

protected:
    TCustomMemo(TComponent* owner, QWidget* widget);
    bool WantsKey(WORD key) const override;
    void DefaultHandler(TMessage& message) override;
    QString WidgetText() const override;
    void SetWidgetText(const QString& text) override;
    void GetWidgetSelection(int& start, int& end) const override;
    void SetWidgetSelection(int start, int end) override;
    void InsertWidgetText(const QString& text) override;
    void ApplyReadOnly() override;
    void WidgetUndo() override;
    // The caret moved (by the user or the program).
    virtual void CaretMoved();

private:
    void Init();
    class TMemoLines;
    std::unique_ptr<TMemoLines> lines_;
    TTextChange pendingChange_;
    TTextChange change_;
    bool wantReturns_ = true;
    bool wantTabs_ = false;
    bool wordWrap_ = true;
    TScrollStyle scrollBars_ = ssNone;
};

class TMemo : public TCustomMemo {
public:
    explicit TMemo(TComponent* owner);
};

class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent* owner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout l);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    // Sizes the label to its text whenever the text or font changes.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool Transparent() const { return ParentColor(); }
    void SetTransparent(bool v) { SetParentColor(v); }
    // The control that gets the focus on the label's accelerator key.
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* c) { focusControl_ = c; }

protected:
    TCustomLabel(TComponent* owner, QWidget* widget);
    std::string GetText() const override;
    void SetTextBuf(const std::string& text) override;
    void ApplyFont() override;
    void Notification(TComponent* component, TOperation operation) override;
    // Puts the caption into the widget (rich text for HTML labels).
    virtual void ShowCaption();
    void AdjustSize();
    std::string caption_;

private:
    void ApplyAlignment();
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool autoSize_ = true;
    TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
public:
    explicit TLabel(TComponent* owner);
};

class TButtonControl : public TWinControl {
protected:
    TButtonControl(TComponent* owner, QWidget* widget);
    std::string GetText() const override;
    void SetTextBuf(const std::string& text) override;
    bool HandleQtEvent(QEvent* event, const TQtDefault& qtDefault) override;
};

class TButton : public TButtonControl {
public:
    explicit TButton(TComponent* owner);

    // A non-zero value becomes the form's modal result when the button is clicked.
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int v) { modalResult_ = v; }
    // Return clicks the default button of the form; Escape the cancel button.
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    // Clicks the button as the user would.
    void Click() override;

protected:
    TButton(TComponent* owner, QWidget* widget);

private:
    void Init();
    int modalResult_ = mrNone;
    bool default_ = false;
    bool cancel_ = false;
};

class TCustomCheckBox : public TButtonControl {
public:
    explicit TCustomCheckBox(TComponent* owner);

    bool Checked() const { return state_ == cbChecked; }
    // Runs Click when the state changes, unless clicks are disabled.
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState state);
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool v);
    // A read-only box ignores the user's clicks and keys.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    bool ClicksDisabled() const { return clicksDisabled_; }
    void SetClicksDisabled(bool v) { clicksDisabled_ = v; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);

protected:
    TCustomCheckBox(TComponent* owner, QWidget* widget);
    // The user toggled the box (mouse release or space): next state, then Click.
    virtual void Toggle();
    void ApplyColor() override;

private:
    friend class TCheckBoxWidgetAccess;
    void Init();
    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
    bool readOnly_ = false;
    bool clicksDisabled_ = false;
    TAlignment alignment_ = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
public:
    explicit TCheckBox(TComponent* owner);
};
