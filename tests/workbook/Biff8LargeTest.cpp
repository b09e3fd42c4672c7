// A data row filled with tens of thousands of records: the workbook stream
// outgrows the 109 FAT sectors of the header (DIFAT sectors), the shared
// string table spans hundreds of CONTINUE records; xlrd and LibreOffice read it.
#include "Checkers.h"
#include "CountedRecords.h"

#include "workbook/TemplateFill.h"
#include "workbook/Workbook.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace workbook;

namespace {

class NumberedRecords : public CountedRecords {
public:
    using CountedRecords::CountedRecords;
    QStringList columnNames() override { return {"NUME", "SUMA"}; }
    bool isTextColumn(const QString& c) override { return c == QLatin1String("NUME"); }
    QString text(const QString&) override { return QStringLiteral("Beneficiar ș %1").arg(m_pos); }
    std::optional<double> number(const QString&) override { return 1 + m_pos % 10; }
};

} // namespace

TEST(Biff8Large, FortyThousandRowsOpenInXlrdAndLibreOffice)
{
    QTemporaryDir dir;
    const int n = 40000;
    auto book = Workbook::open(QStringLiteral(HESTAVO_TEST_DATA "/test-lista.xls"));
    NumberedRecords records(n);
    fillDataRow(*book, records, CellValue::fromText(QString()));
    QString out = dir.filePath(QStringLiteral("mare.xls"));
    book->save(out);
    ASSERT_GT(QFileInfo(out).size(), 109 * 128 * 512);   // beyond what the header's FAT list covers

    QJsonObject x = checkers::xlrd(out);
    ASSERT_FALSE(x.contains(QStringLiteral("error"))) << x[QStringLiteral("error")].toString().toStdString();
    EXPECT_TRUE(checkers::xlrdLogClean(x));
    QJsonArray cells = x[QStringLiteral("sheets")].toArray()[0].toObject()[QStringLiteral("cells")].toArray();
    ASSERT_EQ(cells.size(), 14 + n - 1);
    EXPECT_EQ(cells[10 + n - 1].toArray()[1].toArray()[1].toString(), QStringLiteral("Beneficiar ș %1").arg(n - 1));
    EXPECT_EQ(cells[10 + n].toArray()[0].toArray()[1].toString(), QStringLiteral("Total"));

    auto csv = checkers::libreOfficeCsv(out);
    const auto& lista = csv[QStringLiteral("Lista")];
    EXPECT_EQ(checkers::csvCell(lista, 10 + n, 3), QStringLiteral("220000.00"));   // 4000 x (1+...+10)
    EXPECT_EQ(checkers::csvCell(lista, 10 + n - 1, 0), QString::number(n));
}
