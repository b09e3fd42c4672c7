// Stores fresh results in the formula cells of a BIFF8 workbook: numbers,
// text (with its STRING record), logical values and errors. A formula the
// calculator cannot evaluate keeps the "always calculate" flag and an empty
// text result, never the template's stale one; an evaluated formula clears
// the flag.
#pragma once

#include "workbook/biff8/Globals.h"
#include "workbook/biff8/Worksheet.h"

namespace workbook::biff8 {

void recalculate(const Globals& globals, std::vector<Worksheet>& sheets);

// The 8 cached result bytes and STRING record data of a formula cell.
void storeResult(Cell& cell, const std::optional<CellValue>& result);

} // namespace workbook::biff8
