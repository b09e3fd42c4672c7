// The county report on small fixtures: the edge cases as one table (names,
// folder, cleaned values, rounding, annexes without rows, refused years),
// several households read back by the independent checker (CountyCheck.py:
// csv module and xlrd), and the outputs left by a failing run.
#include "CountyFixture.h"

#include "register/AdminSettings.h"
#include "reports/CountyReport.h"
#include "reports/ExportError.h"

#include <QDate>
#include <QFile>

using namespace hestavo;

namespace {

class CountyReportTest : public CountyFixture {
protected:
    void SetUp() override
    {
        CountyFixture::SetUp();
        // Never listed: a ceased application of the month and an approved one of another month.
        AddApplication(90, kMonth, {{"TITULAR", "\"ZAHARIA ANA\""}, {"CNP", "\"2900101040019\""}, {"STATUT", "\"INCETAT\""},
                                    {"CUANTUM", "320"}, {"SUMAT", "90"}, {"SUMAG", "10"}, {"SUMAE", "20"}, {"SUMAL", "30"}});
        AddApplication(91, "12.2023", {{"TITULAR", "\"ZAHARIA ION\""}, {"CNP", "\"1900101040018\""}, {"CUANTUM", "320"},
                                       {"SUMAT", "90"}, {"SUMAG", "10"}, {"SUMAE", "20"}, {"SUMAL", "30"}});
    }

    // The checker's lines ("13 3 896.00": annex, rows, total) for a folder.
    static QStringList Checked(const QString& folder)
    {
        QFile script(QString(HESTAVO_SOURCE_DIR) + "/tests/reports/CountyCheck.py");
        EXPECT_TRUE(script.open(QIODevice::ReadOnly));
        return Python(QString::fromUtf8(script.readAll()), {folder}).split('\n', Qt::SkipEmptyParts);
    }

    static constexpr const char* kMonth = "01.2024";
};

TEST_F(CountyReportTest, EdgeCases)
{
    const QString stem = "ANEXA_%1_COMUNASFANTAMARIA_FEBRUARIE_2024";
    const QString csvFolder = "Comuna Sfanta Maria AJUTOARE INCALZIRE FEBRUARIE 2024/";
    auto files = [&](QList<int> annexes) {
        QStringList out;
        for (int a : annexes)
            out << stem.arg(a) + ".xls" << csvFolder + stem.arg(a) + ".csv";
        out.sort();
        return out;
    };
    const int thisYear = QDate::currentDate().year();
    const struct {
        const char* rule;
        QMap<QString, QString> columns;   // over the household below
        int year;
        QString refusal;
        QStringList files;
        int annex;                        // whose CSV's first data line is checked
        QString line;
    } cases[] = {
        {"names of files and folder; hyphen, lower case and comma cleaned; 349.5 gives 350; 288 gives 90.00",
         {}, 2024, "", files({13}), 13,
         "1,POP IONESCU MARIA,1800101040011,SFANTA MARIA STR. LUNGA NR. 5,12 03.01.2024,2,350,90.00,288"},
        {"income 349.00 gives 349", {{"VENITM", "349.00"}}, 2024, "", files({13}), 13,
         "1,POP IONESCU MARIA,1800101040011,SFANTA MARIA STR. LUNGA NR. 5,12 03.01.2024,2,349,90.00,288"},
        {"income 200.01 gives 201", {{"VENITM", "200.01"}}, 2024, "", files({13}), 13,
         "1,POP IONESCU MARIA,1800101040011,SFANTA MARIA STR. LUNGA NR. 5,12 03.01.2024,2,201,90.00,288"},
        {"aid 320 gives 100.00", {{"CUANTUM", "320"}}, 2024, "", files({13}), 13,
         "1,POP IONESCU MARIA,1800101040011,SFANTA MARIA STR. LUNGA NR. 5,12 03.01.2024,2,350,100.00,320"},
        {"a thermal supplement writes Annex 14", {{"SUMAT", "150.5"}, {"CODCLT", "\"tc-12/3\""}}, 2024, "",
         files({13, 14}), 14, "1,POP IONESCU MARIA,1800101040011,SFANTA MARIA STR. LUNGA NR. 5,TC 12 3,350,150.5,12 03.01.2024"},
        {"gas and electricity, with their consumption places", {{"SUMAG", "10"}, {"PODG", "\"RO005E\""}, {"SUMAE", "20"}},
         2024, "", files({13, 15, 16}), 15,
         "1,POP IONESCU MARIA,1800101040011,SFANTA MARIA STR. LUNGA NR. 5,,RO005E,2,350,12 03.01.2024,10"},
        {"no heating aid, a solid-fuel supplement: Annex 17, and Annex 13 as the empty return",
         {{"TOTAL", "0"}, {"CUANTUM", "0"}, {"SUMAL", "50"}, {"NR_DISP", "\"\""}, {"DATADISP", "NULL"}}, 2024, "",
         files({13, 17}), 17, "1,POP IONESCU MARIA,1800101040011,SFANTA MARIA STR. LUNGA NR. 5,,2,350,50"},
        {"year 2009 refused", {}, 2009, "\nAn incorect!", {}, 0, ""},
        {"next year refused", {}, thisYear + 1, "\nAn incorect!", {}, 0, ""},
    };
    int key = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        Db().exec(("DELETE FROM " + quotedTable("Cereri.dbf") + " WHERE NRCRT<90").toStdString());
        QMap<QString, QString> household{{"TITULAR", "\"Pop-Ionescu maria\""}, {"CNP", "\"1800101040011\""},
                                         {"LOCALIT", "\"Sfanta Maria\""},     {"ADRESA", "\"Str. Lunga, nr. 5\""},
                                         {"NR_DISP", "\"12\""},               {"DATADISP", "\"03.01.2024\""},
                                         {"NR_MEMBRI", "2"},                  {"VENITM", "349.5"},
                                         {"CUANTUM", "288"},                  {"TOTAL", "1440"}};
        household.insert(c.columns);
        AddApplication(key++, kMonth, household);
        const QString out = OutFolder() + "/run" + QString::number(key);
        ASSERT_TRUE(QDir().mkpath(out));
        QString refusal;
        try {
            const CountyOutcome outcome = WriteCountyReport(kMonth, {"Februarie", c.year}, out, LoadAdminSettings());
            ASSERT_EQ(outcome.written.size() * 2, c.files.size());
            for (const CountyAnnexFiles& f : outcome.written)
                EXPECT_EQ(f.rows, outcome.writtenEmpty.contains(f.annex) ? 0 : 1) << f.annex;
            EXPECT_EQ(outcome.written.size() + outcome.withoutData.size(), 5);
            if (outcome.writtenEmpty.contains(13)) {
                QFile empty(out + "/" + csvFolder + stem.arg(13) + ".csv");
                ASSERT_TRUE(empty.open(QIODevice::ReadOnly));
                EXPECT_EQ(empty.readAll().count("\r\n"), 2) << "the header and the column numbers only";
            }
        } catch (const ExportError& e) {
            refusal = e.message();
        }
        EXPECT_EQ(refusal, c.refusal);
        EXPECT_EQ(FilesBelow(out), c.files);
        if (c.annex == 0)
            continue;
        QFile csv(out + "/" + csvFolder + stem.arg(c.annex) + ".csv");
        ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromLatin1(csv.readAll()).split("\r\n").value(2), c.line);
        EXPECT_EQ(Checked(out).size(), c.files.size() / 2);
    }
}

TEST_F(CountyReportTest, FolderNameOfAUatWithForbiddenCharacters)
{
    WriteSetting("SETARI", "PRIMARIA", "Comuna \"Sf. Maria\": Nord/Sud*?");
    AddApplication(1, kMonth, {{"TITULAR", "\"POP ION\""}, {"CNP", "\"1800101040011\""}, {"CUANTUM", "288"}});
    const CountyOutcome outcome = WriteCountyReport(kMonth, {"Martie", 2024}, OutFolder(), LoadAdminSettings());
    EXPECT_EQ(FilesBelow(OutFolder()),
              QStringList({"ANEXA_13_COMUNASFMARIANORDSUD_MARTIE_2024.xls",
                           "Comuna _Sf. Maria__ Nord_Sud__ AJUTOARE INCALZIRE MARTIE 2024/"
                           "ANEXA_13_COMUNASFMARIANORDSUD_MARTIE_2024.csv"}));
    EXPECT_EQ(outcome.csvFolder, OutFolder() + "/Comuna _Sf. Maria__ Nord_Sud__ AJUTOARE INCALZIRE MARTIE 2024");
}

TEST_F(CountyReportTest, AFileThatCannotBeWrittenLeavesNoFileOfTheRun)
{
    AddApplication(1, kMonth, {{"TITULAR", "\"POP ION\""}, {"CNP", "\"1800101040011\""}, {"SUMAL", "30"}});
    // A folder where Annex 17's CSV belongs: its workbook is already in place
    // when the CSV fails, and Annex 13's two files before it.
    const QString csvFolder = OutFolder() + "/Comuna Sfanta Maria AJUTOARE INCALZIRE MAI 2024";
    ASSERT_TRUE(QDir().mkpath(csvFolder + "/ANEXA_17_COMUNASFANTAMARIA_MAI_2024.csv"));
    QString refusal;
    try {
        WriteCountyReport(kMonth, {"Mai", 2024}, OutFolder(), LoadAdminSettings());
    } catch (const ExportError& e) {
        refusal = e.message();
    }
    EXPECT_TRUE(refusal.contains("ANEXA_17_COMUNASFANTAMARIA_MAI_2024.csv")) << refusal.toStdString();
    EXPECT_EQ(FilesBelow(OutFolder()), QStringList());
}

TEST_F(CountyReportTest, SeveralHouseholdsMatchTheirWorkbooks)
{
    struct Household {
        const char* name;
        const char* cnp;
        QMap<QString, QString> columns;
    };
    const Household households[] = {
        {"Ştefănescu-Ţîru ana", "2850202040012",
         {{"CUANTUM", "262"}, {"TOTAL", "1310"}, {"SUMAG", "10"}, {"CODCLG", "\"g/1\""}, {"PODG", "\"p-1\""}, {"VENITM", "512.3"}}},
        {"Barbu Ion", "1800101040011", {{"CUANTUM", "320"}, {"TOTAL", "640"}, {"SUMAE", "20"}, {"SUMAL", "30"}}},
        {"Albu \"Mihai\" Dan", "1750303040013",
         {{"CUANTUM", "288"}, {"TOTAL", "288"}, {"SUMAT", "45.25"}, {"SUMAE", "20"}, {"STATUT", "\"MODIFICAT\""}}},
        {"Ciobanu Maria", "2700404040014", {{"TOTAL", "0"}, {"CUANTUM", "0"}, {"SUMAL", "30"}, {"SUMAG", "10"}}},
    };
    int key = 1;
    for (const Household& h : households) {
        QMap<QString, QString> columns{{"TITULAR", QString("\"%1\"").arg(QString::fromUtf8(h.name).replace('"', '\''))},
                                       {"CNP", QString("\"%1\"").arg(h.cnp)},
                                       {"LOCALIT", "\"Sfanta Maria\""},
                                       {"ADRESA", QString("\"Str. %1, nr. %2\"").arg(QChar('A' + key)).arg(key)},
                                       {"NR_DISP", QString("\"%1\"").arg(10 + key)},
                                       {"DATADISP", "\"15.01.2024\""},
                                       {"NR_MEMBRI", QString::number(key)},
                                       {"VENITM", "199.99"}};
        columns.insert(h.columns);
        AddApplication(key++, kMonth, columns);
    }
    const CountyOutcome outcome = WriteCountyReport(kMonth, {"Ianuarie", 2024}, OutFolder(), LoadAdminSettings());
    EXPECT_EQ(outcome.withoutData, QList<int>());
    QStringList printed;
    for (const CountyAnnexFiles& f : outcome.written)
        printed << QString("%1 %2 %3").arg(f.annex).arg(f.rows).arg(f.total);
    const QStringList expected{"13 3 870.00", "14 1 45.25", "15 2 20.00", "16 2 40.00", "17 2 60.00"};
    EXPECT_EQ(printed, expected);
    EXPECT_EQ(Checked(OutFolder()), expected);
}

} // namespace
