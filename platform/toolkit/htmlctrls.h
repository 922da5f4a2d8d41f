#pragma once
// Controls with HTML captions: label, static text and check box. The mark-up knows <B>, <I>, <U>,
// <S>, <FONT color="clRed" size face>, <A href="...">, <BR>, <P>, <IMG>; in labels a click on an
// anchor runs OnAnchorClick with the anchor's href (a check box toggles on any click).
#include "toolkit/classes.h"
#include "toolkit/stdctrls.h"

#include <memory>
#include <string>

using TAnchorClickEvent = TEvent<TObject*, const std::string&>;

class THTMLabel : public TCustomLabel {
public:
    explicit THTMLabel(TComponent* owner);
    ~THTMLabel() override;

    // The mark-up, one or more lines; changing it redraws the label.
    TStrings& HTMLText();
    void SetHTMLText(const TStrings& lines);
    TAnchorClickEvent OnAnchorClick;

protected:
    void ShowCaption() override;

private:
    std::unique_ptr<TStringList> html_;
};

// The windowed variant (takes no focus, can be a parent).
class THTMLStaticText : public TCustomControl {
public:
    explicit THTMLStaticText(TComponent* owner);
    ~THTMLStaticText() override;

    TStrings& HTMLText();
    void SetHTMLText(const TStrings& lines);
    TAnchorClickEvent OnAnchorClick;

private:
    void Show();
    std::unique_ptr<TStringList> html_;
};

// How a check box draws its button; the read-only look shows a box the user cannot change.
enum TButtonType { btClassic, btFlat, btReadOnlyLook };

class THTMLCheckBox : public TCustomCheckBox {
public:
    explicit THTMLCheckBox(TComponent* owner);

    TButtonType ButtonType() const { return buttonType_; }
    void SetButtonType(TButtonType t);

protected:
    std::string GetText() const override;
    void SetTextBuf(const std::string& text) override;
    void BoundsChanged() override;
    void ApplyFont() override;

private:
    void Layout();
    std::string caption_;
    TButtonType buttonType_ = btClassic;
};
