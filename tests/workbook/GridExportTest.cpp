// The grid export in every format, each file opened by an independent reader:
// LibreOffice for spreadsheet formats and RTF, xlrd for .xls, Python's
// html.parser for HTML; the clipboard read back through Qt.
#include "Checkers.h"

#include "workbook/export/GridExport.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using namespace workbook;

namespace {

GridData sampleGrid()
{
    GridData g;
    g.titles = {"Nr.", "Titular", "Data", "Cuantum lunar", "Localitatea"};
    g.rows.push_back({GridValue::fromNumber(1), GridValue::fromText(QStringLiteral("POPESCU, ION \"NELU\"")),
                      GridValue::fromDate(QDate(2023, 3, 15)), GridValue::fromNumber(112.5),
                      GridValue::fromText(QStringLiteral("Brașov"))});
    g.rows.push_back({GridValue::fromNumber(2), GridValue::fromText(QStringLiteral("IONESCU; ANA")), GridValue(),
                      GridValue::fromNumber(1600), GridValue::fromText(QStringLiteral("Sânmartin"))});
    g.rows.push_back({GridValue::fromNumber(3), GridValue::fromText(QStringLiteral("ȚĂRAN <B> & C")),
                      GridValue::fromDate(QDate(2024, 12, 1)), GridValue::fromNumber(0), GridValue()});
    return g;
}

// The grid as text, the way every reader should give it back.
QList<QStringList> expectedTexts(const GridData& g)
{
    QList<QStringList> out{g.titles};
    for (const auto& row : g.rows) {
        QStringList r;
        for (const GridValue& v : row) r << v.toText();
        out << r;
    }
    return out;
}

QList<QStringList> trimmedRows(QList<QStringList> rows, int cols)
{
    while (!rows.isEmpty() && rows.last().join(QString()).isEmpty()) rows.removeLast();
    for (QStringList& r : rows) {
        while (r.size() < cols) r << QString();
        while (r.size() > cols) r.removeLast();
    }
    return rows;
}

QList<QStringList> libreOfficeRows(const QString& path, const QString& infilter)
{
    QTemporaryDir dir;
    QStringList args{QStringLiteral("-env:UserInstallation=file:///tmp/lo-wbgrid-%1").arg(QCoreApplication::applicationPid()),
                     QStringLiteral("--headless")};
    if (!infilter.isEmpty()) args << QStringLiteral("--infilter=") + infilter;
    args << QStringLiteral("--convert-to") << QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true")
         << QStringLiteral("--outdir") << dir.path() << path;
    checkers::run(QStringLiteral("soffice"), args);
    QFile f(dir.filePath(QFileInfo(path).completeBaseName() + QStringLiteral(".csv")));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return checkers::parseCsv(f.readAll());
}

} // namespace

TEST(GridExport, SpreadsheetFormatsReadBackByLibreOffice)
{
    QTemporaryDir dir;
    const GridData grid = sampleGrid();
    const QList<QStringList> expected = expectedTexts(grid);
    struct Case { const char* name; GridFormat format; const char* file; const char* infilter; };
    const Case cases[] = {
        {"excel", GridFormat::Excel, "grila.xls", ""},
        {"csv", GridFormat::Csv, "grila.csv", "Text - txt - csv (StarCalc):44,34,76,1"},
        {"tab-separated", GridFormat::Tab, "grila-tab.txt", "Text - txt - csv (StarCalc):9,34,76,1"},
        {"sylk", GridFormat::Sylk, "grila.slk", ""},
        {"dif", GridFormat::Dif, "grila.dif", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString path = dir.filePath(QString::fromLatin1(c.file));
        exportGrid(grid, c.format, path);
        QList<QStringList> rows = trimmedRows(libreOfficeRows(path, QString::fromLatin1(c.infilter)), 5);
        ASSERT_EQ(rows.size(), expected.size());
        for (int r = 0; r < rows.size(); ++r) {
            for (int col = 0; col < 5; ++col) {
                // DIF and SYLK are ANSI formats: LibreOffice reads them in its own code page.
                bool ansi = c.format == GridFormat::Dif || c.format == GridFormat::Sylk;
                if (ansi && expected[r][col].toLatin1() != expected[r][col].toUtf8()) continue;
                EXPECT_EQ(rows[r][col], expected[r][col]) << "row " << r << " col " << col;
            }
        }
    }
}

TEST(GridExport, ExcelFileReadByXlrd)
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("grila.xls"));
    exportGrid(sampleGrid(), GridFormat::Excel, path);
    QJsonObject x = checkers::xlrd(path);
    ASSERT_FALSE(x.contains(QStringLiteral("error"))) << x[QStringLiteral("error")].toString().toStdString();
    EXPECT_TRUE(checkers::xlrdLogClean(x)) << x[QStringLiteral("log")].toString().toStdString();
    QJsonArray cells = x[QStringLiteral("sheets")].toArray()[0].toObject()[QStringLiteral("cells")].toArray();
    ASSERT_EQ(cells.size(), 4);
    EXPECT_EQ(cells[0].toArray()[1].toArray()[1].toString(), QStringLiteral("Titular"));
    EXPECT_EQ(cells[1].toArray()[3].toArray()[1].toDouble(), 112.5);      // a number stays a number
    EXPECT_EQ(cells[1].toArray()[2].toArray()[1].toString(), QStringLiteral("15.03.2023"));
    EXPECT_EQ(cells[3].toArray()[1].toArray()[1].toString(), QStringLiteral("ȚĂRAN <B> & C"));
    // The titles take the bold format of the first row, the rest the default one.
    EXPECT_NE(cells[0].toArray()[0].toArray()[2].toInt(), cells[1].toArray()[1].toArray()[2].toInt());
}

TEST(GridExport, HtmlRtfTextAndClipboard)
{
    QTemporaryDir dir;
    const GridData grid = sampleGrid();
    const QList<QStringList> expected = expectedTexts(grid);

    QString htmlPath = dir.filePath(QStringLiteral("grila.html"));
    exportGrid(grid, GridFormat::Html, htmlPath);
    static const char* parser = R"PY(
import sys, json
from html.parser import HTMLParser
class P(HTMLParser):
    def __init__(self):
        super().__init__(); self.rows = []; self.cell = None
    def handle_starttag(self, tag, attrs):
        if tag == "tr": self.rows.append([])
        if tag in ("td", "th"): self.cell = ""
    def handle_endtag(self, tag):
        if tag in ("td", "th"): self.rows[-1].append(self.cell); self.cell = None
    def handle_data(self, data):
        if self.cell is not None: self.cell += data
p = P(); p.feed(open(sys.argv[1], encoding="utf-8").read()); print(json.dumps(p.rows))
)PY";
    auto r = checkers::run(QStringLiteral(HESTAVO_PYTHON), {QStringLiteral("-c"), QString::fromUtf8(parser), htmlPath});
    QJsonArray rows = QJsonDocument::fromJson(r.out).array();
    ASSERT_EQ(rows.size(), expected.size()) << r.err.toStdString();
    for (int i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].toVariant().toStringList(), expected[i]) << "row " << i;

    // RTF and Word (RTF in a .doc): LibreOffice Writer reads the table.
    for (GridFormat f : {GridFormat::Rtf, GridFormat::Word}) {
        QString path = dir.filePath(QStringLiteral("grila") + gridFormatExtension(f));
        exportGrid(grid, f, path);
        QTemporaryDir out;
        checkers::run(QStringLiteral("soffice"),
                      {QStringLiteral("-env:UserInstallation=file:///tmp/lo-wbgrid-%1").arg(QCoreApplication::applicationPid()),
                       QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("txt:Text (encoded):UTF8"),
                       QStringLiteral("--outdir"), out.path(), path});
        QFile t(out.filePath(QStringLiteral("grila.txt")));
        ASSERT_TRUE(t.open(QIODevice::ReadOnly)) << gridFormatExtension(f).toStdString();
        QString text = QString::fromUtf8(t.readAll());
        qsizetype at = 0;
        for (const QStringList& row : expected)
            for (const QString& cell : row) {
                if (cell.isEmpty()) continue;
                qsizetype found = text.indexOf(cell, at);
                EXPECT_GE(found, 0) << cell.toStdString();
                if (found >= 0) at = found + cell.size();
            }
    }

    // Plain text: one line per row, the columns aligned under their titles.
    QString textPath = dir.filePath(QStringLiteral("grila.txt"));
    exportGrid(grid, GridFormat::Text, textPath);
    QFile tf(textPath);
    ASSERT_TRUE(tf.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(tf.readAll()).remove(QChar(0xFEFF)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    const qsizetype titleCol = lines[0].indexOf(QLatin1String("Localitatea"));
    EXPECT_EQ(lines[2].indexOf(QStringLiteral("Brașov")), titleCol);
    EXPECT_EQ(lines[3].indexOf(QStringLiteral("Sânmartin")), titleCol);

    // Clipboard: tab-separated text and HTML.
    const std::unique_ptr<QMimeData> mime(gridToMimeData(grid));
    ASSERT_NE(mime, nullptr);
    QStringList clipLines = mime->text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(clipLines.size(), expected.size());
    for (int i = 0; i < clipLines.size(); ++i)
        EXPECT_EQ(clipLines[i].split(QLatin1Char('\t')), expected[i]);
    EXPECT_TRUE(mime->html().contains(QLatin1String("&lt;B&gt; &amp; C")));
}
