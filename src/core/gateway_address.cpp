#include "core/gateway_address.h"

#include <QUrl>

namespace zemble {
namespace {

// The dotted IPv4 form only: 127.x.y.z with every part a number up to 255.
bool isLoopbackV4(const QString& host) {
    const QStringList parts = host.split(u'.');
    if (parts.size() != 4)
        return false;
    for (const QString& part : parts) {
        bool number = false;
        const int value = part.toInt(&number, 10);
        if (!number || part.isEmpty() || part.size() > 3 || value < 0 || value > 255 ||
            !part.front().isDigit())
            return false;
    }
    return parts.front().toInt() == 127;
}

bool isThisMachine(QString host) {
    if (host.endsWith(u'.'))
        host.chop(1);
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    // QUrl gives an IPv6 host without its brackets and in its shortest form.
    if (host == QLatin1String("::1"))
        return true;
    return isLoopbackV4(host);
}

} // namespace

bool gatewayPasswordInClear(const QString& address) {
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty())
        return false;
    const QUrl url(trimmed.contains(QLatin1String("://")) ? trimmed
                                                          : QStringLiteral("http://") + trimmed,
                   QUrl::StrictMode);
    // https is encrypted; any other scheme is no web address the password goes to.
    if (url.scheme() != QLatin1String("http"))
        return false;
    return !url.isValid() || !isThisMachine(url.host());
}

} // namespace zemble
