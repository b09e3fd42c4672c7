#include "workbook/export/GridExport.h"

#include "workbook/Workbook.h"
#include "workbook/biff8/XlsWorkbook.h"

#include <QFile>
#include <QMimeData>
#include <QStringConverter>

static void initGridExportResources()
{
    Q_INIT_RESOURCE(GridExport);
}

namespace workbook {

namespace {

QString htmlEscape(const QString& s)
{
    QString out = s.toHtmlEscaped();
    out.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return out;
}

QString csvField(const QString& s, QChar sep)
{
    if (s.contains(sep) || s.contains(QLatin1Char('"')) || s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'))) {
        QString q = s;
        q.replace(QLatin1Char('"'), QLatin1String("\"\""));
        return QLatin1Char('"') + q + QLatin1Char('"');
    }
    return s;
}

// Tab-separated text keeps one line per row: tabs and line breaks in a value become spaces.
QString tabField(const QString& s)
{
    QString t = s;
    for (QChar& c : t)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) c = QLatin1Char(' ');
    return t;
}

QString rtfText(const QString& s)
{
    QString out;
    for (QChar c : s) {
        ushort u = c.unicode();
        if (c == QLatin1Char('\\') || c == QLatin1Char('{') || c == QLatin1Char('}')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (c == QLatin1Char('\n')) {
            out += QLatin1String("\\line ");
        } else if (u < 0x20) {
            out += QLatin1Char(' ');
        } else if (u < 0x80) {
            out += c;
        } else {
            out += QStringLiteral("\\u%1?").arg(short(u));
        }
    }
    return out;
}

QByteArray windows1250(const QString& s)
{
    QStringEncoder enc("windows-1250");
    if (!enc.isValid())
        return s.toLatin1();
    QByteArray out = enc.encode(s);
    return out;
}

QString html(const GridData& g)
{
    QString h = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>Export Grila</title>\n"
                               "</head>\n<body>\n<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">\n<tr>");
    for (const QString& t : g.titles) h += QStringLiteral("<th>") + htmlEscape(t) + QStringLiteral("</th>");
    h += QStringLiteral("</tr>\n");
    for (const auto& row : g.rows) {
        h += QStringLiteral("<tr>");
        for (const GridValue& v : row) {
            bool right = v.kind == GridValue::Kind::Number;
            h += right ? QStringLiteral("<td align=\"right\">") : QStringLiteral("<td>");
            h += htmlEscape(v.toText()) + QStringLiteral("</td>");
        }
        h += QStringLiteral("</tr>\n");
    }
    h += QStringLiteral("</table>\n</body>\n</html>\n");
    return h;
}

QString separated(const GridData& g, QChar sep)
{
    QString out;
    auto field = [sep](const QString& s) { return sep == QLatin1Char('\t') ? tabField(s) : csvField(s, sep); };
    QStringList line;
    for (const QString& t : g.titles) line << field(t);
    out += line.join(sep) + QStringLiteral("\r\n");
    for (const auto& row : g.rows) {
        line.clear();
        for (const GridValue& v : row) line << field(v.toText());
        out += line.join(sep) + QStringLiteral("\r\n");
    }
    return out;
}

QString columns(const GridData& g)
{
    const int n = int(g.titles.size());
    std::vector<int> width(n, 0);
    for (int c = 0; c < n; ++c) width[c] = int(g.titles[c].size());
    for (const auto& row : g.rows)
        for (int c = 0; c < n && c < int(row.size()); ++c)
            width[c] = std::max(width[c], int(tabField(row[c].toText()).size()));
    QString out;
    auto line = [&](const std::vector<QString>& cells, const std::vector<bool>& right) {
        QString l;
        for (int c = 0; c < n; ++c) {
            QString t = c < int(cells.size()) ? tabField(cells[c]) : QString();
            l += right[c] ? t.rightJustified(width[c]) : t.leftJustified(width[c]);
            if (c + 1 < n) l += QStringLiteral("  ");
        }
        while (l.endsWith(QLatin1Char(' '))) l.chop(1);
        out += l + QStringLiteral("\r\n");
    };
    line(std::vector<QString>(g.titles.begin(), g.titles.end()), std::vector<bool>(n, false));
    QString rule;
    for (int c = 0; c < n; ++c) rule += QString(width[c], QLatin1Char('-')) + (c + 1 < n ? QStringLiteral("  ") : QString());
    out += rule + QStringLiteral("\r\n");
    for (const auto& row : g.rows) {
        std::vector<QString> cells;
        std::vector<bool> right(n, false);
        for (int c = 0; c < n && c < int(row.size()); ++c) {
            cells.push_back(row[c].toText());
            right[c] = row[c].kind == GridValue::Kind::Number;
        }
        line(cells, right);
    }
    return out;
}

QString rtf(const GridData& g)
{
    const int n = std::max<int>(1, int(g.titles.size()));
    const int width = std::max(600, 9600 / n);
    QString r = QStringLiteral("{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}}\n"
                               "\\paperw16838\\paperh11906\\landscape\\margl567\\margr567\\margt567\\margb567\\f0\\fs18\n");
    auto row = [&](const QStringList& cells, bool bold) {
        r += QStringLiteral("\\trowd\\trgaph60");
        for (int c = 0; c < n; ++c)
            r += QStringLiteral("\\clbrdrt\\brdrs\\clbrdrl\\brdrs\\clbrdrb\\brdrs\\clbrdrr\\brdrs\\cellx%1").arg((c + 1) * width);
        r += QLatin1Char('\n');
        for (int c = 0; c < n; ++c) {
            r += QStringLiteral("\\pard\\intbl ");
            if (bold) r += QStringLiteral("\\b ");
            r += rtfText(c < cells.size() ? cells[c] : QString());
            if (bold) r += QStringLiteral("\\b0");
            r += QStringLiteral("\\cell\n");
        }
        r += QStringLiteral("\\row\n");
    };
    row(g.titles, true);
    for (const auto& rw : g.rows) {
        QStringList cells;
        for (const GridValue& v : rw) cells << v.toText();
        row(cells, false);
    }
    r += QStringLiteral("\\pard\\par\n}\n");
    return r;
}

QString difString(const QString& s)
{
    QString t = tabField(s);
    t.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

QString dif(const GridData& g)
{
    const int cols = int(g.titles.size());
    const int rows = int(g.rows.size()) + 1;
    QString d;
    d += QStringLiteral("TABLE\r\n0,1\r\n\"\"\r\n");
    d += QStringLiteral("VECTORS\r\n0,%1\r\n\"\"\r\n").arg(cols);
    d += QStringLiteral("TUPLES\r\n0,%1\r\n\"\"\r\n").arg(rows);
    d += QStringLiteral("DATA\r\n0,0\r\n\"\"\r\n");
    auto text = [&](const QString& s) { d += QStringLiteral("1,0\r\n") + difString(s) + QStringLiteral("\r\n"); };
    d += QStringLiteral("-1,0\r\nBOT\r\n");
    for (const QString& t : g.titles) text(t);
    for (const auto& row : g.rows) {
        d += QStringLiteral("-1,0\r\nBOT\r\n");
        for (int c = 0; c < cols; ++c) {
            const GridValue v = c < int(row.size()) ? row[c] : GridValue();
            if (v.kind == GridValue::Kind::Number)
                d += QStringLiteral("0,") + v.toText() + QStringLiteral("\r\nV\r\n");
            else
                text(v.toText());
        }
    }
    d += QStringLiteral("-1,0\r\nEOD\r\n");
    return d;
}

QString sylkText(const QString& s)
{
    QString t = tabField(s);
    t.replace(QLatin1Char(';'), QLatin1String(";;"));
    return t;
}

QString sylk(const GridData& g)
{
    QString s = QStringLiteral("ID;PHestavo\r\n");
    s += QStringLiteral("B;Y%1;X%2\r\n").arg(g.rows.size() + 1).arg(g.titles.size());
    for (int c = 0; c < int(g.titles.size()); ++c)
        s += QStringLiteral("C;Y1;X%1;K\"%2\"\r\n").arg(c + 1).arg(sylkText(g.titles[c]));
    for (int r = 0; r < int(g.rows.size()); ++r) {
        for (int c = 0; c < int(g.rows[r].size()); ++c) {
            const GridValue& v = g.rows[r][c];
            if (v.kind == GridValue::Kind::Empty) continue;
            QString k = v.kind == GridValue::Kind::Number ? v.toText() : QLatin1Char('"') + sylkText(v.toText()) + QLatin1Char('"');
            s += QStringLiteral("C;Y%1;X%2;K%3\r\n").arg(r + 2).arg(c + 1).arg(k);
        }
    }
    s += QStringLiteral("E\r\n");
    return s;
}

const char Bom[] = "\xEF\xBB\xBF";

} // namespace

QString GridValue::toText() const
{
    switch (kind) {
    case Kind::Empty: return QString();
    case Kind::Text: return text;
    case Kind::Number: return CellValue::fromNumber(number).toText();
    case Kind::Date: return date.toString(QStringLiteral("dd.MM.yyyy"));
    }
    return QString();
}

QString gridFormatExtension(GridFormat format)
{
    switch (format) {
    case GridFormat::Html: return QStringLiteral(".html");
    case GridFormat::Excel: return QStringLiteral(".xls");
    case GridFormat::Word: return QStringLiteral(".doc");
    case GridFormat::Text: return QStringLiteral(".txt");
    case GridFormat::Csv: return QStringLiteral(".csv");
    case GridFormat::Tab: return QStringLiteral(".txt");
    case GridFormat::Rtf: return QStringLiteral(".rtf");
    case GridFormat::Dif: return QStringLiteral(".dif");
    case GridFormat::Sylk: return QStringLiteral(".slk");
    }
    return QString();
}

QByteArray gridToBytes(const GridData& grid, GridFormat format)
{
    switch (format) {
    case GridFormat::Html: return html(grid).toUtf8();
    case GridFormat::Text: return QByteArray(Bom) + columns(grid).toUtf8();
    case GridFormat::Csv: return QByteArray(Bom) + separated(grid, QLatin1Char(',')).toUtf8();
    case GridFormat::Tab: return QByteArray(Bom) + separated(grid, QLatin1Char('\t')).toUtf8();
    case GridFormat::Word:
    case GridFormat::Rtf: return rtf(grid).toLatin1();
    case GridFormat::Dif: return windows1250(dif(grid));
    case GridFormat::Sylk: return windows1250(sylk(grid));
    case GridFormat::Excel: break;
    }
    throw WorkbookError("Formatul Excel se scrie doar intr-un fisier");
}

void exportGrid(const GridData& grid, GridFormat format, const QString& path)
{
    if (format != GridFormat::Excel) {
        biff8::writeFileAtomically(path, gridToBytes(grid, format));
        return;
    }
    initGridExportResources();
    QFile blank(QStringLiteral(":/workbook/GridExport.xls"));
    if (!blank.open(QIODevice::ReadOnly))
        throw WorkbookError("Registrul gol pentru export lipseste din program");
    if (grid.titles.size() > 256)
        throw WorkbookError("Tabelul are mai mult de 256 de coloane, limita formatului .xls");
    if (grid.rows.size() + 1 > 65536)
        throw WorkbookError("Tabelul are mai mult de 65536 de randuri, limita formatului .xls");
    biff8::XlsWorkbook book(path, blank.readAll());
    for (int c = 0; c < int(grid.titles.size()); ++c)
        book.setCell(0, c, CellValue::fromText(grid.titles[c]));
    for (int r = 0; r < int(grid.rows.size()); ++r)
        for (int c = 0; c < int(grid.rows[r].size()) && c < 256; ++c) {
            const GridValue& v = grid.rows[r][c];
            if (v.kind == GridValue::Kind::Empty) continue;
            book.setCell(r + 1, c, v.kind == GridValue::Kind::Number ? CellValue::fromNumber(v.number)
                                                                      : CellValue::fromText(v.toText()));
        }
    book.save(path);
}

QMimeData* gridToMimeData(const GridData& grid)
{
    auto* mime = new QMimeData;
    mime->setText(separated(grid, QLatin1Char('\t')));
    mime->setHtml(html(grid));
    return mime;
}

} // namespace workbook
