#pragma once

// File-system conditions for one test: a disk that fills up, a umask, the
// mode a file or folder was given, and another user to own files or to run
// as.

#include <QFile>
#include <QString>
#include <cerrno>
#include <csignal>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// The permission bits of a file or folder (0600, 0755 ...); -1 when it is missing.
inline int modeOf(const QString& path) {
    struct stat info {};
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// Another user than the one running the tests ("nobody"), to own files or to
// run a piece of a test as; none unless the tests run as root, which alone
// may give files away and change its user.
struct OtherUser {
    uid_t uid;
    gid_t gid;
};
inline std::optional<OtherUser> otherUser() {
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() != 0 || !nobody || nobody->pw_uid == 0)
        return std::nullopt;
    return OtherUser{nobody->pw_uid, nobody->pw_gid};
}

// Runs `work` (giving a QString) in a child process that has become `user`,
// and gives back what it gave; "<child failed>" when the child could not
// become the user or ended otherwise.
template <class Work> QString runAs(const OtherUser& user, Work work) {
    int channel[2];
    if (pipe(channel) != 0)
        return QStringLiteral("<child failed>");
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (setgroups(0, nullptr) != 0 || setgid(user.gid) != 0 || setuid(user.uid) != 0)
            _exit(2);
        const QByteArray said = work().toUtf8();
        const bool sent = write(channel[1], said.constData(), size_t(said.size())) == said.size();
        _exit(sent ? 0 : 3);
    }
    close(channel[1]);
    QByteArray said;
    char block[4096];
    for (ssize_t got; (got = read(channel[0], block, sizeof block)) != 0;) {
        if (got > 0)
            said.append(block, got);
        else if (errno != EINTR)
            break;
    }
    close(channel[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return QStringLiteral("<child failed>");
    return QString::fromUtf8(said);
}

} // namespace zemble::test
