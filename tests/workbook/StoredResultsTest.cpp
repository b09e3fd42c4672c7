// The results stored in formula cells after a fill, read by independent
// readers (xlrd for .xls, the sheet XML for .xlsx) and by the engine, against
// what LibreOffice computes when it recalculates the same files; the
// calculator's own rules on small cases.
#include "Checkers.h"
#include "CountedRecords.h"
#include "StoredValues.h"

#include "workbook/TemplateFill.h"
#include "workbook/Workbook.h"
#include "workbook/calc/Calculator.h"
#include "workbook/xlsx/FormulaParser.h"
#include "workbook/xlsx/FormulaText.h"
#include "workbook/xlsx/Package.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <cmath>

using namespace workbook;

namespace {

class Payments : public CountedRecords {
public:
    using CountedRecords::CountedRecords;
    QStringList columnNames() override { return {"NUME", "SUMA"}; }
    bool isTextColumn(const QString& c) override { return c == QLatin1String("NUME"); }
    QString text(const QString&) override { return QStringLiteral("Beneficiar %1").arg(m_pos + 1); }
    // Amounts with cents, some above the 100 of the conditional format.
    std::optional<double> number(const QString&) override { return 37.5 + (m_pos % 7) * 41.35; }
};

const QString Fixture = QStringLiteral(HESTAVO_TEST_DATA "/test-totaluri.");
// Formulas with a function the calculator does not know (SQRT) and the cell reading it.
const QSet<QString> LeftToTheSpreadsheet{QStringLiteral("Rezumat!B7"), QStringLiteral("Rezumat!B8")};

} // namespace

TEST(StoredResults, EveryFormulaCellHoldsWhatLibreOfficeComputes)
{
    QTemporaryDir dir;
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("HESTAVO_KEEP_TEST_FILES"));
    QStringList outputs;
    for (int rows : {0, 1, 3, 1000})
        for (const char* ext : {"xls", "xlsx"}) {
            auto book = Workbook::open(Fixture + QLatin1String(ext));
            replaceMarker(*book, QStringLiteral("[JUDET]"), CellValue::fromText(QStringLiteral("CLUJ")));
            Payments records(rows);
            fillDataRow(*book, records, CellValue());
            const QString out = dir.filePath(QStringLiteral("fill-%1-%2.%2").arg(rows).arg(QLatin1String(ext)));
            book->save(out);
            outputs << out;
        }
    const auto values = checkers::libreOfficeRawCsv(outputs, false);
    const auto formulas = checkers::libreOfficeRawCsv(outputs, true);
    for (const QString& out : outputs) {
        SCOPED_TRACE(out.toStdString());
        const QString stem = QFileInfo(out).completeBaseName();
        ASSERT_EQ(formulas[stem].size(), 2);
        const int compared = stored::compareWithLibreOffice(out, values[stem], formulas[stem], LeftToTheSpreadsheet);
        EXPECT_GE(compared, 13);
    }
    // The total of 1,000 payments, as an agency's reader sees it.
    const QJsonObject big = checkers::xlrd(outputs[6]);
    double expected = 0;
    for (int k = 0; k < 1000; ++k) expected += 37.5 + (k % 7) * 41.35;
    const QJsonArray totalsRow = big.value(QStringLiteral("sheets")).toArray().at(0).toObject().value(QStringLiteral("cells"))
                                     .toArray().at(1004).toArray();
    ASSERT_GT(totalsRow.size(), 2);
    EXPECT_NEAR(totalsRow.at(2).toArray().at(1).toDouble(), expected, 1e-6);
}

namespace {

// A grid of constants given as text for the calculator's own cases.
class TinyGrid : public calc::CellGrid {
public:
    std::map<std::pair<int, int>, CellValue> cells;
    std::set<std::pair<int, int>> formulas;
    void addFormula(int r, int c) { formulas.insert({r, c}); cells[{r, c}]; }
    void forEachCell(int sheet, int r1, int c1, int r2, int c2,
                     const std::function<void(int, int, const CellValue&, bool)>& visit) const override
    {
        if (sheet != 0) return;
        for (auto it = cells.lower_bound({r1, 0}); it != cells.end() && it->first.first <= r2; ++it)
            if (it->first.second >= c1 && it->first.second <= c2)
                visit(it->first.first, it->first.second, it->second, formulas.count(it->first) > 0);
    }
};

} // namespace

TEST(Calculator, SpreadsheetRulesOnSmallCases)
{
    struct Case { const char* formula; const char* expected; };
    // A1=10, A2=2.675, A3="abc", A4 empty, A5=TRUE, A6="12", A7=-7.5
    const Case cases[] = {
        {"-2^2", "4"}, {"2+3*4^2/8", "8"}, {"10%", "0.1"}, {"A1&\"x\"&A2", "10x2.675"},
        {"ROUND(A2,2)", "2.68"}, {"ROUND(-2.5,0)", "-3"}, {"ROUNDUP(A7,0)", "-8"}, {"ROUNDDOWN(A7,0)", "-7"},
        {"ROUND(1234.5,-2)", "1200"}, {"INT(A7)", "-8"}, {"ABS(A7)", "7.5"},
        {"A4+1", "1"}, {"A4&\"\"", ""}, {"A6*2", "24"}, {"A3*2", "#VALUE!"}, {"1/A4", "#DIV/0!"},
        {"SUM(A1:A7)", "5.175"}, {"SUM(A6,A5)", "0"}, {"SUM(\"12\",TRUE)", "13"}, {"COUNT(A1:A7)", "3"}, {"COUNTA(A1:A7)", "6"},
        {"AVERAGE(A1,A7)", "1.25"}, {"MIN(A1:A7)", "-7.5"}, {"MAX(A3:A4)", "0"}, {"AVERAGE(A3:A4)", "#DIV/0!"},
        {"\"abc\"=A3", "TRUE"}, {"\"ABD\">A3", "TRUE"}, {"A3>A1", "TRUE"}, {"A5>A3", "TRUE"}, {"A4=0", "TRUE"},
        {"A4=\"\"", "TRUE"}, {"IF(A1>5,\"mare\")", "mare"}, {"IF(A1<5,\"mare\")", "FALSE"}, {"IF(A1,,1)", "0"},
        {"AND(A1,A5,A3:A4)", "TRUE"}, {"OR(A3:A4)", "#VALUE!"}, {"NOT(A4)", "TRUE"},
        {"COUNTIF(A1:A7,\">2\")", "2"}, {"COUNTIF(A1:A7,\"a?c\")", "1"}, {"COUNTIF(A1:A7,\"<>10\")", "6"},
        {"COUNTIF(A1:A7,\"\")", "1"}, {"SUMIF(A1:A7,\"<3\")", "-4.825"}, {"SUMIF(A3:A4,\"abc\",A1:A2)", "10"},
        {"ISNUMBER(A1)", "TRUE"}, {"ISNUMBER(A6)", "FALSE"}, {"ISNUMBER(A4)", "FALSE"}, {"ISNUMBER(1/A4)", "FALSE"},
        {"IF(ISNUMBER(A1),A1*A2,\"\")", "26.75"}, {"IF(ISNUMBER(A3),A3*A2,\"\")", ""},
        {"SQRT(4)", "?"}, {"A1:A2 A1", "?"}, {"[1]Foaie!A1", "?"},
    };
    TinyGrid grid;
    grid.cells[{0, 0}] = CellValue::fromNumber(10);
    grid.cells[{1, 0}] = CellValue::fromNumber(2.675);
    grid.cells[{2, 0}] = CellValue::fromText(QStringLiteral("abc"));
    grid.cells[{4, 0}].type = CellValue::Type::Bool;
    grid.cells[{4, 0}].number = 1;
    grid.cells[{5, 0}] = CellValue::fromText(QStringLiteral("12"));
    grid.cells[{6, 0}] = CellValue::fromNumber(-7.5);
    xlsx::FormulaContext context;
    context.sheetIndex = [](const QString& n) { return n == QLatin1String("Foaie") ? 0 : -1; };
    for (const Case& c : cases) {
        calc::Calculator calculator(grid);
        calculator.addFormula(0, 20, 1, xlsx::parseFormula(QString::fromUtf8(c.formula), context));
        calculator.run();
        const auto& result = calculator.result(0);
        const QString got = !result ? QStringLiteral("?")
            : result->type == CellValue::Type::Bool ? (result->number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE"))
            : result->type == CellValue::Type::Number ? QString::number(result->number, 'g', 15)
            : result->text;
        EXPECT_EQ(got, QString::fromUtf8(c.expected)) << c.formula;
    }
}

TEST(Calculator, CyclesAreErrorsAndLongChainsAreOrdered)
{
    TinyGrid grid;
    xlsx::FormulaContext context;
    calc::Calculator calculator(grid);
    // B1 = B2 + 1, B2 = B1 * 2: a cycle; C1 reads it.
    for (auto [r, c, f] : {std::tuple{0, 1, "B2+1"}, std::tuple{1, 1, "B1*2"}, std::tuple{0, 2, "B1+5"}}) {
        grid.addFormula(r, c);
        calculator.addFormula(0, r, c, xlsx::parseFormula(QString::fromLatin1(f), context));
    }
    // A running total over 30,000 rows, added bottom-up: D(k) = D(k-1) + 1.
    const int n = 30000;
    for (int r = n - 1; r >= 0; --r) {
        grid.addFormula(r, 3);
        calculator.addFormula(0, r, 3, xlsx::parseFormula(r == 0 ? QStringLiteral("1") : QStringLiteral("D%1+1").arg(r), context));
    }
    calculator.run();
    for (size_t i : {0u, 1u, 2u}) {
        ASSERT_TRUE(calculator.result(i).has_value());
        EXPECT_EQ(calculator.result(i)->type, CellValue::Type::Error);
    }
    EXPECT_EQ(calculator.result(3)->number, double(n));   // the last row, added first
}
