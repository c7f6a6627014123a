#pragma once

#include "platform/keyring.h"

#include <QtCore>

namespace zemble::test {

// A keyring in memory.  `reachable` false answers every call Unavailable;
// `storeAnswer` other than Done refuses to store (the item is left as it was).
// `readBack` other than "" is what a read returns instead of the item, as a
// keyring that garbles what it is given would.
class MemoryKeyring final : public platform::Keyring {
public:
    using Outcome = platform::KeyringOutcome;

    Outcome store(const QString& label, const QString& account, const QString& password) override {
        asked.append(QStringLiteral("store ") + label);
        if (!reachable)
            return Outcome::Unavailable;
        if (storeAnswer != Outcome::Done)
            return storeAnswer;
        items.insert({label, account}, password);
        return Outcome::Done;
    }
    platform::KeyringRead read(const QString& label, const QString& account) override {
        asked.append(QStringLiteral("read ") + label);
        if (!reachable)
            return {Outcome::Unavailable, {}};
        if (!items.contains({label, account}))
            return {Outcome::NotFound, {}};
        return {Outcome::Done, readBack.isEmpty() ? items.value({label, account}) : readBack};
    }
    Outcome forget(const QString& label, const QString& account) override {
        asked.append(QStringLiteral("forget ") + label);
        if (!reachable)
            return Outcome::Unavailable;
        return items.remove({label, account}) ? Outcome::Done : Outcome::NotFound;
    }

    QString item(const QString& label, const QString& account) const {
        return items.value({label, account});
    }

    bool reachable = true;
    Outcome storeAnswer = Outcome::Done;
    QString readBack;
    QMap<QPair<QString, QString>, QString> items; // (label, account) -> password
    QStringList asked;
};

} // namespace zemble::test
