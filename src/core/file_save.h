#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <chrono>
#include <optional>

namespace zemble {

// Writes a file whole or not at all: the content goes to a new file beside
// the old one, is flushed, and only then takes the old one's place, so a
// full disk or a crash never leaves a cut-off file.  The files the program
// writes hold names, numbers and messages: the new file is its owner's alone
// (0600), whatever it replaces.
//
// A symbolic link is followed only when every link on the way and the file
// it leads to belong to the user running the program: the file is then
// rewritten in its own folder and the link stays a link.  A link of another
// user (say, planted in a shared folder) is refused, so the program never
// replaces a file it was not meant to.
//
// Returns the reason when the file could not be written (the old one is then
// as it was), nothing when it was written.
std::optional<QString> saveFile(const QString& path, QByteArrayView content);

// Creates a folder and any missing folders above it, each its owner's alone
// (0700); folders that exist already are left as they are.  False when the
// folder is not there afterwards.
bool makePrivateFolder(const QString& path);

// How long a writer waits for another one to let go of a file.
inline constexpr std::chrono::milliseconds kFileLockWait{10000};

// Keeps other writers, in this process or any other, away from a file for
// the object's lifetime, so that a read, change and write of the whole file
// is never interleaved with another.  The lock is a file beside the file
// ("<name>.lock") locked with flock(): the system lets go of it when its
// holder ends, however it ends, so a writer that was killed never blocks the
// next one.  The lock file is removed again when the lock is released.
class FileLock {
public:
    // Waits at most `wait` for the lock on `path`.
    explicit FileLock(const QString& path, std::chrono::milliseconds wait = kFileLockWait);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Why the lock could not be taken; nothing while it is held.
    const std::optional<QString>& failure() const { return failure_; }

private:
    QByteArray lockPath_;
    int fd_ = -1;
    std::optional<QString> failure_;
};

} // namespace zemble
