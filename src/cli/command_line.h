#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QIODevice;

namespace zemble::cli {

// What zemble-send was asked to do, as its command line says it.
struct Options {
    QStringList recipients;
    std::optional<QString> message; // -m TEXT
    QString file;                   // -f FILE; "" reads standard input
    std::optional<bool> paid;       // --paid or --free; else the "sendtype" setting
    bool confirm = false;
    bool yes = false;
    QString user; // --user NAME; "" is the account remembered in the settings
    // --gateway URL: through this SMS gateway, whatever route the settings
    // choose; "" is the settings' route.
    QString gateway;
    int retries = 0;
    bool dryRun = false;
    bool quiet = false;
    bool quota = false;
    bool help = false;
    bool version = false;
};

// The options of `arguments` (the program's name first), or nothing with
// `error` saying what is wrong in one line.
std::optional<Options> parseCommandLine(const QStringList& arguments, QString* error);

// The text of --help.
QString usageText();

// Exit statuses.
inline constexpr int kExitSent = 0;    // every text delivered
inline constexpr int kExitUsage = 1;   // usage or input error: nothing sent
inline constexpr int kExitNothing = 2; // nothing sent: log-on refused, network down, limit refused
inline constexpr int kExitPartly = 3;  // some recipients only, or a text unconfirmed

// A message as zemble-send sends it: a file or standard input loses the line
// breaks at its end, then the text is cleaned as the compose window cleans
// it for the operator's site (`clean`; an SMS gateway takes every character,
// as the compose window leaves them).  "" with `error` set when nothing
// sendable is left or the text is longer than the compose window holds.
QString prepareMessage(QString text, bool fromInput, QString* error, bool clean = true);

// The most bytes of a message file or of standard input that are read when
// they hold so much the site cannot take (left out by the clean-up) that the
// message is still short enough: a message that really goes is far smaller.
inline constexpr qint64 kMaxMessageInputBytes = 1024 * 1024;

// Reads a message (UTF-8) from a file or standard input, no further than the
// point where it is certainly longer than can be sent: an endless source such
// as a device or a pipe that never closes costs no more memory than a
// message.  Nothing with `error` set when the message is too long; a device
// that fails ends the text as its end would.
std::optional<QString> readMessage(QIODevice& device, QString* error);

// The characters the clean-up leaves out of a message, each named once in
// the order they first come, for one line on standard error: "" when there
// are none.  Line breaks are not named: they become spaces, or go at the end.
QString leftOutCharacters(const QString& text);

// A number the site can deliver to: 07 and nine more digits.
bool isUkMobile(const QString& number);

} // namespace zemble::cli
