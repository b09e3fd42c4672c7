// Export of a grid's contents (titles and rows, as a window shows them) to
// common formats: HTML, Excel (.xls), Word and RTF (an RTF table), plain text
// in columns, CSV, tab-separated text, DIF, SYLK, and the clipboard (tab-
// separated text and HTML). Values are written as the grid shows them: text,
// numbers in the general format, dates as dd.MM.yyyy; spreadsheet formats keep
// numbers as numbers. Write errors raise WorkbookError naming the file.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

class QMimeData;

namespace workbook {

struct GridValue {
    enum class Kind { Empty, Text, Number, Date };
    Kind kind = Kind::Empty;
    QString text;
    double number = 0;
    QDate date;

    static GridValue fromText(const QString& t) { GridValue v; v.kind = Kind::Text; v.text = t; return v; }
    static GridValue fromNumber(double d) { GridValue v; v.kind = Kind::Number; v.number = d; return v; }
    static GridValue fromDate(const QDate& d) { GridValue v; v.kind = d.isValid() ? Kind::Date : Kind::Empty; v.date = d; return v; }
    QString toText() const;   // as shown: numbers general, dates dd.MM.yyyy
};

struct GridData {
    QStringList titles;
    std::vector<std::vector<GridValue>> rows;
};

enum class GridFormat { Html, Excel, Word, Text, Csv, Tab, Rtf, Dif, Sylk };

// The file name extension of each format (Word writes RTF into a .doc file).
QString gridFormatExtension(GridFormat format);

// Bytes of the file for every format but Excel.
QByteArray gridToBytes(const GridData& grid, GridFormat format);
// Writes the file (Excel: a BIFF8 workbook made from the built-in blank one).
void exportGrid(const GridData& grid, GridFormat format, const QString& path);
// The grid as the clipboard takes it: text/plain (tab-separated) and
// text/html. The caller owns the result (the clipboard, once given it).
QMimeData* gridToMimeData(const GridData& grid);

} // namespace workbook
