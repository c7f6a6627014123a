#include "addressbook/contact_info_dialog.h"
#include "addressbook/contact_store.h"
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

void select_text(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    list->setCurrentItem(found.first(), QItemSelectionModel::ClearAndSelect);
}

enum class Trigger { Button, Enter, Space, DoubleClick };

} // namespace

Q_DECLARE_METATYPE(Trigger)

class TestContactsWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void toFieldIsListedSortedAndWrittenBack_data();
    void toFieldIsListedSortedAndWrittenBack();
    void contactsAreSortedIgnoringCase();
    void addSkipsRecipientsListedInAnotherCase_data();
    void addSkipsRecipientsListedInAnotherCase();
    void removeTakesTheSelectedRecipients_data();
    void removeTakesTheSelectedRecipients();
    void doubleClicksMoveOneName();
    void editSplitsTheNameAtCommas();
    void newContactWithOnlyAForename();
    void detailsRefuseMissingData_data();
    void detailsRefuseMissingData();
    void detailsCancelStoresNothing();
    void editAndDeleteNeedExactlyOneContact_data();
    void editAndDeleteNeedExactlyOneContact();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void cancelLeavesTheToFieldAlone_data();
    void cancelLeavesTheToFieldAlone();
    void frameCloseDiscardsTheWindow();
    void importWindowDisablesAndRefreshes();
    void helpShowsItsTopic();

private:
    QListWidget* contactsList() const { return find<QListWidget>("lstContacts"); }
    QListWidget* recepsList() const { return find<QListWidget>("lstReceps"); }
    QPushButton* button(const char* name) const { return find<QPushButton>(name); }
    QString label(const char* name) const { return find<QLabel>(name)->text(); }
    template <class W> W* find(const char* name) const {
        auto* w = book->window()->findChild<W*>(QString::fromLatin1(name));
        Q_ASSERT(w);
        return w;
    }
    void open(const QString& to);
    void trigger(Trigger how, QListWidget* list, QPushButton* button);

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

void TestContactsWindow::trigger(Trigger how, QListWidget* list, QPushButton* button) {
    switch (how) {
    case Trigger::Button:
        QTest::mouseClick(button, Qt::LeftButton);
        break;
    case Trigger::Enter:
        QTest::keyClick(list, Qt::Key_Return);
        break;
    case Trigger::Space:
        QTest::keyClick(list, Qt::Key_Space);
        break;
    case Trigger::DoubleClick: {
        QVERIFY(QTest::qWaitForWindowExposed(list->window()));
        list->doItemsLayout();
        const QRect rect = list->visualItemRect(list->currentItem());
        // An item view sees a double click as a click followed by a double click.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        break;
    }
    }
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
    QTest::newRow("pieces not trimmed") << " x  ;  y" << QStringList{" x ", " y"} << "2 recipients"
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
    QTest::mouseClick(button("cmdOk"), Qt::LeftButton);
    QCOMPARE(host->to, written);
    QVERIFY(!book->window()->isVisible());
    QCOMPARE(host->calls, (QStringList{"set_to", "enable", "raise", "update_status_bar"}));
}

void TestContactsWindow::contactsAreSortedIgnoringCase() {
    fx->addContacts({"bob;071", "Ann;072", "Carl;073", "alice;074", "ann;075"});
    open("");
    QCOMPARE(book->window()->windowTitle(), QStringLiteral("Address Book"));
    QCOMPARE(texts(contactsList()), (QStringList{"alice", "Ann", "ann", "bob", "Carl"}));
    QCOMPARE(label("lblContacts"), QStringLiteral("5 contacts (0 selected)"));
    for (const char* name : {"cmdAdd", "cmdRemove", "cmdEdit", "cmdDelete"})
        QVERIFY2(!button(name)->isEnabled(), name);
    QCOMPARE(button("cmdAdd")->toolTip(), QStringLiteral("Add"));
    QCOMPARE(button("cmdRemove")->toolTip(), QStringLiteral("Remove"));
    select_rows(contactsList(), {1});
    QCOMPARE(label("lblContacts"), QStringLiteral("5 contacts (1 selected)"));
    QVERIFY(button("cmdAdd")->isEnabled());
    QVERIFY(button("cmdEdit")->isEnabled());
    QVERIFY(button("cmdDelete")->isEnabled());
}

void TestContactsWindow::addSkipsRecipientsListedInAnotherCase_data() {
    QTest::addColumn<Trigger>("how");
    QTest::newRow("button") << Trigger::Button;
    QTest::newRow("enter") << Trigger::Enter;
    QTest::newRow("space") << Trigger::Space;
}

void TestContactsWindow::addSkipsRecipientsListedInAnotherCase() {
    QFETCH(Trigger, how);
    fx->addContacts({"Bob;071", "Zed;072", "Ann;073"});
    open("BOB ; 079");
    select_rows(recepsList(), {1});
    select_rows(contactsList(), {0, 1, 2});
    trigger(how, contactsList(), button("cmdAdd"));
    QCOMPARE(texts(recepsList()), (QStringList{"079", "Ann", "BOB", "Zed"}));
    // A recipient chosen before stays chosen.
    QCOMPARE(recepsList()->selectedItems().size(), 1);
    QCOMPARE(recepsList()->selectedItems().first()->text(), QStringLiteral("BOB"));
    QVERIFY(button("cmdRemove")->isEnabled());
    QCOMPARE(label("lblNum"), QStringLiteral("4 recipients"));
    QVERIFY(book->window()->is_in_receps("zed"));
    QVERIFY(!book->window()->is_in_receps("Ze"));
    QVERIFY(contactsList()->selectedItems().isEmpty());
    QCOMPARE(label("lblContacts"), QStringLiteral("3 contacts (0 selected)"));
    QVERIFY(!button("cmdAdd")->isEnabled());
    QVERIFY(!button("cmdEdit")->isEnabled());
    QVERIFY(host->calls.isEmpty());
}

void TestContactsWindow::removeTakesTheSelectedRecipients_data() {
    QTest::addColumn<Trigger>("how");
    QTest::newRow("button") << Trigger::Button;
    QTest::newRow("enter") << Trigger::Enter;
    QTest::newRow("space") << Trigger::Space;
}

void TestContactsWindow::removeTakesTheSelectedRecipients() {
    QFETCH(Trigger, how);
    open("a ; b ; c ; d ; e");
    select_rows(recepsList(), {0, 1, 3});
    QVERIFY(button("cmdRemove")->isEnabled());
    trigger(how, recepsList(), button("cmdRemove"));
    QCOMPARE(texts(recepsList()), (QStringList{"c", "e"}));
    QCOMPARE(label("lblNum"), QStringLiteral("2 recipients"));
    QVERIFY(!button("cmdRemove")->isEnabled());
}

void TestContactsWindow::doubleClicksMoveOneName() {
    fx->addContacts({"Ann;071", "Bob;072"});
    open("a ; b");
    contactsList()->setCurrentRow(0);
    trigger(Trigger::DoubleClick, contactsList(), nullptr);
    QCOMPARE(texts(recepsList()), (QStringList{"a", "Ann", "b"}));
    recepsList()->setCurrentRow(2);
    trigger(Trigger::DoubleClick, recepsList(), nullptr);
    QCOMPARE(texts(recepsList()), (QStringList{"a", "Ann"}));
    QCOMPARE(label("lblNum"), QStringLiteral("2 recipients"));
}

void TestContactsWindow::editSplitsTheNameAtCommas() {
    fx->addContacts(
        {"Jones, Mary;07700900001", "Smith;+44 7700 900002", "Smith, Jr., John;07700900003"});
    open("");
    ContactsWindow* window = book->window();

    select_text(contactsList(), "Jones, Mary");
    window->cmdEdit_Click();
    ContactInfoDialog* dialog = window->contactInfo();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit details"));
    QCOMPARE(dialog->txtForename()->text(), QStringLiteral("Mary"));
    QVERIFY(!window->isEnabled());
    // OK keeps the fields' text in the hidden dialog.
    dialog->cmdOk_Click();
    QVERIFY(window->isEnabled());
    QCOMPARE(dialog->txtForename()->text(), QStringLiteral("Mary"));

    select_text(contactsList(), "Smith");
    window->cmdEdit_Click();
    QCOMPARE(dialog->txtSurname()->text(), QStringLiteral("Smith"));
    QCOMPARE(dialog->txtForename()->text(), QString());
    QCOMPARE(dialog->txtNumber()->text(), QStringLiteral("07700900002"));
    QCOMPARE(dialog->modifyid, qint16(1));
    dialog->cmdCancel_Click();

    select_text(contactsList(), "Smith, Jr., John");
    window->cmdEdit_Click();
    QCOMPARE(dialog->txtSurname()->text(), QStringLiteral("Smith"));
    QCOMPARE(dialog->txtForename()->text(), QStringLiteral("Jr."));
    QCOMPARE(dialog->modifyid, qint16(2));
    QTest::mouseClick(dialog->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QVERIFY(window->isEnabled());
    QCOMPARE(fx->storedNames(), (QStringList{"Jones, Mary", "Smith", "Smith, Jr."}));
    QCOMPARE(texts(contactsList()), (QStringList{"Jones, Mary", "Smith", "Smith, Jr."}));
    QCOMPARE(fx->read(fx->mainFile()), QByteArray("Jones, Mary;07700900001\r\nSmith;07700900002"
                                                  "\r\nSmith, Jr.;07700900003\r\n"));
}

void TestContactsWindow::newContactWithOnlyAForename() {
    fx->addContacts({"Zed;071"});
    open("");
    ContactsWindow* window = book->window();
    QTest::mouseClick(button("cmdNew"), Qt::LeftButton);
    ContactInfoDialog* dialog = window->contactInfo();
    QCOMPARE(dialog->windowTitle(), QStringLiteral("New details"));
    QCOMPARE(dialog->modifyid, qint16(-1));
    QVERIFY(!window->isEnabled());
    dialog->txtForename()->setText(QStringLiteral("  Ann "));
    dialog->txtNumber()->setText(QStringLiteral("+44 7700 900001"));
    // Enter from inside the number field.
    QTest::keyClick(dialog->txtNumber(), Qt::Key_Return);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(fx->storedNames(), (QStringList{"Zed", "Ann"}));
    QCOMPARE(contacts().numbers.at(1), QStringLiteral("07700900001"));
    QCOMPARE(fx->read(fx->mainFile()), QByteArray("Zed;071\r\nAnn;07700900001\r\n"));
    QCOMPARE(texts(contactsList()), (QStringList{"Ann", "Zed"}));
    QCOMPARE(label("lblContacts"), QStringLiteral("2 contacts (0 selected)"));
    QVERIFY(window->isEnabled());

    // A second new entry under an existing name (another case) is not added.
    QTest::mouseClick(button("cmdNew"), Qt::LeftButton);
    QCOMPARE(dialog->txtForename()->text(), QString());
    dialog->txtSurname()->setText(QStringLiteral("ANN"));
    dialog->txtNumber()->setText(QStringLiteral("07700900009"));
    dialog->cmdOk_Click();
    QCOMPARE(fx->storedNames(), (QStringList{"Zed", "Ann"}));
    QVERIFY(fx->messages.asked.isEmpty());
}

void TestContactsWindow::detailsRefuseMissingData_data() {
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("forename");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("no number") << "Smith"
                               << ""
                               << ""
                               << "You need to enter a valid UK mobile phonenumber";
    QTest::newRow("number without digits") << "Smith"
                                           << ""
                                           << "none"
                                           << "You need to enter a valid UK mobile phonenumber";
    QTest::newRow("foreign number") << "Smith"
                                    << ""
                                    << "+33 1 23"
                                    << "You need to enter a valid UK mobile phonenumber";
    QTest::newRow("names of spaces") << "   "
                                     << " "
                                     << "071"
                                     << "You need to enter a name for this entry";
}

void TestContactsWindow::detailsRefuseMissingData() {
    QFETCH(QString, surname);
    QFETCH(QString, forename);
    QFETCH(QString, number);
    QFETCH(QString, text);
    open("");
    book->window()->cmdNew_Click();
    ContactInfoDialog* dialog = book->window()->contactInfo();
    dialog->txtSurname()->setText(surname);
    dialog->txtForename()->setText(forename);
    dialog->txtNumber()->setText(number);
    dialog->cmdOk_Click();
    QCOMPARE(fx->messages.titles(), QStringList{"Missing data"});
    QCOMPARE(fx->messages.asked.first().text, text);
    QCOMPARE(fx->messages.asked.first().icon, platform::Icon::Information);
    QVERIFY(dialog->isVisible());
    QVERIFY(!book->window()->isEnabled());
    QCOMPARE(contacts().count, qint16(0));
    QCOMPARE(fx->read(fx->mainFile()), QByteArray("<missing>"));
}

void TestContactsWindow::detailsCancelStoresNothing() {
    fx->addContacts({"Smith, John;071"});
    open("");
    select_text(contactsList(), "Smith, John");
    book->window()->cmdEdit_Click();
    ContactInfoDialog* dialog = book->window()->contactInfo();
    dialog->txtSurname()->setText(QStringLiteral("Changed"));
    QTest::keyClick(dialog, Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->txtSurname()->text(), QString());
    QCOMPARE(dialog->txtNumber()->text(), QString());
    QVERIFY(book->window()->isEnabled());
    QCOMPARE(fx->storedNames(), QStringList{"Smith, John"});
    QCOMPARE(fx->read(fx->mainFile()), QByteArray("<missing>"));

    // Closed from its frame the dialog is discarded and acts as Cancel.
    book->window()->cmdEdit_Click();
    QVERIFY(!book->window()->isEnabled());
    book->window()->contactInfo()->close();
    QVERIFY(book->window()->isEnabled());
    QTest::qWait(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!book->window()->contactInfo());
}

void TestContactsWindow::editAndDeleteNeedExactlyOneContact_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QList<int>>("rows");
    QTest::newRow("edit, two") << "cmdEdit" << QList<int>{0, 1};
    QTest::newRow("edit, none") << "cmdEdit" << QList<int>{};
    QTest::newRow("delete, two") << "cmdDelete" << QList<int>{0, 2};
    QTest::newRow("delete, none") << "cmdDelete" << QList<int>{};
}

void TestContactsWindow::editAndDeleteNeedExactlyOneContact() {
    QFETCH(QString, command);
    QFETCH(QList<int>, rows);
    fx->addContacts({"A;071", "B;072", "C;073"});
    open("");
    contactsList()->setCurrentRow(0);
    select_rows(contactsList(), rows);
    if (command == "cmdEdit")
        book->window()->cmdEdit_Click();
    else
        book->window()->cmdDelete_Click();
    QCOMPARE(fx->messages.titles(), QStringList{"Edit contact"});
    QCOMPARE(fx->messages.asked.first().text,
             QStringLiteral("To perform this action, please select only 1 item from the list"));
    QCOMPARE(fx->messages.asked.first().icon, platform::Icon::Exclamation);
    QVERIFY(!book->window()->contactInfo() || !book->window()->contactInfo()->isVisible());
    QCOMPARE(contacts().count, qint16(3));
}

void TestContactsWindow::deleteAsksFirst_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("no") << false;
    QTest::newRow("yes") << true;
}

void TestContactsWindow::deleteAsksFirst() {
    QFETCH(bool, yes);
    fx->addContacts({"Ann;07700900001", "Bob;07700900002", "Cy;07700900003"});
    open("Bob");
    fx->messages.answers.enqueue(yes ? platform::Answer::Yes : platform::Answer::No);
    select_text(contactsList(), "Bob");
    QTest::mouseClick(button("cmdDelete"), Qt::LeftButton);
    QCOMPARE(fx->messages.titles(), QStringList{"Delete confirmation"});
    const auto& asked = fx->messages.asked.first();
    QCOMPARE(asked.icon, platform::Icon::Question);
    QCOMPARE(asked.buttons, platform::Buttons::YesNo);
    QCOMPARE(asked.text, QStringLiteral("Are you really sure you want to delete this entry?\r\n\r\n"
                                        "Name :  Bob\r\nNumber :  07700900002"));
    if (yes) {
        QCOMPARE(fx->storedNames(), (QStringList{"Ann", "Cy"}));
        QCOMPARE(texts(contactsList()), (QStringList{"Ann", "Cy"}));
        QCOMPARE(label("lblContacts"), QStringLiteral("2 contacts (0 selected)"));
        QCOMPARE(fx->read(fx->mainFile()), QByteArray("Ann;07700900001\r\nCy;07700900003\r\n"));
    } else {
        QCOMPARE(fx->storedNames(), (QStringList{"Ann", "Bob", "Cy"}));
        QCOMPARE(fx->read(fx->mainFile()), QByteArray("<missing>"));
    }
    // The recipients are not touched by a deletion.
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
    select_rows(contactsList(), {0, 1});
    book->window()->cmdAdd_Click();
    select_rows(recepsList(), {0});
    book->window()->cmdRemove_Click();
    QCOMPARE(texts(recepsList()), (QStringList{"Ann", "Bob", "Zed"}));
    if (fromFrame)
        book->window()->close();
    else
        QTest::mouseClick(button("cmdCancel"), Qt::LeftButton);
    QCOMPARE(host->to, QStringLiteral("Bob ; 077"));
    QCOMPARE(host->calls, (QStringList{"enable", "raise", "update_status_bar"}));
    QVERIFY(host->enabled);
}

void TestContactsWindow::frameCloseDiscardsTheWindow() {
    open("Ann");
    QPointer<ContactsWindow> first = book->window();
    QTest::mouseClick(button("cmdCancel"), Qt::LeftButton);
    book->show(); // hidden, not discarded: the same window comes back
    QCOMPARE(book->window(), first.data());
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QVERIFY(!book->window());
    open("Bob ; Ann");
    QVERIFY(book->window());
    QCOMPARE(texts(recepsList()), (QStringList{"Ann", "Bob"}));
    QVERIFY(!button("cmdAdd")->isEnabled());
}

void TestContactsWindow::importWindowDisablesAndRefreshes() {
    fx->addContacts({"Ann;071"});
    open("");
    ContactsWindow* window = book->window();
    QTest::mouseClick(button("cmdUpdate"), Qt::LeftButton);
    ImportWindow* import = window->importWindow();
    QVERIFY(import && import->isVisible());
    QCOMPARE(import->windowTitle(), QStringLiteral("Import Options"));
    QVERIFY(!window->isEnabled());
    // The address book is closed only through the import window meanwhile.
    window->close();
    QVERIFY(window->isVisible());

    add_contact(QStringLiteral("Bea"), QStringLiteral("072"), true);
    QTest::mouseClick(import->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
    QVERIFY(!import->isVisible());
    QVERIFY(window->isEnabled());
    QCOMPARE(texts(contactsList()), (QStringList{"Ann", "Bea"}));
    QCOMPARE(label("lblContacts"), QStringLiteral("2 contacts (0 selected)"));

    // Hidden, the import window keeps its choices; closed from its frame it
    // is discarded and the next one starts from the defaults.
    QTest::mouseClick(button("cmdUpdate"), Qt::LeftButton);
    QCOMPARE(window->importWindow(), import);
    import->findChild<QRadioButton*>("optOverwrite")->setChecked(true);
    import->close();
    QVERIFY(window->isEnabled());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window->importWindow());
    QTest::mouseClick(button("cmdUpdate"), Qt::LeftButton);
    QVERIFY(window->importWindow()->findChild<QRadioButton*>("optAppend")->isChecked());
}

void TestContactsWindow::helpShowsItsTopic() {
    open("");
    QTest::mouseClick(button("cmdHelp"), Qt::LeftButton);
    QCOMPARE(fx->help.topics, QStringList{"contacts.html"});
    QVERIFY(book->window()->isVisible());
}

QTEST_MAIN(TestContactsWindow)
#include "tst_contacts_window.moc"
