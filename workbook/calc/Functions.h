// The worksheet functions the calculator evaluates (see isKnownFunction).
#pragma once

#include "workbook/calc/Evaluator.h"

namespace workbook::calc {

CellValue callFunction(Evaluator& ev, const Expression& call);

} // namespace workbook::calc
