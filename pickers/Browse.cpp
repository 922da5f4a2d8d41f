#include "pickers/Browse.h"

#include "toolkit/dialogs.h"

#include <filesystem>
#include <system_error>

namespace {

const char* const kDefaultTitle = "Wählen Sie bitte einen Ordner.";
const char* const kInvalidFolder = "Ungültiger Ordner: ";
// The longest initial folder the dialog takes, in characters.
constexpr size_t kMaxInitialFolder = 259;

// The first `n` UTF-8 characters of `s`.
std::string first_chars(const std::string& s, size_t n)
{
    size_t i = 0;
    for (size_t count = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
            continue; // continuation byte
        if (count++ == n)
            break;
    }
    return s.substr(0, i);
}

} // namespace

bool BrowseForFolder(TWinControl*, std::string& folder, const std::string& title)
{
    std::string chosen = first_chars(folder, kMaxInitialFolder);
    if (!Dialogs().BrowseForFolder(title.empty() ? kDefaultTitle : title, chosen))
        return false;
    std::error_code ec;
    if (chosen.empty() || !std::filesystem::is_directory(std::filesystem::u8path(chosen), ec)) {
        ShowMessage(kInvalidFolder + chosen);
        return false;
    }
    folder = chosen;
    return true;
}
