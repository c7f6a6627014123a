#include "session/site_settings.h"

#include "core/settings.h"
#include "core/text.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QSslCertificate>
#include <QUrl>

namespace zemble {
namespace {

// A file of authorities is a few hundred kilobytes at most; anything far
// larger is not one, and is not read whole to find out.
constexpr qint64 kMaxAuthorityFileBytes = 16 * 1024 * 1024;

QString portProblem(const QString& port) {
    bool digits = !port.isEmpty() && port.size() <= 5;
    for (const QChar c : port)
        digits = digits && c >= u'0' && c <= u'9';
    if (digits && port.toInt() >= 1 && port.toInt() <= 65535)
        return {};
    return QStringLiteral("the port after \":\" must be a number from 1 to 65535");
}

bool isHostLabel(QStringView label) {
    if (label.isEmpty() || label.size() > 63 || label.startsWith(u'-') || label.endsWith(u'-'))
        return false;
    for (const QChar c : label) {
        const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                        (c >= u'0' && c <= u'9') || c == u'-';
        if (!ok)
            return false;
    }
    return true;
}

QString hostNameProblem(const QString& host) {
    if (host.isEmpty())
        return QStringLiteral("the host name before the port is empty");
    // A name in other letters than ASCII goes out in its ASCII form.
    QString ascii = QString::fromLatin1(QUrl::toAce(host));
    if (ascii.endsWith(u'.'))
        ascii.chop(1);
    const QStringList labels = ascii.split(u'.');
    if (ascii.isEmpty() || !std::all_of(labels.begin(), labels.end(),
                                        [](const QString& label) { return isHostLabel(label); }))
        return QStringLiteral("\"%1\" is not a host name: a host name is made of letters, digits "
                              "and \"-\", in parts joined by \".\"")
            .arg(host);
    return {};
}

} // namespace

QString hostValueProblem(const QString& value) {
    if (value.isEmpty())
        return QStringLiteral("it is empty; it must name the host");
    for (const QChar c : value) {
        if (c.isSpace() || c.category() == QChar::Other_Control)
            return QStringLiteral("a host name holds no spaces or control characters");
    }
    if (value.contains(QLatin1String("://")))
        return QStringLiteral("it must be the host alone, without \"http://\" or \"https://\"");
    if (value.contains(u'@'))
        return QStringLiteral("it must be the host alone, without a user name");
    for (const QChar c : {u'/', u'\\', u'?', u'#'}) {
        if (value.contains(c))
            return QStringLiteral("it must be the host alone, without a path");
    }
    if (value.startsWith(u'[')) {
        // An IPv6 address, in brackets as in a web address.
        const qsizetype close = value.indexOf(u']');
        if (close < 0 ||
            QHostAddress(value.mid(1, close - 1)).protocol() != QAbstractSocket::IPv6Protocol)
            return QStringLiteral("the part in \"[\" and \"]\" must be an IPv6 address");
        const QString rest = value.mid(close + 1);
        if (rest.isEmpty())
            return {};
        if (!rest.startsWith(u':'))
            return QStringLiteral("only a port may follow the address, after \":\"");
        return portProblem(rest.mid(1));
    }
    const qsizetype colons = value.count(u':');
    if (colons > 1)
        return QStringLiteral("an IPv6 address must be written in \"[\" and \"]\"");
    if (colons == 1) {
        const qsizetype colon = value.indexOf(u':');
        const QString problem = hostNameProblem(value.left(colon));
        return problem.isEmpty() ? portProblem(value.mid(colon + 1)) : problem;
    }
    return hostNameProblem(value);
}

QString authorityFileProblem(const QString& path) {
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("there is no such file");
    if (info.isDir())
        return QStringLiteral("it is a folder, not a file");
    if (!info.isFile())
        return QStringLiteral("it is not a plain file");
    if (info.size() > kMaxAuthorityFileBytes)
        return QStringLiteral("the file is too large to be a list of certificates");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("the file cannot be read: ") + file.errorString();
    file.close();
    if (authorityCertificates(path).isEmpty())
        return QStringLiteral("the file holds no certificate in PEM form");
    return {};
}

QList<QSslCertificate> authorityCertificates(const QString& path) {
    struct Decoded {
        QString path;
        QDateTime modified;
        qint64 size = -1;
        QList<QSslCertificate> certificates;
    };
    static Decoded last;
    const QFileInfo info(path);
    if (path != last.path || info.lastModified() != last.modified || info.size() != last.size) {
        QFile file(path);
        last = {path, info.lastModified(), info.size(),
                file.open(QIODevice::ReadOnly)
                    ? QSslCertificate::fromData(file.readAll(), QSsl::Pem)
                    : QList<QSslCertificate>()};
    }
    return last.certificates;
}

std::optional<SiteSettingProblem> siteSettingsProblem() {
    for (const Setting<QString>& host :
         {setting::portalHost, setting::shopHost, setting::smsHost, setting::webHost}) {
        const QString value = readSetting(host);
        const QString problem = hostValueProblem(value);
        if (!problem.isEmpty())
            return SiteSettingProblem{QLatin1String(host.key), value, problem};
    }
    const QString path = readSetting(setting::extraCaFile);
    const QString problem = authorityFileProblem(path);
    if (!problem.isEmpty())
        return SiteSettingProblem{QLatin1String(setting::extraCaFile.key), path, problem};
    return std::nullopt;
}

QString siteSettingLine(const SiteSettingProblem& problem) {
    return QStringLiteral("the setting '%1' is '%2': %3")
        .arg(problem.key, problem.value, problem.reason);
}

QString siteSettingText(const SiteSettingProblem& problem) {
    return crlfLines({QStringLiteral("Zemble cannot reach O2 with the setting \"%1\", which is "
                                     "\"%2\":")
                          .arg(problem.key, problem.value),
                      problem.reason + u'.', QString(),
                      QStringLiteral("Nothing has been sent. Please correct the setting in"),
                      QDir::toNativeSeparators(settingsFilePath())});
}

} // namespace zemble
