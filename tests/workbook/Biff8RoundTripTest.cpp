// Round trips of a LibreOffice-written .xls template (formats, merged cells,
// formulas, several sheets, a print area, a validation, a conditional format,
// a hyperlink) through the workbook engine, checked with xlrd and LibreOffice.
#include "Checkers.h"

#include "workbook/Workbook.h"
#include "workbook/biff8/CompoundFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

using namespace workbook;

namespace {

const QString Template = QStringLiteral(HESTAVO_TEST_DATA "/test-lista.xls");

QByteArray readAll(const QString& p)
{
    QFile f(p);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QJsonArray sheetCells(const QJsonObject& book, int sheet)
{
    return book[QStringLiteral("sheets")].toArray()[sheet].toObject()[QStringLiteral("cells")].toArray();
}

QJsonValue xlrdValue(const QJsonObject& book, int sheet, int row, int col)
{
    return sheetCells(book, sheet)[row].toArray()[col].toArray()[1];
}

int xlrdXf(const QJsonObject& book, int sheet, int row, int col)
{
    return sheetCells(book, sheet)[row].toArray()[col].toArray()[2].toInt();
}

} // namespace

TEST(Biff8RoundTrip, UnchangedSaveKeepsValuesFormatsAndOtherStreams)
{
    QTemporaryDir dir;
    QString out = dir.filePath(QStringLiteral("same.xls"));
    auto book = Workbook::open(Template);
    ASSERT_EQ(book->sheetCount(), 3);
    book->save(out);

    QJsonObject before = checkers::xlrd(Template), after = checkers::xlrd(out);
    ASSERT_FALSE(after.contains(QStringLiteral("error"))) << after[QStringLiteral("error")].toString().toStdString();
    EXPECT_TRUE(checkers::xlrdLogClean(after)) << after[QStringLiteral("log")].toString().toStdString();
    EXPECT_EQ(before[QStringLiteral("sheets")], after[QStringLiteral("sheets")]);
    EXPECT_EQ(before[QStringLiteral("names")], after[QStringLiteral("names")]);

    // Every stream but Workbook comes back byte for byte.
    auto a = biff8::CompoundFile::parse(readAll(Template));
    auto b = biff8::CompoundFile::parse(readAll(out));
    ASSERT_EQ(a.entries().size(), b.entries().size());
    int streams = 0;
    for (size_t i = 0; i < a.entries().size(); ++i) {
        EXPECT_EQ(a.entries()[i].name, b.entries()[i].name);
        if (a.entries()[i].type == biff8::CompoundFile::Stream && a.entries()[i].name != QLatin1String("Workbook")) {
            EXPECT_EQ(a.entries()[i].data, b.entries()[i].data) << a.entries()[i].name.toStdString();
            ++streams;
        }
    }
    EXPECT_GE(streams, 2);   // LibreOffice writes CompObj and the summary information
}

TEST(Biff8RoundTrip, InsertedCopiesAreFilledAndTotalsCoverThem)
{
    QTemporaryDir dir;
    QString out = dir.filePath(QStringLiteral("filled.xls"));
    auto book = Workbook::open(Template);
    // Data row 11 (index 10) copied twice: three records on rows 11-13.
    book->insertRowCopies(10, 2);
    const double sums[] = {100.5, 20, 3.25};
    for (int k = 0; k < 3; ++k) {
        book->setCell(10 + k, 0, CellValue::fromNumber(k + 1));
        book->setCell(10 + k, 1, CellValue::fromText(QStringLiteral("Popescu ș%1").arg(k)));
        book->setCell(10 + k, 2, CellValue::fromNumber(45000 + k));
        book->setCell(10 + k, 3, CellValue::fromNumber(sums[k]));
        book->setCell(10 + k, 5, CellValue::fromText(QStringLiteral("%1/").arg(12 + k)));
        book->setCell(10 + k, 7, CellValue::empty());
        book->setCell(10 + k, 9, CellValue::fromNumber(k));
    }
    book->save(out);

    QJsonObject x = checkers::xlrd(out);
    ASSERT_FALSE(x.contains(QStringLiteral("error"))) << x[QStringLiteral("error")].toString().toStdString();
    EXPECT_TRUE(checkers::xlrdLogClean(x)) << x[QStringLiteral("log")].toString().toStdString();
    QJsonObject tpl = checkers::xlrd(Template);
    // Values and the template's formats on every copy.
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(xlrdValue(x, 0, 10 + k, 1).toString(), QStringLiteral("Popescu ș%1").arg(k));
        EXPECT_DOUBLE_EQ(xlrdValue(x, 0, 10 + k, 3).toDouble(), sums[k]);
        for (int c : {2, 3, 4, 5})
            EXPECT_EQ(xlrdXf(x, 0, 10 + k, c), xlrdXf(tpl, 0, 10, c)) << "row " << 10 + k << " col " << c;
    }
    EXPECT_EQ(xlrdValue(x, 0, 13, 0).toString(), QStringLiteral("Total"));
    EXPECT_EQ(xlrdValue(x, 0, 15, 0).toString(), QStringLiteral("Sursa"));
    // Single-row merge F:G of the data row on each copy, the title merge unchanged.
    QJsonArray merged = x[QStringLiteral("sheets")].toArray()[0].toObject()[QStringLiteral("merged")].toArray();
    QSet<QString> m;
    for (const QJsonValue& v : merged) {
        QJsonArray a = v.toArray();
        m.insert(QStringLiteral("%1-%2-%3-%4").arg(a[0].toInt()).arg(a[1].toInt()).arg(a[2].toInt()).arg(a[3].toInt()));
    }
    EXPECT_EQ(m, (QSet<QString>{"0-1-0-5", "10-11-5-7", "11-12-5-7", "12-13-5-7"}));
    // Row height of the data row on the copies.
    QJsonObject heights = x[QStringLiteral("sheets")].toArray()[0].toObject()[QStringLiteral("heights")].toObject();
    EXPECT_EQ(heights[QStringLiteral("12")].toInt(), heights[QStringLiteral("10")].toInt());
    EXPECT_NE(heights[QStringLiteral("12")].toInt(), heights[QStringLiteral("13")].toInt());
    // The print area grew with the rows.
    EXPECT_EQ(x[QStringLiteral("names")].toObject()[QStringLiteral("Print_Area")].toArray()[1].toString()
                  .isEmpty(), false);

    // LibreOffice recalculates: totals over all copies, formulas of the copies,
    // the other sheet's reference to the moved total.
    auto csv = checkers::libreOfficeCsv(out);
    ASSERT_TRUE(csv.contains(QStringLiteral("Lista"))) << csv.keys().join(',').toStdString();
    const auto& lista = csv[QStringLiteral("Lista")];
    EXPECT_EQ(checkers::csvCell(lista, 13, 3), QStringLiteral("123.75"));       // SUM(D11:D13)
    EXPECT_EQ(checkers::csvCell(lista, 13, 4), QStringLiteral("247.50"));       // SUM(E10:E13), E = D*2
    EXPECT_EQ(checkers::csvCell(lista, 11, 4), QStringLiteral("40.00"));        // copy of =D11*2 on row 12
    EXPECT_EQ(checkers::csvCell(lista, 13, 5), QStringLiteral("3"));            // COUNT(D$11:D$13)
    EXPECT_EQ(checkers::csvCell(lista, 13, 9), QStringLiteral("3.00"));         // SUM(J11:J13)
    EXPECT_EQ(checkers::csvCell(lista, 15, 1), QStringLiteral("124.75"));       // =D14+1 below the totals
    EXPECT_EQ(checkers::csvCell(lista, 10, 2), QStringLiteral("15.03.2023"));   // the date format kept
    const auto& rez = csv[QStringLiteral("Rezumat")];
    EXPECT_EQ(checkers::csvCell(rez, 0, 1), QStringLiteral("123.75"));          // =Lista.D14
    EXPECT_EQ(checkers::csvCell(rez, 0, 2), QStringLiteral("247.5"));           // SUM(Lista.D11:D14)
}

TEST(Biff8RoundTrip, DeletingSheetsKeepsTheRestConsistent)
{
    QTemporaryDir dir;
    struct Case { const char* name; int deleted; QStringList left; const char* rezumatB1; };
    const Case cases[] = {
        {"middle sheet", 1, {"Lista", "Rezumat"}, "0.00"},
        {"sheet referenced by another", 0, {"Ajutoare", "Rezumat"}, "#REF!"},
        {"last sheet", 2, {"Lista", "Ajutoare"}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto book = Workbook::open(Template);
        book->setActiveSheet(c.deleted);
        book->deleteActiveSheet();
        EXPECT_EQ(book->sheetCount(), 2);
        EXPECT_EQ(book->activeSheet(), std::min(c.deleted, 1));
        QString out = dir.filePath(QStringLiteral("del%1.xls").arg(c.deleted));
        book->save(out);
        QJsonObject x = checkers::xlrd(out);
        ASSERT_FALSE(x.contains(QStringLiteral("error"))) << x[QStringLiteral("error")].toString().toStdString();
        EXPECT_TRUE(checkers::xlrdLogClean(x)) << x[QStringLiteral("log")].toString().toStdString();
        QStringList names;
        for (const QJsonValue& s : x[QStringLiteral("sheets")].toArray())
            names << s.toObject()[QStringLiteral("name")].toString();
        EXPECT_EQ(names, c.left);
        // The print area belonged to Lista: it goes with it.
        EXPECT_EQ(x[QStringLiteral("names")].toObject().contains(QStringLiteral("Print_Area")), c.deleted != 0);
        auto csv = checkers::libreOfficeCsv(out);
        EXPECT_EQ(csv.size(), 2);
        if (c.rezumatB1) {
            EXPECT_EQ(checkers::csvCell(csv[QStringLiteral("Rezumat")], 0, 1), QString::fromLatin1(c.rezumatB1));
        }
        // The reopened workbook reads the same.
        auto again = Workbook::open(out);
        EXPECT_EQ(again->sheetCount(), 2);
    }
    auto single = Workbook::open(Template);
    single->deleteActiveSheet();
    single->deleteActiveSheet();
    EXPECT_THROW(single->deleteActiveSheet(), WorkbookError);
}

TEST(Biff8RoundTrip, CellsWrittenIntoAnEmptySheet)
{
    for (const char* ext : {"xls", "xlsx"}) {
        SCOPED_TRACE(ext);
        QTemporaryDir dir;
        auto book = Workbook::open(QStringLiteral(HESTAVO_TEST_DATA "/test-gol.") + QLatin1String(ext));
        EXPECT_EQ(book->lastRow(), -1);
        EXPECT_EQ(book->lastColumn(), -1);
        book->setCell(0, 0, CellValue::fromText(QStringLiteral("Titlu")));
        book->setCell(2, 1, CellValue::fromNumber(5.5));
        QString out = dir.filePath(QStringLiteral("gol.") + QLatin1String(ext));
        book->save(out);
        auto again = Workbook::open(out);
        EXPECT_EQ(again->lastRow(), 2);
        EXPECT_EQ(again->cellText(2, 1), QStringLiteral("5.5"));
        auto csv = checkers::libreOfficeCsv(out);
        EXPECT_EQ(checkers::csvCell(csv[QStringLiteral("Gol")], 0, 0), QStringLiteral("Titlu"));
        EXPECT_EQ(checkers::csvCell(csv[QStringLiteral("Gol")], 2, 1), QStringLiteral("5.5"));
    }
}
