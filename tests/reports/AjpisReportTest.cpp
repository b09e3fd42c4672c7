// The AJPIS report on small fixtures: every workbook checked against an
// independent computation from the tables (ajpis_check.py), the rules of the
// annexes as one table of cases, and a failure in the middle of a run.
#include "AjpisFixture.h"

#include "register/AidCalculation.h"
#include "reports/AjpisReportGrids.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>

using namespace hestavo;

namespace {

const QString kWorking = QStringLiteral("01.2024");
const int kStart = SerialOf(11, 2023);
const int kEnd = SerialOf(3, 2024);

QString Quoted(const QString& text) { return "\"" + text + "\""; }

// Sixty applications over November 2023 to January 2024: every bracket and
// its boundaries, households of 1 to 7, 1 to 5 months of aid, the four
// statuses, aid taken away in the working month, and supplements at suppliers
// whose names need cleaning (two of them clean to the same file name).
template <typename Add>
void AddFixtureMonth(Add add)
{
    const double incomes[] = {0, 150, 200, 200.01, 320, 500, 680, 900, 1040, 1200, 1280, 1300, 1386, 1500, 2053, 2100};
    const char* statuses[] = {"APROBAT", "MODIFICAT", "APROBAT", "RESPINS", "INCETAT", "APROBAT"};
    const char* names[] = {"POPA ION", "ANDREI MARIA", "POPA ION", "ZAHARIA ANA", "BALAN DAN", "MUNTEANU IOANA", "ILIE GEO"};
    const char* gas[] = {"ENGIE ROMANIA", "E.ON Gaz/Sud", "D'Arc Energie"};
    const char* power[] = {"ENGIE ROMANIA", "CEZ", "E.ON Gaz:Sud"};
    const QString months[] = {"11.2023", "12.2023", "01.2024"};
    for (int i = 0; i < 60; ++i) {
        const int members = 1 + i % 7;
        const double income = incomes[i % 16];
        const int aidMonths = 1 + i % 5;
        const bool withAid = i % 8 != 3;
        const int aid = withAid ? AidForIncome(DefaultBracketTable(), members, true, income * members) : 0;
        QMap<QString, QString> row{{"TITULAR", Quoted(names[i % 7])},
                                   {"CNP", Quoted(QString("19001010000%1").arg(i % 20, 2, 10, QChar('0')))},
                                   {"LOCALIT", Quoted("Ighiu")},
                                   {"ADRESA", Quoted("Str. Morii nr. " + QString::number(i))},
                                   {"STATUT", Quoted(statuses[i % 6])},
                                   {"NR_DISP", Quoted(QString::number(i + 1))},
                                   {"DATADISP", Quoted("03.01.2024")},
                                   {"NR_MEMBRI", QString::number(members)},
                                   {"VENITM", QString::number(income)},
                                   {"NR_LUNI", QString::number(aidMonths)},
                                   {"CUANTUM", QString::number(aid)},
                                   {"TOTAL", QString::number(aid * aidMonths)}};
        if (i % 4 == 0)
            row["SUMAL"] = "20";
        if (i % 3 != 0)
            row.insert({{"SUMAG", "10"}, {"FURNG", Quoted(gas[(i / 3) % 3])}, {"CODCLG", Quoted("G" + QString::number(i))}});
        if (i % 5 == 2)
            row.insert({{"SUMAE", "30"}, {"FURNE", Quoted(power[(i / 15) % 3])}, {"CODCLE", Quoted("E" + QString::number(i))}});
        if (i % 6 == 5)
            row.insert({{"SUMAT", "10"}, {"FURNT", Quoted("TERMO")}, {"CODCLT", Quoted("T" + QString::number(i))}});
        add(i + 1, months[i % 3], row);
    }
}

TEST_F(AjpisTest, EveryWorkbookHoldsWhatTheTablesSay)
{
    AddFixtureMonth(&AddApplication);
    const AjpisOutcome outcome = Run(kWorking, kStart, kEnd);
    QStringList checked = Checked(kWorking, kStart, kEnd);
    checked.sort();
    EXPECT_EQ(Summary(outcome), checked);
    // The two names that clean to the same file name get their own files.
    EXPECT_TRUE(QFileInfo::exists(Output() + "/Anexa25_E.ON Gaz_Sud.xls"));
    EXPECT_TRUE(QFileInfo::exists(Output() + "/Anexa25_E.ON Gaz_Sud_2.xls"));
    EXPECT_TRUE(QFileInfo::exists(Output() + "/Anexa25_D_Arc Energie.xls"));
    EXPECT_EQ(Cells("Anexa25_D_Arc Energie.xls", "Anexa 25", "B5:B5"), "D'Arc Energie");
}

// One rule per row: the applications of the case (over a neutral default),
// then a cell or range of a workbook and what it must hold.
struct AnnexCase {
    const char* rule;
    QList<std::pair<QString, QMap<QString, QString>>> applications;   // month, columns
    QString file;
    QString sheet;
    QString range;
    QString expected;
};

QMap<QString, QString> Household(int members, double income, int months, int aid, QMap<QString, QString> more = {})
{
    QMap<QString, QString> row{{"NR_MEMBRI", QString::number(members)}, {"VENITM", QString::number(income)},
                               {"NR_LUNI", QString::number(months)},    {"CUANTUM", QString::number(aid)},
                               {"TOTAL", QString::number(aid * months)}, {"TITULAR", Quoted("POPA ION")},
                               {"CNP", Quoted("1900101000011")}};
    for (auto it = more.cbegin(); it != more.cend(); ++it)
        row[it.key()] = it.value();
    return row;
}

TEST_F(AjpisTest, RulesOfTheAnnexes)
{
    const QMap<QString, QString> gas{{"SUMAG", "10"}, {"FURNG", Quoted("ENGIE")}};
    const AnnexCase cases[] = {
        {"an income of exactly Lim3 falls in bracket 3", {{"01.2024", Household(2, 440, 5, 256)}},
         "Anexa13_21.xls", "RapStat", "E17:E17", "1"},
        {"... and not in bracket 4", {{"01.2024", Household(2, 440, 5, 256)}}, "Anexa13_21.xls", "RapStat", "E22:E26", "0"},
        {"an income just above Lim1 falls in bracket 2", {{"01.2024", Household(2, 200.01, 5, 288)}},
         "Anexa13_21.xls", "RapStat", "E12:E12", "1"},
        {"an income of 0 falls in bracket 1", {{"01.2024", Household(1, 0, 3, 320)}}, "Anexa13_21.xls", "RapStat",
         "J9:J9", "1"},
        {"a single person with 1300 is in bracket 11, column J", {{"01.2024", Household(1, 1300, 5, 32)}},
         "Anexa13_21.xls", "RapStat", "J57:J57", "1"},
        {"a family of 3 with 1300 is in bracket 10, column F", {{"01.2024", Household(3, 1300, 5, 32)}},
         "Anexa13_21.xls", "RapStat", "F52:F52", "1"},
        {"a family with 1500 is counted nowhere", {{"01.2024", Household(3, 1500, 5, 32)}}, "Anexa13_21.xls",
         "RapStat", "E7:J61", "0"},
        {"Annex 22 finds the bracket by the aid: 288 is bracket 2", {{"01.2024", Household(2, 250, 5, 288)}},
         "Anexa22.xls", "Raport", "E13:E13", "1440"},
        {"a single person's aid of 32 goes to bracket 11, not 10", {{"01.2024", Household(1, 1300, 3, 32)}},
         "Anexa22.xls", "Raport", "J60:J60", "96"},
        {"December is counted in the December rows of Annex 23", {{"12.2023", Household(2, 100, 5, 320, gas)}},
         "Anexa23_Gaz.xls", "Anexa 23", "D31:D31", "1"},
        {"December is paid in the January rows of Annex 24", {{"12.2023", Household(2, 100, 5, 320, gas)}},
         "Anexa24_Gaz.xls", "Anexa 24", "D9:D9", "10"},
        {"November goes to the December rows of Annex 24", {{"11.2023", Household(1, 100, 5, 320, gas)}},
         "Anexa24_Gaz.xls", "Anexa 24", "D32:D32", "10"},
        {"the cumulated annex takes the earliest month's total",
         {{"11.2023", Household(2, 250, 5, 288)}, {"12.2023", Household(2, 250, 4, 256)},
          {"01.2024", Household(2, 250, 3, 0)}},
         "Anexa13_Cumulat.xls", "Anexa13 Cumulata", "I12:J12", "1728"},
        {"a holder without an earlier approved month keeps zeros",
         {{"11.2023", Household(2, 250, 5, 288, {{"CNP", Quoted("2900101000022")}})},
          {"01.2024", Household(2, 250, 3, 0, gas)}},
         "Anexa13_Cumulat.xls", "Anexa13 Cumulata", "I12:J12", "0"},
        {"gas and electricity at one supplier make one line with the sum",
         {{"01.2024", Household(2, 100, 5, 320, {{"SUMAG", "10"}, {"FURNG", Quoted("ENGIE")}, {"SUMAE", "30"},
                                                 {"FURNE", Quoted("ENGIE")}})}},
         "Anexa25_ENGIE.xls", "Anexa 25", "D12:D12", "40"},
        {"... and the totals row follows that one line",
         {{"01.2024", Household(2, 100, 5, 320, {{"SUMAG", "10"}, {"FURNG", Quoted("ENGIE")}, {"SUMAE", "30"},
                                                 {"FURNE", Quoted("ENGIE")}})}},
         "Anexa25_ENGIE.xls", "Anexa 25", "A13:A13", "TOTAL"},
        {"no solid-fuel supplement, no \"Suplimente Lemne\" file", {{"01.2024", Household(2, 100, 5, 320, gas)}},
         "Anexa25_Suplimente Lemne.xls", "Anexa 25", "A1:A1", "absent"},
        {"no thermal supplement: Annex 14 is still written, its data row emptied",
         {{"01.2024", Household(2, 100, 5, 320, gas)}}, "Anexa14.xls", "Anexa 14", "B10:B10", ""},
        {"Annex 25 heads with the county code and the working month", {{"01.2024", Household(2, 100, 5, 320, gas)}},
         "Anexa25_ENGIE.xls", "Anexa 25", "A2:A2", QString::fromUtf8("JUDEȚUL: 01   ALBA")},
        {"... and the whole month text", {{"01.2024", Household(2, 100, 5, 320, gas)}}, "Anexa25_ENGIE.xls",
         "Anexa 25", "A9:A9", "Luna: 01.2024"},
        {"Annex 22 names the kind of locality", {{"01.2024", Household(2, 250, 5, 288)}}, "Anexa22.xls", "Raport",
         "B1:B1", "U.A.T. COMUNA Comuna Ighiu"},
        {"Annex 23 names the kind of energy", {{"01.2024", Household(2, 100, 5, 320, gas)}}, "Anexa23_Gaz.xls",
         "Anexa 23", "A4:A4", "Tipul suplimentului pentru energie: Gaze naturale"},
        {"the cumulated Annex 13 shows the working month", {{"01.2024", Household(2, 100, 5, 320)}},
         "Anexa13_Cumulat.xls", "Anexa13 Cumulata", "E9:E9", "2024"},
        {"the decision reference is number/date", {{"01.2024", Household(2, 100, 5, 320, {{"NR_DISP", Quoted("12")},
                                                                                          {"DATADISP", Quoted("03.01.2022")}})}},
         "Anexa13_21.xls", "5luni", "E12:E12", "12/03.01.2022"},
    };
    for (const AnnexCase& c : cases) {
        ClearApplications();
        int key = 0;
        for (const auto& [month, columns] : c.applications)
            AddApplication(++key, month, columns);
        Run(kWorking, kStart, kEnd);
        EXPECT_EQ(Cells(c.file, c.sheet, c.range), c.expected) << c.rule;
    }
}

// The returns the county agency expects every month (Annexes 13/21, 13
// cumulated, 22 and 14 to 17) are written even without rows, and named; an
// Annex 23, 24 or 25 without rows is named instead of written.
TEST_F(AjpisTest, MonthlyReturnsAreWrittenEvenWithoutRows)
{
    AddApplication(1, "01.2024", Household(2, 100, 5, 320, {{"SUMAE", "30"}, {"FURNE", Quoted("CEZ")}}));
    const AjpisOutcome outcome = Run(kWorking, kStart, kEnd);
    EXPECT_EQ(outcome.withoutData, QStringList({"Anexa23_Lemne.xls", "Anexa23_Gaz.xls", "Anexa23_Termica.xls",
                                                "Anexa24_Lemne.xls", "Anexa24_Gaz.xls", "Anexa24_Termica.xls"}));
    EXPECT_EQ(outcome.writtenEmpty, QStringList({"Anexa14.xls", "Anexa15.xls", "Anexa17.xls"}));
    QStringList names;
    for (const AjpisFile& f : outcome.files)
        names << f.name;
    EXPECT_EQ(names, QStringList({"Anexa13_21.xls", "Anexa13_Cumulat.xls", "Anexa22.xls", "Anexa14.xls", "Anexa15.xls",
                                  "Anexa16.xls", "Anexa17.xls", "Anexa23_Electrica.xls", "Anexa24_Electrica.xls",
                                  "Anexa25_CEZ.xls"}));
    EXPECT_EQ(QDir(Output()).entryList(QDir::Files).size(), names.size());

    ClearApplications();
    const AjpisOutcome empty = Run(kWorking, kStart, kEnd);
    EXPECT_EQ(empty.writtenEmpty, QStringList({"Anexa13_21.xls", "Anexa13_Cumulat.xls", "Anexa22.xls", "Anexa14.xls",
                                               "Anexa15.xls", "Anexa16.xls", "Anexa17.xls"}));
}

TEST_F(AjpisTest, ProgressTextsInTheOrderOfTheAnnexes)
{
    struct Recorder : AjpisProgress {
        QStringList texts;
        void stage(const QString& text, bool step) override { texts << text + (step ? " +1" : ""); }
    } progress;
    AddApplication(1, "01.2024", Household(2, 100, 5, 320));
    Run(kWorking, kStart, kEnd, &progress);
    EXPECT_EQ(progress.texts, QStringList({"Fac Anexa 13 Cumulata... +1", " Generez Anexa 22... +1", " Generez Anexa 14...",
                                           " Generez Anexa 15... +1", " Generez Anexa 16... +1", " Generez Anexa 17... +1",
                                           "Fac Anexa 23... +1", "Fac Anexa 24... +1", "Fac Anexa 25... +1"}));
}

// A damaged template stands for any failure of the engines in the middle of
// a run: the workbooks finished before it stay whole, nothing else is left.
TEST_F(AjpisTest, FailureMidRunLeavesOnlyWholeWorkbooks)
{
    AddFixtureMonth(&AddApplication);
    QFile damaged(paths().dataFolder + "/Anexa16.xls");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("not a workbook");
    damaged.close();
    EXPECT_THROW(Run(kWorking, kStart, kEnd), std::exception);
    QStringList left = QDir(Output()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    left.sort();
    EXPECT_EQ(left, QStringList({"Anexa13_21.xls", "Anexa13_Cumulat.xls", "Anexa14.xls", "Anexa15.xls", "Anexa22.xls"}));
    QStringList paths;
    for (const QString& file : left)
        paths << Output() + "/" + file;
    Python("import sys, xlrd\nfor f in sys.argv[1:]:\n    xlrd.open_workbook(f)\n", paths);
}

// The grids are counted in one pass in memory; each cell must equal what the
// engine's own filter on the result set counts for it (blank columns included).
TEST_F(AjpisTest, StatisticsGridEqualsTheEngineFilterOfEveryCell)
{
    AddFixtureMonth(&AddApplication);
    AddApplication(61, "01.2024", {{"NR_MEMBRI", "3"}, {"NR_LUNI", "5"}, {"TOTAL", "100"}});   // no income
    AddApplication(62, "01.2024", {{"VENITM", "100"}, {"NR_LUNI", "5"}, {"TOTAL", "100"}});    // household of 1
    AddApplication(63, "01.2024", {{"NR_MEMBRI", "0"}, {"VENITM", "100"}, {"NR_LUNI", "2"}, {"TOTAL", "100"}});
    auto rs = Db().open(("SELECT NR_MEMBRI, VENITM, NR_LUNI FROM " + quotedTable("Cereri.dbf")
                         + " WHERE (STATUT=\"APROBAT\" OR STATUT=\"MODIFICAT\") AND TOTAL>0")
                            .toStdString());
    std::vector<AjpisGridRow> rows;
    for (rs->first(); !rs->eof(); rs->next()) {
        AjpisGridRow row;
        if (!rs->isNull("NR_MEMBRI"))
            row.members = int(rs->integer("NR_MEMBRI"));
        if (!rs->isNull("VENITM"))
            row.income = Money(std::llround(rs->number("VENITM") * kMoneyUnit));
        if (!rs->isNull("NR_LUNI"))
            row.aidMonths = int(rs->integer("NR_LUNI"));
        rows.push_back(row);
    }
    const BracketTable t = DefaultBracketTable();
    const AjpisGrid grid = StatisticsGrid(rows, t);
    const char* classes[] = {" AND (NR_MEMBRI=2)", " AND (NR_MEMBRI=3)", " AND (NR_MEMBRI=4)",
                             " AND (NR_MEMBRI=5)", " AND (NR_MEMBRI>5)", " AND (NR_MEMBRI=1)"};
    auto bound = [](Money m) { return QString::number(double(m) / kMoneyUnit); };
    for (int m = 5; m >= 1; --m)
        for (int k = 1; k <= 11; ++k)
            for (int c = 1; c <= 6; ++c) {
                if ((k == 10 && c == 6) || (k == 11 && c != 6))
                    continue;
                const QString lower = k == 1 ? "-1" : bound(t.limits[k == 11 ? 8 : k - 2]);
                const QString filter = "(NR_LUNI=" + QString::number(m) + ") AND (VENITM>" + lower + ") AND (VENITM<="
                                       + bound(t.limits[k - 1]) + ")" + classes[c - 1];
                rs->setFilter(filter.toStdString());
                rs->setFiltered(true);
                EXPECT_EQ(grid.cells.at({5 * k - m + 7, c + 4}), rs->recordCount()) << filter.toStdString();
            }
    EXPECT_EQ(grid.cells.size(), 300u);
}

TEST(AjpisBrackets, BoundsOfEveryBracket)
{
    const BracketTable t = DefaultBracketTable();
    const struct {
        double income;
        int members;
        QList<int> brackets;
    } cases[] = {
        {0, 2, {1}},        {-0.5, 1, {1}},     {-1, 1, {}},       {200, 2, {1}},      {200.01, 2, {2}},
        {1280, 1, {9}},     {1280.01, 1, {11}}, {1280.01, 3, {10}}, {1386, 2, {10}},   {1386.01, 2, {}},
        {2053, 1, {11}},    {2053.01, 1, {}},   {1300, 0, {}},
    };
    for (const auto& c : cases) {
        QList<int> found;
        for (int k = 1; k <= 11; ++k)
            if (InBracket(t, k, Money(std::llround(c.income * kMoneyUnit)), c.members))
                found << k;
        EXPECT_EQ(found, c.brackets) << c.income << " lei, " << c.members << " members";
    }
}

} // namespace
