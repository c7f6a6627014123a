// The transport's redirect rule, trust rule and failure mapping, without a network.

#include "session/transport_rules.h"

#include <QtTest>

using namespace zemble;

namespace {

using Error = QNetworkReply::NetworkError;

// An answer with a redirect status and what the transport does with it.
struct RedirectCase {
    QString from;
    int status = 302;
    QString location;
    bool withForm = false;
    int redirectsBefore = 0;
    RedirectStep::Kind kind = RedirectStep::Follow;
    QString target = {};          // Follow: where to
    bool keepsForm = false;       // Follow: the form goes on
    Error fault = Error::NoError; // Refuse: the code given
};

// Which authorities a request is checked against, and whether it goes again.
struct TrustCase {
    bool haveExtra = true;
    bool knownSystemTrusted = false;
    bool unknownIssuer = false;
    bool sent = false;
    int status = 0;
    bool extraFirst = true;
    bool tryAgain = false;
};

// How a reply ended and the failure it counts as (NoError: a page to judge).
struct FailureCase {
    ReplyEnd end;
    Error code = Error::NoError;
    QString description = {};
};

} // namespace

Q_DECLARE_METATYPE(RedirectCase)
Q_DECLARE_METATYPE(TrustCase)
Q_DECLARE_METATYPE(FailureCase)

class TestTransportRules : public QObject {
    Q_OBJECT
private slots:
    // A form goes on with its body only under 307 and 308, and then only to the same host and
    // never from HTTPS to HTTP; nothing is followed to an address that is not a web page or
    // after ten redirects.
    void redirects_data() {
        QTest::addColumn<RedirectCase>("c");
        const auto row = [](const char* name, const RedirectCase& c) { QTest::newRow(name) << c; };
        using Kind = RedirectStep::Kind;
        // clang-format off
        row("302 after a form: on to the page without it", {.from = "https://a.test/login",
            .location = "http://a.test/home", .withForm = true, .target = "http://a.test/home"});
        row("relative address", {.from = "http://a.test/x/y", .location = "../z",
            .target = "http://a.test/z"});
        row("307 keeps the form on the same site", {.from = "https://a.test/x", .status = 307,
            .location = "/y", .withForm = true, .target = "https://a.test/y", .keepsForm = true});
        row("308 form to another host refused", {.from = "http://a.test/x", .status = 308,
            .location = "http://b.test/y", .withForm = true, .kind = Kind::Refuse,
            .fault = Error::InsecureRedirectError});
        row("307 form to another port refused", {.from = "http://a.test/x", .status = 307,
            .location = "http://a.test:8080/y", .withForm = true, .kind = Kind::Refuse,
            .fault = Error::InsecureRedirectError});
        row("307 form from HTTPS to HTTP refused", {.from = "https://a.test/x", .status = 307,
            .location = "http://a.test/y", .withForm = true, .kind = Kind::Refuse,
            .fault = Error::InsecureRedirectError});
        row("307 without a form to another host", {.from = "http://a.test/x", .status = 307,
            .location = "http://b.test/y", .target = "http://b.test/y"});
        row("303 form to another host goes without it", {.from = "http://a.test/x",
            .status = 303, .location = "http://b.test/y", .withForm = true,
            .target = "http://b.test/y"});
        row("a local file refused", {.from = "http://a.test/x", .location = "file:///etc/passwd",
            .kind = Kind::Refuse, .fault = Error::InsecureRedirectError});
        row("the tenth redirect followed", {.from = "http://a.test/x", .location = "/x",
            .redirectsBefore = 9, .target = "http://a.test/x"});
        row("the eleventh refused", {.from = "http://a.test/x", .location = "/x",
            .redirectsBefore = 10, .kind = Kind::Refuse, .fault = Error::TooManyRedirectsError});
        row("200 is a page", {.from = "http://a.test/x", .status = 200, .location = "/y",
            .kind = Kind::NotRedirect});
        row("302 without a location is a page", {.from = "http://a.test/x",
            .kind = Kind::NotRedirect});
        row("304 is a page", {.from = "http://a.test/x", .status = 304, .location = "/y",
            .kind = Kind::NotRedirect});
        // clang-format on
    }
    void redirects() {
        QFETCH(RedirectCase, c);
        const RedirectStep step =
            redirectStep(QUrl(c.from), c.status, c.location, c.withForm, c.redirectsBefore);
        QCOMPARE(step.kind, c.kind);
        QCOMPARE(step.target.toString(), c.target);
        QCOMPARE(step.keepsForm, c.keepsForm);
        QCOMPARE(step.fault.code, int(c.fault));
        QCOMPARE(step.fault.description.isEmpty(), c.kind != RedirectStep::Refuse);
    }

    // The extra authorities are tried first until a site is found to chain to the system's;
    // such a site is tried again only before anything was sent or answered.
    void trust_data() {
        QTest::addColumn<TrustCase>("c");
        const auto row = [](const char* name, const TrustCase& c) { QTest::newRow(name) << c; };
        // clang-format off
        row("extra authorities, certificate trusted", {});
        row("no extra authorities", {.haveExtra = false, .unknownIssuer = true,
            .extraFirst = false});
        row("site known to chain to the system's", {.knownSystemTrusted = true,
            .unknownIssuer = true, .extraFirst = false});
        row("unknown issuer before sending: again", {.unknownIssuer = true, .tryAgain = true});
        row("unknown issuer after the form left", {.unknownIssuer = true, .sent = true});
        row("unknown issuer with an answer", {.unknownIssuer = true, .status = 200});
        // clang-format on
    }
    void trust() {
        QFETCH(TrustCase, c);
        const bool extraFirst = extraAuthoritiesFirst(c.haveExtra, c.knownSystemTrusted);
        QCOMPARE(extraFirst, c.extraFirst);
        QCOMPARE(tryAgainWithSystemAuthorities(extraFirst, c.unknownIssuer, c.sent, c.status),
                 c.tryAgain);
    }

    // Any answer with an HTTP status is a page; a request without one fails with a reason.
    void failures_data() {
        QTest::addColumn<FailureCase>("c");
        const auto row = [](const char* name, const FailureCase& c) { QTest::newRow(name) << c; };
        // clang-format off
        row("a page", {.end = {.status = 200}});
        row("the site's error page", {.end = {.error = Error::InternalServerError,
            .status = 500}});
        row("a page cut off at its size limit", {.end = {.error = Error::OperationCanceledError,
            .status = 200, .truncated = true}});
        row("past the deadline", {.end = {.error = Error::OperationCanceledError, .status = 200,
            .overdue = true, .deadlineMs = 1500}, .code = Error::TimeoutError,
            .description = "The page was still arriving after 1.5 seconds"});
        row("silent until the time-out", {.end = {.error = Error::OperationCanceledError,
            .timeoutMs = 30000}, .code = Error::TimeoutError,
            .description = "The request timed out after 30 seconds"});
        row("connection closed before the answer", {.end = {
            .error = Error::ContentReSendError}, .code = Error::RemoteHostClosedError,
            .description = "The connection closed before the site answered"});
        row("refused connection", {.end = {.error = Error::ConnectionRefusedError,
            .errorText = "Connection refused"}, .code = Error::ConnectionRefusedError,
            .description = "Connection refused"});
        row("error status without an answer", {.end = {.error = Error::ContentNotFoundError,
            .errorText = "Not found"}, .code = Error::ContentNotFoundError,
            .description = "Not found"});
        // clang-format on
    }
    void failures() {
        QFETCH(FailureCase, c);
        const std::optional<RequestFault> fault = failureOf(c.end);
        QCOMPARE(fault.has_value(), c.code != Error::NoError);
        QCOMPARE(fault.value_or(RequestFault{}).code, int(c.code));
        QCOMPARE(fault.value_or(RequestFault{}).description, c.description);
    }
};

QTEST_MAIN(TestTransportRules)
#include "tst_transport_rules.moc"
