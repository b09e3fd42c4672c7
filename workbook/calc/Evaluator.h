// The evaluation of one formula's Expression at its cell: operators with the
// spreadsheet conversions (empty cells read as 0 or "", logical values as 1 or
// 0, numeric text as numbers), errors passed on, and the functions the
// calculator knows.
#pragma once

#include "workbook/calc/Expression.h"

#include <optional>

namespace workbook::calc {

class Calculator;

// An evaluated operand: a single value or an area still to be read.
struct Operand {
    bool isArea = false;
    int sheet = 0, row1 = 0, col1 = 0, row2 = 0, col2 = 0;
    CellValue value;
};

class Evaluator {
public:
    Evaluator(const Calculator& calc, int sheet, int row, int col)
        : m_calc(calc), m_sheet(sheet), m_row(row), m_col(col) {}

    // The formula's result; nullopt when it reads a cell without a result.
    std::optional<CellValue> evaluate(const Expression& e);

    // Every value of an area (formula cells with their results), blanks left out.
    void forEachValue(const Operand& area, const std::function<void(const CellValue&)>& visit) const;
    // The stored cells of an area with their places, blanks left out.
    void forEachStored(const Operand& area, const std::function<void(int row, int col, const CellValue&)>& visit) const;
    CellValue valueAt(int sheet, int row, int col) const;
    // A single value: an area gives its only cell, or the cell in the
    // formula's row or column (implicit intersection).
    CellValue scalar(const Operand& o) const;
    Operand operand(const Expression& e);

private:
    CellValue unary(const Expression& e);
    CellValue binary(const Expression& e);
    const Calculator& m_calc;
    int m_sheet, m_row, m_col;
};

// Thrown when a formula reads a cell whose result is unknown.
struct NotUnderstood {};

// Conversions shared by the operators and the functions.
// A number from a value; nullopt with `error` set when it has none.
std::optional<double> toNumber(const CellValue& v, CellValue& error);
std::optional<bool> toBool(const CellValue& v, CellValue& error);
// Numbers as text the way spreadsheets join them: up to 15 significant digits.
QString numberText(double d);
CellValue numberResult(double d);   // #NUM! for infinities and NaN
// -1, 0, 1 comparing two values in spreadsheet order (numbers < text < logical).
int compareValues(const CellValue& a, const CellValue& b);

} // namespace workbook::calc
