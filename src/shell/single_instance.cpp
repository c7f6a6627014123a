#include "shell/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

namespace zemble {
namespace {

const QByteArray kShow = "show\n";
const QByteArray kShown = "shown\n";

// The profile's name in the runtime folder: the same settings folder, however
// it was written, gives the same name.
QString profileKey(const QString& profileFolder) {
    const QString folder = QDir(profileFolder).absolutePath();
    const QByteArray hash =
        QCryptographicHash::hash(QDir::cleanPath(folder).toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("zemble-") + QString::fromLatin1(hash.toHex().left(16));
}

} // namespace

QString SingleInstance::lockPath(const QString& profileFolder, const QString& runtimeFolder) {
    return QDir(runtimeFolder).filePath(profileKey(profileFolder) + QStringLiteral(".lock"));
}

QString SingleInstance::socketPath(const QString& profileFolder, const QString& runtimeFolder) {
    return QDir(runtimeFolder).filePath(profileKey(profileFolder) + QStringLiteral(".socket"));
}

SingleInstance::SingleInstance(const QString& profileFolder, const QString& runtimeFolder)
    : guarded_(!runtimeFolder.isEmpty()), socket_(socketPath(profileFolder, runtimeFolder)),
      lock_(lockPath(profileFolder, runtimeFolder)) {
    // Only a copy that is no longer running leaves a stale lock, however old.
    lock_.setStaleLockTime(0);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
}

SingleInstance::~SingleInstance() {
    server_.close();
}

bool SingleInstance::claim() {
    if (!guarded_)
        return true;
    QDir().mkpath(QFileInfo(socket_).absolutePath());
    if (!lock_.tryLock(0))
        return lock_.error() != QLockFile::LockFailedError;
    // The profile is ours: a socket still there was left by a copy that died.
    QLocalServer::removeServer(socket_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(socket_);
    return true;
}

bool SingleInstance::askRunningCopyToShow(int waitMs) {
    QElapsedTimer waited;
    waited.start();
    const auto left = [&] { return int(qMax<qint64>(0, waitMs - waited.elapsed())); };
    QLocalSocket socket;
    // The copy holding the lock may still be starting up: try again a while.
    for (;;) {
        socket.connectToServer(socket_);
        if (socket.waitForConnected(qMin(left(), 500)))
            break;
        if (left() == 0)
            return false;
        QThread::msleep(100);
    }
    socket.write(kShow);
    if (!socket.waitForBytesWritten(left()))
        return false;
    while (!socket.canReadLine()) {
        if (left() == 0 || !socket.waitForReadyRead(left()))
            return false;
    }
    return socket.readLine() == kShown;
}

void SingleInstance::setShowHandler(std::function<void()> handler) {
    show_ = std::move(handler);
    for (const QPointer<QLocalSocket>& socket : std::exchange(waiting_, {}))
        if (socket)
            answer(socket);
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->canReadLine() && socket->readLine() == kShow)
                answer(socket);
        });
    }
}

void SingleInstance::answer(QLocalSocket* socket) {
    if (!show_) {
        waiting_.append(socket);
        return;
    }
    QPointer<QLocalSocket> alive = socket;
    show_();
    if (!alive)
        return;
    socket->write(kShown);
    socket->flush();
    socket->disconnectFromServer();
}

} // namespace zemble
