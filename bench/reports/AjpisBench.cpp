// Benchmarks of the monthly AJPIS report on demo towns over a five-month
// period: the decision reference table alone (budget 1 s for 25,000
// applications), and the whole report for 1,000, 5,000 and 20,000 households
// a month (budget 3 s for 5,000), with the time per 1,000 households to show
// how the cost grows with the rows.
#include "bench/register/DemoTown.h"
#include "data/Months.h"
#include "documents/TemplateStore.h"
#include "reports/AjpisReport.h"
#include "reports/DecisionReference.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace hestavo;

namespace {

double CpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// Median wall time of the runs; the median processor time of this process
// goes to *cpu (on a shared machine the wall time includes waiting).
double MedianMs(int reps, const std::function<void()>& work, double* cpu = nullptr)
{
    std::vector<double> times, cpus;
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer timer;
        const double cpuStart = CpuMs();
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
        cpus.push_back(CpuMs() - cpuStart);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpus.begin(), cpus.end());
    if (cpu)
        *cpu = cpus[cpus.size() / 2];
    return times[times.size() / 2];
}

// Prints the time spent before each progress text (what the run was doing
// until then), once.
class StageTimes : public AjpisProgress {
public:
    StageTimes() { m_timer.start(); }
    void stage(const QString& text, bool) override
    {
        std::printf("    %-30s %8.1f ms\n", qPrintable(m_last), m_timer.restart() / 1.0);
        m_last = text.trimmed();
    }
    ~StageTimes() override { std::printf("    %-30s %8.1f ms\n", qPrintable(m_last), m_timer.elapsed() / 1.0); }

private:
    QElapsedTimer m_timer;
    QString m_last = QStringLiteral("Fac Anexele 13 si 21...");
};

void Line(const char* what, double ms, double budgetMs)
{
    std::printf("%-44s wall %9.2f ms (ratio %.3f)  budget %5.0f ms\n", what, ms, ms / budgetMs, budgetMs);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    for (int households : {1000, 5000, 20000}) {
        QTemporaryDir root;
        const demodb::Summary town = MakeDemoTown(root.path(), households, 5);
        MaterializeTemplates();
        const AdminSettings settings = LoadAdminSettings();
        const int first = town.monthSerials.front();
        const int last = town.monthSerials.back();
        std::printf("demo town: %d households a month, %d applications over 5 months\n", households, town.cereri);
        if (households == 5000)
            Line("decision reference table", MedianMs(5, [] { DecisionReferenceTable table; }), 1000);
        int run = 0;
        double cpu = 0;
        const double ms = MedianMs(3, [&] {
            const QString out = root.path() + "/Out" + QString::number(++run);
            QDir().mkpath(out);
            WriteAjpisReport({SerialToMonth(last), first, last, out}, settings);
        }, &cpu);
        const QByteArray what = QByteArray("whole AJPIS report, ") + QByteArray::number(households) + " households";
        Line(what.constData(), ms, households == 5000 ? 3000 : 3000.0 * households / 5000);
        std::printf("%-44s %9.2f ms per 1,000 households (processor %.2f ms in all, %.2f per 1,000)\n", "",
                    ms / (households / 1000.0), cpu, cpu / (households / 1000.0));
        const QString out = root.path() + "/OutStages";
        QDir().mkpath(out);
        StageTimes stages;
        WriteAjpisReport({SerialToMonth(last), first, last, out}, settings, &stages);
    }
}
