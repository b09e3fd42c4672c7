// A template whose used range reaches the last column and tens of thousands
// of rows down (one far cell, as a careless edit leaves) is filled by
// walking the cells it has, not every place of the used range: the far
// marker is still found and replaced, and the cells read stay in proportion
// to the cells present.
#include "workbook/TemplateFill.h"
#include "workbook/Workbook.h"

#include "CountedRecords.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace workbook;

namespace {

// Forwards to an opened workbook and counts the cells read.
class CountingWorkbook : public Workbook {
public:
    explicit CountingWorkbook(std::unique_ptr<Workbook> book) : m_book(std::move(book)) {}
    long long cellsRead = 0;

    QString path() const override { return m_book->path(); }
    bool isXlsx() const override { return m_book->isXlsx(); }
    int sheetCount() const override { return m_book->sheetCount(); }
    QString sheetName(int sheet) const override { return m_book->sheetName(sheet); }
    int activeSheet() const override { return m_book->activeSheet(); }
    void setActiveSheet(int sheet) override { m_book->setActiveSheet(sheet); }
    void deleteActiveSheet() override { m_book->deleteActiveSheet(); }
    int lastRow() const override { return m_book->lastRow(); }
    int lastColumn() const override { return m_book->lastColumn(); }
    std::vector<std::pair<int, int>> presentCells() const override { return m_book->presentCells(); }
    CellValue cell(int row, int col) const override
    {
        ++const_cast<CountingWorkbook*>(this)->cellsRead;
        return m_book->cell(row, col);
    }
    void setCell(int row, int col, const CellValue& value) override { m_book->setCell(row, col, value); }
    void insertRowCopies(int row, int count) override { m_book->insertRowCopies(row, count); }
    TextLayout textLayout(int row, int col) const override { return m_book->textLayout(row, col); }
    double columnWidthPoints(int col) const override { return m_book->columnWidthPoints(col); }
    double rowHeightPoints(int row) const override { return m_book->rowHeightPoints(row); }
    void setRowHeightPoints(int row, double points) override { m_book->setRowHeightPoints(row, points); }
    void save(const QString& path) override { m_book->save(path); }

private:
    std::unique_ptr<Workbook> m_book;
};

class NamedRecords : public CountedRecords {
public:
    using CountedRecords::CountedRecords;
    QStringList columnNames() override { return {QStringLiteral("TITULAR")}; }
    bool isTextColumn(const QString&) override { return true; }
    QString text(const QString&) override { return QStringLiteral("NUME %1").arg(m_pos); }
    std::optional<double> number(const QString&) override { return std::nullopt; }
};

} // namespace

TEST(FarCells, FillWalksTheCellsPresentNotTheUsedRange)
{
    const struct {
        const char* name;
        const char* shipped;
        int farRow, farCol; // IV60001 and XFD1048001
    } cases[] = {
        {"xls", "test-lista.xls", 60000, 255},
        {"xlsx", "test-lista.xlsx", 1048000, 16383},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const QString file = dir.filePath(QString::fromLatin1(c.shipped));
        {
            auto book = Workbook::open(QString(HESTAVO_TEST_DATA) + "/" + c.shipped);
            book->setCell(c.farRow, c.farCol, CellValue::fromText(QStringLiteral("#DEPARTE")));
            book->save(file);
        }
        CountingWorkbook book(Workbook::open(file));
        ASSERT_EQ(book.lastRow(), c.farRow) << c.name;
        ASSERT_EQ(book.lastColumn(), c.farCol) << c.name;
        const long long present = static_cast<long long>(book.presentCells().size());

        replaceMarker(book, QStringLiteral("#DEPARTE"), CellValue::fromText(QStringLiteral("GASIT")));
        EXPECT_EQ(book.cell(c.farRow, c.farCol).text, QStringLiteral("GASIT")) << c.name;
        NamedRecords records(3);
        fillDataRow(book, records, CellValue());
        EXPECT_LT(book.cellsRead, 20 * (present + 3) + 2 * (c.farCol + 1)) << c.name << ": " << present << " cells present";
    }
}
