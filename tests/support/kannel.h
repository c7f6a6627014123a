#pragma once

// A real Kannel SMS gateway for one test, on 127.0.0.1 at ports free when it
// starts: bearerbox with a fake SMS centre, fakesmsc connected as that centre
// (it records every message the gateway hands it), and smsbox with its
// sendsms interface and one sendsms user.  Its configuration and the logs
// live in a folder that goes away with the object.

#include <QtCore>

namespace zemble::test {

// One message as the fake SMS centre received it: a whole text, or one part
// of a long one.
struct KannelPart {
    QString from;
    QString to;
    QByteArray udh;     // the user data header; empty for a text in one message
    QByteArray payload; // the message's bytes, as the gateway sent them on
    bool ucs2 = false;  // marked as UCS-2 (only a text in one message is)
};

// A text as the recipient's phone shows it: its parts joined in order.
struct KannelDelivery {
    QString to;
    int parts = 0;
    QString text;
};

class Kannel {
public:
    Kannel(QString username = QStringLiteral("zemble"),
           QString password = QStringLiteral("kannel-s3cret"))
        : username(std::move(username)), password(std::move(password)) {}
    ~Kannel() { stop(); }
    Kannel(const Kannel&) = delete;
    Kannel& operator=(const Kannel&) = delete;

    // "" when Kannel's programs are installed, otherwise a sentence for QSKIP
    // that starts "Kannel is not installed: ".
    static QString notInstalled();

    // Writes the configuration, starts bearerbox, fakesmsc and smsbox, and
    // waits (at most 20 s) until the fake centre is on line and sendsms
    // answers, up to three times on new ports; false when it could not,
    // errorText() then says why.
    bool start();
    QString errorText() const { return error; }

    // The gateway's address as the settings hold it: "http://127.0.0.1:<port>".
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(sendsmsPort); }
    const QString username;
    const QString password;
    // The number the gateway puts on texts that name no sender.
    static constexpr auto kGlobalSender = "44700900000";

    // Kills smsbox alone: sendsms stops answering, the rest runs on.
    void killSmsbox();

    // Every message the fake centre received so far, oldest first.
    QList<KannelPart> received() const;
    // Those messages joined into texts per recipient, oldest first.
    QList<KannelDelivery> deliveries() const;
    // Waits (at most `ms`) until at least `count` messages were received.
    bool waitForParts(int count, int ms = 10000) const;
    // The file where the fake centre prints what it receives.
    QString receivedLog() const { return dir.filePath("fakesmsc.log"); }

private:
    bool startOnce();
    bool startProcess(QProcess& process, const QString& program, const QStringList& args,
                      const QString& log);
    bool waitUntil(const std::function<bool()>& ready, int ms) const;
    // One plain GET on loopback; the answer's status line and body.
    QByteArray get(int port, const QByteArray& pathAndQuery) const;
    void stop();

    QTemporaryDir dir;
    QProcess bearerbox, fakesmsc, smsbox;
    QString error;
    int adminPort = 0, boxPort = 0, smscPort = 0, sendsmsPort = 0;
};

} // namespace zemble::test
