#include "workbook/TemplateFill.h"

#include <QHash>

namespace workbook {

QString asciiUpper(const QString& s)
{
    QString out = s;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 32);
    return out;
}

void replaceMarker(Workbook& book, const QString& marker, const CellValue& value)
{
    if (marker.isEmpty())
        return;
    const QString upperMarker = asciiUpper(marker);
    const QString valueText = value.toText();
    for (const auto& [r, c] : book.presentCells()) {
        CellValue cell = book.cell(r, c);
        if (cell.type != CellValue::Type::Text)
            continue;
        QString text = cell.text;
        if (asciiUpper(text) == upperMarker) {
            book.setCell(r, c, value);
            continue;
        }
        // Search after each inserted value, so a value containing the
        // marker cannot make the replacement run forever.
        bool replaced = false;
        qsizetype from = 0;
        for (;;) {
            qsizetype at = asciiUpper(text).indexOf(upperMarker, from);
            if (at < 0)
                break;
            text.replace(at, marker.size(), valueText);
            from = at + valueText.size();
            replaced = true;
        }
        if (replaced)
            book.setCell(r, c, CellValue::fromText(text));
    }
}

int findDataRow(Workbook& book, int* column)
{
    for (const auto& [r, c] : book.presentCells()) {
        CellValue v = book.cell(r, c);
        if (v.type == CellValue::Type::Text && asciiUpper(v.text.trimmed()) == QLatin1String("#DBF")) {
            if (column) *column = c;
            return r;
        }
    }
    return -1;
}

void fillDataRow(Workbook& book, RecordSource& records, const CellValue& blank)
{
    int markerCol = -1;
    const int row = findDataRow(book, &markerCol);
    if (row < 0)
        return;
    book.setCell(row, markerCol, CellValue::empty());

    const int saved = records.position();
    const int count = records.recordCount();
    if (count > 1)
        book.insertRowCopies(row, count - 1);
    const int lastCol = book.lastColumn();
    if (count == 0) {
        for (int c = 0; c <= lastCol; ++c)
            book.setCell(row, c, CellValue::empty());
        records.restore(saved);
        return;
    }
    QHash<QString, QString> columns;   // upper-cased name -> name
    for (const QString& name : records.columnNames())
        columns.insert(asciiUpper(name.trimmed()), name);
    QHash<QString, bool> textColumn;
    for (auto it = columns.cbegin(); it != columns.cend(); ++it)
        textColumn.insert(it.key(), records.isTextColumn(it.value()));

    // Which cells of the data row take what: the copies all read the same.
    struct Slot { int col; QString column; bool running; };
    std::vector<Slot> places;
    for (int c = 0; c <= lastCol; ++c) {
        CellValue v = book.cell(row, c);
        if (v.type != CellValue::Type::Text)
            continue;
        QString t = asciiUpper(v.text.trimmed());
        if (t == QLatin1String("%NRCRT"))
            places.push_back({c, QString(), true});
        else if (t.startsWith(QLatin1Char('#')) && columns.contains(t.mid(1).trimmed()))
            places.push_back({c, t.mid(1).trimmed(), false});
    }
    records.first();
    for (int k = 0; k < count && !records.eof(); ++k) {
        for (const Slot& s : places) {
            CellValue value;
            if (s.running) {
                value = CellValue::fromNumber(k + 1);
            } else if (textColumn.value(s.column)) {
                value = CellValue::fromText(records.text(columns.value(s.column)));
            } else {
                std::optional<double> n = records.number(columns.value(s.column));
                value = (!n || *n == 0) ? blank : CellValue::fromNumber(*n);
            }
            book.setCell(row + k, s.col, value);
        }
        records.next();
    }
    records.restore(saved);
}

} // namespace workbook
