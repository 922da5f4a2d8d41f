#include "controls/qelmemotext.h"

#include "toolkit/dialogs.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <variant>

namespace {

const char* const kTextCannotRead = "Die Datei \"%s\" kann nicht gelesen werden:\n%s";
const char* const kCannotWrite = "Die Datei \"%s\" kann nicht geschrieben werden:\n%s";
const char* const kTooLong = "Der Text der Datei \"%s\" passt nicht in das Feld: höchstens %s Zeichen.";

std::string format(const char* pattern, const std::string& a, const std::string& b)
{
    std::string out = pattern;
    for (const std::string* arg : { &a, &b }) {
        const std::size_t at = out.find("%s");
        if (at == std::string::npos)
            break;
        out.replace(at, 2, *arg);
    }
    return out;
}

std::string normaliseBreaks(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            out += '\n';
            if (i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

} // namespace

bool QelReadTextFile(const std::string& path, std::string& text, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = errno ? std::strerror(errno) : "nicht vorhanden";
        return false;
    }
    std::ostringstream buf;
    buf << in.rdbuf();
    if (in.bad()) {
        error = "Lesefehler";
        return false;
    }
    std::string bytes = buf.str();
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    text = normaliseBreaks(Utf8IsValid(bytes) ? bytes : Cp1252ToUtf8(bytes));
    return true;
}

bool QelWriteTextFile(const std::string& path, const std::string& text, std::string& error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out)
        out << text;
    if (out)
        out.flush();
    if (!out) {
        error = errno ? std::strerror(errno) : "Schreibfehler";
        return false;
    }
    return true;
}

TQelMemoText::TQelMemoText(TCustomMemo& memo, TQelDataLink& link)
    : memo_(memo)
    , link_(link)
{
}

bool TQelMemoText::Loaded() const
{
    if (TQelBlobField* b = BlobField())
        return b->Loaded();
    return link_.Field() != nullptr;
}

void TQelMemoText::show(const std::string& text)
{
    auto showing = link_.ShowScope();
    memo_.SetText(text);
}

std::string TQelMemoText::stored() const
{
    if (TQelBlobField* b = BlobField())
        return b->Loaded() ? b->BufferAsString() : std::string(QelNotLoadedText);
    if (TQelField* f = link_.Field())
        return f->AsString();
    return {};
}

void TQelMemoText::ApplyLoadedColor()
{
    memo_.SetColor(Loaded() || !link_.Field() ? clWindow : clBtnFace);
}

void TQelMemoText::Connected(bool instantLoad)
{
    TQelBlobField* b = BlobField();
    if (b && !b->Loaded() && !instantLoad) {
        show(QelNotLoadedText);
        ApplyLoadedColor();
        return;
    }
    Reload();
}

void TQelMemoText::Reload()
{
    if (reloading_)
        return;
    TFlagScope guard(reloading_);
    if (TQelBlobField* b = BlobField()) {
        show(b->set_Loaded(true) ? b->BufferAsString() : std::string(QelNotLoadedText));
        ApplyLoadedColor();
    } else if (TQelField* f = link_.Field()) {
        show(f->AsString());
    } else {
        show({});
    }
}

bool TQelMemoText::fits(const std::string& text) const
{
    TQelField* f = link_.Field();
    const int max = f ? f->MaxLength() : 0;
    return max <= 0 || Utf8Length(text) <= static_cast<std::size_t>(max);
}

bool TQelMemoText::holds(const std::string& text) const
{
    TQelField* f = link_.Field();
    if (!f)
        return text.empty();
    if (const auto* s = std::get_if<std::string>(&f->Value()); s && !f->SyntaxError())
        return *s == text;
    return std::holds_alternative<std::monostate>(f->Value()) && text.empty();
}

void TQelMemoText::Changed()
{
    if (link_.Showing() || reloading_ || !link_.Field())
        return;
    current_ = memo_.Text();
    TQelBlobField* b = BlobField();
    if (b && (!b->Loaded() || current_ == QelNotLoadedText))
        return; // nothing is written over a text that was never read
    // A text beyond the field's length is written as well: the count label says how much is too
    // much, and the commit refuses it with the field's message. Nothing typed disappears.
    if (!holds(current_))
        link_.Write();
    current_.clear();
    link_.Edited();
}

void TQelMemoText::Write()
{
    if (TQelBlobField* b = BlobField())
        b->set_BufferAsString(current_);
    else if (TQelField* f = link_.Field())
        f->set_AsString(current_);
}

void TQelMemoText::Refresh()
{
    if (!link_.Field())
        return;
    TQelBlobField* b = BlobField();
    if ((b && !b->Loaded()) || !holds(memo_.Text()))
        Reload();
    ApplyLoadedColor();
}

bool TQelMemoText::ImportFile(const std::string& path)
{
    std::string text, error;
    if (!QelReadTextFile(path, text, error)) {
        MessageDlg(format(kTextCannotRead, path, error), mtError, { mbOK });
        return false;
    }
    std::string current = memo_.Text();
    if (BlobField() && !Loaded())
        current.clear(); // the placeholder is no text
    std::string joined = current;
    if (!joined.empty() && joined.back() != '\n')
        joined += '\n';
    joined += text;
    if (!fits(joined)) {
        const int max = link_.Field() ? link_.Field()->MaxLength() : 0;
        MessageDlg(format(kTooLong, path, std::to_string(max)), mtError, { mbOK });
        return false;
    }
    if (TQelBlobField* b = BlobField(); b && !b->Loaded())
        Reload();
    memo_.SetText(joined); // the change handling writes it
    return true;
}

bool TQelMemoText::ExportFile(const std::string& path) const
{
    std::string text;
    const TStrings& lines = memo_.Lines();
    for (int i = 0; i < lines.Count(); ++i)
        text += lines.Get(i) + "\n";
    std::string error;
    if (!QelWriteTextFile(path, text, error)) {
        MessageDlg(format(kCannotWrite, path, error), mtError, { mbOK });
        return false;
    }
    return true;
}
