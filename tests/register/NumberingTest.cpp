// Decision and report numbering over an interval of the working month:
// which applications are numbered, in which order, what stays untouched, and
// the refusals of the dialogs' input.
#include "RegisterFixture.h"

#include "register/Numbering.h"

using namespace hestavo;

namespace {

const QString kMonth = QStringLiteral("11.2024");

class NumberingTest : public RegisterTest {
protected:
    void SetUp() override
    {
        RegisterTest::SetUp();
        AddRows();
    }
    static void AddRows()
    {
        Exec("DELETE FROM " + quotedTable("Cereri.dbf"));
        Exec("DELETE FROM " + quotedTable("LOG.DBF"));
        // NR_CERE 10, 12, 15, 20, 30 with mixed statuses; one row of another month.
        const struct { int key; int number; const char* status; bool changed; } rows[] = {
            {1, 15, "APROBAT", false}, {2, 10, "APROBAT", false}, {3, 12, "MODIFICAT", false},
            {4, 20, "APROBAT", true},  {5, 30, "RESPINS", false},
        };
        for (const auto& r : rows) {
            AddRow({r.key, kMonth, "N" + QString::number(r.key), "1800101000000", r.status, 2, 400, r.number});
            if (r.changed)
                Exec("UPDATE " + quotedTable("Cereri.dbf") + " SET CUMODIF=\"X\" WHERE NRCRT=" + QString::number(r.key));
        }
        AddRow({9, "10.2024", "ALTA LUNA", "1800101000000", "APROBAT", 2, 400, 12});
    }
    // "NR_DISP DATADISP NR_REF" of each key 1..5 and 9.
    static QStringList Numbers()
    {
        auto rs = Db().open(sqlLines({"SELECT NRCRT, NR_DISP, DATADISP, NR_REF FROM " + quotedTable("Cereri.dbf")
                                      + " ORDER BY NRCRT"}));
        QStringList out;
        for (rs->first(); !rs->eof(); rs->next())
            out << QString::fromStdString(rs->text("NR_DISP") + " " + rs->text("DATADISP") + " ")
                   + QString::number(rs->integer("NR_REF"));
        return out;
    }
};

struct DecisionCase {
    const char* what;
    DecisionNumbering input;
    QStringList expected;   // keys 1, 2, 3, 4, 5, 9
    int numbered;
};

TEST_F(NumberingTest, DecisionNumbersFollowTheApplicationOrderAndChoice)
{
    const QDate d(2024, 11, 28);
    const QString D = "28.11.2024";
    const DecisionCase cases[] = {
        {"every application 10..15, from 100", {10, 15, 100, d, DecisionSelection::All, false, false},
         {"102 " + D + " 0", "100 " + D + " 0", "101 " + D + " 0", "D4  0", "D5  0", "D9  0"}, 3},
        {"plain approvals share one number", {1, 99, 7, d, DecisionSelection::Approved, true, false},
         {"7 " + D + " 0", "7 " + D + " 0", "D3  0", "D4  0", "D5  0", "D9  0"}, 2},
        {"approvals with change only", {1, 99, 3, d, DecisionSelection::ApprovedWithChange, false, false},
         {"D1  0", "D2  0", "D3  0", "3 " + D + " 0", "D5  0", "D9  0"}, 1},
        {"refusals only", {1, 99, 40, d, DecisionSelection::Refused, false, false},
         {"D1  0", "D2  0", "D3  0", "D4  0", "40 " + D + " 0", "D9  0"}, 1},
        {"clearing the others leaves the rest of the month without number or date",
         {10, 12, 1, d, DecisionSelection::All, false, true},
         {"  0", "1 " + D + " 0", "2 " + D + " 0", "  0", "  0", "D9  0"}, 2},
        {"an interval without applications changes nothing", {40, 50, 1, d, DecisionSelection::All, false, false},
         {"D1  0", "D2  0", "D3  0", "D4  0", "D5  0", "D9  0"}, 0},
    };
    for (const DecisionCase& c : cases) {
        SCOPED_TRACE(c.what);
        AddRows();
        EXPECT_EQ(NumberDecisions(kMonth, c.input, nullptr), c.numbered);
        EXPECT_EQ(Numbers(), c.expected);
        EXPECT_EQ(Text("SELECT ACTIUNE FROM " + quotedTable("LOG.DBF"), "ACTIUNE"), "Numerotare Dispozitii.");
    }
}

TEST_F(NumberingTest, ReportNumbersGoToApprovedApplicationsOnly)
{
    EXPECT_EQ(NumberReports(kMonth, {10, 20, false, 5}, nullptr), 3);
    EXPECT_EQ(Numbers(), QStringList({"D1  6", "D2  5", "D3  0", "D4  7", "D5  0", "D9  0"}));

    // The application's own number: every approved application of the month, whatever the interval.
    EXPECT_EQ(NumberReports(kMonth, {1, 1, true, 0}, nullptr), 3);
    EXPECT_EQ(Numbers(), QStringList({"D1  15", "D2  10", "D3  0", "D4  20", "D5  0", "D9  0"}));
    EXPECT_EQ(Column("SELECT ACTIUNE FROM " + quotedTable("LOG.DBF"), "ACTIUNE"),
              QStringList({"Numerotare Referate.", "Numerotare Referate."}));
}

TEST(NumberingChecks, RefusalsPointAtTheField)
{
    const QDate d(2024, 11, 28);
    const struct {
        DecisionNumbering input;
        int field;
        const char* text;
    } decisions[] = {
        {{0, 5, 1, d}, 0, "Numar incorect!"},
        {{1, 0, 1, d}, 1, "Numar incorect!"},
        {{1, 5, 0, d}, 2, "Numar incorect!"},
        {{5, 3, 1, d}, 0, "Intervalul ales este incorect!"},
        {{3, 3, 1, d}, -1, ""},
    };
    for (const auto& c : decisions) {
        const NumberingProblem p = CheckDecisionNumbering(c.input);
        EXPECT_EQ(p.field, c.field) << c.text;
        EXPECT_EQ(p.text, QString::fromLatin1(c.text));
    }
    const struct {
        ReportNumbering input;
        int field;
        const char* text;
    } reports[] = {
        {{5, 3, false, 1}, 0, "Perioada incorecta!"},
        {{5, 3, true, 0}, 0, "Perioada incorecta!"},
        {{1, 3, false, 0}, 2, "Primul numar incorect!"},
        {{1, 3, true, 0}, -1, ""},
        {{0, 0, false, 1}, -1, ""},
    };
    for (const auto& c : reports) {
        const NumberingProblem p = CheckReportNumbering(c.input);
        EXPECT_EQ(p.field, c.field) << c.text;
        EXPECT_EQ(p.text, QString::fromLatin1(c.text));
    }
}

} // namespace
