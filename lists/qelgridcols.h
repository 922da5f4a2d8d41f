#pragma once
// Column width rules of the object grids and their settings string.
//
// One column is written "<width>[/<stretch>]", the columns of a grid joined by ";", e.g.
// "120/100;-50/100;20c/100". The width part (trimmed) is read by its last character:
//   c or C      N characters: the width of N letters X (N defaults to 1)
//   ' or "      a sample text between the first and the last character: its width
//   %           a share of N parts of the width left over after the fixed columns (N defaults
//               to 100)
//   otherwise   an integer: 1 or more is pixels, below 1 a share of -N parts (-100 when it is no
//               integer)
// The stretch part (an integer, 100 when missing or no number) weighs the column when widths are
// stretched to fill the client. An empty width part keeps the column's width rule.
//
// Reading never fails: what cannot be read falls back to the defaults above, and every number is
// clamped so that sums over 32 columns cannot overflow.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct TQelGridColInfo {
    std::string Spec = "-100"; // the width part as last set (trimmed)
    int Width = -100; // >= 1: pixels; < 1: a share of -Width parts
    int Stretch = 100; // weight when stretching, >= 0
};

// Pixel width of a text in the grid's font.
using TQelTextMeasure = std::function<int(const std::string& text)>;

inline constexpr int QelGridMaxPixels = 100000; // widest column in pixels
inline constexpr int QelGridMaxShare = 1000000; // largest share or stretch weight
inline constexpr int QelGridMaxChars = 1000; // longest "<N>c" width

// Applies one column's settings "<width>[/<stretch>]" to `info`.
void QelApplyColSettings(TQelGridColInfo& info, std::string_view settings, const TQelTextMeasure& measure);
// The settings of a column as they read back: Spec + "/" + Stretch.
std::string QelColSettingsText(const TQelGridColInfo& info);
// The parts of a settings string of several columns (split at ";" outside quoted sample texts).
std::vector<std::string> QelSplitColSettings(std::string_view all);

// Appends a byte string whose byte order (unsigned, shorter first) is the order of
// AnsiCompareText, equal exactly when AnsiSameText is: the collation value + 1 of every
// case-folded character ("ß" as "ss"; a character outside Windows-1252 as 0xFF and its code point
// in three bytes), a 0 byte, then the case-folded text.
void QelAppendCollationKey(std::string_view text, std::string& out);
