#pragma once

// Another user for tests run as root, who could otherwise write any file:
// files and folders given to "nobody", and this thread's file accesses made
// as nobody for a while, so that a file's mode binds as it would for an
// ordinary user.  Run as an ordinary user, both do nothing: modes bind then.

#include <QFile>
#include <pwd.h>
#include <sys/fsuid.h>
#include <unistd.h>

namespace zemble::test {

// The user "nobody" (65534 when the system does not know it).
inline uid_t nobodyUid() {
    const passwd* entry = ::getpwnam("nobody");
    return entry ? entry->pw_uid : 65534;
}

inline bool runAsRoot() {
    return ::geteuid() == 0;
}

// Gives each file or folder to nobody when run as root.
inline void giveToNobody(std::initializer_list<QString> paths) {
    if (!runAsRoot())
        return;
    for (const QString& path : paths)
        if (::chown(QFile::encodeName(path).constData(), nobodyUid(), gid_t(-1)) != 0)
            qFatal("cannot give %s to nobody", qPrintable(path));
}

// This thread opens, creates and renames files as nobody while the object lives.
class FileAccessAsNobody {
public:
    FileAccessAsNobody() {
        if (runAsRoot())
            ::setfsuid(nobodyUid());
    }
    ~FileAccessAsNobody() {
        if (runAsRoot())
            ::setfsuid(0);
    }
    FileAccessAsNobody(const FileAccessAsNobody&) = delete;
    FileAccessAsNobody& operator=(const FileAccessAsNobody&) = delete;
};

} // namespace zemble::test
