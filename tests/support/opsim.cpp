#include "opsim.h"

#include "core/settings.h"

#include <QtNetwork>
#include <QtTest>

namespace zemble::test {

namespace {

#ifdef ZEMBLE_OPSIM_PATH
constexpr const char* kProgram = ZEMBLE_OPSIM_PATH;
constexpr const char* kSourceDir = ZEMBLE_OPSIM_DIR;
#else
constexpr const char* kProgram = "";
constexpr const char* kSourceDir = "";
#endif

QString encoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

// With ZEMBLE_KEEP_REQUEST_LOGS set to a folder, every simulator's request
// log is copied there when the simulator stops, named after the test program,
// the test function and row, and a running count, so that the requests of two
// builds can be compared run by run.
void keepRequestLog(const QString& log) {
    const QString folder = qEnvironmentVariable("ZEMBLE_KEEP_REQUEST_LOGS");
    if (folder.isEmpty() || !QFile::exists(log))
        return;
    static int counter = 0;
    ++counter;
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName() + '-' +
                   QString::fromLatin1(QTest::currentTestFunction()) + '-' +
                   QString::fromLatin1(QTest::currentDataTag()) + '-' +
                   QString::number(counter).rightJustified(3, '0');
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_.-]+"));
    name.replace(unsafe, QStringLiteral("_"));
    QDir().mkpath(folder);
    QFile::remove(folder + '/' + name + ".jsonl");
    QFile::copy(log, folder + '/' + name + ".jsonl");
}

} // namespace

bool OpSim::start() {
    stop();
    QStringList args{"--outbox", dir.filePath("outbox.jsonl"), "--requests",
                     dir.filePath("requests.jsonl")};
    for (const OpSimAccount& a : accounts)
        args << "--account"
             << QStringList{a.user, a.password, a.firstName, QString::number(a.free),
                            QString::number(a.paid)}
                    .join(';');
    process.setWorkingDirectory(dir.path());
    process.start(QString::fromUtf8(kProgram), args + extraArgs);
    QDeadlineTimer deadline(10000);
    while (!process.canReadLine() && process.waitForReadyRead(int(deadline.remainingTime())))
        ;
    const QJsonObject ready = QJsonDocument::fromJson(process.readLine()).object();
    https = ready.value("https_port").toInt();
    http = ready.value("http_port").toInt();
    if (https > 0 && http > 0)
        return true;
    error = "the simulator did not start: " + process.errorString() + ' ' +
            QString::fromLocal8Bit(process.readAllStandardError());
    stop();
    return false;
}

void OpSim::stop() {
    if (process.state() != QProcess::NotRunning) {
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
        keepRequestLog(dir.filePath("requests.jsonl"));
    }
    https = http = 0;
}

QString OpSim::certificate(const QString& name) {
    return QString::fromUtf8(kSourceDir) + "/certs/" + name;
}

void OpSim::applyToSettings() const {
    save_setting(QString::fromLatin1(keys::portalHost), portalHost());
    save_setting(QString::fromLatin1(keys::shopHost), portalHost());
    save_setting(QString::fromLatin1(keys::smsHost), smsHost());
    save_setting(QString::fromLatin1(keys::webHost), smsHost());
    save_setting(QString::fromLatin1(keys::extraCaFile), caFile());
}

QList<QJsonObject> OpSim::readLines(const QString& name) const {
    QList<QJsonObject> result;
    QFile file(dir.filePath(name));
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n'))
            if (!line.trimmed().isEmpty())
                result.append(QJsonDocument::fromJson(line).object());
    }
    return result;
}

QByteArray OpSim::control(const QString& pathAndQuery) const {
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", quint16(http));
    socket.write("GET " + pathAndQuery.toLatin1() +
                 " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                 "Connection: close\r\n\r\n");
    QDeadlineTimer deadline(5000);
    while (socket.state() != QAbstractSocket::UnconnectedState && !deadline.hasExpired())
        socket.waitForReadyRead(int(deadline.remainingTime()));
    const QByteArray answer = socket.readAll();
    const qsizetype split = answer.indexOf("\r\n\r\n");
    return answer.startsWith("HTTP/1.1 200 ") && split > 0 ? answer.mid(split + 4) : QByteArray();
}

bool OpSim::setFault(const QString& path, const QString& kind, int count, int delayMs, int skip) {
    // Joined piece by piece: an encoded path holds "%2F", which arg() would take
    // for a placeholder.
    return !control("/_opsim/fault?path=" + encoded(path) + "&kind=" + encoded(kind) +
                    "&count=" + QString::number(count) + "&delay_ms=" + QString::number(delayMs) +
                    "&skip=" + QString::number(skip))
                .isNull();
}

QJsonObject OpSim::quota(const QString& user) const {
    return QJsonDocument::fromJson(control("/_opsim/quota?user=" + encoded(user))).object();
}

} // namespace zemble::test
