#pragma once
// What the memos share: the binding of a memo's text to a text field or a long text kept as a blob
// (loaded only when asked, a placeholder until then), writing every change without ever cutting
// the text, and reading and writing text files for import and export. While the field holds the
// shown text, a change replaces only its own bytes of the field's text, so a keystroke costs the
// same in a long text as in a short one.
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
    // The change handling: writes the change (the whole text when the field did not hold the
    // text shown before it); a text beyond the field's length is written as well.
    void Changed();
    // The library's refresh: reload unless a loaded blob already holds the shown text.
    void Refresh();
    // Appends a file's text (after a line break); false (a German message was shown) when the file
    // cannot be read or the result would not fit the field.
    bool ImportFile(const std::string& path);
    // Saves the memo's lines to a file; false (a German message was shown) when it fails.
    bool ExportFile(const std::string& path) const;
    // The write hook of both memos: the change or the text into the blob's buffer or the text
    // field.
    void Write();
    // The colour of the loaded state (window) or the placeholder (button face).
    void ApplyLoadedColor();

private:
    // What the memo knows of the field's text while it is the shown text: its length in UTF-16
    // units and in bytes, and a place (the end of the last change) to count positions from.
    struct TSync {
        bool on = false;
        std::size_t units = 0;
        std::size_t bytes = 0;
        std::size_t markUnits = 0;
        std::size_t markBytes = 0;
    };
    // A change to write in place: `count` bytes from `at` become `with`; `units`/`markUnits`
    // are what the sync becomes once it is written.
    struct TEdit {
        bool on = false;
        std::size_t at = 0;
        std::size_t count = 0;
        std::string with;
        std::size_t units = 0;
        std::size_t markUnits = 0;
    };

    void show(const std::string& text);
    bool fits(const std::string& text) const;
    // Whether the field holds `text` (compared without copying a long value).
    bool holds(const std::string& text) const;
    // The field's text while it is a text without a syntax error ("" for null), else nullptr.
    const std::string* fieldText() const;
    // Starts knowing the field's text when it is `shown`, the text the memo shows.
    void syncTo(const std::string& shown);
    // Turns the memo's last change into a byte range of the field's text (edit_); false when it
    // cannot be placed, and the whole text is written.
    bool placeEdit();
    // The byte offset of UTF-16 position `units` in the field's text `text`, counted from the
    // nearest known place; npos when it falls inside a character or beyond the text.
    std::size_t byteOf(const std::string& text, std::size_t units) const;

    TCustomMemo& memo_;
    TQelDataLink& link_;
    bool reloading_ = false;
    std::string current_;
    TEdit edit_;
    TSync sync_;
};

// Reads a text file as UTF-8 (a byte-order mark dropped); a file that is not valid UTF-8 is read
// as Windows-1252. Line breaks become "\n". False with `error` set when it cannot be read.
bool QelReadTextFile(const std::string& path, std::string& text, std::string& error);
// Writes `text` as UTF-8, replacing the file. False with `error` set when it fails.
bool QelWriteTextFile(const std::string& path, const std::string& text, std::string& error);
