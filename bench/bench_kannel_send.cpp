// One whole zemble-send run through a Kannel SMS gateway (process start to
// exit: one text to three recipients, one sendsms request each) against a
// real Kannel on loopback, beside the same three requests made by one curl
// process (--next), alternately, with the ratio of the medians.
//
// usage: bench_kannel_send [RUNS]   (default 20)

#include "process_run.h"
#include "support/kannel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#ifndef ZEMBLE_SEND_PATH
#define ZEMBLE_SEND_PATH ""
#endif

namespace {

using namespace zemble::bench;

const QString kText = QStringLiteral("Benchmark text: tea at 4, \u00a32 a cup");
const QStringList kNumbers{QStringLiteral("07700900123"), QStringLiteral("07700900124"),
                           QStringLiteral("07700900125")};

int fail(const QString& why) {
    std::fprintf(stderr, "bench_kannel_send: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    if (QString::fromUtf8(ZEMBLE_SEND_PATH).isEmpty())
        return fail(QStringLiteral("zemble-send was not built"));
    if (const QString missing = zemble::test::Kannel::notInstalled(); !missing.isEmpty())
        return fail(missing);

    // zemble-send runs from a folder of its own (its address book stays
    // apart) with settings of its own, which it does not need: the gateway
    // comes from its command line.
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("zemble-send"));
    if (!QFile::copy(QStringLiteral(ZEMBLE_SEND_PATH), program))
        return fail(QStringLiteral("zemble-send could not be copied"));
    zemble::test::Kannel kannel;
    if (!kannel.start())
        return fail(kannel.errorText());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("ZEMBLE_PASSWORD"), kannel.password);
    // No desktop keyring to wait for.
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=/nonexistent/zemble-bench-bus"));

    const QStringList viaZemble =
        QStringList{
            QStringLiteral("-q"), QStringLiteral("--gateway"), kannel.url(), QStringLiteral("-u"),
            kannel.username,      QStringLiteral("-m"),        kText} +
        kNumbers;
    // The requests zemble-send makes: the text as the body in UTF-8, the
    // account, the number and the coding in Kannel's headers.
    QStringList viaCurl;
    for (const QString& number : kNumbers) {
        if (!viaCurl.isEmpty())
            viaCurl << QStringLiteral("--next");
        viaCurl << QStringLiteral("-s") << QStringLiteral("--http1.1") << QStringLiteral("-o")
                << QStringLiteral("/dev/null") << QStringLiteral("-H")
                << QStringLiteral("Content-Type: text/plain; charset=UTF-8") << QStringLiteral("-H")
                << QStringLiteral("X-Kannel-Username: ") + kannel.username << QStringLiteral("-H")
                << QStringLiteral("X-Kannel-Password: ") + kannel.password << QStringLiteral("-H")
                << QStringLiteral("X-Kannel-To: ") + number << QStringLiteral("-H")
                << QStringLiteral("X-Kannel-Coding: 0") << QStringLiteral("--data-binary") << kText
                << kannel.url() + QStringLiteral("/cgi-bin/sendsms");
    }

    QList<double> zembleMs;
    QList<double> curlMs;
    for (int run = 0; run < runs; ++run) {
        const double ms = timedRun(program, viaZemble, environment);
        if (ms < 0)
            return fail(QStringLiteral("a zemble-send run failed"));
        zembleMs.append(ms);
        const double c = timedRun(QStringLiteral("curl"), viaCurl, environment);
        if (c < 0)
            return fail(QStringLiteral("a curl run failed"));
        curlMs.append(c);
    }
    // Both clients sent every text: the fake SMS centre got one of each per
    // recipient and run.
    const int expected = 2 * runs * int(kNumbers.size());
    if (!kannel.waitForParts(expected, 30000) || kannel.received().size() != expected)
        return fail(QStringLiteral("not every text reached the gateway's SMS centre"));

    const double z = median(zembleMs);
    const double c = median(curlMs);
    std::printf("one send through Kannel from process start to exit: one text, %lld recipients, "
                "one sendsms request each; %d runs each\n",
                qlonglong(kNumbers.size()), runs);
    std::printf("zemble-send       median %8.2f ms  (fastest %.2f)\n", z,
                *std::min_element(zembleMs.begin(), zembleMs.end()));
    std::printf("curl --next       median %8.2f ms  (fastest %.2f)\n", c,
                *std::min_element(curlMs.begin(), curlMs.end()));
    if (c > 0)
        std::printf("ratio zemble-send/curl  %.2f\n", z / c);
    return 0;
}
