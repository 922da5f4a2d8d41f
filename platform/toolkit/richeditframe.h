#pragma once
// The rich-text editor frame: a tool row (bold, italic, underline, bullet and numbered list, text
// colour) over a rich-text editor. Code above the toolkit knows it only by its registered class
// name and its published members:
//   "XMLComp" (text)  the document as HTML; writing replaces the content
//   "IsEmpty" (bool)  no visible text
//   "ReadOnly" (bool), "SpecialCharacters" (bool: paragraph marks and blanks shown)
//   method "RVEChange(Sender)": the content was set from outside; starts a fresh editing state
// so that an application may register another editor under the same name.
#include "toolkit/wincontrol.h"

#include <string>

inline constexpr const char* RichEditFrameClassName = "TQelEditVorbringenFrame";

class TRichEditFrame : public TCustomControl {
public:
    explicit TRichEditFrame(TComponent* owner);

    std::string XMLComp() const;
    void SetXMLComp(const std::string& html);
    bool IsEmpty() const;
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    bool SpecialCharacters() const { return specialChars_; }
    void SetSpecialCharacters(bool v);
    void RVEChange(TObject* sender);
    // Whether the user changed the content since it was set.
    bool Modified() const;

    // The format commands of the tool row, as its buttons run them.
    void ToggleBold();
    void ToggleItalic();
    void ToggleUnderline();
    void ToggleBulletList();
    void ToggleNumberedList();
    void SetTextColor(TColor color);

    TNotifyEvent OnChange;

private:
    bool readOnly_ = false;
    bool specialChars_ = false;
};

// Registers TRichEditFrame under RichEditFrameClassName unless another class holds the name.
void RegisterRichEditFrame();
