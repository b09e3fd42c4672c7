#include "workbook/xlsx/FormulaText.h"

#include "workbook/WorkbookError.h"

#include <QStringList>

namespace workbook::xlsx {

namespace {

bool isLetter(QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('Z'); }
bool isLower(QChar c) { return c >= QLatin1Char('a') && c <= QLatin1Char('z'); }
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.'); }

struct Part {          // one side of a reference
    bool colAbs = false, rowAbs = false;
    int col = -1, row = -1;   // -1: absent (whole row / whole column)
};

// Reads "$A$1", "A1", "$A", "1" at i; returns length consumed or 0.
int readPart(const QString& s, int i, Part& p)
{
    int j = i;
    p = Part();
    if (j < s.size() && s[j] == QLatin1Char('$')) { p.colAbs = true; ++j; }
    int c0 = j;
    while (j < s.size() && isLetter(s[j]) && j - c0 < 3) ++j;
    if (j > c0) {
        int col = 0;
        for (int k = c0; k < j; ++k) col = col * 26 + (s[k].unicode() - 'A' + 1);
        p.col = col - 1;
        if (p.col > 16383) return 0;
    } else if (p.colAbs) {
        // "$1" is a row with an absolute marker
        p.colAbs = false;
        p.rowAbs = true;
    }
    if (j < s.size() && s[j] == QLatin1Char('$') && p.col >= 0) { p.rowAbs = true; ++j; }
    int r0 = j;
    while (j < s.size() && isDigit(s[j])) ++j;
    if (j > r0) {
        bool ok = false;
        long long r = s.mid(r0, j - r0).toLongLong(&ok);
        if (!ok || r < 1 || r > MaxRow + 1) return 0;
        p.row = int(r - 1);
    }
    if (p.col < 0 && p.row < 0) return 0;
    if (p.col >= 0 && p.row < 0 && p.rowAbs) return 0;
    return j - i;
}

QString writePart(const Part& p)
{
    QString out;
    if (p.col >= 0) {
        if (p.colAbs) out += QLatin1Char('$');
        out += columnName(p.col);
    }
    if (p.row >= 0) {
        if (p.rowAbs) out += QLatin1Char('$');
        out += QString::number(p.row + 1);
    }
    return out;
}

// Position of the quote that closes the quoted run opening at `open` (a
// doubled quote inside stands for the quote itself); the length of the text
// when the run is never closed.
int closingQuote(const QString& f, int open)
{
    const QChar quote = f[open];
    const int n = int(f.size());
    int j = open + 1;
    while (j < n) {
        if (f[j] == quote) {
            if (j + 1 < n && f[j + 1] == quote) { j += 2; continue; }
            break;
        }
        ++j;
    }
    return j;
}

// Calls edit(sheetPrefix, a, b, hasB) for each reference; edit changes a and b
// or returns false to write "#REF!" instead.
QString forEachRef(const QString& f, const std::function<bool(const QString&, Part&, Part&, bool)>& edit)
{
    QString out;
    out.reserve(f.size() + 8);
    int i = 0;
    const int n = int(f.size());
    while (i < n) {
        QChar c = f[i];
        if (c == QLatin1Char('"')) {
            const int j = closingQuote(f, i);
            out += f.mid(i, j - i + 1);
            i = j + 1;
            continue;
        }
        if (c == QLatin1Char('[')) {   // structured references are left alone
            int j = f.indexOf(QLatin1Char(']'), i);
            if (j < 0) j = n - 1;
            out += f.mid(i, j - i + 1);
            i = j + 1;
            continue;
        }
        // Sheet prefix: 'quoted name'! or bare name!
        QString sheet;
        int start = i;
        int j = i;
        if (c == QLatin1Char('\'')) {
            const int k = closingQuote(f, i);
            if (k + 1 < n && f[k + 1] == QLatin1Char('!')) {
                sheet = f.mid(i + 1, k - i - 1).replace(QLatin1String("''"), QLatin1String("'"));
                j = k + 2;
            } else {
                out += f.mid(i, k - i + 1);
                i = k + 1;
                continue;
            }
        } else if (isNameChar(c) && (i == 0 || !isNameChar(f[i - 1]))) {
            int k = i;
            while (k < n && isNameChar(f[k])) ++k;
            if (k < n && f[k] == QLatin1Char('!')) {
                sheet = f.mid(i, k - i);
                j = k + 1;
            }
        }
        bool boundary = j == 0 || !(isNameChar(f[j - 1]) || f[j - 1] == QLatin1Char('$')) || j > start;
        Part a, b;
        int la = boundary ? readPart(f, j, a) : 0;
        if (la > 0) {
            int k = j + la;
            bool hasB = false;
            if (k < n && f[k] == QLatin1Char(':')) {
                int lb = readPart(f, k + 1, b);
                if (lb > 0 && (a.col >= 0) == (b.col >= 0) && (a.row >= 0) == (b.row >= 0)) {
                    hasB = true;
                    k += 1 + lb;
                }
            }
            bool wholeOk = hasB || (a.col >= 0 && a.row >= 0);
            bool endOk = k >= n || !(isNameChar(f[k]) || f[k] == QLatin1Char('(') || isLower(f[k]));
            if (wholeOk && endOk) {
                if (!hasB) b = a;
                bool keep = edit(sheet, a, b, hasB);
                if (keep && (!sheet.isEmpty() || j > start))
                    out += f.mid(start, j - start);
                if (!keep) {
                    out += QLatin1String("#REF!");
                } else {
                    out += writePart(a);
                    if (hasB) { out += QLatin1Char(':'); out += writePart(b); }
                }
                i = k;
                continue;
            }
        }
        if (j > start) {
            out += f.mid(start, j - start);
            i = j;
            continue;
        }
        // Not a reference: copy the whole name or the character.
        if (isNameChar(c)) {
            int k = i;
            while (k < n && (isNameChar(f[k]) || f[k] == QLatin1Char('$'))) ++k;
            out += f.mid(i, k - i);
            i = k;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

void checkRow(int r)
{
    if (r > MaxRow)
        throw WorkbookError("Foaia ar depasi limita de 1048576 randuri a formatului .xlsx");
}

} // namespace

QString columnName(int col)
{
    QString s;
    int c = col + 1;
    while (c > 0) {
        int m = (c - 1) % 26;
        s.prepend(QChar('A' + m));
        c = (c - 1) / 26;
    }
    return s;
}

QString cellRef(int row, int col) { return columnName(col) + QString::number(row + 1); }

bool parseCellRef(const QString& ref, int& row, int& col)
{
    Part p;
    QString r = ref;
    r.remove(QLatin1Char('$'));
    if (readPart(r, 0, p) != r.size() || p.row < 0 || p.col < 0)
        return false;
    row = p.row;
    col = p.col;
    return true;
}

QString shiftFormula(const QString& f, const RowShift& s, const std::function<bool(const QString&)>& refersToTarget)
{
    return forEachRef(f, [&](const QString& sheet, Part& a, Part& b, bool hasB) {
        if (!refersToTarget(sheet) || a.row < 0)
            return true;
        if (!hasB) {
            a.row = s.moveRow(a.row);
            checkRow(a.row);
            b = a;
            return true;
        }
        if (a.row == 0 && b.row == MaxRow)
            return true;
        int r1 = a.row, r2 = b.row;
        s.moveArea(r1, r2);
        checkRow(r2);
        a.row = r1;
        b.row = r2;
        return true;
    });
}

QString offsetFormula(const QString& f, int dr, int dc)
{
    return forEachRef(f, [&](const QString&, Part& a, Part& b, bool) {
        for (Part* p : {&a, &b}) {
            if (p->row >= 0 && !p->rowAbs) { p->row += dr; checkRow(p->row); if (p->row < 0) return false; }
            if (p->col >= 0 && !p->colAbs) { p->col += dc; if (p->col < 0 || p->col > 16383) return false; }
        }
        return true;
    });
}

QString killSheetRefs(const QString& f, const QString& sheetName)
{
    return forEachRef(f, [&](const QString& sheet, Part&, Part&, bool) {
        return sheet.compare(sheetName, Qt::CaseInsensitive) != 0;
    });
}

QString shiftRangeList(const QString& sqref, const RowShift& s)
{
    // A single cell is an area of one cell: on the data row it grows with the copies.
    QStringList items = sqref.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& item : items) {
        const bool single = !item.contains(QLatin1Char(':'));
        if (single)
            item += QLatin1Char(':') + item;
        item = shiftFormula(item, s, [](const QString&) { return true; });
        const QStringList ends = item.split(QLatin1Char(':'));
        if (single && ends.size() == 2 && ends[0] == ends[1])
            item = ends[0];
    }
    return items.join(QLatin1Char(' '));
}

} // namespace workbook::xlsx
