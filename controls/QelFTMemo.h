#pragma once
// TQelFTMemo: a formatted-text field (hard type exactly 13422) in a rich-text editor frame that
// the memo hosts and knows only by its registered class name and published members (see
// toolkit/richeditframe.h). The text is written back when the memo is left and before an import
// or export, not per keystroke.
#include "binding/qeldatacontrol.h"

#include "toolkit/extctrls.h"

#include <string>

// OnImport(sender, path, isEmpty, append): may name the file and choose to append.
using TQelFTImportEvent = TEvent<TObject*, std::string&, bool, bool&>;
using TQelFTExportEvent = TEvent<TObject*, std::string&>;
using TQelFTExportErrorEvent = TEvent<TObject*, TQelERVTextField*, const std::string&>;

class TQelFTMemo : public TQelDataControl<TCustomPanel> {
public:
    explicit TQelFTMemo(TComponent* owner);
    ~TQelFTMemo() override;

    TQelERVTextField* TextField() const { return QelSafeCast<TQelERVTextField>(link_.Field()); }
    // The hosted editor frame (none in design mode).
    TWinControl* Frame() const { return frame_; }
    // A container whose first button imports and whose second exports.
    TWinControl* get_Toolbar() const { return toolbar_; }
    void set_Toolbar(TWinControl* toolbar);
    bool get_SpecialChars() const;
    void set_SpecialChars(bool v);

    // Shows the field's text in the frame; whether the frame took it.
    bool Reload();
    // Writes the frame's text back to the field.
    void doexport();
    void import_file();
    void export_file();
    // The library's refresh does not reload: the frame keeps what the user is editing.
    void Repaint() override;

    TQelFTImportEvent OnImport;
    TQelFTExportEvent OnExport;
    TQelFTExportErrorEvent OnExportError;
    TNotifyEvent OnSpecialChars;

protected:
    void WndProc(TMessage& m) override;
    void DoEnter() override;
    void DoExit() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    void wireToolbar();
    TWinControl* frame_ = nullptr;
    TWinControl* toolbar_ = nullptr;
    // What the frame gave back for the text it was last shown.
    std::string shownXml_;
};
