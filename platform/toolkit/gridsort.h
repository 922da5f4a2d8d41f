// Sorting the rows of a grid store by one column.
#pragma once

#include "toolkit/gridstore.h"
#include "toolkit/gridtypes.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qel::grid {

struct SortRequest {
    int col = 0;
    TSortStyle style = ssAutomatic;
    bool descending = false;
    int firstRow = 0; // real rows [firstRow, endRow) take part
    int endRow = 0;
    // Compare hook for ssRaw and ssCustom: <0, 0, >0 for two real rows (rows have not moved yet).
    std::function<int(int rowA, int rowB)> rawCompare;
    // Collation keys of ssRaw / ssCustom: when sortKey is set, rows sort by the number it gives
    // for each (taken once), rows with equal numbers by the bytes tieKey appends for them
    // (unsigned, shorter first when one is the start of the other; asked only for such rows),
    // and rows equal in both keep their order. rawCompare is not asked.
    std::function<std::int64_t(int row)> sortKey;
    std::function<void(int row, std::string& out)> tieKey;
    // Asked now and then while the order is worked out (may be empty): false stops the work, and
    // SortOrder returns an empty order.
    std::function<bool()> proceed;
};

// The sorted order: element i is the real row that belongs at position firstRow + i. Equal rows
// keep their order. A row node moves together with the rows it heads. Empty when
// request.proceed stopped it.
std::vector<int> SortOrder(const GridStore& store, const SortRequest& request);

// Moves the rows into `order` at once; onSwap (may be empty) hears the same move as a series of
// swaps (rows a and b exchanged), for lists kept in step with the rows.
void ApplyOrder(GridStore& store, int firstRow, const std::vector<int>& order,
    const std::function<void(int a, int b)>& onSwap);
// The swaps that put rows [firstRow, firstRow + order.size()) into `order`, one after the other.
void ReplaySwaps(
    int firstRow, const std::vector<int>& order, const std::function<void(int a, int b)>& onSwap);

// Number in German or plain notation ("1.234,5", "1234.5", "-3"); nullopt when not a number.
std::optional<double> ParseNumber(std::string_view text);
// Date/time as a sortable number: "dd.mm.yyyy[ hh:mm[:ss]]", "yyyy-mm-dd[ hh:mm[:ss]]", or the US
// form "mm/dd/yyyy" when usDate is set; nullopt when not a date.
std::optional<double> ParseDate(std::string_view text, bool usDate = false);

} // namespace qel::grid
