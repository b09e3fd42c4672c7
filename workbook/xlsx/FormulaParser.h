// Reads the text of an .xlsx formula ("SUM(D11:D13)*2", "'Foaie 2'!B4",
// "IF(C5>0,C5/D5,0)") into a calculator Expression. Sheet prefixes and
// defined names are resolved through the workbook; anything the calculator
// does not know (other functions, external workbooks, arrays, intersections)
// gives no Expression.
#pragma once

#include "workbook/calc/Expression.h"

#include <functional>

namespace workbook::xlsx {

struct FormulaContext {
    int sheet = 0;                                               // the formula's own sheet
    std::function<int(const QString& name)> sheetIndex;          // -1 when unknown
    // A defined name's expression as seen from `sheet`; null when unknown.
    std::function<calc::ExpressionPtr(const QString& name, int sheet)> name;
};

calc::ExpressionPtr parseFormula(const QString& text, const FormulaContext& context);

} // namespace workbook::xlsx
