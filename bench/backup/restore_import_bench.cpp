// The restore of the demo database (25,000 applications, their members, the
// log and 40 per-application RTF documents), safety archive included, and the
// import of 5,000 minimum-income households. Each prints its wall and CPU
// seconds (CPU of every thread of the process) and ratio_to_budget: wall time
// over the time allowed (1 s for the restore, 2 s for the import); at most 1
// is the goal. For scale it also prints the ratio to unpacking the same
// archive (restore) or to reading the source tables (import), measured in the
// same run. On a busy machine the CPU seconds say more than the wall time.
#include "backup/Archive.h"
#include "backup/RestoreArchive.h"
#include "bench/backup/DemoDataFolder.h"
#include "data/Db.h"
#include "data/Files.h"
#include "data/Paths.h"
#include "register/HouseholdImport.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <ctime>

namespace {

constexpr double kRestoreBudget = 1.0; // seconds
constexpr double kImportBudget = 2.0;

struct Timing {
    double wall = 0;
    double cpu = 0; // every thread of the process
};

Timing timeOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            double(std::clock() - cpuStart) / CLOCKS_PER_SEC};
}

void report(benchmark::State& state, const Timing& total, double budget, const char* reference, double referenceSeconds)
{
    const double n = double(state.iterations());
    state.counters["wall_s"] = total.wall / n;
    state.counters["cpu_s"] = total.cpu / n;
    state.counters["ratio_to_budget"] = total.wall / n / budget;
    state.counters[reference] = total.wall / n / referenceSeconds;
}

struct Setup {
    QTemporaryDir dir;
    QString archive;      // the demo database
    QString vmgArchive;   // 5,000 minimum-income households

    Setup()
    {
        const QString root = dir.path();
        benchdata::UseProgramFolder(root, {"Salvari", "Demo", "Vmg"});
        benchdata::MakeDemoDataFolder(root + "/Demo");
        archive = root + "/Demo.L21";
        backup::WriteArchive(root + "/Demo", archive);
        makeVmg(root + "/Vmg");
        vmgArchive = root + "/Vmg.416";
        backup::WriteArchive(root + "/Vmg", vmgArchive);
        resetDb();
    }

    static void makeVmg(const QString& folder)
    {
        const QString cereri = quotedPath(folder + "/Cereri.dbf");
        const QString oameni = quotedPath(folder + "/Oameni.dbf");
        Db().exec(sqlLines({"CREATE TABLE " + cereri,
                            "(IDCERERE DECIMAL(10,0), CERENR DECIMAL(10,0), CEREDATA DATE, STARE CHAR(10), CALDURA CHAR(1),",
                            "NUME CHAR(40), CNP CHAR(13), LOCALIT CHAR(40), STR CHAR(40), STRNR CHAR(10), BLOC CHAR(10),",
                            "SCARA CHAR(5), ETAJ CHAR(5), APART CHAR(5), NRMEMBRI DECIMAL(3,0), VENITP DECIMAL(10,2),",
                            "VENITV DECIMAL(10,2), VENITA DECIMAL(10,2), ASF CHAR(1), STCIV CHAR(2), SITSCOL CHAR(2))"}));
        Db().exec(sqlLines({"CREATE TABLE " + oameni,
                            "(IDCERERE DECIMAL(10,0), NUME CHAR(40), CNPDATA CHAR(13), CUANTUMV DECIMAL(10,2),",
                            "CUANTUMP DECIMAL(10,2), CUANTUMA DECIMAL(10,2), RUDACOD DECIMAL(2,0))"}));
        engine::Transaction t = Db().beginTransaction();
        QStringList applications, members;
        for (int i = 1; i <= 5000; ++i) {
            const QString id = QString::number(i);
            applications << "(" + id + ", " + id + ", \"01.10.2024\", \"APROBATA\", \"L\", \"POPESCU " + id
                                + "\", \"1800101123456\", \"DEJ\", \"Florilor\", \"12\", \"\", \"\", \"\", \"3\", 3, 100, 50, 25, \"\", \"CA\", \"NU\")";
            for (int m = 1; m <= 3; ++m)
                members << "(" + id + ", \"MEMBRU " + id + "\", \"\", 100, 0, 0, " + QString::number(m) + ")";
        }
        for (int first = 0; first < 15000; first += 500) {
            if (first < 5000)
                Db().exec(sqlLines({"INSERT INTO " + cereri, "VALUES " + applications.mid(first, 500).join(",")}));
            Db().exec(sqlLines({"INSERT INTO " + oameni, "VALUES " + members.mid(first, 500).join(",")}));
        }
        t.commit();
        resetDb();
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

void BM_RestoreDemoDatabase(benchmark::State& state)
{
    Setup& s = setup();
    const QString unpack = s.dir.path() + "/Unpack";
    const double reference = timeOf([&] {
        QDir(unpack).removeRecursively();
        QDir().mkpath(unpack);
        backup::UnpackArchive(s.archive, unpack);
    }).wall;
    const QString saves = s.dir.path() + "/Salvari";
    auto restore = [&] {
        const backup::RestoreResult r = backup::RestoreArchive(s.archive, paths().dataFolder, saves);
        if (!r.restored)
            state.SkipWithError(r.error.toStdString().c_str());
        return r;
    };
    restore(); // untimed: from now on there is a whole database to keep in the safety archive
    Timing total;
    for (auto _ : state) {
        QDir(saves).removeRecursively();
        QDir().mkpath(saves);
        const Timing t = timeOf([&] {
            if (restore().safetyArchive.isEmpty())
                state.SkipWithError("no safety archive");
        });
        total.wall += t.wall;
        total.cpu += t.cpu;
    }
    report(state, total, kRestoreBudget, "ratio_to_unpack", reference);
}

void BM_ImportVmg5000(benchmark::State& state)
{
    Setup& s = setup();
    const double reference = timeOf([&] {
        auto rs = Db().open(sqlLines({"SELECT *", "FROM " + quotedPath(s.dir.path() + "/Vmg/Cereri.dbf")}));
        auto rm = Db().open(sqlLines({"SELECT *", "FROM " + quotedPath(s.dir.path() + "/Vmg/Oameni.dbf")}));
        benchmark::DoNotOptimize(rs->recordCount() + rm->recordCount());
    }).wall;
    resetDb();
    Timing total;
    for (auto _ : state) {
        const Timing t = timeOf([&] {
            const hestavo::ImportResult r = hestavo::ImportHouseholds(hestavo::ImportKind::Vmg, s.vmgArchive, 24300);
            if (!r.imported || r.applications != 5000)
                state.SkipWithError(r.error.toStdString().c_str());
        });
        total.wall += t.wall;
        total.cpu += t.cpu;
    }
    report(state, total, kImportBudget, "ratio_to_reading_source", reference);
}

} // namespace

BENCHMARK(BM_RestoreDemoDatabase)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportVmg5000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
