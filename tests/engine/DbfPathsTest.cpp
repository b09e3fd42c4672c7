// Table files in folders named with Romanian letters and in paths longer
// than the old 260-character limit of Windows: created, written, replaced
// (pack, restructure), rolled back after a crash and opened by another
// process given the path on its command line. Paths are UTF-8 throughout.
#include "ChildProcess.h"
#include "DbfTestSupport.h"

#include "engine/storage/DbfTable.h"

#include <gtest/gtest.h>

using namespace engine;
using namespace engine::storage;

namespace {

// args: table, text. Appends one record with that text.
int appendText(const dbftest::ChildArgs& args)
{
    DbfTable::open(args.at(0)).append({FieldValue::ofNumber(7), FieldValue::ofText(args.at(1))});
    return 0;
}

const dbftest::ChildRole kRole{"append-text", appendText};

struct PathCase {
    const char* name;
    std::vector<std::string> folders; // below a fresh scratch folder
    const char* table;
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }

class DbfPaths : public ::testing::TestWithParam<PathCase> {};

TEST_P(DbfPaths, TableLivesThroughEveryOperation)
{
    const PathCase& tc = GetParam();
    dbftest::ScratchDir dir("hv-dbf-ăîșțâ-");
    std::filesystem::path folder = dir.path();
    for (const std::string& f : tc.folders)
        folder /= std::filesystem::u8path(f);
    std::filesystem::create_directories(folder);
    const auto pathText = (folder / std::filesystem::u8path(tc.table)).u8string();
    const std::string path(pathText.begin(), pathText.end());

    {
        DbfTable t = DbfTable::create(path, {{"NR", 'N', 6, 0, 0}, {"NUME", 'C', 20, 0, 0}, {"OBS", 'C', 10, 0, 0}});
        for (int i = 1; i <= 3; ++i)
            t.append({FieldValue::ofNumber(i), FieldValue::ofText("r" + std::to_string(i))});
        t.remove(0);
        t.pack();
        t.changeColumnWidth("NUME", 24);
        t.beginBatch();
        t.append({FieldValue::ofNumber(9)});
        t.rollbackBatch();
    }
    dbftest::ChildProcess other("append-text", {path, "din alt proces"});
    EXPECT_EQ(other.wait(), 0);
    // A commit cut short by a crash (the role of the crash-recovery tests)
    // leaves its journal beside the table; the next reader rolls it back.
    dbftest::ChildProcess crashing("commit-until-killed", {path, "table-partly-written", "", "mixed"});
    ASSERT_TRUE(crashing.heard());
    crashing.kill();
    crashing.wait();
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(path + "-journal")));

    const TableData data = DbfTable::open(path).readAll();
    ASSERT_EQ(data.rowCount(), 3u);
    EXPECT_EQ(data.text(0, 1), "r2");
    EXPECT_EQ(data.text(2, 1), "din alt proces");
    EXPECT_EQ(DbfTable::open(path).columns()[1].width, 24);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(path)));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(path + "-journal")));
    // Found again whatever the case of its letters.
    std::string upper = path;
    upper.replace(upper.size() - std::string(tc.table).size(), std::string::npos, "CERERI.DBF");
    EXPECT_EQ(DbfTable::open(upper).readAll().rowCount(), 3u);
    // Created anew over the old file.
    EXPECT_EQ(DbfTable::create(path, {{"NR", 'N', 6, 0, 0}}, true).readAll().rowCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Dbf, DbfPaths,
    ::testing::Values(PathCase{"RomanianLetters", {"Primăria Târgu Jiu", "Ședința și Țara"}, "Cereri.dbf"},
                      PathCase{"LongerThan260", {std::string(90, 'a'), std::string(90, 'b'), std::string(90, 'c')},
                               "Cereri.dbf"},
                      PathCase{"LongWithRomanianLetters",
                               {"Asistență socială " + std::string(80, 'x'), "Încălzire " + std::string(80, 'y'),
                                "Ajutoare " + std::string(80, 'z')},
                               "cereri.dbf"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
