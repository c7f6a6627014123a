#include "compose/unfinished_send.h"

#include "core/message_parts.h"
#include "core/text.h"

#include <QStringList>

#include <algorithm>

namespace zemble {
namespace {

const QString kIndent = QStringLiteral("       ");

bool confirmedAny(const SendRecord& record) {
    return std::any_of(record.parts.begin(), record.parts.end(),
                       [](const auto& states) { return states.contains(PartState::Confirmed); });
}

// What is known of one text after two jobs: confirmed once either job had
// it confirmed, else possibly arrived once either sent it without an answer.
PartState merged(PartState earlier, PartState later) {
    if (earlier == PartState::Confirmed || later == PartState::Confirmed)
        return PartState::Confirmed;
    if (earlier == PartState::MayHaveArrived || later == PartState::MayHaveArrived)
        return PartState::MayHaveArrived;
    return PartState::NotSent;
}

QString recipientsCount(qsizetype n) {
    return QString::number(n) +
           (n == 1 ? QStringLiteral(" recipient") : QStringLiteral(" recipients"));
}

// "1", "1 and 2", "1, 2 and 3".
QString numbersText(const QStringList& numbers) {
    if (numbers.size() <= 1)
        return numbers.value(0);
    return numbers.mid(0, numbers.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           numbers.last();
}

} // namespace

void UnfinishedSend::jobEnded(const SendRecord& record, bool sent) {
    if (sent) {
        record_.reset();
        return;
    }
    if (record.entries.isEmpty())
        return; // refused before anything was sent
    const bool same = record_ && record_->to == record.to && record_->message == record.message &&
                      record_->parts.size() == record.parts.size();
    if (same) {
        for (qsizetype i = 0; i < record.parts.size(); ++i) {
            QList<PartState>& states = record_->parts[i];
            for (qsizetype k = 0; k < states.size() && k < record.parts.at(i).size(); ++k)
                states[k] = merged(states.at(k), record.parts.at(i).at(k));
        }
        record_->confirmation = merged(record_->confirmation, record.confirmation);
        record_->confirmationAsked = record_->confirmationAsked || record.confirmationAsked;
    } else if (confirmedAny(record)) {
        record_ = record;
    }
}

const SendRecord* UnfinishedSend::matching(const QString& to, const QString& message) const {
    return record_ && record_->to == to && record_->message == message ? &*record_ : nullptr;
}

void UnfinishedSend::forgetUnless(const QString& to, const QString& message) {
    if (record_ && !matching(to, message))
        record_.reset();
}

QString unfinishedInformationText(const SendRecord& record) {
    qsizetype reached = 0;
    for (qsizetype i = 0; i < record.entries.size(); ++i)
        reached += record.reached(i) ? 1 : 0;
    return kIndent + QStringLiteral("This text message reached %1 of %2")
                         .arg(reached)
                         .arg(recipientsCount(record.entries.size()));
}

QString unfinishedQuestionText(const SendRecord& record) {
    QStringList have;
    QStringList haveNot;
    QStringList details;
    for (qsizetype i = 0; i < record.entries.size(); ++i) {
        const QString& who = record.entries.at(i);
        (record.reached(i) ? have : haveNot).append(who);
        const QList<PartState>& states = record.parts.at(i);
        const QString of = QString::number(states.size());
        QStringList got;
        for (qsizetype k = 0; k < states.size(); ++k) {
            if (states.at(k) == PartState::Confirmed)
                got.append(QString::number(k + 1));
        }
        if (!record.reached(i) && !got.isEmpty())
            details.append(QStringLiteral("%1 has part%2 %3 of %4 only.")
                               .arg(who, plural_s(got.size()), numbersText(got), of));
        for (qsizetype k = 0; k < states.size(); ++k) {
            if (states.at(k) == PartState::MayHaveArrived)
                details.append(QStringLiteral("Part %1 of %2 to %3 may have arrived: the site "
                                              "did not answer. Yes sends it again.")
                                   .arg(k + 1)
                                   .arg(of, who));
        }
    }
    if (record.confirmationAsked) {
        if (record.confirmation == PartState::Confirmed)
            details.append(QStringLiteral("Your confirmation copy has been sent; it is not "
                                          "sent again."));
        else if (record.confirmation == PartState::MayHaveArrived)
            details.append(QStringLiteral("Your confirmation copy may have arrived: the site "
                                          "did not answer. Yes sends it again."));
    }
    QStringList lines{
        haveNot.isEmpty() ? QStringLiteral("This text message reached all its recipients, but "
                                           "your confirmation copy has not gone.")
                          : QStringLiteral("This text message reached some of its recipients "
                                           "only."),
        QString(),
        QStringLiteral("Already sent to: ") +
            (have.isEmpty() ? QStringLiteral("nobody") : have.join(QStringLiteral(", "))),
        QStringLiteral("Not yet sent to: ") +
            (haveNot.isEmpty() ? QStringLiteral("nobody") : haveNot.join(QStringLiteral(", ")))};
    lines += details;
    lines << QString() << QStringLiteral("Would you like to send only what is missing?")
          << QStringLiteral("Yes sends only what is missing, No sends the whole message to "
                            "everyone again, Cancel sends nothing.");
    return crlfLines(lines);
}

SendRecord textsToLeaveOut(const SendRecord& record, bool resume) {
    SendRecord out = record;
    for (QList<PartState>& states : out.parts) {
        for (PartState& state : states) {
            if (!resume || state != PartState::Confirmed)
                state = PartState::NotSent;
        }
    }
    if (out.confirmation != PartState::Confirmed)
        out.confirmation = PartState::NotSent;
    return out;
}

} // namespace zemble
