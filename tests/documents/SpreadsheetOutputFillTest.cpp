// The spreadsheet output component on the .xls and .xlsx test templates: the
// data row filled from records, single-value markers, sheet selection, output
// read back by the engine and checked by LibreOffice (recalculated totals).
#include "../workbook/Checkers.h"

#include "documents/SpreadsheetOutput.h"

#include <QFile>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>

using workbook::CellValue;

namespace {

// Records of a query result, written out in the test.
class TableRecords : public workbook::RecordSource {
public:
    struct Column { QString name; bool text; };
    TableRecords(std::vector<Column> columns, std::vector<std::vector<QVariant>> rows)
        : m_columns(std::move(columns)), m_rows(std::move(rows)) {}
    int recordCount() override { return int(m_rows.size()); }
    int position() override { return m_pos; }
    void restore(int p) override { m_pos = p; }
    void first() override { m_pos = 0; }
    void next() override { ++m_pos; }
    bool eof() override { return m_pos >= int(m_rows.size()); }
    QStringList columnNames() override
    {
        QStringList out;
        for (const auto& c : m_columns) out << c.name;
        return out;
    }
    bool isTextColumn(const QString& name) override { return m_columns[index(name)].text; }
    QString text(const QString& name) override { return m_rows[m_pos][index(name)].toString(); }
    std::optional<double> number(const QString& name) override
    {
        bool ok = false;
        double d = m_rows[m_pos][index(name)].toDouble(&ok);
        return ok ? std::optional<double>(d) : std::nullopt;
    }

private:
    int index(const QString& name) const
    {
        for (size_t i = 0; i < m_columns.size(); ++i)
            if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
        throw std::logic_error("no column");
    }
    std::vector<Column> m_columns;
    std::vector<std::vector<QVariant>> m_rows;
    int m_pos = 0;
};

TableRecords payments(int count)
{
    std::vector<std::vector<QVariant>> rows;
    const char* names[] = {"ALBU ION", "BARBU ANA", "COMAN VASILE", "DOBRE MARIA"};
    const double sums[] = {250, 0, 112.5, 40};
    for (int i = 0; i < count; ++i)
        rows.push_back({QString::fromLatin1(names[i % 4]), 45000.0 + i, sums[i % 4], QStringLiteral("%1/").arg(12 + i),
                        i == 0 ? QVariant(0.0) : QVariant(10.0 * i), QVariant()});
    return TableRecords({{"NUME", true}, {"DATA", false}, {"SUMA", false}, {"NRDISP", true}, {"SUMAL", false},
                         {"GOL", false}},
                        rows);
}

QString templatePath(const QString& ext)
{
    return QStringLiteral(HESTAVO_SOURCE_DIR "/tests/workbook/data/test-lista.") + ext;
}

class ExpXlsFill : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        SpreadsheetOutput::FreshTempFile = [this](const QString& stem, const QString& ext) {
            return m_dir.filePath(stem + QString::number(++m_files) + ext);
        };
        SpreadsheetOutput::ShellOpen = [this](const QString& path) { m_shown << path; };
    }
    QString ext() const { return QString::fromLatin1(GetParam()); }
    QTemporaryDir m_dir;
    int m_files = 0;
    QStringList m_shown;
};

// The sheet's cells as the engine reads them back from the saved output.
QStringList rowTexts(workbook::Workbook& book, int row, int cols = 10)
{
    QStringList out;
    for (int c = 0; c < cols; ++c) out << book.cellText(row, c);
    return out;
}

} // namespace

TEST_P(ExpXlsFill, DataRowEdgeCases)
{
    struct Case {
        const char* name;
        int records;
        int totalsRow;                 // 0-based row of "Total" after filling
        std::vector<QStringList> rows; // expected rows from index 10, columns A..J
    };
    const Case cases[] = {
        {"three records fill rows 11-13, totals move to 14", 3, 13,
         {{"1", "ALBU ION", "45000", "250", "500", "12/", "", "", "fix", ""},
          {"2", "BARBU ANA", "45001", "", "0", "13/", "", "", "fix", "10"},
          {"3", "COMAN VASILE", "45002", "112.5", "225", "14/", "", "", "fix", "20"}}},
        {"one record: no copy", 1, 11, {{"1", "ALBU ION", "45000", "250", "500", "12/", "", "", "fix", ""}}},
        {"empty result empties the data row", 0, 11, {{"", "", "", "", "", "", "", "", "", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SpreadsheetOutput xls;
        ASSERT_TRUE(xls.OpenWorkbook(templatePath(ext()), false));
        EXPECT_TRUE(xls.OutputFile.endsWith(QLatin1Char('.') + ext()));
        TableRecords records = payments(c.records);
        records.restore(c.records > 1 ? 1 : 0);
        const int before = records.position();
        xls.FillRows(records);
        EXPECT_EQ(records.position(), before);
        xls.CloseWorkbook(false);
        EXPECT_TRUE(m_shown.isEmpty());

        auto out = workbook::Workbook::open(xls.OutputFile);
        for (size_t k = 0; k < c.rows.size(); ++k) {
            QStringList row = rowTexts(*out, 10 + int(k));
            // Formula results of the copies are recalculated by LibreOffice below.
            row[4] = c.rows[k][4];
            EXPECT_EQ(row, c.rows[k]) << "row " << 11 + k;
        }
        EXPECT_EQ(out->cellText(c.totalsRow, 0), QStringLiteral("Total"));
        EXPECT_TRUE(out->cell(10, 3).type != CellValue::Type::Text);

        auto csv = checkers::libreOfficeCsv(xls.OutputFile);
        const auto& lista = csv[QStringLiteral("Lista")];
        double sum = 0;
        for (const QStringList& r : c.rows) sum += r[3].toDouble();
        EXPECT_EQ(checkers::csvCell(lista, c.totalsRow, 3), QString::number(sum, 'f', 2));
        for (size_t k = 0; k < c.rows.size(); ++k)
            if (!c.rows[k][3].isEmpty()) {
                EXPECT_EQ(checkers::csvCell(lista, 10 + int(k), 4),
                          QString::number(c.rows[k][3].toDouble() * 2, 'f', 2)) << "row " << 11 + k;
            }
    }
}

TEST_P(ExpXlsFill, MarkersSheetsAndCells)
{
    SpreadsheetOutput xls;
    ASSERT_FALSE(xls.OpenWorkbook(m_dir.filePath(QStringLiteral("missing.xls")), false));
    EXPECT_FALSE(xls.IsOpen());
    xls.ReplaceMarker(QStringLiteral("[JUDET]"), CellValue::fromText(QStringLiteral("ALBA")));   // nothing open: no-op

    ASSERT_TRUE(xls.OpenWorkbook(templatePath(ext()), true));   // automation falls back to the engine
    EXPECT_FALSE(xls.AutomationMode());
    EXPECT_EQ(xls.BlankValue.type, CellValue::Type::Text);
    EXPECT_EQ(xls.SheetCount(), 3);
    xls.ReplaceMarker(QStringLiteral("[judet]"), CellValue::fromText(QStringLiteral("ALBA")));
    xls.ReplaceMarker(QStringLiteral("[NRPERS]"), CellValue::fromNumber(12));
    // A value holding its own marker is inserted once.
    xls.SelectSheet(2);
    xls.ReplaceMarker(QStringLiteral("[JUDET]"), CellValue::fromText(QStringLiteral("[JUDET] X")));
    xls.SelectSheet(4);   // three sheets: stays on sheet 2
    xls.SetCell(2, 2, CellValue::fromText(QStringLiteral("pe foaia 2")));
    // Sheet 3 has no data row: filling changes nothing.
    xls.SelectSheet(3);
    TableRecords records = payments(3);
    xls.FillRows(records);
    xls.SetCell(5, 1, CellValue::fromNumber(7.25));
    xls.SelectSheet(1);
    xls.CloseWorkbook(true);
    ASSERT_EQ(m_shown, QStringList{xls.OutputFile});
    EXPECT_FALSE(xls.IsOpen());

    auto out = workbook::Workbook::open(xls.OutputFile);
    EXPECT_EQ(out->cell(0, 0).text, QStringLiteral("Judetul ALBA"));
    EXPECT_EQ(out->cell(1, 1).text, QStringLiteral("Primaria ALBA si ALBA"));
    EXPECT_EQ(out->cell(1, 0).type, CellValue::Type::Number);
    EXPECT_EQ(out->cell(1, 0).number, 12);
    out->setActiveSheet(1);
    EXPECT_EQ(out->cellText(0, 0), QStringLiteral("Ajutoare [JUDET] X"));
    EXPECT_EQ(out->cellText(1, 1), QStringLiteral("pe foaia 2"));
    EXPECT_EQ(out->cellText(2, 3), QStringLiteral("#DBF"));
    out->setActiveSheet(2);
    EXPECT_EQ(out->lastRow(), 4);
    EXPECT_EQ(out->cellText(0, 0), QStringLiteral("Total lista"));
    EXPECT_EQ(out->cellText(4, 0), QStringLiteral("7.25"));

    auto csv = checkers::libreOfficeCsv(xls.OutputFile);
    EXPECT_EQ(checkers::csvCell(csv[QStringLiteral("Lista")], 1, 0), QStringLiteral("12"));
    EXPECT_EQ(checkers::csvCell(csv[QStringLiteral("Rezumat")], 4, 0), QStringLiteral("7.25"));
}

TEST_P(ExpXlsFill, DeletingTheActiveSheetThroughTheComponent)
{
    SpreadsheetOutput xls;
    ASSERT_TRUE(xls.OpenWorkbook(templatePath(ext()), false));
    xls.SelectSheet(2);
    xls.DeleteActiveSheet();
    EXPECT_EQ(xls.SheetCount(), 2);
    xls.SelectSheet(1);
    TableRecords records = payments(2);
    xls.FillRows(records);
    xls.CloseWorkbook(false);
    auto csv = checkers::libreOfficeCsv(xls.OutputFile);
    EXPECT_EQ(csv.keys(), (QStringList{"Lista", "Rezumat"}));
    EXPECT_EQ(checkers::csvCell(csv[QStringLiteral("Lista")], 12, 3), QStringLiteral("250.00"));
    EXPECT_EQ(checkers::csvCell(csv[QStringLiteral("Rezumat")], 0, 1), QStringLiteral("250.00"));
}

INSTANTIATE_TEST_SUITE_P(Formats, ExpXlsFill, ::testing::Values("xls", "xlsx"));
