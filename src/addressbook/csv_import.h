#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <functional>
#include <optional>

namespace zemble {

// A line of a contacts file exported by the mail program as Windows CSV.
// Only fields 0 to 100 are held; the columns used sit at fixed positions.
inline constexpr int kCsvFieldCount = 101;
inline constexpr int kCsvFirstName = 1;
inline constexpr int kCsvLastName = 3;
inline constexpr int kCsvMobile = 40;

using CsvFields = std::array<QString, kCsvFieldCount>;

// Called before the first character of a line and again before every
// kCsvCharactersBetweenStops-th one; true stops the split.
using CsvStopCheck = std::function<bool()>;
inline constexpr int kCsvCharactersBetweenStops = 256;

// Splits one line into `fields` (all emptied first).  A double quote flips
// the in-quotes state; a comma outside quotes ends a field, which then loses
// enclosing double quotes (when longer than one character and both its ends
// are double quotes) and has every doubled double quote made single.  The
// text after the last comma is kept as it stands.  Fields beyond index 100
// are read and dropped.  Returns false when `stop` ended the split early.
bool splitCsvLine(QStringView line, CsvFields& fields, const CsvStopCheck& stop = {});

// The same split into every field of the record, however many, the last one
// cleaned up like the others: for files whose columns are found by name.
bool splitCsvRecord(QStringView record, QStringList& fields, const CsvStopCheck& stop = {});

// The clean-up a field gets at its closing comma.
QString cleanCsvField(QStringView raw);

// The records of a CSV text, one at a time, without their line ends.  A
// record ends at a line end outside double quotes (the same in-quotes state
// the split keeps), so a quoted field may hold line breaks.  A line ends at
// CR LF or a lone CR; a lone LF ends one too when the file's first line ends
// with a lone LF (a file written with LF line ends), and is part of the
// record otherwise.  Text after the last line end is a record of its own.
class CsvRecords {
public:
    // `text` must outlive the reader.
    explicit CsvRecords(QStringView text);
    bool atEnd() const { return position_ >= text_.size(); }
    QStringView next();

private:
    QStringView text_;
    qsizetype position_ = 0;
    bool lfEnds_ = false;
};

// The same records, taken one at a time from a file that is ASCII throughout
// (which reads the same as UTF-8 and as the Windows code page), each made
// text only when it is taken.
class AsciiCsvRecords {
public:
    // `bytes` must outlive the reader.
    explicit AsciiCsvRecords(QByteArrayView bytes);
    bool atEnd() const { return position_ >= bytes_.size(); }
    QString next();

private:
    QByteArrayView bytes_;
    qsizetype position_ = 0;
    bool lfEnds_ = false;
};

// True when every byte is below 0x80.
bool isAsciiText(QByteArrayView bytes);

// The text of an imported file: UTF-8 when it starts with the UTF-8 byte
// order mark or is valid UTF-8 throughout (today's exports), otherwise the
// Windows code page (older exports).  The byte order mark is dropped.
QString importFileText(const QByteArray& bytes);

// An imported contact's name: the last name, then ", " and the first name
// when there is one.
QString importContactName(const QString& last, const QString& first);

// The name of a contact read from a file whose columns are found by name:
// the name rule when there is a last name; otherwise the display name as it
// stands; otherwise the first name alone.
QString namedContactName(const QString& last, const QString& first, const QString& display);

// One record of an import: the contact's name ("" when the record has none)
// and the mobile number as the source wrote it ("" when it has none).
struct ImportedContact {
    QString name;
    QString mobile;
};

// Where the columns of a CSV file are, read from its header row.
struct CsvLayout {
    // The header has "First Name", "Last Name" and "Mobile Phone" at 1, 3
    // and 40, as the mail program's Windows export writes them: the records
    // are read by position, exactly as that export has always been read.
    bool positional = false;
    int firstName = -1;
    int lastName = -1;
    int displayName = -1;
    // Columns that hold a mobile number, in column order.
    QList<int> mobiles;
    // Pairs of a phone's type (or label) column and its value column; the
    // value counts when its type says mobile.
    struct TypedPhone {
        int type;
        int value;
    };
    QList<TypedPhone> typedPhones;

    bool recognised() const;
};

CsvLayout csvLayout(const QStringList& header);

// The header names the layouts are found by, as told to the user when a
// file has none of them.
QString csvColumnsLookedFor();

// The contact of one record of a recognised layout.  The mobile number is
// the first of the record's mobile columns that brings a UK number (several
// numbers in one value are separated by " ::: "), else the first one given.
// Nothing when `stop` ended the split early.
std::optional<ImportedContact> csvContact(const CsvLayout& layout, QStringView record,
                                          const CsvStopCheck& stop = {});

} // namespace zemble
