#pragma once

// A contacts file in the mail program's Windows CSV layout, as the import
// benchmarks read it: the header, then one line per contact with its names
// in fields 1 and 3, a business street in field 8 and its mobile number in
// field 40, of 92 quoted fields.

#include <QByteArray>
#include <QList>

namespace zemble::bench {

enum class Street { OneLine, OverTwoLines };

inline QByteArray outlookCsvFile(int contacts, Street street) {
    const char* header[] = {"Title", "First Name", "Middle Name", "Last Name"};
    QList<QByteArray> names(92, QByteArray("\"Other\""));
    for (int i = 0; i < 4; ++i)
        names[i] = '"' + QByteArray(header[i]) + '"';
    names[8] = "\"Business Street\"";
    names[40] = "\"Mobile Phone\"";
    const QByteArray floor =
        street == Street::OverTwoLines ? QByteArray("\r\nSecond Floor") : ", Second Floor";
    QByteArray bytes = names.join(',') + "\r\n";
    for (int i = 0; i < contacts; ++i) {
        QList<QByteArray> fields(92, QByteArray("\"\""));
        fields[1] = "\"Forename" + QByteArray::number(i) + '"';
        fields[3] = "\"Surname" + QByteArray::number(i) + ", Jr.\"";
        fields[8] = "\"" + QByteArray::number(i) + " High Street" + floor + '"';
        fields[40] = "\"+44 7700 9" + QByteArray::number(10000 + i % 90000) + '"';
        bytes += fields.join(',') + "\r\n";
    }
    return bytes;
}

} // namespace zemble::bench
