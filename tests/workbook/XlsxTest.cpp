// .xlsx specifics: the calculation chain and cached results after rows move,
// shared formulas, sheet deletion, damaged packages.
#include "Checkers.h"

#include "workbook/Workbook.h"
#include "workbook/xlsx/Package.h"
#include "workbook/xlsx/Sheet.h"

#include <QFile>
#include <QtEndian>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace workbook;

namespace {

const QString Template = QStringLiteral(HESTAVO_TEST_DATA "/test-lista.xlsx");

QString text(const xlsx::Package& p, const char* part) { return QString::fromUtf8(p.part(QString::fromLatin1(part))); }

} // namespace

TEST(Xlsx, CalcChainDroppedAndResultsRecalculatedAfterInsertion)
{
    QTemporaryDir dir;
    // The template with a calculation chain, as Excel writes one.
    xlsx::Package p;
    p.read(Template);
    p.setPart(QStringLiteral("xl/calcChain.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<calcChain xmlns=\"http://schemas.openxmlformats.org/"
              "spreadsheetml/2006/main\"><c r=\"D12\" i=\"1\"/></calcChain>");
    QString types = text(p, "[Content_Types].xml");
    types.replace(QLatin1String("</Types>"), QLatin1String("<Override PartName=\"/xl/calcChain.xml\" ContentType=\"application/"
                                                           "vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml\"/></Types>"));
    p.setPart(QStringLiteral("[Content_Types].xml"), types.toUtf8());
    QString rels = text(p, "xl/_rels/workbook.xml.rels");
    rels.replace(QLatin1String("</Relationships>"), QLatin1String("<Relationship Id=\"rIdCalc\" Type=\"http://schemas.openxmlformats.org/"
                                                                  "officeDocument/2006/relationships/calcChain\" Target=\"calcChain.xml\"/></Relationships>"));
    p.setPart(QStringLiteral("xl/_rels/workbook.xml.rels"), rels.toUtf8());
    QString withChain = dir.filePath(QStringLiteral("chain.xlsx"));
    p.write(withChain);

    auto book = Workbook::open(withChain);
    ASSERT_TRUE(book->isXlsx());
    book->insertRowCopies(10, 2);
    for (int k = 0; k < 3; ++k)
        book->setCell(10 + k, 3, CellValue::fromNumber(10 * (k + 1)));
    QString out = dir.filePath(QStringLiteral("out.xlsx"));
    book->save(out);

    xlsx::Package q;
    q.read(out);
    EXPECT_FALSE(q.contains(QStringLiteral("xl/calcChain.xml")));
    EXPECT_FALSE(text(q, "[Content_Types].xml").contains(QLatin1String("calcChain")));
    EXPECT_FALSE(text(q, "xl/_rels/workbook.xml.rels").contains(QLatin1String("calcChain")));
    EXPECT_TRUE(text(q, "xl/workbook.xml").contains(QLatin1String("fullCalcOnLoad=\"1\"")));
    EXPECT_TRUE(text(q, "xl/workbook.xml").contains(QLatin1String("$A$1:$J$16")));   // print area grew
    QString sheet = text(q, "xl/worksheets/sheet1.xml");
    EXPECT_TRUE(sheet.contains(QLatin1String(">SUM(D11:D13)</f>")));
    EXPECT_TRUE(sheet.contains(QLatin1String("<mergeCell ref=\"F13:G13\"/>")));
    EXPECT_TRUE(sheet.contains(QLatin1String("<dimension ref=\"A1:J16\"/>")));
    EXPECT_TRUE(sheet.contains(QLatin1String(">SUM(D11:D13)</f><v>60</v>")));   // a fresh result, not the template's

    auto csv = checkers::libreOfficeCsv(out);
    EXPECT_EQ(checkers::csvCell(csv[QStringLiteral("Lista")], 13, 3), QStringLiteral("60.00"));
    EXPECT_EQ(checkers::csvCell(csv[QStringLiteral("Lista")], 12, 4), QStringLiteral("60.00"));
    EXPECT_EQ(checkers::csvCell(csv[QStringLiteral("Rezumat")], 0, 1), QStringLiteral("60.00"));
}

TEST(Xlsx, SharedFormulasBecomeOwnFormulas)
{
    xlsx::Sheet s;
    s.parse("<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
            "<row r=\"2\"><c r=\"B2\"><f t=\"shared\" ref=\"B2:B4\" si=\"0\">A2*2+$A$1</f><v>2</v></c></row>"
            "<row r=\"3\"><c r=\"B3\"><f t=\"shared\" si=\"0\"/><v>4</v></c></row>"
            "<row r=\"4\"><c r=\"C4\"><f t=\"shared\" si=\"0\"/></c></row>"
            "</sheetData></worksheet>");
    s.unshareFormulas();
    EXPECT_EQ(s.rows()[2].cells[1].formula, QStringLiteral("A3*2+$A$1"));
    EXPECT_EQ(s.rows()[3].cells[2].formula, QStringLiteral("B4*2+$A$1"));
    EXPECT_TRUE(s.rows()[2].cells[1].formulaAttrs.isEmpty());
    QString out = QString::fromUtf8(s.serialize());
    EXPECT_FALSE(out.contains(QLatin1String("shared")));
}

TEST(Xlsx, DeletingTheReferencedSheet)
{
    QTemporaryDir dir;
    auto book = Workbook::open(Template);
    book->deleteActiveSheet();   // Lista: its print area goes, Rezumat's references become #REF!
    EXPECT_EQ(book->sheetCount(), 2);
    EXPECT_EQ(book->sheetName(0), QStringLiteral("Ajutoare"));
    QString out = dir.filePath(QStringLiteral("del.xlsx"));
    book->save(out);
    xlsx::Package q;
    q.read(out);
    EXPECT_FALSE(q.contains(QStringLiteral("xl/worksheets/sheet1.xml")));
    EXPECT_FALSE(text(q, "[Content_Types].xml").contains(QLatin1String("sheet1.xml")));
    EXPECT_FALSE(text(q, "xl/workbook.xml").contains(QLatin1String("Print_Area")));
    auto csv = checkers::libreOfficeCsv(out);
    EXPECT_EQ(csv.keys(), (QStringList{"Ajutoare", "Rezumat"}));
    EXPECT_EQ(checkers::csvCell(csv[QStringLiteral("Rezumat")], 0, 1), QStringLiteral("#REF!"));
}

TEST(Xlsx, DamagedPackagesGiveClearErrors)
{
    QTemporaryDir dir;
    QFile f(Template);
    f.open(QIODevice::ReadOnly);
    const QByteArray good = f.readAll();
    xlsx::Package p;
    p.read(Template);
    xlsx::Package noWorkbook = p;
    noWorkbook.remove(QStringLiteral("xl/workbook.xml"));
    noWorkbook.write(dir.filePath(QStringLiteral("nowb.xlsx")));
    xlsx::Package badSheet = p;
    badSheet.setPart(QStringLiteral("xl/worksheets/sheet2.xml"), "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"></sheetData>");
    badSheet.write(dir.filePath(QStringLiteral("badsheet.xlsx")));
    auto write = [&](const char* name, const QByteArray& bytes) {
        QFile o(dir.filePath(QString::fromLatin1(name)));
        o.open(QIODevice::WriteOnly);
        o.write(bytes);
    };
    write("truncated.xlsx", good.left(good.size() / 2));
    // The central directory states 604 MB for the first part, which holds a
    // few hundred bytes: refused by its stated size, before any is read.
    QByteArray lying = good;
    const qsizetype central = lying.indexOf("PK\x01\x02");
    ASSERT_GE(central, 0);
    qToLittleEndian<quint32>(604u << 20, lying.data() + central + 24);
    write("lying-size.xlsx", lying);
    // Five parts stating 60 MB each: every one within a part's limit, together
    // above a workbook's.
    QByteArray lyingTotal = good;
    for (qsizetype at = lyingTotal.indexOf("PK\x01\x02"), k = 0; k < 5; at = lyingTotal.indexOf("PK\x01\x02", at + 4), ++k) {
        ASSERT_GE(at, 0);
        qToLittleEndian<quint32>(60u << 20, lyingTotal.data() + at + 24);
    }
    write("lying-total.xlsx", lyingTotal);
    struct Case { const char* name; const char* detail; };
    const Case cases[] = {
        {"truncated.xlsx", "zip"},
        {"lying-size.xlsx", "peste limita de 64 MB"},
        {"lying-total.xlsx", "peste 256 MB"},
        {"nowb.xlsx", "xl/workbook.xml"},
        {"badsheet.xlsx", "XML"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString path = dir.filePath(QString::fromLatin1(c.name));
        try {
            Workbook::open(path);
            ADD_FAILURE() << "opened";
        } catch (const WorkbookError& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(path)) << e.what();
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QLatin1String(c.detail))) << e.what();
        }
    }
}
