// One sheet substream of a BIFF8 workbook: the records before the cell table,
// the cells by row and column, and the records after them. Cell records are
// decoded into Cell values (shared formulas are unshared, MULRK and MULBLANK
// split); every other record is carried over as read, except INDEX, DBCELL and
// DIMENSIONS, which are regenerated (INDEX and DBCELL are left out).
#pragma once

#include "workbook/CellValue.h"
#include "workbook/biff8/Formula.h"
#include "workbook/biff8/RecordReader.h"
#include "workbook/biff8/SharedStrings.h"

#include <map>
#include <vector>

namespace workbook::biff8 {


struct Cell {
    enum Kind : uint8_t { Blank, Number, Text, BoolErr, Formula };
    Kind kind = Blank;
    uint16_t xf = 15;
    double number = 0;
    QString text;
    StringFormatting textFormatting;   // rich-text runs and phonetic data of a shared string
    uint8_t boolErrValue = 0, boolErrIsError = 0;
    // Formula: cached result (8 bytes), flags, tokens and extra data.
    QByteArray cached;
    uint16_t flags = 0;
    QByteArray rgce, extra;
    QByteArray stringResult;   // STRING record after a formula with a text result
    QByteArray arrayRecord;    // ARRAY record when this cell starts an array formula
};

struct Row {
    QByteArray rowRecord;      // the ROW record (16 bytes), empty if none
    std::map<int, Cell> cells;
};

class Worksheet {
public:
    // records: from the sheet's BOF to its EOF inclusive.
    void parse(const std::vector<Record>& records, const std::vector<QString>& sst,
               const std::vector<StringFormatting>& sstFormatting);
    QByteArray serialize(SharedStrings& sst) const;

    bool isWorksheet() const { return m_worksheet; }
    int lastRow() const;
    int lastColumn() const;
    const Cell* cell(int row, int col) const;
    // The cell at (row, col), created with the row's or column's format when new.
    Cell& cellForWrite(int row, int col);

    // Moves every reference on this sheet's cells, ranges and records.
    // dataRow: the row whose formulas follow plain insertion (-1 for none).
    void shiftFormulas(const formula::RowShift& totals, const formula::RowShift& plain, int dataRow,
                       const formula::Scope& scope);
    // Moves rows below `row` by count and fills the gap with copies of `row`.
    void copyRowBelow(int row, int count);
    // Shifts MERGEDCELLS, CONDFMT, DV, HLINK, NOTE and page breaks.
    void shiftRanges(const formula::RowShift& shift, int dataRow, int count);
    void forEachFormula(const std::function<void(QByteArray& rgce, QByteArray& extra)>& f);
    void setSelected(bool selected);
    // Column width in characters of the default font (COLINFO, else DEFCOLWIDTH).
    double columnWidthChars(int col) const;
    int rowHeightTwips(int row) const;
    // A fixed height for the row, creating its ROW record when it has none.
    void setRowHeightTwips(int row, int twips);

    std::map<int, Row>& rows() { return m_rows; }
    const std::map<int, Row>& rows() const { return m_rows; }

private:
    uint16_t defaultXf(int row, int col) const;
    // A ROW record of the default height (row and columns filled in on save).
    QByteArray defaultRowRecord() const;
    bool m_worksheet = true;
    std::vector<Record> m_before;
    int m_dimensionsAt = -1;
    std::vector<Record> m_after;
    std::vector<bool> m_afterNested;   // records inside an embedded chart substream
    std::map<int, Row> m_rows;
    uint16_t m_defaultHeight = 255;
};

// The workbook-wide cell record decoders, shared with the tests.
double decodeRk(uint32_t rk);

} // namespace workbook::biff8
