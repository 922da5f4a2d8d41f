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

// Walks the UTF-8 text `text` from byte `b`, UTF-16 position `u`, forward to position `units`
// (or just past it, when it falls inside a character), or to the text's end.
void walkForward(const std::string& text, std::size_t& b, std::size_t& u, std::size_t units)
{
    while (u < units && b < text.size()) {
        const auto lead = static_cast<unsigned char>(text[b]);
        const std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        u += n == 4 ? 2 : 1;
        b += n;
    }
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
    sync_ = {};
    auto showing = link_.ShowScope();
    memo_.SetText(text);
}

const std::string* TQelMemoText::fieldText() const
{
    static const std::string none;
    TQelField* f = link_.Field();
    if (!f || f->SyntaxError())
        return nullptr;
    if (const auto* s = std::get_if<std::string>(&f->Value()))
        return s;
    return std::holds_alternative<std::monostate>(f->Value()) ? &none : nullptr;
}

void TQelMemoText::syncTo(const std::string& shown)
{
    sync_ = {};
    const std::string* text = fieldText();
    if (!text || *text != shown || !Utf8IsValid(*text))
        return;
    // The memo shows every character as it is, except line breaks and spaces it keeps marks for:
    // a text with those is not the one shown, and its first change writes the shown text whole.
    std::size_t units = 0;
    for (const char ch : *text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r' || c == 0)
            return;
        if ((c & 0xC0) != 0x80)
            units += c >= 0xF0 ? 2 : 1;
    }
    for (const char* mark : { "\xC2\xA0", "\xE2\x80\xA8", "\xE2\x80\xA9", "\xEF\xB7\x90", "\xEF\xB7\x91" })
        if (text->find(mark) != std::string::npos)
            return;
    if (units != static_cast<std::size_t>(memo_.TextUnits()))
        return;
    sync_ = { true, units, text->size(), units, text->size() };
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
        if (b->set_Loaded(true)) {
            const std::string text = b->BufferAsString();
            show(text);
            syncTo(text);
        } else {
            show(QelNotLoadedText);
        }
        ApplyLoadedColor();
    } else if (TQelField* f = link_.Field()) {
        const std::string text = f->AsString();
        show(text);
        syncTo(text);
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

std::size_t TQelMemoText::byteOf(const std::string& text, std::size_t units) const
{
    // Start from the nearest of the text's start, the last change's end and the text's end.
    std::size_t u = 0, b = 0;
    const auto distance = [units](std::size_t from) { return from > units ? from - units : units - from; };
    if (distance(sync_.markUnits) < distance(u)) {
        u = sync_.markUnits;
        b = sync_.markBytes;
    }
    if (distance(sync_.units) < distance(u)) {
        u = sync_.units;
        b = text.size();
    }
    walkForward(text, b, u, units);
    const auto lead = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    while (u > units && b > 0) {
        do
            --b;
        while (b > 0 && (lead(b) & 0xC0) == 0x80);
        u -= lead(b) >= 0xF0 ? 2 : 1;
    }
    return u == units && b <= text.size() ? b : std::string::npos;
}

bool TQelMemoText::placeEdit()
{
    edit_ = {};
    const TCustomMemo::TTextChange& c = memo_.LastChange();
    const std::string* text = fieldText();
    if (!sync_.on || !c.known || !text || text->size() != sync_.bytes || c.position < 0 || c.removed < 0
        || c.added < 0)
        return false;
    const auto pos = static_cast<std::size_t>(c.position);
    auto removed = static_cast<std::size_t>(c.removed);
    auto added = static_cast<std::size_t>(c.added);
    // The document may count its final paragraph mark as removed and added again.
    if (pos > sync_.units)
        return false;
    if (pos + removed > sync_.units) {
        const std::size_t beyond = pos + removed - sync_.units;
        if (beyond > added)
            return false;
        removed -= beyond;
        added -= beyond;
    }
    const auto units = static_cast<std::size_t>(memo_.TextUnits());
    // The placeholder typed as the whole text is looked at whole (it is never written).
    if (sync_.units - removed + added != units || (BlobField() && units == std::strlen(QelNotLoadedText)))
        return false;
    const std::size_t at = byteOf(*text, pos);
    if (at == std::string::npos)
        return false;
    // The removed units are counted from the change's start.
    std::size_t end = at, u = 0;
    walkForward(*text, end, u, removed);
    if (u != removed || end > text->size())
        return false;
    std::string with;
    if (!memo_.TextRange(static_cast<int>(pos), static_cast<int>(added), with))
        return false;
    edit_ = { true, at, end - at, std::move(with), units, pos + added };
    return true;
}

void TQelMemoText::Changed()
{
    if (link_.Showing() || reloading_ || !link_.Field())
        return;
    TQelBlobField* b = BlobField();
    if (b && !b->Loaded())
        return; // nothing is written over a text that was never read
    // A text beyond the field's length is written as well: the count label says how much is too
    // much, and the commit refuses it with the field's message. Nothing typed disappears.
    if (placeEdit()) {
        link_.Write();
        edit_ = {};
        current_.clear();
    } else {
        current_ = memo_.Text();
        if (b && current_ == QelNotLoadedText) {
            current_.clear();
            return;
        }
        if (!holds(current_))
            link_.Write();
        syncTo(current_);
        current_.clear();
    }
    link_.Edited();
}

void TQelMemoText::Write()
{
    TQelField* f = link_.Field();
    if (edit_.on && f) {
        if (f->ReplaceText(edit_.at, edit_.count, edit_.with)) {
            sync_.units = edit_.units;
            sync_.bytes = sync_.bytes - edit_.count + edit_.with.size();
            sync_.markUnits = edit_.markUnits;
            sync_.markBytes = edit_.at + edit_.with.size();
            return;
        }
        // The field would not take the change in place: the whole text, as the memo shows it.
        sync_ = {};
        current_ = memo_.Text();
    }
    if (TQelBlobField* b = BlobField())
        b->set_BufferAsString(current_);
    else if (f)
        f->set_AsString(current_);
}

void TQelMemoText::Refresh()
{
    if (!link_.Field())
        return;
    TQelBlobField* b = BlobField();
    if (b && !b->Loaded()) {
        Reload();
    } else {
        const std::string shown = memo_.Text();
        if (!holds(shown))
            Reload();
        else if (!sync_.on)
            syncTo(shown);
    }
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
