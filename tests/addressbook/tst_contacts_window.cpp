#include "addressbook/contact_info_dialog.h"
#include "addressbook/contacts_window.h"
#include "addressbook/import_window.h"
#include "addressbook_doubles.h"
#include "support/keys.h"

#include <optional>

using namespace zemble;
using namespace zemble::test;
using namespace Qt::StringLiterals;

namespace {

void selectRows(QListWidget* list, const QList<int>& rows) {
    list->clearSelection();
    for (int row : rows)
        list->setCurrentRow(row, QItemSelectionModel::Select);
}

// What the details dialog shows.
struct Details {
    QString title, surname, forename, number;
    bool operator==(const Details&) const = default;
};

char* toString(const Details& d) {
    return QTest::toString(QStringList{d.title, d.surname, d.forename, d.number}.join(" / "));
}

// How the address book window is left.
enum class Close { Ok, Cancel, FromFrame };

// The window the keys are pressed in: the address book, or one its buttons open.
enum class KeysIn { AddressBook, Details, ImportOptions };

// Keys pressed in a window with the caret first on one of its controls, and what they leave:
// the windows shown, the compose window's calls, the help shown and the recipients.
struct Keys {
    KeysIn window = KeysIn::AddressBook;
    QString caretOn, keys;
    QStringList shown = {"frmContacts"}, calls = {}, help = {}, recipients = {"077", "Bob"};
};

// The To field as the address book opens over it, and what the recipients list shows.
struct Recipients {
    QString locale = "C", to;
    QStringList listed;
    QString countLine;
    Close close = Close::Ok;
};

// The control with the caret, the keys pressed there, the contacts line and the recipients after.
struct Reach {
    QString caretOn, keys, contactsLine;
    QStringList recipients = {};
};

} // namespace

Q_DECLARE_METATYPE(Recipients)
Q_DECLARE_METATYPE(Reach)
Q_DECLARE_METATYPE(Keys)

class TestContactsWindow : public QObject {
    Q_OBJECT
    std::optional<AddressBookWindows> e;

    ContactsWindow* w() const { return e->book.window(); }
    template <class W = QPushButton> W* find(const char* n) const { return w()->findChild<W*>(n); }
    void click(const char* name) const { QTest::mouseClick(find(name), Qt::LeftButton); }
    QListWidget* contactsList() const { return find<QListWidget>("lstContacts"); }
    QListWidget* recepsList() const { return find<QListWidget>("lstReceps"); }
    QString label(const char* name) const { return find<QLabel>(name)->text(); }
    ContactInfoDialog* details() const { return w()->contactInfo(); }
    QLineEdit* detailsField(const char* n) const { return details()->findChild<QLineEdit*>(n); }
    void open(const QString& to) {
        e->host.to = to;
        e->book.show();
        e->host.calls.clear();
    }
    ImportWindow* importer() const { return w()->importWindow(); }
    // Selects one contact, puts the current item on the first, and presses Edit.
    Details edit(int row) {
        selectRows(contactsList(), {row});
        contactsList()->setCurrentRow(0, QItemSelectionModel::NoUpdate); // not selected
        click("cmdEdit");
        return {details()->windowTitle(), detailsField("txtSurname")->text(),
                detailsField("txtForename")->text(), detailsField("txtNumber")->text()};
    }

private slots:
    void init() { e.emplace(); } // the last test's windows and book go first

    // Recipients sorted by the locale (case, then accents; ties kept), back in To only on OK.
    void sortedListsAndTheToField_data() {
        QTest::addColumn<Recipients>("r");
        const auto row = [](const char* name, const Recipients& r) { QTest::newRow(name) << r; };
        row("nothing in To", {.to = "", .listed = {}, .countLine = "0 recipients"});
        row("one recipient", {.to = "Ann", .listed = {"Ann"}, .countLine = "1 recipient"});
        row("small letters first, the same name kept twice",
            {.locale = "en_GB",
             .to = "bob ; Ann ; Bob ; Ann",
             .listed = {"Ann", "Ann", "bob", "Bob"},
             .countLine = "4 recipients"});
        row("accented letters beside the plain ones, in British order",
            {.locale = "en_GB",
             .to = "zed ; Øyvind ; Émile ; Emile ; Smithers ; Smith, Jo ; _u",
             .listed = {"_u", "Emile", "Émile", "Øyvind", "Smith, Jo", "Smithers", "zed"},
             .countLine = "7 recipients"});
        row("Swedish order puts Ø after z", {.locale = "sv_SE",
                                             .to = "Øyvind ; zed",
                                             .listed = {"zed", "Øyvind"},
                                             .countLine = "2 recipients"});
        const QStringList many(65537, "a"); // past a 16-bit count
        row("more recipients than a 16-bit count",
            {.to = many.join(" ; "), .listed = many, .countLine = "65537 recipients"});
        row("one space beside each separator dropped",
            {.to = " x  ;  y", .listed = {" x ", " y"}, .countLine = "2 recipients"});
        row("Cancel leaves To as it was", {.to = "Bob ; 077",
                                           .listed = {"077", "Bob"},
                                           .countLine = "2 recipients",
                                           .close = Close::Cancel});
        row("closing from the frame leaves To as it was", {.to = "Bob ; 077",
                                                           .listed = {"077", "Bob"},
                                                           .countLine = "2 recipients",
                                                           .close = Close::FromFrame});
    }
    void sortedListsAndTheToField() {
        QFETCH(Recipients, r);
        const auto& [locale, to, listed, countLine, close] = r;
        const QLocale before;
        const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
        QLocale::setDefault(QLocale(locale));
        addEntries(
            {{"bob", "071"}, {"Ann", "072"}, {"Carl", "073"}, {"alice", "074"}, {"ann", "075"}});
        open(to);
        QVERIFY(w()->isVisible() && !e->host.enabled);
        QCOMPARE(itemTexts(contactsList()), (QStringList{"alice", "Ann", "ann", "bob", "Carl"}));
        QCOMPARE(itemTexts(recepsList()), listed);
        QCOMPARE(label("lblNum"), countLine);
        if (close == Close::FromFrame)
            w()->close();
        else
            click(close == Close::Ok ? "cmdOk" : "cmdCancel");
        const bool ok = close == Close::Ok;
        QCOMPARE(e->host.to, ok ? listed.join(" ; ") : to);
        const QStringList calls{"enable", "raise", "update_status_bar"};
        QCOMPARE(e->host.calls, ok ? QStringList{"set_to"} + calls : calls);
        // Hidden, the window comes back; closed from its frame, a new one is made.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(!w(), close == Close::FromFrame);
        open("Bob");
        QCOMPARE(itemTexts(recepsList()), QStringList{"Bob"});
    }

    void addAndRemove() {
        addEntries({{"Bob", "071"}, {"Zed", "072"}, {"Emil", "073"}});
        open("BOB ; 079 ; c ; emma");
        QCOMPARE(itemTexts(contactsList()), (QStringList{"Bob", "Emil", "Zed"}));
        selectRows(recepsList(), {2});
        selectRows(contactsList(), {0, 1, 2});
        QCOMPARE(label("lblContacts"), QStringLiteral("3 contacts (3 selected)"));
        click("cmdAdd"); // Bob is listed already, as BOB
        QCOMPARE(itemTexts(recepsList()), (QStringList{"079", "BOB", "c", "Emil", "emma", "Zed"}));
        QCOMPARE(label("lblNum"), QStringLiteral("6 recipients"));
        QVERIFY(contactsList()->selectedItems().isEmpty() && !find("cmdAdd")->isEnabled());
        QCOMPARE(recepsList()->selectedItems().size(), 1); // still chosen: c

        selectRows(recepsList(), {0, 2, 3});
        QTest::keyClick(recepsList(), Qt::Key_Return); // Enter in a list acts as its button
        QCOMPARE(itemTexts(recepsList()), (QStringList{"BOB", "emma", "Zed"}));
        QVERIFY(!find("cmdRemove")->isEnabled());
    }

    // Edit acts on the selected contact, not the current item, and splits the name at its first
    // comma; OK with nothing changed keeps the name as it was; Escape cancels.
    void editShowsTheSelectedContact() {
        addEntries({{"Smith, Jr., John", "073"}, {"Smith", "+44 7700 900002"}, {"Cy", "074"}});
        open("");
        QCOMPARE(edit(2), (Details{"Edit details", "Smith", "Jr., John", "073"}));
        QVERIFY(details()->isVisible() && !w()->isEnabled());
        QTest::mouseClick(details()->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
        QVERIFY(!details()->isVisible() && w()->isEnabled());
        QCOMPARE(edit(1), (Details{"Edit details", "Smith", "", "07700900002"}));
        detailsField("txtSurname")->setText(QStringLiteral("Changed"));
        QTest::keyClick(details(), Qt::Key_Escape);
        QVERIFY(!details()->isVisible() && w()->isEnabled());
        QCOMPARE(e->fx.read(),
                 QByteArray("Smith, Jr., John;073\r\nSmith;07700900002\r\nCy;074\r\n"));
        QVERIFY(e->fx.messages.asked.isEmpty());
    }

    // Del wants exactly one selected contact, the current item aside; it asks first, and Yes
    // writes the file at once.
    void deleteAsksFirst() {
        addEntries({{"Smith, Jr., John", "073"}, {"Smith", "07700900002"}, {"Cy", "074"}});
        open("");
        selectRows(contactsList(), {0, 2});
        click("cmdDelete");
        QCOMPARE(e->fx.messages.titles(), QStringList{"Edit contact"});
        QCOMPARE(e->fx.messages.asked[0].icon, platform::Icon::Exclamation);
        e->fx.messages.answers << platform::Answer::No << platform::Answer::Yes;
        for (const bool yes : {false, true}) {
            selectRows(contactsList(), {1});
            contactsList()->setCurrentRow(2, QItemSelectionModel::NoUpdate);
            click("cmdDelete");
            QCOMPARE(e->fx.messages.asked.last().title, "Delete confirmation");
            QCOMPARE(e->fx.messages.asked.last().buttons, platform::Buttons::YesNo);
            QCOMPARE(e->fx.messages.asked.last().text,
                     "Are you really sure you want to delete this entry?\r\n\r\nName :  "
                     "Smith\r\nNumber :  07700900002");
            QCOMPARE(itemTexts(contactsList()),
                     (yes ? QStringList{"Cy", "Smith, Jr., John"}
                          : QStringList{"Cy", "Smith", "Smith, Jr., John"}));
        }
        QCOMPARE(e->fx.read(), QByteArray("Smith, Jr., John;073\r\nCy;074\r\n"));
    }

    // New refuses an entry without a name, then one without a UK mobile number, keeping the
    // dialog open; Enter in a field is OK.  A name already there in another case is dropped
    // silently.
    void newWantsANameAndAUkMobileNumber() {
        addEntries({{"Cy", "074"}});
        open("");
        click("cmdNew");
        QCOMPARE(details()->windowTitle(), QStringLiteral("New details"));
        detailsField("txtSurname")->setText(QStringLiteral("   "));
        detailsField("txtNumber")->setText(QStringLiteral("+44 7700 900001"));
        details()->cmdOk_Click();
        detailsField("txtForename")->setText(QStringLiteral("  Ann "));
        detailsField("txtNumber")->setText(QStringLiteral("+33 1 23"));
        details()->cmdOk_Click();
        QVERIFY(details()->isVisible() && !w()->isEnabled());
        QCOMPARE(e->fx.read(), QByteArray("<missing>"));
        QCOMPARE(e->fx.messages.titles(), (QStringList{"Missing data", "Missing data"}));
        QCOMPARE(e->fx.messages.asked[0].text, "You need to enter a name for this entry");
        QCOMPARE(e->fx.messages.asked[1].text, "You need to enter a valid UK mobile phonenumber");
        QCOMPARE(e->fx.messages.asked[1].icon, platform::Icon::Information);
        detailsField("txtNumber")->setText(QStringLiteral("+44 7700 900001"));
        QTest::keyClick(detailsField("txtNumber"), Qt::Key_Return);
        QVERIFY(!details()->isVisible());
        QCOMPARE(itemTexts(contactsList()), (QStringList{"Ann", "Cy"}));
        click("cmdNew");
        detailsField("txtSurname")->setText(QStringLiteral("ANN"));
        detailsField("txtNumber")->setText(QStringLiteral("079"));
        details()->cmdOk_Click();
        QCOMPARE(e->fx.read(), QByteArray("Cy;074\r\nAnn;07700900001\r\n"));
        QCOMPARE(e->fx.messages.asked.size(), 2);
    }

    // While the window is open another program rewrites the book: OK in the details dialog
    // keeps that program's contacts and shows them; the contact edited here, changed there,
    // is kept in both versions with one message.
    void changesMadeElsewhereAreShown() {
        e->fx.write("zemble_contacts.txt", "Bob;071\r\n");
        load_contacts();
        open("");
        e->fx.write("zemble_contacts.txt", "Bob;075\r\nCy;072\r\n");
        selectRows(contactsList(), {0});
        click("cmdEdit");
        detailsField("txtNumber")->setText(QStringLiteral("079"));
        details()->cmdOk_Click();
        QCOMPARE(itemTexts(contactsList()), (QStringList{"Bob", "Bob", "Cy"}));
        QCOMPARE(e->fx.read(), QByteArray("Bob;075\r\nCy;072\r\nBob;079\r\n"));
        QCOMPARE(e->fx.messages.titles(), QStringList{"Address book changed elsewhere"});
        QVERIFY(e->fx.messages.asked[0].text.contains(QStringLiteral("\"Bob\"")));
    }

    // The contacts list reached from the keyboard gives what a click gives: its label's mnemonic
    // selects the contact with the focus frame (also when the list has the caret already, as when
    // the window opens), and Enter or Space adds it, selected or not.
    void keyboardReachesAContactAsAClickDoes_data() {
        QTest::addColumn<Reach>("row");
        const auto row = [](const char* name, const Reach& r) { QTest::newRow(name) << r; };
        row("Alt+C in the list as it opens",
            {.caretOn = "lstContacts", .keys = "Alt+C", .contactsLine = "3 contacts (1 selected)"});
        row("Alt+C from Help",
            {.caretOn = "cmdHelp", .keys = "Alt+C", .contactsLine = "3 contacts (1 selected)"});
        // Adding clears the selection, as the > button does.
        row("Space on the framed contact adds it", {.caretOn = "lstContacts",
                                                    .keys = "Space",
                                                    .contactsLine = "3 contacts (0 selected)",
                                                    .recipients = {"Ann"}});
        row("Enter on the framed contact adds it", {.caretOn = "lstContacts",
                                                    .keys = "Return",
                                                    .contactsLine = "3 contacts (0 selected)",
                                                    .recipients = {"Ann"}});
    }
    void keyboardReachesAContactAsAClickDoes() {
        QFETCH(Reach, row);
        const auto& [caretOn, keys, contactsLine, recipients] = row;
        addEntries({{"Ann", "071"}, {"Bob", "072"}, {"Cy", "073"}});
        open("");
        QVERIFY(QTest::qWaitForWindowActive(w()));
        // The caret as the window's opening puts it: the list shows a focus frame on its
        // first contact, none selected.
        QWidget* start = find<QWidget>(qPrintable(caretOn));
        start->setFocus(Qt::ActiveWindowFocusReason);
        QTRY_VERIFY(start->hasFocus());
        QCOMPARE(label("lblContacts"), "3 contacts (0 selected)");
        press(keys);
        QCOMPARE(label("lblContacts"), contactsLine);
        QCOMPARE(itemTexts(recepsList()), recipients);
    }

    // Escape in the details window gives the caret back to the Edit button that opened it.
    void escapeFromDetailsReturnsTheCaret() {
        addEntries({{"Ann", "071"}, {"Bob", "072"}});
        open("");
        selectRows(contactsList(), {1});
        QWidget* button = find<QWidget>("cmdEdit");
        focusAndWait(button);
        press("Return");
        QVERIFY(details() && details()->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(details()));
        QTRY_VERIFY(QApplication::focusWidget() &&
                    QApplication::focusWidget()->window() == details());
        press("Esc");
        QVERIFY(!details()->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(w()));
        QTRY_COMPARE(QApplication::focusWidget(), button);
    }

    // Keys pressed with the caret first on a control of the address book, or of the window its
    // button opens: the windows left shown, the compose window's calls, the help shown and the
    // recipients after.  Enter on a button presses that button; nothing is saved or told.
    void keysInEachWindow_data() {
        QTest::addColumn<Keys>("k");
        const auto row = [](const char* name, const Keys& k) { QTest::newRow(name) << k; };
        const QStringList closed{"enable", "raise", "update_status_bar"},
            withImport{"frmContacts", "frmImport"};
        row("Escape in the contacts list closes the book",
            {.caretOn = "lstContacts", .keys = "Esc", .shown = {}, .calls = closed});
        row("Enter on Cancel closes the book",
            {.caretOn = "cmdCancel", .keys = "Return", .shown = {}, .calls = closed});
        row("Enter on Help shows the address book's page",
            {.caretOn = "cmdHelp", .keys = "Return", .help = {"contacts.html"}});
        row("Enter on New opens the details",
            {.caretOn = "cmdNew", .keys = "Return", .shown = {"frmContactInfo", "frmContacts"}});
        row("Enter on Import.. opens the options",
            {.caretOn = "cmdUpdate", .keys = "Return", .shown = withImport});
        row("Ctrl+Space picks more contacts and Enter adds them",
            {.caretOn = "cmdHelp",
             .keys = "Tab Ctrl+Down Ctrl+Down Ctrl+Space Return",
             .recipients = {"077", "Ann", "Bob", "Cy"}});
        row("Enter on Cancel in the details closes them",
            {.window = KeysIn::Details, .caretOn = "cmdCancel", .keys = "Return"});
        row("Escape in the import options closes them",
            {.window = KeysIn::ImportOptions, .caretOn = "lstImport", .keys = "Esc"});
        row("Enter on Cancel in the import options closes them",
            {.window = KeysIn::ImportOptions, .caretOn = "cmdCancel", .keys = "Return"});
        row("Tab from Help in the import options goes round to the list, not to OK",
            {.window = KeysIn::ImportOptions,
             .caretOn = "cmdHelp",
             .keys = "Tab Space",
             .shown = withImport});
        row("Enter on Help in the import options shows their page",
            {.window = KeysIn::ImportOptions,
             .caretOn = "cmdHelp",
             .keys = "Return",
             .shown = withImport,
             .help = {"import.html"}});
    }
    void keysInEachWindow() {
        QFETCH(Keys, k);
        addEntries({{"Ann", "071"}, {"Bob", "072"}, {"Cy", "073"}});
        open("Bob ; 077");
        QWidget* start = w();
        if (k.window == KeysIn::Details) {
            click("cmdNew");
            start = details();
        } else if (k.window == KeysIn::ImportOptions) {
            click("cmdUpdate");
            start = importer();
        }
        focusAndWait(start->findChild<QWidget*>(k.caretOn));
        press(k.keys);
        QStringList shown;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible() && top->objectName().startsWith("frm"))
                shown << top->objectName();
        shown.sort();
        QCOMPARE(shown, k.shown);
        QCOMPARE(e->host.calls, k.calls);
        QCOMPARE(e->fx.help.topics, k.help);
        QCOMPARE(itemTexts(recepsList()), k.recipients);
        QCOMPARE(e->fx.messages.titles(), QStringList());
        QCOMPARE(e->fx.read(), QByteArray("<missing>"));
    }
};

QTEST_MAIN(TestContactsWindow)
#include "tst_contacts_window.moc"
