#pragma once

// An operator site that answers from a script: every operation is recorded,
// succeeds unless its queue of results says otherwise, and may run a hook
// while it is "in flight" (to press Cancel or read the progress window, as
// the user could during a real request).

#include "session/operator_site.h"

#include <QHash>
#include <QList>
#include <QQueue>
#include <QStringList>

namespace zemble::test {

class ScriptedSite final : public OperatorSite {
public:
    struct Call {
        QString op; // "log_on", "send_part", "check_quota", "log_off"
        QString number;
        QString text; // the part text; "user/password" for log_on
        bool paid = false;
    };

    bool log_on(const QString& username, const QString& password) override {
        return run({QStringLiteral("log_on"), {}, username + u'/' + password, false});
    }
    bool check_quota() override { return run({QStringLiteral("check_quota"), {}, {}, false}); }
    bool send_part(const QString& number, const QString& text, bool paid) override {
        return run({QStringLiteral("send_part"), number, text, paid});
    }
    bool log_off() override { return run({QStringLiteral("log_off"), {}, {}, false}); }

    void unloadIE() override { ++unloads; }
    void cancel() override {
        cancelled_ = true;
        ++cancels;
    }
    bool cancelled() const override { return cancelled_; }
    void reset_cancel() override { cancelled_ = false; }
    void set_status_listener(std::function<void(const QString&)> l) override {
        listener = std::move(l);
    }

    QStringList ops() const {
        QStringList out;
        for (const Call& call : calls)
            out.append(call.op);
        return out;
    }
    QList<Call> parts() const {
        QList<Call> out;
        for (const Call& call : calls) {
            if (call.op == QLatin1String("send_part"))
                out.append(call);
        }
        return out;
    }

    // Requests that reached the site, in order.
    QList<Call> calls;
    // Requests tried after Cancel (they never reach the site).
    QStringList refused;
    // Results by operation name; an empty queue answers true.
    QHash<QString, QQueue<bool>> results;
    // Runs while a request is in flight.
    std::function<void(const Call&)> during;
    int unloads = 0;
    int cancels = 0;
    std::function<void(const QString&)> listener;

private:
    bool run(const Call& call) {
        if (cancelled_) {
            refused.append(call.op);
            return false;
        }
        calls.append(call);
        if (during)
            during(call);
        // A request cancelled while in flight fails.
        if (cancelled_)
            return false;
        QQueue<bool>& queue = results[call.op];
        return queue.isEmpty() ? true : queue.dequeue();
    }

    bool cancelled_ = false;
};

} // namespace zemble::test
