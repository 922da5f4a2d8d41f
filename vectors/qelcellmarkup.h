#pragma once
// The cell mark-up the vector editors write: links, and values that must not be read as mark-up.
#include "binding/objdb.h"

#include "toolkit/minihtml.h"

#include <string>

inline std::string QelCellLink(const std::string& text)
{
    return "<A href=\"\">" + text + "</A>";
}

// Text that goes into mark-up: a name holding "<B>" must not turn bold.
inline std::string QelCellEscaped(const std::string& text)
{
    return text.find_first_of("<>&\"") == std::string::npos ? text : HtmlEscape(text);
}

// A value shown on its own: only a value that would be read as mark-up is escaped, and then led
// by an empty tag so that the renderer decodes the entities instead of showing them.
inline std::string QelCellLiteral(const std::string& text)
{
    return qel::minihtml::IsMarkup(text) ? "<B></B>" + QelCellEscaped(text) : text;
}
