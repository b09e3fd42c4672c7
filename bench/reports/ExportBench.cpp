// Benchmarks of the national exports and the lists on the demo database of a
// large town (one working month of 5,000 households): the ANPIS file, the
// F2201 files, the three list workbooks and the persons dBase file. Each line
// gives the median wall time and its ratio to the 1 s budget (below 1 is
// within it).
#include "bench/register/DemoTown.h"
#include "data/Months.h"
#include "reports/AnpisExport.h"
#include "reports/ControlLists.h"
#include "reports/F2201Export.h"
#include "reports/PersonsDbfExport.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace hestavo;

namespace {

constexpr double kBudgetMs = 1000;

void Report(const char* what, int reps, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("%-40s wall %8.2f ms (ratio %.3f)  budget %5.0f ms\n", what, median, median / kBudgetMs, kBudgetMs);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir root;
    const demodb::Summary town = MakeDemoTown(root.path(), 5000, 1);
    std::printf("demo database: %d applications, %d members\n", town.cereri, town.oameni);
    WriteSetting("SETARI", "JUDET", "ALBA");
    WriteSetting("SETARI", "SIRUES", "4562443");
    WriteSetting("SETARI", "PRIMARIA", "Comuna Demo");
    WriteSetting("SETARI", "Cu1", "320");
    const QString month = SerialToMonth(town.monthSerials.front());
    const QString out = root.path() + "/Out";
    QDir().mkpath(out);

    Report("ANPIS XML", 5, [&] { WriteAnpisXml(month, out); });
    Report("F2201 XML", 5, [&] { WriteF2201Files(F2201Persons(month), out, QDateTime::currentDateTime()); });
    Report("Lista persoanelor si varsta", 3, [&] { QFile::remove(PersonsAgeList(month)); });
    Report("Situatia membrilor", 3, [&] { QFile::remove(MembersSituationList(month)); });
    Report("Control bazat pe profilul de risc", 3, [&] { QFile::remove(RiskControlList(month, "11", "2024")); });
    Report("Export DBF persoane", 3, [&] { ExportPersonsDbf(month, out + "/p.dbf"); });
    return 0;
}
