// Choice domains extended at run time. The added values are kept in the database-level settings,
// one setting per domain ("DOM$T<type id>" for a field type's domain, "DOM$F<class id>.<field>"
// for a field's own), as lines of text, and added to the schema's domains when the file opens.
#include "objdb/qeldatabase.h"
#include "objdb/qelerror.h"
#include "objdb/qelsettings.h"
#include "objdb/qelstorage.h"
#include "objdb/qelstrings.h"

#include <algorithm>

namespace {

std::string settingName(const TQelFelddefinition* def, TQelFieldKey type)
{
    if (type.Valid())
        return "DOM$T" + std::to_string(type.Id());
    return "DOM$F" + std::to_string(def->owner ? def->owner->id : 0) + "." + def->name;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    for (const std::string& line : SplitString(text, "\n"))
        if (!line.empty())
            out.push_back(line);
    return out;
}

// The schema belongs to the database; extending a domain is the one change made to it after
// loading.
void addEntry(
    const TQelSchema& schema, const TQelFelddefinition* def, TQelFieldKey type, const std::string& v)
{
    std::vector<TQelDomainEntry>* domain = nullptr;
    if (type.Valid()) {
        if (const TQelFeldtyp* t = schema.FieldType(type.Id()))
            domain = &const_cast<TQelFeldtyp*>(t)->domain;
    } else if (def) {
        domain = &const_cast<TQelFelddefinition*>(def)->domain;
        if (domain->empty() && def->type)
            *domain = def->type->domain; // the field's own domain starts as the type's
    }
    if (!domain)
        return;
    if (std::none_of(domain->begin(), domain->end(), [&](const TQelDomainEntry& e) { return e.text == v; }))
        domain->push_back({ v, v });
}

} // namespace

bool TQelDatabase::ExtendDomain(const TQelFelddefinition* def, TQelFieldKey type, const std::string& value)
{
    domainError_.clear();
    const std::string v = Trim(value);
    if (!Initialized() || v.empty() || (!def && !type.Valid())) {
        domainError_ = "Kein Wertebereich oder kein Wert angegeben.";
        return false;
    }
    if (v.find('\n') != std::string::npos) {
        domainError_ = "Ein Wert des Wertebereichs ist einzeilig.";
        return false;
    }
    const std::string name = settingName(def, type);
    try {
        std::vector<std::string> added = lines(GetSettings(slDatabase, name));
        if (std::find(added.begin(), added.end(), v) == added.end()) {
            added.push_back(v);
            std::string text;
            for (const std::string& a : added)
                text += (text.empty() ? "" : "\n") + a;
            SetSetting(slDatabase, name, text);
        }
    } catch (const std::exception& e) {
        domainError_ = e.what();
        return false;
    }
    addEntry(*schema_, def, type, v);
    return true;
}

void TQelDatabase::applyDomainExtensions()
{
    // Only a database that has stored settings can have extended domains; opening creates none.
    {
        auto q = storage_->Prepare(
            "SELECT K FROM QEL_EINSTELLUNGEN WHERE KLASSE = ? AND Bezeichnung = ? AND GELOESCHT = 0");
        q.Bind(1, static_cast<std::int64_t>(qelcls::Einstellungen)).Bind(2, std::string("Datenbank"));
        if (!q.Step())
            return;
    }
    for (const TQelFeldtyp* t : schema_->FieldTypes())
        if (t->IsA(qelft::Choice))
            for (const std::string& v : lines(GetSettings(slDatabase, settingName(nullptr, t->Key()))))
                addEntry(*schema_, nullptr, t->Key(), v);
    for (const TQelKlasse* k : schema_->Classes())
        for (const auto& def : k->ownFields)
            if (def->type && def->type->IsA(qelft::Choice))
                for (const std::string& v :
                    lines(GetSettings(slDatabase, settingName(def.get(), TQelFieldKey()))))
                    addEntry(*schema_, def.get(), TQelFieldKey(), v);
}
