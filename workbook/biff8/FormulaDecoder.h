// Reads the parsed tokens (rgce) of a BIFF8 formula into a calculator
// Expression by running its reverse Polish notation on a stack. Tokens that
// only guide Excel's own evaluation (spaces, jumps of IF, memory areas) are
// passed over. Unknown functions, external and 3D references spanning
// several sheets, arrays and the reference operators give no Expression.
#pragma once

#include "workbook/calc/Expression.h"

#include <QByteArray>
#include <functional>

namespace workbook::biff8 {

struct DecodeContext {
    int sheet = 0;                                      // the formula's own sheet
    std::function<int(uint16_t ixti)> sheetOfXti;       // -1: not one sheet of this workbook
    // The expression of NAME record `index` (1-based); null when unknown.
    std::function<calc::ExpressionPtr(uint16_t index)> name;
};

calc::ExpressionPtr decodeFormula(const QByteArray& rgce, const DecodeContext& context);

} // namespace workbook::biff8
