#include "addressbook/contact_info_dialog.h"
#include "addressbook/contacts_window.h"
#include "addressbook/import_window.h"
#include "addressbook_doubles.h"
#include "support/fake_compose_host.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace zemble;
using namespace zemble::test;

namespace {

QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

void select_rows(QListWidget* list, const QList<int>& rows) {
    list->clearSelection();
    for (int row : rows)
        list->setCurrentRow(row, QItemSelectionModel::Select);
}

enum class Trigger { Button, Enter, Space, DoubleClick };

} // namespace

class TestContactsWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void toFieldIsListedSortedAndWrittenBack_data();
    void toFieldIsListedSortedAndWrittenBack();
    void contactsAreSortedIgnoringCase();
    void addAndRemove_data();
    void addAndRemove();
    void editSplitsTheNameAtCommas();
    void newContactWithOnlyAForename();
    void detailsRefuseMissingData_data();
    void detailsRefuseMissingData();
    void editAndDeleteNeedExactlyOneContact();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void cancelLeavesTheToFieldAlone_data();
    void cancelLeavesTheToFieldAlone();
    void childWindowsDisableTheAddressBook();

private:
    template <class W = QPushButton> W* find(const char* name) const {
        return book->window()->findChild<W*>(name);
    }
    QListWidget* contactsList() const { return find<QListWidget>("lstContacts"); }
    QListWidget* recepsList() const { return find<QListWidget>("lstReceps"); }
    QString label(const char* name) const { return find<QLabel>(name)->text(); }
    ContactInfoDialog* details() const { return book->window()->contactInfo(); }
    void open(const QString& to);
    void edit(const QString& name);

    std::unique_ptr<AddressBookFixture> fx;
    std::unique_ptr<FakeComposeHost> host;
    std::unique_ptr<AddressBook> book;
};

void TestContactsWindow::init() {
    fx = std::make_unique<AddressBookFixture>();
    host = std::make_unique<FakeComposeHost>();
    book = std::make_unique<AddressBook>(*host);
}

void TestContactsWindow::cleanup() {
    book.reset();
    host.reset();
    fx.reset();
}

void TestContactsWindow::open(const QString& to) {
    host->to = to;
    book->show();
    QVERIFY(book->window()->isVisible());
    QVERIFY(!host->enabled);
    host->calls.clear();
}

void TestContactsWindow::edit(const QString& name) {
    const auto found = contactsList()->findItems(name, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    contactsList()->setCurrentItem(found.first(), QItemSelectionModel::ClearAndSelect);
    QTest::mouseClick(find("cmdEdit"), Qt::LeftButton);
}

void TestContactsWindow::toFieldIsListedSortedAndWrittenBack_data() {
    QTest::addColumn<QString>("to");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("written");
    QTest::newRow("three") << "Bob ; 077 ; Ann" << QStringList{"077", "Ann", "Bob"}
                           << "3 recipients"
                           << "077 ; Ann ; Bob";
    QTest::newRow("empty") << "" << QStringList{} << "0 recipients"
                           << "";
    QTest::newRow("one") << "Ann" << QStringList{"Ann"} << "1 recipient"
                         << "Ann";
    QTest::newRow("case and duplicates kept")
        << "bob ; Ann ; Bob ; Ann" << QStringList{"Ann", "Ann", "Bob", "bob"} << "4 recipients"
        << "Ann ; Ann ; Bob ; bob";
    QTest::newRow("not trimmed") << " x  ;  y" << QStringList{" x ", " y"} << "2 recipients"
                                 << " x  ;  y";
}

void TestContactsWindow::toFieldIsListedSortedAndWrittenBack() {
    QFETCH(QString, to);
    QFETCH(QStringList, listed);
    QFETCH(QString, count);
    QFETCH(QString, written);
    open(to);
    QCOMPARE(texts(recepsList()), listed);
    QCOMPARE(label("lblNum"), count);
    QTest::mouseClick(find("cmdOk"), Qt::LeftButton);
    QCOMPARE(host->to, written);
    QVERIFY(!book->window()->isVisible());
    QCOMPARE(host->calls, (QStringList{"set_to", "enable", "raise", "update_status_bar"}));
}

void TestContactsWindow::contactsAreSortedIgnoringCase() {
    fx->addContacts({"bob;071", "Ann;072", "Carl;073", "alice;074", "ann;075"});
    open("");
    QCOMPARE(texts(contactsList()), (QStringList{"alice", "Ann", "ann", "bob", "Carl"}));
    QCOMPARE(label("lblContacts"), QStringLiteral("5 contacts (0 selected)"));
    for (const char* name : {"cmdAdd", "cmdRemove", "cmdEdit", "cmdDelete"})
        QVERIFY2(!find(name)->isEnabled(), name);
    select_rows(contactsList(), {1});
    QCOMPARE(label("lblContacts"), QStringLiteral("5 contacts (1 selected)"));
    for (const char* name : {"cmdAdd", "cmdEdit", "cmdDelete"})
        QVERIFY2(find(name)->isEnabled(), name);
}

void TestContactsWindow::addAndRemove_data() {
    QTest::addColumn<Trigger>("how");
    QTest::addColumn<QList<int>>("addRows");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QList<int>>("removeRows");
    QTest::addColumn<QStringList>("left");
    // Contacts Ann, Bob, Zed; recipients BOB, 079, c.  Bob is listed already
    // as BOB; the first, second and fourth of five recipients go.
    const QStringList five{"079", "Ann", "BOB", "c", "Zed"};
    const QList<int> all{0, 1, 2};
    const QList<int> remove{0, 1, 3};
    QTest::newRow("button") << Trigger::Button << all << five << remove
                            << QStringList{"BOB", "Zed"};
    QTest::newRow("enter") << Trigger::Enter << all << five << remove << QStringList{"BOB", "Zed"};
    QTest::newRow("space") << Trigger::Space << all << five << remove << QStringList{"BOB", "Zed"};
    // A double click acts on the one item under the mouse.
    QTest::newRow("double click") << Trigger::DoubleClick << QList<int>{0}
                                  << QStringList{"079", "Ann", "BOB", "c"} << QList<int>{0}
                                  << QStringList{"Ann", "BOB", "c"};
}

void TestContactsWindow::addAndRemove() {
    QFETCH(Trigger, how);
    QFETCH(QList<int>, addRows);
    QFETCH(QStringList, added);
    QFETCH(QList<int>, removeRows);
    QFETCH(QStringList, left);
    auto act = [&](QListWidget* list, const char* button) {
        if (how == Trigger::Button) {
            QTest::mouseClick(find(button), Qt::LeftButton);
        } else if (how != Trigger::DoubleClick) {
            QTest::keyClick(list, how == Trigger::Enter ? Qt::Key_Return : Qt::Key_Space);
        } else {
            QVERIFY(QTest::qWaitForWindowExposed(list->window()));
            list->doItemsLayout();
            const QPoint at = list->visualItemRect(list->currentItem()).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        }
    };
    fx->addContacts({"Bob;071", "Zed;072", "Ann;073"});
    open("BOB ; 079 ; c");
    select_rows(recepsList(), {2});
    select_rows(contactsList(), addRows);
    act(contactsList(), "cmdAdd");
    QCOMPARE(texts(recepsList()), added);
    QCOMPARE(label("lblNum"), QStringLiteral("%1 recipients").arg(added.size()));
    QVERIFY(contactsList()->selectedItems().isEmpty());
    QCOMPARE(label("lblContacts"), QStringLiteral("3 contacts (0 selected)"));
    QVERIFY(!find("cmdAdd")->isEnabled());
    QCOMPARE(recepsList()->selectedItems().size(), 1); // still chosen: c
    QVERIFY(book->window()->is_in_receps("bob"));
    QVERIFY(!book->window()->is_in_receps("Bo"));

    select_rows(recepsList(), removeRows);
    act(recepsList(), "cmdRemove");
    QCOMPARE(texts(recepsList()), left);
    QVERIFY(!find("cmdRemove")->isEnabled());
    QVERIFY(host->calls.isEmpty());
}

void TestContactsWindow::editSplitsTheNameAtCommas() {
    fx->addContacts({"Jones, Mary;071", "Smith;+44 7700 900002", "Smith, Jr., John;073"});
    open("");
    edit("Jones, Mary");
    QVERIFY(details()->isVisible());
    QCOMPARE(details()->windowTitle(), QStringLiteral("Edit details"));
    QVERIFY(!book->window()->isEnabled());
    details()->cmdOk_Click(); // OK keeps the fields' text in the hidden dialog
    QCOMPARE(details()->txtForename()->text(), QStringLiteral("Mary"));

    edit("Smith");
    QCOMPARE(details()->txtSurname()->text(), QStringLiteral("Smith"));
    QCOMPARE(details()->txtForename()->text(), QString());
    QCOMPARE(details()->txtNumber()->text(), QStringLiteral("07700900002"));
    QCOMPARE(details()->modifyid, qint16(1));
    details()->cmdCancel_Click();

    edit("Smith, Jr., John");
    QCOMPARE(details()->txtSurname()->text(), QStringLiteral("Smith"));
    QCOMPARE(details()->txtForename()->text(), QStringLiteral("Jr."));
    QTest::mouseClick(details()->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
    QVERIFY(!details()->isVisible());
    QVERIFY(book->window()->isEnabled());
    QCOMPARE(texts(contactsList()), (QStringList{"Jones, Mary", "Smith", "Smith, Jr."}));
    QCOMPARE(fx->read(fx->mainFile()),
             QByteArray("Jones, Mary;071\r\nSmith;07700900002\r\nSmith, Jr.;073\r\n"));
}

void TestContactsWindow::newContactWithOnlyAForename() {
    fx->addContacts({"Zed;071"});
    open("");
    QTest::mouseClick(find("cmdNew"), Qt::LeftButton);
    QCOMPARE(details()->windowTitle(), QStringLiteral("New details"));
    QCOMPARE(details()->modifyid, qint16(-1));
    QVERIFY(!book->window()->isEnabled());
    details()->txtForename()->setText(QStringLiteral("  Ann "));
    details()->txtNumber()->setText(QStringLiteral("+44 7700 900001"));
    QTest::keyClick(details()->txtNumber(), Qt::Key_Return); // Enter from inside a field
    QVERIFY(!details()->isVisible());
    QCOMPARE(fx->read(fx->mainFile()), QByteArray("Zed;071\r\nAnn;07700900001\r\n"));
    QCOMPARE(texts(contactsList()), (QStringList{"Ann", "Zed"}));
    QCOMPARE(label("lblContacts"), QStringLiteral("2 contacts (0 selected)"));

    // A new entry under a name already there (another case) is dropped silently.
    QTest::mouseClick(find("cmdNew"), Qt::LeftButton);
    QCOMPARE(details()->txtForename()->text(), QString());
    details()->txtSurname()->setText(QStringLiteral("ANN"));
    details()->txtNumber()->setText(QStringLiteral("079"));
    details()->cmdOk_Click();
    QCOMPARE(fx->storedNames(), (QStringList{"Zed", "Ann"}));
    QVERIFY(fx->messages.asked.isEmpty());
}

void TestContactsWindow::detailsRefuseMissingData_data() {
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("text");
    const QString noNumber = QStringLiteral("You need to enter a valid UK mobile phonenumber");
    QTest::newRow("no number") << "Smith"
                               << "" << noNumber;
    QTest::newRow("no digits") << "Smith"
                               << "none" << noNumber;
    QTest::newRow("foreign number") << "Smith"
                                    << "+33 1 23" << noNumber;
    QTest::newRow("spaces for a name") << "   "
                                       << "071"
                                       << "You need to enter a name for this entry";
}

void TestContactsWindow::detailsRefuseMissingData() {
    QFETCH(QString, surname);
    QFETCH(QString, number);
    QFETCH(QString, text);
    open("");
    book->window()->cmdNew_Click();
    details()->txtSurname()->setText(surname);
    details()->txtNumber()->setText(number);
    details()->cmdOk_Click();
    QCOMPARE(fx->messages.titles(), QStringList{"Missing data"});
    QCOMPARE(fx->messages.asked.first().text, text);
    QVERIFY(details()->isVisible());
    QCOMPARE(contacts().count, qint16(0));
    QCOMPARE(fx->read(fx->mainFile()), QByteArray("<missing>"));
}

void TestContactsWindow::editAndDeleteNeedExactlyOneContact() {
    fx->addContacts({"A;071", "B;072", "C;073"});
    open("");
    for (const QList<int>& rows : {QList<int>{0, 2}, QList<int>{}}) {
        for (const char* command : {"cmdEdit", "cmdDelete"}) {
            contactsList()->setCurrentRow(1);
            select_rows(contactsList(), rows);
            fx->messages.asked.clear();
            // The buttons are off with nothing selected; the commands still check.
            if (rows.isEmpty())
                QMetaObject::invokeMethod(book->window(), command == QByteArray("cmdEdit")
                                                              ? &ContactsWindow::cmdEdit_Click
                                                              : &ContactsWindow::cmdDelete_Click);
            else
                QTest::mouseClick(find(command), Qt::LeftButton);
            QCOMPARE(fx->messages.titles(), QStringList{"Edit contact"});
            QCOMPARE(fx->messages.asked.first().text,
                     "To perform this action, please select only 1 item from the list");
        }
    }
    QVERIFY(!details());
    QCOMPARE(contacts().count, qint16(3));
}

void TestContactsWindow::deleteAsksFirst_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("no") << false;
    QTest::newRow("yes") << true;
}

void TestContactsWindow::deleteAsksFirst() {
    QFETCH(bool, yes);
    fx->addContacts({"Ann;071", "Bob;07700900002", "Cy;073"});
    open("Bob");
    fx->messages.answers.enqueue(yes ? platform::Answer::Yes : platform::Answer::No);
    select_rows(contactsList(), {1});
    QTest::mouseClick(find("cmdDelete"), Qt::LeftButton);
    QCOMPARE(fx->messages.titles(), QStringList{"Delete confirmation"});
    QCOMPARE(fx->messages.asked.first().buttons, platform::Buttons::YesNo);
    QCOMPARE(fx->messages.asked.first().text,
             "Are you really sure you want to delete this entry?\r\n\r\nName :  Bob\r\n"
             "Number :  07700900002");
    QCOMPARE(texts(contactsList()),
             (yes ? QStringList{"Ann", "Cy"} : QStringList{"Ann", "Bob", "Cy"}));
    QCOMPARE(fx->read(fx->mainFile()), QByteArray(yes ? "Ann;071\r\nCy;073\r\n" : "<missing>"));
    QCOMPARE(texts(recepsList()), QStringList{"Bob"});
}

void TestContactsWindow::cancelLeavesTheToFieldAlone_data() {
    QTest::addColumn<bool>("fromFrame");
    QTest::newRow("Cancel button") << false;
    QTest::newRow("frame") << true;
}

void TestContactsWindow::cancelLeavesTheToFieldAlone() {
    QFETCH(bool, fromFrame);
    fx->addContacts({"Ann;071", "Zed;072"});
    open("Bob ; 077");
    QPointer<ContactsWindow> first = book->window();
    select_rows(contactsList(), {0, 1});
    first->cmdAdd_Click();
    select_rows(recepsList(), {0});
    first->cmdRemove_Click();
    if (fromFrame)
        first->close();
    else
        QTest::mouseClick(find("cmdCancel"), Qt::LeftButton);
    QCOMPARE(host->to, QStringLiteral("Bob ; 077"));
    QCOMPARE(host->calls, (QStringList{"enable", "raise", "update_status_bar"}));
    // Hidden, the window comes back; closed from its frame, a new one is made.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(first.isNull(), fromFrame);
    open("Bob");
    QCOMPARE(book->window() == first.data(), !fromFrame);
    QCOMPARE(texts(recepsList()), QStringList{"Bob"});
}

void TestContactsWindow::childWindowsDisableTheAddressBook() {
    fx->addContacts({"Smith, John;071"});
    open("");
    ContactsWindow* window = book->window();
    edit("Smith, John");
    details()->txtSurname()->setText(QStringLiteral("Changed"));
    QTest::keyClick(details(), Qt::Key_Escape); // Esc is the dialog's Cancel
    QVERIFY(!details()->isVisible());
    QCOMPARE(details()->txtSurname()->text(), QString());
    QVERIFY(window->isEnabled());
    QCOMPARE(fx->storedNames(), QStringList{"Smith, John"});
    edit("Smith, John");
    details()->close(); // from the frame: Cancel, and the dialog is discarded
    QVERIFY(window->isEnabled());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!details());

    QTest::mouseClick(find("cmdUpdate"), Qt::LeftButton);
    ImportWindow* import = window->importWindow();
    QVERIFY(import->isVisible());
    QVERIFY(!window->isEnabled());
    window->close(); // the address book waits for its import window
    QVERIFY(window->isVisible());
    add_contact(QStringLiteral("Bea"), QStringLiteral("072"), true);
    import->findChild<QRadioButton*>("optOverwrite")->setChecked(true);
    QTest::mouseClick(import->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
    QVERIFY(window->isEnabled());
    QCOMPARE(texts(contactsList()), (QStringList{"Bea", "Smith, John"}));
    QTest::mouseClick(find("cmdUpdate"), Qt::LeftButton);
    QCOMPARE(window->importWindow(), import); // hidden, with its choices kept
    QVERIFY(import->findChild<QRadioButton*>("optOverwrite")->isChecked());
    import->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window->importWindow());
    QVERIFY(window->isEnabled());

    QTest::mouseClick(find("cmdHelp"), Qt::LeftButton);
    QCOMPARE(fx->help.topics, QStringList{"contacts.html"});
}

QTEST_MAIN(TestContactsWindow)
#include "tst_contacts_window.moc"
