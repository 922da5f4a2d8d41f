#include "objdb/qelsql.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelerror.h"
#include "objdb/qelfield.h"
#include "objdb/qelstorage.h"
#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <set>

namespace {

bool identStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool identChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Qualifiers (identifiers followed by ".") of an SQL text, upper-cased, outside string literals.
std::vector<std::string> qualifiers(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\'' || c == '"') {
            const char q = c;
            for (++i; i < text.size(); ++i)
                if (text[i] == q) {
                    if (i + 1 < text.size() && text[i + 1] == q)
                        ++i;
                    else
                        break;
                }
            ++i;
        } else if (identStart(c) && (i == 0 || !identChar(text[i - 1]))) {
            std::size_t j = i;
            while (j < text.size() && identChar(text[j]))
                ++j;
            if (j < text.size() && text[j] == '.')
                out.push_back(AsciiUpper(text.substr(i, j - i)));
            i = j;
        } else {
            ++i;
        }
    }
    return out;
}

struct AliasStep {
    const TQelVektordefinition* vd;
    int index;
};

// Reads "<vector><i>[_<vector><j>...]" against the vectors of `cls`.
bool parseAlias(const TQelKlasse* cls, const std::string& rest, std::vector<AliasStep>& steps)
{
    for (const auto* vd : cls->Vectors()) {
        const std::string name = AsciiUpper(QelSqlName(vd->name));
        if (rest.compare(0, name.size(), name) != 0)
            continue;
        std::size_t j = name.size();
        std::size_t d = j;
        while (d < rest.size() && std::isdigit(static_cast<unsigned char>(rest[d])))
            ++d;
        if (d == j || d - j > 6)
            continue;
        const int index = std::stoi(rest.substr(j, d - j));
        if (index < 1)
            continue;
        steps.push_back({ vd, index });
        if (d == rest.size())
            return true;
        if (rest[d] == '_' && parseAlias(vd->elementClass, rest.substr(d + 1), steps))
            return true;
        steps.pop_back();
    }
    return false;
}

std::string classFilter(const TQelSchema& schema, const TQelKlasse* k, bool noDerived)
{
    std::vector<int> ids;
    int total = 0;
    for (const TQelKlasse* c : schema.ClassesOfTable(k->table)) {
        if (c->abstract)
            continue;
        ++total;
        if (noDerived ? c == k : c->IsA(k->id))
            ids.push_back(c->id);
    }
    if (static_cast<int>(ids.size()) == total)
        return {};
    const std::string column = QelQuoteName(k->table) + ".KLASSE";
    if (ids.empty())
        return column + " = 0";
    if (ids.size() == 1)
        return column + " = " + std::to_string(ids[0]);
    std::string s = column + " IN (";
    for (std::size_t i = 0; i < ids.size(); ++i)
        s += (i ? "," : "") + std::to_string(ids[i]);
    return s + ")";
}

std::size_t findWord(const std::string& upperText, const std::string& word)
{
    return upperText.rfind(word);
}

} // namespace

std::string QelAddCondition(const std::string& statement, const std::string& condition)
{
    if (Trim(condition).empty())
        return statement;
    const std::string u = AsciiUpper(statement);
    std::size_t orderAt = findWord(u, " ORDER BY ");
    std::string head = orderAt == std::string::npos ? statement : statement.substr(0, orderAt);
    std::string tail = orderAt == std::string::npos ? "" : statement.substr(orderAt);
    if (AsciiUpper(head).find(" WHERE ") != std::string::npos)
        head += " AND (" + condition + ")";
    else
        head += " WHERE (" + condition + ")";
    return head + tail;
}

// --- dialect ----------------------------------------------------------------------------------

std::string TQelSQLDialect::ValueString(const TQelField* field) const
{
    if (!field)
        return "NULL";
    const TQelValue& v = field->Value();
    if (auto* n = std::get_if<std::int64_t>(&v))
        return ValueString(*n);
    if (auto* x = std::get_if<double>(&v))
        return ValueString(*x);
    if (auto* t = std::get_if<std::string>(&v))
        return ValueString(*t);
    return "NULL";
}

std::string TQelSQLDialect::ValueString(const std::string& text) const
{
    // A NUL byte cannot stand in a literal; it is spelt as the store spells it.
    std::string out = "'";
    bool nul = false;
    for (char c : text) {
        if (c == '\'') {
            out += "''";
        } else if (c == '\0') {
            out += "' || " + nul_ + " || '";
            nul = true;
        } else {
            out += c;
        }
    }
    out += "'";
    return nul ? "(" + out + ")" : out;
}

std::string TQelSQLDialect::ValueString(std::int64_t v) const
{
    return std::to_string(v);
}

std::string TQelSQLDialect::ValueString(double v) const
{
    if (!std::isfinite(v))
        return "NULL";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

std::string TQelSQLDialect::Upper(const std::string& text) const
{
    return AnsiUpperCase(text);
}

// --- query ------------------------------------------------------------------------------------

TQelSQLQuery::TQelSQLQuery(TQelDatabase* db, std::string sql)
    : db_(db)
    , sql_(std::move(sql))
{
}

TQelSQLQuery::~TQelSQLQuery()
{
    Close();
}

void TQelSQLQuery::set_SQL(const std::string& sql)
{
    Close();
    sql_ = sql;
}

void TQelSQLQuery::Close()
{
    stmt_.reset();
    eof_ = true;
    fieldCount_ = 0;
    recNo_ = 0;
}

void TQelSQLQuery::Open()
{
    Close();
    success_ = false;
    error_.clear();
    if (!db_ || !db_->Storage().IsOpen()) {
        error_ = "Die Datenbank ist nicht geöffnet.";
        throw TQelSQLError(error_, sql_);
    }
    try {
        stmt_ = db_->Storage().Connection().Prepare(sql_);
    } catch (const TQelSQLError& e) {
        error_ = e.what();
        throw;
    }
    if (!stmt_->ReadOnly()) {
        // Lists only read; anything else runs through TQelSQLEngine::Execute.
        stmt_.reset();
        error_ = "Abfragen dürfen nur lesen";
        throw TQelSQLError(error_, sql_);
    }
    fieldCount_ = stmt_->ColumnCount();
    success_ = true;
    step();
    fieldCount_ = stmt_->ColumnCount();
}

bool TQelSQLQuery::TryOpen()
{
    try {
        Open();
        return true;
    } catch (const TQelSQLError&) {
        return false;
    }
}

void TQelSQLQuery::step()
{
    try {
        if (stmt_->Step()) {
            eof_ = false;
            ++recNo_;
            return;
        }
    } catch (const TQelSQLError& e) {
        eof_ = true;
        success_ = false;
        error_ = e.what();
        throw;
    }
    eof_ = true;
}

void TQelSQLQuery::First()
{
    if (!stmt_) {
        Open();
        return;
    }
    stmt_->Reset();
    recNo_ = 0;
    step();
}

void TQelSQLQuery::Next()
{
    if (stmt_ && !eof_)
        step();
}

int TQelSQLQuery::CountRecords()
{
    if (!db_ || !db_->Storage().IsOpen())
        return 0;
    try {
        auto s = db_->Storage().Connection().Prepare("SELECT COUNT(*) FROM (" + sql_ + ") AS QEL_N");
        return s->Step() ? static_cast<int>(s->Int(0)) : 0;
    } catch (const TQelSQLError& e) {
        error_ = e.what();
        throw TQelSQLError(error_, sql_);
    }
}

std::string TQelSQLQuery::FieldName(int col) const
{
    return stmt_ && col >= 0 && col < fieldCount_ ? stmt_->ColumnName(col) : std::string();
}

TQelFieldDataType TQelSQLQuery::FieldDataType(int col) const
{
    if (!stmt_ || col < 0 || col >= fieldCount_)
        return fdtUnknown;
    if (const std::string t = stmt_->ColumnType(col); !t.empty()) {
        if (t == "INTEGER")
            return fdtInteger;
        if (t == "BOOLEAN")
            return fdtSmallInt;
        if (t == "REAL")
            return fdtFloat;
        if (t == "DATE")
            return fdtDate;
        if (t == "TIME")
            return fdtTime;
        if (t == "DATETIME")
            return fdtDateTime;
        if (t == "CLOB")
            return fdtMemo;
        return fdtString;
    }
    if (eof_)
        return fdtUnknown;
    const TQelValue v = stmt_->Column(col);
    if (std::holds_alternative<std::int64_t>(v))
        return fdtInteger;
    if (std::holds_alternative<double>(v))
        return fdtFloat;
    if (std::holds_alternative<std::string>(v))
        return fdtString;
    return fdtUnknown;
}

int TQelSQLQuery::FindField(const std::string& name) const
{
    std::string n = name;
    if (std::size_t dot = n.rfind('.'); dot != std::string::npos)
        n = n.substr(dot + 1);
    for (int i = 0; i < fieldCount_; ++i)
        if (AnsiSameText(FieldName(i), name) || AnsiSameText(FieldName(i), n))
            return i;
    return -1;
}

bool TQelSQLQuery::IsNull(int col) const
{
    return !stmt_ || eof_ || stmt_->IsNull(col);
}

std::string_view TQelSQLQuery::AsStringView(int col) const
{
    if (!stmt_ || eof_)
        return {};
    return stmt_->Text(col);
}

std::int64_t TQelSQLQuery::AsInteger(int col) const
{
    return stmt_ && !eof_ ? stmt_->Int(col) : 0;
}

double TQelSQLQuery::AsFloat(int col) const
{
    return stmt_ && !eof_ ? stmt_->Real(col) : 0.0;
}

TQelValue TQelSQLQuery::AsValue(int col) const
{
    if (!stmt_ || eof_)
        return {};
    return stmt_->Column(col);
}

// --- engine -----------------------------------------------------------------------------------

TQelSQLDialect TQelSQLEngine::Dialect() const
{
    return *db_->CreateSQLDialect();
}

std::string TQelSQLEngine::make_sql_str(const std::string& name)
{
    return QelSqlName(name);
}

std::string TQelSQLEngine::joinAliases(
    const TQelKlasse* cls, const std::string& text, bool& needObjekt, bool& needExt) const
{
    const TQelSQLDialect d = Dialect();
    const std::string table = AsciiUpper(cls->table);
    std::set<std::string> done;
    std::string joins;
    for (const std::string& q : qualifiers(text)) {
        if (q == "OBJEKT") {
            needObjekt = true;
            continue;
        }
        if (q == "O_EXT") {
            needExt = true;
            continue;
        }
        if (q.size() <= table.size() + 1 || q.compare(0, table.size() + 1, table + "_") != 0 || done.count(q))
            continue;
        std::vector<AliasStep> steps;
        if (!parseAlias(cls, q.substr(table.size() + 1), steps))
            continue;
        // Join every level of the chain once: Person_Adressen1, then Person_Adressen1_Telefone2.
        std::string alias = cls->table, parent, path;
        const std::string table = QelQuoteName(cls->table);
        for (const AliasStep& s : steps) {
            alias += "_" + QelSqlName(s.vd->name) + std::to_string(s.index);
            path += (path.empty() ? "" : ".") + s.vd->name;
            const std::string key = AsciiUpper(alias);
            const std::string quoted = QelQuoteName(alias);
            if (!done.count(key)) {
                done.insert(key);
                const TQelKlasse* ec = s.vd->elementClass;
                const std::string et = QelQuoteName(ec->table);
                std::string cols;
                for (const auto* f : ec->Fields())
                    cols += ", " + et + "." + QelQuoteName(f->column) + " AS " + QelQuoteName(f->column);
                joins += " LEFT JOIN (SELECT EK, K AS QEL_K, P AS QEL_P" + cols + " FROM " + et
                    + " WHERE V = " + d.ValueString(path) + " AND NR = " + std::to_string(s.index) + ") AS "
                    + quoted + " ON " + quoted + ".QEL_K = " + table + ".K AND " + quoted
                    + ".QEL_P = " + (parent.empty() ? std::string("0") : parent + ".EK");
            }
            parent = quoted;
        }
    }
    return joins;
}

std::string TQelSQLEngine::ListStatement(TQelClassKey clsKey, int flags, const std::string& condition,
    const std::string& fields, const std::string& order, int maxRows)
{
    const TQelKlasse* k = db_->Klasse(clsKey);
    if (!k || !k->IsObjectClass() || k->table.empty())
        throw TQelSQLError("Klasse " + clsKey.ToString() + " ist keine gespeicherte Objektklasse", "");
    const std::string t = QelQuoteName(k->table);
    std::string cols = t + ".K";
    if (!(flags & lfKeysOnly))
        for (const std::string& item : make_sl(fields, ",")) {
            const std::string f = Trim(item);
            if (f.empty())
                continue;
            const TQelFelddefinition* def = k->FindFelddefinition(f);
            cols += ", " + (def ? t + "." + QelQuoteName(def->column) : f);
        }
    std::vector<std::string> where;
    if (std::string cf = classFilter(db_->Schema(), k, flags & lfNoDerived); !cf.empty())
        where.push_back(cf);
    if (flags & lfDeleted)
        where.push_back(t + ".GELOESCHT <> 0");
    else if (flags & lfNotDeleted)
        where.push_back(t + ".GELOESCHT = 0");
    if (!Trim(condition).empty())
        where.push_back("(" + condition + ")");
    bool needObjekt = false, needExt = false;
    const std::string joins = joinAliases(k, condition + " " + fields + " " + order, needObjekt, needExt);
    std::string sql = "SELECT " + cols + " FROM " + t;
    if (needObjekt)
        sql += " JOIN OBJEKT USING (K)";
    if (needExt)
        sql += " JOIN " + t + " AS O_EXT USING (K)";
    sql += joins;
    for (std::size_t i = 0; i < where.size(); ++i)
        sql += (i ? " AND " : " WHERE ") + where[i];
    if (!Trim(order).empty())
        sql += " ORDER BY " + order;
    if (maxRows > 0)
        sql += " LIMIT " + std::to_string(maxRows);
    return sql;
}

std::unique_ptr<TQelSQLQuery> TQelSQLEngine::ListEx(TQelClassKey cls, int flags, const std::string& condition,
    const std::string& fields, const std::string& order, int maxRows)
{
    return std::make_unique<TQelSQLQuery>(db_, ListStatement(cls, flags, condition, fields, order, maxRows));
}

std::string TQelSQLEngine::ExtendStatement(const std::string& statement, TQelClassKey clsKey) const
{
    const TQelKlasse* k = db_->Klasse(clsKey);
    if (!k || k->table.empty() || !k->IsObjectClass())
        return statement;
    std::string cond = QelQuoteName(k->table) + ".GELOESCHT = 0";
    if (std::string cf = classFilter(db_->Schema(), k, false); !cf.empty())
        cond += " AND " + cf;
    return QelAddCondition(statement, cond);
}

std::unique_ptr<TQelSQLQuery> TQelSQLEngine::SetExtended(const std::string& statement, TQelClassKey cls)
{
    return std::make_unique<TQelSQLQuery>(db_, cls.Valid() ? ExtendStatement(statement, cls) : statement);
}

std::unique_ptr<TQelSQLQuery> TQelSQLEngine::Query(const std::string& statement)
{
    return std::make_unique<TQelSQLQuery>(db_, statement);
}

void TQelSQLEngine::Execute(const std::string& statement)
{
    if (db_->ReadOnly())
        throw TQelSQLError(db_->FileName() + ": die Datenbank ist nur zum Lesen geöffnet", statement);
    db_->Storage().Exec(statement);
    db_->StampMoved();
}

void TQelSQLEngine::StartTransaction()
{
    db_->StartTransaction();
}

bool TQelSQLEngine::CommitTransaction()
{
    return db_->CommitTransaction();
}

void TQelSQLEngine::RollbackTransaction()
{
    db_->RollbackTransaction();
}

bool TQelSQLEngine::Lock(TQelObjectKey key)
{
    int session = 0;
    double time = 0;
    if (IsLocked(key, session, time))
        return session == db_->SessionNumber();
    if (db_->ReadOnly())
        return false;
    db_->Storage()
        .Prepare("INSERT INTO QEL_SPERRE (K, SITZUNG, ZEIT) VALUES (?, ?, ?) ON CONFLICT (K) DO UPDATE SET "
                 "SITZUNG = excluded.SITZUNG, ZEIT = excluded.ZEIT")
        .Bind(1, static_cast<std::int64_t>(key.Id()))
        .Bind(2, static_cast<std::int64_t>(db_->SessionNumber()))
        .Bind(3, TQelValue { db_->TimeStamp() })
        .Run();
    return true;
}

bool TQelSQLEngine::IsLocked(TQelObjectKey key, int& session, double& time)
{
    {
        auto q = db_->Storage().Prepare("SELECT SITZUNG, ZEIT FROM QEL_SPERRE WHERE K = ?");
        q.Bind(1, static_cast<std::int64_t>(key.Id()));
        if (!q.Step())
            return false;
        session = static_cast<int>(q.Int(0));
        time = q.Real(1);
    }
    // A lock ends with its session: one left by a workstation that is gone no longer counts.
    if (session == db_->SessionNumber() || db_->Storage().Connection().SessionAlive(session))
        return true;
    if (!db_->ReadOnly())
        db_->Storage()
            .Prepare("DELETE FROM QEL_SPERRE WHERE K = ? AND SITZUNG = ?")
            .Bind(1, static_cast<std::int64_t>(key.Id()))
            .Bind(2, static_cast<std::int64_t>(session))
            .Run();
    return false;
}

bool TQelSQLEngine::Unlock(TQelObjectKey key, std::string& error)
{
    try {
        db_->Storage()
            .Prepare("DELETE FROM QEL_SPERRE WHERE K = ?")
            .Bind(1, static_cast<std::int64_t>(key.Id()))
            .Run();
        return db_->Storage().Connection().Changes() > 0;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}
