#pragma once
// TQelMemo: the multi-line data control for a text field (3001) or a long text (3015), blobs
// included. It writes every change at once, loads a blob only when asked (a placeholder until
// then), shows the characters left in an optional count label while it has the focus, and imports
// from and exports to text files through its context menu.
#include "binding/qeldatacontrol.h"
#include "controls/qelmemotext.h"

#include "toolkit/stdctrls.h"

#include <string>

enum TQelMemoOption { moEscapeUnicode };
using TQelMemoOptions = TSet<TQelMemoOption>;
inline constexpr const char* kQelMemoOptionNames[] = { "moEscapeUnicode" };
static_assert(std::size(kQelMemoOptionNames) == moEscapeUnicode + 1);

class TQelMemo : public TQelDataControl<TCustomMemo> {
public:
    explicit TQelMemo(TComponent* owner);
    ~TQelMemo() override;

    bool get_InstantLoad() const { return instantLoad_; }
    void set_InstantLoad(bool v) { instantLoad_ = v; }
    bool get_AllowImport() const { return allowImport_; }
    void set_AllowImport(bool v) { allowImport_ = v; }
    TCustomLabel* get_CountLabel() const { return countLabel_; }
    void set_CountLabel(TCustomLabel* label);
    // The character budget; 0 or less takes the field's length.
    int get_SpecialMaxLength() const { return specialMaxLength_; }
    void set_SpecialMaxLength(int v) { specialMaxLength_ = v; }
    TQelMemoOptions get_MemoOptions() const { return options_; }
    void set_MemoOptions(TQelMemoOptions v) { options_ = v; }

    TQelBlobField* BlobField() const { return text_.BlobField(); }
    TQelStringField* StringField() const { return QelSafeCast<TQelStringField>(link_.Field()); }
    bool BlobLoaded() const { return text_.Loaded(); }
    void Reload() { text_.Reload(); }
    // "%d Zeichen frei" and its kin; empty without a budget or before the text is loaded.
    std::string count_msg() const;
    // The context menu's commands.
    void import_text();
    void export_text();
    void reload_text();
    void Repaint() override;

protected:
    void Change() override;
    void DoEnter() override;
    void DoExit() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    void buildContextMenu();
    void updatePopup();
    void updateCountLabel();

    TQelMemoText text_ { *this, link_ };
    TCustomLabel* countLabel_ = nullptr;
    bool instantLoad_ = false;
    bool allowImport_ = true;
    int specialMaxLength_ = 0;
    TQelMemoOptions options_;
};
