// Tables of other programs with more columns than the register's: every
// column of a 300-column table is read through the SQL path with its own
// type, the last ones included.
#include "DbfTestSupport.h"

#include "engine/Database.h"
#include "engine/storage/DbfTable.h"

#include <gtest/gtest.h>

using namespace engine;
using namespace engine::storage;

TEST(SqlWideTables, EveryColumnOfA300ColumnTableKeepsItsType)
{
    dbftest::ScratchDir dir;
    const std::string path = dir.file("wide.dbf");
    constexpr int kColumns = 300;
    std::vector<Column> columns;
    std::vector<FieldValue> row;
    for (int i = 1; i <= kColumns; ++i) {
        // Text columns first, numbers and dates in the columns past 256.
        const char type = i <= 256 ? 'C' : (i % 2 ? 'N' : 'D');
        columns.push_back({"C" + std::to_string(i), type, type == 'C' ? 3 : (type == 'N' ? 6 : 8), type == 'N' ? 1 : 0, 0});
        row.push_back(type == 'C' ? FieldValue::ofText("t" + std::to_string(i % 100))
                                  : type == 'N' ? FieldValue::ofNumber(i + 0.5) : FieldValue::ofDate({2024, 1, 1 + i % 28}));
    }
    {
        DbfTable table = DbfTable::create(path, columns);
        table.append(row);
    }
    Database db(dir.file(""));
    auto rs = db.open("SELECT * FROM \"" + path + "\"");
    ASSERT_EQ(rs->columnNames().size(), static_cast<std::size_t>(kColumns));
    rs->first();
    ASSERT_FALSE(rs->eof());
    EXPECT_EQ(rs->text("C1"), "t1");
    EXPECT_EQ(rs->text("C256"), "t56");
    EXPECT_DOUBLE_EQ(rs->number("C257"), 257.5);
    EXPECT_DOUBLE_EQ(rs->number("C299"), 299.5);
    ASSERT_TRUE(rs->date("C300").has_value());
    EXPECT_EQ(rs->date("C300")->toText(), "21.01.2024");
    // A lookup on a column past 256 goes through the index of that column.
    auto found = db.open("SELECT C1 FROM \"" + path + "\" WHERE C299 = 299.5");
    found->first();
    ASSERT_FALSE(found->eof());
    EXPECT_EQ(found->text("C1"), "t1");
}
