// A decision numbering of a 5,000-application month killed (SIGKILL) at
// random points: while it writes the numbers, and around its commit. The
// month's numbers read back afterwards (by the engine, then by
// python3-dbfread) are exactly the ones before, or, for a kill that came
// after the commit, exactly the new ones: never a mix.
#include "Fixture.h"

#include "applications/Numbering.h"
#include "data/Db.h"
#include "engine/ResultSet.h"
#include "tools/demo-db/DemoDatabase.h"

#include <csignal>
#include <chrono>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace hestavo;

namespace {

const QString kMonth = QStringLiteral("11.2024");
constexpr int kApplications = 5000;

// Kills this process at the k-th progress step (one step per 100 rows);
// from the last step on, after a delay of `delayUs`, from another thread, so
// that the kill falls into the commit or just after it.
class KillingProgress : public WorkProgress {
public:
    KillingProgress(int killStep, int delayUs) : m_killStep(killStep), m_delayUs(delayUs) {}
    void begin(int maximum) override { m_last = maximum; }
    void step() override
    {
        if (++m_steps == m_killStep)
            raise(SIGKILL);
        if (m_killStep == 0 && m_steps == m_last)
            std::thread([us = m_delayUs] {
                std::this_thread::sleep_for(std::chrono::microseconds(us));
                raise(SIGKILL);
            }).detach();
    }

private:
    int m_killStep;
    int m_delayUs;
    int m_steps = 0;
    int m_last = 0;
};

class NumberingKillTest : public DataFolderTest {
protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        resetDb();
        demodb::Options options;
        options.folder = paths().dataFolder.toStdString();
        options.households = kApplications;
        options.months = 1;
        options.overwrite = true;
        demodb::generate(options);
        resetDb();
    }
    // "NRCRT|NR_DISP|DATADISP" of the month's applications, read by the engine.
    static QStringList EngineNumbers()
    {
        resetDb();
        auto rs = Db().open("SELECT NRCRT, NR_DISP, DATADISP FROM " + quotedTable("Cereri.dbf").toStdString()
                            + " WHERE LUNACRT=" + std::to_string(MonthToSerial(kMonth)) + " ORDER BY NRCRT");
        QStringList out;
        for (rs->first(); !rs->eof(); rs->next()) {
            const auto d = rs->date("DATADISP");
            out << QString::number(rs->integer("NRCRT")) + "|" + QString::fromStdString(rs->text("NR_DISP")).trimmed()
                    + "|" + (d && d->isValid() ? QString::fromStdString(d->toText()) : QString());
        }
        resetDb();
        return out;
    }
    // The same lines read from the table file by python3-dbfread.
    static QStringList DbfreadNumbers()
    {
        const QString script = QStringLiteral(
            "import sys, dbfread\n"
            "rows = [r for r in dbfread.DBF(sys.argv[1], encoding='cp1250') if int(r['LUNACRT']) == int(sys.argv[2])]\n"
            "for r in sorted(rows, key=lambda r: int(r['NRCRT'])):\n"
            "    d = r['DATADISP']\n"
            "    print('%d|%s|%s' % (int(r['NRCRT']), (r['NR_DISP'] or '').strip(), d.strftime('%d.%m.%Y') if d else ''))\n");
        QProcess py;
        py.start(QStringLiteral(HESTAVO_PYTHON),
                 {"-c", script, tableFile("Cereri.dbf"), QString::number(MonthToSerial(kMonth))});
        py.waitForFinished(300000);
        EXPECT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();
        return QString::fromUtf8(py.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }
    // Runs the numbering in a child process that is killed as `progress` says;
    // true when the child died by the kill.
    static bool NumberAndKill(int killStep, int delayUs)
    {
        const pid_t child = fork();
        if (child == 0) {
            resetDb();
            KillingProgress progress(killStep, delayUs);
            DecisionNumbering n;
            n.from = 1;
            n.to = 1000000;
            n.first = 100000;
            n.date = QDate(2024, 11, 28);
            n.clearOthers = true;
            NumberDecisions(kMonth, n, &progress);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }
};

TEST_F(NumberingKillTest, AKilledNumberingLeavesTheNumbersAsTheyWereOrAllNew)
{
    const QStringList before = EngineNumbers();
    ASSERT_EQ(before.size(), kApplications);
    ASSERT_EQ(DbfreadNumbers(), before);
    const unsigned seed = unsigned(std::random_device{}());
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    // Kills while the numbers are written: the commit has not begun.
    for (int i = 0; i < 4; ++i) {
        const int step = std::uniform_int_distribution<int>(1, kApplications / 100 - 1)(random);
        SCOPED_TRACE("killed at row " + std::to_string(step * 100));
        ASSERT_TRUE(NumberAndKill(step, 0));
        EXPECT_EQ(EngineNumbers(), before);
        EXPECT_EQ(DbfreadNumbers(), before);
    }
    // Kills around the commit: all old or all new.
    QStringList after;
    int old = 0, renumbered = 0;
    for (int i = 0; i < 4; ++i) {
        const int delayUs = std::uniform_int_distribution<int>(0, 150000)(random);
        SCOPED_TRACE("killed " + std::to_string(delayUs) + " us after the last row");
        const bool killed = NumberAndKill(0, delayUs);
        const QStringList now = EngineNumbers();
        EXPECT_EQ(DbfreadNumbers(), now) << "the engine put back a half-written commit";
        if (now == before) {
            ++old;
            continue;
        }
        ++renumbered;
        ASSERT_EQ(now.size(), kApplications);
        int k = 0;
        for (const QString& line : now)
            k += line.section('|', 1, 1).toInt() >= 100000 && line.section('|', 2, 2) == "28.11.2024";
        EXPECT_EQ(k, kApplications) << (killed ? "killed" : "finished") << ": a mix of old and new numbers";
        break;  // the numbers have changed: later kills compare against nothing old
    }
    std::printf("kills around the commit: %d left the old numbers, %d the new ones\n", old, renumbered);
}

} // namespace
