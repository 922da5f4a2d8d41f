// The small HTML dialect of grid cells, lists and labels: parsing and stripping, without Qt.
//
// Recognised tags (any case): <A href="..."> </A>, <E> </E> (error text), <FONT color="..."> </FONT>,
// <B>, <I>, <U>, <S> with their end tags, <BR>. Colours are toolkit colour names (clGray) or #RRGGBB.
// Anything else that looks like a tag stays literal text, so " <keine Auswahl>" shows as written.
// A text is treated as mark-up only when it contains at least one recognised tag.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel::minihtml {

enum StyleBit : std::uint8_t { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8, Error = 16 };

// Colour value in the toolkit's encoding (0x00BBGGRR, system colours 0xFF0000nn); NoColor = inherit.
constexpr std::int32_t NoColor = 0x1FFFFFFF;

struct Run {
    std::string text; // UTF-8, entities decoded
    std::uint8_t style = 0; // StyleBit combination
    std::int32_t color = NoColor;
    int anchor = -1; // index into Document::anchors, -1 outside links
    bool lineBreak = false; // a <BR>: the run has no text
};

struct Document {
    std::vector<Run> runs;
    std::vector<std::string> anchors; // href of each <A>, in order
};

// True when the text contains a recognised tag (cheap scan; plain cells skip parsing).
bool IsMarkup(std::string_view text);

// Parses mark-up; a text without recognised tags gives one plain run with the text unchanged.
Document Parse(std::string_view text);

// The text without mark-up: tags removed, entities decoded, <BR> as a line feed. Plain text unchanged.
std::string Strip(std::string_view text);

// Reads a colour written as a toolkit name ("clGray", any case), "#RRGGBB" or "$BBGGRR".
bool ParseColor(std::string_view name, std::int32_t& color);

} // namespace qel::minihtml
