// A formula as the calculator understands it, decoded from either file
// format: constants, references and areas on a sheet of the workbook,
// operators and function calls. A formula the decoders cannot express with
// these (an unknown function, an external reference, an array) has no
// Expression at all: its result is left to the spreadsheet program.
#pragma once

#include "workbook/CellValue.h"

#include <QString>
#include <memory>
#include <vector>

namespace workbook::calc {

struct Expression;
using ExpressionPtr = std::shared_ptr<const Expression>;

struct Expression {
    enum class Kind { Constant, Reference, Area, Unary, Binary, Function, Missing };
    Kind kind = Kind::Constant;
    CellValue constant;                    // Constant
    int sheet = 0;                         // Reference, Area: 0-based sheet index
    int row1 = 0, col1 = 0, row2 = 0, col2 = 0;
    QString name;                          // operator ("+", "<>", unary "-", "%") or function (upper case)
    std::vector<ExpressionPtr> args;       // operands, function arguments

    static ExpressionPtr constantOf(const CellValue& v);
    static ExpressionPtr reference(int sheet, int row, int col);
    static ExpressionPtr area(int sheet, int row1, int col1, int row2, int col2);
    static ExpressionPtr missing();
    static ExpressionPtr unary(const QString& op, ExpressionPtr operand);
    static ExpressionPtr binary(const QString& op, ExpressionPtr left, ExpressionPtr right);
    static ExpressionPtr function(const QString& name, std::vector<ExpressionPtr> args);
};

// The functions the calculator evaluates, upper case.
bool isKnownFunction(const QString& name);
// Errors as their names: "#DIV/0!", "#VALUE!", ...
CellValue errorValue(const char* name);

} // namespace workbook::calc
