#pragma once

// The simulator the session benchmarks run against, and the account, number
// and text of every run.

#include "core/settings.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

#ifndef ZEMBLE_OPSIM_PATH
#define ZEMBLE_OPSIM_PATH ""
#define ZEMBLE_OPSIM_DIR ""
#endif

namespace zemble::bench {

inline const QString kUser = QStringLiteral("bench");
inline const QString kPassword = QStringLiteral("b3nch pass");
inline const QString kNumber = QStringLiteral("07700900123");
inline const QString kText = QStringLiteral("Benchmark text: tea at 4?");
inline const QString kCaFile = QStringLiteral(ZEMBLE_OPSIM_DIR "/certs/ca.pem");

// zemble-opsim on loopback with the benchmark account; stopped with the object.
class BenchSite {
public:
    ~BenchSite() {
        process.terminate();
        process.waitForFinished(5000);
    }
    // Starts it with `texts` free texts on the account; false when it did not.
    bool start(int texts) {
        if (QString::fromUtf8(ZEMBLE_OPSIM_PATH).isEmpty())
            return false;
        process.start(QStringLiteral(ZEMBLE_OPSIM_PATH),
                      {QStringLiteral("--account"),
                       QStringLiteral("%1;%2;Bench;%3;0").arg(kUser, kPassword).arg(texts)});
        if (!process.waitForStarted(10000) || !process.waitForReadyRead(10000))
            return false;
        const QJsonObject ready = QJsonDocument::fromJson(process.readLine()).object();
        httpsPort = ready.value(QStringLiteral("https_port")).toInt();
        httpPort = ready.value(QStringLiteral("http_port")).toInt();
        return httpsPort > 0 && httpPort > 0;
    }
    QString httpsHost() const { return QStringLiteral("localhost:%1").arg(httpsPort); }
    QString httpHost() const { return QStringLiteral("localhost:%1").arg(httpPort); }
    // Points the current settings store at the simulator and its authority.
    void applyToSettings() const {
        save_setting(QString::fromLatin1(keys::portalHost), httpsHost());
        save_setting(QString::fromLatin1(keys::shopHost), httpsHost());
        save_setting(QString::fromLatin1(keys::smsHost), httpHost());
        save_setting(QString::fromLatin1(keys::webHost), httpHost());
        save_setting(QString::fromLatin1(keys::extraCaFile), kCaFile);
    }

    int httpsPort = 0;
    int httpPort = 0;

private:
    QProcess process;
};

} // namespace zemble::bench
