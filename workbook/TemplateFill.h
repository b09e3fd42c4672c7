// Filling a spreadsheet template: single-value markers replaced anywhere on the
// active sheet, and the data row (the row holding "#DBF") repeated for the
// records of a result. The conventions of every template of the program:
// "%NRCRT" receives the running number, "#" + column name a column's value.
#pragma once

#include "workbook/Workbook.h"

#include <QStringList>
#include <optional>
#include <vector>

namespace workbook {

// The records that fill a data row, read one at a time (a query's result).
class RecordSource {
public:
    virtual ~RecordSource() = default;
    virtual int recordCount() = 0;
    virtual int position() = 0;
    virtual void restore(int position) = 0;
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() = 0;
    virtual QStringList columnNames() = 0;
    virtual bool isTextColumn(const QString& column) = 0;
    virtual QString text(const QString& column) = 0;
    // Numbers, dates as their day number; nullopt when the value is not a number.
    virtual std::optional<double> number(const QString& column) = 0;
};

// Upper-cases the ASCII letters only.
QString asciiUpper(const QString& s);

// Replaces the marker (any case) on the active sheet: a cell that is exactly
// the marker receives the value itself (a number stays a number); a cell
// containing it receives its text with every occurrence replaced.
void replaceMarker(Workbook& book, const QString& marker, const CellValue& value);

// Row of the first cell reading "#DBF" (trimmed, any case), scanning rows
// downwards and columns rightwards; -1 when none.
int findDataRow(Workbook& book, int* column = nullptr);

// Lines a text takes in a cell `widthPoints` wide at `fontPoints`, wrapped at
// spaces (a word longer than a line is broken) and at line ends. An estimate
// from the average width of a letter, on the generous side.
int wrappedLines(const QString& text, double widthPoints, double fontPoints);

// Raises the heights of rows first..last of the active sheet so that the
// text of their wrapping cells in `columns` shows whole; never lowers one.
void fitRowHeights(Workbook& book, int firstRow, int lastRow, const std::vector<int>& columns);

// Fills the data row of the active sheet with the records: copies of the row
// are inserted first, all at once; numeric zero and unreadable numbers become
// blank; rows grow to the wrapped text of their cells. An empty source
// empties the data row. Without a data row nothing changes. The source's
// position is restored.
void fillDataRow(Workbook& book, RecordSource& records, const CellValue& blank);

} // namespace workbook
