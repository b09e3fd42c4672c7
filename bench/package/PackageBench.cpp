// The whole monthly package (check, every output, cross-check read back,
// manifest, zip) of one month of the demo database of a large town: 5
// working months of 5,000 households by default, or of the household counts
// given as arguments (to see that the time grows linearly). Each line gives
// the median wall and processor time of three runs and their ratio to the
// budget (5 s for 5,000 households, in proportion for other counts).
// BENCH_STEPS=1 prints the time of every step.
#include "bench/MedianTime.h"
#include "bench/register/DemoTown.h"
#include "data/Months.h"
#include "documents/TemplateStore.h"
#include "package/MonthlyPackage.h"
#include "register/AdminSettings.h"
#include "tools/demo-db/DemoSettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace hestavo;

namespace {

void Bench(int households)
{
    QTemporaryDir dir;
    const demodb::Summary town = MakeDemoTown(dir.path(), households, 5);
    demodb::writeSettings(paths().dataFolder, town);
    MaterializeTemplates();
    const QString month = SerialToMonth(town.monthSerials.front());
    const AdminSettings settings = LoadAdminSettings();
    int run = 0;
    PackageOutcome outcome;
    std::vector<double> cpu;
    const double ms = MedianMs(3, [&] {
        const std::clock_t started = std::clock();
        const QString out = dir.filePath("out" + QString::number(++run));
        QDir().mkpath(out);
        PackageRequest request{month, out, QDate(2024, 12, 15)};
        request.force = request.forceDifferences = true;   // the demo month has blocking findings
        QElapsedTimer clock;
        clock.start();
        QString last = "start";
        outcome = MakeMonthlyPackage(request, settings, [&](const QString& step) {
            if (qEnvironmentVariableIsSet("BENCH_STEPS"))
                std::printf("  %6lld ms  %s\n", clock.restart(), qPrintable(last));
            last = step;
        });
        if (qEnvironmentVariableIsSet("BENCH_STEPS"))
            std::printf("  %6lld ms  %s\n", clock.restart(), qPrintable(last));
        for (const QString& d : outcome.differences)
            std::printf("  difference: %s\n", qPrintable(d));
        cpu.push_back(double(std::clock() - started) * 1000.0 / CLOCKS_PER_SEC);
    });
    std::sort(cpu.begin(), cpu.end());
    const double budget = 5000.0 * households / 5000;
    std::printf("monthly package, %6d households (%d applications in all): wall %6.0f ms (ratio %.3f)  cpu %6.0f ms"
                " (ratio %.3f)  budget %6.0f ms  (%lld files, %lld differences)\n",
                households, town.cereri, ms, ms / budget, cpu[1], cpu[1] / budget, budget,
                static_cast<long long>(outcome.files.size() + 1),
                static_cast<long long>(outcome.differences.size()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList counts = app.arguments().mid(1);
    if (counts.isEmpty())
        counts << QStringLiteral("5000");
    for (const QString& c : counts)
        Bench(c.toInt());
    return 0;
}
