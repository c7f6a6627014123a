#pragma once

// A compose window for tests of the windows that work for it: tests set the
// fields the window reads and check what it asked of the compose window.

#include "compose/compose_host.h"

#include <QStringList>

namespace zemble::test {

class FakeComposeHost final : public ComposeHost {
public:
    QString toText() const override { return to; }
    void setToText(const QString& text) override { to = text, calls.append("set_to"); }
    QString messageText() const override { return message; }
    bool sendConfirmationChecked() const override { return confirmation; }
    void setSendConfirmationEnabled(bool on) override {
        confirmationEnabled = on;
        calls.append(on ? "confirmation_enabled" : "confirmation_disabled");
    }
    int sendMethodIndex() const override { return method; }
    QString confNumberFieldText() override { return confNumberField; }
    void setComposeEnabled(bool on) override {
        enabled = on, calls.append(on ? "enable" : "disable");
    }
    bool composeEnabled() const override { return enabled; }
    void bringComposeToFront() override { calls.append("raise"); }
    void repaintCompose() override { calls.append("repaint"); }
    void updateStatusBar() override { calls.append("update_status_bar"); }

    QString to, message, confNumberField;
    bool confirmation = false, confirmationEnabled = true, enabled = true;
    int method = 0;
    QStringList calls; // "enable", "raise", "repaint", "update_status_bar", "set_to" ... in order
};

} // namespace zemble::test
