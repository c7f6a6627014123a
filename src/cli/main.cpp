// zemble-send: sends a text message from the command line, through the same
// send job, transport and settings as the windowed program.  Qt Core and
// Network only: it runs without a display.

#include "addressbook/contact_store.h"
#include "cli/command_line.h"
#include "cli/interrupt_watch.h"
#include "cli/terminal_front.h"
#include "compose/recipients.h"
#include "core/message_parts.h"
#include "core/recipient_list.h"
#include "core/send_route.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "core/text.h"
#include "core/version.h"
#include "platform/keyring.h"
#include "platform/remembered_password.h"
#include "platform/service.h"
#include "session/job_settings.h"
#include "session/kannel_gateway.h"
#include "session/operator_protocol.h"
#include "session/send_job.h"
#include "session/site_settings.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

using namespace zemble;
using namespace zemble::cli;

namespace {

// How long a run without a terminal waits for the desktop's keyring.
constexpr std::chrono::milliseconds kUnattendedKeyringWait{3000};

void printOut(const QString& text) {
    std::fputs(qPrintable(text + u'\n'), stdout);
}

// Declines every choice between contacts and tells the candidates, so that
// an ambiguous name is an error instead of a question.
class TellingChooser final : public NameChooser {
public:
    QString Main(const QString& names, int num, const QString& original) override {
        QStringList candidates = names.split(u';').mid(0, num);
        std::sort(candidates.begin(), candidates.end(), [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        });
        TerminalFront::tell(QStringLiteral("'%1' fits several contacts: %2")
                                .arg(original, candidates.join(QStringLiteral(", "))));
        ambiguous.append(original);
        return original;
    }
    QStringList ambiguous;
};

// The recipients as the To field resolves them, or "" after telling what is
// wrong with them.
QString resolveRecipients(const QStringList& given) {
    TellingChooser chooser;
    RecipientsField field(contacts(), &chooser);
    QStringList dropped;
    const QString to =
        field.normaliseRecipientText(given.join(QLatin1StringView(kRecipientSeparator)), &dropped)
            .value_or(QString());
    bool ok = chooser.ambiguous.isEmpty();
    for (const QString& entry : std::as_const(dropped)) {
        TerminalFront::tell(
            QStringLiteral("'%1' is neither a contact's name nor a phone number").arg(entry));
        ok = false;
    }
    for (const QString& entry : to.isEmpty() ? QStringList() : splitRecipients(to)) {
        const QString number = lookup_contact(entry);
        if (chooser.ambiguous.contains(entry) || isUkMobile(number))
            continue;
        TerminalFront::tell(
            QStringLiteral("'%1' is not a UK mobile number (07 and nine more digits)")
                .arg(entry == number ? entry : entry + QStringLiteral("', number '") + number));
        ok = false;
    }
    if (ok && to.isEmpty()) {
        TerminalFront::tell(QStringLiteral("no recipient given"));
        ok = false;
    }
    return ok ? to : QString();
}

// Reads the message from a file, or standard input for "", no further than
// a message that can be sent.
std::optional<QString> readInput(const QString& path, QString* error) {
    QFile file;
    const bool opened = path.isEmpty() ? file.open(stdin, QIODevice::ReadOnly)
                                       : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (opened) {
        std::optional<QString> text = readMessage(file, error);
        if (!text || file.error() == QFileDevice::NoError)
            return text;
    }
    *error = QStringLiteral("cannot read the message from %1: %2")
                 .arg(path.isEmpty() ? QStringLiteral("standard input") : path, file.errorString());
    return std::nullopt;
}

// A password typed on the terminal without echo; "" when there is none.
QString askPassword(const QString& user) {
    if (!isatty(STDIN_FILENO))
        return {};
    std::fprintf(stderr, "Password for %s: ", qPrintable(user));
    std::fflush(stderr);
    char line[1024] = {};
    bool read = false;
    {
        const EchoOff echoOff;
        read = std::fgets(line, sizeof line, stdin) != nullptr;
    }
    std::fputc('\n', stderr);
    QString password = read ? QString::fromUtf8(line) : QString();
    while (password.endsWith(u'\n') || password.endsWith(u'\r'))
        password.chop(1);
    return password;
}

// The portal account of the run, into the session; false after telling why
// there is none.  The password comes from the desktop's keyring, then from
// ZEMBLE_PASSWORD, then from the settings file (for the remembered account).
bool takeAccount(const Options& options) {
    const bool remembered = options.user.isEmpty();
    const QString user = remembered ? readSetting(setting::wispUsername) : options.user;
    if (user.isEmpty()) {
        TerminalFront::tell(QStringLiteral("no account: give --user NAME, or remember an account "
                                           "in Zemble's preferences"));
        return false;
    }
    QString password = sendingPassword(platform::use<platform::Keyring>(), user,
                                       qEnvironmentVariable("ZEMBLE_PASSWORD"), remembered);
    if (password.isEmpty())
        password = askPassword(user);
    if (password.isEmpty()) {
        TerminalFront::tell(QStringLiteral("no password for '%1': set ZEMBLE_PASSWORD").arg(user));
        return false;
    }
    session().session_username = user;
    session().session_password = password;
    return true;
}

// Texts go through an SMS gateway: the one of --gateway, or the one the
// settings choose.
bool throughGateway(const Options& options) {
    return !options.gateway.isEmpty() ||
           sendRouteFromSetting(readSetting(setting::sendRoute)) == SendRoute::KannelGateway;
}

// The gateway and its account for the run; nothing after telling why there
// is none.  The address comes from --gateway or the settings; the user from
// --user or the settings; the password as the portal's is found, from the
// gateway's own keyring item and settings key.
std::optional<GatewayAccount> takeGatewayAccount(const Options& options) {
    const QString user =
        options.user.isEmpty() ? readSetting(setting::gatewayUsername) : options.user;
    if (user.isEmpty()) {
        TerminalFront::tell(QStringLiteral("no gateway account: give --user NAME, or set the "
                                           "gateway's user in Zemble's preferences"));
        return std::nullopt;
    }
    GatewayAccount account = gatewayAccountFromSettings(QString());
    if (!options.gateway.isEmpty())
        account.url = options.gateway;
    account.username = user;
    if (const QString problem = KannelGateway::accountProblem(account); !problem.isEmpty()) {
        TerminalFront::tell(problem);
        return std::nullopt;
    }
    QString password = sendingPassword(platform::use<platform::Keyring>(), user,
                                       qEnvironmentVariable("ZEMBLE_PASSWORD"),
                                       options.user.isEmpty(), AccountKind::Gateway);
    if (password.isEmpty())
        password = askPassword(user);
    if (password.isEmpty()) {
        TerminalFront::tell(
            QStringLiteral("no password for the gateway's user '%1': set ZEMBLE_PASSWORD")
                .arg(user));
        return std::nullopt;
    }
    account.password = password;
    return account;
}

// The host and authority settings can reach the site; false after telling
// which one cannot.
bool siteSettingsUsable() {
    const std::optional<SiteSettingProblem> problem = siteSettingsProblem();
    if (problem)
        TerminalFront::tell(siteSettingLine(*problem));
    return !problem;
}

QString figure(qint16 quota) {
    return quota < 0 ? QStringLiteral("unknown") : QString::number(quota);
}

// The job's own log-on and log-off steps around a quota check that must
// read the figures.
int showQuota(OperatorProtocol& site, TerminalFront& front, const SendJobContext& context) {
    SendJob job(site, front, front, context);
    if (!job.logOn() || front.failed())
        return kExitNothing;
    front.step(SendStep::Quota, SendJob::quotaText());
    // Figures that cannot be read are no answer: the saved ones stay.
    QString page;
    const bool ok = site.readQuota(&page) && !front.failed();
    if (!ok && !front.failed() && !site.cancelled())
        TerminalFront::tell(QStringLiteral("the quota page shows neither figure: ") +
                            pageSummary(page));
    site.resetCancel();
    job.logOff();
    if (!ok)
        return kExitNothing;
    const SessionState& state = context.session;
    printOut(
        QStringLiteral("%1 free, %2 paid").arg(figure(state.quota_free), figure(state.quota_paid)));
    return kExitSent;
}

void showDryRun(const SendOrder& order, bool gateway) {
    const QStringList entries = splitRecipients(order.to);
    printOut(QStringLiteral("%1 recipient%2:").arg(entries.size()).arg(plural_s(entries.size())));
    for (const QString& entry : entries) {
        const QString number = lookup_contact(entry);
        printOut(QStringLiteral("  ") +
                 (entry == number ? number : entry + QStringLiteral(" ") + number));
    }
    if (gateway) {
        const int texts = KannelGateway::textCount(order.message);
        printOut(QStringLiteral("the whole message to each, which the gateway sends as %1 text%2:")
                     .arg(texts)
                     .arg(plural_s(texts)));
        printOut(QStringLiteral("  ") + order.message);
        if (order.confirmation)
            printOut(QStringLiteral("and a confirmation copy to ") + order.confirmationShown);
        return;
    }
    const QStringList parts =
        cutParts(order.message, partLengthFor(order.method), readSetting(setting::textClipChar));
    printOut(QStringLiteral("%1 part%2, sent as %3 texts:")
                 .arg(parts.size())
                 .arg(plural_s(parts.size()))
                 .arg(order.method ? QStringLiteral("paid") : QStringLiteral("free")));
    for (qsizetype k = 0; k < parts.size(); ++k)
        printOut(QStringLiteral("  %1 of %2: %3").arg(k + 1).arg(parts.size()).arg(parts.at(k)));
    if (order.confirmation)
        printOut(QStringLiteral("and a confirmation copy to ") + order.confirmationShown);
}

// Who got the message and who did not, after a send that stopped half way.
void tellOutcome(const SendRecord& record, bool gateway) {
    const QString silent = gateway ? QStringLiteral("the gateway did not answer")
                                   : QStringLiteral("the site did not answer");
    for (qsizetype i = 0; i < record.entries.size(); ++i) {
        const QString& entry = record.entries.at(i);
        const QString number = lookup_contact(entry);
        const QString who = entry == number ? entry : entry + QStringLiteral(" (") + number + u')';
        if (record.reached(i)) {
            TerminalFront::tell(QStringLiteral("sent to ") + who);
            continue;
        }
        const QList<PartState>& parts = record.parts.at(i);
        QStringList arrived;
        QString line = QStringLiteral("not sent to ") + who;
        for (qsizetype k = 0; k < parts.size(); ++k) {
            if (parts.at(k) == PartState::Confirmed)
                arrived.append(QString::number(k + 1));
            else if (parts.at(k) == PartState::MayHaveArrived)
                line += gateway ? QStringLiteral("; it may have arrived, ") + silent
                                : QStringLiteral("; part %1 of %2 may have arrived, ")
                                          .arg(k + 1)
                                          .arg(parts.size()) +
                                      silent;
        }
        if (!arrived.isEmpty())
            line += QStringLiteral("; only part%1 %2 of %3 arrived")
                        .arg(plural_s(arrived.size()), arrived.join(QStringLiteral(", ")))
                        .arg(parts.size());
        TerminalFront::tell(line);
    }
    if (record.confirmationAsked && record.confirmation != PartState::Confirmed)
        TerminalFront::tell(record.confirmation == PartState::MayHaveArrived
                                ? QStringLiteral("the confirmation copy may have arrived, ") +
                                      silent
                                : QStringLiteral("the confirmation copy was not sent"));
}

// Ctrl+C or SIGTERM during a run: the first lets the request under way be
// answered, so that whether its text arrived is known, and sends nothing more
// but the log-off; the second ends everything at once.
void interrupted(int count, OperatorSite& site, TerminalFront& front) {
    if (count == 1) {
        TerminalFront::tell(QStringLiteral("interrupted: stopping once the request under way is "
                                           "answered (interrupt again to stop at once)"));
        front.stopBeforeNextRequest();
        return;
    }
    if (count == 2)
        TerminalFront::tell(QStringLiteral("interrupted again: stopping now"));
    site.cancel();
}

// The job through an SMS gateway: one request per recipient and for the
// confirmation copy, no log-on, quota or log-off.
// The exit code of a finished job; a job stopped part way tells what it left undone.
int exitCode(SendJob::Result result, const SendRecord& record, const InterruptWatch& interrupts,
             bool gateway) {
    if (result == SendJob::Sent)
        return kExitSent;
    if (!record.anythingSent()) {
        if (interrupts.count() > 0)
            TerminalFront::tell(QStringLiteral("interrupted: nothing was sent"));
        return kExitNothing;
    }
    tellOutcome(record, gateway);
    return kExitPartly;
}

int sendThroughGateway(const Options& options, const SendOrder& order,
                       const GatewayAccount& account, const SendJobContext& context) {
    KannelGateway gateway(account);
    TerminalFront front(gateway, options.quiet, options.yes, options.retries);
    gateway.setFront(&front);
    const InterruptWatch interrupts([&](int count) { interrupted(count, gateway, front); });
    SendJob job(gateway, front, front, context);
    const SendJob::Result result = job.run(order);
    return exitCode(result, job.record(), interrupts, true);
}

int send(const Options& options, const QString& to, const SendJobContext& context) {
    SendOrder order;
    order.to = to;
    order.method =
        options.paid ? int(*options.paid) : sendTypeIndex(readSetting(setting::sendType));
    order.confirmation = options.confirm;
    order.confirmationShown = readSetting(setting::confNumber);
    order.alwaysLogOff = true;
    if (options.confirm && order.confirmationShown.isEmpty()) {
        TerminalFront::tell(QStringLiteral("--confirm: no confirmation number is set in Zemble's "
                                           "preferences"));
        return kExitUsage;
    }

    const bool gateway = throughGateway(options);
    if (!gateway && !options.dryRun && !siteSettingsUsable())
        return kExitUsage;

    // A password asked on the terminal comes before a message typed there.
    const bool fromInput = !options.message && options.file.isEmpty();
    std::optional<GatewayAccount> account;
    const auto takeRoutesAccount = [&] {
        if (!gateway)
            return takeAccount(options);
        account = takeGatewayAccount(options);
        return account.has_value();
    };
    if (fromInput && !options.dryRun && !takeRoutesAccount())
        return kExitUsage;
    QString error;
    const std::optional<QString> text =
        options.message ? options.message : readInput(options.file, &error);
    if (!text) {
        TerminalFront::tell(error);
        return kExitUsage;
    }
    order.message = prepareMessage(*text, !options.message, &error, !gateway);
    if (order.message.isEmpty()) {
        TerminalFront::tell(error);
        return kExitUsage;
    }
    // A person sees the clean-up in the message box; a script is told.
    const QString leftOut = gateway ? QString() : leftOutCharacters(*text);
    if (!leftOut.isEmpty())
        TerminalFront::tell(QStringLiteral("left out of the message, as the site cannot take "
                                           "them: ") +
                            leftOut);
    if (options.dryRun) {
        showDryRun(order, gateway);
        return kExitSent;
    }
    if (!fromInput && !takeRoutesAccount())
        return kExitUsage;
    if (gateway)
        return sendThroughGateway(options, order, *account, context);

    OperatorProtocol site(context.session);
    TerminalFront front(site, options.quiet, options.yes, options.retries);
    site.setFront(&front);
    const InterruptWatch interrupts([&](int count) { interrupted(count, site, front); });
    SendJob job(site, front, front, context);
    const SendJob::Result result = job.run(order);
    if (job.leftLoggedOn() && interrupts.count() < 2) {
        // The run always ends logged off, also after a failure or a first
        // interrupt.
        site.resetCancel();
        job.logOff();
    }
    return exitCode(result, job.record(), interrupts, false);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // The same settings file and address book as the windowed program.
    QCoreApplication::setApplicationName(QLatin1String(kAppTitle));
    // Away from a terminal (cron, a script) nobody can answer the keyring's
    // unlock prompt: a locked keyring is given up on after a short wait.
    if (!isatty(STDIN_FILENO) && !isatty(STDERR_FILENO))
        platform::setKeyringWait(kUnattendedKeyringWait);

    QString error;
    const std::optional<Options> options = parseCommandLine(app.arguments(), &error);
    if (!options) {
        TerminalFront::tell(error);
        std::fputs("Try 'zemble-send --help'.\n", stderr);
        return kExitUsage;
    }
    if (options->help) {
        printOut(usageText());
        return kExitSent;
    }
    if (options->version) {
        printOut(QStringLiteral("zemble-send ") + versionNumber() + QStringLiteral(" (beta)"));
        return kExitSent;
    }

    setContactsProblemHandler([](const QString& title, const QString& text) {
        TerminalFront::tell(title + QStringLiteral(": ") +
                            QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
    });
    // A quota that cannot be stored is told, but the run's outcome stands.
    setSettingsProblemHandler([](const QString& path, const QString& reason) {
        TerminalFront::tell(
            QStringLiteral("could not save the settings to %1: %2").arg(path, reason));
    });
    setContactsFolder(defaultContactsFolder());
    // What the send job works with: the program's settings, address book and
    // session.
    const StoredJobSettings settings;
    const SendJobContext context{settings, contacts(), session()};
    context.session.logged_in = false;

    if (options->quota) {
        if (throughGateway(*options)) {
            TerminalFront::tell(QStringLiteral("--quota: the SMS gateway chosen in Zemble's "
                                               "preferences reports no quota"));
            return kExitUsage;
        }
        if (!siteSettingsUsable() || !takeAccount(*options))
            return kExitUsage;
        OperatorProtocol site(context.session);
        TerminalFront front(site, options->quiet, options->yes, options->retries);
        site.setFront(&front);
        const InterruptWatch interrupts([&](int count) { interrupted(count, site, front); });
        return showQuota(site, front, context);
    }
    load_contacts();
    const QString to = resolveRecipients(options->recipients);
    if (to.isEmpty())
        return kExitUsage;
    return send(*options, to, context);
}
