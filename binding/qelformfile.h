#pragma once
// A form's controls from a .ui file designed in Qt Designer, ready for ConnectSubControls like
// hand-made ones. Each unknown class or property of the file is written once to the database's
// log (category "Warning") besides the loader's own warning.
#include "toolkit/formloader.h"

#include <string>

TFormLoadResult QelLoadFormFile(TWinControl* target, const std::string& fileName, TComponent* owner);
TFormLoadResult QelLoadFormText(TWinControl* target, const std::string& uiText, TComponent* owner);
