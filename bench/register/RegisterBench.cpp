// Benchmarks of the register on the demo database of a large town (5 working
// months of 5,000 households, 25,000 applications): the register's list, its
// sort and name search, the editor's CNP look-up and acceptance checks, the
// copy and purge of a month and the three month-wide corrections. Each line
// gives the median time and its ratio to the budget (below 1 is within it).
#include "bench/register/DemoTown.h"
#include "data/Db.h"
#include "data/Months.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "data/TestMode.h"
#include "engine/ResultSet.h"
#include "register/AdminValues.h"
#include "register/AidCalculation.h"
#include "register/MonthCheck.h"
#include "register/MonthCorrections.h"
#include "register/MonthTransfer.h"
#include "register/RegisterModel.h"
#include "register/WorkingMonth.h"
#include "register/WorkingMonths.h"
#include "ui/register/ApplicationEditor.h"
#include "ui/register/CnpEdit.h"
#include "ui/register/RegisterWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <functional>
#include <vector>

using namespace hestavo;

namespace {

struct Timing {
    double wallMs = 0;   // elapsed time
    double cpuMs = 0;    // processor time of this process (less disturbed by a busy machine)
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

Timing MedianMs(int reps, const std::function<void()>& before, const std::function<void()>& work)
{
    std::vector<double> wall, cpu;
    for (int i = 0; i < reps; ++i) {
        before();
        QElapsedTimer t;
        t.start();
        const std::clock_t c = std::clock();
        work();
        cpu.push_back(double(std::clock() - c) * 1000.0 / CLOCKS_PER_SEC);
        wall.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return {Median(wall), Median(cpu)};
}

void Report(const char* what, Timing t, double budgetMs)
{
    std::printf("%-52s wall %8.2f ms (ratio %.3f)  cpu %8.2f ms (ratio %.3f)  budget %5.0f ms\n", what, t.wallMs,
                t.wallMs / budgetMs, t.cpuMs, t.cpuMs / budgetMs, budgetMs);
    std::fflush(stdout);
}

void Nothing() {}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const demodb::Summary town = MakeDemoTown(dir.path(), 5000, 5);
    std::printf("demo database: %d applications, %d members\n", town.cereri, town.oameni);
    testmode::enable();   // no message box waits for an answer
    const QString month = SerialToMonth(town.monthSerials.front());
    const QString target = "10." + QString::number(town.monthSerials.back() / 12 + 1);
    SetWorkingMonth(month);

    RegisterWindow window;
    window.resize(1366, 768);
    window.show();
    Report("register: open a 5,000-application month, first screen",
           MedianMs(7, [&] { window.model->close(); QApplication::processEvents(); },
                    [&] {
                        window.openList();
                        window.grid->viewport()->repaint();
                    }),
           150);
    int column = 0;
    Report("register: sort by a title",
           MedianMs(7, [&] { column = column == 5 ? 4 : 5; },
                    [&] {
                        window.sortBy(column);
                        window.grid->viewport()->repaint();
                    }),
           100);
    const QString name = window.model->fieldAt(window.model->rowCount() / 2, "TITULAR");
    int typed = 0;
    Report("register: one keystroke of the name search",
           MedianMs(std::min<int>(int(name.size()), 9), [&] { ++typed; },
                    [&] {
                        window.searchField->setText(name.left(typed));
                        window.grid->viewport()->repaint();
                    }),
           30);
    window.searchField->clear();
    const QString cnp = window.model->fieldAt(10, "CNP");
    std::size_t findings = 0;
    Report("month check before reporting, 5,000 applications",
           MedianMs(7, Nothing,
                    [&] { findings = hestavo::CheckMonth(MonthToSerial(month), hestavo::AdminValues().brackets).size(); }),
           300);
    std::printf("month check: %zu findings\n", findings);
    window.hide();

    ApplicationEditor& editor = ApplicationEditor::instance();
    Report("editor: CNP look-up",
           MedianMs(9, [&] {
               editor.beginAdd();
               editor.cnpField->clear();
           }, [&] { editor.cnpField->setText(cnp); }), 10);
    editor.finish();
    SetWorkingMonth(target);
    Report("editor: acceptance checks",
           MedianMs(9,
                    [&] {
                        editor.beginAdd();
                        editor.cnpField->setText(cnp);
                        editor.startYear->setText("2025");
                        editor.period->setText("5");
                        editor.status->setCurrentText("RESPINS");
                        editor.reason->setEditText("bench");
                    },
                    [&] {
                        editor.saveApplication();
                        editor.finish();
                    }),
           20);
    if (!editor.isSaved())
        std::printf("  (the benchmarked application was refused: %s)\n",
                    testmode::hints().isEmpty() ? "question" : qPrintable(testmode::hints().last().text));

    const std::string cereri = tableFile("Cereri.dbf").toStdString();
    const std::string oameni = tableFile("Oameni.dbf").toStdString();
    const int targetSerial = MonthToSerial(target);
    const auto clearTarget = [&] { DeleteMonthData(Db(), cereri, oameni, targetSerial); };
    Report("copy a 5,000-household month",
           MedianMs(3, clearTarget, [&] { CopyFromOtherMonth(month, target, nullptr); }), 2000);
    Report("purge a month against another",
           MedianMs(3, [&] { clearTarget(); CopyFromOtherMonth(month, target, nullptr); },
                    [&] { PurgeAgainstMonth(month, target, nullptr); }),
           1000);
    CopyFromOtherMonth(month, target, nullptr);
    Report("correction: application date", MedianMs(5, Nothing, [&] { SetApplicationDate(target, 1, 100000, QDate(2025, 10, 2)); }), 150);
    int months = 1;
    Report("correction: number of aid months",
           MedianMs(5, [&] { months = months % 5 + 1; }, [&] { ChangeAidMonths(target, months, nullptr); }), 150);
    bool on = false;
    Report("correction: set or clear the aid",
           MedianMs(5, [&] { on = !on; }, [&] { SetAid(target, on, DefaultBracketTable(), nullptr); }), 150);
    testmode::disable();
    return 0;
}
