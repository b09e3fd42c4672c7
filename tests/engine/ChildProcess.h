// Tests that need several processes start copies of their own test program,
// each playing one named role (a function registered with ChildRole). The
// parent and a child meet through the child's standard input and output: the
// child tells the parent it reached a point and waits to be let go on. The
// same code runs on Linux (posix_spawn) and Windows (CreateProcess).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dbftest {

using ChildArgs = std::vector<std::string>;
// A role's body: its arguments in, the child's exit code out.
using ChildBody = int (*)(const ChildArgs& args);

// Registers a role at start-up: static ChildRole r("name", body);
struct ChildRole {
    ChildRole(const char* name, ChildBody body);
};

// In main: when this program was started as a child, runs its role and
// returns true with the exit code in *exitCode.
bool runChildRole(int argc, char** argv, int* exitCode);

// Inside a role: one byte to the parent, and waiting for one from it
// (false once the parent has closed our input or ended).
bool tellParent();
bool waitForParent();

class ChildProcess {
public:
    ChildProcess(const std::string& role, const ChildArgs& args);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // One byte from the child (false when it ended without telling).
    bool heard();
    // Lets the child go on past its waitForParent().
    bool letGo();
    // The child sees the end of its input: its waitForParent() returns false.
    void closeInput();
    // Waits for the end; the exit code, or -1 when it was killed.
    int wait();
    // The same once the child has ended; nothing while it runs.
    std::optional<int> exitCodeIfEnded();
    // Ends the child at once, as a crash or a power cut would. A child still
    // running when its ChildProcess goes is ended so.
    void kill();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

#ifdef _WIN32
// Under Wine: runs a Linux program (the independent readers of the tests are
// Linux's) to its end, with each argument that is a Windows path turned into
// the Linux path Wine maps it to. Returns its output and error text, its exit
// code in *status. workDir (a Windows path) receives two files for the while.
std::string runLinuxProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workDir, int* status);
#endif

// Each of several children tells the parent it reached the meeting point;
// then all are let go together. False when one of them ended instead.
bool meetAll(const std::vector<ChildProcess*>& children);

} // namespace dbftest
