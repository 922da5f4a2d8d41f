#include "objdb/qelschema.h"

#include "objdb/qelerror.h"
#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace {

struct Token {
    std::string key; // "" for a plain word
    std::string value; // the word, or the value of key=value
};

bool isIdentifier(const std::string& s)
{
    if (s.empty() || !(std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_'))
        return false;
    return std::all_of(
        s.begin(), s.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

// Column names the store uses itself.
bool reservedName(const std::string& s)
{
    static const std::set<std::string> words = { "K", "EK", "V", "P", "NR", "KLASSE", "GELOESCHT", "ERSTELLT",
        "GEAENDERT", "OBJEKT", "O_EXT", "QEL_K", "QEL_P" };
    return words.count(AsciiUpper(s)) > 0;
}

// A word of SQLite's SQL (any case): as a bare name it would change or break statements that
// conditions write without quotes.
bool sqlKeyword(const std::string& s)
{
    return !s.empty() && s.size() < 64 && sqlite3_keyword_check(s.data(), static_cast<int>(s.size())) != 0;
}

// Table names of the store's own tables.
bool reservedTable(const std::string& s)
{
    const std::string u = AsciiUpper(s);
    return u == "OBJEKT" || u == "O_EXT"
        || (u.rfind("QEL_", 0) == 0 && u != "QEL_NAMEWERT" && u != "QEL_EINSTELLUNGEN")
        || u.rfind("SQLITE_", 0) == 0;
}

// SQL-safe identifier from a display name: umlauts transcribed, everything else not alphanumeric
// becomes "_".
std::string sqlName(const std::string& name)
{
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c == 0xC3 && i + 1 < name.size()) {
            switch (static_cast<unsigned char>(name[i + 1])) {
            case 0xA4:
                out += "ae";
                ++i;
                continue;
            case 0xB6:
                out += "oe";
                ++i;
                continue;
            case 0xBC:
                out += "ue";
                ++i;
                continue;
            case 0x84:
                out += "Ae";
                ++i;
                continue;
            case 0x96:
                out += "Oe";
                ++i;
                continue;
            case 0x9C:
                out += "Ue";
                ++i;
                continue;
            case 0x9F:
                out += "ss";
                ++i;
                continue;
            default:
                break;
            }
        }
        out += (std::isalnum(c) && c < 0x80) ? static_cast<char>(c) : '_';
    }
    if (out.empty() || std::isdigit(static_cast<unsigned char>(out[0])))
        out.insert(0, "_");
    return out;
}

} // namespace

std::string QelSqlName(const std::string& name)
{
    return sqlName(name);
}

std::string QelQuoteName(const std::string& name)
{
    std::string out = "\"";
    for (char c : name)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

int TQelFeldtyp::Urtyp() const
{
    const TQelFeldtyp* t = this;
    while (t->parent)
        t = t->parent;
    return t->id;
}

bool TQelFeldtyp::IsA(int typeId) const
{
    for (const TQelFeldtyp* t = this; t; t = t->parent)
        if (t->id == typeId)
            return true;
    return false;
}

std::vector<std::string> TQelFelddefinition::DomainTexts() const
{
    std::vector<std::string> out;
    for (const auto& e : Domain())
        out.push_back(e.text);
    return out;
}

int TQelFelddefinition::Decimals() const
{
    for (const TQelFeldtyp* t = type; t; t = t->parent)
        if (t->decimals >= 0)
            return t->decimals;
    return 2;
}

bool TQelFelddefinition::IsBlob() const
{
    return type->Urtyp() == 3015;
}

TQelClassKey TQelVektordefinition::ClassType() const
{
    return TQelClassKey(elementClass->id);
}

bool TQelKlasse::IsA(int classId) const
{
    for (const TQelKlasse* k = this; k; k = k->parent)
        if (k->id == classId)
            return true;
    return false;
}

const std::string& TQelKlasse::NameFormat() const
{
    for (const TQelKlasse* k = this; k; k = k->parent)
        if (!k->nameFormat.empty())
            return k->nameFormat;
    return nameFormat;
}

const TQelFelddefinition* TQelKlasse::FindFelddefinition(const std::string& n) const
{
    for (const auto* f : allFields)
        if (f->name == n)
            return f;
    for (const auto* f : allFields)
        if (AsciiUpper(f->name) == AsciiUpper(n))
            return f;
    return nullptr;
}

const TQelVektordefinition* TQelKlasse::FindVektordefinition(const std::string& n) const
{
    for (const auto* v : allVectors)
        if (v->name == n)
            return v;
    for (const auto* v : allVectors)
        if (AsciiUpper(v->name) == AsciiUpper(n))
            return v;
    return nullptr;
}

std::vector<std::string> TQelKlasse::DefinedFlags() const
{
    std::vector<std::string> out = parent ? parent->DefinedFlags() : std::vector<std::string>();
    out.insert(out.end(), ownFlags.begin(), ownFlags.end());
    return out;
}

int TQelKlasse::CategoryIndex() const
{
    for (const TQelKlasse* k = this; k; k = k->parent) {
        if (k->category.empty())
            continue;
        for (int i = 0; i < static_cast<int>(std::size(QelClassCategories)); ++i)
            if (AnsiSameText(k->category, QelClassCategories[i]))
                return i;
        return 2;
    }
    return 0;
}

const TQelFelddefinition* TQelKlasse::FindReferenceDefinition(TQelClassKey target) const
{
    const TQelKlasse* t = schema ? schema->Class(target.Id()) : nullptr;
    for (const auto* f : allFields) {
        if (!f->refClass.Valid())
            continue;
        if (f->refClass == target || (t && t->IsA(f->refClass.Id())))
            return f;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------

class TQelSchemaParser {
public:
    TQelSchemaParser(TQelSchema& s, std::string file)
        : s_(s)
        , file_(std::move(file))
    {
    }

    void parse(const std::string& text)
    {
        std::istringstream in(text);
        std::string line;
        line_ = 0;
        while (std::getline(in, line)) {
            ++line_;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::vector<Token> t = tokenize(line);
            if (t.empty())
                continue;
            const std::string kw = t[0].key.empty() ? t[0].value : "";
            if (kw == "fieldtype")
                fieldType(t);
            else if (kw == "class")
                klass(t);
            else if (kw == "field")
                field(t);
            else if (kw == "vector" || kw == "subobject")
                vector(t, kw == "subobject");
            else if (kw == "end")
                end(t);
            else
                fail("unbekanntes Schlüsselwort '" + (kw.empty() ? t[0].key : kw) + "'");
        }
        if (open_) {
            line_ = open_->line;
            fail("Klasse '" + open_->name + "' wird nicht mit 'end' abgeschlossen");
        }
    }

    void finish()
    {
        line_ = 0;
        for (auto& [id, k] : s_.classes_)
            if (k->parent)
                const_cast<TQelKlasse*>(k->parent)->children.push_back(k.get());
        for (auto& [id, k] : s_.classes_) {
            line_ = k->line;
            if (k->abstract)
                continue;
            if (k->table.empty())
                fail("Klasse '" + k->name + "' braucht eine Tabelle (table=...)");
        }
    }

private:
    [[noreturn]] void fail(const std::string& problem) { throw TQelSchemaError(file_, line_, problem); }

    std::vector<Token> tokenize(const std::string& line)
    {
        std::vector<Token> out;
        std::size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
                ++i;
            if (i >= line.size() || line[i] == '#')
                break;
            Token tok;
            std::string cur;
            bool quoted = false;
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
                char c = line[i];
                if (c == '"') {
                    quoted = true;
                    ++i;
                    bool closed = false;
                    while (i < line.size()) {
                        char q = line[i++];
                        if (q == '\\' && i < line.size()) {
                            cur += line[i++];
                        } else if (q == '"') {
                            closed = true;
                            break;
                        } else {
                            cur += q;
                        }
                    }
                    if (!closed)
                        fail("Anführungszeichen nicht geschlossen");
                } else if (c == '=' && tok.key.empty() && !quoted && !cur.empty()) {
                    tok.key = cur;
                    cur.clear();
                    ++i;
                } else {
                    cur += c;
                    ++i;
                }
            }
            tok.value = cur;
            out.push_back(tok);
        }
        return out;
    }

    int number(const std::string& s, const std::string& what)
    {
        if (s.empty()
            || !std::all_of(
                s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })
            || s.size() > 9)
            fail(what + " muss eine Zahl sein, nicht '" + s + "'");
        return std::stoi(s);
    }

    const TQelFeldtyp* typeRef(const std::string& s)
    {
        const TQelFeldtyp* t = nullptr;
        if (!s.empty() && std::isdigit(static_cast<unsigned char>(s[0])))
            t = s_.FieldType(number(s, "Feldtyp"));
        else
            t = s_.FieldTypeByName(s);
        if (!t)
            fail("unbekannter Feldtyp '" + s + "'");
        return t;
    }

    const TQelKlasse* classRef(const std::string& s)
    {
        const TQelKlasse* k = nullptr;
        if (!s.empty() && std::isdigit(static_cast<unsigned char>(s[0])))
            k = s_.Class(number(s, "Klasse"));
        else
            k = s_.ClassByName(s);
        if (!k)
            fail("unbekannte Klasse '" + s + "'");
        return k;
    }

    std::vector<std::string> flagList(const std::string& text)
    {
        std::vector<std::string> out;
        std::size_t from = 0;
        while (from <= text.size()) {
            const std::size_t bar = std::min(text.find('|', from), text.size());
            std::string name = text.substr(from, bar - from);
            if (name.empty())
                fail("leerer Name in flags=\"" + text + "\"");
            out.push_back(std::move(name));
            from = bar + 1;
        }
        return out;
    }

    std::vector<TQelDomainEntry> domain(const std::string& text)
    {
        std::vector<TQelDomainEntry> out;
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t bar = text.find('|', start);
            std::string item = text.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
            TQelDomainEntry e;
            std::size_t eq = item.find('=');
            e.text = eq == std::string::npos ? item : item.substr(0, eq);
            e.abbr = eq == std::string::npos ? item : item.substr(eq + 1);
            if (e.text.empty())
                fail("leerer Eintrag im Wertebereich");
            for (const auto& o : out)
                if (o.text == e.text)
                    fail("doppelter Eintrag '" + e.text + "' im Wertebereich");
            out.push_back(e);
            if (bar == std::string::npos)
                break;
            start = bar + 1;
        }
        return out;
    }

    // noun=, gender=, plural=, genitive=: the German noun of a class or field type.
    bool nounAttribute(const Token& a, TQelNameInfo& info)
    {
        if (a.key == "noun")
            info.noun = a.value;
        else if (a.key == "plural")
            info.plural = a.value;
        else if (a.key == "genitive")
            info.genitive = a.value;
        else if (a.key == "gender") {
            if (a.value != "m" && a.value != "f" && a.value != "n")
                fail("gender muss m, f oder n sein, nicht '" + a.value + "'");
            info.gender = a.value[0];
        } else
            return false;
        return true;
    }

    void checkNoun(const TQelNameInfo& info)
    {
        if (info.noun.empty() && (!info.plural.empty() || !info.genitive.empty()))
            fail("plural= und genitive= brauchen noun=");
    }

    void checkFree(int id, const std::string& name)
    {
        if (id <= 0)
            fail("Kennung muss größer als 0 sein");
        if (s_.types_.count(id) || s_.classes_.count(id))
            fail("Kennung " + std::to_string(id) + " ist schon vergeben");
        if (s_.FieldTypeByName(name) || s_.ClassByName(name))
            fail("Name '" + name + "' ist schon vergeben");
    }

    void noClassOpen(const std::string& what)
    {
        if (open_)
            fail(what + " innerhalb der Klasse '" + open_->name + "' (fehlt 'end'?)");
    }

    void fieldType(const std::vector<Token>& t)
    {
        noClassOpen("Feldtyp");
        if (t.size() < 3 || !t[1].key.empty() || !t[2].key.empty())
            fail("erwartet: fieldtype <Kennung> <Name> [: <Basistyp>] [Attribute]");
        auto ft = std::make_unique<TQelFeldtyp>();
        ft->id = number(t[1].value, "Kennung");
        ft->name = t[2].value;
        ft->line = line_;
        checkFree(ft->id, ft->name);
        std::size_t i = 3;
        if (i < t.size() && t[i].key.empty() && t[i].value == ":") {
            if (i + 1 >= t.size())
                fail("Basistyp fehlt nach ':'");
            ft->parent = typeRef(t[i + 1].value);
            i += 2;
        }
        for (; i < t.size(); ++i) {
            const Token& a = t[i];
            if (a.key == "length")
                ft->length = number(a.value, "length");
            else if (a.key == "decimals")
                ft->decimals = number(a.value, "decimals");
            else if (a.key == "domain")
                ft->domain = domain(a.value);
            else if (a.key == "description")
                ft->description = a.value;
            else if (!nounAttribute(a, ft->nameInfo))
                fail("unbekanntes Attribut '" + (a.key.empty() ? a.value : a.key) + "' eines Feldtyps");
        }
        checkNoun(ft->nameInfo);
        if (!ft->parent && ft->id != 0 && builtinDone_)
            fail("Feldtyp '" + ft->name + "' braucht einen Basistyp (': <Typ>')");
        s_.types_[ft->id] = std::move(ft);
    }

    void klass(const std::vector<Token>& t)
    {
        noClassOpen("Klasse");
        if (t.size() < 3 || !t[1].key.empty() || !t[2].key.empty())
            fail("erwartet: class <Kennung> <Name> [: <Basisklasse>] [Attribute]");
        auto k = std::make_unique<TQelKlasse>();
        k->id = number(t[1].value, "Kennung");
        k->name = t[2].value;
        k->line = line_;
        k->schema = &s_;
        checkFree(k->id, k->name);
        std::size_t i = 3;
        if (i < t.size() && t[i].key.empty() && t[i].value == ":") {
            if (i + 1 >= t.size())
                fail("Basisklasse fehlt nach ':'");
            k->parent = classRef(t[i + 1].value);
            i += 2;
        }
        std::string table;
        for (; i < t.size(); ++i) {
            const Token& a = t[i];
            if (a.key == "table")
                table = a.value;
            else if (a.key == "category")
                k->category = a.value;
            else if (a.key == "format")
                k->nameFormat = a.value;
            else if (a.key == "description")
                k->description = a.value;
            else if (a.key == "flags")
                k->ownFlags = flagList(a.value);
            else if (a.key.empty() && a.value == "meta")
                k->meta = true;
            else if (a.key.empty() && a.value == "abstract")
                k->abstract = true;
            else if (!nounAttribute(a, k->nameInfo))
                fail("unbekanntes Attribut '" + (a.key.empty() ? a.value : a.key) + "' einer Klasse");
        }
        checkNoun(k->nameInfo);
        if (k->parent && k->parent->meta)
            k->meta = true;
        const std::string inherited = k->parent ? k->parent->table : "";
        if (!table.empty()) {
            if (!isIdentifier(table))
                fail("Tabellenname '" + table + "' ist kein SQL-Name (Buchstaben, Ziffern, _)");
            if (sqlKeyword(table))
                fail("Tabellenname '" + table + "' ist ein SQL-Schlüsselwort");
            if (builtinDone_ && reservedTable(table))
                fail("Tabellenname '" + table + "' ist der Datenbank vorbehalten");
            if (!inherited.empty() && AsciiUpper(inherited) != AsciiUpper(table))
                fail("abgeleitete Klasse '" + k->name + "' speichert in der Tabelle ihrer Basisklasse '"
                    + inherited + "', nicht in '" + table + "'");
            if (inherited.empty())
                for (const auto& [id, other] : s_.classes_)
                    if (AsciiUpper(other->table) == AsciiUpper(table))
                        fail("Tabelle '" + table + "' gehört schon der Klasse '" + other->name + "'");
            k->table = table;
        } else {
            k->table = inherited;
        }
        if (k->parent) {
            k->allFields = k->parent->allFields;
            k->allVectors = k->parent->allVectors;
        }
        open_ = k.get();
        s_.classes_[k->id] = std::move(k);
    }

    void needClass(const std::string& what)
    {
        if (!open_)
            fail(what + " außerhalb einer Klasse");
    }

    void checkMemberName(const std::string& name)
    {
        if (name.empty() || name.find_first_of(".[]<>,") != std::string::npos)
            fail("Name '" + name + "' enthält unzulässige Zeichen (. [ ] < > ,)");
        for (const auto* f : open_->allFields)
            if (AsciiUpper(f->name) == AsciiUpper(name))
                fail("Feld '" + name + "' gibt es in der Klasse '" + open_->name + "' schon");
        for (const auto* v : open_->allVectors)
            if (AsciiUpper(v->name) == AsciiUpper(name))
                fail("Vektor '" + name + "' gibt es in der Klasse '" + open_->name + "' schon");
    }

    void field(const std::vector<Token>& t)
    {
        needClass("Feld");
        if (t.size() < 3 || !t[1].key.empty() || !t[2].key.empty())
            fail("erwartet: field <Name> <Feldtyp> [Attribute]");
        auto f = std::make_unique<TQelFelddefinition>();
        f->name = t[1].value;
        checkMemberName(f->name);
        if (sqlKeyword(sqlName(f->name)))
            fail("Feldname '" + f->name + "' ist ein SQL-Schlüsselwort");
        f->type = typeRef(t[2].value);
        f->line = line_;
        f->owner = open_;
        f->length = f->type->length;
        std::string column = sqlName(f->name);
        bool hasLength = false;
        for (std::size_t i = 3; i < t.size(); ++i) {
            const Token& a = t[i];
            if (a.key == "column") {
                column = a.value;
            } else if (a.key == "length") {
                f->length = number(a.value, "length");
                hasLength = true;
            } else if (a.key.empty() && a.value == "mandatory") {
                f->mandatory = true;
            } else if (a.key == "default") {
                f->hasDefault = true;
                f->defaultValue = a.value;
            } else if (a.key == "domain") {
                f->domain = domain(a.value);
            } else if (a.key == "ref") {
                const TQelKlasse* r = classRef(a.value);
                if (!r->IsObjectClass())
                    fail("Referenzen zeigen auf Objektklassen; '" + r->name + "' ist keine");
                f->refClass = r->Key();
            } else if (a.key == "description") {
                f->description = a.value;
            } else {
                fail("unbekanntes Attribut '" + (a.key.empty() ? a.value : a.key) + "' eines Feldes");
            }
        }
        (void)hasLength;
        if (!isIdentifier(column))
            fail("Spaltenname '" + column + "' ist kein SQL-Name (Buchstaben, Ziffern, _)");
        if (sqlKeyword(column))
            fail("Spaltenname '" + column + "' ist ein SQL-Schlüsselwort");
        if (reservedName(column))
            fail("Spaltenname '" + column + "' ist reserviert");
        for (const auto* o : open_->allFields)
            if (AsciiUpper(o->column) == AsciiUpper(column))
                fail("Spalte '" + column + "' wird schon vom Feld '" + o->name + "' benutzt");
        const int ur = f->type->Urtyp();
        if (f->refClass.Valid() && ur != 3010)
            fail("ref= gilt nur für Referenzfelder");
        if (ur == 3010 && !f->refClass.Valid())
            fail("Referenzfeld '" + f->name + "' braucht ref=<Klasse>");
        if ((ur == 3008 || ur == 3009 || ur == 3018) && f->Domain().empty())
            fail("Auswahlfeld '" + f->name + "' braucht einen Wertebereich (domain=...)");
        if (ur == 3009 && f->Domain().size() > 62)
            fail("Mehrfachauswahl '" + f->name + "' hat mehr als 62 Einträge");
        f->column = column;
        open_->allFields.push_back(f.get());
        open_->ownFields.push_back(std::move(f));
    }

    void vector(const std::vector<Token>& t, bool single)
    {
        needClass(single ? "Unterobjekt" : "Vektor");
        if (t.size() < 3 || !t[1].key.empty() || !t[2].key.empty())
            fail(std::string("erwartet: ") + (single ? "subobject" : "vector")
                + " <Name> <Elementklasse> [Attribute]");
        auto v = std::make_unique<TQelVektordefinition>();
        v->name = t[1].value;
        checkMemberName(v->name);
        if (!isIdentifier(sqlName(v->name)))
            fail("Name '" + v->name + "' ergibt keinen SQL-Namen");
        if (sqlKeyword(sqlName(v->name)))
            fail("Vektorname '" + v->name + "' ist ein SQL-Schlüsselwort");
        v->elementClass = classRef(t[2].value);
        if (v->elementClass->IsObjectClass())
            fail("Elementklasse '" + v->elementClass->name + "' ist eine Objektklasse");
        if (v->elementClass->abstract)
            fail("Elementklasse '" + v->elementClass->name + "' ist abstrakt");
        v->single = single;
        v->line = line_;
        v->owner = open_;
        for (std::size_t i = 3; i < t.size(); ++i) {
            const Token& a = t[i];
            if (a.key == "max" && !single)
                v->maxCount = number(a.value, "max");
            else if (a.key == "description")
                v->description = a.value;
            else
                fail("unbekanntes Attribut '" + (a.key.empty() ? a.value : a.key) + "' eines Vektors");
        }
        open_->allVectors.push_back(v.get());
        open_->ownVectors.push_back(std::move(v));
    }

    void end(const std::vector<Token>& t)
    {
        if (t.size() != 1)
            fail("'end' steht allein");
        if (!open_)
            fail("'end' ohne Klasse");
        open_ = nullptr;
    }

public:
    bool builtinDone_ = false;

private:
    TQelSchema& s_;
    std::string file_;
    int line_ = 0;
    TQelKlasse* open_ = nullptr;
};

std::unique_ptr<TQelSchema> TQelSchema::Load(const std::string& text, const std::string& fileName)
{
    auto s = std::make_unique<TQelSchema>();
    {
        TQelSchemaParser builtin(*s, "(eingebaut)");
        builtin.parse(BuiltinText());
    }
    TQelSchemaParser p(*s, fileName);
    p.builtinDone_ = true;
    p.parse(text);
    p.finish();
    s->text_ = text;
    s->fileName_ = fileName;
    return s;
}

std::unique_ptr<TQelSchema> TQelSchema::LoadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw TQelSchemaError(path, 0, "Datei kann nicht gelesen werden");
    std::ostringstream ss;
    ss << in.rdbuf();
    return Load(ss.str(), path);
}

const TQelFeldtyp* TQelSchema::FieldType(int id) const
{
    auto it = types_.find(id);
    return it == types_.end() ? nullptr : it->second.get();
}

const TQelFeldtyp* TQelSchema::FieldTypeByName(const std::string& name) const
{
    for (const auto& [id, t] : types_)
        if (t->name == name)
            return t.get();
    return nullptr;
}

const TQelKlasse* TQelSchema::Class(int id) const
{
    auto it = classes_.find(id);
    return it == classes_.end() ? nullptr : it->second.get();
}

const TQelKlasse* TQelSchema::ClassByName(const std::string& name) const
{
    for (const auto& [id, k] : classes_)
        if (k->name == name)
            return k.get();
    for (const auto& [id, k] : classes_)
        if (AsciiUpper(k->name) == AsciiUpper(name))
            return k.get();
    return nullptr;
}

const TQelKlasse* TQelSchema::ObjectClassByName(const std::string& name) const
{
    const TQelKlasse* k = ClassByName(name);
    return k && k->IsObjectClass() ? k : nullptr;
}

const TQelKlasse* TQelSchema::VectorClassByName(const std::string& name) const
{
    const TQelKlasse* k = ClassByName(name);
    return k && !k->IsObjectClass() ? k : nullptr;
}

std::vector<const TQelKlasse*> TQelSchema::Classes() const
{
    std::vector<const TQelKlasse*> out;
    for (const auto& [id, k] : classes_)
        out.push_back(k.get());
    return out;
}

std::vector<const TQelFeldtyp*> TQelSchema::FieldTypes() const
{
    std::vector<const TQelFeldtyp*> out;
    for (const auto& [id, t] : types_)
        out.push_back(t.get());
    return out;
}

std::vector<const TQelKlasse*> TQelSchema::ClassesOfTable(const std::string& table) const
{
    std::vector<const TQelKlasse*> out;
    for (const auto& [id, k] : classes_)
        if (!k->table.empty() && AsciiUpper(k->table) == AsciiUpper(table))
            out.push_back(k.get());
    return out;
}
