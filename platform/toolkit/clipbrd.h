#pragma once
// The clipboard with Unicode text.
#include <string>

enum : unsigned { CF_TEXT = 1, CF_UNICODETEXT = 13 };

class TClipboard {
public:
    // Text in UTF-8; the clipboard holds it as Unicode text.
    std::string AsText() const;
    void SetAsText(const std::string& text);
    // The same text as UTF-16 ("wide") characters.
    std::u16string AsWideText() const;
    void SetAsWideText(const std::u16string& text);
    // CF_TEXT and CF_UNICODETEXT are available whenever the clipboard holds text.
    bool HasFormat(unsigned format) const;
    void Clear();
};

TClipboard* Clipboard();
