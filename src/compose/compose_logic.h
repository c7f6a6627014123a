#pragma once

#include <QString>

namespace zemble {

// The plain logic behind the compose window's texts; no widgets here, so a
// test can drive every rule directly.

// The most characters the message box holds (a 16-bit count).
inline constexpr int kMaxMessageLength = 32767;

// "116 characters used (split over 2 messages)"; an empty message reads
// "0 characters used (split over 0 messages)".
QString statsText(qsizetype characters, qint16 parts);

// The message as the operator's site accepts it: line feeds become spaces;
// carriage returns, tabs and other control codes, the characters [ \ ] ^ _ `
// and ~, and every code-page character above 127 but the pound sign are
// dropped; so are characters the Windows-1252 code page cannot hold.
QString cleanMessageText(const QString& text);

// Whether the composed message still counts as not sent.
bool messageNotSent(const QString& signature, const QString& lastSentKey, const QString& toText,
                    const QString& messageText);

// The send-state line under the message box.
QString informationText(bool notSent, const QString& lastSentTime);

// The quota caption in accelerator notation ("12 free && 0 paid") and as it
// reads on screen ("12 free & 0 paid").
QString quotaCaption(qint16 quotaFree, qint16 quotaPaid);
// A caption as a label shows it: "&&" is one ampersand, a single "&" only
// marks the accelerator and is not shown.
QString acceleratorDisplay(const QString& caption);
// Red when both figures are exactly 0.
bool quotaIsRed(qint16 quotaFree, qint16 quotaPaid);

// Reasons why Send cannot go ahead ("" when there are none), and the text of
// the box that lists them.
QString sendRefusalReasons(const QString& toText, const QString& messageText);
QString sendRefusalText(const QString& reasons);

// The new-message question.
QString newMessageQuestion();

// The quit question for a "quitconfirm" value; "" when nothing is asked.
// `differsFromLastSend`: the To and message texts are not those of the last
// completed send.
QString quitQuestion(const QString& quitConfirm, bool differsFromLastSend);

// The account for the next log-on: a remembered (non-empty) value replaces
// the one of this run.  The stored password is in plain text.
struct Credentials {
    QString username;
    QString password;
    bool complete() const { return !username.isEmpty() && !password.isEmpty(); }
};
Credentials mergeCredentials(const Credentials& session, const QString& storedUsername,
                             const QString& storedPassword);

} // namespace zemble
