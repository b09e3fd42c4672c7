// The median wall time of a piece of work repeated a few times: one slow run
// on a busy machine does not decide a benchmark's figure.
#pragma once

#include <QElapsedTimer>
#include <algorithm>
#include <functional>
#include <vector>

inline double MedianMs(int reps, const std::function<void()>& work)
{
    std::vector<double> ms;
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}
