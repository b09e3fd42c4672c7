#include "package/ListReader.h"

#include "workbook/TemplateFill.h"
#include "workbook/Workbook.h"

#include <cmath>

namespace hestavo {

ListLayout ReadListLayout(workbook::Workbook& book, int sheet)
{
    book.setActiveSheet(sheet);
    ListLayout layout;
    layout.dataRow = workbook::findDataRow(book);
    if (layout.dataRow < 0)
        return layout;
    for (int col = 0; col <= book.lastColumn(); ++col) {
        const QString text = book.cellText(layout.dataRow, col).trimmed();
        if (text.startsWith(u'#') && text.size() > 1)
            layout.columns.insert(workbook::asciiUpper(text.mid(1)), col);
    }
    return layout;
}

QMap<QString, qint64> ReadListAmounts(workbook::Workbook& book, int sheet, const ListLayout& layout,
                                      const QString& amountField, int multiplier)
{
    QMap<QString, qint64> amounts;
    const int cnpColumn = layout.columns.value(QStringLiteral("CNP"), -1);
    const int amountColumn = layout.columns.value(amountField, -1);
    if (layout.dataRow < 0 || cnpColumn < 0)
        return amounts;
    book.setActiveSheet(sheet);
    for (int row = layout.dataRow; row <= book.lastRow(); ++row) {
        const QString cnp = book.cellText(row, cnpColumn).trimmed();
        if (cnp.isEmpty())
            break;
        const workbook::CellValue amount = amountColumn < 0 ? workbook::CellValue() : book.cell(row, amountColumn);
        const double value = amount.type == workbook::CellValue::Type::Number ? amount.number
                                                                               : amount.toText().toDouble();
        amounts[cnp] += std::llround(value * 100) * multiplier;
    }
    return amounts;
}

} // namespace hestavo
