// Evaluates the formulas of a workbook in dependency order: the cells a
// formula reads are evaluated before it, found with an explicit stack (long
// chains of running totals need no deep recursion). Formulas caught in a
// cycle get an error instead of a result. A formula without an Expression, or
// one reading such a formula's cell, has no result: the spreadsheet program
// must calculate it.
#pragma once

#include "workbook/calc/CellGrid.h"
#include "workbook/calc/Expression.h"

#include <map>
#include <optional>
#include <vector>

namespace workbook::calc {

class Calculator {
public:
    explicit Calculator(const CellGrid& grid) : m_grid(grid) {}

    // expression null: a formula the calculator does not understand.
    void addFormula(int sheet, int row, int col, ExpressionPtr expression);
    void run();
    // The result of the i-th added formula; nullopt when not understood.
    const std::optional<CellValue>& result(size_t i) const { return m_formulas[i].result; }

    // The value of a formula cell (Error "#VALUE!" inside a cycle), used by
    // the evaluation of other formulas; nullopt when it has no result.
    std::optional<CellValue> formulaValue(int sheet, int row, int col) const;
    const CellGrid& grid() const { return m_grid; }

private:
    struct Formula {
        int sheet, row, col;
        ExpressionPtr expression;
        std::optional<CellValue> result;
        bool cyclic = false;
    };
    static quint64 key(int row, int col) { return (quint64(quint32(row)) << 32) | quint32(col); }
    std::vector<size_t> dependencies(const Formula& f) const;
    void collect(const Expression& e, std::vector<size_t>& out) const;
    std::vector<size_t> order();

    const CellGrid& m_grid;
    std::vector<Formula> m_formulas;
    std::vector<std::map<quint64, size_t>> m_bySheet;   // key(row, col) -> formula
};

} // namespace workbook::calc
