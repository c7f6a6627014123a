#pragma once

// A Secret Service of a test's own: a session bus and GNOME Keyring's daemon
// under a private home folder, the login keyring created and unlocked from a
// password on standard input, so nothing ever prompts.  The test process is
// pointed at them before it first talks to a keyring; the desktop's own
// keyring is never reached.

#include <QtCore>
#include <QtDBus>

#include <csignal>

namespace zemble::test {

class PrivateSecretService {
public:
    PrivateSecretService() = default;
    ~PrivateSecretService() {
        for (QProcess* process : {&keyring_, &bus_}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(3000))
                    process->kill(), process->waitForFinished(3000);
            }
        }
    }
    PrivateSecretService(const PrivateSecretService&) = delete;
    PrivateSecretService& operator=(const PrivateSecretService&) = delete;

    // True once the keyring answers on the private bus; otherwise false with
    // the reason in whyNot.
    bool start() {
        if (!home_.isValid())
            return fail(QStringLiteral("no temporary folder"));
        const QString runtime = home_.filePath(QStringLiteral("run"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("HOME", home_.path().toUtf8());
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        qputenv("XDG_DATA_HOME", home_.filePath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_CACHE_HOME", home_.filePath(QStringLiteral("cache")).toUtf8());
        // The keyring library picks KWallet on a KDE desktop: keep to the Secret Service.
        for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "KDE_SESSION_VERSION", "GNOME_DESKTOP_SESSION_ID"})
            qunsetenv(name);

        const QString busAddress = QStringLiteral("unix:path=") + runtime + QStringLiteral("/bus");
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1"),
                    QStringLiteral("--address=") + busAddress});
        if (!bus_.waitForStarted(5000))
            return fail(QStringLiteral("dbus-daemon cannot be started: ") + bus_.errorString());
        QByteArray printed;
        while (!printed.contains('\n') && bus_.waitForReadyRead(5000))
            printed += bus_.readAllStandardOutput();
        if (!printed.contains('\n'))
            return fail(QStringLiteral("dbus-daemon printed no address"));
        address_ = QString::fromUtf8(printed.left(printed.indexOf('\n')).trimmed());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());

        keyring_.setStandardErrorFile(home_.filePath(QStringLiteral("keyring-daemon.log")));
        keyring_.start(QStringLiteral("gnome-keyring-daemon"),
                       {QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                        QStringLiteral("--components=secrets")});
        if (!keyring_.waitForStarted(5000))
            return fail(QStringLiteral("gnome-keyring-daemon cannot be started: ") +
                        keyring_.errorString());
        keyring_.write("test keyring password");
        keyring_.waitForBytesWritten(5000);
        keyring_.closeWriteChannel(); // the end of the password

        QDBusConnection bus =
            QDBusConnection::connectToBus(address_, QStringLiteral("zemble-test-secrets"));
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            if (bus.isConnected() &&
                bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")))
                return true;
            if (keyring_.state() == QProcess::NotRunning)
                return fail(QStringLiteral("gnome-keyring-daemon ended at once: ") + daemonLog());
            QCoreApplication::processEvents();
            QThread::msleep(100);
        }
        return fail(QStringLiteral("the keyring daemon never took the Secret Service's name: ") +
                    daemonLog());
    }

    // The labels of the items in the login keyring, as the keyring's own window lists them.
    QStringList itemLabels() const {
        QDBusConnection bus =
            QDBusConnection::connectToBus(address_, QStringLiteral("zemble-test-secrets"));
        const QString service = QStringLiteral("org.freedesktop.secrets");
        QDBusInterface collection(service,
                                  QStringLiteral("/org/freedesktop/secrets/collection/login"),
                                  QStringLiteral("org.freedesktop.Secret.Collection"), bus);
        QStringList labels;
        const auto items = collection.property("Items").value<QList<QDBusObjectPath>>();
        for (const QDBusObjectPath& path : items) {
            QDBusInterface item(service, path.path(), QStringLiteral("org.freedesktop.Secret.Item"),
                                bus);
            labels.append(item.property("Label").toString());
        }
        return labels;
    }

    QString whyNot;

private:
    QString daemonLog() const {
        QFile log(home_.filePath(QStringLiteral("keyring-daemon.log")));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).trimmed()
                                             : QString();
    }
    bool fail(const QString& reason) {
        whyNot = reason;
        return false;
    }

    QTemporaryDir home_;
    QProcess bus_;
    QProcess keyring_;
    QString address_;
};

} // namespace zemble::test
