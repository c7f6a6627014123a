#include "shell/single_instance.h"

#include "core/file_save.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace zemble {
namespace {

const QByteArray kShow = "show\n";
const QByteArray kShown = "shown\n";
// The longest request read from a caller, and how long it may keep silent.
constexpr qint64 kMaxRequest = 64;
constexpr int kSilenceMs = 5000;

// Whether a folder is there, the user's, and writable by no one else.
bool isPrivateFolder(const QString& folder) {
    struct stat info {};
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

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

QString SingleInstance::privateFolder(const QString& profileFolder, const QString& runtimeFolder,
                                      QString* problem) {
    if (!runtimeFolder.isEmpty() && isPrivateFolder(runtimeFolder))
        return runtimeFolder;
    // Without a runtime folder of the user's own (XDG_RUNTIME_DIR unset, or a
    // shared fallback owned by someone else) the profile's folder has one.
    const QString own = QDir(profileFolder).filePath(QStringLiteral("runtime"));
    makePrivateFolder(own);
    // One left open to others by hand is closed again.
    QFile::setPermissions(own, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (isPrivateFolder(own))
        return own;
    *problem =
        QStringLiteral("%1, and %2 cannot be made yours alone")
            .arg(runtimeFolder.isEmpty() ? QStringLiteral("XDG_RUNTIME_DIR is not set")
                                         : runtimeFolder + QStringLiteral(" is not yours alone"),
                 own);
    return {};
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
        // Never more than one request is held for a caller.
        socket->setReadBufferSize(kMaxRequest);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto* silence = new QTimer(socket);
        silence->setSingleShot(true);
        connect(silence, &QTimer::timeout, socket, &QLocalSocket::abort);
        silence->start(kSilenceMs);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        read(socket);
    }
}

void SingleInstance::read(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() >= kMaxRequest)
            socket->abort();
        return;
    }
    // One request, and nothing after it.
    const QByteArray request = socket->readLine(kMaxRequest + 1);
    if (request != kShow || socket->bytesAvailable() > 0) {
        socket->abort();
        return;
    }
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    delete socket->findChild<QTimer*>();
    answer(socket);
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
