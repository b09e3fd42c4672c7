// Damaged table files: every defect is reported with the file's name and
// what is wrong, or (one garbage field) read as NULL; never a crash or a read
// out of bounds (the suite also runs under AddressSanitizer).
#include "DbfTestSupport.h"

#include "engine/storage/DbfTable.h"
#include "engine/storage/IndexFlag.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

using namespace engine;
using namespace engine::storage;

namespace {

// A good table: NUME C 6, SUMA N 6,2, DATA D; two records.
std::string goodTable(const dbftest::ScratchDir& dir)
{
    const std::string path = dir.file("good.dbf");
    DbfTable t = DbfTable::create(path, {{"NUME", 'C', 6, 0, 0}, {"SUMA", 'N', 6, 2, 0}, {"DATA", 'D', 8, 0, 0}});
    t.append({FieldValue::ofText("Ana"), FieldValue::ofNumber(1.5), FieldValue::ofDate({2022, 3, 5})});
    t.append({FieldValue::ofText("Ion"), FieldValue::ofNumber(2), FieldValue::ofDate({2022, 3, 6})});
    return dbftest::readFile(path);
}

constexpr int kHeaderLength = 32 + 3 * 32 + 1;
constexpr int kRecordLength = 1 + 6 + 6 + 8;

void put16(std::string& b, std::size_t at, int v)
{
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

struct BadCase {
    const char* name;
    std::function<void(std::string&)> damage;
    const char* error;        // part of the message; nullptr: opens, see `check`
    std::function<void(const TableData&)> check;
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

class BadInput : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadInput, IsReportedClearly)
{
    const BadCase& tc = GetParam();
    dbftest::ScratchDir dir;
    std::string bytes = goodTable(dir);
    tc.damage(bytes);
    const std::string path = dir.file("bad.dbf");
    dbftest::writeFile(path, bytes);
    if (tc.error) {
        try {
            DbfTable t = DbfTable::open(path);
            t.readAll();
            FAIL() << "damaged file accepted";
        } catch (const Error& e) {
            const std::string msg = e.what();
            EXPECT_NE(msg.find("\"" + path + "\""), std::string::npos) << msg;
            EXPECT_NE(msg.find(tc.error), std::string::npos) << msg;
        }
        return;
    }
    tc.check(DbfTable::open(path).readAll());
}

INSTANTIATE_TEST_SUITE_P(
    Dbf, BadInput,
    ::testing::Values(
        BadCase{"EmptyFile", [](std::string& b) { b.clear(); }, "mai putin decat antetul", {}},
        BadCase{"CutInsideTheHeader", [](std::string& b) { b.resize(20); }, "mai putin decat antetul", {}},
        BadCase{"NotADbaseFile", [](std::string& b) { b = "PK\x03\x04" + std::string(60, 'x'); },
                "nu este o tabela dBase", {}},
        BadCase{"HeaderLongerThanFile", [](std::string& b) { put16(b, 8, 5000); }, "antetul declara 5000 octeti", {}},
        BadCase{"HeaderLengthTooSmall", [](std::string& b) { put16(b, 8, 20); }, "lungimea antetului (20)", {}},
        BadCase{"FieldListWithoutTerminator", [](std::string& b) { b[kHeaderLength - 1] = 'X'; },
                "nu are terminatorul 0x0D", {}},
        BadCase{"FieldWithoutName", [](std::string& b) { b[32 + 32] = '\0'; }, "coloana 2 nu are nume", {}},
        BadCase{"FieldOfWidthZero", [](std::string& b) { b[32 + 16] = '\0'; }, "NUME are latimea 0", {}},
        BadCase{"RecordLengthBelowFields", [](std::string& b) { put16(b, 10, 10); },
                "lungimea inregistrarii din antet (10) este mai mica", {}},
        BadCase{"RecordLengthTooSmall", [](std::string& b) { put16(b, 10, 0); }, "lungimea inregistrarii (0)", {}},
        BadCase{"CountBeyondFile", [](std::string& b) { b[4] = 100; }, "antetul declara 100 inregistrari", {}},
        BadCase{"RecordsCutShort", [](std::string& b) { b.resize(kHeaderLength + kRecordLength + 5); },
                "antetul declara 2 inregistrari", {}},
        BadCase{"GarbageInNumberAndDateReadsNull",
                [](std::string& b) {
                    b.replace(kHeaderLength + 7, 6, "12x.5 ");
                    b.replace(kHeaderLength + 13, 8, "2022AB05");
                    b.replace(kHeaderLength + kRecordLength + 13, 8, "20221345");
                },
                nullptr,
                [](const TableData& d) {
                    ASSERT_EQ(d.rowCount(), 2u);
                    EXPECT_EQ(d.text(0, 0), "Ana");
                    EXPECT_TRUE(d.isNull(0, 1));
                    EXPECT_EQ(d.value(0, 1), FieldValue::null());
                    EXPECT_TRUE(d.isNull(0, 2));
                    EXPECT_TRUE(d.isNull(1, 2)); // month 13
                    EXPECT_EQ(d.number(1, 1), 2.0);
                }},
        BadCase{"MissingEndOfFileMarkIsFine", [](std::string& b) { b.pop_back(); }, nullptr,
                [](const TableData& d) { EXPECT_EQ(d.rowCount(), 2u); }}),
    [](const auto& info) { return std::string(info.param.name); });

// A file cut short under an open handle (by a program that ignores the
// locks): every read of a record that is no longer whole is a damaged-table
// error naming the file, inside a write batch and outside one.
TEST(BadInputUnderAnOpenHandle, ReadsOfRecordsCutOffNameTheFile)
{
    const std::vector<std::pair<const char*, std::function<void(DbfTable&)>>> reads = {
        {"read", [](DbfTable& t) { t.read(1); }},
        {"isDeleted", [](DbfTable& t) { t.isDeleted(1); }},
        {"readAll", [](DbfTable& t) { t.readAll(); }},
    };
    for (const bool inBatch : {false, true}) {
        for (const auto& [name, read] : reads) {
            dbftest::ScratchDir dir;
            const std::string path = dir.file("cut.dbf");
            dbftest::writeFile(path, goodTable(dir));
            DbfTable t = DbfTable::open(path);
            if (inBatch)
                t.beginBatch();
            std::filesystem::resize_file(path, kHeaderLength + kRecordLength + 5);
            try {
                read(t);
                ADD_FAILURE() << name << (inBatch ? " in a batch" : "") << ": no error";
            } catch (const Error& e) {
                const std::string msg = e.what();
                EXPECT_NE(msg.find("\"" + path + "\" este deteriorata"), std::string::npos) << name << ": " << msg;
            }
        }
    }
}

// Every prefix of a good file and random damage to its header: opening and
// decoding either works or throws engine::Error.
TEST(DbfBadInputSweep, CutsAndFlippedBytesNeverCrash)
{
    dbftest::ScratchDir dir;
    const std::string good = goodTable(dir);
    const std::string path = dir.file("sweep.dbf");
    auto tryRead = [&](const std::string& bytes) {
        dbftest::writeFile(path, bytes);
        try {
            DbfTable t = DbfTable::open(path);
            const TableData d = t.readAll();
            for (std::size_t r = 0; r < d.rowCount(); ++r)
                for (int c = 0; c < static_cast<int>(d.columns().size()); ++c) {
                    d.value(r, c);
                    d.text(r, c);
                }
        } catch (const Error&) {
        }
    };
    for (std::size_t n = 0; n < good.size(); ++n)
        tryRead(good.substr(0, n));
    std::mt19937 random(226);
    for (int i = 0; i < 600; ++i) {
        std::string bytes = good;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f)
            bytes[random() % kHeaderLength] = static_cast<char>(random() % 256);
        tryRead(bytes);
    }
    std::remove((path + "-journal").c_str());
}

TEST(DbfIndexFlag, ClearsTheFlagAndDeletesTheIndexFile)
{
    dbftest::ScratchDir dir;
    const std::string path = dir.file("Cereri.dbf");
    std::string bytes = goodTable(dir);
    bytes[28] = '\x01';
    dbftest::writeFile(path, bytes);
    dbftest::writeFile(dir.file("Cereri.mdx"), "index");
    clearProductionIndexFlag(path);
    const std::string after = dbftest::readFile(path);
    EXPECT_EQ(after[28], '\0');
    bytes[28] = '\0';
    EXPECT_EQ(after, bytes);
    EXPECT_FALSE(std::filesystem::exists(dir.file("Cereri.mdx")));

    // Index names in other letter cases, as copied from a case-insensitive
    // file system; another table's index stays.
    for (const char* name : {"Cereri.MDX", "CERERI.MDX", "cereri.Mdx"}) {
        dbftest::writeFile(dir.file(name), "index");
        dbftest::writeFile(dir.file("Oameni.mdx"), "other");
        clearProductionIndexFlag(path);
        EXPECT_FALSE(std::filesystem::exists(dir.file(name))) << name;
        EXPECT_TRUE(std::filesystem::exists(dir.file("Oameni.mdx"))) << name;
    }

    // A missing file or one too short to be a table: nothing happens.
    clearProductionIndexFlag(dir.file("Missing.dbf"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Missing.dbf")));
    dbftest::writeFile(dir.file("short.dbf"), "abc");
    clearProductionIndexFlag(dir.file("short.dbf"));
    EXPECT_EQ(dbftest::readFile(dir.file("short.dbf")), "abc");
}

} // namespace
