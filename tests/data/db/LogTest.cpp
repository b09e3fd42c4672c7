// Table creation, the audit log, its pruning, the key resynchronisation and
// the distinct-values query, on tables built in a temporary data folder.
#include "data/Db.h"
#include "data/Paths.h"
#include "data/Settings.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
class DataFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        resetDb();
        initPaths(m_dir.path());
        QDir().mkpath(paths().dataFolder);
        paths().enginePrivateFolder = m_dir.path() + "/TMP0";
        QDir().mkpath(paths().enginePrivateFolder);
        CreateMissingTables();
    }
    void TearDown() override { resetDb(); }

    void fillLog(int rows)
    {
        auto tx = Db().beginTransaction();
        for (int k = 1; k <= rows; ++k)
            Db().exec(sqlLines({"INSERT INTO " + quotedTable("Log.dbf") + " (IDLOG, ACTIUNE) VALUES (" +
                                QString::number(k) + ", \"x\")"}));
        tx.commit();
    }
    long long count(const QString& table, const QString& where = {})
    {
        auto rs = Db().open(sqlLines({"SELECT COUNT(*) AS N_", "FROM " + quotedTable(table), where}));
        rs->first();
        return rs->integer("N_");
    }
    QTemporaryDir m_dir;
};
} // namespace

TEST_F(DataFolder, TablesAreCreatedOnceWithTheirColumns)
{
    EXPECT_TRUE(QFileInfo::exists(paths().dataFolder + "/LOG.DBF"));
    EXPECT_EQ(tableFile("Log.dbf"), paths().dataFolder + "/LOG.DBF");
    Db().exec(sqlLines({"INSERT INTO " + quotedTable("Cereri.dbf") + " (NRCRT) VALUES (7)"}));
    EXPECT_TRUE(CreateMissingTables().isEmpty());
    EXPECT_EQ(count("Cereri.dbf"), 1);
    const struct {
        const char* table;
        int columns;
    } tables[] = {{"Cereri.dbf", 50}, {"Oameni.dbf", 6}, {"Log.dbf", 5}};
    for (const auto& t : tables) {
        auto rs = Db().open(sqlLines({"SELECT *", "FROM " + quotedTable(t.table)}));
        EXPECT_EQ(int(rs->columnNames().size()), t.columns) << t.table;
    }
}

TEST_F(DataFolder, PruningKeepsTheNewestThousandKeys)
{
    struct Case {
        int rows;
        int deleted;
        long long oldestKept;
    } cases[] = {{999, 0, 1}, {1000, 0, 1}, {1500, 499, 500}};
    for (const Case& c : cases) {
        Db().exec(sqlLines({"DELETE FROM " + quotedTable("Log.dbf")}));
        Db().packTable(tableFile("Log.dbf").toStdString());
        fillLog(c.rows);
        EXPECT_EQ(PruneLog(), c.deleted) << c.rows;
        EXPECT_EQ(count("Log.dbf"), c.rows - c.deleted) << c.rows;
        EXPECT_EQ(ReadMax("Log.dbf", "IDLOG"), c.rows);
        auto rs = Db().open(sqlLines({"SELECT MIN(IDLOG) AS M_", "FROM " + quotedTable("Log.dbf")}));
        rs->first();
        EXPECT_EQ(rs->integer("M_"), c.oldestKept) << c.rows;
    }
}

TEST_F(DataFolder, LogActionWritesOneRowPerAction)
{
    paths().userIdentity = "CALCULATOR-BIROU - operator.asistenta";
    ResyncCounters();
    const QString longText = "Adaugare Cerere 12 - " + QString(130, 'A');
    const QString dayBefore = QDate::currentDate().toString("dd.MM.yyyy");
    LogAction("Pornire program");
    LogAction(longText);
    LogAction("Modificare Cerere 3 - POP \"NELU\" ION");
    const QString dayAfter = QDate::currentDate().toString("dd.MM.yyyy");
    auto rs = Db().open(sqlLines({"SELECT *", "FROM " + quotedTable("Log.dbf"), "ORDER BY IDLOG"}));
    QStringList got;
    for (rs->first(); !rs->eof(); rs->next()) {
        got << QString::fromStdString(rs->text("IDLOG")) + "|" + QString::fromStdString(rs->text("ACTIUNE")) + "|"
                   + QString::fromStdString(rs->text("UTILIZATOR"));
        // The day of the call, also when the run crosses midnight.
        const QString day = QString::fromStdString(rs->text("DATAL"));
        EXPECT_TRUE(day == dayBefore || day == dayAfter) << day.toStdString();
        EXPECT_EQ(QString::fromStdString(rs->text("ORA")).size(), 8);
    }
    EXPECT_EQ(got, QStringList({"1|Pornire program|CALCULATOR-BIROU", "2|" + longText.left(120) + "|CALCULATOR-BIROU",
                                "3|Modificare Cerere 3 - POP NELU ION|CALCULATOR-BIROU"}));
    EXPECT_EQ(PeekKey("IDLOG"), 4);
}

TEST_F(DataFolder, CountersFollowTheLargestKeys)
{
    SetKey("NRCRT", 99);
    ResyncCounters();
    EXPECT_EQ(PeekKey("NRCRT"), 1) << "empty table: the next key is 1";
    Db().exec(sqlLines({"INSERT INTO " + quotedTable("Cereri.dbf") + " (NRCRT) VALUES (41)"}));
    Db().exec(sqlLines({"INSERT INTO " + quotedTable("Oameni.dbf") + " (NROM, NRCRT) VALUES (7, 41)"}));
    ResyncCounters();
    EXPECT_EQ(ReadSetting("INDEX", "NRCRT"), QString("42"));
    EXPECT_EQ(ReadSetting("INDEX", "NROM"), QString("8"));
    EXPECT_EQ(ReadSetting("INDEX", "IDLOG"), QString("1"));
}

TEST_F(DataFolder, DistinctValuesSkipBlanksAndFollowTheCondition)
{
    const char* rows[] = {"(1, \"Bacau\", 24266)", "(2, \"Adjud\", 24266)", "(3, \"\", 24266)",
                          "(4, \"Bacau\", 24266)", "(5, \"Zemes\", 24267)"};
    for (const char* r : rows)
        Db().exec(sqlLines({"INSERT INTO " + quotedTable("Cereri.dbf") + " (NRCRT, LOCALIT, LUNACRT) VALUES " + r}));
    EXPECT_EQ(DistinctValues(quotedTable("Cereri.dbf"), "LOCALIT", ""), QStringList({"Adjud", "Bacau", "Zemes"}));
    EXPECT_EQ(DistinctValues(quotedTable("Cereri.dbf"), "LOCALIT", "LUNACRT=24266"), QStringList({"Adjud", "Bacau"}));
    EXPECT_THROW(DistinctValues(quotedTable("Cereri.dbf"), "NUEXISTA", ""), engine::Error);
}
