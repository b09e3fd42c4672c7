// Tables written by other programs (python3-dbf, LibreOffice Calc; the
// fixtures come from data/make_fixtures.sh) and the other header flavours
// (dBase 7's 48-byte descriptors, the version bytes of dBase IV and FoxPro):
// read correctly, and records appended to them read back by dbfread.
#include "DbfTestSupport.h"

#include "engine/storage/DbfTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

using namespace engine;
using namespace engine::storage;

namespace {

std::string fixture(const char* name) { return std::string(HESTAVO_TEST_DATA) + "/" + name; }

using dbftest::columnsText;
using dbftest::rowText;

struct ForeignCase {
    const char* name;
    const char* file;
    int version;
    CodePage codePage;
    const char* columns;
    std::vector<std::string> rows;
};

void PrintTo(const ForeignCase& c, std::ostream* os) { *os << c.name; }

class ForeignFiles : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(ForeignFiles, ReadAsWrittenAndAcceptAppends)
{
    const ForeignCase& tc = GetParam();
    dbftest::ScratchDir dir;
    const std::string path = dir.file(tc.file);
    std::filesystem::copy_file(fixture(tc.file), path);

    DbfTable table = DbfTable::open(path);
    EXPECT_EQ(table.version(), tc.version);
    EXPECT_EQ(table.codePage(), tc.codePage);
    EXPECT_EQ(columnsText(table.columns()), tc.columns);
    const TableData data = table.readAll();
    ASSERT_EQ(data.rowCount(), tc.rows.size());
    for (std::size_t r = 0; r < tc.rows.size(); ++r)
        EXPECT_EQ(rowText(data, r), tc.rows[r]) << "row " << r;

    // An appended record, in the file's own flavour, reads back in dbfread.
    std::vector<FieldValue> values;
    for (const Column& c : table.columns()) {
        switch (c.type) {
        case 'C': values.push_back(FieldValue::ofText("Nou")); break;
        case 'D': values.push_back(FieldValue::ofDate({2023, 1, 2})); break;
        case 'L': values.push_back(FieldValue::ofLogical(true)); break;
        default: values.push_back(FieldValue::ofNumber(5)); break;
        }
    }
    table.append(values);
    const char* script = R"PY(
import sys, dbfread
t = dbfread.DBF(sys.argv[1], encoding=sys.argv[2])
last = list(t)[-1]
print(len(t), '|'.join(str(v) for v in last.values()))
)PY";
    int status = 0;
    const std::string out = dbftest::runPython(
        dir, script, path + (tc.codePage == CodePage::Windows1250 ? " cp1250" : " cp1252"), &status);
    ASSERT_EQ(status, 0) << out;
    std::string expected = std::to_string(tc.rows.size() + 1) + " ";
    for (std::size_t i = 0; i < table.columns().size(); ++i) {
        const Column& c = table.columns()[i];
        expected += i ? "|" : "";
        expected += c.type == 'C' ? "Nou" : c.type == 'D' ? "2023-01-02" : c.type == 'L' ? "True"
                  : (c.decimals > 0 || c.type == 'F') ? "5.0" : "5";
    }
    EXPECT_EQ(out, expected + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Dbf, ForeignFiles,
    ::testing::Values(
        ForeignCase{"PythonDbfDbase3", "pydbf_db3.dbf", 0x03, CodePage::Windows1250,
                    "NUME C 24,0@1;SUMA N 10,2@25;NR N 5,0@35;DATA D 8,0@40;ACTIV L 1,0@48;",
                    {"Şerban Ţăran|1234.5|17|05.03.2022|T", "Ana Pîrvu|-0.25|-|-|-"}},
        ForeignCase{"PythonDbfVisualFoxPro", "pydbf_vfp.dbf", 0x30, CodePage::Windows1252,
                    "NUME C 20,0@1;SUMA N 8,2@21;DATA D 8,0@29;ACTIV L 1,0@37;CNT I 4,0@38;RATA F 12,4@42;",
                    {"Zoë Müller|99.95|31.12.2021|T|-42|3.1415", "Bob|0|-|F|7|-"}},
        ForeignCase{"LibreOfficeCalc", "lo_calc.dbf", 0x03, CodePage::Windows1250,
                    "NUME C 30,0@1;SUMA N 10,2@31;DATA D 8,0@41;ACTIV L 1,0@49;NR N 6,0@50;",
                    {"Şerban Ţăran|1234.5|05.03.2022|T|17", "Ana|-0.25|-|F|0"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A dBase 7 file: 68-byte header with the language driver name, 48-byte
// field descriptors.
std::string dbase7File(const char* driverName)
{
    std::string h(68, '\0');
    h[0] = '\x04';
    h[1] = 122; h[2] = 3; h[3] = 5;
    std::strncpy(h.data() + 32, driverName, 31);
    auto field = [](const char* name, char type, int len, int dec) {
        std::string d(48, '\0');
        std::memcpy(d.data(), name, std::strlen(name));
        d[32] = type;
        d[33] = static_cast<char>(len);
        d[34] = static_cast<char>(dec);
        return d;
    };
    h += field("DENUMIRE_LUNGA", 'C', 10, 0);
    h += field("VALOARE", 'N', 6, 1);
    h += '\x0D';
    const int headerLength = static_cast<int>(h.size());
    h[4] = 2;
    h[8] = static_cast<char>(headerLength & 0xFF);
    h[9] = static_cast<char>(headerLength >> 8);
    h[10] = 17;
    h += std::string(" Mu\xE9ller   ") + "   2.5"; // 0xE9 is e acute in Windows-1252
    h += std::string("*Sters     ") + "   1.0";
    h += '\x1A';
    return h;
}

TEST(DbfFlavours, Dbase7DescriptorsAndLanguageDriverName)
{
    dbftest::ScratchDir dir;
    const std::string path = dir.file("d7.dbf");
    dbftest::writeFile(path, dbase7File("DBWINUS0"));
    DbfTable table = DbfTable::open(path);
    EXPECT_EQ(table.codePage(), CodePage::Windows1252);
    EXPECT_EQ(columnsText(table.columns()), "DENUMIRE_LUNGA C 10,0@1;VALOARE N 6,1@11;");
    const TableData data = table.readAll();
    ASSERT_EQ(data.rowCount(), 1u);
    EXPECT_EQ(rowText(data, 0), "Muéller|2.5");
}

// dBase IV with memo (0x8B, 0x83), FoxPro (0xF5, 0x31): the same fixture
// with another version byte reads the same.
TEST(DbfFlavours, VersionBytesOfTheDbaseAndFoxProFamilies)
{
    const int versions[] = {0x83, 0x8B, 0xF5, 0x31, 0x30};
    for (int v : versions) {
        dbftest::ScratchDir dir;
        const std::string path = dir.file("t.dbf");
        std::string bytes = dbftest::readFile(fixture("pydbf_db3.dbf"));
        bytes[0] = static_cast<char>(v);
        dbftest::writeFile(path, bytes);
        DbfTable table = DbfTable::open(path);
        const TableData data = table.readAll();
        ASSERT_EQ(data.rowCount(), 2u) << std::hex << v;
        EXPECT_EQ(rowText(data, 0), "Şerban Ţăran|1234.5|17|05.03.2022|T") << std::hex << v;
    }
}

TEST(DbfFlavours, MemoColumnsAreToleratedAndReadAsNull)
{
    dbftest::ScratchDir dir;
    const std::string path = dir.file("memo.dbf");
    std::string bytes = dbftest::readFile(fixture("pydbf_db3.dbf"));
    // Turn the 10-byte-or-wider text column NUME into a memo column of the
    // same width; the memo file is absent and never read.
    bytes[32 + 11] = 'M';
    bytes[0] = '\x83';
    dbftest::writeFile(path, bytes);
    DbfTable table = DbfTable::open(path);
    EXPECT_EQ(table.columns()[0].columnType(), ColumnType::Memo);
    const TableData data = table.readAll();
    EXPECT_TRUE(data.isNull(0, 0));
    EXPECT_EQ(data.number(0, 1), 1234.5);
}

} // namespace
