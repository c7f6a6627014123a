#include "session/transport_rules.h"

namespace zemble {
namespace {

bool isWebAddress(const QUrl& address) {
    const QString scheme = address.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

int defaultPort(const QUrl& address) {
    return address.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80;
}

// An answer with an HTTP status is a page, whatever the status: the site's
// own error pages are shown and judged by their text.  Failures of the
// connection, the TLS handshake or the redirects are not.
bool isPageError(QNetworkReply::NetworkError error) {
    return error > QNetworkReply::UnknownProxyError;
}

RedirectStep refused(QNetworkReply::NetworkError code, const QString& why) {
    RedirectStep step;
    step.kind = RedirectStep::Refuse;
    step.fault = {code, why};
    return step;
}

} // namespace

RedirectStep redirectStep(const QUrl& from, int status, const QString& location, bool withForm,
                          int redirects) {
    static const QList<int> followed = {301, 302, 303, 307, 308};
    if (!followed.contains(status) || location.isEmpty())
        return {};
    const QUrl target = from.resolved(QUrl(location));
    const bool resent = withForm && (status == 307 || status == 308);
    const bool lessSafe = from.scheme() == QLatin1String("https") &&
                          target.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0;
    const bool otherHost = from.host().compare(target.host(), Qt::CaseInsensitive) != 0 ||
                           from.port(defaultPort(from)) != target.port(defaultPort(target));
    if (!isWebAddress(target))
        return refused(QNetworkReply::InsecureRedirectError,
                       QStringLiteral("Redirected to an address that is not a web page: ") +
                           target.toString());
    if (redirects == kMaxRedirects)
        return refused(
            QNetworkReply::TooManyRedirectsError,
            QStringLiteral("Too many redirects (more than %1), the last to ").arg(kMaxRedirects) +
                target.toString());
    if (resent && (lessSafe || otherHost))
        return refused(QNetworkReply::InsecureRedirectError,
                       QStringLiteral("Refused to send the form on to another or less "
                                      "secure address: ") +
                           target.toString());
    RedirectStep step;
    step.kind = RedirectStep::Follow;
    step.target = target;
    step.keepsForm = resent;
    return step;
}

bool extraAuthoritiesFirst(bool haveExtra, bool knownSystemTrusted) {
    return haveExtra && !knownSystemTrusted;
}

bool tryAgainWithSystemAuthorities(bool extraFirst, bool unknownIssuer, bool sent, int status) {
    return extraFirst && unknownIssuer && !sent && status == 0;
}

std::optional<RequestFault> failureOf(const ReplyEnd& end) {
    if (end.overdue)
        return RequestFault{QNetworkReply::TimeoutError,
                            QStringLiteral("The page was still arriving after %1 seconds")
                                .arg(end.deadlineMs / 1000.0)};
    if (end.error == QNetworkReply::NoError || end.truncated ||
        (end.status > 0 && isPageError(end.error)))
        return std::nullopt;
    // Only the transfer time-out aborts a request the program did not.
    if (end.error == QNetworkReply::OperationCanceledError)
        return RequestFault{
            QNetworkReply::TimeoutError,
            QStringLiteral("The request timed out after %1 seconds").arg(end.timeoutMs / 1000.0)};
    // The form could not go again after the connection closed.
    if (end.error == QNetworkReply::ContentReSendError)
        return RequestFault{QNetworkReply::RemoteHostClosedError,
                            QStringLiteral("The connection closed before the site answered")};
    return RequestFault{end.error, end.errorText};
}

} // namespace zemble
