#include "addressbook/access_window.h"
#include "addressbook/import_window.h"
#include "addressbook_doubles.h"
#include "support/contacts_source_double.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace zemble;
using namespace zemble::test;

namespace {

// One exported line with the raw first name (1), last name (3) and mobile
// phone (40) columns; the other columns hold filler.
QByteArray csv_line(const QByteArray& first, const QByteArray& last, const QByteArray& mobile) {
    QList<QByteArray> fields(45, QByteArray("x"));
    fields[1] = first;
    fields[3] = last;
    fields[40] = mobile;
    return fields.join(',');
}

// The first line is always taken as the header, whatever it holds.
const QByteArray kHeader = csv_line("Lost", "First", "07700900000");
const QStringList kComplete{"Backup information"};

QString progress(int found, int added) {
    return QStringLiteral("Accessing contacts list ... (%1 found, %2 added)").arg(found).arg(added);
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void csvRecords_data();
    void csvRecords();
    void appendAndOverwrite_data();
    void appendAndOverwrite();
    void overwriteWithNothingUsableEmptiesTheBook();
    void cancelKeepsWhatWasAdded();
    void cancelStopsInsideALongLine();
    void secondImportStartsAfresh();
    void directSourceReadsEveryItem();
    void unreachableSourceChangesNothing_data();
    void unreachableSourceChangesNothing();

private:
    void importCsv(const QList<QByteArray>& lines, bool append = true);
    void run(int source, bool append);
    QString status() const {
        return window->accessWindow()->findChild<QLabel*>("lblStatus")->text();
    }
    QPushButton* accessCancel() const {
        return window->accessWindow()->findChild<QPushButton*>("cmdCancel");
    }

    std::unique_ptr<AddressBookFixture> fx;
    std::unique_ptr<ImportWindow> window;
    int closedCalls = 0;
};

void TestImport::init() {
    fx = std::make_unique<AddressBookFixture>();
    closedCalls = 0;
    window = std::make_unique<ImportWindow>([this] { ++closedCalls; });
    window->show();
}

void TestImport::cleanup() {
    window.reset();
    fx.reset();
}

void TestImport::run(int source, bool append) {
    window->findChild<QListWidget*>("lstImport")->setCurrentRow(source);
    window->findChild<QRadioButton*>(append ? "optAppend" : "optOverwrite")->setChecked(true);
    QTest::mouseClick(window->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
}

void TestImport::importCsv(const QList<QByteArray>& lines, bool append) {
    fx->files.answers.enqueue(fx->writeFile("in.csv", (kHeader + "\r\n" + lines.join("\r\n"))));
    run(1, append);
}

void TestImport::csvRecords_data() {
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("last");
    QTest::addColumn<QByteArray>("mobile");
    QTest::addColumn<QString>("entry"); // "" = skipped
    QTest::newRow("plain") << QByteArray("John") << QByteArray("Smith")
                           << QByteArray("07700 900001") << "Smith, John;07700900001";
    QTest::newRow("quoted") << QByteArray("John") << QByteArray("\"Smith, Jr.\"")
                            << QByteArray("\"+44 7700 900002\"") << "Smith, Jr., John;07700900002";
    QTest::newRow("doubled quote") << QByteArray("") << QByteArray("\"O\"\"Brien\"")
                                   << QByteArray("07700900003") << "O\"Brien;07700900003";
    QTest::newRow("spaces kept") << QByteArray(" Ann") << QByteArray("Lee ")
                                 << QByteArray("07700900005") << "Lee ,  Ann;07700900005";
    QTest::newRow("no last name") << QByteArray("Ann") << QByteArray("")
                                  << QByteArray("07700900006") << "";
    QTest::newRow("last name of two quotes")
        << QByteArray("Ann") << QByteArray("\"\"") << QByteArray("07700900007") << "";
    QTest::newRow("no mobile") << QByteArray("Ann") << QByteArray("Lee") << QByteArray() << "";
    QTest::newRow("foreign mobile")
        << QByteArray("Ann") << QByteArray("Lee") << QByteArray("+33 1 23 45") << "";
}

void TestImport::csvRecords() {
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, last);
    QFETCH(QByteArray, mobile);
    QFETCH(QString, entry);
    importCsv({csv_line(first, last, mobile)});
    QCOMPARE(fx->files.filterLists, QStringList{"Comma separated files (*.csv)|*.csv"});
    QCOMPARE(status(), progress(1, entry.isEmpty() ? 0 : 1));
    QCOMPARE(fx->read(fx->mainFile()),
             entry.isEmpty() ? QByteArray() : (entry + "\r\n").toLatin1());
    QCOMPARE(fx->messages.titles(), kComplete);
    QCOMPARE(fx->pauses.blocked, (QList<int>{100, 500}));
    QCOMPARE(closedCalls, 1);
}

void TestImport::appendAndOverwrite_data() {
    QTest::addColumn<bool>("append");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("append") << true << QStringList{"smith, JOHN", "Lee, Ann"};
    QTest::newRow("overwrite") << false << QStringList{"Smith, John", "Lee, Ann", "LEE, Ann"};
}

void TestImport::appendAndOverwrite() {
    QFETCH(bool, append);
    QFETCH(QStringList, names);
    fx->addContacts({"smith, JOHN;071"});
    importCsv({csv_line("John", "Smith", "072"), csv_line("Ann", "Lee", "073"),
               csv_line("Ann", "LEE", "074")},
              append);
    QCOMPARE(fx->storedNames(), names);
    QCOMPARE(status(), progress(3, append ? 1 : 3));
    QCOMPARE(fx->read(fx->backupFile()), QByteArray("smith, JOHN;071\r\n"));
    QCOMPARE(fx->read(fx->mainFile()).count("\r\n"), names.size());
    QCOMPARE(fx->messages.titles(), kComplete);
    QCOMPARE(fx->messages.asked.first().text,
             "Import complete.\r\n\r\nYour previous address book has been backed up to "
             "'zemble_contacts.bak'.\r\nIf you wish to go to the backup, close Zemble, rename "
             "this to 'zemble_contacts.txt'\r\nand then re-run Zemble.");
}

void TestImport::overwriteWithNothingUsableEmptiesTheBook() {
    fx->addContacts({"Old;071"});
    importCsv({csv_line("Ann", "Lee", "")}, false);
    QCOMPARE(contacts().count, qint16(0));
    QCOMPARE(contacts().names.value(0), QString());
    QCOMPARE(fx->read(fx->mainFile()), QByteArray());
    QCOMPARE(fx->read(fx->backupFile()), QByteArray("Old;071\r\n"));
}

void TestImport::cancelKeepsWhatWasAdded() {
    QStringList seen;
    fx->pauses.onPause = [&](int index, int) {
        seen.append(status());
        QVERIFY(!window->isEnabled()); // no second import from the options meanwhile
        if (index == 1)
            QTest::keyClick(window->accessWindow(), Qt::Key_Escape); // Esc is Cancel
    };
    importCsv({csv_line("A", "One", "071"), csv_line("B", "", "072"), csv_line("C", "Three", "073"),
               csv_line("D", "Four", "074")});
    QCOMPARE(seen, (QStringList{progress(1, 1), progress(2, 1), progress(2, 1)}));
    QCOMPARE(fx->pauses.blocked, (QList<int>{100, 100, 500}));
    QCOMPARE(accessCancel()->text(), QStringLiteral("Cancelling.."));
    QCOMPARE(fx->read(fx->mainFile()), QByteArray("One, A;071\r\n"));
    QCOMPARE(fx->messages.titles(), kComplete);
    QVERIFY(!window->accessWindow()->isVisible());
    QVERIFY(window->isEnabled());
}

void TestImport::cancelStopsInsideALongLine() {
    // A valid record with a very long tail: Cancel, pressed while the line is
    // being split, stops before the record is taken.
    const QByteArray line = csv_line("Ann", "Lee", "071") + ',' + QByteArray(100000, 'y');
    QMetaObject::invokeMethod(accessCancel(), &QPushButton::click, Qt::QueuedConnection);
    importCsv({line, line});
    QCOMPARE(contacts().count, qint16(0));
    QCOMPARE(fx->pauses.blocked, QList<int>{500});
    QCOMPARE(fx->messages.titles(), kComplete);
}

void TestImport::secondImportStartsAfresh() {
    // Closing the progress window from its frame cancels; it stays until the end.
    fx->pauses.onPause = [&](int, int) {
        window->accessWindow()->close();
        QVERIFY(window->accessWindow()->isVisible());
    };
    importCsv({csv_line("A", "One", "071"), csv_line("B", "Two", "072")});
    QCOMPARE(status(), progress(1, 1));
    QCOMPARE(accessCancel()->text(), QStringLiteral("Cancelling.."));
    fx->pauses.onPause = nullptr;

    FakeContactsSource source;
    platform::ScopedService<platform::ContactsSourceService> guard(&source);
    source.addContact("073", "Three", "C");
    QStringList atStart;
    source.onItem = [&](int) { atStart << status() << accessCancel()->text(); };
    window->show();
    run(0, true);
    QCOMPARE(atStart, (QStringList{progress(0, 0), "Cancel"}));
    QCOMPARE(fx->storedNames(), (QStringList{"One, A", "Three, C"}));
}

void TestImport::directSourceReadsEveryItem() {
    FakeContactsSource source;
    platform::ScopedService<platform::ContactsSourceService> guard(&source);
    source.addContact("07700 900001", "Smith", "John");
    source.addContact(QString(), "Nomobile", "Ann");
    source.addContact("+44 7700 900002", QString(), "Ann");
    source.addContact("073", QString(), QString());
    source.addContact("+33 1 23 45", "Dupont", "Jean");
    source.addContact("074", "smith", "JOHN"); // already there (append)
    source.items.append({{"Unrelated", "x"}});
    run(0, true);
    QCOMPARE(fx->read(fx->mainFile()),
             QByteArray("Smith, John;07700900001\r\n, Ann;07700900002\r\n"));
    QCOMPARE(status(), progress(7, 2));
    QCOMPARE(fx->pauses.blocked.size(), 8);
    QCOMPARE(source.releases, 1);
    // The names are read only for items with a mobile number.
    QCOMPARE(source.propertiesRead.count("MobileTelephoneNumber"), 7);
    QCOMPARE(source.propertiesRead.count("LastName"), 5);
    QCOMPARE(fx->messages.titles(), kComplete);
}

void TestImport::unreachableSourceChangesNothing_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("file"); // what the chooser answers
    QTest::addColumn<bool>("append");
    QTest::addColumn<QString>("told"); // message title, "" for none
    QTest::newRow("no contacts program, append") << 0 << "" << true << "Contacts error";
    QTest::newRow("no contacts program, overwrite") << 0 << "" << false << "Contacts error";
    QTest::newRow("missing file, overwrite") << 1 << "gone.csv" << false << "Contacts error";
    QTest::newRow("chooser cancelled, overwrite") << 1 << "" << false << "";
}

void TestImport::unreachableSourceChangesNothing() {
    QFETCH(int, source);
    QFETCH(QString, file);
    QFETCH(bool, append);
    QFETCH(QString, told);
    fx->addContacts({"Old;071", "Older;072"});
    if (!file.isEmpty())
        fx->files.answers.enqueue(fx->dir.filePath(file));
    run(source, append); // the platform's own direct source has no program to reach
    QCOMPARE(fx->storedNames(), (QStringList{"Old", "Older"}));
    QCOMPARE(fx->read(fx->mainFile()), QByteArray("<missing>"));
    QCOMPARE(fx->read(fx->backupFile()), QByteArray("<missing>"));
    QVERIFY(fx->pauses.blocked.isEmpty());
    QVERIFY(!window->accessWindow()->isVisible());
    QCOMPARE(fx->messages.titles(), told.isEmpty() ? QStringList{} : QStringList{told});
    QCOMPARE(window->isVisible(), told.isEmpty()); // a cancelled chooser keeps the options open
    if (source == 0)
        QCOMPARE(fx->messages.asked.first().text,
                 "Zemble was unable to access your contacts. This is probably because you don't "
                 "have Outlook installed.\r\n\r\n");
    else if (!told.isEmpty())
        QVERIFY(fx->messages.asked.first().text.contains(file));
}

QTEST_MAIN(TestImport)
#include "tst_import.moc"
