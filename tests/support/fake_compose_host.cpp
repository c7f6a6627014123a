#include "support/fake_compose_host.h"

namespace zemble::test {

void FakeComposeHost::record(const QString& call) {
    calls.append(call);
    if (onCall)
        onCall(call);
}

void FakeComposeHost::setToText(const QString& text) {
    to = text;
    record(QStringLiteral("set_to"));
}

void FakeComposeHost::setSendConfirmationEnabled(bool on) {
    confirmationEnabled = on;
    record(on ? QStringLiteral("confirmation_enabled") : QStringLiteral("confirmation_disabled"));
}

void FakeComposeHost::setComposeEnabled(bool on) {
    enabled = on;
    record(on ? QStringLiteral("enable") : QStringLiteral("disable"));
}

void FakeComposeHost::bringComposeToFront() {
    record(QStringLiteral("raise"));
}

void FakeComposeHost::repaintCompose() {
    record(QStringLiteral("repaint"));
}

void FakeComposeHost::updateStatusBar() {
    record(QStringLiteral("update_status_bar"));
}

} // namespace zemble::test
