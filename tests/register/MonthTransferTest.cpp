// Copying applications from another month and purging against another month.
#include "RegisterFixture.h"

#include "engine/Database.h"
#include "register/MonthTransfer.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace hestavo;

namespace {

class MonthTransferTest : public RegisterTest {
protected:
    // November 2024: two active applications with members, one stopped, one refused.
    void SourceMonth()
    {
        AddRow({1, "11.2024", "POP ION", "1800101123450"});
        AddRow({2, "11.2024", "RUS ANA", "2802291234565", "MODIFICAT"});
        AddRow({3, "11.2024", "VLAD DAN", "1850612000041", "INCETAT"});
        AddRow({4, "11.2024", "MARE EVA", "2850612000041", "RESPINS"});
        AddMember(1, 1, "POP ION", "1800101123450", "beneficiar");
        AddMember(2, 1, "POP MIHAI", "5001014000015");
        AddMember(3, 2, "RUS ANA", "2802291234565", "beneficiar");
        AddMember(4, 3, "VLAD DAN", "1850612000041", "beneficiar");
        SetKey("NRCRT", 5);
        SetKey("NROM", 5);
    }
};

} // namespace

TEST_F(MonthTransferTest, CopySetsSeasonMonthsAndClearsTheAid)
{
    const struct {
        const char* working;
        const char* numberOfMonths;
    } cases[] = {{"01.2025", "3"}, {"11.2025", "5"}, {"06.2025", "0"}};
    for (const auto& c : cases) {
        for (const char* table : {"Cereri.dbf", "Oameni.dbf", "Log.dbf"})
            Exec("DELETE FROM " + quotedTable(table));
        SourceMonth();
        const QString working = QString::fromLatin1(c.working);
        const CopyOutcome out = CopyFromOtherMonth("11.2024", working, nullptr);
        EXPECT_EQ(out.applications, 2) << c.working;
        EXPECT_EQ(out.members, 3) << c.working;
        const QString where = " WHERE LUNACRT=" + QString::number(MonthToSerial(working));
        const QString from = "SELECT * FROM " + quotedTable("Cereri.dbf") + where + " ORDER BY NRCRT";
        EXPECT_EQ(Column(from, "NRCRT"), QStringList({"5", "6"})) << c.working;
        EXPECT_EQ(Column(from, "TITULAR"), QStringList({"POP ION", "RUS ANA"})) << c.working;
        EXPECT_EQ(Column(from, "NR_LUNI"), QStringList({c.numberOfMonths, c.numberOfMonths})) << c.working;
        EXPECT_EQ(Column(from, "CUANTUM"), QStringList({"0", "0"})) << c.working;
        EXPECT_EQ(Column(from, "TOTAL"), QStringList({"0", "0"})) << c.working;
        EXPECT_EQ(Column(from, "CUAJUT"), QStringList({"", ""})) << c.working;
        EXPECT_EQ(Column(from, "NR_DISP"), QStringList({"D1", "D2"})) << "other columns kept, " << c.working;
        const QString members = "SELECT * FROM " + quotedTable("Oameni.dbf") + " WHERE NRCRT>=5 ORDER BY NROM";
        EXPECT_EQ(Column(members, "NROM"), QStringList({"5", "6", "7"})) << c.working;
        EXPECT_EQ(Column(members, "NRCRT"), QStringList({"5", "5", "6"})) << c.working;
        EXPECT_EQ(Column(members, "TITULAR"), QStringList({"POP ION", "POP MIHAI", "RUS ANA"})) << c.working;
        EXPECT_EQ(PeekKey("NRCRT"), 7) << "one block of keys, " << c.working;
        EXPECT_EQ(PeekKey("NROM"), 8) << c.working;
        EXPECT_EQ(Text("SELECT ACTIUNE FROM " + quotedTable("Log.dbf"), "ACTIUNE"),
                  "Adaugare Cereri din luna 11.2024 in luna " + working);
        EXPECT_EQ(Count("Cereri.dbf", "LUNACRT=" + QString::number(MonthToSerial("11.2024"))), 4) << "source untouched";
    }
}

TEST_F(MonthTransferTest, CopyWithOneDuplicateCopiesNothing)
{
    SourceMonth();
    AddRow({10, "12.2024", "RUS ANA", "2802291234565"});
    const QByteArray cereri = FileBytes("Cereri.dbf");
    const QByteArray oameni = FileBytes("Oameni.dbf");
    const CopyOutcome out = CopyFromOtherMonth("11.2024", "12.2024", nullptr);
    EXPECT_EQ(out.duplicates, QStringList({"RUS ANA CNP: 2802291234565"}));
    EXPECT_EQ(out.applications, 0);
    EXPECT_EQ(FileBytes("Cereri.dbf"), cereri);
    EXPECT_EQ(FileBytes("Oameni.dbf"), oameni);
    EXPECT_EQ(PeekKey("NRCRT"), 5) << "no key spent on a refused copy";
    QFile list(WriteDuplicateList("12.2024", out.duplicates));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(list.readAll(), QByteArray("Lista cu persoanele existente in luna 12.2024\r\n") + QByteArray(50, '*')
                                  + "\r\n \r\n1.  RUS ANA CNP: 2802291234565\r\n");
}

TEST_F(MonthTransferTest, CopyOfOnlyStoppedApplicationsCopiesNothingAndLogs)
{
    AddRow({3, "11.2024", "VLAD DAN", "1850612000041", "INCETAT"});
    const CopyOutcome out = CopyFromOtherMonth("11.2024", "12.2024", nullptr);
    EXPECT_EQ(out.applications, 0);
    EXPECT_EQ(Count("Cereri.dbf"), 1);
    EXPECT_EQ(Count("Log.dbf", "ACTIUNE=\"Adaugare Cereri din luna 11.2024 in luna 12.2024\""), 1);
}

TEST_F(MonthTransferTest, PurgeRemovesMatchingCnpsAndEveryOrphanMember)
{
    SourceMonth();
    AddRow({10, "12.2024", "POP ION", "1800101123450"});   // also in November: goes
    AddRow({11, "12.2024", "NOU GIGI", "1990101123452"});  // only in December: stays
    AddRow({12, "01.2025", "POP ION", "1800101123450"});   // another month: stays
    AddMember(20, 10, "POP ION", "1800101123450", "beneficiar");
    AddMember(21, 11, "NOU GIGI", "1990101123452", "beneficiar");
    AddMember(22, 99, "ORFAN", "1990101123452");             // no application at all
    const int before = Count("Cereri.dbf");
    EXPECT_EQ(CountPurgeAgainstMonth("11.2024", "12.2024"), 1);
    EXPECT_EQ(CountCopyFromOtherMonth("11.2024", "12.2024"), 2) << "the active applications of November";
    EXPECT_EQ(Count("Cereri.dbf"), before) << "counting removes nothing";
    EXPECT_THROW(CountPurgeAgainstMonth("12.2024", "12.2024"), MonthTransferRefusal);
    EXPECT_EQ(PurgeAgainstMonth("11.2024", "12.2024", nullptr), 1);
    EXPECT_EQ(Column("SELECT NRCRT FROM " + quotedTable("Cereri.dbf") + " ORDER BY NRCRT", "NRCRT"),
              QStringList({"1", "2", "3", "4", "11", "12"}));
    EXPECT_EQ(Count("Oameni.dbf", "NOT (NRCRT IN (SELECT NRCRT FROM " + quotedTable("Cereri.dbf") + "))"), 0);
    EXPECT_EQ(Count("Oameni.dbf"), 5);
    EXPECT_EQ(Count("Log.dbf", "ACTIUNE=\"Stergere Cereri care sunt si in luna 11.2024\""), 1);
}

TEST(SeasonMonths, LeftFromTheWorkingMonth)
{
    const struct {
        const char* month;
        int left;
    } cases[] = {{"10.2024", 5}, {"11.2024", 5}, {"12.2024", 4}, {"01.2025", 3}, {"02.2025", 2},
                 {"03.2025", 1}, {"04.2025", 0}, {"09.2025", 0}, {"xx.2025", 5}, {"", 5}};
    for (const auto& c : cases)
        EXPECT_EQ(SeasonMonthsLeft(QString::fromLatin1(c.month)), c.left) << c.month;
}

namespace {

// Ends the process without any clean-up at the first progress step after the
// applications were inserted, that is in the middle of the copy's transaction.
class KillInTheMiddle : public WorkProgress {
public:
    void begin(int) override {}
    void step() override
    {
        if (++m_steps != m_killAt)
            return;
        // Only a kill after the insert tests the roll-back; anything else exits normally.
        auto rs = Db().open(("SELECT COUNT(*) AS N FROM " + quotedTable("Cereri.dbf")).toStdString());
        rs->first();
        if (rs->integer("N") == m_rowsAfterInsert)
            ::kill(::getpid(), SIGKILL);
        ::_exit(3);
    }
    int m_killAt = 0;
    long long m_rowsAfterInsert = 0;
    int m_steps = 0;
};

} // namespace

TEST_F(MonthTransferTest, KillDuringCopyLeavesTheTablesAsBefore)
{
    SourceMonth();
    engine::Transaction fill = Db().beginTransaction();
    for (int i = 0; i < 250; ++i) {
        AddRow({100 + i, "11.2024", QString("OM %1").arg(i), QString("1900101%1").arg(i, 6, 10, QChar('0'))});
        AddMember(100 + i, 100 + i, QString("OM %1").arg(i), QString("1900101%1").arg(i, 6, 10, QChar('0')));
    }
    fill.commit();
    SetKey("NRCRT", 400);
    SetKey("NROM", 400);
    resetDb();   // the child inherits no open engine state
    const QByteArray cereri = FileBytes("Cereri.dbf");
    const QByteArray oameni = FileBytes("Oameni.dbf");
    // The walks step every 100 rows (252 applications, 253 members: 4 steps);
    // the 5th step comes right after the insert into Cereri.
    const pid_t child = ::fork();
    if (child == 0) {
        KillInTheMiddle progress;
        progress.m_killAt = 5;
        progress.m_rowsAfterInsert = 254 + 252;
        CopyFromOtherMonth("11.2024", "12.2024", &progress);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "not killed after the insert, exit status " << WEXITSTATUS(status);
    EXPECT_EQ(Count("Cereri.dbf"), 254) << "the journal rolled the insert back";
    EXPECT_EQ(FileBytes("Cereri.dbf"), cereri);
    EXPECT_EQ(FileBytes("Oameni.dbf"), oameni);
}
