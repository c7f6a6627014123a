#pragma once

// Passes every operation on to a real operator site and runs a hook just
// before each request, so a test can see what the progress window shows
// while the request is under way.

#include "session/operator_site.h"

namespace zemble::test {

class WatchedSite final : public OperatorSite {
public:
    explicit WatchedSite(OperatorSite& inner) : inner_(inner) {}

    bool log_on(const QString& username, const QString& password) override {
        note(QStringLiteral("log_on"));
        return inner_.log_on(username, password);
    }
    bool check_quota() override {
        note(QStringLiteral("check_quota"));
        return inner_.check_quota();
    }
    bool send_part(const QString& number, const QString& text, bool paid) override {
        note(QStringLiteral("send_part"));
        return inner_.send_part(number, text, paid);
    }
    bool log_off() override {
        note(QStringLiteral("log_off"));
        return inner_.log_off();
    }
    void unloadIE() override { inner_.unloadIE(); }
    void cancel() override { inner_.cancel(); }
    bool cancelled() const override { return inner_.cancelled(); }
    void reset_cancel() override { inner_.reset_cancel(); }
    void set_status_listener(std::function<void(const QString&)> listener) override {
        inner_.set_status_listener(std::move(listener));
    }

    std::function<void(const QString&)> before;

private:
    void note(const QString& op) {
        if (before)
            before(op);
    }
    OperatorSite& inner_;
};

} // namespace zemble::test
