#include "kannel.h"

#include <QtNetwork>

namespace zemble::test {

namespace {

constexpr auto kBearerbox = "/usr/sbin/bearerbox";
constexpr auto kSmsbox = "/usr/sbin/smsbox";
constexpr auto kFakesmsc = "/usr/lib/kannel/test/fakesmsc";
constexpr auto kAdminPassword = "zemble-admin";

// A port nobody listens on at this moment.
int freePort() {
    QTcpServer server;
    return server.listen(QHostAddress::LocalHost, 0) ? server.serverPort() : 0;
}

// Whether a started program has ended; polled without an event loop.
bool ended(QProcess& process) {
    return process.state() != QProcess::Running || process.waitForFinished(0);
}

// Kannel's quoted configuration values take no quote of their own.
QString quoted(const QString& value) {
    return QLatin1Char('"') + QString(value).remove(QLatin1Char('"')) + QLatin1Char('"');
}

// A message line of fakesmsc's log:
// "... Got message 3: <from to udh %05%00%03%02%02%01 data %C2%A3...>"
// "... Got message 1: <from to text literal text>"
// "... Got message 2: <from to ucs-2 %00H%00i>"
std::optional<KannelPart> partOf(const QByteArray& line) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(Got message \d+: <(\S+) (\S+) (.*)>\s*$)"));
    const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(line));
    if (!match.hasMatch())
        return std::nullopt;
    KannelPart part;
    part.from = match.captured(1);
    part.to = match.captured(2);
    QString rest = match.captured(3);
    if (rest.startsWith(QLatin1String("udh "))) {
        const qsizetype end = rest.indexOf(QLatin1Char(' '), 4);
        part.udh = QByteArray::fromPercentEncoding(rest.mid(4, end - 4).toLatin1());
        rest = end < 0 ? QString() : rest.mid(end + 1);
    }
    const qsizetype space = rest.indexOf(QLatin1Char(' '));
    const QString type = rest.left(space);
    const QString payload = space < 0 ? QString() : rest.mid(space + 1);
    if (type == QLatin1String("text")) {
        part.payload = payload.toUtf8();
    } else {
        // "data", "ucs-2": percent-encoded bytes, "+" for a space.
        part.payload =
            QByteArray::fromPercentEncoding(payload.toLatin1().replace('+', QByteArray("%20")));
        part.ucs2 = type == QLatin1String("ucs-2");
    }
    return part;
}

// The bytes of a joined text in whichever of the two codings they are: the
// fake centre marks UCS-2 only on a text in one message, and a UCS-2 text
// of Latin letters always holds zero bytes, which UTF-8 text never does.
QString decoded(const QByteArray& bytes, bool ucs2) {
    if (ucs2 || bytes.contains('\0')) {
        QString text;
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
            text += QChar(char16_t((uchar(bytes[i]) << 8) | uchar(bytes[i + 1])));
        return text;
    }
    return QString::fromUtf8(bytes);
}

} // namespace

QString Kannel::notInstalled() {
    for (const char* program : {kBearerbox, kSmsbox, kFakesmsc}) {
        if (!QFileInfo(QString::fromLatin1(program)).isExecutable())
            return QStringLiteral("Kannel is not installed: %1 is missing (the Debian packages "
                                  "kannel and kannel-extras provide it)")
                .arg(QString::fromLatin1(program));
    }
    return QString();
}

bool Kannel::startProcess(QProcess& process, const QString& program, const QStringList& args,
                          const QString& log) {
    process.setWorkingDirectory(dir.path());
    process.setStandardOutputFile(dir.filePath(log + ".out"));
    process.setStandardErrorFile(dir.filePath(log));
    process.start(program, args);
    if (process.waitForStarted(5000))
        return true;
    error = program + QStringLiteral(" did not start: ") + process.errorString();
    return false;
}

bool Kannel::waitUntil(const std::function<bool()>& ready, int ms) const {
    QDeadlineTimer deadline(ms);
    while (!ready()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    return true;
}

QByteArray Kannel::get(int port, const QByteArray& pathAndQuery) const {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    if (!socket.waitForConnected(1000))
        return {};
    socket.write("GET " + pathAndQuery + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    QDeadlineTimer deadline(3000);
    while (socket.state() != QAbstractSocket::UnconnectedState && !deadline.hasExpired())
        socket.waitForReadyRead(int(deadline.remainingTime()));
    return socket.readAll();
}

bool Kannel::start() {
    error.clear();
    if (const QString missing = notInstalled(); !missing.isEmpty()) {
        error = missing;
        return false;
    }
    // A port found free can be taken by another program before Kannel binds
    // it, and bearerbox then ends at once: a start that fails is tried again
    // on other ports.
    for (int attempt = 1; attempt <= 3; ++attempt) {
        stop();
        if (startOnce())
            return true;
        error = QStringLiteral("attempt %1: ").arg(attempt) + error;
    }
    return false;
}

bool Kannel::startOnce() {
    adminPort = freePort();
    boxPort = freePort();
    smscPort = freePort();
    sendsmsPort = freePort();
    const QString config = dir.filePath("kannel.conf");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = QStringLiteral("cannot write ") + config;
        return false;
    }
    QTextStream out(&file);
    // Every listener takes connections from loopback only.
    out << "group = core\n"
        << "admin-port = " << adminPort << "\n"
        << "admin-password = " << kAdminPassword << "\n"
        << "admin-deny-ip = \"*.*.*.*\"\n"
        << "admin-allow-ip = \"127.0.0.1\"\n"
        << "smsbox-port = " << boxPort << "\n"
        << "smsbox-interface = \"127.0.0.1\"\n"
        << "box-deny-ip = \"*.*.*.*\"\n"
        << "box-allow-ip = \"127.0.0.1\"\n"
        << "log-file = " << quoted(dir.filePath("bearerbox.log")) << "\n"
        << "log-level = 1\n"
        << "\n"
        << "group = smsc\n"
        << "smsc = fake\n"
        << "smsc-id = fake\n"
        << "port = " << smscPort << "\n"
        << "connect-allow-ip = \"127.0.0.1\"\n"
        << "\n"
        << "group = smsbox\n"
        << "bearerbox-host = \"127.0.0.1\"\n"
        << "bearerbox-port = " << boxPort << "\n"
        << "sendsms-port = " << sendsmsPort << "\n"
        << "sendsms-interface = \"127.0.0.1\"\n"
        << "global-sender = " << kGlobalSender << "\n"
        << "log-file = " << quoted(dir.filePath("smsbox.log")) << "\n"
        << "log-level = 1\n"
        << "\n"
        << "group = sendsms-user\n"
        << "username = " << quoted(username) << "\n"
        << "password = " << quoted(password) << "\n"
        << "max-messages = 10\n"
        << "concatenation = true\n";
    out.flush();
    file.close();

    if (!startProcess(bearerbox, QString::fromLatin1(kBearerbox), {config}, "bearerbox.err"))
        return false;
    // The fake centre's port answers once bearerbox has read its configuration.
    const bool listening = waitUntil(
        [this] {
            if (ended(bearerbox))
                return true; // it will never listen
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, quint16(adminPort));
            return probe.waitForConnected(200);
        },
        10000);
    if (!listening || ended(bearerbox)) {
        error = QStringLiteral("bearerbox did not start listening; its log: ") + dir.path();
        return false;
    }
    // fakesmsc without messages to send listens to what it is sent; its
    // standard input stays open, or it would end at once.
    if (!startProcess(fakesmsc, QString::fromLatin1(kFakesmsc),
                      {"-H", "127.0.0.1", "-r", QString::number(smscPort), "-m", "0"},
                      "fakesmsc.log"))
        return false;
    if (!startProcess(smsbox, QString::fromLatin1(kSmsbox), {config}, "smsbox.err"))
        return false;

    // On line: bearerbox lists the fake centre as on line and smsbox among
    // its boxes, and sendsms answers.
    const QByteArray statusPath = QByteArray("/status.txt?password=") + kAdminPassword;
    const bool ready = waitUntil(
        [&] {
            if (ended(bearerbox) || ended(smsbox))
                return true; // it will never come on line
            const QByteArray status = get(adminPort, statusPath);
            return status.contains("online") && status.contains("smsbox") &&
                   get(sendsmsPort, "/cgi-bin/sendsms").startsWith("HTTP/1.");
        },
        20000);
    if (!ready || ended(bearerbox) || ended(smsbox)) {
        error = QStringLiteral("Kannel did not come on line within 20 s; its logs: ") + dir.path() +
                QStringLiteral("; status: ") + QString::fromUtf8(get(adminPort, statusPath));
        return false;
    }
    return true;
}

void Kannel::killSmsbox() {
    if (smsbox.state() != QProcess::NotRunning) {
        smsbox.kill();
        smsbox.waitForFinished(5000);
    }
}

void Kannel::stop() {
    for (QProcess* process : {&smsbox, &fakesmsc, &bearerbox}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
}

QList<KannelPart> Kannel::received() const {
    QList<KannelPart> parts;
    QFile log(receivedLog());
    if (!log.open(QIODevice::ReadOnly))
        return parts;
    for (const QByteArray& line : log.readAll().split('\n')) {
        if (const std::optional<KannelPart> part = partOf(line))
            parts.append(*part);
    }
    return parts;
}

QList<KannelDelivery> Kannel::deliveries() const {
    // A part of a long text carries the concatenation header
    // 05 00 03 <reference> <parts> <number>.
    struct Pending {
        QString to;
        int reference = -1;
        QMap<int, QByteArray> parts;
        bool ucs2 = false;
    };
    QList<Pending> pending;
    for (const KannelPart& part : received()) {
        const bool joined = part.udh.size() >= 6 && part.udh[0] == 5 && part.udh[1] == 0;
        const int reference = joined ? uchar(part.udh[3]) : -1;
        auto same = std::find_if(pending.begin(), pending.end(), [&](const Pending& p) {
            return joined && p.to == part.to && p.reference == reference;
        });
        if (same == pending.end()) {
            pending.append({part.to, reference, {}, part.ucs2});
            same = std::prev(pending.end());
        }
        same->parts.insert(joined ? uchar(part.udh[5]) : 1, part.payload);
    }
    QList<KannelDelivery> result;
    for (const Pending& p : pending) {
        QByteArray bytes;
        for (const QByteArray& piece : p.parts)
            bytes += piece;
        result.append({p.to, int(p.parts.size()), decoded(bytes, p.ucs2)});
    }
    return result;
}

bool Kannel::waitForParts(int count, int ms) const {
    return waitUntil([&] { return received().size() >= count; }, ms);
}

} // namespace zemble::test
