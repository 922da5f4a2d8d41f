#pragma once
// The column definition of a vector grid: one column per line of FieldNames,
//   <field path>[@<property>][ AS <caption>][/<options>]
// with the options CUSTOM, READONLY, FIXED, STRING, HIDETIME, "LENGTH:<column settings>" and
// "HINT:<text to the end of the line>". Lines starting with ";", "//" or "--" and blank lines are
// comments; a line "..." stands for every template field not named by another line.
//
// Parsing never fails: what a line gets wrong is reported (line number and text) and the line
// keeps whatever could be read from it.
#include <memory>
#include <string>
#include <vector>

struct TQelVGInfo {
    enum : int { HIDETIME = 1, CUSTOM = 2, READONLY = 4, FIXED = 8, STRING = 16 };
    std::string PropName; // the property after "@"; empty when none
    std::string Length; // column settings from "LENGTH:"; empty when none
    std::string Caption;
    std::string Hint;
    int Flags = 0;
    bool Has(int flag) const { return (Flags & flag) != 0; }
};

struct TQelVGColumn {
    std::string Entry; // the field path ("@" for a property of the element itself)
    std::shared_ptr<TQelVGInfo> Info; // none for columns that "..." expanded
    int Line = 0; // 1-based line of FieldNames; 0 for expanded columns
};

struct TQelVGSpecIssue {
    int Line = 0; // 1-based
    std::string Text; // German, what is wrong
};

struct TQelVGColDefs {
    std::vector<TQelVGColumn> Columns;
    std::vector<TQelVGSpecIssue> Issues;
};

// Options texts and captions longer than this are cut (characters).
inline constexpr int QelVGMaxOptionLength = 999;
inline constexpr int QelVGMaxHintLength = 999999;

TQelVGColDefs QelParseVGColDefs(const std::vector<std::string>& lines);

// The longest prefix of `text` made of digits, "/", "%", "C" and quoted runs (an unterminated
// quote ends it before the quote).
std::string QelVGLengthPrefix(const std::string& text);

// Replaces every "..." column (case-insensitive) by the names of `available` that no column
// names yet (case-insensitive), in order; the new columns have no record.
void QelVGExpandEllipsis(TQelVGColDefs& spec, const std::vector<std::string>& available);
