#pragma once

// Timing whole processes, for the benchmarks that compare a Zemble program
// with another program making the same requests.

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <algorithm>
#include <cstdio>

namespace zemble::bench {

// The middle timing (the upper middle of an even count); 0 for none.
inline double median(QList<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms.isEmpty() ? 0 : ms[ms.size() / 2];
}

// Milliseconds from start to exit of one process, its standard output kept
// in `output` when given; -1 when it failed, its standard error printed.
inline double timedRun(const QString& program, const QStringList& arguments,
                       const QProcessEnvironment& environment, QByteArray* output = nullptr) {
    QProcess process;
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s", process.readAllStandardError().constData());
        return -1;
    }
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (output)
        *output = process.readAllStandardOutput();
    return ms;
}

} // namespace zemble::bench
