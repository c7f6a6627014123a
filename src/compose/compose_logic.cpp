#include "compose/compose_logic.h"

#include "core/cp1252.h"
#include "core/message_parts.h"
#include "core/settings.h"
#include "core/text.h"

#include <QStringList>

namespace zemble {

namespace {
const QString kIndent = QStringLiteral("       ");
const QString kBullet = QStringLiteral("   \u2022  ");
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

QString statsText(qsizetype characters, qint16 parts) {
    if (characters == 0)
        return QStringLiteral("0 characters used (split over 0 messages)");
    return QStringLiteral("%1 character%2 used (split over %3 message%4)")
        .arg(characters)
        .arg(plural_s(characters))
        .arg(parts)
        .arg(plural_s(parts));
}

QString cleanMessageText(const QString& text) {
    return keepCp1252(text, [](int code) {
        return (code >= 32 && code <= 90) || (code >= 97 && code <= 125) || code == 163;
    });
}

bool messageNotSent(const QString& signature, const QString& lastSentKey, const QString& toText,
                    const QString& messageText) {
    return signature == lastSentKey || lastSentKey != toText + messageText;
}

QString informationText(bool notSent, const QString& lastSentTime) {
    if (notSent)
        return kIndent + QStringLiteral("You have not sent this text message yet");
    return kIndent + QStringLiteral("You sent this text message on ") + lastSentTime;
}

QString quotaCaption(qint16 quotaFree, qint16 quotaPaid) {
    QString caption =
        quotaFree == -1 ? QStringLiteral("Unknown free") : QStringLiteral("%1 free").arg(quotaFree);
    caption += QStringLiteral(" && ");
    caption +=
        quotaPaid == -1 ? QStringLiteral("unknown paid") : QStringLiteral("%1 paid").arg(quotaPaid);
    return caption;
}

QString acceleratorDisplay(const QString& caption) {
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption.at(i + 1) == QLatin1Char('&')) {
                shown.append(QLatin1Char('&'));
                ++i;
            }
            continue;
        }
        shown.append(caption.at(i));
    }
    return shown;
}

bool quotaIsRed(qint16 quotaFree, qint16 quotaPaid) {
    return quotaFree == 0 && quotaPaid == 0;
}

QString sendRefusalReasons(const QString& toText, const QString& messageText) {
    QString reasons;
    if (toText.isEmpty())
        reasons += kBullet + QStringLiteral("No phone number has been entered.") + kCrLf;
    if (messageText.isEmpty())
        reasons += kBullet + QStringLiteral("No message has been entered.") + kCrLf;
    return reasons;
}

QString sendRefusalText(const QString& reasons) {
    return QStringLiteral("Zemble is going to be unable to send your text message because of the "
                          "following reason(s):") +
           kCrLf + kCrLf + reasons + kCrLf +
           QStringLiteral("Please check your details and try again");
}

QString newMessageQuestion() {
    return crlfLines({QStringLiteral("Are you sure you want to create a new SMS?"),
                      QStringLiteral("Anything currently written will be erased.")});
}

QString quitQuestion(const QString& quitConfirm, bool differsFromLastSend) {
    if (quitConfirm == QLatin1String("confirm")) {
        if (!differsFromLastSend)
            return {};
        return crlfLines({QStringLiteral("This SMS has not been sent yet."),
                          QStringLiteral("Are you sure you want to quit?")});
    }
    if (quitConfirm == QLatin1String("ask"))
        return QStringLiteral("Are you sure you want to quit?");
    return {};
}

Credentials mergeCredentials(const Credentials& session, const QString& storedUsername,
                             const QString& storedPassword) {
    Credentials merged = session;
    if (!storedUsername.isEmpty())
        merged.username = storedUsername;
    if (!storedPassword.isEmpty())
        merged.password = storedPassword;
    return merged;
}

} // namespace zemble
