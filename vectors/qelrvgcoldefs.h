#pragma once
// The column definition of a reverse vector grid: one column per line of FieldNames,
//   <field path>[ AS <caption>][/<options>]
// with the options READONLY, OBJREF (the cell opens the row's object), NOREF (a reference as plain
// text), COMBO (a reference edited with a combo box), "LENGTH:<column settings>" and
// "HINT:<text to the end of the line>". There are no comment lines and no quote removal; the
// line "..." stands for every field of the class not named by another line.
//
// Parsing never fails: a line whose field part is empty is reported and shown as an empty column.
#include <memory>
#include <string>
#include <vector>

struct TQelRVGInfo {
    std::string Name;
    std::string Caption;
    bool ReadOnly = false;
    bool ObjRef = false;
    bool NoRef = false;
    bool Combo = false;
    std::string Length; // column settings from "LENGTH:"
    std::string Hint; // upper case, as the options text it comes from
};

struct TQelRVGColumn {
    std::string Entry; // the field path (may hold <name> placeholders of the current object)
    std::shared_ptr<TQelRVGInfo> Info; // none for columns that "..." expanded
    int Line = 0; // 1-based; 0 for expanded columns
};

struct TQelRVGColDefs {
    std::vector<TQelRVGColumn> Columns;
    // Lines that name no field (1-based line, German text).
    std::vector<std::pair<int, std::string>> Issues;
};

inline constexpr int QelRVGMaxOptionLength = 999999;

TQelRVGColDefs QelParseRVGColDefs(const std::vector<std::string>& lines);

// Replaces the "..." column (case-insensitive) by the names of `available` no column names yet;
// the names keep their order.
void QelRVGExpandEllipsis(TQelRVGColDefs& spec, const std::vector<std::string>& available);
