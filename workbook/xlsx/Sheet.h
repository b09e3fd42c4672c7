// One worksheet part (xl/worksheets/sheetN.xml). The cell table <sheetData>
// is decoded into rows and cells; the text before and after it is kept as
// read, except the references this engine moves (dimension, merged cells,
// conditional formats, validations, hyperlinks, row breaks).
#pragma once

#include "workbook/CellValue.h"
#include "workbook/xlsx/FormulaText.h"

#include <QList>
#include <QPair>
#include <QString>
#include <map>
#include <vector>

namespace workbook::xlsx {

using Attributes = QList<QPair<QString, QString>>;

struct XCell {
    Attributes attrs;          // every attribute except r
    bool hasFormula = false;
    Attributes formulaAttrs;
    QString formula;
    bool hasValue = false;
    QString value;
    bool hasInline = false;
    QString inlineText;

    QString attr(const QString& name) const;
    void setAttr(const QString& name, const QString& value);   // empty value removes
};

struct XRow {
    Attributes attrs;          // every attribute except r and spans
    std::map<int, XCell> cells;
};

// The value a cell holds (a formula cell: its cached result); t="s" reads
// the shared strings.
CellValue valueOf(const XCell& c, const std::vector<QString>& sharedStrings);

class Sheet {
public:
    void parse(const QByteArray& xml);
    QByteArray serialize() const;

    std::map<int, XRow>& rows() { return m_rows; }
    const std::map<int, XRow>& rows() const { return m_rows; }
    int lastRow() const;
    int lastColumn() const;

    // Shared formulas become each cell's own formula.
    void unshareFormulas();
    void shiftFormulas(const RowShift& totals, const RowShift& plain, int dataRow,
                       const std::function<bool(const QString& sheet)>& refersToTarget);
    void shiftRanges(const RowShift& shift, int dataRow, int count);
    void copyRowBelow(int row, int count);
    void forEachFormula(const std::function<void(QString&)>& f);
    void setSelected(bool selected);
    // Default style of a new cell: the row's, else the column's.
    QString defaultStyle(int row, int col) const;
    // Column width in characters (<col width>, else the sheet's default).
    double columnWidthChars(int col) const;
    double rowHeightPoints(int row) const;
    // A fixed height (customHeight) for the row.
    void setRowHeightPoints(int row, double points);

private:
    // An attribute of the <col> element that covers the column; empty when none.
    QString columnAttribute(int col, const char* name) const;
    QString m_before, m_after;
    std::map<int, XRow> m_rows;
};

} // namespace workbook::xlsx
