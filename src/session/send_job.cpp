#include "session/send_job.h"

#include "addressbook/contact_store.h"
#include "core/message_parts.h"
#include "core/recipient_list.h"
#include "core/session_state.h"
#include "core/text.h"
#include "session/job_settings.h"
#include "session/kannel_gateway.h"
#include "session/sent_log.h"
#include "session/site_settings.h"

#include <QCoreApplication>
#include <QLocale>

namespace zemble {

SendJob::SendJob(Carrier& carrier, SendJobListener& listener, SendJobQuestions& questions,
                 SendJobContext context)
    : carrier_(carrier), listener_(listener), questions_(questions), context_(context) {}

bool SendJob::keepsSessionOpen(const SendOrder& order) const {
    return !order.alwaysLogOff && context_.settings.keepsLoggedOn();
}

bool SendJob::stillRunning(bool ok) const {
    return !carrier_.cancelled() && ok;
}

void SendJob::up_percentage() {
    if (value_ == maximum_)
        return;
    ++value_;
    listener_.progress(value_, maximum_);
}

bool SendJob::already(const SendOrder& order, qsizetype i, qsizetype k) {
    return order.done && i < order.done->parts.size() && k < order.done->parts.at(i).size() &&
           order.done->parts.at(i).at(k) == PartState::Confirmed;
}

bool SendJob::confirmationAlready(const SendOrder& order) {
    return order.done && order.done->confirmation == PartState::Confirmed;
}

QString SendJob::logOnText(const QString& username) {
    return QStringLiteral("Logging onto O2 as '") + username + QStringLiteral("' ...");
}

QString SendJob::quotaText() {
    return QStringLiteral("Checking text message quota ...");
}

QString SendJob::logOffText() {
    return QStringLiteral("Logging out of O2 ...");
}

bool SendJob::logOn() {
    const SessionState& state = context_.session;
    listener_.step(SendStep::LogOn, logOnText(state.session_username));
    return stillRunning(carrier_.log_on(state.session_username, state.session_password));
}

void SendJob::logOff() {
    listener_.step(SendStep::LogOff, logOffText());
    carrier_.log_off();
    loggedOn_ = false;
}

int SendJob::check_send_limits(const SendOrder& order) {
    // Every entry must name someone to send to: one that does not would
    // otherwise be passed over without a word.
    const QStringList entries = splitRecipients(order.to);
    const QStringList unknown = entriesWithoutNumber(context_.contacts, entries);
    if (!unknown.isEmpty()) {
        questions_.refuse({QStringLiteral("Recipient alert"), noNumberText(unknown), true});
        return 0;
    }
    // The limits count what will really be sent: the texts an earlier job of
    // this send delivered are left out.
    SessionState& state = context_.session;
    // A carrier without a session is sent the whole message once per
    // recipient, and cuts it into its own number of texts.
    const bool whole = !carrier_.hasSession();
    if (!whole)
        state.part_length = partLengthFor(order.method);
    const int parts =
        whole ? (order.message.isEmpty() ? 0 : 1)
              : count_parts(order.message, state.part_length, context_.settings.clipText());
    const int textsEach = whole ? KannelGateway::textCount(order.message) : 1;
    int recipients = 0;
    int total = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        int left = 0;
        for (int k = 0; k < parts; ++k)
            left += already(order, i, k) ? 0 : 1;
        recipients += left > 0 ? 1 : 0;
        total += left * textsEach;
    }
    const bool limitOn = !context_.settings.sendLimitOff();
    if (limitOn && recipients > kMaxRecipients) {
        questions_.refuse({QStringLiteral("Spam warning"), tooManyRecipientsText(), true});
        return 0;
    }
    const bool confirmation = !context_.settings.confirmationNumber().isEmpty() &&
                              order.confirmation && !confirmationAlready(order);
    // Nothing would reach anyone: there is no message.  Going on would log on
    // and record the send as done.  (A send finished half way may have only
    // its confirmation copy left.)
    if (total == 0 && !(order.done && parts > 0 && confirmation))
        return 0;
    if (limitOn && total > kWarnMessages &&
        !questions_.goOn({QStringLiteral("Message warning"),
                          whole ? gatewayWarningText(total) : messageWarningText(total)}))
        return 0;
    if (limitOn && total > kMaxMessages) {
        questions_.refuse({QStringLiteral("Spam warning"),
                           whole ? gatewayTooManyText(total) : tooManyMessagesText(total)});
        return 0;
    }
    // Without a session: one step per request.
    if (whole)
        return progressStepsWithoutSession(recipients, confirmation);
    return progressSteps(total, confirmation, keepsSessionOpen(order), state.logged_in);
}

bool SendJob::startJob(const SendOrder& order) {
    record_ = SendRecord();
    record_.to = order.to;
    record_.message = order.message;
    loggedOn_ = false;
    if (!keepsSessionOpen(order))
        context_.session.logged_in = false;

    listener_.step(SendStep::Begin, QString());
    value_ = maximum_ = 0;
    listener_.progress(0, 0);

    // Settings that cannot reach the site are refused before any request.
    if (!carrier_.hasSession()) {
        if (const QString problem = carrier_.setupProblem(); !problem.isEmpty()) {
            questions_.refuse({QStringLiteral("Settings error"),
                               QStringLiteral("Zemble cannot send through the SMS gateway: ") +
                                   problem + QLatin1Char('.'),
                               true});
            return false;
        }
    } else if (const std::optional<SiteSettingProblem> problem = context_.settings.siteProblem()) {
        questions_.refuse({QStringLiteral("Settings error"), siteSettingText(*problem), true});
        return false;
    }
    const int steps = check_send_limits(order);
    if (steps == 0)
        return false;
    maximum_ = steps;
    listener_.progress(0, steps);
    return true;
}

SendJob::Plan SendJob::planOf(const SendOrder& order) {
    Plan plan;
    plan.paid = order.method != 0;
    plan.partLength = partLengthFor(order.method);
    plan.whole = !carrier_.hasSession();
    if (plan.whole) {
        plan.parts = QStringList{order.message};
    } else {
        context_.session.part_length = plan.partLength;
        plan.parts = cutParts(order.message, plan.partLength, context_.settings.clipText());
    }
    plan.entries = splitRecipients(order.to);
    for (qsizetype i = 0; i < plan.entries.size(); ++i) {
        record_.entries.append(trimSpaces(plan.entries.at(i)));
        record_.parts.append(QList<PartState>(plan.parts.size(), PartState::NotSent));
        for (qsizetype k = 0; k < plan.parts.size(); ++k) {
            if (already(order, i, k))
                record_.parts[i][k] = PartState::Confirmed;
        }
    }
    if (confirmationAlready(order))
        record_.confirmation = PartState::Confirmed;
    return plan;
}

bool SendJob::logOnUnlessOpen(const SendOrder& order) {
    SessionState& state = context_.session;
    if (!carrier_.hasSession() || state.logged_in)
        return true;
    if (!logOn())
        return false;
    loggedOn_ = true;
    up_percentage();
    if (keepsSessionOpen(order))
        state.logged_in = true;
    return true;
}

bool SendJob::sendParts(const SendOrder& order, const Plan& plan, bool keptSession) {
    const QString partCount = QString::number(plan.parts.size());
    bool nothingSent = true;
    for (qsizetype i = 0; i < plan.entries.size(); ++i) {
        const QString& shown = record_.entries.at(i);
        const QString number = lookup_contact(context_.contacts, shown);
        for (qsizetype k = 0; k < plan.parts.size(); ++k) {
            if (already(order, i, k))
                continue;
            listener_.step(
                SendStep::Part,
                plan.whole ? QStringLiteral("Sending message to ") + shown + QStringLiteral(" ...")
                           : QStringLiteral("Sending message part ") + QString::number(k + 1) +
                                 QStringLiteral(" of ") + partCount + QStringLiteral(" to ") +
                                 shown + QStringLiteral(" ..."));
            const bool ok = carrier_.send_part(number, plan.parts.at(k), plan.paid);
            if (!stillRunning(ok)) {
                if (carrier_.mayHaveArrived())
                    record_.parts[i][k] = PartState::MayHaveArrived;
                // A kept session that refuses the very first part has most
                // likely expired: the next job logs on afresh instead of
                // failing the same way for the rest of the run.
                if (!carrier_.cancelled() && keptSession && nothingSent)
                    context_.session.logged_in = false;
                return false;
            }
            record_.parts[i][k] = PartState::Confirmed;
            nothingSent = false;
            up_percentage();
        }
    }
    return true;
}

bool SendJob::sendConfirmation(const SendOrder& order, const Plan& plan) {
    const QString confNumber = context_.settings.confirmationNumber();
    record_.confirmationAsked = !confNumber.isEmpty() && order.confirmation;
    if (!record_.confirmationAsked || confirmationAlready(order))
        return true;
    listener_.step(SendStep::Confirmation, QStringLiteral("Sending confirmation SMS to ") +
                                               order.confirmationShown + QStringLiteral(" ..."));
    const QString text =
        plan.whole ? KannelGateway::confirmationText(plan.entries.size(), order.message)
                   : confirmationText(plan.entries.size(), order.message, plan.partLength);
    const bool ok = carrier_.send_part(confNumber, text, plan.paid);
    if (!stillRunning(ok)) {
        if (carrier_.mayHaveArrived())
            record_.confirmation = PartState::MayHaveArrived;
        return false;
    }
    record_.confirmation = PartState::Confirmed;
    up_percentage();
    return true;
}

void SendJob::rememberSent(const SendOrder& order) {
    SessionState& state = context_.session;
    state.last_sent_key = order.to + order.message;
    state.last_sent_time = sentTimeText(QDateTime::currentDateTime());
    if (!context_.settings.logsSent())
        return;
    const QString failure = log_sent_message(order.to, order.message, state.last_sent_time);
    if (!failure.isEmpty())
        questions_.logNotSaved({QStringLiteral("Save error"), failure, true});
}

bool SendJob::closeSession(const SendOrder& order) {
    if (!carrier_.hasSession())
        return true;
    listener_.step(SendStep::Quota, quotaText());
    carrier_.check_quota(); // the job goes on whatever the quota page said
    if (!stillRunning(true))
        return false;
    up_percentage();
    if (keepsSessionOpen(order))
        return true;
    logOff();
    if (!stillRunning(true))
        return false;
    up_percentage();
    return true;
}

void SendJob::finish() {
    listener_.step(SendStep::Finished, QStringLiteral("Finished."));
    QCoreApplication::processEvents();
    if (!carrier_.cancelled())
        questions_.finishedPause();
}

SendJob::Result SendJob::run(const SendOrder& order) {
    if (!startJob(order))
        return Refused;
    const Plan plan = planOf(order);
    const bool keptSession = context_.session.logged_in;
    if (!logOnUnlessOpen(order) || !sendParts(order, plan, keptSession) ||
        !sendConfirmation(order, plan))
        return Stopped;
    // The site has confirmed every text: the send is remembered and logged
    // now, so that a Cancel during the quota check or the log-off, or a close
    // of the window, cannot leave a delivered send unrecorded.
    rememberSent(order);
    if (closeSession(order))
        finish();
    return Sent;
}

QString recipientNumber(const ContactStore& book, const QString& entry) {
    return lookup_contact(book, trimSpaces(entry));
}

QStringList entriesWithoutNumber(const ContactStore& book, const QStringList& entries) {
    QStringList out;
    for (const QString& entry : entries) {
        if (recipientNumber(book, entry).isEmpty())
            out.append(trimSpaces(entry));
    }
    return out;
}

QString noNumberText(const QStringList& entries) {
    QStringList lines{QStringLiteral("Zemble is going to be unable to send your text message "
                                     "because these recipients have no phone number:"),
                      QString()};
    for (const QString& entry : entries)
        lines.append(QStringLiteral("   \u2022  ") +
                     (entry.isEmpty() ? QStringLiteral("(a blank entry)") : entry));
    lines << QString()
          << QStringLiteral("Nothing has been sent. Please check the To field and try again");
    return crlfLines(lines);
}

QString tooManyRecipientsText() {
    return QStringLiteral("You cannot send SMS' to more than 30 recipients");
}

static QString requestedLine(int total) {
    return QStringLiteral("You have requested that Zemble send %1 text messages via O2.")
        .arg(total);
}

QString messageWarningText(int total) {
    return crlfLines({
        requestedLine(total),
        QString(),
        QStringLiteral(
            "You are reminded that sending excessive text messages may alert O2 into thinking"),
        QStringLiteral("you are spamming and may cause your account to be disabled."),
        QString(),
        QStringLiteral("Please be aware that the author of Zemble accepts no responsibility for "
                       "the actions"),
        QStringLiteral("of the O2 administrators through the usage of this software."),
        QString(),
        QStringLiteral("Would you like to continue and send these messages?"),
    });
}

QString gatewayWarningText(int total) {
    return crlfLines({
        QStringLiteral("You have requested that Zemble send %1 text messages through the SMS "
                       "gateway.")
            .arg(total),
        QString(),
        QStringLiteral("Would you like to continue and send these messages?"),
    });
}

QString gatewayTooManyText(int total) {
    return crlfLines({
        QStringLiteral("You have requested that Zemble send %1 text messages through the SMS "
                       "gateway.")
            .arg(total),
        QString(),
        QStringLiteral("This number exceeds the maximum allowed and, as such, you will not be "
                       "able to continue."),
    });
}

QString tooManyMessagesText(int total) {
    return crlfLines({
        requestedLine(total),
        QString(),
        QStringLiteral("This number exceeds the maximum allowed and, as such, you will not be "
                       "able to continue."),
    });
}

int progressSteps(int total, bool confirmation, bool keepsSessionOpen, bool logged_in) {
    int steps = total + 3;
    if (confirmation)
        ++steps;
    if (keepsSessionOpen) {
        --steps;
        if (logged_in)
            --steps;
    }
    return steps;
}

int progressStepsWithoutSession(int total, bool confirmation) {
    return total + (confirmation ? 1 : 0);
}

QString percentageText(int value, int maximum) {
    const qint64 percent = maximum > 0 ? qint64(value) * 100 / maximum : 0;
    return QString::number(percent) + QStringLiteral("% completed");
}

QString confirmationText(qsizetype recipients, const QString& message, qint16 part_length) {
    const QString prefix = QStringLiteral("The following message was sent to ") +
                           QString::number(recipients) + QStringLiteral(" recipient") +
                           plural_s(recipients) + QStringLiteral(": ");
    const qsizetype room = qMax<qsizetype>(0, part_length - prefix.size());
    return prefix + message.left(room);
}

QString sentTimeText(const QDateTime& when) {
    return QLocale(QLocale::English).toString(when, QStringLiteral("dddd d MMM yyyy, hh:mm:ss ap"));
}

} // namespace zemble
