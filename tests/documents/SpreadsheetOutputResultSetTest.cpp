// The data row filled from a real query result of the engine: text columns as
// text, numbers as numbers, dates as day numbers, zero and NULL as BlankValue.
#include "documents/SpreadsheetOutput.h"
#include "engine/Database.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using workbook::CellValue;

TEST(ExpXlsResultSet, FillRowsFromAQuery)
{
    QTemporaryDir dir;
    SpreadsheetOutput::FreshTempFile = [&dir](const QString& stem, const QString& ext) { return dir.filePath(stem + ext); };
    const std::string table = "\"" + dir.filePath(QStringLiteral("Cereri.dbf")).toStdString() + "\"";
    engine::Database db;
    db.exec("CREATE TABLE " + table + " (TITULAR CHAR(40), NR_DISP CHAR(10), DATADISP DATE, SUMA NUMERIC(10,2), SUMAL NUMERIC(10,2))");
    db.exec("INSERT INTO " + table + " (TITULAR, NR_DISP, DATADISP, SUMA, SUMAL) VALUES (\"BARBU ANA\", \"13\", \"16.03.2023\", 0, 40)");
    db.exec("INSERT INTO " + table + " (TITULAR, NR_DISP, DATADISP, SUMA, SUMAL) VALUES (\"ALBU ION\", \"12\", \"15.03.2023\", 250.5, 0)");
    db.exec("INSERT INTO " + table + " (TITULAR, NR_DISP, SUMA) VALUES (\"COMAN VASILE\", \"14\", 112.5)");
    auto rs = db.open("SELECT TITULAR AS NUME, NR_DISP+\"/\" AS NRDISP, DATADISP AS DATA, SUMA, SUMAL FROM " + table
                      + " ORDER BY TITULAR");
    rs->first();
    rs->next();   // the caller's position is given back

    SpreadsheetOutput xls;
    ASSERT_TRUE(xls.OpenWorkbook(QStringLiteral(HESTAVO_SOURCE_DIR "/tests/workbook/data/test-lista.xls"), false));
    xls.BlankValue = CellValue::fromNumber(0);   // as the AJPIS report sets it
    xls.FillRows(*rs);
    EXPECT_EQ(rs->position(), 1);
    xls.CloseWorkbook(false);

    auto out = workbook::Workbook::open(xls.OutputFile);
    struct Row { const char* nume; const char* nrdisp; double data; double suma; double sumal; };
    const Row rows[] = {
        {"ALBU ION", "12/", 45000, 250.5, 0},
        {"BARBU ANA", "13/", 45001, 0, 40},
        {"COMAN VASILE", "14/", 0, 112.5, 0},
    };
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(rows[k].nume);
        const int r = 10 + k;
        EXPECT_EQ(out->cell(r, 0).number, k + 1);
        EXPECT_EQ(out->cell(r, 1).text, QString::fromLatin1(rows[k].nume));
        EXPECT_EQ(out->cell(r, 5).text, QString::fromLatin1(rows[k].nrdisp));
        CellValue date = out->cell(r, 2);
        EXPECT_EQ(date.type, CellValue::Type::Number);
        EXPECT_EQ(date.number, rows[k].data);   // a NULL date gives BlankValue, here the number 0
        if (rows[k].data != 0) EXPECT_TRUE(date.isDate);
        EXPECT_EQ(out->cell(r, 3).number, rows[k].suma);
        EXPECT_EQ(out->cell(r, 9).number, rows[k].sumal);
    }
    EXPECT_EQ(out->cellText(13, 0), QStringLiteral("Total"));
}
