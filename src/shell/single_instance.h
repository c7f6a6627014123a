#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QLocalSocket;

namespace zemble {

// One Zemble per user profile.  Two copies of one profile would each write
// back the whole address book and the whole preferences over the other's.
// The first start claims the profile with a lock file and listens on a local
// socket, both in a folder of the user's alone and named after the profile's
// settings folder; a later start finds it there, asks it to show its compose
// window, and leaves without writing anything.  A lock left by a copy that
// died is taken over.  The socket takes one short request from each caller:
// a caller that sends more, or nothing for a few seconds, is dropped.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    SingleInstance(const QString& profileFolder, const QString& runtimeFolder);
    ~SingleInstance() override;

    // The folder for the lock and the socket: the user's runtime folder
    // (`runtimeFolder`, from XDG_RUNTIME_DIR) when it is set, the user's and
    // writable by no one else; else the folder "runtime" in the profile's
    // settings folder, made the user's alone (0700) when missing.  "" when
    // neither can be had; `problem` then says why.
    static QString privateFolder(const QString& profileFolder, const QString& runtimeFolder,
                                 QString* problem);

    // True when this start has the profile to itself (also when no folder can
    // be had for the lock: the program then runs unguarded rather than not
    // at all); false when another copy holds it.
    bool claim();

    // Asks the copy holding the profile to show its window; true once it
    // answers that it has, false when no answer comes within `waitMs`.
    bool askRunningCopyToShow(int waitMs = 10000);

    // What a later start's request runs; requests that came before it was set
    // (during start-up) run as soon as it is.
    void setShowHandler(std::function<void()> handler);

    // The lock file and the socket of a profile.
    static QString lockPath(const QString& profileFolder, const QString& runtimeFolder);
    static QString socketPath(const QString& profileFolder, const QString& runtimeFolder);

private:
    void accept();
    void read(QLocalSocket* socket);
    void answer(QLocalSocket* socket);

    bool guarded_;
    QString socket_;
    QLockFile lock_;
    QLocalServer server_;
    std::function<void()> show_;
    // Requests that came during start-up; a start that gave up waiting is gone.
    QList<QPointer<QLocalSocket>> waiting_;
};

} // namespace zemble
