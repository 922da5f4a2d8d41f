#pragma once
// Inside the toolkit only: the HTML mark-up of captions (<B>, <I>, <U>, <S>, <FONT color="clRed">,
// <A href="...">, <BR>, ...) as Qt rich text.
#include <QString>
#include <string>

// Colour names such as "clGray" become "#rrggbb"; everything else is passed on, because Qt's
// rich text knows the same tags.
QString ToQtRichText(const std::string& html);
