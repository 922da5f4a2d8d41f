// Enumerations and small value types of the string grid.
#pragma once

#include "toolkit/graphics.h"
#include "toolkit/tkdefs.h"

#include <cstdint>

// In-place editor kinds; the numbers are part of the contract (settings store them).
enum TEditorType : int {
    edNormal = 0,
    edSpinEdit = 1,
    edComboEdit = 2,
    edComboList = 3,
    edEditBtn = 4,
    edCheckBox = 5,
    edNumeric = 11,
    edPositiveNumeric = 12,
    edFloat = 13,
    edCapital = 14,
    edCustom = 25,
    edNone = 27
};

// How an opened in-place editor starts: with its text selected (typing replaces it), with the
// caret after the text (the text is extended), or with the character the user typed in its place.
enum class TEditorStart { SelectAll, CaretAtEnd, Typed };

// Sort styles a column reports through GetColFormat; the numbers are part of the contract.
enum TSortStyle : int {
    ssAutomatic = 0,
    ssAlphabetic = 1,
    ssNumeric = 2,
    ssDate = 3,
    ssAlphaNoCase = 4,
    ssAlphaCase = 5,
    ssShortDateEU = 6,
    ssShortDateUS = 7,
    ssCustom = 8,
    ssFinancial = 9,
    ssAnsiAlphaCase = 10,
    ssAnsiAlphaNoCase = 11,
    ssRaw = 12,
    ssHTML = 13,
    ssUnsorted = 16
};

enum TSortDirection { sdAscending, sdDescending };

enum TGridOption {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking
};
using TGridOptions = TSet<TGridOption>;

enum TGridDrawStateValue { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateValue>;

// A cell range in grid coordinates (columns, display rows), bounds included.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TGridRect&) const = default;
};

// The background of a cell while it is painted; GetCellColor may change it.
class TBrush {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; }

private:
    TColor color_ = clWindow;
};

// Sort state of a grid: the column and direction of the last sort; Show lets a click on a fixed
// row cell sort by that column (a second click reverses the direction).
struct TSortSettings {
    int Column = 0;
    TSortDirection Direction = sdAscending;
    bool Show = false;
};

struct TPrintSettings {
    std::string Title; // printed above the grid on every page
};
