#pragma once
// How the select grid writes the records of a list query into its cells. What a column needs
// (the text as it stands, a choice's display text, a field's formatting) is decided once per
// load; each row's cells are then written at once, without temporary strings for plain texts.
#include "lists/QelSelectGrid.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class TQelSGRowFiller {
public:
    // `grid` has its column records for the query's columns (layout_columns).
    TQelSGRowFiller(TQelSelectGrid& grid, TQelSQLQuery& query);
    // Writes the query's current record into `row`; returns the record's key. A reference whose
    // object's name is not known yet is written by Flush.
    long long Write(int row);
    // Writes the names of the referenced objects into the rows written since the last call: the
    // names unknown so far are read in a few queries, each over many keys.
    void Flush();

private:
    enum class TKind { Plain, Choice, Formatted, Reference };
    // The names of the objects of one referenced class, by key.
    struct TNames {
        std::unordered_map<long long, std::string> known;
        std::unordered_set<long long> wanted; // keys met whose names are still to be read
    };
    struct TPending {
        int row, col;
        long long key;
    };
    struct THash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view> {}(s); }
    };
    struct TEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const { return a == b; }
    };
    struct TColumn {
        TKind kind = TKind::Plain;
        TQelField* field = nullptr; // formats the stored values (dates, booleans, amounts)
        bool memo = false; // stored texts that repeat are formatted once (dates, booleans)
        std::unordered_map<std::string, std::string, THash, TEqual> formatted;
        std::string scratch; // the text formatted last when it is not remembered
        TNames* names = nullptr; // references: the names of the referenced class
    };
    const std::string& format(TColumn& column, int col);
    std::string_view reference(TColumn& column, int col, int row);
    void readNames(TQelClassKey cls, TNames& names);

    TQelSelectGrid& grid_;
    TQelSQLQuery& query_;
    std::unique_ptr<TQelFieldList> fields_;
    std::vector<TColumn> columns_;
    std::vector<std::string_view> texts_; // the row being written, by column
    std::unordered_map<int, TNames> refNames_; // by referenced class
    std::vector<TPending> pending_;
};

// A list query being read into the grid, page by page.
struct TQelSGLoad {
    TQelSGLoad(TQelSelectGrid& grid, std::unique_ptr<TQelSQLEngine> sqlEngine,
        std::unique_ptr<TQelSQLQuery> sqlQuery, TQelObjectKey select, TQelTimeMs now)
        : engine(std::move(sqlEngine))
        , query(std::move(sqlQuery))
        , filler(grid, *query)
        , selectKey(select)
        , started(now)
    {
    }
    std::unique_ptr<TQelSQLEngine> engine;
    std::unique_ptr<TQelSQLQuery> query;
    TQelSGRowFiller filler;
    // Selected when its row arrives, unless the user has moved the selection by then.
    TQelObjectKey selectKey;
    int selectedRow = -1; // the row selected when the first page stood
    int selectKeyRow = -1; // the row of selectKey once a page brought it
    TQelTimeMs started;
    int total = -1; // records of the whole query once counted (for the progress bar)
    // Objects changed while the list was read: reloaded once it is complete. A changed object
    // whose row stands already is not taken again should the query deliver it a second time.
    std::vector<TQelObjectKey> changes;
    std::unordered_set<long long> changed;
    std::unordered_set<long long> written;
};
