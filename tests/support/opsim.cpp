#include "opsim.h"

#include "core/settings.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QTest>
#include <QUrlQuery>

namespace zemble::test {

namespace {

#ifdef ZEMBLE_OPSIM_PATH
constexpr const char* kProgram = ZEMBLE_OPSIM_PATH;
constexpr const char* kSourceDir = ZEMBLE_OPSIM_DIR;
#else
constexpr const char* kProgram = "";
constexpr const char* kSourceDir = "";
#endif

constexpr int kStartMs = 10000;
constexpr int kControlMs = 5000;

QString accountArg(const OpSimAccount& a) {
    return QStringLiteral("%1;%2;%3;%4;%5")
        .arg(a.user, a.password, a.firstName)
        .arg(a.free)
        .arg(a.paid);
}

QString encoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

OpSim::OpSim(QList<OpSimAccount> accounts, QStringList extraArgs)
    : accounts(std::move(accounts)), extraArgs(std::move(extraArgs)) {}

OpSim::~OpSim() {
    stop();
    keepRequestLog();
}

// With ZEMBLE_OPSIM_KEEP_REQUESTS naming a file, every simulator's request
// log is appended to it when the simulator goes, after a line naming the
// test program and function, so that two builds' requests can be compared.
void OpSim::keepRequestLog() const {
    const QString keep = qEnvironmentVariable("ZEMBLE_OPSIM_KEEP_REQUESTS");
    QFile source(requestsPath());
    if (keep.isEmpty() || !source.open(QIODevice::ReadOnly))
        return;
    QFile kept(keep);
    if (!kept.open(QIODevice::Append))
        return;
    const char* function = QTest::currentTestFunction();
    kept.write("# " + QCoreApplication::applicationName().toUtf8() +
               "::" + QByteArray(function ? function : "") + "\n");
    kept.write(source.readAll());
}

bool OpSim::start() {
    stop();
    error.clear();
    if (QString::fromUtf8(kProgram).isEmpty()) {
        error = QStringLiteral("the simulator was not built");
        return false;
    }
    if (!dir.isValid()) {
        error = QStringLiteral("no temporary folder");
        return false;
    }
    QStringList args{QStringLiteral("--outbox"), outboxPath(), QStringLiteral("--requests"),
                     requestsPath()};
    for (const OpSimAccount& a : accounts)
        args << QStringLiteral("--account") << accountArg(a);
    args << extraArgs;

    process.setWorkingDirectory(dir.path());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setReadChannel(QProcess::StandardOutput);
    process.start(QString::fromUtf8(kProgram), args);
    if (!process.waitForStarted(kStartMs)) {
        error = QStringLiteral("could not start: ") + process.errorString();
        return false;
    }

    QDeadlineTimer deadline(kStartMs);
    while (!process.canReadLine() && process.state() == QProcess::Running && !deadline.hasExpired())
        process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    if (!process.canReadLine()) {
        error = QStringLiteral("no ready line: ") +
                QString::fromLocal8Bit(process.readAllStandardError());
        stop();
        return false;
    }
    const QByteArray line = process.readLine();
    const QJsonObject ready = QJsonDocument::fromJson(line).object();
    https = ready.value(QStringLiteral("https_port")).toInt();
    http = ready.value(QStringLiteral("http_port")).toInt();
    if (https <= 0 || http <= 0) {
        error = QStringLiteral("bad ready line: ") + QString::fromUtf8(line);
        stop();
        return false;
    }
    return true;
}

bool OpSim::stop() {
    bool clean = false;
    if (process.state() != QProcess::NotRunning) {
        process.terminate();
        if (process.waitForFinished(5000)) {
            clean = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        } else {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    https = 0;
    http = 0;
    return clean;
}

bool OpSim::isRunning() const {
    return process.state() == QProcess::Running;
}

QString OpSim::portalHost() const {
    return QStringLiteral("localhost:%1").arg(https);
}
QString OpSim::shopHost() const {
    return portalHost();
}
QString OpSim::smsHost() const {
    return QStringLiteral("localhost:%1").arg(http);
}
QString OpSim::webHost() const {
    return smsHost();
}

QString OpSim::certificate(const QString& name) {
    return QString::fromUtf8(kSourceDir) + QStringLiteral("/certs/") + name;
}

void OpSim::applyToSettings() const {
    save_setting(QString::fromLatin1(keys::portalHost), portalHost());
    save_setting(QString::fromLatin1(keys::shopHost), shopHost());
    save_setting(QString::fromLatin1(keys::smsHost), smsHost());
    save_setting(QString::fromLatin1(keys::webHost), webHost());
    save_setting(QString::fromLatin1(keys::extraCaFile), caFile());
}

QString OpSim::outboxPath() const {
    return dir.filePath(QStringLiteral("outbox.jsonl"));
}
QString OpSim::requestsPath() const {
    return dir.filePath(QStringLiteral("requests.jsonl"));
}

QList<QJsonObject> OpSim::readLines(const QString& path) const {
    QList<QJsonObject> result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (!line.trimmed().isEmpty())
            result.append(QJsonDocument::fromJson(line).object());
    }
    return result;
}

QList<QJsonObject> OpSim::outbox() const {
    return readLines(outboxPath());
}
QList<QJsonObject> OpSim::requests() const {
    return readLines(requestsPath());
}

int OpSim::control(const QString& pathAndQuery, QByteArray* body) const {
    if (http <= 0)
        return 0;
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(http));
    if (!socket.waitForConnected(kControlMs))
        return 0;
    socket.write("GET " + pathAndQuery.toLatin1() + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                 QByteArray::number(http) + "\r\nConnection: close\r\n\r\n");
    QByteArray answer;
    QDeadlineTimer deadline(kControlMs);
    while (socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        answer += socket.readAll();
    }
    answer += socket.readAll();
    const qsizetype split = answer.indexOf("\r\n\r\n");
    if (!answer.startsWith("HTTP/1.1 ") || split < 0)
        return 0;
    if (body)
        *body = answer.mid(split + 4);
    return answer.mid(9, 3).toInt();
}

bool OpSim::setFault(const QString& path, const QString& kind, int count, int delayMs, int skip) {
    // Joined piece by piece: an encoded path holds "%2F", which arg() would take
    // for a placeholder.
    return control(QStringLiteral("/_opsim/fault?path=") + encoded(path) +
                   QStringLiteral("&kind=") + encoded(kind) + QStringLiteral("&count=") +
                   QString::number(count) + QStringLiteral("&delay_ms=") +
                   QString::number(delayMs) + QStringLiteral("&skip=") + QString::number(skip)) ==
           200;
}

bool OpSim::reset() {
    return control(QStringLiteral("/_opsim/reset")) == 200;
}

QJsonObject OpSim::quota(const QString& user) const {
    QByteArray body;
    if (control(QStringLiteral("/_opsim/quota?user=") + encoded(user), &body) != 200)
        return {};
    return QJsonDocument::fromJson(body).object();
}

bool OpSim::setQuota(const QString& user, int free, int paid) {
    return control(QStringLiteral("/_opsim/setquota?user=") + encoded(user) +
                   QStringLiteral("&free=") + QString::number(free) + QStringLiteral("&paid=") +
                   QString::number(paid)) == 200;
}

bool OpSim::endSessions() {
    return control(QStringLiteral("/_opsim/endsessions")) == 200;
}

} // namespace zemble::test
