#pragma once

#include "addressbook/csv_import.h"

#include <QByteArray>
#include <QList>
#include <functional>
#include <optional>

namespace zemble {

// Reads the contact cards of a vCard file (versions 2.1, 3.0 and 4.0; any
// number of cards; folded lines; quoted-printable values; UTF-8 or the
// character set a value names, else the Windows code page).  Each card
// gives one contact: its name from N (family and given name, by the name
// rule) or else FN, its mobile number from the first TEL typed CELL or
// mobile that brings a UK number, else from the only TEL whose number is a
// UK mobile number.  `stop` is asked before every line; nothing is returned
// when it ended the reading early.  A file without a card gives an empty list.
std::optional<QList<ImportedContact>> readVCards(const QByteArray& bytes,
                                                 const std::function<bool()>& stop = {});

// True when a number's normal form is a UK mobile number (07 and nine digits).
bool isUkMobileNumber(const QString& number);

} // namespace zemble
