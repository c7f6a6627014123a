#pragma once

#include "core/recipient_list.h"

#include <QString>

#include <functional>

namespace zemble {

struct SendRecord;

// What the windows that work for the compose window need of it: the send
// job, the address book, the name chooser, the login and preferences
// dialogs.  The compose window implements it; tests implement it directly.
class ComposeHost {
public:
    virtual ~ComposeHost() = default;

    // The To field (a recipient list, entries joined by " ; ").
    virtual QString toText() const = 0;
    virtual void setToText(const QString& text) = 0;
    // The message box.
    virtual QString messageText() const = 0;
    // "Send confirmation text message." ticked, and whether it may be ticked.
    virtual bool sendConfirmationChecked() const = 0;
    virtual void setSendConfirmationEnabled(bool enabled) = 0;
    // Index of the send-method list: 0 free texts, any other paid texts.
    virtual int sendMethodIndex() const = 0;
    // Text of the preferences dialog's confirmation-number field, which the
    // send job shows while it sends the confirmation copy.
    virtual QString confNumberFieldText() = 0;

    // Window discipline: a secondary window disables the compose window while
    // it works and gives it back with giveComposeBack when done.
    virtual void setComposeEnabled(bool enabled) = 0;
    virtual bool composeEnabled() const = 0;
    virtual void bringComposeToFront() = 0;
    virtual void repaintCompose() = 0;
    // Refreshes the status line (send state and quota).
    virtual void updateStatusBar() = 0;

    // When the repaint of a give-back comes: none, last (after the status
    // line is refreshed, so it shows the new figures), or before the window
    // comes to the front (the login dialog's order).
    enum class Repaint { No, Last, BeforeFront };

    // Gives the compose window back when a window that disabled it has
    // finished: enables it, brings it to the front and refreshes its status
    // line.  It is enabled first so that it can take the focus as it comes to
    // the front.  A finishing window usually hides itself before the call;
    // one that must hide after the enable (so that the compose window is
    // there to take the focus as it goes) passes its hiding as
    // `afterEnable`.
    void giveComposeBack(Repaint repaint = Repaint::No,
                         const std::function<void()>& afterEnable = {}) {
        setComposeEnabled(true);
        if (afterEnable)
            afterEnable();
        if (repaint == Repaint::BeforeFront)
            repaintCompose();
        bringComposeToFront();
        updateStatusBar();
        if (repaint == Repaint::Last)
            repaintCompose();
    }

    // A send that stopped half way: the texts the next job leaves out as
    // already sent (as the user chose when asked), or null to send them all.
    virtual const SendRecord* sendAlreadyDone() const { return nullptr; }
    // A job has ended: what the site confirmed, text by text; `sent` when
    // every text went and the send was recorded.
    virtual void sendJobEnded(const SendRecord& record, bool sent) {
        (void)record;
        (void)sent;
    }
};

} // namespace zemble
