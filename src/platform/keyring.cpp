#include "platform/keyring.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QTimer>

namespace zemble::platform {
namespace {

std::chrono::milliseconds wait_ = std::chrono::seconds(60);

struct JobResult {
    bool answered = false;
    QKeychain::Error error = QKeychain::NoError;
    QString text;
};

// Starts the job and waits in a nested event loop until it finishes or the
// wait runs out.  The job deletes itself once it finishes, also when that
// happens after the wait has given up on it.
JobResult runJob(QKeychain::Job* job) {
    JobResult result;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    // The loop is the context: once it is gone a late answer reaches no one.
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* done) {
        result.answered = true;
        result.error = done->error();
        if (auto* reading = qobject_cast<QKeychain::ReadPasswordJob*>(done))
            result.text = reading->textData();
        loop.quit();
    });
    job->setAutoDelete(true);
    job->start();
    timer.start(wait_);
    if (!result.answered)
        loop.exec();
    return result;
}

KeyringOutcome outcomeOf(const JobResult& result) {
    if (!result.answered)
        return KeyringOutcome::Refused;
    switch (result.error) {
    case QKeychain::NoError:
        return KeyringOutcome::Done;
    case QKeychain::EntryNotFound:
        return KeyringOutcome::NotFound;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        return KeyringOutcome::Unavailable;
    default:
        return KeyringOutcome::Refused;
    }
}

class QtKeychainKeyring final : public Keyring {
public:
    KeyringOutcome store(const QString& label, const QString& account,
                         const QString& password) override {
        auto* job = new QKeychain::WritePasswordJob(label);
        job->setKey(account);
        job->setTextData(password);
        return outcomeOf(runJob(job));
    }
    KeyringRead read(const QString& label, const QString& account) override {
        auto* job = new QKeychain::ReadPasswordJob(label);
        job->setKey(account);
        const JobResult result = runJob(job);
        const KeyringOutcome outcome = outcomeOf(result);
        return {outcome, outcome == KeyringOutcome::Done ? result.text : QString()};
    }
    KeyringOutcome forget(const QString& label, const QString& account) override {
        auto* job = new QKeychain::DeletePasswordJob(label);
        job->setKey(account);
        return outcomeOf(runJob(job));
    }
};

} // namespace

Keyring& Keyring::real() {
    static QtKeychainKeyring keyring;
    return keyring;
}

std::chrono::milliseconds keyringWait() {
    return wait_;
}

void setKeyringWait(std::chrono::milliseconds wait) {
    wait_ = wait;
}

} // namespace zemble::platform
