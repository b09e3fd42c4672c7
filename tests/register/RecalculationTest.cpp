// Recalculation of a working month: which rows change and to what, the
// command's refusal, progress, log row and final message.
#include "Fixture.h"

#include "register/AdminValues.h"
#include "register/Recalculation.h"
#include "tools/demo-db/DemoDatabase.h"
#include "ui/admin/AdministrationWindow.h"
#include "ui/admin/RecalculateCommand.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProgressWindow.h"

#include <QPushButton>

#include <map>

using namespace hestavo;

namespace {

constexpr Money Lei(int lei) { return Money(lei) * kMoneyUnit; }

struct Row {
    int nrcrt;
    const char* month;
    const char* statut;
    const char* cuajut;
    int members;
    double income;
    int months;
    double cuantum, total, sumal, sumag, sumat, sumae;
};

struct Values {
    double cuantum, total, sumal, sumag, sumat, sumae;
    friend bool operator==(const Values&, const Values&) = default;
};

std::ostream& operator<<(std::ostream& os, const Values& v)
{
    return os << "{" << v.cuantum << ", " << v.total << ", " << v.sumal << ", " << v.sumag << ", " << v.sumat
              << ", " << v.sumae << "}";
}

// The stored values of a row that a recalculation may touch, with NR_LUNI.
struct Stored {
    double cuantum, total, nrLuni, sumal, sumag, sumat, sumae;
    friend bool operator==(const Stored&, const Stored&) = default;
};

std::ostream& operator<<(std::ostream& os, const Stored& v)
{
    return os << "{" << v.cuantum << ", " << v.total << ", " << v.nrLuni << ", " << v.sumal << ", " << v.sumag << ", "
              << v.sumat << ", " << v.sumae << "}";
}

class Recalculation : public DataFolderTest {
protected:
    void Insert(const Row& r)
    {
        Exec(QString("INSERT INTO %1 (NRCRT, LUNACRT, STATUT, CUAJUT, NR_MEMBRI, TVENIT, VENITM, NR_LUNI, CUANTUM, "
                     "TOTAL, SUMAL, SUMAG, SUMAT, SUMAE) VALUES (%2, %3, \"%4\", \"%5\", %6, %7, %8, %9, %10, %11, "
                     "%12, %13, %14, %15)")
                 .arg(quotedTable("Cereri.dbf"))
                 .arg(r.nrcrt)
                 .arg(MonthToSerial(r.month))
                 .arg(r.statut, r.cuajut)
                 .arg(r.members)
                 .arg(r.income)
                 .arg(r.members ? r.income / r.members : 0)
                 .arg(r.months)
                 .arg(r.cuantum)
                 .arg(r.total)
                 .arg(r.sumal)
                 .arg(r.sumag)
                 .arg(r.sumat)
                 .arg(r.sumae));
    }
    Values Read(int nrcrt)
    {
        auto rs = Db().open(
            QString("SELECT * FROM %1 WHERE NRCRT=%2").arg(quotedTable("Cereri.dbf")).arg(nrcrt).toStdString());
        EXPECT_EQ(rs->recordCount(), 1);
        return {rs->number("CUANTUM"), rs->number("TOTAL"), rs->number("SUMAL"),
                rs->number("SUMAG"),   rs->number("SUMAT"), rs->number("SUMAE")};
    }
};

class CountingProgress : public WorkProgress {
public:
    void begin(int maximum) override { max = maximum; }
    void step() override { ++steps; }
    int max = -1;
    int steps = 0;
};

} // namespace

TEST_F(Recalculation, ChangesExactlyTheRowsTheNewAmountsConcern)
{
    // Stored with the default table and amounts; then row 1's aid becomes 350,
    // IndL 25 and IndE2 75.
    struct Case {
        const char* rule;
        Row row;
        Values after;
    };
    const Case cases[] = {
        {"active row 1 with aid takes the new amount", {1, "11.2024", "APROBAT", "X", 2, 300, 5, 320, 1600, 20, 0, 0, 0},
         {350, 1750, 25, 0, 0, 0}},
        {"MODIFICAT is active too", {2, "11.2024", "MODIFICAT", "X", 1, 200, 4, 320, 1280, 0, 10, 0, 0},
         {350, 1400, 0, 10, 0, 0}},
        {"no aid granted gives 0", {3, "11.2024", "APROBAT", "", 2, 300, 5, 320, 1600, 0, 0, 0, 30},
         {0, 0, 0, 0, 0, 30}},
        {"refused application gives 0", {4, "11.2024", "RESPINS", "X", 2, 300, 5, 320, 1600, 0, 0, 10, 0},
         {0, 0, 0, 0, 10, 0}},
        {"row 2 keeps its aid", {5, "11.2024", "APROBAT", "X", 2, 500, 5, 288, 1440, 0, 0, 0, 0},
         {288, 1440, 0, 0, 0, 0}},
        {"only-source electricity keeps IndE2", {6, "11.2024", "APROBAT", "X", 3, 3000, 5, 128, 640, 0, 0, 0, 70},
         {128, 640, 0, 0, 0, 75}},
        {"standard electricity keeps IndE", {7, "11.2024", "INCETAT", "", 3, 3000, 5, 0, 0, 0, 0, 0, 30},
         {0, 0, 0, 0, 0, 30}},
        {"household of 0 members gets 0", {8, "11.2024", "APROBAT", "X", 0, 0, 5, 320, 1600, 0, 0, 0, 0},
         {0, 0, 0, 0, 0, 0}},
        {"another month is untouched", {9, "12.2024", "APROBAT", "X", 2, 300, 5, 320, 1600, 20, 0, 0, 70},
         {320, 1600, 20, 0, 0, 70}},
    };
    for (const Case& c : cases)
        Insert(c.row);

    RecalcInput input;
    input.cereriPath = tableFile("Cereri.dbf").toStdString();
    input.monthSerial = MonthToSerial("11.2024");
    input.brackets = DefaultBracketTable();
    input.brackets.aids[0] = Lei(350);
    input.amounts = DefaultSupplementAmounts();
    input.amounts.solid = Lei(25);
    input.amounts.electricOnly = Lei(75);
    input.previousAmounts = DefaultSupplementAmounts();
    CountingProgress progress;
    const RecalcResult result = RecalculateMonth(Db(), input, &progress);

    EXPECT_EQ(result.rows, 8);
    EXPECT_EQ(result.changed, 6); // rows 1, 2, 3, 4, 6, 8
    EXPECT_EQ(progress.max, 0);
    EXPECT_EQ(progress.steps, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        EXPECT_EQ(Read(c.row.nrcrt), c.after);
    }
}

TEST_F(Recalculation, ElectricityOnlySourceFollowsIndE2)
{
    struct Case {
        const char* rule;
        int oldE, oldE2, newE, newE2;
        double stored, expected;
    };
    const Case cases[] = {
        {"unchanged amounts keep the only-source amount", 30, 70, 30, 70, 70, 70},
        {"unchanged amounts keep the standard amount", 30, 70, 30, 70, 30, 30},
        {"raised IndE2 reaches only-source rows", 30, 70, 30, 80, 70, 80},
        {"raised IndE reaches standard rows", 30, 70, 35, 70, 30, 35},
        {"old only-source amount equal to the new IndE", 30, 70, 70, 90, 70, 90},
        {"old standard amount with IndE raised to the old IndE2", 30, 70, 70, 90, 30, 70},
        {"a stale amount becomes the standard one", 30, 70, 30, 70, 50, 30},
        {"old amounts equal: only the current IndE2 marks only-source", 30, 30, 30, 70, 30, 30},
    };
    int nrcrt = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        ++nrcrt;
        const QString month = QString("%1.2024").arg(nrcrt - 100, 2, 10, QChar('0'));
        Insert({nrcrt, qPrintable(month), "APROBAT", "", 1, 0, 5, 0, 0, 0, 0, 0, c.stored});
        RecalcInput input;
        input.cereriPath = tableFile("Cereri.dbf").toStdString();
        input.monthSerial = MonthToSerial(month);
        input.brackets = DefaultBracketTable();
        input.previousAmounts = input.amounts = DefaultSupplementAmounts();
        input.previousAmounts.electric = Lei(c.oldE);
        input.previousAmounts.electricOnly = Lei(c.oldE2);
        input.amounts.electric = Lei(c.newE);
        input.amounts.electricOnly = Lei(c.newE2);
        RecalculateMonth(Db(), input, nullptr);
        EXPECT_EQ(Read(nrcrt).sumae, c.expected);
    }
}

TEST_F(Recalculation, CommandRefusesWithoutMonthAndReportsSuccess)
{
    Insert({1, "11.2024", "APROBAT", "X", 2, 300, 5, 0, 0, 0, 0, 0, 0});
    AdminSettings now;
    now.brackets.aids[0] = Lei(350);

    SetWorkingMonth("");
    EXPECT_FALSE(RecalculateWorkingMonth(now, AdminSettings{}).has_value());
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].title, "Recalculare cereri");
    EXPECT_EQ(testmode::messages()[0].text, "Alegeti mai intai o luna de la butonul Perioada!");
    EXPECT_EQ(testmode::messages()[0].kind, kKindError);
    EXPECT_EQ(Read(1).cuantum, 0);

    testmode::clear();
    SetWorkingMonth("11.2024");
    auto result = RecalculateWorkingMonth(now, AdminSettings{});
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->changed, 1);
    EXPECT_EQ(Read(1).cuantum, 350);
    EXPECT_EQ(Read(1).total, 1750);
    EXPECT_EQ(testmode::progressTexts(), QStringList({"Recalculez cererile..."}));
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].text, "Recalcularea s-a incheiat cu succes!");
    EXPECT_EQ(testmode::messages()[0].kind, kKindInformation);
    EXPECT_EQ(Count("Log.dbf", "ACTIUNE=\"Recalculare cereri.\""), 1);
}

// A month made by the demo-database generator, recalculated once with the
// table it was made with (the generator's incomes may lie up to 0.99 lei above
// a bracket's limit, which that first pass corrects); then raising row 1's aid
// to 350 changes exactly the rows that had row 1's aid (320), and no row of the
// next month.
TEST_F(Recalculation, GeneratedMonthChangesExactlyTheRowsOfTheRaisedBracket)
{
    resetDb();
    demodb::Options options;
    options.folder = paths().dataFolder.toStdString();
    options.households = 400;
    options.months = 2;
    options.overwrite = true;
    const demodb::Summary summary = demodb::generate(options);
    ASSERT_EQ(summary.monthSerials.size(), 2u);
    const int month = summary.monthSerials[0];

    auto snapshot = [] {
        std::map<long long, std::pair<int, Stored>> rows;
        auto rs = Db().open(("SELECT * FROM " + quotedTable("Cereri.dbf")).toStdString());
        for (rs->first(); !rs->eof(); rs->next())
            rows[rs->integer("NRCRT")] = {int(rs->integer("LUNACRT")),
                                          {rs->number("CUANTUM"), rs->number("TOTAL"), rs->number("NR_LUNI"),
                                           rs->number("SUMAL"), rs->number("SUMAG"), rs->number("SUMAT"),
                                           rs->number("SUMAE")}};
        return rows;
    };
    RecalcInput input;
    input.cereriPath = tableFile("Cereri.dbf").toStdString();
    input.monthSerial = month;
    input.brackets = DefaultBracketTable();
    input.previousAmounts = input.amounts = DefaultSupplementAmounts();
    CountingProgress progress;
    const RecalcResult first = RecalculateMonth(Db(), input, &progress);
    EXPECT_EQ(first.rows, 400);
    EXPECT_EQ(progress.max, 4);
    EXPECT_EQ(progress.steps, 4);
    EXPECT_EQ(RecalculateMonth(Db(), input, nullptr).changed, 0); // nothing left to change

    const auto before = snapshot();
    ASSERT_EQ(before.size(), size_t(summary.cereri));

    input.brackets.aids[0] = Lei(350);
    const RecalcResult raised = RecalculateMonth(Db(), input, nullptr);
    const auto after = snapshot();
    int expectedChanges = 0;
    for (const auto& [nrcrt, row] : before) {
        SCOPED_TRACE(nrcrt);
        Stored expected = row.second;
        if (row.first == month && row.second.cuantum == 320) {
            expected.cuantum = 350;
            expected.total = 350 * row.second.nrLuni;
            ++expectedChanges;
        }
        EXPECT_EQ(after.at(nrcrt).second, expected);
    }
    EXPECT_GT(expectedChanges, 0);
    EXPECT_EQ(raised.changed, expectedChanges);

    // The file as an independent dBase reader sees it.
    QProcess python;
    python.start(HESTAVO_PYTHON,
                 {"-c",
                  "import sys, dbfread\n"
                  "t = dbfread.DBF(sys.argv[1], encoding='cp1250')\n"
                  "print(sum(1 for r in t if r['LUNACRT'] == int(sys.argv[2]) and r['CUANTUM'] == 350))",
                  tableFile("Cereri.dbf"), QString::number(month)});
    ASSERT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.readAllStandardOutput().trimmed().toInt(), expectedChanges)
        << python.readAllStandardError().toStdString();
}

TEST_F(Recalculation, DamagedTableIsReportedNotSuccess)
{
    SetWorkingMonth("11.2024");
    resetDb();
    QFile damaged(tableFile("Cereri.dbf"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("not a table");
    damaged.close();

    AdministrationWindow form;
    form.LoadSettings();
    form.findChild<QPushButton*>("RecalcButton")->click();
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].title, "Eroare");
    EXPECT_EQ(testmode::messages()[0].kind, kKindError);
    EXPECT_TRUE(testmode::messages()[0].text.contains("Cereri")) << testmode::messages()[0].text.toStdString();
    EXPECT_FALSE(Contor().isVisible());
    EXPECT_EQ(Count("Log.dbf"), 0);
}
