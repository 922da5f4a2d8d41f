#pragma once
// The rows of a detail grid as its FieldNames write them, one line each:
//   * <name>[ AS <caption>]                         a section header
//   FIELDPATH [<path>][ CUSTOM]                      following rows read from that field list
//                                                    (none: the base list; CUSTOM: the application's)
//   <name>[/<kind>[(<choices>)]][ AS <caption>][ CUSTOM][ FORCE][ READONLY]   a row
// Keywords in any case, flags in any order; names and captions may be quoted. Empty lines and
// lines starting with ";", "//" or "--" are skipped. The editor part of a row (after the first
// "/") chooses the in-place editor of a row that shows no field; its choices feed a combo.
//
// Parsing never fails and works in time linear in the line's length.
#include <string>
#include <string_view>
#include <vector>

enum class TQelDGLineKind { Skip, Header, FieldPath, Row };

struct TQelDGLine {
    TQelDGLineKind Kind = TQelDGLineKind::Skip;
    // Header: its name; FieldPath: the path; Row: the field part, editor part included.
    std::string Name;
    std::string Caption;
    bool Custom = false;
    bool Force = false;
    bool ReadOnly = false;
    // The row's editor kind (toolkit editor type) and its choice list, from the editor part.
    int Type = 0;
    std::string Params;
    int Line = 0; // 0-based index in FieldNames
};

// The editor kinds of the kind words.
enum : int {
    qelDGNormal = 0,
    qelDGComboEdit = 2,
    qelDGComboList = 3,
    qelDGCheckBox = 5,
    qelDGNumeric = 11,
    qelDGPositiveNumeric = 12,
    qelDGFloat = 13,
    qelDGCapital = 14,
};

TQelDGLine QelParseDGLine(std::string_view line);
// Every line of FieldNames, skipped ones left out.
std::vector<TQelDGLine> QelParseDGFieldNames(const std::vector<std::string>& lines);

// A row name without its editor part ("Farbe/COMBOLIST(rot,grün)" gives "Farbe").
std::string QelDGPlainName(std::string_view name);
// The editor kind of a kind word (any case; unknown words: plain text).
int QelDGEditorKind(std::string_view word);
