#include "addressbook/contact_info_dialog.h"
#include "addressbook/contacts_window.h"
#include "addressbook/import_window.h"
#include "addressbook_doubles.h"
#include "support/keys.h"

#include <optional>

using namespace zemble;
using namespace zemble::test;

namespace {

void selectRows(QListWidget* list, const QList<int>& rows) {
    list->clearSelection();
    for (int row : rows)
        list->setCurrentRow(row, QItemSelectionModel::Select);
}

} // namespace

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

private slots:
    void init() { e.emplace(); } // the last test's windows and book go first

    // Recipients sorted by the locale (case, then accents; ties kept), back in To only on OK.
    // A row is "locale#To#listed, joined by '|'#count#how the window is closed".
    void sortedListsAndTheToField_data() {
        QTest::addColumn<QString>("row");
        const QString many = QStringList(65537, "a").join(" ; "); // past a 16-bit count
        for (const QString row : QStringList{
                 "C###0 recipients#cmdOk", "C#Ann#Ann#1 recipient#cmdOk",
                 "en_GB#bob ; Ann ; Bob ; Ann#Ann|Ann|bob|Bob#4 recipients#cmdOk",
                 "en_GB#zed ; Øyvind ; Émile ; Emile ; Smithers ; Smith, Jo ; _u#"
                 "_u|Emile|Émile|Øyvind|Smith, Jo|Smithers|zed#7 recipients#cmdOk",
                 "sv_SE#Øyvind ; zed#zed|Øyvind#2 recipients#cmdOk",
                 "C#" + many + "#" + QString(many).replace(" ; ", "|") + "#65537 recipients#cmdOk",
                 "C# x  ;  y# x | y#2 recipients#cmdOk",
                 "C#Bob ; 077#077|Bob#2 recipients#cmdCancel",
                 "C#Bob ; 077#077|Bob#2 recipients#frame"})
            QTest::newRow(qPrintable(row.left(40))) << row;
    }
    void sortedListsAndTheToField() {
        QFETCH(QString, row);
        const QStringList c = row.split(u'#');
        const QStringList listed = c[2].isEmpty() ? QStringList() : c[2].split(u'|');
        const QLocale before;
        const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
        QLocale::setDefault(QLocale(c[0]));
        addEntries({"bob;071", "Ann;072", "Carl;073", "alice;074", "ann;075"});
        open(c[1]);
        QVERIFY(w()->isVisible() && !e->host.enabled);
        QCOMPARE(itemTexts(contactsList()), (QStringList{"alice", "Ann", "ann", "bob", "Carl"}));
        QCOMPARE(itemTexts(recepsList()) << label("lblNum"), QStringList(listed) << c[3]);
        c[4] == "frame" ? void(w()->close()) : click(qPrintable(c[4]));
        const bool ok = c[4] == "cmdOk";
        QCOMPARE(e->host.to, ok ? listed.join(" ; ") : c[1]);
        QCOMPARE(e->host.calls.join(' '),
                 (ok ? "set_to " : "") + QString("enable raise update_status_bar"));
        // Hidden, the window comes back; closed from its frame, a new one is made.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(!w(), c[4] == "frame");
        open("Bob");
        QCOMPARE(itemTexts(recepsList()), QStringList{"Bob"});
    }

    void addAndRemove() {
        addEntries({"Bob;071", "Zed;072", "Emil;073"});
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

    // Edit and Del act on the selected contact, not the current item; Edit splits the name at
    // its first comma, and OK with nothing changed keeps the name as it was; Escape cancels; Del
    // asks first, and Yes writes the file at once.  Then New.
    void editAndDeleteTheSelectedContact() {
        addEntries({"Smith, Jr., John;073", "Smith;+44 7700 900002", "Cy;074"});
        open("");
        const auto edit = [&](int row) {
            selectRows(contactsList(), {row});
            contactsList()->setCurrentRow(0, QItemSelectionModel::NoUpdate); // not selected
            click("cmdEdit");
            return details()->windowTitle() + "|" + detailsField("txtSurname")->text() + "|" +
                   detailsField("txtForename")->text() + "|" + detailsField("txtNumber")->text();
        };
        QCOMPARE(edit(2), "Edit details|Smith|Jr., John|073");
        QVERIFY(details()->isVisible() && !w()->isEnabled());
        QTest::mouseClick(details()->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
        QVERIFY(!details()->isVisible() && w()->isEnabled());
        QCOMPARE(edit(1), "Edit details|Smith||07700900002");
        detailsField("txtSurname")->setText(QStringLiteral("Changed"));
        QTest::keyClick(details(), Qt::Key_Escape);
        QVERIFY(!details()->isVisible() && w()->isEnabled());
        QCOMPARE(e->fx.read(),
                 QByteArray("Smith, Jr., John;073\r\nSmith;07700900002\r\nCy;074\r\n"));

        selectRows(contactsList(), {0, 2}); // Del wants exactly one contact
        click("cmdDelete");
        e->fx.messages.answers << platform::Answer::No << platform::Answer::Yes;
        for (const bool yes : {false, true}) {
            selectRows(contactsList(), {1});
            contactsList()->setCurrentRow(2, QItemSelectionModel::NoUpdate);
            click("cmdDelete");
            QCOMPARE(e->fx.messages.asked.last().text,
                     "Are you really sure you want to delete this entry?\r\n\r\nName :  "
                     "Smith\r\nNumber :  07700900002");
            QCOMPARE(itemTexts(contactsList()),
                     (yes ? QStringList{"Cy", "Smith, Jr., John"}
                          : QStringList{"Cy", "Smith", "Smith, Jr., John"}));
        }
        // New: no name, then no UK mobile number, then only a forename and Enter in a field.
        click("cmdNew");
        QCOMPARE(details()->windowTitle(), QStringLiteral("New details"));
        detailsField("txtSurname")->setText(QStringLiteral("   "));
        detailsField("txtNumber")->setText(QStringLiteral("+44 7700 900001"));
        details()->cmdOk_Click();
        detailsField("txtForename")->setText(QStringLiteral("  Ann "));
        detailsField("txtNumber")->setText(QStringLiteral("+33 1 23"));
        details()->cmdOk_Click();
        QVERIFY(details()->isVisible() && !w()->isEnabled());
        QCOMPARE(e->fx.read(), QByteArray("Smith, Jr., John;073\r\nCy;074\r\n"));
        QCOMPARE(e->fx.messages.titles(),
                 (QStringList{"Edit contact", "Delete confirmation", "Delete confirmation",
                              "Missing data", "Missing data"}));
        QCOMPARE(e->fx.messages.asked[0].icon, platform::Icon::Exclamation);
        QCOMPARE(e->fx.messages.asked[1].buttons, platform::Buttons::YesNo);
        QCOMPARE(e->fx.messages.asked[3].text, "You need to enter a name for this entry");
        QCOMPARE(e->fx.messages.asked[4].text, "You need to enter a valid UK mobile phonenumber");
        QCOMPARE(e->fx.messages.asked[4].icon, platform::Icon::Information);
        detailsField("txtNumber")->setText(QStringLiteral("+44 7700 900001"));
        QTest::keyClick(detailsField("txtNumber"), Qt::Key_Return);
        QVERIFY(!details()->isVisible());
        QCOMPARE(itemTexts(contactsList()), (QStringList{"Ann", "Cy", "Smith, Jr., John"}));
        // A new entry under a name already there (another case) is dropped silently.
        click("cmdNew");
        detailsField("txtSurname")->setText(QStringLiteral("ANN"));
        detailsField("txtNumber")->setText(QStringLiteral("079"));
        details()->cmdOk_Click();
        QCOMPARE(e->fx.read(), QByteArray("Smith, Jr., John;073\r\nCy;074\r\nAnn;07700900001\r\n"));
        QCOMPARE(e->fx.messages.asked.size(), 5);
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
        QTest::addColumn<QString>("caretOn");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("contactsLine");
        QTest::addColumn<QStringList>("recipients");
        QTest::newRow("Alt+C in the list as it opens")
            << "lstContacts"
            << "Alt+C"
            << "3 contacts (1 selected)" << QStringList();
        QTest::newRow("Alt+C from Help") << "cmdHelp"
                                         << "Alt+C"
                                         << "3 contacts (1 selected)" << QStringList();
        // Adding clears the selection, as the > button does.
        QTest::newRow("Space on the framed contact adds it")
            << "lstContacts"
            << "Space"
            << "3 contacts (0 selected)" << QStringList{"Ann"};
        QTest::newRow("Enter on the framed contact adds it")
            << "lstContacts"
            << "Return"
            << "3 contacts (0 selected)" << QStringList{"Ann"};
    }
    void keyboardReachesAContactAsAClickDoes() {
        QFETCH(QString, caretOn);
        QFETCH(QString, keys);
        QFETCH(QString, contactsLine);
        QFETCH(QStringList, recipients);
        addEntries({"Ann;071", "Bob;072", "Cy;073"});
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
        addEntries({"Ann;071", "Bob;072"});
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
    // button opens.  A row is "opener#control#keys#after": the windows shown, the compose
    // window's calls, help and messages, "saved" when the file was written, the recipients
    // when they changed.  Enter on a button presses that button.
    void keysInEachWindow_data() {
        QTest::addColumn<QString>("row");
        for (const char* row :
             {"#lstContacts#Esc#enable raise update_status_bar",
              "#cmdCancel#Return#enable raise update_status_bar",
              "#cmdHelp#Return#frmContacts contacts.html",
              "#cmdNew#Return#frmContactInfo frmContacts",
              "#cmdUpdate#Return#frmContacts frmImport",
              "#cmdHelp#Tab Ctrl+Down Ctrl+Down Ctrl+Space Return#frmContacts 077 Ann Bob Cy",
              "cmdNew#cmdCancel#Return#frmContacts", "cmdUpdate#lstImport#Esc#frmContacts",
              "cmdUpdate#cmdCancel#Return#frmContacts",
              "cmdUpdate#cmdHelp#Return#frmContacts frmImport import.html",
              "cmdUpdate#cmdHelp#Tab Space#frmContacts frmImport"})
            QTest::newRow(row) << QString(row);
    }
    void keysInEachWindow() {
        QFETCH(QString, row);
        const QStringList c = row.split(u'#');
        const QString &opener = c[0], &control = c[1], &keys = c[2], &after = c[3];
        addEntries({"Ann;071", "Bob;072", "Cy;073"});
        open("Bob ; 077");
        if (!opener.isEmpty())
            click(qPrintable(opener));
        QWidget* window = opener.isEmpty()     ? static_cast<QWidget*>(w())
                          : opener == "cmdNew" ? static_cast<QWidget*>(details())
                                               : importer();
        focusAndWait(window->findChild<QWidget*>(control));
        press(keys);
        QStringList state;
        for (QWidget* shown : QApplication::topLevelWidgets())
            if (shown->isVisible() && shown->objectName().startsWith("frm"))
                state << shown->objectName();
        state.sort();
        state << e->host.calls << e->fx.help.topics << e->fx.messages.titles();
        if (e->fx.read() != "<missing>")
            state << "saved";
        if (itemTexts(recepsList()) != QStringList{"077", "Bob"})
            state << itemTexts(recepsList());
        QCOMPARE(state.join(' '), after);
    }
};

QTEST_MAIN(TestContactsWindow)
#include "tst_contacts_window.moc"
