#pragma once

// The transport's decisions that need no network: whether and where a
// redirect is followed, which authorities a certificate is checked against,
// and what failure an ended request counts as.

#include <QNetworkReply>
#include <QString>
#include <QUrl>

#include <optional>

namespace zemble {

// A request that brought no page to judge: the code the front end is given
// (a QNetworkReply::NetworkError) and the reason in words.
struct RequestFault {
    int code = 0;
    QString description;
};

// What becomes of an answer with a redirect status.
struct RedirectStep {
    enum Kind { NotRedirect, Follow, Refuse };
    Kind kind = NotRedirect;
    QUrl target;            // Follow: the next address
    bool keepsForm = false; // Follow: the form goes on with its body (307, 308)
    RequestFault fault;     // Refuse: why
};

// Redirects are followed as a browser follows them, up to kMaxRedirects;
// only to web addresses; and a form sent on with its body (307, 308) goes
// neither to a less safe address nor to another host.  `redirects` is the
// number followed before this answer.
inline constexpr int kMaxRedirects = 10;
RedirectStep redirectStep(const QUrl& from, int status, const QString& location, bool withForm,
                          int redirects);

// The system's authorities and those of the "extracafile" setting are both
// trusted, one set at a time.  A request is checked against the extra ones
// first, unless there are none or the site's certificate was found to chain
// to a system authority before.
bool extraAuthoritiesFirst(bool haveExtra, bool knownSystemTrusted);
// A request checked against the extra authorities is tried again against
// the system's when its certificate chained to none of them and nothing was
// sent or answered yet.
bool tryAgainWithSystemAuthorities(bool extraFirst, bool unknownIssuer, bool sent, int status);

// How a finished reply ended, as the failure mapping reads it.
struct ReplyEnd {
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorText;      // the network layer's words for `error`
    int status = 0;         // the HTTP status, 0 without an answer
    bool truncated = false; // the page was cut off at its size limit
    bool overdue = false;   // the request passed its deadline
    int timeoutMs = 0;
    int deadlineMs = 0;
};

// The failure a reply counts as; none when it brought a page (any answer
// with an HTTP status is a page, the site's error pages too).
std::optional<RequestFault> failureOf(const ReplyEnd& end);

} // namespace zemble
