// What the calculator reads from a workbook: the cells of its sheets, with
// formula cells marked (their values come from the calculator itself).
#pragma once

#include "workbook/CellValue.h"

#include <functional>

namespace workbook::calc {

class CellGrid {
public:
    virtual ~CellGrid() = default;
    // Calls visit for every stored cell of the area, by row then column.
    // `formula` marks a formula cell; its value is then meaningless.
    virtual void forEachCell(int sheet, int row1, int col1, int row2, int col2,
                             const std::function<void(int row, int col, const CellValue& value, bool formula)>& visit) const = 0;
};

} // namespace workbook::calc
