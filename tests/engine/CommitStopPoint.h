// For child processes of the crash tests: stops the process the n-th time a
// commit reaches a named step (engine::storage::commitStepHook), tells the
// parent and waits there to be killed, as a crash or power cut would end it.
#pragma once

#include "ChildProcess.h"

#include "engine/storage/Journal.h"

#include <cstdlib>
#include <functional>
#include <string>

namespace dbftest {

struct CommitStopPoint {
    std::string point;
    int occurrence = 1;
    std::function<void()> beforeStop; // e.g. damages a file the commit wrote
    int seen = 0;
};

inline CommitStopPoint& commitStopPoint()
{
    static CommitStopPoint stop;
    return stop;
}

inline void stopAtCommitStep(const char* point)
{
    CommitStopPoint& stop = commitStopPoint();
    if (stop.point != point || ++stop.seen != stop.occurrence)
        return;
    if (stop.beforeStop)
        stop.beforeStop();
    tellParent();
    waitForParent();
    std::_Exit(42); // not killed: the parent has gone
}

// From now on the process stops at the occurrence-th time the commit reaches point.
inline void stopAtCommitStep(const std::string& point, int occurrence, std::function<void()> beforeStop = {})
{
    commitStopPoint() = {point, occurrence, std::move(beforeStop), 0};
    engine::storage::commitStepHook = static_cast<void (*)(const char*)>(stopAtCommitStep);
}

// Crash tests kill processes, they do not cut the power: a killed process
// loses nothing the page cache holds, so flushing to the disk is switched
// off while one of these lives, to keep the tests quick.
struct NoFlushToDisk {
    NoFlushToDisk() { engine::storage::setFlushToDisk(false); }
    ~NoFlushToDisk() { engine::storage::setFlushToDisk(true); }
    NoFlushToDisk(const NoFlushToDisk&) = delete;
    NoFlushToDisk& operator=(const NoFlushToDisk&) = delete;
};

} // namespace dbftest
