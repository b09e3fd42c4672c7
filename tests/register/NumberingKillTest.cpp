// A decision numbering of a 5,000-application month killed (SIGKILL) at
// random points: while it writes the numbers, and around its commit. The
// month's numbers read back afterwards (by the engine, then by
// python3-dbfread) are exactly the ones before, or, for a kill that came
// after the commit, exactly the new ones: never a mix.
#include "Fixture.h"

#include "data/Db.h"
#include "engine/ResultSet.h"
#include "register/Numbering.h"
#include "tools/demo-db/DemoDatabase.h"

#include <algorithm>
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
// with step 0, `delayUs` after the last step, from another thread, so that
// the kill falls into the commit or just after it. A negative delay kills
// nothing and records how long the numbering ran after its last step.
class KillingProgress : public WorkProgress {
public:
    KillingProgress(int killStep, int delayUs) : m_killStep(killStep), m_delayUs(delayUs) {}
    void begin(int maximum) override { m_last = maximum; }
    void step() override
    {
        if (++m_steps == m_killStep)
            raise(SIGKILL);
        if (m_killStep != 0 || m_steps != m_last)
            return;
        m_lastStep = std::chrono::steady_clock::now();
        if (m_delayUs >= 0)
            std::thread([us = m_delayUs] {
                std::this_thread::sleep_for(std::chrono::microseconds(us));
                raise(SIGKILL);
            }).detach();
    }
    long long microsecondsSinceLastStep() const
    {
        return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - m_lastStep)
            .count();
    }

private:
    int m_killStep;
    int m_delayUs;
    int m_steps = 0;
    int m_last = 0;
    std::chrono::steady_clock::time_point m_lastStep;
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
    // true when the child died by the kill. A child that finishes writes how
    // long it ran after its last step into `tail`.
    static bool NumberAndKill(int killStep, int delayUs, const QString& tail = QString())
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
            if (!tail.isEmpty()) {
                QFile f(tail);
                if (f.open(QIODevice::WriteOnly))
                    f.write(QByteArray::number(progress.microsecondsSinceLastStep()));
            }
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }
    // Puts the saved table back (after a numbering that went through).
    static void Restore(const QString& saved)
    {
        resetDb();
        QFile::remove(tableFile("Cereri.dbf"));
        ASSERT_TRUE(QFile::copy(saved, tableFile("Cereri.dbf")));
    }
    static bool AllNew(const QStringList& numbers)
    {
        return numbers.size() == kApplications
            && std::all_of(numbers.begin(), numbers.end(), [](const QString& line) {
                   return line.section('|', 1, 1).toInt() >= 100000 && line.section('|', 2, 2) == "28.11.2024";
               });
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
    // Kills around the commit, spread over the time a numbering takes from
    // its last row to its end: all old or all new.
    const QString saved = paths().tempFolder + "/Cereri.saved";
    const QString tail = paths().tempFolder + "/tail-us";
    ASSERT_TRUE(QFile::copy(tableFile("Cereri.dbf"), saved));
    ASSERT_FALSE(NumberAndKill(0, -1, tail));
    ASSERT_TRUE(AllNew(EngineNumbers()));
    QFile tailFile(tail);
    ASSERT_TRUE(tailFile.open(QIODevice::ReadOnly));
    const int tailUs = std::max(1, tailFile.readAll().toInt());
    Restore(saved);
    ASSERT_EQ(EngineNumbers(), before);
    int old = 0, renumbered = 0;
    for (int i = 0; i < 6; ++i) {
        const int delayUs = std::uniform_int_distribution<int>(0, tailUs)(random);
        SCOPED_TRACE("killed " + std::to_string(delayUs) + " us after the last row");
        NumberAndKill(0, delayUs);
        const QStringList now = EngineNumbers();
        EXPECT_EQ(DbfreadNumbers(), now) << "the engine put back a half-written commit";
        if (now == before) {
            ++old;
            continue;
        }
        EXPECT_TRUE(AllNew(now)) << "a mix of old and new numbers";
        ++renumbered;
        Restore(saved);
    }
    std::printf("numbering ran %d us after its last row; kills in that time: %d left the old numbers, %d the new ones\n",
                tailUs, old, renumbered);
}

} // namespace
