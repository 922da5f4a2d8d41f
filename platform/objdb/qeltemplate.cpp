#include "objdb/qeltemplate.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelfield.h"
#include "objdb/qelfiles.h"
#include "objdb/qelobject.h"
#include "objdb/qelsql.h"
#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A placeholder name is at most this long; a longer "<..." is ordinary text.
constexpr std::size_t kMaxPlaceholder = 200;

void appendEscaped(std::string& out, const std::string& value, bool html)
{
    if (!html) {
        out += value;
        return;
    }
    const TQelStringList lines = SplitString(value, "\n");
    for (std::size_t i = 0; i < lines.size(); ++i)
        out += (i ? "<br>" : "") + HtmlEscape(lines[i]);
}

bool placeholderChar(char c)
{
    // Letters (umlauts are bytes >= 0x80), digits and the signs of paths; no blanks or quotes.
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || std::isalnum(u) || c == '_' || c == '.' || c == '[' || c == ']';
}

} // namespace

std::string QelRenderTemplate(const std::string& text, TQelObject* obj, bool html)
{
    std::string out;
    out.reserve(text.size());
    TQelFieldList* fl = obj ? obj->FieldList() : nullptr;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c != '<') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '<') {
            out += '<';
            i += 2;
            continue;
        }
        std::size_t end = i + 1;
        while (end < text.size() && end - i <= kMaxPlaceholder && placeholderChar(text[end]))
            ++end;
        const std::string name = text.substr(i + 1, end - i - 1);
        if (end < text.size() && text[end] == '>' && !name.empty() && fl) {
            if (TQelField* f = fl->FindField(name)) {
                appendEscaped(out, f->AsString(), html);
                i = end + 1;
                continue;
            }
            // A field of the class that the object does not have (an element that is missing).
            if (fl->PathResolvable(name, TQelObjectInterface::oiField)) {
                i = end + 1;
                continue;
            }
        }
        out += c;
        ++i;
    }
    return out;
}

TQelObjectKey TQelRTFVorlage::Create(TQelDatabase* db, const std::string& name, TQelClassKey cls,
    const std::string& kind, const std::string& text, std::string& error)
{
    TQelObject* t = db ? db->CreateObject(TQelClassKey(ClassId)) : nullptr;
    if (!t) {
        error = "Vorlagen sind in dieser Datenbank nicht verfügbar.";
        return {};
    }
    t->FieldByName("Bezeichnung")->set_AsString(name);
    t->FieldByName("Klasse")->set_AsInteger(cls.Id());
    t->FieldByName("Art")->set_AsString(kind);
    t->FieldByName("Inhalt")->set_AsString(text);
    if (!t->Commit()) {
        error = t->ErrorMessage();
        db->FreeObject(t);
        return {};
    }
    return t->Key();
}

std::vector<TQelRTFVorlage> TQelRTFVorlage::FindeVorlagen(TQelDatabase* db, TQelClassKey cls)
{
    std::vector<TQelRTFVorlage> out;
    const TQelKlasse* k = db && db->Initialized() ? db->Klasse(cls) : nullptr;
    auto engine = k ? db->CreateSQLEngine() : nullptr;
    if (!engine)
        return out;
    auto q = engine->ListEx(TQelClassKey(ClassId), lfNotDeleted, "", "Bezeichnung,Klasse");
    if (!q->TryOpen())
        return out;
    std::vector<std::pair<std::string, TQelObjectKey>> found;
    for (; !q->Eof(); q->Next()) {
        const TQelKlasse* of = db->Klasse(TQelClassKey(static_cast<int>(q->AsInteger(2))));
        if (of && (k->IsA(of->id) || of->IsA(k->id)))
            found.emplace_back(q->AsString(1), TQelObjectKey(static_cast<int>(q->AsInteger(0))));
    }
    std::stable_sort(found.begin(), found.end(),
        [](const auto& a, const auto& b) { return AnsiCompareText(a.first, b.first) < 0; });
    for (const auto& [name, key] : found)
        out.emplace_back(db, key);
    return out;
}

TQelObject* TQelRTFVorlage::object() const
{
    return db_ ? db_->GetObjectA(key_) : nullptr;
}

std::string TQelRTFVorlage::field(const char* name) const
{
    TQelObject* t = object();
    TQelField* f = t ? t->FieldByName(name) : nullptr;
    return f ? f->AsString() : std::string();
}

std::string TQelRTFVorlage::Name() const
{
    return field("Bezeichnung");
}

TQelClassKey TQelRTFVorlage::ClassType() const
{
    TQelObject* t = object();
    return t ? TQelClassKey(static_cast<int>(t->FieldByName("Klasse")->AsInteger())) : TQelClassKey();
}

std::string TQelRTFVorlage::Kind() const
{
    return AnsiLowerCase(Trim(field("Art"))) == "html" ? "html" : "txt";
}

std::string TQelRTFVorlage::Text() const
{
    return field("Inhalt");
}

std::string TQelRTFVorlage::Render(TQelObject* obj) const
{
    return QelRenderTemplate(Text(), obj, Kind() == "html");
}

bool TQelRTFVorlage::write(const std::string& path, const std::string& text)
{
    return QelWriteNewFile(path, text, error_);
}

bool TQelRTFVorlage::Export(TQelObject* obj, const std::string& folder, std::string* written)
{
    error_.clear();
    if (!obj) {
        error_ = "Kein Objekt zum Exportieren.";
        return false;
    }
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) {
        error_ = "Das Verzeichnis \"" + folder + "\" gibt es nicht.";
        return false;
    }
    // The object's name becomes the file name: one file inside the folder, short enough for it.
    const std::string base = QelSafeFileName(obj->Name(), "Objekt " + obj->Key().ToString());
    const std::string ext = "." + Extension();
    fs::path path = fs::path(folder) / (base + ext);
    for (int n = 2; fs::exists(fs::symlink_status(path, ec)); ++n)
        path = fs::path(folder) / (base + " (" + std::to_string(n) + ")" + ext);
    if (!write(path.string(), Render(obj)))
        return false;
    if (written)
        *written = path.string();
    return true;
}

bool TQelRTFVorlage::Execute(
    TQelObject* obj, const std::string& verb, const std::string& further, const TOpener& open)
{
    error_.clear();
    if (!obj) {
        error_ = "Kein Objekt zum Anzeigen.";
        return false;
    }
    // A folder of its own for every preview: nobody else can put anything there.
    const std::string dir = QelFreshTempFolder(error_);
    if (dir.empty())
        return false;
    const fs::path path
        = fs::path(dir) / ("vorlage-" + key_.ToString() + "-" + obj->Key().ToString() + "." + Extension());
    std::string text = Render(obj);
    if (!further.empty())
        text += further;
    if (!write(path.string(), text))
        return false;
    if (open && !open(path.string(), verb)) {
        error_ = "Die Datei \"" + path.string() + "\" kann nicht geöffnet werden.";
        return false;
    }
    return true;
}
