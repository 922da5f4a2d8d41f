// Search conditions from the filled fields of an object.
#include "binding/methods.h"

#include <charconv>

namespace {

// The restriction's "_TEXT_" replaced by the typed text: inside a quoted literal with its quotes
// doubled, elsewhere as a literal of its own, so that no typed text can change the statement.
std::string replaceText(
    const std::string& restriction, const std::string& text, const TQelSQLDialect& dialect)
{
    std::string out;
    bool inQuote = false;
    for (std::size_t i = 0; i < restriction.size();) {
        if (restriction[i] == '\'') {
            inQuote = !inQuote;
            out += restriction[i++];
            continue;
        }
        if (restriction.size() - i >= 6 && AnsiSameText(restriction.substr(i, 6), "_TEXT_")) {
            if (inQuote) {
                const std::string quoted = dialect.ValueString(text);
                // ValueString gives 'x' or an expression for NUL bytes; inside quotes only the plain form
                // fits.
                out += quoted.size() >= 2 && quoted.front() == '\'' && quoted.back() == '\''
                    ? quoted.substr(1, quoted.size() - 2)
                    : std::string();
            } else {
                out += dialect.ValueString(text);
            }
            i += 6;
            continue;
        }
        out += restriction[i++];
    }
    return out;
}

} // namespace

std::string TQelCommonMethods::SqlColumnName(TQelObjectInterface* oi)
{
    if (!oi)
        return {};
    std::string s = SqlColumnName(oi->Owner());
    switch (oi->OIType()) {
    case TQelObjectInterface::oiSubObject:
        s += std::to_string(static_cast<TQelSubObject*>(oi)->VectorIndex());
        break;
    case TQelObjectInterface::oiFieldList: {
        const TQelClassKey key = static_cast<TQelFieldList*>(oi)->Key();
        if (key.DerivesFrom(TQelClassKey(qelcls::Objekt)))
            if (const TQelKlasse* cls = key.Klasse())
                s = cls->TableName();
        break;
    }
    case TQelObjectInterface::oiVector:
        s += "_" + TQelSQLEngine::make_sql_str(static_cast<TQelVector*>(oi)->VectorName());
        break;
    case TQelObjectInterface::oiField:
        s += "." + static_cast<TQelField*>(oi)->ColumnName();
        break;
    default:
        break;
    }
    return s;
}

std::string TQelCommonMethods::ExtractSearchCond(TQelObject* obj)
{
    if (!obj)
        return {};
    TQelDatabase* db = obj->Database();
    if (!db)
        return {};
    const std::unique_ptr<TQelSQLDialect> dialect = db->CreateSQLDialect();
    std::string cond;
    obj->FieldList()->ForEachField(
        [&](TQelField* f) {
            if (f->NullOrDefault())
                return true;
            if (TQelFieldList* owner = f->FieldList(); owner && owner->Key().Meta())
                return true;
            if (!cond.empty())
                cond += " AND ";
            if (f->FieldType().Id() != qelft::Text) {
                cond += SqlColumnName(f) + " = " + dialect->ValueString(f);
                return true;
            }
            // The typed text is compared as it stands: '%' and '_' are no wildcards here.
            std::string literal;
            for (char c : f->AsString()) {
                if (c == '%' || c == '_' || c == '\\')
                    literal += '\\';
                literal += c;
            }
            cond += SqlColumnName(f) + " LIKE " + dialect->ValueString(literal) + " ESCAPE '\\'";
            return true;
        },
        TQelFieldList::efFields | TQelFieldList::efElements);
    return cond;
}

std::string TQelCommonMethods::TextSearchCond(const std::string& column, const std::string& text)
{
    std::string t = text;
    if (t.empty() || column.empty())
        return {};
    TQelDatabase* db = QelDatabase();
    const std::unique_ptr<TQelSQLDialect> dialect
        = db ? db->CreateSQLDialect() : std::make_unique<TQelSQLDialect>();
    // A pattern: '*' and '?' are the user's wildcards; '%', '_' and the escape character are
    // searched for as they are.
    bool exact = false;
    if (t.back() == '$') {
        exact = true;
        t.pop_back();
    }
    std::string pattern;
    bool wildcard = false;
    for (char c : t) {
        if (c == '*') {
            pattern += '%';
            wildcard = true;
        } else if (c == '?') {
            pattern += '_';
            wildcard = true;
        } else {
            if (c == '%' || c == '_' || c == '\\')
                pattern += '\\';
            pattern += c;
        }
    }
    if (!exact && !wildcard)
        pattern += '%';
    std::string quoted = dialect->ValueString(pattern);
    std::string col = column;
    if (dialect->FoldsCase()) {
        quoted = dialect->Upper(quoted);
        if (quoted != AnsiLowerCase(quoted))
            col = "UPPER(" + col + ")";
    }
    return col + " LIKE " + quoted + " ESCAPE '\\'";
}

std::string TQelCommonMethods::FieldSearchCond(
    const TQelFelddefinition* def, const std::string& column, const std::string& text)
{
    const std::string t = Trim(text);
    if (!def || t.empty() || column.empty())
        return {};
    const int type = def->Urtyp().Id();
    if (type == qelft::Text || type == qelft::LongText)
        return TextSearchCond(column, t);
    TQelDatabase* db = QelDatabase();
    const std::unique_ptr<TQelSQLDialect> dialect
        = db ? db->CreateSQLDialect() : std::make_unique<TQelSQLDialect>();
    if (type == qelft::Integer || type == qelft::Reference) {
        std::int64_t n = 0;
        const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
        if (ec == std::errc() && end == t.data() + t.size())
            return column + " = " + dialect->ValueString(n);
    }
    return column + " = " + dialect->ValueString(t);
}

std::string TQelCommonMethods::ExpandRestriction(
    TQelClassKey cls, const std::string& restriction, const std::string& typedText)
{
    TQelDatabase* db = QelDatabase();
    const TQelKlasse* k = db ? db->Klasse(cls) : nullptr;
    std::string r = restriction;
    for (std::size_t pos = r.find("#["); pos != std::string::npos; pos = r.find("#[", pos)) {
        const std::size_t end = r.find(']', pos + 2);
        if (end == std::string::npos)
            break;
        std::string name = r.substr(pos + 2, end - pos - 2);
        if (name.find(':') == std::string::npos && k)
            name = k->Name() + ":" + name;
        TQelAnsichtLib* views = QelAnsichten(db);
        const std::string condition = views ? views->SearchConditionByRepr(name) : std::string();
        if (condition.empty())
            break;
        r.replace(pos, end - pos + 1, condition);
        pos += condition.size();
    }
    const std::unique_ptr<TQelSQLDialect> dialect
        = db ? db->CreateSQLDialect() : std::make_unique<TQelSQLDialect>();
    return "(" + replaceText(r, typedText, *dialect) + ")";
}
