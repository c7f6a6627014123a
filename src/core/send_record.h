#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace zemble {

// How far one text of a send got.
enum class PartState : quint8 {
    NotSent,        // not sent yet, or refused by the site
    Confirmed,      // the site said it was sent (or the user took it as sent)
    MayHaveArrived, // its request left and no answer came: the site may have it
};

// What the site confirmed of one send, recipient by recipient and part by
// part.  The send job fills it in as it goes.
struct SendRecord {
    QString to; // the To text and the message of the send
    QString message;
    QStringList entries;           // the To text's entries, without surrounding spaces
    QList<QList<PartState>> parts; // for each entry, its parts in order
    bool confirmationAsked = false;
    PartState confirmation = PartState::NotSent;

    // Every part of entry `i` confirmed.
    bool reached(qsizetype i) const;
    // Some text confirmed, or possibly taken by the site.
    bool anythingSent() const;
};

} // namespace zemble
