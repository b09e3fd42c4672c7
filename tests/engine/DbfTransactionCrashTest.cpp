// A commit of two tables together, killed at each of its steps: opened again
// afterwards, in either order, both tables hold their old content or both
// their new content, and no journal of the commit is left behind.
#include "ChildProcess.h"
#include "CommitStopPoint.h"
#include "DbfTestSupport.h"

#include "engine/storage/DbfTable.h"
#include "engine/storage/FileHandle.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace engine;
using namespace engine::storage;
using dbftest::ChildArgs;
using dbftest::ChildProcess;

namespace {

namespace fs = std::filesystem;

// Applications ("Cereri") and their household members ("Oameni").
struct Pair {
    std::string cereri;
    std::string oameni;

    static Pair in(const dbftest::ScratchDir& dir) { return {dir.file("Cereri.dbf"), dir.file("Oameni.dbf")}; }

    void create() const
    {
        DbfTable c = DbfTable::create(cereri, {{"NR", 'N', 6, 0, 0}, {"TEXT", 'C', 20, 0, 0}});
        DbfTable o = DbfTable::create(oameni, {{"NR", 'N', 6, 0, 0}, {"CERERE", 'N', 6, 0, 0}, {"TEXT", 'C', 20, 0, 0}});
        for (int i = 1; i <= 3; ++i)
            c.append({FieldValue::ofNumber(i), FieldValue::ofText("cerere")});
        for (int i = 1; i <= 4; ++i)
            o.append({FieldValue::ofNumber(i), FieldValue::ofNumber((i + 1) / 2), FieldValue::ofText("membru")});
    }
};

// The transaction under test: copies two applications with their members,
// changes one application and deletes one member.
void commitCopy(const Pair& p)
{
    DbfTable c = DbfTable::open(p.cereri);
    DbfTable o = DbfTable::open(p.oameni);
    c.beginBatch();
    o.beginBatch();
    c.update(0, {{1, FieldValue::ofText("copiata")}});
    for (int i = 4; i <= 5; ++i) {
        c.append({FieldValue::ofNumber(i), FieldValue::ofText("copie")});
        o.append({FieldValue::ofNumber(i + 1), FieldValue::ofNumber(i), FieldValue::ofText("copie")});
        o.append({FieldValue::ofNumber(i + 3), FieldValue::ofNumber(i), FieldValue::ofText("copie")});
    }
    o.remove(1);
    DbfTable::commitBatches({&c, &o});
}

std::vector<std::string> rowsOf(const std::string& path)
{
    const TableData data = DbfTable::open(path).readAll();
    std::vector<std::string> rows;
    for (std::size_t r = 0; r < data.rowCount(); ++r)
        rows.push_back(dbftest::rowText(data, r));
    return rows;
}

// Journals and transaction journals in the folder.
std::vector<std::string> journalsIn(const fs::path& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.find("journal") != std::string::npos)
            found.push_back(name);
    }
    return found;
}

// args: applications, members, step, occurrence, "tear" to cut the
// transaction journal short before stopping (a crash while it was written).
int commitCopyUntilKilled(const ChildArgs& args)
{
    dbftest::NoFlushToDisk noFlush;
    const fs::path folder = fs::u8path(args.at(0)).parent_path();
    std::function<void()> tear;
    if (args.at(4) == "tear")
        tear = [folder] {
            for (const auto& entry : fs::directory_iterator(folder))
                if (entry.path().filename().string().find("-txjournal-") != std::string::npos)
                    fs::resize_file(entry.path(), 30);
        };
    dbftest::stopAtCommitStep(args.at(2), std::stoi(args.at(3)), tear);
    commitCopy({args.at(0), args.at(1)});
    return 0;
}

const dbftest::ChildRole kRole{"commit-copy-until-killed", commitCopyUntilKilled};

struct StopCase {
    const char* name;
    const char* point;
    int occurrence;
    bool tearTransactionJournal;
    bool committed; // the commit point (deleting the transaction journal) was passed
};

void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

const StopCase kStops[] = {
    {"FirstJournal", "journal-written", 1, false, false},
    {"SecondJournal", "journal-written", 2, false, false},
    {"TransactionJournal", "transaction-journal-written", 1, false, false},
    {"TornTransactionJournal", "transaction-journal-written", 1, true, false},
    {"FirstTablePartly", "table-partly-written", 1, false, false},
    {"FirstTable", "table-written", 1, false, false},
    {"SecondTablePartly", "table-partly-written", 2, false, false},
    {"SecondTable", "table-written", 2, false, false},
    {"TransactionJournalDeleted", "transaction-journal-deleted", 1, false, true},
    {"FirstJournalDeleted", "journal-deleted", 1, false, true},
    {"SecondJournalDeleted", "journal-deleted", 2, false, true},
};

class TransactionCrash : public ::testing::TestWithParam<std::tuple<StopCase, bool>> {
    dbftest::NoFlushToDisk m_noFlush;
};

TEST_P(TransactionCrash, BothTablesOldOrBothNew)
{
    const auto& [tc, membersFirst] = GetParam();
    dbftest::ScratchDir reference;
    const Pair expected = Pair::in(reference);
    expected.create();
    const std::vector<std::string> oldCereri = rowsOf(expected.cereri);
    const std::vector<std::string> oldOameni = rowsOf(expected.oameni);
    commitCopy(expected);

    dbftest::ScratchDir dir;
    const Pair p = Pair::in(dir);
    p.create();
    const std::string cereriBefore = dbftest::readFile(p.cereri);
    const std::string oameniBefore = dbftest::readFile(p.oameni);
    ChildProcess child("commit-copy-until-killed", {p.cereri, p.oameni, tc.point, std::to_string(tc.occurrence),
                                                    tc.tearTransactionJournal ? "tear" : ""});
    ASSERT_TRUE(child.heard()) << "the commit never reached " << tc.point << " #" << tc.occurrence;
    child.kill();
    ASSERT_EQ(child.wait(), -1);

    // Opening one table recovers it; the other is recovered when opened in turn.
    const std::string first = membersFirst ? p.oameni : p.cereri;
    const std::string second = membersFirst ? p.cereri : p.oameni;
    const std::vector<std::string> firstRows = rowsOf(first);
    const std::vector<std::string> secondRows = rowsOf(second);
    const std::vector<std::string>& cereri = membersFirst ? secondRows : firstRows;
    const std::vector<std::string>& oameni = membersFirst ? firstRows : secondRows;
    if (tc.committed) {
        EXPECT_EQ(cereri, rowsOf(expected.cereri));
        EXPECT_EQ(oameni, rowsOf(expected.oameni));
    } else {
        EXPECT_EQ(cereri, oldCereri);
        EXPECT_EQ(oameni, oldOameni);
        EXPECT_TRUE(dbftest::readFile(p.cereri) == cereriBefore) << "applications not restored byte for byte";
        EXPECT_TRUE(dbftest::readFile(p.oameni) == oameniBefore) << "members not restored byte for byte";
    }
    EXPECT_EQ(journalsIn(dir.path()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Dbf, TransactionCrash, ::testing::Combine(::testing::ValuesIn(kStops), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name)
                                 + (std::get<1>(info.param) ? "_MembersOpenedFirst" : "_ApplicationsOpenedFirst");
                         });

// ---- a commit that fails in this process --------------------------------------

struct FailingStep {
    std::string point;
    int occurrence = 0;
    int seen = 0;
};

FailingStep g_failingStep;

void failAtStep(const char* point)
{
    if (g_failingStep.point == point && ++g_failingStep.seen == g_failingStep.occurrence)
        throw Error(std::string("oprit la ") + point);
}

class FailedTransaction : public ::testing::TestWithParam<StopCase> {
protected:
    void TearDown() override { commitStepHook = nullptr; }
    dbftest::NoFlushToDisk m_noFlush;
};

// The commit throws before its commit point (a write error, a full disk):
// both tables are put back at once and no journal is left.
TEST_P(FailedTransaction, PutsBothTablesBack)
{
    const StopCase& tc = GetParam();
    dbftest::ScratchDir dir;
    const Pair p = Pair::in(dir);
    p.create();
    const std::string cereriBefore = dbftest::readFile(p.cereri);
    const std::string oameniBefore = dbftest::readFile(p.oameni);
    g_failingStep = {tc.point, tc.occurrence, 0};
    commitStepHook = failAtStep;
    EXPECT_THROW(commitCopy(p), Error);
    EXPECT_TRUE(dbftest::readFile(p.cereri) == cereriBefore) << "applications not put back";
    EXPECT_TRUE(dbftest::readFile(p.oameni) == oameniBefore) << "members not put back";
    EXPECT_EQ(journalsIn(dir.path()), std::vector<std::string>{});
}

std::vector<StopCase> beforeTheCommitPoint()
{
    std::vector<StopCase> cases;
    for (const StopCase& c : kStops)
        if (!c.committed && !c.tearTransactionJournal)
            cases.push_back(c);
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Dbf, FailedTransaction, ::testing::ValuesIn(beforeTheCommitPoint()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
