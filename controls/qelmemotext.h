#pragma once
// What the memos share: the binding of a memo's text to a text field or a long text kept as a blob
// (loaded only when asked, a placeholder until then), writing the whole text on every change
// without ever cutting it, and reading and writing text files for import and export.
#include "binding/qeldatalink.h"

#include "toolkit/stdctrls.h"

#include <string>

inline constexpr const char* QelNotLoadedText = "(nicht geladen)";

class TQelMemoText {
public:
    TQelMemoText(TCustomMemo& memo, TQelDataLink& link);

    TQelBlobField* BlobField() const { return QelSafeCast<TQelBlobField>(link_.Field()); }
    // The text is loaded: a blob whose buffer was read, any other field; false without a field.
    bool Loaded() const;
    // After connecting: a blob that is not loaded shows the placeholder unless `instantLoad`.
    void Connected(bool instantLoad);
    // Loads a blob and shows the field's text (the placeholder when loading failed).
    void Reload();
    // The change handling: writes the whole text; refuses a change that makes the text longer
    // than the field may hold (the text before it comes back, the caret where it was).
    void Changed();
    // The library's refresh: reload unless a loaded blob already holds the shown text.
    void Refresh();
    // Appends a file's text (after a line break); false (a German message was shown) when the file
    // cannot be read or the result would not fit the field.
    bool ImportFile(const std::string& path);
    // Saves the memo's lines to a file; false (a German message was shown) when it fails.
    bool ExportFile(const std::string& path) const;
    // The text the change handling writes (valid inside the link's write hook).
    const std::string& Current() const { return current_; }
    // The write hook of both memos: the text into the blob's buffer or the text field.
    void Write();
    // The colour of the loaded state (window) or the placeholder (button face).
    void ApplyLoadedColor();

private:
    void show(const std::string& text);
    std::string stored() const;
    bool fits(const std::string& text) const;
    // Whether the field holds `text` (compared without copying a long value).
    bool holds(const std::string& text) const;

    TCustomMemo& memo_;
    TQelDataLink& link_;
    bool reloading_ = false;
    std::string current_;
};

// Reads a text file as UTF-8 (a byte-order mark dropped); a file that is not valid UTF-8 is read
// as Windows-1252. Line breaks become "\n". False with `error` set when it cannot be read.
bool QelReadTextFile(const std::string& path, std::string& text, std::string& error);
// Writes `text` as UTF-8, replacing the file. False with `error` set when it fails.
bool QelWriteTextFile(const std::string& path, const std::string& text, std::string& error);
