#pragma once

#include <QString>

namespace zemble {

struct SendRecord;

// Entries of a recipient list (the To field) are joined by this separator.
inline constexpr auto kRecipientSeparator = " ; ";

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
    // it works and gives it back (enable, bring to front, refresh) when done.
    virtual void setComposeEnabled(bool enabled) = 0;
    virtual bool composeEnabled() const = 0;
    virtual void bringComposeToFront() = 0;
    virtual void repaintCompose() = 0;
    // Refreshes the status line (send state and quota).
    virtual void updateStatusBar() = 0;

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
