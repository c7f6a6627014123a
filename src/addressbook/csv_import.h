#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <functional>

namespace zemble {

// A line of a contacts file exported by the mail program as Windows CSV.
// Only fields 0 to 100 are held; the columns used sit at fixed positions.
inline constexpr int kCsvFieldCount = 101;
inline constexpr int kCsvFirstName = 1;
inline constexpr int kCsvLastName = 3;
inline constexpr int kCsvMobile = 40;

using CsvFields = std::array<QString, kCsvFieldCount>;

// Called before every character of a line; true stops the split.
using CsvStopCheck = std::function<bool()>;

// Splits one line into `fields` (all emptied first).  A double quote flips
// the in-quotes state; a comma outside quotes ends a field, which then loses
// enclosing double quotes (when longer than one character and both its ends
// are double quotes) and has every doubled double quote made single.  The
// text after the last comma is kept as it stands.  Fields beyond index 100
// are read and dropped.  Returns false when `stop` ended the split early.
bool splitCsvLine(QStringView line, CsvFields& fields, const CsvStopCheck& stop = {});

// The clean-up a field gets at its closing comma.
QString cleanCsvField(QStringView raw);

// An imported contact's name: the last name, then ", " and the first name
// when there is one.
QString importContactName(const QString& last, const QString& first);

} // namespace zemble
