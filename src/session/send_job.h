#pragma once

#include "core/send_record.h"
#include "session/carrier.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace zemble {

struct ContactStore;
class JobSettings;
struct SessionState;

// One whole send, whatever front end runs it: the send window (step texts,
// progress bar, questions in message boxes, the error window) or zemble-send
// (lines on standard error, answers from its options).

// What one job sends: the compose window's fields as they stood at Send.
struct SendOrder {
    QString to; // the recipient list, entries joined by " ; "
    QString message;
    int method = 0;            // send-method list index: 0 free texts, any other paid
    bool confirmation = false; // "Send confirmation text message." ticked
    QString confirmationShown; // the confirmation number as its step text names it
    // Log off at the end whatever "dontlogout" says, and keep no session.
    bool alwaysLogOff = false;
    // Of a send that stopped half way: its texts marked Confirmed are left
    // out now (a confirmation copy that went is never sent again).
    const SendRecord* done = nullptr;
};

// The steps of a job, in order.  `Begin` clears the step text.
enum class SendStep { Begin, LogOn, Part, Confirmation, Quota, LogOff, Finished };

// Hears how a job goes: each step as it starts, with the text the send
// window shows for it, and the progress whenever it moves.
class SendJobListener {
public:
    virtual ~SendJobListener() = default;
    virtual void step(SendStep step, const QString& text) = 0;
    // `value` of `maximum` steps done; a maximum of 0 is not known yet.
    virtual void progress(int value, int maximum) = 0;
};

// One message of a job to its user: a title and a text whose lines are
// joined by CR LF; a warning, or else for information.
struct JobMessage {
    QString title;
    QString text;
    bool warning = false;
};

// What a job asks of, and tells, the person or script it runs for.
class SendJobQuestions {
public:
    virtual ~SendJobQuestions() = default;
    // Why the job cannot go on; nothing has been sent.
    virtual void refuse(const JobMessage& message) = 0;
    // The "Message warning" question: true goes on.
    virtual bool goOn(const JobMessage& message) = 0;
    // The sent-message log could not be written ("Save error").
    virtual void logNotSaved(const JobMessage& message) = 0;
    // Every step is done: the send window keeps "Finished." in view a moment.
    virtual void finishedPause() = 0;
};

// What a job works with besides its carrier and its front end: the
// settings it reads, the address book it resolves names in, and the session
// it keeps between jobs (the account, whether a portal session is open, the
// part length, the send last completed).  The programs pass their own;
// tests pass theirs.
struct SendJobContext {
    const JobSettings& settings;
    const ContactStore& contacts;
    SessionState& session;
};

class SendJob {
public:
    enum Result {
        Refused, // the limits, a recipient without a number or the site settings: nothing sent
        Stopped, // a request failed or was cancelled before every text went
        Sent,    // every text confirmed and the send recorded
    };

    SendJob(Carrier& carrier, SendJobListener& listener, SendJobQuestions& questions,
            SendJobContext context);

    // Asks the limit questions for the order; the progress steps of the job,
    // 0 when it must not go on.
    int check_send_limits(const SendOrder& order);
    // Runs the whole job: the site settings and the limits, log on unless a
    // session is kept, every part to every recipient, the confirmation copy,
    // the send recorded and logged, the quota, log off.  A request that fails
    // or is cancelled ends it at once.
    Result run(const SendOrder& order);

    // The log-on step on its own: its step text, then the log-on with the
    // session's account.  False when it failed or was cancelled.
    bool logOn();
    // The log-off step on its own: its step text, then the log-off.
    void logOff();
    // The step texts of log-on, the quota check and log-off.
    static QString logOnText(const QString& username);
    static QString quotaText();
    static QString logOffText();

    // What the site confirmed, text by text, in the last run.
    const SendRecord& record() const { return record_; }
    // The last run logged on and did not log off again.
    bool leftLoggedOn() const { return loggedOn_; }

private:
    // What the job sends, worked out once the order passed its checks.
    struct Plan {
        QStringList entries;
        QStringList parts;
        qint16 partLength = 0;
        bool paid = false;
        bool whole = false; // the whole message to each recipient, for a carrier without a session
    };

    // The checks before any request: the site settings and the limits.
    // False when the job is refused.
    bool startJob(const SendOrder& order);
    Plan planOf(const SendOrder& order);
    bool logOnUnlessOpen(const SendOrder& order);
    bool sendParts(const SendOrder& order, const Plan& plan, bool keptSession);
    bool sendConfirmation(const SendOrder& order, const Plan& plan);
    void rememberSent(const SendOrder& order);
    // The quota check and the log-off after a send; false when Cancel ended them.
    bool closeSession(const SendOrder& order);
    void finish();

    // Part `k` of entry `i`, or the confirmation copy, went in an earlier job.
    static bool already(const SendOrder& order, qsizetype i, qsizetype k);
    static bool confirmationAlready(const SendOrder& order);
    // Moves the progress on by one step; at the maximum nothing changes.
    void up_percentage();
    bool keepsSessionOpen(const SendOrder& order) const;
    // After a request: it succeeded and Cancel has not been pressed.
    bool stillRunning(bool ok) const;

    Carrier& carrier_;
    SendJobListener& listener_;
    SendJobQuestions& questions_;
    SendJobContext context_;
    SendRecord record_;
    int value_ = 0;
    int maximum_ = 0;
    bool loggedOn_ = false;
};

// The pieces of a send job that stand on their own: how the To text is read,
// how progress is counted and shown, and the texts the job builds.

// The number an entry is sent to: the look-up in the address book of the
// entry without its surrounding spaces; "" when it names no number.
QString recipientNumber(const ContactStore& book, const QString& entry);

// The entries that name no number, without their surrounding spaces (a blank
// entry as ""), and the text of the box that lists them.
QStringList entriesWithoutNumber(const ContactStore& book, const QStringList& entries);
QString noNumberText(const QStringList& entries);

// The most recipients and messages one job may send while the limit is on,
// and the total above which the user is asked first.
inline constexpr int kMaxRecipients = 30;
inline constexpr int kMaxMessages = 30;
inline constexpr int kWarnMessages = 10;

// Texts of the three limit messages.
QString tooManyRecipientsText();
QString messageWarningText(int total);
QString tooManyMessagesText(int total);
// The same two through an SMS gateway.
QString gatewayWarningText(int total);
QString gatewayTooManyText(int total);

// Progress steps of a job: log on, every part, the confirmation, the quota
// check, log off; a kept session skips log-off, and log-on too when it is
// already open.
int progressSteps(int total, bool confirmation, bool keepsSessionOpen, bool logged_in);
// The same for a carrier without a session: every part and the confirmation.
int progressStepsWithoutSession(int total, bool confirmation);

// "57% completed": the whole-number percentage of value out of maximum.
QString percentageText(int value, int maximum);

// The copy sent to the user's own phone: "The following message was sent to
// N recipient(s): " and as much of the message as fits in one part.
QString confirmationText(qsizetype recipients, const QString& message, qint16 part_length);

// "Thursday 22 May 2003, 07:03:09 pm", in English whatever the machine's
// language.
QString sentTimeText(const QDateTime& when);

} // namespace zemble
