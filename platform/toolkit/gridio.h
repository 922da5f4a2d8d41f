// CSV and binary stream formats of the grid's cells.
#pragma once

#include "toolkit/gridstore.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace qel::grid {

struct CsvOptions {
    char delimiter = ',';
    bool alwaysQuote = false; // quote every cell, not only those that need it
    bool includeHidden = true; // hidden columns and rows are written too
    bool byteOrderMark = true; // UTF-8 BOM, so spreadsheet programs read umlauts correctly
    // A text a spreadsheet would take for a formula (starting with = + - @, a tab or a carriage
    // return, and not a plain number) is written quoted with an apostrophe in front, so that the
    // spreadsheet shows it as text.
    bool formulaGuard = false;
    // When set, only the rows (real index) it accepts are written.
    std::function<bool(int)> rowFilter;
};

// Whether a cell text would be read as a formula by a spreadsheet program.
bool LooksLikeFormula(std::string_view text);

// Writes all rows (fixed rows included), one line per row, CRLF line ends. A cell is quoted when
// it holds the delimiter, a quote, a line break or leading/trailing blanks; quotes are doubled.
// The first failure of the stream ends the writing (the caller checks the stream).
void WriteCsv(const GridStore& store, std::ostream& out, const CsvOptions& options);

// Writes `data` to the file `path` as a whole or not at all: into a new file of a name nobody had
// beside it (created exclusively, never through a link), which then replaces the target; a
// replaced file keeps its mode. False (with a German `error`) leaves the target as it was.
bool ReplaceFile(const std::string& path, const std::string& data, std::string& error);

// Reads CSV written as above (or by a spreadsheet program): quoted cells may hold delimiters,
// doubled quotes and line breaks; a leading BOM is skipped. Rows may differ in length.
std::vector<std::vector<std::string>> ReadCsv(std::istream& in, char delimiter);

// Binary form: column count, row count, column widths, then every cell's text. Loading checks
// the whole stream before it changes the store; a damaged stream throws std::runtime_error with a
// German message and leaves the store as it was.
void WriteBinary(const GridStore& store, std::ostream& out);
void ReadBinary(GridStore& store, std::istream& in);

} // namespace qel::grid
