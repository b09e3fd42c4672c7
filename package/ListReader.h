// Reading back a list workbook the program filled from one of its templates:
// the template's data row ("#DBF") tells which row the list starts on and
// which column holds which field ("#CNP", "#TOTAL"); the filled workbook
// holds one row per record from there down, while the CNP cell is filled.
#pragma once

#include <QMap>
#include <QString>

namespace workbook {
class Workbook;
}

namespace hestavo {

// Where a field sits in a template sheet: the data row and the column of each
// "#NAME" cell of that row (0-based). Empty columns when the sheet has no data row.
struct ListLayout {
    int dataRow = -1;
    QMap<QString, int> columns;   // "CNP" -> column
};

// The layout of sheet (0-based) of a template workbook (its active sheet changes).
ListLayout ReadListLayout(workbook::Workbook& templateBook, int sheet);

// Per holder CNP the sum of amountField in hundredths (bani) over the rows of
// sheet (0-based) of a filled list; multiplier scales each amount (the months
// of aid of an annex sheet). A blank amount cell counts as 0, as the lists
// write zero blank.
QMap<QString, qint64> ReadListAmounts(workbook::Workbook& filled, int sheet, const ListLayout& layout,
                                      const QString& amountField, int multiplier = 1);

} // namespace hestavo
