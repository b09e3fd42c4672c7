// Packing and restructuring keep every row: widen, narrow, same width, add
// and drop columns, pack. Each result is also read by python's dbfread.
#include "DbfTestSupport.h"

#include "engine/storage/DbfTable.h"

#include <gtest/gtest.h>

#include <functional>

using namespace engine;
using namespace engine::storage;
using dbftest::columnsText;
using dbftest::rowText;

namespace {

// Four records: a full one, a deleted one, one with a long name and a
// negative sum, one all blank.
std::string makeTable(const dbftest::ScratchDir& dir)
{
    const std::string path = dir.file("Cereri.dbf");
    DbfTable t = DbfTable::create(path, {{"NUME", 'C', 10, 0, 0}, {"SUMA", 'N', 8, 2, 0},
                                         {"DATA", 'D', 8, 0, 0}, {"COD", 'C', 3, 0, 0}});
    t.append({FieldValue::ofText("Ana Pîrvu"), FieldValue::ofNumber(1234.5), FieldValue::ofDate({2022, 3, 5}),
              FieldValue::ofText("073")});
    t.append({FieldValue::ofText("Sters"), FieldValue::ofNumber(1), FieldValue::ofDate({2000, 1, 1}),
              FieldValue::ofText("074")});
    t.append({FieldValue::ofText("Ionescu Ştefan"), FieldValue::ofNumber(-0.25), FieldValue::null(),
              FieldValue::ofText("074")});
    t.append({});
    t.remove(1);
    return path;
}

const char* kOriginal = "NUME C 10,0@1;SUMA N 8,2@11;DATA D 8,0@19;COD C 3,0@27;";

struct RestructureCase {
    const char* name;
    std::function<void(DbfTable&)> change;
    const char* columns;             // columns after the change
    std::uint32_t records;           // records in the file, deleted included
    std::vector<std::string> rows;   // live rows after the change
    const char* error;               // refused: part of the message, file unchanged
};

void PrintTo(const RestructureCase& c, std::ostream* os) { *os << c.name; }

class Restructure : public ::testing::TestWithParam<RestructureCase> {};

TEST_P(Restructure, KeepsEveryRow)
{
    const RestructureCase& tc = GetParam();
    dbftest::ScratchDir dir;
    const std::string path = makeTable(dir);
    const std::string before = dbftest::readFile(path);
    DbfTable table = DbfTable::open(path);
    if (tc.error) {
        try {
            tc.change(table);
            FAIL() << "change accepted";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(tc.error), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
        EXPECT_EQ(dbftest::readFile(path), before);
        EXPECT_FALSE(std::filesystem::exists(path + "-new"));
        return;
    }
    const auto modifiedBefore = std::filesystem::last_write_time(path);
    tc.change(table);
    EXPECT_FALSE(std::filesystem::exists(path + "-new"));

    // The handle that changed the table and a fresh one read the same.
    EXPECT_EQ(columnsText(table.columns()), tc.columns);
    EXPECT_EQ(table.recordCount(), tc.records);
    DbfTable fresh = DbfTable::open(path);
    EXPECT_EQ(columnsText(fresh.columns()), tc.columns);
    EXPECT_EQ(fresh.recordCount(), tc.records);
    const TableData data = fresh.readAll();
    std::vector<std::string> rows;
    for (std::size_t r = 0; r < data.rowCount(); ++r)
        rows.push_back(rowText(data, r));
    EXPECT_EQ(rows, tc.rows);
    if (std::string(tc.columns) == kOriginal && tc.records == 4) { // nothing to change
        EXPECT_EQ(dbftest::readFile(path), before);
        EXPECT_EQ(std::filesystem::last_write_time(path), modifiedBefore);
    }
    // The table goes on accepting records after the change.
    table.append({FieldValue::ofText("X")});
    EXPECT_EQ(DbfTable::open(path).readAll().rowCount(), tc.rows.size() + 1);

    int status = 0;
    const std::string out = dbftest::runPython(
        dir, "import sys,dbfread\nt=dbfread.DBF(sys.argv[1],encoding='cp1250')\nprint(len(t), [f.name for f in t.fields])\n",
        path, &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out.substr(0, out.find(' ')), std::to_string(tc.rows.size() + 1)) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Dbf, Restructure,
    ::testing::Values(
        RestructureCase{"WidenText", [](DbfTable& t) { t.changeColumnWidth("nume", 20); },
                        "NUME C 20,0@1;SUMA N 8,2@21;DATA D 8,0@29;COD C 3,0@37;", 4,
                        {"Ana Pîrvu|1234.5|05.03.2022|073", "Ionescu Şt|-0.25|-|074", "-|-|-|-"}, nullptr},
        RestructureCase{"NarrowTextCuts", [](DbfTable& t) { t.changeColumnWidth("NUME", 4); },
                        "NUME C 4,0@1;SUMA N 8,2@5;DATA D 8,0@13;COD C 3,0@21;", 4,
                        {"Ana|1234.5|05.03.2022|073", "Ione|-0.25|-|074", "-|-|-|-"}, nullptr},
        RestructureCase{"WidenNumber", [](DbfTable& t) { t.changeColumnWidth("SUMA", 12); },
                        "NUME C 10,0@1;SUMA N 12,2@11;DATA D 8,0@23;COD C 3,0@31;", 4,
                        {"Ana Pîrvu|1234.5|05.03.2022|073", "Ionescu Şt|-0.25|-|074", "-|-|-|-"}, nullptr},
        RestructureCase{"NarrowNumberThatFits", [](DbfTable& t) { t.changeColumnWidth("SUMA", 7); },
                        "NUME C 10,0@1;SUMA N 7,2@11;DATA D 8,0@18;COD C 3,0@26;", 4,
                        {"Ana Pîrvu|1234.5|05.03.2022|073", "Ionescu Şt|-0.25|-|074", "-|-|-|-"}, nullptr},
        RestructureCase{"NarrowNumberThatDoesNotFit", [](DbfTable& t) { t.changeColumnWidth("SUMA", 5); },
                        "", 0, {}, "Valoarea 1234.50 din inregistrarea 1 nu incape in latimea 5"},
        RestructureCase{"SameWidth", [](DbfTable& t) { t.changeColumnWidth("NUME", 10); }, kOriginal, 4,
                        {"Ana Pîrvu|1234.5|05.03.2022|073", "Ionescu Şt|-0.25|-|074", "-|-|-|-"}, nullptr},
        RestructureCase{"DateWidthIsFixed", [](DbfTable& t) { t.changeColumnWidth("DATA", 10); }, "", 0, {},
                        "nu poate fi schimbata"},
        RestructureCase{"UnknownColumn", [](DbfTable& t) { t.changeColumnWidth("NRCRT", 10); }, "", 0, {},
                        "Coloana \"NRCRT\" nu exista"},
        RestructureCase{"AddColumns",
                        [](DbfTable& t) { t.addColumns({{"TITG", 'C', 32, 0, 0}, {"NR_REF", 'N', 10, 0, 0}}); },
                        "NUME C 10,0@1;SUMA N 8,2@11;DATA D 8,0@19;COD C 3,0@27;TITG C 32,0@30;NR_REF N 10,0@62;", 4,
                        {"Ana Pîrvu|1234.5|05.03.2022|073|-|-", "Ionescu Şt|-0.25|-|074|-|-", "-|-|-|-|-|-"}, nullptr},
        RestructureCase{"AddExistingColumn", [](DbfTable& t) { t.addColumns({{"cod", 'C', 3, 0, 0}}); }, "", 0, {},
                        "exista deja"},
        RestructureCase{"DropColumn", [](DbfTable& t) { t.dropColumn("SUMA"); },
                        "NUME C 10,0@1;DATA D 8,0@11;COD C 3,0@19;", 4,
                        {"Ana Pîrvu|05.03.2022|073", "Ionescu Şt|-|074", "-|-|-"}, nullptr},
        RestructureCase{"Pack", [](DbfTable& t) { t.pack(); }, kOriginal, 3,
                        {"Ana Pîrvu|1234.5|05.03.2022|073", "Ionescu Şt|-0.25|-|074", "-|-|-|-"}, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DbfRestructure, KeepsTheFoxProFlavourAndItsBacklinkArea)
{
    dbftest::ScratchDir dir;
    const std::string path = dir.file("vfp.dbf");
    std::filesystem::copy_file(std::string(HESTAVO_TEST_DATA) + "/pydbf_vfp.dbf", path);
    DbfTable t = DbfTable::open(path);
    t.changeColumnWidth("NUME", 30);
    t.addColumns({{"EXTRA", 'C', 5, 0, 0}});
    const std::string b = dbftest::readFile(path);
    EXPECT_EQ(b[0], '\x30');
    EXPECT_EQ(b[29], '\x03');
    const int headerLength = static_cast<unsigned char>(b[8]) | (static_cast<unsigned char>(b[9]) << 8);
    EXPECT_EQ(headerLength, 32 + 7 * 32 + 1 + 263);
    EXPECT_EQ(b.substr(32 + 7 * 32, 264), std::string(1, '\x0D') + std::string(263, '\0'));
    const TableData data = DbfTable::open(path).readAll();
    ASSERT_EQ(data.rowCount(), 2u);
    EXPECT_EQ(rowText(data, 0), "Zoë Müller|99.95|31.12.2021|T|-42|3.1415|-");
}

} // namespace
