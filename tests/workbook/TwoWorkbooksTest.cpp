// A second workbook open for reading while another is filled (the annex
// adder): rows appended inside a numbered list with totals, input untouched.
#include "Checkers.h"

#include "workbook/Workbook.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace workbook;

namespace {

QByteArray digest(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

TEST(TwoWorkbooks, RowsCopiedFromAnOpenInputIntoTheListOfAnother)
{
    for (const char* ext : {"xls", "xlsx"}) {
        SCOPED_TRACE(ext);
        QTemporaryDir dir;
        const QString input = QStringLiteral(HESTAVO_TEST_DATA "/test-lista.") + QLatin1String(ext);
        const QByteArray before = digest(input);
        auto target = Workbook::open(input);
        auto source = Workbook::open(input);
        // The list: one numbered row (11) with a value; the input gives three more.
        target->setCell(10, 0, CellValue::fromNumber(1));
        target->setCell(10, 3, CellValue::fromNumber(5));
        int r = 10, c = 1;
        for (int k = 0; k < 3; ++k) {
            target->insertRowCopies(r, 1);
            ++r;
            ++c;
            target->setCell(r, 0, CellValue::fromNumber(c));
            for (int col = 1; col < 3; ++col)
                target->setCell(r, col, source->cell(9, col));   // any text of the input
            target->setCell(r, 3, CellValue::fromNumber(10 * c));
        }
        QString out = dir.filePath(QStringLiteral("sum.") + QLatin1String(ext));
        target->save(out);
        EXPECT_EQ(digest(input), before);
        EXPECT_EQ(source->cellText(10, 0), QStringLiteral("%NRCRT"));   // the reader saw none of it

        auto csv = checkers::libreOfficeCsv(out);
        const auto& lista = csv[QStringLiteral("Lista")];
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(checkers::csvCell(lista, 10 + k, 0), QString::number(k + 1));
        EXPECT_EQ(checkers::csvCell(lista, 12, 1), QStringLiteral("Nume"));
        EXPECT_EQ(checkers::csvCell(lista, 14, 0), QStringLiteral("Total"));
        EXPECT_EQ(checkers::csvCell(lista, 14, 3), QStringLiteral("95.00"));   // 5 + 20 + 30 + 40
    }
}
