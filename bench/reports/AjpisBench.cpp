// Benchmarks of the monthly AJPIS report on demo towns of 5 working months:
// the decision reference table alone (budget 1 s for 25,000 applications).
#include "bench/applications/DemoTown.h"
#include "reports/DecisionReference.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double MedianMs(int reps, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir root;
    const demodb::Summary town = MakeDemoTown(root.path(), 5000, 5);
    std::printf("demo database: %d applications over 5 months\n", town.cereri);
    const double ms = MedianMs(5, [] { DecisionReferenceTable table; });
    std::printf("%-40s wall %8.2f ms (ratio %.3f)  budget %5.0f ms\n", "decision reference table", ms, ms / 1000, 1000.0);
}
