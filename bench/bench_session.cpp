// Times whole operator sessions (log on, send one text, log off) against the
// site simulator on this machine, then the same requests made with curl by
// bench/curlSession.sh, and prints both with their ratio.
//
// usage: bench_session [RUNS]   (default 30)

#include "bench_site.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "session/operator_protocol.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace {

using namespace zemble::bench;

struct Figures {
    double median = 0;
    double mean = 0;
};

Figures figures(QList<double> ms) {
    std::sort(ms.begin(), ms.end());
    Figures f;
    if (ms.isEmpty())
        return f;
    const qsizetype n = ms.size();
    f.median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    f.mean = std::accumulate(ms.begin(), ms.end(), 0.0) / double(n);
    return f;
}

int fail(const char* why) {
    std::fprintf(stderr, "bench_session: %s\n", why);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 30;
    QTemporaryDir dir;
    zemble::setSettingsFilePath(dir.filePath(QStringLiteral("Zemble.ini")));

    // The simulator, with quota for every run of both clients.
    BenchSite sim;
    if (!sim.start(4 * runs + 10))
        return fail("the simulator did not start");
    sim.applyToSettings();

    // Without a front end a failed request is given up at once: no window waits.
    bool failed = false;
    QList<double> program;
    for (int run = 0; run < runs && !failed; ++run) {
        // Each cycle starts without cookies or open connections, as curl does.
        zemble::OperatorProtocol site(zemble::session());
        QElapsedTimer clock;
        clock.start();
        const bool ok = site.log_on(kUser, kPassword) && site.send_part(kNumber, kText, false) &&
                        site.log_off();
        program.append(double(clock.nsecsElapsed()) / 1e6);
        if (!ok)
            failed = true;
    }
    if (failed)
        return fail("a program cycle failed");

    QProcess curl;
    const QString script =
        QFileInfo(QString::fromUtf8(__FILE__)).absolutePath() + QStringLiteral("/curl_session.sh");
    curl.start(QStringLiteral("bash"),
               {script, QString::number(sim.httpsPort), QString::number(sim.httpPort), kCaFile,
                QString::number(runs), kUser, kPassword, kNumber, kText});
    if (!curl.waitForFinished(-1) || curl.exitCode() != 0) {
        std::fprintf(stderr, "%s", curl.readAllStandardError().constData());
        return fail("the curl cycles failed");
    }
    QList<double> viaCurl;
    for (const QByteArray& line : curl.readAllStandardOutput().split('\n')) {
        if (!line.trimmed().isEmpty())
            viaCurl.append(line.trimmed().toDouble());
    }

    const Figures p = figures(program);
    const Figures c = figures(viaCurl);
    std::printf("operator session: log on + one text + log off, %d runs each\n", runs);
    std::printf("program  median %8.2f ms  mean %8.2f ms\n", p.median, p.mean);
    std::printf("curl     median %8.2f ms  mean %8.2f ms  (%lld runs)\n", c.median, c.mean,
                static_cast<long long>(viaCurl.size()));
    if (c.median > 0)
        std::printf("ratio program/curl  median %.2f  mean %.2f\n", p.median / c.median,
                    p.mean / c.mean);
    return 0;
}
