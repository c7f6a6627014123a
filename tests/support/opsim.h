#pragma once

// The operator-site simulator (zemble-opsim) for one test, on 127.0.0.1 at ports the system
// picks, with its outbox and request log in a folder that goes away with the object.

#include <QtCore>

namespace zemble::test {

struct OpSimAccount {
    QString user, password, firstName;
    int free = 10, paid = 5;
};

class OpSim {
public:
    explicit OpSim(QList<OpSimAccount> accounts = {{"alice", "secret", "Alice", 10, 5}},
                   QStringList extraArgs = {})
        : accounts(std::move(accounts)), extraArgs(std::move(extraArgs)) {}
    ~OpSim() { stop(); }
    OpSim(const OpSim&) = delete;
    OpSim& operator=(const OpSim&) = delete;

    // Launches the simulator and waits (at most 10 s) for its ready line;
    // false when it could not start, errorText() then says why.
    bool start();
    QString errorText() const { return error; }

    // Host names as the program's settings hold them: "localhost:<port>".
    QString portalHost() const { return QString("localhost:%1").arg(https); } // HTTPS
    QString smsHost() const { return QString("localhost:%1").arg(http); }     // HTTP
    // A file of the simulator's test certificates ("certs/<name>"); ca.pem signed the trusted one.
    static QString certificate(const QString& name);
    static QString caFile() { return certificate(QStringLiteral("ca.pem")); }
    // Saves the four host keys and "extracafile" in the current settings store.
    void applyToSettings() const;

    // Every accepted message part, oldest first:
    // {"account":..., "number":..., "type":"free"|"paid", "text":...}.
    QList<QJsonObject> outbox() const { return readLines("outbox.jsonl"); }
    // Every request received (control calls excluded), oldest first:
    // {"scheme":"http"|"https", "method":..., "path":..., "query":...,
    //  "headers":[["Name","Value"],...], "body":...}.
    QList<QJsonObject> requests() const { return readLines("requests.jsonl"); }
    // The path of every request received, oldest first.
    QStringList requestPaths() const {
        QStringList paths;
        for (const QJsonObject& request : requests())
            paths.append(request["path"].toString());
        return paths;
    }

    // After `skip` requests of `path` (exact path, no query) that pass, the
    // next `count` misbehave: kind "slow" (answer after delayMs), "drop"
    // (close without answer), "lostanswer" (handled by the site, then closed
    // without answer), "http500", "blank" (200, empty body) or "wrongpage"
    // (200, a page lacking every expected text).
    bool setFault(const QString& path, const QString& kind, int count = 1, int delayMs = 0,
                  int skip = 0);
    // {"free":N,"paid":M} of an account; empty when unknown or unreachable.
    QJsonObject quota(const QString& user) const;

private:
    // One control request (GET on the HTTP listener): the answer's body, null unless 200.
    QByteArray control(const QString& pathAndQuery) const;
    QList<QJsonObject> readLines(const QString& name) const;
    void stop();

    QList<OpSimAccount> accounts;
    QStringList extraArgs;
    QTemporaryDir dir;
    QProcess process;
    QString error;
    int https = 0, http = 0;
};

} // namespace zemble::test
