#include "core/file_save.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zemble {
namespace {

constexpr QFile::Permissions kOwnerOnlyFolder =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr mode_t kOwnerOnlyFile = 0600;
// Links followed at most on the way to a file, as the system itself allows.
constexpr int kMaxLinks = 40;

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString shown(const QByteArray& path) {
    return QDir::toNativeSeparators(QFile::decodeName(path));
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// A new file cannot be made in the folder: the folder is named, not the file,
// which may well be writable itself.
QString folderReason(const QByteArray& path, int error) {
    return QStringLiteral("Cannot write to the folder %1: %2")
        .arg(shown(folderOf(path)), systemReason(error));
}

// The file that writing to `path` would replace, after any links on the way;
// the reason when a link may not be followed or the way cannot be read.
std::optional<QString> fileBehindLinks(const QByteArray& path, QByteArray* file) {
    const uid_t user = geteuid();
    QByteArray current = path;
    for (int links = 0;; ++links) {
        struct stat info {};
        if (lstat(current.constData(), &info) != 0) {
            if (errno != ENOENT)
                return systemReason(errno);
            // Nothing there yet (a link of the user's own may lead to a file
            // still to be made): the file is made where the way ends.
            *file = current;
            return std::nullopt;
        }
        const bool foreign = info.st_uid != user;
        if (!S_ISLNK(info.st_mode)) {
            if (links > 0 && foreign)
                break;
            *file = current;
            return std::nullopt;
        }
        if (foreign)
            break;
        if (links == kMaxLinks)
            return systemReason(ELOOP);
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t size = readlink(current.constData(), target.data(), target.size());
        if (size < 0)
            return systemReason(errno);
        target.truncate(size);
        current = target.startsWith('/') ? target : folderOf(current) + '/' + target;
    }
    return QStringLiteral("The link %1 is not followed: it, or the file it leads to, belongs "
                          "to another user")
        .arg(shown(path));
}

bool writeAll(int fd, QByteArrayView content) {
    qsizetype written = 0;
    while (written < content.size()) {
        // After a write taken in part, the one for the rest is refused with
        // the system's reason (no space left, file too large).
        const ssize_t taken =
            ::write(fd, content.data() + written, size_t(content.size() - written));
        if (taken < 0 && errno == EINTR)
            continue;
        if (taken <= 0)
            return false;
        written += taken;
    }
    return true;
}

} // namespace

std::optional<QString> saveFile(const QString& path, QByteArrayView content) {
    QByteArray file;
    if (std::optional<QString> refused = fileBehindLinks(QFile::encodeName(path), &file))
        return refused;
    struct stat info {};
    if (stat(file.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return systemReason(EISDIR);
        // A file its owner made read-only stays as it is.
        if (faccessat(AT_FDCWD, file.constData(), W_OK, AT_EACCESS) != 0)
            return systemReason(errno);
    }

    // The new file is made beside the old one, in the folder the old one is
    // in, so that it can take its place in one step.  The name given to the
    // new file is taken only by it; a link placed there meanwhile is replaced,
    // never written through.
    QByteArray fresh = file + ".XXXXXX";
    const int fd = mkostemp(fresh.data(), O_CLOEXEC);
    if (fd < 0)
        return folderReason(file, errno);
    int failed = 0;
    errno = 0;
    // The new file would otherwise take the umask's mode.
    if (fchmod(fd, kOwnerOnlyFile) != 0 || !writeAll(fd, content) || fsync(fd) != 0)
        failed = errno != 0 ? errno : EIO;
    if (close(fd) != 0 && !failed)
        failed = errno;
    if (!failed && rename(fresh.constData(), file.constData()) != 0)
        failed = errno;
    if (failed) {
        unlink(fresh.constData());
        return systemReason(failed);
    }
    return std::nullopt;
}

bool makePrivateFolder(const QString& path) {
    const QFileInfo folder(path);
    if (folder.isDir())
        return true;
    const QString parent = folder.absolutePath();
    if (parent != folder.absoluteFilePath() && !makePrivateFolder(parent))
        return false;
    return QDir().mkdir(folder.absoluteFilePath(), kOwnerOnlyFolder) ||
           QDir(folder.absoluteFilePath()).exists();
}

FileLock::FileLock(const QString& path, std::chrono::milliseconds wait)
    : lockPath_(QFile::encodeName(path) + ".lock") {
    const QDeadlineTimer deadline(wait);
    for (;;) {
        // Never through a link: the lock file is made or opened right here.
        const int fd =
            open(lockPath_.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, kOwnerOnlyFile);
        if (fd < 0) {
            const int error = errno;
            struct stat info {};
            failure_ = lstat(lockPath_.constData(), &info) == 0
                           ? QStringLiteral("Cannot open the lock file %1: %2")
                                 .arg(shown(lockPath_), systemReason(error))
                           : folderReason(lockPath_, error);
            return;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The holder before removes the lock file as it lets go; a lock
            // taken on a file no longer there keeps nobody out, and is tried
            // again on the file now there.
            struct stat held {
            }, there{};
            if (fstat(fd, &held) == 0 && stat(lockPath_.constData(), &there) == 0 &&
                held.st_dev == there.st_dev && held.st_ino == there.st_ino) {
                fd_ = fd;
                return;
            }
        } else if (errno != EWOULDBLOCK && errno != EINTR) {
            const int error = errno;
            close(fd);
            failure_ =
                QStringLiteral("Cannot lock %1: %2").arg(shown(lockPath_), systemReason(error));
            return;
        }
        close(fd);
        if (deadline.hasExpired()) {
            failure_ = QStringLiteral("The file is in use: another program has held %1 for "
                                      "more than %2 seconds")
                           .arg(shown(lockPath_))
                           .arg(wait.count() / 1000.0);
            return;
        }
        QThread::msleep(10);
    }
}

FileLock::~FileLock() {
    if (fd_ < 0)
        return;
    // Removed while still held, so a writer that opened it meanwhile finds
    // it gone once it has the lock, and makes a new one.
    unlink(lockPath_.constData());
    close(fd_);
}

} // namespace zemble
