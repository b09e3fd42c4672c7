// Another program on the same share: a dBase program's record and table
// locks in the region counting down from 0xEFFFFFFE keep our readers and
// writers out (and the wait ends in an error), and a program that merely
// holds the file open never costs the table when we replace it.
#include "ChildProcess.h"
#include "DbfTestSupport.h"

#include "engine/storage/DbfTable.h"
#include "engine/storage/DbfTableImpl.h"
#include "engine/storage/FileHandle.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

using namespace engine;
using namespace engine::storage;
using dbftest::ChildArgs;
using dbftest::ChildProcess;

namespace {

std::vector<Column> columns() { return {{"NR", 'N', 6, 0, 0}, {"NUME", 'C', 20, 0, 0}}; }

// args: table, offset below 0xEFFFFFFE, "shared" or "exclusive". Locks that
// one byte as a foreign dBase program locks a record, until let go.
int lockOneByte(const ChildArgs& args)
{
    FileHandle f(args.at(0), FileHandle::Mode::ReadWrite);
    const auto kind = args.at(2) == "shared" ? FileHandle::Lock::Shared : FileHandle::Lock::Exclusive;
    if (!f.lock(kLockTop - std::stoull(args.at(1)), 1, kind, false))
        return 3;
    if (!dbftest::tellParent())
        return 2;
    dbftest::waitForParent();
    return 0;
}

// args: table. Holds the file open as a program that shares reading and
// writing but not deleting or renaming (as most Windows programs open files),
// with no lock of ours, until let go.
int holdFileOpen(const ChildArgs& args)
{
#ifdef _WIN32
    const auto name = std::filesystem::u8path(args.at(0)).wstring();
    HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 3;
#else
    FileHandle f(args.at(0), FileHandle::Mode::ReadWrite);
#endif
    if (!dbftest::tellParent())
        return 2;
    dbftest::waitForParent();
#ifdef _WIN32
    CloseHandle(h);
#endif
    return 0;
}

const dbftest::ChildRole kRoles[] = {{"lock-one-byte", lockOneByte}, {"hold-file-open", holdFileOpen}};

class DbfForeignLocks : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.file("Cereri.dbf");
        DbfTable t = DbfTable::create(path, columns());
        for (int i = 1; i <= 3; ++i)
            t.append({FieldValue::ofNumber(i), FieldValue::ofText("r" + std::to_string(i))});
        setLockWait(std::chrono::milliseconds(1500));
    }
    void TearDown() override { setLockWait(std::chrono::seconds(30)); }

    dbftest::ScratchDir dir;
    std::string path;
};

struct ForeignLockCase {
    const char* name;
    unsigned byteBelowTop; // 0 is 0xEFFFFFFE itself; a record's lock is its number below it
    const char* kind;
    bool readBlocked;
    bool writeBlocked;
};

void PrintTo(const ForeignLockCase& c, std::ostream* os) { *os << c.name; }

class DbfForeignLockKinds : public DbfForeignLocks, public ::testing::WithParamInterface<ForeignLockCase> {};

TEST_P(DbfForeignLockKinds, KeepOutWhatTheyMust)
{
    const ForeignLockCase& tc = GetParam();
    DbfTable table = DbfTable::open(path);
    ChildProcess other("lock-one-byte", {path, std::to_string(tc.byteBelowTop), tc.kind});
    ASSERT_TRUE(other.heard()) << "the foreign lock was not granted";
    const std::string waitError = "Tabela \"" + path + "\" este blocata de alt proces; am asteptat 1 secunde";

    try {
        EXPECT_EQ(table.readAll().rowCount(), 3u);
        EXPECT_FALSE(tc.readBlocked) << "read through a foreign exclusive lock";
    } catch (const Error& e) {
        EXPECT_TRUE(tc.readBlocked) << e.what();
        EXPECT_EQ(std::string(e.what()), waitError);
    }
    try {
        table.update(1, {{1, FieldValue::ofText("schimbat")}});
        EXPECT_FALSE(tc.writeBlocked) << "wrote through a foreign lock";
    } catch (const Error& e) {
        EXPECT_TRUE(tc.writeBlocked) << e.what();
        EXPECT_EQ(std::string(e.what()), waitError);
    }

    other.closeInput();
    EXPECT_EQ(other.wait(), 0);
    // Once the other program lets go, everything goes through again.
    table.update(2, {{1, FieldValue::ofText("dupa")}});
    const TableData data = DbfTable::open(path).readAll();
    EXPECT_EQ(data.text(1, 1), tc.writeBlocked ? "r2" : "schimbat");
    EXPECT_EQ(data.text(2, 1), "dupa");
}

INSTANTIATE_TEST_SUITE_P(
    Dbf, DbfForeignLockKinds,
    ::testing::Values(ForeignLockCase{"RecordLockOfRecordTwo", 2, "exclusive", true, true},
                      ForeignLockCase{"TopByteExclusive", 0, "exclusive", true, true},
                      ForeignLockCase{"SharedRecordLockLetsReadersIn", 2, "shared", false, true},
                      ForeignLockCase{"ByteBelowTheRegionIsNotOurs", 0x10000000 + 5, "exclusive", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Replacing the file (pack, restructure, create over it) while a program
// holds it open: on Linux the rename goes through; on Windows the other
// program's handle refuses it, and that must be the "in use" error with the
// table intact and still ours to use.
TEST_F(DbfForeignLocks, ReplacingAFileHeldOpenKeepsTheTable)
{
    DbfTable table = DbfTable::open(path);
    table.remove(0);
    const std::string before = dbftest::readFile(path);
    ChildProcess other("hold-file-open", {path});
    ASSERT_TRUE(other.heard());
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"pack", [&] { table.pack(); }},
        {"widen", [&] { table.changeColumnWidth("NUME", 30); }},
    };
    for (const auto& [name, op] : operations) {
        try {
            op();
#ifdef _WIN32
            ADD_FAILURE() << name << " replaced a file another program holds open";
#endif
        } catch (const Error& e) {
#ifdef _WIN32
            EXPECT_EQ(std::string(e.what()), "Tabela \"" + path + "\" este folosita de alt proces") << name;
            EXPECT_EQ(dbftest::readFile(path), before) << name;
#else
            ADD_FAILURE() << name << ": " << e.what();
#endif
        }
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(path + "-new"))) << name;
    }
    // The handle still reads and writes the table, whatever happened.
    table.append({FieldValue::ofNumber(4), FieldValue::ofText("r4")});
    EXPECT_EQ(DbfTable::open(path).readAll().rowCount(), table.readAll().rowCount());

    other.closeInput();
    EXPECT_EQ(other.wait(), 0);
    table.pack();
    table.changeColumnWidth("NUME", 30);
    const TableData data = DbfTable::open(path).readAll();
    ASSERT_EQ(data.rowCount(), 3u);
    EXPECT_EQ(data.text(0, 1), "r2");
    EXPECT_EQ(data.text(2, 1), "r4");
    EXPECT_EQ(table.columns()[1].width, 30);
}

} // namespace
