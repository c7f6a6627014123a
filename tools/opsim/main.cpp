// zemble-opsim: plays the operator's web SMS site on 127.0.0.1 so that the
// program can be tested end to end without the real site.

#include "server.h"
#include "site.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

int fail(const QString& why) {
    std::fprintf(stderr, "zemble-opsim: %s\n", qPrintable(why));
    return 2;
}

bool readPort(const QString& text, quint16* port) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0 || value > 65535)
        return false;
    *port = quint16(value);
    return true;
}

// "KIND:COUNT:DELAY_MS:PATH"; the path comes last because it may hold colons.
bool parseFault(const QString& text, QString* path, opsim::Fault* fault) {
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() < 4)
        return false;
    bool okCount = false;
    bool okDelay = false;
    fault->kind = parts[0];
    fault->count = parts[1].toInt(&okCount);
    fault->delayMs = parts[2].toInt(&okDelay);
    *path = parts.mid(3).join(QLatin1Char(':'));
    return okCount && okDelay && fault->count >= 1 && fault->delayMs >= 0 &&
           opsim::isFaultKind(fault->kind) && path->startsWith(QLatin1Char('/'));
}

// The simulator's command line.
struct CommandLine {
    QCommandLineParser parser;
    const QCommandLineOption httpsPort{QStringLiteral("https-port"),
                                       QStringLiteral("HTTPS port (0: any free port)."),
                                       QStringLiteral("port"), QStringLiteral("0")};
    const QCommandLineOption httpPort{QStringLiteral("http-port"),
                                      QStringLiteral("HTTP port (0: any free port)."),
                                      QStringLiteral("port"), QStringLiteral("0")};
    const QCommandLineOption accountsFile{
        QStringLiteral("accounts"),
        QStringLiteral("File of accounts, one user;password;firstname;free;paid a line."),
        QStringLiteral("file")};
    const QCommandLineOption account{
        QStringLiteral("account"),
        QStringLiteral("One account: user;password;firstname;free;paid."), QStringLiteral("value")};
    const QCommandLineOption outbox{QStringLiteral("outbox"),
                                    QStringLiteral("Append every accepted text here."),
                                    QStringLiteral("file")};
    const QCommandLineOption requests{QStringLiteral("requests"),
                                      QStringLiteral("Append every request here."),
                                      QStringLiteral("file")};
    const QCommandLineOption untrusted{
        QStringLiteral("untrusted-cert"),
        QStringLiteral("Serve HTTPS with a self-signed certificate no one trusts.")};
    const QCommandLineOption fault{
        QStringLiteral("fault"),
        QStringLiteral("Arm a fault: KIND:COUNT:DELAY_MS:PATH (kinds slow, drop, lostanswer, "
                       "http500, blank, wrongpage)."),
        QStringLiteral("value")};

    void process(const QCoreApplication& app) {
        parser.setApplicationDescription(
            QStringLiteral("Plays the operator's web SMS site on 127.0.0.1 for tests."));
        parser.addHelpOption();
        parser.addOptions(
            {httpsPort, httpPort, accountsFile, account, outbox, requests, untrusted, fault});
        parser.process(app);
    }
};

// The accounts of the --accounts file and the --account options, in that
// order; "" or why they cannot be read.
QString readAccounts(const CommandLine& cli, QList<opsim::Account>* accounts) {
    QString why;
    if (cli.parser.isSet(cli.accountsFile)) {
        QFile file(cli.parser.value(cli.accountsFile));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return QStringLiteral("cannot read %1").arg(file.fileName());
        QTextStream in(&file);
        int lineNumber = 0;
        while (!in.atEnd()) {
            const QString line = in.readLine();
            ++lineNumber;
            if (line.trimmed().isEmpty() || line.trimmed().startsWith(QLatin1Char('#')))
                continue;
            opsim::Account a;
            if (!opsim::parseAccount(line, &a, &why))
                return QStringLiteral("%1 line %2: %3")
                    .arg(file.fileName())
                    .arg(lineNumber)
                    .arg(why);
            accounts->append(a);
        }
    }
    for (const QString& text : cli.parser.values(cli.account)) {
        opsim::Account a;
        if (!opsim::parseAccount(text, &a, &why))
            return QStringLiteral("--account %1: %2").arg(text, why);
        accounts->append(a);
    }
    return {};
}

// SIGTERM and SIGINT end the event loop; the files are flushed line by line
// already and closed on the way out.  False when the signals cannot be
// caught.
bool quitOnSignals(QSocketNotifier** notifier) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return false;
    *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, qApp);
    QObject::connect(*notifier, &QSocketNotifier::activated, qApp, [] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(signalPipe[1], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

// The ready line the launcher waits for, with the ports the server took.
void announceReady(const opsim::Server& server) {
    const QByteArray ready = "{\"https_port\":" + QByteArray::number(server.httpsPort()) +
                             ",\"http_port\":" + QByteArray::number(server.httpPort()) + "}";
    std::fwrite(ready.constData(), 1, size_t(ready.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zemble-opsim"));
    CommandLine cli;
    cli.process(app);

    opsim::Server::Options options;
    if (!readPort(cli.parser.value(cli.httpsPort), &options.httpsPort) ||
        !readPort(cli.parser.value(cli.httpPort), &options.httpPort))
        return fail(QStringLiteral("a port must be a number from 0 to 65535"));
    options.untrustedCertificate = cli.parser.isSet(cli.untrusted);
    options.outboxPath = cli.parser.value(cli.outbox);
    options.requestsPath = cli.parser.value(cli.requests);

    QList<opsim::Account> accounts;
    if (const QString why = readAccounts(cli, &accounts); !why.isEmpty())
        return fail(why);

    opsim::Server server(options);
    QString why;
    if (!server.start(&why))
        return fail(why);
    for (const opsim::Account& a : accounts)
        server.site()->addAccount(a);
    for (const QString& text : cli.parser.values(cli.fault)) {
        QString path;
        opsim::Fault fault;
        if (!parseFault(text, &path, &fault))
            return fail(QStringLiteral("--fault %1: expected KIND:COUNT:DELAY_MS:PATH").arg(text));
        server.setFault(path, fault);
    }

    QSocketNotifier* notifier = nullptr;
    if (!quitOnSignals(&notifier))
        return fail(QStringLiteral("no socket pair for signals"));
    announceReady(server);
    return app.exec();
}
