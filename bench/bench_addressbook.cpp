// Times the address book window and the CSV import at scale:
//  - the address book window filled with 32,759 contacts (Main), then all
//    of them chosen as recipients (Add) and handed back (OK);
//  - the CSV import of 10,000 exported lines with the per-record pause
//    left out, and the line splitter alone on the same lines.
// Prints milliseconds per run: wall clock (shortest, median, longest) and
// the median processor time, which a busy machine disturbs less.

#include "addressbook/access_window.h"
#include "addressbook/contact_import.h"
#include "addressbook/contact_store.h"
#include "addressbook/contacts_window.h"
#include "addressbook/csv_import.h"
#include "compose/compose_host.h"
#include "platform/service.h"

#include "quiet_platform.h"

#include "measure.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

using namespace zemble;
using namespace zemble::bench;
using zemble::bench::kRuns;
using zemble::bench::measure;

namespace {

constexpr int kCsvLines = 10000;

class BenchHost final : public ComposeHost {
public:
    QString toText() const override { return to; }
    void setToText(const QString& text) override { to = text; }
    QString messageText() const override { return {}; }
    bool sendConfirmationChecked() const override { return false; }
    void setSendConfirmationEnabled(bool) override {}
    int sendMethodIndex() const override { return 0; }
    QString confNumberFieldText() override { return {}; }
    void setComposeEnabled(bool on) override { enabled = on; }
    bool composeEnabled() const override { return enabled; }
    void bringComposeToFront() override {}
    void repaintCompose() override {}
    void updateStatusBar() override {}
    QString to;
    bool enabled = true;
};

// Names in a scrambled order and mixed letter case, so sorting has work.
void fillBook() {
    contacts() = ContactStore{};
    QRandomGenerator random(20030522);
    for (int i = 0; i < kMaxContacts; ++i) {
        QString name = QStringLiteral("Surname%1, Forename%2")
                           .arg(random.bounded(100000), 5, 10, QLatin1Char('0'))
                           .arg(i % 97);
        if (i % 3 == 0)
            name = name.toLower();
        add_contact(name, QStringLiteral("07700 9%1").arg(i % 100000, 5, 10, QLatin1Char('0')),
                    false);
    }
}

QByteArray csvLine(int i) {
    QList<QByteArray> fields(92, QByteArray());
    fields[1] = "Forename" + QByteArray::number(i);
    fields[3] = "\"Surname" + QByteArray::number(i) + ", Jr.\"";
    fields[40] = "+44 7700 9" + QByteArray::number(10000 + i % 90000);
    fields[57] = "\"Notes with a \"\"quoted\"\" word, and a comma\"";
    fields[88] = "Normal";
    return fields.join(',');
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    setContactsFolder(dir.path());
    QuietPlatform quiet;

    // The address book window.
    fillBook();
    BenchHost host;
    host.to = QStringLiteral("07700900001 ; Someone ; 07700900002");
    std::printf("Address book window, %d contacts\n", int(contacts().count));
    {
        AddressBook book(host);
        book.show();
        measure(
            "open (Main(true), list filled and sorted)", [] {}, [&] { book.show(); });
        measure(
            "Add of every contact", [&] { book.show(); },
            [&] {
                auto* list = book.window()->findChild<QListWidget*>(QStringLiteral("lstContacts"));
                list->setCurrentRow(0);
                list->selectAll();
                book.window()->cmdAdd_Click();
                QCoreApplication::processEvents();
            });
        measure(
            "OK with every contact a recipient",
            [&] {
                book.show();
                auto* list = book.window()->findChild<QListWidget*>(QStringLiteral("lstContacts"));
                list->setCurrentRow(0);
                list->selectAll();
                book.window()->cmdAdd_Click();
            },
            [&] { book.window()->cmdOk_Click(); });
    }

    // The CSV import.
    // The header names the columns the records are read by.
    QList<QByteArray> header(92, QByteArray("Other"));
    header[1] = "First Name";
    header[3] = "Last Name";
    header[40] = "Mobile Phone";
    QByteArray bytes = header.join(',') + "\r\n";
    for (int i = 0; i < kCsvLines; ++i)
        bytes += csvLine(i) + "\r\n";
    quiet.file.path = dir.filePath(QStringLiteral("contacts.csv"));
    {
        QFile out(quiet.file.path);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            return 1;
    }
    std::printf("\nCSV import, %d lines of 92 fields (%lld bytes), per-record pause left out\n",
                kCsvLines, static_cast<long long>(bytes.size()));
    const QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    measure(
        "split_csv_line of every line", [] {},
        [&] {
            CsvFields fields;
            for (const QString& line : lines)
                splitCsvLine(line, fields, [] { return false; });
        });
    AccessWindow access;
    int added = 0;
    measure(
        "whole import (overwrite, with progress window)", [] { contacts() = ContactStore{}; },
        [&] { added = importContacts(ImportSource::CsvFile, false, access).added; });
    std::printf("  entries added per import: %d\n", added);
    measure(
        "whole import (append, every name already there)", [] {},
        [&] { added = importContacts(ImportSource::CsvFile, true, access).added; });
    return 0;
}
