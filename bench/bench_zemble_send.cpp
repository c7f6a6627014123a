// One whole zemble-send run (process start to exit: log on, one text, the
// quota, log off) against the site simulator, beside the same requests made
// by one curl process (--next, one cookie jar), alternately, with the ratio of
// the medians.  curl cannot carry the portal's hidden fields from one answer
// to the next request, so its background login uses those of a portal login
// made just before, untimed; the timed curl run still makes the portal login
// itself, as zemble-send does.
//
// usage: bench_zemble_send [RUNS]   (default 20)

#include "bench_site.h"
#include "core/settings.h"
#include "process_run.h"
#include "session/form_text.h"
#include "session/operator_protocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#ifndef ZEMBLE_SEND_PATH
#define ZEMBLE_SEND_PATH ""
#endif

namespace {

using namespace zemble::bench;

const QString kAgent =
    QStringLiteral("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Q312461)");
const QString kForm = QStringLiteral("Content-Type: application/x-www-form-urlencoded");

int fail(const char* why) {
    std::fprintf(stderr, "bench_zemble_send: %s\n", why);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    if (QString::fromUtf8(ZEMBLE_SEND_PATH).isEmpty())
        return fail("zemble-send was not built");

    // zemble-send runs from a folder of its own (its address book stays
    // apart) with settings of its own.
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("zemble-send"));
    if (!QFile::copy(QStringLiteral(ZEMBLE_SEND_PATH), program))
        return fail("zemble-send could not be copied");
    BenchSite sim;
    if (!sim.start(2 * runs + 10))
        return fail("the simulator did not start");
    zemble::setSettingsFilePath(dir.filePath(QStringLiteral("config/Zemble/Zemble.ini")));
    sim.applyToSettings();
    const QString https = sim.httpsHost();
    const QString http = sim.httpHost();
    const QString caFile = kCaFile;

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("ZEMBLE_PASSWORD"), kPassword);

    const QString mblogin = QStringLiteral("https://%1/login/mblogin").arg(https);
    const QString bglogin = QStringLiteral("https://%1/login/bglogin").arg(https);
    const QString home = QStringLiteral("http://%1/webOriginate/action/viewHomePage").arg(http);
    const QString send = QStringLiteral("http://%1/webOriginate/action/sendMessage").arg(http);
    const QString jar = dir.filePath(QStringLiteral("cookies"));
    const QString loginBody = QStringLiteral("username=") + zemble::convert_text(kUser) +
                              QStringLiteral("&password=") + zemble::convert_text(kPassword) +
                              QStringLiteral("&dest=http%3A%2F%2F") + http +
                              QStringLiteral("%2F0%2C%2C899%2C00.html");
    // One transfer of the curl command line: the jar, the authority and the
    // headers the program sends, then the request's own arguments.
    const auto transfer = [&](const QString& referer, QStringList own) {
        QStringList args{QStringLiteral("-s"),       QStringLiteral("--http1.1"),
                         QStringLiteral("--cacert"), caFile,
                         QStringLiteral("-b"),       jar,
                         QStringLiteral("-c"),       jar,
                         QStringLiteral("-o"),       QStringLiteral("/dev/null"),
                         QStringLiteral("-A"),       kAgent,
                         QStringLiteral("-H"),       QStringLiteral("HTTP_UserAgent: ") + kAgent,
                         QStringLiteral("-e"),       referer};
        return args + own;
    };
    const QStringList form{QStringLiteral("-H"), kForm, QStringLiteral("--data-raw")};

    QList<double> viaProgram;
    QList<double> viaCurl;
    for (int run = 0; run < runs; ++run) {
        const double ms = timedRun(program,
                                   {QStringLiteral("-q"), QStringLiteral("-u"), kUser,
                                    QStringLiteral("-m"), kText, kNumber},
                                   environment);
        if (ms < 0)
            return fail("a zemble-send run failed");
        viaProgram.append(ms);

        // The hidden fields of a portal login made now, untimed.
        QFile::remove(jar);
        QByteArray page;
        QStringList fetch =
            transfer(QStringLiteral("http://") + http, form + QStringList{loginBody, mblogin});
        fetch.replace(fetch.indexOf(QStringLiteral("/dev/null")), QStringLiteral("-"));
        if (timedRun(QStringLiteral("curl"), fetch, environment, &page) < 0)
            return fail("curl could not log on");
        QString data = QStringLiteral("data=");
        for (const char* field : {"firstname", "username", "dest", "mID", "mAT", "QE3"}) {
            const QString name = QString::fromLatin1(field);
            data += (data.size() > 5 ? QStringLiteral("&") : QString()) + name + u'=' +
                    zemble::convert_text(zemble::text_between(
                        QString::fromLatin1(page),
                        zemble::OperatorProtocol::hiddenFieldMarker(name), QStringLiteral("\">")));
        }

        QFile::remove(jar);
        QStringList all =
            transfer(QStringLiteral("http://") + http, form + QStringList{loginBody, mblogin});
        all << QStringLiteral("--next")
            << transfer(mblogin,
                        QStringList{QStringLiteral("-L")} + form + QStringList{data, bglogin});
        all << QStringLiteral("--next") << transfer(bglogin, {home});
        all << QStringLiteral("--next")
            << transfer(home, form + QStringList{QStringLiteral("contacts=&msisdns=") + kNumber +
                                                     QStringLiteral("&to=") + kNumber +
                                                     QStringLiteral("&subject=&howtosend=freetxt&"
                                                                    "message=") +
                                                     zemble::convert_text(kText) +
                                                     QStringLiteral("&replyType=none&x=14&y=13"),
                                                 send});
        all << QStringLiteral("--next") << transfer(send, {home});
        all << QStringLiteral("--next")
            << transfer(QStringLiteral("http://%1/0,,400,00.html").arg(http),
                        form + QStringList{QString(),
                                           QStringLiteral("http://%1/logout.html").arg(http)});
        const double curlMs = timedRun(QStringLiteral("curl"), all, environment);
        if (curlMs < 0)
            return fail("a curl run failed");
        viaCurl.append(curlMs);
    }
    // Both clients sent every text: the simulator took one of each per run.
    QProcess check;
    check.start(
        QStringLiteral("curl"),
        {QStringLiteral("-s"), QStringLiteral("http://%1/_opsim/quota?user=%2").arg(http, kUser)});
    check.waitForFinished(10000);
    const int left =
        QJsonDocument::fromJson(check.readAllStandardOutput()).object().value("free").toInt(-1);
    if (left != 10)
        return fail("not every text reached the simulator");

    const double p = median(viaProgram);
    const double c = median(viaCurl);
    std::printf("one send from process start to exit: log on, one text, quota, log off; %d runs "
                "each\n",
                runs);
    std::printf("zemble-send       median %8.2f ms  (fastest %.2f)\n", p,
                *std::min_element(viaProgram.begin(), viaProgram.end()));
    std::printf("curl --next       median %8.2f ms  (fastest %.2f)\n", c,
                *std::min_element(viaCurl.begin(), viaCurl.end()));
    if (c > 0)
        std::printf("ratio zemble-send/curl  %.2f\n", p / c);
    return 0;
}
