#include "cli/command_line.h"

#include "compose/compose_logic.h"

#include <QCommandLineParser>
#include <QIODevice>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

namespace zemble::cli {

std::optional<Options> parseCommandLine(const QStringList& arguments, QString* error) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption message(QStringList{"m", "message"}, QString(), "TEXT");
    const QCommandLineOption file(QStringList{"f", "file"}, QString(), "FILE");
    const QCommandLineOption paid("paid");
    const QCommandLineOption free("free");
    const QCommandLineOption confirm("confirm");
    const QCommandLineOption yes(QStringList{"y", "yes"});
    const QCommandLineOption user(QStringList{"u", "user"}, QString(), "NAME");
    const QCommandLineOption gateway("gateway", QString(), "URL");
    const QCommandLineOption retries("retries", QString(), "N");
    const QCommandLineOption dryRun(QStringList{"n", "dry-run"});
    const QCommandLineOption quiet(QStringList{"q", "quiet"});
    const QCommandLineOption quota("quota");
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption version(QStringList{"V", "version"});
    parser.addOptions({message, file, paid, free, confirm, yes, user, gateway, retries, dryRun,
                       quiet, quota, help, version});
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }

    Options o;
    o.recipients = parser.positionalArguments();
    if (parser.isSet(message))
        o.message = parser.value(message);
    o.file = parser.value(file);
    if (parser.isSet(paid) || parser.isSet(free))
        o.paid = parser.isSet(paid);
    o.confirm = parser.isSet(confirm);
    o.yes = parser.isSet(yes);
    o.user = parser.value(user);
    o.gateway = parser.value(gateway).trimmed();
    o.dryRun = parser.isSet(dryRun);
    o.quiet = parser.isSet(quiet);
    o.quota = parser.isSet(quota);
    o.help = parser.isSet(help);
    o.version = parser.isSet(version);
    if (o.help || o.version)
        return o;

    bool number = true;
    if (parser.isSet(retries))
        o.retries = parser.value(retries).toInt(&number);
    if (!number || o.retries < 0)
        *error = QStringLiteral("--retries takes a whole number of 0 or more");
    else if (parser.isSet(paid) && parser.isSet(free))
        *error = QStringLiteral("--paid and --free cannot go together");
    else if (o.message && parser.isSet(file))
        *error = QStringLiteral("-m and -f cannot go together");
    else if (parser.isSet(user) && o.user.isEmpty())
        *error = QStringLiteral("--user needs a name");
    else if (parser.isSet(gateway) && o.gateway.isEmpty())
        *error = QStringLiteral("--gateway needs an address");
    else if (o.quota && !o.gateway.isEmpty())
        *error = QStringLiteral("--quota: an SMS gateway reports no quota");
    else if (o.quota && !o.recipients.isEmpty())
        *error = QStringLiteral("--quota sends nothing: give it no recipients");
    else if (!o.quota && o.recipients.isEmpty())
        *error = QStringLiteral("no recipient given");
    return error->isEmpty() ? std::optional<Options>(o) : std::nullopt;
}

QString usageText() {
    return QStringLiteral(
        "Usage: zemble-send [options] RECIPIENT...\n"
        "       zemble-send --quota [--user NAME] [--retries N] [-q]\n"
        "\n"
        "Sends a text message through the O2 web SMS site, or the SMS gateway chosen\n"
        "in Zemble's preferences, as Zemble does, to every RECIPIENT: a UK mobile\n"
        "number, or a name from Zemble's address book (the first letters are enough\n"
        "when they fit one contact only).  Uses Zemble's settings: its route,\n"
        "account, hosts, continuation text and sent-message log.\n"
        "\n"
        "  -m, --message TEXT  the message; without -m or -f it is read from\n"
        "                      standard input\n"
        "  -f, --file FILE     read the message from FILE\n"
        "      --paid          send paid texts (the default is Zemble's choice, free\n"
        "                      texts unless you chose paid ones)\n"
        "      --free          send free texts\n"
        "      --confirm       also send the confirmation copy to your own number\n"
        "  -y, --yes           go on past the \"Message warning\" (more than 10 texts)\n"
        "  -u, --user NAME     log on as NAME; the password comes from the desktop's\n"
        "                      keyring, the environment variable ZEMBLE_PASSWORD, or\n"
        "                      is asked for when standard input is a terminal.\n"
        "                      Without --user,\n"
        "                      the account remembered in Zemble's preferences\n"
        "      --gateway URL   send through the Kannel SMS gateway at URL (e.g.\n"
        "                      http://localhost:13013) instead of the route in the\n"
        "                      settings, which stay as they are; --user names its\n"
        "                      sendsms user (without it, the gateway user in the\n"
        "                      settings).  A gateway has no free or paid texts and\n"
        "                      reports no quota\n"
        "      --retries N     try a failed log-on or quota check N more times (a\n"
        "                      text is never sent twice)\n"
        "  -n, --dry-run       show the recipients with their numbers and the parts;\n"
        "                      send nothing\n"
        "  -q, --quiet         no progress lines on standard error\n"
        "      --quota         log on, print the free and paid texts left, log off\n"
        "  -h, --help          show this help\n"
        "  -V, --version       show the version\n"
        "\n"
        "Exit status:\n"
        "  0  every text was delivered\n"
        "  1  usage or input error; nothing was sent\n"
        "  2  nothing was sent (log-on refused, network down, a sending limit)\n"
        "  3  the message reached some recipients only, or a text may have arrived\n"
        "     without the site confirming it; standard error says who got it\n"
        "\n"
        "Ctrl+C (or SIGTERM) during a send lets the text under way be answered,\n"
        "sends no other and logs off; a second one stops at once.\n");
}

namespace {

QString withoutEndingLineBreaks(QString text) {
    while (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    return text;
}

// How a left-out character is named: itself in quotes when it shows, else
// its code.
QString characterName(char32_t code) {
    const QString hex = QStringLiteral("U+%1").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper();
    if (code == 0xFFFD)
        return hex + QStringLiteral(" (bytes that are not UTF-8)");
    if (code == u'\t')
        return QStringLiteral("tab");
    if (!QChar::isPrint(code) || QChar::isSpace(code))
        return hex;
    return u'"' + QString::fromUcs4(&code, 1) + u'"';
}

} // namespace

QString prepareMessage(QString text, bool fromInput, QString* error, bool clean) {
    if (fromInput)
        text = withoutEndingLineBreaks(text);
    const QString cleaned = clean ? cleanMessageText(text) : text;
    if (cleaned.isEmpty()) {
        *error = text.isEmpty() ? QStringLiteral("the message is empty")
                                : QStringLiteral("the message is empty once the characters the "
                                                 "site cannot take are left out");
        return {};
    }
    if (cleaned.size() > kMaxMessageLength) {
        *error = QStringLiteral("the message is %1 characters long; at most %2 can be sent")
                     .arg(cleaned.size())
                     .arg(kMaxMessageLength);
        return {};
    }
    return cleaned;
}

std::optional<QString> readMessage(QIODevice& device, QString* error) {
    constexpr qint64 kBlock = 64 * 1024;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text;
    qint64 total = 0;
    for (;;) {
        const QByteArray block = device.read(kBlock);
        if (block.isEmpty())
            break;
        total += block.size();
        text += utf8.decode(block);
        // Line breaks at the end may still turn into spaces inside the
        // message, which only makes it longer: without them it is already
        // too long, whatever follows.
        if (cleanMessageText(withoutEndingLineBreaks(text)).size() > kMaxMessageLength) {
            *error = QStringLiteral("the message is more than %1 characters long; at most %1 "
                                    "can be sent")
                         .arg(kMaxMessageLength);
            return std::nullopt;
        }
        if (total > kMaxMessageInputBytes) {
            *error = QStringLiteral("the message is more than %1 bytes long; at most %2 "
                                    "characters can be sent")
                         .arg(kMaxMessageInputBytes)
                         .arg(kMaxMessageLength);
            return std::nullopt;
        }
    }
    return text + utf8.decode(QByteArrayView());
}

QString leftOutCharacters(const QString& text) {
    constexpr int kMostNamed = 20;
    QStringList named;
    QSet<char32_t> seen;
    int more = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t code = text.at(i).unicode();
        qsizetype length = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
            text.at(i + 1).isLowSurrogate()) {
            code = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            length = 2;
        }
        const QStringView character = QStringView(text).mid(i, length);
        i += length - 1;
        // A line feed becomes a space; a carriage return before one, or at
        // the end, is part of a line break.
        const bool lineBreak =
            code == u'\n' || (code == u'\r' && (i + 1 == text.size() || text.at(i + 1) == u'\n'));
        if (lineBreak || !cleanMessageText(character.toString()).isEmpty() || seen.contains(code))
            continue;
        seen.insert(code);
        if (named.size() < kMostNamed)
            named.append(characterName(code));
        else
            ++more;
    }
    if (named.isEmpty())
        return {};
    QString line = named.join(QStringLiteral(", "));
    if (more > 0)
        line += QStringLiteral(" and %1 more").arg(more);
    return line;
}

bool isUkMobile(const QString& number) {
    static const QRegularExpression mobile(QStringLiteral("^07[0-9]{9}$"));
    return mobile.match(number).hasMatch();
}

} // namespace zemble::cli
