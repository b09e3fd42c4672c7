// Settings files under several real processes: concurrent key counters,
// writers killed at random points, and a lock that is never released.
#include "FolderFixture.h"

#include "data/FileLock.h"
#include "data/IniFile.h"
#include "data/Settings.h"
#include "tests/data/writer/ChurnValue.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

namespace {

const QString kWriter = QStringLiteral(SETTINGS_WRITER);

std::unique_ptr<QProcess> startWriter(const QStringList& arguments)
{
    auto p = std::make_unique<QProcess>();
    p->start(kWriter, arguments);
    EXPECT_TRUE(p->waitForStarted(30000)) << p->errorString().toStdString();
    return p;
}

// Other sections of a real settings file that every write must leave intact.
const QByteArray kOtherSections = "[SETARI]\r\nPRIMARIA=Floresti\r\n[INIT]\r\nWIN=\x01\x7f\xe2 \"q\"\r\n"
                                  "[INDEX]\r\nNRCRT=17\r\n";

} // namespace

TEST_F(TempFolders, FourProcessesTakingKeysAtOnceGetDistinctKeys)
{
    constexpr int kProcesses = 4, kCalls = 500;
    putFile(settingsFile(), kOtherSections);
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int i = 0; i < kProcesses; ++i)
        writers.push_back(startWriter({"nextkey", paths().dataFolder, QString::number(kCalls)}));
    std::set<qint64> keys;
    for (auto& w : writers) {
        ASSERT_TRUE(w->waitForFinished(300000)) << "a writer did not finish";
        ASSERT_EQ(w->exitCode(), 0) << w->readAllStandardError().toStdString();
        const QList<QByteArray> lines = w->readAllStandardOutput().split('\n');
        int count = 0;
        for (const QByteArray& line : lines)
            if (!line.isEmpty()) {
                keys.insert(line.toLongLong());
                ++count;
            }
        EXPECT_EQ(count, kCalls);
    }
    EXPECT_EQ(keys.size(), size_t(kProcesses * kCalls));
    EXPECT_EQ(*keys.begin(), 1);
    EXPECT_EQ(*keys.rbegin(), kProcesses * kCalls);
    EXPECT_EQ(PeekKey("IDLOG"), kProcesses * kCalls + 1);
    EXPECT_EQ(ReadSetting("INDEX", "NRCRT"), QString("17"));
}

// Blocks of different sizes reserved by four processes at once never overlap
// and leave no gap.
TEST_F(TempFolders, FourProcessesReservingBlocksGetDisjointBlocks)
{
    constexpr int kCalls = 100;
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int count = 1; count <= 4; ++count)
        writers.push_back(startWriter({"nextkey", paths().dataFolder, QString::number(kCalls), QString::number(count)}));
    std::set<qint64> keys;
    qint64 taken = 0;
    for (int i = 0; i < 4; ++i) {
        QProcess& w = *writers[i];
        ASSERT_TRUE(w.waitForFinished(300000));
        ASSERT_EQ(w.exitCode(), 0) << w.readAllStandardError().toStdString();
        for (const QByteArray& line : w.readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                for (int k = 0; k <= i; ++k, ++taken)
                    keys.insert(line.toLongLong() + k);
    }
    EXPECT_EQ(taken, kCalls * (1 + 2 + 3 + 4));
    EXPECT_EQ(qint64(keys.size()), taken) << "blocks overlap";
    EXPECT_EQ(*keys.rbegin(), taken) << "a gap between blocks";
    EXPECT_EQ(PeekKey("IDLOG"), taken + 1);
}

// A writer killed at a random moment leaves the file whole: it parses, the
// other sections are byte for byte as before, and the churned value is the
// generation seen before the kill or a later one.
TEST_F(TempFolders, KilledWritersLeaveTheOldOrTheNewFile)
{
    constexpr int kKills = 200;
    const QString file = settingsFile();
    putFile(file, kOtherSections);
    long long seen = 0;
    int interrupted = 0;
    for (int i = 0; i < kKills; ++i) {
        auto w = startWriter({"churn", file});
        ASSERT_TRUE(w->waitForReadyRead(30000));
        QThread::msleep(QRandomGenerator::global()->bounded(0, 200));
        w->kill();
        ASSERT_TRUE(w->waitForFinished(30000));
        if (w->exitStatus() == QProcess::CrashExit)
            ++interrupted;
        const QByteArray content = fileBytes(file);
        ASSERT_TRUE(content.startsWith(kOtherSections)) << "kill " << i;
        const auto value = ini::lookup(content, "CHURN", "VALUE");
        const long long generation = value ? churnGeneration(*value) : 0;
        ASSERT_GE(generation, seen) << "kill " << i << ": not a whole value";
        ASSERT_EQ(content, kOtherSections + (value ? "[CHURN]\r\nVALUE=" + *value + "\r\n" : QByteArray()))
            << "kill " << i;
        seen = generation;
    }
    EXPECT_EQ(interrupted, kKills);
    EXPECT_GT(seen, 0) << "the writers never got to write";
    // The next write finds its way past what the killed writers left beside.
    WriteSetting("SETARI", "PRIMARIA", "Floresti 2");
    EXPECT_EQ(ReadSetting("SETARI", "PRIMARIA"), QString("Floresti 2"));
    EXPECT_FALSE(QFile::exists(file + ".nou"));
}

// A lock held past the wait limit is an error naming the file, and nothing
// is written; once released, writing works again.
TEST_F(TempFolders, LockNotObtainedIsAnErrorAndWritesNothing)
{
    const QString file = settingsFile();
    putFile(file, kOtherSections);
    auto holder = startWriter({"hold", file});
    ASSERT_TRUE(holder->waitForReadyRead(30000));
    ASSERT_EQ(holder->readLine().trimmed(), QByteArray("locked"));

    const auto before = FileLock::waitLimit();
    FileLock::setWaitLimit(std::chrono::milliseconds(300));
    struct Case {
        const char* name;
        std::function<void()> write;
    } cases[] = {
        {"WriteSetting", [] { WriteSetting("SETARI", "PRIMARIA", "Alta"); }},
        {"NextKey", [] { NextKey("NRCRT"); }},
        {"SetKey", [] { SetKey("NRCRT", 99); }},
    };
    for (const Case& c : cases) {
        try {
            c.write();
            ADD_FAILURE() << c.name << " wrote under another process's lock";
        } catch (const SettingsError& e) {
            EXPECT_NE(QString::fromUtf8(e.what()).indexOf(QDir::toNativeSeparators(file)), -1) << c.name << ": " << e.what();
        }
        EXPECT_EQ(fileBytes(file), kOtherSections) << c.name;
    }
    holder->closeWriteChannel();
    ASSERT_TRUE(holder->waitForFinished(30000));
    EXPECT_EQ(NextKey("NRCRT"), 17);
    FileLock::setWaitLimit(before);
    EXPECT_EQ(PeekKey("NRCRT"), 18);
}
