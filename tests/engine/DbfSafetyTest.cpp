// Crash safety and sharing between processes: a commit cut short is rolled
// back at the next lock, concurrent appends lose nothing, readers never see a
// half-written batch, and packing needs the table to itself.
#include "ChildProcess.h"
#include "DbfTestSupport.h"

#include "engine/storage/DbfTable.h"
#include "engine/storage/DbfTableImpl.h"
#include "engine/storage/FileHandle.h"
#include "engine/storage/Journal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <set>
#include <thread>

using namespace engine;
using namespace engine::storage;
using dbftest::ChildArgs;
using dbftest::ChildProcess;

namespace {

std::vector<Column> columns()
{
    return {{"PROC", 'N', 6, 0, 0}, {"SEQ", 'N', 6, 0, 0}, {"TEXT", 'C', 20, 0, 0}};
}

// ---- roles played by child processes ---------------------------------------

std::string g_crashAt;
std::string g_tearJournal;

// At the chosen commit step: optionally cut the journal short, tell the
// parent, and wait there until the parent kills this process.
void stopAtCrashPoint(const char* point)
{
    if (g_crashAt != point)
        return;
    if (!g_tearJournal.empty())
        std::filesystem::resize_file(std::filesystem::u8path(g_tearJournal), 30);
    dbftest::tellParent();
    dbftest::waitForParent();
    std::_Exit(42); // not killed: the parent has gone
}

// args: table, crash point, journal to tear ("" for none), "appends-only" or "mixed"
int commitUntilKilled(const ChildArgs& args)
{
    g_crashAt = args.at(1);
    g_tearJournal = args.at(2);
    commitStepHook = stopAtCrashPoint;
    DbfTable t = DbfTable::open(args.at(0));
    t.beginBatch();
    if (args.at(3) != "appends-only") {
        t.update(0, {{2, FieldValue::ofText("changed")}});
        t.remove(1);
    }
    for (int i = 0; i < 50; ++i)
        t.append({FieldValue::ofNumber(1), FieldValue::ofNumber(i), FieldValue::ofText("new")});
    t.commitBatch();
    return 0;
}

// args: table, process number, records to append; starts when let go.
int appendRecords(const ChildArgs& args)
{
    setFlushToDisk(false);
    const int p = std::stoi(args.at(1));
    const int count = std::stoi(args.at(2));
    DbfTable t = DbfTable::open(args.at(0));
    if (!dbftest::tellParent() || !dbftest::waitForParent())
        return 2;
    for (int i = 0; i < count; ++i)
        t.append({FieldValue::ofNumber(p), FieldValue::ofNumber(i),
                  FieldValue::ofText("p" + std::to_string(p) + "-" + std::to_string(i))});
    return 0;
}

// args: table, rounds. Each round rewrites all 20 records with the round's number.
int rewriteInBatches(const ChildArgs& args)
{
    setFlushToDisk(false);
    // Linger after the first record of each commit is written, so that a
    // reader not kept out by the lock would catch the batch half done.
    commitStepHook = [](const char* point) {
        if (std::strcmp(point, "table-partly-written") == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(300));
    };
    const int rounds = std::stoi(args.at(1));
    DbfTable t = DbfTable::open(args.at(0));
    for (int k = 1; k <= rounds; ++k) {
        DbfBatch batch(t);
        for (std::uint32_t r = 0; r < 20; ++r)
            t.update(r, {{0, FieldValue::ofNumber(k)}, {1, FieldValue::ofNumber(k)},
                         {2, FieldValue::ofText(std::to_string(k))}});
        batch.commit();
    }
    return 0;
}

// args: table. Holds it open until let go.
int holdTable(const ChildArgs& args)
{
    DbfTable t = DbfTable::open(args.at(0));
    if (!dbftest::tellParent())
        return 2;
    dbftest::waitForParent();
    return 0;
}

// args: first table, second table, process number. Writes the first table in
// a batch, meets the other process, then wants the second table.
int crossedWrites(const ChildArgs& args)
{
    setFlushToDisk(false);
    setLockWait(std::chrono::milliseconds(400));
    const int p = std::stoi(args.at(2));
    auto meet = [] { return dbftest::tellParent() && dbftest::waitForParent(); };
    DbfTable first = DbfTable::open(args.at(0));
    DbfTable second = DbfTable::open(args.at(1));
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
}

const dbftest::ChildRole kRoles[] = {
    {"commit-until-killed", commitUntilKilled}, {"append-records", appendRecords},
    {"rewrite-in-batches", rewriteInBatches},   {"hold-table", holdTable},
    {"crossed-writes", crossedWrites},
};

// ---- tests -----------------------------------------------------------------

struct CrashCase {
    const char* name;
    const char* point;
    bool tornJournal;
    bool appendOnly;   // a batch of appends alone: the records are flushed before the count
    const char* layout; // a table alone keeps the first journal layout unless it finishes forward
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
    ChildProcess child("commit-until-killed", {path, tc.point, tc.tornJournal ? path + "-journal" : "",
                                                tc.appendOnly ? "appends-only" : "mixed"});
    ASSERT_TRUE(child.heard()) << "the commit never reached " << tc.point;
    child.kill();
    ASSERT_EQ(child.wait(), -1);
    EXPECT_EQ(dbftest::readFile(path + "-journal").substr(0, 8), tc.layout);
    if (std::string(tc.point) != "journal-written") {
        EXPECT_NE(dbftest::readFile(path), original); // the crash left the table half changed
    }

    const TableData data = bystander.readAll();
    ASSERT_EQ(data.rowCount(), 3u);
    for (std::size_t r = 0; r < 3; ++r)
        EXPECT_EQ(data.text(r, 2), "orig");
    EXPECT_EQ(dbftest::readFile(path), original);
    EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
    EXPECT_EQ(DbfTable::open(path).readAll().rowCount(), 3u);
    // The next append lands after the last counted record.
    DbfTable::open(path).append({FieldValue::ofNumber(9), FieldValue::ofNumber(9), FieldValue::ofText("next")});
    const TableData after = DbfTable::open(path).readAll();
    ASSERT_EQ(after.rowCount(), 4u);
    EXPECT_EQ(after.text(3, 2), "next");
}

INSTANTIATE_TEST_SUITE_P(Dbf, CrashRecovery,
                         ::testing::Values(CrashCase{"AfterJournalBeforeTable", "journal-written", false, false, "HVJRNL01"},
                                           CrashCase{"WhileWritingTable", "table-partly-written", false, false, "HVJRNL01"},
                                           CrashCase{"WhileWritingJournal", "journal-written", true, false, "HVJRNL01"},
                                           CrashCase{"AppendsBeforeTheCount", "records-written", false, true, "HVJRNL02"}),
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
    const int perProcess = 1000;
    ChildProcess first("append-records", {path, "1", std::to_string(perProcess)});
    ChildProcess second("append-records", {path, "2", std::to_string(perProcess)});
    ASSERT_TRUE(dbftest::meetAll({&first, &second})); // both start together
    EXPECT_EQ(first.wait(), 0);
    EXPECT_EQ(second.wait(), 0);

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
    ChildProcess writer("rewrite-in-batches", {path, std::to_string(rounds)});
    DbfTable reader = DbfTable::open(path);
    int last = 0;
    int reads = 0;
    // A writer that dies or stalls fails the test instead of hanging the suite.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    std::optional<int> writerStatus;
    while (last < rounds) {
        if (!writerStatus)
            writerStatus = writer.exitCodeIfEnded();
        if (writerStatus && *writerStatus != 0) {
            FAIL() << "the writer failed (" << *writerStatus << ") after round " << last << " of " << rounds;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            FAIL() << "no progress past round " << last << " of " << rounds; // the writer is killed on the way out
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
    EXPECT_EQ(writerStatus ? *writerStatus : writer.wait(), 0);
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
    ChildProcess holder("hold-table", {path});
    ASSERT_TRUE(holder.heard());
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

    holder.closeInput();
    EXPECT_EQ(holder.wait(), 0);
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
    ChildProcess one("crossed-writes", {a, b, "0"});
    ChildProcess other("crossed-writes", {b, a, "1"});
    ASSERT_TRUE(dbftest::meetAll({&one, &other})); // both tables open in both processes
    ASSERT_TRUE(dbftest::meetAll({&one, &other})); // each holds its first table
    const int first = one.wait();
    const int second = other.wait();
    EXPECT_TRUE(first == 10 || second == 10) << first << " " << second;
    EXPECT_TRUE((first == 0 || first == 10) && (second == 0 || second == 10)) << first << " " << second;
    // Whatever was committed is whole: each table holds the rows of the
    // processes that finished.
    const std::size_t finished = (first == 0) + (second == 0);
    EXPECT_EQ(DbfTable::open(a).readAll().rowCount() + DbfTable::open(b).readAll().rowCount(), 2 * finished);
}

} // namespace
