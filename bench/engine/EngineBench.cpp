// Benchmarks of the engine on the demo database of a large town (5 working
// months of 5,000 households). Each benchmark also reports, measured in the
// same run, its ratio to a reference: the same query on native SQLite tables
// holding the same rows, or (for a full scan) reading the file's bytes.
// Budgets: a month of the register <= 50 ms; walking and posting a month <= 200 ms.
#include "engine/Database.h"
#include "tools/demo-db/DemoDatabase.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double medianOf(const std::function<void()>& f, int reps)
{
    std::vector<double> t;
    for (int i = 0; i < reps; ++i) {
        auto s = Clock::now();
        f();
        t.push_back(millis(Clock::now() - s));
    }
    return median(t);
}

// The generated database, and the same rows in native SQLite tables.
struct Town {
    std::string dir, cereri, oameni, persons;
    int month = 0; // the working month benchmarked
    sqlite3* native = nullptr;

    Town()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "hv-bench-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            std::abort();
        dir = tmpl;
        demodb::Options o;
        o.folder = dir;
        o.seed = 42;
        demodb::Summary s = demodb::generate(o);
        month = s.monthSerials[2];
        cereri = dir + "/Cereri.dbf";
        oameni = dir + "/Oameni.dbf";
        persons = dir + "/Om.dbf";
        engine::Database db;
        // The persons table of the tax form, filled as the export does.
        db.exec({"CREATE TABLE \"" + persons + "\"", "(TITULAR CHAR(32), CNP CHAR(13), NR_CERE\tDECIMAL(10,0), DATACERE\tDATE)"});
        db.exec({"INSERT INTO \"" + persons + "\"", "(TITULAR, CNP, NR_CERE, DATACERE)", "SELECT TITULAR, CNP, NR_CERE, DATACERE",
                 "FROM \"" + cereri + "\"", "WHERE LUNACRT=" + std::to_string(month),
                 "AND (STATUT=\"APROBAT\" OR STATUT=\"MODIFICAT\")"});
        db.exec({"INSERT INTO \"" + persons + "\"", "(TITULAR, CNP, NR_CERE, DATACERE)",
                 "SELECT A.TITULAR, A.CNP, B.NR_CERE, B.DATACERE", "FROM \"" + oameni + "\" A", "JOIN \"" + cereri + "\" B",
                 "  ON A.NRCRT=B.NRCRT", "WHERE B.LUNACRT=" + std::to_string(month),
                 "AND (B.STATUT=\"APROBAT\" OR B.STATUT=\"MODIFICAT\")"});
        sqlite3_open(":memory:", &native);
        copyToNative(db, cereri, "Cereri");
        copyToNative(db, oameni, "Oameni");
        copyToNative(db, persons, "Om");
    }
    ~Town()
    {
        sqlite3_close(native);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    void copyToNative(engine::Database& db, const std::string& path, const std::string& name)
    {
        auto rs = db.open("SELECT * FROM \"" + path + "\"");
        const auto cols = rs->columnNames();
        std::string create = "CREATE TABLE " + name + "(", insert = "INSERT INTO " + name + " VALUES(";
        for (size_t i = 0; i < cols.size(); ++i) {
            const auto t = rs->columnType(cols[i]);
            create += (i ? ", " : "") + cols[i] + (t == engine::ColumnType::Numeric ? " NUMERIC" : " TEXT");
            insert += i ? ",?" : "?";
        }
        sqlite3_exec(native, (create + ")").c_str(), nullptr, nullptr, nullptr);
        sqlite3_exec(native, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(native, (insert + ")").c_str(), -1, &st, nullptr);
        for (rs->first(); !rs->eof(); rs->next()) {
            for (size_t i = 0; i < cols.size(); ++i) {
                const int p = static_cast<int>(i) + 1;
                if (rs->isNull(cols[i]))
                    sqlite3_bind_null(st, p);
                else if (rs->columnType(cols[i]) == engine::ColumnType::Numeric)
                    sqlite3_bind_double(st, p, rs->number(cols[i]));
                else
                    sqlite3_bind_text(st, p, rs->text(cols[i]).c_str(), -1, SQLITE_TRANSIENT);
            }
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(native, "COMMIT", nullptr, nullptr, nullptr);
    }

    // Runs a native statement and reads every field of every row, as the
    // engine's materialised result set does.
    long nativeQuery(const std::string& sql) const
    {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(native, sql.c_str(), -1, &st, nullptr);
        long n = 0;
        std::string sink;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                if (sqlite3_column_type(st, i) == SQLITE_TEXT)
                    sink.assign(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
                else
                    benchmark::DoNotOptimize(sqlite3_column_double(st, i));
            }
            ++n;
        }
        sqlite3_finalize(st);
        return n;
    }
};

Town& town()
{
    static Town t;
    return t;
}

// Times `ours` in the benchmark loop and the reference right after it, and
// reports both medians and their ratio; with a budget, also the budget and
// whether the median kept to it (1) or not (0).
void measure(benchmark::State& state, const std::function<void()>& ours, const std::function<void()>& reference,
             const char* referenceName, double budgetMs = 0)
{
    std::vector<double> times;
    for (auto _ : state) {
        auto s = Clock::now();
        ours();
        times.push_back(millis(Clock::now() - s));
    }
    const double mine = median(times);
    const double ref = medianOf(reference, std::clamp(static_cast<int>(times.size()), 3, 20));
    state.counters["median_ms"] = mine;
    state.counters[std::string(referenceName) + "_ms"] = ref;
    state.counters["ratio"] = ref > 0 ? mine / ref : 0;
    if (budgetMs > 0) {
        state.counters["budget_ms"] = budgetMs;
        state.counters["within_budget"] = mine <= budgetMs ? 1 : 0;
    }
}

void BM_RegisterMonthByName(benchmark::State& state)
{
    Town& t = town();
    engine::Database db;
    const std::string w = std::to_string(t.month);
    measure(
        state,
        [&] {
            auto rs = db.open({"SELECT *", "FROM \"" + t.cereri + "\"", "WHERE LUNACRT=" + w, "ORDER BY TITULAR"});
            benchmark::DoNotOptimize(rs->recordCount());
        },
        [&] { t.nativeQuery("SELECT * FROM Cereri WHERE LUNACRT=" + w + " ORDER BY TITULAR"); }, "native", 50);
}

void BM_MemberCnpCheck(benchmark::State& state)
{
    Town& t = town();
    engine::Database db;
    const std::string w = std::to_string(t.month);
    // A member CNP of the middle of the month.
    auto probe = db.open("SELECT A.CNP FROM \"" + t.oameni + "\" A, \"" + t.cereri
                         + "\" B WHERE A.NRCRT=B.NRCRT AND B.LUNACRT=" + w + " AND A.CALITATE=\"copil\"");
    probe->locate("CNP", probe->text("CNP"));
    for (int i = 0; i < probe->recordCount() / 2; ++i)
        probe->next();
    const std::string cnp = probe->text("CNP");
    measure(
        state,
        [&] {
            auto rs = db.open({"SELECT A.CNP, B.NR_CERE, B.DATACERE FROM \"" + t.oameni + "\" A, \"" + t.cereri + "\" B",
                               "WHERE A.CNP = \"" + cnp + "\" AND A.NRCRT=B.NRCRT AND B.LUNACRT=" + w});
            if (rs->isEmpty())
                std::abort();
        },
        [&] {
            t.nativeQuery("SELECT A.CNP, B.NR_CERE, B.DATACERE FROM Oameni A, Cereri B WHERE A.CNP = '" + cnp
                          + "' AND A.NRCRT=B.NRCRT AND B.LUNACRT=" + w);
        },
        "native");
}

void BM_MonthMembersJoin(benchmark::State& state)
{
    Town& t = town();
    engine::Database db;
    const std::string w = std::to_string(t.month);
    const std::string tail = " WHERE B.LUNACRT=" + w + " AND (STATUT=\"APROBAT\" OR STATUT=\"MODIFICAT\") AND CUAJUT=\"X\"";
    measure(
        state,
        [&] {
            auto rs = db.open({"SELECT A.TITULAR, A.CNP, A.VENIT, A.CALITATE, A.NROM, B.NRCRT", "FROM \"" + t.oameni + "\" A",
                               "JOIN \"" + t.cereri + "\" B", "ON A.NRCRT=B.NRCRT", tail});
            benchmark::DoNotOptimize(rs->recordCount());
        },
        [&] {
            t.nativeQuery("SELECT A.TITULAR, A.CNP, A.VENIT, A.CALITATE, A.NROM, B.NRCRT FROM Oameni A JOIN Cereri B "
                          "ON A.NRCRT=B.NRCRT WHERE B.LUNACRT=" + w
                          + " AND (STATUT='APROBAT' OR STATUT='MODIFICAT') AND CUAJUT='X'");
        },
        "native");
}

void BM_TaxFormPersonsGroupBy(benchmark::State& state)
{
    Town& t = town();
    engine::Database db;
    measure(
        state,
        [&] {
            auto rs = db.open({"SELECT TITULAR, CNP, MAX(NR_CERE) AS NR_CERE, MAX(DATACERE) AS DATACERE",
                               "FROM \"" + t.persons + "\"", "GROUP BY TITULAR, CNP", "ORDER BY TITULAR"});
            benchmark::DoNotOptimize(rs->recordCount());
        },
        [&] {
            t.nativeQuery("SELECT TITULAR, CNP, MAX(NR_CERE) AS NR_CERE, MAX(DATACERE) AS DATACERE FROM Om "
                          "GROUP BY TITULAR, CNP ORDER BY TITULAR");
        },
        "native");
}

// Recalculating a month: walk its rows, change the aid fields, post each row,
// all in one transaction.
void BM_WalkAndPostMonth(benchmark::State& state)
{
    Town& t = town();
    engine::Database db;
    const std::string w = std::to_string(t.month);
    int round = 0;
    measure(
        state,
        [&] {
            ++round;
            auto tx = db.beginTransaction();
            auto cur = db.openCursor(t.cereri, "LUNACRT=" + w);
            for (; !cur.eof(); cur.next()) {
                const double aid = cur.number("CUANTUM") + (round % 2 ? 1 : -1);
                cur.setNumber("CUANTUM", aid);
                cur.setNumber("TOTAL", aid * cur.number("NR_LUNI"));
                cur.post();
            }
            tx.commit();
        },
        [&] {
            ++round;
            sqlite3_exec(t.native, "BEGIN", nullptr, nullptr, nullptr);
            sqlite3_stmt* sel = nullptr;
            sqlite3_stmt* upd = nullptr;
            sqlite3_prepare_v2(t.native, ("SELECT rowid, CUANTUM, NR_LUNI FROM Cereri WHERE LUNACRT=" + w).c_str(), -1,
                               &sel, nullptr);
            sqlite3_prepare_v2(t.native, "UPDATE Cereri SET CUANTUM=?, TOTAL=? WHERE rowid=?", -1, &upd, nullptr);
            while (sqlite3_step(sel) == SQLITE_ROW) {
                const double aid = sqlite3_column_double(sel, 1) + (round % 2 ? 1 : -1);
                sqlite3_bind_double(upd, 1, aid);
                sqlite3_bind_double(upd, 2, aid * sqlite3_column_double(sel, 2));
                sqlite3_bind_int64(upd, 3, sqlite3_column_int64(sel, 0));
                sqlite3_step(upd);
                sqlite3_reset(upd);
            }
            sqlite3_finalize(sel);
            sqlite3_finalize(upd);
            sqlite3_exec(t.native, "COMMIT", nullptr, nullptr, nullptr);
        },
        "native", 200);
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(std::filesystem::file_size(path), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// A full scan of all 25,000 applications with a fresh engine (the file is
// read and decoded), against reading the file's bytes.
void BM_FullScanColdVsFileBytes(benchmark::State& state)
{
    Town& t = town();
    measure(
        state,
        [&] {
            engine::Database db;
            auto rs = db.open("SELECT COUNT(*) AS N, SUM(TOTAL) AS S, MAX(TITULAR) AS M FROM \"" + t.cereri + "\"");
            benchmark::DoNotOptimize(rs->number("S"));
        },
        [&] { benchmark::DoNotOptimize(readBytes(t.cereri).size()); }, "file_bytes");
}

// The same scan when the decoded table is cached (nothing changed the file).
void BM_FullScanCachedVsFileBytes(benchmark::State& state)
{
    Town& t = town();
    engine::Database db;
    db.open("SELECT COUNT(*) AS N FROM \"" + t.cereri + "\"");
    measure(
        state,
        [&] {
            auto rs = db.open("SELECT COUNT(*) AS N, SUM(TOTAL) AS S, MAX(TITULAR) AS M FROM \"" + t.cereri + "\"");
            benchmark::DoNotOptimize(rs->number("S"));
        },
        [&] { benchmark::DoNotOptimize(readBytes(t.cereri).size()); }, "file_bytes");
}

} // namespace

BENCHMARK(BM_RegisterMonthByName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemberCnpCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthMembersJoin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TaxFormPersonsGroupBy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkAndPostMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScanColdVsFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScanCachedVsFileBytes)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
