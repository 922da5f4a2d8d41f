#include "objdb/qelsettings.h"

#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"
#include "objdb/qelvector.h"

#include <charconv>

namespace {

TQelField* field(TQelVector* v, int i, const char* name)
{
    TQelFieldList* fl = v->FieldList(i);
    return fl ? fl->FieldByName(name) : nullptr;
}

} // namespace

int TQelNameWertVector::find(const std::string& name) const
{
    if (!v_)
        return 0;
    for (int i = 1; i <= v_->Count(); ++i)
        if (TQelField* f = field(v_, i, "Name"); f && AnsiSameText(f->AsString(), name))
            return i;
    return 0;
}

bool TQelNameWertVector::Has(const std::string& name) const
{
    return find(name) > 0;
}

int TQelNameWertVector::Count() const
{
    return v_ ? v_->Count() : 0;
}

std::string TQelNameWertVector::ReadString(const std::string& name, const std::string& def) const
{
    const int i = find(name);
    if (i == 0)
        return def;
    TQelField* f = field(v_, i, "Wert");
    return f ? f->AsString() : def;
}

std::string TQelNameWertVector::NameError(const std::string& name) const
{
    if (name.empty())
        return "Der Name einer Einstellung darf nicht leer sein.";
    int max = 64;
    if (v_)
        if (const TQelFelddefinition* d = v_->get_Vektorklasse()->FindFelddefinition("Name");
            d && d->length > 0)
            max = d->length;
    if (Utf8Length(name) > static_cast<std::size_t>(max))
        return "Der Name der Einstellung '" + name + "' ist länger als " + std::to_string(max) + " Zeichen.";
    return {};
}

bool TQelNameWertVector::WriteString(const std::string& name, const std::string& value)
{
    if (!v_ || !NameError(name).empty())
        return false;
    int i = find(name);
    if (i == 0) {
        TQelSubObject* e = v_->Add();
        if (!e)
            return false;
        e->FieldList()->FieldByName("Name")->set_AsString(name);
        e->FieldList()->FieldByName("Wert")->set_AsString(value);
        return true;
    }
    TQelField* f = field(v_, i, "Wert");
    if (f->AsString() == value)
        return false;
    f->set_AsString(value);
    return true;
}

int TQelNameWertVector::ReadInteger(const std::string& name, int def) const
{
    const std::string s = Trim(ReadString(name));
    int v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p == s.data() + s.size() && !s.empty() ? v : def;
}

bool TQelNameWertVector::WriteInteger(const std::string& name, int value)
{
    return WriteString(name, std::to_string(value));
}

bool TQelNameWertVector::Remove(const std::string& name)
{
    const int i = find(name);
    return i > 0 && v_->Delete(i);
}

TQelNameWertVector& TQelSettingsObject::NameWert()
{
    if (!nw_)
        nw_ = std::make_unique<TQelNameWertVector>(FieldList()->VectorByName("Einstellungen"));
    return *nw_;
}

bool TQelUser::IsAdmin() const
{
    TQelField* f = FieldByName("Admin");
    return f && f->AsBool();
}
