#include "workbook/TemplateFill.h"

#include <QHash>

#include <algorithm>

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

namespace {

// Advance of a character of Arial in ems, by its kind: narrow punctuation and
// spaces, digits, lower-case and upper-case letters (the wide ones rounded up).
double advance(QChar c)
{
    if (c.isSpace() || QStringLiteral(".,;:'!|()[]/-").contains(c))
        return 0.30;
    if (c.isDigit())
        return 0.556;
    if (c.isUpper())
        return QStringLiteral("MW").contains(c.toUpper()) || c.unicode() > 0x7F ? 0.84 : 0.70;
    return QStringLiteral("mw").contains(c) ? 0.84 : 0.53;
}

double advance(const QString& text)
{
    double em = 0;
    for (QChar c : text)
        em += advance(c);
    return em;
}

} // namespace

int wrappedLines(const QString& text, double widthPoints, double fontPoints)
{
    const double line = std::max(1.0, (widthPoints - 4) / fontPoints);   // in ems
    const double space = advance(QChar(' '));
    int lines = 0;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        double used = 0;   // ems on the current line
        lines += 1;
        for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const double w = advance(word);
            if (used > 0 && used + space + w <= line) {
                used += space + w;
                continue;
            }
            if (used > 0)
                lines += 1;
            // A word longer than a line is broken wherever it reaches the edge.
            used = 0;
            for (QChar c : word) {
                if (used > 0 && used + advance(c) > line) {
                    lines += 1;
                    used = 0;
                }
                used += advance(c);
            }
        }
    }
    return lines;
}

void fitRowHeights(Workbook& book, int firstRow, int lastRow, const std::vector<int>& columns)
{
    std::vector<double> widths;
    for (int c : columns)
        widths.push_back(book.columnWidthPoints(c));
    for (int r = firstRow; r <= lastRow; ++r) {
        double needed = 0;
        for (size_t i = 0; i < columns.size(); ++i) {
            const Workbook::TextLayout layout = book.textLayout(r, columns[i]);
            const CellValue v = book.cell(r, columns[i]);
            if (!layout.wraps || v.type != CellValue::Type::Text || v.text.isEmpty())
                continue;
            const int lines = wrappedLines(v.text, widths[i], layout.fontPoints);
            needed = std::max(needed, lines * layout.fontPoints * 1.2 + 3);
        }
        if (needed > book.rowHeightPoints(r) + 0.5)
            book.setRowHeightPoints(r, needed);
    }
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
    std::vector<int> textColumns;
    int k = 0;
    for (; k < count && !records.eof(); ++k) {
        for (const Slot& s : places) {
            CellValue value;
            if (s.running) {
                value = CellValue::fromNumber(k + 1);
            } else if (textColumn.value(s.column)) {
                value = CellValue::fromText(records.text(columns.value(s.column)));
                if (k == 0)
                    textColumns.push_back(s.col);
            } else {
                std::optional<double> n = records.number(columns.value(s.column));
                value = (!n || *n == 0) ? blank : CellValue::fromNumber(*n);
            }
            book.setCell(row + k, s.col, value);
        }
        records.next();
    }
    fitRowHeights(book, row, row + k - 1, textColumns);
    records.restore(saved);
}

} // namespace workbook
