#pragma once
// SQL engine, queries and dialect over the store.
//
// List queries (ListEx) read the table of a class: FROM <table> (a base class and its derived
// classes share one table). Names a condition may use:
//   <table>.<column>                 a field of the class
//   K                                the object key (unqualified)
//   OBJEKT.K, OBJEKT.KLASSE, ...     the object register (joined when named)
//   O_EXT.K, O_EXT.<column>          the class table under a second name (joined when named)
//   <table>_<vector><i>.<column>     field of element i (from 1) of a vector; nested vectors append
//                                    _<vector><j>; a sub-object counts as a vector of one element
// Every value placed into SQL by the library goes through TQelSQLDialect::ValueString.
#include "objdb/qelkeys.h"
#include "objdb/qelvalue.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TQelCursor;
class TQelDatabase;
class TQelField;
class TQelKlasse;

enum TQelFieldDataType {
    fdtUnknown,
    fdtSmallInt, // booleans
    fdtInteger,
    fdtFloat,
    fdtString,
    fdtMemo,
    fdtDate,
    fdtTime,
    fdtDateTime,
    fdtTimeStamp,
};

// ListEx flags.
enum : int {
    lfDeleted = 1, // only deleted objects
    lfNotDeleted = 2, // only objects not deleted
    lfKeysOnly = 4, // only the key column
    lfNoDerived = 8, // only the class itself, not derived classes
    lfNoMetaFields = 16,
};

class TQelSQLQuery {
public:
    TQelSQLQuery(TQelDatabase* db, std::string sql);
    ~TQelSQLQuery();
    TQelSQLQuery(const TQelSQLQuery&) = delete;
    TQelSQLQuery& operator=(const TQelSQLQuery&) = delete;

    const std::string& SQL() const { return sql_; }
    void set_SQL(const std::string& sql);
    // Runs the statement and stands on the first row; throws TQelSQLError with SQLite's message.
    void Open();
    // Like Open, but reports failure by Success()/ErrorMessage() instead of throwing.
    bool TryOpen();
    void Close();
    bool Active() const { return stmt_ != nullptr; }
    bool Success() const { return success_; }
    const std::string& ErrorMessage() const { return error_; }

    void First();
    void Next();
    bool Eof() const { return eof_; }
    int RecNo() const { return recNo_; }
    // Rows of the whole result (runs a count; the position is kept).
    int CountRecords();

    int FieldCount() const { return fieldCount_; }
    std::string FieldName(int col) const;
    TQelFieldDataType FieldDataType(int col) const;
    // Column by name (case-insensitive, also "table.column"); -1 when absent.
    int FindField(const std::string& name) const;

    bool IsNull(int col) const;
    // Valid until the next move.
    std::string_view AsStringView(int col) const;
    std::string AsString(int col) const { return std::string(AsStringView(col)); }
    std::int64_t AsInteger(int col) const;
    double AsFloat(int col) const;
    // The value as the store holds it (its own type, not the column's declared one).
    TQelValue AsValue(int col) const;

private:
    void step();
    TQelDatabase* db_;
    std::string sql_;
    std::unique_ptr<TQelCursor> stmt_;
    bool eof_ = true;
    bool success_ = false;
    std::string error_;
    int fieldCount_ = 0;
    int recNo_ = 0;
};

class TQelSQLDialect {
public:
    // `nul`: how the store spells a NUL byte between quoted parts.
    explicit TQelSQLDialect(std::string nul = "char(0)")
        : nul_(std::move(nul))
    {
    }
    // Quoted literal: NULL, a number, or text in single quotes with quotes doubled; a text with NUL
    // bytes becomes an expression that keeps them: ('a' || char(0) || 'b').
    std::string ValueString(const TQelField* field) const;
    std::string ValueString(const std::string& text) const;
    std::string ValueString(std::int64_t v) const;
    std::string ValueString(double v) const;
    int MaxElemsInValueList() const { return 500; }
    // UPPER() folds German umlauts in this store (the store defines its own UPPER).
    bool FoldsCase() const { return true; }
    std::string Upper(const std::string& text) const;

private:
    std::string nul_;
};

class TQelSQLEngine {
public:
    explicit TQelSQLEngine(TQelDatabase* db)
        : db_(db)
    {
    }

    // Objects of `cls` matching `condition`: column 0 is the key, then the columns of `fields`
    // (comma-separated; a bare field name of the class is qualified with its table).
    // `order` is an ORDER BY list; `maxRows` > 0 limits the rows. The query is not opened.
    std::unique_ptr<TQelSQLQuery> ListEx(TQelClassKey cls, int flags, const std::string& condition,
        const std::string& fields = "", const std::string& order = "", int maxRows = 0);
    // The statement ListEx would run.
    std::string ListStatement(TQelClassKey cls, int flags, const std::string& condition,
        const std::string& fields = "", const std::string& order = "", int maxRows = 0);
    // An application statement, run as given (after the class filters of ExtendStatement when a
    // class is given).
    std::unique_ptr<TQelSQLQuery> SetExtended(const std::string& statement, TQelClassKey cls = {});
    std::unique_ptr<TQelSQLQuery> Query(const std::string& statement);
    // Adds the filters of the class (deleted objects left out) to a statement over its table.
    std::string ExtendStatement(const std::string& statement, TQelClassKey cls) const;
    // Runs a statement without result rows; throws TQelSQLError.
    void Execute(const std::string& statement);

    static std::string make_sql_str(const std::string& name);
    TQelSQLDialect Dialect() const;

    // Object transactions (see TQelDatabase).
    void StartTransaction();
    bool CommitTransaction();
    void RollbackTransaction();

    // Locks of objects by sessions.
    bool Lock(TQelObjectKey key);
    bool IsLocked(TQelObjectKey key, int& session, double& time);
    bool Unlock(TQelObjectKey key, std::string& error);

private:
    std::string joinAliases(
        const TQelKlasse* cls, const std::string& text, bool& needObjekt, bool& needExt) const;
    TQelDatabase* db_;
};

// Adds a condition to a statement: " AND (<c>)" when it has a WHERE, else " WHERE (<c>)"; an
// ORDER BY stays at the end.
std::string QelAddCondition(const std::string& statement, const std::string& condition);
