// A1-style references in OOXML formula text and range attributes: parsing
// "C7", writing it back, and moving the references of a formula when rows are
// inserted or when a formula is copied to another row. String literals are
// skipped; "'Sheet name'!A1", "$", whole columns "A:A" and rows "1:1" are
// understood.
#pragma once

#include "workbook/biff8/Formula.h"

#include <QString>
#include <functional>

namespace workbook::xlsx {

// "C7" -> row 6, col 2 (0-based); false when the text is not a cell reference.
bool parseCellRef(const QString& ref, int& row, int& col);
QString cellRef(int row, int col);
QString columnName(int col);

using biff8::formula::RowShift;

// Applies an insertion to every reference of the formula that points at the
// changed sheet. refersToTarget(sheetPrefix) tells whether a reference with
// that sheet prefix (empty: the formula's own sheet) is on the changed sheet.
QString shiftFormula(const QString& f, const RowShift& shift,
                     const std::function<bool(const QString& sheet)>& refersToTarget);
// Moves relative parts (no "$") by dr rows and dc columns.
QString offsetFormula(const QString& f, int dr, int dc);
// Replaces every reference to the named sheet by #REF!.
QString killSheetRefs(const QString& f, const QString& sheetName);
// A space-separated list of ranges ("A1:B2 C5") under an insertion; a single
// cell on the data row grows like an area.
QString shiftRangeList(const QString& sqref, const RowShift& shift);

constexpr int MaxRow = 1048575;

} // namespace workbook::xlsx
