// The decision reference table: one row per application with the reference
// text, read back by an independent dBase reader; the file goes with the object.
#include "reports/DecisionReference.h"

#include "ReportsFixture.h"

#include <QFileInfo>

namespace {

TEST(DecisionReferenceText, NumberSlashDate)
{
    const struct {
        QString number;
        QDate date;
        QString expected;
    } cases[] = {
        {"12", QDate(2022, 1, 3), "12/03.01.2022"},
        {" 7 ", QDate(2023, 12, 31), "7/31.12.2023"},
        {"", QDate(), ""},
        {"5", QDate(), "5/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecisionReferenceText(c.number, c.date), c.expected) << c.number.toStdString();
}

using DecisionReferenceTableTest = ReportsTest;

TEST_F(DecisionReferenceTableTest, EveryApplicationGetsItsReference)
{
    AddApplication(1, "01.2024", {{"NR_DISP", "\"12\""}, {"DATADISP", "\"03.01.2022\""}});
    AddApplication(2, "02.2024", {{"NR_DISP", "\"345/A\""}, {"DATADISP", "\"28.02.2024\""}});
    AddApplication(3, "02.2024", {{"STATUT", "\"RESPINS\""}});
    QString file;
    {
        DecisionReferenceTable table;
        file = table.path();
        EXPECT_EQ(QFileInfo(file).fileName().left(5), "AJVPS");
        const QString rows = Python("import sys, dbfread\n"
                                    "for r in dbfread.DBF(sys.argv[1]):\n"
                                    "    print(int(r['NRCRT']), r['NRD'] or '', r['DATAD'] or '', r['NR_DISP'] or '', sep='|')\n",
                                    {file});
        EXPECT_EQ(rows, "1|12|2022-01-03|12/03.01.2022\n"
                        "2|345/A|2024-02-28|345/A/28.02.2024\n"
                        "3|||\n");
    }
    EXPECT_FALSE(QFileInfo::exists(file));
}

} // namespace
