// The rules by which statements of the old engine's dialect behave, each as
// rows of SQL in and rows out on the small register of sql_Fixture.h.
#include "SqlFixture.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

struct RuleCase {
    const char* name;                  // rule number and what the row exercises
    std::vector<std::string> before;   // statements executed first
    std::string query;
    std::vector<std::string> expected; // rows, fields joined with "|"
};

const std::vector<RuleCase>& ruleCases()
{
    static const std::vector<RuleCase> cases = {
        {"1 quoted token after FROM is a path, in the select list a literal", {},
         R"(SELECT "ABC" AS T, TITULAR FROM "{C}" WHERE NRCRT=1)", {"ABC|POP ION"}},
        {"1 quoted paths in a comma-separated FROM list", {},
         R"(SELECT A.TITULAR, B.NR_CERE FROM "{O}" A, "{C}" B WHERE A.NRCRT=B.NRCRT AND B.LUNACRT=24266 ORDER BY A.NROM)",
         {"POP ION|10", "POP ANA|10", "ANA MARIA|11", "ANA ION|11"}},
        {"2 empty literal equals a blank field", {},
         R"(SELECT TITULAR FROM "{C}" WHERE NR_DISP="")", {"POP ION"}},
        {"2 <> empty literal matches the filled fields", {},
         R"(SELECT TITULAR FROM "{C}" WHERE NR_DISP<>"" ORDER BY NRCRT)", {"ANA MARIA", "ZAHARIA DAN", "BALAN VASILE"}},
        {"2 unnumbered decisions", {},
         R"(SELECT TITULAR FROM "{C}" WHERE (NR_DISP="" OR NR_DISP="0") ORDER BY NRCRT)", {"POP ION", "BALAN VASILE"}},
        {"2 comparison with a blank field is not true", {},
         R"(SELECT TITULAR FROM "{C}" WHERE CUMODIF<>"X")", {}},
        {"2 blank flag taken with IS NULL", {},
         R"(SELECT TITULAR FROM "{C}" WHERE CUMODIF<>"X" OR CUMODIF IS NULL ORDER BY NRCRT)",
         {"POP ION", "ZAHARIA DAN", "BALAN VASILE"}},
        {"2 blank date and blank number read as NULL", {},
         R"(SELECT NRCRT FROM "{C}" WHERE DATACERE IS NULL OR ADRESA IS NULL ORDER BY NRCRT)", {"3", "4"}},
        {"2 writing empty text and NULL stores blanks",
         {R"(UPDATE "{C}" SET NR_DISP="", DATACERE=NULL, NR_CERE="" WHERE NRCRT=2)"},
         R"(SELECT NRCRT FROM "{C}" WHERE NR_DISP IS NULL AND DATACERE IS NULL AND NR_CERE IS NULL)", {"2"}},
        {"3 numeric column against a quoted number", {},
         R"(SELECT TITULAR FROM "{C}" WHERE LUNACRT>="24267")", {"ZAHARIA DAN"}},
        {"3 date column against a quoted dd.MM.yyyy", {},
         R"(SELECT TITULAR FROM "{C}" WHERE DATACERE>="05.03.2022" ORDER BY NRCRT)", {"ANA MARIA", "ZAHARIA DAN"}},
        {"3 date assigned from a quoted dd.MM.yyyy",
         {R"(UPDATE "{C}" SET DATACERE="29.02.2024" WHERE NRCRT=4)"},
         R"(SELECT DATACERE, EXTRACT(YEAR FROM DATACERE) AS AN FROM "{C}" WHERE NRCRT=4)", {"29.02.2024|2024"}},
        {"4 + joins text, NULL counts as empty", {},
         R"(SELECT "<"+ADRESA+">" AS A, LOCALIT+" "+ADRESA AS B FROM "{C}" WHERE NRCRT=3)", {"<>|Onesti"}},
        {"4 + adds numbers", {},
         R"(SELECT NR_MEMBRI+VENITM AS S, NR_DISP+"/" AS D FROM "{C}" WHERE NRCRT=1)", {"302.5|/"}},
        {"4 CAST of joined text to CHAR(n)", {},
         R"(SELECT CAST("Lemne " + CALITATE AS CHAR(8)) AS T FROM "{O}" WHERE NROM=1)", {"Lemne be"}},
        {"4 TRIM of joined text", {},
         R"(SELECT TRIM(BOTH " " FROM (LOCALIT + " " +ADRESA)) AS ADRESA FROM "{C}" WHERE NRCRT IN (1,3) ORDER BY NRCRT)",
         {"Bacau Str. Mare 1", "Onesti"}},
        {"5 unqualified column belongs to the first table of the FROM list", {},
         R"(SELECT TITULAR, CNP FROM "{O}" A, "{C}" B WHERE A.NRCRT=B.NRCRT AND NROM=4)", {"ANA ION|5100606040016"}},
        {"5 ... also when the first table comes second in a join condition", {},
         R"(SELECT TITULAR FROM "{C}" JOIN "{O}" A ON NRCRT=A.NRCRT WHERE A.NROM=2)", {"POP ION"}},
        {"6 text compares case-sensitively", {},
         R"(SELECT TITULAR FROM "{C}" WHERE TITULAR="pop ion" OR TITULAR LIKE "pop%")", {}},
        {"6 trailing blanks are ignored", {},
         R"(SELECT TITULAR FROM "{C}" WHERE TITULAR="POP ION   ")", {"POP ION"}},
        {"6 UPPER and LOWER change ASCII letters only", {},
         R"(SELECT UPPER("abcă") AS U, LOWER("ȘTEFAN") AS L FROM "{C}" WHERE NRCRT=1)", {"ABCă|Ștefan"}},
        {"6 ORDER BY a C column is textual", {},
         R"(SELECT NR_DISP FROM "{C}" ORDER BY NR_DISP)", {"", "0", "10", "9"}},
        {"7 storing cuts text and rounds half away from zero",
         {R"(INSERT INTO "{O}" (NROM, TITULAR, VENIT) VALUES (9, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", 1.005))",
          R"(INSERT INTO "{O}" (NROM, VENIT) VALUES (10, -2.345))"},
         R"(SELECT TITULAR, VENIT FROM "{O}" WHERE NROM>=9 ORDER BY NROM)",
         {"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345|1.01", "|-2.35"}},
        {"8 aggregates over no rows", {},
         R"(SELECT COUNT(*) AS N, SUM(TOTAL) AS S, MAX(NR_CERE) AS M, MIN(DATACERE) AS D FROM "{C}" WHERE LUNACRT=1)",
         {"0|||"}},
    };
    return cases;
}

void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

class SqlDialectRule : public ::testing::TestWithParam<RuleCase> {};

TEST_P(SqlDialectRule, GivesTheExpectedRows)
{
    const RuleCase& c = GetParam();
    sqltest::Register reg;
    for (const auto& st : c.before)
        reg.db.exec(reg.expand(st));
    EXPECT_EQ(reg.rows(c.query), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Sql, SqlDialectRule, ::testing::ValuesIn(ruleCases()),
                         [](const ::testing::TestParamInfo<RuleCase>& info) {
                             std::string name = "r" + std::to_string(info.index) + "_";
                             for (const char* c = info.param.name; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

TEST(SqlDialectRules, AggregateOverNoRowsReadsAsZero)
{
    sqltest::Register reg;
    auto rs = reg.db.open(reg.expand(R"(SELECT MAX(NRCRT) AS CODEX_ FROM "{C}" WHERE LUNACRT=0)"));
    ASSERT_FALSE(rs->isEmpty());
    EXPECT_TRUE(rs->isNull("CODEX_"));
    EXPECT_EQ(rs->integer("CODEX_"), 0);
    EXPECT_EQ(rs->text("CODEX_"), "");
}

TEST(SqlDialectRules, StoredBlanksAreBlankBytesInTheFile)
{
    sqltest::Register reg;
    reg.db.exec(reg.expand(R"(UPDATE "{C}" SET NR_DISP="", NR_CERE=NULL WHERE NRCRT=2)"));
    // An independent reader sees empty text and no number.
    std::string cmd = std::string(HESTAVO_PYTHON) + " -c \"import dbfread,sys; r=list(dbfread.DBF(sys.argv[1]))[1];"
                      " sys.exit(0 if r['NR_DISP']=='' and r['NR_CERE'] is None and r['TITULAR']=='ANA MARIA' else 1)\" '"
                      + reg.C + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
}

} // namespace
