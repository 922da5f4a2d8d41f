#include "objdb/qelfield.h"
#include "objdb/qelfilefield.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelfieldlist.h"
#include "objdb/qelobject.h"
#include "objdb/qelsql.h"
#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

bool parseInt64(const std::string& text, std::int64_t& out)
{
    std::string t = Trim(text);
    if (!t.empty() && t[0] == '+')
        t.erase(0, 1);
    if (t.empty())
        return false;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
    return ec == std::errc() && p == t.data() + t.size();
}

} // namespace

TQelField::TQelField(TQelFieldList* owner, const TQelFelddefinition* def)
    : TQelObjectInterface(owner->Database(), owner)
    , def_(def)
{
}

TQelField::~TQelField()
{
    announceDestroyed();
}

std::string TQelField::Name() const
{
    return def_->name;
}

std::string TQelField::Path() const
{
    return owner_->Path() + "." + def_->name;
}

std::string TQelField::Description() const
{
    return def_->Description();
}

std::string TQelField::Info() const
{
    std::string s = TQelObjectInterface::Info();
    s += "\nFeldtyp: " + def_->type->name + " (" + std::to_string(def_->type->id) + ", Urtyp "
        + std::to_string(Urtyp()) + ")\nSpalte: " + def_->column + "\nWert: " + AsString();
    if (!Valid())
        s += "\nUngültig: " + ValidityError();
    return s;
}

TQelFieldList* TQelField::FieldList() const
{
    return static_cast<TQelFieldList*>(owner_);
}

std::string TQelField::AsString() const
{
    return syntaxError_ ? rawText_ : format(value_);
}

void TQelField::set_AsString(const std::string& text)
{
    TQelValue v;
    if (parse(text, v))
        assign(std::move(v), false, {});
    else
        assign(value_, true, text);
}

bool TQelField::DeadEnd(const std::string& text) const
{
    return def_->length > 0 && Utf8Length(text) > static_cast<std::size_t>(def_->length);
}

std::string TQelField::GetFormatted(int) const
{
    return AsString();
}

bool TQelField::Null() const
{
    return !syntaxError_ && std::holds_alternative<std::monostate>(value_);
}

void TQelField::set_Null(bool null)
{
    if (null)
        assign(std::monostate {}, false, {});
}

bool TQelField::NullOrDefault() const
{
    if (Null())
        return true;
    if (!def_->hasDefault || syntaxError_)
        return false;
    TQelValue d;
    return parse(def_->defaultValue, d) && d == value_;
}

bool TQelField::Touched() const
{
    return syntaxError_ || value_ != stored_;
}

std::string TQelField::ValidityError() const
{
    // Every commit asks every field: the name is spelled only for a field that fails.
    const auto who = [this] { return "Feld '" + def_->name + "'"; };
    if (syntaxError_)
        return who() + ": ungültiger Wert '" + rawText_ + "'";
    if (!Writable())
        return {};
    if (def_->mandatory && std::holds_alternative<std::monostate>(value_))
        return who() + " ist ein Pflichtfeld und leer";
    if (def_->length > 0 && textLength(value_) > static_cast<std::size_t>(def_->length))
        return who() + " ist länger als " + std::to_string(def_->length) + " Zeichen";
    std::string more = validateValue();
    return more.empty() ? more : who() + ": " + more;
}

std::size_t TQelField::textLength(const TQelValue& v) const
{
    if (auto* s = std::get_if<std::string>(&v))
        return Utf8Length(*s);
    return 0;
}

void TQelField::Rollback(const std::string&)
{
    if (!Touched())
        return;
    Revert();
    rolledBack();
}

void TQelField::Revert()
{
    syntaxError_ = false;
    rawText_.clear();
    value_ = stored_;
}

bool TQelField::AsBool() const
{
    if (auto* n = std::get_if<std::int64_t>(&value_))
        return *n != 0;
    if (auto* d = std::get_if<double>(&value_))
        return *d != 0;
    return false;
}

void TQelField::set_AsBool(bool v)
{
    if (Urtyp() == qelft::Boolean)
        assign(std::int64_t(v ? 1 : 0), false, {});
    else
        set_AsInteger(v ? 1 : 0);
}

std::int64_t TQelField::AsInteger() const
{
    if (auto* n = std::get_if<std::int64_t>(&value_))
        return *n;
    if (auto* d = std::get_if<double>(&value_))
        return static_cast<std::int64_t>(std::llround(*d));
    if (auto* s = std::get_if<std::string>(&value_)) {
        std::int64_t v = 0;
        return parseInt64(*s, v) ? v : 0;
    }
    return 0;
}

void TQelField::set_AsInteger(std::int64_t v)
{
    switch (Urtyp()) {
    case qelft::Integer:
    case qelft::MultiChoice:
    case qelft::Reference:
    case qelft::Boolean:
        assign(
            v == 0 && Urtyp() != qelft::Integer && Urtyp() != qelft::Boolean ? TQelValue {} : TQelValue { v },
            false, {});
        break;
    case qelft::Amount:
        assign(static_cast<double>(v), false, {});
        break;
    default:
        set_AsString(std::to_string(v));
    }
}

double TQelField::AsFloat() const
{
    if (auto* d = std::get_if<double>(&value_))
        return *d;
    if (auto* n = std::get_if<std::int64_t>(&value_))
        return static_cast<double>(*n);
    return 0;
}

void TQelField::set_AsFloat(double v)
{
    if (Urtyp() == qelft::Amount)
        assign(v, false, {});
    else if (Urtyp() == qelft::Integer)
        assign(static_cast<std::int64_t>(std::llround(v)), false, {});
    else
        set_AsString(std::to_string(v));
}

void TQelField::SetValue(const TQelValue& v)
{
    assign(normalize(v), false, {});
}

std::string TQelField::SqlValue() const
{
    TQelSQLDialect d;
    if (std::holds_alternative<std::monostate>(value_))
        return "NULL";
    if (auto* n = std::get_if<std::int64_t>(&value_))
        return d.ValueString(*n);
    if (auto* x = std::get_if<double>(&value_))
        return d.ValueString(*x);
    return d.ValueString(std::get<std::string>(value_));
}

TQelValue TQelField::normalize(const TQelValue& v) const
{
    if (std::holds_alternative<std::monostate>(v))
        return v;
    switch (Urtyp()) {
    case qelft::Integer:
    case qelft::MultiChoice:
    case qelft::Reference:
    case qelft::File:
    case qelft::Boolean: {
        if (auto* d = std::get_if<double>(&v))
            return static_cast<std::int64_t>(std::llround(*d));
        if (auto* s = std::get_if<std::string>(&v)) {
            std::int64_t n = 0;
            return parseInt64(*s, n) ? TQelValue { n } : TQelValue {};
        }
        return v;
    }
    case qelft::Amount:
        if (auto* n = std::get_if<std::int64_t>(&v))
            return static_cast<double>(*n);
        if (auto* s = std::get_if<std::string>(&v))
            return std::strtod(s->c_str(), nullptr);
        return v;
    default:
        if (auto* n = std::get_if<std::int64_t>(&v))
            return std::to_string(*n);
        if (auto* d = std::get_if<double>(&v)) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.15g", *d);
            return std::string(buf);
        }
        return v;
    }
}

void TQelField::LoadStored(const TQelValue& v)
{
    value_ = stored_ = normalize(v);
    syntaxError_ = false;
    rawText_.clear();
}

void TQelField::AcceptStored()
{
    if (!syntaxError_)
        stored_ = value_;
}

void TQelField::ApplyDefault()
{
    if (!def_->hasDefault)
        return;
    TQelValue v;
    if (parse(def_->defaultValue, v))
        value_ = v;
}

bool TQelField::parse(const std::string& text, TQelValue& out) const
{
    if (text.empty())
        out = std::monostate {};
    else
        out = text;
    return true;
}

std::string TQelField::format(const TQelValue& v) const
{
    if (auto* s = std::get_if<std::string>(&v))
        return *s;
    if (auto* n = std::get_if<std::int64_t>(&v))
        return std::to_string(*n);
    if (auto* d = std::get_if<double>(&v))
        return std::to_string(*d);
    return {};
}

void TQelField::assign(TQelValue v, bool syntaxError, const std::string& raw, bool sideEffect)
{
    std::weak_ptr<bool> alive = LifeToken();
    prepareWrite();
    if (alive.expired())
        return;
    const bool changed = v != value_ || syntaxError != syntaxError_ || (syntaxError && raw != rawText_);
    if (!changed)
        return;
    const bool wasValid = Valid();
    value_ = std::move(v);
    syntaxError_ = syntaxError;
    rawText_ = syntaxError ? raw : std::string();
    announceChange(alive, wasValid, sideEffect);
}

void TQelField::announceChange(const std::weak_ptr<bool>& alive, bool wasValid, bool sideEffect)
{
    FieldList()->FieldChanged(this);
    if (alive.expired())
        return;
    if (sideEffect)
        RepaintTargets();
    Notify(WM_ODB_FIELDTOUCHED);
    if (alive.expired())
        return;
    if (wasValid != Valid())
        Notify(WM_ODB_FIELDSTATE);
    if (db_ && !alive.expired())
        if (TQelObject* o = Object())
            db_->NotifyInstance(ieTouched, o);
}

bool TQelField::ReplaceText(std::size_t at, std::size_t count, std::string_view text)
{
    // Only these kinds read every text as itself (the empty text as null).
    if (!dynamic_cast<TQelStringField*>(this) && !dynamic_cast<TQelBlobField*>(this))
        return false;
    std::weak_ptr<bool> alive = LifeToken();
    prepareWrite();
    if (alive.expired() || syntaxError_)
        return false;
    std::string* s = std::get_if<std::string>(&value_);
    if (!s && !std::holds_alternative<std::monostate>(value_))
        return false;
    const std::size_t size = s ? s->size() : 0;
    const auto startsCharacter = [s](std::size_t i) {
        return i == s->size() || (static_cast<unsigned char>((*s)[i]) & 0xC0) != 0x80;
    };
    if (at > size || count > size - at || (s && (!startsCharacter(at) || !startsCharacter(at + count))))
        return false;
    if (s ? s->compare(at, count, text) == 0 : text.empty())
        return true;
    const bool wasValid = Valid();
    if (s)
        s->replace(at, count, text);
    else
        value_ = std::string(text);
    if (const auto* r = std::get_if<std::string>(&value_); r && r->empty())
        value_ = std::monostate {};
    announceChange(alive, wasValid, false);
    return true;
}

// --- text -------------------------------------------------------------------------------------

bool TQelStringField::parse(const std::string& text, TQelValue& out) const
{
    if (text.empty())
        out = std::monostate {};
    else
        out = text;
    return true;
}

// --- integer ----------------------------------------------------------------------------------

bool TQelIntegerField::parse(const std::string& text, TQelValue& out) const
{
    if (Trim(text).empty()) {
        out = std::monostate {};
        return true;
    }
    std::int64_t n = 0;
    if (!parseInt64(text, n))
        return false;
    out = n;
    return true;
}

std::string TQelIntegerField::format(const TQelValue& v) const
{
    if (auto* n = std::get_if<std::int64_t>(&v))
        return std::to_string(*n);
    return {};
}

bool TQelIntegerField::DeadEnd(const std::string& text) const
{
    std::string t = Trim(text);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+'))
        ++i;
    if (t.size() - i > 18)
        return true;
    for (; i < t.size(); ++i)
        if (t[i] < '0' || t[i] > '9')
            return true;
    return false;
}

// --- boolean ----------------------------------------------------------------------------------

namespace {

const char* const kTrue[] = { "ja", "j", "1", "true", "wahr", "x", "yes", "y" };
const char* const kFalse[] = { "nein", "n", "0", "false", "falsch", "no" };

} // namespace

bool TQelBoolField::parse(const std::string& text, TQelValue& out) const
{
    const std::string t = AnsiLowerCase(Trim(text));
    if (t.empty()) {
        out = std::monostate {};
        return true;
    }
    for (const char* w : kTrue)
        if (t == w) {
            out = std::int64_t(1);
            return true;
        }
    for (const char* w : kFalse)
        if (t == w) {
            out = std::int64_t(0);
            return true;
        }
    return false;
}

std::string TQelBoolField::format(const TQelValue& v) const
{
    if (auto* n = std::get_if<std::int64_t>(&v))
        return *n ? "Ja" : "Nein";
    return {};
}

bool TQelBoolField::DeadEnd(const std::string& text) const
{
    const std::string t = AnsiLowerCase(Trim(text));
    if (t.empty())
        return false;
    for (const char* w : kTrue)
        if (std::string_view(w).substr(0, t.size()) == t)
            return false;
    for (const char* w : kFalse)
        if (std::string_view(w).substr(0, t.size()) == t)
            return false;
    return true;
}

std::vector<std::string> TQelBoolField::GetDomain() const
{
    if (def_->mandatory)
        return { "Ja", "Nein" };
    return { "", "Ja", "Nein" };
}

// --- reference --------------------------------------------------------------------------------

TQelObjectKey TQelRefField::AsKey() const
{
    if (auto* n = std::get_if<std::int64_t>(&value_))
        return TQelObjectKey(static_cast<int>(*n));
    return {};
}

void TQelRefField::set_AsKey(TQelObjectKey key)
{
    assign(key.Valid() ? TQelValue { static_cast<std::int64_t>(key.Id()) } : TQelValue {}, false, {});
}

TQelObject* TQelRefField::get_AsObject() const
{
    const TQelObjectKey k = AsKey();
    return k.Valid() && db_ ? db_->GetObjectA(k) : nullptr;
}

void TQelRefField::set_AsObject(TQelObject* obj)
{
    set_AsKey(obj ? obj->Key() : TQelObjectKey());
}

std::string TQelRefField::ObjectName() const
{
    TQelObject* o = get_AsObject();
    return o ? o->Name() : std::string();
}

bool TQelRefField::parse(const std::string& text, TQelValue& out) const
{
    std::string t = Trim(text);
    if (t.empty()) {
        out = std::monostate {};
        return true;
    }
    if (t[0] == '#')
        t.erase(0, 1);
    std::int64_t n = 0;
    if (!parseInt64(t, n) || n < 0 || n > INT32_MAX)
        return false;
    out = n == 0 ? TQelValue {} : TQelValue { n };
    return true;
}

std::string TQelRefField::format(const TQelValue& v) const
{
    auto* n = std::get_if<std::int64_t>(&v);
    if (!n)
        return {};
    TQelObject* o = db_ ? db_->GetObjectA(TQelObjectKey(static_cast<int>(*n))) : nullptr;
    return o ? o->Name() : "#" + std::to_string(*n);
}

std::string TQelRefField::validateValue() const
{
    const TQelObjectKey k = AsKey();
    if (!k.Valid() || !db_ || value_ == stored_)
        return {};
    TQelObject* o = db_->GetObjectA(k);
    if (!o)
        return "ungültiger Schlüssel " + k.ToString();
    if (def_->refClass.Valid() && !o->Klasse()->IsA(def_->refClass.Id()))
        return "Falscher Objekttyp (" + o->Klasse()->name + ")";
    return {};
}

// --- factory ----------------------------------------------------------------------------------

std::unique_ptr<TQelField> QelCreateField(TQelFieldList* owner, const TQelFelddefinition* def)
{
    const TQelFeldtyp* t = def->type;
    if (t->IsA(qelft::FormattedText))
        return std::make_unique<TQelERVTextField>(owner, def);
    switch (t->Urtyp()) {
    case qelft::Integer:
        return std::make_unique<TQelIntegerField>(owner, def);
    case qelft::Amount:
        return std::make_unique<TQelAmountField>(owner, def);
    case qelft::Boolean:
        return std::make_unique<TQelBoolField>(owner, def);
    case qelft::DateTime:
        return std::make_unique<TQelDateTimeField>(owner, def);
    case qelft::Choice:
        return std::make_unique<TQelChoiceField>(owner, def);
    case qelft::MultiChoice:
        return std::make_unique<TQelMultiChoiceField>(owner, def);
    case qelft::Flags:
        return std::make_unique<TQelFlagsField>(owner, def);
    case qelft::Reference:
        return std::make_unique<TQelRefField>(owner, def);
    case qelft::LongText:
        return std::make_unique<TQelTextField>(owner, def);
    case qelft::ERVKey:
        return std::make_unique<TQelERVKeyField>(owner, def);
    case qelft::File:
        return QelCreateFileField(owner, def);
    default:
        return std::make_unique<TQelStringField>(owner, def);
    }
}
