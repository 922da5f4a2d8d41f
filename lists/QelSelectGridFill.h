#pragma once
// How the select grid writes the records of a list query into its cells. What a column needs
// (the text as it stands, a choice's display text, a field's formatting) is decided once per
// load; each cell is then written in place, without temporary strings for plain texts.
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
    // Writes the query's current record into `row`; returns the record's key.
    long long Write(int row);

private:
    enum class TKind { Plain, Choice, Formatted };
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
    };
    const std::string& format(TColumn& column, int col);

    TQelSelectGrid& grid_;
    TQelSQLQuery& query_;
    std::unique_ptr<TQelFieldList> fields_;
    std::vector<TColumn> columns_;
    std::string scratch_;
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
