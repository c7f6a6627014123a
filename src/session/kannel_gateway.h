#pragma once

#include "session/operator_site.h"
#include "session/transport.h"

#include <QString>

#include <optional>

namespace zemble {

// Where and as whom texts go out through a Kannel SMS gateway.
struct GatewayAccount {
    QString url;      // the gateway's address, e.g. "http://localhost:13013"
    QString username; // a sendsms user of the gateway
    QString password;
    QString sender; // the number the texts come from; "" leaves it to the gateway
    QString smsc;   // the SMS centre to send through; "" leaves it to the gateway
};

// The account as the settings hold it, with the given password (which the
// settings never hold in plain text).
GatewayAccount gatewayAccountFromSettings(const QString& password);

// How one text fared at the gateway.
enum class GatewayOutcome {
    Sent,           // the gateway accepted it for delivery, or queued it
    Rejected,       // the gateway answered, but not with an acceptance
    MayHaveArrived, // the request left and no answer came back
    Failed,         // nothing reached the gateway
};

struct GatewayReply {
    GatewayOutcome outcome = GatewayOutcome::Failed;
    int status = 0; // the HTTP status; 0 without an answer
    // What the user is shown: the gateway's own reply ("403 Authorization
    // failed for sendsms"), or why no answer came.
    QString text;
};

// Sends texts through a Kannel gateway's sendsms interface, one request per
// recipient and text, the whole text in it: the gateway cuts a long text
// into parts and the phone joins them again.  Every request goes through the
// program's own transport, so its rules hold: its time-outs, a text never
// sent twice without the front end deciding, the request's body and its
// headers (the password among them) never carried to another host.  The
// password goes in a request header, never in an address, so it appears in
// no text the user is shown.
//
// As a send job's carrier it has no session: no log-on, quota or log-off,
// and every recipient is sent the whole message (send_part's `paid` means
// nothing to a gateway).
class KannelGateway final : public OperatorSite {
public:
    KannelGateway() = default;
    explicit KannelGateway(GatewayAccount account) : account_(std::move(account)) {}

    bool hasSession() const override { return false; }
    QString setupProblem() const override { return accountProblem(account_); }
    bool log_on(const QString&, const QString&) override { return true; }
    bool check_quota() override { return true; }
    bool send_part(const QString& number, const QString& text, bool) override {
        return send_text(number, text);
    }
    bool log_off() override { return true; }
    void unloadIE() override { transport_.closePageDisplay(); }
    void setFront(TransportFront* front) override { transport_.setFront(front); }
    void cancel() override { transport_.cancel(); }
    bool cancelled() const override { return transport_.cancelled(); }
    void resetCancel() override { transport_.resetCancel(); }
    void setStatusListener(std::function<void(const QString&)> listener) override {
        transport_.setStatusListener(std::move(listener));
    }

    void setAccount(GatewayAccount account) { account_ = std::move(account); }
    const GatewayAccount& account() const { return account_; }

    // Sends `text` to `number`.  True when the gateway accepted it, or when
    // the front end chose to take a failed request as done; lastReply() says
    // what the gateway answered in either case.
    bool send_text(const QString& number, const QString& text);
    const GatewayReply& lastReply() const { return reply_; }
    // The last text got no answer after its request had left.
    bool mayHaveArrived() const override {
        return reply_.outcome == GatewayOutcome::MayHaveArrived;
    }

    Transport& transport() { return transport_; }

    // Why the account cannot be used, "" when it can: the address must be
    // an http or https address, and no value may hold a line break (they go
    // in request headers).
    static QString accountProblem(const GatewayAccount& account);
    // The number as the gateway takes it: blanks removed; nullopt when it is
    // not a phone number (digits with an optional leading "+").  A blank
    // inside would make the gateway send to two numbers.
    static std::optional<QString> gatewayNumber(const QString& number);
    // The sendsms address of a gateway address: "/cgi-bin/sendsms" added to
    // an address without a path; user name and password in it are dropped.
    static QString sendsmsAddress(const QString& url);
    // The request for one text; `number` as gatewayNumber() gives it.
    static RawRequest request(const GatewayAccount& account, const QString& number,
                              const QString& text);
    // Every character is in the GSM 7-bit alphabet, its extension table
    // included, so the text goes in the 7-bit coding; otherwise it goes as
    // UCS-2, which keeps every character.
    static bool fitsGsmAlphabet(const QString& text);
    // How many texts the gateway sends for a message (it cuts it itself), as
    // the compose window counts them.
    static int textCount(const QString& message);
    // The copy sent to the user's own phone: "The following message was sent
    // to N recipient(s): " and as much of the message as fits in one text.
    static QString confirmationText(qsizetype recipients, const QString& message);
    // The gateway took the text: status 202 and a body that starts with
    // "0: Accepted for delivery" or "3: Queued for later delivery".
    static bool accepted(int status, const QString& page);
    // The reply as the user is shown it: the status, a space and the body
    // on one line, control characters as spaces, at most kMaxReplyChars.
    static QString replyText(int status, const QString& page);

    static constexpr int kMaxReplyChars = 200;

private:
    // A text the gateway was not sent: what the front end makes of it.
    bool notSent();

    GatewayAccount account_;
    Transport transport_;
    GatewayReply reply_;
};

} // namespace zemble
