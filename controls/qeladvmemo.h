#pragma once
// TQelAdvMemo: the memo binding on the source-code memo, for text fields (3001) and memo texts
// (3016) kept as blobs: every change is written at once, a blob is loaded only when asked.
#include "binding/qeldatacontrol.h"
#include "controls/qelmemotext.h"

#include "toolkit/advctrls.h"

class TQelAdvMemo : public TQelDataControl<TAdvCustomMemo> {
public:
    explicit TQelAdvMemo(TComponent* owner);

    bool get_InstantLoad() const { return instantLoad_; }
    void set_InstantLoad(bool v) { instantLoad_ = v; }
    TQelBlobField* TextField() const { return text_.BlobField(); }
    bool Loaded() const { return text_.Loaded(); }
    void Reload() { text_.Reload(); }
    void Repaint() override;

protected:
    void Change() override;
    void CaretMoved() override;
    void DoEnter() override;
    void DoExit() override;

private:
    TQelMemoText text_ { *this, link_ };
    bool instantLoad_ = false;
};
