#include "addressbook/access_window.h"
#include "addressbook/contacts_window.h"
#include "addressbook/csv_import.h"
#include "addressbook/import_window.h"
#include "addressbook_doubles.h"
#include "support/contacts_source_double.h"

#include <QtTest>
#include <QtWidgets>

#include <optional>

using namespace zemble;
using namespace zemble::test;
using namespace Qt::StringLiterals;

namespace {

QString dataFile(const char* name) {
    return QStringLiteral(ZEMBLE_TEST_DATA_DIR "/import/") + QLatin1StringView(name);
}

const QStringList kBackupLines{
    "Your previous address book has been backed up to 'zemble_contacts.bak'.",
    "If you wish to go to the backup, close Zemble, rename this to 'zemble_contacts.txt'",
    "and then re-run Zemble."};

QString completion(const QString& heading, const QString& counts) {
    return crlfLines(QStringList{heading, counts, QString()} + kBackupLines);
}

QString rejected(const QString& first, const char* file, const QString& why) {
    return crlfLines({first, QDir::toNativeSeparators(dataFile(file)), why,
                      "Your address book has not been changed."});
}

const QString kColumnsLookedFor =
    "It looks for a header row with a name in \"First Name\", \"Last Name\", \"Given Name\", "
    "\"Family Name\" or \"Display Name\", and a mobile number in \"Mobile Phone\", \"Mobile "
    "Number\" or a \"Phone 1 - Value\" whose \"Phone 1 - Type\" or \"Phone 1 - Label\" says "
    "Mobile.";

// One exported line of 120 fields: the raw first name (1), last name (3) and
// mobile phone (40), the other fields filler.
QByteArray csvLine(const QByteArray& first, const QByteArray& last, const QByteArray& mobile) {
    QList<QByteArray> fields(120, QByteArray("x"));
    fields[1] = first;
    fields[3] = last;
    fields[40] = mobile;
    return fields.join(',');
}

// How the person stops an import from its progress window.
enum class CancelBy { Escape, CloseFromFrame };

QString progress(int found, int added) {
    return QStringLiteral("Accessing contacts list ... (%1 found, %2 added)").arg(found).arg(added);
}

// A file imported in Append mode: its name and kind, the contacts it adds and the message told.
struct FileImport {
    const char* file;
    ImportSource source;
    Entries added;
    QString message;
};

} // namespace

Q_DECLARE_METATYPE(FileImport)
Q_DECLARE_METATYPE(zemble::test::Entry)
Q_DECLARE_METATYPE(zemble::ImportSource)
Q_DECLARE_METATYPE(CancelBy)
Q_DECLARE_METATYPE(std::optional<QString>)

class TestImportWindow : public QObject {
    Q_OBJECT
    std::optional<AddressBookWindows> e;

    ContactsWindow* w() const { return e->book.window(); }
    ImportWindow* importer() const { return w()->importWindow(); }
    template <class W = QPushButton> W* find(const char* name) const {
        return importer()->findChild<W*>(name);
    }
    QListWidget* sources() const { return find<QListWidget>("lstImport"); }
    // Opens the options from the address book's Import.. button.
    void openOptions() {
        if (!w())
            e->book.show();
        QTest::mouseClick(w()->findChild<QPushButton*>("cmdUpdate"), Qt::LeftButton);
    }
    void runImport(ImportSource source, bool append, const QString& file = {}) {
        if (!file.isNull())
            e->fx.files.answers.enqueue(file);
        openOptions();
        sources()->setCurrentRow(int(source));
        find<QRadioButton>(append ? "optAppend" : "optOverwrite")->setChecked(true);
        QTest::mouseClick(find("cmdOk"), Qt::LeftButton);
    }
    void importCsvLines(const QList<QByteArray>& lines, bool append = true) {
        const QByteArray header = csvLine("First Name", "Last Name", "Mobile Phone");
        runImport(ImportSource::CsvFile, append,
                  e->fx.write("in.csv", header + "\r\n" + lines.join("\r\n")));
    }
    AccessWindow* access() const { return importer()->accessWindow(); }
    QString status() const { return access()->findChild<QLabel*>("lblStatus")->text(); }
    QPushButton* accessCancel() const { return access()->findChild<QPushButton*>("cmdCancel"); }

private slots:
    void init() { e.emplace(); } // the last test's windows and book go first

    // Another program adds a contact after the book was read: an import keeps it, and the
    // imported contacts follow it, in the file and in the window.
    void importKeepsContactsAddedElsewhere() {
        e->fx.write("zemble_contacts.txt", "Bob;071\r\n");
        load_contacts();
        e->fx.write("zemble_contacts.txt", "Bob;071\r\nDee;073\r\n");
        importCsvLines({csvLine("Ed", "Eve", "074")});
        QCOMPARE(e->fx.read(), QByteArray("Bob;071\r\nDee;073\r\nEve, Ed;074\r\n"));
        QCOMPARE(bookEntries(), (Entries{{"Bob", "071"}, {"Dee", "073"}, {"Eve, Ed", "074"}}));
        QCOMPARE(itemTexts(w()->findChild<QListWidget*>("lstContacts")),
                 (QStringList{"Bob", "Dee", "Eve, Ed"}));
    }

    // Records end only at line ends outside double quotes.  Line ends of each kind inside
    // quotes, and a file of LF line ends, are in the Outlook files of eachFileGivesItsContacts.
    void recordsEndAtLineEndsOutsideQuotes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("records");
        QTest::newRow("doubled quotes keep the field open")
            << u"\"say \"\"hi\r\n\"\" there\",d\r\ne"_s
            << QStringList{"\"say \"\"hi\r\n\"\" there\",d", "e"};
        QTest::newRow("lone LF in a CR LF file stays in its line")
            << u"h\r\na\nb\r\nc"_s << QStringList{"h", "a\nb", "c"};
        QTest::newRow("empty lines are records") << u"h\r\n\r\nb"_s << QStringList{"h", "", "b"};
    }
    void recordsEndAtLineEndsOutsideQuotes() {
        QFETCH(QString, text);
        QFETCH(QStringList, records);
        CsvRecords reader(text);
        QStringList read;
        while (!reader.atEnd())
            read.append(reader.next().toString());
        QCOMPARE(read, records);
    }

    // A large field of doubled quotes is split whole, the fields of the line before emptied
    // (the fuzz target checks the split against a reference on every other line).
    void aLargeFieldOfDoubledQuotesIsSplitWhole() {
        const QString quotes(200000, u'"');
        CsvFields split;
        split.fill("stale");
        QVERIFY(splitCsvLine('"' + quotes + "\",x", split));
        const QStringList fields =
            QStringList{quotes.left(100000), "x"} + QStringList(kCsvFieldCount - 2, "");
        QCOMPARE(QStringList(split.begin(), split.end()), fields);
    }

    // Each file imported in Append mode into a book holding Brown, Bob: the book after, and
    // the one message shown.  A file that gives nothing leaves the book and both files alone.
    void eachFileGivesItsContacts_data() {
        QTest::addColumn<FileImport>("row");
        const auto row = [](const char* name, const FileImport& f) { QTest::newRow(name) << f; };
        const auto csv = ImportSource::CsvFile;
        const auto vcf = ImportSource::VCardFile;
        const auto complete = [](const QString& counts) {
            return completion("Import complete.", counts);
        };
        const auto unrecognised = [](const char* file, const QString& lookedFor) {
            return rejected("Zemble did not recognise the contacts file", file, lookedFor);
        };
        const QString twoAdded = "2 contacts added, 0 records without a usable UK mobile number, "
                                 "1 name already in the address book.";
        // clang-format off
        row("Outlook for Windows, address over two lines", {"outlook_windows.csv", csv,
            {{"Lee, Ann", "07700900001"}, {"Smith, Jr., John", "07700900002"}}, complete(twoAdded)});
        row("Outlook for Windows, LF line ends", {"outlook_windows_lf.csv", csv,
            {{"Lee, Ann", "07700900001"}, {"Smith, Jr., John", "07700900002"}}, complete(twoAdded)});
        row("Outlook's current export", {"outlook_current.csv", csv, {{"Jones, Carol",
            "07700900005"}}, complete("1 contact added, 1 record without a usable UK mobile "
            "number, 0 names already in the address book.")});
        row("Thunderbird", {"thunderbird.csv", csv, {{"Day, Dan", "07700900006"}, {"Plumber",
            "07700900007"}}, complete("2 contacts added, 1 record without a usable UK mobile "
            "number, 0 names already in the address book.")});
        row("Google, UTF-8 names", {"google.csv", csv, {{"Zola, Émile", "07700900010"}, {"Mum",
            "07700900011"}, {"Petrovi?, ?or?e", "07700900013"}}, complete("3 contacts added, 1 "
            "name changed to characters the address book can hold, 1 record without a usable UK "
            "mobile number, 0 names already in the address book.")});
        row("Google, older columns", {"google_older.csv", csv, {{"Ford, Fay", "07700900015"}},
            complete("1 contact added, 0 records without a usable UK mobile number, 0 names "
            "already in the address book.")});
        row("vCard 2.1, quoted-printable", {"version_2_1.vcf", vcf, {{"Garçon, Élodïe",
            "07700900020"}, {"Hill, Hal", "07700900021"}}, complete("2 contacts added, 1 record "
            "without a usable UK mobile number, 0 names already in the address book.")});
        row("vCard 3.0, folded lines", {"version_3_0.vcf", vcf, {{"Smith, Jr., John",
            "07700900022"}, {"Corner Shop", "07700900023"}}, complete("2 contacts added, 1 record "
            "without a usable UK mobile number, 0 names already in the address book.")});
        row("vCard 4.0, tel addresses", {"version_4_0.vcf", vcf, {{"Quinn, Zoë", "07700900026"},
            {"Ålesund Ferry Desk", "07700900027"}}, complete("2 contacts added, 0 records without "
            "a usable UK mobile number, 0 names already in the address book.")});
        row("unrecognised header", {"unrecognised.csv", csv, {},
            unrecognised("unrecognised.csv", kColumnsLookedFor)});
        row("empty file", {"empty.csv", csv, {}, unrecognised("empty.csv", kColumnsLookedFor)});
        row("no UK mobile numbers", {"no_mobile_numbers.csv", csv, {}, rejected("The contacts "
            "file holds no UK mobile numbers", "no_mobile_numbers.csv", "None of its 3 records "
            "has both a name and a UK mobile number.")});
        row("not a vCard file", {"not_a_vcard.vcf", vcf, {}, unrecognised("not_a_vcard.vcf",
            "It looks for contact cards, each from BEGIN:VCARD to END:VCARD.")});
        // clang-format on
    }
    void eachFileGivesItsContacts() {
        QFETCH(FileImport, row);
        const auto& [file, source, added, message] = row;
        // Contacts added are backed up and told; a file that gives none is an error.
        const QString title = added.isEmpty() ? "Contacts error" : "Backup information";
        addEntries({{"Brown, Bob", "07700900098"}});
        runImport(source, true, dataFile(file));
        QCOMPARE(bookEntries(), (Entries{{"Brown, Bob", "07700900098"}} + added));
        QCOMPARE(e->fx.messages.titles(), QStringList{title});
        QCOMPARE(e->fx.messages.asked.first().text, message);
        QCOMPARE(e->fx.messages.asked.first().icon, platform::Icon::Information);
        const bool imported = !added.isEmpty();
        QCOMPARE(e->fx.read("zemble_contacts.bak"),
                 imported ? QByteArray("Brown, Bob;07700900098\r\n") : QByteArray("<missing>"));
        QCOMPARE(e->fx.read() != "<missing>", imported);
        QVERIFY(!importer()->isVisible() && !access()->isVisible() && w()->isEnabled());
    }

    // Cancel while the records are added: what was added stays and is saved, and the message
    // says how many were added before it.
    void cancelSaysHowManyWereAdded() {
        e->fx.pauses.onPause = [&](int index, int) {
            if (index == 0)
                accessCancel()->click();
        };
        runImport(ImportSource::CsvFile, false, dataFile("outlook_windows.csv"));
        QCOMPARE(bookEntries(), (Entries{{"Lee, Ann", "07700900001"}}));
        QCOMPARE(e->fx.read(), QByteArray("Lee, Ann;07700900001\r\n"));
        QCOMPARE(status(), progress(1, 1));
        QCOMPARE(e->fx.messages.asked.first().text,
                 completion("Import cancelled.",
                            "1 contact added before the import was cancelled, 0 records without "
                            "a usable UK mobile number, 0 names already in the address book."));
    }

    // The options open with the first source that works here chosen; one that cannot work is
    // greyed with its reason under the list, never chosen; OK is there only while a source is
    // chosen.
    void optionsOfferTheSourcesThatWorkHere_data() {
        QTest::addColumn<bool>("contactsFolderHere");
        QTest::addColumn<ImportSource>("chosen");
        QTest::addColumn<std::optional<QString>>("noteUnderTheList");
        QTest::newRow("no Outlook on this system")
            << false << ImportSource::CsvFile
            << std::optional<QString>(
                   "Direct connection to Outlook contacts: Outlook is not available on this "
                   "system.");
        QTest::newRow("a contacts folder to reach")
            << true << ImportSource::Direct << std::optional<QString>();
    }
    void optionsOfferTheSourcesThatWorkHere() {
        QFETCH(bool, contactsFolderHere);
        QFETCH(ImportSource, chosen);
        QFETCH(std::optional<QString>, noteUnderTheList);
        const int chosenRow = int(chosen);
        FakeContactsSource folder;
        std::optional<platform::ScopedService<platform::ContactsSourceService>> guard;
        if (contactsFolderHere)
            guard.emplace(&folder);
        openOptions();
        QCOMPARE(itemTexts(sources()), (QStringList{"Direct connection to Outlook contacts",
                                                    "Exported Outlook contacts file (Windows CSV)",
                                                    "Contacts file (vCard)"}));
        QCOMPARE(sources()->currentRow(), chosenRow);
        QCOMPARE(sources()->selectedItems(), QList<QListWidgetItem*>{sources()->item(chosenRow)});
        QCOMPARE(sources()->item(0)->flags().testFlag(Qt::ItemIsEnabled), contactsFolderHere);
        QCOMPARE(find<QLabel>("lblUnavailable")->isVisible(), noteUnderTheList.has_value());
        QCOMPARE(find<QLabel>("lblUnavailable")->text(), noteUnderTheList.value_or(""));
        QVERIFY(find("cmdOk")->isEnabled());

        // The greyed source cannot be chosen; with nothing chosen OK is greyed too.
        sources()->setCurrentRow(0);
        QCOMPARE(sources()->selectedItems().isEmpty(), !contactsFolderHere);
        QCOMPARE(find("cmdOk")->isEnabled(), contactsFolderHere);
        sources()->clearSelection();
        QVERIFY(!find("cmdOk")->isEnabled());

        // A chosen file source asks for its kind of file.
        sources()->setCurrentRow(2);
        QTest::mouseClick(find("cmdOk"), Qt::LeftButton);
        QCOMPARE(e->fx.files.filterLists, QStringList{"vCard files (*.vcf)|*.vcf"});
    }

    // The old layout read by position: field clean-up, Append then Overwrite.
    void outlookLayoutAppendThenOverwrite() {
        addEntries({{"smith, JOHN", "071"}});
        const QList<QByteArray> lines{csvLine("John", "Smith", "07700 900001"),
                                      csvLine("John", "\"Smith, Jr.\"", "\"+44 7700 900002\""),
                                      csvLine(" Ann\nx", "Lee ", "07700900005"), // LF in a field
                                      csvLine("Ann", "", "07700900006"),         // no last name
                                      csvLine("Ann", "\"\"", "07700900007"), // one of two quotes
                                      csvLine("Ann", "Lee", ""),
                                      csvLine("Ann", "Lee", "+33 1 23 45"),
                                      csvLine("JOHN", "SMITH", "074")};
        importCsvLines(lines, true);
        QCOMPARE(bookEntries(), (Entries{{"smith, JOHN", "071"},
                                         {"Smith, Jr., John", "07700900002"},
                                         {"Lee ,  Ann x", "07700900005"}}));
        QCOMPARE(e->fx.read("zemble_contacts.bak"), QByteArray("smith, JOHN;071\r\n"));
        QCOMPARE(status(), progress(8, 2));
        QCOMPARE(e->fx.messages.asked.first().text,
                 completion("Import complete.",
                            "2 contacts added, 1 name changed to characters the address book can "
                            "hold, 2 records without a usable UK mobile number, 2 records "
                            "without a name, 2 names already in the address book."));
        QVERIFY(!importer()->isVisible() && !access()->isVisible());
        QVERIFY(w()->isEnabled() && w()->findChild<QListWidget*>("lstContacts")->count() == 3);

        importCsvLines(lines, false);
        QCOMPARE(e->fx.read(),
                 QByteArray("Smith, John;07700900001\r\nSmith, Jr., John;07700900002\r\n"
                            "Lee ,  Ann x;07700900005\r\nSMITH, JOHN;074\r\n"));
        QVERIFY(e->fx.read("zemble_contacts.bak").startsWith("smith, JOHN;071\r\nSmith, Jr."));
        QCOMPARE(status(), progress(8, 4));
    }

    // Cancel pressed while a long record is read stops before anything changes.
    void cancelWhileTheFileIsReadChangesNothing() {
        addEntries({{"Old", "071"}});
        const QByteArray line = csvLine("Ann", "Lee", "071") + ',' + QByteArray(100000, 'y');
        QMetaObject::invokeMethod(
            this, [this] { accessCancel()->click(); }, Qt::QueuedConnection);
        importCsvLines({line, line}, false);
        QCOMPARE(bookEntries(), (Entries{{"Old", "071"}}));
        QCOMPARE(e->fx.read() + e->fx.read("zemble_contacts.bak"),
                 QByteArray("<missing><missing>"));
        QVERIFY(e->fx.pauses.blocked.isEmpty());
        QCOMPARE(e->fx.messages.titles(), QStringList{"Import cancelled"});
        QCOMPARE(e->fx.messages.asked.first().text,
                 "Import cancelled.\r\nNo contacts were added; your address book has not been "
                 "changed.");
    }

    // Escape, or a close from the frame, stops an import at once: what was added stays, and
    // the window stays up till the import has ended.
    void cancelFromTheProgressWindowKeepsWhatWasAdded_data() {
        QTest::addColumn<CancelBy>("cancelBy");
        QTest::newRow("Escape") << CancelBy::Escape;
        QTest::newRow("closed from its frame") << CancelBy::CloseFromFrame;
    }
    void cancelFromTheProgressWindowKeepsWhatWasAdded() {
        QFETCH(CancelBy, cancelBy);
        e->fx.pauses.onPause = [&](int index, int) {
            QVERIFY(!importer()->isEnabled()); // no second import from the options meanwhile
            if (index != 1)
                return;
            if (cancelBy == CancelBy::Escape)
                QTest::keyClick(access(), Qt::Key_Escape);
            else
                access()->close();
        };
        importCsvLines({csvLine("John", "Smith", "071"), csvLine("B", "", "072"),
                        csvLine("C", "Three", "073")});
        QCOMPARE(status(), progress(2, 1));
        QCOMPARE(e->fx.pauses.blocked, (QList<int>{100, 100, 500}));
        QCOMPARE(accessCancel()->text(), QStringLiteral("Cancelling.."));
        QCOMPARE(e->fx.read(), QByteArray("Smith, John;071\r\n"));
        QCOMPARE(e->fx.messages.titles(), QStringList{"Backup information"});
        QVERIFY(!access()->isVisible() && importer()->isEnabled());
    }

    // The direct import reads the names only of the items that have a mobile number, starts
    // with its progress at zero and lets the contacts folder go once.
    void directImportFromTheContactsFolder() {
        addEntries({{"Smith, John", "071"}});
        FakeContactsSource source;
        platform::ScopedService<platform::ContactsSourceService> guard(&source);
        source.addContact("07700 900001", "Jones", "Mary");
        source.addContact(QString(), "Nomobile", "Ann");
        source.addContact("+44 7700 900002", QString(), "Ann");
        source.addContact("073", QString(), QString());
        source.addContact("+33 1 23 45", "Dupont", "Jean");
        source.addContact("074", "smith", "JOHN"); // already there
        source.items.append({{"Unrelated", "x"}});
        QStringList atStart;
        source.onItem = [&](int) { atStart << status() << accessCancel()->text(); };
        runImport(ImportSource::Direct, true);
        QCOMPARE(atStart.mid(0, 2), (QStringList{progress(0, 0), "Cancel"}));
        QCOMPARE(bookEntries(), (Entries{{"Smith, John", "071"},
                                         {"Jones, Mary", "07700900001"},
                                         {", Ann", "07700900002"}}));
        QCOMPARE(status(), progress(7, 2));
        QCOMPARE(source.releases, 1);
        // The names are read only for items with a mobile number.
        QCOMPARE(source.propertiesRead.count("LastName"), 5);
        QCOMPARE(e->fx.messages.asked.first().text,
                 completion("Import complete.",
                            "2 contacts added, 3 records without a usable UK mobile number, 1 "
                            "record without a name, 1 name already in the address book."));
    }

    // Overwrite from a source out of reach, one after another: a contacts folder that cannot
    // be reached, then a missing file.  The book and its files stay, and each is told.
    void overwriteFromAnUnreachableSource() {
        addEntries({{"Old", "071"}, {"Older", "072"}});
        FakeContactsSource source;
        source.reachable = false;
        platform::ScopedService<platform::ContactsSourceService> guard(&source);
        const QString gone = e->fx.dir.filePath("gone.csv");
        for (const auto& [kind, file] :
             {std::pair{ImportSource::Direct, QString()}, {ImportSource::CsvFile, gone}}) {
            runImport(kind, false, file);
            QCOMPARE(bookEntries(), (Entries{{"Old", "071"}, {"Older", "072"}}));
            QCOMPARE(e->fx.read() + e->fx.read("zemble_contacts.bak"),
                     QByteArray("<missing><missing>"));
            QVERIFY(e->fx.pauses.blocked.isEmpty() && !access()->isVisible());
            QVERIFY(!importer()->isVisible());
        }
        QCOMPARE(e->fx.messages.titles(), QStringList(2, "Contacts error"));
        QCOMPARE(e->fx.messages.asked[0].text,
                 "Zemble was unable to access your contacts. This is probably because you don't "
                 "have Outlook installed.\r\n\r\n");
        QCOMPARE(e->fx.messages.asked[1].text,
                 crlfLines({"Zemble was unable to open the contacts file",
                            QDir::toNativeSeparators(gone), "No such file or directory",
                            "Your address book has not been changed."}));
    }

    // An Overwrite whose backup cannot be written stops before the book is emptied: the book
    // and its file stay as they were, and the user is told which file could not be written.
    void overwriteStopsWhenTheBackupCannotBeWritten_data() {
        QTest::addColumn<ImportSource>("source");
        QTest::newRow("from a contacts file") << ImportSource::CsvFile;
        QTest::newRow("from the contacts folder") << ImportSource::Direct;
    }
    void overwriteStopsWhenTheBackupCannotBeWritten() {
        QFETCH(ImportSource, source);
        FakeContactsSource folder;
        folder.addContact("07700 900001", "Jones", "Mary");
        platform::ScopedService<platform::ContactsSourceService> guard(&folder);
        e->fx.write("zemble_contacts.txt", "Old;071\r\n");
        load_contacts();
        QVERIFY(QDir(e->fx.dir.path()).mkdir("zemble_contacts.bak")); // a folder in its place
        runImport(source, false,
                  source == ImportSource::CsvFile ? dataFile("outlook_windows.csv") : QString());
        QCOMPARE(bookEntries(), (Entries{{"Old", "071"}}));
        QCOMPARE(e->fx.read(), QByteArray("Old;071\r\n"));
        QCOMPARE(e->fx.messages.titles(), QStringList{"Address book not saved"});
        QVERIFY(e->fx.messages.asked.first().text.startsWith(
            crlfLines({"Zemble could not save the address book to the file",
                       QDir::toNativeSeparators(e->fx.dir.filePath("zemble_contacts.bak"))})));
        QVERIFY(!access()->isVisible() && w()->isEnabled());
    }

    // A cancelled file chooser keeps the options open, and the address book waits for them;
    // closed from their frame, the options go and the address book is free again.
    void aCancelledFileChooserKeepsTheOptionsOpen() {
        addEntries({{"Old", "071"}});
        runImport(ImportSource::CsvFile, false, "");
        QCOMPARE(bookEntries(), (Entries{{"Old", "071"}}));
        QCOMPARE(e->fx.read() + e->fx.read("zemble_contacts.bak"),
                 QByteArray("<missing><missing>"));
        QVERIFY(importer()->isVisible() && e->fx.messages.asked.isEmpty());
        QVERIFY(e->fx.pauses.blocked.isEmpty() && !access()->isVisible());
        QVERIFY(!w()->isEnabled());
        w()->close();
        QVERIFY(w()->isVisible());
        importer()->close(); // from the frame: the window is discarded
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!importer() && w()->isEnabled());
    }
};

QTEST_MAIN(TestImportWindow)
#include "tst_import_window.moc"
