// The restore of the demo database (25,000 applications, their members, the
// log and 40 per-application RTF documents), safety archive included, and the
// import of 5,000 minimum-income households. Each prints its ratio to
// unpacking the same archive (restore) or to reading the source tables
// (import), measured in the same run.
#include "applications/HouseholdImport.h"
#include "backup/Archive.h"
#include "backup/RestoreArchive.h"
#include "data/Db.h"
#include "data/Files.h"
#include "data/Paths.h"
#include "tools/demo-db/DemoDatabase.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>

namespace {

double secondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Setup {
    QTemporaryDir dir;
    QString archive;      // the demo database
    QString vmgArchive;   // 5,000 minimum-income households

    Setup()
    {
        const QString root = dir.path();
        for (const char* sub : {"Data", "Temp", "Eng", "Salvari", "Demo", "Vmg"})
            QDir(root).mkpath(QString::fromLatin1(sub));
        AppPaths& p = paths();
        p.programFolder = p.exeFolder = root;
        p.dataFolder = p.localDataFolder = root + "/Data";
        p.tempFolder = root + "/Temp";
        p.systemFolder = root;
        p.enginePrivateFolder = root + "/Eng";
        demodb::generate({(root + "/Demo").toStdString(), 7, 5000, 5});
        for (int i = 0; i < 40; ++i) {
            QFile doc(root + "/Demo/C" + QString::number(1000 + i) + ".rtf");
            doc.open(QIODevice::WriteOnly);
            QByteArray text = "{\\rtf1\\ansi\\ansicpg1250 ";
            while (text.size() < 150000)
                text += "Cerere pentru ajutorul de incalzire a locuintei nr. " + QByteArray::number(text.size()) + "\\par\r\n";
            doc.write(text + "}");
        }
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
    const double reference = secondsOf([&] {
        QDir(unpack).removeRecursively();
        QDir().mkpath(unpack);
        backup::UnpackArchive(s.archive, unpack);
    });
    double total = 0;
    for (auto _ : state) {
        QDir(s.dir.path() + "/Salvari").removeRecursively();
        total += secondsOf([&] {
            const backup::RestoreResult r = backup::RestoreArchive(s.archive, paths().dataFolder, s.dir.path() + "/Salvari");
            if (!r.restored)
                state.SkipWithError(r.error.toStdString().c_str());
        });
    }
    state.counters["seconds"] = total / double(state.iterations());
    state.counters["ratio_to_unpack"] = total / double(state.iterations()) / reference;
}

void BM_ImportVmg5000(benchmark::State& state)
{
    Setup& s = setup();
    const double reference = secondsOf([&] {
        auto rs = Db().open(sqlLines({"SELECT *", "FROM " + quotedPath(s.dir.path() + "/Vmg/Cereri.dbf")}));
        auto rm = Db().open(sqlLines({"SELECT *", "FROM " + quotedPath(s.dir.path() + "/Vmg/Oameni.dbf")}));
        benchmark::DoNotOptimize(rs->recordCount() + rm->recordCount());
    });
    resetDb();
    double total = 0;
    for (auto _ : state) {
        total += secondsOf([&] {
            const hestavo::ImportResult r = hestavo::ImportHouseholds(hestavo::ImportKind::Vmg, s.vmgArchive, 24300);
            if (!r.imported || r.applications != 5000)
                state.SkipWithError(r.error.toStdString().c_str());
        });
    }
    state.counters["seconds"] = total / double(state.iterations());
    state.counters["ratio_to_reading_source"] = total / double(state.iterations()) / reference;
}

} // namespace

BENCHMARK(BM_RestoreDemoDatabase)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportVmg5000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
