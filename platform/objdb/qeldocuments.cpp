#include "objdb/qeldocuments.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelstorage.h"
#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"
#include "objdb/qelvector.h"

#include <algorithm>
#include <ctime>
#include <set>
#include <sys/stat.h>

namespace {

TQelField* field(const TQelFieldList* fl, const char* name)
{
    return fl ? fl->FieldByName(name) : nullptr;
}

std::string text(const TQelFieldList* fl, const char* name)
{
    TQelField* f = field(fl, name);
    return f ? f->AsString() : std::string();
}

void setText(const TQelFieldList* fl, const char* name, const std::string& v)
{
    if (TQelField* f = field(fl, name))
        f->set_AsString(v);
}

// Texts that come from outside (file names, typed categories) are cut to their field's length
// in characters, so that the document can always be stored.
void setFitted(const TQelFieldList* fl, const char* name, const std::string& v)
{
    TQelField* f = field(fl, name);
    if (!f)
        return;
    std::string t = Utf8Sanitize(v);
    const int max = f->MaxLength();
    if (max > 0 && Utf8Length(t) > static_cast<std::size_t>(max))
        t = Utf8Substr(t, 0, static_cast<std::size_t>(max));
    f->set_AsString(t);
}

double dateTime(const TQelFieldList* fl, const char* name)
{
    auto* f = dynamic_cast<TQelDateTimeField*>(field(fl, name));
    return f ? f->AsDateTime() : 0.0;
}

void setDateTime(const TQelFieldList* fl, const char* name, double v)
{
    if (auto* f = dynamic_cast<TQelDateTimeField*>(field(fl, name)))
        f->set_AsDateTime(v);
}

// Local time of a file's modification, as days since 1899-12-30.
double fileDate(const std::string& path)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0)
        return 0.0;
    std::tm tm {};
    localtime_r(&st.st_mtime, &tm);
    const double local = static_cast<double>(st.st_mtime + tm.tm_gmtoff);
    return local / 86400.0 + 25569.0;
}

} // namespace

// --- assignments -------------------------------------------------------------------------------

TQelFieldList* TQelZuordnung::FieldList() const
{
    return element_ ? element_->FieldList() : nullptr;
}

TQelDokument* TQelZuordnung::Dokument() const
{
    return element_ ? QelAsDokument(element_->Object()) : nullptr;
}

TQelObjectKey TQelZuordnung::ObjectKey() const
{
    auto* f = dynamic_cast<TQelRefField*>(field(FieldList(), "Objekt"));
    return f ? f->AsKey() : TQelObjectKey();
}

std::string TQelZuordnung::Art() const
{
    return text(FieldList(), "Art");
}

void TQelZuordnung::set_Art(const std::string& v)
{
    setText(FieldList(), "Art", v);
}

bool TQelZuordnung::ArtNull() const
{
    TQelField* f = field(FieldList(), "Art");
    return !f || f->Null();
}

std::string TQelZuordnung::Kategorie() const
{
    return text(FieldList(), "Kategorie");
}

int TQelZuordnung::KategorieMaxLength() const
{
    TQelField* f = field(FieldList(), "Kategorie");
    return f ? f->MaxLength() : 0;
}

void TQelZuordnung::set_Kategorie(const std::string& v)
{
    setFitted(FieldList(), "Kategorie", Trim(v));
}

bool TQelZuordnung::AutoDelete() const
{
    TQelField* f = field(FieldList(), "AutoDelete");
    return f && f->AsBool();
}

void TQelZuordnung::set_AutoDelete(bool v)
{
    if (TQelField* f = field(FieldList(), "AutoDelete"))
        f->set_AsBool(v);
}

bool TQelZuordnung::Touched() const
{
    return element_ && element_->Touched();
}

// --- documents ---------------------------------------------------------------------------------

TQelFileField* TQelDokument::Blob() const
{
    return dynamic_cast<TQelFileField*>(FieldByName("Inhalt"));
}

std::string TQelDokument::DocName() const
{
    return text(FieldList(), "Name");
}

void TQelDokument::set_DocName(const std::string& v)
{
    setFitted(FieldList(), "Name", v);
}

double TQelDokument::Zeitstempel() const
{
    return dateTime(FieldList(), "Zeitstempel");
}

void TQelDokument::set_Zeitstempel(double v)
{
    setDateTime(FieldList(), "Zeitstempel", v);
}

std::string TQelDokument::Bemerkung() const
{
    return text(FieldList(), "Bemerkung");
}

void TQelDokument::set_Bemerkung(const std::string& v)
{
    setText(FieldList(), "Bemerkung", v);
}

double TQelDokument::Dateidatum() const
{
    return dateTime(FieldList(), "Dateidatum");
}

void TQelDokument::set_Dateidatum(double v)
{
    setDateTime(FieldList(), "Dateidatum", v);
}

std::string TQelDokument::DataFormat() const
{
    return text(FieldList(), "Format");
}

void TQelDokument::set_DataFormat(const std::string& v)
{
    setFitted(FieldList(), "Format", AnsiLowerCase(v));
}

std::string TQelDokument::FileExtension() const
{
    const std::string f = DataFormat();
    return f.empty() ? std::string() : "." + f;
}

std::string TQelDokument::FriendlyDataFormat() const
{
    static const std::pair<const char*, const char*> known[] = { { "txt", "Textdatei" },
        { "pdf", "PDF-Dokument" }, { "doc", "Word-Dokument" }, { "docx", "Word-Dokument" },
        { "odt", "OpenDocument-Text" }, { "xls", "Excel-Tabelle" }, { "xlsx", "Excel-Tabelle" },
        { "ods", "OpenDocument-Tabelle" }, { "csv", "CSV-Datei" }, { "html", "HTML-Dokument" },
        { "htm", "HTML-Dokument" }, { "rtf", "RTF-Dokument" }, { "png", "PNG-Bild" }, { "jpg", "JPEG-Bild" },
        { "jpeg", "JPEG-Bild" }, { "gif", "GIF-Bild" }, { "svg", "SVG-Grafik" }, { "zip", "ZIP-Archiv" },
        { "xml", "XML-Datei" }, { "eml", "E-Mail" }, { "msg", "E-Mail" } };
    const std::string f = DataFormat();
    if (f.empty())
        return "Datei";
    for (auto [ext, name] : known)
        if (f == ext)
            return name;
    return AnsiUpperCase(f) + "-Datei";
}

int TQelDokument::DefaultOpenAction() const
{
    TQelField* f = FieldByName("Standardaktion");
    return f && !f->Null() ? static_cast<int>(f->AsInteger()) : 1;
}

void TQelDokument::set_DefaultOpenAction(int v)
{
    if (TQelField* f = FieldByName("Standardaktion"))
        f->set_AsInteger(v);
}

bool TQelDokument::AutoDelete() const
{
    const auto all = GetZuordnungen();
    return std::any_of(all.begin(), all.end(), [](const TQelZuordnung& z) { return z.AutoDelete(); });
}

bool TQelDokument::Import(const std::string& path)
{
    TQelFileField* blob = Blob();
    if (!blob) {
        errorMessage_ = "Das Dokument hat kein Inhaltsfeld.";
        return false;
    }
    if (!blob->Import(path)) {
        errorMessage_ = blob->ErrorMessage();
        return false;
    }
    errorMessage_.clear();
    const std::string name = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = name.rfind('.');
    set_DataFormat(dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot + 1));
    set_Dateidatum(fileDate(path));
    return true;
}

TQelVector* TQelDokument::zuordnungen() const
{
    return FieldList()->VectorByName("Zuordnungen");
}

std::vector<TQelZuordnung> TQelDokument::GetZuordnungen() const
{
    std::vector<TQelZuordnung> out;
    if (TQelVector* v = zuordnungen())
        for (int i = 1; i <= v->Count(); ++i)
            out.emplace_back(v->Item(i));
    return out;
}

TQelZuordnung TQelDokument::FindZuordnung(TQelObjectKey obj) const
{
    for (const TQelZuordnung& z : GetZuordnungen())
        if (z.ObjectKey() == obj)
            return z;
    return {};
}

TQelZuordnung TQelDokument::AddZuordnung(TQelObjectKey obj)
{
    if (TQelZuordnung z = FindZuordnung(obj))
        return z;
    TQelVector* v = zuordnungen();
    TQelSubObject* e = v ? v->NewItem() : nullptr;
    if (!e)
        return {};
    if (auto* ref = dynamic_cast<TQelRefField*>(e->FieldList()->FieldByName("Objekt")))
        ref->set_AsKey(obj);
    return TQelZuordnung(e);
}

bool TQelDokument::RemoveZuordnung(TQelObjectKey obj)
{
    TQelVector* v = zuordnungen();
    bool removed = false;
    for (int i = v ? v->Count() : 0; i >= 1; --i)
        if (TQelZuordnung(v->Item(i)).ObjectKey() == obj)
            removed = v->Delete(i) || removed;
    return removed;
}

void TQelDokument::set_Trigger(TQelObject* obj)
{
    if (TQelDatabase* db = Database())
        db->SetCommitOwner(Key(), obj ? obj->Key() : TQelObjectKey());
}

TQelObjectKey TQelDokument::Trigger() const
{
    TQelDatabase* db = Database();
    return db ? db->CommitOwner(Key()) : TQelObjectKey();
}

bool TQelDokument::SameCategory(const std::string& a, const std::string& b)
{
    return TextFold(Trim(a)) == TextFold(Trim(b));
}

std::vector<TQelDokument*> TQelDokument::ListDocuments(
    TQelDatabase* db, TQelObjectKey obj, TQelClassKey exclude, const std::string& category, bool withCategory)
{
    std::vector<TQelDokument*> out;
    if (!db || !db->Initialized() || !obj.Valid())
        return out;
    const TQelKlasse* z = db->Klasse(TQelClassKey(qelcls::Zuordnung));
    const TQelKlasse* d = db->Klasse(TQelClassKey(qelcls::Dokument));
    const TQelFelddefinition* objDef = z ? z->FindFelddefinition("Objekt") : nullptr;
    if (!z || !d || !objDef)
        return out;
    std::set<int> keys;
    {
        TQelStmt st = db->Storage().Prepare("SELECT DISTINCT Z.K FROM " + QelQuoteName(z->table)
            + " Z JOIN OBJEKT O ON O.K = Z.K WHERE Z." + QelQuoteName(objDef->column)
            + " = ? AND O.GELOESCHT = 0");
        st.Bind(1, std::int64_t(obj.Id()));
        while (st.Step())
            keys.insert(static_cast<int>(st.Int(0)));
    }
    for (TQelObject* o : db->CachedObjects())
        if (QelAsDokument(o))
            keys.insert(o->Key().Id());
    for (int k : keys) {
        TQelObject* o = db->CachedObject(TQelObjectKey(k));
        if (!o)
            o = db->GetObjectA(TQelObjectKey(k));
        TQelDokument* doc = QelAsDokument(o);
        if (!doc || doc->Deleted())
            continue;
        if (exclude.Valid() && doc->ClassKey().IsA(exclude))
            continue;
        bool fits = false;
        for (const TQelZuordnung& a : doc->GetZuordnungen())
            if (a.ObjectKey() == obj && (!withCategory || SameCategory(a.Kategorie(), category)))
                fits = true;
        if (fits)
            out.push_back(doc);
    }
    return out;
}

std::vector<TQelZuordnung> TQelDokument::GetZuordnungen(TQelDatabase* db, TQelObjectKey obj)
{
    std::vector<TQelZuordnung> out;
    for (TQelDokument* doc : ListDocuments(db, obj))
        for (const TQelZuordnung& a : doc->GetZuordnungen())
            if (a.ObjectKey() == obj)
                out.push_back(a);
    return out;
}

std::vector<std::string> TQelDokument::AllePfade(TQelDatabase* db, TQelObjectKey obj)
{
    std::vector<std::string> out;
    for (const TQelZuordnung& a : GetZuordnungen(db, obj)) {
        const std::string c = a.Kategorie();
        if (!c.empty() && std::find(out.begin(), out.end(), c) == out.end())
            out.push_back(c);
    }
    return out;
}
