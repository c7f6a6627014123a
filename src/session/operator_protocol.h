#pragma once

#include "session/operator_site.h"
#include "session/transport.h"

#include <QString>

namespace zemble {

struct SessionState;

// The operator's web SMS site driven the way a browser would: log on through
// the portal, read the quota from the SMS home page, send one message part
// through the send form, log off.  Every request goes through the transport,
// whose cookies carry the portal session between the calls.
class OperatorProtocol final : public OperatorSite {
public:
    // The quota figures read go into `state`.
    explicit OperatorProtocol(SessionState& state);

    bool log_on(const QString& username, const QString& password) override;
    bool check_quota() override;
    bool send_part(const QString& number, const QString& text, bool paid) override;
    bool log_off() override;

    void unloadIE() override { transport_.closePageDisplay(); }
    void setFront(TransportFront* front) override { transport_.setFront(front); }
    bool mayHaveArrived() const override { return transport_.mayHaveArrived(); }
    void cancel() override { transport_.cancel(); }
    bool cancelled() const override { return transport_.cancelled(); }
    void resetCancel() override { transport_.resetCancel(); }
    void setStatusListener(std::function<void(const QString&)> listener) override {
        transport_.setStatusListener(std::move(listener));
    }

    Transport& transport() { return transport_; }

    // The quota for a caller that shows the figures themselves: a home page
    // without them (an error page, or one the program does not know) is a
    // failed request that the front end decides on, and the figures, in the
    // session and in the settings, stay as they were.  True when at least
    // one figure was read.  `page`, when given, receives the home page.
    bool readQuota(QString* page = nullptr);

    // The body of the send form for one part, in the site's order.
    static QString sendForm(const QString& number, const QString& text, bool paid);
    // The hidden-field start marker: `input type="hidden" name="`, the name
    // and a double quote padded with spaces to 39 characters, `value="`.
    static QString hiddenFieldMarker(const QString& field);
    // The two quota figures of a home page, -1 where the page has none.
    static qint16 freeQuotaOf(const QString& page);
    static qint16 paidQuotaOf(const QString& page);

private:
    SessionState& state_;
    Transport transport_;
};

} // namespace zemble
