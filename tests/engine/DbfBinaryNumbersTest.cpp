// Binary number fields of other programs' tables: dBase 7 doubles ("O"),
// longs ("I") and autoincrement counters ("+") in their sortable big-endian
// form, the little-endian longs of FoxPro and of the program's own tables, and
// FoxPro doubles ("B") holding values no number column can show (NaN,
// infinities), read the same through the table reader and the SQL path:
// a value that is no finite number reads as NULL, never as an error in the
// middle of a statement.
#include "DbfTestSupport.h"

#include "engine/Database.h"
#include "engine/storage/DbfTable.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

using namespace engine;
using namespace engine::storage;

namespace {

struct Field {
    const char* name;
    char type;
    int width;
};

// A table file of the given version with these fields and records (each
// record's field bytes, without the deletion flag).
std::string tableBytes(int version, const std::vector<Field>& fields, const std::vector<std::string>& records)
{
    const bool v7 = (version & 0x07) == 0x04;
    const std::size_t start = v7 ? 68 : 32, descriptor = v7 ? 48 : 32;
    std::string h(start, '\0');
    h[0] = static_cast<char>(version);
    h[1] = 124; h[2] = 1; h[3] = 1;
    if (v7)
        std::memcpy(h.data() + 32, "DBWINUS0", 8);
    int recordLength = 1;
    for (const Field& f : fields) {
        std::string d(descriptor, '\0');
        std::memcpy(d.data(), f.name, std::strlen(f.name));
        d[v7 ? 32 : 11] = f.type;
        d[v7 ? 33 : 16] = static_cast<char>(f.width);
        h += d;
        recordLength += f.width;
    }
    h += '\x0D';
    const auto headerLength = static_cast<std::uint16_t>(h.size());
    const auto count = static_cast<std::uint32_t>(records.size());
    std::memcpy(h.data() + 4, &count, 4);
    std::memcpy(h.data() + 8, &headerLength, 2);
    const auto length = static_cast<std::uint16_t>(recordLength);
    std::memcpy(h.data() + 10, &length, 2);
    for (const std::string& r : records)
        h += ' ' + r;
    return h + '\x1A';
}

std::string bigEndian(std::uint64_t value, int bytes)
{
    std::string out(static_cast<std::size_t>(bytes), '\0');
    for (int i = bytes - 1; i >= 0; --i, value >>= 8)
        out[static_cast<std::size_t>(i)] = static_cast<char>(value & 0xFF);
    return out;
}

// dBase 7's sortable forms: the sign bit set for positive doubles, every bit
// inverted for negative ones (by the sign bit, so NaN too); counters with the sign bit flipped.
std::string dbase7Double(double v)
{
    const auto bits = std::bit_cast<std::uint64_t>(v);
    return bigEndian((bits >> 63) == 0 ? bits | 0x8000000000000000ULL : ~bits, 8);
}
std::string dbase7Counter(std::int32_t v) { return bigEndian(static_cast<std::uint32_t>(v) ^ 0x80000000u, 4); }

std::string littleLong(std::int32_t v)
{
    std::string out(4, '\0');
    for (std::size_t i = 0; i < 4; ++i)
        out[i] = static_cast<char>(static_cast<std::uint32_t>(v) >> (8 * i));
    return out;
}

std::string littleDouble(double v)
{
    std::string out(8, '\0');
    std::memcpy(out.data(), &v, 8);
    return out;
}

std::string shown(bool null, double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.10g", value);
    return null ? "NULL" : text;
}

// The column's values as the table reader and as SQL give them ("NULL" for none).
std::vector<std::string> readBothWays(const std::string& path, const std::string& column, int index)
{
    std::vector<std::string> values;
    const TableData data = DbfTable::open(path).readAll();
    for (std::size_t r = 0; r < data.rowCount(); ++r) {
        const std::optional<double> n = data.number(r, index);
        EXPECT_EQ(data.isNull(r, index), !n.has_value()) << column << " " << r;
        EXPECT_EQ(data.value(r, index).isNull(), !n.has_value()) << column << " " << r;
        values.push_back(shown(!n, n.value_or(0)));
    }
    Database db(std::filesystem::path(path).parent_path().string());
    auto rs = db.open("SELECT " + column + " FROM \"" + path + "\"");
    for (rs->first(); !rs->eof(); rs->next())
        values.push_back(shown(rs->isNull(column), rs->number(column)));
    return values;
}

} // namespace

TEST(DbfBinaryNumbers, Dbase7DoublesAndCountersInTheirSortableForm)
{
    dbftest::ScratchDir dir;
    const std::string path = dir.file("d7.dbf");
    dbftest::writeFile(path, tableBytes(0x04, {{"NUME", 'C', 4}, {"SUMA", 'O', 8}, {"ID", '+', 4}},
                                        {"Ana " + dbase7Double(2.5) + dbase7Counter(1),
                                         "Ion " + dbase7Double(-1234.25) + dbase7Counter(2),
                                         "Dan " + dbase7Double(0) + dbase7Counter(2147483647)}));
    const std::vector<std::string> sums = readBothWays(path, "SUMA", 1);
    EXPECT_EQ(sums, (std::vector<std::string>{"2.5", "-1234.25", "0", "2.5", "-1234.25", "0"}));
    const std::vector<std::string> ids = readBothWays(path, "ID", 2);
    EXPECT_EQ(ids, (std::vector<std::string>{"1", "2", "2147483647", "1", "2", "2147483647"}));
}

TEST(DbfBinaryNumbers, ValuesThatAreNoFiniteNumberReadAsNull)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        int version;
        char type;
        std::string (*encode)(double);
    } cases[] = {
        {"FoxPro double", 0x30, 'B', littleDouble},
        {"dBase 7 double", 0x04, 'O', dbase7Double},
    };
    for (const auto& c : cases) {
        dbftest::ScratchDir dir;
        const std::string path = dir.file("t.dbf");
        dbftest::writeFile(path, tableBytes(c.version, {{"V", c.type, 8}, {"N", 'N', 3}},
                                            {c.encode(nan) + "  1", c.encode(inf) + "  2", c.encode(-inf) + "  3",
                                             c.encode(7.25) + "  4"}));
        EXPECT_EQ(readBothWays(path, "V", 0),
                  (std::vector<std::string>{"NULL", "NULL", "NULL", "7.25", "NULL", "NULL", "NULL", "7.25"}))
            << c.name;
        // A statement that reads the column runs to its end.
        Database db(dir.file(""));
        auto rs = db.open("SELECT COUNT(*) AS K, SUM(V) AS S FROM \"" + path + "\"");
        rs->first();
        EXPECT_EQ(rs->integer("K"), 4) << c.name;
        EXPECT_DOUBLE_EQ(rs->number("S"), 7.25) << c.name;
    }
}

// A long ("I") is read in the byte order of the table's level and written back
// the same way; dBase 7's four zero bytes are an empty field.
TEST(DbfBinaryNumbers, LongsInTheByteOrderOfTheTableLevel)
{
    const struct {
        const char* name;
        int version;
        std::string (*encode)(std::int32_t);
        std::string emptyReads; // what four zero bytes read as
    } cases[] = {
        {"dBase 7", 0x04, dbase7Counter, "NULL"},
        {"dBase 7 with memo", 0x8C, dbase7Counter, "NULL"},
        {"FoxPro", 0x30, littleLong, "0"},
        {"dBase IV (the program's own)", 0x03, littleLong, "0"},
    };
    const std::int32_t values[] = {1, -5, 0, 2147483647, -2147483647, 70000};
    for (const auto& c : cases) {
        dbftest::ScratchDir dir;
        const std::string path = dir.file("t.dbf");
        std::vector<std::string> records;
        for (const std::int32_t v : values)
            records.push_back(c.encode(v));
        records.push_back(std::string(4, '\0'));
        dbftest::writeFile(path, tableBytes(c.version, {{"NR", 'I', 4}}, records));
        const std::vector<std::string> read{"1", "-5", "0", "2147483647", "-2147483647", "70000", c.emptyReads};
        std::vector<std::string> both = read;
        both.insert(both.end(), read.begin(), read.end());
        EXPECT_EQ(readBothWays(path, "NR", 0), both) << c.name;

        DbfTable table = DbfTable::open(path);
        for (const std::int32_t v : values)
            table.append({FieldValue::ofNumber(v)});
        table.append({FieldValue::null()});
        const TableData data = table.readAll();
        for (std::size_t i = 0; i < std::size(values); ++i)
            EXPECT_EQ(std::string(data.raw(std::size(values) + 1 + i, 0)), c.encode(values[i])) << c.name << " " << i;
        EXPECT_EQ(std::string(data.raw(2 * std::size(values) + 1, 0)), std::string(4, '\0')) << c.name;
    }
}
