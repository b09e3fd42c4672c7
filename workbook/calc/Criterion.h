// The condition of SUMIF and COUNTIF: a value ("5", "text", TRUE) or a text
// starting with a comparison ("<>0", ">=100", "=Cluj"). Text compares without
// regard to case; in an equality "*" and "?" are wildcards and "~" quotes them.
#pragma once

#include "workbook/CellValue.h"

#include <optional>

namespace workbook::calc {

class Criterion {
public:
    explicit Criterion(const CellValue& condition);
    bool matches(const CellValue& cell) const;

private:
    bool matchesText(const QString& text) const;
    QString m_op = QStringLiteral("=");
    CellValue m_value;
    std::optional<double> m_number;   // the operand when it reads as a number
};

} // namespace workbook::calc
