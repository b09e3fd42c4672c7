// Crash safety and sharing between processes: a commit cut short is rolled
// back at the next lock, concurrent appends lose nothing, readers never see a
// half-written batch, and packing needs the table to itself.
#include "DbfTestSupport.h"

#include "engine/storage/DbfTable.h"
#include "engine/storage/DbfTableImpl.h"
#include "engine/storage/FileHandle.h"
#include "engine/storage/Journal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <set>

#include <sys/wait.h>
#include <unistd.h>

using namespace engine;
using namespace engine::storage;

namespace {

std::vector<Column> columns()
{
    return {{"PROC", 'N', 6, 0, 0}, {"SEQ", 'N', 6, 0, 0}, {"TEXT", 'C', 20, 0, 0}};
}

// Runs body in a child process; returns its exit status.
template <typename F>
pid_t spawn(F&& body)
{
    const pid_t pid = fork();
    if (pid == 0) {
        int rc = 0;
        try {
            rc = body();
        } catch (...) {
            rc = 99;
        }
        _exit(rc);
    }
    return pid;
}

int waitFor(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

constexpr int kRunning = -2;

// The exit status of a child that has ended, kRunning while it runs.
int exitStatusIfEnded(pid_t pid)
{
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != pid)
        return kRunning;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const char* g_crashAt = nullptr;

void crashHook(const char* point)
{
    if (std::strcmp(point, g_crashAt) != 0)
        return;
    if (std::strcmp(point, "journal-written") == 0 && std::getenv("HV_TEAR_JOURNAL") != nullptr) {
        // The journal itself was cut short.
        const std::string j = std::getenv("HV_TEAR_JOURNAL");
        truncate(j.c_str(), 30);
    }
    _exit(42);
}

struct CrashCase {
    const char* name;
    const char* point;
    bool tornJournal;
    bool appendOnly;   // a batch of appends alone: no journal, the count is written last
};

void PrintTo(const CrashCase& c, std::ostream* os) { *os << c.name; }

class CrashRecovery : public ::testing::TestWithParam<CrashCase> {};

TEST_P(CrashRecovery, CommitCutShortIsRolledBack)
{
    const CrashCase& tc = GetParam();
    dbftest::ScratchDir dir;
    const std::string path = dir.file("t.dbf");
    {
        DbfTable t = DbfTable::create(path, columns());
        for (int i = 0; i < 3; ++i)
            t.append({FieldValue::ofNumber(0), FieldValue::ofNumber(i), FieldValue::ofText("orig")});
    }
    const std::string original = dbftest::readFile(path);
    DbfTable bystander = DbfTable::open(path); // open before, reads after the crash
    if (tc.tornJournal)
        setenv("HV_TEAR_JOURNAL", (path + "-journal").c_str(), 1);
    const pid_t child = spawn([&] {
        g_crashAt = tc.point;
        commitStepHook = crashHook;
        DbfTable t = DbfTable::open(path);
        t.beginBatch();
        if (!tc.appendOnly) {
            t.update(0, {{2, FieldValue::ofText("changed")}});
            t.remove(1);
        }
        for (int i = 0; i < 50; ++i)
            t.append({FieldValue::ofNumber(1), FieldValue::ofNumber(i), FieldValue::ofText("new")});
        t.commitBatch();
        return 0;
    });
    unsetenv("HV_TEAR_JOURNAL");
    ASSERT_EQ(waitFor(child), 42);
    EXPECT_EQ(std::filesystem::exists(path + "-journal"), !tc.appendOnly);
    if (std::string(tc.point) != "journal-written") {
        EXPECT_NE(dbftest::readFile(path), original); // the crash left the table half changed
    }

    const TableData data = bystander.readAll();
    ASSERT_EQ(data.rowCount(), 3u);
    for (std::size_t r = 0; r < 3; ++r)
        EXPECT_EQ(data.text(r, 2), "orig");
    if (!tc.appendOnly) {
        EXPECT_EQ(dbftest::readFile(path), original);
    }
    EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
    EXPECT_EQ(DbfTable::open(path).readAll().rowCount(), 3u);
    // The next append lands after the last counted record.
    DbfTable::open(path).append({FieldValue::ofNumber(9), FieldValue::ofNumber(9), FieldValue::ofText("next")});
    const TableData after = DbfTable::open(path).readAll();
    ASSERT_EQ(after.rowCount(), 4u);
    EXPECT_EQ(after.text(3, 2), "next");
}

INSTANTIATE_TEST_SUITE_P(Dbf, CrashRecovery,
                         ::testing::Values(CrashCase{"AfterJournalBeforeTable", "journal-written", false, false},
                                           CrashCase{"WhileWritingTable", "table-partly-written", false, false},
                                           CrashCase{"WhileWritingJournal", "journal-written", true, false},
                                           CrashCase{"AppendsBeforeTheCount", "records-written", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Locking between processes, not power loss, is under test: flushing to the
// disk is switched off to keep these tests quick.
class DbfSharing : public ::testing::Test {
protected:
    void SetUp() override { setFlushToDisk(false); }
    void TearDown() override { setFlushToDisk(true); }
};

TEST_F(DbfSharing, TwoProcessesAppendingLoseNoRecord)
{
    dbftest::ScratchDir dir;
    const std::string path = dir.file("t.dbf");
    DbfTable::create(path, columns());
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    const int perProcess = 1000;
    std::vector<pid_t> children;
    for (int p = 1; p <= 2; ++p) {
        children.push_back(spawn([&, p] {
            close(go[1]);
            DbfTable t = DbfTable::open(path);
            char c;
            if (read(go[0], &c, 1) < 0) // wait until both are ready
                return 2;
            for (int i = 0; i < perProcess; ++i)
                t.append({FieldValue::ofNumber(p), FieldValue::ofNumber(i),
                          FieldValue::ofText("p" + std::to_string(p) + "-" + std::to_string(i))});
            return 0;
        }));
    }
    close(go[0]);
    close(go[1]); // both start
    for (pid_t c : children)
        EXPECT_EQ(waitFor(c), 0);

    const TableData data = DbfTable::open(path).readAll();
    ASSERT_EQ(data.rowCount(), 2u * perProcess);
    std::set<std::pair<int, int>> seen;
    for (std::size_t r = 0; r < data.rowCount(); ++r) {
        const int p = static_cast<int>(*data.number(r, 0));
        const int i = static_cast<int>(*data.number(r, 1));
        EXPECT_EQ(data.text(r, 2), "p" + std::to_string(p) + "-" + std::to_string(i));
        seen.insert({p, i});
    }
    EXPECT_EQ(seen.size(), 2u * perProcess);
    int status = 0;
    EXPECT_EQ(dbftest::runPython(dir, "import sys,dbfread\nprint(len(dbfread.DBF(sys.argv[1])))\n", path, &status),
              "2000\n");
}

TEST_F(DbfSharing, ReadersNeverSeeAHalfWrittenBatch)
{
    dbftest::ScratchDir dir;
    const std::string path = dir.file("t.dbf");
    {
        DbfTable t = DbfTable::create(path, columns());
        for (int i = 0; i < 20; ++i)
            t.append({FieldValue::ofNumber(0), FieldValue::ofNumber(0), FieldValue::ofText("0")});
    }
    const int rounds = 200;
    const pid_t writer = spawn([&] {
        // Linger after the first record of each commit is written, so that
        // a reader not kept out by the lock would catch the batch half done.
        commitStepHook = [](const char* point) {
            if (std::strcmp(point, "table-partly-written") == 0)
                usleep(300);
        };
        DbfTable t = DbfTable::open(path);
        for (int k = 1; k <= rounds; ++k) {
            DbfBatch batch(t);
            for (std::uint32_t r = 0; r < 20; ++r)
                t.update(r, {{0, FieldValue::ofNumber(k)}, {1, FieldValue::ofNumber(k)},
                             {2, FieldValue::ofText(std::to_string(k))}});
            batch.commit();
        }
        return 0;
    });
    DbfTable reader = DbfTable::open(path);
    int last = 0;
    int reads = 0;
    // A writer that dies or stalls fails the test instead of hanging the suite.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    int writerStatus = kRunning;
    while (last < rounds) {
        if (writerStatus == kRunning)
            writerStatus = exitStatusIfEnded(writer);
        if (writerStatus != kRunning && writerStatus != 0) {
            FAIL() << "the writer failed (" << writerStatus << ") after round " << last << " of " << rounds;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            if (writerStatus == kRunning) {
                kill(writer, SIGKILL);
                waitpid(writer, nullptr, 0);
            }
            FAIL() << "no progress past round " << last << " of " << rounds;
        }
        const TableData data = reader.readAll();
        ASSERT_EQ(data.rowCount(), 20u);
        const double k = *data.number(0, 0);
        for (std::size_t r = 0; r < 20; ++r) {
            ASSERT_EQ(data.number(r, 0), k) << "rows from different batches";
            ASSERT_EQ(data.number(r, 1), k) << "torn record";
            ASSERT_EQ(data.text(r, 2), std::to_string(static_cast<int>(k))) << "torn record";
        }
        EXPECT_GE(k, last);
        last = static_cast<int>(k);
        ++reads;
    }
    EXPECT_EQ(writerStatus == kRunning ? waitFor(writer) : writerStatus, 0);
    EXPECT_GT(reads, 0);
}

TEST_F(DbfSharing, PackAndRestructureFailWhileAnotherProcessHasTheTable)
{
    dbftest::ScratchDir dir;
    const std::string path = dir.file("Oameni.dbf");
    {
        DbfTable t = DbfTable::create(path, columns());
        t.append({FieldValue::ofNumber(1)});
        t.append({FieldValue::ofNumber(2)});
        t.remove(0);
    }
    int ready[2];
    int release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t holder = spawn([&] {
        close(ready[0]);
        close(release[1]);
        DbfTable t = DbfTable::open(path);
        char c = 'r';
        if (write(ready[1], &c, 1) != 1)
            return 2;
        return read(release[0], &c, 1) >= 0 ? 0 : 3; // holds the table until told
    });
    close(ready[1]);
    close(release[0]);
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    const std::string before = dbftest::readFile(path);
    DbfTable table = DbfTable::open(path);
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"pack", [&] { table.pack(); }},
        {"widen", [&] { table.changeColumnWidth("TEXT", 30); }},
        {"add", [&] { table.addColumns({{"NOU", 'C', 2, 0, 0}}); }},
        {"drop", [&] { table.dropColumn("SEQ"); }},
    };
    for (const auto& [name, op] : operations) {
        try {
            op();
            ADD_FAILURE() << name << " succeeded while the table was in use";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "Tabela \"" + path + "\" este folosita de alt proces") << name;
        }
    }
    EXPECT_EQ(dbftest::readFile(path), before);
    // Reading and writing still work for this handle.
    table.append({FieldValue::ofNumber(3)});

    close(release[1]);
    EXPECT_EQ(waitFor(holder), 0);
    table.pack();
    EXPECT_EQ(table.recordCount(), 2u);
    EXPECT_EQ(DbfTable::open(path).readAll().rowCount(), 2u);
}

// Two processes, each writing one table and then wanting the other's: the
// wait ends in an error instead of hanging both, and the loser's batch is
// rolled back so the other one finishes.
TEST_F(DbfSharing, CrossedWaitsEndInAnErrorNotAHang)
{
    dbftest::ScratchDir dir;
    const std::string a = dir.file("Cereri.dbf");
    const std::string b = dir.file("Oameni.dbf");
    DbfTable::create(a, columns());
    DbfTable::create(b, columns());
    int ready[2][2];
    ASSERT_EQ(pipe(ready[0]), 0);
    ASSERT_EQ(pipe(ready[1]), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        children.push_back(spawn([&, p] {
            // Our pipe to write, the other's to read; closing the other ends
            // makes a read fail instead of hang should the other one die.
            close(ready[p][0]);
            close(ready[1 - p][1]);
            char c = 'x';
            auto meet = [&] { return write(ready[p][1], &c, 1) == 1 && read(ready[1 - p][0], &c, 1) == 1; };
            setLockWait(std::chrono::milliseconds(400));
            DbfTable first = DbfTable::open(p == 0 ? a : b);
            DbfTable second = DbfTable::open(p == 0 ? b : a);
            if (!meet()) // both tables open in both processes
                return 2;
            DbfBatch batch(first);
            first.append({FieldValue::ofNumber(p)});
            if (!meet()) // each holds its first table
                return 2;
            try {
                second.append({FieldValue::ofNumber(p)});
            } catch (const Error& e) {
                return std::string(e.what()).find("este blocata de alt proces") != std::string::npos ? 10 : 3;
            }
            batch.commit();
            return 0;
        }));
    }
    for (auto& end : ready) {
        close(end[0]);
        close(end[1]);
    }
    const int first = waitFor(children[0]);
    const int second = waitFor(children[1]);
    EXPECT_TRUE(first == 10 || second == 10) << first << " " << second;
    EXPECT_TRUE((first == 0 || first == 10) && (second == 0 || second == 10)) << first << " " << second;
    // Whatever was committed is whole: each table holds the rows of the
    // processes that finished.
    const std::size_t finished = (first == 0) + (second == 0);
    EXPECT_EQ(DbfTable::open(a).readAll().rowCount() + DbfTable::open(b).readAll().rowCount(), 2 * finished);
}

} // namespace
