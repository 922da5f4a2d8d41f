// Enumerations and small value types of the string grid.
#pragma once

#include <cstdint>
#include <initializer_list>

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

// Set of grid options with the set operations the VCL-style code uses: Options << goEditing.
class TGridOptions {
public:
    constexpr TGridOptions() = default;
    constexpr TGridOptions(std::initializer_list<TGridOption> items)
    {
        for (auto o : items)
            bits_ |= bit(o);
    }
    constexpr bool Contains(TGridOption o) const { return (bits_ & bit(o)) != 0; }
    constexpr TGridOptions& operator<<(TGridOption o)
    {
        bits_ |= bit(o);
        return *this;
    }
    constexpr TGridOptions& operator>>(TGridOption o)
    {
        bits_ &= ~bit(o);
        return *this;
    }
    constexpr bool operator==(const TGridOptions&) const = default;

private:
    static constexpr std::uint32_t bit(TGridOption o) { return 1u << static_cast<unsigned>(o); }
    std::uint32_t bits_ = 0;
};

enum TGridDrawStateFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned; // combination of TGridDrawStateFlag

enum TGridHAlign { gaLeft, gaRight, gaCenter };
enum TGridVAlign { gvTop, gvCenter, gvBottom };

// Font style bits of a cell; the grid maps them to the toolkit's font styles at its surface.
enum TGridFontStyleBit : std::uint8_t { gfsBold = 1, gfsItalic = 2, gfsUnderline = 4, gfsStrikeOut = 8 };
