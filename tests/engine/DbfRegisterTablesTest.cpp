// Tables created with the register's column lists, read back by independent
// readers (python dbfread, LibreOffice) and by the storage layer itself.
#include "DbfTestSupport.h"

#include "engine/storage/CodePage.h"
#include "engine/storage/DbfTable.h"

#include <gtest/gtest.h>

#include <charconv>
#include <sstream>
#include <vector>

using namespace engine;
using namespace engine::storage;

namespace {

Column C(const char* name, int width) { return {name, 'C', width, 0, 0}; }
Column N(const char* name, int width, int decimals) { return {name, 'N', width, decimals, 0}; }
Column D(const char* name) { return {name, 'D', 8, 0, 0}; }

std::vector<Column> cereriColumns()
{
    return {N("NRCRT", 12, 0), N("LUNADEC", 10, 0), N("LUNACRT", 10, 0), C("TITULAR", 32), C("CNP", 13),
            C("LOCALIT", 60), C("ADRESA", 60), N("NR_MEMBRI", 5, 0), N("TVENIT", 10, 2), N("VENITM", 10, 2),
            C("L416", 1), C("ASF", 1), C("CUAJUT", 1), N("SUMAL", 10, 2), C("TITG", 32), C("CNPG", 13),
            C("FURNG", 60), C("CODCLG", 40), C("PODG", 40), N("SUMAG", 10, 2), C("TITE", 32), C("CNPE", 13),
            C("FURNE", 60), C("CODCLE", 40), C("PODE", 40), N("SUMAE", 10, 2), C("TITT", 32), C("CNPT", 13),
            C("FURNT", 60), C("CODCLT", 40), N("SUMAT", 10, 2), N("CUANTUM", 10, 2), N("NR_LUNI", 5, 0),
            N("TOTAL", 10, 2), C("NR_DISP", 16), N("NR_CERE", 10, 0), N("NR_REF", 10, 0), D("DATACERE"),
            D("DATADISP"), C("STATUT", 10), C("CUMODIF", 1), C("MOTIVR", 80), C("STCIV", 2), C("SITSCOL", 2),
            N("NRCAM", 6, 0), C("ASIG", 1), N("COPII14", 6, 0), N("COPII18", 6, 0), C("SITPROF", 24),
            C("MODPLATA", 8)};
}

std::vector<Column> oameniColumns()
{
    return {N("NROM", 10, 0), N("NRCRT", 12, 0), C("TITULAR", 32), C("CNP", 13), N("VENIT", 10, 2),
            C("CALITATE", 12)};
}

std::vector<Column> logColumns()
{
    return {N("IDLOG", 10, 0), D("DATAL"), C("ORA", 12), C("ACTIUNE", 120), C("UTILIZATOR", 16)};
}

// The first n code points of a UTF-8 text.
std::string firstCodePoints(const std::string& s, int n)
{
    std::size_t i = 0;
    while (i < s.size() && n > 0) {
        const auto b = static_cast<unsigned char>(s[i]);
        i += b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        --n;
    }
    return s.substr(0, i);
}

std::string rtrim(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// Row r of a table: text with Romanian letters (cut by the width), numbers
// with a half to round, dates; row 2 is all blank.
struct Cell {
    FieldValue value;
    std::string python; // how dbfread shows the stored value
};

Cell cellFor(const Column& c, int r)
{
    if (r == 2)
        return {FieldValue::null(), c.type == 'C' ? "" : "None"};
    if (c.type == 'C') {
        const std::string text = (r == 0 ? "Şerban Ţăranu-Îonescu ăâîşţ " : "Popa Ion ") + c.name + " " + std::to_string(r);
        return {FieldValue::ofText(text), rtrim(firstCodePoints(text, c.width))};
    }
    if (c.type == 'D')
        return r == 0 ? Cell{FieldValue::ofDate({2022, 3, 5}), "2022-03-05"} : Cell{FieldValue::ofDate({1999, 12, 31}), "1999-12-31"};
    const int sign = r == 0 ? 1 : -1;
    if (c.decimals == 0)
        return {FieldValue::ofNumber(sign * (123 + r)), std::to_string(sign * (123 + r))};
    // 12.345 is stored as 12.35: half away from zero, taken as written.
    return {FieldValue::ofNumber(sign * (12.345 + r)), r == 0 ? "12.35" : "-13.35"};
}

const char* kDbfreadScript = R"PY(
import sys, dbfread
t = dbfread.DBF(sys.argv[1], encoding='cp1250', char_decode_errors='strict')
print('V', t.header.dbversion, t.header.language_driver, t.header.numrecords)
for f in t.fields:
    print('F', f.name, f.type, f.length, f.decimal_count)
for rec in t:
    out = []
    for v in rec.values():
        out.append('None' if v is None else (v.isoformat() if hasattr(v, 'isoformat') else str(v)))
    print('R|' + '|'.join(out))
)PY";

struct TableCase {
    const char* name;
    const char* file;
    std::vector<Column> (*columns)();
};

void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }

class RegisterTables : public ::testing::TestWithParam<TableCase> {};

TEST_P(RegisterTables, ReadBackIdenticallyByDbfreadAndByTheEngine)
{
    dbftest::ScratchDir dir;
    const TableCase& tc = GetParam();
    const std::string path = dir.file(tc.file);
    const std::vector<Column> cols = tc.columns();
    DbfTable table = DbfTable::create(path, cols);
    std::vector<std::vector<Cell>> rows;
    for (int r = 0; r < 3; ++r) {
        std::vector<Cell> row;
        std::vector<FieldValue> values;
        for (const Column& c : cols) {
            row.push_back(cellFor(c, r));
            values.push_back(row.back().value);
        }
        EXPECT_EQ(table.append(values), static_cast<std::uint32_t>(r));
        rows.push_back(row);
    }

    int status = 0;
    const std::string out = dbftest::runPython(dir, kDbfreadScript, path, &status);
    ASSERT_EQ(status, 0) << out;
    std::ostringstream expected;
    expected << "V 3 200 3\n";
    for (const Column& c : cols)
        expected << "F " << c.name << " " << c.type << " " << c.width << " " << c.decimals << "\n";
    for (const auto& row : rows) {
        expected << "R";
        for (const Cell& cell : row)
            expected << "|" << cell.python;
        expected << "\n";
    }
    EXPECT_EQ(out, expected.str());

    // The engine reads the same: columns as created, values as written.
    DbfTable again = DbfTable::open(path);
    ASSERT_EQ(again.columns().size(), cols.size());
    for (std::size_t i = 0; i < cols.size(); ++i) {
        EXPECT_EQ(again.columns()[i].name, cols[i].name);
        EXPECT_EQ(again.columns()[i].type, cols[i].type);
        EXPECT_EQ(again.columns()[i].width, cols[i].width);
        EXPECT_EQ(again.columns()[i].decimals, cols[i].decimals);
    }
    const TableData data = again.readAll();
    ASSERT_EQ(data.rowCount(), 3u);
    for (std::size_t r = 0; r < 3; ++r) {
        for (std::size_t i = 0; i < cols.size(); ++i) {
            const Cell& cell = rows[r][i];
            const int col = static_cast<int>(i);
            if (cell.python == "None" || (cols[i].type == 'C' && cell.python.empty())) {
                EXPECT_TRUE(data.isNull(r, col)) << cols[i].name;
            } else if (cols[i].type == 'C') {
                EXPECT_EQ(data.text(r, col), cell.python) << cols[i].name;
            } else if (cols[i].type == 'D') {
                EXPECT_EQ(data.date(r, col), cell.value.date) << cols[i].name;
            } else {
                double expectedNumber = 0;
                std::from_chars(cell.python.data(), cell.python.data() + cell.python.size(), expectedNumber);
                EXPECT_EQ(data.number(r, col), expectedNumber) << cols[i].name;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Dbf, RegisterTables,
                         ::testing::Values(TableCase{"Cereri", "Cereri.dbf", cereriColumns},
                                           TableCase{"Oameni", "Oameni.dbf", oameniColumns},
                                           TableCase{"Log", "LOG.DBF", logColumns}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DbfLibreOffice, ConvertsACreatedTableToCsvWithTheStoredValues)
{
    if (dbftest::runCommand("command -v soffice").empty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    // Calc reads dBase files through the dBase driver of libreoffice-base-drivers.
    if (dbftest::runCommand("ls /usr/lib/libreoffice/program/libdbaselo.so 2>/dev/null").empty())
        GTEST_SKIP() << "LibreOffice's dBase driver (package libreoffice-base-drivers) is not installed";
    dbftest::ScratchDir dir;
    const std::string path = dir.file("Oameni.dbf");
    DbfTable table = DbfTable::create(path, oameniColumns());
    table.append({FieldValue::ofNumber(1), FieldValue::ofNumber(2024), FieldValue::ofText("Ţepeş Ştefan-Ăăîâ"),
                  FieldValue::ofText("1850101123456"), FieldValue::ofNumber(1234.5), FieldValue::ofText("beneficiar")});
    table.append({FieldValue::ofNumber(2), FieldValue::ofNumber(2024), FieldValue::ofText("Popa Ana"),
                  FieldValue::null(), FieldValue::ofNumber(-0.125), FieldValue::ofText("copil")});
    const std::string profile = "file://" + dir.file("lo-profile");
    // Calc's import ignores the language driver byte and assumes code page 850
    // unless told; 33 is LibreOffice's number for Windows-1250.
    int status = 0;
    const std::string log = dbftest::runCommand(
        "cd " + dir.path().string() + " && soffice -env:UserInstallation=" + profile
            + " --headless --infilter=dBase:33 --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' --outdir "
            + dir.path().string() + " " + path + " 2>&1",
        &status);
    ASSERT_EQ(status, 0) << log;
    const std::string csv = dbftest::readFile(dir.file("Oameni.csv"));
    // Calc puts each column's type and width in the heading row.
    EXPECT_EQ(csv, "\"NROM,N,10,0\",\"NRCRT,N,12,0\",\"TITULAR,C,32\",\"CNP,C,13\",\"VENIT,N,10,2\",\"CALITATE,C,12\"\n"
                   "1,2024,\"Ţepeş Ştefan-Ăăîâ\",\"1850101123456\",1234.50,\"beneficiar\"\n"
                   "2,2024,\"Popa Ana\",,-0.13,\"copil\"\n")
        << log;
}

} // namespace
