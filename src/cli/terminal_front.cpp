#include "cli/terminal_front.h"

#include "session/kannel_gateway.h"
#include "session/operator_site.h"

#include <QRegularExpression>

#include <cstdio>

namespace zemble::cli {
namespace {

void printLine(const QString& line) {
    std::fputs(qPrintable(line + u'\n'), stderr);
    std::fflush(stderr);
}

// A message of the job as lines of the terminal: its title, then its text.
void tellMessage(const JobMessage& message) {
    const QStringList lines = message.text.split(QStringLiteral("\r\n"));
    TerminalFront::tell(message.title + QStringLiteral(": ") + lines.first());
    for (const QString& line : lines.mid(1)) {
        if (!line.isEmpty())
            TerminalFront::tell(QStringLiteral("  ") + line);
    }
}

} // namespace

TerminalFront::TerminalFront(OperatorSite& site, bool quiet, bool yes, int retries)
    : site_(site), quiet_(quiet), yes_(yes), retries_(retries) {}

void TerminalFront::tell(const QString& text) {
    printLine(QStringLiteral("zemble-send: ") + text);
}

void TerminalFront::step(SendStep step, const QString& text) {
    step_ = step;
    retriesLeft_ = retries_;
    // After an interrupt no step but the log-off makes a request, so none
    // other is announced.
    if (stopping_ && step != SendStep::LogOff) {
        site_.cancel();
        return;
    }
    if (!quiet_ && !text.isEmpty())
        printLine(text);
}

void TerminalFront::refuse(const JobMessage& message) {
    tellMessage(message);
}

bool TerminalFront::goOn(const JobMessage& message) {
    if (yes_)
        return true;
    const QStringList lines = message.text.split(QStringLiteral("\r\n"));
    tell(message.title + QStringLiteral(": ") + lines.first());
    tell(QStringLiteral("nothing was sent; give --yes to send them"));
    return false;
}

void TerminalFront::logNotSaved(const JobMessage& message) {
    tellMessage(message);
}

FailureChoice TerminalFront::requestFailed(const RequestFailure& failure) {
    QString reason;
    if (failure.gateway && !failure.failed) {
        reason = QStringLiteral("the SMS gateway at %1 did not accept the text: %2")
                     .arg(failure.address, KannelGateway::replyText(failure.status, failure.page));
    } else if (failure.failed) {
        reason = QStringLiteral("no answer from %1: %2").arg(failure.address, failure.description);
    } else {
        const QString shown = pageSummary(failure.page);
        reason =
            QStringLiteral("unexpected answer from %1: %2")
                .arg(failure.address, shown.isEmpty() ? QStringLiteral("an empty page") : shown);
    }
    // A text is never sent again: the site may have taken it.
    const bool mayRetry = step_ == SendStep::LogOn || step_ == SendStep::Quota;
    if (mayRetry && retriesLeft_ > 0) {
        --retriesLeft_;
        tell(reason + QStringLiteral("; trying again"));
        return FailureChoice::Retry;
    }
    tell(reason);
    failed_ = true;
    // Nothing more goes to the site in this run but the closing log-off.
    site_.cancel();
    return FailureChoice::Abort;
}

QString pageSummary(const QString& page, int most) {
    static const QRegularExpression hidden(QStringLiteral("<(script|style|title)\\b.*?</\\1\\s*>"),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QString text = page.left(64 * 1024);
    text.remove(hidden);
    text.replace(tag, QStringLiteral(" "));
    text.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    text = text.simplified();
    // Control characters of a hostile page stay off the terminal.
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = u'?';
    }
    if (text.size() > most)
        text = text.left(most - 3) + QStringLiteral("...");
    return text;
}

} // namespace zemble::cli
