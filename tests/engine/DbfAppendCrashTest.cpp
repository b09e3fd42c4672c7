// An INSERT ... SELECT killed while it appends: before any repair, neither a
// reader that trusts the header's record count nor one that reads up to the
// end mark (python's dbfread) sees a row that is not committed; once the
// table is opened again the file is exactly a whole table (header, records,
// one 0x1A), the old one byte for byte when the commit point was not reached.
#include "ChildProcess.h"
#include "CommitStopPoint.h"
#include "DbfTestSupport.h"

#include "engine/Database.h"
#include "engine/storage/DbfTable.h"
#include "engine/storage/FileHandle.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <sstream>

using namespace engine;
using namespace engine::storage;
using dbftest::ChildArgs;
using dbftest::ChildProcess;

namespace {

std::string insertSelect(const std::string& table, const std::string& source)
{
    return "INSERT INTO \"" + table + "\" (NR, TEXT) SELECT NR, TEXT FROM \"" + source + "\"";
}

// args: table, source table, statements to run first, step to stop at.
// Tells the parent once the first statements are done and waits; then the
// last statement stops at the step.
int insertSelectUntilKilled(const ChildArgs& args)
{
    dbftest::NoFlushToDisk noFlush;
    Database db;
    const std::string statement = insertSelect(args.at(0), args.at(1));
    for (int i = std::stoi(args.at(2)); i > 0; --i)
        db.exec(statement);
    if (!dbftest::tellParent() || !dbftest::waitForParent())
        return 2;
    dbftest::stopAtCommitStep(args.at(3), 1);
    db.exec(statement);
    return 0;
}

const dbftest::ChildRole kRole{"insert-select-until-killed", insertSelectUntilKilled};

struct FileShape {
    std::uint32_t count = 0;
    std::size_t headerLength = 0;
    std::size_t recordLength = 0;
};

FileShape shapeOf(const std::string& bytes)
{
    FileShape s;
    if (bytes.size() >= 12) {
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
        s.count = byte(4) | byte(5) << 8 | byte(6) << 16 | static_cast<std::uint32_t>(byte(7)) << 24;
        s.headerLength = byte(8) | byte(9) << 8;
        s.recordLength = byte(10) | byte(11) << 8;
    }
    return s;
}

// The TEXT of every row as python's dbfread reads it (up to the end mark or
// the end of the file, whatever the header's count).
std::vector<std::string> dbfreadTexts(const dbftest::ScratchDir& dir, const std::string& path)
{
    int status = 0;
    const std::string out = dbftest::runPython(
        dir, "import sys, dbfread\nfor r in dbfread.DBF(sys.argv[1], encoding='cp1250'):\n    print(r['TEXT'])\n",
        path, &status);
    EXPECT_EQ(status, 0) << out;
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> ourTexts(const std::string& path)
{
    const TableData data = DbfTable::open(path).readAll();
    std::vector<std::string> texts;
    for (std::size_t r = 0; r < data.rowCount(); ++r)
        texts.push_back(data.text(r, 1));
    return texts;
}

bool dbfreadAvailable(const dbftest::ScratchDir& dir)
{
    int status = -1;
    dbftest::runPython(dir, "import dbfread\n", "", &status);
    return status == 0;
}

struct AppendStop {
    const char* name;
    const char* point;
    bool committed; // the new record count reached the header
};

void PrintTo(const AppendStop& c, std::ostream* os) { *os << c.name; }

// Creates the target table, empty, and a source of `copied` rows; returns
// the source's texts.
std::vector<std::string> createTables(const std::string& table, const std::string& source, int copied)
{
    DbfTable::create(table, {{"NR", 'N', 6, 0, 0}, {"TEXT", 'C', 20, 0, 0}});
    DbfTable s = DbfTable::create(source, {{"NR", 'N', 6, 0, 0}, {"TEXT", 'C', 20, 0, 0}});
    std::vector<std::string> texts;
    for (int i = 0; i < copied; ++i) {
        texts.push_back("rand " + std::to_string(i));
        s.append({FieldValue::ofNumber(i), FieldValue::ofText(texts.back())});
    }
    return texts;
}

// Runs `before` statements in a child process, then one more killed at the
// step. Returns the table's bytes as they were before that last statement.
std::optional<std::string> killStatementAt(const std::string& table, const std::string& source, int before,
                                           const char* point)
{
    ChildProcess child("insert-select-until-killed", {table, source, std::to_string(before), point});
    if (!child.heard()) {
        ADD_FAILURE() << "the first statements failed";
        return std::nullopt;
    }
    const std::string old = dbftest::readFile(table);
    if (!child.letGo() || !child.heard()) {
        ADD_FAILURE() << "the statement never reached " << point;
        return std::nullopt;
    }
    child.kill();
    EXPECT_EQ(child.wait(), -1);
    return old;
}

class AppendCrash : public ::testing::TestWithParam<AppendStop> {
    dbftest::NoFlushToDisk m_noFlush;
};

// Each seed picks how many rows the statement copies and how many
// statements ran before it.
TEST_P(AppendCrash, NoReaderSeesUncommittedRows)
{
    const AppendStop& tc = GetParam();
    dbftest::ScratchDir dir;
    if (!dbfreadAvailable(dir))
        GTEST_SKIP() << "python3 with dbfread is not available";
    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const int copied = 1 + static_cast<int>(random() % 40);
        const int before = static_cast<int>(random() % 3);
        const std::string table = dir.file("Tinta" + std::to_string(seed) + ".dbf");
        const std::string source = dir.file("Sursa" + std::to_string(seed) + ".dbf");
        const std::vector<std::string> sourceTexts = createTables(table, source, copied);
        const std::optional<std::string> killed = killStatementAt(table, source, before, tc.point);
        ASSERT_TRUE(killed);
        const std::string& old = *killed;
        const std::uint32_t oldCount = shapeOf(old).count;
        ASSERT_EQ(oldCount, static_cast<std::uint32_t>(before * copied));

        // Before any repair: the header holds the old count or the new one,
        // and dbfread sees no row beyond it.
        const std::uint32_t headerCount = shapeOf(dbftest::readFile(table)).count;
        EXPECT_EQ(headerCount, tc.committed ? oldCount + copied : oldCount);
        const std::size_t seenByDbfread = dbfreadTexts(dir, table).size();
        EXPECT_TRUE(seenByDbfread == oldCount || seenByDbfread == headerCount) << seenByDbfread;

        // Opened again: a whole table holding the rows the header decided.
        const std::vector<std::string> texts = ourTexts(table);
        std::vector<std::string> expected;
        for (std::uint32_t r = 0; r < headerCount; ++r)
            expected.push_back(sourceTexts[r % sourceTexts.size()]);
        EXPECT_EQ(texts, expected);
        EXPECT_EQ(dbfreadTexts(dir, table), expected);
        const std::string now = dbftest::readFile(table);
        const FileShape shape = shapeOf(now);
        EXPECT_EQ(now.size(), shape.headerLength + shape.count * shape.recordLength + 1);
        EXPECT_EQ(now.back(), '\x1A');
        if (!tc.committed) {
            EXPECT_TRUE(now == old) << "the file is not the table as it was before the statement";
        }
        EXPECT_FALSE(std::filesystem::exists(table + "-journal"));
    }
}

INSTANTIATE_TEST_SUITE_P(Dbf, AppendCrash,
                         ::testing::Values(AppendStop{"JournalWritten", "journal-written", false},
                                           AppendStop{"TablePartlyWritten", "table-partly-written", false},
                                           AppendStop{"RecordsWritten", "records-written", false},
                                           AppendStop{"CountWritten", "count-written", true},
                                           AppendStop{"TableWritten", "table-written", true},
                                           AppendStop{"JournalDeleted", "journal-deleted", true}),
                         [](const auto& info) { return std::string(info.param.name); });

class AppendCrashWithoutEndMark : public ::testing::Test {
    dbftest::NoFlushToDisk m_noFlush;
};

// A table from a program that ends it without the 0x1A mark: a statement
// killed before its count still shows dbfread no new row, and the file goes
// back to what it was.
TEST_F(AppendCrashWithoutEndMark, NoReaderSeesUncommittedRows)
{
    dbftest::ScratchDir dir;
    if (!dbfreadAvailable(dir))
        GTEST_SKIP() << "python3 with dbfread is not available";
    const std::string table = dir.file("Tinta.dbf");
    const std::string source = dir.file("Sursa.dbf");
    createTables(table, source, 7);
    {
        DbfTable t = DbfTable::open(table);
        t.append({FieldValue::ofNumber(1), FieldValue::ofText("vechi")});
        t.append({FieldValue::ofNumber(2), FieldValue::ofText("vechi")});
    }
    std::string unmarked = dbftest::readFile(table);
    unmarked.pop_back();
    dbftest::writeFile(table, unmarked);

    const std::optional<std::string> old = killStatementAt(table, source, 0, "records-written");
    ASSERT_TRUE(old);
    const std::vector<std::string> oldRows = {"vechi", "vechi"};
    EXPECT_EQ(dbfreadTexts(dir, table), oldRows);
    EXPECT_EQ(ourTexts(table), oldRows);
    EXPECT_TRUE(dbftest::readFile(table) == *old) << "the file is not the table as it was before the statement";
}

} // namespace
