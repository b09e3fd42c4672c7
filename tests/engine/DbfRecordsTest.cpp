// Storing and reading records: the storage rules of each column type, the
// life of a record (append, update, delete, batches), name resolution, file
// identity, and calendar dates.
#include "DbfTestSupport.h"

#include "engine/storage/DbfTable.h"

#include <gtest/gtest.h>

using namespace engine;
using namespace engine::storage;

namespace {

std::vector<Column> sampleColumns()
{
    return {{"NR", 'N', 5, 0, 0}, {"SUMA", 'N', 10, 2, 0}, {"PROC", 'N', 4, 1, 0},
            {"NUME", 'C', 5, 0, 0}, {"DATA", 'D', 8, 0, 0}};
}

struct StoreCase {
    const char* rule;
    const char* column;
    FieldValue value;
    const char* stored;  // bytes in the field, or nullptr when refused
    const char* error;   // part of the message when refused
};

void PrintTo(const StoreCase& c, std::ostream* os) { *os << c.rule; }

class StoringValues : public ::testing::TestWithParam<StoreCase> {};

TEST_P(StoringValues, FollowTheColumnRules)
{
    const StoreCase& tc = GetParam();
    dbftest::ScratchDir dir;
    const std::string path = dir.file("t.dbf");
    DbfTable table = DbfTable::create(path, sampleColumns());
    const int col = table.columnIndex(tc.column);
    ASSERT_GE(col, 0);
    std::vector<FieldValue> values(table.columns().size());
    values[static_cast<std::size_t>(col)] = tc.value;
    if (!tc.stored) {
        try {
            table.append(values);
            FAIL() << "stored although it should be refused";
        } catch (const Error& e) {
            const std::string msg = e.what();
            EXPECT_NE(msg.find(tc.error), std::string::npos) << msg;
            EXPECT_NE(msg.find(path), std::string::npos) << msg;
            EXPECT_NE(msg.find(std::string("coloana ") + tc.column), std::string::npos) << msg;
        }
        EXPECT_EQ(table.readAll().rowCount(), 0u);
        return;
    }
    table.append(values);
    const TableData data = DbfTable::open(path).readAll();
    ASSERT_EQ(data.rowCount(), 1u);
    EXPECT_EQ(std::string(data.raw(0, col)), tc.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Dbf, StoringValues,
    ::testing::Values(
        StoreCase{"RoundHalfUp", "SUMA", FieldValue::ofNumber(12.345), "     12.35", nullptr},
        StoreCase{"RoundHalfAwayFromZeroNegative", "SUMA", FieldValue::ofNumber(-12.345), "    -12.35", nullptr},
        StoreCase{"RoundDecimalNotBinary", "SUMA", FieldValue::ofNumber(1.005), "      1.01", nullptr},
        StoreCase{"RoundDown", "SUMA", FieldValue::ofNumber(2.674), "      2.67", nullptr},
        StoreCase{"NoNegativeZero", "SUMA", FieldValue::ofNumber(-0.001), "      0.00", nullptr},
        StoreCase{"IntegerColumnRounds", "NR", FieldValue::ofNumber(2.5), "    3", nullptr},
        StoreCase{"FillsWidth", "NR", FieldValue::ofNumber(99999), "99999", nullptr},
        StoreCase{"TooWide", "NR", FieldValue::ofNumber(100000), nullptr, "Valoarea 100000 nu incape in N 5"},
        StoreCase{"TooWideNegative", "NR", FieldValue::ofNumber(-10000), nullptr, "Valoarea -10000 nu incape"},
        StoreCase{"RoundingMakesItTooWide", "PROC", FieldValue::ofNumber(99.96), nullptr, "Valoarea 100.0 nu incape in N 4,1"},
        StoreCase{"NumberFromText", "NR", FieldValue::ofText("24266"), "24266", nullptr},
        StoreCase{"NumberFromBadText", "NR", FieldValue::ofText("12a"), nullptr, "nu este un numar"},
        StoreCase{"EmptyTextStoresBlank", "NR", FieldValue::ofText(""), "     ", nullptr},
        StoreCase{"NullStoresBlank", "SUMA", FieldValue::null(), "          ", nullptr},
        StoreCase{"TextCutToWidth", "NUME", FieldValue::ofText("abcdefgh"), "abcde", nullptr},
        StoreCase{"TextPadded", "NUME", FieldValue::ofText("ab"), "ab   ", nullptr},
        StoreCase{"Windows1250Letters", "NUME", FieldValue::ofText("Ţară"), "\xDE" "ar\xE3 ", nullptr},
        StoreCase{"CommaBelowAsCedilla", "NUME", FieldValue::ofText("șȘțȚ"), "\xBA\xAA\xFE\xDE ", nullptr},
        StoreCase{"NoByteBecomesQuestionMark", "NUME", FieldValue::ofText("a中€"), "a?\x80  ", nullptr},
        StoreCase{"DateFromText", "DATA", FieldValue::ofText("05.03.2022"), "20220305", nullptr},
        StoreCase{"DateValue", "DATA", FieldValue::ofDate({1999, 12, 31}), "19991231", nullptr},
        StoreCase{"InvalidDateText", "DATA", FieldValue::ofText("31.02.2022"), nullptr, "Data invalida"},
        StoreCase{"NullDate", "DATA", FieldValue::null(), "        ", nullptr}),
    [](const auto& info) { return std::string(info.param.rule); });

TEST(DbfRecords, AppendUpdateDeleteAndReadInStoredOrder)
{
    dbftest::ScratchDir dir;
    const std::string path = dir.file("t.dbf");
    DbfTable table = DbfTable::create(path, sampleColumns());
    for (int i = 0; i < 4; ++i)
        table.append({FieldValue::ofNumber(i), FieldValue::ofNumber(i * 1.5), FieldValue::null(),
                      FieldValue::ofText("r" + std::to_string(i))});
    table.update(2, {{3, FieldValue::ofText("doi")}, {0, FieldValue::null()}});
    table.remove(1);
    EXPECT_TRUE(table.isDeleted(1));
    EXPECT_EQ(table.recordCount(), 4u);

    const TableData data = DbfTable::open(path).readAll();
    ASSERT_EQ(data.rowCount(), 3u);
    EXPECT_EQ(data.recordNumber(0), 0u);
    EXPECT_EQ(data.recordNumber(1), 2u);
    EXPECT_EQ(data.recordNumber(2), 3u);
    EXPECT_EQ(data.text(1, 3), "doi");
    EXPECT_TRUE(data.isNull(1, 0));
    EXPECT_TRUE(data.isNull(1, 2));
    EXPECT_EQ(data.number(1, 1), 3.0);
    EXPECT_EQ(data.value(2, 3), FieldValue::ofText("r3"));
    const std::vector<FieldValue> deleted = table.read(1);
    EXPECT_EQ(deleted[3], FieldValue::ofText("r1"));

    // python's reader sees the same live records.
    int status = 0;
    const std::string out = dbftest::runPython(
        dir, "import sys,dbfread\nprint([r['NUME'] for r in dbfread.DBF(sys.argv[1])])\n", path, &status);
    EXPECT_EQ(out, "['r0', 'doi', 'r3']\n");
}

TEST(DbfRecords, BatchIsAppliedWholeOnCommitAndNotAtAllOnRollback)
{
    dbftest::ScratchDir dir;
    const std::string path = dir.file("t.dbf");
    DbfTable table = DbfTable::create(path, sampleColumns());
    table.append({FieldValue::ofNumber(1)});
    const std::string before = dbftest::readFile(path);
    {
        DbfBatch batch(table);
        table.append({FieldValue::ofNumber(2)});
        table.update(0, {{0, FieldValue::ofNumber(10)}});
        table.remove(1);
        // Inside the batch the handle sees its own changes; the file does not.
        const TableData inside = table.readAll();
        ASSERT_EQ(inside.rowCount(), 1u);
        EXPECT_EQ(inside.number(0, 0), 10.0);
        EXPECT_EQ(dbftest::readFile(path), before);
    } // rolled back
    EXPECT_EQ(dbftest::readFile(path), before);
    EXPECT_EQ(table.recordCount(), 1u);

    table.beginBatch();
    table.beginBatch(); // nested: only the outer commit writes
    table.append({FieldValue::ofNumber(2)});
    table.commitBatch();
    EXPECT_EQ(dbftest::readFile(path), before);
    table.update(0, {{0, FieldValue::ofNumber(10)}});
    table.commitBatch();
    const TableData after = DbfTable::open(path).readAll();
    ASSERT_EQ(after.rowCount(), 2u);
    EXPECT_EQ(after.number(0, 0), 10.0);
    EXPECT_EQ(after.number(1, 0), 2.0);
    EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
}

TEST(DbfRecords, NewTableHeaderIsDbaseFourWithTheEastEuropeanDriver)
{
    dbftest::ScratchDir dir;
    const std::string path = dir.file("t.dbf");
    const std::time_t before = std::time(nullptr);
    DbfTable::create(path, sampleColumns()).append({FieldValue::ofNumber(7)});
    const std::string b = dbftest::readFile(path);
    const std::time_t after = std::time(nullptr);
    const int headerLength = 32 + 5 * 32 + 1;
    const int recordLength = 1 + 5 + 10 + 4 + 5 + 8;
    ASSERT_EQ(b.size(), static_cast<std::size_t>(headerLength + recordLength + 1));
    EXPECT_EQ(b[0], '\x03');
    EXPECT_EQ(static_cast<unsigned char>(b[29]), 0xC8);
    EXPECT_EQ(static_cast<unsigned char>(b[4]), 1);
    EXPECT_EQ(static_cast<unsigned char>(b[8]) | (static_cast<unsigned char>(b[9]) << 8), headerLength);
    EXPECT_EQ(static_cast<unsigned char>(b[10]) | (static_cast<unsigned char>(b[11]) << 8), recordLength);
    EXPECT_EQ(b[headerLength - 1], '\x0D');
    EXPECT_EQ(b.back(), '\x1A');
    EXPECT_EQ(b.substr(1, 3), dbftest::headerDateAt(dbftest::stampMoment(b, before, after)));
}

TEST(DbfRecords, CreateRefusesBadColumnsAndExistingFiles)
{
    dbftest::ScratchDir dir;
    const std::string path = dir.file("t.dbf");
    const std::vector<std::pair<std::vector<Column>, const char*>> bad = {
        {{{"NUMEPREALUNG1", 'C', 5, 0, 0}}, "intre 1 si 10"},
        {{{"A", 'C', 300, 0, 0}}, "intre 1 si 254"},
        {{{"A", 'N', 5, 4, 0}}, "zecimale"},
        {{{"A", 'X', 5, 0, 0}}, "tipul X"},
        {{{"A", 'C', 5, 0, 0}, {"a", 'N', 5, 0, 0}}, "apare de doua ori"},
    };
    for (const auto& [cols, message] : bad) {
        try {
            DbfTable::create(path, cols);
            ADD_FAILURE() << "accepted: " << message;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    DbfTable::create(path, sampleColumns());
    EXPECT_THROW(DbfTable::create(path, sampleColumns()), Error);
}

TEST(DbfRecords, NamesResolveCaseInsensitivelyForFileAndFolder)
{
    dbftest::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "Data");
    DbfTable::create(dir.file("Data/LOG.DBF"), sampleColumns()).append({FieldValue::ofNumber(3)});
    const std::vector<std::string> asked = {"Data/LOG.DBF", "Data/Log.dbf", "DATA/log.dbf", "data\\Log.Dbf"};
    for (const std::string& name : asked) {
        DbfTable t = DbfTable::open(dir.file(name));
#ifndef _WIN32 // Windows folders ignore case themselves: the name stays as asked
        EXPECT_EQ(t.path(), dir.file("Data/LOG.DBF")) << name;
#endif
        EXPECT_EQ(t.readAll().rowCount(), 1u) << name;
    }
    try {
        DbfTable::open(dir.file("Data/Missing.dbf"));
        FAIL() << "opened a missing table";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("Missing.dbf\" nu exista"), std::string::npos) << e.what();
    }
}

TEST(DbfRecords, IdentityChangesWhenAnotherHandleWrites)
{
    dbftest::ScratchDir dir;
    const std::string path = dir.file("t.dbf");
    DbfTable reader = DbfTable::create(path, sampleColumns());
    const TableData before = reader.readAll();
    EXPECT_EQ(before.identity(), reader.identity());
    DbfTable writer = DbfTable::open(path);
    writer.append({FieldValue::ofNumber(1)});
    EXPECT_NE(before.identity(), reader.identity());
    const FileIdentity afterAppend = reader.identity();
    writer.update(0, {{0, FieldValue::ofNumber(2)}}); // same size, same count
    EXPECT_NE(afterAppend, reader.identity());
    EXPECT_EQ(reader.readAll().number(0, 0), 2.0);
}

struct DateCase {
    const char* text;
    bool valid;
    long dayNumber;
};

TEST(DbfDates, DayNumbersAndTexts)
{
    const DateCase cases[] = {
        {"30.12.1899", true, 0},      {"01.01.1900", true, 2},       {"01.03.1900", true, 61},
        {"29.02.2000", true, 36585},  {"05.03.2022", true, 44625},   {"31.12.9999", true, 2958465},
        {"29.02.1900", false, 0},     {"31.04.2022", false, 0},      {"5.3.2022", false, 0},
        {"05-03-2022", false, 0},     {"aa.bb.cccc", false, 0},      {"", false, 0},
    };
    for (const DateCase& c : cases) {
        const Date d = Date::fromText(c.text);
        EXPECT_EQ(d.isValid(), c.valid) << c.text;
        if (!c.valid)
            continue;
        EXPECT_EQ(d.dayNumber(), c.dayNumber) << c.text;
        EXPECT_EQ(Date::fromDayNumber(c.dayNumber), d) << c.text;
        EXPECT_EQ(d.toText(), c.text);
    }
    EXPECT_EQ(Date::fromDayNumber(-1), (Date{1899, 12, 29}));
    EXPECT_EQ(Date{}.toText(), "");
}

} // namespace

namespace {

// Numeric fields as other programs leave them: blanks on either side, a
// leading "+", a bare point; anything else is garbage and reads as NULL.
TEST(DbfRecords, ReadingNumericFieldText)
{
    const std::vector<std::pair<const char*, std::optional<double>>> cases = {
        {"   12.50", 12.5},  {"-0.25   ", -0.25}, {"      +5", 5.0},     {"      1.", 1.0},
        {"      .5", 0.5},   {"00000042", 42.0},  {"        ", std::nullopt}, {"       -", std::nullopt},
        {"   1.2.3", std::nullopt}, {"   - 5  ", std::nullopt}, {"   --5  ", std::nullopt},
        {"  1e5   ", std::nullopt}, {"********", std::nullopt}, {"  12,50 ", std::nullopt},
    };
    dbftest::ScratchDir dir;
    const std::string path = dir.file("n.dbf");
    DbfTable::create(path, {{"V", 'N', 8, 2, 0}}).append({FieldValue::ofNumber(0)});
    std::string bytes = dbftest::readFile(path);
    const std::size_t field = 32 + 32 + 1 + 1;
    for (const auto& [text, expected] : cases) {
        bytes.replace(field, 8, text);
        dbftest::writeFile(path, bytes);
        const TableData data = DbfTable::open(path).readAll();
        EXPECT_EQ(data.number(0, 0), expected) << "\"" << text << "\"";
        EXPECT_EQ(data.isNull(0, 0), !expected.has_value()) << "\"" << text << "\"";
    }
}

} // namespace
