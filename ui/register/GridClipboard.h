// The register's grid export to the clipboard ("Copiere in Clipboard").
#pragma once

#include "workbook/export/GridExport.h"

namespace hestavo {

// Puts the grid on the clipboard as text/plain (tab-separated) and text/html.
void CopyGridToClipboard(const workbook::GridData& grid);

} // namespace hestavo
