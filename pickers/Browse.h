#pragma once
// BrowseForFolder: the folder choice of the export commands, through the toolkit's dialog
// service (a folder dialog on screen, scripted answers in tests).
#include "binding/toolkit.h"

#include <string>

// Lets the user choose a folder, starting at `folder`. True, with `folder` set to the chosen
// path, when a folder that exists was chosen; otherwise `folder` is unchanged. A chosen path that
// is no folder is refused with "Ungültiger Ordner: <path>".
bool BrowseForFolder(TWinControl* owner, std::string& folder, const std::string& title = "");
