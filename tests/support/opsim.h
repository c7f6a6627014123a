#pragma once

// Starts the operator-site simulator (zemble-opsim) for one test or benchmark
// and talks to its control endpoints.  The simulator listens on 127.0.0.1
// only, on ports the system picks; its outbox and request log live in a
// temporary folder that goes away with the OpSim object.

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace zemble::test {

struct OpSimAccount {
    QString user;
    QString password;
    QString firstName;
    int free = 10;
    int paid = 5;
};

class OpSim {
public:
    explicit OpSim(QList<OpSimAccount> accounts = {{"alice", "secret", "Alice", 10, 5}},
                   QStringList extraArgs = {});
    ~OpSim(); // stops the process (SIGTERM, then waits)
    OpSim(const OpSim&) = delete;
    OpSim& operator=(const OpSim&) = delete;

    // Launches the simulator and waits (at most about 10 s) for its ready
    // line.  False when it could not start; errorText() then says why.
    bool start();
    // Ends the process (SIGTERM, then a kill after 5 s); start() may be
    // called again afterwards.  True when the simulator was running and ended
    // by itself with exit code 0.
    bool stop();
    bool isRunning() const;
    QString errorText() const { return error; }

    int httpsPort() const { return https; }
    int httpPort() const { return http; }
    // Host names as the program's settings hold them: "localhost:<port>".
    QString portalHost() const; // HTTPS
    QString shopHost() const;   // HTTPS
    QString smsHost() const;    // HTTP
    QString webHost() const;    // HTTP
    // A file of the simulator's test certificates ("certs/<name>").
    static QString certificate(const QString& name);
    // The authority that signed the simulator's trusted certificate.
    static QString caFile() { return certificate(QStringLiteral("ca.pem")); }

    // Saves the four host keys and "extracafile" in the current settings store.
    void applyToSettings() const;

    // Every accepted message part, oldest first:
    // {"account":..., "number":..., "type":"free"|"paid", "text":...}.
    QList<QJsonObject> outbox() const;
    // Every request received (control calls excluded), oldest first:
    // {"scheme":"http"|"https", "method":..., "path":..., "query":...,
    //  "headers":[["Name","Value"],...], "body":...}.
    QList<QJsonObject> requests() const;
    QString outboxPath() const;
    QString requestsPath() const;

    // After `skip` requests of `path` (exact path, no query) that pass, the
    // next `count` misbehave: kind "slow" (answer after delayMs), "drop"
    // (close without answer), "lostanswer" (handled by the site, then closed
    // without answer), "http500", "blank" (200, empty body) or "wrongpage"
    // (200, a page lacking every expected text).
    bool setFault(const QString& path, const QString& kind, int count = 1, int delayMs = 0,
                  int skip = 0);
    // Clears every pending fault.
    bool reset();
    // {"free":N,"paid":M} of an account; empty when unknown or unreachable.
    QJsonObject quota(const QString& user) const;
    // Sets an account's remaining free and paid texts.
    bool setQuota(const QString& user, int free, int paid);
    // Ends every open portal session, as a site-side expiry would.
    bool endSessions();

    // One control request (GET of `pathAndQuery` on the HTTP listener);
    // returns the status code (0 when unreachable) and fills `body`.
    int control(const QString& pathAndQuery, QByteArray* body = nullptr) const;

private:
    QList<QJsonObject> readLines(const QString& path) const;
    void keepRequestLog() const;

    QList<OpSimAccount> accounts;
    QStringList extraArgs;
    QTemporaryDir dir;
    QProcess process;
    QString error;
    int https = 0;
    int http = 0;
};

} // namespace zemble::test
