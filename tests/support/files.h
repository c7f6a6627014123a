#pragma once

// Files for one test: a disk that fills up, a umask, a file's bytes and the
// mode a file or folder was given.  Another user is in other_user.h.

#include <QFile>
#include <QString>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace zemble::test {

// Runs `work` while no file may grow past `bytes`, so that a write beyond it
// is refused with the system's "File too large" (the signal that would end
// the process is ignored meanwhile).
template <class Work> auto withFileSizeLimit(rlim_t bytes, Work work) {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{bytes, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    struct Restore {
        rlimit limit;
        decltype(handler) previous;
        ~Restore() {
            setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, previous);
        }
    } restore{saved, handler};
    return work();
}

// Sets the process's umask for its lifetime.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : saved_(umask(mask)) {}
    ~ScopedUmask() { umask(saved_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t saved_;
};

// A file's bytes, or "<missing>" when it cannot be read.
inline QByteArray readWhole(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The permission bits of a file or folder (0600, 0755 ...); -1 when it is missing.
inline int modeOf(const QString& path) {
    struct stat info {};
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

} // namespace zemble::test
