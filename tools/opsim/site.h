#pragma once

// The operator's web SMS site as the simulator plays it: portal accounts with
// their quotas, the two-step portal login, sessions carried by a cookie, the
// SMS home page with the quota, the send form and log-out.

#include "http.h"

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <functional>

namespace opsim {

struct Account {
    QString user;
    QString password;
    QString firstName;
    int free = 0;
    int paid = 0;
};

// Parses "user;password;firstname;free;paid".  False (with a reason) when the
// line does not have five fields or a quota is not a whole number >= 0.
bool parseAccount(const QString& text, Account* out, QString* why);

class Site {
public:
    // Characters one text can hold, by kind; longer messages are refused.
    static constexpr int kFreeLength = 115;
    static constexpr int kPaidLength = 145;
    static constexpr auto kCookieName = "opsim_session";

    explicit Site(int httpPort) : httpPort(httpPort) {}

    void addAccount(const Account& account) { accounts.insert(account.user, account); }
    const Account* account(const QString& user) const;
    bool setQuota(const QString& user, int free, int paid);
    void endSessions() { sessions.clear(); }

    // Answers one request of the site; `https` tells which listener got it.
    Response handle(const Request& request, bool https);

    // Called with {"account","number","type","text"} for every accepted text.
    std::function<void(const QJsonObject&)> onSent;

    // A page carrying none of the texts the program looks for.
    static Response wrongPage();

private:
    struct PendingLogin {
        QString user;
        QString firstName; // as shown in the hidden fields (escaped)
        QString shownUser;
        QString dest;
        QString mAT;
        QString qe3;
    };

    Response portalLogin(const Request& request);
    Response backgroundLogin(const Request& request);
    Response destPage(const Request& request) const;
    Response homePage(const Request& request) const;
    Response sendMessage(const Request& request);
    Response logOut(const Request& request);

    // The user of the session named by the request's cookie, or "".
    QString sessionUser(const Request& request) const;
    QString sessionId(const Request& request) const;
    QString defaultDest() const;
    // `dest` when it is an http address on this machine, else defaultDest().
    QString safeDest(const QString& dest) const;

    int httpPort;
    QHash<QString, Account> accounts;
    QHash<QString, PendingLogin> pending; // by mID
    QHash<QString, QString> sessions;     // session id -> user
};

} // namespace opsim
