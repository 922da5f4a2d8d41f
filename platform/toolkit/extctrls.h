#pragma once
// Panels: containers with bevels, a border and a centred caption.
#include "toolkit/wincontrol.h"

class TCustomPanel : public TCustomControl {
public:
    explicit TCustomPanel(TComponent* owner);

    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut v);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut v);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int v);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    TVerticalAlignment VerticalAlignment() const { return verticalAlignment_; }
    void SetVerticalAlignment(TVerticalAlignment v);
    // Whether the caption is drawn (panels that only group controls often hide it).
    bool ShowCaption() const { return showCaption_; }
    void SetShowCaption(bool v);

protected:
    TCustomPanel(TComponent* owner, QWidget* widget);
    std::string GetText() const override;
    void SetTextBuf(const std::string& text) override;
    void AdjustClientRect(TRect& rect) const override;

private:
    void Init();
    void Changed();
    std::string caption_;
    TBevelCut bevelOuter_ = bvRaised;
    TBevelCut bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TBorderStyle borderStyle_ = bsNone;
    TAlignment alignment_ = taCenter;
    TVerticalAlignment verticalAlignment_ = taVerticalCenter;
    bool showCaption_ = true;
};

class TPanel : public TCustomPanel {
public:
    explicit TPanel(TComponent* owner);
};
