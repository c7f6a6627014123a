#pragma once

// Timing shared by the benchmarks: runs a step several times and prints
// milliseconds per run, wall clock (shortest, median, longest) and the
// median processor time, which a busy machine disturbs less.

#include <QElapsedTimer>
#include <QList>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace zemble::bench {

inline constexpr int kRuns = 7;

// Runs `step` kRuns times, each after an untimed `prepare`.
inline void measure(const char* what, const std::function<void()>& prepare,
                    const std::function<void()>& step) {
    QList<double> ms;
    QList<double> cpu;
    for (int run = 0; run < kRuns; ++run) {
        prepare();
        QElapsedTimer timer;
        const std::clock_t cpuStart = std::clock();
        timer.start();
        step();
        ms.append(double(timer.nsecsElapsed()) / 1e6);
        cpu.append(1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("%-44s wall min %8.2f  median %8.2f  max %8.2f ms; cpu median %8.2f ms\n", what,
                ms.first(), ms.at(ms.size() / 2), ms.last(), cpu.at(cpu.size() / 2));
}

} // namespace zemble::bench
