#include "addressbook/access_window.h"
#include "addressbook/contact_store.h"
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

const QByteArray kHeader = "Title,First Name,Middle Name,Last Name,Suffix";

// One exported line with the raw texts of the first name (1), last name (3)
// and mobile phone (40) columns; the other columns hold filler.
QByteArray csv_line(const QByteArray& first, const QByteArray& last, const QByteArray& mobile) {
    QList<QByteArray> fields(45, QByteArray("x"));
    fields[1] = first;
    fields[3] = last;
    fields[40] = mobile;
    return fields.join(',');
}

QByteArray csv_file(const QList<QByteArray>& lines, bool header = true) {
    QList<QByteArray> all = lines;
    if (header)
        all.prepend(kHeader);
    return all.join("\r\n") + "\r\n";
}

const QString kCompleteTitle = QStringLiteral("Backup information");

} // namespace

class TestImport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void csvFieldsBecomeEntries_data();
    void csvFieldsBecomeEntries();
    void firstLineIsTakenAsHeader();
    void appendSkipsNamesAlreadyThere();
    void overwriteReplacesTheAddressBook();
    void overwriteWithNothingUsableEmptiesTheBook();
    void progressAndPausesFollowEveryRecord();
    void cancelKeepsWhatWasAdded();
    void cancelStopsInsideALongLine();
    void secondImportStartsAfresh();
    void cancelledChooserChangesNothing();
    void unreadableFileChangesNothing_data();
    void unreadableFileChangesNothing();
    void emptyFileImportsNothing();
    void directSourceReadsEveryItem();
    void unreachableDirectSourceKeepsTheBook_data();
    void unreachableDirectSourceKeepsTheBook();
    void noSourceChosenDoesNothing();
    void closingTellsTheOwner();

private:
    // Runs one import through the window's controls.
    void runImport(int source, bool append);
    QLabel* status() const;
    QPushButton* accessCancel() const;

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

void TestImport::runImport(int source, bool append) {
    auto* list = window->findChild<QListWidget*>(QStringLiteral("lstImport"));
    list->setCurrentRow(source);
    window
        ->findChild<QRadioButton*>(append ? QStringLiteral("optAppend")
                                          : QStringLiteral("optOverwrite"))
        ->setChecked(true);
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdOk")), Qt::LeftButton);
}

QLabel* TestImport::status() const {
    return window->accessWindow()->findChild<QLabel*>(QStringLiteral("lblStatus"));
}

QPushButton* TestImport::accessCancel() const {
    return window->accessWindow()->findChild<QPushButton*>(QStringLiteral("cmdCancel"));
}

void TestImport::csvFieldsBecomeEntries_data() {
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("last");
    QTest::addColumn<QByteArray>("mobile");
    QTest::addColumn<QString>("name"); // "" = skipped
    QTest::addColumn<QString>("number");
    QTest::newRow("plain") << QByteArray("John") << QByteArray("Smith")
                           << QByteArray("07700 900001") << "Smith, John"
                           << "07700900001";
    QTest::newRow("quoted comma") << QByteArray("John") << QByteArray("\"Smith, Jr.\"")
                                  << QByteArray("07700900002") << "Smith, Jr., John"
                                  << "07700900002";
    QTest::newRow("doubled quote")
        << QByteArray("") << QByteArray("\"O\"\"Brien\"") << QByteArray("07700900003") << "O\"Brien"
        << "07700900003";
    QTest::newRow("international mobile")
        << QByteArray("Ann") << QByteArray("Lee") << QByteArray("\"+44 7700 900004\"") << "Lee, Ann"
        << "07700900004";
    QTest::newRow("spaces kept") << QByteArray(" Ann") << QByteArray("Lee ")
                                 << QByteArray("07700900005") << "Lee ,  Ann"
                                 << "07700900005";
    QTest::newRow("no last name") << QByteArray("Ann") << QByteArray("")
                                  << QByteArray("07700900006") << ""
                                  << "";
    QTest::newRow("last name of two quotes")
        << QByteArray("Ann") << QByteArray("\"\"") << QByteArray("07700900007") << ""
        << "";
    QTest::newRow("no mobile") << QByteArray("Ann") << QByteArray("Lee") << QByteArray("") << ""
                               << "";
    QTest::newRow("foreign mobile")
        << QByteArray("Ann") << QByteArray("Lee") << QByteArray("+33 1 23 45") << ""
        << "";
    QTest::newRow("mobile without digits")
        << QByteArray("Ann") << QByteArray("Lee") << QByteArray("none") << ""
        << "";
}

void TestImport::csvFieldsBecomeEntries() {
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, last);
    QFETCH(QByteArray, mobile);
    QFETCH(QString, name);
    QFETCH(QString, number);
    fx->files.answers.enqueue(fx->writeFile("in.csv", csv_file({csv_line(first, last, mobile)})));
    runImport(1, true);

    QCOMPARE(fx->files.filtersAsked, QStringList{"Comma separated files (*.csv)|*.csv"});
    QCOMPARE(window->lastResult().examined, 1);
    QCOMPARE(status()->text(), QStringLiteral("Accessing contacts list ... (1 found, %1 added)")
                                   .arg(name.isEmpty() ? 0 : 1));
    if (name.isEmpty()) {
        QCOMPARE(contacts().count, qint16(0));
        QCOMPARE(fx->read(fx->mainFile()), QByteArray());
    } else {
        QCOMPARE(fx->storedNames(), QStringList{name});
        QCOMPARE(contacts().numbers.at(0), number);
        QCOMPARE(fx->read(fx->mainFile()), (name + ';' + number + "\r\n").toLatin1());
    }
    QCOMPARE(fx->messages.titles(), QStringList{kCompleteTitle});
}

void TestImport::firstLineIsTakenAsHeader() {
    const QByteArray bytes = csv_file(
        {csv_line("A", "First", "07700900001"), csv_line("B", "Second", "07700900002")}, false);
    fx->files.answers.enqueue(fx->writeFile("in.csv", bytes));
    runImport(1, true);
    QCOMPARE(fx->storedNames(), QStringList{"Second, B"});
    QCOMPARE(window->lastResult().examined, 1);
}

void TestImport::appendSkipsNamesAlreadyThere() {
    fx->addContacts({"smith, JOHN;07000000001"});
    QVERIFY(save_contacts(false));
    fx->files.answers.enqueue(
        fx->writeFile("in.csv", csv_file({csv_line("John", "Smith", "07700900001"),
                                          csv_line("Ann", "Lee", "07700900002")})));
    runImport(1, true);

    QCOMPARE(fx->storedNames(), (QStringList{"smith, JOHN", "Lee, Ann"}));
    QCOMPARE(contacts().numbers.mid(0, 2), (QStringList{"07000000001", "07700900002"}));
    QCOMPARE(status()->text(), QStringLiteral("Accessing contacts list ... (2 found, 1 added)"));
    QCOMPARE(fx->read(fx->backupFile()), QByteArray("smith, JOHN;07000000001\r\n"));
    QCOMPARE(fx->read(fx->mainFile()),
             QByteArray("smith, JOHN;07000000001\r\nLee, Ann;07700900002\r\n"));
}

void TestImport::overwriteReplacesTheAddressBook() {
    fx->addContacts({"Old;07000000001", "Smith, John;07000000002"});
    fx->files.answers.enqueue(
        fx->writeFile("in.csv", csv_file({csv_line("John", "Smith", "07700900001"),
                                          csv_line("John", "SMITH", "07700900002")})));
    runImport(1, false);

    // Overwrite takes every record, names equal but for case included.
    QCOMPARE(fx->storedNames(), (QStringList{"Smith, John", "SMITH, John"}));
    QCOMPARE(fx->read(fx->backupFile()),
             QByteArray("Old;07000000001\r\nSmith, John;07000000002\r\n"));
    QCOMPARE(fx->read(fx->mainFile()),
             QByteArray("Smith, John;07700900001\r\nSMITH, John;07700900002\r\n"));
    QCOMPARE(fx->messages.asked.size(), 1);
    const auto& done = fx->messages.asked.first();
    QCOMPARE(done.title, kCompleteTitle);
    QCOMPARE(done.icon, platform::Icon::Information);
    QCOMPARE(done.text,
             QStringLiteral("Import complete.\r\n\r\nYour previous address book has been backed up "
                            "to 'zemble_contacts.bak'.\r\nIf you wish to go to the backup, close "
                            "Zemble, rename this to 'zemble_contacts.txt'\r\nand then re-run "
                            "Zemble."));
}

void TestImport::overwriteWithNothingUsableEmptiesTheBook() {
    fx->addContacts({"Old;07000000001"});
    fx->files.answers.enqueue(fx->writeFile("in.csv", csv_file({csv_line("Ann", "Lee", "")})));
    runImport(1, false);
    QCOMPARE(contacts().count, qint16(0));
    QCOMPARE(contacts().names.value(0), QString());
    QCOMPARE(fx->read(fx->mainFile()), QByteArray());
    QCOMPARE(fx->read(fx->backupFile()), QByteArray("Old;07000000001\r\n"));
    QCOMPARE(fx->messages.titles(), QStringList{kCompleteTitle});
}

void TestImport::progressAndPausesFollowEveryRecord() {
    fx->files.answers.enqueue(fx->writeFile(
        "in.csv", csv_file({csv_line("A", "One", "07700900001"), csv_line("B", "", "07700900002"),
                            csv_line("C", "Three", "07700900003")})));
    QStringList seen;
    fx->pauses.onBlock = [&](int, int ms) {
        if (ms == 100) {
            seen.append(status()->text());
            // The options can't start a second import while one runs.
            QVERIFY(!window->isEnabled());
            QVERIFY(window->accessWindow()->isVisible());
        }
    };
    runImport(1, true);
    QCOMPARE(seen, (QStringList{"Accessing contacts list ... (1 found, 1 added)",
                                "Accessing contacts list ... (2 found, 1 added)",
                                "Accessing contacts list ... (3 found, 2 added)"}));
    QCOMPARE(fx->pauses.blocked, (QList<int>{100, 100, 100, 500}));
    QVERIFY(!window->accessWindow()->isVisible());
    QVERIFY(window->isEnabled());
    QVERIFY(!window->isVisible());
    QCOMPARE(closedCalls, 1);
}

void TestImport::cancelKeepsWhatWasAdded() {
    QList<QByteArray> lines;
    for (int i = 1; i <= 5; ++i)
        lines.append(
            csv_line("N", "Name" + QByteArray::number(i), "0770090000" + QByteArray::number(i)));
    fx->files.answers.enqueue(fx->writeFile("in.csv", csv_file(lines)));
    fx->pauses.onBlock = [&](int index, int) {
        if (index == 1)
            QTest::mouseClick(accessCancel(), Qt::LeftButton);
    };
    runImport(1, true);

    QCOMPARE(accessCancel()->text(), QStringLiteral("Cancelling.."));
    QVERIFY(window->lastResult().cancelled);
    QCOMPARE(fx->storedNames(), (QStringList{"Name1, N", "Name2, N"}));
    QCOMPARE(fx->read(fx->mainFile()),
             QByteArray("Name1, N;07700900001\r\nName2, N;07700900002\r\n"));
    QCOMPARE(fx->messages.titles(), QStringList{kCompleteTitle});
    QCOMPARE(fx->pauses.blocked, (QList<int>{100, 100, 500}));
}

void TestImport::cancelStopsInsideALongLine() {
    // A valid record followed by a very long tail: Cancel, pressed while the
    // line is being split, stops before the record is taken.
    const QByteArray line = csv_line("Ann", "Lee", "07700900001") + ',' + QByteArray(100000, 'y');
    fx->files.answers.enqueue(fx->writeFile("in.csv", csv_file({line, line})));
    QMetaObject::invokeMethod(accessCancel(), &QPushButton::click, Qt::QueuedConnection);
    runImport(1, true);
    QVERIFY(window->lastResult().cancelled);
    QCOMPARE(window->lastResult().examined, 0);
    QCOMPARE(contacts().count, qint16(0));
    QCOMPARE(fx->pauses.blocked, QList<int>{500});
}

void TestImport::secondImportStartsAfresh() {
    fx->files.answers.enqueue(fx->writeFile(
        "in.csv",
        csv_file({csv_line("A", "One", "07700900001"), csv_line("B", "Two", "07700900002")})));
    fx->pauses.onBlock = [&](int index, int) {
        if (index == 0)
            accessCancel()->click();
    };
    runImport(1, true);
    QCOMPARE(accessCancel()->text(), QStringLiteral("Cancelling.."));
    fx->pauses.onBlock = nullptr;

    FakeContactsSource source;
    platform::ScopedService<platform::ContactsSourceService> guard(&source);
    source.addContact("07700900003", "Three", "C");
    QString statusAtStart;
    QString captionAtStart;
    bool cancelAtStart = true;
    source.onItem = [&](int) {
        statusAtStart = status()->text();
        captionAtStart = accessCancel()->text();
        cancelAtStart = window->accessWindow()->accesscancel;
    };
    window->show();
    runImport(0, true);
    QCOMPARE(statusAtStart, QStringLiteral("Accessing contacts list ... (0 found, 0 added)"));
    QCOMPARE(captionAtStart, QStringLiteral("Cancel"));
    QVERIFY(!cancelAtStart);
    QCOMPARE(fx->storedNames(), (QStringList{"One, A", "Three, C"}));
}

void TestImport::cancelledChooserChangesNothing() {
    fx->addContacts({"Old;07000000001"});
    runImport(1, false); // the chooser double answers "" (cancelled)
    QCOMPARE(fx->files.filtersAsked.size(), 1);
    QCOMPARE(fx->storedNames(), QStringList{"Old"});
    QCOMPARE(fx->read(fx->backupFile()), QByteArray("<missing>"));
    QCOMPARE(fx->read(fx->mainFile()), QByteArray("<missing>"));
    QVERIFY(fx->messages.asked.isEmpty());
    QVERIFY(fx->pauses.blocked.isEmpty());
    QVERIFY(window->isVisible());
    QCOMPARE(closedCalls, 0);
}

void TestImport::unreadableFileChangesNothing_data() {
    QTest::addColumn<bool>("append");
    QTest::newRow("append") << true;
    QTest::newRow("overwrite") << false;
}

void TestImport::unreadableFileChangesNothing() {
    QFETCH(bool, append);
    fx->addContacts({"Old;07000000001"});
    fx->files.answers.enqueue(fx->dir.filePath("gone.csv"));
    runImport(1, append);
    QCOMPARE(fx->storedNames(), QStringList{"Old"});
    QCOMPARE(fx->read(fx->backupFile()), QByteArray("<missing>"));
    QCOMPARE(fx->read(fx->mainFile()), QByteArray("<missing>"));
    QCOMPARE(fx->messages.titles(), QStringList{"Contacts error"});
    QVERIFY(fx->messages.asked.first().text.contains("gone.csv"));
    QVERIFY(!fx->messages.asked.first().text.contains("Import complete"));
    QVERIFY(!window->accessWindow()->isVisible());
    QCOMPARE(closedCalls, 1);
}

void TestImport::emptyFileImportsNothing() {
    fx->addContacts({"Old;07000000001"});
    fx->files.answers.enqueue(fx->writeFile("empty.csv", QByteArray()));
    runImport(1, true);
    QCOMPARE(window->lastResult().examined, 0);
    QCOMPARE(fx->storedNames(), QStringList{"Old"});
    QCOMPARE(fx->read(fx->mainFile()), QByteArray("Old;07000000001\r\n"));
    QCOMPARE(fx->messages.titles(), QStringList{kCompleteTitle});
}

void TestImport::directSourceReadsEveryItem() {
    FakeContactsSource source;
    platform::ScopedService<platform::ContactsSourceService> guard(&source);
    source.addContact("07700 900001", "Smith", "John");
    source.addContact(QString(), "Nomobile", "Ann");        // no mobile property
    source.addContact("+44 7700 900002", QString(), "Ann"); // no last name
    source.addContact("07700900003", QString(), QString()); // no name at all
    source.addContact("+33 1 23 45", "Dupont", "Jean");     // not a UK number
    source.addContact("07700900004", "smith", "JOHN");      // already there (append)
    source.items.append({{"Unrelated", "x"}});              // none of the properties
    runImport(0, true);

    QCOMPARE(fx->storedNames(), (QStringList{"Smith, John", ", Ann"}));
    QCOMPARE(contacts().numbers.mid(0, 2), (QStringList{"07700900001", "07700900002"}));
    QCOMPARE(status()->text(), QStringLiteral("Accessing contacts list ... (7 found, 2 added)"));
    QCOMPARE(source.connects, 1);
    QCOMPARE(source.releases, 1);
    // The names are read only for items with a mobile number.
    QCOMPARE(source.propertiesRead.count("MobileTelephoneNumber"), 7);
    QCOMPARE(source.propertiesRead.count("LastName"), 5);
    QCOMPARE(source.propertiesRead.count("FirstName"), 5);
    QCOMPARE(fx->pauses.blocked, (QList<int>{100, 100, 100, 100, 100, 100, 100, 500}));
    QCOMPARE(fx->read(fx->mainFile()),
             QByteArray("Smith, John;07700900001\r\n, Ann;07700900002\r\n"));
    QCOMPARE(fx->messages.titles(), QStringList{kCompleteTitle});
}

void TestImport::unreachableDirectSourceKeepsTheBook_data() {
    QTest::addColumn<bool>("append");
    QTest::newRow("append") << true;
    QTest::newRow("overwrite") << false;
}

void TestImport::unreachableDirectSourceKeepsTheBook() {
    QFETCH(bool, append);
    fx->addContacts({"Old;07000000001", "Older;07000000002"});
    // The platform's own source: no mail program can be reached here.
    runImport(0, append);
    QCOMPARE(fx->storedNames(), (QStringList{"Old", "Older"}));
    QCOMPARE(fx->read(fx->mainFile()), QByteArray("<missing>"));
    QCOMPARE(fx->read(fx->backupFile()), QByteArray("<missing>"));
    QCOMPARE(fx->messages.asked.size(), 1);
    const auto& told = fx->messages.asked.first();
    QCOMPARE(told.title, QStringLiteral("Contacts error"));
    QCOMPARE(told.icon, platform::Icon::Information);
    QCOMPARE(told.text,
             QStringLiteral("Zemble was unable to access your contacts. This is "
                            "probably because you don't have Outlook installed.\r\n\r\n"));
    QVERIFY(!window->accessWindow()->isVisible());
    QVERIFY(fx->pauses.blocked.isEmpty());
    QCOMPARE(closedCalls, 1);
}

void TestImport::noSourceChosenDoesNothing() {
    auto* list = window->findChild<QListWidget*>(QStringLiteral("lstImport"));
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Direct connection to Outlook contacts"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("Exported Outlook contacts file (Windows CSV)"));
    QVERIFY(window->findChild<QRadioButton*>(QStringLiteral("optAppend"))->isChecked());
    list->clearSelection();
    window->cmdOk_Click();
    QVERIFY(fx->files.filtersAsked.isEmpty());
    QVERIFY(fx->messages.asked.isEmpty());
    QVERIFY(window->isVisible());
}

void TestImport::closingTellsTheOwner() {
    auto* cancel = window->findChild<QPushButton*>(QStringLiteral("cmdCancel"));
    window->findChild<QRadioButton*>(QStringLiteral("optOverwrite"))->setChecked(true);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(!window->isVisible());
    QCOMPARE(closedCalls, 1);
    // Hidden, not discarded: the choice is still there when shown again.
    window->show();
    QVERIFY(window->findChild<QRadioButton*>(QStringLiteral("optOverwrite"))->isChecked());
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdHelp")), Qt::LeftButton);
    QCOMPARE(fx->help.topics, QStringList{"import.html"});
}

QTEST_MAIN(TestImport)
#include "tst_import.moc"
