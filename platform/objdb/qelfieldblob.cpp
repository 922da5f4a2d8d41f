// Blob fields: long contents read from the store only when asked for.
#include "objdb/qeldatabase.h"
#include "objdb/qelfield.h"
#include "objdb/qelobject.h"
#include "objdb/qelstorage.h"
#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"

#include <cctype>

bool TQelBlobField::ensureLoaded() const
{
    if (loaded_)
        return true;
    return const_cast<TQelBlobField*>(this)->set_Loaded(true);
}

bool TQelBlobField::set_Loaded(bool v)
{
    if (!v) {
        if (!Touched())
            Unload();
        return loaded_;
    }
    if (loaded_)
        return true;
    if (!db_ || !db_->Initialized()) {
        errorMessage_ = "Keine Datenbank zum Laden des Feldes '" + Name() + "'";
        return false;
    }
    TQelValue val;
    std::string err;
    if (!db_->Storage().LoadBlob(this, val, err)) {
        errorMessage_ = "Feld '" + Name() + "' kann nicht geladen werden: " + err;
        return false;
    }
    errorMessage_.clear();
    value_ = stored_ = normalize(val);
    loaded_ = true;
    Notify(WM_ODB_BLOBLOADED);
    return true;
}

std::string TQelBlobField::BufferAsString() const
{
    ensureLoaded();
    return TQelField::AsString();
}

void TQelBlobField::set_BufferAsString(const std::string& text)
{
    set_AsString(text);
}

void TQelBlobField::prepareWrite()
{
    if (loaded_ || set_Loaded(true))
        return;
    // The stored buffer cannot be read; the write replaces it whole and must reach the store.
    loaded_ = true;
    value_ = stored_ = std::monostate {};
    syntaxError_ = false;
    rawText_.clear();
    unknownStored_ = true;
}

bool TQelBlobField::ReloadBlob()
{
    Unload();
    return set_Loaded(true);
}

std::string TQelBlobField::AsString() const
{
    return BufferAsString();
}

bool TQelBlobField::Null() const
{
    ensureLoaded();
    return TQelField::Null();
}

bool TQelBlobField::Touched() const
{
    return loaded_ && (unknownStored_ || TQelField::Touched());
}

void TQelBlobField::ApplyDefault()
{
    loaded_ = true;
    TQelField::ApplyDefault();
}

void TQelBlobField::Revert()
{
    if (unknownStored_)
        Unload(); // read again when next asked for
    else if (loaded_)
        TQelField::Revert();
}

void TQelBlobField::LoadStored(const TQelValue& v)
{
    loaded_ = true;
    unknownStored_ = false;
    TQelField::LoadStored(v);
}

void TQelBlobField::AcceptStored()
{
    if (!loaded_)
        return;
    TQelField::AcceptStored();
    if (!syntaxError_)
        unknownStored_ = false;
}

void TQelBlobField::Unload()
{
    loaded_ = false;
    unknownStored_ = false;
    value_ = stored_ = std::monostate {};
    syntaxError_ = false;
    rawText_.clear();
}

std::size_t TQelBlobField::DataLength() const
{
    const std::string* s = std::get_if<std::string>(&value_);
    return loaded_ && s ? s->size() : 0;
}

bool TQelBlobField::parse(const std::string& text, TQelValue& out) const
{
    if (text.empty())
        out = std::monostate {};
    else
        out = text;
    return true;
}

// --- formatted text ---------------------------------------------------------------------------

namespace {

std::string textToHtml(const std::string& text)
{
    std::string out;
    std::vector<std::string> lines = SplitString(text, "\n");
    if (lines.size() > 1 && lines.back().empty())
        lines.pop_back(); // the break after the last line ends it and starts no empty one
    for (const std::string& line : lines) {
        std::string l = line;
        if (!l.empty() && l.back() == '\r')
            l.pop_back();
        out += "<p>" + HtmlEscape(l) + "</p>\n";
    }
    return out;
}

std::string htmlToText(const std::string& html)
{
    std::string out;
    for (std::size_t i = 0; i < html.size();) {
        if (html[i] == '<') {
            std::size_t end = html.find('>', i);
            if (end == std::string::npos)
                break;
            std::string tag = html.substr(i + 1, end - i - 1);
            for (char& c : tag)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (tag == "br" || tag == "br/" || tag == "br /" || tag == "/p" || tag == "/div")
                out += '\n';
            i = end + 1;
            // Style sheets, scripts and the title are no text of the document.
            const std::string name = tag.substr(0, tag.find_first_of(" \t\r\n/"));
            if (name == "style" || name == "script" || name == "title") {
                std::string lower = html.substr(i);
                for (char& c : lower)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                const std::size_t close = lower.find("</" + name);
                i = close == std::string::npos ? html.size() : i + close;
            }
        } else if (html[i] == '&') {
            static const std::pair<const char*, const char*> ents[] = { { "&amp;", "&" }, { "&lt;", "<" },
                { "&gt;", ">" }, { "&quot;", "\"" }, { "&nbsp;", " " }, { "&#39;", "'" } };
            bool done = false;
            for (auto [e, r] : ents)
                if (html.compare(i, std::char_traits<char>::length(e), e) == 0) {
                    out += r;
                    i += std::char_traits<char>::length(e);
                    done = true;
                    break;
                }
            if (!done)
                out += html[i++];
        } else if (html[i] == '\n' || html[i] == '\r') {
            ++i;
        } else {
            out += html[i++];
        }
    }
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

std::string textToRtf(const std::string& text)
{
    std::string out = "{\\rtf1\\ansi ";
    for (char c : text) {
        if (c == '\\' || c == '{' || c == '}')
            out += std::string("\\") + c;
        else if (c == '\n')
            out += "\\par ";
        else
            out += c;
    }
    return out + "}";
}

// Plain text of simple RTF: groups starting with "\*" and control words are dropped, \par breaks lines.
std::string rtfToText(const std::string& rtf)
{
    std::string out;
    int skipDepth = 0, depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        char c = rtf[i];
        if (c == '{') {
            ++depth;
            if (rtf.compare(i + 1, 2, "\\*") == 0 && !skipDepth)
                skipDepth = depth;
        } else if (c == '}') {
            if (skipDepth == depth)
                skipDepth = 0;
            --depth;
        } else if (c == '\\' && i + 1 < rtf.size()) {
            char n = rtf[i + 1];
            if (n == '\\' || n == '{' || n == '}') {
                if (!skipDepth)
                    out += n;
                ++i;
                continue;
            }
            std::size_t j = i + 1;
            while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j])))
                ++j;
            std::string word = rtf.substr(i + 1, j - i - 1);
            while (j < rtf.size() && (std::isdigit(static_cast<unsigned char>(rtf[j])) || rtf[j] == '-'))
                ++j;
            if (j < rtf.size() && rtf[j] == ' ')
                ++j;
            if (!skipDepth && (word == "par" || word == "line"))
                out += '\n';
            i = j - 1;
        } else if (!skipDepth && c != '\r' && c != '\n') {
            out += c;
        }
    }
    return out;
}

} // namespace

std::string TQelERVTextField::GetNamedProp(const std::string& key) const
{
    const std::string html = BufferAsString();
    if (key == "HTML")
        return html;
    if (key == "TXT")
        return htmlToText(html);
    if (key == "RTF")
        return textToRtf(htmlToText(html));
    return {};
}

bool TQelERVTextField::SetNamedProp(const std::string& key, const std::string& text)
{
    std::string add;
    bool append = key.rfind("ADD", 0) == 0;
    const std::string kind = append ? key.substr(3) : key;
    if (kind == "HTML")
        add = text;
    else if (kind == "TXT")
        add = textToHtml(text);
    else if (kind == "RTF")
        add = textToHtml(rtfToText(text));
    else
        return false;
    // Appending needs the stored buffer; replacing does not.
    if (append && !set_Loaded(true))
        return false;
    set_BufferAsString(append ? BufferAsString() + add : add);
    return true;
}

bool TQelERVTextField::export_xmldata(TErvTypFormatierbarerText& out) const
{
    if (!const_cast<TQelERVTextField*>(this)->set_Loaded(true))
        return false;
    out.html = BufferAsString();
    return true;
}

bool TQelERVTextField::import_xmldata(const TErvTypFormatierbarerText& in)
{
    if (in.html.find('\0') != std::string::npos) {
        errorMessage_ = "Feld '" + Name() + "': der formatierte Text enthält ein Nullzeichen";
        return false;
    }
    if (in.html == BufferAsString())
        return true; // unchanged: no touch
    set_BufferAsString(in.html);
    return true;
}
