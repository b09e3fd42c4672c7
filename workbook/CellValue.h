// The value of one spreadsheet cell as the workbook engine reads and writes it.
#pragma once

#include <QString>

namespace workbook {

struct CellValue {
    enum class Type { Empty, Text, Number, Bool, Error };
    Type type = Type::Empty;
    QString text;        // Text; the error's name for Error
    double number = 0;   // Number; 0/1 for Bool
    bool isDate = false; // when reading: a number whose format is a date

    static CellValue empty() { return {}; }
    static CellValue fromText(const QString& t) { CellValue v; v.type = Type::Text; v.text = t; return v; }
    static CellValue fromNumber(double d) { CellValue v; v.type = Type::Number; v.number = d; return v; }
    bool isEmpty() const { return type == Type::Empty || (type == Type::Text && text.isEmpty()); }

    // The value as text: numbers in the general format ("1600", "112.5").
    QString toText() const;
};

// "." as decimal separator, no thousands separator, no trailing zeros.
QString generalNumber(double d);

// A custom number format shows a date when it holds d, m, y, h or s outside
// quotes and brackets.
bool formatIsDate(const QString& format);

} // namespace workbook
