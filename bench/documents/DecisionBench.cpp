// Benchmarks of the decisions on a month of 5,000 households: numbering the
// month's 5,000 decisions (budget 1 s), one RTF document with 5,000 separate
// decisions (budget 3 s) and the single cumulative decision's workbook with
// 5,000 rows on its first annex (budget 2 s). Each line gives the median time
// and its ratio to the budget (below 1 is within it).
#include "bench/MedianTime.h"
#include "bench/register/DemoTown.h"
#include "data/Months.h"
#include "documents/TemplateStore.h"
#include "engine/ResultSet.h"
#include "register/AdminSettings.h"
#include "register/DecisionList.h"
#include "register/Numbering.h"
#include "register/SingleDecision.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace hestavo;

namespace {

const QString kMonth = QStringLiteral("11.2024");

void Report(const char* what, double ms, double budgetMs, int rows)
{
    std::printf("%-44s %5d rows %8.1f ms  budget %5.0f ms  ratio %.3f\n", what, rows, ms, budgetMs, ms / budgetMs);
    std::fflush(stdout);
}

// Every application of the month numbered, in application order, from 1 (or
// all with the number 1).
int NumberAll(bool sameNumber)
{
    DecisionNumbering n;
    n.from = 1;
    n.to = 1000000;
    n.first = 1;
    n.date = QDate(2024, 11, 28);
    n.sameNumber = sameNumber;
    return NumberDecisions(kMonth, n, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir root;
    MakeDemoTown(root.path(), 5000, 1);
    AdminSettings s;
    s.primaria = "Oras Demo";
    s.judet = "ALBA";
    s.primar = "Ion Primar";
    s.intocmit = "Ana Intocmit";
    StoreAdminSettings(s);
    const AdminSettings settings = LoadAdminSettings();
    MaterializeTemplates();
    const QString out = root.path() + "/out";

    int rows = 0;
    double ms = MedianMs(5, [&] { rows = NumberAll(false); });
    Report("numbering the month's decisions", ms, 1000, rows);

    // Every application of the month approved, so that one status holds them all.
    Db().exec("UPDATE " + quotedTable("Cereri.dbf").toStdString()
              + " SET STATUT=\"APROBAT\", CUMODIF=\"\", CUAJUT=\"X\" WHERE LUNACRT="
              + std::to_string(MonthToSerial(kMonth)));
    const DecisionListing listing{"APROBAT", 1, 1000000, QDate(2024, 12, 1)};
    ms = MedianMs(5, [&] {
        QFile::remove(out + ".rtf");
        rows = WriteDecisions(kMonth, listing, settings, out + ".rtf");
    });
    Report("one RTF document of separate decisions", ms, 3000, rows);

    NumberAll(true);
    const SingleDecisionChoice choice{1, QDate(2024, 12, 1), "noiembrie 2024 - martie 2025", "15", "ALBA"};
    SingleDecisionResult single;
    ms = MedianMs(5, [&] { single = WriteSingleDecision(kMonth, choice, settings, out + ".xls"); });
    Report("single decision workbook (annex 1 rows)", ms, 2000, single.annex1Rows);
    std::printf("  annex 2 rows: %d\n", single.annex2Rows);
    return 0;
}
