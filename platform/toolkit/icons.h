#pragma once
// Pictures the desktop provides: stock icons and the icon of a file type.
#include "toolkit/graphics.h"

#include <string>

enum TStockIcon { siFile, siFolder, siFolderOpen, siObject, siMissing };

void StockIcon(TStockIcon kind, int size, TBitmap& out);
// The desktop's icon for files with extension `ext` ("pdf"); the file icon when it has none.
void FileTypeIcon(const std::string& ext, int size, TBitmap& out);
