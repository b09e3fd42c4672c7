// Benchmarks of the payment outputs on a month of 5,000 households: the
// treasury report with both accounts (budget 2 s) and the payment list
// (budget 1 s). Each line gives the median time, its ratio to the budget and
// its ratio to a reference measured in the same run: reading the bytes of
// the month's Cereri.dbf.
#include "bench/MedianTime.h"
#include "bench/register/DemoTown.h"
#include "data/Months.h"
#include "documents/PaymentList.h"
#include "documents/TemplateStore.h"
#include "documents/TreasuryReport.h"
#include "register/AdminSettings.h"
#include "register/AdminValues.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir root;
    MakeDemoTown(root.path(), 5000, 1);
    hestavo::AdminSettings s;
    s.primaria = "Oras Demo";
    s.sirues = "1234567890";
    s.judet = "ALBA";
    s.codjud = "1";
    s.primar = "Ion Primar";
    hestavo::StoreAdminSettings(s);
    MaterializeTemplates();
    const int month = MonthToSerial("11.2024");
    const QString out = root.path() + "/out";
    QDir().mkpath(out);

    const double reference = MedianMs(5, [] {
        QFile f(tableFile("Cereri.dbf"));
        f.open(QIODevice::ReadOnly);
        volatile qint64 n = f.readAll().size();
        (void)n;
    });
    const struct {
        const char* what;
        double budgetMs;
        std::function<void()> work;
    } cases[] = {
        {"treasury report, both accounts", 2000,
         [&] { MakeTreasuryReport(month, {QDate(2025, 3, 5), true, true, {}}, out); }},
        {"payment list", 1000, [&] { QFile::remove(MakePaymentList(month, {{}, "noiembrie 2024"}).file); }},
    };
    for (const auto& c : cases) {
        const double ms = MedianMs(5, c.work);
        std::printf("%-34s %8.1f ms  budget ratio %.3f  reference ratio %.1f\n", c.what, ms, ms / c.budgetMs,
                    ms / reference);
    }
    return 0;
}
