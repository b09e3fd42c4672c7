// What sits around the data row follows the inserted copies: conditional
// formats and validations of the data row grow, an image and a comment below
// it move down, rich text the fill does not touch keeps its runs; and a
// workbook written by Excel goes through the fill.
#include "Checkers.h"
#include "CountedRecords.h"
#include "StoredValues.h"

#include "workbook/TemplateFill.h"
#include "workbook/Workbook.h"
#include "workbook/xlsx/Package.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace workbook;

namespace {

class Amounts : public CountedRecords {
public:
    using CountedRecords::CountedRecords;
    QStringList columnNames() override { return {"NUME", "SUMA"}; }
    bool isTextColumn(const QString& c) override { return c == QLatin1String("NUME"); }
    QString text(const QString&) override { return QStringLiteral("Nume %1").arg(m_pos); }
    std::optional<double> number(const QString&) override { return 50 + m_pos % 100; }
};

const QString Fixture = QStringLiteral(HESTAVO_TEST_DATA "/test-totaluri.");

QString part(const xlsx::Package& p, const QString& name) { return QString::fromUtf8(p.part(name)); }

// The anchored parts of the first sheet of an .xlsx, wherever the writer put them.
struct SheetParts { QString sheet, drawing, comments, vml; };
SheetParts firstSheetParts(const xlsx::Package& p)
{
    SheetParts out;
    out.sheet = part(p, QStringLiteral("xl/worksheets/sheet1.xml"));
    const QString rels = part(p, QStringLiteral("xl/worksheets/_rels/sheet1.xml.rels"));
    static const QRegularExpression target(QStringLiteral("Type=\"[^\"]*/(drawing|comments|vmlDrawing)\"[^>]*Target=\"\\.\\./([^\"]+)\""));
    auto it = target.globalMatch(rels);
    while (it.hasNext()) {
        auto m = it.next();
        const QString text = part(p, QStringLiteral("xl/") + m.captured(2));
        if (m.captured(1) == QLatin1String("drawing")) out.drawing = text;
        else if (m.captured(1) == QLatin1String("comments")) out.comments = text;
        else out.vml = text;
    }
    return out;
}

// After 1,000 rows (999 copies of row 4): the formats and validation cover
// C4:C1003, the image anchored on row 8 is on row 1007, the comment of the
// totals cell C6 is on C1005.
void expectMovedAlong(const SheetParts& p, const std::string& who)
{
    static const QRegularExpression cf(QStringLiteral("<conditionalFormatting[^>]*sqref=\"([^\"]*)\""));
    static const QRegularExpression dv(QStringLiteral("<dataValidation [^>]*sqref=\"([^\"]*)\""));
    static const QRegularExpression imageRow(QStringLiteral("<xdr:from>.*?<xdr:row>(\\d+)</xdr:row>"),
                                             QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression comment(QStringLiteral("<comment ref=\"([^\"]*)\""));
    static const QRegularExpression vmlRow(QStringLiteral("<x:Row>(\\d+)</x:Row>"));
    EXPECT_EQ(cf.match(p.sheet).captured(1), QStringLiteral("C4:C1003")) << who;
    EXPECT_EQ(dv.match(p.sheet).captured(1), QStringLiteral("C4:C1003")) << who;
    EXPECT_EQ(imageRow.match(p.drawing).captured(1), QStringLiteral("1006")) << who;
    EXPECT_EQ(comment.match(p.comments).captured(1), QStringLiteral("C1005")) << who;
    EXPECT_EQ(vmlRow.match(p.vml).captured(1), QStringLiteral("1004")) << who;
}

QJsonValue xlrdRuns(const QString& path)
{
    static const char* script = R"PY(
import sys, json, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
s = b.sheet_by_index(0)
runs = s.rich_text_runlist_map.get((0, 0), [])
print(json.dumps({"text": s.cell_value(0, 0), "runs": [[o, b.font_list[f].bold, b.font_list[f].colour_index] for o, f in runs]}))
)PY";
    checkers::Run r = checkers::run(QStringLiteral(HESTAVO_PYTHON), {QStringLiteral("-c"), QString::fromUtf8(script), path});
    return QJsonDocument::fromJson(r.out).object();
}

} // namespace

TEST(CarriedAlong, FormatsValidationsImageAndCommentFollowTheCopies)
{
    QTemporaryDir dir;
    for (const char* ext : {"xls", "xlsx"}) {
        auto book = Workbook::open(Fixture + QLatin1String(ext));
        Amounts records(1000);
        fillDataRow(*book, records, CellValue());
        const QString out = dir.filePath(QStringLiteral("filled.") + QLatin1String(ext));
        book->save(out);
        if (QLatin1String(ext) == QLatin1String("xlsx")) {
            xlsx::Package p;
            p.read(out);
            expectMovedAlong(firstSheetParts(p), "the engine's .xlsx");
        } else {
            // xlrd finds the note on the moved totals cell.
            checkers::Run r = checkers::run(QStringLiteral(HESTAVO_PYTHON), {QStringLiteral("-c"),
                QStringLiteral("import sys, xlrd; b = xlrd.open_workbook(sys.argv[1], formatting_info=True); "
                               "print(sorted(b.sheet_by_index(0).cell_note_map.keys()))"), out});
            EXPECT_EQ(r.out.trimmed(), QByteArray("[(1004, 2)]")) << r.err.toStdString();
        }
        // LibreOffice reads the output and writes what it understood as .xlsx.
        const QString loDir = dir.filePath(QStringLiteral("lo-") + QLatin1String(ext));
        QDir().mkpath(loDir);
        checkers::libreOfficeConvert(out, QStringLiteral("xlsx:Calc MS Excel 2007 XML"), loDir);
        xlsx::Package lo;
        ASSERT_NO_THROW(lo.read(loDir + QStringLiteral("/filled.xlsx"))) << ext;
        expectMovedAlong(firstSheetParts(lo), std::string("LibreOffice reading the engine's .") + ext);
    }
}

TEST(CarriedAlong, RichTextRunsSurviveOpenAndSave)
{
    QTemporaryDir dir;
    const QJsonValue original = xlrdRuns(Fixture + QStringLiteral("xls"));
    ASSERT_GE(original[QStringLiteral("runs")].toArray().size(), 2) << "the fixture's bold red [JUDET]";
    {
        auto book = Workbook::open(Fixture + QStringLiteral("xls"));
        book->save(dir.filePath(QStringLiteral("same.xls")));
    }
    {
        auto book = Workbook::open(Fixture + QStringLiteral("xls"));
        Amounts records(3);
        fillDataRow(*book, records, CellValue());
        book->save(dir.filePath(QStringLiteral("filled.xls")));
    }
    EXPECT_EQ(xlrdRuns(dir.filePath(QStringLiteral("same.xls"))), original);
    EXPECT_EQ(xlrdRuns(dir.filePath(QStringLiteral("filled.xls"))), original);
}

TEST(CarriedAlong, WorkbookWrittenByExcelIsFilled)
{
    // xlrd's own example, written by Excel: names, 3D references, a sheet of numbers.
    const QString excel = QStringLiteral("/usr/share/doc/python3-xlrd/examples/namesdemo.xls");
    ASSERT_TRUE(QFile::exists(excel)) << "python3-xlrd's examples are needed";
    QTemporaryDir dir;
    auto book = Workbook::open(excel);
    book->setActiveSheet(2);
    book->setCell(9, 7, CellValue::fromText(QStringLiteral("#DBF")));
    book->setCell(9, 8, CellValue::fromText(QStringLiteral("#SUMA")));
    book->setCell(20, 8, CellValue::fromText(QStringLiteral("Total")));
    Amounts records(4);
    fillDataRow(*book, records, CellValue());
    const QString out = dir.filePath(QStringLiteral("excel-filled.xls"));
    book->save(out);
    const auto values = checkers::libreOfficeRawCsv({out}, false);
    const auto formulas = checkers::libreOfficeRawCsv({out}, true);
    const QString stem = QStringLiteral("excel-filled");
    ASSERT_FALSE(formulas[stem].isEmpty());
    // Left to the spreadsheet program: a name local to another sheet, reference
    // operators (range, union, intersection) and TODAY(); every other formula
    // holds LibreOffice's result.
    const QSet<QString> unknown{"Sheet3!A6", "Sheet3!A7", "Sheet3!A16", "Sheet3!B16", "Sheet3!A17",
                                "Sheet3!B17", "Sheet3!B18", "Sheet3!A29"};
    EXPECT_GE(stored::compareWithLibreOffice(out, values[stem], formulas[stem], unknown), 14);
    auto reopened = Workbook::open(out);
    reopened->setActiveSheet(2);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(reopened->cell(9 + k, 8).number, 50 + k);
    EXPECT_EQ(reopened->cellText(23, 8), QStringLiteral("Total"));
}
