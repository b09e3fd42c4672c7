// The treasury payment file, byte for byte: Visual FoxPro header (0x30, code
// page mark 0x03, 584 bytes with the 263-byte backlink area), nine fields at
// fixed offsets, records of 117 bytes.
#include "DbfTestSupport.h"

#include "engine/storage/DbfTable.h"
#include "engine/storage/PaymentFile.h"

#include <gtest/gtest.h>

#include <ctime>

using namespace engine;
using namespace engine::storage;

namespace {

struct Field {
    const char* name;
    char type;
    int offset;
    int length;
    int decimals;
};

// The loader's layout, as the treasury documents it.
const Field kLayout[] = {
    {"CODJUD", 'C', 1, 2, 0},     {"CODFISC", 'C', 3, 10, 0},  {"CNP", 'C', 13, 13, 0},
    {"CODAJUT", 'C', 26, 3, 0},   {"NUMEPREN", 'C', 29, 60, 0}, {"NRPERS", 'N', 89, 2, 0},
    {"SUMA", 'N', 91, 10, 2},     {"DTPLATCRT", 'D', 101, 8, 0}, {"DATA_PREL", 'D', 109, 8, 0},
};

std::string le32(unsigned v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
            static_cast<char>(v >> 24)};
}

// The header as written at `when` (its date bytes are that day's).
std::string expectedHeader(unsigned count, std::time_t when)
{
    std::string h;
    h += '\x30';
    h += dbftest::headerDateAt(when);
    h += le32(count);
    h += std::string("\x48\x02", 2); // 584
    h += std::string("\x75\x00", 2); // 117
    h += std::string(17, '\0');
    h += '\x03';
    h += std::string(2, '\0');
    for (const Field& f : kLayout) {
        std::string d(32, '\0');
        d.replace(0, std::string(f.name).size(), f.name);
        d[11] = f.type;
        d.replace(12, 4, le32(static_cast<unsigned>(f.offset)));
        d[16] = static_cast<char>(f.length);
        d[17] = static_cast<char>(f.decimals);
        h += d;
    }
    h += '\x0D';
    h += std::string(263, '\0');
    return h;
}

TEST(DbfPaymentFile, EmptyFileAndAppendedRecordsByteForByte)
{
    dbftest::ScratchDir dir;
    const std::string path = dir.file("011234567890_05-03-2022.dbf");
    std::time_t before = std::time(nullptr);
    createPaymentFile(path);
    const std::string empty = dbftest::readFile(path);
    ASSERT_EQ(expectedHeader(0, before).size(), 584u);
    EXPECT_EQ(empty, expectedHeader(0, dbftest::stampMoment(empty, before, std::time(nullptr))) + "\x1A");

    const Date payday{2022, 3, 5};
    before = std::time(nullptr);
    appendPayments(path, {
        {"1", "1234567890", "1850101123456", "073", "POPESCU ION", 3, 1234.5, payday, payday},
        {"01", "1234567890", "2900202223344", "074", "Şerban Ana-Măria Țînțaș Ștefănescu Łü", 12, 100.005, payday, payday},
        {"01", "1234567890", "1700303334455", "073", std::string(70, 'X'), 1, 0, payday, payday},
    });
    std::string records;
    records += " 1 1234567890" "1850101123456" "073" "POPESCU ION" + std::string(49, ' ') + " 3" "   1234.50" "20220305" "20220305";
    // Romanian letters are stored as their base letters (Windows-1252 lacks most of them);
    // other letters as the code page holds them, or "?".
    records += " 011234567890" "2900202223344" "074" "Serban Ana-Maria Tintas Stefanescu ?\xFC" + std::string(23, ' ') + "12" "    100.01" "20220305" "20220305";
    records += " 011234567890" "1700303334455" "073" + std::string(60, 'X') + " 1" "      0.00" "20220305" "20220305";
    const std::string actual = dbftest::readFile(path);
    const std::string expected =
        expectedHeader(3, dbftest::stampMoment(actual, before, std::time(nullptr))) + records + "\x1A";
    ASSERT_EQ(actual.size(), 584u + 3 * 117 + 1);
    EXPECT_EQ(actual, expected);

    // A number that does not fit NRPERS is refused, naming file and column.
    try {
        appendPayments(path, {{"01", "1", "1", "073", "X", 100, 1, payday, payday}});
        FAIL() << "stored 100 in N 2";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("coloana NRPERS a tabelei \"" + path + "\""), std::string::npos) << e.what();
    }
    EXPECT_EQ(dbftest::readFile(path), expected);

    int status = 0;
    const std::string out = dbftest::runPython(
        dir,
        "import sys,dbfread\nt=dbfread.DBF(sys.argv[1])\n"
        "print(hex(t.header.dbversion), t.header.headerlen, t.header.recordlen, [f.name for f in t.fields])\n"
        "for r in t: print(r['CODJUD'], r['NRPERS'], r['SUMA'], r['DATA_PREL'])\n",
        path, &status);
    EXPECT_EQ(out, "0x30 584 117 ['CODJUD', 'CODFISC', 'CNP', 'CODAJUT', 'NUMEPREN', 'NRPERS', 'SUMA', 'DTPLATCRT', 'DATA_PREL']\n"
                   "1 3 1234.5 2022-03-05\n01 12 100.01 2022-03-05\n01 1 0.0 2022-03-05\n");
}

} // namespace
