// Write statements of two processes on one table: a statement whose rows were
// read before another process changed the file (its translation done, its
// write lock not yet taken) works on the rows as they are under the lock.
// The writer is stopped at that moment by the engine's test switch
// HESTAVO_TEST_WRITE_PAUSE while this process renumbers the keys.
#include "SqlFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

struct StaleCase {
    const char* name;
    std::string statement;              // run by the paused process; {r} the table, {s} a second one
    std::vector<std::string> expected;  // K|V|W of every row of both, ordered by V then K
};

void PrintTo(const StaleCase& c, std::ostream* os) { *os << c.name; }

class SqlStaleRows : public ::testing::TestWithParam<StaleCase> {};

std::string withTables(std::string s, const std::string& r, const std::string& second)
{
    for (const auto& [mark, path] : {std::pair{"{r}", r}, std::pair{"{s}", second}})
        for (std::size_t p = s.find(mark); p != std::string::npos; p = s.find(mark, p))
            s.replace(p, 3, "\"" + path + "\"");
    return s;
}

// Waits for a file to appear; false when the deadline passes or the child
// has already ended (a dead writer fails the test instead of hanging it).
bool waitForFile(const std::string& path, pid_t child)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(path))
            return true;
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int exitStatusOf(pid_t child)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_P(SqlStaleRows, TheWriteActsOnTheRowsAsTheyAreUnderTheLock)
{
    dbftest::ScratchDir dir("hv-stale-");
    const std::string table = dir.file("R.dbf");
    const std::string second = dir.file("S.dbf");
    {
        engine::Database db;
        db.exec("CREATE TABLE \"" + table + "\" (K DECIMAL(5,0), V CHAR(5), W CHAR(5))");
        db.exec("CREATE TABLE \"" + second + "\" (K DECIMAL(5,0), V CHAR(5), W CHAR(5))");
        db.exec("INSERT INTO \"" + table + "\" (K, V) VALUES (1, \"v1\"), (2, \"v2\"), (3, \"v3\"), (4, \"v4\"), (5, \"v5\")");
    }
    const std::string pause = dir.file("pause");
    const std::string statement = withTables(GetParam().statement, table, second);
    const pid_t writer = fork();
    if (writer == 0) {
        setenv("HESTAVO_TEST_WRITE_PAUSE", pause.c_str(), 1);
        int rc = 0;
        try {
            engine::Database db;
            db.exec(statement);
        } catch (...) {
            rc = 3;
        }
        _exit(rc);
    }
    ASSERT_GT(writer, 0);
    const bool paused = waitForFile(pause + ".paused", writer);
    if (paused) {
        // The other user renumbers the keys: the row keyed 1 becomes 5 and
        // the row keyed 5 becomes 1.
        engine::Database other;
        other.exec("UPDATE \"" + table + "\" SET K=6-K");
    }
    std::ofstream(pause + ".go").put('1');
    ASSERT_TRUE(paused) << "the writer ended or never reached the pause";
    ASSERT_EQ(exitStatusOf(writer), 0) << "the paused statement failed";

    engine::Database db;
    auto rs = db.open(withTables("SELECT K, V, W FROM {r} UNION ALL SELECT K, V, W FROM {s} ORDER BY V, K", table, second));
    EXPECT_EQ(sqltest::Register::rowsOf(*rs), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sql, SqlStaleRows,
    ::testing::Values(
        StaleCase{"Update", R"(UPDATE {r} SET W="x" WHERE K=1)",
                  {"5|v1|", "4|v2|", "3|v3|", "2|v4|", "1|v5|x"}},
        StaleCase{"Delete", R"(DELETE FROM {r} WHERE K=1)", {"5|v1|", "4|v2|", "3|v3|", "2|v4|"}},
        StaleCase{"InsertSelect", R"(INSERT INTO {r} (K, V, W) SELECT K+10, V, "c" FROM {r} WHERE K=1)",
                  {"5|v1|", "4|v2|", "3|v3|", "2|v4|", "1|v5|", "11|v5|c"}},
        StaleCase{"InsertSelectIntoAnotherTable", R"(INSERT INTO {s} (K, V, W) SELECT K+10, V, "c" FROM {r} WHERE K=1)",
                  {"5|v1|", "4|v2|", "3|v3|", "2|v4|", "1|v5|", "11|v5|c"}},
        StaleCase{"UpdateWithSubSelect", R"(UPDATE {r} A SET A.W=(SELECT B.V FROM {r} B WHERE B.K=A.K+1) WHERE A.K=1)",
                  {"5|v1|", "4|v2|", "3|v3|", "2|v4|", "1|v5|v4"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
